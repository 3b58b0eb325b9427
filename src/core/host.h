// The host as the component sees it: one abstract class per host object, each
// operation with its contract. The component reaches the database, the
// document logic, the number ranges, the settings, the messages and the dates
// only through these classes; src/host implements them for the stand-alone
// program, tests may implement or wrap them.
//
// Every operation may throw gaeb::Fehler when the host fails; the calling
// procedure of the component catches and reports it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"

namespace gaeb {

// Base of every object the object factory hands out.
class HostObjekt {
 public:
  virtual ~HostObjekt() = default;
};

// The result rows of a selection; columns by name, values in column order.
struct Ergebnis {
  std::vector<std::string> spalten;
  std::vector<std::vector<Variant>> zeilen;

  bool Leer() const { return zeilen.empty(); }
  // Value of column `name` in row `zeile`; throws gaeb::Fehler for an unknown column.
  const Variant& Wert(std::size_t zeile, std::string_view name) const;
};

// The host's open database connection. Statements use "?" placeholders; every
// value from outside is bound, never pasted into the text.
class Verbindung : public HostObjekt {
 public:
  // Opens the connection named by a connection text ("sqlite:PATH",
  // "sqlite::memory:", "postgresql://..."). Throws when it cannot.
  virtual void Öffnen(std::string_view verbindungstext) = 0;
  // Runs a statement. Returns the records it touched, or for a selection the
  // records it returned.
  virtual long Ausführen(std::string_view sql, std::span<const Variant> parameter = {}) = 0;
  // Runs a selection and returns its rows.
  virtual Ergebnis Abfrage(std::string_view sql, std::span<const Variant> parameter = {}) = 0;
  // Runs a selection and hands its rows to jede one at a time, in order,
  // with the column names; jede may move the values out of the row. Holds
  // one row, not the result. This default runs Abfrage.
  using Zeilenfolge = std::function<void(const std::vector<std::string>& spalten, std::vector<Variant>& zeile)>;
  virtual void Durchlaufe(std::string_view sql, std::span<const Variant> parameter, const Zeilenfolge& jede);
  // Transactions; they do not nest.
  virtual void Beginne() = 0;
  virtual void Bestätige() = 0;
  virtual void Verwerfe() = 0;
  virtual bool InTransaktion() const = 0;
  // The connection text it was opened with.
  virtual std::string Verbindungstext() const = 0;
};

// Texts of numbered messages, with "%1", "%2" ... replaced by the inserts.
class Meldungstexte : public HostObjekt {
 public:
  virtual std::string Text(long nummer, const std::vector<std::string>& einfügungen) = 0;
};

// Shows messages to the user.
class Meldungsdienst : public HostObjekt {
 public:
  // Shows a message. art is as a rule 3, extra as a rule the Long 1992;
  // an Empty extra stands for the omitted value.
  virtual void Zeige(const std::string& text, std::int16_t art, const Variant& extra) = 0;
  // Reports a run-time error of a procedure.
  virtual void FehlerMelden(const std::string& modul, const std::string& prozedur, long nummer,
                            const std::string& beschreibung, bool anzeigen) = 0;
};

// Date services of the host.
class Datumsdienst : public HostObjekt {
 public:
  // A stored date ("JJJJMMTT", "JJJJ-MM-TT", "TT.MM.JJJJ", "T.M.JJ" ...) as the
  // date text that goes into an output file ("TT.MM.JJJJ"); empty in, empty
  // out; a text that is no date comes back unchanged.
  virtual std::string DatumFürAusgabe(std::string_view datum) = 0;
  // value rounded half away from zero to a multiple of schritt (schritt > 0).
  virtual double RundeAufSchritt(double wert, double schritt) = 0;
};

// The settings store, created by its program identifier "VRBSetting.VRSettings".
class Einstellungen : public HostObjekt {
 public:
  // Binds the store to a connection and a profile. The connection is passed
  // by reference; the store may hand back another one.
  virtual void Init(std::int16_t modus, Verbindung*& verbindung, const std::string& profil) = 0;
  // Reads section/key of the profile into wert: the stored text, or an empty
  // string when there is none.
  virtual void GetSetting(const std::string& abschnitt, const std::string& schlüssel, std::string& wert,
                          const std::string& profil, const std::string& vorgabe) = 0;
};

// One record of the host document: the header, a position or a closing row.
// Fields are named; a position's fields carry the names of the position record
// properties where they correspond to one. An unknown name throws gaeb::Fehler.
class Datensatz {
 public:
  virtual ~Datensatz() = default;
  virtual Variant Feld(std::string_view name) const = 0;
  virtual void SetzeFeld(std::string_view name, const Variant& wert) = 0;
};

// A position of the host document: its fields and its computation.
class Belegposition : public Datensatz {
 public:
  // Computes the position against its document (total = quantity x unit
  // price / price unit, rounded to cents; a package head from its parts).
  // False when it cannot be computed.
  virtual bool Berechnen(std::int16_t flag, bool neuBerechnen) = 0;
};

// The ordinal-number formats of a document: each a string of "0" whose length
// is the digit count of that part, and the separator between the parts.
class OZFormatobjekt {
 public:
  virtual ~OZFormatobjekt() = default;
  // Makes the formats current; the argument is the host's business.
  virtual bool Laden(bool neu) = 0;
  virtual std::string LosFormat() = 0;
  virtual std::string GewerkFormat() = 0;
  virtual std::string TitelFormat() = 0;
  virtual std::string PositionFormat() = 0;
  virtual std::string IndexFormat() = 0;
  virtual std::string Trennzeichen() = 0;
  virtual void SetzeTrennzeichen(const std::string& trennzeichen) = 0;
};

// The project part of the document data object: the host's projects.
class Projektteil {
 public:
  virtual ~Projektteil() = default;
  // Looks a project up; false when there is none with that number.
  virtual bool Lese(const std::string& projektnummer) = 0;
  // True when the project found carries a customer.
  virtual bool MitKunde() = 0;
  // The customer number of the project found, for an address kind (20: customer).
  virtual std::string KundenNummer(std::int16_t adressart) = 0;
};

// The document-level defaults of the current user and company, handed to the
// document data object whenever it is opened.
struct Dokumentvorgaben {
  std::string pGL_Landeswährung;
  std::string pGL_BenutzerID;
  std::string pGL_jmtVerarbeitungsdatum;
  std::string pGL_tmjVerarbeitungsdatum;
  std::string pGL_ÄnderungsdatumMwstjmt;
  double pGL_Mittellohn = 0;
  double pGL_Materialzuschlag = 0;
  double pGL_Lohnzuschlag = 0;
  double pGL_Fremdzuschlag = 0;
  std::string pGL_UnserZeichen;
  bool pGL_MitRaumAufmass = false;
};

// The document data object: one document of the host database in memory.
class Belegdaten : public HostObjekt {
 public:
  // Opens the object on the database (modus "0").
  virtual void Öffnen(const std::string& modus, const std::string& verbindungstext, Verbindung* verbindung) = 0;
  // Takes the document defaults; answers with a success flag.
  virtual bool Vorgaben(const Dokumentvorgaben& vorgaben) = 0;

  // The type under which document `belegnummer` is kept, 0 when none.
  virtual std::int16_t BelegartVon(std::int32_t belegnummer, bool flag) = 0;
  // Loads the document (header, positions, closing rows) and makes it current;
  // false when it does not exist or cannot be read.
  virtual bool LeseKopf(std::int16_t belegart, std::int32_t belegnummer, bool flag) = 0;
  // -1 when another workstation holds the current document, else 0.
  virtual std::int16_t Bearbeitungsstatus() = 0;

  // The header of the current document. Throws when no document is current.
  virtual Datensatz& Kopf() = 0;

  // The document's stored OZ mask.
  virtual std::string OZMaske() = 0;
  virtual void SetzeOZMaske(const std::string& maske) = 0;
  // Structure of the current document.
  virtual bool MitLosen() = 0;
  virtual bool MitGewerken() = 0;
  virtual bool MitTiteln() = 0;
  virtual OZFormatobjekt& OZFormat() = 0;

  // Locks and output.
  // Loads the document for an output and locks it for this holder.
  virtual void ÖffneFürAusgabe(std::int16_t& belegart, std::int32_t& belegnummer, bool& flag) = 0;
  // After ÖffneFürAusgabe: 0 the document could not be locked (held elsewhere
  // or missing), -1 ready, any other value: not kept in a currency the output
  // can be written in.
  virtual std::int32_t Öffnungsstatus() = 0;
  // Prepares the amounts for an output in the home currency (true) or in the
  // document's own currency (false).
  virtual std::int32_t SetzeAusgabewährung(bool& landeswährung) = 0;
  // Locks a document number for this holder; 0 when another holder has it.
  // bestehend False locks the number of a new document: 0 as well when a
  // document with that number is stored already.
  virtual std::int32_t Sperren(std::int16_t belegart, std::int32_t belegnummer, bool bestehend) = 0;
  // Releases this holder's lock; 0 when that failed.
  virtual std::int32_t Entsperren(std::int16_t& belegart, std::int32_t& belegnummer) = 0;

  // Positions in document order, index 0 first; -1 when there are none.
  virtual std::int32_t LetzterPositionsindex() = 0;
  virtual void WählePosition(std::int32_t index) = 0;
  virtual std::int32_t AktuellerPositionsindex() = 0;
  virtual Belegposition& AktuellePosition() = 0;
  // Closing rows (90 totals, 140 closing texts), index 0 first; -1 when none.
  virtual std::int32_t LetzterSchlusszeilenindex() = 0;
  virtual void WähleSchlusszeile(std::int32_t index) = 0;
  virtual Datensatz& AktuelleSchlusszeile() = 0;
  // An address of the document by kind (2 = client): Name1, Name2, Name3,
  // Strasse, Plz, Ort, Telefon, Fax, Email.
  virtual Datensatz& Adresse(std::int16_t adressart) = 0;

  // Reading and import.
  // Whether the document can be written in the currency the output needs
  // (home currency when landeswährung); not 0 when it can.
  virtual std::int32_t PrüfeAusgabewährung(bool landeswährung) = 0;
  virtual Projektteil& Projekt() = 0;
  // Creates a new document in memory and makes it current (nothing reaches
  // the database before Speichern). False when it cannot be created.
  virtual bool ErzeugeBeleg(std::int16_t belegart, std::int32_t belegnummer, const std::string& projektnummer,
                            const std::string& kundennummer, bool projektGefunden, bool mitKunde,
                            const std::string& text, std::int32_t wert) = 0;
  // The header's own position row.
  virtual Datensatz& KopfPosition() = 0;
  // Whether a row of the kind may be appended at the end of the document
  // (20, 21, 22 structure rows; 40, 45, 47, 60, 70, 80 positions; 50 text).
  virtual bool DarfEinfügen(std::int16_t art) = 0;
  // Appends a structure row of the kind at its level and selects it.
  virtual bool FügeStrukturzeileEin(std::int16_t art, std::int16_t ebene) = 0;
  // Appends a row of the kind with a text key and selects it.
  virtual bool FügePositionEin(std::int16_t art, const std::string& textschlüssel) = 0;
  // Closing rows of the kind (140 closing text).
  virtual bool DarfSchlusszeileEinfügen(std::int16_t art) = 0;
  virtual bool FügeSchlusszeileEin(std::int16_t art) = 0;
  // Currency of a new document: the check of the currency mode, and the
  // conversion of its amounts.
  virtual std::int32_t Währungsprüfung(bool neu) = 0;
  virtual void RechneWährungUm() = 0;
  // Checks the document and corrects what it can; 0 when it is not in order.
  virtual std::int32_t PrüfeUndKorrigiere() = 0;
  // Computes and saves the document in one database transaction. False when
  // the document may not be saved (its number was taken meanwhile); throws
  // when the database fails, with the engine's reason.
  virtual bool Speichern(bool neuBerechnen, bool prüfen, bool drucken, bool freigeben, bool schließen) = 0;
};

// The formatting object of the host: brings all positions of a document into
// the host's form after an import.
class Formatierung : public HostObjekt {
 public:
  virtual void Init(const std::string& verbindungstext, Verbindung* verbindung, std::shared_ptr<HostObjekt> optionen,
                    std::shared_ptr<HostObjekt> textformat) = 0;
  virtual bool Vorbereiten() = 0;
  // Formats every position of the document; hands the document object back
  // through beleg. alleFormatiert tells whether every position was formatted.
  virtual void FormatiereAllePositionen(std::unique_ptr<Belegdaten>& beleg, std::int16_t modus, bool vorbereitet,
                                        bool& alleFormatiert) = 0;
};

// An object whose members are addressed by name at run time (late binding):
// properties are set and read, procedures called with their arguments. A name
// the object does not know throws gaeb::Fehler 438, as does setting a member
// that can only be read; a call with the wrong number of arguments throws 450.
class Namensobjekt : public HostObjekt {
 public:
  virtual void SetzeMember(std::string_view name, const Variant& wert) = 0;
  virtual Variant LeseMember(std::string_view name) = 0;
  // Calls a procedure; the arguments are passed by reference and may come
  // back changed. Returns the procedure's result (Empty for none).
  virtual Variant Rufe(std::string_view name, std::span<Variant> argumente = {}) = 0;
};

// The article manager: writes articles into one of the host's article
// masters, addressed only through its member names.
class Artikelmanager : public Namensobjekt {};

// A prepared command for one stored procedure of the host database.
class Prozedurbefehl {
 public:
  virtual ~Prozedurbefehl() = default;
  // Seconds the procedure may run; 0 means no limit.
  virtual void SetzeZeitlimit(long sekunden) = 0;
  // Runs the procedure with its parameters in their declared order (the
  // first is the return value, by reference); every value is bound, never
  // pasted into a statement. Returns the records it touched.
  virtual long Ausführen(std::span<Variant> parameter) = 0;
};

// The stored-procedure command object: prepares commands for named
// procedures. Throws gaeb::Fehler when the database has no such procedure.
class Prozedurbefehle : public HostObjekt {
 public:
  virtual std::unique_ptr<Prozedurbefehl> Bereite(const std::string& verbindungstext, const std::string& prozedur) = 0;
};

// Number ranges of the host.
class Belegnummern : public HostObjekt {
 public:
  virtual void Öffnen(const std::string& modus, const std::string& verbindungstext, Verbindung* verbindung) = 0;
  // True when the host gives every user a number range of its own.
  virtual bool BenutzerNummernkreise() = 0;
  // The number range of a user for a document type.
  virtual std::int16_t NummernkreisVon(const std::string& benutzer, std::int16_t belegart) = 0;
  // The next number of the range (range 0 = the global one); reserves nothing.
  virtual std::int32_t NächsteNummer(std::int16_t belegart, std::int16_t nummernkreis) = 0;
  // Reserves a number so that the range does not hand it out again.
  virtual void Reserviere(std::int16_t belegart, std::int32_t nummer, std::int16_t nummernkreis) = 0;
};

}  // namespace gaeb

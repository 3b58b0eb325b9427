// clsGaebSQL: the public class of the GAEB component. The host creates it,
// hands it its context (Init, Parameter_Beleg), fills or reads the position
// record through the properties, and calls the import, reading and export
// procedures. Every public procedure reports its failures through the host's
// message service and returns normally: no exception leaves this class.
//
// The members follow the order of the class interface. Each property is a
// getter/setter pair named after it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/variant.h"
#include "core/ausgabeoptionen.h"
#include "core/ereignisse.h"
#include "core/host.h"
#include "core/kontext.h"
#include "core/mengen.h"
#include "core/objektfabrik.h"
#include "core/positionssatz.h"

namespace gaeb {

class clsGaebSQL {
  // Declared first: the public field below refers into it.
  std::unique_ptr<Kontext> k_;

 public:
  // Creates the document data object and the document number object through
  // the factory, empties ImportTyp and creates the text converter. A class that
  // cannot be created leaves its member unset; the first procedure that needs
  // it reports the failure.
  explicit clsGaebSQL(std::shared_ptr<const Objektfabrik> fabrik);
  // Releases the objects it created, ignoring errors.
  ~clsGaebSQL();
  clsGaebSQL(const clsGaebSQL&) = delete;
  clsGaebSQL& operator=(const clsGaebSQL&) = delete;

  // The separator between the levels of an ordinal number.
  std::string& m_PosNr_Trennzeichen;

  // The position record.
#define GAEB_PROPERTY(typ, name, reset, wert)         \
  typ name() const { return k_->satz.name; }          \
  void name(typ v) { k_->satz.name = std::move(v); }
  GAEB_POSITIONSSATZ(GAEB_PROPERTY)
#undef GAEB_PROPERTY

  // Takes the host's context; the connection and the two objects stay the host's.
  void Init(const std::string& pDMY, const std::string& pConnectstring, Verbindung* pConnection,
            std::shared_ptr<HostObjekt> pGL_OptionenObj, std::shared_ptr<HostObjekt> pGL_TextFormat,
            const std::string& pAppExeDir);
  // Resets the position record; returns Empty.
  Variant Init_Datenfelder();
  // Keeps the document-level defaults; an empty VAT change date is kept as "99999999". Returns Empty.
  Variant Parameter_Beleg(const std::string& pGL_Landeswährung, const std::string& pGL_BenutzerID,
                          const std::string& pGL_jmtVerarbeitungsdatum, const std::string& pGL_tmjVerarbeitungsdatum,
                          const std::string& pGL_ÄnderungsdatumMwstjmt, double pGL_Mittellohn,
                          double pGL_Materialzuschlag, double pGL_Lohnzuschlag, double pGL_Fremdzuschlag,
                          const std::string& pGL_UnserZeichen, bool pGL_MitRaumAufmass);
  // The next number of the user's range for a document type; reserves nothing.
  std::int32_t Ermittle_Belegnummer(std::int16_t belegart);
  // Finds the next free number, reserves and locks it; 0 when the lock failed.
  std::int32_t Sperren_Belegnummer(std::int16_t belegart);
  // Prepares an import; Variant True, or False after an error.
  Variant Init_BelegVorlauf(std::int16_t pBelegart, const std::string& pModus);
  // True when a project with that number exists.
  bool Default_ProjektMappe(const std::string& pProjektnummer);
  // Stores the row the record holds into the new document.
  bool Speichern_Belegdaten(std::int16_t belegart, std::int32_t belegnummer);
  // Deletes the articles of a supplier from the host's own article master
  // (pMitArtikelstammKV) or the other one; nothing when the supplier or its
  // short name is empty. Returns True.
  bool LöschenLV_Artikeldaten(bool pMitArtikelstammKV, const std::string& pLieferant,
                              const std::string& pLieferantenkürzel);
  // Creates and opens the article manager of that article master; keeps the
  // user and the processing date (year-month-day) for the articles.
  bool InitArtikelmanager(bool pMitArtikelstammKV, const std::string& pAppUser,
                          const std::string& pjmt_Verarbeitungsdatum);
  // Counts the row the record holds (AnzahlLeistungen, AnzahlPakete,
  // AnzahlPaketteile) and writes a service or package head as the article
  // pLieferantenkürzel + Positionsnummer of supplier pLieferant. Returns True.
  bool Speichern_Artikeldaten(const std::string& pLieferant, const std::string& pLieferantenkürzel);
  // Opens a document and copies ten header values into the record; belegart
  // comes back as the stored type.
  bool Lese_Beleg(std::int16_t& belegart, std::int32_t belegnummer);
  // True when the document may be written in the requested currency.
  bool PrüfenAusgabeWährung(std::int16_t belegart, std::int32_t belegnummer, bool AusgabeLandeswährung = false);

  // Writes the document as a GAEB 90 bill of quantities at tmpPfadDatei in
  // data type tmpDatenphase (81 to 86), or for 11 and 12 the quantity
  // calculation of the results in optionen.AnzArrayERGString; True when the
  // file was written to the end.
  bool Ausgabe_BelegdatenDA90(std::int16_t belegart, std::int32_t belegnummer, const std::string& tmpPfadDatei,
                              std::int16_t tmpDatenphase, const Ausgabeoptionen& optionen = {});
  // Write the quantity calculation in AnzArrayERG (row 0 header values, then
  // one row per calculation or comment row) as REB 23.003 (DA11) or REB
  // 23.004 (DA12) at tmpPfadDatei; the document is locked for the time of the
  // export. True when the file was written to the end.
  bool Ausgabe_BelegdatenDA90REB11(std::int16_t pBelegart, std::int32_t pBelegnummer, const std::string& tmpPfadDatei,
                                   XArrayDB& AnzArrayERG);
  bool Ausgabe_BelegdatenDA90REB12(std::int16_t pBelegart, std::int32_t pBelegnummer, const std::string& tmpPfadDatei,
                                   XArrayDB& AnzArrayERG);

  // Writes the document as a GAEB 2000 file at tmpPfadDatei in data phase
  // tmpDatenphase (81 to 86); True when the file was written.
  bool Ausgabe_BelegdatenDA2000(std::int16_t belegart, std::int32_t belegnummer, const std::string& tmpPfadDatei,
                                std::int16_t tmpDatenphase, const Ausgabeoptionen& optionen = {});
  // Writes the document as a GAEB DA XML 3.1 file (UTF-8) at tmpPfadDatei in
  // data type tmpDatenphase (81 to 86); True when the file was written
  // completely. A cancelled export still saves the partial file and answers
  // False.
  bool Ausgabe_BelegdatenDAXML(std::int16_t belegart, std::int32_t belegnummer, const std::string& tmpPfadDatei,
                               std::int16_t tmpDatenphase, const Ausgabeoptionen& optionen = {});
  // False when the file of the last export is not complete at its target:
  // a write failed, the target could not be created, or a writer reported an
  // error (its message was shown), whatever the export answered.
  bool AusgabeVollständig() const { return !k_->ausgabeUnvollständig; }

  // The five level lengths of an OZ mask ("1233PPPPI" -> "11241").
  std::string OZMaske_Stufen(std::string OZMaske);

  // Connects the host's event sink (null disconnects); it must outlive the calls.
  void Verbinde(clsGaebSQLEreignisse* ereignisse) { k_->ereignisse = ereignisse; }

  // The object's state, for the subsystems and tests.
  Kontext& kontext() { return *k_; }
  const Dokumentvorgaben& Dokumentvorgaben_() const { return k_->vorgaben; }
};

}  // namespace gaeb

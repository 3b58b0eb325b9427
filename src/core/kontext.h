// The state of one clsGaebSQL object that outlives a single call: the position
// record, the host objects, the host's context handed to Init and
// Parameter_Beleg, the separator and the state an import keeps between rows.
// The subsystems (store, exports) are free functions working on it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/ereignisse.h"
#include "core/host.h"
#include "core/objektfabrik.h"
#include "core/positionssatz.h"

namespace gaeb {

class clsGaebTextkonverter;

// The contractor's own address, read from the host settings.
struct Firmenanschrift {
  std::string Name1, Name2, Name3, Straße, PlzOrt, Fax, Email, Telefon;
};

struct Kontext {
  explicit Kontext(std::shared_ptr<const Objektfabrik> fabrik) : fabrik(std::move(fabrik)) {}

  std::shared_ptr<const Objektfabrik> fabrik;

  Positionssatz satz;
  std::string m_PosNr_Trennzeichen;

  // Host objects the object creates and owns.
  std::unique_ptr<Belegdaten> belegdatenobjekt;
  std::unique_ptr<Belegnummern> belegnummernobjekt;
  std::shared_ptr<clsGaebTextkonverter> textkonverter;

  // The host's context from Init; shared with the host, never closed here.
  Verbindung* pConnection = nullptr;
  std::string pConnectstring;
  std::shared_ptr<HostObjekt> pGL_OptionenObj;
  std::shared_ptr<HostObjekt> pGL_TextFormat;

  Dokumentvorgaben vorgaben;

  // Import state between rows.
  std::int16_t nummernkreis = 0;
  std::array<std::int32_t, 3> hierarchiezeilen{-1, -1, -1};

  // Article transfer: the manager InitArtikelmanager created, with the user
  // and the processing date (year-month-day) that every article records.
  std::unique_ptr<Artikelmanager> artikelmanager;
  std::string pAppUser;
  std::string pjmt_Verarbeitungsdatum;

  // Company address, kept between exports.
  Firmenanschrift firma;

  // Error reports (Fehlermeldung) shown so far. An export compares the count
  // before and after its run: a report means that a line, a record or a block
  // of its file is missing.
  mutable std::uint32_t fehlermeldungen = 0;
  // True after an export whose file did not reach its target complete (a
  // failed write, a target that could not be created, a block writer that
  // failed); reset when the next export starts. The export's own result
  // follows its resume-next rules and may still be True.
  bool ausgabeUnvollständig = false;

  // Progress events; null when no host listens.
  clsGaebSQLEreignisse* ereignisse = nullptr;

  // The per-thread host services.
  Meldungstexte& Texte() const { return fabrik->Dienst<Meldungstexte>(klassen::Meldungstexte); }
  Meldungsdienst& Meldungen() const { return fabrik->Dienst<Meldungsdienst>(klassen::Meldungsdienst); }
  Datumsdienst& Daten() const { return fabrik->Dienst<Datumsdienst>(klassen::Datumsdienst); }

  // The document data object; throws error 91 when it could not be created.
  Belegdaten& Beleg() const;
  Belegnummern& Nummern() const;
  // The connection from Init; throws error 91 before Init.
  Verbindung& Connection() const;
};

// The standard extra value of a message (the Long 1992).
inline const Variant kMeldungExtra{static_cast<std::int32_t>(1992)};

// Shows text through the message service with the standard arguments
// (kind 3, extra 1992). Never throws.
void ZeigeMeldung(const Kontext& k, const std::string& text);
// Shows message 10055 with one insert through the message service with the
// standard arguments. Never throws.
void Meldung10055(const Kontext& k, const std::string& einfügung);
// The error report of a procedure: message 10055 with the procedure's name.
// Called inside a handler: the description of the error being handled is
// the report's reason while the message is shown.
void Fehlermeldung(const Kontext& k, std::string_view prozedur);
// The description of the error that the report being shown is about (the
// host's or the database engine's own words); empty outside an error report.
// The host's message service may show it with the message.
const std::string& GemeldeterFehlergrund();

// Runs body and reports any error it raises as Fehlermeldung(prozedur); the
// procedure then leaves normally with whatever its result holds.
template <typename F>
void Geschützt(const Kontext& k, std::string_view prozedur, F&& body) noexcept {
  try {
    body();
  } catch (...) {
    Fehlermeldung(k, prozedur);
  }
}

// "Resume next": each statement run through it that fails is reported once
// and the procedure goes on with the next statement.
class WeiterBeiFehler {
 public:
  WeiterBeiFehler(const Kontext& k, std::string_view prozedur) : k_(k), prozedur_(prozedur) {}

  template <typename F>
  void operator()(F&& anweisung) noexcept {
    try {
      anweisung();
    } catch (...) {
      Fehlermeldung(k_, prozedur_);
    }
  }

 private:
  const Kontext& k_;
  std::string_view prozedur_;
};

// "On error resume next" without a report: a failing statement is skipped.
template <typename F>
void Ignoriere(F&& anweisung) noexcept {
  try {
    anweisung();
  } catch (...) {
  }
}

}  // namespace gaeb

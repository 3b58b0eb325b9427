// The document data object of the stand-alone host: opens one document of the
// database into memory, hands its header, positions and closing rows to the
// component, and keeps the locks between workstations (a row of Belegsperren
// with its holder; a document held by another holder is "being edited
// elsewhere").
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/host.h"
#include "host/dokument.h"

namespace gaeb::host {

// Who holds a lock: user, machine and process, so that two workstations (or
// two processes on one machine) are told apart. The lock of a process of this
// machine that has ended is stale: it does not count and is taken over.
std::string LockInhaber(const std::string& benutzer);

// False when the holder is a process of this machine that no longer runs.
bool InhaberLebt(const std::string& inhaber);

// When a lock was taken (column Seit of Belegsperren), local time.
inline constexpr const char* kSperrzeitformat = "%Y-%m-%d %H:%M:%S";

// The lock holder of a document, empty when it is not locked.
std::string Sperrinhaber(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer);

// The insert rules of the host, in one place, on the kinds of the rows
// appended so far (document kinds 20, 21, 22 for lot, trade, title; 40, 45,
// 47, 50, 60, 70, 80):
//  - a lot, trade or title may be appended when every structure level above
//    it that the document uses is open;
//  - a position, package head, subtotal, surcharge or discount under any
//    open level (a bill may hold items at a shallower depth than its
//    breakdown; their ordinal numbers leave the skipped levels blank);
//  - a package part only right after a package head or another part;
//  - a text row always.
// A structure row opens its level and closes the levels below it.
class Einfügeregeln {
 public:
  bool Darf(std::int16_t art) const { return Grund(art).empty(); }
  // Why a row of the kind may not be appended here, in German; empty when it may.
  std::string Grund(std::int16_t art) const;
  // A row of the kind was appended.
  void Nach(std::int16_t art);
  // The innermost structure level opened so far (0: none).
  std::int16_t Ebene() const { return ebene_; }

 private:
  bool benutzt_[4] = {};  // the document uses the level
  bool offen_[4] = {};    // no row of an outer level followed the level's last row
  std::int16_t letzteArt_ = 0;
  std::int16_t ebene_ = 0;
};

class Positionsfenster;

class BelegdatenHost : public Belegdaten {
 public:
  BelegdatenHost();
  ~BelegdatenHost() override;

  void Öffnen(const std::string& modus, const std::string& verbindungstext, Verbindung* verbindung) override;
  bool Vorgaben(const Dokumentvorgaben& vorgaben) override;
  std::int16_t BelegartVon(std::int32_t belegnummer, bool flag) override;
  bool LeseKopf(std::int16_t belegart, std::int32_t belegnummer, bool flag) override;
  std::int16_t Bearbeitungsstatus() override;
  Datensatz& Kopf() override;
  std::string OZMaske() override;
  void SetzeOZMaske(const std::string& maske) override;
  bool MitLosen() override;
  bool MitGewerken() override;
  bool MitTiteln() override;
  OZFormatobjekt& OZFormat() override;

  void ÖffneFürAusgabe(std::int16_t& belegart, std::int32_t& belegnummer, bool& flag) override;
  std::int32_t Öffnungsstatus() override;
  std::int32_t SetzeAusgabewährung(bool& landeswährung) override;
  std::int32_t Sperren(std::int16_t belegart, std::int32_t belegnummer, bool flag) override;
  std::int32_t Entsperren(std::int16_t& belegart, std::int32_t& belegnummer) override;
  std::int32_t LetzterPositionsindex() override;
  void WählePosition(std::int32_t index) override;
  std::int32_t AktuellerPositionsindex() override;
  Belegposition& AktuellePosition() override;
  std::int32_t LetzterSchlusszeilenindex() override;
  void WähleSchlusszeile(std::int32_t index) override;
  Datensatz& AktuelleSchlusszeile() override;
  Datensatz& Adresse(std::int16_t adressart) override;

  std::int32_t PrüfeAusgabewährung(bool landeswährung) override;
  Projektteil& Projekt() override;
  bool ErzeugeBeleg(std::int16_t belegart, std::int32_t belegnummer, const std::string& projektnummer,
                    const std::string& kundennummer, bool projektGefunden, bool mitKunde, const std::string& text,
                    std::int32_t wert) override;
  Datensatz& KopfPosition() override;
  bool DarfEinfügen(std::int16_t art) override;
  bool FügeStrukturzeileEin(std::int16_t art, std::int16_t ebene) override;
  bool FügePositionEin(std::int16_t art, const std::string& textschlüssel) override;
  bool DarfSchlusszeileEinfügen(std::int16_t art) override;
  bool FügeSchlusszeileEin(std::int16_t art) override;
  std::int32_t Währungsprüfung(bool neu) override;
  void RechneWährungUm() override;
  std::int32_t PrüfeUndKorrigiere() override;
  bool Speichern(bool neuBerechnen, bool prüfen, bool drucken, bool freigeben, bool schließen) override;

  // Host side, for the program and tests. The document with every position
  // in memory (a document open for output is read in full first).
  Dokument& Aktuell();
  bool HatDokument() const { return dokument_.has_value(); }
  // The header, and one position; neither reads a document open for output
  // in full.
  Satz& Kopfsatz();
  Satz& Positionssatz(std::int32_t index);
  Variant Positionsfeld(std::int32_t index, std::string_view name);
  const std::string& Inhaber() const { return inhaber_; }

 private:
  Verbindung& Db() const;
  bool HatArt(std::int16_t art);
  // Reads the document; without positions for an output, which reads them
  // through the page window once the document is locked.
  bool Lade(std::int16_t belegart, std::int32_t belegnummer, bool mitPositionen);
  // The loaded document; its positions may still be in the page window.
  Dokument& Geladen();
  // Moves every position into the document (from the page window, or from
  // the database when the document was loaded without them).
  void LesePositionenGanz();

  Verbindung* verbindung_ = nullptr;
  std::string verbindungstext_;
  Dokumentvorgaben vorgaben_;
  std::string inhaber_;
  std::optional<Dokument> dokument_;
  // The positions of a document open for output, and the kinds of row it holds.
  std::unique_ptr<Positionsfenster> fenster_;
  std::vector<std::int16_t> arten_;
  std::unique_ptr<OZFormatobjekt> ozformat_;
  std::int32_t öffnungsstatus_ = 0;
  std::int32_t positionsindex_ = -1;
  std::int32_t schlusszeilenindex_ = -1;
  std::unique_ptr<Belegposition> position_;  // view on the selected position
  std::unique_ptr<Satz> leereAdresse_;
  std::unique_ptr<Projektteil> projekt_;
  std::unique_ptr<Datensatz> kopfSicht_, kopfPosition_;

  // Appends an empty position.
  void NeuePosition(Dokument& d);
  // The insert rules on the rows the document holds.
  void Einfügezustand();
  Einfügeregeln regeln_;
};

// The formatting object: after an import it trims trailing blanks and line
// breaks from the texts of every position.
class FormatierungHost : public Formatierung {
 public:
  void Init(const std::string& verbindungstext, Verbindung* verbindung, std::shared_ptr<HostObjekt> optionen,
            std::shared_ptr<HostObjekt> textformat) override;
  bool Vorbereiten() override;
  void FormatiereAllePositionen(std::unique_ptr<Belegdaten>& beleg, std::int16_t modus, bool vorbereitet,
                                bool& alleFormatiert) override;
};

// Level formats and separator derived from a stored OZ mask, in the digit
// notation ("1233PPPPI": 1..3 the used levels from outermost to innermost, P
// position, I index) or the letter notation an import writes ("GLTTPPPPU|.|":
// G lot, L trade, T title, P position, U index; the separator between the
// first two "|").
struct OZFormate {
  std::string los, gewerk, titel, position, index, trennzeichen;
};
OZFormate FormateAusMaske(const std::string& maske);

}  // namespace gaeb::host

// The real stand-alone host on an in-memory SQLite database (or one of its own on
// the test server): a factory with the host registered, the connection with the schema,
// a component handed its context, and the messages it was shown. StörBelegdaten wraps
// the host's document data object and fails its Nth call: failure paths run against the real host.
#pragma once

#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "component/clsGaebSQL.h"
#include "host/belegdaten.h"
#include "host/dienste.h"
#include "host/dokument.h"
#include "host/host.h"
#include "host/schema.h"
#include "host/verbindung.h"
#include "pgserver.h"

namespace gaeb::test {

using host::Datenbankart;

// Suites that run on both engines: TEST_P(Suite, ...) with the engine as
// parameter, instantiated once by GAEB_AUF_BEIDEN(Suite).
class AufBeiden : public ::testing::TestWithParam<Datenbankart> {};
#define GAEB_AUF_BEIDEN(suite)                                                                             \
  INSTANTIATE_TEST_SUITE_P(, suite, ::testing::Values(Datenbankart::Sqlite, Datenbankart::Postgres),      \
                           [](const auto& i) { return i.param == Datenbankart::Sqlite ? "Sqlite" : "Postgres"; })

// A new empty database. geteilt: one several processes can open (a file for
// SQLite, removed with its journals by EntferneDatenbank).
inline std::string NeueDatenbank(Datenbankart art, bool geteilt = false) {
  static int zähler = 0;
  std::string name = "gaebtest" + std::to_string(::getpid()) + "_" + std::to_string(++zähler);
  if (art == Datenbankart::Postgres) return PgServer::NeueDatenbank();
  if (geteilt) return "sqlite:" + (std::filesystem::temp_directory_path() / (name + ".db")).string();
  return "sqlite:file:" + name + "?mode=memory&cache=shared";
}
inline void EntferneDatenbank(const std::string& text) {
  if (text.rfind("sqlite:/", 0) == 0)
    for (const char* endung : {"", "-wal", "-shm"}) std::filesystem::remove(text.substr(7) + endung);
}

// Counts the calls of wrapped host objects. The call with number failAt
// throws; so does the opFailAt-th call of the operation named op.
struct Störzähler {
  long aufrufe = 0;
  long failAt = 0;  // 0: never fail
  std::string op;
  long opAufrufe = 0;
  long opFailAt = 1;
  std::string nein;  // this operation answers false (or 0) without asking the host
  std::string signal;  // this operation first raises SIGINT (Ctrl-C)

  void Aufruf(const char* name) {
    if (signal == name) std::raise(SIGINT);
    ++aufrufe;
    if (failAt != 0 && aufrufe == failAt) throw Fehler(kFehlerHost, "Störung bei Aufruf " + std::to_string(aufrufe));
    if (!op.empty() && op == name && ++opAufrufe == opFailAt) throw Fehler(kFehlerHost, std::string("Störung in ") + name);
  }
  // Makes the nth call of operation name fail.
  void Störe(const std::string& name, long n = 1) { op = name; opAufrufe = 0; opFailAt = n; }
};

// Forwards one operation of the document data object, counting the call first.
#define GAEB_WEITER(typ, name, parameter, argumente) \
  typ name parameter override { z_->Aufruf(#name); return ziel_->name argumente; }

class StörBelegdaten : public Belegdaten {
 public:
  StörBelegdaten(std::unique_ptr<Belegdaten> ziel, std::shared_ptr<Störzähler> z)
      : ziel_(std::move(ziel)), z_(std::move(z)) {}

  bool LeseKopf(std::int16_t a, std::int32_t n, bool f) override {
    z_->Aufruf(__func__);
    return z_->nein == __func__ ? false : ziel_->LeseKopf(a, n, f);
  }
  GAEB_WEITER(void, Öffnen, (const std::string& m, const std::string& t, Verbindung* v), (m, t, v))
  GAEB_WEITER(bool, Vorgaben, (const Dokumentvorgaben& v), (v))
  GAEB_WEITER(std::int16_t, BelegartVon, (std::int32_t n, bool f), (n, f))
  GAEB_WEITER(std::int16_t, Bearbeitungsstatus, (), ()) GAEB_WEITER(Datensatz&, Kopf, (), ())
  GAEB_WEITER(std::string, OZMaske, (), ()) GAEB_WEITER(void, SetzeOZMaske, (const std::string& m), (m))
  GAEB_WEITER(bool, MitLosen, (), ()) GAEB_WEITER(bool, MitGewerken, (), ())
  GAEB_WEITER(bool, MitTiteln, (), ()) GAEB_WEITER(OZFormatobjekt&, OZFormat, (), ())
  GAEB_WEITER(void, ÖffneFürAusgabe, (std::int16_t & a, std::int32_t& n, bool& f), (a, n, f))
  GAEB_WEITER(std::int32_t, Öffnungsstatus, (), ()) GAEB_WEITER(std::int32_t, SetzeAusgabewährung, (bool& l), (l))
  GAEB_WEITER(std::int32_t, Sperren, (std::int16_t a, std::int32_t n, bool f), (a, n, f))
  GAEB_WEITER(std::int32_t, Entsperren, (std::int16_t & a, std::int32_t& n), (a, n))
  GAEB_WEITER(std::int32_t, LetzterPositionsindex, (), ()) GAEB_WEITER(void, WählePosition, (std::int32_t i), (i))
  GAEB_WEITER(std::int32_t, AktuellerPositionsindex, (), ()) GAEB_WEITER(Belegposition&, AktuellePosition, (), ())
  GAEB_WEITER(std::int32_t, LetzterSchlusszeilenindex, (), ())
  GAEB_WEITER(void, WähleSchlusszeile, (std::int32_t i), (i)) GAEB_WEITER(Datensatz&, AktuelleSchlusszeile, (), ())
  GAEB_WEITER(Datensatz&, Adresse, (std::int16_t a), (a)) GAEB_WEITER(std::int32_t, PrüfeAusgabewährung, (bool l), (l))
  GAEB_WEITER(Projektteil&, Projekt, (), ())
  GAEB_WEITER(bool, ErzeugeBeleg,
              (std::int16_t a, std::int32_t n, const std::string& p, const std::string& kd, bool g, bool mk,
               const std::string& t, std::int32_t w), (a, n, p, kd, g, mk, t, w))
  GAEB_WEITER(Datensatz&, KopfPosition, (), ()) GAEB_WEITER(bool, DarfEinfügen, (std::int16_t a), (a))
  GAEB_WEITER(bool, FügeStrukturzeileEin, (std::int16_t a, std::int16_t e), (a, e))
  GAEB_WEITER(bool, FügePositionEin, (std::int16_t a, const std::string& t), (a, t))
  GAEB_WEITER(bool, DarfSchlusszeileEinfügen, (std::int16_t a), (a))
  GAEB_WEITER(bool, FügeSchlusszeileEin, (std::int16_t a), (a))
  GAEB_WEITER(std::int32_t, Währungsprüfung, (bool n), (n)) GAEB_WEITER(void, RechneWährungUm, (), ())
  GAEB_WEITER(std::int32_t, PrüfeUndKorrigiere, (), ())
  GAEB_WEITER(bool, Speichern, (bool a, bool b, bool c, bool d, bool e), (a, b, c, d, e))

  Belegdaten& Ziel() { return *ziel_; }

 private:
  std::unique_ptr<Belegdaten> ziel_;
  std::shared_ptr<Störzähler> z_;
};
#undef GAEB_WEITER

class TestHost {
 public:
  // Each host has a database of its own: in memory, shared by the connections
  // of this process that open the same connection text, or on the server.
  explicit TestHost(Datenbankart art = Datenbankart::Sqlite, bool geteilt = false)
      : verbindungstext(NeueDatenbank(art, geteilt)), fabrik(host::NeueFabrik()),
        db(host::ÖffneVerbindung(verbindungstext)) {
    host::ErstelleSchema(*db);
    fabrik->Registriere(klassen::Belegdaten, [z = störung] {
      return std::make_unique<StörBelegdaten>(std::make_unique<host::BelegdatenHost>(), z);
    });
  }
  ~TestHost() { db.reset(); EntferneDatenbank(verbindungstext); }  // a file of several processes

  // A component with Init and Parameter_Beleg done, as a host does it.
  std::unique_ptr<clsGaebSQL> Komponente() {
    auto k = std::make_unique<clsGaebSQL>(fabrik);
    k->Init("", verbindungstext, db.get(), nullptr, nullptr, GAEB_BIN_DIR);
    k->Parameter_Beleg("EUR", "tester", "20261205", "05122026", "", 20.5, 10, 15, 5, "XY", false);
    return k;
  }

  host::MeldungsdienstHost& Meldungsdienst() {
    return dynamic_cast<host::MeldungsdienstHost&>(fabrik->Dienst<gaeb::Meldungsdienst>(klassen::Meldungsdienst));
  }
  std::vector<std::string> Meldungen() {
    std::vector<std::string> out;
    for (const auto& m : Meldungsdienst().Meldungen()) out.push_back(m.text);
    return out;
  }

  // The text of message 10055 with one insert, as the catalogue words it.
  static std::string M10055(const std::string& e) { return host::MeldungstexteHost().Text(10055, {e}); }

  // Stores a document with positions of the given kinds and an OZ mask.
  void LegeBelegAn(std::int16_t art, std::int32_t nr, const std::string& maske = "",
                   std::vector<std::int16_t> arten = {}, const std::string& trennzeichen = "") {
    host::Dokument d;
    d.belegart = art; d.belegnummer = nr;
    d.kopf.SetzeFeld("OZMaske", maske);
    d.kopf.SetzeFeld("OZTrennzeichen", trennzeichen);
    for (std::int16_t a : arten) d.positionen.emplace_back(host::PositionsKatalog()).SetzeFeld("Positionstyp", a);
    Speichere(d);
  }
  void Speichere(const host::Dokument& d) { db->Beginne(); host::SpeichereDokument(*db, d); db->Bestätige(); }

  // A new in-memory database's connection text.
  static std::string NeuerName() { return NeueDatenbank(Datenbankart::Sqlite); }

  std::shared_ptr<Störzähler> störung = std::make_shared<Störzähler>();
  std::string verbindungstext;
  std::shared_ptr<Objektfabrik> fabrik;
  std::unique_ptr<Verbindung> db;
};

}  // namespace gaeb::test

// Document numbers, locks, Init_BelegVorlauf and the project check.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

#include "importhelfer.h"

namespace gaeb {
namespace {

using namespace test;
using Belegnummern = AufBeiden;
using Mehrplatz = AufBeiden;

TEST_P(Belegnummern, LockSkipsTakenNumbersOfTheSameTypeOnly) {
  TestHost h(GetParam());
  h.db->Ausführen("INSERT INTO Nummernkreise VALUES (1, 0, 1000)");
  h.LegeBelegAn(1, 1000); h.LegeBelegAn(1, 1001);
  h.LegeBelegAn(2, 1002);  // another type: does not count as taken
  auto k = h.Komponente();
  k->Init_BelegVorlauf(1, "");
  EXPECT_EQ(k->Ermittle_Belegnummer(1), 1000);  // the range's number, nothing checked or reserved
  EXPECT_EQ(k->Ermittle_Belegnummer(1), 1000);
  EXPECT_EQ(k->Sperren_Belegnummer(1), 1002);
  auto& beleg = dynamic_cast<host::BelegdatenHost&>(dynamic_cast<StörBelegdaten&>(k->kontext().Beleg()).Ziel());
  EXPECT_EQ(host::Sperrinhaber(*h.db, 1, 1002), beleg.Inhaber());
  // The number is reserved: the range hands out the next one.
  EXPECT_EQ(k->Ermittle_Belegnummer(1), 1003);
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST_P(Belegnummern, PerUserRangeIsKeptForTheHeader) {
  TestHost h(GetParam());
  host::SchreibeEinstellung(*h.db, "Standard", "Belegnummern", "ProBenutzer", "Wahr");
  h.db->Ausführen("INSERT INTO Benutzernummernkreise VALUES ('tester', 1, 7)");
  h.db->Ausführen("INSERT INTO Nummernkreise VALUES (1, 7, 7000)");
  auto k = h.Komponente();
  k->Init_BelegVorlauf(1, "");
  EXPECT_EQ(k->Sperren_Belegnummer(1), 7000);
  EXPECT_EQ(k->kontext().nummernkreis, 7);
}

// No number after the largest Long: the reservation fails with its message
// and result 0, and nothing is reserved or locked under a wrapped number.
TEST_P(Belegnummern, NoNumberAfterTheLargest) {
  TestHost h(GetParam());
  h.db->Ausführen("INSERT INTO Nummernkreise VALUES (1, 0, 2147483646)");
  h.LegeBelegAn(1, 2147483647);  // the search would step past it
  h.LegeBelegAn(2, 2147483647);  // a range never used starts after it
  h.db->Ausführen("INSERT INTO Nummernkreise VALUES (3, 0, 2147483647)");
  auto k = h.Komponente();
  k->Init_BelegVorlauf(1, "");
  EXPECT_EQ(k->Sperren_Belegnummer(1), 2147483646);
  EXPECT_EQ(k->Sperren_Belegnummer(3), 2147483647);
  EXPECT_TRUE(h.Meldungen().empty());
  for (std::int16_t art : {1, 2, 3}) EXPECT_EQ(k->Sperren_Belegnummer(art), 0) << art;
  EXPECT_EQ(k->Ermittle_Belegnummer(3), 0);
  std::vector<std::string> erwartet(3, TestHost::M10055("Speichern_Belegnummer"));
  erwartet.push_back(TestHost::M10055("Ermittle_Belegnummer"));
  EXPECT_EQ(h.Meldungen(), erwartet);
  EXPECT_EQ(h.db->Ausführen("SELECT * FROM Belegsperren"), 2);
  EXPECT_EQ(h.db->Ausführen("SELECT * FROM Belegsperren WHERE Belegnummer < 0"), 0);
}

// Workstations (processes) import the demo bill into one database at once,
// as `gaeb import-rows` does: each import gets a number of its own, is saved
// completely and leaves no lock behind.
TEST_P(Mehrplatz, ParallelImportsOfTheDemoBillGetNumbersOfTheirOwn) {
  TestHost h(GetParam(), true);
  Projekt(h, "1000");
  std::string aus = (std::filesystem::temp_directory_path() / ("gaeb_mehrplatz" + std::to_string(::getpid()))).string();
  std::string befehl = "for p in 1 2 3 4; do (for i in $(seq 25); do '" GAEB_BIN_DIR "/gaeb' --db '" +
                       h.verbindungstext + "' import-rows '" GAEB_TESTDATA "/../../examples/kita-rohbau.json' "
                       "--type 1 2>/dev/null || echo Fehler; done) & done > " + aus + "; wait";
  ASSERT_EQ(std::system(befehl.c_str()), 0);
  std::ifstream in(aus);
  std::set<std::string> nummern;
  for (std::string zeile; std::getline(in, zeile);) EXPECT_TRUE(nummern.insert(zeile).second) << zeile;
  std::filesystem::remove(aus);
  EXPECT_EQ(nummern.size(), 100u);
  EXPECT_EQ(h.db->Ausführen("SELECT * FROM Belegkopfkolvar"), 100);
  Ergebnis e = h.db->Abfrage("SELECT COUNT(*) AS n FROM Belegpositionen GROUP BY Belegnummer");
  ASSERT_EQ(e.zeilen.size(), 100u);
  for (const auto& z : e.zeilen) EXPECT_EQ(z[0], e.zeilen[0][0]);
  EXPECT_GT(e.zeilen[0][0].ToInt32(), 10);
  EXPECT_EQ(h.db->Ausführen("SELECT * FROM Belegsperren"), 0);
}

// The connection of a workstation that tells the pipe when the first
// position is written in the save's transaction, and waits there.
class Melder : public Verbindung {
 public:
  Melder(std::unique_ptr<Verbindung> v, int fd) : v_(std::move(v)), fd_(fd) {}
  void Öffnen(std::string_view t) override { v_->Öffnen(t); }
  long Ausführen(std::string_view sql, std::span<const Variant> p) override {
    if (fd_ >= 0 && sql.rfind("INSERT INTO Belegpositionen", 0) == 0 && write(fd_, "s", 1) == 1) pause();
    return v_->Ausführen(sql, p);
  }
  Ergebnis Abfrage(std::string_view sql, std::span<const Variant> p) override { return v_->Abfrage(sql, p); }
  void Beginne() override { v_->Beginne(); }
  void Bestätige() override { v_->Bestätige(); }
  void Verwerfe() override { v_->Verwerfe(); }
  bool InTransaktion() const override { return v_->InTransaktion(); }
  std::string Verbindungstext() const override { return v_->Verbindungstext(); }

 private:
  std::unique_ptr<Verbindung> v_;
  int fd_;
};

// A child process imports a bill under the first number (fd >= 0: its
// connection is a Melder).
pid_t Importiere(const std::string& text, int positionen, int fd) {
  pid_t kind = fork();
  if (kind != 0) return kind;
  auto fabrik = host::NeueFabrik();
  auto v = fd >= 0 ? std::make_unique<Melder>(host::ÖffneVerbindung(text), fd) : host::ÖffneVerbindung(text);
  clsGaebSQL k(fabrik);
  k.Init("", text, v.get(), nullptr, nullptr, "");
  k.Parameter_Beleg("EUR", "kind", "20261205", "05122026", "", 0, 0, 0, 0, "", false);
  k.Init_BelegVorlauf(1, "");
  bool ok = k.Sperren_Belegnummer(1) == 1 && Kopf(k, 1);
  for (int i = 0; ok && i < positionen; ++i) ok = Position(k, 1, std::to_string(i), 1, 1);
  _exit(ok && Ende(k, 1) ? 0 : 1);
}

// While a document is imported, an output of it is refused (the document is
// not there yet or locked); once it may be opened it is complete.
TEST_P(Mehrplatz, OutputDuringAnImportIsRefusedOrSeesTheWholeDocument) {
  constexpr int kPositionen = 3000;
  TestHost h(GetParam(), true);
  Projekt(h, "P1");
  pid_t kind = Importiere(h.verbindungstext, kPositionen, -1);
  host::BelegdatenHost b;
  b.Öffnen("0", "", h.db.get());
  b.Vorgaben(Dokumentvorgaben{});
  int abgewiesen = 0;
  for (;;) {
    std::int16_t art = 1; std::int32_t nr = 1; bool f = true;
    b.ÖffneFürAusgabe(art, nr, f);
    if (b.Öffnungsstatus() == -1) {
      EXPECT_EQ(b.LetzterPositionsindex() + 1, kPositionen);
      break;
    }
    ++abgewiesen;
    if (waitpid(kind, nullptr, WNOHANG) == kind) kind = 0;
    ASSERT_TRUE(kind != 0 || abgewiesen < 1000000) << "the import ended without saving";
  }
  if (kind != 0) waitpid(kind, nullptr, 0);
  EXPECT_GT(abgewiesen, 0);
}

// A workstation killed inside the save's transaction, while it writes the
// position rows, leaves no document, and its lock is taken over by the next
// one. The embedded engine stores the rows one by one, and the child's
// connection stops at the first; the server takes them as the COPY stream
// the host really sends, held at its 10th row by a trigger that waits for a
// lock of this test.
TEST_P(Mehrplatz, KilledDuringTheSaveSavesNothing) {
  TestHost h(GetParam(), true);
  Projekt(h, "P1");
  const bool pg = GetParam() == Datenbankart::Postgres;
  int pipe_[2];
  ASSERT_EQ(pipe(pipe_), 0);
  if (pg) {
    h.db->Ausführen("SELECT pg_advisory_lock(4711)");
    host::FühreSkriptAus(*h.db, "create function warte() returns trigger language plpgsql as $$ begin "
                                "if new.Zeile = 10 then perform pg_advisory_lock(4711); end if; return new; end $$");
    host::FühreSkriptAus(*h.db, "create trigger warte before insert on Belegpositionen for each row "
                                "execute function warte()");
  }
  pid_t kind = Importiere(h.verbindungstext, 50, pg ? -1 : pipe_[1]);
  Variant server;  // the child's server process, waiting inside its COPY
  char c = 0;
  if (pg) {
    for (Ergebnis e; server.IstLeer(); usleep(10000)) {
      e = h.db->Abfrage("SELECT pid FROM pg_stat_activity WHERE wait_event = 'advisory' AND query LIKE 'COPY%'");
      if (!e.Leer()) server = e.zeilen[0][0];
    }
  } else {
    ASSERT_EQ(read(pipe_[0], &c, 1), 1);
  }
  kill(kind, SIGKILL);
  int status = 0;
  waitpid(kind, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  if (pg) {
    // Let go: the server reads on, finds the stream cut off and rolls back.
    h.db->Ausführen("SELECT pg_advisory_unlock(4711)");
    const Variant p[] = {server};
    while (h.db->Ausführen("SELECT pid FROM pg_stat_activity WHERE pid = ?", p) != 0) usleep(10000);
  }
  auto v = host::ÖffneVerbindung(h.verbindungstext);
  for (const char* tabelle : {"Belegkopfkolvar", "Belegpositionen", "Belegschlusszeilen"})
    EXPECT_EQ(v->Ausführen(std::string("SELECT * FROM ") + tabelle), 0) << tabelle;
  host::BelegdatenHost b;
  b.Öffnen("0", "", v.get());
  b.Vorgaben(Dokumentvorgaben{});
  EXPECT_NE(host::Sperrinhaber(*v, 1, 1), "");
  EXPECT_EQ(b.Sperren(1, 1, false), -1);
  close(pipe_[0]); close(pipe_[1]);
}

TEST_P(Belegnummern, InitBelegVorlaufProjectCheckAndNoConnection) {
  TestHost h(GetParam());
  Projekt(h, "P'1");
  Projekt(h, "1000");
  auto k = h.Komponente();
  k->kontext().hierarchiezeilen = {3, 4, 5};
  EXPECT_EQ(k->Init_BelegVorlauf(99, "irgendwas"), Variant(true));
  EXPECT_EQ(k->kontext().hierarchiezeilen, (std::array<std::int32_t, 3>{-1, -1, -1}));
  EXPECT_TRUE(k->Default_ProjektMappe("1000"));
  EXPECT_TRUE(k->Default_ProjektMappe("P'1"));  // the apostrophe neither breaks nor changes the statement
  EXPECT_FALSE(k->Default_ProjektMappe("x' OR '1'='1"));
  EXPECT_FALSE(k->Default_ProjektMappe(""));
  EXPECT_FALSE(k->Default_ProjektMappe("2000"));
  clsGaebSQL ohneInit(h.fabrik);  // no connection: the first host call fails
  EXPECT_FALSE(ohneInit.Default_ProjektMappe("1000"));
  EXPECT_TRUE(h.Meldungen().empty());
  EXPECT_EQ(ohneInit.Sperren_Belegnummer(1), 0);
  EXPECT_EQ(ohneInit.Ermittle_Belegnummer(1), 0);
  EXPECT_EQ(h.Meldungen(), (std::vector<std::string>{TestHost::M10055("Speichern_Belegnummer"),
                                                     TestHost::M10055("Ermittle_Belegnummer")}));
}

GAEB_AUF_BEIDEN(Belegnummern);
GAEB_AUF_BEIDEN(Mehrplatz);

}  // namespace
}  // namespace gaeb

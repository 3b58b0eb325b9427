// Document numbers, locks, Init_BelegVorlauf and the project check.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "importhelfer.h"

namespace gaeb {
namespace {

using namespace test;

TEST(Belegnummern, LockSkipsTakenNumbersOfTheSameTypeOnly) {
  TestHost h;
  h.db->Ausführen("INSERT INTO Nummernkreise VALUES (1, 0, 1000)");
  h.LegeBelegAn(1, 1000, "", {});
  h.LegeBelegAn(1, 1001, "", {});
  h.LegeBelegAn(2, 1002, "", {});  // another type: does not count as taken
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

TEST(Belegnummern, PerUserRangeIsKeptForTheHeader) {
  TestHost h;
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
TEST(Belegnummern, NoNumberAfterTheLargest) {
  TestHost h;
  h.db->Ausführen("INSERT INTO Nummernkreise VALUES (1, 0, 2147483646)");
  h.LegeBelegAn(1, 2147483647, "", {});  // the search would step past it
  h.LegeBelegAn(2, 2147483647, "", {});  // a range never used starts after it
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

TEST(Belegnummern, FailuresReportTheirProcedure) {
  TestHost h;
  clsGaebSQL ohneInit(h.fabrik);  // no connection: the first host call fails
  EXPECT_EQ(ohneInit.Sperren_Belegnummer(1), 0);
  EXPECT_EQ(ohneInit.Ermittle_Belegnummer(1), 0);
  EXPECT_EQ(h.Meldungen(), (std::vector<std::string>{TestHost::M10055("Speichern_Belegnummer"),
                                                     TestHost::M10055("Ermittle_Belegnummer")}));
}

// A number range that lags behind the stored documents: it always offers 1,
// so every workstation's candidate is the lowest free number.
class NachlaufenderNummernkreis : public Belegnummern {
 public:
  void Öffnen(const std::string&, const std::string&, Verbindung*) override {}
  bool BenutzerNummernkreise() override { return false; }
  std::int16_t NummernkreisVon(const std::string&, std::int16_t) override { return 0; }
  std::int32_t NächsteNummer(std::int16_t, std::int16_t) override { return 1; }
  void Reserviere(std::int16_t, std::int32_t, std::int16_t) override {}
};

// Several processes (workstations) import into one database file at once,
// all drawing the same candidate numbers: each import gets a number of its
// own, is saved, and leaves no lock behind.
TEST(Belegnummern, ParallelImportsGetNumbersOfTheirOwn) {
  constexpr int kProzesse = 4, kRunden = 40, kPositionen = 20;
  std::string pfad = (std::filesystem::temp_directory_path() / ("gaeb_parallel_" + std::to_string(::getpid()) + ".db")).string();
  std::string text = "sqlite:" + pfad;
  auto db = host::ÖffneVerbindung(text);
  host::ErstelleSchema(*db);
  db->Ausführen("INSERT INTO ProjekteKolvar (Projektnummer) VALUES ('P1')");
  std::vector<pid_t> kinder;
  for (int p = 0; p < kProzesse; ++p) {
    pid_t kind = fork();
    if (kind == 0) {
      int fehler = 0;
      auto fabrik = host::NeueFabrik();
      fabrik->Registriere(klassen::Belegnummern, [] { return std::make_unique<NachlaufenderNummernkreis>(); });
      auto v = host::ÖffneVerbindung(text);
      for (int r = 0; r < kRunden; ++r) {
        clsGaebSQL k(fabrik);
        k.Init("", text, v.get(), nullptr, nullptr, "");
        k.Parameter_Beleg("EUR", "tester", "20261205", "05122026", "", 0, 0, 0, 0, "", false);
        k.Init_BelegVorlauf(1, "");
        std::int32_t nr = 0;
        for (int versuch = 0; versuch < 100000 && nr == 0; ++versuch) nr = k.Sperren_Belegnummer(1);
        bool ok = nr != 0 && Kopf(k, nr);
        for (int i = 0; ok && i < kPositionen; ++i) ok = Position(k, nr, std::to_string(i), 1, 1);
        if (!ok || !Ende(k, nr)) ++fehler;
      }
      _exit(std::min(fehler, 100));
    }
    kinder.push_back(kind);
  }
  for (pid_t kind : kinder) {
    int status = 0;
    waitpid(kind, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failed imports: " << WEXITSTATUS(status);
  }
  EXPECT_EQ(db->Ausführen("SELECT * FROM Belegkopfkolvar"), kProzesse * kRunden);
  EXPECT_EQ(db->Ausführen("SELECT * FROM Belegsperren"), 0);
  db.reset();
  for (const char* endung : {"", "-wal", "-shm"}) std::filesystem::remove(pfad + endung);
}

TEST(Vorlauf, InitBelegVorlaufAndProjectCheck) {
  TestHost h;
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
  clsGaebSQL ohneInit(h.fabrik);
  EXPECT_FALSE(ohneInit.Default_ProjektMappe("1000"));
  EXPECT_TRUE(h.Meldungen().empty());
}

}  // namespace
}  // namespace gaeb

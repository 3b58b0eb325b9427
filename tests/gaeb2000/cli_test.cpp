// `gaeb export --format 2000` through the built program, on a database file:
// a written file and exit 0; a document locked by another workstation gives
// the lock message, exit 1 and no file.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "exporthelfer.h"
#include "host/schema.h"

namespace gaeb::test {
namespace {

int Führe(const std::string& befehl) {
  int rc = std::system(befehl.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(Programm, ExportFormat2000) {
  const std::string gaeb = std::string(GAEB_BIN_DIR) + "/gaeb";
  ASSERT_TRUE(std::filesystem::exists(gaeb)) << gaeb;
  Ordner o;
  const std::string db = "sqlite:" + o.Datei("demo.db");
  {
    auto v = host::ÖffneVerbindung(db);
    host::ErstelleSchema(*v);
    host::SchreibeEinstellung(*v, "Standard", "Firmendaten", "Name1", "Bau & Söhne GmbH");
    Belegbau b(7);
    b.Position("0010", "Estrich", 20, "m2", 12.5);
    b.Speichere(*v);
  }
  const std::string aufruf = gaeb + " --db " + db + " --user tester export --type 1 --number 7 --format 2000 --dp 84";
  const std::string fehler = o.Datei("stderr.txt");

  ASSERT_EQ(Führe(aufruf + " --out " + o.Datei("lv.d84") + " 2>" + fehler), 0) << LiesBytes(fehler);
  EXPECT_EQ(LiesBytes(fehler), "");
  std::vector<std::string> z = Zeilen(LiesBytes(o.Datei("lv.d84")));
  ASSERT_GT(z.size(), 2u);
  EXPECT_EQ(z.front(), "#begin[GAEB]");
  EXPECT_EQ(Anzahl(z, L(16, "[Name1]Bau & Söhne GmbH[end]")), 1);
  EXPECT_EQ(Anzahl(z, L(15, "[EP]12,50[end]")), 1);
  EXPECT_EQ(Anzahl(z, L(15, "[SummeBrutto]297,50[end]")), 1);  // 250,00 + 19 %
  EXPECT_FALSE(std::filesystem::exists(o.Datei("lv.d841")));

  // Data types the program does not know are a usage error.
  const std::string ohneDp = gaeb + " --db " + db + " --user tester export --type 1 --number 7 --format 2000";
  for (const char* dp : {"7", "80", "87"}) {
    EXPECT_EQ(Führe(ohneDp + " --dp " + dp + " --out " + o.Datei("dp.p") + " 2>" + fehler), 2) << dp;
    EXPECT_NE(LiesBytes(fehler).find("unknown GAEB data type " + std::string(dp)), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(o.Datei("dp.p")));
  }

  // Another workstation holds the document.
  {
    auto v = host::ÖffneVerbindung(db);
    v->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 7, 'anna@anderswo:42')");
  }
  EXPECT_EQ(Führe(aufruf + " --out " + o.Datei("gesperrt.d84") + " 2>" + fehler), 1);
  EXPECT_EQ(LiesBytes(fehler), "Beleg konnte nicht gesperrt werden\n");
  EXPECT_FALSE(std::filesystem::exists(o.Datei("gesperrt.d84")));
  EXPECT_FALSE(std::filesystem::exists(o.Datei("gesperrt.d841")));
}

}  // namespace
}  // namespace gaeb::test

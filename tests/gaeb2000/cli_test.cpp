// `gaeb export` and `gaeb demo` through the built program, on a database file:
// a written GAEB 2000 and GAEB 90 file and exit 0; a locked document, an unknown data type and a
// file that cannot be written to the end never exit 0; the demo's files hold
// CR LF line ends only.
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

const std::string kGaeb = std::string(GAEB_BIN_DIR) + "/gaeb";

TEST(Programm, ExportFormat2000) {
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
  const std::string aufruf = kGaeb + " --db " + db + " --user tester export --type 1 --number 7 --format ";
  const std::string fehler = o.Datei("stderr.txt");

  ASSERT_EQ(Führe(aufruf + "2000 --dp 84 --out " + o.Datei("lv.d84") + " 2>" + fehler), 0) << LiesDatei(fehler);
  EXPECT_EQ(LiesDatei(fehler), "");
  std::vector<std::string> z = Zeilen(LiesDatei(o.Datei("lv.d84")));
  ASSERT_GT(z.size(), 2u);
  EXPECT_EQ(z.front(), "#begin[GAEB]");
  EXPECT_EQ(Anzahl(z, L(16, "[Name1]Bau & Söhne GmbH[end]")), 1);
  EXPECT_EQ(Anzahl(z, L(15, "[SummeBrutto]297,50[end]")), 1);  // 250,00 + 19 %
  EXPECT_FALSE(std::filesystem::exists(o.Datei("lv.d841")));
  ASSERT_EQ(Führe(aufruf + "90 --dp 83 --prices --out " + o.Datei("lv.d83") + " 2>" + fehler), 0) << LiesDatei(fehler);
  const std::string d83 = LiesDatei(o.Datei("lv.d83"));
  EXPECT_EQ(d83.substr(0, 13), "00        83L");
  EXPECT_NE(d83.find(" 0000001250  000000025000"), std::string::npos);  // 20 m2 at 12,50

  // Data types the program does not know are a usage error.
  for (const char* dp : {"7", "80", "87"}) {
    EXPECT_EQ(Führe(aufruf + "2000 --dp " + dp + " --out " + o.Datei("dp.p") + " 2>" + fehler), 2) << dp;
    EXPECT_NE(LiesDatei(fehler).find("unknown GAEB data type " + std::string(dp)), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(o.Datei("dp.p")));
  }

  // A file that cannot be written to the end (a full device) is no success:
  // the GAEB 90 file, the temporary GAEB 2000 file, the GAEB 2000 target.
  const struct {
    const char* format;
    const char* voll;  // the file that lies on the full device
    const char* ziel;
  } volle[] = {{"90", "a.d83", "a.d83"}, {"2000", "b.p831", "b.p83"}, {"2000", "c.p83", "c.p83"}};
  for (const auto& v : volle) {
    std::filesystem::create_symlink("/dev/full", o.Datei(v.voll));
    EXPECT_EQ(Führe(aufruf + v.format + " --dp 83 --out " + o.Datei(v.ziel) + " 2>" + fehler), 1) << v.voll;
    EXPECT_NE(LiesDatei(fehler).find(o.Datei(v.ziel) + " ist unvollständig"), std::string::npos) << LiesDatei(fehler);
  }
  EXPECT_TRUE(std::filesystem::exists(o.Datei("c.p831")));  // the complete temporary file stays

  // Another workstation holds the document.
  {
    auto v = host::ÖffneVerbindung(db);
    v->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 7, 'anna@anderswo:42')");
  }
  EXPECT_EQ(Führe(aufruf + "2000 --dp 84 --out " + o.Datei("gesperrt.d84") + " 2>" + fehler), 1);
  EXPECT_EQ(LiesDatei(fehler), "Beleg konnte nicht gesperrt werden\n");
  EXPECT_FALSE(std::filesystem::exists(o.Datei("gesperrt.d84")));
  EXPECT_FALSE(std::filesystem::exists(o.Datei("gesperrt.d841")));
}

TEST(Programm, DemoFilesHaveCrLfLineEndsOnly) {
  Ordner o;
  const std::string fehler = o.Datei("stderr.txt");
  ASSERT_EQ(Führe(kGaeb + " --db sqlite:" + o.Datei("x.db") + " demo --out " + o.Datei("demo") + " >/dev/null 2>" +
                  fehler),
            0)
      << LiesDatei(fehler);
  int dateien = 0;
  for (const auto& f : std::filesystem::directory_iterator(o.Datei("demo"))) {
    const std::string endung = f.path().extension().string();
    if (endung.rfind(".p8", 0) != 0 && endung.rfind(".d8", 0) != 0) continue;
    ++dateien;
    const std::string b = LiesDatei(f.path().string());
    for (std::size_t i = 0; i < b.size(); ++i) {
      const bool crlf = b[i] == '\r' ? i + 1 < b.size() && b[i + 1] == '\n' : b[i] != '\n' || (i > 0 && b[i - 1] == '\r');
      ASSERT_TRUE(crlf) << f.path() << " byte " << i;
    }
  }
  EXPECT_GE(dateien, 4);
  // The import stored the demo's texts with CR LF between their lines.
  auto v = host::ÖffneVerbindung("sqlite:" + o.Datei("x.db"));
  auto zähle = [&](const std::string& bedingung) {
    return v->Abfrage("SELECT COUNT(*) FROM Belegpositionen WHERE " + bedingung).zeilen.at(0).at(0).ToInt32();
  };
  EXPECT_GT(zähle("instr(Langtext, char(13) || char(10)) > 0"), 0);
  EXPECT_EQ(zähle("instr(replace(Langtext || Kurztext1, char(13) || char(10), ''), char(10)) > 0"), 0);
}

}  // namespace
}  // namespace gaeb::test

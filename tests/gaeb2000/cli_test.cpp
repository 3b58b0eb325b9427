// `gaeb export` through the built program, on a database file: a written
// GAEB 2000 and GAEB 90 file and exit 0; a locked document, an unknown data
// type and a file that cannot be written to the end never exit 0.
#include <gtest/gtest.h>

#include "exportlv.h"
#include "host/schema.h"

namespace gaeb::test {
namespace {

TEST(Programm, ExportFormat2000) {
  Programmordner o("export2000");
  {
    auto v = host::ÖffneVerbindung(o.db);
    host::ErstelleSchema(*v);
    host::SchreibeEinstellung(*v, "Standard", "Firmendaten", "Name1", "Bau & Söhne GmbH");
    LV b(7);
    b.Position("0010", "Estrich", 20, "m2", 12.5);
    b.Speichere(*v);
  }
  auto pfad = [&](const std::string& name) { return (o.ordner / name).string(); };
  auto exportiere = [&](const std::string& format, const std::string& dp, const std::string& ziel) {
    return o.Gaeb("--user tester export --type 1 --number 7 --format " + format + " --dp " + dp + " --out " + pfad(ziel));
  };
  Lauf l = exportiere("2000", "84", "lv.d84");
  ASSERT_EQ(l.status, 0) << l.err;
  EXPECT_EQ(l.err, "");
  const Z z = Datei(pfad("lv.d84"), Codepage::Cp850).zeilen;
  ASSERT_GT(z.size(), 2u);
  EXPECT_EQ(z.front(), "#begin[GAEB]");
  EXPECT_EQ(Anzahl(z, L(16, "[Name1]Bau & Söhne GmbH[end]")), 1);
  EXPECT_EQ(Anzahl(z, L(15, "[SummeBrutto]297,50[end]")), 1);  // 250,00 + 19 %
  EXPECT_FALSE(std::filesystem::exists(pfad("lv.d841")));
  l = exportiere("90", "83 --prices", "lv.d83");
  ASSERT_EQ(l.status, 0) << l.err;
  const std::string d83 = LiesDatei(pfad("lv.d83"));
  EXPECT_EQ(d83.substr(0, 13), "00        83L");
  EXPECT_NE(d83.find(" 0000001250  000000025000"), std::string::npos);  // 20 m2 at 12,50

  // Data types the program does not know are a usage error.
  for (const char* dp : {"7", "80", "87"}) {
    l = exportiere("2000", dp, "dp.p");
    EXPECT_EQ(l.status, 2) << dp;
    EXPECT_NE(l.err.find("unknown GAEB data type " + std::string(dp)), std::string::npos) << l.err;
    EXPECT_FALSE(std::filesystem::exists(pfad("dp.p")));
  }

  // A file that cannot be written to the end (a full device) is no success:
  // the GAEB 90 file, the temporary GAEB 2000 file, the GAEB 2000 target.
  const struct {
    const char *format, *voll, *ziel;  // voll: the file that lies on the full device
  } volle[] = {{"90", "a.d83", "a.d83"}, {"2000", "b.p831", "b.p83"}, {"2000", "c.p83", "c.p83"}};
  for (const auto& v : volle) {
    std::filesystem::create_symlink("/dev/full", pfad(v.voll));
    l = exportiere(v.format, "83", v.ziel);
    EXPECT_EQ(l.status, 1) << v.voll;
    EXPECT_NE(l.err.find(pfad(v.ziel) + " ist unvollständig"), std::string::npos) << l.err;
  }
  EXPECT_TRUE(std::filesystem::exists(pfad("c.p831")));  // the complete temporary file stays

  // Another workstation holds the document.
  host::ÖffneVerbindung(o.db)->Ausführen(
      "INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 7, 'anna@anderswo:42')");
  l = exportiere("2000", "84", "gesperrt.d84");
  EXPECT_EQ(l.status, 1);
  EXPECT_EQ(l.err, "Beleg konnte nicht gesperrt werden\n");
  EXPECT_FALSE(std::filesystem::exists(pfad("gesperrt.d84")) || std::filesystem::exists(pfad("gesperrt.d841")));
}

}  // namespace
}  // namespace gaeb::test

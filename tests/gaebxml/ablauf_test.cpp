// The run of the GAEB DA XML export: a read-only target replaced, and a
// failing position read reported against the real host.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "xmlhelfer.h"

namespace gaeb::test {
namespace {

// A bill of n positions without structure levels.
void Positionen(TestHost& h, int n) {
  LV b(1, {{"OZMaske", "PPPP"}, {"DatumAngebotsabgabe", "20270115"}});
  for (int i = 1; i <= n; ++i) b.Position(std::to_string(1000 + i), "Leistung", 1, "m2", 10);
  b.Speichere(*h.db);
}

TEST(Ablauf, ReadOnlyTargetIsReplaced) {
  TestHost h;
  Positionen(h, 1);
  std::string ziel = NeuerPfad("alt.x83");
  { std::ofstream(ziel) << "alter Inhalt"; }
  chmod(ziel.c_str(), 0444);
  EXPECT_TRUE(h.Komponente()->Ausgabe_BelegdatenDAXML(1, 1, ziel, 83));
  XmlDatei d(ziel);
  ASSERT_TRUE(d.Da());
  EXPECT_EQ(d.X("count(//g:Item)"), "1");
}

TEST(Ablauf, EveryFailingPositionReadIsReportedOnceAndAnswersFalse) {
  TestHost h;
  Positionen(h, 3);
  // Countdown over the reads of the current position: a failure inside a
  // writer is reported under the writer's name, the rest of the file is
  // still saved; one in the driver itself ends the export. Either way the
  // answer is False, one message is shown and the document is unlocked.
  int imSchreiber = 0;
  for (long n = 1;; ++n) {
    h.störung->Störe("AktuellePosition", n);
    h.Meldungsdienst().Leeren();
    XmlLauf r = ExportiereXml(h, 1);
    if (h.störung->opAufrufe < n) {
      EXPECT_TRUE(r.ergebnis);
      break;
    }
    SCOPED_TRACE(n);
    EXPECT_FALSE(r.ergebnis);
    ASSERT_EQ(r.meldungen.size(), 1u);
    EXPECT_EQ(Sperren(h), 0);
    if (r.meldungen[0] == TestHost::M10055("Ausgabe_BelegdatenDAXML")) {
      EXPECT_EQ(r.datei, nullptr);
    } else {
      ++imSchreiber;
      EXPECT_NE(r.meldungen[0].find("XML"), std::string::npos) << r.meldungen[0];
      ASSERT_TRUE(r.datei && r.datei->Da());
      // The item whose writer failed may stand without its element.
      EXPECT_GE(std::stoi(r.datei->X("count(//g:Item)")), 2);
    }
  }
  EXPECT_GT(imSchreiber, 10);
}

}  // namespace
}  // namespace gaeb::test

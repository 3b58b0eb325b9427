// The run of the GAEB DA XML export: refused data types, progress and
// cancel (the partial file is still saved), a read-only target replaced, a
// failed unlock and a failing writer reported against the real host.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "xmlhelfer.h"

namespace gaeb::test {
namespace {

// A bill of n positions without structure levels.
void Positionen(TestHost& h, int n) {
  Belegbau b;
  b.d.kopf.SetzeFeld("OZMaske", "PPPP");
  b.d.kopf.SetzeFeld("DatumAngebotsabgabe", "20270115");
  for (int i = 1; i <= n; ++i) b.Position(std::to_string(1000 + i), "Leistung", 1, "m2", 10);
  b.Speichere(*h.db);
}

bool Gesperrt(TestHost& h) { return h.db->Ausführen("SELECT Inhaber FROM Belegsperren") != 0; }

TEST(Ablauf, RefusedDataTypesWriteNothing) {
  const std::pair<std::int16_t, const char*> fälle[] = {
      {11, "Die Ausabe DA11 REB-23.003 ist für GAEB XML nicht zugelassen! "},
      {12, "Die Ausabe DA12 REB-23.004 ist für GAEB XML nicht realisiert! "},
  };
  for (const auto& [dp, text] : fälle) {
    TestHost h;
    Positionen(h, 1);
    XmlLauf r = ExportiereXml(h, 1, dp);
    EXPECT_FALSE(r.ergebnis);
    EXPECT_EQ(r.meldungen, std::vector<std::string>{text});
    EXPECT_EQ(r.datei, nullptr);
    EXPECT_FALSE(Gesperrt(h));
  }
}

TEST(Ablauf, ProgressEveryTenthPositionAndCancelSavesThePartialFile) {
  struct {
    int abbrechenBei;
    bool ergebnis;
    const char* items;
    int fortschritte;
  } fälle[] = {{0, true, "25", 3}, {2, false, "11", 2}};
  for (const auto& f : fälle) {
    TestHost h;
    Positionen(h, 25);
    Zuhörer ereignisse;
    ereignisse.abbrechenBei = f.abbrechenBei;
    XmlLauf r = ExportiereXml(h, 1, 83, {}, &ereignisse);
    EXPECT_EQ(r.ergebnis, f.ergebnis);
    EXPECT_EQ(ereignisse.maxima, std::vector<std::int32_t>{24 + 0 + 10});
    EXPECT_EQ(ereignisse.fortschritte, f.fortschritte);
    EXPECT_EQ(ereignisse.schritte, 10L * f.fortschritte);
    ASSERT_TRUE(r.datei && r.datei->Da());
    EXPECT_EQ(r.datei->X("count(//g:Item)"), f.items);
    // The totals are filled even when the walk was cancelled.
    EXPECT_EQ(r.datei->X("count(//g:BoQInfo/g:Totals/g:Total)"), "1");
    EXPECT_FALSE(Gesperrt(h));
  }
}

TEST(Ablauf, ReadOnlyTargetIsReplaced) {
  TestHost h;
  Positionen(h, 1);
  Ordner ordner;
  std::string ziel = ordner.Datei("alt.x83");
  { std::ofstream(ziel) << "alter Inhalt"; }
  chmod(ziel.c_str(), 0444);
  EXPECT_TRUE(h.Komponente()->Ausgabe_BelegdatenDAXML(1, 1, ziel, 83));
  XmlDatei d(ziel);
  ASSERT_TRUE(d.Da());
  EXPECT_EQ(d.X("count(//g:Item)"), "1");
}

// The host's document data object whose unlock fails.
class OhneEntsperren : public host::BelegdatenHost {
 public:
  std::int32_t Entsperren(std::int16_t& art, std::int32_t& nummer) override {
    host::BelegdatenHost::Entsperren(art, nummer);
    return 0;
  }
};

TEST(Ablauf, FailedUnlockIsReportedAndTheFileStands) {
  TestHost h;
  h.fabrik->Registriere(klassen::Belegdaten, [] { return std::make_unique<OhneEntsperren>(); });
  Positionen(h, 1);
  XmlLauf r = ExportiereXml(h, 1);
  EXPECT_TRUE(r.ergebnis);
  EXPECT_EQ(r.meldungen, std::vector<std::string>{TestHost::M10055("Entsperre Beleg: 1")});
  ASSERT_TRUE(r.datei && r.datei->Da());
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
    EXPECT_FALSE(Gesperrt(h));
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

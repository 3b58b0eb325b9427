// GAEB 90 export driver: output in the home currency, a bill of preamble
// texts only, and a failing host call at every possible point of an export.
#include <gtest/gtest.h>

#include <set>

#include "exportlv.h"

namespace gaeb::test {
namespace {

class Ablauf90 : public ExportTest {};

TEST_F(Ablauf90, HomeCurrencyOutputConvertsTheAmounts) {
  PrüfeFelder(Lauf(LV90()
                              .Kopf({{"Währung", "CHF"}, {"Währungskurs", 1.5}})
                              .Position(40, "01.0010", {{"Menge", 2.0}, {"Einzelpreis", 10.0}})),
                    {{"08", 0, 3, 8, "CHF   "}, {"23", 0, 12, 36, " 0000001000  000000002000"}});
  Ausgabeoptionen o = Mit(true);
  o.AusgabeLandeswährung = true;
  PrüfeFelder(Export90(*k, 83, o), {{"08", 0, 3, 8, "EUR   "}, {"23", 0, 12, 36, " 0000001500  000000003000"}});
}

TEST_F(Ablauf90, BillOfOnlyPreambleTextsHasNoHeader) {
  Datei d = Lauf(LV90()
                       .Position(50, {{"Langtext", "Erste Vorbemerkung"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}})
                       .Position(50, {{"Langtext", "Zweite"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}}));
  ASSERT_TRUE(d.ergebnis);
  PrüfeZeilenformat(d);
  EXPECT_EQ(d.Arten(), (std::vector<std::string>{"T0", "T1", "T9", "T0", "T1", "T9", "99", "99"}));
  EXPECT_EQ(Sp(d.zeilen[4], 1, 74), "T1Zweite" + Leer(66));
}

// Every call of the document data object fails once, one export after the
// other: the export never throws, reports only through its procedures'
// names, writes only whole numbered lines and never leaves the document
// locked; the run without fault writes the whole bill.
TEST_F(Ablauf90, FailingHostCallAtEveryPoint) {
  LV90()
      .Kopf({{"Komponente", "30 Zeit          Material      Lohn          "}, {"ZA06", "sechs"}})
      .Position(50, {{"Langtext", "Vorbemerkung"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}})
      .Position(20, "1", {{"Kurztext1", "Rohbau"}})
      .Position(21, "1.1", {{"Kurztext1", "Erdarbeiten"}})
      .Position(40, "1.1.0010", {{"Menge", 2.0}, {"Einzelpreis", 3.0},
                     {"KnzGaeb", std::int16_t{10}}, {"Langtext", "Zeile\r\nZeile"}})
      .Position(45, "1.1.0020", {{"Menge", 1.0}})
      .Position(47, {{"Menge", 1.0}, {"Einzelpreis", 5.0}})
      .Position(50, {{"Langtext", "Hinweis"}})
      .Position(70, "1.1.0030", {{"WelcherBetragZuAbschlag", std::int16_t{2}}, {"AufAbschlagProzent", 2.0}})
      .Position(80, "1.1.0040", {{"WelcherBetragZuAbschlag", std::int16_t{0}}, {"AufAbschlagProzent", 1.0}})
      .Schlusszeile(140, {{"Langtext", "Schluss"}})
      .Speichere(*h.db);

  std::set<std::string> erlaubt;
  for (const char* name :
       {"Ausgabe_BelegdatenDA90", "Ausgabe_ZA00_ZA08", "Ausgabe_ZA00",  "Ausgabe_ZA01", "Ausgabe_ZA02",  "Ausgabe_ZA03",
        "Ausgabe_ZA04",           "Ausgabe_ZA06",      "Ausgabe_ZA07",  "Ausgabe_ZA08", "Ausgabe_ZA10",  "Ausgabe_ZA11",
        "Ausgabe_ZA12",           "Ausgabe_ZA21",      "Ausgabe_ZA22",  "Ausgabe_ZA23", "Ausgabe_ZA23Z", "Ausgabe_ZA24",
        "Ausgabe_ZA25",           "Ausgabe_ZA26L",     "Ausgabe_ZA26H", "Ausgabe_ZAT1", "Ausgabe_ZA30",  "Ausgabe_ZA31",
        "Ausgabe_ZA32",           "Ausgabe_ZA33",      "Ausgabe_ZA99"})
    erlaubt.insert(TestHost::M10055(name));

  std::size_t vollständig = 0;
  long n = 1;
  for (;; ++n) {
    ASSERT_LT(n, 10000) << "the faults never stop";
    h.störung->aufrufe = 0;
    h.störung->failAt = n;
    h.Meldungsdienst().Leeren();
    Datei d = Export90(*k, 85, Mit(true));
    const bool gestört = h.störung->aufrufe >= n;
    for (std::size_t i = 0; i < d.zeilen.size(); ++i) {
      ASSERT_EQ(d.zeilen[i].size(), 80u) << "fault " << n << ", line " << i + 1;
      ASSERT_EQ(std::stoul(Sp(d.zeilen[i], 75, 80)), i + 1) << "fault " << n;
    }
    for (const std::string& m : h.Meldungen()) EXPECT_TRUE(erlaubt.count(m) == 1) << "fault " << n << ": " << m;
    ASSERT_EQ(Sperren(h), 0) << "fault " << n;
    if (!gestört) {
      EXPECT_TRUE(d.ergebnis);
      EXPECT_TRUE(h.Meldungen().empty());
      vollständig = d.zeilen.size();
      break;
    }
  }
  h.störung->failAt = 0;
  EXPECT_GT(n, 100);  // the export made that many calls of the document data object
  EXPECT_GT(vollständig, 30u);
}

}  // namespace
}  // namespace gaeb::test

// GAEB 90 export: the position records 21 to 24 and 30, their texts (25, 26, notices 20/26, T-records)
// and the end records 99, column by column against the record tables.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/codepage.h"
#include "base/zeilendatei.h"
#include "export/belegzugang.h"
#include "exportlv.h"
#include "gaeb90/export.h"

namespace gaeb::test {
namespace {

class Position90 : public ExportTest {};

// Positions with every flag of record 21, a package and two surcharge rows
// written as positions (level code 9).
LV PositionsLV() {
  LV lv = LV90();
  lv.Position(40, "01.0010", {{"Menge", 10.0}, {"Mengeneinheit", "m2"}, {"Einzelpreis", 12.5},
                   {"Rabattprozent", 5.0}, {"Rabattbetrag", 6.25}})
      .Position(40, "01.0020", {{"Alternativposition", true}, {"Menge", -3.5}, {"Mengeneinheit", "m"},
          {"Einzelpreis", 4.2}, {"Nachtrag", std::int16_t{7}}, {"KnzGaeb", std::int16_t{11}}})
      .Position(40, "01.0030", {{"Alternativposition", true}, {"Bedarfsposition", true},
                     {"Pauschalpreis", true}, {"Mengeneinheit", "St"}, {"Menge", 1.0}, {"KnzGaeb", std::int16_t{10}},
                     {"Nachtrag", std::int16_t{1000}}, {"FürSummenspeicher1", false}})
      .Position(40, "01.0040", {{"Bedarfsposition", true}, {"KnzFreieMenge", true},
                     {"Menge", 4.0}, {"Einzelpreis", 2.5}, {"KnzGaeb", std::int16_t{1}}})
      .Position(45, "01.0050", {{"Menge", 1.0}, {"Mengeneinheit", "psch"}})
      .Position(47, {{"Menge", 2.0}, {"Einzelpreis", 3.0}, {"MengePaketteil", 2.5}, {"Mengeneinheit", "kg"},
                     {"Kurztext1", "Teil eins"}})
      .Position(47, {{"Menge", 1.0}, {"Einzelpreis", 4.0}, {"MengePaketteil", 0.75}, {"Mengeneinheit", "St"},
                     {"KnzGaeb", std::int16_t{-1}}, {"Kurztext1", "Teil zwei"}})
      .Position(70, "01.0060", {{"WelcherBetragZuAbschlag", std::int16_t{9}}, {"AufAbschlagProzent", 10.0}})
      .Position(80, "01.0070", {{"WelcherBetragZuAbschlag", std::int16_t{9}}, {"AufAbschlagProzent", 3.0}})
      .Position(40, "01.0080", {{"Menge", 1.0}, {"Einzelpreis", -4.2}, {"Artikelnummer", "A-4711"},
                     {"Kurztext1", "Text"}, {"Kurztext1RTF", "{\\rtf1 RTF}"}, {"Langtext", "Lang"},
                     {"LangtextRTF", "{\\rtf1 Lang}"}});
  return lv;
}

TEST_F(Position90, Records21To24CarryFlagsQuantitiesPricesAndParts) {
  Datei d = Lauf(PositionsLV());
  ASSERT_TRUE(d.ergebnis);
  ASSERT_EQ(d.Sätze("21").size(), 8u);
  ASSERT_EQ(d.Sätze("23").size(), 8u);
  EXPECT_EQ(d.Sätze("22").size(), 0u);
  PrüfeFelder(d, {
      // plain position, counted in the sums
      {"21", 0, 1, 74, "21010010   NNN     E   00000010000m2       " + Leer(31)},
      // alternative, negative quantity, supplement 7, GAEB code 11
      {"21", 1, 3, 22, "010020   ANN    XE  "}, {"21", 1, 23, 43, "-00000003500m   007 X"},
      // contingency and alternative, lump sum, supplement out of range, code 10, not counted
      {"21", 2, 12, 22, "NEN    X   "}, {"21", 2, 35, 43, "Psch     "},
      // contingency, quantity left to the bidder, code 1
      {"21", 3, 12, 23, "NMN     E X "}, {"21", 3, 43, 43, "X"}, {"21", 4, 12, 14, "NNL"},  // package head
      {"21", 5, 3, 20, "010060   NNN     Z"},  // surcharge rows written as positions
      {"21", 6, 20, 20, "Z"},
      // 10 m2 at 12.50 with a 5 percent discount: factor 0.95
      {"23", 0, 1, 74, "23010010    0000001250  000000012500" + Leer(12) + "0950000" + Leer(19)},
      // negative quantity: negative total; no discount: seven blanks
      {"23", 1, 12, 55, " 0000000420 -000000001470" + Leer(19)},
      {"23", 3, 37, 48, " 00000004000"},  // quantity left to the bidder follows the total
      {"23", 4, 12, 36, " 0000001000  000000001000"},  // package head: 2 x 3.00 + 1 x 4.00
      // surcharge of 10 percent on 145.00 (the contingency item with total amount counts); discount of
      // 3 percent on 159.50
      {"23", 5, 1, 74, "23010060   " + Leer(44) + " 01000 000000014500"}, {"23", 6, 56, 74, "-00300 000000015950"},
      {"23", 7, 12, 36, "-0000000420 -000000000420"},  // negative unit price
      {"24", 0, 1, 74, "2401 00000002500kg  " + Leer(54)}, {"24", 1, 1, 74, "2402 00000000750St   X" + Leer(52)},
  });
  // Each part is followed by its short and long text.
  const Z arten = d.Arten();
  auto teil = std::find(arten.begin(), arten.end(), "24");
  ASSERT_NE(teil, arten.end());
  EXPECT_EQ(Z(teil, teil + 6), (Z{"24", "25", "26", "24", "25", "26"}));
  EXPECT_EQ(Export90(*k, 83).Sätze("23").size(), 0u);  // no record 23 without prices

  // Record 22 only in data type 82: the total less the discount amount
  // (125.00 - 6.25); without prices only the OZ.
  Datei d82 = Export90(*k, 82, Mit(true));
  EXPECT_EQ(d82.Sätze("23").size(), 0u);
  PrüfeFelder(d82, {{"22", 0, 1, 74, "22010010    0000001250  000000011875" + Leer(38)},
                    {"22", 3, 37, 48, " 00000004000"}});
  PrüfeFelder(Export90(*k, 82), {{"22", 0, 1, 74, "22010010   " + Leer(63)}});
  for (std::int16_t dp : {81, 84, 85, 86}) EXPECT_EQ(Export90(*k, dp).Sätze("22").size(), 0u) << dp;

  // With packages as positions the head is a plain position and its parts vanish.
  Datei pal = Export90(*k, 83, Mit(true, false, true));
  PrüfeFelder(pal, {{"21", 4, 12, 14, "NNN"}});
  EXPECT_EQ(pal.Sätze("24").size(), 0u);
  EXPECT_EQ(pal.Sätze("25").size(), d.Sätze("25").size() - 2);
  EXPECT_EQ(k->AnzahlLeistungen(), 6);

  // The RTF and article number options change nothing in GAEB 90.
  EXPECT_EQ(Export90(*k, 83, Mit(true, true, false, false, true)).bytes, d.bytes);
}

TEST_F(Position90, Record30WritesTimeMaterialAndLabourByTheDocumentsComponents) {
  auto slot = [](const std::string& name) { return name + std::string(14 - name.size(), ' '); };
  const Ausgabeoptionen o = Mit(false, false, false, true);
  Datei d = Lauf(LV90()
                       .Kopf({{"Komponente", "30 " + slot("Zeit") + slot("material") + slot("Lohn") + slot("") +
                                                 slot("Geraet")}})
                       .Position(40, "01.0010", {{"KnzGaeb", std::int16_t{10}}, {"Zeit", 90.0},
                                      {"Materialpreis", 8.4}, {"Lohnpreis", 4.1}, {"Menge", 1.0}})
                       .Position(40, "01.0020", {{"Materialpreis", 1.0}}), 85, o);
  ASSERT_EQ(d.Sätze("30").size(), 1u);  // the second position has no GAEB code 10 or 11
  EXPECT_EQ(Sp(d.Sätze("30")[0], 1, 74), "30" + std::string("0000015000") + "0000000840" + "0000000410" + Leer(42));
  // Record 30 stands between the quantity record and the texts of its position.
  const Z arten = d.Arten();
  const auto i30 = std::find(arten.begin(), arten.end(), "30") - arten.begin();
  EXPECT_EQ(arten[i30 - 1] + arten[i30 + 1], "2125");
  PrüfeFelder(Export90(*k, 85), {{"30", 0, 3, 22, Leer(10) + "0000000840"}});  // without times
  EXPECT_EQ(Export90(*k, 83, o).Sätze("30").size(), 0u);
}

TEST_F(Position90, ShortTextIsSplitAt70AndTheSecondShortTextFollows) {
  std::string lang;
  for (int i = 0; i < 15; ++i) lang += "Abcdefghi ";  // 150 characters
  Datei d = Lauf(LV90().Position(40, "01.0010", {{"Kurztext1", lang}, {"Kurztext3", "Zweiter Kurztext"}})
                       .Position(40, "01.0020")
                       .Position(40, "01.0030", {{"Kurztext1", "Kante ''gefast''"}}), 83, {});
  ASSERT_EQ(d.Sätze("25").size(), 6u);
  PrüfeFelder(d, {{"25", 0, 1, 74, "25" + lang.substr(0, 70) + Leer(2)},
                  {"25", 1, 3, 74, lang.substr(70, 70) + Leer(2)}, {"25", 2, 3, 74, lang.substr(140, 10) + Leer(62)},
                  {"25", 3, 1, 74, "25Zweiter Kurztext" + Leer(56)},
                  {"25", 4, 1, 74, "25" + Leer(72)},  // no short text: one blank record
                  {"25", 5, 3, 20, "Kante 'gefast'    "}});
}

TEST_F(Position90, LongTextCarriesLineCodesAndTheAdditionalText) {
  LV lv = LV90();
  lv.Kopf({{"Kurzlangtext", true}})
      .Position(40, "01.0010", {{"Langtext", "Erste Zeile\r\nZweite ''Zeile''"},
                     {"KennNr_Langtext", "001 002 "}, {"DruckKnz", "2"}, {"Zusatztext", "Zusatz"}})
      .Position(40, "01.0020", {{"DruckKnz", "1"}, {"Zusatztext", "nicht gedruckt"},
                     {"Langtext", std::string(120, 'x')}})
      .Position(40, "01.0030");
  Datei d = Lauf(lv, 83, {});
  ASSERT_EQ(d.Sätze("26").size(), 7u);
  PrüfeFelder(d, {{"26", 0, 1, 74, "26001Erste Zeile" + Leer(58)},
                  {"26", 1, 1, 20, "26002Zweite 'Zeile' "}, {"26", 2, 1, 11, "26   Zusatz"},
                  // a line longer than 55 characters continues in the next record
                  {"26", 3, 1, 74, "26   " + std::string(55, 'x') + Leer(14)},
                  {"26", 4, 6, 60, std::string(55, 'x')}, {"26", 5, 6, 74, std::string(10, 'x') + Leer(59)},
                  {"26", 6, 1, 74, "26" + Leer(72)}});  // no long text: one blank record
  // Bills of GAEB version 2001 carry no line codes.
  PrüfeFelder(Lauf(lv.Kopf({{"Ausgabejahr", "2001"}}), 83, {}), {{"26", 0, 1, 16, "26   Erste Zeile"}});
}

TEST_F(Position90, BidderLinesOnlyAndNoShortTextsInDataType84) {
  Datei d = Lauf(LV90().Position(22, "01", {{"Kurztext1", "Titel"}})
                       .Position(40, "01.0010", {{"KnzFreieMenge", true}, {"Menge", 2.0}, {"Kurztext1", "Kurz"},
                                      {"Langtext", "Text des Auftraggebers\r\nAngabe des Bieters"},
                                      {"KennNr_Langtext", "001 00B "}})
                       .Position(40, "01.0020", {{"Kurztext1", "Kurz"},
                                      {"Langtext", "nur Auftraggeber"}, {"KennNr_Langtext", "001 "}})
                       .Position(50, {{"Langtext", "Hinweis"}}), 84, {});
  ASSERT_TRUE(d.ergebnis);
  EXPECT_EQ(d.Sätze("25").size() + d.Sätze("20").size(), 0u);
  ASSERT_EQ(d.Sätze("21").size(), 1u);  // only the quantity the bidder fills in
  ASSERT_EQ(d.Sätze("26").size(), 1u);
  PrüfeFelder(d, {{"21", 0, 3, 11, "010010   "}, {"26", 0, 1, 74, "2600BAngabe des Bieters" + Leer(51)}});
  EXPECT_EQ(d.Sätze("23").size(), 2u);  // the bid always carries prices
}

TEST_F(Position90, NoticesPreamblesAndClosingTexts) {
  const std::string vorbemerkung = "Vorbemerkung " + std::string(80, 'v');
  Datei d = Lauf(LV90().Position(50, {{"Langtext", vorbemerkung}, {"Langtextdruck", true}, {"KnzVbSb", "1"}})
                       .Position(40, "01.0010")
                       .Position(50, {{"Langtext", "Hinweis zur ''Ausführung''\r\nZweite Zeile"}, {"KnzVbSb", "0"}})
                       .Schlusszeile(140, {{"Langtext", "Schlussbemerkung"}}), 83, {});
  ASSERT_TRUE(d.ergebnis);
  PrüfeZeilenformat(d);
  const Z arten = d.Arten();
  // The preamble comes before the header; the notice after the position.
  EXPECT_EQ(Z(arten.begin(), arten.begin() + 5), (Z{"T0", "T1", "T1", "T9", "00"}));
  const std::string hinweis = NachCodepage("Hinweis zur 'Ausführung'", Codepage::Cp850);
  PrüfeFelder(d, {{"T0", 0, 1, 74, "T0" + Leer(72)}, {"T1", 0, 1, 74, "T1" + vorbemerkung.substr(0, 72)},
                  {"T1", 1, 1, 74, "T1" + vorbemerkung.substr(72) + Leer(72 - 21)},
                  {"T9", 0, 1, 74, "T9" + Leer(72)}, {"20", 0, 1, 74, "20" + Leer(72)},
                  {"26", 1, 1, 74, "26   " + hinweis + Leer(55 - 24 + 14)},
                  {"26", 2, 1, 74, "26   Zweite Zeile" + Leer(57)}});
  EXPECT_EQ(d.Sätze("20").size(), 1u);
  // Closing: the end record of the totals row, the end record of the closing
  // text with its T-records, and the final end record.
  EXPECT_EQ(Z(arten.end() - 6, arten.end()), (Z{"99", "99", "T0", "T1", "T9", "99"}));
  EXPECT_EQ(Sp(d.zeilen[d.zeilen.size() - 3], 1, 74), "T1Schlussbemerkung" + Leer(56));
  // Notices are not part of data type 82.
  EXPECT_EQ(Export90(*k, 82).Sätze("20").size(), 0u);
}

TEST_F(Position90, LongEndRecordCarriesTotalsDiscountFactorVatAndCount) {
  // Two positions of 600.00 and 400.00 and a discount of 5 percent on the
  // whole bill: net 950.00, VAT 19 percent, gross 1130.50.
  Datei d = Lauf(LV90().Position(40, "01.0010", {{"Menge", 10.0}, {"Einzelpreis", 60.0}})
                       .Position(40, "01.0020", {{"Menge", 4.0}, {"Einzelpreis", 100.0}})
                       .Position(80, "01.0030", {{"WelcherBetragZuAbschlag", std::int16_t{0}},
                                      {"AufAbschlagProzent", 5.0}}));
  ASSERT_TRUE(d.ergebnis);
  const auto s = d.Sätze("99");
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(d.Arten()[d.zeilen.size() - 2] + d.Arten().back(), "9999");
  // The total before the discount, the discount as factor 0.95.
  EXPECT_EQ(Sp(s[0], 1, 74), "99000000100000" + std::string("0950000") + "1900" + "000000113050" + Leer(32) + "00002");
  EXPECT_EQ(Sp(s[1], 1, 74), "99" + Leer(19) + "1900" + Leer(44) + "00002");
  EXPECT_EQ(k->AnzahlLeistungen(), 2);
  // Data type 81 and a bill without prices get the short variant only.
  for (const Datei& kurz : {Export90(*k, 81, Mit(true)), Export90(*k, 83)}) {
    ASSERT_EQ(kurz.Sätze("99").size(), 2u);
    EXPECT_EQ(kurz.Sätze("99")[0].substr(0, 74), s[1].substr(0, 74));
  }
}

// The count of positions fills columns 70-74: 99,999 is written, 100,000 refused (no record, the overflow
// message) rather than shifting the record.
TEST_F(Position90, EndRecordRefusesACountWiderThanItsColumns) {
  LV90().Position(40, "01.0010", {{"Menge", 1.0}}).Speichere(*h.db);
  std::int16_t art = 1;
  std::int32_t nummer = 5;
  bool gesperrt = false;
  ASSERT_TRUE(ÖffneBelegZurAusgabe(k->kontext(), art, nummer, gesperrt));
  k->kontext().Beleg().WähleSchlusszeile(0);
  for (const auto& [anzahl, zeile] : {std::pair{99999, "99" + Leer(19) + "1900" + Leer(44) + "99999000001\r\n"},
                                      std::pair{100000, std::string()}}) {
    SpeicherAusgabe speicher;
    gaeb90::Export e(k->kontext(), &speicher);
    e.AnzahlLeistungen() = anzahl;
    h.Meldungsdienst().Leeren();
    k->Satznummer(0);
    EXPECT_EQ(e.Ausgabe_ZA99(), !zeile.empty());
    EXPECT_EQ(speicher.Daten(), zeile);
    EXPECT_EQ(h.Meldungen(), zeile.empty() ? std::vector<std::string>{TestHost::M10055("Ausgabe_ZA99")}
                                           : std::vector<std::string>{});
    for (const host::Meldung& m : h.Meldungsdienst().Meldungen())
      EXPECT_EQ(m.grund, "Der Wert 100000 passt nicht in 5 Stellen vor dem Komma");
  }
}

TEST_F(Position90, SurchargeOfASectionGoesIntoItsSumRecord) {
  Datei d = Lauf(LV90().Kopf({{"UmsatzsteuerProzent", 7.0}})
                       .Position(22, "01").Position(40, "01.0010", {{"Menge", 10.0}, {"Einzelpreis", 10.0}})
                       .Position(70, "01.0020", {{"WelcherBetragZuAbschlag", std::int16_t{3}},
                                      {"AufAbschlagProzent", 10.0}})
                       .Position(22, "02")
                       .Position(40, "02.0010", {{"Menge", 5.0}, {"Einzelpreis", 20.0}}));
  EXPECT_EQ(d.Sätze("32").size(), 2u);
  EXPECT_EQ(d.Sätze("31").size(), 1u);  // only the title that simply ends gets a heading
  // Title 01 holds 110.00 with the surcharge: its sum is 100.00 with factor 1.10.
  PrüfeFelder(d, {{"32", 0, 1, 74, "3201        000000010000" + std::string("1100000") + Leer(43)},
                  {"32", 1, 1, 31, "3202        000000010000" + Leer(7)}, {"31", 0, 3, 11, "02       "},
                  {"99", 0, 3, 37, "000000021000" + Leer(7) + "0700" + "000000022470"}});
}

}  // namespace
}  // namespace gaeb::test

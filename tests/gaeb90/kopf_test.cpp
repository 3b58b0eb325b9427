// GAEB 90 export: the line writer and line format, header records 00 to 08, section records 10 to 12
// with their sums, home currency, a bill of preamble texts only, a failing host call at every point.
#include <gtest/gtest.h>

#include <regex>

#include "base/zeilendatei.h"
#include "exportlv.h"
#include "gaeb90/export.h"

namespace gaeb::test {
namespace {

class Kopf90 : public ExportTest {};

TEST_F(Kopf90, LineWriterCutsAt74NumbersTheLineAndDoesNotWrap) {
  SpeicherAusgabe speicher;
  gaeb90::Export e(k->kontext(), &speicher);
  // Cut at 74; a shorter record gives a shorter line; above 999999 the number
  // takes seven digits; a line break that reached the buffer becomes a blank.
  const struct { std::int32_t vorher; std::string puffer, zeile; } fälle[] = {
      {0, "21" + std::string(80, 'x'), "21" + std::string(72, 'x') + "000001\r\n"},
      {1, "T9", "T9000002\r\n"}, {999999, "99" + Leer(72), "99" + Leer(72) + "1000000\r\n"},
      {5, "06a\r\nb", "06a  b000006\r\n"}};
  std::string alles;
  for (const auto& f : fälle) {
    k->Satznummer(f.vorher);
    e.Zeilenpuffer() = f.puffer;
    EXPECT_TRUE(e.Ausgabe_Zeile());
    EXPECT_TRUE(e.Zeilenpuffer().empty());
    EXPECT_EQ(k->Satznummer(), f.vorher + 1);
    alles += f.zeile;
  }
  EXPECT_EQ(speicher.Daten(), alles);
  EXPECT_TRUE(h.Meldungen().empty());

  // Without an open file: reported, nothing counted.
  gaeb90::Export ohne(k->kontext());
  k->Satznummer(0);
  ohne.Zeilenpuffer() = "00" + Leer(72);
  EXPECT_FALSE(ohne.Ausgabe_Zeile());
  EXPECT_EQ(k->Satznummer(), 0);
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("Ausgabe_Zeile")});
}

TEST_F(Kopf90, HeaderRecordsCarryAwardDatesProjectPartiesAndCurrency) {
  SetzeFirma(h, {{"Name1", "Holzbau Müller GmbH"}, {"Straße", "Hauptstraße 5"}, {"PlzOrt", "12345 Musterstadt"}});
  std::string ä60;  // 60 umlauts
  while (ä60.size() < 120) ä60 += "ä";
  // A fully described header: data type 83 with prices.
  Datei d = Lauf(
      LV90()
          .Kopf({{"VergabenummerAG", "VG-2026-0017"}, {"DVNrAG", "DV01"}, {"BieterNrAG", "0071"},
                 {"VergabenummerAN", "AN-55"}, {"DVNrAN", "DVAN12345"}, {"OZMaske", "11PPPPI"}, {"OZTrennzeichen", "."},
                 {"BezeichnungLV", "Neubau Kita Sonnenschein, Bauabschnitt 2, Außenanlagen"}, {"DatumLV", "20260315"},
                 {"DatumAngebotsabgabe", "2026040110:30"}, {"DatumZuschlagsfrist", "30.06.2026"}, {"LVmitLohn", true},
                 {"InformationProjekt", "Zeile eins\r\n" + std::string(55, 'P') + "0123456789"},
                 {"KopfInformationAG", "Stadt Musterhausen, Bauamt"}, {"InformationAG", "nicht dieser"},
                 {"ZA06", "Freitext sechs"}})
          .Position(22, "01", {{"Kurztext1", "Erdarbeiten"}})
          .Position(40, "01.0010", {{"Kurztext1", "äöüß ÄÖÜ"},
                         {"Langtext", ä60 + "\r\nzweite Zeile"}, {"Menge", 1.0}}));
  ASSERT_TRUE(d.ergebnis);
  PrüfeZeilenformat(d);
  EXPECT_EQ(static_cast<std::size_t>(k->Satznummer()), d.zeilen.size());
  const Z arten = d.Arten();
  EXPECT_EQ(Z(arten.begin(), arten.begin() + 9), (Z{"00", "01", "02", "02", "02", "03", "04", "06", "08"}));
  const std::string firma = NachCodepage("Holzbau Müller GmbH,Hauptstraße 5,12345 Musterstadt", Codepage::Cp850);
  PrüfeFelder(d, {{"00", 0, 1, 13, "00" + Leer(8) + "83L"}, {"00", 0, 14, 39, "VG-2026-0017   DV01    007"},
                  {"00", 0, 40, 74, "AN-55          DVAN123411PPPPI  90 "},
                  {"01", 0, 3, 42, "Neubau Kita Sonnenschein, Bauabschnitt 2"},
                  {"01", 0, 43, 74, "15.03.2601.04.2610:3030.06.26XX "},
                  // project information and the subject, one record per line, cut at 60
                  {"02", 0, 3, 74, "Zeile eins" + Leer(62)},
                  {"02", 1, 3, 74, std::string(55, 'P') + "01234" + Leer(12)}, {"02", 2, 3, 74, "Angebot" + Leer(65)},
                  {"03", 0, 3, 74, "Stadt Musterhausen, Bauamt" + Leer(46)},
                  {"04", 0, 3, 74, firma + Leer(60 - 51 + 12)}, {"06", 0, 1, 74, "06Freitext sechs" + Leer(58)},
                  {"08", 0, 1, 74, "08EUR   EUR" + Leer(63)},
                  // Umlauts as OEM bytes; a long line is cut by characters: 60 umlauts give 55 and 5.
                  {"25", 0, 3, 10, "\x84\x94\x81\xE1 \x8E\x99\x9A"}, {"26", 0, 6, 60, std::string(55, '\x84')},
                  {"26", 1, 6, 60, std::string(5, '\x84') + Leer(50)}, {"26", 2, 6, 17, "zweite Zeile"}});
  // A document without GAEB version is written, and from now on kept, as GAEB 90.
  EXPECT_EQ(k->kontext().Beleg().Kopf().Feld("Ausgabejahr").ToString(), "90");
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST_F(Kopf90, HeaderFallsBackToSubjectDocumentDateAndClientText) {
  const std::string zeile07 = "07" + std::string(72, 'S') + "000123";  // a whole imported line
  Datei d = Lauf(LV90()
                       .Kopf({{"MitLos", true}, {"InformationAG", "Gemeinde Nord"}, {"ZA07", zeile07},
                              {"Ausgabejahr", "2001"}, {"DatumLV", "  "}})
                       .Position(20, "1", {{"Kurztext1", "Los 1"}}).Position(40, "1.0010", {{"KnzFreieMenge", true}}),
                   84, {});  // the bid: prices without being asked
  ASSERT_TRUE(d.ergebnis);
  ASSERT_GE(d.zeilen.size(), 8u);
  const Z arten = d.Arten();
  EXPECT_EQ(Z(arten.begin(), arten.begin() + 8), (Z{"00", "01", "02", "02", "03", "04", "07", "08"}));
  PrüfeFelder(d, {{"00", 0, 11, 13, "84K"}, {"00", 0, 74, 74, "X"},  // lots
                  {"01", 0, 3, 74, "Angebot" + Leer(33) + "05.12.26" + Leer(21) + "X  "},
                  // empty project information still gives its (blank) line before the subject
                  {"02", 0, 3, 74, Leer(72)}, {"02", 1, 3, 9, "Angebot"}, {"03", 0, 3, 74, "Gemeinde Nord" + Leer(59)},
                  {"04", 0, 1, 74, "04,," + Leer(70)},  // no company data in the settings
                  {"07", 0, 1, 74, zeile07.substr(0, 74)}});
  EXPECT_EQ(k->kontext().Beleg().Kopf().Feld("Ausgabejahr").ToString(), "2001");
}

TEST_F(Kopf90, LineBreaksInOneLineFieldsAndTypedDates) {
  Datei d = Lauf(LV90()
                       .Kopf({{"MitLos", true}, {"OZMaske", "12PPPPI"}, {"BezeichnungLV", "Neubau\r\nKita"},
                              {"KopfInformationAG", "Stadt\nNord"}, {"DatumLV", "1.3.2027"},
                              {"DatumAngebotsabgabe", "01.03.27"}, {"DatumZuschlagsfrist", "2027031"}})
                       .Position(20, "1", {{"Kurztext1", "Los\reins"}})
                       .Position(21, "1.1", {{"Kurztext1", "Titel"}, {"Kurztext3", "Drei\r\nvier"}})
                       .Position(40, "1.1.0010", {{"Kurztext1", "Kurz"}, {"Kurztext3", "K\n3"}}), 83, {});
  ASSERT_TRUE(d.ergebnis);
  EXPECT_TRUE(h.Meldungen().empty());
  PrüfeZeilenformat(d);
  PrüfeFelder(d, {{"01", 0, 3, 42, "Neubau Kita" + Leer(29)},  // a typed date and a date that is none (8 blanks)
                  {"01", 0, 43, 71, "01.03.2701.03.27" + Leer(13)}, {"03", 0, 3, 62, "Stadt Nord" + Leer(50)},
                  {"10", 0, 3, 44, "1 Los eins" + Leer(32)}, {"12", 1, 3, 42, "Drei vier" + Leer(31)},
                  {"25", 1, 3, 52, "K 3" + Leer(47)}});
}

// A bill without lots: level 1 "1" with the levels 2 "1.1" and "1.2", level 1 "2".
LV BereichsLV() {
  LV lv = LV90();
  lv.Kopf({{"OZMaske", "12PPPPI"}})
      .Position(20, "1", {{"Kurztext1", "Rohbau"}})
      .Position(21, "1.1", {{"Kurztext1", "Erdarbeiten\r\nBaugrube\r\nVerbau"},
                     {"Kurztext3", "Los A"}, {"Alternativposition", true}})
      .Position(40, "1.1.0010", {{"Menge", 10.0}, {"Einzelpreis", 12.5}})
      .Position(21, "1.2", {{"Kurztext1", "Mauerarbeiten"}})
      .Position(40, "1.2.0010", {{"Menge", 2.0}, {"Einzelpreis", 100.0}}).Position(20, "2", {{"Kurztext1", "Ausbau"}})
      .Position(40, "2.0010", {{"Menge", 1.0}, {"Einzelpreis", 50.0}});
  return lv;
}

Z OhneKopf(const Datei& d) {
  const Z arten = d.Arten();
  return Z(std::find_if(arten.begin(), arten.end(), [](const std::string& a) { return a >= "10"; }), arten.end());
}

TEST_F(Kopf90, SectionsAreOpenedTitledAndClosedWithTheirSums) {
  Datei d = Lauf(BereichsLV());
  ASSERT_TRUE(d.ergebnis);
  PrüfeZeilenformat(d);
  EXPECT_EQ(OhneKopf(d), (Z{"11", "12", "11", "12", "12", "12", "12", "21", "23", "25", "26", "31", "32", "11",
                                "12", "21", "23", "25", "26", "31", "32", "32", "11", "12", "21", "23", "25", "26",
                                "32", "99", "99"}));
  // Section sums as the host computed them: 1.1 = 125.00, 1.2 = 200.00, 1 = 325.00, 2 = 50.00.
  PrüfeFelder(d, {{"11", 0, 1, 74, "111        N" + Leer(62)}, {"11", 1, 1, 74, "1111       A" + Leer(62)},
                  {"12", 0, 1, 74, "12Rohbau" + Leer(66)}, {"12", 1, 3, 42, "Erdarbeiten" + Leer(29)},
                  {"12", 2, 3, 42, "Baugrube" + Leer(32)}, {"12", 3, 3, 42, "Verbau" + Leer(34)},
                  {"12", 4, 3, 74, "Los A" + Leer(67)}, {"31", 0, 1, 74, "3111       " + Leer(63)},
                  {"31", 1, 3, 11, "12       "}, {"32", 0, 1, 74, "3211        000000012500" + Leer(50)},
                  {"32", 1, 3, 24, "12        000000020000"}, {"32", 2, 3, 24, "1         000000032500"},
                  {"32", 3, 3, 31, "2         000000005000" + Leer(7)}});
}

TEST_F(Kopf90, DataTypeDecidesWhichSectionAndSumRecordsAppear) {
  BereichsLV().Speichere(*h.db);
  // Data type 81: headings but no sums; without prices the sums carry only
  // their labels; the bid: neither section records nor headings, but the sums.
  const Datei d81 = Export90(*k, 81, Mit(true)), ohne = Export90(*k, 83), d84 = Export90(*k, 84);
  const struct { const Datei& d; std::size_t s11, s12, s31, s32, s23; } fälle[] = {
      {d81, 4, 7, 2, 0, 3}, {ohne, 4, 7, 2, 4, 0}, {d84, 0, 0, 0, 4, 3}};
  for (const auto& f : fälle)
    EXPECT_EQ((std::vector<std::size_t>{f.d.Sätze("11").size(), f.d.Sätze("12").size(), f.d.Sätze("31").size(),
                                        f.d.Sätze("32").size(), f.d.Sätze("23").size()}),
              (std::vector<std::size_t>{f.s11, f.s12, f.s31, f.s32, f.s23}));
  PrüfeFelder(ohne, {{"32", 0, 1, 74, "3211       " + Leer(63)}});
  PrüfeFelder(d84, {{"32", 2, 12, 24, " 000000032500"}});
}

TEST_F(Kopf90, LotsGetRecord10AndLotSums33) {
  Datei d = Lauf(LV90().Kopf({{"MitLos", true}, {"OZMaske", "1PPPPI"}})
                       .Position(20, "1", {{"Kurztext1", "Los eins"}})
                       .Position(40, "1.0010", {{"Menge", 10.0}, {"Einzelpreis", 10.0}})
                       .Position(20, "12", {{"Kurztext1", "Los zwei"}})
                       .Position(40, "12.0010", {{"Menge", 1.0}, {"Einzelpreis", 20.0}}));
  ASSERT_TRUE(d.ergebnis);
  EXPECT_EQ(OhneKopf(d), (Z{"10", "21", "23", "25", "26", "33", "10", "21", "23", "25", "26", "33", "99", "99"}));
  PrüfeFelder(d, {{"10", 0, 1, 74, "101 Los eins" + Leer(62)}, {"10", 1, 3, 4, "12"},
                  {"33", 0, 1, 74, "331 000000010000" + Leer(58)}, {"33", 1, 1, 16, "3312000000002000"}});
  PrüfeFelder(Export90(*k, 83), {{"33", 0, 1, 74, "331 " + Leer(70)}});
  EXPECT_EQ(Export90(*k, 82, Mit(true)).Sätze("33").size(), 0u);
}

TEST_F(Kopf90, HomeCurrencyOutputConvertsTheAmounts) {
  PrüfeFelder(Lauf(LV90().Kopf({{"Währung", "CHF"}, {"Währungskurs", 1.5}})
                              .Position(40, "01.0010", {{"Menge", 2.0}, {"Einzelpreis", 10.0}})),
                    {{"08", 0, 3, 8, "CHF   "}, {"23", 0, 12, 36, " 0000001000  000000002000"}});
  Ausgabeoptionen o = Mit(true);
  o.AusgabeLandeswährung = true;
  PrüfeFelder(Export90(*k, 83, o), {{"08", 0, 3, 8, "EUR   "}, {"23", 0, 12, 36, " 0000001500  000000003000"}});
}

// A bill of preamble texts alone, or of nothing, gets its header records
// before the end records: the file is a whole bill, if an empty one.
TEST_F(Kopf90, BillWithoutPositionsStillGetsItsHeader) {
  Datei d = Lauf(LV90().Position(50, {{"Langtext", "Erste Vorbemerkung"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}})
                       .Position(50, {{"Langtext", "Zweite"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}}));
  ASSERT_TRUE(d.ergebnis);
  PrüfeZeilenformat(d);
  EXPECT_EQ(d.Arten(), (std::vector<std::string>{"T0", "T1", "T9", "T0", "T1", "T9", "00", "01", "02", "02", "03", "04",
                                                 "08", "99", "99"}));
  EXPECT_EQ(Sp(d.zeilen[4], 1, 74), "T1Zweite" + Leer(66));
  Datei leer = Lauf(LV90());
  ASSERT_TRUE(leer.ergebnis);
  EXPECT_EQ(leer.Arten(), (std::vector<std::string>{"00", "01", "02", "02", "03", "04", "08", "99", "99"}));
}

// Every call of the document data object fails once, one export after the
// other: the export never throws, reports only through its procedures'
// names, writes only whole numbered lines and never leaves the document
// locked; the run without fault writes the whole bill.
TEST_F(Kopf90, FailingHostCallAtEveryPoint) {
  LV90().Kopf({{"Komponente", "30 Zeit          Material      Lohn          "}, {"ZA06", "sechs"}})
      .Position(50, {{"Langtext", "Vorbemerkung"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}})
      .Position(20, "1", {{"Kurztext1", "Rohbau"}}).Position(21, "1.1", {{"Kurztext1", "Erdarbeiten"}})
      .Position(40, "1.1.0010",
                {{"Menge", 2.0}, {"Einzelpreis", 3.0}, {"KnzGaeb", std::int16_t{10}}, {"Langtext", "Zeile\r\nZeile"}})
      .Position(45, "1.1.0020", {{"Menge", 1.0}}).Position(47, {{"Menge", 1.0}, {"Einzelpreis", 5.0}})
      .Position(50, {{"Langtext", "Hinweis"}})
      .Position(70, "1.1.0030", {{"WelcherBetragZuAbschlag", std::int16_t{2}}, {"AufAbschlagProzent", 2.0}})
      .Position(80, "1.1.0040", {{"WelcherBetragZuAbschlag", std::int16_t{0}}, {"AufAbschlagProzent", 1.0}})
      .Schlusszeile(140, {{"Langtext", "Schluss"}})
      .Speichere(*h.db);

  // The procedures that may report: the driver and the record writers.
  const std::string präfix = TestHost::M10055("Ausgabe_");
  const std::regex erlaubt("(BelegdatenDA90|ZA00_ZA08|ZA0[0-46-8]|ZA1[0-2]|ZA2[1-5]|ZA23Z|ZA26[LH]|ZAT1|ZA3[0-3]|ZA99)");
  auto [ganz, n] = Störlauf(h, [&] { return Export90(*k, 85, Mit(true)); }, [&](const Datei& d, long fehler) {
    for (std::size_t i = 0; i < d.zeilen.size(); ++i) {
      ASSERT_EQ(d.zeilen[i].size(), 80u) << "fault " << fehler << ", line " << i + 1;
      ASSERT_EQ(std::stoul(Sp(d.zeilen[i], 75, 80)), i + 1) << "fault " << fehler;
    }
    for (const std::string& m : h.Meldungen())
      EXPECT_TRUE(m.starts_with(präfix) && std::regex_match(m.substr(präfix.size()), erlaubt)) << fehler << ": " << m;
    ASSERT_EQ(Sperren(h), 0) << "fault " << fehler;
  });
  EXPECT_TRUE(ganz.ergebnis);
  EXPECT_TRUE(h.Meldungen().empty());
  EXPECT_EQ(Sperren(h), 0);
  EXPECT_GT(n, 100);  // the export made that many calls of the document data object
  EXPECT_GT(ganz.zeilen.size(), 30u);
}

}  // namespace
}  // namespace gaeb::test

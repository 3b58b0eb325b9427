// GAEB 90 export: the line writer, the line format of a whole file, the
// header records 00 to 08 and the section records 10, 11, 12 with the sums
// that close them, column by column against the record tables.
#include <gtest/gtest.h>

#include "base/codepage.h"
#include "base/zeilendatei.h"
#include "gaeb90/export.h"
#include "lv90.h"

namespace gaeb {
namespace {

using test::Datei90;
using test::Leer;
using test::LV90;
using test::Sp;
using test::TestHost;

std::string Oem(const std::string& utf8) { return NachCodepage(utf8, Codepage::Cp850); }

std::string Wiederholt(const std::string& text, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += text;
  return s;
}

TEST(Zeile90, LineWriterCutsAt74NumbersTheLineAndDoesNotWrap) {
  TestHost h;
  auto k = h.Komponente();
  SpeicherAusgabe speicher;
  gaeb90::Export e(k->kontext(), &speicher);
  k->Satznummer(0);

  e.Zeilenpuffer() = "21" + std::string(80, 'x');
  EXPECT_TRUE(e.Ausgabe_Zeile());
  EXPECT_EQ(speicher.Daten(), "21" + std::string(72, 'x') + "000001\r\n");
  EXPECT_TRUE(e.Zeilenpuffer().empty());
  EXPECT_EQ(k->Satznummer(), 1);

  // A record writer that delivers fewer columns gets a shorter line.
  e.Zeilenpuffer() = "T9";
  e.Ausgabe_Zeile();
  EXPECT_EQ(speicher.Daten().substr(82), "T9000002\r\n");

  // Above 999999 the number takes seven digits and the line grows.
  k->Satznummer(999999);
  e.Zeilenpuffer() = "99" + Leer(72);
  e.Ausgabe_Zeile();
  EXPECT_EQ(speicher.Daten().substr(92), "99" + Leer(72) + "1000000\r\n");
  EXPECT_EQ(k->Satznummer(), 1000000);
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST(Zeile90, LineWriterWithoutOpenFileReportsAndCountsNothing) {
  TestHost h;
  auto k = h.Komponente();
  gaeb90::Export e(k->kontext());
  k->Satznummer(0);
  e.Zeilenpuffer() = "00" + Leer(72);
  EXPECT_FALSE(e.Ausgabe_Zeile());
  EXPECT_EQ(k->Satznummer(), 0);
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("Ausgabe_Zeile")});
}

TEST(Zeile90, WholeFileIsNumberedWithoutGapsInCodePage850) {
  TestHost h;
  LV90 lv;
  lv.Position(50, {{"Langtext", "Vorbemerkung"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}})
      .Position(22, {{"Positionsnummer", "01"}, {"Kurztext1", "Erdarbeiten"}})
      .Position(40, {{"Positionsnummer", "01.0010"},
                     {"Kurztext1", "äöüß ÄÖÜ"},
                     {"Langtext", Wiederholt("ä", 60) + "\r\nzweite Zeile"},
                     {"Menge", 3.0},
                     {"Einzelpreis", 7.5}})
      .Position(50, {{"Langtext", "Hinweis"}})
      .Schlusszeile(140, {{"Langtext", "Schluss"}})
      .Speichere(*h.db);
  auto k = h.Komponente();
  Datei90 d = test::Exportiere(*k, 83, test::MitPreisen());
  ASSERT_TRUE(d.ergebnis);
  EXPECT_TRUE(h.Meldungen().empty()) << h.Meldungen().front();
  test::PrüfeZeilenformat(d);
  EXPECT_EQ(static_cast<std::size_t>(k->Satznummer()), d.zeilen.size());
  EXPECT_GT(d.zeilen.size(), 20u);

  // Umlauts as OEM bytes, not as ANSI or UTF-8.
  ASSERT_EQ(d.Sätze("25").size(), 1u);
  EXPECT_EQ(Sp(d.Sätze("25")[0], 3, 10), "\x84\x94\x81\xE1 \x8E\x99\x9A");
  // A long line is cut by characters, not by bytes: 60 umlauts give 55 and 5.
  const auto s26 = d.Sätze("26");
  ASSERT_GE(s26.size(), 3u);
  EXPECT_EQ(Sp(s26[0], 6, 60), std::string(55, '\x84'));
  EXPECT_EQ(Sp(s26[1], 6, 60), std::string(5, '\x84') + Leer(50));
  EXPECT_EQ(Sp(s26[2], 6, 17), "zweite Zeile");
}

// A fully described header: data type 83 with prices.
LV90 KopfLV() {
  LV90 lv;
  lv.Kopf({{"VergabenummerAG", "VG-2026-0017"},
           {"DVNrAG", "DV01"},
           {"BieterNrAG", "0071"},
           {"VergabenummerAN", "AN-55"},
           {"DVNrAN", "DVAN12345"},
           {"OZMaske", "11PPPPI"},
           {"OZTrennzeichen", "."},
           {"BezeichnungLV", "Neubau Kita Sonnenschein, Bauabschnitt 2, Außenanlagen"},
           {"DatumLV", "20260315"},
           {"DatumAngebotsabgabe", "2026040110:30"},
           {"DatumZuschlagsfrist", "30.06.2026"},
           {"LVmitLohn", true},
           {"InformationProjekt", "Zeile eins\r\n" + std::string(55, 'P') + "0123456789"},
           {"KopfInformationAG", "Stadt Musterhausen, Bauamt"},
           {"InformationAG", "nicht dieser"},
           {"ZA06", "Freitext sechs"}});
  lv.Position(22, {{"Positionsnummer", "01"}, {"Kurztext1", "Erdarbeiten"}});
  lv.Position(40, {{"Positionsnummer", "01.0010"}, {"Kurztext1", "Aushub"}, {"Menge", 1.0}});
  return lv;
}

TEST(Kopf90, HeaderRecordsCarryAwardDatesProjectPartiesAndCurrency) {
  TestHost h;
  KopfLV().Speichere(*h.db);
  test::SetzeFirma(h, "Holzbau Müller GmbH", "Hauptstraße 5", "12345 Musterstadt");
  auto k = h.Komponente();
  Datei90 d = test::Exportiere(*k, 83, test::MitPreisen());
  ASSERT_TRUE(d.ergebnis);
  ASSERT_GE(d.zeilen.size(), 9u);
  const std::vector<std::string> arten = d.Arten();
  EXPECT_EQ((std::vector<std::string>(arten.begin(), arten.begin() + 9)),
            (std::vector<std::string>{"00", "01", "02", "02", "02", "03", "04", "06", "08"}));

  const std::string& z00 = d.zeilen[0];
  EXPECT_EQ(Sp(z00, 1, 10), "00" + Leer(8));
  EXPECT_EQ(Sp(z00, 11, 12), "83");
  EXPECT_EQ(Sp(z00, 13, 13), "L");
  EXPECT_EQ(Sp(z00, 14, 28), "VG-2026-0017   ");
  EXPECT_EQ(Sp(z00, 29, 36), "DV01    ");
  EXPECT_EQ(Sp(z00, 37, 39), "007");
  EXPECT_EQ(Sp(z00, 40, 54), "AN-55          ");
  EXPECT_EQ(Sp(z00, 55, 62), "DVAN1234");
  EXPECT_EQ(Sp(z00, 63, 71), "11PPPPI  ");
  EXPECT_EQ(Sp(z00, 72, 74), "90 ");

  const std::string& z01 = d.zeilen[1];
  EXPECT_EQ(Sp(z01, 3, 42), "Neubau Kita Sonnenschein, Bauabschnitt 2");
  EXPECT_EQ(Sp(z01, 43, 50), "15.03.26");
  EXPECT_EQ(Sp(z01, 51, 58), "01.04.26");
  EXPECT_EQ(Sp(z01, 59, 63), "10:30");
  EXPECT_EQ(Sp(z01, 64, 71), "30.06.26");
  EXPECT_EQ(Sp(z01, 72, 74), "XX ");

  // Project information and the subject, one record per line, cut at 60.
  EXPECT_EQ(Sp(d.zeilen[2], 3, 74), "Zeile eins" + Leer(50) + Leer(12));
  EXPECT_EQ(Sp(d.zeilen[3], 3, 74), std::string(55, 'P') + "01234" + Leer(12));
  EXPECT_EQ(Sp(d.zeilen[4], 3, 74), "Angebot" + Leer(53) + Leer(12));
  EXPECT_EQ(Sp(d.zeilen[5], 3, 74), "Stadt Musterhausen, Bauamt" + Leer(34) + Leer(12));
  const std::string firma = "Holzbau Müller GmbH,Hauptstraße 5,12345 Musterstadt";
  EXPECT_EQ(Sp(d.zeilen[6], 3, 74), Oem(firma) + Leer(60 - 51) + Leer(12));
  EXPECT_EQ(Sp(d.zeilen[7], 1, 74), "06Freitext sechs" + Leer(58));
  EXPECT_EQ(Sp(d.zeilen[8], 1, 74), "08EUR   EUR" + Leer(47) + Leer(16));

  // A document without GAEB version is written, and from now on kept, as GAEB 90.
  EXPECT_EQ(k->kontext().Beleg().Kopf().Feld("Ausgabejahr").ToString(), "90");
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST(Kopf90, HeaderFallsBackToSubjectDocumentDateAndClientText) {
  TestHost h;
  const std::string zeile07 = "07" + std::string(72, 'S') + "000123";  // a whole imported line
  LV90 lv;
  lv.Kopf({{"MitLos", true},
           {"InformationAG", "Gemeinde Nord"},
           {"ZA07", zeile07},
           {"Ausgabejahr", "2001"},
           {"DatumLV", "  "}});
  lv.Position(20, {{"Positionsnummer", "1"}, {"Kurztext1", "Los 1"}});
  lv.Position(40, {{"Positionsnummer", "1.0010"}, {"KnzFreieMenge", true}});
  lv.Speichere(*h.db);
  auto k = h.Komponente();
  Datei90 d = test::Exportiere(*k, 84);  // the bid: prices without being asked
  ASSERT_TRUE(d.ergebnis);
  const std::vector<std::string> arten = d.Arten();
  ASSERT_GE(arten.size(), 8u);
  EXPECT_EQ((std::vector<std::string>(arten.begin(), arten.begin() + 8)),
            (std::vector<std::string>{"00", "01", "02", "02", "03", "04", "07", "08"}));
  EXPECT_EQ(Sp(d.zeilen[0], 11, 13), "84K");
  EXPECT_EQ(Sp(d.zeilen[0], 74, 74), "X");  // lots

  const std::string& z01 = d.zeilen[1];
  EXPECT_EQ(Sp(z01, 3, 42), "Angebot" + Leer(33));
  EXPECT_EQ(Sp(z01, 43, 50), "05.12.26");
  EXPECT_EQ(Sp(z01, 51, 71), Leer(21));
  EXPECT_EQ(Sp(z01, 72, 74), "X  ");

  // Empty project information still gives its (blank) line before the subject.
  EXPECT_EQ(Sp(d.zeilen[2], 3, 74), Leer(72));
  EXPECT_EQ(Sp(d.zeilen[3], 3, 9), "Angebot");
  EXPECT_EQ(Sp(d.zeilen[4], 3, 74), "Gemeinde Nord" + Leer(47) + Leer(12));
  // No company data in the settings: empty fields around the commas.
  EXPECT_EQ(Sp(d.zeilen[5], 1, 74), "04,," + Leer(70));
  EXPECT_EQ(Sp(d.zeilen[6], 1, 74), zeile07.substr(0, 74));
  EXPECT_EQ(k->kontext().Beleg().Kopf().Feld("Ausgabejahr").ToString(), "2001");
}

// A bill without lots: level 1 "1" with the levels 2 "1.1" and "1.2", level 1 "2".
LV90 BereichsLV() {
  LV90 lv;
  lv.Kopf({{"OZMaske", "12PPPPI"}});
  lv.Position(20, {{"Positionsnummer", "1"}, {"Kurztext1", "Rohbau"}});
  lv.Position(21, {{"Positionsnummer", "1.1"},
                   {"Kurztext1", "Erdarbeiten\r\nBaugrube\r\nVerbau"},
                   {"Kurztext3", "Los A"},
                   {"Alternativposition", true}});
  lv.Position(40, {{"Positionsnummer", "1.1.0010"}, {"Menge", 10.0}, {"Einzelpreis", 12.5}});
  lv.Position(21, {{"Positionsnummer", "1.2"}, {"Kurztext1", "Mauerarbeiten"}});
  lv.Position(40, {{"Positionsnummer", "1.2.0010"}, {"Menge", 2.0}, {"Einzelpreis", 100.0}});
  lv.Position(20, {{"Positionsnummer", "2"}, {"Kurztext1", "Ausbau"}});
  lv.Position(40, {{"Positionsnummer", "2.0010"}, {"Menge", 1.0}, {"Einzelpreis", 50.0}});
  return lv;
}

std::vector<std::string> OhneKopf(const Datei90& d) {
  std::vector<std::string> arten = d.Arten();
  std::size_t i = 0;
  while (i < arten.size() && arten[i] < "10") ++i;
  return std::vector<std::string>(arten.begin() + static_cast<long>(i), arten.end());
}

TEST(Bereich90, SectionsAreOpenedTitledAndClosedWithTheirSums) {
  TestHost h;
  BereichsLV().Speichere(*h.db);
  auto k = h.Komponente();
  Datei90 d = test::Exportiere(*k, 83, test::MitPreisen());
  ASSERT_TRUE(d.ergebnis);
  test::PrüfeZeilenformat(d);
  EXPECT_EQ(OhneKopf(d), (std::vector<std::string>{"11", "12", "11", "12", "12", "12", "12", "21", "23", "25", "26",
                                                   "31", "32", "11", "12", "21", "23", "25", "26", "31", "32", "32",
                                                   "11", "12", "21", "23", "25", "26", "32", "99", "99"}));
  const auto s11 = d.Sätze("11");
  ASSERT_EQ(s11.size(), 4u);
  EXPECT_EQ(Sp(s11[0], 1, 74), "111        N" + Leer(62));
  EXPECT_EQ(Sp(s11[1], 1, 74), "1111       A" + Leer(62));

  const auto s12 = d.Sätze("12");
  ASSERT_EQ(s12.size(), 7u);
  EXPECT_EQ(Sp(s12[0], 1, 74), "12Rohbau" + Leer(34) + Leer(32));
  EXPECT_EQ(Sp(s12[1], 3, 42), "Erdarbeiten" + Leer(29));
  EXPECT_EQ(Sp(s12[2], 3, 42), "Baugrube" + Leer(32));
  EXPECT_EQ(Sp(s12[3], 3, 42), "Verbau" + Leer(34));
  EXPECT_EQ(Sp(s12[4], 3, 74), "Los A" + Leer(35) + Leer(32));

  const auto s31 = d.Sätze("31");
  ASSERT_EQ(s31.size(), 2u);
  EXPECT_EQ(Sp(s31[0], 1, 74), "3111       " + Leer(63));
  EXPECT_EQ(Sp(s31[1], 3, 11), "12       ");

  // Section sums as the host computed them: 1.1 = 125.00, 1.2 = 200.00,
  // 1 = 325.00, 2 = 50.00.
  const auto s32 = d.Sätze("32");
  ASSERT_EQ(s32.size(), 4u);
  EXPECT_EQ(Sp(s32[0], 1, 74), "3211       " + std::string(" 000000012500") + Leer(7) + Leer(43));
  EXPECT_EQ(Sp(s32[1], 3, 24), "12        000000020000");
  EXPECT_EQ(Sp(s32[2], 3, 24), "1         000000032500");
  EXPECT_EQ(Sp(s32[3], 3, 31), "2         000000005000" + Leer(7));
}

TEST(Bereich90, DataTypeDecidesWhichSectionAndSumRecordsAppear) {
  TestHost h;
  BereichsLV().Speichere(*h.db);
  auto k = h.Komponente();

  Datei90 d81 = test::Exportiere(*k, 81, test::MitPreisen());
  EXPECT_EQ(d81.Sätze("31").size(), 2u);
  EXPECT_EQ(d81.Sätze("32").size(), 0u);
  EXPECT_EQ(d81.Sätze("11").size(), 4u);

  // Without prices the sums carry only their labels.
  Datei90 ohne = test::Exportiere(*k, 83);
  ASSERT_EQ(ohne.Sätze("32").size(), 4u);
  EXPECT_EQ(Sp(ohne.Sätze("32")[0], 1, 74), "3211       " + Leer(63));
  EXPECT_EQ(ohne.Sätze("23").size(), 0u);

  // The bid: neither section records nor headings, but the sums.
  Datei90 d84 = test::Exportiere(*k, 84);
  EXPECT_EQ(d84.Sätze("11").size(), 0u);
  EXPECT_EQ(d84.Sätze("12").size(), 0u);
  EXPECT_EQ(d84.Sätze("31").size(), 0u);
  ASSERT_EQ(d84.Sätze("32").size(), 4u);
  EXPECT_EQ(Sp(d84.Sätze("32")[2], 12, 24), " 000000032500");
}

TEST(Bereich90, LotsGetRecord10AndLotSums33) {
  TestHost h;
  LV90 lv;
  lv.Kopf({{"MitLos", true}, {"OZMaske", "1PPPPI"}});
  lv.Position(20, {{"Positionsnummer", "1"}, {"Kurztext1", "Los eins"}});
  lv.Position(40, {{"Positionsnummer", "1.0010"}, {"Menge", 10.0}, {"Einzelpreis", 10.0}});
  lv.Position(20, {{"Positionsnummer", "12"}, {"Kurztext1", "Los zwei"}});
  lv.Position(40, {{"Positionsnummer", "12.0010"}, {"Menge", 1.0}, {"Einzelpreis", 20.0}});
  lv.Speichere(*h.db);
  auto k = h.Komponente();

  Datei90 d = test::Exportiere(*k, 83, test::MitPreisen());
  ASSERT_TRUE(d.ergebnis);
  EXPECT_EQ(OhneKopf(d), (std::vector<std::string>{"10", "21", "23", "25", "26", "33", "10", "21", "23", "25", "26",
                                                   "33", "99", "99"}));
  const auto s10 = d.Sätze("10");
  EXPECT_EQ(Sp(s10[0], 1, 74), "101 Los eins" + Leer(32) + Leer(30));
  EXPECT_EQ(Sp(s10[1], 3, 4), "12");
  const auto s33 = d.Sätze("33");
  EXPECT_EQ(Sp(s33[0], 1, 74), "331 000000010000" + Leer(7) + Leer(51));
  EXPECT_EQ(Sp(s33[1], 1, 16), "3312000000002000");

  Datei90 ohne = test::Exportiere(*k, 83);
  EXPECT_EQ(Sp(ohne.Sätze("33")[0], 1, 74), "331 " + Leer(70));
  Datei90 d82 = test::Exportiere(*k, 82, test::MitPreisen());
  EXPECT_EQ(d82.Sätze("33").size(), 0u);
}

}  // namespace
}  // namespace gaeb

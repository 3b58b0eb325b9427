// What the three formats share: numbers of the files, the levels of the areas and the OZ mask settled from the
// breakdown and the tree; and the rows of the GAEB 2000 and GAEB 90 parts that the small files of leser_test.cpp do not
// reach (packages, surcharges, lots, closing texts).
#include <gtest/gtest.h>

#include <sstream>

#include "readers/gaebleser.h"
#include "readers/lvsammler.h"
#include "felder.h"

namespace gaeb::readers {
namespace {

auto Text(const std::vector<Importzeile>& z) {
  return [&z](std::size_t i, const std::string& n) { return Wert(z.at(i), n).ToString(); };
}

TEST(Zahlen, DerDateien) {
  const std::tuple<const char*, bool, double> fälle[] = {
      {"12,25", true, 12.25}, {" -3.5 ", true, -3.5}, {"+7", true, 7},      {"1.234,5", false, 0},
      {"", false, 0},         {"-", false, 0},        {"1e5", false, 0},    {"0,000", true, 0},
  };
  for (const auto& [text, gut, wert] : fälle) {
    double d = -1;
    EXPECT_EQ(LeseZahl(text, d), gut) << text;
    if (gut) { EXPECT_DOUBLE_EQ(d, wert) << text; }
  }
}

TEST(Gliederung, EbenenLosUndMaske) {
  // The lengths of the described area levels; the areas (depth, OZ); the expected HierarchieEbene per area.
  struct Fall {
    std::vector<int> beschrieben; std::vector<std::pair<int, std::string>> bereiche; std::vector<int> ebenen;
    bool mitLos; const char *maske, *stufen;
  } fälle[] = {
      {{2, 2}, {{1, "01"}, {2, "01.01"}}, {2, 3}, false, "1122PPPPI", "22041"},
      {{3}, {{1, "001"}}, {3}, false, "111PPPPI", "30041"},
      // the tree is one level deeper than the breakdown: the outer level is the lot
      {{2, 2}, {{1, "1"}, {2, "1.01"}, {3, "1.01.01"}}, {1, 2, 3}, true, "12233PPPPI", "22041"},
      {{1, 1, 1}, {{1, "1"}, {2, "1.2"}, {3, "1.2.3"}}, {1, 2, 3}, false, "123PPPPI", "11141"},
      // deeper than three levels: the inner ones are titles
      {{}, {{1, "1"}, {2, "1.2"}, {3, "1.2.3"}, {4, "1.2.3.4"}}, {1, 2, 3, 3}, false, "123PPPPI", "11141"},
      {{}, {}, {}, false, "PPPPI", "00041"},
  };
  for (const Fall& f : fälle) {
    Lvsammler lv;
    for (const auto& [tiefe, oz] : f.bereiche) lv.Bereich(tiefe, oz);
    Gliederung g;
    g.bereichLängen = f.beschrieben;
    g.positionLänge = 4;
    g.indexLänge = 1;
    auto z = lv.Fertig(g);
    ASSERT_EQ(z.size(), f.bereiche.size() + 2);
    for (std::size_t i = 0; i < f.ebenen.size(); ++i) EXPECT_EQ(Wert(z[i + 1], "HierarchieEbene").ToInt32(), f.ebenen[i]);
    EXPECT_EQ(Wert(z[0], "MitLos").ToBool(), f.mitLos) << f.maske;
    EXPECT_EQ(Wert(z[0], "OZMaske").ToString(), f.maske);
    EXPECT_EQ(Wert(z[0], "OZStufen").ToString(), f.stufen);
    EXPECT_EQ(Wert(z.back(), "Positionstyp").ToInt32(), 90);
  }
}

TEST(Gliederung, ZuschlägeAufDasGanzeLvAusDerSumme) {
  // Items of 1000 (one alternative of 500 does not count), the last discount
  // of 2 percent and the bill total before it.
  // erwartet: the rows after the items, kind and percentage or amount.
  struct Fall { double summe; bool bekannt; const char* erwartet; } fälle[] = {
      {1000, true, "80:2"},
      {1025, true, "70:2,5 80:2"},              // a surcharge of 2.5 % before it
      {1033.33, true, "70:100:33,33 80:2"},     // no percentage of two decimals gives 33.33
      {970, true, "80:3 80:2"},                 // a discount before it
      {1250, false, "80:2"},                    // a file without the total
  };
  for (const Fall& f : fälle) {
    Lvsammler lv;
    for (auto [gp, alternativ] : {std::pair{600.0, false}, {400.0, false}, {500.0, true}}) {
      Importzeile& z = lv.Neu(40);
      Setze(z, "HierarchieEbene", Variant(std::int16_t{4}));
      Setze(z, "Gesamtpreis", Variant(gp));
      if (alternativ) Setze(z, "Alternativposition", Variant(true));
    }
    lv.GanzesLv(2, f.summe, f.bekannt);
    std::string zeilen;
    auto z = lv.Fertig(Gliederung{});
    for (std::size_t i = 4; i + 1 < z.size(); ++i) {
      zeilen += (zeilen.empty() ? "" : " ") + Wert(z[i], "Positionstyp").ToString() + ":" +
                Wert(z[i], "AufAbschlagProzent").ToString();
      if (!Wert(z[i], "AufAbschlagBetrag").IstLeer()) zeilen += ":" + Wert(z[i], "AufAbschlagBetrag").ToString();
      EXPECT_EQ(Wert(z[i], "WelcherBetragZuAbschlag").ToInt32(), 0);
    }
    EXPECT_EQ(zeilen, f.erwartet) << f.summe;
  }
}

std::vector<Importzeile> P2000(const std::string& lv, const std::string& danach = "") {
  std::istringstream ein("#begin[Vergabe]\r\n[DP]83[end]\r\n#begin[LV]\r\n#begin[LVInfo]\r\n" + lv +
                         "#end[LV]\r\n#end[Vergabe]\r\n" + danach);
  return LeseGaeb2000(ein, "t.p83");
}

TEST(Gaeb2000, PaketeZuschlägeTexteUndNachlass) {
  auto z = P2000(
      "#begin[LVGlied]\r\n[Typ]Position[end]\r\n[Laenge]4[end]\r\n#end[LVGlied]\r\n[NachlassProz]-2,00[end]\r\n"
      "#end[LVInfo]\r\n#begin[LVBereich]\r\n"
      "#begin[Position]\r\n[OZ]0010[end]\r\n[Bedarf]E[end]\r\n[Menge]1,000[end]\r\n[ME]Psch[end]\r\n"
      "[LeitBeschr]J[end]\r\n#begin[UnterBeschr]\r\n[UBNR]01[end]\r\n[Menge]2,500[end]\r\n[ME]t[end]\r\n"
      "[EP]10,00[end]\r\n#end[Unterbeschr]\r\n#end[Position]\r\n"
      "#begin[AusfBeschr]\r\n#begin[Beschreibung]\r\n[Langtext]\r\nSo wird es gemacht.\r\n[end]\r\n"
      "#end[Beschreibung]\r\n#end[AusfBeschr]\r\n"
      "#begin[ZuschlPosition]\r\n[OZ]0020[end]\r\n[Zuschlag]-5,00[end]\r\n[GBZuschl]3,00[end]\r\n[GB]1,00[end]\r\n"
      "#end[ZuschlPosition]\r\n#begin[ZuschlPosition]\r\n[OZ][end]\r\n[Zuschlag]0,00[end]\r\n#end[ZuschlPosition]\r\n"
      "#end[LVBereich]\r\n",
      "#begin[ZusText]\r\n[Text]\r\nSchluss\r\n[end]\r\n#end[ZusText]\r\n");
  ASSERT_EQ(z.size(), 9u);
  test::PrüfeFelder(Text(z), {
      // [Bedarf]E: alternative need item
      {1, "Positionstyp=45 | Pauschalpreis=Wahr | Alternativposition=Wahr"},
      {2, "Positionstyp=47 | Positionsnummer=0010 | MengePaketteil=2,5"},
      {3, "KennNr_Langtext=[AusfBeschr] | Langtext=So wird es gemacht."},
      {4, "Positionstyp=80 | AufAbschlagProzent=5 | Gesamtpreis=-2"},  // [GB] is unit price plus total
      {5, "Positionstyp=60"},
      {6, "Positionstyp=70 | WelcherBetragZuAbschlag=0"},  // the negative LV discount is a surcharge
      {7, "Positionstyp=140 | Langtext=Schluss"}});
}

std::string Satz(const std::string& text) {
  std::string s = text;
  s.resize(74, ' ');
  return s + "000001\r\n";
}
std::string An(std::string s, std::size_t spalte, const std::string& wert) {
  s.resize(std::max(s.size(), spalte - 1 + wert.size()), ' ');
  s.replace(spalte - 1, wert.size(), wert);
  return s;
}

TEST(Gaeb90, LoseZuschlägeSchlussUndKopf) {
  std::string kopf = An(An("00        84K", 63, "12233PPPP"), 72, "90X");
  std::string pos = An(An(An("21101010010NNL", 20, "E"), 23, "-00000001500"), 35, "St  007");
  std::string zuschlag = An(An("21101010020NNN", 20, "Z"), 24, "00000001000");
  std::string preis = An(An("23101010020", 56, "-00250"), 62, " 000000001000");
  std::string d = Satz(kopf) + Satz(An("01LV Dach", 43, "01.12.2615.01.2710:00")) +
                  Satz("02Projekt Ost") + Satz("02Angebot") + Satz("08EUR   Euro") + Satz("101 Los Dach") +
                  Satz("11101") + Satz("1110101") + Satz(pos) + Satz("2401 00000002000m3") + Satz(zuschlag) +
                  Satz(preis) + Satz("3210101") + Satz(An("99", 15, "1050000")) + Satz("T0") + Satz("T1Ende") +
                  Satz("T9") + Satz("99");
  std::istringstream ein(d);
  auto z = LeseGaeb90(ein, "t.d84");
  ASSERT_EQ(z.size(), 10u);
  test::PrüfeFelder(Text(z), {
      // the subject line "Angebot" is dropped
      {0, "Datenphase=84 | MitLos=Wahr | OZMaske=12233PPPP | OZStufen=22040 | DatumAngebotsabgabe=2027011510:00 | "
          "InformationProjekt=Projekt Ost | BezWährung=Euro"},
      {1, "Kurztext1=Los Dach"},
      {3, "Positionsnummer=1.01.01"},
      {4, "Positionstyp=45 | Positionsnummer=1.01.01.0010 | Menge=-1,5 | Nachtrag=7"},
      {5, "Positionstyp=47 | MengePaketteil=2"},
      {6, "Positionstyp=80 | AufAbschlagProzent=2,5 | Einzelpreis=10"},  // a surcharge with a negative percentage
      // record 32 closes the title: a bid has no sum headings 31
      {7, "Positionstyp=70 | AufAbschlagProzent=5"},  // factor 1.05 of record 99
      {8, "Positionstyp=140 | Langtext=Ende"}});
}

}  // namespace
}  // namespace gaeb::readers

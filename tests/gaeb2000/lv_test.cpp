// The LV body of the GAEB 2000 export line by line with its indentation: areas, packages,
// position attributes, surcharge rows, area sums and the text blocks, plain and as RTF.
#include <gtest/gtest.h>

#include "exportlv.h"

namespace gaeb::test {
namespace {

class LVBody : public ExportTest {};

// The lines after the first line equal to `nach`, count of them.
Z Nach(const Z& z, const std::string& nach, std::size_t anzahl, std::size_t ab = 0) {
  auto a = std::find(z.begin() + static_cast<std::ptrdiff_t>(ab), z.end(), nach);
  if (a == z.end() || z.end() - a <= static_cast<std::ptrdiff_t>(anzahl)) return {};
  return Z(a + 1, a + 1 + static_cast<std::ptrdiff_t>(anzahl));
}

TEST_F(LVBody, ALotAfterALotClosesTheDeeperAreas) {
  LV b(1, {{"OZTrennzeichen", "."}});
  b.Zeile(20, "01", "Los 1");
  b.Zeile(21, "01.02", "Rohbau");
  b.Zeile(22, "01.02.03", "Mauerwerk").SetzeFeld("Alternativposition", true);
  b.Position("01.02.03.0010", "Wand", 1, "m2", 1);
  b.Zeile(20, "02", "Los 2");
  b.Position("02.00.00.0010", "Dach", 1, "m2", 1);
  b.Speichere(*h.db);
  Datei r = Export2000(*k, 1);
  ASSERT_TRUE(r.ergebnis);
  EXPECT_EQ(Anzahl(r.zeilen, L(11, "## nur Positionen (Ohne Los/Gewerk/Titel)")), 0);
  EXPECT_EQ(Block(r.zeilen, L(9, "#begin[LVBereich]"), ""),
            (Z{L(9, "#begin[LVBereich]"), L(14, "[OZ]010203[end]"), L(14, "[BezTx]"), L(14, "Mauerwerk"),
               L(14, "[end]"), L(14, "[ZZVGruppeNr]1[end]"), L(14, "[ZZVLfdNr]1[end]"), ""}));
  EXPECT_EQ(Nach(r.zeilen, L(15, "#end[Position]"), 10),
            (Z{L(9, "#end[LVBereich]"), L(8, "#end[LVBereich]"), L(7, "#end[LVBereich]"), "",
               L(7, "#begin[LVBereich]"), L(12, "[OZ]02[end]"), L(12, "[BezTx]"), L(12, "Los 2"), L(12, "[end]"), ""}));
  // The end of the LV closes the open lot.
  Z ende(r.zeilen.end() - 5, r.zeilen.end() - 1);
  EXPECT_EQ(ende, (Z{L(13, "#end[Position]"), L(7, "#end[LVBereich]"), L(7, "#end[LV]"), L(5, "#end[Vergabe]")}));
}

void PaketBeleg(TestHost& h, std::int32_t nr, bool paketZuletzt) {
  LV b(nr);
  b.Position("0010", "Tür komplett", 2, "St", 0, 45);
  for (int i = 1; i <= 3; ++i)
    b.Position("001" + std::to_string(i), "Teil " + std::to_string(i), i, "m", 5, 47).SetzeFeld("MengePaketteil", 1.0 * i);
  if (!paketZuletzt) b.Position("0020", "Danach", 1, "St", 1);
  b.Speichere(*h.db);
}

Z Teil(int nr) {
  const std::string n = std::to_string(nr), m = n + ",000";
  return {L(15, "#begin[UnterBeschr]"), L(17, "[UBNR]0" + n + "[end]"), L(17, "#begin[Beschreibung]"),
          L(17, "[Kurztext]"),          L(17, "Teil " + n),             L(17, "[end]"),
          L(17, "#end[Beschreibung]"),  L(17, "[Menge]" + m + "[end]"), L(17, "[ME]m[end]"),
          L(17, "[EP]5,00[end]"),       L(15, "#end[Unterbeschr]")};
}

TEST_F(LVBody, PackageHeadHoldsItsPartsAndOneEnd) {
  PaketBeleg(h, 1, false);
  PaketBeleg(h, 2, true);
  for (bool zuletzt : {false, true}) {
    Datei r = Export2000(*k, zuletzt ? 2 : 1, Mit(true));
    ASSERT_TRUE(r.ergebnis);
    // The head's unit price is the sum of its parts: 5 + 10 + 15.
    Z erwartet = {L(12, "#begin[Position]"), L(15, "[OZ]0010[end]"),     L(15, "[Menge]2,000[end]"),
                  L(15, "[ME]St[end]"),      L(15, "[EP]30,00[end]"),    L(15, "[GB]60,00[end]"),
                  L(15, "#begin[Beschreibung]"), L(17, "[Kurztext]"), L(17, "Tür komplett"),
                  L(17, "[end]"),            L(15, "#end[Beschreibung]"), L(15, "[LeitBeschr]J[end]")};
    for (int i = 1; i <= 3; ++i) std::ranges::copy(Teil(i), std::back_inserter(erwartet));
    erwartet.push_back(L(12, "#end[Position]"));
    erwartet.push_back(zuletzt ? L(10, "#end[LVBereich]") : L(12, "#begin[Position]"));
    EXPECT_EQ(Block(r.zeilen, L(12, "#begin[Position]"), erwartet.back()), erwartet) << zuletzt;
    EXPECT_EQ(Anzahl(r.zeilen, L(12, "#end[Position]")), zuletzt ? 1 : 2);
  }
  // Packages as items leave out the parts.
  Datei z = Export2000(*k, 1, Mit(false, false, true));
  EXPECT_EQ(k->AnzahlLeistungen(), 2);
  EXPECT_EQ(Block(z.zeilen, L(12, "#begin[Position]"), L(12, "#end[Position]")),
            (Z{L(12, "#begin[Position]"), L(15, "[OZ]0010[end]"), L(15, "[Menge]2,000[end]"), L(15, "[ME]St[end]"),
               L(15, "#begin[Beschreibung]"), L(17, "[Kurztext]"), L(17, "Tür komplett"), L(17, "[end]"),
               L(15, "#end[Beschreibung]"), L(12, "#end[Position]")}));
  EXPECT_EQ(Anzahl(z.zeilen, L(15, "#begin[UnterBeschr]")), 0);
  EXPECT_EQ(Anzahl(z.zeilen, L(12, "#begin[Position]")), 2);
}

TEST_F(LVBody, PositionAttributesFollowTheirConditions) {
  LV b;
  Setze(b.Position("0010", "Fenster", 3, "St", 100),
        {{"Alternativposition", true}, {"KnzGaeb", std::int16_t{11}}, {"Materialpreis", 60.0}, {"Lohnpreis", 40.0},
         {"Bezuschlagt2", true}, {"Nachtrag", std::int16_t{3}}, {"KnzFreieMenge", true}, {"Rabattprozent", 5.0},
         {"Rabattbetrag", 15.0}, {"Zeit", 12.5}, {"Artikelnummer", "ART-1234567890-XYZ"}});
  Setze(b.Position("0020", "Pauschale", 1, "St", 50),
        {{"Pauschalpreis", true}, {"Bedarfsposition", true}, {"KnzFreieMenge", true}});
  b.Position("0030", "Ohne Zeit", 1, "St", 1).SetzeFeld("Bedarfsposition", true);
  b.Speichere(*h.db);

  Datei r = Export2000(*k, 1, Mit(true, false, false, true, true), 83);
  ASSERT_TRUE(r.ergebnis);
  // Data phase 83 with a free quantity: no "[Menge]".
  EXPECT_EQ(Block(r.zeilen, L(12, "#begin[Position]"), L(12, "#end[Position]")),
            (Z{L(12, "#begin[Position]"), L(15, "[OZ]0010[end]"), L(15, "[ZZGruppeNr]1[end]"),
               L(15, "[ZZLfdNr]1[end]"), L(15, "[EPAufgl]J[end]"), L(15, "[EPAnteil1]60,00[end]"),
               L(15, "[EPAnteil2]40,00[end]"), L(15, "[Bezuschl]J[end]"), L(15, "[NACHTRNR]3[end]"),
               L(15, "[FRMenge]J[end]"), L(15, "[ME]St[end]"), L(15, "[EP]100,00[end]"),
               L(15, "[NachlassProz]5,00[end]"), L(15, "[GB]285,00[end]"), L(15, "[ZEIT]12,50[end]"),
               L(15, "#begin[Beschreibung]"), L(17, "[Kurztext]"), L(17, "Fenster"), L(17, "[end]"),
               L(15, "#end[Beschreibung]"), L(15, "#begin[Produkt]"), L(17, "#begin[Artikel]"),
               L(20, "[ArtNr]ART-1234567890-[end]"),
               // the short text on one line, without the CR LF the description block left
               L(20, "[ArtKurztext]Fenster[end]"), L(17, "#end[Artikel]"), L(15, "#end[Produkt]"),
               L(12, "#end[Position]")}));
  // A lump sum always carries its quantity, "Psch" as unit; need with or without alternative; no zero "[ZEIT]".
  Z zweite = Block(r.zeilen, L(15, "[OZ]0020[end]"), L(15, "#begin[Beschreibung]"));
  EXPECT_EQ(zweite, (Z{L(15, "[OZ]0020[end]"), L(15, "[Bedarf]M[end]"), L(15, "[FRMenge]J[end]"),
                       L(15, "[Menge]1,000[end]"), L(15, "[ME]Psch[end]"), L(15, "[EP]50,00[end]"),
                       L(15, "[GB]50,00[end]"), L(15, "#begin[Beschreibung]")}));
  EXPECT_EQ(Anzahl(r.zeilen, L(15, "[ZEIT]0,00[end]")), 0);

  // Price shares need data phase 84 or times, not prices.
  EXPECT_EQ(Anzahl(Export2000(*k, 1, Mit(true), 83).zeilen, L(15, "[EPAnteil1]60,00[end]")), 0);
  Datei angebot = Export2000(*k, 1, {}, 84);
  EXPECT_EQ(Anzahl(angebot.zeilen, L(15, "[EPAnteil1]60,00[end]")), 1);
  EXPECT_EQ(Anzahl(angebot.zeilen, L(15, "[Menge]3,000[end]")), 1);  // only 83 leaves a free quantity out
}

TEST_F(LVBody, SurchargeRowsAndAreaSums) {
  LV b(1, {{"OZTrennzeichen", "."}});
  b.Zeile(21, "01", "Gewerk");
  b.Zeile(22, "01.01", "Titel");
  b.Position("01.01.0010", "A", 4, "St", 25);
  Setze(b.Zeile(70, "01.01.0020", "Wagnis"),
        {{"WelcherBetragZuAbschlag", std::int16_t{3}}, {"AufAbschlagProzent", 5.0}});
  Setze(b.Zeile(80, "01.01.0030", "Skonto"),
        {{"WelcherBetragZuAbschlag", std::int16_t{6}}, {"AufAbschlagProzent", 2.0}, {"Bedarfsposition", true},
         {"Alternativposition", true}});
  b.Zeile(60, "01.01.0040", "Summe Gewerk").SetzeFeld("WelcherBetragZuAbschlag", std::int16_t{2});
  b.Speichere(*h.db);
  Datei r = Export2000(*k, 1, Mit(true));
  ASSERT_TRUE(r.ergebnis);
  // Surcharge of 5 % on the title's 100,00 (level 3: title, position at level 4).
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[ZuschlPosition]"), L(15, "#end[ZuschlPosition]")),
            (Z{L(15, "#begin[ZuschlPosition]"), L(18, "[OZ]01010020[end]"), L(18, "[ZZLfdNr]0[end]"),
               L(18, "[ZuschlArt]A[end]"), L(18, "[Zuschlag]5,00[end]"), L(18, "[GBZuschl]100,00[end]"),
               L(18, "[GB]105,00[end]"), L(18, "#begin[Beschreibung]"), L(20, "[Kurztext]"), L(20, "Wagnis"),
               L(20, "[end]"), L(18, "#end[Beschreibung]"), L(15, "#end[ZuschlPosition]")}));
  // A discount of sub-kind 6 is a "Z" row with its percentage negated.
  Z abschlag = Block(r.zeilen, L(18, "[OZ]01010030[end]"), L(18, "[GB]102,90[end]"));
  EXPECT_EQ(abschlag, (Z{L(18, "[OZ]01010030[end]"), L(18, "[ZZLfdNr]0[end]"), L(18, "[Bedarf]E[end]"),
                         L(18, "[ZuschlArt]Z[end]"), L(18, "[Zuschlag]-2,00[end]"), L(18, "[GBZuschl]105,00[end]"),
                         L(18, "[GB]102,90[end]")}));
  // The trade's sum: the title summed with zeros and closed at 7 blanks, then the trade's own sums and its end.
  EXPECT_EQ(Nach(r.zeilen, L(15, "#end[ZuschlPosition]"), 8, Index(r.zeilen, L(18, "[OZ]01010030[end]"))),
            (Z{L(16, "[Summe]0,00[end]"), L(16, "[NachlassProz]0,00[end]"), L(16, "[SummeNachNL]105,00[end]"),
               L(7, "#end[LVBereich]"), L(16, "[Summe]105,00[end]"), L(16, "[NachlassProz]0,00[end]"),
               L(16, "[SummeNachNL]105,00[end]"), L(8, "#end[LVBereich]")}));
  EXPECT_EQ(Anzahl(r.zeilen, L(10, "## LV-Bereich Ende (nur Positionen)")), 0);
}

// Every "#begin[X]" has its "#end[X]" in order (names without case); the
// first fault as text, empty when the blocks nest.
std::string Verschachtelung(const Z& zeilen) {
  std::vector<std::string> offen;
  for (std::size_t i = 0; i < zeilen.size(); ++i) {
    std::string z = zeilen[i];
    for (char& c : z) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t b = z.find("#begin["), e = z.find("#end[");
    if (b != std::string::npos) offen.push_back(z.substr(b + 6, z.find(']', b) - b - 5));
    if (e == std::string::npos) continue;
    const std::string name = z.substr(e + 4, z.find(']', e) - e - 3);
    if (offen.empty() || offen.back() != name) return "Zeile " + std::to_string(i + 1) + ": " + zeilen[i];
    offen.pop_back();
  }
  return offen.empty() ? "" : "offen: " + offen.back();
}

// Sum rows of sub-kinds 2 and 1 at the ends of areas, before the next lot and
// at the end of the LV, after a position or an open package head: every area
// ends once, after its sums.
TEST_F(LVBody, SumRowsCloseTheirAreas) {
  struct Fall {
    const char* name;
    std::vector<std::int16_t> summenVorLos2, summenAmEnde;
    bool paketZuletzt;
    std::size_t summen;  // "[Summe]" lines in the areas
  };
  for (const Fall& f : {Fall{"Gewerk und Los vor Los 2", {2, 1}, {}, false, 3},
                        Fall{"nur Los vor Los 2", {1}, {}, false, 3},
                        Fall{"am Ende", {}, {2, 1}, false, 3},
                        Fall{"überall, Paket zuletzt", {2, 1}, {2, 1}, true, 6},
                        Fall{"keine", {}, {}, false, 0}}) {
    SCOPED_TRACE(f.name);
    LV b(1, {{"OZTrennzeichen", "."}});
    std::int32_t nr = 0;
    auto summen = [&](const std::vector<std::int16_t>& arten, const std::string& los) {
      for (std::int16_t u : arten)
        b.Zeile(60, los + ".01.01.09" + std::to_string(++nr), "Summe").SetzeFeld("WelcherBetragZuAbschlag", u);
    };
    for (const std::string los : {"01", "02"}) {
      if (los == "02") summen(f.summenVorLos2, "01");
      b.Zeile(20, los, "Los " + los);
      b.Zeile(21, los + ".01", "Gewerk");
      b.Zeile(22, los + ".01.01", "Titel");
      b.Position(los + ".01.01.0010", "A", 4, "St", 25, los == "02" && f.paketZuletzt ? 45 : 40);
    }
    summen(f.summenAmEnde, "02");
    b.Speichere(*h.db);
    Datei r = Export2000(*k, 1, Mit(true));
    ASSERT_TRUE(r.ergebnis);
    EXPECT_EQ(Verschachtelung(r.zeilen), "");
    EXPECT_EQ(Anzahl(r.zeilen, L(16, "[Summe]0,00[end]")) + Anzahl(r.zeilen, L(16, "[Summe]100,00[end]")), f.summen);
    EXPECT_EQ(Anzahl(r.zeilen, L(10, "## LV-Bereich Ende (nur Positionen)")), 0);
    EXPECT_EQ(Anzahl(r.zeilen, L(13, "#end[Position]")) + Anzahl(r.zeilen, L(15, "#end[Position]")), 2);
  }
}

void TextBeleg(TestHost& h) {
  LV b;
  b.d.kopf.SetzeFeld("Kurzlangtext", true);
  Setze(b.Zeile(50, "", "", "Vorbemerkung"), {{"KnzVbSb", "1"}, {"LangtextRTF", "{\\rtf1 Vor}"}});
  Setze(b.Position("0010", "Kurz [TA]", 1, "St", 1),
        {{"Langtext", "Text {\\bkmstart TA1} Ende\r\nzweite [TB2]"}, {"Kurztext3", "Fortsetzung"},
         {"DruckKnz", "2"}, {"Zusatztext", "Zusatz"}});
  Setze(b.Position("0020", "Nur kurz\r\n", 1, "St", 1),
        {{"Langtext", "Wort\r\n"}, {"DruckKnz", "1"}, {"Zusatztext", "nicht angehängt"},
         {"LangtextRTF", "{\\rtf1 Lang RTF}"}, {"Kurztext1RTF", "{\\rtf1 Kurz RTF}"}});
  b.Position("0030", "Ohne Langtext", 1, "St", 1);
  b.Zeile(50, "", "", "Ausführung").SetzeFeld("KennNr_Langtext", "[AUSFBESCHR]");
  b.Zeile(50, "", "", "Gemischt").SetzeFeld("KennNr_Langtext", "[AusfBeschr]");
  b.Zeile(50, "", "", "Ohne Schlüssel");
  b.Schlusstext("Schlussbemerkung");
  b.Speichere(*h.db);
}

Z Beschreibung(const Z& innen) {
  Z z{L(15, "#begin[Beschreibung]")};
  for (const std::string& s : innen) z.push_back(L(17, s));
  z.push_back(L(15, "#end[Beschreibung]"));
  return z;
}

TEST_F(LVBody, PlainTextBlocks) {
  TextBeleg(h);
  Datei r = Export2000(*k, 1);
  ASSERT_TRUE(r.ergebnis);
  EXPECT_TRUE(h.Meldungen().empty());
  // A leading additional text stands before the header.
  EXPECT_EQ(Z(r.zeilen.begin() + 2, r.zeilen.begin() + 9),
            (Z{L(7, "#begin[ZusText]"), L(12, "[Text]"), L(12, "Vorbemerkung"), L(12, "[end]"), L(7, "#end[ZusText]"),
               "", L(5, "#begin[GAEBInfo]")}));
  // Markers of both supplements, the second long text under the print code, the short text's continuation.
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]")),
            Beschreibung({"[LangtextTA]J[end]", "[LangtextTB]J[end]", "[Langtext]", "Text {\\bkmstart TA1} Ende",
                          "zweite [TB2]", "Zusatz", "[end]", "[KurztextTA]J[end]", "[Kurztext]", "Kurz [TA]",
                          "Fortsetzung", "[end]"}));
  // A long text ending in CR LF gives one line of blanks more, a short text not.
  const std::size_t zweite = Index(r.zeilen, L(15, "[OZ]0020[end]"));
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]"), zweite),
            Beschreibung({"[Langtext]", "Wort", "", "[end]", "[Kurztext]", "Nur kurz", "[end]"}));
  // Without a long text only the short text.
  const std::size_t dritte = Index(r.zeilen, L(15, "[OZ]0030[end]"));
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]"), dritte),
            Beschreibung({"[Kurztext]", "Ohne Langtext", "[end]"}));
  // Text rows: only the exact upper-case key gives AusfBeschr.
  EXPECT_EQ(Block(r.zeilen, L(12, "#begin[AusfBeschr]"), L(12, "#end[AusfBeschr]")),
            (Z{L(12, "#begin[AusfBeschr]"), L(15, "#begin[Beschreibung]"), L(17, "[Langtext]"), L(17, "Ausführung"),
               L(17, "[end]"), L(15, "#end[Beschreibung]"), L(12, "#end[AusfBeschr]")}));
  EXPECT_EQ(Anzahl(r.zeilen, L(12, "#begin[Hinweis]")), 2);
  EXPECT_EQ(Anzahl(r.zeilen, L(12, "#end[Hinweis]")), 2);
  // The closing text after the award block.
  EXPECT_EQ(Z(r.zeilen.end() - 7, r.zeilen.end() - 1),
            (Z{L(5, "#end[Vergabe]"), L(7, "#begin[ZusText]"), L(12, "[Text]"), L(12, "Schlussbemerkung"),
               L(12, "[end]"), L(7, "#end[ZusText]")}));
}

TEST_F(LVBody, RtfFormsReplaceThePlainTexts) {
  TextBeleg(h);
  Datei r = Export2000(*k, 1, Mit(false, true), 83, Codepage::Cp1252);
  ASSERT_TRUE(r.ergebnis);
  EXPECT_EQ(Z(r.zeilen.begin() + 2, r.zeilen.begin() + 7),
            (Z{L(7, "#begin[ZusText]"), L(12, "[TextRTF]"), L(12, "{\\rtf1 Vor}"), L(12, "[end]"),
               L(7, "#end[ZusText]")}));
  const std::size_t zweite = Index(r.zeilen, L(15, "[OZ]0020[end]"));
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]"), zweite),
            Beschreibung({"[Langtext]", "{\\rtf1 Lang RTF}", "[end]", "[Kurztext]", "{\\rtf1 Kurz RTF}", "[end]"}));
  // An empty RTF form leaves the plain text, and "[Text]".
  EXPECT_EQ(Anzahl(r.zeilen, L(17, "Ausführung")), 1);
  EXPECT_EQ(Z(r.zeilen.end() - 6, r.zeilen.end() - 3),
            (Z{L(7, "#begin[ZusText]"), L(12, "[Text]"), L(12, "Schlussbemerkung")}));
}

TEST_F(LVBody, LoneLineBreaksAndTypedDates) {
  // Older documents hold lines separated by LF or CR alone, and dates as typed.
  LV b;
  b.Kopf({{"Projektbeschreibung", "P1\nP2"}, {"LVName", "LV\r\nName"}, {"Erfassungsdatum", "1.3.2027"},
          {"DatumZuschlagsfrist", "01.03.27"}});
  b.Position("0010", "Kurz\n", 1, "St", 1).SetzeFeld("Langtext", "eins\nzwei\rdrei\n");
  b.Zeile(50, "", "", "H1\nH2");
  b.Speichere(*h.db);
  Datei r = Export2000(*k, 1);
  ASSERT_TRUE(r.ergebnis);
  EXPECT_TRUE(h.Meldungen().empty());
  EXPECT_TRUE(NurCrLf(r.bytes));
  EXPECT_EQ(Block(r.zeilen, L(12, "[Beschreib]"), L(12, "[end]")),
            (Z{L(12, "[Beschreib]"), L(12, "P1"), L(12, "P2"), L(12, "[end]")}));
  EXPECT_EQ(Anzahl(r.zeilen, L(16, "[Name]LV Name[end]")), 1);
  EXPECT_EQ(Anzahl(r.zeilen, L(14, "[ErDatum]01.03.2027[end]")), 1);
  EXPECT_EQ(Anzahl(r.zeilen, L(14, "[ZusEnde]01.03.2027[end]")), 1);
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]")),
            Beschreibung({"[Langtext]", "eins", "zwei", "drei", "", "[end]", "[Kurztext]", "Kurz", "[end]"}));
  EXPECT_EQ(Block(r.zeilen, L(17, "[Langtext]"), L(17, "[end]"), Index(r.zeilen, L(12, "#begin[Hinweis]"))),
            (Z{L(17, "[Langtext]"), L(17, "H1"), L(17, "H2"), L(17, "[end]")}));
}

}  // namespace
}  // namespace gaeb::test

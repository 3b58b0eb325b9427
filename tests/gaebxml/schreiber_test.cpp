// The GAEB DA XML writers on bills built for their edge cases: each file checked against the schema (where
// the export's element order is one the schema forbids, as docs/formats.md lists, that message) and by XPath.
#include <gtest/gtest.h>

#include <functional>

#include "gaebxml/export.h"
#include "gaebxml/strom.h"
#include "xmlhelfer.h"

namespace gaeb::test {
namespace {

const std::string kNs = "{http://www.gaeb.de/GAEB_DA_XML/200407}";

host::Satz& Text(LV& b, const char* knz, const std::string& text) {
  return Setze(b.Zeile(50, "", "", text), {{"KnzVbSb", std::string(knz)}});
}
host::Satz& Zuschlag(LV& b, std::int16_t art, const std::string& oz, std::int16_t unterart, double prozent) {
  return Setze(b.Zeile(art, oz, art == 80 ? "Nachlass" : "Zuschlag"),
               {{"WelcherBetragZuAbschlag", unterart}, {"AufAbschlagProzent", prozent}});
}

struct Fall {
  const char* name;
  const char* maske;  // of the ordinal numbers; the other header values are the same for all
  std::function<void(LV&)> bau;
  std::int16_t dp;
  Ausgabeoptionen o;
  std::vector<std::pair<std::string, std::string>> erwartet;  // XPath, value
  std::string schemafehler = {};  // empty: valid; else part of the schema's message
};

void Prüfe(const std::vector<Fall>& fälle) {
  for (const Fall& f : fälle) {
    SCOPED_TRACE(f.name);
    TestHost h;
    LV b(1, {{"OZMaske", f.maske}, {"OZTrennzeichen", "."}, {"DatumLV", "20261201"},
             {"DatumAngebotsabgabe", "20270115"}, {"LVName", "LV Test"}, {"BezeichnungLV", "Testbau"},
             {"Kurzlangtext", true}});
    f.bau(b);
    b.Speichere(*h.db);
    XmlLauf r = ExportiereXml(h, 1, f.dp, f.o);
    EXPECT_TRUE(r.ergebnis);
    EXPECT_EQ(r.meldungen, std::vector<std::string>{});
    ASSERT_TRUE(r.datei && r.datei->Da());
    for (const auto& [ausdruck, wert] : f.erwartet) EXPECT_EQ(r.datei->X(ausdruck), wert) << ausdruck;
    if (Schema(f.dp) == nullptr) continue;
    const std::string fehler = r.datei->Prüfe(f.dp);
    EXPECT_TRUE(f.schemafehler.empty() ? fehler.empty() : fehler.find(f.schemafehler) != std::string::npos) << fehler;
  }
  if (Schema(83) == nullptr || Schema(84) == nullptr)
    GTEST_SKIP() << "no schemas in " GAEB_XSD_DIR ": the files were not validated (their content was checked)";
}

TEST(Treiber, TextRowsPreliminaryTextsAndBillTotals) {
  auto mitNachlass = [](LV& b) { b.Position("0010", "Mauerwerk", 10, "m2", 100), Zuschlag(b, 80, "", 0, 3); };
  Prüfe({
      {"only text rows: the preliminary texts in Award, then an empty bill", "PPPP",
       [](LV& b) { Text(b, "1", "Vorbemerkung zur Baustelle"), Text(b, "1", "Zweite Vorbemerkung"); }, 83,
       Mit(false, true),
       {{"count(//g:BoQ)", "1"}, {"count(/g:GAEB/g:Award/g:AddText)", "2"}, {"count(/g:GAEB/g:GAEBInfo)", "1"},
        {"name(/g:GAEB/g:Award/g:BoQ/preceding-sibling::*[1])", "AddText"}, {"count(//g:BoQBody/*)", "0"}}},
      {"no rows at all: the header and an empty bill", "PPPP", [](LV&) {}, 83, Mit(true),
       {{"count(/g:GAEB/g:Award/g:BoQ/g:BoQBody)", "1"}, {"count(//g:BoQBody/*)", "0"},
        {"string(//g:BoQInfo/g:Totals/g:Total)", "0.00"}}},
      {"preliminary texts before and after the first position", "PPPP",
       [](LV& b) { Text(b, "1", "Vorher"), b.Position("0010", "Aushub", 1, "m3", 10), Text(b, "1", "Nachher"); }, 83,
       Mit(false, true), {{"name(/g:GAEB/g:Award/g:BoQ/preceding-sibling::*[1])", "AddText"},
        {"count(//g:AddText[contains(., 'Vorher')])", "1"}, {"count(//g:AddText[contains(., 'Nachher')])", "0"}}},
      {"discount on the whole bill and the totals row", "PPPP", mitNachlass, 83, Mit(true),
       {{"string(//g:BoQInfo/g:Totals/g:Total)", "1000.00"}, {"string(//g:BoQInfo/g:Totals/g:DiscountPcnt)", "3.00"},
        {"string(//g:BoQInfo/g:Totals/g:TotAfterDisc)", "970.00"}, {"string(//g:BoQInfo/g:Totals/g:VAT)", "19.00"},
        {"string(//g:BoQInfo/g:Totals/g:TotalGross)", "1154.30"}, {"count(//g:MarkupItem)", "0"}}},
      {"surcharge on the whole bill (kind 70): a negative discount", "PPPP",
       [](LV& b) { b.Position("0010", "Mauerwerk", 10, "m2", 100), Zuschlag(b, 70, "", 0, 5); }, 83, Mit(true),
       {{"string(//g:BoQInfo/g:Totals/g:Total)", "1000.00"}, {"string(//g:BoQInfo/g:Totals/g:DiscountPcnt)", "-5.00"},
        {"string(//g:BoQInfo/g:Totals/g:TotAfterDisc)", "1050.00"}, {"string(//g:BoQInfo/g:Totals/g:TotalGross)", "1249.50"}}},
      {"home currency: amounts, code and label converted", "PPPP",
       [](LV& b) {
         b.Kopf({{"Währung", "CHF"}, {"BezWährung", "Schweizer Franken"}, {"Währungskurs", 1.5}});
         b.Position("0010", "Mauerwerk", 10, "m2", 100);
       },
       83, [] { Ausgabeoptionen o = Mit(true); o.AusgabeLandeswährung = true; return o; }(),
       {{"string(//g:PrjInfo/g:Cur)", "EUR"}, {"string(//g:PrjInfo/g:CurLbl)", "EUR"},
        {"string(//g:AwardInfo/g:CurLbl)", "EUR"}, {"string(//g:Item/g:UP)", "150.00"},
        {"string(//g:BoQInfo/g:Totals/g:Total)", "1500.00"}}},
      {"own currency: its label stays", "PPPP",
       [](LV& b) {
         b.Kopf({{"Währung", "CHF"}, {"BezWährung", "Schweizer Franken"}, {"Währungskurs", 1.5}});
         b.Position("0010", "Mauerwerk", 10, "m2", 100);
       },
       83, Mit(true), {{"string(//g:PrjInfo/g:CurLbl)", "Schweizer Franken"}, {"string(//g:Item/g:UP)", "100.00"}}},
      {"no prices: zero totals only", "PPPP", mitNachlass, 83, Mit(false),
       {{"count(//g:BoQInfo/g:Totals/*)", "3"}, {"string(//g:BoQInfo/g:Totals/g:Total)", "0.00"},
        {"string(//g:BoQInfo/g:Totals/g:TotalGross)", "0.00"}, {"count(//g:Item/g:UP)", "0"}}},
      {"bid: no OWN, no EvalEnd, PrjInfo with name and label only", "PPPP",
       [](LV& b) { b.Kopf({{"DatumZuschlagsfrist", "20270301"}}).Position("0010", "Mauerwerk", 10, "m2", 100); }, 84,
       Mit(false), {{"count(//g:OWN)", "0"}, {"count(//g:EvalEnd)", "0"}, {"count(/g:GAEB/g:PrjInfo/*)", "2"},
        {"string(//g:Item/g:UP)", "100.00"}}},
  });
}

TEST(Struktur, BreakdownCategoriesAndTheirTotals) {
  Prüfe({
      {"OZStufen 00040: one breakdown, items straight in the top body", "PPPP", [](LV& b) {
         Text(b, "0", "Hinweis vorab");
         b.Position("0010", "Aushub", 1, "m3", 10), b.Position("0020", "Verfüllen", 1, "m3", 10);
       }, 83, Mit(false),
       {{"count(//g:BoQBkdn)", "1"}, {"string(//g:BoQBkdn/g:Type)", "Item"}, {"string(//g:BoQBkdn/g:Length)", "4"},
        {"string(//g:BoQBkdn/comment())", "Verarbeitung Positionen ohne LV-Stufen"},
        {"count(/g:GAEB/g:Award/g:BoQ/g:BoQBody/g:Itemlist/g:Item)", "2"}, {"name(//g:Itemlist/*[1])", "Remark"},
        {"string(//g:Itemlist/g:Item[1]/@ID)", "A3"}}},
      {"trade, title, index; format string; CR LF in a label", "1122PPPPI", [](LV& b) {
         b.Kopf({{"OZFormatstring", "N.A.N.A"}}).Zeile(21, "01", "Rohbau\r\n\r\nEins");
         b.Zeile(22, "01.02", "Mauerwerk"), b.Position("01.02.0010.A", "Wand", 2, "m2", 10);
       }, 83, Mit(true), {{"string(//g:BoQBkdn[1]/g:Num)", "Yes"}, {"string(//g:BoQBkdn[2]/g:Num)", "No"},
        {"string(//g:BoQBkdn[4]/g:Type)", "Index"}, {"string(//g:BoQBkdn[4]/comment())", "Verarbeitung mit LV-Stufen"},
        {"string(/g:GAEB/g:Award/g:BoQ/g:BoQBody/g:BoQCtgy/g:BoQBody/g:BoQCtgy/@RNoPart)", "02"},
        {"normalize-space(//g:BoQCtgy[@RNoPart='01']/g:LblTx/g:p/g:span)", "Rohbau Eins"},
        {"contains(//g:BoQCtgy[@RNoPart='01']/g:LblTx, 'Rohbau    Eins')", "true"},
        {"string(//g:Item/@RNoPart)", "0010"}, {"string(//g:Item/@RNoIndex)", "A"},
        {"string(//g:BoQCtgy[@RNoPart='02']/g:Totals/g:Total)", "20.00"},
        {"name(//g:BoQCtgy[@RNoPart='02']/g:BoQBody/*)", "Itemlist"}}},
      {"a remark right after a trade stands in the trade's body", "1122PPPPI", [](LV& b) {
         b.Zeile(21, "01", "Rohbau"), Text(b, "0", "Hinweis zum Gewerk");
         b.Zeile(22, "01.02", "Mauerwerk"), b.Position("01.02.0010", "Wand", 2, "m2", 10);
       }, 83, Mit(false), {{"name(//g:BoQCtgy[@RNoPart='01']/g:BoQBody/*[1])", "Remark"},
        {"name(//g:BoQCtgy[@RNoPart='01']/g:BoQBody/*[2])", "BoQCtgy"}}},
      {"a remark right after a trade, then its items: Remark and Itemlist in one body", "1122PPPP", [](LV& b) {
         b.Zeile(21, "01", "Rohbau"), Text(b, "0", "Hinweis zum Gewerk"), b.Position("01. .0010", "Wand", 2, "m2", 10);
       }, 83, Mit(false), {{"name(//g:BoQCtgy/g:BoQBody/*[2])", "Itemlist"}},
       "Element '" + kNs + "Itemlist': This element is not expected."},
      {"an item right under a trade, then a title: Itemlist and BoQCtgy in one body", "1122PPPP", [](LV& b) {
         b.Zeile(21, "01", "Rohbau"), b.Position("01. .0010", "Wand", 2, "m2", 10);
         b.Zeile(22, "01.02", "Mauerwerk"), b.Position("01.02.0010", "Wand", 2, "m2", 10);
       }, 83, Mit(false), {{"name(//g:BoQCtgy[@RNoPart='01']/g:BoQBody/*[1])", "Itemlist"},
        {"name(//g:BoQCtgy[@RNoPart='01']/g:BoQBody/*[2])", "BoQCtgy"}},
       "Element '" + kNs + "BoQCtgy': This element is not expected."},
  });
}

TEST(Positionen, ItemsMarkupItemsSubDescriptionsArticles) {
  auto paket = [](LV& b, const char* me) {
    b.Position("0010", "Paket", 1, "St", 0, 45);
    b.Position("00101", "Teil", 2, me, 7.5, 47).SetzeFeld("MengePaketteil", 2.0);
  };
  Prüfe({
      {"alternatives, contingencies, lump sums, units", "11PPPP", [](LV& b) {
         b.Zeile(22, "01", "Titel").SetzeFeld("Alternativposition", true);
         b.Position("01.0010", "Alternative", 1, "m2", 10).SetzeFeld("Alternativposition", true);
         b.Position("01.0020", "Bedarf", 1, "m2", 10).SetzeFeld("Bedarfsposition", true);
         Setze(b.Position("01.0030", "Bedarf und Alternative", 1, "m2", 10),
               {{"Bedarfsposition", true}, {"Alternativposition", true}});
         Setze(b.Position("01.0040", "Pauschal", 1, "", 1234.5), {{"Pauschalpreis", true}, {"KnzFreieMenge", true}});
         b.Position("01.0050", "Stückgut", 3, "Stück", 2).SetzeFeld("Nachtrag", std::int16_t{3});
         b.Position("01.0060", "Steuerzeichen", 1, "m\x01", 2);
       }, 83, Mit(true),
       {{"string(//g:BoQCtgy/g:ALNBGroupNo)", "1"}, {"string(//g:Item[@RNoPart='0010']/g:ALNGroupNo)", "1"},
        {"string(//g:Item[@RNoPart='0020']/g:Provis)", "WithTotal"},
        {"string(//g:Item[@RNoPart='0030']/g:Provis)", "WithoutTotal"},
        {"count(//g:Item[@RNoPart='0030']/g:ALNGroupNo)", "0"},
        {"string(//g:Item[@RNoPart='0040']/g:LumpSumItem)", "Yes"},
        {"string(//g:Item[@RNoPart='0040']/g:QtyTBD/following-sibling::*[1])", "1.000"},
        {"string(//g:Item[@RNoPart='0040']/g:QU)", "Psch"}, {"string(//g:Item[@RNoPart='0040']/g:UP)", "1234.50"},
        {"string(//g:Item[@RNoPart='0050']/g:QU)", "Stüc"}, {"string(//g:Item[@RNoPart='0060']/g:QU)", "m"},
        {"string(//g:Item[@RNoPart='0050']/g:CONo)", "3"},
        {"string(//g:Item[@RNoPart='0050']/g:COStatus)", "Offered"}}},
      {"markup items on items; a subtotal writes nothing", "11PPPP", [](LV& b) {
         b.Zeile(22, "01", "Titel"), b.Position("01.0010", "Wand", 10, "m2", 100);
         Zuschlag(b, 70, "01.0020", 4, 10), Zuschlag(b, 80, "01.0030", 3, 5), Zuschlag(b, 60, "01.0040", 3, 0);
       }, 83, Mit(true), {{"count(//g:MarkupItem)", "2"}, {"string(//g:MarkupItem[1]/g:MarkupType)", "IdentAsMark"},
        {"string(//g:MarkupItem[2]/g:MarkupType)", "AllInCat"}, {"string(//g:MarkupItem[2]/g:Markup)", "-5.00"},
        {"string(//g:MarkupItem[2]/@ID)", "A5"}, {"count(//g:MarkupItem[1]/g:ITMarkup)", "1"}}},
      {"markup item of a change order: CONo without COStatus", "PPPP", [](LV& b) {
         b.Position("0010", "Wand", 10, "m2", 100);
         Zuschlag(b, 70, "0020", 5, 10).SetzeFeld("Nachtrag", std::int16_t{2});
       }, 83, Mit(false), {{"string(//g:MarkupItem/g:CONo)", "2"}, {"count(//g:MarkupItem/g:COStatus)", "0"}},
       "Element '" + kNs + "MarkupType': This element is not expected. Expected is ( " + kNs + "COStatus )."},
      {"package with parts, price shares, times, item discount, article", "PPPP", [](LV& b) {
         b.Kopf({{"AnzahlEPAnteile", std::int16_t{2}}});
         Setze(b.Position("0010", "Paket", 1, "St", 0, 45),
               {{"Zeit", 12.5}, {"Materialpreis", 4.0}, {"Rabattprozent", 10.0}, {"Rabattbetrag", 2.0}});
         Setze(b.Position("00101", "Teil eins", 2, "Sack", 7.5, 47), {{"MengePaketteil", 2.0}});
         Setze(b.Position("00102", "Teil zwei", 1, "", 5, 47), {{"MengePaketteil", 1.0}, {"KnzFreieMenge", true}});
         b.Position("0020", "Ohne Zeit", 1, "St", 1).SetzeFeld("Artikelnummer", "ART-1234567890123456");
       }, 83, Mit(true, false, false, true, true),
       {{"string(//g:Item[1]/g:SumDescr)", "Yes"}, {"string(//g:Item[1]/g:SubDescr[2]/g:SubDNo)", "2"},
        {"string(//g:Item[1]/g:SubDescr[1]/g:QU)", "Sack"}, {"string(//g:Item[1]/g:SubDescr[1]/g:QtySpec)", "Yes"},
        {"string(//g:Item[1]/g:SubDescr[2]/g:QtyTBD)", "Yes"}, {"string(//g:Item[1]/g:SubDescr[2]/g:QU)", "Psch"},
        {"string(//g:Item[1]/g:UPBkdn)", "Yes"}, {"string(//g:Item[1]/g:UPComp1)", "4.00"},
        {"string(//g:Item[1]/g:DiscountPcnt)", "10.00"}, {"string(//g:Item[1]/g:IT)", "18.00"},
        {"string(//g:Item[1]/g:TimeQu)", "12.50"}, {"count(//g:Item[2]/g:TimeQu)", "0"},
        {"string(//g:Item[2]/g:Product/g:Article/g:ArtNo)", "ART-12345678901"},
        {"count(//g:Article/g:ArtOutline)", "1"}, {"string(//g:BoQInfo/g:NoUPComps)", "2"}}},
      {"unit of a package part: six characters", "PPPP", [&](LV& b) { paket(b, "Stück"); }, 83, Mit(false),
       {{"string(//g:SubDescr/g:QU)", "Stück"}},
       "Element '" + kNs + "QU': [facet 'maxLength'] The value has a length of '5'; this exceeds the allowed maximum "
       "length of '4'."}, {"article of a package head: its parts follow the product", "PPPP",
       [&](LV& b) { paket(b, "St"), b.d.positionen[0].SetzeFeld("Artikelnummer", "A-1"); }, 83,
       Mit(true, false, false, false, true), {{"name(//g:Item/g:SubDescr/preceding-sibling::*[1])", "Product"}},
       "Element '" + kNs + "SubDescr': This element is not expected. Expected is ( " + kNs + "AlterBidStatus )."},
      {"packages as items: no parts, no SumDescr", "PPPP", [&](LV& b) { paket(b, "St"); }, 83, Mit(true, false, true),
       {{"count(//g:SubDescr)", "0"}, {"count(//g:SumDescr)", "0"}, {"count(//g:Item)", "1"}}},
  });
}

TEST(Texte, DescriptionsRemarksAndBidderTexts) {
  Prüfe({
      {"remark between items, with ID, RTF styles, label of a title", "11PPPP", [](LV& b) {
         b.Zeile(22, "01", "Titel");
         b.Position("01.0010", "Wand", 1, "m2", 10).SetzeFeld("LangtextRTF", "{\\rtf1 {\\b fett} normal\\par}");
         Text(b, "0", "Hinweis zum Einbau"), b.Position("01.0020", "Decke", 1, "m2", 10);
       }, 83, Mit(false, true), {{"name(//g:Itemlist/*[2])", "Remark"}, {"string(//g:Remark/@ID)", "A4"},
        {"count(//g:Remark/g:Description/g:CompleteText/g:DetailTxt)", "1"},
        {"count(//g:Item[1]//g:span[contains(@style, 'bold')])", "1"}}},
      {"bid: a gap becomes one TextComplement, a remark without markers is left out", "PPPP", [](LV& b) {
         Text(b, "0", "Hinweis ohne Marken");
         Setze(b.Position("0010", "Beton", 1, "m3", 10),
               {{"Langtext", "Beton ®30 cm® liefern"}, {"KennNr_Langtext", "XML;2"}});
         b.Position("0020", "Stahl", 1, "t", 10).SetzeFeld("Langtext", "Stahl ohne Lücke");
         Setze(b.Position("0030", "Estrich", 1, "m2", 10),
               {{"Langtext", "®5 cm® Estrich"}, {"KennNr_Langtext", "XML;1"}});
         // Adjacent gaps: the walk goes on two characters after a gap's end, so only the first one counts.
         Setze(b.Position("0040", "Putz", 1, "m2", 10),
               {{"Langtext", "Putz ®1 cm®®2 cm® Rest"}, {"KennNr_Langtext", "XML;3;4"}});
       }, 84, Mit(false), {{"count(//g:Item[1]/g:Description/g:CompleteText/g:DetailTxt/g:TextComplement)", "1"},
        {"string(//g:TextComplement/@MarkLbl)", "2"}, {"count(//g:TextComplement[contains(., \"'30 cm'\")])", "1"},
        {"count(//g:ComplCaption | //g:ComplTail)", "0"}, {"count(//g:Item[2]/g:Description)", "0"},
        {"count(//g:Item[3]/g:Description)", "0"}, {"count(//g:Remark)", "0"}, {"string(//g:Item[1]/@ID)", "A2"},
        {"count(//g:Item[4]//g:TextComplement)", "1"}, {"string(//g:Item[4]//g:TextComplement/@MarkLbl)", "3"}}},
  });
}

TEST(Texte, BidderTextModCutsCaptionAndTailInBothSpellings) {
  const std::string body = "<ComplBody>a</ComplBody>";
  const std::pair<std::string, std::string> fälle[] = {
      {"", ""}, {"<x><TextComplement Kind=\"Bidder\"><ComplCaption/>" + body + "<ComplTail/></TextComplement></x>",
       "<TextComplement Kind=\"Bidder\">" + body + "</TextComplement>"},
      {"<TextComplement><ComplCaption></ComplCaption>" + body + "<ComplTail></ComplTail></TextComplement>",
       "<TextComplement>" + body + "</TextComplement>"},
      {"<TextComplement><ComplCaption><p>K</p></ComplCaption>" + body +
           "<ComplTail><p>T</p></ComplTail></TextComplement>", "<TextComplement>" + body + "</TextComplement>"},
  };
  for (const auto& [ein, aus] : fälle) EXPECT_EQ(gaebxml::BieterTextMod(ein), aus) << ein;
}

TEST(Positionen, OrdinalNumberPartsAndNumberFormat) {
  TestHost h;
  auto k = h.Komponente();
  gaebxml::Export e(k->kontext(), {});
  k->kontext().m_PosNr_Trennzeichen = ".";
  const struct { const char *stufen, *oz; int teil; const char* erwartet; } fälle[] = {
      {"22040", "01.02.0010", 4, "0010"}, {"22040", "01.02.0010", 5, ""}, {"22041", "01.02.0010.A", 5, "A"},
      {"22041", "", 4, "1"}, {"22041", "", 5, ""}, {"00040", "00123", 4, "0012"}, {"22040", "01.02", 4, ""}};
  for (const auto& f : fälle) {
    k->kontext().satz.OZStufen = f.stufen;
    EXPECT_EQ(e.Zerlege_RNoPart(f.oz, f.teil), f.erwartet) << f.stufen << " " << f.oz << " " << f.teil;
  }
  EXPECT_EQ(e.RNoPartV("01.02."), "");
  EXPECT_EQ(gaebxml::ZahlXML(1234.5, gaebxml::kMaskeBetrag), "1234.50");
  EXPECT_EQ(gaebxml::ZahlXML(-12, gaebxml::kMaskeBetrag), "-12.00");
  EXPECT_EQ(gaebxml::ZahlXML(0.0005, gaebxml::kMaskeMenge), "0.001");
}

}  // namespace
}  // namespace gaeb::test

namespace gaeb::test {
namespace {

// The stream's own serializer writes what libxml2's indented serializer
// writes, or declines the tree so that libxml2 writes it.
TEST(Strom, OwnSerializerWritesWhatLibxml2Writes) {
  std::string tief = "<t>";
  for (int i = 0; i < 34; ++i) tief += "<e" + std::to_string(i) + " n=\"" + std::to_string(i) + "\">";
  tief += "x";
  for (int i = 33; i >= 0; --i) tief += "</e" + std::to_string(i) + ">";
  tief += "<leer/></t>";
  const struct {
    std::string xml;
    bool eigener;  // our serializer writes it
  } fälle[] = {
      {"<a><b x=\"1\" y=\"&amp;&lt;&gt;&quot;'&#10;&#9;&#13;\"/><c><d/><e>Text &amp; &lt;Maß&gt;&#13;</e></c><f></f></a>", true},
      {"<p><q>vor<b>fett</b><i><x/><y>z</y></i>nach</q><r><s/></r></p>", true},
      {"<p><q><span>a</span><span>b</span></q></p>", true},
      {tief, true},
      {"<a><b x=\"Maß\"/></a>", false},
      {"<a><!--k--><b/></a>", false},
      {"<a xmlns:p=\"urn:x\"><p:b/></a>", false},
  };
  for (const auto& f : fälle) {
    xmlDocPtr doc = xmlReadMemory(f.xml.data(), static_cast<int>(f.xml.size()), nullptr, nullptr, XML_PARSE_NOBLANKS);
    ASSERT_NE(doc, nullptr) << f.xml;
    for (int ebene : {0, 1, 29, 31}) {
      xmlBufferPtr puffer = xmlBufferCreate();
      xmlOutputBufferPtr aus = xmlOutputBufferCreateBuffer(puffer, nullptr);
      xmlNodeDumpOutput(aus, doc, xmlDocGetRootElement(doc), ebene, 1, "UTF-8");
      xmlOutputBufferFlush(aus);
      const std::string libxml(reinterpret_cast<const char*>(xmlBufferContent(puffer)),
                               static_cast<std::size_t>(xmlBufferLength(puffer)));
      xmlOutputBufferClose(aus);
      xmlBufferFree(puffer);
      std::string eigen;
      EXPECT_EQ(gaebxml::Baumstrom::Serialisiere(eigen, xmlDocGetRootElement(doc), ebene), f.eigener) << f.xml;
      if (f.eigener) {
        EXPECT_EQ(eigen, libxml) << f.xml << " at level " << ebene;
      }
    }
    xmlFreeDoc(doc);
  }
}

}  // namespace
}  // namespace gaeb::test

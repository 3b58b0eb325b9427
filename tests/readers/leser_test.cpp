// The readers on small files: what each format gives as import rows, the
// format told from the content, and the refusal of broken or hostile files.
#include <gtest/gtest.h>

#include <sstream>

#include "felder.h"
#include "programm.h"
#include "readers/gaebleser.h"

namespace gaeb::readers {
namespace {

std::vector<Importzeile> Lesen(const std::string& inhalt, const std::string& name = "t",
                               std::vector<std::string>* warnungen = nullptr) {
  static auto texte = NeuerTextwandler(GAEB_BIN_DIR);
  std::istringstream ein(inhalt);
  switch (ErkenneFormat(inhalt)) {
    case Gaebformat::Xml: return LeseXml(inhalt, name, *texte);
    case Gaebformat::Gaeb2000: return LeseGaeb2000(ein, name, warnungen);
    case Gaebformat::Gaeb90: return LeseGaeb90(ein, name);
    case Gaebformat::Unbekannt: break;
  }
  throw Lesefehler(name, "", "unbekannt");
}

auto Text(const std::vector<Importzeile>& z) {
  return [&z](std::size_t i, const std::string& n) { return Wert(z.at(i), n).ToString(); };
}

// A GAEB 90 record: the text padded to 74 columns and the line number.
std::string Satz(const std::string& text, int nr) {
  std::string s = text;
  s.resize(74, ' ');
  char n[8];
  std::snprintf(n, sizeof n, "%06d", nr);
  return s + n + "\r\n";
}

TEST(Format, WirdAmInhaltErkannt) {
  const std::pair<std::string, Gaebformat> fälle[] = {
      {"\xEF\xBB\xBF<?xml version=\"1.0\"?><GAEB/>", Gaebformat::Xml},
      {"  \r\n<GAEB/>", Gaebformat::Xml},
      {"\r\n     #BEGIN[gaebinfo]\r\n", Gaebformat::Gaeb2000},
      {"## Kommentar\r\n#begin[GAEB]\r\n", Gaebformat::Gaeb2000},
      {Satz("00        83L", 1), Gaebformat::Gaeb90},
      {Satz("T0", 1), Gaebformat::Gaeb90},
      {"00 zu kurz\r\n", Gaebformat::Unbekannt},
      {"{\"Positionstyp\": 10}", Gaebformat::Unbekannt},
  };
  for (const auto& [inhalt, format] : fälle) EXPECT_EQ(ErkenneFormat(inhalt), format) << inhalt;
}

TEST(Xml, LvMitKategorienPostenTextenUndZuschlag) {
  auto z = Lesen(test::LiesDatei(GAEB_TESTDATA "/readers/lv-3.2.x83"), "lv-3.2.x83");
  ASSERT_EQ(z.size(), 12u);
  EXPECT_NE(Text(z)(4, "LangtextRTF").find("\\b abtragen\\b0"), std::string::npos);
  test::PrüfeFelder(Text(z), {
      {0, "OZMaske=1122PPPP | OZStufen=22040 | Datenphase=83 | DatumZuschlagsfrist=20270430 | "
          "BezeichnungLV=Rohbau Turnhalle"},
      {1, "KnzVbSb=1 | Langtext=Zufahrt über die Nordseite."},  // AddText before the bill: preliminary text
      {2, "HierarchieEbene=2"},  // two category levels are trade and title
      {3, "Positionsnummer=01.02 | HierarchieEbene=3"},
      {4, "Positionsnummer=01.02.0010 | Langtext=Oberboden abtragen.\r\nLagerhöhe max. 2 m. | "
          "Kurztext1=Oberboden abtragen | Einzelpreis=4,8"},
      {5, "Bedarfsposition=Wahr"},
      // an item with a sub-description is a package head, its parts follow
      {6, "Positionstyp=45 | Alternativposition=Wahr | Pauschalpreis=Wahr | KennNr_Langtext=XML;2"},
      {7, "Positionstyp=47 | Positionsnummer=01.02.0030 | MengePaketteil=2"},
      {8, "KnzVbSb=0"},                                  // remark
      {9, "Positionstyp=80 | AufAbschlagProzent=2,5"},  // negative markup
      {10, "Positionstyp=140"},
      {11, "Positionstyp=90"}});
}

TEST(Xml, NamensräumeDerVersionen) {
  const std::string rumpf =
      "><Award><DP>81</DP><BoQ><BoQInfo><BoQBkdn><Type>Item</Type><Length>3</Length></BoQBkdn></BoQInfo>"
      "<BoQBody><BoQCtgy RNoPart='1'><BoQBody><BoQCtgy RNoPart='2'><BoQBody><BoQCtgy RNoPart='3'><BoQBody>"
      "<BoQCtgy RNoPart='4'><BoQBody><Itemlist><Item RNoPart='5'><Qty>1</Qty></Item></Itemlist></BoQBody>"
      "</BoQCtgy></BoQBody></BoQCtgy></BoQBody></BoQCtgy></BoQBody></BoQCtgy></BoQBody></BoQ></Award></GAEB>";
  for (const char* ns : {"http://www.gaeb.de/GAEB_DA_XML/200407", "http://www.gaeb.de/GAEB_DA_XML/DA81/3.2",
                         "http://www.gaeb.de/GAEB_DA_XML/DA86/3.3"}) {
    auto z = Lesen(std::string("<GAEB xmlns='") + ns + "'" + rumpf);
    ASSERT_EQ(z.size(), 7u) << ns;
    // four category levels: the deepest ones are kept as titles
    test::PrüfeFelder(Text(z), {{4, "HierarchieEbene=3"}, {5, "Positionsnummer=1.2.3.4.5"}});
  }
}

// Passes everything on to the program's converter and counts the texts it
// is given as markup strings; with ereignisse false it takes no events.
class Zählwandler : public Textwandler {
 public:
  Zählwandler(Textwandler& echt, bool ereignisse) : echt_(echt), ereignisse_(ereignisse) {}
  std::string NachRtf(const std::string& x, const char* m) override { return echt_.NachRtf(x, m); }
  std::string NachText(const std::string& x, const char* m) override { return ++strings, echt_.NachText(x, m); }
  void NachTextKL(const std::string& x, std::string& k, std::string& l) override { ++strings, echt_.NachTextKL(x, k, l); }
  bool NimmtEreignisse() override { return ereignisse_ && echt_.NimmtEreignisse(); }
  void Anfang(const char* n, const char* const* a) override { echt_.Anfang(n, a); }
  void Zeichen(std::string_view z) override { echt_.Zeichen(z); }
  void Ende() override { echt_.Ende(); }
  void EreignisseNachTextKL(std::string& k, std::string& l) override { echt_.EreignisseNachTextKL(k, l); }
  int strings = 0;

 private:
  Textwandler& echt_;
  bool ereignisse_;
};

TEST(Xml, TexteAlsEreignisseWieAlsMarkup) {
  // Each Description read with the parse events handed to the converter and
  // as a markup string: the rows are the same. "schnell": no string at all.
  const std::string lang = "Beton C30/37 nach DIN EN 206 liefern und einbauen, einschließlich Verdichten.";
  const std::pair<std::string, bool> fälle[] = {
      {"<CompleteText><DetailTxt><Text><p>" + lang + "</p><p>zweiter &amp; <span>letzter</span></p></Text></DetailTxt>"
       "<OutlineText><OutlTxt><TextOutlTxt><p>Kurz</p></TextOutlTxt></OutlTxt></OutlineText></CompleteText>", true},
      {"<OutlineText><OutlTxt><TextOutlTxt><p>Nur <![CDATA[kurz < lang]]></p></TextOutlTxt></OutlTxt></OutlineText>", true},
      {"<CompleteText><DetailTxt><Text><p>" + lang + "<br/>Zeile</p><p xml:lang='de'> x </p></Text></DetailTxt>"
       "</CompleteText>", true},
      {"<CompleteText><DetailTxt/><OutlineText/></CompleteText>", true},
      // formatted: the RTF forms come from the markup, the lines from the events
      {"<CompleteText><DetailTxt><Text><ul><li>eins</li></ul><p style='font-weight:bold'>fett</p></Text>"
       "<TextComplement Kind='Contractor' MarkLbl='3'><ComplCaption>Fabrikat:</ComplCaption><ComplBody><p>"
       "</p></ComplBody></TextComplement></DetailTxt></CompleteText>", true},
      // markup the events would read otherwise than the string: converted as a string
      {"<DetailTxt><Text><p>am falschen Ort</p></Text></DetailTxt>", false},
      {"<CompleteText><f:x xmlns:f='urn:f'><OutlineText><OutlTxt><TextOutlTxt><p>fremd</p></TextOutlTxt></OutlTxt>"
       "</OutlineText></f:x></CompleteText>", false},
      {"<OutlineText><OutlTxt><TextOutlTxt><p>eins</p></TextOutlTxt></OutlTxt><OutlineText><OutlTxt><TextOutlTxt>"
       "<p>zwei</p></TextOutlTxt></OutlTxt></OutlineText></OutlineText>", false},
      {"<CompleteText><DetailTxt><Text><p>a&#13;&#10;b" + lang + "</p></Text></DetailTxt></CompleteText>", false},
      {"<CompleteText><DetailTxt><Text><p xmlns:a='urn:a' xmlns:b='urn:b' a:x='1' b:x='2'>doppelt</p></Text>"
       "</DetailTxt></CompleteText>", false},
  };
  static auto echt = NeuerTextwandler(GAEB_BIN_DIR);
  for (const auto& [beschreibung, schnell] : fälle) {
    const std::string datei =
        "<GAEB xmlns='http://www.gaeb.de/GAEB_DA_XML/200407'><Award><DP>83</DP><AddText><OutlineAddText><p>vorab</p>"
        "</OutlineAddText></AddText><BoQ><BoQBody><BoQCtgy RNoPart='1'><LblTx><p>Titel</p></LblTx><BoQBody>"
        "<Itemlist><Item RNoPart='1'><Description>" + beschreibung + "</Description></Item><Item RNoPart='2'>"
        "<Description><OutlineText><OutlTxt><TextOutlTxt><p>danach</p></TextOutlTxt></OutlTxt></OutlineText>"
        "</Description></Item></Itemlist></BoQBody></BoQCtgy></BoQBody></BoQ></Award></GAEB>";
    Zählwandler ereignisse(*echt, true), markup(*echt, false);
    auto a = LeseXml(datei, "t", ereignisse), b = LeseXml(datei, "t", markup);
    ASSERT_EQ(a.size(), b.size()) << beschreibung;
    for (std::size_t i = 0; i < a.size(); ++i) {
      std::string za, zb;
      for (const auto& [n, w] : a[i]) za += n + "=" + w.ToString() + "|";
      for (const auto& [n, w] : b[i]) zb += n + "=" + w.ToString() + "|";
      EXPECT_EQ(za, zb) << beschreibung;
    }
    EXPECT_EQ(ereignisse.strings == 0, schnell) << beschreibung;
    EXPECT_GE(markup.strings, 3) << beschreibung;
  }
}

TEST(Xml, RtfNurFürFormatiertenText) {
  // Markup that plain lines lose keeps the RTF form too, wherever it stands
  // in the text element; short and long parts are told by their elements.
  const std::pair<std::string, bool> fälle[] = {
      {"<p>schlicht <span>Text</span></p>", false},     {"<p style='font-weight:bold'>fett</p>", true},
      {"<table><tr><td>Zelle</td></tr></table>", true}, {"<ul><li>eins</li></ul>", true},
      {"<ol><li>eins</li></ol>", true},                 {"<p>Bild <image name='b'/></p>", true},
      {"<p>Bild <Image name='b'/></p>", true},
      {"<p>a <TextComplement Kind='Bidder' MarkLbl='1'><ComplBody><p>x</p></ComplBody></TextComplement></p>", true},
  };
  for (const auto& [text, rtf] : fälle) {
    auto z = Lesen("<GAEB xmlns='http://www.gaeb.de/GAEB_DA_XML/200407'><Award><DP>83</DP><BoQ><BoQBody><Itemlist>"
                   "<Item RNoPart='1'><Description><CompleteText><DetailTxt><Text>" + text + "</Text></DetailTxt>"
                   "<OutlineText><OutlTxt><TextOutlTxt><p>kurz</p></TextOutlTxt></OutlTxt></OutlineText></CompleteText>"
                   "</Description></Item></Itemlist></BoQBody></BoQ></Award></GAEB>");
    ASSERT_EQ(z.size(), 3u) << text;
    EXPECT_EQ(Text(z)(1, "Kurztext1"), "kurz") << text;
    EXPECT_FALSE(Text(z)(1, "Langtext").empty()) << text;
    EXPECT_EQ(!Text(z)(1, "LangtextRTF").empty(), rtf) << text;
  }
}

TEST(Gaeb2000, KleinschreibungAnsiUndMehrzeiligeWerte) {
  std::string p =
      "#begin[gaeb]\r\n #begin[gaebinfo]\r\n  [zeichensatz]ANSI[end]\r\n #end[gaebinfo]\r\n"
      " #begin[vergabe]\r\n  [dp]84[end]\r\n  #begin[lv]\r\n   #begin[lvinfo]\r\n"
      "    #begin[lvglied]\r\n     [typ]LVStufe[end]\r\n     [laenge]2[end]\r\n    #end[lvglied]\r\n"
      "    #begin[lvglied]\r\n     [typ]Position[end]\r\n     [laenge]3[end]\r\n    #end[lvglied]\r\n"
      "   #end[lvinfo]\r\n   #begin[lvbereich]\r\n    [oz]07[end]\r\n    [beztx]\r\n    M\xFC"
      "ll\r\n    [end]\r\n    #begin[position]\r\n     [oz]07010[end]\r\n     [menge]1,5[end]\r\n"
      "     [me]t[end]\r\n     [ep]12,25[end]\r\n     #begin[beschreibung]\r\n      [langtext]\r\n"
      "      Zeile 1\r\n        Zeile 2\r\n\r\n      [end]\r\n     #end[beschreibung]\r\n"
      "    #end[position]\r\n   #end[lvbereich]\r\n  #end[lv]\r\n #end[vergabe]\r\n#end[GAEB]5|9\r\n";
  auto z = Lesen(p);
  ASSERT_EQ(z.size(), 4u);
  test::PrüfeFelder(Text(z), {{0, "Datenphase=84 | OZStufen=20030"},
                              {1, "Kurztext1=Müll | HierarchieEbene=3"},  // 0xFC is ü in ANSI
                              {2, "Positionsnummer=07.010 | Menge=1,5 | Einzelpreis=12,25 | "
                                  "Langtext=Zeile 1\r\n  Zeile 2"}});
}

TEST(Gaeb2000, EndAmEndeDerLetztenZeileUndOffenerWert) {
  // A value whose last line ends with "[end]" (any case); a value left open is closed by the next block line,
  // with a warning, and that line is read.
  std::vector<std::string> warnungen;
  auto z = Lesen("#begin[GAEB]\r\n#begin[Vergabe]\r\n[DP]83[end]\r\n#begin[LV]\r\n#begin[Position]\r\n[OZ]0010[end]\r\n"
                 "[TextRTF]{\\rtf1 Zeile 1\r\nMontageplanung}[END]\r\n[Kurztext]Erste[end]\r\n#end[Position]\r\n"
                 "#begin[Position]\r\n[OZ]0020[end]\r\n[Langtext]\r\noffen\r\n#end[Position]\r\n"
                 "#end[LV]\r\n#end[Vergabe]\r\n#end[GAEB]\r\n", "w.p83", &warnungen);
  ASSERT_EQ(z.size(), 4u);
  test::PrüfeFelder(Text(z), {{1, "LangtextRTF={\\rtf1 Zeile 1\r\nMontageplanung} | Kurztext1=Erste"},
                              {2, "Positionsnummer=0020 | Langtext=offen | HierarchieEbene=4"}});
  EXPECT_EQ(warnungen, std::vector<std::string>{"w.p83: Zeile 15: Der Wert von [langtext] endet ohne [end]; "
                                                "die Zeile #end[Position] schließt ihn."});
}

TEST(Xml, WerteNurAusIhremEigenenElement) {
  // Quantities of the splits and of the article, units of a split and a catalogue's code are not the item's.
  auto z = Lesen("<GAEB xmlns='http://www.gaeb.de/GAEB_DA_XML/DA83/3.3'><Award><DP>83</DP><BoQ><BoQBody><Itemlist>"
                 "<Item RNoPart='1'><Qty>70.000</Qty><QtySplit><Qty>35.000</Qty><QU>m</QU></QtySplit>"
                 "<QtySplit><Qty>17.500</Qty></QtySplit><QU>m2</QU><CtlgAssign><CtlgCode>UP</CtlgCode></CtlgAssign>"
                 "<UP>2.00</UP><Product><Article><ArtNo>A-1</ArtNo><Qty>5</Qty></Article></Product></Item>"
                 "</Itemlist></BoQBody></BoQ></Award><BoQCtgy RNoPart='9'><BoQBody/></BoQCtgy></GAEB>");
  ASSERT_EQ(z.size(), 3u);  // a category outside the bill is no part of it
  test::PrüfeFelder(Text(z), {{1, "Menge=70 | Mengeneinheit=m2 | Einzelpreis=2 | Artikelnummer=A-1"}});
  // The parser's pieces of one value (split by a comment, a CDATA section) are
  // one value, white space alone is none; references in attributes resolved.
  z = Lesen("<GAEB xmlns='http://www.gaeb.de/GAEB_DA_XML/DA83/3.3'><Award><DP>8<!-- -->3</DP><BoQ><BoQBody><Itemlist>"
            "<Item RNoPart='1&amp;2' RNoIndex='&#65;'><Qty>1<![CDATA[2]]>.5</Qty><QU>m <?pi?> </QU><QU> <?pi?> </QU>"
            "<Description><CompleteText><DetailTxt><Text><p>Fabrikat <TextComplement Kind='Bidder' MarkLbl='a&amp;b&lt;'>"
            "<ComplBody><p/></ComplBody></TextComplement></p></Text></DetailTxt></CompleteText></Description></Item>"
            "</Itemlist></BoQBody></BoQ></Award></GAEB>");
  ASSERT_EQ(z.size(), 3u);
  test::PrüfeFelder(Text(z), {{0, "Datenphase=83"},
                              {1, "Positionsnummer=1&2.A | Menge=12,5 | Mengeneinheit= | Langtext=Fabrikat | "
                                  "KennNr_Langtext=XML;a&b<"}});
}

TEST(Gaeb90, Codepage437UndFortgesetzteTexte) {
  std::string lang(55, 'x');
  std::string kopf = "00        81L";
  kopf.resize(62, ' ');
  std::string pos = "2101001I   NNN";
  pos.resize(22, ' ');
  std::string d = Satz(kopf + "11PPPI   90 ", 1) + Satz("1101       N", 2) + Satz("12Gr\x81nd", 3) +
                  Satz(pos + " 00000002500m3  ", 4) + Satz("25Sto\xE1", 5) +
                  Satz("26   " + lang, 6) + Satz("26   weiter", 7) + Satz("26   neue Zeile", 8) +
                  Satz("99", 9);
  auto z = Lesen(d);
  ASSERT_EQ(z.size(), 4u);
  test::PrüfeFelder(Text(z), {{0, "OZMaske=11PPPI"},
                              {1, "Kurztext1=Gründ | HierarchieEbene=3"},
                              // 0xE1 is ß in code pages 437 and 850
                              {2, "Positionsnummer=01.001.I | Menge=2,5 | Kurztext1=Stoß | "
                                  "Langtext=" + lang + "weiter\r\nneue Zeile"}});
}

TEST(Fehler, KaputteUndFeindlicheDateienWerdenAbgelehnt) {
  const std::string ns = "<GAEB xmlns='http://www.gaeb.de/GAEB_DA_XML/200407'>";
  const std::string lv = "<Award><DP>83</DP><BoQ><BoQBody><Itemlist><Item RNoPart='1'><Qty>";
  const std::pair<std::string, std::string> fälle[] = {
      {ns + lv + "1</Qty></Item>", "Zeile 1"},  // truncated
      {"<GAEB xmlns='urn:fremd'><Award/></GAEB>", "Unbekannter Namensraum"},
      {"<?xml version='1.0'?><!DOCTYPE GAEB [<!ENTITY a 'aaaa'>]><GAEB>&a;</GAEB>", "DTD"},
      {ns + "<Award><DP>83</DP></Award></GAEB>", "kein Leistungsverzeichnis"},
      {ns + lv + "zwei</Qty></Item></Itemlist></BoQBody></BoQ></Award></GAEB>", "Qty ist keine Zahl"},
      {ns + "<Award><DP>11</DP><BoQ/></Award></GAEB>", "Datenart"},
      {ns + "<Award><DP>83</DP><BoQ/><BoQ/></Award></GAEB>", "mehr als ein"},
      {ns + [] { std::string s; for (int i = 0; i < 300; ++i) s += "<x>"; return s; }(), "/GAEB/x: Die Elemente sind zu tief"},
      {ns + lv + std::string(2 << 20, '1') + "</Qty></Item></Itemlist></BoQBody></BoQ></Award></GAEB>", "1 MB"},
      {"#begin[GAEB]\r\n#begin[Vergabe]\r\n[DP]83[end]\r\n#begin[LV]\r\n", "geschlossen"},
      {"#begin[Vergabe]\r\n[DP]83[end]\r\n#begin[LV]\r\n#begin[Position]\r\n[Menge]viel[end]\r\n", "[menge] ist keine Zahl"},
      {"#begin[Vergabe]\r\n#begin[LV]\r\n#end[Vergabe]\r\n", "schließt den Block lv nicht"},
      {"#begin[Vergabe]\r\n[DP]83[end]\r\n#end[Vergabe]\r\n", "kein Leistungsverzeichnis"},
      {Satz("00        83L", 1) + Satz("2101", 2), "Schlusssatz 99"},
      {Satz("00        83L", 1) + "2101\r\n", "kürzer als 80"},
      {Satz("00        83L", 1) + Satz("21         NNN         0000000x000", 2), "keine Zahl"},
      {Satz("00        79L", 1) + Satz("99", 2), "Datenart 79"},
      {Satz("00        83L", 1) + Satz("99", 2).insert(80, std::string(1000000, 'x')),
       "Zeile 2: Der Satz ist 1000080 Zeichen lang"},
      {"<GAEB xmlns='http://www.gaeb.de/GAEB_DA_XML/DA87/3.3'><Award/></GAEB>", "Die Datenart DA87"},
  };
  for (const auto& [inhalt, grund] : fälle) {
    try {
      Lesen(inhalt, "kaputt.x");
      ADD_FAILURE() << "gelesen: " << inhalt.substr(0, 80);
    } catch (const Lesefehler& e) {
      EXPECT_NE(std::string(e.what()).find(grund), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("kaputt.x", 0), 0u) << e.what();
    }
  }
}

TEST(Fehler, EingabenDerFuzzerWerdenGelesenOderAbgelehnt) {
  // The corpora of the reader fuzz targets and inputs that once failed there.
  std::filesystem::path ordner = GAEB_TESTDATA "/readers/regress";
  ASSERT_TRUE(std::filesystem::is_directory(ordner)) << ordner;
  for (const auto& e : std::filesystem::directory_iterator(ordner)) try {
      Lesen(test::LiesDatei(e.path()));
    } catch (const Lesefehler&) {
    }
}

}  // namespace
}  // namespace gaeb::readers

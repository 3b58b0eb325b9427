// Tests of clsGaebTextkonverter: the exact calls of every text kind against a recording stand-in library
// (attrappe_gtc.cpp); with the real library the code pages, message boxes, loading, schema-valid markup and fragments;
// and the conversion behind `gaeb text` with its usage errors.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <libxml/tree.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "../felder.h"
#include "textconv/meldungsfenster.h"
#include "textconv/textbefehl.h"
#include "textconv/textkonverter.h"
#include "textschema.h"

namespace textconv_test {
namespace {

using gaeb::clsGaebTextkonverter;
using gaeb::test::Scheitert;

const std::string kNs = "http://www.gaeb.de/GAEB_DA_XML/200407";
const std::string kNsAttr = " xmlns=\"" + kNs + "\"";
const std::string kBibliothek = std::string(GAEB_BIN_DIR) + "/gtcConverterV31.so";

struct Meldung {
  std::string text, titel;
  bool operator==(const Meldung&) const = default;
};

// A message box that records what it is asked to show.
class Protokollfenster : public gaeb::Meldungsfenster {
 public:
  void Zeige(const std::string& text, const std::string& titel) override { meldungen.push_back({text, titel}); }
  std::vector<Meldung> meldungen;
};

gaeb::Textauftrag Auftrag(const char* von, const char* nach, const char* art, const char* kurz = nullptr,
                          const char* marke = nullptr) {
  return {von, nach, art, kurz ? kurz : "", kurz != nullptr, marke ? marke : "", marke != nullptr};
}

// A converter with a recording message box, with the real library or with the recording stand-in.
struct Konverter : ::testing::Test {
  void SetUp() override { konverter.m_AppExeDir(GAEB_BIN_DIR); }
  Protokollfenster fenster;
  clsGaebTextkonverter konverter{&fenster};
};
struct textconvAufrufe : Konverter {
  void SetUp() override { konverter.m_AppExeDir(ATTRAPPE_DIR); }
};

// Each text kind's calls, one row per kind: RTF to XML, plain lines to XML
// (label "12", short text "kurz"), and back from XML to RTF and to lines.
TEST_F(textconvAufrufe, AufrufeJeTextmodus) {
  struct Fall { const char *modus, *rtf, *zeilen, *zurückRtf, *zurückZeilen; };
  const Fall fälle[] = {
      {"K", "RtfAddK(lang);Rtf2gxml(0);", "AsciiAddLineK(lang,84,60);", "Gxml2RtfK(<x/>);", "K-Ende"},
      {"L", "RtfAddL(lang);Rtf2gxml(0);", "AsciiAddLineL(lang,84,61);", "Gxml2RtfL(<x/>,-1);", "L-Ende"},
      {"KL", "RtfAddK(kurz);Rtf2gxml(0);RtfAddL(lang);Rtf2gxml(0);",
       "AsciiAddLineK(kurz,84,60);AsciiAddLineL(lang,84,61);", nullptr, ""},
      {"LB", nullptr, "AsciiAddLineL(lang,66,12);", nullptr, nullptr},
      {"A", "RtfAddA(lang);Rtf2gxml(-1);", "AsciiAddLineAL(lang);", "", nullptr},
      // KA adds no line, but the buffer is still converted.
      {"KA", "RtfAddA(lang);Rtf2gxml(-1);", "", nullptr, nullptr},
      {"AK", "RtfAddAK(lang);Rtf2gxml(-1);", "AsciiAddLineAK(lang);", nullptr, nullptr},
      {"F", "RtfAddF(lang,Descrip);Rtf2gxml(0);", "AsciiAddLineF(lang,Descrip);", nullptr, nullptr},
      {"ML", "RtfAddML(lang,LblTx);Rtf2gxml(0);", "AsciiAddLineML(lang,LblTx);", "Gxml2RtfML(<x/>);", nullptr},
      {"MA", "RtfAddML(lang,ArtOutline);Rtf2gxml(0);", "AsciiAddLineML(lang,ArtOutline);", "Gxml2RtfML(<x/>);",
       nullptr},
      {"X", "", "", nullptr, nullptr},
      {"", "", nullptr, nullptr, nullptr},
  };
  for (const Fall& f : fälle) {
    SCOPED_TRACE(f.modus);
    if (f.rtf) { EXPECT_EQ(konverter.RunGtcConverterTest_RTF_GXML("lang", f.modus, "kurz"), f.rtf); }
    if (f.zeilen) {
      EXPECT_EQ(konverter.RunGtcConverterTest_ASCII_GXML("lang", f.modus, "12", "kurz"),
                "AsciiClear();" + std::string(f.zeilen) + "Ascii2gxml();");
    }
    if (f.zurückRtf) { EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<x/>", f.modus), f.zurückRtf); }
    // Lines are fetched until the library answers -1 and joined as delivered.
    if (f.zurückZeilen) {
      EXPECT_EQ(konverter.RunGtcConverterTest_GXML_ASCII("<x/>", f.modus),
                *f.zurückZeilen ? "Gxml2Ascii(<x/>,55);" + std::string(f.zurückZeilen) : "");
    }
  }
  // Texts go to the library in code page 1252, XML in UTF-16; results come back as UTF-8.
  EXPECT_EQ(konverter.RunGtcConverterTest_RTF_GXML("Wände", "L"), "RtfAddL(Wände);Rtf2gxml(0);");
  EXPECT_EQ(konverter.RunGtcConverterTest_ASCII_GXML("Maß", "L", ""),
            "AsciiClear();AsciiAddLineL(Maß,84,61);Ascii2gxml();");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<ä/>", "K"), "Gxml2RtfK(<ä/>);");
  // In RTF, every character beyond ASCII travels as \uN with its code page
  // 1252 byte or "?" as fallback; a byte order mark is dropped.
  EXPECT_EQ(konverter.RunGtcConverterTest_RTF_GXML("\xEF\xBB\xBF{\\rtf1 \xE2\x89\xA4\xC3\xA4\xF0\x9F\x98\x80}", "L"),
            "RtfAddL({\\rtf1 {\\uc1\\u8804?}{\\uc1\\u228\\'e4}{\\uc1\\u-10179?\\u-8704?}});Rtf2gxml(0);");
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST_F(textconvAufrufe, FilterDerRtfFehlertexte) {
  const std::string tab =
      "<gtcerrors><remarks><remark>Folge von TAB rechts + TAB links kann nicht aufgelöst "
      "werden</remark></remarks></gtcerrors";
  // Never shown for RTF input: "wmetafile8" anywhere, and the tab remark
  // compared with blanks trimmed.
  EXPECT_EQ(konverter.RunGtcConverterTest_RTF_GXML("!Bild im Format wmetafile8 fehlt", "L"),
            "RtfAddL(!Bild im Format wmetafile8 fehlt);Rtf2gxml(0);");
  konverter.RunGtcConverterTest_RTF_GXML("!  " + tab + "  ", "L");
  EXPECT_TRUE(fenster.meldungen.empty());
  // Shown: the tab text that differs, and any other text; the filters belong
  // to RTF input only.
  konverter.RunGtcConverterTest_RTF_GXML("!" + tab + ">", "L");
  konverter.RunGtcConverterTest_RTF_GXML("!anderer Fehler", "K");
  konverter.RunGtcConverterTest_ASCII_GXML("!wmetafile8", "L", "");
  konverter.RunGtcConverterTest_ASCII_GXML("!" + tab, "L", "");
  konverter.RunGtcConverterTest_GXML_RTF("!wmetafile8", "L");
  konverter.RunGtcConverterTest_GXML_ASCII("!wmetafile8", "K");
  std::vector<Meldung> erwartet;
  for (const std::string& t : {tab + ">", std::string("anderer Fehler"), std::string("wmetafile8"), tab,
                               std::string("wmetafile8"), std::string("wmetafile8")})
    erwartet.push_back({t, "Fehlercode"});
  EXPECT_EQ(fenster.meldungen, erwartet);
}

// A library that makes no instance gives empty results without a message; one
// that lacks a function fails with a runtime error on that call only.
TEST(textconvAufrufeDefekt, OhneInstanzUndOhneFunktion) {
  Protokollfenster fenster;
  clsGaebTextkonverter ohneInstanz(&fenster), ohneFunktion(&fenster);
  ohneInstanz.m_AppExeDir(ATTRAPPE_NULL_DIR);
  EXPECT_EQ(ohneInstanz.RunGtcConverterTest_RTF_GXML("!x", "L"), "");
  EXPECT_EQ(ohneInstanz.RunGtcConverterTest_ASCII_GXML("!x", "L", ""), "");
  EXPECT_EQ(ohneInstanz.RunGtcConverterTest_GXML_RTF("!x", "L"), "");
  EXPECT_EQ(ohneInstanz.RunGtcConverterTest_GXML_ASCII("!x", "L"), "");
  ohneFunktion.m_AppExeDir(ATTRAPPE_LUECKE_DIR);
  Scheitert([&] { ohneFunktion.RunGtcConverterTest_GXML_ASCII("<x/>", "L"); }, gaeb::kFehlerEinsprungpunkt,
            "gtcGxml2Ascii");
  EXPECT_EQ(ohneFunktion.RunGtcConverterTest_GXML_RTF("<x/>", "K"), "Gxml2RtfK(<x/>);");
  EXPECT_TRUE(fenster.meldungen.empty());
}

using textconvTextkonverter = Konverter;

TEST_F(textconvTextkonverter, UmlauteAufAllenWegen) {
  // Raw UTF-8, \'e4 and \u228? in RTF, and a character code page 1252 lacks.
  std::string xml = konverter.RunGtcConverterTest_RTF_GXML(
      "{\\rtf1 Wände \\'e4\\u228? {\\b B\\u246?den} \xE2\x89\xA4 5}", "L");
  EXPECT_EQ(xml, "<Description" + kNsAttr +
                     "><CompleteText><DetailTxt><Text><p><span>Wände ää </span>"
                     "<span style=\"font-weight:bold;\">Böden</span><span> ≤ 5</span></p>"
                     "</Text></DetailTxt></CompleteText></Description>");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF(xml, "L"),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
            "\\pard\\plain\\f0\\fs20 W\\'e4nde \\'e4\\'e4 \\b B\\'f6den\\b0  \\u8804? 5\\par}");
  EXPECT_EQ(konverter.RunGtcConverterTest_ASCII_GXML("Maß: 3 €", "ML", ""),
            "<LblTx" + kNsAttr + "><p><span>Maß: 3 €</span></p></LblTx>");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_ASCII(xml, "L"), "Wände ää Böden ? 5\r\n");
  // A short text given as a Variant number; a label read as a number.
  xml = konverter.RunGtcConverterTest_RTF_GXML("{\\rtf1 L}", "KL", gaeb::Variant(std::int32_t{42}));
  EXPECT_NE(xml.find("<TextOutlTxt><p><span>42</span></p></TextOutlTxt>"), std::string::npos) << xml;
  EXPECT_NE(konverter.RunGtcConverterTest_ASCII_GXML("x", "LB", " 7 ").find("MarkLbl=\"7\""), std::string::npos);
  Scheitert([&] { konverter.RunGtcConverterTest_ASCII_GXML("x", "LB", "sieben"); }, gaeb::kFehlerTypen);
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(textconvTextkonverterLaden, BibliothekBleibtBisZumEndeDesObjektsGeladen) {
  auto geladen = [] {
    void* h = dlopen(kBibliothek.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h != nullptr) dlclose(h);
    return h != nullptr;
  };
  ASSERT_FALSE(geladen());
  {
    clsGaebTextkonverter konverter;
    konverter.m_AppExeDir(GAEB_BIN_DIR);
    EXPECT_FALSE(konverter.MwmIsDllLoaded());
    konverter.RunGtcConverterTest_GXML_ASCII("<LblTx/>", "K");
    EXPECT_TRUE(konverter.MwmIsDllLoaded() && geladen());
    // Another directory: that library is loaded instead.
    konverter.m_AppExeDir(ATTRAPPE_DIR);
    EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<x/>", "K"), "Gxml2RtfK(<x/>);");
    EXPECT_FALSE(geladen());
  }
  EXPECT_FALSE(geladen());
}

TEST_F(textconvTextkonverter, OhneBibliothekLademeldungUndLaufzeitfehler) {
  konverter.m_AppExeDir(std::string(GAEB_TESTDATA) + "/kein-programm");
  Scheitert([&] { konverter.RunGtcConverterTest_RTF_GXML(R"({\rtf1 x})", "L"); }, gaeb::kFehlerBibliothekLaden);
  const Meldung laden{"Laden der Datei " + konverter.m_AppExeDir() + "/gtcConverterV31.so fehlgeschlagen", ""};
  EXPECT_EQ(fenster.meldungen, std::vector<Meldung>{laden});
  EXPECT_FALSE(konverter.MwmIsDllLoaded());
  // Every conversion tries again.
  EXPECT_THROW(konverter.RunGtcConverterTest_GXML_ASCII("<LblTx/>", "K"), gaeb::Fehler);
  EXPECT_EQ(fenster.meldungen.size(), 2u);
  // Without a message box nothing is shown, and it still fails.
  clsGaebTextkonverter stumm;
  stumm.m_AppExeDir("/nicht/vorhanden");
  EXPECT_THROW(stumm.RunGtcConverterTest_GXML_RTF("<LblTx/>", "ML"), gaeb::Fehler);
  // `gaeb text` passes the message on with its empty title.
  EXPECT_THROW(gaeb::Konvertiere_Text(Auftrag("rtf", "xml", "L"), "x", konverter.m_AppExeDir(), &fenster),
               gaeb::Fehler);
  EXPECT_EQ(fenster.meldungen.back(), laden);
}

// Within a Serie the library file is looked for once: its removal is noticed
// by the first conversion after the Serie, not inside it.
TEST(textconvTextkonverterSerie, DateiEinmalGesucht) {
  namespace fs = std::filesystem;
  const fs::path ordner = fs::temp_directory_path() / ("gaeb-serie-" + std::to_string(::getpid()));
  fs::create_directories(ordner);
  fs::copy_file(kBibliothek, ordner / gaeb::kKonverterDatei, fs::copy_options::overwrite_existing);
  Protokollfenster fenster;
  clsGaebTextkonverter konverter(&fenster);
  konverter.m_AppExeDir(ordner.string());
  std::string erste;
  {
    clsGaebTextkonverter::Serie serie(konverter);
    erste = konverter.RunGtcConverterTest_ASCII_GXML("Beton", "K", "");
    fs::remove(ordner / gaeb::kKonverterDatei);
    EXPECT_EQ(konverter.RunGtcConverterTest_ASCII_GXML("Beton", "K", ""), erste);
  }
  EXPECT_NE(erste, "");
  EXPECT_TRUE(fenster.meldungen.empty());
  EXPECT_THROW(konverter.RunGtcConverterTest_ASCII_GXML("Beton", "K", ""), gaeb::Fehler);
  EXPECT_EQ(fenster.meldungen.size(), 1u);
  fs::remove_all(ordner);
}

// The markup of every text kind, from RTF (with everything the writer knows:
// styles, tabs, breaks, empty paragraphs, gaps, characters to escape) and
// from plain lines, must fit the GAEB DA XML 3.1 schema type of its element,
// also when read back as RTF and converted again. Skipped when the schema
// folder is missing.
TEST_F(textconvTextkonverter, JedesTextmodusPasstZumSchema) {
  static const std::unique_ptr<TextSchema> schema = TextSchema::Laden(GAEB_XSD_DIR);
  if (schema == nullptr) GTEST_SKIP() << "kein GAEB-Schema in " << GAEB_XSD_DIR;
  // A good validator also rejects: a span must not hold an element.
  ASSERT_FALSE(schema->Prüfe("<LblTx" + kNsAttr + "><span><br/></span></LblTx>").empty());
  const char* const rtfTexte[] = {
      R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 Beton {\b C25/30} {\i\ul kursiv}\tab W\'e4nde\line )"
      R"(<&>"\par\par {\*\bkmkstart TB2}30 cm{\*\bkmkend TB2} dick\par {\*\bkmkstart TA3}x\par y{\*\bkmkend TA3}})",
      R"({\rtf1 })", "", R"({\rtf1 {\*\bkmkstart TB1}nur{\*\bkmkend TB1}})"};
  for (const std::string modus : {"K", "L", "KL", "A", "KA", "AK", "F", "ML", "MA"}) {
    for (const char* rtf : rtfTexte) {
      std::string xml = konverter.RunGtcConverterTest_RTF_GXML(rtf, modus, rtf);
      ASSERT_FALSE(xml.empty()) << modus;
      EXPECT_EQ(schema->Prüfe(xml), "") << modus << ": " << xml;
    }
    for (const char* text : {"Beton C25/30\tW\xC3\xA4nde <&>", "", "Zeile 1\r\nZeile 2"}) {
      std::string xml = konverter.RunGtcConverterTest_ASCII_GXML(text, modus, "", text);
      if (modus == "KA") continue;  // adds no line: nothing to check
      ASSERT_FALSE(xml.empty()) << modus;
      EXPECT_EQ(schema->Prüfe(xml), "") << modus << ": " << xml;
      if (modus != "L") continue;
      std::string lücke = konverter.RunGtcConverterTest_ASCII_GXML(text, "LB", "4");
      EXPECT_EQ(schema->Prüfe(lücke), "") << lücke;
    }
    if (modus != "K" && modus != "L" && modus != "ML" && modus != "MA") continue;
    std::string xml = konverter.RunGtcConverterTest_RTF_GXML(rtfTexte[0], modus, rtfTexte[0]);
    std::string wieder =
        konverter.RunGtcConverterTest_RTF_GXML(konverter.RunGtcConverterTest_GXML_RTF(xml, modus), modus);
    EXPECT_EQ(wieder, xml) << modus;
    EXPECT_EQ(schema->Prüfe(wieder), "") << modus;
  }
  EXPECT_TRUE(fenster.meldungen.empty());
}

std::string Serialisiert(xmlNodePtr n) {
  xmlBufferPtr puffer = xmlBufferCreate();
  xmlNodeDump(puffer, n->doc, n, 0, 0);
  std::string s(reinterpret_cast<const char*>(xmlBufferContent(puffer)));
  xmlBufferFree(puffer);
  return s;
}

// CreateDocFragmentFromXMLString: empty, broken, too deep or hostile XML
// gives no fragment (entities and document type declarations are never read,
// so a bomb does not unfold); good XML a deep copy of its root element, also
// a text run over 10 MB as the converter writes it.
TEST(textconvDocFragment, NurWohlgeformteTexteUndTiefeKopie) {
  gaeb::clsGaebTextkonverter k;
  std::string bombe = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    bombe += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) bombe += "&lol" + (i > 1 ? std::to_string(i - 1) : std::string()) + ";";
    bombe += "\">";
  }
  bombe += "]><lolz>&lol9;</lolz>";
  std::string tief;
  for (int i = 0; i < 100000; ++i) tief += "<a>";
  const std::string fälle[] = {"", "<a>", "nur Text", "<a/><b/>", "<a>&unbekannt;</a>", "<a>\x01</a>", tief, bombe,
                               "<!DOCTYPE a [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><a>&x;</a>",
                               "<!DOCTYPE a SYSTEM \"http://example.invalid/a.dtd\"><a/>"};
  auto anfang = std::chrono::steady_clock::now();
  for (const std::string& xml : fälle) EXPECT_EQ(k.CreateDocFragmentFromXMLString(xml), nullptr) << xml.substr(0, 60);
  EXPECT_LT(std::chrono::steady_clock::now() - anfang, std::chrono::seconds(2));

  const std::string lblTx =
      "<LblTx" + kNsAttr + "><p><span style=\"font-weight:bold;\">A &amp; B</span><br/></p></LblTx>";
  auto fragment = k.CreateDocFragmentFromXMLString("<?xml version=\"1.0\"?><!-- vor -->" + lblTx);
  ASSERT_NE(fragment, nullptr);
  EXPECT_EQ(fragment->Knoten()->type, XML_DOCUMENT_FRAG_NODE);
  ASSERT_NE(fragment->Element(), nullptr);
  EXPECT_EQ(fragment->Element()->next, nullptr);
  EXPECT_EQ(Serialisiert(fragment->Element()), lblTx);
  const std::string lang = "<LblTx" + kNsAttr + "><p><span>" + std::string(10'500'000, 'x') + "</span></p></LblTx>";
  auto groß = k.CreateDocFragmentFromXMLString(lang);
  ASSERT_NE(groß, nullptr);
  EXPECT_TRUE(Serialisiert(groß->Element()) == lang);
}

// Appended the way the GAEB XML export does, the copy lands in the GAEB
// namespace and outlives the fragment.
TEST(textconvDocFragment, AnhängenLandetImGaebNamensraum) {
  gaeb::clsGaebTextkonverter k;
  k.m_AppExeDir(GAEB_BIN_DIR);
  std::string xml = k.RunGtcConverterTest_RTF_GXML("{\\rtf1 Beton {\\b C25/30}}", "L");
  std::string export_ = "<GAEB" + kNsAttr + "><Award><BoQ><Item/></BoQ></Award></GAEB>";
  xmlDocPtr ziel = xmlReadMemory(export_.data(), static_cast<int>(export_.size()), nullptr, "UTF-8", 0);
  ASSERT_NE(ziel, nullptr);
  xmlNodePtr item = xmlDocGetRootElement(ziel)->children->children->children;
  xmlNodePtr angehängt = nullptr;
  {
    auto fragment = k.CreateDocFragmentFromXMLString(xml);
    ASSERT_NE(fragment, nullptr);
    angehängt = fragment->AnhängenAn(item);
    EXPECT_EQ(fragment->AnhängenAn(nullptr), nullptr);
  }
  ASSERT_NE(angehängt, nullptr);
  EXPECT_EQ(angehängt->doc, ziel);
  ASSERT_NE(angehängt->ns, nullptr);
  EXPECT_EQ(reinterpret_cast<const char*>(angehängt->ns->href), kNs);
  EXPECT_EQ(Serialisiert(item),
            "<Item><Description><CompleteText><DetailTxt><Text><p><span>Beton </span>"
            "<span style=\"font-weight:bold;\">C25/30</span></p></Text></DetailTxt>"
            "</CompleteText></Description></Item>");
  xmlFreeDoc(ziel);
}

// The converter's plain markup built as nodes gives what the parse and
// append give; markup outside that form is refused (and left to the parser).
TEST(textconvDocFragment, KnotenWieGeparst) {
  const std::pair<std::string, bool> fälle[] = {
      {"<Description" + kNsAttr + "><CompleteText><DetailTxt><Text><p><span style=\"font-weight:bold;\">"
       "a &lt;&amp;&gt; &quot;b&apos;</span><br/> \t</p></Text></DetailTxt></CompleteText></Description >", true},
      {"<TextComplement Kind=\"Owner\" MarkLbl=\"3\"><ComplCaption></ComplCaption><ComplBody/></TextComplement>", true},
      {"<a>Wände\nzwei</a>", true},
      {"<a><b" + kNsAttr + "/></a>", false},        // a deeper declaration stays in the tree
      {"<a xmlns=\"urn:anders\"/>", false},
      {"<p:a xmlns:p=\"urn:x\"/>", false},
      {"<a>x\r\ny</a>", false},                    // a parser turns CR LF into LF
      {"<a>&#228;</a>", false},
      {"<a><!-- c --></a>", false},
      {"<a>x</b>", false},
      {"<a b=\"1\" b=\"2\"/>", false},
      {"<a>\xC3</a>", false},
      {"<a/><b/>", false},
      {"<a>", false},
  };
  for (const auto& [xml, gebaut] : fälle) {
    SCOPED_TRACE(xml);
    const std::string export_ = "<GAEB" + kNsAttr + "><Item/></GAEB>";
    xmlDocPtr ziel = xmlReadMemory(export_.data(), static_cast<int>(export_.size()), nullptr, "UTF-8", 0);
    ASSERT_NE(ziel, nullptr);
    xmlNodePtr item = xmlDocGetRootElement(ziel)->children;
    xmlNodePtr e = gaeb::BaueElement(xml, ziel, xmlDocGetRootElement(ziel)->ns);
    EXPECT_EQ(e != nullptr, gebaut);
    if (e != nullptr) {
      xmlAddChild(item, e);
      const std::string gebauteForm = Serialisiert(item);
      xmlUnlinkNode(e);
      xmlFreeNode(e);
      auto fragment = gaeb::ErzeugeDokumentFragment(xml);
      ASSERT_NE(fragment, nullptr);
      ASSERT_NE(fragment->AnhängenAn(item), nullptr);
      EXPECT_EQ(gebauteForm, Serialisiert(item));
    }
    xmlFreeDoc(ziel);
  }
}

// `gaeb text`: each direction and kind; the input in UTF-8 (with or without
// byte order mark) or in the Windows code page. A row's result is exact or,
// with a "~" before it, contained in the output.
TEST(textconvTextbefehl, RichtungenArtenUndEingabe) {
  const auto text = [](const char* span) { return std::string("~<Text><p><span>") + span + "</span></p></Text>"; };
  const std::tuple<gaeb::Textauftrag, std::string, std::string> fälle[] = {
      // The example of the command's documentation (the program's own test compares it whole).
      {Auftrag("rtf", "xml", "L"), "{\\rtf1\\ansi Beton {\\b C25/30}\\par liefern}\n",
       "~<p><span>Beton </span><span style=\"font-weight:bold;\">C25/30</span></p><p><span>liefern</span></p></Text>"},
      {Auftrag("rtf", "ascii", "L"), "{\\rtf1 Beton {\\b C25/30}\\par liefern}", "Beton C25/30\r\nliefern\r\n"},
      {Auftrag("ascii", "rtf", "ML"), "Rohbau\n", "~\\fs20 Rohbau\\par}"},
      {Auftrag("ascii", "xml", "KL", "Kurz"), "Lang", "~<TextOutlTxt><p><span>Kurz"},
      {Auftrag("ascii", "xml", "LB", nullptr, "3"), "'5 cm'", "~MarkLbl=\"3\""},
      {Auftrag("rtf", "xml", "L"), "{\\rtf1 W\xE4nde}", text("Wände")},
      {Auftrag("rtf", "xml", "L"), "{\\rtf1\\ansi\\ansicpg1250 \xE8\xF8}", text("čř")},
      {Auftrag("rtf", "xml", "L"), "{\\rtf1 W\xC3\xA4nde}", text("Wände")},
      {Auftrag("rtf", "xml", "L"), "\xEF\xBB\xBF{\\rtf1 x}", text("x")},
      {Auftrag("ascii", "xml", "L"), "Ma\xDF", text("Maß")},
      {Auftrag("ascii", "xml", "L"), "\xEF\xBB\xBFMa\xC3\x9F", text("Maß")},
  };
  Protokollfenster fenster;
  for (const auto& [auftrag, eingabe, erwartet] : fälle) {
    std::string aus = gaeb::Konvertiere_Text(auftrag, eingabe, GAEB_BIN_DIR, &fenster);
    EXPECT_TRUE(erwartet.starts_with("~") ? aus.find(erwartet.substr(1)) != std::string::npos : aus == erwartet)
        << aus << "\n" << erwartet;
  }
  EXPECT_TRUE(fenster.meldungen.empty());
  // The converter's texts are shown with their code. An error marks the
  // result as missing; remarks alone leave the (partial) result complete.
  bool mitFehlern = false;
  const auto konvertiere = [&](const char* von, const char* nach, const char* eingabe) {
    return gaeb::Konvertiere_Text(Auftrag(von, nach, "L"), eingabe, GAEB_BIN_DIR, &fenster, &mitFehlern);
  };
  EXPECT_EQ(konvertiere("xml", "rtf", "<Description>"), "");
  EXPECT_TRUE(mitFehlern);
  ASSERT_EQ(fenster.meldungen.size(), 1u);
  EXPECT_EQ(fenster.meldungen[0].titel, "Fehlercode");
  EXPECT_TRUE(
      fenster.meldungen[0].text.starts_with("<gtcerrors><errors><error>Der GAEB-XML-Text ist nicht wohlgeformt"));
  EXPECT_NE(konvertiere("rtf", "xml", R"({\rtf1 {\b offen)").find("<span style=\"font-weight:bold;\">offen</span>"),
            std::string::npos);
  EXPECT_FALSE(mitFehlern);
  ASSERT_EQ(fenster.meldungen.size(), 2u);
  EXPECT_EQ(fenster.meldungen[1], (Meldung{"<gtcerrors><remarks><remark>Der RTF-Text endet vor dem Schluss seiner "
                                               "Gruppen.</remark></remarks></gtcerrors>", "Fehlercode"}));
}

TEST(textconvTextbefehl, Bedienfehler) {
  const std::pair<gaeb::Textauftrag, std::string> fälle[] = {
      {Auftrag("doc", "xml", "L"), "--from erwartet rtf, ascii oder xml"},
      {Auftrag("rtf", "pdf", "L"), "--to erwartet xml, rtf oder ascii"},
      {Auftrag("xml", "xml", "L"), "--from und --to dürfen nicht gleich sein"},
      {Auftrag("rtf", "xml", "Q"), "--kind erwartet K, L, KL, A, KA, AK, F, ML, MA oder LB"},
      {Auftrag("rtf", "xml", "LB"), "--kind LB gilt nicht für --from rtf --to xml"},
      {Auftrag("xml", "ascii", "ML"), "--kind ML gilt nicht für --from xml --to ascii"},
      {Auftrag("rtf", "ascii", "KL"), "--kind KL gilt nicht für --from rtf --to ascii"},
      {Auftrag("rtf", "xml", "L", ""), "--short gilt nur für --kind KL"},
      {Auftrag("ascii", "xml", "K", nullptr, ""), "--label gilt nur für --kind LB"},
      {Auftrag("ascii", "xml", "LB"), "--kind LB braucht --label N"},
      {Auftrag("ascii", "xml", "LB", nullptr, "zwei"), "--label erwartet eine Zahl"},
  };
  for (const auto& [auftrag, fehler] : fälle) {
    EXPECT_EQ(gaeb::Prüfe_Textauftrag(auftrag), fehler);
    try {
      gaeb::Konvertiere_Text(auftrag, "x", GAEB_BIN_DIR, nullptr);
      ADD_FAILURE() << fehler;
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(e.what(), fehler);
    }
  }
  EXPECT_EQ(gaeb::Prüfe_Textauftrag(Auftrag("xml", "rtf", "MA")), "");
}

}  // namespace
}  // namespace textconv_test

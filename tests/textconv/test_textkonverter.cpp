// Tests of clsGaebTextkonverter with the real converter library (the calls
// per text kind are those of test_aufrufe): characters on their way through
// the code pages, error boxes with partial results, loading the library once
// per object, and the markup of every text kind against the schema.
#include <dlfcn.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "base/fehler.h"
#include "meldungen.h"
#include "textconv/textkonverter.h"
#include "textschema.h"

namespace textconv_test {
namespace {

using gaeb::clsGaebTextkonverter;

const std::string kNsAttr = " xmlns=\"http://www.gaeb.de/GAEB_DA_XML/200407\"";
const std::string kBibliothek = std::string(GAEB_BIN_DIR) + "/gtcConverterV31.so";

class textconvTextkonverter : public ::testing::Test {
 protected:
  textconvTextkonverter() : konverter(&fenster) { konverter.m_AppExeDir(GAEB_BIN_DIR); }
  Protokollfenster fenster;
  clsGaebTextkonverter konverter;
};

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
}

TEST_F(textconvTextkonverter, FehlertextImFensterUndTeilergebnis) {
  std::string xml = konverter.RunGtcConverterTest_RTF_GXML(R"({\rtf1 {\b offen)", "L");
  EXPECT_NE(xml.find("<span style=\"font-weight:bold;\">offen</span>"), std::string::npos);
  EXPECT_EQ(fenster.meldungen,
            (std::vector<Meldung>{{"<gtcerrors><remarks><remark>Der RTF-Text endet vor dem Schluss "
                                   "seiner Gruppen.</remark></remarks></gtcerrors>",
                                   "Fehlercode"}}));
  fenster.meldungen.clear();
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<Description>", "L"), "");
  ASSERT_EQ(fenster.meldungen.size(), 1u);
  EXPECT_EQ(fenster.meldungen[0].titel, "Fehlercode");
  EXPECT_EQ(fenster.meldungen[0].text.rfind("<gtcerrors><errors><error>Der GAEB-XML-Text ist nicht wohlgeformt", 0), 0u);
}

TEST_F(textconvTextkonverter, KurztextAlsVariantUndMarkeAlsZahl) {
  std::string xml = konverter.RunGtcConverterTest_RTF_GXML("{\\rtf1 L}", "KL", gaeb::Variant(std::int32_t{42}));
  EXPECT_NE(xml.find("<TextOutlTxt><p><span>42</span></p></TextOutlTxt>"), std::string::npos) << xml;
  EXPECT_NE(konverter.RunGtcConverterTest_ASCII_GXML("x", "LB", " 7 ").find("MarkLbl=\"7\""),
            std::string::npos);
  try {
    konverter.RunGtcConverterTest_ASCII_GXML("x", "LB", "sieben");
    FAIL() << "keine Zahl muss ein Laufzeitfehler sein";
  } catch (const gaeb::Fehler& f) {
    EXPECT_EQ(f.Nummer(), gaeb::kFehlerTypen);
  }
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

TEST(textconvTextkonverterOhneBibliothek, LademeldungUndLaufzeitfehler) {
  Protokollfenster fenster;
  clsGaebTextkonverter konverter(&fenster);
  konverter.m_AppExeDir(std::string(GAEB_TESTDATA) + "/kein-programm");
  EXPECT_EQ(konverter.m_AppExeDir(), std::string(GAEB_TESTDATA) + "/kein-programm");
  try {
    konverter.RunGtcConverterTest_RTF_GXML(R"({\rtf1 x})", "L");
    FAIL() << "ohne Bibliothek muss die Konvertierung scheitern";
  } catch (const gaeb::Fehler& f) {
    EXPECT_EQ(f.Nummer(), gaeb::kFehlerBibliothekLaden);
  }
  EXPECT_EQ(fenster.meldungen,
            (std::vector<Meldung>{{"Laden der Datei " + std::string(GAEB_TESTDATA) +
                                       "/kein-programm/gtcConverterV31.so fehlgeschlagen",
                                   ""}}));
  EXPECT_FALSE(konverter.MwmIsDllLoaded());
  // Every conversion tries again.
  EXPECT_THROW(konverter.RunGtcConverterTest_GXML_ASCII("<LblTx/>", "K"), gaeb::Fehler);
  EXPECT_EQ(fenster.meldungen.size(), 2u);
  // Without a message box nothing is shown, and it still fails.
  clsGaebTextkonverter stumm;
  stumm.m_AppExeDir("/nicht/vorhanden");
  EXPECT_THROW(stumm.RunGtcConverterTest_GXML_RTF("<LblTx/>", "ML"), gaeb::Fehler);
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

// The markup of every text kind, from RTF and from plain lines, must fit the
// GAEB DA XML 3.1 schema type of its element. Skipped when the schema folder
// is missing.
class textconvSchema : public textconvTextkonverter {
 protected:
  static const TextSchema* Schema() {
    static const std::unique_ptr<TextSchema> schema = TextSchema::Laden(GAEB_XSD_DIR);
    return schema.get();
  }
  void SetUp() override {
    if (Schema() == nullptr) GTEST_SKIP() << "kein GAEB-Schema in " << GAEB_XSD_DIR;
  }
};

const char* const kModi[] = {"K", "L", "KL", "A", "KA", "AK", "F", "ML", "MA"};

// RTF with everything the writer knows: styles, tabs, breaks, empty
// paragraphs, gaps, characters to escape.
const char* const kRtfTexte[] = {
    R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 Beton {\b C25/30} {\i\ul kursiv}\tab W\'e4nde\line )"
    R"(<&>"\par\par {\*\bkmkstart TB2}30 cm{\*\bkmkend TB2} dick\par {\*\bkmkstart TA3}x\par y{\*\bkmkend TA3}})",
    R"({\rtf1 })",
    "",
    R"({\rtf1 {\*\bkmkstart TB1}nur{\*\bkmkend TB1}})",
};

TEST_F(textconvSchema, RtfJedesTextmodus) {
  const TextSchema* schema = Schema();
  // A good validator also rejects: a span must not hold an element.
  ASSERT_FALSE(schema->Prüfe("<LblTx xmlns=\"http://www.gaeb.de/GAEB_DA_XML/200407\"><span><br/></span></LblTx>").empty());
  for (const char* rtf : kRtfTexte) {
    for (const char* modus : kModi) {
      std::string xml = konverter.RunGtcConverterTest_RTF_GXML(rtf, modus, rtf);
      ASSERT_FALSE(xml.empty()) << modus;
      EXPECT_EQ(schema->Prüfe(xml), "") << modus << ": " << xml;
    }
  }
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST_F(textconvSchema, ZeilenJedesTextmodus) {
  const TextSchema* schema = Schema();
  for (const char* text : {"Beton C25/30\tW\xC3\xA4nde <&>", "", "Zeile 1\r\nZeile 2"}) {
    for (const char* modus : kModi) {
      std::string xml = konverter.RunGtcConverterTest_ASCII_GXML(text, modus, "", text);
      if (std::string(modus) == "KA") continue;  // adds no line: nothing to check
      ASSERT_FALSE(xml.empty()) << modus;
      EXPECT_EQ(schema->Prüfe(xml), "") << modus << ": " << xml;
    }
    std::string lücke = konverter.RunGtcConverterTest_ASCII_GXML(text, "LB", "4");
    EXPECT_EQ(schema->Prüfe(lücke), "") << lücke;
  }
}

TEST_F(textconvSchema, RückwegUndWiederHin) {
  const TextSchema* schema = Schema();
  // XML read back as RTF and converted again stays valid.
  for (const char* modus : {"K", "L", "ML", "MA"}) {
    std::string xml = konverter.RunGtcConverterTest_RTF_GXML(kRtfTexte[0], modus, kRtfTexte[0]);
    std::string rtf = konverter.RunGtcConverterTest_GXML_RTF(xml, modus);
    std::string wieder = konverter.RunGtcConverterTest_RTF_GXML(rtf, modus);
    EXPECT_EQ(wieder, xml) << modus;
    EXPECT_EQ(schema->Prüfe(wieder), "") << modus;
  }
}

}  // namespace
}  // namespace textconv_test

// The markup of every text kind, from RTF and from plain lines, must fit the
// GAEB DA XML 3.1 schema type of its element. Skipped when the schema folder
// is missing.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "meldungen.h"
#include "textconv/textkonverter.h"
#include "textschema.h"

namespace textconv_test {
namespace {

class textconvSchema : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { schema_ = TextSchema::Laden(GAEB_XSD_DIR).release(); }
  static void TearDownTestSuite() {
    delete schema_;
    schema_ = nullptr;
  }
  void SetUp() override {
    if (schema_ == nullptr) GTEST_SKIP() << "kein GAEB-Schema in " << GAEB_XSD_DIR;
    konverter.m_AppExeDir(GAEB_BIN_DIR);
  }
  static TextSchema* schema_;
  Protokollfenster fenster;
  gaeb::clsGaebTextkonverter konverter{&fenster};
};

TextSchema* textconvSchema::schema_ = nullptr;

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
  // A good validator also rejects: a span must not hold an element.
  ASSERT_FALSE(schema_->Prüfe("<LblTx xmlns=\"http://www.gaeb.de/GAEB_DA_XML/200407\"><span><br/></span></LblTx>").empty());
  for (const char* rtf : kRtfTexte) {
    for (const char* modus : kModi) {
      std::string xml = konverter.RunGtcConverterTest_RTF_GXML(rtf, modus, rtf);
      ASSERT_FALSE(xml.empty()) << modus;
      EXPECT_EQ(schema_->Prüfe(xml), "") << modus << ": " << xml;
    }
  }
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST_F(textconvSchema, ZeilenJedesTextmodus) {
  for (const char* text : {"Beton C25/30\tW\xC3\xA4nde <&>", "", "Zeile 1\r\nZeile 2"}) {
    for (const char* modus : kModi) {
      std::string xml = konverter.RunGtcConverterTest_ASCII_GXML(text, modus, "", text);
      if (std::string(modus) == "KA") continue;  // adds no line: nothing to check
      ASSERT_FALSE(xml.empty()) << modus;
      EXPECT_EQ(schema_->Prüfe(xml), "") << modus << ": " << xml;
    }
    std::string lücke = konverter.RunGtcConverterTest_ASCII_GXML(text, "LB", "4");
    EXPECT_EQ(schema_->Prüfe(lücke), "") << lücke;
  }
}

TEST_F(textconvSchema, RückwegUndWiederHin) {
  // XML read back as RTF and converted again stays valid.
  for (const char* modus : {"K", "L", "ML", "MA"}) {
    std::string xml = konverter.RunGtcConverterTest_RTF_GXML(kRtfTexte[0], modus, kRtfTexte[0]);
    std::string rtf = konverter.RunGtcConverterTest_GXML_RTF(xml, modus);
    std::string wieder = konverter.RunGtcConverterTest_RTF_GXML(rtf, modus);
    EXPECT_EQ(wieder, xml) << modus;
    EXPECT_EQ(schema_->Prüfe(wieder), "") << modus;
  }
}

}  // namespace
}  // namespace textconv_test

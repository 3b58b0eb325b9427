// Tests of clsGaebTextkonverter against the recording stand-in library
// (attrappe_gtc.cpp): the exact calls, texts, tags, codes and flags of every
// text kind, the error filters of RTF input, a library that makes no
// instance, and one that lacks a function.
#include <gtest/gtest.h>

#include <string>

#include "base/fehler.h"
#include "meldungen.h"
#include "textconv/textkonverter.h"

namespace textconv_test {
namespace {

using gaeb::clsGaebTextkonverter;

class textconvAufrufe : public ::testing::Test {
 protected:
  textconvAufrufe() : konverter(&fenster) { konverter.m_AppExeDir(ATTRAPPE_DIR); }
  Protokollfenster fenster;
  clsGaebTextkonverter konverter;
};

TEST_F(textconvAufrufe, RtfNachXmlJeTextmodus) {
  struct Fall {
    const char* modus;
    const char* aufrufe;
  };
  const Fall fälle[] = {
      {"K", "RtfAddK(lang);Rtf2gxml(0);"},
      {"L", "RtfAddL(lang);Rtf2gxml(0);"},
      {"KL", "RtfAddK(kurz);Rtf2gxml(0);RtfAddL(lang);Rtf2gxml(0);"},
      {"A", "RtfAddA(lang);Rtf2gxml(-1);"},
      {"KA", "RtfAddA(lang);Rtf2gxml(-1);"},
      {"AK", "RtfAddAK(lang);Rtf2gxml(-1);"},
      {"F", "RtfAddF(lang,Descrip);Rtf2gxml(0);"},
      {"ML", "RtfAddML(lang,LblTx);Rtf2gxml(0);"},
      {"MA", "RtfAddML(lang,ArtOutline);Rtf2gxml(0);"},
      {"X", ""},
      {"", ""},
  };
  for (const Fall& f : fälle) {
    EXPECT_EQ(konverter.RunGtcConverterTest_RTF_GXML("lang", f.modus, "kurz"), f.aufrufe) << f.modus;
  }
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST_F(textconvAufrufe, ZeilenNachXmlJeTextmodus) {
  struct Fall {
    const char* modus;
    const char* aufrufe;
  };
  const Fall fälle[] = {
      {"K", "AsciiClear();AsciiAddLineK(lang,84,60);Ascii2gxml();"},
      {"L", "AsciiClear();AsciiAddLineL(lang,84,61);Ascii2gxml();"},
      {"KL", "AsciiClear();AsciiAddLineK(kurz,84,60);AsciiAddLineL(lang,84,61);Ascii2gxml();"},
      {"LB", "AsciiClear();AsciiAddLineL(lang,66,12);Ascii2gxml();"},
      {"A", "AsciiClear();AsciiAddLineAL(lang);Ascii2gxml();"},
      {"AK", "AsciiClear();AsciiAddLineAK(lang);Ascii2gxml();"},
      {"F", "AsciiClear();AsciiAddLineF(lang,Descrip);Ascii2gxml();"},
      {"ML", "AsciiClear();AsciiAddLineML(lang,LblTx);Ascii2gxml();"},
      {"MA", "AsciiClear();AsciiAddLineML(lang,ArtOutline);Ascii2gxml();"},
      // KA and unknown kinds add no line, but the buffer is still converted.
      {"KA", "AsciiClear();Ascii2gxml();"},
      {"X", "AsciiClear();Ascii2gxml();"},
  };
  for (const Fall& f : fälle) {
    EXPECT_EQ(konverter.RunGtcConverterTest_ASCII_GXML("lang", f.modus, "12", "kurz"), f.aufrufe)
        << f.modus;
  }
}

TEST_F(textconvAufrufe, RückwegeJeTextmodus) {
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<x/>", "K"), "Gxml2RtfK(<x/>);");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<x/>", "L"), "Gxml2RtfL(<x/>,-1);");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<x/>", "ML"), "Gxml2RtfML(<x/>);");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<x/>", "MA"), "Gxml2RtfML(<x/>);");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<x/>", "A"), "");
  // Lines are fetched until the library answers -1 and joined as delivered.
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_ASCII("<x/>", "K"), "Gxml2Ascii(<x/>,55);K-Ende");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_ASCII("<x/>", "L"), "Gxml2Ascii(<x/>,55);L-Ende");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_ASCII("<x/>", "KL"), "");
}

TEST_F(textconvAufrufe, ZeichensatzAnDerSchnittstelle) {
  // Texts go to the library in code page 1252, XML in UTF-16; results come back as UTF-8.
  EXPECT_EQ(konverter.RunGtcConverterTest_RTF_GXML("Wände", "L"), "RtfAddL(Wände);Rtf2gxml(0);");
  EXPECT_EQ(konverter.RunGtcConverterTest_ASCII_GXML("Maß", "L", ""),
            "AsciiClear();AsciiAddLineL(Maß,84,61);Ascii2gxml();");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<ä/>", "K"), "Gxml2RtfK(<ä/>);");
  // In RTF, every character beyond ASCII travels as \uN with its code page
  // 1252 byte or "?" as fallback; a byte order mark is dropped.
  EXPECT_EQ(konverter.RunGtcConverterTest_RTF_GXML("\xEF\xBB\xBF{\\rtf1 \xE2\x89\xA4\xC3\xA4\xF0\x9F\x98\x80}", "L"),
            "RtfAddL({\\rtf1 {\\uc1\\u8804?}{\\uc1\\u228\\'e4}{\\uc1\\u-10179?\\u-8704?}});Rtf2gxml(0);");
}

TEST_F(textconvAufrufe, FilterDerRtfFehlertexte) {
  const std::string tab =
      "<gtcerrors><remarks><remark>Folge von TAB rechts + TAB links kann nicht aufgelöst "
      "werden</remark></remarks></gtcerrors";
  // Never shown for RTF input: "wmetafile8" anywhere, and the tab remark
  // compared with blanks trimmed.
  std::string ergebnis =
      konverter.RunGtcConverterTest_RTF_GXML("!Bild im Format wmetafile8 fehlt", "L");
  EXPECT_EQ(ergebnis, "RtfAddL(!Bild im Format wmetafile8 fehlt);Rtf2gxml(0);");
  konverter.RunGtcConverterTest_RTF_GXML("!  " + tab + "  ", "L");
  EXPECT_TRUE(fenster.meldungen.empty());
  // Shown: the tab text that differs, and any other text.
  konverter.RunGtcConverterTest_RTF_GXML("!" + tab + ">", "L");
  konverter.RunGtcConverterTest_RTF_GXML("!anderer Fehler", "K");
  EXPECT_EQ(fenster.meldungen, (std::vector<Meldung>{{tab + ">", "Fehlercode"},
                                                     {"anderer Fehler", "Fehlercode"}}));
  // The filters belong to RTF input only.
  fenster.meldungen.clear();
  konverter.RunGtcConverterTest_ASCII_GXML("!wmetafile8", "L", "");
  konverter.RunGtcConverterTest_ASCII_GXML("!" + tab, "L", "");
  konverter.RunGtcConverterTest_GXML_RTF("!wmetafile8", "L");
  konverter.RunGtcConverterTest_GXML_ASCII("!wmetafile8", "K");
  EXPECT_EQ(fenster.meldungen, (std::vector<Meldung>{{"wmetafile8", "Fehlercode"},
                                                     {tab, "Fehlercode"},
                                                     {"wmetafile8", "Fehlercode"},
                                                     {"wmetafile8", "Fehlercode"}}));
}

TEST(textconvAufrufeOhneInstanz, LeeresErgebnisOhneMeldung) {
  Protokollfenster fenster;
  clsGaebTextkonverter konverter(&fenster);
  konverter.m_AppExeDir(ATTRAPPE_NULL_DIR);
  EXPECT_EQ(konverter.RunGtcConverterTest_RTF_GXML("!x", "L"), "");
  EXPECT_EQ(konverter.RunGtcConverterTest_ASCII_GXML("!x", "L", ""), "");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("!x", "L"), "");
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_ASCII("!x", "L"), "");
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(textconvAufrufeOhneFunktion, FehlenderEinsprungpunktIstLaufzeitfehler) {
  Protokollfenster fenster;
  clsGaebTextkonverter konverter(&fenster);
  konverter.m_AppExeDir(ATTRAPPE_LUECKE_DIR);
  try {
    konverter.RunGtcConverterTest_GXML_ASCII("<x/>", "L");
    FAIL() << "eine fehlende Funktion muss ein Laufzeitfehler sein";
  } catch (const gaeb::Fehler& f) {
    EXPECT_EQ(f.Nummer(), gaeb::kFehlerEinsprungpunkt);
    EXPECT_NE(std::string(f.what()).find("gtcGxml2Ascii"), std::string::npos);
  }
  // The other conversions of the same library still work.
  EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<x/>", "K"), "Gxml2RtfK(<x/>);");
  EXPECT_TRUE(fenster.meldungen.empty());
}

}  // namespace
}  // namespace textconv_test

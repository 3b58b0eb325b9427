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

// Each text kind's calls, one row per kind: RTF to XML, plain lines to XML
// (label "12", short text "kurz"), and back from XML to RTF and to lines.
TEST_F(textconvAufrufe, AufrufeJeTextmodus) {
  struct Fall {
    const char *modus, *rtf, *zeilen, *zurückRtf, *zurückZeilen;
  };
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
    if (f.rtf) {
      EXPECT_EQ(konverter.RunGtcConverterTest_RTF_GXML("lang", f.modus, "kurz"), f.rtf);
    }
    if (f.zeilen) {
      EXPECT_EQ(konverter.RunGtcConverterTest_ASCII_GXML("lang", f.modus, "12", "kurz"),
                "AsciiClear();" + std::string(f.zeilen) + "Ascii2gxml();");
    }
    if (f.zurückRtf) {
      EXPECT_EQ(konverter.RunGtcConverterTest_GXML_RTF("<x/>", f.modus), f.zurückRtf);
    }
    // Lines are fetched until the library answers -1 and joined as delivered.
    if (f.zurückZeilen) {
      EXPECT_EQ(konverter.RunGtcConverterTest_GXML_ASCII("<x/>", f.modus),
                *f.zurückZeilen ? "Gxml2Ascii(<x/>,55);" + std::string(f.zurückZeilen) : "");
    }
  }
  EXPECT_TRUE(fenster.meldungen.empty());
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
  try {
    ohneFunktion.RunGtcConverterTest_GXML_ASCII("<x/>", "L");
    ADD_FAILURE() << "eine fehlende Funktion muss ein Laufzeitfehler sein";
  } catch (const gaeb::Fehler& f) {
    EXPECT_EQ(f.Nummer(), gaeb::kFehlerEinsprungpunkt);
    EXPECT_NE(std::string(f.what()).find("gtcGxml2Ascii"), std::string::npos);
  }
  EXPECT_EQ(ohneFunktion.RunGtcConverterTest_GXML_RTF("<x/>", "K"), "Gxml2RtfK(<x/>);");
  EXPECT_TRUE(fenster.meldungen.empty());
}

}  // namespace
}  // namespace textconv_test

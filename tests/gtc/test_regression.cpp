// Inputs that once broke the converter (fuzzing findings and hostile cases),
// kept under data/regress: "rtf-*" files go through every RTF text kind,
// "xml-*" files through every way back. Each must convert without crashing
// into well-formed markup, and RTF the library writes must read back cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "konverter.h"

namespace gtc_test {
namespace {

namespace fs = std::filesystem;

std::string Lies(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The RTF the library wrote: it must read back without remarks or errors.
void PrüfeRtf(const std::string& rtf, const std::string& name) {
  if (rtf == "(null)") return;
  Konverter k;
  gtcRtfAddL(k.h(), rtf.c_str());
  Xml r = k.RtfNachXml();
  EXPECT_TRUE(Wohlgeformt(r.xml)) << name;
  EXPECT_EQ(r.fehler, "(null)") << name;
}

void PrüfeRtfEingabe(const std::string& daten, const std::string& name) {
  // The C interface takes zero-terminated text: the input ends at a NUL.
  std::string rtf(daten.c_str());
  for (int art = 0; art < 6; ++art) {
    Konverter k;
    switch (art) {
      case 0: gtcRtfAddK(k.h(), rtf.c_str()); break;
      case 1: gtcRtfAddL(k.h(), rtf.c_str()); break;
      case 2: gtcRtfAddA(k.h(), rtf.c_str()); break;
      case 3: gtcRtfAddAK(k.h(), rtf.c_str()); break;
      case 4: gtcRtfAddF(k.h(), rtf.c_str(), u"Descrip"); break;
      default: gtcRtfAddML(k.h(), rtf.c_str(), u"LblTx"); break;
    }
    Xml r = k.RtfNachXml(-1);
    ASSERT_NE(r.xml, "(null)") << name;
    EXPECT_TRUE(Wohlgeformt(r.xml)) << name << " art " << art;
    if (r.fehler != "(null)") {
      EXPECT_TRUE(Wohlgeformt(r.fehler)) << name;
    }
    PrüfeRtf(k.XmlNachRtf(r.xml, art == 0 ? 'K' : 'L', -1).xml, name);
  }
}

void PrüfeXmlEingabe(const std::string& daten, const std::string& name) {
  Konverter k;
  for (char teil : {'K', 'L', 'M'}) {
    Xml r = k.XmlNachRtf(daten, teil, -1);
    if (r.fehler != "(null)") {
      EXPECT_TRUE(Wohlgeformt(r.fehler)) << name;
    }
    PrüfeRtf(r.xml, name);
  }
  std::string fehler;
  for (const Zeile& z : k.XmlNachZeilen(daten, 'L', 55, &fehler)) {
    EXPECT_TRUE(z.text.ends_with("\r\n")) << name;
  }
}

TEST(gtcRegression, GespeicherteEingaben) {
  fs::path ordner = fs::path(GAEB_TESTDATA).parent_path() / "gtc" / "data" / "regress";
  int anzahl = 0;
  for (const auto& eintrag : fs::directory_iterator(ordner)) {
    std::string name = eintrag.path().filename().string();
    std::string daten = Lies(eintrag.path());
    if (name.starts_with("rtf-")) {
      PrüfeRtfEingabe(daten, name);
      ++anzahl;
    } else if (name.starts_with("xml-")) {
      PrüfeXmlEingabe(daten, name);
      ++anzahl;
    }
  }
  EXPECT_GT(anzahl, 0) << ordner;
}

}  // namespace
}  // namespace gtc_test

// Tests of CreateDocFragmentFromXMLString and of appending its fragment to a
// document the way the GAEB XML export does.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <chrono>
#include <string>

#include "textconv/textkonverter.h"

namespace textconv_test {
namespace {

const std::string kNs = "http://www.gaeb.de/GAEB_DA_XML/200407";

std::string Serialisiert(xmlNodePtr n) {
  xmlBufferPtr puffer = xmlBufferCreate();
  xmlNodeDump(puffer, n->doc, n, 0, 0);
  std::string s(reinterpret_cast<const char*>(xmlBufferContent(puffer)));
  xmlBufferFree(puffer);
  return s;
}

// Empty, broken, too deep or hostile XML gives no fragment: entities and
// document type declarations are never read, so a bomb does not unfold.
TEST(textconvDocFragment, NichtsFürLeeresKaputtesUndFeindlichesXml) {
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
}

TEST(textconvDocFragment, TiefeKopieDesWurzelelements) {
  gaeb::clsGaebTextkonverter k;
  std::string xml = "<?xml version=\"1.0\"?><!-- vor --><LblTx xmlns=\"" + kNs +
                    "\"><p><span style=\"font-weight:bold;\">A &amp; B</span><br/></p></LblTx>";
  auto fragment = k.CreateDocFragmentFromXMLString(xml);
  ASSERT_NE(fragment, nullptr);
  EXPECT_EQ(fragment->Knoten()->type, XML_DOCUMENT_FRAG_NODE);
  ASSERT_NE(fragment->Element(), nullptr);
  EXPECT_EQ(fragment->Element()->next, nullptr);
  EXPECT_EQ(Serialisiert(fragment->Element()),
            "<LblTx xmlns=\"" + kNs +
                "\"><p><span style=\"font-weight:bold;\">A &amp; B</span><br/></p></LblTx>");
  // A text run over 10 MB, as the converter writes it, gives its fragment.
  const std::string lang = "<LblTx xmlns=\"" + kNs + "\"><p><span>" + std::string(10'500'000, 'x') + "</span></p></LblTx>";
  auto groß = k.CreateDocFragmentFromXMLString(lang);
  ASSERT_NE(groß, nullptr);
  EXPECT_TRUE(Serialisiert(groß->Element()) == lang);
}

TEST(textconvDocFragment, AnhängenLandetImGaebNamensraum) {
  gaeb::clsGaebTextkonverter k;
  k.m_AppExeDir(GAEB_BIN_DIR);
  std::string xml = k.RunGtcConverterTest_RTF_GXML("{\\rtf1 Beton {\\b C25/30}}", "L");
  std::string export_ = "<GAEB xmlns=\"" + kNs + "\"><Award><BoQ><Item/></BoQ></Award></GAEB>";
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
  // The fragment is gone; the copy lives on in the target document.
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

}  // namespace
}  // namespace textconv_test

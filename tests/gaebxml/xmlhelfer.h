// Helpers of the GAEB DA XML export tests: an export into a fresh folder, the file parsed, XPath in the
// GAEB namespace (prefix "g"), validation against the GAEB DA XML 3.1 schemas (of data type 84 for bids).
#pragma once

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include "exportlv.h"
#include "textconv/textschema.h"

namespace gaeb::test {

// The schema of a data type (84: bids; all others share one), loaded once;
// null when the folder is missing.
inline xmlSchemaPtr Schema(std::int16_t dp) {
  static const auto laden = [](const char* datei) -> xmlSchemaPtr {
    std::filesystem::path pfad = std::filesystem::path(GAEB_XSD_DIR) / datei;
    if (!std::filesystem::exists(pfad)) return nullptr;
    xmlSchemaParserCtxtPtr p = xmlSchemaNewParserCtxt(pfad.c_str());
    xmlSchemaPtr schema = xmlSchemaParse(p);
    xmlSchemaFreeParserCtxt(p);
    return schema;
  };
  static xmlSchemaPtr gebot = laden("GAEB_DA_XML_84_3.1_2009-12.xsd"), sonst = laden("GAEB_DA_XML_3.1_2009-12.xsd");
  return dp == 84 ? gebot : sonst;
}

#define GAEB_BRAUCHT_SCHEMA()                                               \
  if (Schema(83) == nullptr || Schema(84) == nullptr) GTEST_SKIP() << "no schemas in " GAEB_XSD_DIR

// One written GAEB DA XML file.
class XmlDatei {
 public:
  explicit XmlDatei(const std::string& pfad)
      : doc_(xmlReadFile(pfad.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING)) {}
  ~XmlDatei() { xmlFreeDoc(doc_); }
  XmlDatei(const XmlDatei&) = delete;
  XmlDatei& operator=(const XmlDatei&) = delete;

  bool Da() const { return doc_ != nullptr; }

  // The XPath expression's value as text (counts as "3", node sets as the
  // text of their first node); elements of the GAEB namespace take prefix g.
  std::string X(const std::string& ausdruck) const {
    if (doc_ == nullptr) return "(keine Datei)";
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc_);
    xmlXPathRegisterNs(ctx, reinterpret_cast<const xmlChar*>("g"),
                       reinterpret_cast<const xmlChar*>("http://www.gaeb.de/GAEB_DA_XML/200407"));
    xmlXPathObjectPtr r = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(ausdruck.c_str()), ctx);
    std::string wert = "(Fehler im Ausdruck)";
    if (r != nullptr) {
      xmlChar* s = xmlXPathCastToString(r);
      wert = reinterpret_cast<const char*>(s);
      xmlFree(s);
      xmlXPathFreeObject(r);
    }
    xmlXPathFreeContext(ctx);
    return wert;
  }

  // Empty when the file is valid against the schema of its data type, else
  // the schema's first message.
  std::string Prüfe(std::int16_t dp) const {
    return doc_ == nullptr ? "keine Datei" : textconv_test::Validiere(Schema(dp), doc_);
  }

 private:
  xmlDocPtr doc_;
};

// One XML export of a stored document into a fresh folder.
struct XmlLauf {
  bool ergebnis = false;
  std::unique_ptr<XmlDatei> datei;
  std::vector<std::string> meldungen;
};

inline XmlLauf ExportiereXml(TestHost& h, std::int32_t nummer, std::int16_t dp = 83, const Ausgabeoptionen& o = {}) {
  std::string ziel = NeuerPfad("lv.x" + std::to_string(dp));
  auto k = h.Komponente();
  XmlLauf r;
  r.ergebnis = k->Ausgabe_BelegdatenDAXML(1, nummer, ziel, dp, o);
  if (std::filesystem::exists(ziel)) r.datei = std::make_unique<XmlDatei>(ziel);
  r.meldungen = h.Meldungen();
  return r;
}

}  // namespace gaeb::test

// Test helper: validates documents against a schema, and GAEB text fragments
// against the GAEB DA XML 3.1 schema. That schema declares only GAEB as
// global element, so a small schema of the same namespace includes it and
// declares each text root with the type the GAEB schema gives that element:
// a fragment is checked against the content model it has inside a document.
#pragma once

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <filesystem>
#include <memory>
#include <string>

namespace textconv_test {

// Empty when doc is valid against schema, else the schema's first message.
inline std::string Validiere(xmlSchemaPtr schema, xmlDocPtr doc) {
  std::string fehler;
  xmlSchemaValidCtxtPtr v = xmlSchemaNewValidCtxt(schema);
  xmlSchemaSetValidStructuredErrors(v, [](void* ziel, xmlErrorPtr e) {
    if (auto* s = static_cast<std::string*>(ziel); s->empty() && e != nullptr && e->message != nullptr) *s = e->message;
  }, &fehler);
  int ergebnis = xmlSchemaValidateDoc(v, doc);
  xmlSchemaFreeValidCtxt(v);
  return ergebnis != 0 && fehler.empty() ? "ungültig" : fehler;
}

class TextSchema {
 public:
  // Null when the schema folder is missing.
  static std::unique_ptr<TextSchema> Laden(const std::filesystem::path& ordner) {
    std::filesystem::path gaeb = ordner / "GAEB_DA_XML_3.1_2009-12.xsd";
    if (!std::filesystem::exists(gaeb)) return nullptr;
    const std::string ns = "http://www.gaeb.de/GAEB_DA_XML/200407";
    std::string xsd = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns=\"" + ns +
                      "\" targetNamespace=\"" + ns +
                      "\" elementFormDefault=\"qualified\"><xs:include schemaLocation=\"" + gaeb.string() + "\"/>";
    for (const char* e : {"Description tgDescription", "AddText tgAddText", "TextComplement tgTextComplement",
                          "Descrip tgFText", "LblTx tgMLText", "ArtOutline tgMLText"}) {
      const std::string s = e;
      xsd += "<xs:element name=\"" + s.substr(0, s.find(' ')) + "\" type=\"" + s.substr(s.find(' ') + 1) + "\"/>";
    }
    xsd += "</xs:schema>";
    xmlSchemaParserCtxtPtr p = xmlSchemaNewMemParserCtxt(xsd.data(), static_cast<int>(xsd.size()));
    xmlSchemaPtr schema = xmlSchemaParse(p);
    xmlSchemaFreeParserCtxt(p);
    return schema == nullptr ? nullptr : std::unique_ptr<TextSchema>(new TextSchema(schema));
  }

  ~TextSchema() { xmlSchemaFree(schema_); }

  // Empty when xml is well-formed and valid, else the first problem.
  std::string Prüfe(const std::string& xml) const {
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, "UTF-8",
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr) return "nicht wohlgeformt";
    std::string fehler = Validiere(schema_, doc);
    xmlFreeDoc(doc);
    return fehler;
  }

 private:
  explicit TextSchema(xmlSchemaPtr schema) : schema_(schema) {}
  xmlSchemaPtr schema_;
};

}  // namespace textconv_test

// Test helper: one instance of the converter library behind UTF-8 strings,
// so that test cases read as text in, text out. It only forwards to the C
// interface; every conversion rule under test lives in the library.
#pragma once

#include <libxml/parser.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gtc/gtc.h"
#include "gtc/zeichen.h"

namespace gtc_test {

inline constexpr const char* kNs = "http://www.gaeb.de/GAEB_DA_XML/200407";

inline std::string U8(const gtcWChar* p) { return gtc::Utf16NachUtf8(p); }
inline std::u16string U16(const std::string& s) { return gtc::Utf8NachUtf16(s); }

// The result of a conversion to XML: null pointers give "(null)".
struct Xml {
  std::string xml;
  std::string fehler;
};

struct Zeile {
  std::string text;
  std::int32_t code;
  std::int32_t nummer;
  bool operator==(const Zeile&) const = default;
};

class Konverter {
 public:
  Konverter() : h_(gtcConvCreate(GTC_KENNUNG)) {}
  ~Konverter() {
    if (h_ != 0) gtcConvFree(h_);
  }
  Konverter(const Konverter&) = delete;
  Konverter& operator=(const Konverter&) = delete;

  std::int32_t h() const { return h_; }

  Xml RtfNachXml(std::int32_t flag = 0) {
    const gtcWChar* x = nullptr;
    const gtcWChar* f = nullptr;
    gtcRtf2gxml(h_, &x, &f, flag);
    return {Text(x), Text(f)};
  }

  Xml AsciiNachXml() {
    const gtcWChar* x = nullptr;
    const gtcWChar* f = nullptr;
    gtcAscii2gxml(h_, &x, &f);
    return {Text(x), Text(f)};
  }

  // teil: 'K', 'L' (with flag) or 'M'. Result "(null)" for a null RTF.
  Xml XmlNachRtf(const std::string& xml, char teil, std::int32_t flag = 0) {
    std::u16string x = U16(xml);
    const char* rtf = nullptr;
    const gtcWChar* f = nullptr;
    if (teil == 'K') gtcGxml2RtfK(h_, x.c_str(), &rtf, &f);
    if (teil == 'L') gtcGxml2RtfL(h_, x.c_str(), &rtf, flag, &f);
    if (teil == 'M') gtcGxml2RtfML(h_, x.c_str(), &rtf, &f);
    return {rtf != nullptr ? std::string(rtf) : "(null)", Text(f)};
  }

  // Converts to lines and fetches those of part 'K' or 'L'; fehler receives
  // the error text.
  std::vector<Zeile> XmlNachZeilen(const std::string& xml, char teil, std::int32_t breite,
                                   std::string* fehler = nullptr) {
    std::u16string x = U16(xml);
    const gtcWChar* f = nullptr;
    gtcGxml2Ascii(h_, x.c_str(), &f, breite);
    if (fehler != nullptr) *fehler = Text(f);
    std::vector<Zeile> zeilen;
    const char* z = nullptr;
    std::int32_t code = 0;
    std::int32_t nummer = 0;
    auto hole = teil == 'K' ? gtcAsciiGetLineK : gtcAsciiGetLineL;
    while (hole(h_, &z, &code, &nummer) > -1) zeilen.push_back({z, code, nummer});
    return zeilen;
  }

 private:
  static std::string Text(const gtcWChar* p) { return p == nullptr ? "(null)" : U8(p); }

  std::int32_t h_;
};

// Markup helpers for expected results.
inline std::string Description(const std::string& inhalt) {
  return std::string("<Description xmlns=\"") + kNs + "\">" + inhalt + "</Description>";
}
inline std::string Langtext(const std::string& detail) {
  return Description("<CompleteText><DetailTxt>" + detail + "</DetailTxt></CompleteText>");
}
inline std::string Kurztext(const std::string& outl) {
  return Description("<OutlineText><OutlTxt>" + outl + "</OutlTxt></OutlineText>");
}
inline std::string Span(const std::string& text, const std::string& stil = {}) {
  return (stil.empty() ? "<span>" : "<span style=\"" + stil + "\">") + text + "</span>";
}
inline std::string P(const std::string& inhalt) { return inhalt.empty() ? "<p/>" : "<p>" + inhalt + "</p>"; }

// True when s parses as well-formed XML (no DTD, no network).
inline bool Wohlgeformt(const std::string& s) {
  xmlDocPtr d = xmlReadMemory(s.data(), static_cast<int>(s.size()), nullptr, "UTF-8",
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  bool gut = d != nullptr;
  xmlFreeDoc(d);
  return gut;
}

}  // namespace gtc_test

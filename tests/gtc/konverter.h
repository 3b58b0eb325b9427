// Test helper: one instance of the converter library behind UTF-8 strings, so
// that test cases read as text in, text out, and the markup of expected
// results. It only forwards to the C interface; every conversion rule under
// test lives in the library.
#pragma once

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gtc/gtc.h"
#include "gtc/zeichen.h"

namespace gtc_test {

inline constexpr const char* kNs = "http://www.gaeb.de/GAEB_DA_XML/200407";
inline const std::string kNsAttr = std::string(" xmlns=\"") + kNs + "\"";
// The head of every RTF the library writes.
inline const std::string kKopf =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\\pard\\plain\\f0\\fs20 ";

inline std::string U8(const gtcWChar* p) { return gtc::Utf16NachUtf8(p); }
inline std::u16string U16(const std::string& s) { return gtc::Utf8NachUtf16(s); }

// The result of a conversion to XML or RTF: null pointers give "(null)".
struct Xml {
  std::string xml, fehler;
};

struct Zeile {
  std::string text;
  std::int32_t code, nummer;
  bool operator==(const Zeile&) const = default;
};

// One text to store: the call by the end of its name (RtfAdd K, L, A, AK, F,
// ML; AsciiAddLine as zK, zL, zAL, zAK, zF, zML), its text, and the tag or
// the line code and number the call takes.
struct Eingabe {
  std::string art, text = "";
  std::u16string tag = u"";
  std::uint8_t code = GTC_ZEILE_TEXT;
  std::int32_t nummer = 61;
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

  void Füge(const Eingabe& e) {
    const char* t = e.text.c_str();
    const gtcWChar* tag = e.tag.c_str();
    const std::string& a = e.art;
    if (a == "K") gtcRtfAddK(h_, t);
    if (a == "L") gtcRtfAddL(h_, t);
    if (a == "A") gtcRtfAddA(h_, t);
    if (a == "AK") gtcRtfAddAK(h_, t);
    if (a == "F") gtcRtfAddF(h_, t, tag);
    if (a == "ML") gtcRtfAddML(h_, t, tag);
    if (a == "zK") gtcAsciiAddLineK(h_, t, e.code, e.nummer);
    if (a == "zL") gtcAsciiAddLineL(h_, t, e.code, e.nummer);
    if (a == "zAL") gtcAsciiAddLineAL(h_, t);
    if (a == "zAK") gtcAsciiAddLineAK(h_, t);
    if (a == "zF") gtcAsciiAddLineF(h_, t, tag);
    if (a == "zML") gtcAsciiAddLineML(h_, t, tag);
  }

  Xml RtfNachXml(std::int32_t flag = 0) {
    const gtcWChar *x = nullptr, *f = nullptr;
    gtcRtf2gxml(h_, &x, &f, flag);
    return {Text(x), Text(f)};
  }
  Xml AsciiNachXml() {
    const gtcWChar *x = nullptr, *f = nullptr;
    gtcAscii2gxml(h_, &x, &f);
    return {Text(x), Text(f)};
  }
  // The markup of one long text given as RTF.
  std::string Markup(const std::string& rtf) {
    gtcRtfAddL(h_, rtf.c_str());
    return RtfNachXml().xml;
  }

  // teil: 'K', 'L' (with flag) or 'M'.
  Xml XmlNachRtf(const std::string& xml, char teil, std::int32_t flag = 0) {
    std::u16string x = U16(xml);
    const char* rtf = nullptr;
    const gtcWChar* f = nullptr;
    if (teil == 'K') gtcGxml2RtfK(h_, x.c_str(), &rtf, &f);
    if (teil == 'L') gtcGxml2RtfL(h_, x.c_str(), &rtf, flag, &f);
    if (teil == 'M') gtcGxml2RtfML(h_, x.c_str(), &rtf, &f);
    return {rtf != nullptr ? std::string(rtf) : "(null)", Text(f)};
  }

  // Converts to lines and fetches those of part 'K' or 'L'; fehler receives the error text.
  std::vector<Zeile> XmlNachZeilen(const std::string& xml, char teil, std::int32_t breite,
                                   std::string* fehler = nullptr) {
    std::u16string x = U16(xml);
    const gtcWChar* f = nullptr;
    gtcGxml2Ascii(h_, x.c_str(), &f, breite);
    if (fehler != nullptr) *fehler = Text(f);
    std::vector<Zeile> zeilen;
    const char* z = nullptr;
    std::int32_t code = 0, nummer = 0;
    while ((teil == 'K' ? gtcAsciiGetLineK : gtcAsciiGetLineL)(h_, &z, &code, &nummer) > -1)
      zeilen.push_back({z, code, nummer});
    return zeilen;
  }

 private:
  static std::string Text(const gtcWChar* p) { return p == nullptr ? "(null)" : U8(p); }
  std::int32_t h_;
};

// Markup of expected results.
inline std::string Wurzel(const std::string& name, const std::string& inhalt) {
  return "<" + name + kNsAttr + ">" + inhalt + "</" + name + ">";
}
inline std::string Description(const std::string& inhalt) { return Wurzel("Description", inhalt); }
inline std::string Langtext(const std::string& detail) {
  return Description("<CompleteText><DetailTxt>" + detail + "</DetailTxt></CompleteText>");
}
// A long text of paragraphs only.
inline std::string Lang(const std::string& absätze) { return Langtext("<Text>" + absätze + "</Text>"); }
inline std::string Kurztext(const std::string& outl) {
  return Description("<OutlineText><OutlTxt>" + outl + "</OutlTxt></OutlineText>");
}
inline std::string KurzUndLang(const std::string& kurz, const std::string& lang) {
  return Description("<CompleteText><DetailTxt><Text>" + lang + "</Text></DetailTxt><OutlineText><OutlTxt>"
                     "<TextOutlTxt>" + kurz + "</TextOutlTxt></OutlTxt></OutlineText></CompleteText>");
}
inline std::string Span(const std::string& text, const std::string& stil = {}) {
  return (stil.empty() ? "<span>" : "<span style=\"" + stil + "\">") + text + "</span>";
}
inline std::string P(const std::string& inhalt) { return inhalt.empty() ? "<p/>" : "<p>" + inhalt + "</p>"; }
inline std::string Lücke(const char* art, const char* marke, const std::string& body) {
  return std::string("<TextComplement Kind=\"") + art + "\" MarkLbl=\"" + marke +
         "\"><ComplCaption></ComplCaption><ComplBody>" + body + "</ComplBody><ComplTail></ComplTail></TextComplement>";
}
inline std::string Fehler(const std::string& t) { return "<gtcerrors><errors><error>" + t + "</error></errors></gtcerrors>"; }
inline std::string Hinweis(const std::string& t) {
  return "<gtcerrors><remarks><remark>" + t + "</remark></remarks></gtcerrors>";
}

// True when s parses as well-formed XML (no DTD, no network).
inline bool Wohlgeformt(const std::string& s) {
  xmlDocPtr d = xmlReadMemory(s.data(), static_cast<int>(s.size()), nullptr, "UTF-8",
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  bool gut = d != nullptr;
  xmlFreeDoc(d);
  return gut;
}

}  // namespace gtc_test

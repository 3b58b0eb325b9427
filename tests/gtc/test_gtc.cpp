// The converter library through its C interface; a small wrapper keeps the cases as UTF-8 text in, text out.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gtc/gtc.h"
#include "gtc/zeichen.h"

namespace gtc_test {
namespace {

constexpr const char* kNs = "http://www.gaeb.de/GAEB_DA_XML/200407";
const std::string kNsAttr = std::string(" xmlns=\"") + kNs + "\"";
// The head of every RTF the library writes.
const std::string kKopf =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\\pard\\plain\\f0\\fs20 ";

std::string U8(const gtcWChar* p) { return gtc::Utf16NachUtf8(p); }
std::u16string U16(const std::string& s) { return gtc::Utf8NachUtf16(s); }

// The result of a conversion to XML or RTF: null pointers give "(null)".
struct Xml { std::string xml, fehler; };

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
  ~Konverter() { gtcConvFree(h_); }
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

  // To markup: the RTF texts with the flag, or the plain lines (flag -2).
  Xml NachXml(std::int32_t flag = 0) {
    const gtcWChar *x = nullptr, *f = nullptr;
    flag == -2 ? gtcAscii2gxml(h_, &x, &f) : gtcRtf2gxml(h_, &x, &f, flag);
    return {Text(x), Text(f)};
  }
  // The markup of one long text given as RTF.
  std::string Markup(const std::string& rtf) {
    gtcRtfAddL(h_, rtf.c_str());
    return NachXml().xml;
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
std::string Wurzel(const std::string& n, const std::string& x) { return "<" + n + kNsAttr + ">" + x + "</" + n + ">"; }
std::string Description(const std::string& inhalt) { return Wurzel("Description", inhalt); }
std::string Langtext(const std::string& detail) {
  return Description("<CompleteText><DetailTxt>" + detail + "</DetailTxt></CompleteText>");
}
// A long text of paragraphs only.
std::string Lang(const std::string& absätze) { return Langtext("<Text>" + absätze + "</Text>"); }
std::string Kurztext(const std::string& outl) {
  return Description("<OutlineText><OutlTxt>" + outl + "</OutlTxt></OutlineText>");
}
std::string KurzUndLang(const std::string& kurz, const std::string& lang) {
  return Description("<CompleteText><DetailTxt><Text>" + lang + "</Text></DetailTxt><OutlineText><OutlTxt>"
                     "<TextOutlTxt>" + kurz + "</TextOutlTxt></OutlTxt></OutlineText></CompleteText>");
}
std::string Span(const std::string& text, const std::string& stil = {}) {
  return (stil.empty() ? "<span>" : "<span style=\"" + stil + "\">") + text + "</span>";
}
std::string P(const std::string& inhalt) { return inhalt.empty() ? "<p/>" : "<p>" + inhalt + "</p>"; }
std::string Lücke(const char* art, const char* marke, const std::string& body) {
  return std::string("<TextComplement Kind=\"") + art + "\" MarkLbl=\"" + marke +
         "\"><ComplCaption></ComplCaption><ComplBody>" + body + "</ComplBody><ComplTail></ComplTail></TextComplement>";
}
std::string Fehler(const std::string& t) { return "<gtcerrors><errors><error>" + t + "</error></errors></gtcerrors>"; }
std::string Hinweis(const std::string& t) {
  return "<gtcerrors><remarks><remark>" + t + "</remark></remarks></gtcerrors>";
}

// True when s parses as well-formed XML (no DTD, no network).
bool Wohlgeformt(const std::string& s) {
  xmlDocPtr d = xmlReadMemory(s.data(), static_cast<int>(s.size()), nullptr, "UTF-8",
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  bool gut = d != nullptr;
  xmlFreeDoc(d);
  return gut;
}

TEST(gtcSchnittstelle, InstanzenHandlesUndErgebnisse) {
  EXPECT_EQ(gtcConvCreate(0), 0);
  EXPECT_EQ(gtcConvCreate(GTC_KENNUNG + 1), 0);
  std::int32_t a = gtcConvCreate(GTC_KENNUNG), b = gtcConvCreate(GTC_KENNUNG);
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  EXPECT_NE(a, b);
  // The result of a stays valid while b is used.
  const gtcWChar *xa = nullptr, *xb = nullptr, *f = nullptr;
  gtcRtfAddL(a, "{\\rtf1 aaa}");
  gtcRtf2gxml(a, &xa, &f, 0);
  gtcRtfAddL(b, "{\\rtf1 bbb}");
  gtcRtf2gxml(b, &xb, &f, 0);
  EXPECT_NE(U8(xa).find("aaa"), std::string::npos);
  EXPECT_NE(U8(xb).find("bbb"), std::string::npos);
  EXPECT_EQ(gtcConvFree(a), GTC_OK);
  // A freed handle is unknown to every call.
  const char* z = nullptr;
  EXPECT_EQ(gtcConvFree(a), GTC_UNBEKANNT);
  EXPECT_EQ(gtcRtfAddL(a, "x"), GTC_UNBEKANNT);
  EXPECT_EQ(gtcRtf2gxml(a, &xa, &f, 0), GTC_UNBEKANNT);
  EXPECT_EQ(gtcAsciiClear(a), GTC_UNBEKANNT);
  EXPECT_EQ(gtcAsciiGetLineL(a, &z, nullptr, nullptr), GTC_UNBEKANNT);
  EXPECT_EQ(gtcConvFree(b), GTC_OK);
}

TEST(gtcSchnittstelle, NullArgumenteUndZeilenAbholen) {
  Konverter k;
  // A null text counts as empty.
  EXPECT_EQ(gtcRtfAddL(k.h(), nullptr), GTC_OK);
  EXPECT_EQ(k.NachXml().xml, Langtext("<Text/>"));
  EXPECT_EQ(gtcRtf2gxml(k.h(), nullptr, nullptr, 0), GTC_ARGUMENT);
  EXPECT_EQ(gtcAscii2gxml(k.h(), nullptr, nullptr), GTC_ARGUMENT);
  EXPECT_EQ(gtcGxml2RtfK(k.h(), nullptr, nullptr, nullptr), GTC_ARGUMENT);
  EXPECT_EQ(gtcGxml2Ascii(k.h(), nullptr, nullptr, 55), GTC_ARGUMENT);
  EXPECT_EQ(gtcAsciiGetLineK(k.h(), nullptr, nullptr, nullptr), GTC_ARGUMENT);
  // A null xml is an empty document: an error, no result.
  const char* rtf = reinterpret_cast<const char*>(1);
  const gtcWChar* f = nullptr;
  EXPECT_EQ(gtcGxml2RtfL(k.h(), nullptr, &rtf, -1, &f), GTC_OK);
  EXPECT_EQ(rtf, nullptr);
  EXPECT_NE(f, nullptr);
  // Lines are numbered from 0, then -1 with a null line; code and number may
  // be null; a new conversion starts the lines anew.
  std::u16string xml = U16(Lang(P(Span("eins")) + P(Span("zwei"))));
  ASSERT_EQ(gtcGxml2Ascii(k.h(), xml.c_str(), &f, 55), GTC_OK);
  const char* z = nullptr;
  std::int32_t code = 0, nummer = 0;
  EXPECT_EQ(gtcAsciiGetLineL(k.h(), &z, &code, &nummer), 0);
  EXPECT_STREQ(z, "eins\r\n");
  EXPECT_EQ(gtcAsciiGetLineL(k.h(), &z, nullptr, nullptr), 1);
  EXPECT_STREQ(z, "zwei\r\n");
  EXPECT_EQ(gtcAsciiGetLineL(k.h(), &z, &code, &nummer), -1);
  EXPECT_EQ(z, nullptr);
  EXPECT_EQ(gtcAsciiGetLineK(k.h(), &z, &code, &nummer), -1);
  ASSERT_EQ(gtcGxml2Ascii(k.h(), xml.c_str(), &f, 55), GTC_OK);
  EXPECT_EQ(gtcAsciiGetLineL(k.h(), &z, &code, &nummer), 0);
}

TEST(gtcTextarten, KurzLangUndBeideMitZwischenumsetzung) {
  Konverter k;
  gtcRtfAddK(k.h(), R"({\rtf1 Kurz})");
  // The class converts after the short text and then adds the long text: the
  // stored short text must survive the first conversion.
  EXPECT_EQ(k.NachXml().xml, Kurztext("<TextOutlTxt>" + P(Span("Kurz")) + "</TextOutlTxt>"));
  gtcRtfAddL(k.h(), R"({\rtf1 Lang})");
  EXPECT_EQ(k.NachXml().xml, KurzUndLang(P(Span("Kurz")), P(Span("Lang"))));
  // An empty short text adds no OutlineText to a long text.
  gtcRtfAddK(k.h(), "");
  EXPECT_EQ(k.NachXml().xml, Lang(P(Span("Lang"))));
  // Clearing the lines empties their buffer only.
  gtcAsciiAddLineL(k.h(), "x", GTC_ZEILE_TEXT, 61);
  gtcAsciiClear(k.h());
  EXPECT_EQ(k.NachXml(-2).xml, "(null)");
  EXPECT_EQ(k.NachXml(-2).fehler, "(null)");
}

TEST(gtcTextarten, WurzelJeGespeicherterTexte) {
  std::string zeile, umriss;
  for (int i = 0; i < 30; ++i) zeile += "äöü ";  // 120 characters
  for (int i = 0; i < 25; ++i) umriss += "äöü ";
  const std::string detail = "<DetailAddText>" +
                             P(Span("Erste", "font-weight:bold;") + Span(" Zeile") + "<br/>" + Span("Rest")) +
                             P(Span("Zweiter")) + "</DetailAddText>";
  const std::string zusatz = R"({\rtf1 {\b Erste} Zeile\line Rest\par Zweiter})";
  const std::string titel = P(Span("Titel ") + Span("A", "font-style:italic;")) + P(Span("B"));
  const std::string titelRtf = R"({\rtf1 Titel {\i A}\par B})";
  // flag: that of gtcRtf2gxml; for plain lines -2.
  struct Fall { std::vector<Eingabe> eingaben; int flag; std::string xml, fehler = "(null)"; };
  const Fall fälle[] = {
      // A short text alone is written even when empty.
      {{{"K", "{\\rtf1 }"}}, 0, Kurztext("<TextOutlTxt/>")},
      {{{"A", zusatz}}, 0, Wurzel("AddText", detail)},
      // Flag -1: the first line (up to the line break) becomes the outline,
      // at most 100 characters.
      {{{"A", zusatz}}, -1,
       Wurzel("AddText", "<OutlineAddText>" + P(Span("Erste", "font-weight:bold;") + Span(" Zeile")) +
                             "</OutlineAddText>" + detail)},
      {{{"A", gtc::Utf8NachCp1252(zeile)}}, -1,
       Wurzel("AddText", "<OutlineAddText>" + P(Span(umriss)) + "</OutlineAddText><DetailAddText>" +
                             P(Span(zeile)) + "</DetailAddText>")},
      {{{"AK", R"({\rtf1 Nur kurz})"}}, -1,
       Wurzel("AddText", "<OutlineAddText>" + P(Span("Nur kurz")) + "</OutlineAddText><DetailAddText/>")},
      {{{"F", titelRtf, u"Descrip"}}, 0, Wurzel("Descrip", titel)},
      {{{"ML", titelRtf, u"LblTx"}}, 0, Wurzel("LblTx", titel)},
      {{{"ML", titelRtf, u"ArtOutline"}}, 0, Wurzel("ArtOutline", titel)},
      // Gaps inside a label are ordinary text there.
      {{{"ML", R"({\rtf1 a{\*\bkmkstart TB1}b{\*\bkmkend TB1}c})", u"LblTx"}}, 0, Wurzel("LblTx", P(Span("abc")))},
      {{{"F", R"({\rtf1 x})", u"Description"}}, 0, "(null)",
       Fehler("Das Element &quot;Description&quot; kann keinen GAEB-Text aufnehmen.")},
      {{{"K", R"({\rtf1 x})"}, {"A", R"({\rtf1 y})"}}, 0, "(null)",
       Fehler("Texte verschiedener Arten (Kurz- und Langtext, Zusatztext, Textelement) können nicht in ein "
              "Element umgesetzt werden.")},
      {{}, 0, "(null)"},
      // Each text's remarks are reported with every conversion that uses it.
      {{{"K", R"({\rtf1 a}b)"}, {"L", R"({\rtf1 b)"}}, 0, KurzUndLang(P(Span("a")), P(Span("b"))),
       "<gtcerrors><remarks><remark>Zeichen nach dem Ende des RTF-Textes wurden nicht übernommen.</remark>"
       "<remark>Der RTF-Text endet vor dem Schluss seiner Gruppen.</remark></remarks></gtcerrors>"},
      // Plain lines.
      {{{"zK", "Kurz \xE4", u"", GTC_ZEILE_TEXT, 60}, {"zL", "Erste\tZeile"}, {"zL", "Zweite\r\nDritte\n"},
        {"zL", ""}, {"zL", "<&>\x01"}}, -2,
       KurzUndLang(P(Span("Kurz ä")), P(Span("Erste\tZeile")) + P(Span("Zweite")) + P(Span("Dritte")) + P("") +
                                          P(Span("&lt;&amp;&gt;")))},
      {{{"zL", "'30 cm'", u"", GTC_ZEILE_BIETER, 2}}, -2,
       "<TextComplement" + kNsAttr + Lücke("Bidder", "2", P(Span("'30 cm'"))).substr(15)},
      // A gap continues the line before it; lines of one gap stay together;
      // the next text line starts a new line.
      {{{"zL", "Fabrikat:"}, {"zL", "eins", u"", GTC_ZEILE_BIETER, 3}, {"zL", "zwei", u"", GTC_ZEILE_BIETER, 3},
        {"zL", "vom AG", u"", GTC_ZEILE_AUFTRAGGEBER, 4}, {"zL", "Ende"}, {"zL", "fremd", u"", 'X', 0}}, -2,
       Langtext("<Text>" + P(Span("Fabrikat:")) + "</Text>" + Lücke("Bidder", "3", P(Span("eins")) + P(Span("zwei"))) +
                Lücke("Owner", "4", P(Span("vom AG"))) + "<Text>" + P("") + P(Span("Ende")) + "</Text>"),
       Fehler("Die Zeilenart 88 ist unbekannt; die Zeile wurde nicht übernommen.")},
      // Plain lines have no flag: no outline is derived.
      {{{"zAL", "Zusatz"}}, -2, Wurzel("AddText", "<DetailAddText>" + P(Span("Zusatz")) + "</DetailAddText>")},
      {{{"zAK", "Kurz"}, {"zAL", "Lang"}}, -2,
       Wurzel("AddText", "<OutlineAddText>" + P(Span("Kurz")) + "</OutlineAddText><DetailAddText>" +
                             P(Span("Lang")) + "</DetailAddText>")},
      {{{"zF", "Projekt", u"Descrip"}, {"zF", "Bau", u"Descrip"}}, -2,
       Wurzel("Descrip", P(Span("Projekt")) + P(Span("Bau")))},
      {{{"zML", "Rohbau", u"LblTx"}}, -2, Wurzel("LblTx", P(Span("Rohbau")))},
      {{{"zML", "x", u"p"}}, -2, "(null)", Fehler("Das Element &quot;p&quot; kann keinen GAEB-Text aufnehmen.")},
  };
  for (std::size_t i = 0; i < std::size(fälle); ++i) {
    const Fall& f = fälle[i];
    Konverter k;
    for (const Eingabe& e : f.eingaben) k.Füge(e);
    Xml r = k.NachXml(f.flag);
    EXPECT_EQ(r.xml, f.xml) << "Fall " << i;
    EXPECT_EQ(r.fehler, f.fehler) << "Fall " << i;
  }
}

std::string Lückentext(const char* art, const char* nr, const std::string& t) { return Lücke(art, nr, P(Span(t))); }

const std::string kSchriften =
    R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\froman\fcharset2 Symbol;})"
    R"({\f2\fnil\fcharset2 Wingdings;}{\f3\fcharset238 Arial CE;}{\f4\fcharset128 MS Mincho;})"
    R"({\f5\fcharset161{\*\panose 02020603050405020304} Greek;}{\f6\cpg1251 Kyrill;}})";

TEST(gtcRtfLeser, RtfNachMarkup) {
  const std::string tief = std::string(100000, '{') + "tief" + std::string(100000, '}');
  const std::string offen = Hinweis("Der RTF-Text endet vor dem Schluss seiner Gruppen.");
  struct Fall { std::string rtf, xml, fehler = "(null)"; };
  const Fall fälle[] = {
      {R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}{\colortbl;\red255\green0\blue0;})"
       R"(\pard\f0\fs20 Beton {\b C25/30}, {\i kursiv} und {\ul unter}{\b\i beides}\par )"
       R"(W\'e4nde\tab B\u246?den\line neue Zeile\par})",
       Lang(P(Span("Beton ") + Span("C25/30", "font-weight:bold;") + Span(", ") + Span("kursiv", "font-style:italic;") +
              Span(" und ") + Span("unter", "text-decoration:underline;") +
              Span("beides", "font-weight:bold;font-style:italic;")) +
            P(Span("Wände\tBöden") + "<br/>" + Span("neue Zeile")))},
      // \b0, \i0, \ulnone switch off; \plain resets every character format.
      {R"({\rtf1 \b fett\b0 normal\i\ul X\ulnone Y\plain Z\ul0 W})",
       Lang(P(Span("fett", "font-weight:bold;") + Span("normal") +
              Span("X", "font-style:italic;text-decoration:underline;") + Span("Y", "font-style:italic;") +
              Span("ZW")))},
      // \ucN drops N fallback units after \uN; the count ends at the group
      // boundary; surrogate pairs join.
      {R"({\rtf1 a{\uc2\u8364 XX}b{\uc0\u8364 c}{\u8804?d}{\u-10179?\u-8704?e}{\u228\'e4f}{\uc3\u228}X})",
       Lang(P(Span("a€b€c≤d\U0001F600eäfäX")))},
      {"{\\rtf1 \\'80 \\'e4\\'f6\\'fc\\'df \xC4 \\~x\\-y\\_z \\emdash\\endash\\bullet "
       "\\lquote\\rquote\\ldblquote\\rdblquote\\'01\\'0b}",
       Lang(P(Span("€ äöüß Ä \u00A0xy-z —–•‘’“”")))},
      {R"({\rtf1 \{x\} a\\b & <tag> "q"})", Lang(P(Span("{x} a\\b &amp; &lt;tag&gt; &quot;q&quot;")))},
      {R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}{\colortbl;\red0\green0\blue0;}{\stylesheet{\s0 Normal;}})"
       R"({\info{\title Titel}{\author A}}{\*\generator Writer 1.0;}{\header Kopfzeile}{\footer Fuss})"
       R"({\*\unbekannt versteckt}\viewkind4\uc1\pard\f0\fs20\cf1 sichtbar)"
       R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt Verweis}} {\v verborgen}ende \foobar42 mehr)"
       R"({\listtext\'b7\tab}Punkt})",
       Lang(P(Span("sichtbarVerweis ende mehr·\tPunkt")))},
      // Characters in the code page of their font: the symbol fonts' bullets,
      // arrows and Greek letters (also as \uN in the private use area),
      // Central European, double-byte Japanese (a trail byte may be "\"),
      // Greek, \cpg, and back to the Western default font.
      {kSchriften + R"({\listtext\f1\'b7\tab}a{\f2\'a7 \'fc}{\f1 a\'b3\'ae}{\f1\u61623\'b7}{\f3\'e8\'f8})"
                    R"({\f4\'82\'a0\'95\'5c}{\f5\'e1}{\f6\'c4\'e0}\'e8})",
       Lang(P(Span("•\ta▪ ✓α≥→•čřあ表αДаè")))},
      // Without a font table the document's code page counts, for raw bytes too.
      {"{\\rtf1\\ansi\\ansicpg1250 \\'e8\xf8}", Lang(P(Span("čř")))},
      {"{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\\f0 \\'e8\\plain\\'e8}", Lang(P(Span("čč")))},
      // Pictures are left out without a word, whatever their format.
      {R"({\rtf1 a{\*\shppict{\pict\pngblip 89504e}}{\nonshppict{\pict\wmetafile8 0102}}b{\pict\emfblip 01}c})",
       Lang(P(Span("abc")))},
      // Bookmarks TB<n>/TA<n> are gaps; others are skipped.
      {R"({\rtf1 Beton {\*\bkmkstart TB2}30 cm{\*\bkmkend TB2} dick{\*\bkmkstart Anker}{\*\bkmkend Anker}\par )"
       R"(Zeile{\*\bkmkstart TA7}Wert{\*\bkmkend TA7}\par Ende})",
       Langtext("<Text>" + P(Span("Beton ")) + "</Text>" + Lückentext("Bidder", "2", "30 cm") + "<Text>" +
                P(Span(" dick")) + P(Span("Zeile")) + "</Text>" + Lückentext("Owner", "7", "Wert") + "<Text>" +
                P("") + P(Span("Ende")) + "</Text>")},
      // A gap left open ends with the text; TB without number takes the next one.
      {R"({\rtf1 {\*\bkmkstart TB}x{\*\bkmkend TB}{\*\bkmkstart TB}y})",
       Langtext(Lückentext("Bidder", "1", "x") + Lückentext("Bidder", "2", "y"))},
      // Labels are integers of any sign up to 64 bits; anything else is no gap.
      {R"({\rtf1 {\*\bkmkstart TB-3}a{\*\bkmkend TB-3}{\*\bkmkstart TA9223372036854775807}b)"
       R"({\*\bkmkend TA9223372036854775807}{\*\bkmkstart TB9223372036854775808}c)"
       R"({\*\bkmkstart TB-}d{\*\bkmkstart TB1x}e{\*\bkmkstart TX1}f})",
       Langtext(Lückentext("Bidder", "-3", "a") + Lückentext("Owner", "9223372036854775807", "b") + "<Text>" +
                P(Span("cdef")) + "</Text>")},
      // Without RTF header: plain text.
      {"Zeile 1\r\n{kein} \\rtf\tTab\r\n\r\nZeile 4\r\n",
       Lang(P(Span("Zeile 1")) + P(Span("{kein} \\rtf\tTab")) + P("") + P(Span("Zeile 4")))},
      {"", Langtext("<Text/>")},
      {"  \r\n{\\rtf1 x}", Lang(P(Span("x")))},
      // The last \par ends the last paragraph; a further one adds an empty one.
      {R"({\rtf1 a\par})", Lang(P(Span("a")))},
      {R"({\rtf1 a\par\pard\par b})", Lang(P(Span("a")) + P("") + P(Span("b")))},
      // Too deep nesting loses the deeper content with an error; up to the
      // limit the content stays.
      {"{\\rtf1 vorher" + tief + "nachher{\\b fett}}",
       Lang(P(Span("vorhernachher") + Span("fett", "font-weight:bold;"))),
       Fehler("Der RTF-Text ist tiefer als 256 Gruppen verschachtelt; der tiefere Inhalt fehlt.")},
      {"{\\rtf1 " + std::string(254, '{') + "innen" + std::string(254, '}') + "}", Lang(P(Span("innen")))},
      {R"({\rtf1 {\b fett)", Lang(P(Span("fett", "font-weight:bold;"))), offen},
      {"{\\rtf1 a}b}\r\n", Lang(P(Span("a"))),
       Hinweis("Zeichen nach dem Ende des RTF-Textes wurden nicht übernommen.")},
      {"{\\rtf1 a}\r\n  ", Lang(P(Span("a")))},
      // Cut escapes, absurd parameters and binary data never break the reader.
      {"{\\rtf1 a\\'4}", Lang(P(Span("a")))},
      {"{\\rtf1 a\\u}", Lang(P(Span("a")))},
      {"{\\rtf1 a\\u99999999999999999999 bc}", Lang(P(Span("a\uFFFDc")))},
      {"{\\rtf1 a\\uc999999999\\u228 bcdef}", Lang(P(Span("aä")))},
      {"{\\rtf1 a\\bin3 {}}\\b x}", Lang(P(Span("a") + Span("x", "font-weight:bold;")))},
      {"{\\rtf1 a\\bin999999999 xyz}", Lang(P(Span("a"))), offen},
      {"{\\rtf1 a\\bin-5 x}", Lang(P(Span("ax")))},
      {"{\\rtf1 a\\" + std::string(10000, 'x') + "123456789012345678901234 b}", Lang(P(Span("ab")))},
      {kSchriften + "{\\f4\\'82}x\\f" + std::string(30, '9') + " \\'e4}", Lang(P(Span("xä")))},
  };
  for (const Fall& f : fälle) {
    Konverter k;
    gtcRtfAddL(k.h(), f.rtf.c_str());
    Xml r = k.NachXml();
    EXPECT_EQ(r.xml, f.xml) << f.rtf.substr(0, 200);
    EXPECT_EQ(r.fehler, f.fehler) << f.rtf.substr(0, 200);
  }
}

const std::string kLücken =
    R"({\rtf1 Beton {\*\bkmkstart TB2}30 cm{\*\bkmkend TB2} dick\par )"
    R"(Zeile{\*\bkmkstart TA7}Wert{\*\bkmkend TA7}\par Ende})";

TEST(gtcNachRtf, TeileFormateZeichenUndLücken) {
  Konverter k;
  const std::string lücken = k.Markup(kLücken), beide = KurzUndLang(P(Span("Kurz")), P(Span("Lang")));
  struct Fall { std::string xml; char teil; std::int32_t flag; std::string rtf; };
  const Fall fälle[] = {
      {Lang(P(Span("Beton ") + Span("C25/30", "font-weight:bold;")) +
            P(Span("Wände\t€ ≤ {x}\\") + "<br/>" + Span("Ende", "font-style:italic;text-decoration:underline;"))),
       'L', -1,
       kKopf + "Beton \\b C25/30\\par \\b0 W\\'e4nde\\tab \\'80 \\u8804? \\{x\\}\\\\\\line \\i\\ul Ende\\par}"},
      // Characters beyond the basic plane become a surrogate pair.
      {Lang(P(Span("\U0001F600"))), 'L', 0, kKopf + "\\u-10179?\\u-8704?\\par}"},
      {beide, 'K', 0, kKopf + "Kurz\\par}"},
      {beide, 'L', 0, kKopf + "Lang\\par}"},
      // A part the fragment does not hold gives nothing, without error.
      {Lang(P(Span("Lang"))), 'K', 0, "(null)"},
      {Wurzel("LblTx", P(Span("Rohbau"))), 'M', 0, kKopf + "Rohbau\\par}"},
      {Wurzel("Descrip", P(Span("Projekt"))), 'M', 0, kKopf + "Projekt\\par}"},
      {Lang(""), 'L', 0, kKopf + "}"},
      // Gaps: bookmarks with flag -1, ordinary text without.
      {lücken, 'L', -1,
       kKopf + R"(Beton {\*\bkmkstart TB2}30 cm{\*\bkmkend TB2} dick\par )"
               R"(Zeile{\*\bkmkstart TA7}Wert{\*\bkmkend TA7}\par Ende\par})"},
      {lücken, 'L', 0, kKopf + R"(Beton 30 cm dick\par ZeileWert\par Ende\par})"},
  };
  for (const Fall& f : fälle) {
    Xml r = k.XmlNachRtf(f.xml, f.teil, f.flag);
    EXPECT_EQ(r.xml, f.rtf) << f.xml;
    EXPECT_EQ(r.fehler, "(null)") << f.xml;
  }
}

TEST(gtcNachRtf, RundreiseRtfXmlRtfXml) {
  // Markup made from RTF, turned back into RTF and read again, is the same.
  const char* fälle[] = {
      R"({\rtf1 Beton {\b C25/30}\par liefern})",
      R"({\rtf1 {\b\i\ul a}{\i b}\tab c\line d\par\par e\par})",
      R"({\rtf1 W\'e4nde \u8804? {\*\bkmkstart TB1}x\par y{\*\bkmkend TB1}\par z})",
      R"({\rtf1 {\*\bkmkstart TB4}nur{\*\bkmkend TB4}})",
      R"({\rtf1 {\*\bkmkstart TB-3}neg{\*\bkmkend TB-3})"
      R"({\*\bkmkstart TA9223372036854775807}max{\*\bkmkend TA9223372036854775807}})",
      R"({\rtf1 })",
  };
  for (const char* rtf : fälle) {
    Konverter k, k2;
    std::string xml1 = k.Markup(rtf);
    gtcRtfAddL(k2.h(), k.XmlNachRtf(xml1, 'L', -1).xml.c_str());
    Xml r2 = k2.NachXml();
    EXPECT_EQ(r2.xml, xml1) << rtf;
    EXPECT_EQ(r2.fehler, "(null)") << rtf;
  }
}

// The texts of the lines, each followed by "|".
std::string Texte(const std::vector<Zeile>& zeilen) {
  std::string s;
  for (const Zeile& z : zeilen) s += z.text + "|";
  return s;
}

TEST(gtcNachZeilen, UmbruchAnLeerzeichenBei55Zeichen) {
  // Twelve words of 10 characters: five fit into 55 (54 with blanks).
  const std::string absatz = "Wort000001 Wort000002 Wort000003 Wort000004 Wort000005 Wort000006 "
                             "Wort000007 Wort000008 Wort000009 Wort000010 Wort000011 Wort000012";
  Konverter k;
  std::string xml = Lang(P(Span(absatz)) + P("") + P(Span(std::string(60, 'x') + " Rest")) +
                         P(Span("a") + "<br/>" + Span("≤ ä", "font-weight:bold;")));
  std::string fehler;
  std::vector<Zeile> zeilen = k.XmlNachZeilen(xml, 'L', 55, &fehler);
  EXPECT_EQ(Texte(zeilen), "Wort000001 Wort000002 Wort000003 Wort000004 Wort000005\r\n|"
                           "Wort000006 Wort000007 Wort000008 Wort000009 Wort000010\r\n|Wort000011 Wort000012\r\n|"
                           "\r\n|" + std::string(55, 'x') + "\r\n|xxxxx Rest\r\n|a\r\n|? \xE4\r\n|");
  for (const Zeile& z : zeilen) EXPECT_EQ(z, (Zeile{z.text, GTC_ZEILE_TEXT, 61}));
  EXPECT_EQ(fehler, "(null)");
  // The short part of this fragment is empty; without a width nothing breaks.
  EXPECT_TRUE(k.XmlNachZeilen(xml, 'K', 55).empty());
  EXPECT_EQ(k.XmlNachZeilen(xml, 'L', 0).front().text, absatz + "\r\n");
}

TEST(gtcNachZeilen, KurzLangUndLückenzeilen) {
  Konverter k;
  gtcRtfAddK(k.h(), R"({\rtf1 Kurztext})");
  std::string xml = k.Markup(kLücken);
  EXPECT_EQ(k.XmlNachZeilen(xml, 'K', 55), (std::vector<Zeile>{{"Kurztext\r\n", GTC_ZEILE_TEXT, 60}}));
  EXPECT_EQ(k.XmlNachZeilen(xml, 'L', 55), (std::vector<Zeile>{{"Beton 30 cm dick\r\n", GTC_ZEILE_BIETER, 2},
                                                                {"ZeileWert\r\n", GTC_ZEILE_AUFTRAGGEBER, 7},
                                                                {"Ende\r\n", GTC_ZEILE_TEXT, 61}}));
  // Lines in, lines out: the same lines.
  Konverter z;
  for (const char* t : {"Erste Zeile", "", "Dritte\tZeile"}) gtcAsciiAddLineL(z.h(), t, GTC_ZEILE_TEXT, 61);
  EXPECT_EQ(z.XmlNachZeilen(z.NachXml(-2).xml, 'L', 55),
            (std::vector<Zeile>{{"Erste Zeile\r\n", GTC_ZEILE_TEXT, 61}, {"\r\n", GTC_ZEILE_TEXT, 61},
                                {"Dritte\tZeile\r\n", GTC_ZEILE_TEXT, 61}}));
}

TEST(gtcXmlLeser, FremdesMarkupListenTabellenUndNamensräume) {
  std::string xml =
      "<g:Descrip xmlns:g=\"" + std::string(kNs) +
      "\">\n  <g:ul><g:li><g:p><g:span>eins</g:span></g:p></g:li><g:li>zwei</g:li></g:ul>"
      "<g:ol><g:li>a</g:li><g:li>b</g:li></g:ol>"
      "<g:table><g:tr><g:td>A</g:td><g:th><g:p>B</g:p></g:th></g:tr></g:table>"
      "<g:div style=\"FONT-WEIGHT: Bold\">fett</g:div>"
      "<g:span>lose</g:span><g:br/><g:span>weiter<x:notiz xmlns:x=\"urn:x\">fremd</x:notiz></g:span>"
      "<x:block xmlns:x=\"urn:x\"><g:p>nicht</g:p></x:block>"
      "<g:p style=\"font-style:italic\">kursiv <g:span style=\"text-decoration:underline\">u</g:span>"
      "<g:image Type=\"image/png\">AAAA</g:image></g:p>"
      "<g:p><g:span>zwei\n Zeilen</g:span></g:p>\n</g:Descrip>";
  Konverter k;
  std::string fehler;
  EXPECT_EQ(Texte(k.XmlNachZeilen(xml, 'L', 55, &fehler)),
            "- eins\r\n|- zwei\r\n|1. a\r\n|2. b\r\n|A\tB\r\n|fett\r\n|lose\r\n|weiterfremd\r\n|kursiv u\r\n|"
            "zwei  Zeilen\r\n|");
  EXPECT_EQ(fehler, Hinweis("Ein Bild wurde nicht übernommen."));
  std::string rtf = k.XmlNachRtf(xml, 'L').xml;
  EXPECT_NE(rtf.find("\\b fett\\par \\b0 lose\\line weiterfremd\\par \\i kursiv \\ul u\\par"), std::string::npos)
      << rtf;
}

// text inside n nested div elements.
std::string Verschachtelt(int n, const std::string& text) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "<div>";
  s += text;
  for (int i = 0; i < n; ++i) s += "</div>";
  return s;
}

TEST(gtcXmlLeser, WurzelnUndUnbekannteKinder) {
  // Each root takes its own children; unknown ones are left out, an
  // attachment and a label that is no number with a remark.
  const std::string a = P(Span("a"));
  struct Fall { std::string xml; char teil; std::string rtf, fehler = "(null)"; };
  const Fall fälle[] = {
      {Wurzel("CompleteText", "<Foo/><DetailTxt><Foo>x</Foo><attachment/><Text>" + a +
                                  "</Text><TextComplement Kind=\"Owner\" MarkLbl=\"zz\"><Bar/><ComplBody>" +
                                  P(Span("g")) + "</ComplBody></TextComplement></DetailTxt>"),
       'L', kKopf + R"(a{\*\bkmkstart TA0}g{\*\bkmkend TA0}\par})",
       "<gtcerrors><remarks><remark>Ein Anhang wurde nicht übernommen.</remark><remark>Die Marke &quot;zz&quot; "
       "einer Textergänzung ist keine Zahl.</remark></remarks></gtcerrors>"},
      {Wurzel("OutlineText", "<Foo/><OutlTxt><TextOutlTxt>" + a + "</TextOutlTxt></OutlTxt><OutlTxt><TextOutlTxt>" +
                                 P(Span("b")) + "</TextOutlTxt></OutlTxt>"),
       'K', kKopf + "a\\par}"},
      {Description("<Foo/><OutlineText><OutlTxt><TextOutlTxt>" + a + "</TextOutlTxt></OutlTxt></OutlineText>"), 'K',
       kKopf + "a\\par}"},
      {Wurzel("AddText", "<Foo/><DetailAddText>" + a + "</DetailAddText>"), 'L', kKopf + "a\\par}"},
      {"<TextComplement" + kNsAttr + " Kind=\"Bidder\" MarkLbl=\"5\"><ComplTail>" + P(Span("t")) +
           "</ComplTail><ComplBody>" + a + "</ComplBody></TextComplement>",
       'L', kKopf + R"({\*\bkmkstart TB5}a{\*\bkmkend TB5}t\par})"},
      {Wurzel("LblTx", "<table><caption>c</caption><tr><x>y</x><td>A</td><td>B</td></tr></table>" + a + "<page/>" +
                           P(Span("b"))),
       'M', kKopf + "A\\tab B\\par a\\par \\par b\\par}"},  // a page ends its paragraph
      // Blocks nested up to 512 levels keep their content; deeper content is left out with an error.
      {Wurzel("LblTx", Verschachtelt(511, "innen")), 'M', kKopf + "innen\\par}"},
      {Wurzel("LblTx", "a" + Verschachtelt(512, "tief") + "b"), 'M', kKopf + "a\\par \\par b\\par}",
       Fehler("Der GAEB-XML-Text ist tiefer als 512 Ebenen verschachtelt; der tiefere Inhalt fehlt.")},
  };
  for (const Fall& f : fälle) {
    Konverter k;
    Xml r = k.XmlNachRtf(f.xml, f.teil, -1);
    EXPECT_EQ(r.xml, f.rtf) << f.xml;
    EXPECT_EQ(r.fehler, f.fehler) << f.xml;
  }
}

TEST(gtcXmlLeser, FehlerhaftesXml) {
  std::string bombe = "<!DOCTYPE LblTx [<!ENTITY a \"aaaaaaaaaa\">";
  for (char e = 'b'; e <= 'k'; ++e) {
    std::string zehn;
    for (int i = 0; i < 10; ++i) zehn += std::string("&") + static_cast<char>(e - 1) + ";";
    bombe += "<!ENTITY " + std::string(1, e) + " \"" + zehn + "\">";
  }
  bombe += "]><LblTx><p><span>&k;</span></p></LblTx>";
  const std::string kaputt = "Der GAEB-XML-Text ist nicht wohlgeformt: ",
                    dtd = "Ein GAEB-XML-Text darf keine Dokumenttyp-Deklaration (DTD, Entitäten) enthalten.";
  const std::pair<std::string, std::string> fälle[] = {
      {"<Description" + kNsAttr + "><CompleteText>", kaputt},
      {"", kaputt},
      {"<LblTx>&unbekannt;</LblTx>", kaputt},
      {"<!DOCTYPE LblTx [<!ENTITY a \"b\">]><LblTx>&a;</LblTx>", dtd},
      {bombe, dtd},
      {"<!DOCTYPE LblTx SYSTEM \"file:///etc/passwd\"><LblTx/>", dtd},
      {Wurzel("GAEB", ""), "Das Element GAEB ist kein Textelement von GAEB DA XML."},
      {"<LblTx xmlns=\"urn:anders\"/>", "Das Element LblTx gehört nicht zum Namensraum von GAEB DA XML."},
  };
  for (const auto& [xml, fehler] : fälle) {
    Konverter k;
    Xml r = k.XmlNachRtf(xml, 'L');
    EXPECT_EQ(r.xml, "(null)") << xml;
    // Parser messages are libxml2's own; only the start of those is fixed.
    EXPECT_EQ(r.fehler.rfind("<gtcerrors><errors><error>" + fehler, 0), 0u) << r.fehler;
    EXPECT_TRUE(r.fehler.ends_with("</error></errors></gtcerrors>")) << r.fehler;
    std::string zeilenfehler;
    EXPECT_TRUE(k.XmlNachZeilen(xml, 'L', 55, &zeilenfehler).empty());
    EXPECT_EQ(zeilenfehler, r.fehler);
  }
}

// Long texts: a run over 10 MB reads back, and reading markup takes memory
// in proportion to the text, not to a tree of the document (measured in a
// child process, whose peak starts with the input already built; about 6.5
// times the markup, against more than 20 with a tree).
TEST(gtcXmlLeser, LangeTexteUndSpeicher) {
  Konverter k;
  const std::string lauf(10'500'000, 'a');
  gtcAsciiAddLineL(k.h(), lauf.c_str(), GTC_ZEILE_TEXT, 61);
  Xml hin = k.NachXml(-2);
  EXPECT_EQ(hin.xml, Lang(P(Span(lauf))));
  EXPECT_EQ(k.XmlNachRtf(hin.xml, 'L', -1).xml, kKopf + lauf + "\\par}");
  std::string absätze;
  for (int i = 0; i < 300'000; ++i) absätze += P(Span("Beton") + Span("C", "font-weight:bold;"));
  const std::u16string xml = U16(Lang(absätze));
  pid_t kind = fork();
  ASSERT_GE(kind, 0);
  if (kind == 0) {
    rusage vorher{}, nachher{};
    getrusage(RUSAGE_SELF, &vorher);
    const char* rtf = nullptr;
    const gtcWChar* fehler = nullptr;
    gtcGxml2RtfL(gtcConvCreate(GTC_KENNUNG), xml.c_str(), &rtf, -1, &fehler);
    getrusage(RUSAGE_SELF, &nachher);
    [[maybe_unused]] const long zuwachsKb = nachher.ru_maxrss - vorher.ru_maxrss;
    [[maybe_unused]] const long eingabeKb = static_cast<long>(xml.size() / 2 / 1024);  // the markup in UTF-8
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer's shadow memory and quarantine swamp the measure: only
    // the result is checked there.
    const bool sparsam = true;
#else
    const bool sparsam = zuwachsKb < 10 * eingabeKb;
#endif
    _exit(rtf != nullptr && fehler == nullptr && sparsam ? 0 : 1);
  }
  int status = 0;
  waitpid(kind, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Inputs that once broke the converter (fuzzing findings and hostile cases),
// kept under data/regress: "rtf-*" files go through every RTF text kind,
// "xml-*" files through every way back. Each must convert without crashing
// into well-formed markup, and RTF the library writes must read back cleanly.
void PrüfeRtf(const std::string& rtf, const std::string& name) {
  if (rtf == "(null)") return;
  Konverter k;
  gtcRtfAddL(k.h(), rtf.c_str());
  Xml r = k.NachXml();
  EXPECT_TRUE(Wohlgeformt(r.xml)) << name;
  EXPECT_EQ(r.fehler, "(null)") << name;
}

TEST(gtcRegression, GespeicherteEingaben) {
  namespace fs = std::filesystem;
  fs::path ordner = fs::path(GAEB_TESTDATA).parent_path() / "gtc" / "data" / "regress";
  int anzahl = 0;
  for (const auto& eintrag : fs::directory_iterator(ordner)) {
    const std::string name = eintrag.path().filename().string();
    std::stringstream s;
    s << std::ifstream(eintrag.path(), std::ios::binary).rdbuf();
    // The C interface takes zero-terminated text: an RTF input ends at a NUL.
    const std::string daten = s.str(), rtf = daten.c_str();
    if (name.starts_with("rtf-")) {
      ++anzahl;
      for (const Eingabe& art : {Eingabe{"K"}, Eingabe{"L"}, Eingabe{"A"}, Eingabe{"AK"}, Eingabe{"F", "", u"Descrip"},
                                 Eingabe{"ML", "", u"LblTx"}}) {
        Konverter k;
        k.Füge({art.art, rtf, art.tag});
        Xml r = k.NachXml(-1);
        ASSERT_NE(r.xml, "(null)") << name;
        EXPECT_TRUE(Wohlgeformt(r.xml)) << name << " " << art.art;
        EXPECT_TRUE(r.fehler == "(null)" || Wohlgeformt(r.fehler)) << name;
        PrüfeRtf(k.XmlNachRtf(r.xml, art.art == "K" ? 'K' : 'L', -1).xml, name);
      }
    } else if (name.starts_with("xml-")) {
      ++anzahl;
      Konverter k;
      for (char teil : {'K', 'L', 'M'}) {
        Xml r = k.XmlNachRtf(daten, teil, -1);
        EXPECT_TRUE(r.fehler == "(null)" || Wohlgeformt(r.fehler)) << name;
        PrüfeRtf(r.xml, name);
      }
      for (const Zeile& z : k.XmlNachZeilen(daten, 'L', 55)) EXPECT_TRUE(z.text.ends_with("\r\n")) << name;
    }
  }
  EXPECT_GT(anzahl, 0) << ordner;
}

}  // namespace
}  // namespace gtc_test

// Tests of the C interface (instance handles, the creation value, status
// values, null arguments, the lifetime of results, fetching lines) and of the
// text kinds: which root element each group of stored texts gives (RTF and
// plain lines), how short and long text combine, the outline of additional
// texts, elements named by tag, gaps in lines, and the errors of mixed or
// unknown input.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "konverter.h"

namespace gtc_test {
namespace {

TEST(gtcSchnittstelle, InstanzenHandlesUndErgebnisse) {
  EXPECT_EQ(gtcConvCreate(0), 0);
  EXPECT_EQ(gtcConvCreate(GTC_KENNUNG + 1), 0);
  std::int32_t a = gtcConvCreate(GTC_KENNUNG);
  std::int32_t b = gtcConvCreate(GTC_KENNUNG);
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
  EXPECT_EQ(k.RtfNachXml().xml, Langtext("<Text/>"));
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
  std::u16string xml = U16(Langtext("<Text>" + P(Span("eins")) + P(Span("zwei")) + "</Text>"));
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

const std::string kNsAttr = std::string(" xmlns=\"") + kNs + "\"";
std::string Wurzel(const std::string& name, const std::string& inhalt, const std::string& attr = {}) {
  return "<" + name + kNsAttr + attr + ">" + inhalt + "</" + name + ">";
}
std::string Lücke(const char* art, const char* marke, const std::string& body) {
  return std::string("<TextComplement Kind=\"") + art + "\" MarkLbl=\"" + marke +
         "\"><ComplCaption></ComplCaption><ComplBody>" + body + "</ComplBody><ComplTail></ComplTail></TextComplement>";
}
std::string Fehler(const std::string& t) { return "<gtcerrors><errors><error>" + t + "</error></errors></gtcerrors>"; }

TEST(gtcTextarten, KurzLangUndBeideMitZwischenumsetzung) {
  Konverter k;
  gtcRtfAddK(k.h(), R"({\rtf1 Kurz})");
  // The class converts after the short text and then adds the long text: the
  // stored short text must survive the first conversion.
  EXPECT_EQ(k.RtfNachXml().xml, Kurztext("<TextOutlTxt>" + P(Span("Kurz")) + "</TextOutlTxt>"));
  gtcRtfAddL(k.h(), R"({\rtf1 Lang})");
  EXPECT_EQ(k.RtfNachXml().xml,
            Description("<CompleteText><DetailTxt><Text>" + P(Span("Lang")) +
                        "</Text></DetailTxt><OutlineText><OutlTxt><TextOutlTxt>" + P(Span("Kurz")) +
                        "</TextOutlTxt></OutlTxt></OutlineText></CompleteText>"));
  // An empty short text adds no OutlineText to a long text.
  gtcRtfAddK(k.h(), "");
  EXPECT_EQ(k.RtfNachXml().xml, Langtext("<Text>" + P(Span("Lang")) + "</Text>"));
  // Clearing the lines empties their buffer only.
  gtcAsciiAddLineL(k.h(), "x", GTC_ZEILE_TEXT, 61);
  gtcAsciiClear(k.h());
  EXPECT_EQ(k.AsciiNachXml().xml, "(null)");
  EXPECT_EQ(k.AsciiNachXml().fehler, "(null)");
}

struct Fall {
  std::function<void(std::int32_t)> eingabe;
  std::string xml;
  std::string fehler = "(null)";
  int flag = 0;  // RTF: the flag of gtcRtf2gxml; -2: plain lines
};

TEST(gtcTextarten, WurzelJeGespeicherterTexte) {
  std::string zeile, umriss;
  for (int i = 0; i < 30; ++i) zeile += "äöü ";  // 120 characters
  for (int i = 0; i < 25; ++i) umriss += "äöü ";
  const std::string detail = "<DetailAddText>" +
                             P(Span("Erste", "font-weight:bold;") + Span(" Zeile") + "<br/>" + Span("Rest")) +
                             P(Span("Zweiter")) + "</DetailAddText>";
  const auto zusatz = [](std::int32_t h) { gtcRtfAddA(h, R"({\rtf1 {\b Erste} Zeile\line Rest\par Zweiter})"); };
  const std::string titel = P(Span("Titel ") + Span("A", "font-style:italic;")) + P(Span("B"));
  const char* titelRtf = R"({\rtf1 Titel {\i A}\par B})";
  const std::vector<Fall> fälle = {
      // A short text alone is written even when empty.
      {[](std::int32_t h) { gtcRtfAddK(h, "{\\rtf1 }"); }, Kurztext("<TextOutlTxt/>")},
      {zusatz, Wurzel("AddText", detail)},
      // Flag -1: the first line (up to the line break) becomes the outline,
      // at most 100 characters.
      {zusatz, Wurzel("AddText", "<OutlineAddText>" + P(Span("Erste", "font-weight:bold;") + Span(" Zeile")) +
                                     "</OutlineAddText>" + detail), "(null)", -1},
      {[&](std::int32_t h) { gtcRtfAddA(h, gtc::Utf8NachCp1252(zeile).c_str()); },
       Wurzel("AddText", "<OutlineAddText>" + P(Span(umriss)) + "</OutlineAddText><DetailAddText>" +
                             P(Span(zeile)) + "</DetailAddText>"), "(null)", -1},
      {[](std::int32_t h) { gtcRtfAddAK(h, R"({\rtf1 Nur kurz})"); },
       Wurzel("AddText", "<OutlineAddText>" + P(Span("Nur kurz")) + "</OutlineAddText><DetailAddText/>"), "(null)", -1},
      {[&](std::int32_t h) { gtcRtfAddF(h, titelRtf, u"Descrip"); }, Wurzel("Descrip", titel)},
      {[&](std::int32_t h) { gtcRtfAddML(h, titelRtf, u"LblTx"); }, Wurzel("LblTx", titel)},
      {[&](std::int32_t h) { gtcRtfAddML(h, titelRtf, u"ArtOutline"); }, Wurzel("ArtOutline", titel)},
      // Gaps inside a label are ordinary text there.
      {[](std::int32_t h) { gtcRtfAddML(h, R"({\rtf1 a{\*\bkmkstart TB1}b{\*\bkmkend TB1}c})", u"LblTx"); },
       Wurzel("LblTx", P(Span("abc")))},
      {[](std::int32_t h) { gtcRtfAddF(h, R"({\rtf1 x})", u"Description"); }, "(null)",
       Fehler("Das Element &quot;Description&quot; kann keinen GAEB-Text aufnehmen.")},
      {[](std::int32_t h) {
         gtcRtfAddK(h, R"({\rtf1 x})");
         gtcRtfAddA(h, R"({\rtf1 y})");
       },
       "(null)",
       Fehler("Texte verschiedener Arten (Kurz- und Langtext, Zusatztext, Textelement) können nicht in ein "
              "Element umgesetzt werden.")},
      {[](std::int32_t) {}, "(null)"},
      // Each text's remarks are reported with every conversion that uses it.
      {[](std::int32_t h) {
         gtcRtfAddK(h, R"({\rtf1 a}b)");
         gtcRtfAddL(h, R"({\rtf1 b)");
       },
       Description("<CompleteText><DetailTxt><Text>" + P(Span("b")) +
                   "</Text></DetailTxt><OutlineText><OutlTxt><TextOutlTxt>" + P(Span("a")) +
                   "</TextOutlTxt></OutlTxt></OutlineText></CompleteText>"),
       "<gtcerrors><remarks><remark>Zeichen nach dem Ende des RTF-Textes wurden nicht übernommen.</remark>"
       "<remark>Der RTF-Text endet vor dem Schluss seiner Gruppen.</remark></remarks></gtcerrors>"},
      // Plain lines.
      {[](std::int32_t h) {
         gtcAsciiAddLineK(h, "Kurz \xE4", GTC_ZEILE_TEXT, 60);
         gtcAsciiAddLineL(h, "Erste\tZeile", GTC_ZEILE_TEXT, 61);
         gtcAsciiAddLineL(h, "Zweite\r\nDritte\n", GTC_ZEILE_TEXT, 61);
         gtcAsciiAddLineL(h, "", GTC_ZEILE_TEXT, 61);
         gtcAsciiAddLineL(h, "<&>\x01", GTC_ZEILE_TEXT, 61);
       },
       Description("<CompleteText><DetailTxt><Text>" + P(Span("Erste\tZeile")) + P(Span("Zweite")) +
                   P(Span("Dritte")) + P("") + P(Span("&lt;&amp;&gt;")) +
                   "</Text></DetailTxt><OutlineText><OutlTxt><TextOutlTxt>" + P(Span("Kurz ä")) +
                   "</TextOutlTxt></OutlTxt></OutlineText></CompleteText>"),
       "(null)", -2},
      {[](std::int32_t h) { gtcAsciiAddLineL(h, "'30 cm'", GTC_ZEILE_BIETER, 2); },
       "<TextComplement" + kNsAttr + Lücke("Bidder", "2", P(Span("'30 cm'"))).substr(15), "(null)", -2},
      // A gap continues the line before it; lines of one gap stay together;
      // the next text line starts a new line.
      {[](std::int32_t h) {
         gtcAsciiAddLineL(h, "Fabrikat:", GTC_ZEILE_TEXT, 61);
         gtcAsciiAddLineL(h, "eins", GTC_ZEILE_BIETER, 3);
         gtcAsciiAddLineL(h, "zwei", GTC_ZEILE_BIETER, 3);
         gtcAsciiAddLineL(h, "vom AG", GTC_ZEILE_AUFTRAGGEBER, 4);
         gtcAsciiAddLineL(h, "Ende", GTC_ZEILE_TEXT, 61);
         gtcAsciiAddLineL(h, "fremd", 'X', 0);
       },
       Langtext("<Text>" + P(Span("Fabrikat:")) + "</Text>" + Lücke("Bidder", "3", P(Span("eins")) + P(Span("zwei"))) +
                Lücke("Owner", "4", P(Span("vom AG"))) + "<Text>" + P("") + P(Span("Ende")) + "</Text>"),
       Fehler("Die Zeilenart 88 ist unbekannt; die Zeile wurde nicht übernommen."), -2},
      // Plain lines have no flag: no outline is derived.
      {[](std::int32_t h) { gtcAsciiAddLineAL(h, "Zusatz"); },
       Wurzel("AddText", "<DetailAddText>" + P(Span("Zusatz")) + "</DetailAddText>"), "(null)", -2},
      {[](std::int32_t h) {
         gtcAsciiAddLineAK(h, "Kurz");
         gtcAsciiAddLineAL(h, "Lang");
       },
       Wurzel("AddText", "<OutlineAddText>" + P(Span("Kurz")) + "</OutlineAddText><DetailAddText>" +
                             P(Span("Lang")) + "</DetailAddText>"), "(null)", -2},
      {[](std::int32_t h) {
         gtcAsciiAddLineF(h, "Projekt", u"Descrip");
         gtcAsciiAddLineF(h, "Bau", u"Descrip");
       },
       Wurzel("Descrip", P(Span("Projekt")) + P(Span("Bau"))), "(null)", -2},
      {[](std::int32_t h) { gtcAsciiAddLineML(h, "Rohbau", u"LblTx"); }, Wurzel("LblTx", P(Span("Rohbau"))), "(null)", -2},
      {[](std::int32_t h) { gtcAsciiAddLineML(h, "x", u"p"); }, "(null)",
       Fehler("Das Element &quot;p&quot; kann keinen GAEB-Text aufnehmen."), -2},
  };
  for (std::size_t i = 0; i < fälle.size(); ++i) {
    const Fall& f = fälle[i];
    Konverter k;
    f.eingabe(k.h());
    Xml r = f.flag == -2 ? k.AsciiNachXml() : k.RtfNachXml(f.flag);
    EXPECT_EQ(r.xml, f.xml) << "Fall " << i;
    EXPECT_EQ(r.fehler, f.fehler) << "Fall " << i;
  }
}

}  // namespace
}  // namespace gtc_test

// Tests of the C interface (instance handles, the creation value, status
// values, null arguments, the lifetime of results, fetching lines), of the
// text kinds (the root element of each group of stored texts, RTF and plain
// lines, short and long text, outlines of additional texts, elements named by
// tag, gaps in lines, errors of mixed or unknown input), and of reading RTF:
// formatting, characters in the code pages of their fonts, skipped
// destinations, bookmarks as gaps, pictures, broken or hostile input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "konverter.h"

namespace gtc_test {
namespace {

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
  EXPECT_EQ(k.RtfNachXml().xml, Kurztext("<TextOutlTxt>" + P(Span("Kurz")) + "</TextOutlTxt>"));
  gtcRtfAddL(k.h(), R"({\rtf1 Lang})");
  EXPECT_EQ(k.RtfNachXml().xml, KurzUndLang(P(Span("Kurz")), P(Span("Lang"))));
  // An empty short text adds no OutlineText to a long text.
  gtcRtfAddK(k.h(), "");
  EXPECT_EQ(k.RtfNachXml().xml, Lang(P(Span("Lang"))));
  // Clearing the lines empties their buffer only.
  gtcAsciiAddLineL(k.h(), "x", GTC_ZEILE_TEXT, 61);
  gtcAsciiClear(k.h());
  EXPECT_EQ(k.AsciiNachXml().xml, "(null)");
  EXPECT_EQ(k.AsciiNachXml().fehler, "(null)");
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
  struct Fall {
    std::vector<Eingabe> eingaben;
    std::string xml;
    std::string fehler = "(null)";
    int flag = 0;  // the flag of gtcRtf2gxml; for plain lines -2
  };
  const Fall fälle[] = {
      // A short text alone is written even when empty.
      {{{"K", "{\\rtf1 }"}}, Kurztext("<TextOutlTxt/>")},
      {{{"A", zusatz}}, Wurzel("AddText", detail)},
      // Flag -1: the first line (up to the line break) becomes the outline,
      // at most 100 characters.
      {{{"A", zusatz}},
       Wurzel("AddText", "<OutlineAddText>" + P(Span("Erste", "font-weight:bold;") + Span(" Zeile")) +
                             "</OutlineAddText>" + detail), "(null)", -1},
      {{{"A", gtc::Utf8NachCp1252(zeile)}},
       Wurzel("AddText", "<OutlineAddText>" + P(Span(umriss)) + "</OutlineAddText><DetailAddText>" +
                             P(Span(zeile)) + "</DetailAddText>"), "(null)", -1},
      {{{"AK", R"({\rtf1 Nur kurz})"}},
       Wurzel("AddText", "<OutlineAddText>" + P(Span("Nur kurz")) + "</OutlineAddText><DetailAddText/>"), "(null)", -1},
      {{{"F", titelRtf, u"Descrip"}}, Wurzel("Descrip", titel)},
      {{{"ML", titelRtf, u"LblTx"}}, Wurzel("LblTx", titel)},
      {{{"ML", titelRtf, u"ArtOutline"}}, Wurzel("ArtOutline", titel)},
      // Gaps inside a label are ordinary text there.
      {{{"ML", R"({\rtf1 a{\*\bkmkstart TB1}b{\*\bkmkend TB1}c})", u"LblTx"}}, Wurzel("LblTx", P(Span("abc")))},
      {{{"F", R"({\rtf1 x})", u"Description"}}, "(null)",
       Fehler("Das Element &quot;Description&quot; kann keinen GAEB-Text aufnehmen.")},
      {{{"K", R"({\rtf1 x})"}, {"A", R"({\rtf1 y})"}}, "(null)",
       Fehler("Texte verschiedener Arten (Kurz- und Langtext, Zusatztext, Textelement) können nicht in ein "
              "Element umgesetzt werden.")},
      {{}, "(null)"},
      // Each text's remarks are reported with every conversion that uses it.
      {{{"K", R"({\rtf1 a}b)"}, {"L", R"({\rtf1 b)"}}, KurzUndLang(P(Span("a")), P(Span("b"))),
       "<gtcerrors><remarks><remark>Zeichen nach dem Ende des RTF-Textes wurden nicht übernommen.</remark>"
       "<remark>Der RTF-Text endet vor dem Schluss seiner Gruppen.</remark></remarks></gtcerrors>"},
      // Plain lines.
      {{{"zK", "Kurz \xE4", u"", GTC_ZEILE_TEXT, 60}, {"zL", "Erste\tZeile"}, {"zL", "Zweite\r\nDritte\n"},
        {"zL", ""}, {"zL", "<&>\x01"}},
       KurzUndLang(P(Span("Kurz ä")), P(Span("Erste\tZeile")) + P(Span("Zweite")) + P(Span("Dritte")) + P("") +
                                          P(Span("&lt;&amp;&gt;"))),
       "(null)", -2},
      {{{"zL", "'30 cm'", u"", GTC_ZEILE_BIETER, 2}},
       "<TextComplement" + kNsAttr + Lücke("Bidder", "2", P(Span("'30 cm'"))).substr(15), "(null)", -2},
      // A gap continues the line before it; lines of one gap stay together;
      // the next text line starts a new line.
      {{{"zL", "Fabrikat:"}, {"zL", "eins", u"", GTC_ZEILE_BIETER, 3}, {"zL", "zwei", u"", GTC_ZEILE_BIETER, 3},
        {"zL", "vom AG", u"", GTC_ZEILE_AUFTRAGGEBER, 4}, {"zL", "Ende"}, {"zL", "fremd", u"", 'X', 0}},
       Langtext("<Text>" + P(Span("Fabrikat:")) + "</Text>" + Lücke("Bidder", "3", P(Span("eins")) + P(Span("zwei"))) +
                Lücke("Owner", "4", P(Span("vom AG"))) + "<Text>" + P("") + P(Span("Ende")) + "</Text>"),
       Fehler("Die Zeilenart 88 ist unbekannt; die Zeile wurde nicht übernommen."), -2},
      // Plain lines have no flag: no outline is derived.
      {{{"zAL", "Zusatz"}}, Wurzel("AddText", "<DetailAddText>" + P(Span("Zusatz")) + "</DetailAddText>"), "(null)", -2},
      {{{"zAK", "Kurz"}, {"zAL", "Lang"}},
       Wurzel("AddText", "<OutlineAddText>" + P(Span("Kurz")) + "</OutlineAddText><DetailAddText>" +
                             P(Span("Lang")) + "</DetailAddText>"), "(null)", -2},
      {{{"zF", "Projekt", u"Descrip"}, {"zF", "Bau", u"Descrip"}}, Wurzel("Descrip", P(Span("Projekt")) + P(Span("Bau"))),
       "(null)", -2},
      {{{"zML", "Rohbau", u"LblTx"}}, Wurzel("LblTx", P(Span("Rohbau"))), "(null)", -2},
      {{{"zML", "x", u"p"}}, "(null)", Fehler("Das Element &quot;p&quot; kann keinen GAEB-Text aufnehmen."), -2},
  };
  for (std::size_t i = 0; i < std::size(fälle); ++i) {
    const Fall& f = fälle[i];
    Konverter k;
    for (const Eingabe& e : f.eingaben) k.Füge(e);
    Xml r = f.flag == -2 ? k.AsciiNachXml() : k.RtfNachXml(f.flag);
    EXPECT_EQ(r.xml, f.xml) << "Fall " << i;
    EXPECT_EQ(r.fehler, f.fehler) << "Fall " << i;
  }
}

std::string Lückentext(const char* art, const char* marke, const std::string& inhalt) {
  return Lücke(art, marke, P(Span(inhalt)));
}

const std::string kSchriften =
    R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\froman\fcharset2 Symbol;})"
    R"({\f2\fnil\fcharset2 Wingdings;}{\f3\fcharset238 Arial CE;}{\f4\fcharset128 MS Mincho;})"
    R"({\f5\fcharset161{\*\panose 02020603050405020304} Greek;}{\f6\cpg1251 Kyrill;}})";

// Each case converts a long text and compares its markup and error text exactly.
TEST(gtcRtfLeser, RtfNachMarkup) {
  const std::string tief = std::string(100000, '{') + "tief" + std::string(100000, '}');
  const std::string offen = Hinweis("Der RTF-Text endet vor dem Schluss seiner Gruppen.");
  struct Fall {
    std::string rtf, xml, fehler = "(null)";
  };
  const Fall fälle[] = {
      {R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}{\colortbl;\red255\green0\blue0;})"
       R"(\pard\f0\fs20 Beton {\b C25/30}, {\i kursiv} und {\ul unter}{\b\i beides}\par )"
       R"(W\'e4nde\tab B\u246?den\line neue Zeile\par})",
       Lang(P(Span("Beton ") + Span("C25/30", "font-weight:bold;") + Span(", ") +
              Span("kursiv", "font-style:italic;") + Span(" und ") +
              Span("unter", "text-decoration:underline;") +
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
      {"{\\rtf1 a}b}\r\n", Lang(P(Span("a"))), Hinweis("Zeichen nach dem Ende des RTF-Textes wurden nicht übernommen.")},
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
    Xml r = k.RtfNachXml();
    EXPECT_EQ(r.xml, f.xml) << f.rtf.substr(0, 200);
    EXPECT_EQ(r.fehler, f.fehler) << f.rtf.substr(0, 200);
  }
}

}  // namespace
}  // namespace gtc_test

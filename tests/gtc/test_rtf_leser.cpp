// Tests of reading RTF: formatting, characters in the code pages of their
// fonts, the destinations that are skipped, bookmarks as gaps, pictures, and
// input that is broken or hostile. Each case converts a long text and
// compares its markup and error text exactly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "konverter.h"

namespace gtc_test {
namespace {

std::string Text(const std::string& absätze) { return Langtext("<Text>" + absätze + "</Text>"); }
std::string Lücke(const char* art, const char* marke, const std::string& inhalt) {
  return std::string("<TextComplement Kind=\"") + art + "\" MarkLbl=\"" + marke +
         "\"><ComplCaption></ComplCaption><ComplBody>" + P(Span(inhalt)) +
         "</ComplBody><ComplTail></ComplTail></TextComplement>";
}
std::string Hinweis(const std::string& t) { return "<gtcerrors><remarks><remark>" + t + "</remark></remarks></gtcerrors>"; }

const std::string kSchriften =
    R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\froman\fcharset2 Symbol;})"
    R"({\f2\fnil\fcharset2 Wingdings;}{\f3\fcharset238 Arial CE;}{\f4\fcharset128 MS Mincho;})"
    R"({\f5\fcharset161{\*\panose 02020603050405020304} Greek;}{\f6\cpg1251 Kyrill;}})";

struct Fall {
  std::string rtf;
  std::string xml;
  std::string fehler = "(null)";
};

TEST(gtcRtfLeser, RtfNachMarkup) {
  const std::string tief = std::string(100000, '{') + "tief" + std::string(100000, '}');
  const std::vector<Fall> fälle = {
      {R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}{\colortbl;\red255\green0\blue0;})"
       R"(\pard\f0\fs20 Beton {\b C25/30}, {\i kursiv} und {\ul unter}{\b\i beides}\par )"
       R"(W\'e4nde\tab B\u246?den\line neue Zeile\par})",
       Text(P(Span("Beton ") + Span("C25/30", "font-weight:bold;") + Span(", ") +
              Span("kursiv", "font-style:italic;") + Span(" und ") +
              Span("unter", "text-decoration:underline;") +
              Span("beides", "font-weight:bold;font-style:italic;")) +
            P(Span("Wände\tBöden") + "<br/>" + Span("neue Zeile")))},
      // \b0, \i0, \ulnone switch off; \plain resets every character format.
      {R"({\rtf1 \b fett\b0 normal\i\ul X\ulnone Y\plain Z\ul0 W})",
       Text(P(Span("fett", "font-weight:bold;") + Span("normal") +
              Span("X", "font-style:italic;text-decoration:underline;") + Span("Y", "font-style:italic;") +
              Span("ZW")))},
      // \ucN drops N fallback units after \uN; the count ends at the group
      // boundary; surrogate pairs join.
      {R"({\rtf1 a{\uc2\u8364 XX}b{\uc0\u8364 c}{\u8804?d}{\u-10179?\u-8704?e}{\u228\'e4f}{\uc3\u228}X})",
       Text(P(Span("a€b€c≤d\U0001F600eäfäX")))},
      {"{\\rtf1 \\'80 \\'e4\\'f6\\'fc\\'df \xC4 \\~x\\-y\\_z \\emdash\\endash\\bullet "
       "\\lquote\\rquote\\ldblquote\\rdblquote\\'01\\'0b}",
       Text(P(Span("€ äöüß Ä \u00A0xy-z —–•‘’“”")))},
      {R"({\rtf1 \{x\} a\\b & <tag> "q"})", Text(P(Span("{x} a\\b &amp; &lt;tag&gt; &quot;q&quot;")))},
      {R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}{\colortbl;\red0\green0\blue0;}{\stylesheet{\s0 Normal;}})"
       R"({\info{\title Titel}{\author A}}{\*\generator Writer 1.0;}{\header Kopfzeile}{\footer Fuss})"
       R"({\*\unbekannt versteckt}\viewkind4\uc1\pard\f0\fs20\cf1 sichtbar)"
       R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt Verweis}} {\v verborgen}ende \foobar42 mehr)"
       R"({\listtext\'b7\tab}Punkt})",
       Text(P(Span("sichtbarVerweis ende mehr·\tPunkt")))},
      // Characters in the code page of their font: the symbol fonts' bullets,
      // arrows and Greek letters (also as \uN in the private use area),
      // Central European, double-byte Japanese (a trail byte may be "\"),
      // Greek, \cpg, and back to the Western default font.
      {kSchriften + R"({\listtext\f1\'b7\tab}a{\f2\'a7 \'fc}{\f1 a\'b3\'ae}{\f1\u61623\'b7}{\f3\'e8\'f8})"
                    R"({\f4\'82\'a0\'95\'5c}{\f5\'e1}{\f6\'c4\'e0}\'e8})",
       Text(P(Span("•\ta▪ ✓α≥→•čřあ表αДаè")))},
      // Without a font table the document's code page counts, for raw bytes too.
      {"{\\rtf1\\ansi\\ansicpg1250 \\'e8\xf8}", Text(P(Span("čř")))},
      {"{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\\f0 \\'e8\\plain\\'e8}", Text(P(Span("čč")))},
      // Pictures are left out without a word, whatever their format.
      {R"({\rtf1 a{\*\shppict{\pict\pngblip 89504e}}{\nonshppict{\pict\wmetafile8 0102}}b{\pict\emfblip 01}c})",
       Text(P(Span("abc")))},
      // Bookmarks TB<n>/TA<n> are gaps; others are skipped.
      {R"({\rtf1 Beton {\*\bkmkstart TB2}30 cm{\*\bkmkend TB2} dick{\*\bkmkstart Anker}{\*\bkmkend Anker}\par )"
       R"(Zeile{\*\bkmkstart TA7}Wert{\*\bkmkend TA7}\par Ende})",
       Langtext("<Text>" + P(Span("Beton ")) + "</Text>" + Lücke("Bidder", "2", "30 cm") + "<Text>" +
                P(Span(" dick")) + P(Span("Zeile")) + "</Text>" + Lücke("Owner", "7", "Wert") + "<Text>" +
                P("") + P(Span("Ende")) + "</Text>")},
      // A gap left open ends with the text; TB without number takes the next one.
      {R"({\rtf1 {\*\bkmkstart TB}x{\*\bkmkend TB}{\*\bkmkstart TB}y})",
       Langtext(Lücke("Bidder", "1", "x") + Lücke("Bidder", "2", "y"))},
      // Labels are integers of any sign up to 64 bits; anything else is no gap.
      {R"({\rtf1 {\*\bkmkstart TB-3}a{\*\bkmkend TB-3}{\*\bkmkstart TA9223372036854775807}b)"
       R"({\*\bkmkend TA9223372036854775807}{\*\bkmkstart TB9223372036854775808}c)"
       R"({\*\bkmkstart TB-}d{\*\bkmkstart TB1x}e{\*\bkmkstart TX1}f})",
       Langtext(Lücke("Bidder", "-3", "a") + Lücke("Owner", "9223372036854775807", "b") + "<Text>" +
                P(Span("cdef")) + "</Text>")},
      // Without RTF header: plain text.
      {"Zeile 1\r\n{kein} \\rtf\tTab\r\n\r\nZeile 4\r\n",
       Text(P(Span("Zeile 1")) + P(Span("{kein} \\rtf\tTab")) + P("") + P(Span("Zeile 4")))},
      {"", Langtext("<Text/>")},
      {"  \r\n{\\rtf1 x}", Text(P(Span("x")))},
      // The last \par ends the last paragraph; a further one adds an empty one.
      {R"({\rtf1 a\par})", Text(P(Span("a")))},
      {R"({\rtf1 a\par\pard\par b})", Text(P(Span("a")) + P("") + P(Span("b")))},
      // Too deep nesting loses the deeper content with an error; up to the
      // limit the content stays.
      {"{\\rtf1 vorher" + tief + "nachher{\\b fett}}",
       Text(P(Span("vorhernachher") + Span("fett", "font-weight:bold;"))),
       "<gtcerrors><errors><error>Der RTF-Text ist tiefer als 256 Gruppen verschachtelt; "
       "der tiefere Inhalt fehlt.</error></errors></gtcerrors>"},
      {"{\\rtf1 " + std::string(254, '{') + "innen" + std::string(254, '}') + "}", Text(P(Span("innen")))},
      {R"({\rtf1 {\b fett)", Text(P(Span("fett", "font-weight:bold;"))),
       Hinweis("Der RTF-Text endet vor dem Schluss seiner Gruppen.")},
      {"{\\rtf1 a}b}\r\n", Text(P(Span("a"))), Hinweis("Zeichen nach dem Ende des RTF-Textes wurden nicht übernommen.")},
      {"{\\rtf1 a}\r\n  ", Text(P(Span("a")))},
      // Cut escapes, absurd parameters and binary data never break the reader.
      {"{\\rtf1 a\\'4}", Text(P(Span("a")))},
      {"{\\rtf1 a\\u}", Text(P(Span("a")))},
      {"{\\rtf1 a\\u99999999999999999999 bc}", Text(P(Span("a\uFFFDc")))},
      {"{\\rtf1 a\\uc999999999\\u228 bcdef}", Text(P(Span("aä")))},
      {"{\\rtf1 a\\bin3 {}}\\b x}", Text(P(Span("a") + Span("x", "font-weight:bold;")))},
      {"{\\rtf1 a\\bin999999999 xyz}", Text(P(Span("a"))), Hinweis("Der RTF-Text endet vor dem Schluss seiner Gruppen.")},
      {"{\\rtf1 a\\bin-5 x}", Text(P(Span("ax")))},
      {"{\\rtf1 a\\" + std::string(10000, 'x') + "123456789012345678901234 b}", Text(P(Span("ab")))},
      {kSchriften + "{\\f4\\'82}x\\f" + std::string(30, '9') + " \\'e4}", Text(P(Span("xä")))},
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

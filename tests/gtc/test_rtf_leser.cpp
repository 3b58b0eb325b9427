// Tests of reading RTF: formatting, characters and their code pages, the
// destinations that are skipped, bookmarks as gaps, pictures, and input that
// is broken or hostile. Each case converts a long text and compares the
// markup of its paragraphs exactly.
#include <gtest/gtest.h>

#include <string>

#include "konverter.h"

namespace gtc_test {
namespace {

// The long-text markup of an RTF text, and its error text.
Xml Lang(const std::string& rtf) {
  Konverter k;
  gtcRtfAddL(k.h(), rtf.c_str());
  return k.RtfNachXml();
}

std::string Text(const std::string& absätze) { return Langtext("<Text>" + absätze + "</Text>"); }

TEST(gtcRtfLeser, FormatUmlauteTabsUndAbsätze) {
  Xml r = Lang(
      R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}}{\colortbl;\red255\green0\blue0;})"
      R"(\pard\f0\fs20 Beton {\b C25/30}, {\i kursiv} und {\ul unter}{\b\i beides}\par )"
      R"(W\'e4nde\tab B\u246?den\line neue Zeile\par})");
  EXPECT_EQ(r.xml, Text(P(Span("Beton ") + Span("C25/30", "font-weight:bold;") + Span(", ") +
                          Span("kursiv", "font-style:italic;") + Span(" und ") +
                          Span("unter", "text-decoration:underline;") +
                          Span("beides", "font-weight:bold;font-style:italic;")) +
                        P(Span("Wände\tBöden") + "<br/>" + Span("neue Zeile"))));
  EXPECT_EQ(r.fehler, "(null)");
}

TEST(gtcRtfLeser, SchalterUndPlain) {
  // \b0, \i0, \ulnone switch off; \plain resets every character format.
  Xml r = Lang(R"({\rtf1 \b fett\b0 normal\i\ul X\ulnone Y\plain Z\ul0 W})");
  EXPECT_EQ(r.xml, Text(P(Span("fett", "font-weight:bold;") + Span("normal") +
                          Span("X", "font-style:italic;text-decoration:underline;") +
                          Span("Y", "font-style:italic;") + Span("ZW"))));
}

TEST(gtcRtfLeser, UnicodeMitÜberspringzähler) {
  // \ucN drops N fallback units after \uN (a control word counts as one);
  // the count ends at the group boundary; surrogate pairs join.
  Xml r = Lang(
      R"({\rtf1 a{\uc2\u8364 XX}b{\uc0\u8364 c}{\u8804?d}{\u-10179?\u-8704?e}{\u228\'e4f}{\uc3\u228}X})");
  EXPECT_EQ(r.xml, Text(P(Span("a€b€c≤d\U0001F600eäfäX"))));
}

TEST(gtcRtfLeser, Codepage1252UndSonderzeichen) {
  Xml r = Lang(
      "{\\rtf1 \\'80 \\'e4\\'f6\\'fc\\'df \xC4 \\~x\\-y\\_z \\emdash\\endash\\bullet "
      "\\lquote\\rquote\\ldblquote\\rdblquote\\'01\\'0b}");
  EXPECT_EQ(r.xml, Text(P(Span("€ äöüß Ä \u00A0xy-z —–•‘’“”"))));
}

TEST(gtcRtfLeser, XmlZeichenWerdenMaskiert) {
  Xml r = Lang(R"({\rtf1 \{x\} a\\b & <tag> "q"})");
  EXPECT_EQ(r.xml, Text(P(Span("{x} a\\b &amp; &lt;tag&gt; &quot;q&quot;"))));
}

TEST(gtcRtfLeser, ZieleOhneTextWerdenÜbersprungen) {
  Xml r = Lang(
      R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}{\colortbl;\red0\green0\blue0;}{\stylesheet{\s0 Normal;}})"
      R"({\info{\title Titel}{\author A}}{\*\generator Writer 1.0;}{\header Kopfzeile}{\footer Fuss})"
      R"({\*\unbekannt versteckt}\viewkind4\uc1\pard\f0\fs20\cf1 sichtbar)"
      R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt Verweis}} {\v verborgen}ende \foobar42 mehr)"
      R"({\listtext\'b7\tab}Punkt})");
  EXPECT_EQ(r.xml, Text(P(Span("sichtbarVerweis ende mehr·\tPunkt"))));
  EXPECT_EQ(r.fehler, "(null)");
}

TEST(gtcRtfLeser, LesezeichenTbUndTaWerdenLücken) {
  Xml r = Lang(
      R"({\rtf1 Beton {\*\bkmkstart TB2}30 cm{\*\bkmkend TB2} dick{\*\bkmkstart Anker}{\*\bkmkend Anker}\par )"
      R"(Zeile{\*\bkmkstart TA7}Wert{\*\bkmkend TA7}\par Ende})");
  EXPECT_EQ(r.xml,
            Langtext("<Text>" + P(Span("Beton ")) + "</Text>" +
                     "<TextComplement Kind=\"Bidder\" MarkLbl=\"2\"><ComplCaption></ComplCaption><ComplBody>" +
                     P(Span("30 cm")) + "</ComplBody><ComplTail></ComplTail></TextComplement>" + "<Text>" +
                     P(Span(" dick")) + P(Span("Zeile")) + "</Text>" +
                     "<TextComplement Kind=\"Owner\" MarkLbl=\"7\"><ComplCaption></ComplCaption><ComplBody>" +
                     P(Span("Wert")) + "</ComplBody><ComplTail></ComplTail></TextComplement>" + "<Text>" +
                     P("") + P(Span("Ende")) + "</Text>"));
}

TEST(gtcRtfLeser, LückeOhneEndeUndOhneNummer) {
  // A gap left open ends with the text; TB without number takes the next one.
  Xml r = Lang(R"({\rtf1 {\*\bkmkstart TB}x{\*\bkmkend TB}{\*\bkmkstart TB}y})");
  EXPECT_EQ(r.xml,
            Langtext("<TextComplement Kind=\"Bidder\" MarkLbl=\"1\"><ComplCaption></ComplCaption><ComplBody>" +
                     P(Span("x")) + "</ComplBody><ComplTail></ComplTail></TextComplement>" +
                     "<TextComplement Kind=\"Bidder\" MarkLbl=\"2\"><ComplCaption></ComplCaption><ComplBody>" +
                     P(Span("y")) + "</ComplBody><ComplTail></ComplTail></TextComplement>"));
}

TEST(gtcRtfLeser, LückenmarkenSindGanzeZahlen) {
  // Labels are integers of any sign up to 64 bits; anything else is no gap.
  Xml r = Lang(
      R"({\rtf1 {\*\bkmkstart TB-3}a{\*\bkmkend TB-3}{\*\bkmkstart TA9223372036854775807}b)"
      R"({\*\bkmkend TA9223372036854775807}{\*\bkmkstart TB9223372036854775808}c)"
      R"({\*\bkmkstart TB-}d{\*\bkmkstart TB1x}e{\*\bkmkstart TX1}f})");
  EXPECT_EQ(r.xml,
            Langtext("<TextComplement Kind=\"Bidder\" MarkLbl=\"-3\"><ComplCaption></ComplCaption><ComplBody>" +
                     P(Span("a")) + "</ComplBody><ComplTail></ComplTail></TextComplement>" +
                     "<TextComplement Kind=\"Owner\" MarkLbl=\"9223372036854775807\"><ComplCaption></ComplCaption>"
                     "<ComplBody>" + P(Span("b")) + "</ComplBody><ComplTail></ComplTail></TextComplement>" +
                     "<Text>" + P(Span("cdef")) + "</Text>"));
}

TEST(gtcRtfLeser, GrafikenWerdenMitHinweisAusgelassen) {
  Xml wmf = Lang(R"({\rtf1 Bild:{\pict\wmetafile8\picw100 0102ff}Ende})");
  EXPECT_EQ(wmf.xml, Text(P(Span("Bild:Ende"))));
  EXPECT_EQ(wmf.fehler,
            "<gtcerrors><remarks><remark>Eine Grafik im Format wmetafile8 wurde nicht "
            "übernommen.</remark></remarks></gtcerrors>");
  // Word writes a shape picture twice; only the shape's own one is reported.
  Xml png = Lang(
      R"({\rtf1 a{\*\shppict{\pict\pngblip 89504e}}{\nonshppict{\pict\wmetafile8 0102}}b})");
  EXPECT_EQ(png.xml, Text(P(Span("ab"))));
  EXPECT_EQ(png.fehler,
            "<gtcerrors><remarks><remark>Eine Grafik im Format pngblip wurde nicht "
            "übernommen.</remark></remarks></gtcerrors>");
}

TEST(gtcRtfLeser, TextOhneRtfKopfIstKlartext) {
  Xml r = Lang("Zeile 1\r\n{kein} \\rtf\tTab\r\n\r\nZeile 4\r\n");
  EXPECT_EQ(r.xml, Text(P(Span("Zeile 1")) + P(Span("{kein} \\rtf\tTab")) + P("") +
                        P(Span("Zeile 4"))));
  EXPECT_EQ(Lang("").xml, Langtext("<Text/>"));
  EXPECT_EQ(Lang("  \r\n{\\rtf1 x}").xml, Text(P(Span("x"))));
}

TEST(gtcRtfLeser, AbsatzendenAmSchluss) {
  // The last \par ends the last paragraph; a further one adds an empty one.
  EXPECT_EQ(Lang(R"({\rtf1 a\par})").xml, Text(P(Span("a"))));
  EXPECT_EQ(Lang(R"({\rtf1 a\par\par})").xml, Text(P(Span("a")) + P("")));
  EXPECT_EQ(Lang(R"({\rtf1 a\par\pard\par b})").xml, Text(P(Span("a")) + P("") + P(Span("b"))));
}

TEST(gtcRtfLeser, ZuTiefeVerschachtelungFehltMitFehler) {
  std::string tief(100000, '{');
  tief += "tief";
  tief += std::string(100000, '}');
  Xml r = Lang("{\\rtf1 vorher" + tief + "nachher{\\b fett}}");
  EXPECT_EQ(r.xml, Text(P(Span("vorhernachher") + Span("fett", "font-weight:bold;"))));
  EXPECT_EQ(r.fehler,
            "<gtcerrors><errors><error>Der RTF-Text ist tiefer als 256 Gruppen verschachtelt; "
            "der tiefere Inhalt fehlt.</error></errors></gtcerrors>");
  // Up to the limit the content stays.
  std::string flach = std::string(254, '{') + "innen" + std::string(254, '}');
  EXPECT_EQ(Lang("{\\rtf1 " + flach + "}").xml, Text(P(Span("innen"))));
}

TEST(gtcRtfLeser, UnvollständigerUndÜberlangerText) {
  Xml offen = Lang(R"({\rtf1 {\b fett)");
  EXPECT_EQ(offen.xml, Text(P(Span("fett", "font-weight:bold;"))));
  EXPECT_EQ(offen.fehler,
            "<gtcerrors><remarks><remark>Der RTF-Text endet vor dem Schluss seiner "
            "Gruppen.</remark></remarks></gtcerrors>");
  Xml danach = Lang("{\\rtf1 a}b}\r\n");
  EXPECT_EQ(danach.xml, Text(P(Span("a"))));
  EXPECT_EQ(danach.fehler,
            "<gtcerrors><remarks><remark>Zeichen nach dem Ende des RTF-Textes wurden nicht "
            "übernommen.</remark></remarks></gtcerrors>");
  EXPECT_EQ(Lang("{\\rtf1 a}\r\n  ").fehler, "(null)");
}

TEST(gtcRtfLeser, AbgebrocheneUndUnsinnigeSteuerwörter) {
  // Cut escapes, absurd parameters and binary data never break the reader.
  EXPECT_EQ(Lang("{\\rtf1 a\\'").xml, Text(P(Span("a"))));
  EXPECT_EQ(Lang("{\\rtf1 a\\'4").xml, Text(P(Span("a"))));
  EXPECT_EQ(Lang("{\\rtf1 a\\").xml, Text(P(Span("a"))));
  EXPECT_EQ(Lang("{\\rtf1 a\\u").xml, Text(P(Span("a"))));
  // The blank ends the word; "b" is the fallback character and is dropped.
  EXPECT_EQ(Lang("{\\rtf1 a\\u99999999999999999999 bc}").xml, Text(P(Span("a\uFFFDc"))));
  EXPECT_EQ(Lang("{\\rtf1 a\\uc999999999\\u228 bcdef}").xml, Text(P(Span("aä"))));
  EXPECT_EQ(Lang("{\\rtf1 a\\bin3 {}}\\b x}").xml,
            Text(P(Span("a") + Span("x", "font-weight:bold;"))));
  EXPECT_EQ(Lang("{\\rtf1 a\\bin999999999 xyz}").xml, Text(P(Span("a"))));
  EXPECT_EQ(Lang("{\\rtf1 a\\bin-5 x}").xml, Text(P(Span("ax"))));
  std::string langesWort = "{\\rtf1 a\\" + std::string(10000, 'x') + "123456789012345678901234 b}";
  EXPECT_EQ(Lang(langesWort).xml, Text(P(Span("ab"))));
}

}  // namespace
}  // namespace gtc_test

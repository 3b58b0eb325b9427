// Tests of the text kinds: which root element each group of stored texts
// gives (RTF and plain lines), how short and long text combine, the outline
// of additional texts, elements named by tag, and the errors of mixed or
// unknown input.
#include <gtest/gtest.h>

#include <string>

#include "konverter.h"

namespace gtc_test {
namespace {

const std::string kNsAttr = std::string(" xmlns=\"") + kNs + "\"";

TEST(gtcTextarten, KurzLangUndBeideMitZwischenumsetzung) {
  Konverter k;
  gtcRtfAddK(k.h(), R"({\rtf1 Kurz})");
  // The class converts after the short text and then adds the long text: the
  // stored short text must survive the first conversion.
  EXPECT_EQ(k.RtfNachXml().xml, Kurztext("<TextOutlTxt>" + P(Span("Kurz")) + "</TextOutlTxt>"));
  gtcRtfAddL(k.h(), R"({\rtf1 Lang})");
  EXPECT_EQ(k.RtfNachXml().xml,
            Description("<CompleteText><DetailTxt><Text>" + P(Span("Lang")) +
                        "</Text></DetailTxt><OutlineText><OutlTxt><TextOutlTxt>" +
                        P(Span("Kurz")) + "</TextOutlTxt></OutlTxt></OutlineText></CompleteText>"));
  // An empty short text adds no OutlineText to a long text.
  gtcRtfAddK(k.h(), "");
  EXPECT_EQ(k.RtfNachXml().xml, Langtext("<Text>" + P(Span("Lang")) + "</Text>"));
  // A short text alone is written even when empty.
  Konverter leer;
  gtcRtfAddK(leer.h(), "{\\rtf1 }");
  EXPECT_EQ(leer.RtfNachXml().xml, Kurztext("<TextOutlTxt/>"));
}

TEST(gtcTextarten, ZusatztextMitUndOhneAbgeleitetenUmriss) {
  Konverter k;
  gtcRtfAddA(k.h(), R"({\rtf1 {\b Erste} Zeile\line Rest\par Zweiter})");
  std::string detail = "<DetailAddText>" +
                       P(Span("Erste", "font-weight:bold;") + Span(" Zeile") + "<br/>" + Span("Rest")) +
                       P(Span("Zweiter")) + "</DetailAddText>";
  EXPECT_EQ(k.RtfNachXml(0).xml, "<AddText" + kNsAttr + ">" + detail + "</AddText>");
  // Flag -1: the first line (up to the line break) becomes the outline.
  EXPECT_EQ(k.RtfNachXml(-1).xml,
            "<AddText" + kNsAttr + "><OutlineAddText>" +
                P(Span("Erste", "font-weight:bold;") + Span(" Zeile")) + "</OutlineAddText>" +
                detail + "</AddText>");

  // The derived outline stops after 100 characters, counted as characters.
  Konverter lang;
  std::string zeile;
  for (int i = 0; i < 30; ++i) zeile += "äöü ";  // 120 characters
  gtcRtfAddA(lang.h(), gtc::Utf8NachCp1252(zeile).c_str());
  Xml r = lang.RtfNachXml(-1);
  std::string umriss;
  for (int i = 0; i < 25; ++i) umriss += "äöü ";
  EXPECT_EQ(r.xml, "<AddText" + kNsAttr + "><OutlineAddText>" + P(Span(umriss)) +
                       "</OutlineAddText><DetailAddText>" + P(Span(zeile)) +
                       "</DetailAddText></AddText>");
}

TEST(gtcTextarten, ZusatzkurztextAllein) {
  Konverter k;
  gtcRtfAddAK(k.h(), R"({\rtf1 Nur kurz})");
  EXPECT_EQ(k.RtfNachXml(-1).xml, "<AddText" + kNsAttr + "><OutlineAddText>" +
                                      P(Span("Nur kurz")) +
                                      "</OutlineAddText><DetailAddText/></AddText>");
}

TEST(gtcTextarten, ElementeNachTag) {
  struct Fall {
    bool formatiert;
    const char16_t* tag;
    const char* name;
  };
  for (const Fall& f : {Fall{true, u"Descrip", "Descrip"}, Fall{false, u"LblTx", "LblTx"},
                        Fall{false, u"ArtOutline", "ArtOutline"}}) {
    Konverter k;
    const char* rtf = R"({\rtf1 Titel {\i A}\par B})";
    if (f.formatiert) {
      gtcRtfAddF(k.h(), rtf, f.tag);
    } else {
      gtcRtfAddML(k.h(), rtf, f.tag);
    }
    std::string name = f.name;
    EXPECT_EQ(k.RtfNachXml().xml, "<" + name + kNsAttr + ">" +
                                      P(Span("Titel ") + Span("A", "font-style:italic;")) +
                                      P(Span("B")) + "</" + name + ">")
        << name;
  }
  // Gaps inside a label are ordinary text there.
  Konverter lücke;
  gtcRtfAddML(lücke.h(), R"({\rtf1 a{\*\bkmkstart TB1}b{\*\bkmkend TB1}c})", u"LblTx");
  EXPECT_EQ(lücke.RtfNachXml().xml, "<LblTx" + kNsAttr + ">" + P(Span("abc")) + "</LblTx>");
}

TEST(gtcTextarten, UnzulässigeKombinationenSindFehler) {
  Konverter tag;
  gtcRtfAddF(tag.h(), R"({\rtf1 x})", u"Description");
  EXPECT_EQ(tag.RtfNachXml().xml, "(null)");
  EXPECT_EQ(tag.RtfNachXml().fehler,
            "<gtcerrors><errors><error>Das Element &quot;Description&quot; kann keinen GAEB-Text "
            "aufnehmen.</error></errors></gtcerrors>");

  Konverter gemischt;
  gtcRtfAddK(gemischt.h(), R"({\rtf1 x})");
  gtcRtfAddA(gemischt.h(), R"({\rtf1 y})");
  Xml r = gemischt.RtfNachXml();
  EXPECT_EQ(r.xml, "(null)");
  EXPECT_NE(r.fehler.find("Texte verschiedener Arten"), std::string::npos) << r.fehler;

  Konverter nichts;
  EXPECT_EQ(nichts.RtfNachXml().xml, "(null)");
  EXPECT_EQ(nichts.RtfNachXml().fehler, "(null)");
}

TEST(gtcTextarten, MeldungenAllerGespeichertenTexte) {
  // Each text's remarks are reported with every conversion that uses it.
  Konverter k;
  gtcRtfAddK(k.h(), R"({\rtf1 a}b)");
  gtcRtfAddL(k.h(), R"({\rtf1 b)");
  EXPECT_EQ(k.RtfNachXml().fehler,
            "<gtcerrors><remarks><remark>Zeichen nach dem Ende des RTF-Textes wurden nicht "
            "übernommen.</remark><remark>Der RTF-Text endet vor dem Schluss seiner "
            "Gruppen.</remark></remarks></gtcerrors>");
}

TEST(gtcZeilen, KurzUndLangtextZeilen) {
  Konverter k;
  gtcAsciiAddLineK(k.h(), "Kurz \xE4", GTC_ZEILE_TEXT, 60);
  gtcAsciiAddLineL(k.h(), "Erste\tZeile", GTC_ZEILE_TEXT, 61);
  gtcAsciiAddLineL(k.h(), "Zweite\r\nDritte\n", GTC_ZEILE_TEXT, 61);
  gtcAsciiAddLineL(k.h(), "", GTC_ZEILE_TEXT, 61);
  gtcAsciiAddLineL(k.h(), "<&>\x01", GTC_ZEILE_TEXT, 61);
  Xml r = k.AsciiNachXml();
  EXPECT_EQ(r.xml, Description("<CompleteText><DetailTxt><Text>" + P(Span("Erste\tZeile")) +
                               P(Span("Zweite")) + P(Span("Dritte")) + P("") +
                               P(Span("&lt;&amp;&gt;")) +
                               "</Text></DetailTxt><OutlineText><OutlTxt><TextOutlTxt>" +
                               P(Span("Kurz ä")) +
                               "</TextOutlTxt></OutlTxt></OutlineText></CompleteText>"));
  EXPECT_EQ(r.fehler, "(null)");
  // Clearing empties the buffer: nothing to convert gives nothing, silently.
  gtcAsciiClear(k.h());
  EXPECT_EQ(k.AsciiNachXml().xml, "(null)");
  EXPECT_EQ(k.AsciiNachXml().fehler, "(null)");
}

TEST(gtcZeilen, BieterlückeAlleinIstTextComplement) {
  Konverter k;
  gtcAsciiAddLineL(k.h(), "'30 cm'", GTC_ZEILE_BIETER, 2);
  EXPECT_EQ(k.AsciiNachXml().xml, "<TextComplement" + kNsAttr +
                                      " Kind=\"Bidder\" MarkLbl=\"2\"><ComplCaption></ComplCaption><ComplBody>" +
                                      P(Span("'30 cm'")) +
                                      "</ComplBody><ComplTail></ComplTail></TextComplement>");
}

TEST(gtcZeilen, LückenZwischenTextzeilen) {
  // A gap continues the line before it; lines of one gap stay together; the
  // next text line starts a new line.
  Konverter k;
  gtcAsciiAddLineL(k.h(), "Fabrikat:", GTC_ZEILE_TEXT, 61);
  gtcAsciiAddLineL(k.h(), "eins", GTC_ZEILE_BIETER, 3);
  gtcAsciiAddLineL(k.h(), "zwei", GTC_ZEILE_BIETER, 3);
  gtcAsciiAddLineL(k.h(), "vom AG", GTC_ZEILE_AUFTRAGGEBER, 4);
  gtcAsciiAddLineL(k.h(), "Ende", GTC_ZEILE_TEXT, 61);
  gtcAsciiAddLineL(k.h(), "fremd", 'X', 0);
  Xml r = k.AsciiNachXml();
  EXPECT_EQ(r.xml,
            Langtext("<Text>" + P(Span("Fabrikat:")) + "</Text>" +
                     "<TextComplement Kind=\"Bidder\" MarkLbl=\"3\"><ComplCaption></ComplCaption><ComplBody>" +
                     P(Span("eins")) + P(Span("zwei")) + "</ComplBody><ComplTail></ComplTail></TextComplement>" +
                     "<TextComplement Kind=\"Owner\" MarkLbl=\"4\"><ComplCaption></ComplCaption><ComplBody>" +
                     P(Span("vom AG")) + "</ComplBody><ComplTail></ComplTail></TextComplement>" + "<Text>" +
                     P("") + P(Span("Ende")) + "</Text>"));
  EXPECT_EQ(r.fehler,
            "<gtcerrors><errors><error>Die Zeilenart 88 ist unbekannt; die Zeile wurde nicht "
            "übernommen.</error></errors></gtcerrors>");
}

TEST(gtcZeilen, ZusatztexteUndElemente) {
  Konverter a;
  gtcAsciiAddLineAL(a.h(), "Zusatz");
  // Plain lines have no flag: no outline is derived.
  EXPECT_EQ(a.AsciiNachXml().xml,
            "<AddText" + kNsAttr + "><DetailAddText>" + P(Span("Zusatz")) + "</DetailAddText></AddText>");
  Konverter ak;
  gtcAsciiAddLineAK(ak.h(), "Kurz");
  gtcAsciiAddLineAL(ak.h(), "Lang");
  EXPECT_EQ(ak.AsciiNachXml().xml, "<AddText" + kNsAttr + "><OutlineAddText>" + P(Span("Kurz")) +
                                       "</OutlineAddText><DetailAddText>" + P(Span("Lang")) +
                                       "</DetailAddText></AddText>");
  Konverter f;
  gtcAsciiAddLineF(f.h(), "Projekt", u"Descrip");
  gtcAsciiAddLineF(f.h(), "Bau", u"Descrip");
  EXPECT_EQ(f.AsciiNachXml().xml,
            "<Descrip" + kNsAttr + ">" + P(Span("Projekt")) + P(Span("Bau")) + "</Descrip>");
  Konverter ml;
  gtcAsciiAddLineML(ml.h(), "Rohbau", u"LblTx");
  EXPECT_EQ(ml.AsciiNachXml().xml, "<LblTx" + kNsAttr + ">" + P(Span("Rohbau")) + "</LblTx>");
  Konverter falsch;
  gtcAsciiAddLineML(falsch.h(), "x", u"p");
  EXPECT_EQ(falsch.AsciiNachXml().xml, "(null)");
}

}  // namespace
}  // namespace gtc_test

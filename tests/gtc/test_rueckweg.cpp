// Tests of the way back: GAEB XML text markup to RTF and to plain lines, the
// markup the reader understands beyond its own, round trips, the errors of
// XML that is not a GAEB text, long texts, and the inputs that once broke the
// converter.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "konverter.h"

namespace gtc_test {
namespace {

const std::string kLücken =
    R"({\rtf1 Beton {\*\bkmkstart TB2}30 cm{\*\bkmkend TB2} dick\par Zeile{\*\bkmkstart TA7}Wert{\*\bkmkend TA7}\par Ende})";

TEST(gtcNachRtf, TeileFormateZeichenUndLücken) {
  Konverter k;
  const std::string lücken = k.Markup(kLücken), beide = KurzUndLang(P(Span("Kurz")), P(Span("Lang")));
  struct Fall {
    std::string xml;
    char teil;
    std::int32_t flag;
    std::string rtf;
  };
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
       kKopf + R"(Beton {\*\bkmkstart TB2}30 cm{\*\bkmkend TB2} dick\par Zeile{\*\bkmkstart TA7}Wert{\*\bkmkend TA7}\par Ende\par})"},
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
      R"({\rtf1 {\*\bkmkstart TB-3}neg{\*\bkmkend TB-3}{\*\bkmkstart TA9223372036854775807}max{\*\bkmkend TA9223372036854775807}})",
      R"({\rtf1 })",
  };
  for (const char* rtf : fälle) {
    Konverter k, k2;
    std::string xml1 = k.Markup(rtf);
    gtcRtfAddL(k2.h(), k.XmlNachRtf(xml1, 'L', -1).xml.c_str());
    Xml r2 = k2.RtfNachXml();
    EXPECT_EQ(r2.xml, xml1) << rtf;
    EXPECT_EQ(r2.fehler, "(null)") << rtf;
  }
}

std::string Texte(const std::vector<Zeile>& zeilen) {
  std::string s;
  for (const Zeile& z : zeilen) s += z.text;
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
  ASSERT_EQ(zeilen.size(), 8u);
  EXPECT_EQ(Texte(zeilen), "Wort000001 Wort000002 Wort000003 Wort000004 Wort000005\r\n"
                           "Wort000006 Wort000007 Wort000008 Wort000009 Wort000010\r\n"
                           "Wort000011 Wort000012\r\n\r\n" + std::string(55, 'x') + "\r\nxxxxx Rest\r\na\r\n? \xE4\r\n");
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
  EXPECT_EQ(k.XmlNachZeilen(xml, 'L', 55),
            (std::vector<Zeile>{{"Beton 30 cm dick\r\n", GTC_ZEILE_BIETER, 2},
                                {"ZeileWert\r\n", GTC_ZEILE_AUFTRAGGEBER, 7},
                                {"Ende\r\n", GTC_ZEILE_TEXT, 61}}));
  // Lines in, lines out: the same lines.
  Konverter z;
  for (const char* t : {"Erste Zeile", "", "Dritte\tZeile"}) gtcAsciiAddLineL(z.h(), t, GTC_ZEILE_TEXT, 61);
  EXPECT_EQ(z.XmlNachZeilen(z.AsciiNachXml().xml, 'L', 55),
            (std::vector<Zeile>{{"Erste Zeile\r\n", GTC_ZEILE_TEXT, 61},
                                {"\r\n", GTC_ZEILE_TEXT, 61},
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
            "- eins\r\n- zwei\r\n1. a\r\n2. b\r\nA\tB\r\nfett\r\nlose\r\nweiterfremd\r\nkursiv u\r\nzwei  Zeilen\r\n");
  EXPECT_EQ(fehler, Hinweis("Ein Bild wurde nicht übernommen."));
  std::string rtf = k.XmlNachRtf(xml, 'L').xml;
  EXPECT_NE(rtf.find("\\b fett\\par \\b0 lose\\line weiterfremd\\par \\i kursiv \\ul u\\par"), std::string::npos)
      << rtf;
}

TEST(gtcXmlLeser, WurzelnUndUnbekannteKinder) {
  // Each root takes its own children; unknown ones are left out, an
  // attachment and a label that is no number with a remark.
  const std::string a = P(Span("a"));
  struct Fall {
    std::string xml;
    char teil;
    std::string rtf, fehler = "(null)";
  };
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
      {"<TextComplement" + kNsAttr + " Kind=\"Bidder\" MarkLbl=\"5\"><ComplTail>" + P(Span("t")) + "</ComplTail><ComplBody>" +
           a + "</ComplBody></TextComplement>",
       'L', kKopf + R"({\*\bkmkstart TB5}a{\*\bkmkend TB5}t\par})"},
      {Wurzel("LblTx", "<table><caption>c</caption><tr><x>y</x><td>A</td><td>B</td></tr></table>" + a + "<page/>" +
                           P(Span("b"))),
       'M', kKopf + "A\\tab B\\par a\\par \\par b\\par}"},  // a page ends its paragraph
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
  Xml hin = k.AsciiNachXml();
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
  Xml r = k.RtfNachXml();
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
        Xml r = k.RtfNachXml(-1);
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

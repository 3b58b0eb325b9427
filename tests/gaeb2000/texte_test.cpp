// The text blocks of the GAEB 2000 export: long and short texts with their
// supplement markers, the continuation texts, text rows as Hinweis or
// AusfBeschr, additional texts before the header and closing texts at the
// end, plain and as RTF.
#include <gtest/gtest.h>

#include "exportlv.h"

namespace gaeb::test {
namespace {

class Texte : public ExportTest {};

void TextBeleg(TestHost& h) {
  LV b;
  b.d.kopf.SetzeFeld("Kurzlangtext", true);
  host::Satz& vor = b.Zeile(50, "", "", "Vorbemerkung");
  vor.SetzeFeld("KnzVbSb", "1");
  vor.SetzeFeld("LangtextRTF", "{\\rtf1 Vor}");
  host::Satz& p1 = b.Position("0010", "Kurz [TA]", 1, "St", 1);
  Setze(p1, {{"Langtext", "Text {\\bkmstart TA1} Ende\r\nzweite [TB2]"}, {"Kurztext3", "Fortsetzung"},
               {"DruckKnz", "2"}, {"Zusatztext", "Zusatz"}});
  host::Satz& p2 = b.Position("0020", "Nur kurz\r\n", 1, "St", 1);
  Setze(p2, {{"Langtext", "Wort\r\n"}, {"DruckKnz", "1"}, {"Zusatztext", "nicht angehängt"},
               {"LangtextRTF", "{\\rtf1 Lang RTF}"}, {"Kurztext1RTF", "{\\rtf1 Kurz RTF}"}});
  b.Position("0030", "Ohne Langtext", 1, "St", 1);
  b.Zeile(50, "", "", "Ausführung").SetzeFeld("KennNr_Langtext", "[AUSFBESCHR]");
  b.Zeile(50, "", "", "Gemischt").SetzeFeld("KennNr_Langtext", "[AusfBeschr]");
  b.Zeile(50, "", "", "Ohne Schlüssel");
  b.Schlusstext("Schlussbemerkung");
  b.Speichere(*h.db);
}

Z Beschreibung(const Z& innen) {
  Z z{L(15, "#begin[Beschreibung]")};
  for (const std::string& s : innen) z.push_back(L(17, s));
  z.push_back(L(15, "#end[Beschreibung]"));
  return z;
}

TEST_F(Texte, PlainTextBlocks) {
  TextBeleg(h);
  Datei r = Export2000(*k, 1);
  ASSERT_TRUE(r.ergebnis);
  EXPECT_TRUE(h.Meldungen().empty());
  // A leading additional text stands before the header.
  EXPECT_EQ(Z(r.zeilen.begin() + 2, r.zeilen.begin() + 9),
            (Z{L(7, "#begin[ZusText]"), L(12, "[Text]"), L(12, "Vorbemerkung"), L(12, "[end]"), L(7, "#end[ZusText]"),
               "", L(5, "#begin[GAEBInfo]")}));
  // Markers of both supplements, the second long text under the print code,
  // the continuation of the short text.
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]")),
            Beschreibung({"[LangtextTA]J[end]", "[LangtextTB]J[end]", "[Langtext]", "Text {\\bkmstart TA1} Ende",
                          "zweite [TB2]", "Zusatz", "[end]", "[KurztextTA]J[end]", "[Kurztext]", "Kurz [TA]",
                          "Fortsetzung", "[end]"}));
  // A long text ending in CR LF gives one line of blanks more, a short text not.
  const std::size_t zweite = Index(r.zeilen, L(15, "[OZ]0020[end]"));
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]"), zweite),
            Beschreibung({"[Langtext]", "Wort", "", "[end]", "[Kurztext]", "Nur kurz", "[end]"}));
  // Without a long text only the short text.
  const std::size_t dritte = Index(r.zeilen, L(15, "[OZ]0030[end]"));
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]"), dritte),
            Beschreibung({"[Kurztext]", "Ohne Langtext", "[end]"}));
  // Text rows: only the exact upper-case key gives AusfBeschr.
  EXPECT_EQ(Block(r.zeilen, L(12, "#begin[AusfBeschr]"), L(12, "#end[AusfBeschr]")),
            (Z{L(12, "#begin[AusfBeschr]"), L(15, "#begin[Beschreibung]"), L(17, "[Langtext]"), L(17, "Ausführung"),
               L(17, "[end]"), L(15, "#end[Beschreibung]"), L(12, "#end[AusfBeschr]")}));
  EXPECT_EQ(Anzahl(r.zeilen, L(12, "#begin[Hinweis]")), 2);
  EXPECT_EQ(Anzahl(r.zeilen, L(12, "#end[Hinweis]")), 2);
  // The closing text after the award block.
  EXPECT_EQ(Z(r.zeilen.end() - 7, r.zeilen.end() - 1),
            (Z{L(5, "#end[Vergabe]"), L(7, "#begin[ZusText]"), L(12, "[Text]"), L(12, "Schlussbemerkung"),
               L(12, "[end]"), L(7, "#end[ZusText]")}));
}

TEST_F(Texte, RtfFormsReplaceThePlainTexts) {
  TextBeleg(h);
  Ausgabeoptionen rtf;
  rtf.chkMitRTFAusgabe = true;
  Datei r = Export2000(*k, 1, rtf, 83, Codepage::Cp1252);
  ASSERT_TRUE(r.ergebnis);
  EXPECT_EQ(Z(r.zeilen.begin() + 2, r.zeilen.begin() + 7),
            (Z{L(7, "#begin[ZusText]"), L(12, "[TextRTF]"), L(12, "{\\rtf1 Vor}"), L(12, "[end]"),
               L(7, "#end[ZusText]")}));
  const std::size_t zweite = Index(r.zeilen, L(15, "[OZ]0020[end]"));
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]"), zweite),
            Beschreibung({"[Langtext]", "{\\rtf1 Lang RTF}", "[end]", "[Kurztext]", "{\\rtf1 Kurz RTF}", "[end]"}));
  // An empty RTF form leaves the plain text, and "[Text]".
  EXPECT_EQ(Anzahl(r.zeilen, L(17, "Ausführung")), 1);
  EXPECT_EQ(Z(r.zeilen.end() - 6, r.zeilen.end() - 3),
            (Z{L(7, "#begin[ZusText]"), L(12, "[Text]"), L(12, "Schlussbemerkung")}));
}


TEST_F(Texte, LoneLineBreaksAndTypedDates) {
  // Older documents hold lines separated by LF or CR alone, and dates as typed.
  LV b;
  b.d.kopf.SetzeFeld("Projektbeschreibung", "P1\nP2");
  b.d.kopf.SetzeFeld("LVName", "LV\r\nName");
  b.d.kopf.SetzeFeld("Erfassungsdatum", "1.3.2027");
  b.d.kopf.SetzeFeld("DatumZuschlagsfrist", "01.03.27");
  b.Position("0010", "Kurz\n", 1, "St", 1).SetzeFeld("Langtext", "eins\nzwei\rdrei\n");
  b.Zeile(50, "", "", "H1\nH2");
  b.Speichere(*h.db);
  Datei r = Export2000(*k, 1);
  ASSERT_TRUE(r.ergebnis);
  EXPECT_TRUE(h.Meldungen().empty());
  for (std::size_t i = 0; i < r.bytes.size(); ++i)
    ASSERT_TRUE(r.bytes[i] == '\r' ? r.bytes[i + 1] == '\n' : r.bytes[i] != '\n' || r.bytes[i - 1] == '\r') << i;
  EXPECT_EQ(Block(r.zeilen, L(12, "[Beschreib]"), L(12, "[end]")),
            (Z{L(12, "[Beschreib]"), L(12, "P1"), L(12, "P2"), L(12, "[end]")}));
  EXPECT_EQ(Anzahl(r.zeilen, L(16, "[Name]LV Name[end]")), 1);
  EXPECT_EQ(Anzahl(r.zeilen, L(14, "[ErDatum]01.03.2027[end]")), 1);
  EXPECT_EQ(Anzahl(r.zeilen, L(14, "[ZusEnde]01.03.2027[end]")), 1);
  EXPECT_EQ(Block(r.zeilen, L(15, "#begin[Beschreibung]"), L(15, "#end[Beschreibung]")),
            Beschreibung({"[Langtext]", "eins", "zwei", "drei", "", "[end]", "[Kurztext]", "Kurz", "[end]"}));
  EXPECT_EQ(Block(r.zeilen, L(17, "[Langtext]"), L(17, "[end]"), Index(r.zeilen, L(12, "#begin[Hinweis]"))),
            (Z{L(17, "[Langtext]"), L(17, "H1"), L(17, "H2"), L(17, "[end]")}));
}

}  // namespace
}  // namespace gaeb::test

// gaeb view checked in a real browser: Debian's chromium (headless, no network, a fresh profile) loads the page, its
// DOM is dumped and the page printed to PDF (read back with pdftotext): the items, totals and categories the browser
// shows, categories folded on the screen and unfolded in the A4 print, and hostile texts shown as text.
#include <gtest/gtest.h>

#include <regex>

#include "programm.h"

namespace {

namespace fs = std::filesystem;
using gaeb::test::LiesDatei;

// Runs a program through the shell; its standard output.
std::string Aufruf(const std::string& befehl) {
  std::string aus;
  FILE* p = ::popen(befehl.c_str(), "r");
  if (p == nullptr) return aus;
  char puffer[4096];
  for (std::size_t n; (n = std::fread(puffer, 1, sizeof puffer, p)) > 0;) aus.append(puffer, n);
  ::pclose(p);
  return aus;
}

std::size_t Anzahl(const std::string& s, const std::string& was) {
  std::size_t n = 0;
  for (std::size_t p = s.find(was); p != std::string::npos; p = s.find(was, p + 1)) ++n;
  return n;
}

class Ansicht : public ::testing::Test, protected gaeb::test::Programmordner {
 protected:
  Ansicht() : Programmordner(std::string("view_") + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  // The browser with a fresh profile and nothing that reaches the network.
  std::string Chromium(const std::string& optionen, const fs::path& seite) {
    return Aufruf("chromium --headless --no-sandbox --disable-gpu --disable-background-networking "
                  "--disable-component-update --disable-sync --no-first-run --user-data-dir='" +
                  (ordner / "profil").string() + "' " + optionen + " 'file://" + seite.string() + "' 2>/dev/null");
  }
  std::string Dom(const fs::path& seite) { return Chromium("--dump-dom", seite); }
  // The printed page as text (pdftotext -layout) and its page size (pdfinfo).
  std::pair<std::string, std::string> Druck(const fs::path& seite) {
    const fs::path pdf = ordner / "druck.pdf";
    Chromium("--no-pdf-header-footer --print-to-pdf='" + pdf.string() + "'", seite);
    return {Aufruf("pdftotext -layout '" + pdf.string() + "' -"), Aufruf("pdfinfo '" + pdf.string() + "'")};
  }
};

TEST_F(Ansicht, DemoLvImBrowserUndImDruck) {
  ASSERT_EQ(Gaeb("demo --out '" + ordner.string() + "'").status, 0);
  const fs::path seite = ordner / "kita.html";
  auto l = Gaeb("view '" + (ordner / "kita-rohbau.x83").string() + "' --folded --out '" + seite.string() + "'");
  ASSERT_EQ(l.status, 0) << l.err;
  const std::string html = LiesDatei(seite);
  EXPECT_FALSE(std::regex_search(html, std::regex("https?:|src=|href=|url\\(|@import"))) << "the page refers to nothing outside itself";
  const std::string dom = Dom(seite);
  ASSERT_NE(dom.find("</html>"), std::string::npos) << "chromium gave no DOM";
  // Seven items, five categories nested as the bill's (two trades, three titles), all folded; the totals.
  EXPECT_EQ(Anzahl(dom, "<tr class=\"posten\""), 7u);
  EXPECT_EQ(Anzahl(dom, "<details class=\"bereich\""), 5u);
  EXPECT_EQ(Anzahl(dom, " open=\"\""), 0u);
  EXPECT_TRUE(std::regex_search(dom, std::regex("data-oz=\"01\">\\s*<summary>[^]*?data-oz=\"01.01\">[^]*?"
                                                "data-oz=\"01.01.0010\"[^]*?</details>\\s*<details class=\"bereich\" "
                                                "data-oz=\"01.02\">")));
  EXPECT_NE(dom.find("<span class=\"betrag\">19.382,00</span>"), std::string::npos);
  EXPECT_NE(dom.find("id=\"gesamtbetrag\">62.623,83 EUR</td>"), std::string::npos);
  EXPECT_NE(dom.find("Bedarfsposition</span>"), std::string::npos);
  // The print unfolds every category: each item with its amounts on an A4 page.
  auto [text, info] = Druck(seite);
  EXPECT_TRUE(std::regex_search(info, std::regex("Page size: +59[45]\\.\\d+ x 84[12]\\.\\d+ pts \\(A4\\)"))) << info;
  for (const char* zeile : {"01.01.0010 +Oberboden abtragen und seitlich +450,000 m2 +4,80 +2.160,00",
                            "02.01.0020 +Streifenfundamente, komplett +1,000 Psch +14.876,00 +14.876,00\n +Paket +Pauschal",
                            "Fundamentschalung +96,000 m2 +38,50 +3.696,00", "01.01.0030 +Offene Wasserhaltung Bedarfsposition",
                            "Gesamtbetrag netto +62.623,83 EUR", "Gesamtbetrag brutto +74.522,36 EUR"})
    EXPECT_TRUE(std::regex_search(text, std::regex(zeile))) << zeile << "\n" << text;
}

TEST_F(Ansicht, FeindlicheTexteBleibenText) {
  ASSERT_EQ(Gaeb("init").status, 0);
  ASSERT_EQ(Gaeb("project add --number 1 --name '<img src=x onerror=alert(2)>'").status, 0);
  const std::string böse = R"(<script>alert(\"x\")</script> & <b>fett</b>)";
  const std::string zeilen = R"([
    {"Positionstyp": 10, "Projektnummer": "1", "BezeichnungLV": "</title><script>alert(1)</script>"},
    {"Positionstyp": 40, "HierarchieEbene": 3, "Positionsnummer": "01", "Kurztext1": "Titel \"><iframe src=x>"},
    {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.0010", "Kurztext1": ")" + böse + R"(",
     "Langtext": "Absatz eins\r\n- Punkt <eins>\r\n- Punkt zwei\r\n1. erstens\r\nA\tB\r\n1\t2", "Menge": 2.0,
     "Mengeneinheit": "m'", "Einzelpreis": 10.0},
    {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.0020", "Kurztext1": "fett",
     "LangtextRTF": "{\\rtf1 Beton {\\b C25/30} liefern\\par}", "Langtext": "Beton C25/30 liefern", "Menge": 1.0,
     "Mengeneinheit": "St", "Einzelpreis": 5.0},
    {"Positionstyp": 90}])";
  auto l = Gaeb("import-rows " + Datei("boese.json", zeilen) + " --type 1");
  ASSERT_EQ(l.status, 0) << l.err;
  const fs::path seite = ordner / "boese.html";
  ASSERT_EQ(Gaeb("view --type 1 --number 1 --out '" + seite.string() + "'").status, 0);
  const std::string dom = Dom(seite);
  ASSERT_NE(dom.find("</html>"), std::string::npos) << "chromium gave no DOM";
  // No element the texts brought: no script, image or frame; the page's own elements are all there.
  for (const char* element : {"<script", "<img", "<iframe", "<eins>"}) EXPECT_EQ(dom.find(element), std::string::npos) << element;
  EXPECT_EQ(Anzahl(dom, "<tr class=\"posten\""), 2u);
  EXPECT_NE(dom.find("&lt;script&gt;alert(\"x\")&lt;/script&gt; &amp; &lt;b&gt;fett&lt;/b&gt;"), std::string::npos) << dom;
  // The long text's markup: a list, a numbered list, a table; bold from the RTF form.
  EXPECT_NE(dom.find("<p>Absatz eins</p><ul><li>Punkt &lt;eins&gt;</li><li>Punkt zwei</li></ul><ol><li>erstens</li></ol>"
                     "<table class=\"texttabelle\"><tbody><tr><td>A</td><td>B</td></tr><tr><td>1</td><td>2</td></tr>"),
            std::string::npos) << dom;
  EXPECT_NE(dom.find("Beton <b>C25/30</b> liefern"), std::string::npos) << dom;
  auto [text, info] = Druck(seite);
  EXPECT_TRUE(std::regex_search(text, std::regex(R"(<script>alert\("x"\)</script> &[\s\S]*?<b>fett</b>)"))) << text;
  EXPECT_NE(text.find("</title><script>alert(1)</script>"), std::string::npos) << text;
}

}  // namespace

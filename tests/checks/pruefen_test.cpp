// The commands on files without a database, end to end on the demo bills: info, diff of two editions, check-bid of a
// bid against its tender (each rule broken by a hand-edited bid).
#include <gtest/gtest.h>

#include <regex>

#include "programm.h"

namespace {

namespace fs = std::filesystem;
using gaeb::test::LiesDatei;

class Dateibefehle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    p_ = new gaeb::test::Programmordner("pruefen");
    ASSERT_EQ(p_->Gaeb("demo --out '" + p_->ordner.string() + "'").status, 0);
  }
  static void TearDownTestSuite() { delete p_; }
  static gaeb::test::Lauf Gaeb(const std::string& args) { return p_->Gaeb(args); }
  static std::string Pfad(const std::string& name) { return "'" + (p_->ordner / name).string() + "'"; }
  // A copy of a demo file with each regex replaced once; its path quoted.
  static std::string Geändert(const std::string& name, const std::vector<std::pair<std::string, std::string>>& ers) {
    std::string s = LiesDatei(p_->ordner / name);
    for (const auto& [von, nach] : ers) {
      std::string t = std::regex_replace(s, std::regex(von), nach, std::regex_constants::format_first_only);
      EXPECT_NE(t, s) << von;
      s = t;
    }
    return p_->Datei("geändert-" + name, s);
  }
  static gaeb::test::Programmordner* p_;
};
gaeb::test::Programmordner* Dateibefehle::p_;

TEST_F(Dateibefehle, CheckBidFindetJedeAbweichung) {
  const std::string lv = Pfad("kita-rohbau.x83");
  struct Fall {
    std::vector<std::pair<std::string, std::string>> änderung;
    std::string aus;
  } fälle[] = {
      {{}, "Das Angebot passt zum LV.\n"},
      {{{"<Qty>450.000</Qty>", "<Qty>460.000</Qty>"}},
       "menge 01.01.0010 Menge: 450,000 -> 460,000\ngesamtpreis 01.01.0010 Gesamtpreis: 2.208,00 -> 2.160,00\n"},
      {{{"<QU>m3</QU>", "<QU>m³</QU>"}}, "einheit 01.01.0020 Einheit: m3 -> m³\n"},
      {{{"<UP>9.90</UP>\\s*<IT>3762.00</IT>", ""}}, "preis-fehlt 02.01.0010 kein Einheitspreis\n"},
      {{{"<IT>24966.00</IT>", "<IT>24966.10</IT>"}}, "gesamtpreis 02.01.0030 Gesamtpreis: 24.966,00 -> 24.966,10\n"},
      {{{"<Item ID=\"A8\" RNoPart=\"0010\">[^]*?</Item>", ""}, {"RNoPart=\"0030\"", "RNoPart=\"0040\""}},
       "fehlt 01.01.0030: Offene Wasserhaltung\nfehlt 01.02.0010: Arbeitsraum verfüllen und verdichten\n"
       "zusätzlich 01.01.0040: \n"},
      {{{"<DP>84</DP>", "<DP>83</DP>"}}, "datenart LV Datenart: 84 -> 83\n"},
  };
  for (const Fall& f : fälle) {
    auto l = Gaeb("check-bid " + (f.änderung.empty() ? Pfad("kita-rohbau.x84") : Geändert("kita-rohbau.x84", f.änderung)) +
                  " " + lv);
    EXPECT_EQ(l.status, f.änderung.empty() ? 0 : 1) << l.err;
    EXPECT_EQ(l.aus, f.aus);
  }
  // The bid in the other formats, against the tender in another format; a file that cannot be read is exit 2.
  EXPECT_EQ(Gaeb("check-bid " + Pfad("kita-rohbau.x84") + " " + Pfad("kita-rohbau.d83")).status, 0);
  auto l = Gaeb("check-bid " + p_->Datei("leer.x84", "<GAEB/>") + " " + lv);
  EXPECT_EQ(l.status, 2);
  EXPECT_NE(l.err.find("leer.x84"), std::string::npos) << l.err;
  EXPECT_EQ(Gaeb("check-bid --json " + Pfad("kita-rohbau.x84") + " " + Pfad("schulzentrum-lose.x83")).status, 1);
}

TEST_F(Dateibefehle, DiffZweierAusgaben) {
  // The second edition: one quantity, one short text and one OZ changed, stored and exported by the program.
  std::string json = LiesDatei(fs::path(GAEB_EXAMPLES) / "schulzentrum-lose.json");
  for (auto [von, nach] : {std::pair{"\"Menge\": 640.0", "\"Menge\": 600.0"},
                           {"\"Fensterbänke innen\"", "\"Fensterbänke, innen\""},
                           {"\"1.01.02.0010\"", "\"1.01.02.0030\""}})
    json.replace(json.find(von), std::string(von).size(), nach);
  auto l = Gaeb("import-rows " + p_->Datei("zweite.json", json) + " --type 1");
  ASSERT_EQ(l.status, 0) << l.err;
  const std::string a = Pfad("schulzentrum-lose.x83"), b = Pfad("zweite.x83");
  ASSERT_EQ(Gaeb("export --type 1 --number " + l.aus.substr(0, l.aus.find('\n')) + " --format xml --dp 83 --prices --out " + b).status, 0);
  l = Gaeb("diff " + a + " " + b);
  EXPECT_EQ(l.status, 1) << l.err;
  EXPECT_EQ(l.aus,
            "entfernt 1.01.02.0010 Position: Unterspannbahn verlegen\n"
            "neu 1.01.02.0030 Position: Unterspannbahn verlegen\n"
            "geändert 1.01.01.0010 Menge: 640,000 -> 600,000\n"
            "geändert 2.01.01.0020 Kurztext: Fensterbänke innen -> Fensterbänke, innen\n"
            "Summe 1 Gesamtbetrag: 44.682,00 -> 44.114,00\n"
            "Summe 1.01 Gesamtbetrag: 44.682,00 -> 44.114,00\n"
            "Summe 1.01.01 Gesamtbetrag: 9.088,00 -> 8.520,00\n"
            "Summe LV Gesamtbetrag: 77.562,00 -> 76.994,00\n");
  l = Gaeb("diff --json " + a + " " + b);
  EXPECT_NE(l.aus.find("{\n    \"art\": \"geändert\",\n    \"oz\": \"1.01.01.0010\",\n    \"feld\": \"Menge\",\n"
                       "    \"alt\": \"640,000\",\n    \"neu\": \"600,000\"\n  }"),
            std::string::npos)
      << l.aus;
  l = Gaeb("diff " + a + " " + a);
  EXPECT_EQ(l.status, 0);
  EXPECT_EQ(l.aus, "");
  EXPECT_EQ(Gaeb("diff " + a + " " + Pfad("fehlt.x83")).status, 2);
}

TEST_F(Dateibefehle, InfoNennetKennzahlen) {
  auto l = Gaeb("info --json " + Pfad("kita-rohbau.d83"));
  ASSERT_EQ(l.status, 0) << l.err;
  EXPECT_NE(l.aus.find("\"format\": \"GAEB 90\",\n  \"version\": \"90\",\n  \"datenart\": 83,\n"), std::string::npos)
      << l.aus;
  EXPECT_NE(l.aus.find("\"bereiche\": 5,\n  \"positionen\": 7,\n  \"bedarfspositionen\": 1,\n  \"wahlpositionen\": 0,\n"
                       "  \"pauschalpositionen\": 1,\n  \"pakete\": 1,\n  \"gesamtbetrag\": 62623.83,\n  \"waehrung\": \"EUR\""),
            std::string::npos)
      << l.aus;
  l = Gaeb("info " + Pfad("schulzentrum-lose.p83"));
  EXPECT_NE(l.aus.find("Wahlpositionen:     1\nGesamtbetrag:       77.562,00 EUR\n"), std::string::npos) << l.aus;
}

}  // namespace

namespace {

// convert of each demo bill from GAEB DA XML into every format and data type: the file is written, and what `diff`
// finds between source and target is exactly what convert warned about, and only what the target cannot carry: code
// page 850 lacks the dash of texts (GAEB 2000 and 90), GAEB 90 cuts the project to 60 characters and has no prices of
// package parts (81: no prices at all), a bid (84) carries no texts, no marks of lump-sum, contingency and alternative
// items and no units of package parts (GAEB 90: no units and no package parts).
TEST_F(Dateibefehle, ConvertWarntVorJedemVerlust) {
  const std::string text = "geändert \\S+( Teil \\d)? (Bezeichnung|Kurztext|Langtext): ";
  const std::string gaeb90 = "|Kopf LV Projekt: |geändert \\S+ Teil \\d Einheitspreis: ";
  const std::string gebot = "|geändert \\S+( Teil \\d)? (Art|Pauschal|Einheit): ";
  for (const char* bill : {"kita-rohbau", "schulzentrum-lose"})
    for (char format : {'d', 'p', 'x'})
      for (int dp = 81; dp <= 86; ++dp) {
        const std::string ziel = std::string(bill) + "-" + format + std::to_string(dp) + "." + format + std::to_string(dp);
        const std::string quelle = Pfad(std::string(bill) + ".x83");
        std::string erlaubt = format == 'x' && dp != 84 ? "$^" : text;
        if (format == 'd') erlaubt += gaeb90 + (dp == 81 ? "|Summe \\S+ Gesamtbetrag: " : "");
        if (dp == 84 && format != 'p') erlaubt += gebot + (format == 'd' ? "|entfernt \\S+ Teil \\d Paketteil: " : "");
        auto l = Gaeb("convert " + quelle + " " + Pfad(ziel));
        ASSERT_EQ(l.status, 0) << ziel << l.err;
        std::string warnungen, vorne = "gaeb: Warnung: " + (p_->ordner / ziel).string() + " trägt nicht: ";
        for (std::size_t a = 0, e; (e = l.err.find('\n', a)) != std::string::npos; a = e + 1) {
          std::string zeile = l.err.substr(a, e - a);
          ASSERT_TRUE(zeile.starts_with(vorne)) << zeile;
          zeile.erase(0, vorne.size());
          EXPECT_TRUE(std::regex_search(zeile, std::regex("^(" + erlaubt + ")"))) << ziel << ": " << zeile;
          warnungen += zeile + "\n";
        }
        auto d = Gaeb("diff " + quelle + " " + Pfad(ziel));
        EXPECT_EQ(d.aus, warnungen) << ziel;
        EXPECT_EQ(d.status, warnungen.empty() ? 0 : 1) << ziel;
      }
  // --format and --dp before the extension; a target whose format is not known.
  auto l = Gaeb("convert " + Pfad("kita-rohbau.d83") + " " + Pfad("lv.gaeb") + " --format 2000 --dp 82");
  EXPECT_EQ(l.status, 0) << l.err;
  EXPECT_NE(LiesDatei(p_->ordner / "lv.gaeb").find("[DP]82[end]"), std::string::npos);
  EXPECT_EQ(Gaeb("convert " + Pfad("kita-rohbau.d83") + " " + Pfad("lv.txt")).status, 2);
}

}  // namespace

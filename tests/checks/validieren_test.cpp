// gaeb validate end to end through the program: one hand-made file per rule (tests/data/validate, each a small
// bill with exactly that rule broken) against the set of rules found and the exit code; the report's JSON and text
// forms; our own demo exports clean; the schema of each data type when the schemas are there; hostile input.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <regex>
#include <set>

#include <nlohmann/json.hpp>

#include "programm.h"

namespace {

namespace fs = std::filesystem;

class Validate : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::unsetenv("GAEB_XSD");
    p_ = new gaeb::test::Programmordner("validate");
  }
  static void TearDownTestSuite() { delete p_; }
  static std::string Daten(const std::string& name) { return "'" + (fs::path(GAEB_TESTDATA) / "validate" / name).string() + "'"; }
  static gaeb::test::Lauf Gaeb(const std::string& args) { return p_->Gaeb(args); }
  // The rules of the findings that are faults (not notes), sorted, comma-separated.
  static std::string Regeln(const nlohmann::json& j) {
    std::set<std::string> r;
    for (const auto& f : j["findings"])
      if (f["severity"] == "error") r.insert(f["rule"].get<std::string>());
    std::string s;
    for (const auto& x : r) s += (s.empty() ? "" : ",") + x;
    return s;
  }
  static gaeb::test::Programmordner* p_;
};
gaeb::test::Programmordner* Validate::p_;

TEST_F(Validate, JedeRegelHatIhreDatei) {
  struct Fall {
    const char* datei;
    const char* regeln;
    int status;
  } fälle[] = {
      {"clean.x83", "", 0},
      {"clean.d83", "", 0},
      {"clean.p83", "", 0},
      {"clean-sums.p83", "", 0},  // an area with sums, closed by the next one
      {"id-unique.x83", "id-unique", 1},
      {"total-item.x83", "total-item", 1},
      {"total-category.x83", "total-category", 1},
      {"total-bill.x83", "total-bill", 1},
      {"total-gross.x83", "total-bill", 1},
      {"oz-breakdown.x83", "oz-breakdown", 1},
      {"unit-width.x83", "unit-width", 1},
      {"number-width.x83", "number-width", 1},
      {"xml-schema.x83", "", 0},  // the schema is not checked without schemas
      {"g90-crlf.d83", "g90-crlf", 1},
      {"g90-line-length.d83", "g90-line-length", 1},
      {"g90-record-order.d83", "g90-record-order", 1},
      {"g90-record-kind.d83", "g90-record-kind", 1},
      {"g90-line-number.d83", "g90-line-number", 1},
      {"g90-codepage.d83", "g90-codepage", 1},
      {"g90-totals.d83", "g90-totals", 1},
      {"total-category.d83", "total-category", 1},
      {"oz-breakdown.d83", "oz-breakdown", 1},
      {"g2000-key.p83", "g2000-key", 1},
      {"g2000-end.p83", "g2000-end", 1},
      {"g2000-totals.p83", "g2000-totals", 1},
      {"total-bill.p83", "total-bill", 1},
      {"total-category.p83", "total-category", 1},
      {"oz-breakdown.p83", "oz-breakdown", 1},
      {"unit-width.p83", "unit-width", 1},
      {"number-width.p83", "number-width", 1},
      // Files the reader refuses are unreadable; the findings say where.
      {"g2000-nesting.p83", "g2000-nesting", 2},
      {"g2000-line.p83", "g2000-line", 2},
      {"short-record.d83", "g90-line-length,g90-line-number", 2},
      {"not-well-formed.x83", "", 2},
      {"doctype.x83", "", 2},
  };
  const std::string hilfe = Gaeb("validate --help").aus;
  for (const Fall& f : fälle) {
    // The help names every rule.
    for (std::string_view r = f.regeln; !r.empty(); r.remove_prefix(r.find(',') == r.npos ? r.size() : r.find(',') + 1))
      EXPECT_TRUE(std::regex_search(hilfe, std::regex("\\s" + std::string(r.substr(0, r.find(','))) + "[,;.]"))) << r;
    auto l = Gaeb("validate --json " + Daten(f.datei));
    EXPECT_EQ(l.status, f.status) << f.datei << "\n" << l.aus << l.err;
    nlohmann::json j = nlohmann::json::parse(l.aus, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << f.datei << ": " << l.aus;
    EXPECT_EQ(Regeln(j), f.regeln) << f.datei << "\n" << l.aus;
    EXPECT_EQ(j["readable"], f.status != 2) << f.datei;
  }
  // A file that is missing or no GAEB file.
  EXPECT_EQ(Gaeb("validate " + p_->Datei("fehlt/lv.x83", "")).status, 2);
  auto l = Gaeb("validate " + p_->Datei("text.x83", "Dies ist keine GAEB-Datei.\n"));
  EXPECT_EQ(l.status, 2);
  EXPECT_NE(l.err.find("keine GAEB-Datei"), std::string::npos) << l.err;
}

// The order of GAEB 90 records, each case one change of the clean file (lines numbered again).
TEST_F(Validate, Gaeb90Satzfolge) {
  std::vector<std::string> sätze;
  const std::string clean = gaeb::test::LiesDatei(fs::path(GAEB_TESTDATA) / "validate" / "clean.d83");
  for (std::size_t a = 0, e; (e = clean.find("\r\n", a)) != std::string::npos; a = e + 2) sätze.push_back(clean.substr(a, 74));
  ASSERT_EQ(sätze.size(), 37u);
  auto satz = [](const std::string& art) { return art + std::string(72, ' '); };
  struct Fall {
    std::function<void(std::vector<std::string>&)> änderung;
    const char* regeln;
    int status;
  } fälle[] = {
      {[&](auto& v) { v.insert(v.begin(), {satz("T0"), satz("T1"), satz("T9")}); }, "", 0},  // a preamble before 00
      {[](auto& v) { std::swap(v[9], v[10]); }, "g90-record-order,total-category", 1},         // prices before the item
      {[&](auto& v) { v.insert(v.end() - 1, satz("31")); }, "g90-record-order", 1},             // after the end record
      {[&](auto& v) { v.insert(v.begin() + 8, satz("12")); }, "", 0},                           // a second title line
      {[&](auto& v) { v.insert(v.begin() + 12, satz("12")); }, "g90-record-order", 1},          // a title line of an item
      {[&](auto& v) { v.insert(v.begin() + 1, satz("T1")); }, "g90-record-order", 2},           // T1 without T0
      {[](auto& v) { v.resize(v.size() - 2); }, "g90-record-order", 2},                         // no end record
      {[](auto& v) { v.insert(v.begin() + 2, v[0]); }, "g90-record-order", 2},                  // a second 00
  };
  for (std::size_t i = 0; i < std::size(fälle); ++i) {
    std::vector<std::string> v = sätze;
    fälle[i].änderung(v);
    std::string datei;
    for (std::size_t n = 0; n < v.size(); ++n) datei += v[n] + std::string(6 - std::to_string(n + 1).size(), '0') + std::to_string(n + 1) + "\r\n";
    auto l = Gaeb("validate --json " + p_->Datei("folge.d83", datei));
    EXPECT_EQ(l.status, fälle[i].status) << i << l.aus;
    EXPECT_EQ(Regeln(nlohmann::json::parse(l.aus)), fälle[i].regeln) << i << "\n" << l.aus;
  }
}

TEST_F(Validate, BerichtAlsJsonUndAlsZeilen) {
  auto l = Gaeb("validate --json " + Daten("total-item.x83"));
  EXPECT_EQ(l.status, 1);
  nlohmann::ordered_json j = nlohmann::ordered_json::parse(l.aus);
  j["file"] = "F";
  EXPECT_EQ(j.dump(), R"({"file":"F","format":"GAEB DA XML","version":"3.1","dataType":83,"schema":"not found",)"
                      R"("readable":true,"findings":[{"rule":"total-item","severity":"error","line":102,)"
                      R"("path":"/GAEB/Award/BoQ/BoQBody/BoQCtgy[1]/BoQBody/Itemlist/Item[1]/IT",)"
                      R"("message":"Gesamtbetrag 4.620,02 von 01.0010 ist nicht Menge x Einheitspreis = 4.620,00"}]})");
  // One line per finding like a compiler's, then the summary; without schemas a word on standard error.
  const std::string datei = (fs::path(GAEB_TESTDATA) / "validate" / "g90-line-number.d83").string();
  l = Gaeb("validate " + Daten("g90-line-number.d83"));
  EXPECT_EQ(l.aus, datei + ":15: g90-line-number: Zeilennummer 000051 folgt nicht auf 14\n" + datei +
                       ":16: g90-line-number: Zeilennummer 000016 folgt nicht auf 51\n" + datei +
                       ": 2 Befunde (GAEB 90, DA83)\n");
  EXPECT_EQ(l.err, "");
  l = Gaeb("validate " + Daten("clean.x83"));
  EXPECT_EQ(l.err, "gaeb: kein Schemaordner (--schemas DIR oder GAEB_XSD): das Schema wird nicht geprüft, die übrigen "
                   "Regeln schon\n");
  EXPECT_TRUE(l.aus.ends_with(": keine Befunde (GAEB DA XML 3.1, DA83)\n")) << l.aus;
}

// The files `gaeb demo` writes break none of the format's own rules (notes aside: the kita bill has two surcharges
// on the whole bill, of which the files carry the last).
TEST_F(Validate, DemoDateienSindSauber) {
  ASSERT_EQ(Gaeb("demo --out '" + p_->ordner.string() + "/demo'").status, 0);
  int n = 0;
  for (const auto& e : fs::directory_iterator(p_->ordner / "demo")) {
    if (e.path().extension().string()[1] == 'd' && e.path().extension() != ".d83") continue;  // DA11, DA12
    auto l = Gaeb("validate --json '" + e.path().string() + "'");
    EXPECT_EQ(l.status, 0) << e.path() << "\n" << l.aus;
    ++n;
  }
  EXPECT_EQ(n, 8);
}

TEST_F(Validate, SchemaDerVersionUndDatenart) {
  if (!fs::exists(fs::path(GAEB_XSD_DIR) / "GAEB_DA_XML_3.1_2009-12.xsd"))
    GTEST_SKIP() << "no schemas in " GAEB_XSD_DIR ": the schema rule was not run (the other rules were)";
  const std::string schemas = " --schemas '" GAEB_XSD_DIR "'";
  struct Fall {
    const char* datei;
    const char* regeln;
  } fälle[] = {{"clean.x83", ""},
               {"xml-schema.x83", "xml-schema"},
               {"id-unique.x83", "id-unique,xml-schema"},
               {"unit-width.x83", "unit-width,xml-schema"}};
  for (const Fall& f : fälle) {
    auto l = Gaeb("validate --json " + Daten(f.datei) + schemas);
    nlohmann::json j = nlohmann::json::parse(l.aus);
    EXPECT_EQ(j["schema"], "checked") << f.datei;
    EXPECT_EQ(j["schemaFile"], GAEB_XSD_DIR "/GAEB_DA_XML_3.1_2009-12.xsd");
    EXPECT_EQ(Regeln(j), f.regeln) << f.datei << "\n" << l.aus;
  }
  auto l = Gaeb("validate " + Daten("xml-schema.x83") + schemas);
  EXPECT_NE(l.aus.find(":101: xml-schema: Element 'Colour': This element is not expected. Expected is one of ( "
                       "CtlgAssign, UP, "),
            std::string::npos)
      << l.aus;
  EXPECT_NE(l.aus.find("[/GAEB/Award/BoQ/BoQBody/BoQCtgy[1]/BoQBody/Itemlist/Item[1]/Colour]\n"), std::string::npos);
  // The demo exports, each against the schema of its data type (a bid against the bid schema), through GAEB_XSD.
  ASSERT_EQ(Gaeb("demo --out '" + p_->ordner.string() + "/xml'").status, 0);
  ::setenv("GAEB_XSD", GAEB_XSD_DIR, 1);
  for (const char* datei : {"kita-rohbau.x83", "kita-rohbau.x84", "schulzentrum-lose.x83", "schulzentrum-lose.x84"}) {
    l = Gaeb("validate --json '" + (p_->ordner / "xml" / datei).string() + "'");
    nlohmann::json j = nlohmann::json::parse(l.aus);
    EXPECT_EQ(Regeln(j).find("xml-schema"), std::string::npos) << datei << l.aus;
    EXPECT_EQ(j["schemaFile"], std::string(GAEB_XSD_DIR) +
                                   (std::string(datei).ends_with("84") ? "/GAEB_DA_XML_84_3.1_2009-12.xsd"
                                                                       : "/GAEB_DA_XML_3.1_2009-12.xsd"));
  }
  ::unsetenv("GAEB_XSD");
  // A folder without the schema of the file: said once, the other rules still run.
  fs::create_directories(p_->ordner / "leer");
  l = Gaeb("validate --json " + Daten("total-bill.x83") + " --schemas '" + (p_->ordner / "leer").string() + "'");
  EXPECT_EQ(l.status, 1);
  EXPECT_EQ(nlohmann::json::parse(l.aus)["schema"], "not found");
  EXPECT_NE(l.err.find("keine Schemadatei für GAEB DA XML 3.1 DA83"), std::string::npos) << l.err;
}

// Entity expansion, a line of 50 MB and binary bytes end the run in time with exit 2, never with a crash.
TEST_F(Validate, FeindlicheEingaben) {
  const std::string kopf = "00        83L" + std::string(49, ' ') + "11PPPPI0090 000001\r\n";
  ASSERT_EQ(kopf.size(), 82u);
  std::string binär = "#begin[GAEB]\r\n";
  for (int i = 0; i < 200000; ++i) binär += static_cast<char>(i * 7 % 256);
  for (const auto& [name, inhalt] : {std::pair<std::string, std::string>{"lang.d83", kopf + "01" + std::string(50 << 20, 'x')},
                                     {"lang.p83", "#begin[GAEB]\r\n[" + std::string(50 << 20, 'a')},
                                     {"binaer.p83", binär}}) {
    const auto start = std::chrono::steady_clock::now();
    auto l = Gaeb("validate " + p_->Datei(name, inhalt));
    EXPECT_EQ(l.status, 2) << name << l.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << name;
    EXPECT_LE(std::count(l.aus.begin(), l.aus.end(), '\n'), 60) << name;  // at most 50 findings a rule, then a count
  }
  auto l = Gaeb("validate " + Daten("doctype.x83"));
  EXPECT_NE(l.err.find("Dokumenttyp-Deklaration"), std::string::npos) << l.err;
}

}  // namespace

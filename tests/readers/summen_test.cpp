// The totals a file declares are the host's: a bill with one row of each kind that counts differently,
// exported in the three formats, the totals as each file states them, and the host's totals after
// reading each file back.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>

#include "programm.h"

namespace {

// Title 01.01: 1000 + 200 (contingency with total) + 800 (lump sum) + 100 (markup item, 5 % of the 2000
// so far) + 210 (10 % on the title's 2100) = 2310; the alternative (500) and the contingency item without
// total amount (300) count nowhere. Title 01.02: 200. Trade 01: 2510; the discount of 3 % on the whole
// bill stands inside both areas but counts in the bill only: 2510 - 75.30 = 2434.70.
const char* kLv = R"([{"Positionstyp": 10, "Projektnummer": "1", "OZMaske": "1122PPPP", "OZStufen": "22040"},
 {"Positionstyp": 40, "HierarchieEbene": 2, "Positionsnummer": "01"},
 {"Positionstyp": 40, "HierarchieEbene": 3, "Positionsnummer": "01.01"},
 {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.01.0010", "Menge": 10, "Einzelpreis": 100},
 {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.01.0020", "Menge": 10, "Einzelpreis": 50,
  "Alternativposition": true},
 {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.01.0030", "Menge": 2, "Einzelpreis": 100,
  "Bedarfsposition": true},
 {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.01.0040", "Menge": 3, "Einzelpreis": 100,
  "Bedarfsposition": true, "Alternativposition": true},
 {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.01.0050", "Menge": 1, "Einzelpreis": 800,
  "Pauschalpreis": true},
 {"Positionstyp": 70, "Positionsnummer": "01.01.0060", "WelcherBetragZuAbschlag": 4, "AufAbschlagProzent": 5},
 {"Positionstyp": 70, "WelcherBetragZuAbschlag": 3, "AufAbschlagProzent": 10},
 {"Positionstyp": 40, "HierarchieEbene": 3, "Positionsnummer": "01.02"},
 {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.02.0010", "Menge": 5, "Einzelpreis": 40},
 {"Positionstyp": 60, "WelcherBetragZuAbschlag": 2},
 {"Positionstyp": 80, "WelcherBetragZuAbschlag": 0, "AufAbschlagProzent": 3}, {"Positionstyp": 90}])";

// The totals as the host keeps them: the areas, the bill's net total and the amount of each row on the
// whole bill.
std::string HostSummen(const nlohmann::json& beleg) {
  std::string s;
  for (const auto& z : beleg["Positionen"])
    if (int typ = z["Positionstyp"]; (typ >= 20 && typ <= 22) || ((typ == 70 || typ == 80) && z["WelcherBetragZuAbschlag"] == 0))
      s += z["Positionsnummer"].get<std::string>() + "=" + z["Gesamtpreis"].dump() + " ";
  return s + "netto=" + beleg["Schlusszeilen"][0]["Summe"].dump();
}

TEST(Summen, DieDateiErklärtDieSummenDesHostsUndGibtSieZurück) {
  gaeb::test::Programmordner p("summen");
  for (const std::string& a : {std::string("init"), std::string("project add --number 1"),
                               "import-rows " + p.Datei("lv.json", kLv) + " --type 1"})
    ASSERT_EQ(p.Gaeb(a).status, 0) << a;
  const std::string host = "01=2510.0 01.01=2310.0 01.02=200.0 =-75.3 netto=2434.7";
  EXPECT_EQ(HostSummen(nlohmann::json::parse(p.Gaeb("show --type 1 --number 1").aus)), host);
  // format, what declares the totals, the totals in file order
  const std::tuple<const char*, const char*, const char*> fälle[] = {
      // the bill (before the discount, after it), then the categories as they close
      {"xml", "<(Total|TotAfterDisc)>([^<]*)<", "2510.00 2434.70 2310.00 200.00 2510.00 "},
      // the bill in LVInfo; the areas the sum row of trade 01 closes: title 01.02 (without the sum
      // before a surcharge: 0), trade 01; title 01.01 ends before it, without sums
      {"2000", "\\[(Summe|SummeNachNL)\\]([^\\[]*)\\[", "2510,00 2434,70 0,00 200,00 2510,00 2510,00 "},
      // sum records: title 01.01 with the factor of its surcharge (2100 x 1.10), title 01.02, trade
      // 01; the end record: the bill before the discount and its factor (0.97)
      {"90", "\n(3[23]|99)(.{29})", "0101      0000002100001100000 0102      000000020000        "
                                   "01        000000251000        00000025100009700001900000000 "},
  };
  for (const auto& [format, muster, summen] : fälle) {
    SCOPED_TRACE(format);
    const std::string datei = (p.ordner / (std::string("lv.") + format)).string();
    ASSERT_EQ(p.Gaeb("export --type 1 --number 1 --dp 83 --prices --format " + std::string(format) + " --out " + datei).status, 0);
    const std::string inhalt = gaeb::test::LiesDatei(datei);
    std::string erklärt;
    const std::regex r(muster);
    for (std::sregex_iterator i(inhalt.begin(), inhalt.end(), r), e; i != e; ++i)
      erklärt += (*i)[2].str() + " ";
    EXPECT_EQ(erklärt.substr(0, std::string(summen).size()), summen);
    const gaeb::test::Lauf l = p.Gaeb("import " + datei + " --type 1 --project 1");
    ASSERT_EQ(l.status, 0) << l.err;
    EXPECT_EQ(HostSummen(nlohmann::json::parse(p.Gaeb("show --type 1 --number " + l.aus.substr(0, l.aus.find('\n'))).aus)), host);
  }
}

}  // namespace

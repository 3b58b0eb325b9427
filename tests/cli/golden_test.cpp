// The bytes of every export against recorded SHA-256 values: both demo bills
// (gaeb demo) and the generated benchmark bill of 10,000 positions, in every
// format, data type and set of options, each export as the program runs it.
// Today's date and clock times (HH:MM, HH:MM:SS) are masked, so the values hold on any day.
// Each line of tests/data/golden/exporte.txt holds one export: its name (bill,
// format, data type, options), the answer, the SHA-256 of the file and of the
// messages shown ("-" for none). scripts/golden.sh writes the file anew; with
// GAEB_GOLDEN_DATEIEN set to a folder the masked files are kept there by name,
// so that two versions of the exports can be compared with diff.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>

#include "benchlv.h"
#include "cli/befehle.h"
#include "cli/programm.h"
#include "programm.h"

namespace gaeb::cli {
namespace {

namespace fs = std::filesystem;

// Option sets by letter: P prices, K packages as items, Z times, R RTF texts,
// A article numbers, L home currency; "-" none.
Ausgabeoptionen Optionssatz(const std::string& s) {
  Ausgabeoptionen o;
  for (char c : s) {
    if (c == 'P') o.chkMitPreise = true;
    if (c == 'K') o.chkPaketalsLeistung = true;
    if (c == 'Z') o.chkMitZeiten = true;
    if (c == 'R') o.chkMitRTFAusgabe = true;
    if (c == 'A') o.chkMitArtikelnummerAusgabe = true;
    if (c == 'L') o.AusgabeLandeswährung = true;
  }
  return o;
}
const std::vector<std::string> kAlleOptionen = {"-", "P", "K", "Z", "R", "A", "L", "PKZRAL"};

struct Export {
  std::string name;
  std::int32_t belegnummer;
  std::int16_t datenphase;
  std::string optionen;
};

// The exports of one bill in one format: the demo bills in every data type
// with every option set (and the quantity calculations of GAEB 90); the large
// bill in every data type with prices, and in data type 83 without options
// and with all of them.
std::vector<Export> Exporte(const std::string& lv, const std::string& format) {
  std::vector<Export> e;
  auto dazu = [&](std::int32_t nr, std::int16_t dp, const std::string& o) {
    e.push_back({lv + std::to_string(nr) + "/" + format + "/" + std::to_string(dp) + "/" + o, nr, dp, o});
  };
  for (std::int32_t nr : lv == "demo" ? std::vector<std::int32_t>{1, 2} : std::vector<std::int32_t>{10000}) {
    for (std::int16_t dp = 81; dp <= 86; ++dp)
      for (const std::string& o : kAlleOptionen)
        if (lv == "demo" || o == "P" || (dp == 83 && (o == "-" || o == "PKZRAL"))) dazu(nr, dp, o);
    for (std::int16_t dp : {11, 12}) dazu(nr, dp, "-");
  }
  return e;
}

// The recorded lines whose name starts with praefix.
std::map<std::string, std::string> Soll(const std::string& praefix) {
  std::map<std::string, std::string> soll;
  std::ifstream f(GAEB_TESTDATA "/golden/exporte.txt");
  for (std::string zeile; std::getline(f, zeile);)
    if (zeile.starts_with(praefix)) soll[zeile.substr(0, zeile.find(' '))] = zeile;
  return soll;
}

std::string Maskiert(std::string s, const std::string& ordner) {
  static const std::regex uhrzeit("[0-2][0-9]:[0-5][0-9](:[0-5][0-9])?");
  const std::string jmt = HeuteJmt(), tmj = HeuteTmj();
  const std::string tag = tmj.substr(0, 2), monat = tmj.substr(2, 2), jahr = tmj.substr(4);
  for (const std::string& datum : {jmt, tmj, tag + "." + monat + "." + jahr, jahr + "-" + monat + "-" + tag, ordner})
    for (std::size_t p; (p = s.find(datum)) != std::string::npos;) s.replace(p, datum.size(), "#");
  return std::regex_replace(s, uhrzeit, "#");
}

class Goldbytes : public ::testing::TestWithParam<std::tuple<std::string, std::string>>,
                  protected test::Programmordner {
 protected:
  Goldbytes() : Programmordner("golden_" + std::to_string(std::hash<std::string>{}(Name()))) {}
  static std::string Name() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
};

TEST_P(Goldbytes, ExportBytesAsRecorded) {
  const auto& [lv, format] = GetParam();
  if (lv == "demo") {
    test::Lauf l = Gaeb("--user golden demo --out '" + (ordner / "demo").string() + "'");
    ASSERT_EQ(l.status, 0) << l.err;
  } else {
    bench::ErzeugeBenchLV(*host::ÖffneVerbindung(db), 10000, 3);
  }
  cli::Optionen optionen{db, "golden"};
  Programm programm(optionen);
  const fs::path hashes = ordner / "h";
  fs::create_directories(hashes);
  std::map<std::string, std::string> antwort;
  for (const Export& e : Exporte(lv, format)) {
    const std::string stamm = std::to_string(antwort.size());
    const fs::path ziel = ordner / ("ziel" + Dateiendung(format, e.datenphase));
    fs::remove(ziel);
    ::testing::internal::CaptureStderr();
    bool ok = Exportiere(programm, format, 1, e.belegnummer, ziel.string(), e.datenphase, Optionssatz(e.optionen));
    const std::string meldungen = ::testing::internal::GetCapturedStderr();
    if (fs::exists(ziel)) {
      const std::string inhalt = Maskiert(test::LiesDatei(ziel), ordner.string());
      std::ofstream(hashes / (stamm + "d")) << inhalt;
      if (const char* behalten = std::getenv("GAEB_GOLDEN_DATEIEN")) {
        std::string name = e.name;
        std::replace(name.begin(), name.end(), '/', '_');
        std::ofstream(fs::path(behalten) / name) << inhalt;
      }
    }
    if (!meldungen.empty()) std::ofstream(hashes / (stamm + "m")) << Maskiert(meldungen, ordner.string());
    antwort[e.name] = stamm + (ok ? " True" : " False");
  }
  // The SHA-256 of every masked file and message text.
  std::map<std::string, std::string> sha;
  FILE* p = popen(("cd '" + hashes.string() + "' && sha256sum *").c_str(), "r");
  ASSERT_NE(p, nullptr);
  char wert[65], name[64];
  while (std::fscanf(p, "%64s %63s", wert, name) == 2) sha[name] = wert;
  pclose(p);
  std::map<std::string, std::string> ist;
  for (const auto& [name, a] : antwort) {
    const std::string stamm = a.substr(0, a.find(' '));
    auto h = [&](const std::string& art) { return sha.count(stamm + art) ? sha[stamm + art] : std::string("-"); };
    ist[name] = name + a.substr(a.find(' ')) + " " + h("d") + " " + h("m");
  }
  if (const char* neu = std::getenv("GAEB_GOLDEN_NEU")) {
    std::ofstream f(fs::path(neu) / (lv + "_" + format + ".txt"));
    for (const auto& [name, zeile] : ist) f << zeile << "\n";
    return;
  }
  std::map<std::string, std::string> soll;
  for (const auto& [name, zeile] : Soll(lv))
    if (name.find("/" + format + "/") != std::string::npos) soll[name] = zeile;
  EXPECT_EQ(soll.size(), ist.size()) << "exports recorded for " << lv << "/" << format;
  for (const auto& [name, zeile] : ist) EXPECT_EQ(zeile, soll[name]);
}

INSTANTIATE_TEST_SUITE_P(, Goldbytes,
                         ::testing::Combine(::testing::Values("demo", "bench"), ::testing::Values("xml", "2000", "90")),
                         [](const auto& i) { return std::get<0>(i.param) + "_" + std::get<1>(i.param); });

}  // namespace
}  // namespace gaeb::cli

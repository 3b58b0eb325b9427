// Quantity calculations DA11 and DA12: the formula splitter, the exact lines of both files for a stored
// take-off, the route through the GAEB 90 driver, and the host's formula evaluation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "base/zeilendatei.h"
#include "gaeb90/reb.h"
#include "host/aufmass.h"
#include "exportlv.h"

namespace gaeb::test {
namespace {

const std::string zwölf = "2,5*2+2,5*2+2,5*2+2,5*2+2,5*2+2,5*2+2,5*2+2,5*2+2,5*2+2,5*2+2,5*2+2,5*2";

// s filled with blanks to n characters.
std::string L(const std::string& s, std::size_t n) { return s + std::string(n - s.size(), ' '); }

host::Aufmasszeile Z(std::int16_t art, const char* oz, const char* bezeichnung, const std::string& formel) {
  host::Aufmasszeile z;
  z.Zeilenart = art, z.Positionsnummer = oz, z.Bezeichnung = bezeichnung, z.Formel = formel;
  return z;
}

TEST(Reb, ZerlegeFormelCutsAfterTheLastOperatorWithinTheWidth) {
  const struct { std::string formel; std::size_t breite; int art; std::vector<std::string> stücke; } fälle[] = {
      {"2*3,5+4", 38, 11, {"2*3,5+4="}}, {" 2 ^ 3 ", 38, 12, {"2**3="}},
      {"2 ^ 3", 38, 0, {"2 ^ 3="}},  // other kinds keep the formula as written
      {"   ", 38, 11, {}}, {zwölf, 38, 11, {zwölf.substr(0, 36), zwölf.substr(36) + "="}},
      {zwölf, 65, 12, {zwölf.substr(0, 64), zwölf.substr(64) + "="}},
      {"123456789012345", 10, 11, {"1234567890", "12345="}},  // no operator: cut at the width
      {"123456789", 10, 11, {"123456789="}},                  // exactly the width: one piece
      // A rest of exactly the width after a cut is cut once more.
      {"12345678901234+6789", 10, 11, {"1234567890", "1234+", "6789="}}};
  for (const auto& f : fälle) {
    std::vector<std::string> stücke;
    EXPECT_TRUE(gaeb90::Zerlege_Formel(f.formel, stücke, f.breite, f.art));
    EXPECT_EQ(stücke, f.stücke) << f.formel;
  }
}

// Document 1/5 with a take-off of every kind of row.
class RebTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LV lv = LV90();
    lv.Kopf({{"KopfInformationAG", "Kita Sonnenschein"}, {"InformationProjekt", "Neubau"}, {"Projektname", "Kita"}});
    lv.Position(40, "01.0010");
    lv.Speichere(*h.db);
    std::vector<host::Aufmasszeile> zeilen = {
        Z(1, "01.0010", "Flur Süd", ""), Z(0, "01.0010", "Wand A", "2*3,5+4"), Z(0, "01.0010", "Lang", zwölf),
        Z(0, "01.0010", "Zwei", "2"),  // made kind 2 in the array below
        Z(0, "01.0020", "Abzug", "-2,5*5"), Z(0, "01.0020", "Gross", "1000"), Z(0, "01.0020", "Eins", "1"),
        Z(0, "01.0020", "Eins", "1"),
    };
    host::SpeichereAufmass(*h.db, 1, 5, zeilen);
    feld = host::BaueAufmassArray(*h.db, 1, 5);
    feld->SetzeWert(4, 0, std::int16_t{2});
    feld->SetzeWert(0, 4, Variant("P-17")), feld->SetzeWert(0, 6, Variant("K-42"));  // project and customer number
  }

  Datei Exportiere(int dp, clsGaebSQLEreignisse* zuhörer = nullptr) {
    const std::string pfad = NeuerPfad("reb.d" + std::to_string(dp));
    auto k = h.Komponente();
    k->Verbinde(zuhörer);
    const bool ok = dp == 11 ? k->Ausgabe_BelegdatenDA90REB11(1, 5, pfad, *feld)
                             : k->Ausgabe_BelegdatenDA90REB12(1, 5, pfad, *feld);
    return Datei(pfad, std::nullopt, ok);
  }

  TestHost h;
  std::unique_ptr<host::XArrayDBHost> feld;
};

// The exported file line by line against tests/data/reb/<name> (bytes as written: DA11 in code page 1252,
// DA12 in 850). With GAEB_REB_NEU set the file is written there instead; look at its diff before committing.
void WieErwartet(const Datei& d, const std::string& name) {
  const std::string pfad = std::string(GAEB_TESTDATA) + "/reb/" + name;
  if (std::getenv("GAEB_REB_NEU")) std::ofstream(pfad, std::ios::binary) << d.bytes;
  const std::vector<std::string> soll = Datei(pfad, std::nullopt).zeilen;
  ASSERT_FALSE(soll.empty()) << pfad;
  EXPECT_EQ(d.zeilen.size(), soll.size()) << name;
  for (std::size_t i = 0; i < std::min(soll.size(), d.zeilen.size()); ++i)
    EXPECT_EQ(d.zeilen[i], soll[i]) << name << " line " << i + 1;
}

// Header, information block (project and customer numbers, subject), the line letters A to Z running
// over into the next sheet, continuation lines and the result columns of both files.
TEST_F(RebTest, Da11AndDa12AreTheExpectedFiles) {
  Datei d = Exportiere(11);
  EXPECT_TRUE(d.ergebnis);
  WieErwartet(d, "aufmass.d11");
  // The row of 1000 does not fit its six columns: reported, and the export went on.
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{"Bei der Verarbeitung ist ein Fehler aufgetreten: AusgabeDA90_REB11"});
  EXPECT_EQ(Sperren(h), 0);
  h.Meldungsdienst().Leeren();
  d = Exportiere(12);
  EXPECT_TRUE(d.ergebnis);
  WieErwartet(d, "aufmass.d12");
  EXPECT_TRUE(h.Meldungen().empty());
}

// 22 lines a sheet; the sheet number has four columns: the first line of sheet 10000 is refused.
TEST(Reb, Da11SheetNumberWiderThanItsColumnsIsRefused) {
  TestHost h;
  auto k = h.Komponente();
  SpeicherAusgabe speicher;
  gaeb90::Mengenberechnung m(k->kontext(), &speicher);
  k->Satznummer(9999);
  for (int i = 1; i <= 23; ++i) {
    m.Zeilenpuffer() = L("11", 75);
    EXPECT_EQ(m.Ausgabe_ZeileDA90_REB11(), i <= 22) << i;
  }
  EXPECT_EQ(speicher.Daten().substr(21 * 81, 81), L("11", 69) + "9999Z0    \r\n");
  EXPECT_EQ(speicher.Daten().size(), 22 * 81u);
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("Ausgabe_ZeileDA90_REB11")});
}

TEST(Reb, OnlyAnEmptyRowAndTheDriversRoute) {
  TestHost h;
  LV90().Kopf({{"KopfInformationAG", "Kita"}}).Position(40, "01.0010").Speichere(*h.db);
  auto k = h.Komponente();
  Ausgabeoptionen o;  // no results: the driver hands one empty row
  Datei d12 = Export90(*k, 12, o);
  EXPECT_TRUE(d12.ergebnis);
  std::vector<std::string> arten(17, "12");  // project line and 15 information lines between header and end line
  arten.front() = "00", arten.back() = "99";
  EXPECT_EQ(d12.Arten(), arten);
  EXPECT_EQ(d12.zeilen.back(), "99");
  Datei d11 = Export90(*k, 11, o);
  EXPECT_TRUE(d11.ergebnis);
  EXPECT_EQ(d11.zeilen.size(), 17u);  // header, information and subject block
  EXPECT_TRUE(h.Meldungen().empty());
  EXPECT_EQ(Sperren(h), 0);
  // A document held elsewhere is not written.
  const Variant fremd[] = {Variant("jemand@anderswo:1")};
  h.db->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 5, ?)", fremd);
  host::XArrayDBHost leer;
  leer.ReDim(0, 0, 0, 19);
  EXPECT_FALSE(k->Ausgabe_BelegdatenDA90REB11(1, 5, NeuerPfad("gesperrt.d11"), leer));
  EXPECT_EQ(h.Meldungen().back(), "Beleg konnte nicht gesperrt werden");
}

TEST_F(RebTest, ProgressCancelAndALostLock) {
  const std::pair<int, Variant> eins[] = {
      {0, Variant(std::int16_t{0})}, {5, Variant("01.0030")}, {7, Variant(1.0)}, {8, Variant("1")}, {9, Variant(1.0)}};
  for (std::int32_t r = 9; r <= 20; ++r) {  // rows 9 to 20: calculation rows "1"
    feld->FügeZeileEin(r);
    for (const auto& [spalte, wert] : eins) feld->SetzeWert(r, spalte, wert);
  }
  for (int dp : {11, 12}) {
    Zuhörer z;
    z.abbrechenBei = 2;
    z.beiFortschritt = [&] { h.db->Ausführen("DELETE FROM Belegsperren"); };  // the lock is lost: unlocking fails
    h.Meldungsdienst().Leeren();
    const Datei d = Exportiere(dp, &z);
    EXPECT_FALSE(d.ergebnis);
    EXPECT_EQ(z.maxima, std::vector<std::int32_t>{21 + 9});
    // Cancelled after row 10: rows 11 to 20 are missing; DA12 still ends with its end line.
    ASSERT_GT(d.zeilen.size(), 1u);
    const std::string& letzte = d.zeilen[d.zeilen.size() - (dp == 11 ? 1 : 2)];
    EXPECT_EQ(letzte.substr(0, dp == 11 ? 5 : 18), dp == 11 ? "11010" : "1220" + L("010030", 14));
    EXPECT_EQ(d.zeilen.back() == "99", dp == 12);
    EXPECT_EQ(std::count_if(d.zeilen.begin(), d.zeilen.end(),
                            [](const std::string& z) { return z.find("010030") != std::string::npos; }), 2);
    EXPECT_EQ(h.Meldungen().back(), "Bei der Verarbeitung ist ein Fehler aufgetreten: Entsperre Beleg: 5");
  }
}

TEST(Reb, HostEvaluatesFormulasAndStoresNothingOnAnError) {
  const struct { std::string formel; double wert; bool fehler; } fälle[] = {
      {"2*3,5+4", 11, false}, {"2^3", 8, false}, {"2 ** 3", 8, false}, {"(1,5+0,5)*2", 4, false},
      {"-2,5*5", -12.5, false}, {"sqrt(16)+min(2;3)", 6, false}, {"2*", 0, true}, {"Wand", 0, true},
      {"1/0", 0, true}, {"", 0, true}};
  for (const auto& f : fälle) {
    if (f.fehler) {
      EXPECT_THROW(host::BerechneFormel(f.formel), Fehler) << f.formel;
    } else {
      EXPECT_DOUBLE_EQ(host::BerechneFormel(f.formel), f.wert) << f.formel;
    }
  }
  TestHost h;
  LV90().Position(40, "01.0010").Speichere(*h.db);
  host::SpeichereAufmass(*h.db, 1, 5, {Z(0, "01.0010", "A", "1,5")});
  try {
    host::SpeichereAufmass(*h.db, 1, 5,
                           {Z(0, "01.0010", "A", "2"), Z(1, "01.0010", "Text", ""), Z(0, "01.0010", "B", "3*(2")});
    ADD_FAILURE() << "no error";
  } catch (const Fehler& f) {
    EXPECT_NE(std::string(f.what()).find("Aufmaßzeile 3"), std::string::npos) << f.what();
  }
  const std::vector<host::Aufmasszeile> z = host::LeseAufmass(*h.db, 1, 5);
  ASSERT_EQ(z.size(), 1u);
  EXPECT_EQ(z[0].Menge, 1.5);
  EXPECT_THROW(host::SpeichereAufmass(*h.db, 1, 6, {}), Fehler);  // no such document
}

}  // namespace
}  // namespace gaeb::test

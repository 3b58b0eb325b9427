// The demo bills, imported through the component, exported as GAEB DA XML
// in every data type and with every option that changes the output: each
// file is valid against the schema of its data type, its IDs run A1, A2, ...
// in document order and every amount has a point and two decimals. Also the
// files `gaeb demo` writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "cli/beispiele.h"
#include "cli/zeilendatei_json.h"
#include "xmlhelfer.h"

namespace gaeb::test {
namespace {

// Imports a demo bill row by row as a host does; returns its number.
std::int32_t ImportiereBeispiel(TestHost& h, std::string_view json) {
  for (const char* projekt : {"1000", "1001"}) {
    const Variant p[] = {Variant(projekt)};
    if (h.db->Ausführen("SELECT Projektnummer FROM ProjekteKolvar WHERE Projektnummer = ?", p) == 0)
      h.db->Ausführen("INSERT INTO ProjekteKolvar (Projektnummer, KundenNummer, MitKunde) VALUES (?, '', 0)", p);
  }
  auto k = h.Komponente();
  EXPECT_TRUE(k->Init_BelegVorlauf(1, "").ToBool());
  std::int32_t nummer = k->Sperren_Belegnummer(1);
  for (const cli::Importzeile& zeile : cli::LeseImportzeilen(nlohmann::json::parse(json))) {
    k->Init_Datenfelder();
    for (const auto& [name, wert] : zeile) SchreibeEigenschaft(k->kontext().satz, name, wert);
    EXPECT_TRUE(k->Speichern_Belegdaten(1, nummer));
  }
  return nummer;
}

// Every ID of the file, in document order, is A1, A2, ...
void PrüfeIDs(const XmlDatei& d) {
  int anzahl = std::stoi(d.X("count(//@ID)"));
  EXPECT_GT(anzahl, 0);
  for (int i = 1; i <= anzahl; ++i)
    ASSERT_EQ(d.X("string((//@ID)[" + std::to_string(i) + "])"), "A" + std::to_string(i));
}

// Every amount, percentage and quantity with a point and its decimals.
void PrüfeZahlen(const XmlDatei& d) {
  static const std::regex zwei("-?[0-9]+\\.[0-9]{2}"), drei("-?[0-9]+\\.[0-9]{3}");
  for (const char* name : {"UP", "IT", "Total", "TotalGross", "VAT", "DiscountPcnt", "TotAfterDisc", "UPComp1",
                           "UPComp2", "TimeQu", "ITMarkup", "Markup", "Qty"}) {
    int n = std::stoi(d.X(std::string("count(//g:") + name + ")"));
    for (int i = 1; i <= n; ++i) {
      std::string wert = d.X(std::string("string((//g:") + name + ")[" + std::to_string(i) + "])");
      EXPECT_TRUE(std::regex_match(wert, std::string(name) == "Qty" ? drei : zwei)) << name << " " << wert;
    }
  }
}

TEST(Konformitaet, DemoBillsInEveryDataTypeAndOptionAreValid) {
  GAEB_BRAUCHT_SCHEMA();
  const std::pair<const char*, Ausgabeoptionen> optionen[] = {
      {"ohne", Mit(false)},
      {"Preise", Mit(true)},
      {"Preise+Pakete+Zeiten+Artikel", Mit(true, false, true, true, true)},
      {"RTF+Preise+Artikel", Mit(true, true, false, true, true)},
  };
  for (const cli::Beispiel& b : cli::Beispiele()) {
    TestHost h;
    std::int32_t nummer = ImportiereBeispiel(h, b.json);
    for (std::int16_t dp : {81, 82, 83, 84, 85, 86}) {
      for (const auto& [name, o] : optionen) {
        SCOPED_TRACE(std::string(b.name) + " DP " + std::to_string(dp) + " " + name);
        XmlLauf r = ExportiereXml(h, nummer, dp, o);
        EXPECT_TRUE(r.ergebnis);
        EXPECT_EQ(r.meldungen, std::vector<std::string>{});
        h.Meldungsdienst().Leeren();
        ASSERT_TRUE(r.datei && r.datei->Da());
        EXPECT_EQ(r.datei->Prüfe(dp), "");
        EXPECT_EQ(r.datei->X("string(/g:GAEB/g:Award/g:DP)"), std::to_string(dp));
        EXPECT_NE(r.datei->X("count(//g:Item)"), "0");
        PrüfeIDs(*r.datei);
        PrüfeZahlen(*r.datei);
        // Prices only with the option, always in a bid.
        EXPECT_EQ(r.datei->X("count(//g:Item/g:UP) = count(//g:Item)"), o.chkMitPreise || dp == 84 ? "true" : "false");
      }
    }
  }
}

TEST(Konformitaet, DemoWritesValidX83AndX84OfEachBill) {
  GAEB_BRAUCHT_SCHEMA();
  Ordner ordner;
  std::string befehl = "cd '" + ordner.pfad.string() + "' && env -u GAEB_DB '" GAEB_BIN_DIR "/gaeb' demo --out out >/dev/null 2>&1";
  ASSERT_EQ(std::system(befehl.c_str()), 0);
  for (const cli::Beispiel& b : cli::Beispiele()) {
    for (std::int16_t dp : {83, 84}) {
      XmlDatei d(ordner.Datei("out/" + std::string(b.name) + ".x" + std::to_string(dp)));
      ASSERT_TRUE(d.Da()) << b.name << " " << dp;
      EXPECT_EQ(d.Prüfe(dp), "") << b.name << " " << dp;
    }
  }
}

}  // namespace
}  // namespace gaeb::test

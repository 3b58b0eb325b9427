// The row import of the program in process: what Ctrl-C does to the data.
#include <gtest/gtest.h>

#include "cli/befehle.h"
#include "testhost.h"

namespace gaeb::cli {
namespace {

// A bill of n rows: header, positions, end row.
std::vector<Importzeile> Rechnung(int n) {
  nlohmann::json rows = nlohmann::json::array({{{"Positionstyp", 10}, {"Projektnummer", "1000"}}});
  for (int i = 1; i < n - 1; ++i)
    rows.push_back({{"Positionstyp", 40}, {"HierarchieEbene", 4}, {"Positionsnummer", std::to_string(i)}});
  rows.push_back({{"Positionstyp", 90}});
  return LeseImportzeilen(rows);
}

// Ctrl-C pressed while a host step of the import runs: an import whose end
// row has run is complete and saved; one stopped before it is neither saved
// nor unlocked, and the result says so.
TEST(Zeilenimport, CtrlCResultTellsWhatHappenedToTheData) {
  struct Fall {
    const char* schritt;  // the host step during which Ctrl-C comes
    int zeilen;
    bool gespeichert;
  } fälle[] = {{"PrüfeUndKorrigiere", 100, true}, {"ErzeugeBeleg", 101, false}};
  for (const Fall& f : fälle) {
    Optionen o{test::TestHost::NeuerName(), "tester"};
    Programm p(o);
    host::ErstelleSchema(p.Datenbank(false));
    p.Datenbank().Ausführen("INSERT INTO ProjekteKolvar (Projektnummer) VALUES ('1000')");
    auto störung = std::make_shared<test::Störzähler>();
    störung->signal = f.schritt;
    p.Fabrik()->Registriere(klassen::Belegdaten, [störung] {
      return std::make_unique<test::StörBelegdaten>(std::make_unique<host::BelegdatenHost>(), störung);
    });
    Importergebnis e = ImportiereZeilen(p, Rechnung(f.zeilen), 1);
    ASSERT_EQ(e.belegnummer, 1) << f.schritt;
    EXPECT_EQ(e.Erfolg(), f.gespeichert) << f.schritt;
    EXPECT_EQ(e.gespeichert, f.gespeichert) << f.schritt;
    EXPECT_EQ(e.abgebrochen, !f.gespeichert) << f.schritt;
    EXPECT_EQ(e.gesperrt, !f.gespeichert) << f.schritt;
  }
}

}  // namespace
}  // namespace gaeb::cli

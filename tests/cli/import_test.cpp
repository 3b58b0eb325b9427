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

// A program on a database of its own in memory, with the schema and project 1000.
struct Datenbank {
  Datenbank() {
    host::ErstelleSchema(programm.Datenbank(false));
    programm.Datenbank().Ausführen("INSERT INTO ProjekteKolvar (Projektnummer) VALUES ('1000')");
  }
  std::vector<std::string> Meldungen() {
    std::vector<std::string> out;
    auto& d = dynamic_cast<host::MeldungsdienstHost&>(programm.Fabrik()->Dienst<Meldungsdienst>(klassen::Meldungsdienst));
    for (const auto& m : d.Meldungen()) out.push_back(m.text);
    return out;
  }
  Optionen optionen{test::TestHost::NeuerName(), "tester"};
  Programm programm{optionen};
};

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
    Datenbank db;
    Programm& p = db.programm;
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

// A number that another workstation holds is drawn again; when no number is
// left the import ends at once, with one message and nothing locked.
TEST(Zeilenimport, OnlyAHeldNumberIsDrawnAgain) {
  Datenbank db;
  Verbindung& v = db.programm.Datenbank();
  v.Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 1, 'x@anderswo:1')");
  Importergebnis e = ImportiereZeilen(db.programm, Rechnung(2), 1);
  EXPECT_EQ(e.belegnummer, 2);
  EXPECT_TRUE(e.Erfolg());
  EXPECT_EQ(db.Meldungen(), std::vector<std::string>{"Beleg konnte nicht gesperrt werden"});
  v.Ausführen("UPDATE Nummernkreise SET NaechsteNummer = 2147483648");
  e = ImportiereZeilen(db.programm, Rechnung(2), 1);
  EXPECT_EQ(e.belegnummer, 0);
  EXPECT_EQ(db.Meldungen().size(), 2u);
  EXPECT_EQ(v.Ausführen("SELECT * FROM Belegsperren"), 1);
}

}  // namespace
}  // namespace gaeb::cli

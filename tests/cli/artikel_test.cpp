// The article master filled by the program from a bill, end to end.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/verbindung.h"
#include "programm.h"

namespace {

TEST(Artikelstamm, ImportRowsFillsTheArticleMasterOfTheSupplier) {
  gaeb::test::Programmordner o("cli_artikel");
  ASSERT_EQ(o.Gaeb("init").status, 0);
  ASSERT_EQ(o.Gaeb("project add --number 1000").status, 0);
  const std::string zeilen = o.Datei("lv.json", R"([
    {"Positionstyp": 10, "Projektnummer": "1000"},
    {"Positionstyp": 40, "HierarchieEbene": 1, "Positionsnummer": "01", "Kurztext1": "Rohbau"},
    {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.0010", "Kurztext1": "Mauerwerk",
     "Langtext": "Kalksandstein", "Mengeneinheit": "m2", "Menge": 2, "Einzelpreis": 99, "MaterialEPVK": 10,
     "LohnEPVK": 5},
    {"Positionstyp": 40, "HierarchieEbene": 4, "Positionsnummer": "01.0020", "Kurztext1": "Stundenlohn",
     "Mengeneinheit": "h", "Menge": 1, "Zeit": 1},
    {"Positionstyp": 90}])");
  gaeb::test::Lauf l = o.Gaeb("--user tester import-rows " + zeilen + " --type 1 --articles \"O'Brien:OB\"");
  ASSERT_EQ(l.status, 0) << l.err;
  l = o.Gaeb("articles list --supplier \"O'Brien\"");
  ASSERT_EQ(l.status, 0) << l.err;
  const nlohmann::json a = nlohmann::json::parse(l.aus);
  ASSERT_EQ(a.size(), 2u) << l.aus;
  // The unit price the document rebuilt from its shares is the purchase price.
  const std::tuple<int, const char*, nlohmann::json> felder[] = {
      {0, "Artikelnummer", "OB01.0010"}, {0, "stekPreis", 15.0}, {0, "stvkPreis", 10.0}, {0, "stvkVK2Lohn", 5.0},
      {0, "ArtikelTyp", "3"}, {0, "AnlageUser", "tester"}, {1, "Artikelnummer", "OB01.0020"}, {1, "ArtikelTyp", "2"}};
  for (const auto& [i, feld, wert] : felder) EXPECT_EQ(a[i][feld], wert) << i << " " << feld;
  EXPECT_EQ(a[0]["Langtext"]["Langtext"], "Kalksandstein");
  EXPECT_FALSE(a[1].contains("Langtext"));
  EXPECT_EQ(o.Gaeb("articles list --supplier \"O'Brien\" --kv").aus, "[]\n");
  EXPECT_EQ(o.Gaeb("import-rows " + zeilen + " --type 1 --articles OB").status, 2);
  // Articles that could not be written make the import fail, though the document is saved.
  gaeb::host::ÖffneVerbindung(o.db)->Ausführen("DROP TABLE ArtikelKV");
  l = o.Gaeb("import-rows " + zeilen + " --type 1 --articles \"O'Brien:OB\" --kv");
  EXPECT_EQ(l.status, 1);
  EXPECT_EQ(l.aus, "2\n");
  EXPECT_NE(l.err.find("die Artikel von Lieferant O'Brien sind nicht vollständig gespeichert"), std::string::npos) << l.err;
}

}  // namespace

// The demo bills as GAEB DA XML in every data type and option: schema-valid, IDs A1, A2, ... in order,
// numbers with a point; the files `gaeb demo` writes; a read-only target and failing position reads.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

// Every ID of the file, in document order, is A1, A2, ...; every amount,
// percentage and quantity has a point and its decimals.
void PrüfeIDsUndZahlen(const XmlDatei& d) {
  int anzahl = std::stoi(d.X("count(//@ID)"));
  EXPECT_GT(anzahl, 0);
  for (int i = 1; i <= anzahl; ++i) ASSERT_EQ(d.X("string((//@ID)[" + std::to_string(i) + "])"), "A" + std::to_string(i));
  static const std::regex zwei("-?[0-9]+\\.[0-9]{2}"), drei("-?[0-9]+\\.[0-9]{3}");
  for (const std::string name : {"UP", "IT", "Total", "TotalGross", "VAT", "DiscountPcnt", "TotAfterDisc", "UPComp1",
                                 "UPComp2", "TimeQu", "ITMarkup", "Markup", "Qty"}) {
    for (int i = 1, n = std::stoi(d.X("count(//g:" + name + ")")); i <= n; ++i) {
      std::string wert = d.X("string((//g:" + name + ")[" + std::to_string(i) + "])");
      EXPECT_TRUE(std::regex_match(wert, name == "Qty" ? drei : zwei)) << name << " " << wert;
    }
  }
}

TEST(Konformitaet, DemoBillsInEveryDataTypeAndOptionAreValid) {
  GAEB_BRAUCHT_SCHEMA();
  const std::pair<const char*, Ausgabeoptionen> optionen[] = {
      {"ohne", Mit(false)}, {"Preise", Mit(true)}, {"Preise+Pakete+Zeiten+Artikel", Mit(true, false, true, true, true)},
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
        PrüfeIDsUndZahlen(*r.datei);
        // Prices only with the option, always in a bid.
        EXPECT_EQ(r.datei->X("count(//g:Item/g:UP) = count(//g:Item)"), o.chkMitPreise || dp == 84 ? "true" : "false");
      }
    }
  }
}

TEST(Konformitaet, DemoWritesCrLfFilesAndValidX83AndX84) {
  Programmordner o("demo");
  const Lauf l = o.Gaeb("demo --out '" + (o.ordner / "out").string() + "'");
  ASSERT_EQ(l.status, 0) << l.err;
  int dateien = 0;
  for (const auto& f : std::filesystem::directory_iterator(o.ordner / "out")) {
    const std::string endung = f.path().extension().string();
    if (endung.rfind(".p8", 0) != 0 && endung.rfind(".d8", 0) != 0) continue;
    ++dateien;
    EXPECT_TRUE(NurCrLf(LiesDatei(f.path()))) << f.path();
  }
  EXPECT_GE(dateien, 4);
  // The import stored the demo's texts with CR LF between their lines.
  auto v = host::ÖffneVerbindung(o.db);
  auto zähle = [&](const std::string& bedingung) {
    return v->Abfrage("SELECT COUNT(*) FROM Belegpositionen WHERE " + bedingung).zeilen.at(0).at(0).ToInt32();
  };
  EXPECT_GT(zähle("instr(Langtext, char(13) || char(10)) > 0"), 0);
  EXPECT_EQ(zähle("instr(replace(Langtext || Kurztext1, char(13) || char(10), ''), char(10)) > 0"), 0);
  for (const cli::Beispiel& b : cli::Beispiele()) {
    for (std::int16_t dp : {83, 84}) {
      XmlDatei d((o.ordner / "out" / (std::string(b.name) + ".x" + std::to_string(dp))).string());
      ASSERT_TRUE(d.Da()) << b.name << " " << dp;
      if (Schema(dp) != nullptr) {
        EXPECT_EQ(d.Prüfe(dp), "") << b.name << " " << dp;
      }
    }
  }
  if (Schema(83) == nullptr || Schema(84) == nullptr)
    GTEST_SKIP() << "no schemas in " GAEB_XSD_DIR ": the files were not validated (the rest was checked)";
}

TEST(Ablauf, ReadOnlyTargetIsReplacedAndAFailureMidwayLeavesItAsItWas) {
  TestHost h;
  Positionen(h, 100, {{"OZMaske", "PPPP"}});
  std::string ziel = NeuerPfad("alt.x83");
  { std::ofstream(ziel) << "alter Inhalt"; }
  chmod(ziel.c_str(), 0444);
  EXPECT_TRUE(h.Komponente()->Ausgabe_BelegdatenDAXML(1, 1, ziel, 83));
  XmlDatei d(ziel);
  ASSERT_TRUE(d.Da());
  EXPECT_EQ(d.X("count(//g:Item)"), "100");
  // A failure of the driver halfway through the walk, after many items were
  // written: the target keeps its bytes and no other file is left behind.
  const std::string vorher = LiesDatei(ziel);
  h.störung->Störe("WählePosition", 150);
  EXPECT_FALSE(h.Komponente()->Ausgabe_BelegdatenDAXML(1, 1, ziel, 83));
  EXPECT_EQ(h.störung->opAufrufe, 150);
  EXPECT_EQ(LiesDatei(ziel), vorher);
  const auto dateien = std::distance(std::filesystem::directory_iterator(std::filesystem::path(ziel).parent_path()),
                                     std::filesystem::directory_iterator());
  EXPECT_EQ(dateien, 1);
}

TEST(Ablauf, EveryFailingPositionReadIsReportedOnceAndAnswersFalse) {
  TestHost h;
  Positionen(h, 3, {{"OZMaske", "PPPP"}});
  // Countdown over the reads of the current position: a failure inside a
  // writer is reported under the writer's name, the rest of the file is
  // still saved; one in the driver itself ends the export. Either way the
  // answer is False, one message is shown and the document is unlocked.
  int imSchreiber = 0;
  for (long n = 1;; ++n) {
    h.störung->Störe("AktuellePosition", n);
    h.Meldungsdienst().Leeren();
    XmlLauf r = ExportiereXml(h, 1);
    if (h.störung->opAufrufe < n) {
      EXPECT_TRUE(r.ergebnis);
      break;
    }
    SCOPED_TRACE(n);
    EXPECT_FALSE(r.ergebnis);
    ASSERT_EQ(r.meldungen.size(), 1u);
    EXPECT_EQ(Sperren(h), 0);
    if (r.meldungen[0] == TestHost::M10055("Ausgabe_BelegdatenDAXML")) {
      EXPECT_EQ(r.datei, nullptr);
    } else {
      ++imSchreiber;
      EXPECT_NE(r.meldungen[0].find("XML"), std::string::npos) << r.meldungen[0];
      ASSERT_TRUE(r.datei && r.datei->Da());
      // The item whose writer failed may stand without its element.
      EXPECT_GE(std::stoi(r.datei->X("count(//g:Item)")), 2);
    }
  }
  EXPECT_GT(imSchreiber, 10);
}

}  // namespace
}  // namespace gaeb::test

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <vector>

#include "base/fehler.h"
#include "cli/befehle.h"
#include "cli/beispiele.h"
#include "host/dienste.h"
#include "host/schema.h"

namespace gaeb::cli {

namespace {

// Demo company data; values already set by the user stay.
const std::pair<const char*, const char*> kFirma[] = {
    {"Name1", "Muster Bau GmbH"},     {"Name2", "Hoch- und Tiefbau"},
    {"Name3", "Meisterbetrieb"},      {"Straße", "Industriestraße 12"},
    {"PlzOrt", "50667 Köln"},         {"Telefon", "0221 123456-0"},
    {"Fax", "0221 123456-99"},        {"Email", "angebote@musterbau.example"},
};

// The take-off of the first demo bill: comments, a deduction (negative
// quantity), a power, and a formula longer than one calculation line.
constexpr const char* kDemoAufmass = R"json([
  {"kind": "comment", "oz": "01.01.0010", "text": "Oberboden, Baufeld nach Lageplan"},
  {"kind": "calculation", "oz": "01.01.0010", "designation": "Baufeld", "formula": "24,50*16,00"},
  {"kind": "calculation", "oz": "01.01.0010", "designation": "Zufahrt", "formula": "12,00*4,50"},
  {"kind": "calculation", "oz": "01.01.0010", "designation": "Baum", "formula": "-3,14159*2,5^2"},
  {"kind": "comment", "oz": "01.01.0020", "text": "Baugrube, Achsen A-D, Tiefe 1,80 m"},
  {"kind": "calculation", "oz": "01.01.0020", "designation": "Achse A-B", "formula": "12,50*8,25*1,80"},
  {"kind": "calculation", "oz": "01.01.0020", "designation": "Achse C-D", "formula": "6,40 * 4,10 * 1,80"},
  {"kind": "calculation", "oz": "01.01.0020", "designation": "Boeschung",
   "formula": "(12,50+8,25)*2*0,5*1,80**2*0,5+(6,40+4,10)*2*0,5*1,80**2*0,5+4*(1,80**3)/3"},
  {"kind": "calculation", "oz": "01.01.0020", "designation": "Schacht", "formula": "-(1,20*1,20*1,80)"},
  {"kind": "comment", "oz": "01.01.0030", "text": "Wasserhaltung laut Bautagebuch"},
  {"kind": "calculation", "oz": "01.01.0030", "designation": "KW 14-15", "formula": "2*5"},
  {"kind": "calculation", "oz": "01.01.0030", "designation": "KW 16", "formula": "4"}
])json";

// Gives document (belegart, nummer) the demo take-off and writes its quantity
// calculations; false when something failed.
bool DemoAufmass(Programm& programm, const std::string& ordner, const std::string& name, std::int16_t belegart,
                 std::int32_t nummer) {
  host::SpeichereAufmass(programm.Datenbank(), belegart, nummer,
                         LeseAufmasszeilen(nlohmann::json::parse(kDemoAufmass)));
  bool alles = true;
  for (std::int16_t dp : {11, 12}) {
    std::filesystem::path ziel = std::filesystem::path(ordner) / (name + Dateiendung("90", dp));
    bool ok = Exportiere(programm, "90", belegart, nummer, ziel.string(), dp, {});
    std::cout << "  Mengenberechnung DA" << dp << ": " << ziel.string() << (ok ? "" : "  (fehlgeschlagen)") << "\n";
    alles = alles && ok;
  }
  return alles;
}

void Vorbereiten(Verbindung& v) {
  host::ErstelleSchema(v);
  for (const auto& [key, wert] : kFirma) {
    bool da = false;
    host::LeseEinstellung(v, "Standard", "Firmendaten", key, &da);
    if (!da) host::SchreibeEinstellung(v, "Standard", "Firmendaten", key, wert);
  }
  struct P {
    const char* nummer;
    const char* name;
    const char* kunde;
  } projekte[] = {{"1000", "Kita Sonnenschein", "20001"}, {"1001", "Schulzentrum Nord", ""}};
  for (const P& p : projekte) {
    const Variant key[] = {Variant(p.nummer)};
    if (v.Ausführen("SELECT Projektnummer FROM ProjekteKolvar WHERE Projektnummer = ?", key) == 0) {
      const Variant row[] = {Variant(p.nummer), Variant(p.name), Variant(p.kunde),
                             Variant(static_cast<std::int32_t>(*p.kunde ? 1 : 0))};
      v.Ausführen("INSERT INTO ProjekteKolvar (Projektnummer, Bezeichnung, KundenNummer, MitKunde) VALUES (?, ?, ?, ?)",
                  row);
    }
  }
  if (v.Ausführen("SELECT NEART FROM Metallarten WHERE NEART = 'CU'") == 0)
    v.Ausführen("INSERT INTO Metallarten (NEART, Bezeichnung, Tagespreis) VALUES ('CU', 'Kupfer', 812.5)");
}

}  // namespace

void RegistriereDemo(CLI::App& app, Programm& programm, Optionen& optionen, int& exitcode) {
  CLI::App* demo = app.add_subcommand(
      "demo", "Set up a demo database, import the demo bills and export each in every format (GAEB DA XML also as X84);\n"
      "the first bill also gets a quantity take-off, written as DA11 and DA12");
  static std::string ordner = "gaeb-demo";
  demo->add_option("--out", ordner, "Folder for the GAEB files")->capture_default_str();
  demo->callback([&] {
    // The demo has a database of its own unless one is named.
    if (optionen.db.empty() && (std::getenv("GAEB_DB") == nullptr || *std::getenv("GAEB_DB") == '\0'))
      optionen.db = "sqlite:gaeb-demo.db";
    Verbindung& v = programm.Datenbank(false);
    Vorbereiten(v);
    std::cout << "Datenbank: " << programm.Druckbar(programm.Verbindungstext()) << "\n";
    std::filesystem::create_directories(ordner);
    const std::int16_t belegart = 1;
    bool alles = true;
    for (const Beispiel& b : Beispiele()) {
      std::vector<Importzeile> zeilen = LeseImportzeilen(b.json);
      Importergebnis e = ImportiereZeilen(programm, zeilen, belegart);
      if (!e.Erfolg()) {
        std::cerr << "gaeb: Import von " << b.name << " fehlgeschlagen\n";
        alles = false;
        continue;
      }
      std::cout << b.name << ": Beleg " << belegart << "/" << e.belegnummer << "\n";
      for (const std::string& format : Exportformatnamen()) {
        // GAEB DA XML also as bid (data type 84), the form a tender comes back in.
        for (std::int16_t dp : format == "xml" ? std::vector<std::int16_t>{83, 84} : std::vector<std::int16_t>{83}) {
          std::filesystem::path ziel =
              std::filesystem::path(ordner) / (std::string(b.name) + Dateiendung(format, dp));
          Ausgabeoptionen o;
          o.chkMitPreise = true;
          bool ok = Exportiere(programm, format, belegart, e.belegnummer, ziel.string(), dp, o);
          const std::string name = format == "xml" ? "DA XML" : format;
          std::cout << "  GAEB " << name << ": " << ziel.string() << (ok ? "" : "  (fehlgeschlagen)") << "\n";
          alles = alles && ok;
        }
      }
      if (&b == &Beispiele().front()) alles = DemoAufmass(programm, ordner, std::string(b.name), belegart, e.belegnummer) && alles;
    }
    exitcode = alles ? kErfolg : kAbgelehnt;
  });
}

}  // namespace gaeb::cli

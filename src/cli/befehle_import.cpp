// gaeb import: a GAEB file (GAEB DA XML, GAEB 2000 or GAEB 90, told by its
// content) read into import rows and stored as a new document through the
// same calls as import-rows; --rows prints the rows instead. Without
// --project the bill gets a new project of its own.
#include <iostream>

#include "base/fehler.h"
#include "base/text.h"
#include "cli/befehle.h"
#include "readers/gaebleser.h"

namespace gaeb::cli {

namespace {

// What the new project of a bill is called: the bill's name, else the first
// line of its project information, else the file's name.
std::string Projektname(const Importzeile& kopf, const std::string& datei) {
  for (const char* feld : {"BezeichnungLV", "InformationProjekt", "Dateiname"}) {
    for (const auto& [name, wert] : kopf) {
      if (name != feld) continue;
      std::string t = text::Trim(wert.ToString().substr(0, wert.ToString().find_first_of("\r\n")));
      if (!t.empty()) return text::Links(t, 60);
    }
  }
  return datei;
}

// A new project: the next number after the highest number of digits only,
// 1 when there is none. Another program may take the same number at the same
// time; then the next one is tried.
std::string NeuesProjekt(Verbindung& v, const std::string& name) {
  Ergebnis e = v.Abfrage("SELECT Projektnummer FROM ProjekteKolvar");
  long long höchste = 0;
  for (const auto& z : e.zeilen) {
    const std::string n = z[0].ToString();
    if (!n.empty() && n.size() < 18 && n.find_first_not_of("0123456789") == std::string::npos)
      höchste = std::max(höchste, std::stoll(n));
  }
  for (int versuch = 1;; ++versuch) {
    const std::string nummer = std::to_string(höchste + versuch);
    const Variant p[] = {Variant(nummer), Variant(name), Variant(std::string()),
                         Variant(static_cast<std::int32_t>(0))};
    try {
      v.Ausführen("INSERT INTO ProjekteKolvar (Projektnummer, Bezeichnung, KundenNummer, MitKunde) VALUES (?, ?, ?, ?)",
                  p);
      return nummer;
    } catch (const Fehler&) {
      const Variant key[] = {Variant(nummer)};
      if (versuch >= 20 || v.Ausführen("SELECT Projektnummer FROM ProjekteKolvar WHERE Projektnummer = ?", key) == 0)
        throw;
    }
  }
}

}  // namespace

void RegistriereImport(CLI::App& app, Programm& programm, int& exitcode) {
  CLI::App* imp = app.add_subcommand(
      "import", "Read a GAEB file (GAEB DA XML 3.0-3.3, GAEB 2000, GAEB 90; data types 81-86) and store it as a new "
                "document; prints the document number");
  static std::string datei, projekt;
  static std::int16_t art = 1;
  static bool nurZeilen = false;
  imp->add_option("FILE", datei, "The GAEB file; its format is recognised from its content")->required();
  imp->add_option("--type", art, "Document type (Belegart) of the new document")
      ->check(CLI::Range(1, 32767))
      ->capture_default_str();
  imp->add_option("--project", projekt,
                  "Number of the existing project the document belongs to (default: a new project, named after the "
                  "bill)");
  imp->add_flag("--rows", nurZeilen, "Print the rows that would be stored, as import-rows JSON, and store nothing");
  static std::optional<Artikelziel> artikel;
  ArtikelOptionen(imp, artikel);
  imp->callback([&] {
    // What can be refused without the file comes before the file is read.
    if (!nurZeilen && !projekt.empty() && !programm.Komponente()->Default_ProjektMappe(projekt)) {
      std::cerr << "gaeb: Projekt " << projekt << " gibt es nicht (gaeb project add)\n";
      exitcode = kAbgelehnt;
      return;
    }
    std::vector<readers::Importzeile> zeilen;
    std::vector<std::string> warnungen;
    try {
      auto texte = readers::NeuerTextwandler(Programm::Programmverzeichnis());
      zeilen = readers::LeseGaebDatei(datei, *texte, &warnungen);
      PrüfeImportzeilen(zeilen);
    } catch (const readers::Lesefehler& e) {
      std::cerr << "gaeb: " << e.what() << "\n";
      exitcode = kAbgelehnt;
      return;
    } catch (const std::invalid_argument& e) {
      // What the file holds but no format can carry (a number too wide, a NUL).
      std::cerr << "gaeb: " << datei << ": " << e.what() << "\n";
      exitcode = kAbgelehnt;
      return;
    }
    for (const std::string& w : warnungen) std::cerr << "gaeb: " << w << "\n";
    if (nurZeilen) {
      nlohmann::ordered_json j = nlohmann::ordered_json::array();
      for (const readers::Importzeile& z : zeilen) {
        nlohmann::ordered_json o = nlohmann::ordered_json::object();
        for (const auto& [name, wert] : z) o[name] = AlsJson(wert);
        j.push_back(std::move(o));
      }
      std::cout << j.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
      exitcode = MeldeAblehnungen(datei, Ablehnungen(zeilen)) ? kAbgelehnt : kErfolg;
      return;
    }
    if (MeldeAblehnungen(datei, Ablehnungen(zeilen))) {
      exitcode = kAbgelehnt;
      return;
    }
    std::string nummer = projekt;
    const bool neuesProjekt = nummer.empty();
    const std::string projektname = Projektname(zeilen.front(), datei);
    if (neuesProjekt) nummer = NeuesProjekt(programm.Datenbank(), projektname);
    zeilen.front().emplace_back("Projektnummer", Variant(nummer));
    // Each row is dropped once it is stored: the host builds the document
    // while the rows go, so the two are not held at once.
    const Zeilenquelle quelle{zeilen.size(), [&zeilen](const std::function<bool(const Importzeile&)>& nimm) {
                                for (Importzeile& z : zeilen) {
                                  const bool weiter = nimm(z);
                                  Importzeile().swap(z);
                                  if (!weiter) break;
                                }
                                return std::string();
                              }};
    Importergebnis e = ImportiereZeilen(programm, quelle, art, artikel ? &*artikel : nullptr);
    exitcode = MeldeImport(e, art, artikel);
    if (e.gespeichert && neuesProjekt) std::cout << "Projekt " << nummer << " (neu): " << projektname << "\n";
    if (neuesProjekt && !e.gespeichert && !e.verbindungVerloren) {
      // Nothing stored: the project made for the bill goes again.
      const Variant key[] = {Variant(nummer)};
      programm.Datenbank().Ausführen("DELETE FROM ProjekteKolvar WHERE Projektnummer = ?", key);
    }
  });
}

}  // namespace gaeb::cli

// gaeb import: a GAEB file (GAEB DA XML, GAEB 2000 or GAEB 90, told by its
// content) read into import rows and stored as a new document through the
// same calls as import-rows; --rows prints the rows instead.
#include <iostream>

#include "base/fehler.h"
#include "cli/befehle.h"
#include "readers/gaebleser.h"

namespace gaeb::cli {

void RegistriereImport(CLI::App& app, Programm& programm, int& exitcode) {
  CLI::App* imp = app.add_subcommand(
      "import", "Read a GAEB file (GAEB DA XML 3.0-3.3, GAEB 2000, GAEB 90; data types 81-86) and store it as a new "
                "document; prints the document number");
  static std::string datei, projekt;
  static std::int16_t art = 0;
  static bool nurZeilen = false;
  imp->add_option("FILE", datei, "The GAEB file; its format is recognised from its content")->required();
  CLI::Option* typ = imp->add_option("--type", art, "Document type (Belegart) of the new document")->check(CLI::Range(1, 32767));
  imp->add_option("--project", projekt, "Number of the existing project the document belongs to (needed to store)");
  imp->add_flag("--rows", nurZeilen, "Print the rows that would be stored, as import-rows JSON, and store nothing");
  static std::optional<Artikelziel> artikel;
  ArtikelOptionen(imp, artikel);
  imp->callback([&, typ] {
    std::vector<readers::Importzeile> zeilen;
    try {
      auto texte = readers::NeuerTextwandler(Programm::Programmverzeichnis());
      zeilen = readers::LeseGaebDatei(datei, *texte);
    } catch (const readers::Lesefehler& e) {
      std::cerr << "gaeb: " << e.what() << "\n";
      exitcode = kAbgelehnt;
      return;
    }
    if (nurZeilen) {
      nlohmann::ordered_json j = nlohmann::ordered_json::array();
      for (const readers::Importzeile& z : zeilen) {
        nlohmann::ordered_json o = nlohmann::ordered_json::object();
        for (const auto& [name, wert] : z) o[name] = AlsJson(wert);
        j.push_back(std::move(o));
      }
      std::cout << j.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
      exitcode = kErfolg;
      return;
    }
    if (typ->count() == 0) throw CLI::RequiredError("--type is needed to store the document");
    if (projekt.empty()) throw CLI::RequiredError("--project is needed to store the document");
    if (!programm.Komponente()->Default_ProjektMappe(projekt)) {
      std::cerr << "gaeb: Projekt " << projekt << " gibt es nicht (gaeb project add)\n";
      exitcode = kAbgelehnt;
      return;
    }
    zeilen.front().emplace_back("Projektnummer", Variant(projekt));
    Importergebnis e = ImportiereZeilen(programm, zeilen, art, artikel ? &*artikel : nullptr);
    if (e.belegnummer != 0) std::cout << e.belegnummer << "\n";
    if (e.belegnummer != 0 && !e.alleGespeichert)
      std::cerr << "gaeb: " << datei << " wurde nicht vollständig gespeichert (gaeb locks list)\n";
    MeldeArtikel(e, artikel);
    exitcode = (e.belegnummer != 0 && e.alleGespeichert && e.artikelGespeichert) ? kErfolg : kAbgelehnt;
  });
}

}  // namespace gaeb::cli

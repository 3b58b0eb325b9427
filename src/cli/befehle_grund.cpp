#include <iostream>

#include "base/fehler.h"
#include "cli/befehle.h"
#include "host/dienste.h"
#include "host/host.h"
#include "host/schema.h"

namespace gaeb::cli {

void RegistriereGrundbefehle(CLI::App& app, Programm& programm, int& exitcode) {
  // gaeb init
  CLI::App* init = app.add_subcommand("init", "Create the database or bring its schema up to date (idempotent)");
  init->callback([&] {
    Verbindung& v = programm.Datenbank(false);
    int vorher = host::Schemaversion(v);
    host::ErstelleSchema(v);
    std::cout << "Datenbank " << programm.Druckbar(programm.Verbindungstext()) << " ist eingerichtet (Schemaversion "
              << host::kSchemaversion << (vorher == 0 ? ", neu angelegt" : "") << ").\n";
    exitcode = kErfolg;
  });

  // gaeb project add
  CLI::App* project = app.add_subcommand("project", "Projects of the host database");
  project->require_subcommand(1);
  CLI::App* add = project->add_subcommand("add", "Add a project");
  static std::string nummer, kunde, name;
  add->add_option("--number", nummer, "Project number")->required();
  add->add_option("--customer", kunde, "Customer number of the project");
  add->add_option("--name", name, "Name of the project");
  add->callback([&] {
    Verbindung& v = programm.Datenbank();
    const Variant key[] = {Variant(nummer)};
    if (v.Ausführen("SELECT Projektnummer FROM ProjekteKolvar WHERE Projektnummer = ?", key) != 0) {
      std::cerr << "gaeb: Projekt " << nummer << " gibt es schon\n";
      exitcode = kAbgelehnt;
      return;
    }
    const Variant p[] = {Variant(nummer), Variant(name), Variant(kunde),
                         Variant(static_cast<std::int32_t>(kunde.empty() ? 0 : 1))};
    v.Ausführen("INSERT INTO ProjekteKolvar (Projektnummer, Bezeichnung, KundenNummer, MitKunde) VALUES (?, ?, ?, ?)",
                p);
    std::cout << "Projekt " << nummer << " angelegt.\n";
    exitcode = kErfolg;
  });

  // gaeb settings set / get
  CLI::App* settings = app.add_subcommand("settings", "Settings of the host (company data, currency, ...)");
  settings->require_subcommand(1);
  static std::string abschnitt, schlüssel, wert, profil = "Standard";
  CLI::App* set = settings->add_subcommand("set", "Store a setting");
  set->add_option("SECTION", abschnitt, "Section, e.g. Firmendaten")->required();
  set->add_option("KEY", schlüssel, "Key, e.g. Name1")->required();
  set->add_option("VALUE", wert, "Value")->required();
  set->add_option("--profile", profil, "Settings profile")->capture_default_str();
  set->callback([&] {
    host::SchreibeEinstellung(programm.Datenbank(), profil, abschnitt, schlüssel, wert);
    exitcode = kErfolg;
  });
  CLI::App* get = settings->add_subcommand("get", "Print a setting (exit 1 when it is not set)");
  get->add_option("SECTION", abschnitt, "Section")->required();
  get->add_option("KEY", schlüssel, "Key")->required();
  get->add_option("--profile", profil, "Settings profile")->capture_default_str();
  get->callback([&] {
    bool gefunden = false;
    std::string w = host::LeseEinstellung(programm.Datenbank(), profil, abschnitt, schlüssel, &gefunden);
    if (!gefunden) {
      std::cerr << "gaeb: Einstellung " << abschnitt << "/" << schlüssel << " ist nicht gesetzt\n";
      exitcode = kAbgelehnt;
      return;
    }
    std::cout << w << "\n";
    exitcode = kErfolg;
  });

  // gaeb oz-levels
  CLI::App* oz = app.add_subcommand("oz-levels", "Print the level lengths of an OZ mask (e.g. 1233PPPPI -> 11241)");
  static std::string maske;
  oz->add_option("MASK", maske, "OZ mask")->required();
  oz->callback([&] {
    clsGaebSQL komponente(programm.Fabrik());
    std::cout << komponente.OZMaske_Stufen(maske) << "\n";
    exitcode = kErfolg;
  });
}

}  // namespace gaeb::cli

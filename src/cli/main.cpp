// The gaeb program: GAEB data exchange of the host database from the command line.
#include <iostream>

#include <CLI/CLI.hpp>

#include "base/fehler.h"
#include "cli/befehle.h"
#include "cli/programm.h"

#ifndef GAEB_VERSION
#define GAEB_VERSION "0.0.0"
#endif

int main(int argc, char** argv) {
  using namespace gaeb::cli;
  CLI::App app{"gaeb - GAEB data exchange (GAEB 90, GAEB 2000, GAEB DA XML) for the host database"};
  app.set_version_flag("--version", std::string("gaeb ") + GAEB_VERSION);
  app.require_subcommand(1);
  app.fallthrough();

  Optionen optionen;
  app.add_option("--db", optionen.db, "Database: sqlite:PATH, sqlite::memory: or a server postgresql://USER@HOST/DB (default: $GAEB_DB, else sqlite:gaeb.db)");
  app.add_option("--user", optionen.user, "User the work is done for (default: the login name)");

  Programm programm(optionen);
  int exitcode = kErfolg;
  RegistriereGrundbefehle(app, programm, exitcode);
  RegistriereBelegbefehle(app, programm, exitcode);
  RegistriereImport(app, programm, exitcode);
  RegistriereExport(app, programm, exitcode);
  RegistrierePreise(app, programm, exitcode);
  RegistriereAufmass(app, programm, exitcode);
  RegistriereArtikel(app, programm, exitcode);
  RegistriereDemo(app, programm, optionen, exitcode);
  RegistriereText(app, exitcode);
  RegistrierePrüfbefehle(app, exitcode);
  RegistriereValidierung(app, exitcode);
  RegistriereKonvertierung(app, exitcode);
  RegistriereAnsicht(app, programm, exitcode);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "gaeb: " << programm.Druckbar(e.what()) << " (see gaeb --help)\n";
    return kAufruffehler;
  } catch (const std::exception& e) {
    // gaeb::Fehler and any other failure: the reason, never a password.
    std::cerr << "gaeb: " << programm.Druckbar(e.what()) << "\n";
    return kAbgelehnt;
  }
  return exitcode;
}

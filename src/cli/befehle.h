// The commands of the gaeb program, one registration function per group.
// Each adds its subcommands to the application; the callback of a subcommand
// sets the program's exit code.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "checks/belegdatei.h"
#include "cli/programm.h"
#include "cli/zeilendatei_json.h"
#include "core/ausgabeoptionen.h"
#include "host/aufmass.h"

namespace gaeb::host {
class Einfügeregeln;
}

namespace gaeb::cli {

// init, project add, settings set/get, oz-levels.
void RegistriereGrundbefehle(CLI::App& app, Programm& programm, int& exitcode);

// import-rows, show, read, locks.
void RegistriereBelegbefehle(CLI::App& app, Programm& programm, int& exitcode);

// Where an import also writes the bill's services as articles
// (`--articles SUPPLIER:SHORT`): the supplier, its short name (the prefix of
// the article numbers) and the article master (kv: the host's own).
struct Artikelziel {
  std::string lieferant;
  std::string kürzel;
  bool kv = false;
};
// Adds --articles and --kv to an import command; ziel is filled when the
// command line gives --articles (a SUPPLIER:SHORT without both parts is a
// usage error).
void ArtikelOptionen(CLI::App* befehl, std::optional<Artikelziel>& ziel);

struct Importergebnis {
  // Rows the host's insert rules refuse, found before anything is stored
  // (see Ablehnungen); then nothing else happened.
  std::vector<std::string> abgelehnt;
  std::int32_t belegnummer = 0;  // 0 when no number could be locked
  bool alleGespeichert = false;  // every row before the end row answered True
  bool abgebrochen = false;      // Ctrl-C stopped it before its last row
  bool gespeichert = false;      // the document is in the database
  bool gesperrt = false;         // its number is still locked
  bool verbindungVerloren = false;  // the connection failed after the rows; the state was read on a new one
  bool artikelGespeichert = true;  // no error report while the articles were written
  std::string lesefehler;          // why the rows could not be read to their end; then nothing is saved
  // The data is stored: every row answered True, the document was saved and
  // so were the articles asked for. The end row's own answer does not count:
  // a save whose COMMIT went through counts although the connection dropped
  // before its answer or its unlock.
  bool Erfolg() const { return belegnummer != 0 && alleGespeichert && gespeichert && artikelGespeichert; }
};
// The rows the host's insert rules refuse, checked on the rows alone before
// anything is stored: one message per row, "Zeile N, OZ X: reason" (N
// counts the rows from 1).
std::vector<std::string> Ablehnungen(const std::vector<Importzeile>& zeilen);
// The same one row at a time: Nimm takes the rows in order, meldungen holds
// the messages so far.
class Einfügeprüfung {
 public:
  Einfügeprüfung();
  ~Einfügeprüfung();
  void Nimm(const Importzeile& zeile);
  std::vector<std::string> meldungen;

 private:
  std::unique_ptr<host::Einfügeregeln> regeln_;
  std::size_t nr_ = 0;
};
// Rows handed out one at a time: lies hands them in order to nimm until nimm
// returns false, and returns why the rows could not be read to their end
// (empty when they could). anzahl is their number, for the progress display.
struct Zeilenquelle {
  std::size_t anzahl = 0;
  std::function<std::string(const std::function<bool(const Importzeile&)>& nimm)> lies;
};
// The import sequence of a host on rows that passed Ablehnungen:
// Init_BelegVorlauf, Sperren_Belegnummer (drawn again when another workstation
// took the number), then per row Init_Datenfelder, the row's properties and
// Speichern_Belegdaten. A row that answers False keeps the end row from being
// sent: the document is not saved and its number is unlocked, so a bill is
// stored whole or not at all; so do rows that cannot be read to their end
// (lesefehler). Ctrl-C stops it before the next row; once the last row has run
// the import is complete. What happened to the data is read back from the
// database at the end, on a new connection when the import's own has failed.
// With artikel, the supplier's articles are deleted and the article manager
// created before the first row, and every row goes on to
// Speichern_Artikeldaten right after Speichern_Belegdaten.
Importergebnis ImportiereZeilen(Programm& programm, const Zeilenquelle& quelle, std::int16_t belegart,
                                const Artikelziel* artikel = nullptr);
// Rows held in memory: Ablehnungen first (when it finds any, nothing is
// locked or stored), then the import above.
Importergebnis ImportiereZeilen(Programm& programm, const std::vector<Importzeile>& zeilen, std::int16_t belegart,
                                const Artikelziel* artikel = nullptr);
// Says on standard error which rows of datei are refused, one line each and
// a last one that nothing was stored; false when there are none.
bool MeldeAblehnungen(const std::string& datei, const std::vector<std::string>& abgelehnt);
// Says what an import did: the new number on standard output for a saved
// document only; on standard error what the user must act on (a document not
// saved and still locked, a lock left by a lost connection, missing
// articles). Returns the exit code.
int MeldeImport(const Importergebnis& e, std::int16_t belegart, const std::optional<Artikelziel>& artikel);

// import: a GAEB file read and stored as a new document.
void RegistriereImport(CLI::App& app, Programm& programm, int& exitcode);
// takeoff import, takeoff show: the quantity take-off of a document.
void RegistriereAufmass(CLI::App& app, Programm& programm, int& exitcode);
// Take-off rows of a JSON file, checked key by key; throws std::invalid_argument
// naming the row and the key.
std::vector<host::Aufmasszeile> LeseAufmasszeilen(const nlohmann::json& datei);

// articles list: the articles of a supplier as JSON.
void RegistriereArtikel(CLI::App& app, Programm& programm, int& exitcode);

// prices export, prices import: the price sheet of a document.
void RegistrierePreise(CLI::App& app, Programm& programm, int& exitcode);

// info, diff, check-bid: GAEB files read into a throw-away database.
void RegistrierePrüfbefehle(CLI::App& app, int& exitcode);
// A GAEB file read into a throw-away in-memory database; nullptr (the reason
// printed on standard error) when it cannot be read.
std::unique_ptr<checks::Belegdatei> LiesBelegdatei(const std::string& pfad);

// validate: a GAEB file checked against the rules of its format.
void RegistriereValidierung(CLI::App& app, int& exitcode);

// view: the HTML page of a bill.
void RegistriereAnsicht(CLI::App& app, Programm& programm, int& exitcode);

// convert: a GAEB file written in another format or data type.
void RegistriereKonvertierung(CLI::App& app, int& exitcode);
struct Konvertierung {
  bool geschrieben = false;     // the target is written whole
  bool zurückgelesen = false;   // and could be read back
  std::vector<std::string> warnungen;  // what the target does not carry, one difference a line
};
// Converts ein into aus; format ("90", "2000", "xml") and datenphase (81 to
// 86) empty or 0 take them from aus's extension (the data type else from the
// source). Reasons of a failure are printed on standard error. Throws
// CLI::ValidationError when the format is not known.
Konvertierung Konvertiere(const std::string& ein, const std::string& aus, std::string format, std::int16_t datenphase);

// text: conversion between RTF, plain lines and GAEB XML text markup.
void RegistriereText(CLI::App& app, int& exitcode);

// demo: the main job of the README.
void RegistriereDemo(CLI::App& app, Programm& programm, Optionen& optionen, int& exitcode);

// export: one document as a GAEB file.
void RegistriereExport(CLI::App& app, Programm& programm, int& exitcode);
// Runs the export of one format with a progress bar on a terminal; true when
// the component answered True. Throws CLI::ValidationError for an unknown format.
bool Exportiere(Programm& programm, const std::string& format, std::int16_t belegart, std::int32_t belegnummer,
                const std::string& datei, std::int16_t datenphase, const Ausgabeoptionen& optionen);
// The formats the program can write, and the file extension of a format and
// data type (".p83", ".d83", ".x83").
std::vector<std::string> Exportformatnamen();
std::string Dateiendung(const std::string& format, std::int16_t datenphase);

}  // namespace gaeb::cli

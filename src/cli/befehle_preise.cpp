// gaeb prices export / import: the price sheet of a document (XLSX or CSV),
// filled in a spreadsheet program and read back into the document.
#include <filesystem>
#include <iostream>

#include "base/fehler.h"
#include "base/zieldatei.h"
#include "cli/befehle.h"
#include "cli/fortschritt.h"
#include "sheets/preisblatt.h"

namespace gaeb::cli {

namespace {

// Drives the progress bar from the sheet's (done, all) callback; Ctrl-C stops the work.
sheets::Fortschritt Balken(Fortschrittsanzeige& anzeige) {
  return [&anzeige, stand = std::size_t{0}, max = false](std::size_t getan, std::size_t alle) mutable {
    if (!max) {
      anzeige.FortschrittMax(static_cast<std::int32_t>(std::min<std::size_t>(alle, INT32_MAX)));
      max = true;
    }
    bool cancel = false;
    anzeige.Fortschritt(static_cast<std::int32_t>(getan - std::min(stand, getan)), cancel);
    stand = getan;
    if (cancel) throw Fehler(kFehlerUngültigerAufruf, "abgebrochen");
  };
}

}  // namespace

void RegistrierePreise(CLI::App& app, Programm& programm, int& exitcode) {
  CLI::App* preise = app.add_subcommand("prices", "Price a document in a spreadsheet: write its price sheet, read the prices back");
  preise->require_subcommand(1);
  static std::int16_t art = 0;
  static std::int32_t nummer = 0;
  static std::string datei;
  const char* formatHilfe = "FILE.xlsx (spreadsheet) or FILE.csv (';' separated, decimal comma)";

  CLI::App* exp = preise->add_subcommand("export", "Write the price sheet of a document (XLSX or CSV, by the file name)");
  exp->add_option("--type", art, "Document type (Belegart)")->required();
  exp->add_option("--number", nummer, "Document number (Belegnummer)")->required();
  exp->add_option("--out", datei, formatHilfe)->required();
  exp->footer(
      "One row per row of the bill: categories bold with their subtotal, items with quantity, unit, price unit,\n"
      "unit price (or one column per price share the document keeps) and total as formulas with their values.\n"
      "Only the price cells are unlocked (sheet protection without password). docs/cli.md shows the layout.");
  exp->callback([&] {
    sheets::Blattformat format = sheets::Blattformat::Xlsx;
    try {
      format = sheets::FormatVon(datei);
    } catch (const Fehler&) {
      throw CLI::ValidationError("--out", datei + ": expected a .xlsx or .csv file name");
    }
    if (std::string grund = Zieldatei::Hindernis(datei); !grund.empty()) throw CLI::ValidationError("--out", grund);
    Verbindung& v = programm.Datenbank();
    try {
      Fortschrittsanzeige anzeige("Preisblatt");
      sheets::SchreibePreisblatt(v, art, nummer, datei, format, Balken(anzeige));
    } catch (const Fehler& e) {
      std::cerr << "gaeb: " << e.what() << "\n";
      exitcode = kAbgelehnt;
      return;
    }
    std::cout << "Preisblatt von Beleg " << art << "/" << nummer << ": " << datei << "\n";
    exitcode = kErfolg;
  });

  CLI::App* imp = preise->add_subcommand("import", "Read the prices of a filled price sheet into its document");
  imp->add_option("FILE", datei, "The sheet: XLSX, or CSV in UTF-8 or code page 1252")->required();
  imp->add_option("--type", art, "Document type (Belegart)")->required();
  imp->add_option("--number", nummer, "Document number (Belegnummer)")->required();
  imp->footer(
      "Rows are found by their hidden key (column Zeile) and must keep their OZ; sorted or filtered sheets\n"
      "read back alike. Unit prices (or shares) of items and package parts are stored in one transaction and\n"
      "the document is computed again. Any bad row stores nothing and is named (Zeile N, OZ X).\n"
      "Prints how many items have a price and lists those that still have none.");
  imp->callback([&] {
    if (!std::filesystem::is_regular_file(datei)) throw CLI::ValidationError("FILE", "cannot read " + datei);
    Verbindung& v = programm.Datenbank();
    sheets::Preisergebnis e;
    try {
      Fortschrittsanzeige anzeige("Preise");
      e = sheets::LesePreisblatt(v, programm.Benutzer(), art, nummer, datei, sheets::FormatVon(datei), Balken(anzeige));
    } catch (const Fehler& f) {
      std::cerr << "gaeb: " << datei << ": " << f.what() << "\n";
      exitcode = kAbgelehnt;
      return;
    }
    std::cout << e.bepreist << " Positionen mit Preis, " << e.ohnePreis.size() << " ohne Preis\n";
    for (const sheets::OffenePosition& p : e.ohnePreis) std::cout << "  ohne Preis: " << p.oz << "  " << p.kurztext << "\n";
    exitcode = kErfolg;
  });
}

}  // namespace gaeb::cli

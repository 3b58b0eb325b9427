// gaeb view: the HTML page of a bill, from a GAEB file (read into a
// throw-away database) or from a stored document.
#include <fstream>
#include <iostream>

#include "cli/befehle.h"
#include "host/dokument.h"
#include "view/ansicht.h"

namespace gaeb::cli {

void RegistriereAnsicht(CLI::App& app, Programm& programm, int& exitcode) {
  CLI::App* cmd = app.add_subcommand(
      "view", "Write a bill as one self-contained HTML page (category tree that folds, long texts, totals, print "
              "stylesheet for A4), from a GAEB file or a stored document");
  static std::string datei, ziel;
  static std::int16_t art = 0;
  static std::int32_t nummer = 0;
  static bool gefaltet = false;
  CLI::Option* f = cmd->add_option("FILE", datei, "GAEB file in any format the program reads");
  CLI::Option* t = cmd->add_option("--type", art, "Document type of a stored document (instead of FILE)");
  CLI::Option* n = cmd->add_option("--number", nummer, "Document number of a stored document");
  t->needs(n)->excludes(f);
  n->needs(t);
  cmd->add_option("--out", ziel, "The HTML file to write ('-': standard output)")->required();
  cmd->add_flag("--folded", gefaltet, "Categories start folded (the print shows them all the same)");
  cmd->footer(
      "The page needs no network and no other file: styles are inline, there is no script. Every text of the\n"
      "bill is escaped. Categories are <details> elements: a click folds and unfolds them; printing gives\n"
      "A4 pages with every category unfolded.");
  cmd->callback([&, f, t] {
    if (f->count() == 0 && t->count() == 0) throw CLI::RequiredError("FILE or --type and --number");
    view::Ansichtoptionen o;
    o.programmverzeichnis = Programm::Programmverzeichnis();
    o.gefaltet = gefaltet;
    std::string html;
    if (f->count() != 0) {
      auto b = LiesBelegdatei(datei);
      if (!b) {
        exitcode = kAbgelehnt;
        return;
      }
      html = view::BelegHtml(b->dokument, o);
    } else {
      host::Dokument d;
      if (!host::LadeDokument(programm.Datenbank(), art, nummer, d)) {
        std::cerr << "gaeb: Beleg " << art << "/" << nummer << " gibt es nicht\n";
        exitcode = kAbgelehnt;
        return;
      }
      html = view::BelegHtml(d, o);
    }
    if (ziel == "-") {
      std::cout << html;
      exitcode = std::cout.good() ? kErfolg : kAbgelehnt;
      return;
    }
    std::ofstream aus(ziel, std::ios::binary | std::ios::trunc);
    aus << html;
    aus.close();
    if (!aus) {
      std::cerr << "gaeb: " << ziel << " kann nicht geschrieben werden\n";
      exitcode = kAbgelehnt;
      return;
    }
    exitcode = kErfolg;
  });
}

}  // namespace gaeb::cli

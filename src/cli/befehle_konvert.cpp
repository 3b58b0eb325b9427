// gaeb convert: a GAEB file in any format the readers know written in any
// format the exports write, through a throw-away in-memory database. The
// written file is read back and compared with the source: every difference is
// something the target cannot carry and is listed as a warning.
#include <filesystem>
#include <iostream>

#include "base/fehler.h"
#include "checks/vergleich.h"
#include "cli/befehle.h"

namespace gaeb::cli {

namespace {

// The format and data type an extension names: ".d83" GAEB 90, ".p83" GAEB
// 2000, ".x83" GAEB DA XML; empty format when it names none.
std::pair<std::string, std::int16_t> AusEndung(const std::string& datei) {
  std::string e = std::filesystem::path(datei).extension().string();
  if (e.size() != 4 || e[2] != '8' || e[3] < '1' || e[3] > '6') return {"", 0};
  const char f = static_cast<char>(std::tolower(static_cast<unsigned char>(e[1])));
  const std::string format = f == 'd' ? "90" : f == 'p' ? "2000" : f == 'x' ? "xml" : "";
  return {format, static_cast<std::int16_t>(80 + (e[3] - '0'))};
}

}  // namespace

Konvertierung Konvertiere(const std::string& ein, const std::string& aus, std::string format, std::int16_t datenphase) {
  Konvertierung k;
  auto quelle = LiesBelegdatei(ein);
  if (!quelle) return k;
  auto [endungsformat, endungsphase] = AusEndung(aus);
  if (format.empty()) format = endungsformat;
  if (format.empty())
    throw CLI::ValidationError("OUT", "the format of " + aus + " is not known from its extension; give --format");
  if (datenphase == 0) datenphase = endungsphase;
  if (datenphase == 0) datenphase = static_cast<std::int16_t>(quelle->dokument.kopf.Feld("Datenphase").ToInt32());
  if (datenphase < 81 || datenphase > 86) datenphase = 83;
  Optionen optionen{quelle->verbindungstext, "gaeb"};
  Programm programm(optionen);
  Ausgabeoptionen o;
  o.chkMitPreise = true;
  if (!Exportiere(programm, format, checks::kBelegart, quelle->dokument.belegnummer, aus, datenphase, o)) return k;
  k.geschrieben = true;
  auto zurück = LiesBelegdatei(aus);
  if (!zurück) return k;
  k.zurückgelesen = true;
  for (const checks::Unterschied& u : checks::VergleicheBelege(quelle->dokument, zurück->dokument))
    k.warnungen.push_back(checks::AlsText(u));
  return k;
}

void RegistriereKonvertierung(CLI::App& app, int& exitcode) {
  CLI::App* cmd = app.add_subcommand(
      "convert", "Convert a GAEB file (GAEB DA XML, GAEB 2000, GAEB 90; data types 81-86) into another format or data "
                 "type; what the target cannot carry is listed as warnings on standard error");
  static std::string ein, aus, format;
  static std::int16_t dp = 0;
  cmd->add_option("IN", ein, "The GAEB file to convert, any format the program reads")->required();
  cmd->add_option("OUT", aus, "The file to write; .d8x GAEB 90, .p8x GAEB 2000, .x8x GAEB DA XML")->required();
  cmd->add_option("--format", format, "Target format (90, 2000, xml); default: from OUT's extension")
      ->check(CLI::IsMember({"90", "2000", "xml"}));
  cmd->add_option("--dp", dp, "Target data type (81 to 86); default: from OUT's extension, else the source's")
      ->check(CLI::Range(81, 86));
  cmd->footer(
      "The file is read into a throw-away in-memory database and written by the same exports as `gaeb export`\n"
      "(with prices). The written file is read back and compared with the source item by item; each\n"
      "difference (a text cut to a GAEB 90 width, prices a data type 81 has no place for, ...) is printed\n"
      "as \"gaeb: Warnung: ...\". Exit 0 when the file is written, 1 when it cannot be read or written.");
  cmd->callback([&] {
    Konvertierung k = Konvertiere(ein, aus, format, dp);
    for (const std::string& w : k.warnungen) std::cerr << "gaeb: Warnung: " << aus << " trägt nicht: " << w << "\n";
    if (k.geschrieben && !k.zurückgelesen) std::cerr << "gaeb: " << aus << " kann nicht zurückgelesen werden\n";
    exitcode = k.geschrieben && k.zurückgelesen ? kErfolg : kAbgelehnt;
  });
}

}  // namespace gaeb::cli

// gaeb validate: a GAEB file checked against every rule the program knows
// (checks::PrüfeDatei); the findings as compiler-style lines or as JSON.
#include <cstdlib>
#include <iostream>

#include "checks/pruefung.h"
#include "cli/befehle.h"

namespace gaeb::cli {

namespace {

std::string Zusammenfassung(const checks::Prüfbericht& b) {
  const std::size_t fehler = b.Fehler(), hinweise = b.befunde.size() - fehler;
  std::string s = b.datei + ": ";
  s += fehler == 0 ? std::string("keine Befunde") : std::to_string(fehler) + (fehler == 1 ? " Befund" : " Befunde");
  if (hinweise > 0) s += ", " + std::to_string(hinweise) + (hinweise == 1 ? " Hinweis" : " Hinweise");
  s += std::string(" (") + readers::Formatname(b.format);
  if (!b.version.empty() && b.format == readers::Gaebformat::Xml) s += " " + b.version;
  if (b.datenart != 0) s += ", DA" + std::to_string(b.datenart);
  if (b.schema == "checked") s += ", Schema " + b.schemadatei + " geprüft";
  return s + ")";
}

}  // namespace

void RegistriereValidierung(CLI::App& app, int& exitcode) {
  static std::string datei, schemas;
  static bool json = false;
  CLI::App* cmd = app.add_subcommand(
      "validate", "Check a GAEB file against the rules of its format: the GAEB DA XML schema (when found), unique IDs, "
                  "totals, OZ breakdown, field widths; GAEB 90 records, line numbers and code page; GAEB 2000 blocks, "
                  "keys and [end]s. Exit 0 clean, 1 findings, 2 unreadable");
  cmd->add_option("FILE", datei, "The GAEB file, any format the program reads")->required();
  cmd->add_flag("--json", json, "Print the report as one JSON document");
  cmd->add_option("--schemas", schemas, "Folder of the GAEB DA XML schema files (default: $GAEB_XSD)");
  cmd->footer(
      "One line per finding: FILE:LINE: rule: message [XML path], then a summary. Notes (\"(Hinweis)\") do not\n"
      "count as findings. Rules (docs/cli.md says what each checks): xml-schema, id-unique, total-item,\n"
      "total-category, total-bill, oz-breakdown, unit-width, number-width; g90-line-length, g90-crlf,\n"
      "g90-record-kind, g90-record-order, g90-line-number, g90-codepage, g90-totals; g2000-nesting, g2000-key,\n"
      "g2000-end, g2000-line, g2000-totals. The schema of a GAEB DA XML file is chosen by its\n"
      "version and data type (GAEB_DA_XML_84_3.1_*.xsd, else GAEB_DA_XML_3.1_*.xsd) in --schemas or $GAEB_XSD;\n"
      "nothing is fetched from the network. Exit 0 without findings, 1 with findings, 2 when the file is\n"
      "missing, no GAEB file or refused by the reader (its reason on standard error).");
  cmd->callback([&] {
    if (schemas.empty())
      if (const char* e = std::getenv("GAEB_XSD"); e != nullptr) schemas = e;
    checks::Prüfbericht b = checks::PrüfeDatei(datei, schemas, Programm::Programmverzeichnis());
    if (b.lesbar && b.format == readers::Gaebformat::Xml && b.schema != "checked") {
      std::cerr << "gaeb: " << (schemas.empty() ? std::string("kein Schemaordner (--schemas DIR oder GAEB_XSD)")
                                 : b.schema == "unusable"
                                     ? "die Schemadatei " + b.schemadatei + " kann nicht geladen werden"
                                     : "keine Schemadatei für GAEB DA XML " + b.version + " DA" +
                                           std::to_string(b.datenart) + " in " + schemas)
                << ": das Schema wird nicht geprüft, die übrigen Regeln schon\n";
    }
    if (json) {
      std::cout << checks::AlsJson(b).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    } else {
      for (const checks::Befund& x : b.befunde) std::cout << checks::AlsText(b, x) << "\n";
      if (b.lesbar) std::cout << Zusammenfassung(b) << "\n";
    }
    if (!b.lesbar) std::cerr << "gaeb: " << b.lesefehler << "\n";
    exitcode = !b.lesbar ? kAufruffehler : b.Fehler() > 0 ? kAbgelehnt : kErfolg;
  });
}

}  // namespace gaeb::cli

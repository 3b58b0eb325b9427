// gaeb takeoff: the quantity take-off of a document (import from JSON rows,
// show as JSON). The quantity calculation files are written by
// `gaeb export --format 90 --dp 11|12`.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "base/fehler.h"
#include "cli/befehle.h"

namespace gaeb::cli {

namespace {

[[noreturn]] void Falsch(std::size_t zeile, const std::string& key, const std::string& warum) {
  throw std::invalid_argument("row " + std::to_string(zeile) + ", key \"" + key + "\": " + warum);
}

std::string Text(std::size_t zeile, const nlohmann::json& obj, const std::string& key, bool pflicht) {
  auto it = obj.find(key);
  if (it == obj.end()) {
    if (pflicht) Falsch(zeile, key, "missing");
    return {};
  }
  if (!it->is_string()) Falsch(zeile, key, "expected a string");
  return it->get<std::string>();
}

}  // namespace

std::vector<host::Aufmasszeile> LeseAufmasszeilen(const nlohmann::json& datei) {
  if (!datei.is_array()) throw std::invalid_argument("the take-off file must hold a JSON array of objects");
  std::vector<host::Aufmasszeile> zeilen;
  std::size_t nr = 0;
  for (const nlohmann::json& obj : datei) {
    ++nr;
    if (!obj.is_object()) throw std::invalid_argument("row " + std::to_string(nr) + " is not a JSON object");
    host::Aufmasszeile z;
    const std::string art = Text(nr, obj, "kind", true);
    if (art != "calculation" && art != "comment") Falsch(nr, "kind", "expected \"calculation\" or \"comment\"");
    z.Zeilenart = art == "comment" ? 1 : 0;
    // Each kind has its own keys; anything else is a mistake in the file.
    const std::vector<std::string> erlaubt = z.Zeilenart == 0
                                                 ? std::vector<std::string>{"kind", "oz", "designation", "formula"}
                                                 : std::vector<std::string>{"kind", "oz", "text"};
    for (auto it = obj.begin(); it != obj.end(); ++it)
      if (std::find(erlaubt.begin(), erlaubt.end(), it.key()) == erlaubt.end())
        Falsch(nr, it.key(), "not a key of a " + art + " row");
    z.Positionsnummer = Text(nr, obj, "oz", true);
    if (z.Zeilenart == 0) {
      z.Bezeichnung = Text(nr, obj, "designation", false);
      z.Formel = Text(nr, obj, "formula", true);
      if (z.Formel.find_first_not_of(' ') == std::string::npos) Falsch(nr, "formula", "must not be empty");
    } else {
      z.Bezeichnung = Text(nr, obj, "text", true);
    }
    zeilen.push_back(std::move(z));
  }
  return zeilen;
}

void RegistriereAufmass(CLI::App& app, Programm& programm, int& exitcode) {
  CLI::App* cmd = app.add_subcommand("takeoff", "Quantity take-off of a document (written by export --dp 11|12)");
  cmd->require_subcommand(1);
  static std::int16_t art = 0;
  static std::int32_t nummer = 0;
  static std::string datei;

  CLI::App* imp = cmd->add_subcommand("import", "Replace a document's take-off by the rows of a JSON file");
  imp->add_option("FILE", datei,
                  "JSON array of rows: {\"kind\":\"calculation\",\"oz\":...,\"designation\":...,\"formula\":...} "
                  "or {\"kind\":\"comment\",\"oz\":...,\"text\":...}")
      ->required();
  imp->add_option("--type", art, "Document type (Belegart)")->required();
  imp->add_option("--number", nummer, "Document number (Belegnummer)")->required();
  imp->footer(
      "Formulas: + - * / with a decimal comma (2*3,5+4), powers with ^ or **, parentheses,\n"
      "functions such as sqrt(2), min(1;2); the quantity of each row is computed from its formula.\n"
      "A formula that does not evaluate stops the import and nothing is stored.");
  imp->callback([&] {
    std::ifstream in(datei, std::ios::binary);
    if (!in) throw CLI::ValidationError("FILE", "cannot read " + datei);
    std::vector<host::Aufmasszeile> zeilen;
    try {
      zeilen = LeseAufmasszeilen(nlohmann::json::parse(in));
    } catch (const nlohmann::json::parse_error& e) {
      throw CLI::ValidationError("FILE", datei + " is not valid JSON: " + e.what());
    } catch (const std::invalid_argument& e) {
      throw CLI::ValidationError(datei, e.what());
    }
    host::SpeichereAufmass(programm.Datenbank(), art, nummer, zeilen);
    std::cout << zeilen.size() << "\n";
    exitcode = kErfolg;
  });

  CLI::App* show = cmd->add_subcommand("show", "Print a document's take-off as JSON, with quantities and results");
  show->add_option("--type", art, "Document type (Belegart)")->required();
  show->add_option("--number", nummer, "Document number (Belegnummer)")->required();
  show->callback([&] {
    nlohmann::ordered_json j = nlohmann::ordered_json::array();
    for (const host::Aufmasszeile& z : host::LeseAufmass(programm.Datenbank(), art, nummer)) {
      nlohmann::ordered_json o;
      o["kind"] = z.Zeilenart == 1 ? "comment" : "calculation";
      o["sheet"] = z.Blatt;
      o["letter"] = z.Buchstabe;
      o["oz"] = z.Positionsnummer;
      o[z.Zeilenart == 1 ? "text" : "designation"] = z.Bezeichnung;
      if (z.Zeilenart == 0) {
        o["formula"] = z.Formel;
        o["quantity"] = z.Menge;
        o["result"] = z.Ergebnis;
      }
      j.push_back(std::move(o));
    }
    std::cout << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    exitcode = kErfolg;
  });
}

}  // namespace gaeb::cli

#include <functional>
#include <iostream>
#include <map>

#include "base/fehler.h"
#include "base/zieldatei.h"
#include "cli/befehle.h"
#include "cli/fortschritt.h"
#include "core/ausgabeoptionen.h"

namespace gaeb::cli {

namespace {

using Exportfunktion = std::function<bool(clsGaebSQL&, std::int16_t belegart, std::int32_t belegnummer,
                                          const std::string& datei, std::int16_t datenphase, const Ausgabeoptionen&)>;

// The export procedure of each --format.
const std::map<std::string, Exportfunktion>& Exportformate() {
  static const std::map<std::string, Exportfunktion> formate = {
      {"90", [](clsGaebSQL& k, std::int16_t art, std::int32_t nr, const std::string& datei, std::int16_t dp,
                const Ausgabeoptionen& o) { return k.Ausgabe_BelegdatenDA90(art, nr, datei, dp, o); }},
      {"2000", [](clsGaebSQL& k, std::int16_t art, std::int32_t nr, const std::string& datei, std::int16_t dp,
                  const Ausgabeoptionen& o) { return k.Ausgabe_BelegdatenDA2000(art, nr, datei, dp, o); }},
      {"xml", [](clsGaebSQL& k, std::int16_t art, std::int32_t nr, const std::string& datei, std::int16_t dp,
                 const Ausgabeoptionen& o) { return k.Ausgabe_BelegdatenDAXML(art, nr, datei, dp, o); }},
  };
  return formate;
}

std::string FormatListe() {
  std::string s;
  for (const auto& [name, f] : Exportformate()) s += (s.empty() ? "" : ", ") + name;
  return s.empty() ? "(none yet)" : s;
}

}  // namespace

std::vector<std::string> Exportformatnamen() {
  std::vector<std::string> namen;
  for (const auto& [name, f] : Exportformate()) namen.push_back(name);
  return namen;
}

std::string Dateiendung(const std::string& format, std::int16_t datenphase) {
  std::string buchstabe = format == "90" ? "d" : format == "xml" ? "x" : "p";
  return "." + buchstabe + std::to_string(datenphase);
}

bool Exportiere(Programm& programm, const std::string& format, std::int16_t belegart, std::int32_t belegnummer,
                const std::string& datei, std::int16_t datenphase, const Ausgabeoptionen& optionen) {
  auto it = Exportformate().find(format);
  if (it == Exportformate().end())
    throw CLI::ValidationError("--format", "unknown format " + format + "; known: " + FormatListe());
  // The data types of a bill (81 to 86), and those of the quantity calculations
  // (11, 12), which the exports answer themselves.
  if (!((datenphase >= 81 && datenphase <= 86) || datenphase == 11 || datenphase == 12))
    throw CLI::ValidationError("--dp", "unknown GAEB data type " + std::to_string(datenphase) +
                                           "; known: 81 to 86, 11 and 12 (quantity calculations)");
  // A target the export could not create is a usage error, found before the document is locked.
  // Only a regular file is ever replaced; a device or pipe is written through.
  if (std::string grund = Zieldatei::Hindernis(datei); !grund.empty()) throw CLI::ValidationError("--out", grund);
  auto komponente = programm.Komponente();
  Fortschrittsanzeige anzeige("GAEB " + format);
  komponente->Verbinde(&anzeige);
  bool ok = false;
  if (format == "90" && (datenphase == 11 || datenphase == 12)) {
    // The quantity calculation of the document's take-off, as the host builds it.
    std::unique_ptr<host::XArrayDBHost> feld = host::BaueAufmassArray(programm.Datenbank(), belegart, belegnummer);
    ok = datenphase == 11 ? komponente->Ausgabe_BelegdatenDA90REB11(belegart, belegnummer, datei, *feld)
                          : komponente->Ausgabe_BelegdatenDA90REB12(belegart, belegnummer, datei, *feld);
  } else {
    ok = it->second(*komponente, belegart, belegnummer, datei, datenphase, optionen);
  }
  komponente->Verbinde(nullptr);
  // A file that misses something is no success, whatever the export answered.
  if (ok && !komponente->AusgabeVollständig()) {
    std::cerr << "gaeb: " << datei << " ist unvollständig\n";
    ok = false;
  }
  return ok;
}

void RegistriereExport(CLI::App& app, Programm& programm, int& exitcode) {
  CLI::App* cmd = app.add_subcommand("export", "Write one document as a GAEB file");
  static std::int16_t belegart = 0, datenphase = 83;
  static std::int32_t belegnummer = 0;
  static std::string format, datei;
  static Ausgabeoptionen o;
  cmd->add_option("--type", belegart, "Document type (Belegart)")->required();
  cmd->add_option("--number", belegnummer, "Document number (Belegnummer)")->required();
  cmd->add_option("--format", format, "Output format: " + FormatListe())->required();
  cmd->footer(
      "Formats: 2000 GAEB 2000 tagged text (.p8x); 90 GAEB 90 fixed records (.d8x); xml GAEB DA XML 3.1\n"
      "(.x8x), UTF-8, valid against the GAEB DA XML 3.1 schema of its data type (84: the bid schema).\n"
      "90 with --dp 11 or 12: the quantity calculation of the document's take-off (gaeb takeoff import),\n"
      "REB 23.003 (.d11, 80 columns) or REB 23.004 (.d12, long lines).\n"
      "A cancelled XML export saves the partial file and exits 1. docs/formats.md shows each file.");
  cmd->add_option("--dp", datenphase, "GAEB data type (81 to 86; 11 and 12 quantity calculations)")
      ->capture_default_str();
  cmd->add_option("--out", datei, "Target file")->required();
  cmd->add_flag("--prices", o.chkMitPreise, "Write prices (always on for data type 84)");
  cmd->add_flag("--packages-as-items", o.chkPaketalsLeistung, "Write package heads as plain items without parts");
  cmd->add_flag("--times", o.chkMitZeiten, "Write time values");
  cmd->add_flag("--rtf", o.chkMitRTFAusgabe, "Use the RTF variants of texts");
  cmd->add_flag("--article-numbers", o.chkMitArtikelnummerAusgabe, "Write article numbers");
  cmd->add_flag("--home-currency", o.AusgabeLandeswährung, "Write amounts, currency code and currency label in the home currency");
  cmd->callback([&] {
    bool ok = Exportiere(programm, format, belegart, belegnummer, datei, datenphase, o);
    if (Fortschrittsanzeige::Abgebrochen()) std::cerr << "gaeb: abgebrochen\n";
    exitcode = ok ? kErfolg : kAbgelehnt;
  });
}

}  // namespace gaeb::cli

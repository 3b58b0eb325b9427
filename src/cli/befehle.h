// The commands of the gaeb program, one registration function per group.
// Each adds its subcommands to the application; the callback of a subcommand
// sets the program's exit code.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/programm.h"
#include "component/ausgabeoptionen.h"

namespace gaeb::cli {

// init, project add, settings set/get, oz-levels.
void RegistriereGrundbefehle(CLI::App& app, Programm& programm, int& exitcode);

// export: one document as a GAEB file.
void RegistriereExport(CLI::App& app, Programm& programm, int& exitcode);
// Runs the export of one format with a progress bar on a terminal; true when
// the component answered True. Throws CLI::ValidationError for an unknown format.
bool Exportiere(Programm& programm, const std::string& format, std::int16_t belegart, std::int32_t belegnummer,
                const std::string& datei, std::int16_t datenphase, const Ausgabeoptionen& optionen);

}  // namespace gaeb::cli

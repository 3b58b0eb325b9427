// The commands of the gaeb program, one registration function per group.
// Each adds its subcommands to the application; the callback of a subcommand
// sets the program's exit code.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/programm.h"

namespace gaeb::cli {

// init, project add, settings set/get, oz-levels.
void RegistriereGrundbefehle(CLI::App& app, Programm& programm, int& exitcode);

}  // namespace gaeb::cli

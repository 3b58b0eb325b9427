// The SQLite connection: the embedded default database of the host.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/host.h"

namespace gaeb::host {

std::unique_ptr<Verbindung> NeueSqliteVerbindung();

// Runs several statements separated by ";" on a SQLite connection.
void SqliteSkript(Verbindung& v, std::string_view skript);

}  // namespace gaeb::host

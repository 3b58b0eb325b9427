// The PostgreSQL connection: several workstations on one database server.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/host.h"

namespace gaeb::host {

std::unique_ptr<Verbindung> NeuePostgresVerbindung();

// A statement of the host as the server takes it: "?" placeholders become
// "$1", "$2" ...; names with capitals or umlauts are quoted, so that tables
// and columns keep the spelling the host uses (the server would fold bare
// names to lower case); INTEGER becomes BIGINT, the 64-bit integer the host's
// counters need. Strings, quoted names and comments stay as they are.
std::string PostgresSql(std::string_view sql, int* parameterzahl = nullptr);

// Runs several statements separated by ";" (with server functions in "$$"
// bodies) on a PostgreSQL connection.
void PostgresSkript(Verbindung& v, std::string_view skript);

// Many rows of one plain insert ("INSERT INTO t (a, b) VALUES (?, ?)") sent
// as one COPY stream; errors are raised at the latest by Ende. Null for any
// other statement, and for a connection that wraps the server's (the rows
// then go one by one through the wrapper).
class PostgresSerie {
 public:
  virtual ~PostgresSerie() = default;
  virtual void Zeile(std::span<const Variant> parameter) = 0;
  virtual void Ende() = 0;
};
std::unique_ptr<PostgresSerie> NeuePostgresSerie(Verbindung& v, std::string_view sql);

}  // namespace gaeb::host

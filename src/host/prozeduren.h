// The stored procedures of the host database and the command object that runs
// them. The procedures are defined once, in the table Prozeduren(): a name,
// its parameters (the return value first) and the statements it runs with
// which of its parameters each binds. On SQLite a procedure is these mapped
// statements, run in one transaction; a server database can create a real
// function of the same name from the same table.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"

namespace gaeb::host {

struct Prozeduranweisung {
  std::string_view sql;            // "?" for each bound value
  std::vector<std::size_t> werte;  // the procedure parameters bound to the "?", in order
};

struct Prozedur {
  std::string_view name;
  std::vector<std::string_view> parameter;  // names; the first is the return value
  std::vector<Prozeduranweisung> anweisungen;
};

// The procedure as a function of a database server, in the host's SQL (the
// connection quotes its names): every parameter but the return value is text,
// each mapped statement runs with "?" standing for the parameter it binds,
// and the function returns the number of rows its statements touched.
std::string Serverfunktion(const Prozedur& p);

// Every procedure of the host database.
const std::vector<Prozedur>& Prozeduren();
// The procedure of that name, null when there is none.
const Prozedur* FindeProzedur(std::string_view name);

// The stored-procedure command object ("ADODB.Command"): prepares a command for
// a named procedure on a connection of its own, opened by the connection text.
class ProzedurbefehleHost : public Prozedurbefehle {
 public:
  std::unique_ptr<Prozedurbefehl> Bereite(const std::string& verbindungstext, const std::string& prozedur) override;
};

}  // namespace gaeb::host

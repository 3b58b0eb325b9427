// Database connections of the stand-alone host. One interface (gaeb::Verbindung)
// with one implementation per engine; the engine is chosen by the connection
// text: "sqlite:PATH", "sqlite::memory:" or "postgresql://...".
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"

namespace gaeb::host {

// The error number of database failures, as the host's data layer reports
// them (a failed statement, an unknown stored procedure).
inline constexpr long kFehlerDatenbank = -2147217900;

// A connection object that is not open yet (the "ADODB.Connection" class).
std::unique_ptr<Verbindung> NeueVerbindung();

// Opens a connection; throws gaeb::Fehler with the engine's message when it cannot.
std::unique_ptr<Verbindung> ÖffneVerbindung(std::string_view verbindungstext);

// The connection text as it may be shown: every password in it (the user
// info of a URI "USER:PASSWORD@", a URI parameter "password=", the keyword
// form "password=VALUE" or "password='VALUE'") replaced by "***".
std::string DruckbarerVerbindungstext(std::string_view verbindungstext);
// A message as it may be shown: the connection text in it made printable,
// and any password of the connection text that the message repeats on its
// own (a parse error quoting part of the text) masked as well.
std::string OhnePasswort(std::string_view meldung, std::string_view verbindungstext);

// Runs a script of several statements (schema changes). Throws on failure.
void FühreSkriptAus(Verbindung& v, std::string_view skript);

// The engine behind a connection: where the SQL of the engines differs.
enum class Datenbankart { Sqlite, Postgres };
Datenbankart ArtVon(const Verbindung& v);

// Whether the database has the table; never fails, so it may be asked inside
// a transaction (where a failed statement ends a server's transaction).
bool TabelleVorhanden(Verbindung& v, const std::string& tabelle);
// The column names of a table, from the database's catalogue.
std::vector<std::string> Spaltennamen(Verbindung& v, const std::string& tabelle);

// One statement run for many parameter rows (the rows of a document). On
// the server a plain insert goes in as one COPY stream; any error is raised
// at the latest by Ende.
class PostgresSerie;
class Serie {
 public:
  Serie(Verbindung& v, std::string sql);
  ~Serie();
  void Zeile(std::span<const Variant> parameter);
  void Ende();

 private:
  Verbindung& v_;
  std::string sql_;
  std::unique_ptr<PostgresSerie> pg_;
};

}  // namespace gaeb::host

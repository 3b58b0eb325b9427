// What every command of the gaeb program shares: the database named by --db
// (or GAEB_DB, else sqlite:gaeb.db), the host registered with an object factory
// that prints the component's messages on standard error, and a clsGaebSQL
// handed its context the way a host does (Init, then Parameter_Beleg with the
// defaults from the database's settings).
#pragma once

#include <memory>
#include <string>

#include "component/clsGaebSQL.h"
#include "core/host.h"
#include "core/objektfabrik.h"

namespace gaeb::cli {

// Exit codes of the program.
inline constexpr int kErfolg = 0;
inline constexpr int kAbgelehnt = 1;   // the component answered False, or the work failed
inline constexpr int kAufruffehler = 2;

struct Optionen {
  std::string db;    // --db
  std::string user;  // --user
};

class Programm {
 public:
  explicit Programm(Optionen& optionen) : optionen_(optionen) {}

  // The connection text the commands use.
  std::string Verbindungstext() const;
  // The open connection; opens it on first use. Throws gaeb::Fehler, also
  // when the database has no schema yet (unless mitSchema is false).
  Verbindung& Datenbank(bool mitSchema = true);
  // The object factory with the host registered.
  std::shared_ptr<Objektfabrik> Fabrik();
  // A component with Init and Parameter_Beleg done. Needs the schema.
  std::unique_ptr<clsGaebSQL> Komponente();
  // The user the program works for: --user, else the login name.
  std::string Benutzer() const;
  // The folder of the running program (where the converter library lies).
  static std::string Programmverzeichnis();

 private:
  Optionen& optionen_;
  std::unique_ptr<Verbindung> verbindung_;
  std::shared_ptr<Objektfabrik> fabrik_;
};

// Today's date as "JJJJMMTT" and "TTMMJJJJ".
std::string HeuteJmt();
std::string HeuteTmj();

}  // namespace gaeb::cli

// What every command of the gaeb program shares: the database named by --db
// (or GAEB_DB, else sqlite:gaeb.db), the host registered with an object factory
// that prints the component's messages on standard error, and a clsGaebSQL
// handed its context the way a host does (Init, then Parameter_Beleg with the
// defaults from the database's settings).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
  // Says how often the last message came again, if it did.
  ~Programm();

  // The connection text the commands use.
  std::string Verbindungstext() const;
  // A text as it may be printed: the passwords of the connection text masked.
  // Everything the program prints that may hold the connection text goes
  // through it.
  std::string Druckbar(std::string_view text) const;
  // The open connection; opens it on first use. Throws gaeb::Fehler, also
  // when the database has no schema yet or one of another version (unless
  // mitSchema is false). The schema is checked once: a connection that drops
  // later fails at the statement that needs it, not at a second check.
  Verbindung& Datenbank(bool mitSchema = true);
  // Works on v instead of opening the connection text (a host that wraps its
  // connection, as the tests do).
  void Verwende(std::unique_ptr<Verbindung> v) {
    verbindung_ = std::move(v);
    schemaGeprüft_ = false;
  }
  // The object factory with the host registered.
  std::shared_ptr<Objektfabrik> Fabrik();
  // A component with Init and Parameter_Beleg done. Needs the schema.
  std::unique_ptr<clsGaebSQL> Komponente();
  // The user the program works for: --user, else the login name.
  std::string Benutzer() const;
  // The folder of the running program (where the converter library lies).
  static std::string Programmverzeichnis();

  // The component's messages go to standard error as they come, with the
  // reason of an error report; a run of one message is printed once, and its
  // count when the run ends. Between Zurückhalten and Freigeben they are kept
  // back; Freigeben prints them without those equal to `auslassen`.
  void Zurückhalten();
  void Freigeben(std::string_view auslassen = {});

 private:
  void Ausgabe(const std::string& zeile);
  void EndeDerWiederholung();

  Optionen& optionen_;
  std::unique_ptr<Verbindung> verbindung_;
  bool schemaGeprüft_ = false;
  std::shared_ptr<Objektfabrik> fabrik_;
  std::string letzte_;     // the last message printed
  long wiederholungen_ = 0;  // how often it came again since
  bool zurückhalten_ = false;
  std::vector<std::string> zurückgehalten_;
};

// Today's date as "JJJJMMTT" and "TTMMJJJJ".
std::string HeuteJmt();
std::string HeuteTmj();

}  // namespace gaeb::cli

// The throw-away database server of the tests (tests/pgserver.sh). ctest
// starts one for all test programs and names its folder in GAEB_TEST_PG_DIR;
// a test program run by hand starts its own at the first test that needs it
// and stops it at the end. When no server can be started, every test that
// needs one fails with the reason.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "host/verbindung.h"

namespace gaeb::test {

class PgServer : public ::testing::Environment {
 public:
  // The connection text of a new empty database: a schema of its own on the server.
  static std::string NeueDatenbank() {
    static int zähler = 0;
    std::string schema = "t" + std::to_string(::getpid()) + "_" + std::to_string(++zähler);
    host::ÖffneVerbindung(Basis())->Ausführen("CREATE SCHEMA " + schema);
    return Basis() + "&options=-csearch_path%3D" + schema;
  }

  void TearDown() override {
    if (!ordner().empty()) std::system(("'" + Skript() + "' stop '" + ordner() + "' >/dev/null 2>&1").c_str());
  }

 private:
  static std::string Skript() { return std::string(GAEB_TESTDATA) + "/../pgserver.sh"; }
  static std::string& ordner() { static std::string o; return o; }  // the server this program started

  static const std::string& Basis() {
    static std::string basis, fehler;
    static bool versucht = false;
    if (!versucht) {
      versucht = true;
      const char* vorhanden = std::getenv("GAEB_TEST_PG_DIR");
      std::string befehl;
      if (vorhanden != nullptr && *vorhanden != '\0') befehl = "cat '" + std::string(vorhanden) + "/verbindung'";
      else {
        char vorlage[] = "/tmp/gaebpgXXXXXX";
        if (::mkdtemp(vorlage) != nullptr) ordner() = vorlage;
        befehl = "'" + Skript() + "' start '" + ordner() + "'";
      }
      FILE* aus = ::popen((befehl + " 2>&1").c_str(), "r");
      char puffer[512];
      while (aus != nullptr && std::fgets(puffer, sizeof puffer, aus) != nullptr) basis += puffer;
      int rc = aus != nullptr ? ::pclose(aus) : -1;
      while (!basis.empty() && basis.back() == '\n') basis.pop_back();
      if (rc != 0 || basis.rfind("postgresql://", 0) != 0) fehler = befehl + ": " + basis;
    }
    if (!fehler.empty()) throw std::runtime_error("no PostgreSQL server for the tests (" + fehler + ")");
    return basis;
  }
};

inline ::testing::Environment* const kPgServer = ::testing::AddGlobalTestEnvironment(new PgServer);

}  // namespace gaeb::test

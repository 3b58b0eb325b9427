// A GAEB file read into a throw-away in-memory database: the commands that take
// a file without a database (convert, info, view FILE, diff, validate,
// check-bid) read it through the host's readers and store it through the same
// import calls as `gaeb import`, so the document they see is computed by the
// host exactly as a stored one would be.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/objektfabrik.h"
#include "host/dokument.h"
#include "readers/gaebleser.h"

namespace gaeb::checks {

struct Belegdatei {
  std::string pfad;
  readers::Gaebformat format = readers::Gaebformat::Unbekannt;
  // The rows as the file gave them (the file's own totals among them).
  std::vector<readers::Importzeile> zeilen;
  // The in-memory database (shared cache, so that another connection with
  // the same text, such as an export's, sees the same data while this one is open).
  std::string verbindungstext;
  std::shared_ptr<Objektfabrik> fabrik;
  std::unique_ptr<Verbindung> db;
  // The stored and computed document (type kBelegart, number belegnummer).
  host::Dokument dokument;
  // Messages the component showed while storing (none for a sound file).
  std::vector<std::string> meldungen;
};

inline constexpr std::int16_t kBelegart = 1;

// Reads the file and stores it. programmverzeichnis: where the converter
// library lies. Throws readers::Lesefehler for a file the readers refuse and
// gaeb::Fehler when the document could not be stored.
std::unique_ptr<Belegdatei> LeseBelegdatei(const std::string& pfad, const std::string& programmverzeichnis);

}  // namespace gaeb::checks

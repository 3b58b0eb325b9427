// Import rows as the readers deliver them: one row per bill row, each the
// position-record properties that the host sets before Speichern_Belegdaten,
// in the order they are set. The first row is the header (Positionstyp 10),
// the last the end of the bill (90).
//
// A reader checks the whole file before it hands out a single row; a file it
// cannot read throws Lesefehler, naming the file, the place (line or XML
// path) and the reason.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/variant.h"

namespace gaeb::readers {

// Same shape as the rows of the JSON row files of the command line.
using Importzeile = std::vector<std::pair<std::string, Variant>>;

class Lesefehler : public std::runtime_error {
 public:
  // datei: the file name as given; stelle: "Zeile 12" or "/GAEB/Award/BoQ"
  // (may be empty); grund: what is wrong, in German.
  Lesefehler(const std::string& datei, const std::string& stelle, const std::string& grund);
  const std::string& Grund() const { return grund_; }
  const std::string& Stelle() const { return stelle_; }

 private:
  std::string stelle_;
  std::string grund_;
};

// Besides the position-record properties the header row may carry the
// client's address (the document's address of kind 2), as strings named
// "Auftraggeber." and the host's field: Name1 to Name4, Strasse, Plz, Ort,
// Land, Telefon, Fax, Email. The field a name gives ("Auftraggeber.Ort":
// "Ort"), empty for any other name.
std::string Auftraggeberfeld(std::string_view name);

// Sets a property in a row; a name already present gets the new value.
void Setze(Importzeile& z, std::string_view name, Variant wert);
// The value of a property in a row, Empty when it is not set.
Variant Wert(const Importzeile& z, std::string_view name);
// A new row of the kind.
Importzeile Zeile(std::int16_t positionstyp);

// Numbers of the files: "1.234,50", "1234.5", "-3" and the like. False when s
// is no number (empty counts as none).
bool LeseZahl(std::string_view s, double& wert);

}  // namespace gaeb::readers

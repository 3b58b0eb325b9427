// Row files of the command-line import: a JSON array of objects whose keys
// are position-record property names and whose values have the property's
// type (numbers, booleans, strings). The header row may also carry the
// client's address, the document's address of kind 2, as strings under
// "Auftraggeber." and the field name ("Auftraggeber.Name1").
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/variant.h"

namespace gaeb::cli {

// One row: property names and their values in file order.
using Importzeile = std::vector<std::pair<std::string, Variant>>;

// Checks the whole file before anything is stored. Throws CLI-friendly
// std::invalid_argument naming the row (1-based) and key for an unknown key
// or a value of the wrong type or beyond what can be stored
// (PrüfeImportzeilen), and naming the row for a header row (Positionstyp 10)
// that is not the first or a row after the end row (90).
std::vector<Importzeile> LeseImportzeilen(const nlohmann::json& datei);

// What no GAEB format can carry and no engine stores alike, refused before
// anything is stored: a NUL character or more than 1 MB in a text, a number
// wider than the widest field any format has for it (quantities 8 digits
// before the decimal point, unit prices 10, amounts 11, percentages 3), and a
// position whose total (quantity x unit price / price unit) is wider than an
// amount. Throws std::invalid_argument naming the row (1-based) and the key.
void PrüfeImportzeilen(const std::vector<Importzeile>& zeilen);

// A value as JSON by its type.
nlohmann::json AlsJson(const Variant& v);

}  // namespace gaeb::cli

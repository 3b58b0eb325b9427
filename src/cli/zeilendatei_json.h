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
// or a value of the wrong type, and naming the row for a header row
// (Positionstyp 10) that is not the first or a row after the end row (90).
std::vector<Importzeile> LeseImportzeilen(const nlohmann::json& datei);

// A value as JSON by its type.
nlohmann::json AlsJson(const Variant& v);

}  // namespace gaeb::cli

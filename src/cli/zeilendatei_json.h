// Row files of the command-line import: a JSON array of objects whose keys
// are position-record property names and whose values have the property's
// type (numbers, booleans, strings). The header row may also carry the
// client's address, the document's address of kind 2, as strings under
// "Auftraggeber." and the field name ("Auftraggeber.Name1").
//
// A row file is read as a stream of parse events: neither its JSON nor its
// rows are held, only the row being read. A row's keys come in the order of
// their names; of a key given twice the last value counts.
#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/variant.h"

namespace gaeb::cli {

// One row: property names and their values.
using Importzeile = std::vector<std::pair<std::string, Variant>>;

// Checks a whole row file before anything is stored, holding one row at a
// time; each row whose keys and types are right goes to zeile (for the
// insert rules). Returns the number of rows. Throws nlohmann::json::exception
// for text that is not JSON (wherever it is, it wins), else
// std::invalid_argument for the first of, in this order:
//  - an unknown key or a value of the wrong type, naming the row (1-based)
//    and the key; a file that is no array, a row that is no object;
//  - a header row (Positionstyp 10) that is not the first or a row after the
//    end row (90), naming the row;
//  - a value beyond what can be stored (PrüfeImportzeile).
std::size_t PrüfeZeilendatei(std::istream& ein, const std::function<void(const Importzeile&)>& zeile = {});

// Reads a row file that PrüfeZeilendatei passed again and hands each row to
// nimm until nimm returns false. Returns why the rows could not be read to
// their end (the file no longer passes the checks), empty when they could;
// what nimm throws passes through.
std::string LeseZeilendatei(std::istream& ein, const std::function<bool(const Importzeile&)>& nimm);

// All rows of a row file held in memory (the demo bills, tests), checked as
// PrüfeZeilendatei does; the same exceptions.
std::vector<Importzeile> LeseImportzeilen(std::string_view json);
std::vector<Importzeile> LeseImportzeilen(const nlohmann::json& datei);

// What no GAEB format can carry and no engine stores alike, refused before
// anything is stored: a NUL character or more than 1 MB in a text, a number
// wider than the widest field any format has for it (quantities 8 digits
// before the decimal point, unit prices 10, amounts 11, percentages 3), and a
// position whose total (quantity x unit price / price unit) is wider than an
// amount. Throws std::invalid_argument naming the row (nr, 1-based) and the key.
void PrüfeImportzeile(const Importzeile& zeile, std::size_t nr);
void PrüfeImportzeilen(const std::vector<Importzeile>& zeilen);

// A value as JSON by its type.
nlohmann::json AlsJson(const Variant& v);

}  // namespace gaeb::cli

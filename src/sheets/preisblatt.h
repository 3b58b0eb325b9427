// The price sheet of a stored bill: the bill as a table that a tradesman fills
// in a spreadsheet program (XLSX) or as a CSV file in German conventions, and
// the way back, which stores the prices typed into it.
//
// Layout (docs/formats.md shows an example): a header block (project, LV,
// currency, date, document), an empty row, the table header and one row per
// row of the document in document order, then the bill's totals. Columns: the
// hidden key (the row's place in the document), OZ, short text, mark, quantity,
// unit, price unit, one column per unit-price share the document keeps, unit
// price, total price and the hidden count flag (1 for the rows that count in
// the sums). Only the price cells are unlocked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/host.h"

namespace gaeb::sheets {

enum class Blattformat { Xlsx, Csv };

// The format a file name asks for: ".xlsx" or ".csv" (any case). Another name
// goes by the content of the file (a ZIP archive is XLSX, anything else CSV);
// throws gaeb::Fehler naming the file when it has neither such a name nor content.
Blattformat FormatVon(const std::string& datei);

// Called with (rows done, rows in all) while a sheet is written or stored.
using Fortschritt = std::function<void(std::size_t, std::size_t)>;

// Writes the price sheet of document (belegart, belegnummer), computed as the
// host computes it. Throws gaeb::Fehler when the document does not exist or
// the file cannot be written (a partly written file is removed).
void SchreibePreisblatt(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer, const std::string& datei,
                        Blattformat format, const Fortschritt& fortschritt = {});

struct OffenePosition {
  std::string oz, kurztext;
};
struct Preisergebnis {
  std::size_t bepreist = 0;              // rows that need a price and have one
  std::vector<OffenePosition> ohnePreis;  // rows that need a price and have none, in document order
};

// Reads the prices of a sheet back into document (belegart, belegnummer): each
// table row is found by its key and must carry the OZ of that row; unit prices
// (or shares) of positions and package parts are stored through the host's
// document data object, which recomputes the document and saves it in one
// transaction, locked for benutzer meanwhile. Throws gaeb::Fehler with the
// place ("Zeile N, OZ X: ...") for any bad input, before anything is stored.
Preisergebnis LesePreisblatt(Verbindung& v, const std::string& benutzer, std::int16_t belegart,
                             std::int32_t belegnummer, const std::string& datei, Blattformat format,
                             const Fortschritt& fortschritt = {});

}  // namespace gaeb::sheets

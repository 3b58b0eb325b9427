// What the writers and readers of the price sheet share: the columns, the
// cells of one row as the document gives them (values, formulas with the
// values the host computed, which cells take input), and the table a reader
// hands back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/dokument.h"

namespace gaeb::sheets {

// Texts of the sheet that the reader looks for.
inline constexpr const char* kKopfSchlüssel = "Zeile";  // header of the hidden key column
inline constexpr const char* kKopfOZ = "OZ";
inline constexpr const char* kKopfEinheitspreis = "Einheitspreis";
inline constexpr const char* kBelegLabel = "Beleg";     // header block: the document, by BelegText

// The document as the header block names it: "Belegart 1, Nummer 5" (a text
// that no spreadsheet program takes for a date or a number).
std::string BelegText(std::int16_t belegart, std::int32_t belegnummer);

// The columns of a sheet, 0-based. Without shares the unit price follows the
// price unit; with shares one column per share comes between them.
struct Spalten {
  explicit Spalten(std::vector<std::string> anteilnamen);

  static constexpr int kSchlüssel = 0, kOZ = 1, kKurztext = 2, kArt = 3, kMenge = 4, kEinheit = 5, kPE = 6;
  int Anteil(std::size_t i) const { return kPE + 1 + static_cast<int>(i); }
  int ep, gp, zählt;
  std::vector<std::string> anteile;

  int Anzahl() const { return zählt + 1; }
  std::vector<std::string> Köpfe() const;
};

// Column letters of the spreadsheet: 0 A, 25 Z, 26 AA.
std::string Spaltenname(int spalte);

struct Zelle {
  enum class Art : std::uint8_t { Leer, Text, Zahl, Formel };
  enum class Format : std::uint8_t { Standard, Menge, Betrag };
  Art art = Art::Leer;
  Format format = Format::Standard;
  bool fett = false;
  bool eingabe = false;  // a price cell: unlocked, takes what the user types
  std::string text;      // text, or the formula without "="
  double zahl = 0;       // number, or the value the formula has
};
using Blattzeile = std::vector<Zelle>;

// The sheet of one computed document, row by row (rows 0-based as the
// spreadsheet numbers them minus one).
class Blattinhalt {
 public:
  explicit Blattinhalt(const host::Dokument& d);

  const Spalten& spalten() const { return spalten_; }
  std::size_t Zeilenzahl() const { return kErstePosition + positionen_ + 1 + 3; }
  std::size_t Kopfzeile() const { return kErstePosition - 1; }
  std::size_t Positionen() const { return positionen_; }
  // Fills the cells of sheet row z (empty cells stay Leer).
  void Zeile(std::size_t z, Blattzeile& zellen) const;

  static constexpr std::size_t kErstePosition = 7;

 private:
  void Position(std::size_t i, Blattzeile& zellen) const;
  std::string Z(int spalte, std::size_t i) const;  // cell of position i, "K12"
  // Totals of positions [von, bis) that count in their areas (nurBereiche) or
  // in the bill (the "in Summe" column: 1 areas and bill, 2 bill only).
  std::string Summe(std::size_t von, std::size_t bis, bool nurBereiche) const;

  const host::Dokument& d_;
  Spalten spalten_;
  std::size_t positionen_;
  std::vector<std::pair<std::string, std::string>> kopfblock_;
  std::vector<std::size_t> bereichsende_;  // per structure row: the first position after its area
  std::vector<long> basis_;                // per sum row: first position of the amount it works on, -1 none
};

// A cell as a reader found it: a number, a text, an error value of the
// spreadsheet, or nothing; formula cells carry the value last computed (none
// when the program that wrote the file did not compute it).
struct Lesezelle {
  enum class Art : std::uint8_t { Leer, Text, Zahl, Fehlerwert };
  Art art = Art::Leer;
  bool formel = false;
  std::string text;
  double zahl = 0;
};
struct Lesezeile {
  std::size_t nummer = 0;  // row number as the spreadsheet shows it (1-based)
  std::vector<Lesezelle> zellen;
};
using Tabelle = std::vector<Lesezeile>;

// Collects the rows a reader finds, row by row. After the table's header row
// it drops the columns the reading back does not use (texts, quantities,
// totals), so that a bill of 100,000 rows with its texts stays small.
class Tabellensammler {
 public:
  void Zeile(std::size_t nummer);
  void Zelle(int spalte, Lesezelle zelle);
  Tabelle Ergebnis();

 private:
  void Abschluss();
  Tabelle t_;
  bool offen_ = false;
  std::vector<bool> weg_;  // per column of the header row: not kept
};

// Writers: the whole sheet into a file; throw gaeb::Fehler when it cannot be written.
void SchreibeXlsx(const Blattinhalt& b, const std::string& datei, const std::function<void(std::size_t)>& je);
void SchreibeCsv(const Blattinhalt& b, const std::string& datei, const std::function<void(std::size_t)>& je);

// Readers: every non-empty row of the first sheet. Throw gaeb::Fehler naming
// what is wrong with the file.
Tabelle LeseXlsx(const std::string& datei);
Tabelle LeseCsv(const std::string& datei);

// A number as a German spreadsheet shows it ("1.234,56", "12,5", "-3");
// false when the text is none.
bool DeutscheZahl(std::string_view text, double& wert);

}  // namespace gaeb::sheets

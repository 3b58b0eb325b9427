// The host's quantity take-off ("Aufmaß"): per document, rows of a
// calculation or a comment, stored in table Aufmasszeilen. The host computes
// each row's quantity from its formula, numbers sheets and line letters, and
// builds the array object that the quantity calculation exports read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/mengen.h"

namespace gaeb::host {

// The array object: rows and columns from their lower bounds, values kept as
// given (a cell never set is Empty).
class XArrayDBHost : public XArrayDB {
 public:
  std::int32_t Anzahl(int dimension) const override;
  Variant Wert(std::int32_t zeile, std::int32_t spalte) const override;
  void SetzeWert(std::int32_t zeile, std::int32_t spalte, const Variant& wert) override;
  void ReDim(std::int32_t zeileVon, std::int32_t zeileBis, std::int32_t spalteVon, std::int32_t spalteBis) override;
  void FügeZeileEin(std::int32_t zeile) override;

 private:
  Variant& Zelle(std::int32_t zeile, std::int32_t spalte);
  std::int32_t zeileVon_ = 0, spalteVon_ = 0, spalten_ = 0;
  std::vector<std::vector<Variant>> werte_;
};

// The quantity take-off object: opens the take-off of a stored document.
class AufmassHost : public Aufmass {
 public:
  void Öffnen(const std::string& verbindungstext, Verbindung* verbindung) override;
  bool ÖffneAufmass(std::int16_t belegart, std::int32_t belegnummer) override;

 private:
  Verbindung* verbindung_ = nullptr;
};

// One row of a take-off.
struct Aufmasszeile {
  std::int16_t Zeilenart = 0;   // 0 calculation, 1 comment
  std::string Positionsnummer;  // the position the row belongs to
  std::string Bezeichnung;      // short designation, or the comment text
  std::string Formel;           // calculation rows: the formula
  // Filled by the host when it stores the rows:
  std::int32_t Blatt = 0;       // sheet number, 22 rows a sheet
  std::string Buchstabe;        // line letter on the sheet
  double Menge = 0;             // value of the formula, to three decimals
  double Ergebnis = 0;          // running total of the position's quantities
};

// The value of a quantity formula: arithmetic with a decimal comma, "^" or
// "**" for powers, parentheses, ";" between function arguments and the
// functions of the expression library. Throws gaeb::Fehler with the reason.
double BerechneFormel(const std::string& formel);

// Replaces the take-off of a document by rows in one transaction: computes
// every calculation row's quantity, numbers sheets and letters and running
// results. Throws gaeb::Fehler naming the row (counted from 1) when a formula
// does not evaluate or a row is invalid, and when the document does not
// exist; nothing is stored then.
void SpeichereAufmass(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer,
                      std::vector<Aufmasszeile> zeilen);
// The stored take-off of a document in order.
std::vector<Aufmasszeile> LeseAufmass(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer);

// The array the quantity calculation exports read: row 0 with the header
// values from document, project and client address in columns 1 to 19, then
// one row per take-off row (columns 0 kind, 3 sheet, 4 letter, 5 ordinal
// number, 6 designation or comment, 7 quantity, 8 formula, 9 result).
std::unique_ptr<XArrayDBHost> BaueAufmassArray(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer);

}  // namespace gaeb::host

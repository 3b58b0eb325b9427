// The host objects of the quantity calculations: the two-dimensional array
// object through which the host hands the calculation rows to the DA11 and
// DA12 exports, and the quantity take-off object that opens a document's
// take-off. src/host implements both; tests may bring their own.
#pragma once

#include <cstdint>
#include <string>

#include "core/host.h"
#include "core/objektfabrik.h"

namespace gaeb {

// A two-dimensional array of values, rows and columns counted from their
// lower bounds (0 in every array the component makes). A cell never set is
// Empty and reads as the empty text.
class XArrayDB : public HostObjekt {
 public:
  // Number of rows (dimension 1) or columns (dimension 2).
  virtual std::int32_t Anzahl(int dimension) const = 0;
  // The value at (zeile, spalte); throws gaeb::Fehler 9 outside the rows or
  // left of the first column; a column right of the last reads as Empty.
  virtual Variant Wert(std::int32_t zeile, std::int32_t spalte) const = 0;
  // Writes a value; a column right of the last widens the array.
  virtual void SetzeWert(std::int32_t zeile, std::int32_t spalte, const Variant& wert) = 0;
  // Makes the array rows zeileVon..zeileBis by spalteVon..spalteBis; every
  // value is Empty afterwards.
  virtual void ReDim(std::int32_t zeileVon, std::int32_t zeileBis, std::int32_t spalteVon, std::int32_t spalteBis) = 0;
  // Inserts one empty row before row zeile (zeile = upper bound + 1 appends).
  virtual void FügeZeileEin(std::int32_t zeile) = 0;

  // The value as text, as the exports read a cell.
  std::string Text(std::int32_t zeile, std::int32_t spalte) const { return Wert(zeile, spalte).ToString(); }
};

// The host's quantity take-off of one document.
class Aufmass : public HostObjekt {
 public:
  // Binds the object to the database.
  virtual void Öffnen(const std::string& verbindungstext, Verbindung* verbindung) = 0;
  // Opens the take-off of a document; false when there is no such document.
  virtual bool ÖffneAufmass(std::int16_t belegart, std::int32_t belegnummer) = 0;
};

namespace klassen {
inline constexpr Klasse XArrayDB{"GaebHost.XArrayDB", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D0B}"};
}  // namespace klassen

}  // namespace gaeb

// The field catalogues of the host document: which fields a header, a position
// and a closing row have, their types and their start values. The database
// tables are made from them (one column per field), and the in-memory records
// of the document data object hold their values in catalogue order.
//
// A field that corresponds to a property of the position record carries that
// property's name; the others carry a name of the host's own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/variant.h"

namespace gaeb::host {

struct Feld {
  std::string_view name;
  Variant::Typ typ;  // String, Integer, Long, Double or Boolean
  Variant vorgabe;   // value of a new record
};

class Katalog {
 public:
  Katalog(std::string tabelle, std::vector<Feld> felder);

  const std::string& Tabelle() const { return tabelle_; }
  const std::vector<Feld>& Felder() const { return felder_; }
  std::size_t Anzahl() const { return felder_.size(); }
  // Index of a field, or -1.
  int Index(std::string_view name) const;
  // Column name of field i in the database (umlauts spelt out: "Währung" -> "Waehrung").
  const std::string& Spalte(std::size_t i) const { return spalten_[i]; }

 private:
  std::string tabelle_;
  std::vector<Feld> felder_;
  std::vector<std::string> spalten_;
  std::unordered_map<std::string_view, int> index_;
};

// Header of a document (table Belegkopfkolvar, keyed by Belegart and Belegnummer).
const Katalog& KopfKatalog();
// Positions of a document in document order (table Belegpositionen).
const Katalog& PositionsKatalog();
// Closing rows: totals (kind 90) and closing texts (kind 140) (table Belegschlusszeilen).
const Katalog& SchlusszeilenKatalog();

// Addresses of a document by kind (2 = client) (table Belegadressen).
const Katalog& AdressKatalog();

// Quantity take-off rows of a document (table Aufmasszeilen, keyed by
// Belegart, Belegnummer and Zeile).
const Katalog& AufmassKatalog();

// The host's two article masters: its own (kv, table ArtikelKV) and the other
// one (table Artikel). An article is keyed by its main supplier and article
// number; its fields carry the names of the article manager's members.
const Katalog& ArtikelKatalog(bool kv);
// The long texts of the articles of a master (tables ArtikellangtexteKV and
// Artikellangtexte), keyed by supplier, text number, text kind, additional
// text number and language mark.
const Katalog& ArtikellangtextKatalog(bool kv);

// Converts a value to the type of a field (error 13 when it does not convert).
Variant AlsFeldtyp(const Variant& wert, Variant::Typ typ);

// A column name without umlauts.
std::string Spaltenname(std::string_view feldname);

}  // namespace gaeb::host

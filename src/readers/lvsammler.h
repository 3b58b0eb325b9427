// Collects the rows of one bill while a reader walks the file, and settles
// what only the whole bill tells: the hierarchy level of each area row, the
// lot flag and the OZ mask of the header.
//
// Areas (Los, Gewerk, Titel) come in with their depth in the file (1 for the
// outermost). The host knows three area levels, the innermost being the
// title: a bill of D area levels stores depth d as level 3 - D + d, so two
// levels become trade and title. When the file describes fewer levels in its
// breakdown than its areas have, the extra outer level is the lot (MitLos).
// Areas deeper than three levels are stored as titles.
#pragma once

#include <string>
#include <vector>

#include "readers/zeilen.h"

namespace gaeb::readers {

struct Gliederung {
  std::vector<int> bereichLängen;  // lengths of the described area levels, outermost first
  int positionLänge = 0;           // 0: not described
  int indexLänge = 0;
  // GAEB 90 says itself whether the bill has lots; the lot is then the
  // first of bereichLängen.
  bool losBekannt = false;
  bool mitLos = false;
};

class Lvsammler {
 public:
  Lvsammler() : kopf(Zeile(10)) {}

  Importzeile kopf;  // the header row (Positionstyp 10)

  // An area row at depth tiefe (1 = outermost); its level is settled by Fertig.
  Importzeile& Bereich(int tiefe, const std::string& oz);
  // A sum row (60) of the area at depth tiefe, or a surcharge or discount on
  // it when the reader makes it one (70, 80): its WelcherBetragZuAbschlag
  // becomes that area's level.
  Importzeile& Summe(int tiefe);
  // Any other row in file order.
  Importzeile& Neu(std::int16_t positionstyp);
  // Closing remarks stand after the bill, before its end row.
  Importzeile& Schluss();
  std::size_t AnzahlBereiche() const { return bereiche_.size(); }
  std::size_t AnzahlZeilen() const { return zeilen_.size(); }
  // A row made by Bereich or Neu, by its number (0 first).
  Importzeile& ZeileAn(std::size_t i) { return zeilen_[i]; }
  // The last closing remark (Schluss must have been called).
  Importzeile& SchlussZeile() { return schluss_.back(); }

  // The surcharges and discounts on the whole bill. A file carries only the
  // last one (nachlass: its percentage, a discount positive) and the bill
  // total it applies to (summe, when summeBekannt). What the counted items do
  // not explain of that total was another surcharge or discount before it:
  // it comes back as a row of its own, as a percentage when one of two
  // decimals gives the amount, else as the amount. Both rows follow the body.
  void GanzesLv(double nachlass, double summe, bool summeBekannt);
  // The total the host gives the rows so far: the rows that count in their
  // areas by the host's rule (core/summenregel.h), before the surcharges on
  // the whole bill that GanzesLv adds.
  double GezählteSumme() const;
  // A row's total counts in its areas and in the bill (see GezählteSumme).
  static bool Gezählt(const Importzeile& z);

  // A bid carries no marks of alternative and need items, but its area
  // totals leave out alternatives and contingency items without total
  // amount: of the rows (an area's items), one whose total is just what the
  // counted ones have over the area's summe becomes a contingency item
  // without total amount (Bedarfsposition and Alternativposition).
  void Ungezählte(const std::vector<std::size_t>& zeilen, double summe);

  // Header, body, closing remarks, end row; a row whose Positionstyp a
  // reader set to 0 is left out. g: the breakdown the file
  // describes (levels it leaves out are taken from the longest numbers).
  std::vector<Importzeile> Fertig(const Gliederung& g);

 private:
  struct Bereichsinfo {
    std::size_t zeile;
    int tiefe;
  };
  // The OZ of every area and item in one form, whatever the file's: each
  // part of digits right-aligned with zeros to its level's length, and a
  // blank part for each level an item skips (an item at a shallower depth
  // than the breakdown). längen: of the area levels, outermost first.
  void Ordnungszahlen(const std::vector<int>& längen, int positionLänge);

  std::vector<Importzeile> zeilen_;
  std::vector<Importzeile> schluss_;
  std::vector<Bereichsinfo> bereiche_;
  std::vector<Bereichsinfo> summen_;
  std::vector<int> längsteTeile_;  // per depth: longest last part of an area OZ
};

// The last part of an OZ that uses "." between its levels.
std::string LetzterTeil(const std::string& oz);

}  // namespace gaeb::readers

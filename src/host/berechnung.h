// How the host computes a document: positions, package heads from their parts,
// structure rows and sum rows from what they hold, and the totals row.
//
//  - position (40) and package part (47): total = quantity x unit price /
//    price unit, rounded to cents;
//  - package head (45): unit price = sum of the totals of the parts that
//    follow it, total = quantity x unit price / price unit;
//  - which rows count in which sums: core/summenregel.h (positions, package
//    heads and surcharges unless alternative or contingency without total
//    amount; a surcharge or discount on the whole bill only in the bill);
//  - lot, trade, title (20, 21, 22): total of the rows inside that count in
//    their areas;
//  - subtotal (60): unit price = the counted amount so far of the whole bill
//    (WelcherBetragZuAbschlag 0) or of the open area of that level (1..3);
//    its total is 0, so that an area's sum minus the row's total is the sum;
//  - surcharge (70) and discount (80): percentage of that amount, or a fixed
//    amount (unit price with 100 percent); a discount is negative;
//  - totals row (90): net total, VAT rate of the header, VAT amount and gross
//    total. A document without one gets one in front of its closing rows.
// The hierarchy level of every row is set on the way: 1 to 3 for lots,
// trades and titles, one more than the enclosing area for the other rows.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/summenregel.h"
#include "host/dokument.h"

namespace gaeb::host {

// Computes one position (kinds 40, 45, 47); false for another kind.
bool BerechnePosition(Dokument& d, std::size_t index);

// Computes the whole document.
void BerechneDokument(Dokument& d);

// The fields the computation sets on the position rows.
enum class Rechenfeld { Gesamtpreis, Einzelpreis, HierarchieEbene };
void SetzeRechenfeld(Satz& position, Rechenfeld feld, double wert);

// The computation of the positions as one forward walk: each row is handed
// in once, in document order, and only that row is read. What the walk
// computes goes to setze (row index, field, value): for most rows while the
// row is handed in, for a structure row when its area closes and for a
// package head after its last part. So a document far larger than memory is
// computed from a stream of its rows, and what it computes can be kept apart
// from the rows. BerechneDokument is this walk over the rows in memory.
class Rechenlauf {
 public:
  using Setzer = std::function<void(std::size_t index, Rechenfeld feld, double wert)>;
  // The fields of a row the walk reads, and all it may read: a document open
  // for output is computed from rows that hold only these.
  static constexpr std::string_view kFelder[] = {
      "Positionstyp", "Menge", "Einzelpreis", "Preiseinheit", "Gesamtpreis", "WelcherBetragZuAbschlag",
      "AufAbschlagProzent", "Alternativposition"};
  explicit Rechenlauf(Setzer setze);
  void Zeile(std::size_t index, const Satz& position);
  // Closes the open areas; the counted amount of the whole bill.
  double Ende();

 private:
  void SchließeAb(int level);
  void SchließePaket();
  void Zähle(double gesamtpreis, Summenanteil anteil);

  Setzer setze_;
  double bill_ = 0.0;
  double bereich_[4] = {};            // amount of the open area per level 1..3
  long bereichZeile_[4] = {-1, -1, -1, -1};
  int ebene_ = 0;                     // level of the innermost open area
  long paketZeile_ = -1;              // the package head whose parts are being read
  double paketEP_ = 0.0, paketMenge_ = 0.0, paketPE_ = 0.0;
  Summenanteil paketAnteil_ = Summenanteil::Keiner;
};

// Sets the totals rows (kind 90) of the closing rows from the bill's counted
// amount and the header's VAT rate; adds one when there is none.
void SetzeSchlusszeilen(Dokument& d, double bill);

// Where the row's total counts (core/summenregel.h); ZähltInSummen: anywhere.
Summenanteil AnteilInSummen(const Satz& position);
bool ZähltInSummen(const Satz& position);

// Prices of a bill as the host keeps them.
//  - the rows that need a unit price of their own: positions (40) and package
//    parts (47); a package head takes the sum of its parts;
//  - the unit-price shares the document keeps (header AnzahlEPAnteile 2:
//    material and labour, fields Materialpreis and Lohnpreis); with shares the
//    unit price is their sum, without them the unit price is also stored as
//    the material price;
//  - neither a unit price nor a share may be negative: a reduction is a
//    discount row of its own.
bool BrauchtPreis(const Satz& position);
// Names of the shares the document keeps ("Material", "Lohn"), empty for none.
std::vector<std::string> Preisanteile(const Satz& kopf);
// Sets the unit price of a row that needs one: with shares (one value per name
// of Preisanteile) the unit price is their sum and einzelpreis is not used.
// Sets the price markers as the import does; a price equal to the stored one
// changes nothing. Throws gaeb::Fehler (5) for a
// negative value or a row that takes no price; the row is then unchanged.
void SetzePreis(Satz& position, double einzelpreis, const std::vector<double>& anteile = {});

}  // namespace gaeb::host

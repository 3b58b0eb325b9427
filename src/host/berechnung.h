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
#include <string>
#include <vector>

#include "core/summenregel.h"
#include "host/dokument.h"

namespace gaeb::host {

// Computes one position (kinds 40, 45, 47); false for another kind.
bool BerechnePosition(Dokument& d, std::size_t index);

// Computes the whole document.
void BerechneDokument(Dokument& d);

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

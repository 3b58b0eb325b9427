// Which totals the amount of a row goes into: the one rule the host computes
// its totals by and the readers rebuild what a file leaves out by, so that the
// totals a file declares are those a receiver gets by adding up its rows.
//
// As the GAEB exchange formats define the kinds of rows:
//  - a position (40) or package head (45) counts in the areas around it (lot,
//    trade, title) and in the bill, unless it is an alternative (GAEB DA XML
//    ALNGroupNo/ALNSerNo, GAEB 90 and GAEB 2000 "A") or a contingency item
//    without total amount (Provis WithoutTotal, "E"): both offer a unit price
//    only, and the host marks both with Alternativposition. A contingency item
//    with total amount (Provis WithTotal, "M": Bedarfsposition alone) counts
//    like any position. Whether an item is marked for markups (MarkupIt,
//    GAEB 90 column 20 "E") does not change what it counts in;
//  - a surcharge or discount row (70, 80) on items or on an area (sub-kinds
//    1 to 8: GAEB DA XML MarkupItem, GAEB 90 record 21 "Z" or the factor of an
//    area's sum record) counts in the areas around it and in the bill;
//  - a surcharge or discount on the whole bill (sub-kind 0) counts in the
//    bill only: every format carries it in the bill's totals, never in an
//    area's, wherever its row stands;
//  - everything else adds nothing: areas (they hold the sum), package parts
//    (their head carries them), subtotals (60), texts.
#pragma once

#include <cstdint>

namespace gaeb {

enum class Summenanteil {
  Keiner,         // counts nowhere
  NurLV,          // only in the bill's total
  BereicheUndLV,  // in the areas the row stands in and in the bill's total
};

// positionstyp: the row's kind; alternativ: its Alternativposition flag;
// unterart: its WelcherBetragZuAbschlag (read for kinds 70 and 80 only).
constexpr Summenanteil AnteilInSummen(std::int32_t positionstyp, bool alternativ, std::int32_t unterart) {
  switch (positionstyp) {
    case 40:
    case 45: return alternativ ? Summenanteil::Keiner : Summenanteil::BereicheUndLV;
    case 70:
    case 80:
      if (alternativ) return Summenanteil::Keiner;
      return unterart == 0 ? Summenanteil::NurLV : Summenanteil::BereicheUndLV;
    default: return Summenanteil::Keiner;
  }
}

}  // namespace gaeb

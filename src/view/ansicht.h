// The HTML page of a bill: one self-contained file (styles inline, no script,
// no network, no other file) with the header, the category tree as nested
// <details> that fold without a script, each item with OZ, short and long
// text, quantity, unit, unit price and total, the markers of contingency,
// alternative and lump-sum items, packages and bidder gaps, sum and surcharge
// rows, and the bill's totals. A print stylesheet gives an A4 print with every
// category unfolded and the OZ and amounts in aligned columns. Every text of
// the document is escaped: a file's texts never become markup of the page.
#pragma once

#include <string>
#include <string_view>

#include "host/dokument.h"

namespace gaeb::view {

struct Ansichtoptionen {
  // Where the converter library lies: long texts kept as RTF are shown with
  // their bold, italic and underlined runs through it. Empty: plain lines.
  std::string programmverzeichnis;
  // Categories start folded (the print shows them unfolded all the same).
  bool gefaltet = false;
};

std::string BelegHtml(const host::Dokument& d, const Ansichtoptionen& o);

// Text as HTML text: & < > " ' escaped.
std::string Html(std::string_view text);

}  // namespace gaeb::view

// A long text as HTML: paragraphs, bold, italic and underlined runs (from the
// RTF form through the converter library, else the plain lines), bidder and
// owner gaps, and the lists and tables the text markup becomes in lines
// ("- " and "1. " before list items, cells split by tabs).
#pragma once

#include <string>

namespace gaeb::view {

struct Langtextquelle {
  std::string text;  // plain lines, CR LF or LF between them
  std::string rtf;   // the RTF form, may be empty
};

// The HTML of the text; lücke is set when the text holds a bidder gap.
// programmverzeichnis empty: the RTF form is not used.
std::string LangtextHtml(const Langtextquelle& q, const std::string& programmverzeichnis, bool& lücke);

}  // namespace gaeb::view

// Reads an RTF text into the converter's text model.
//
// Understood: groups, control words and symbols, \par \line \tab (and the
// table and section marks as paragraph ends and tabs), \b \i \ul with their
// off forms, \plain, hidden text, \uN with the skip count \ucN, the
// typographic characters (dashes, quotes, bullet), \bin data. \'hh and raw
// 8-bit bytes are characters of the code page of their font: its \cpg or
// \fcharset from the font table, else the document's \ansicpg (1252 when
// missing); double-byte pages join two bytes; the symbol fonts (charset 2:
// Symbol, Wingdings) map their glyphs to the characters they show (bullets,
// arrows, Greek letters, mathematical signs), also when written as \uN in
// the private use area U+F020..U+F0FF.
// Colour and style tables, document information, headers, footers,
// field instructions, shapes and every \* destination that is not understood
// are skipped. A bookmark named TB<n> (TA<n>) becomes a gap of the bidder
// (owner) with label n; other bookmarks are skipped. Pictures are left out
// without a remark.
//
// Broken input never fails: unknown words are ignored, a text that ends
// inside its groups or carries text after its end gets a remark, and groups
// nested deeper than kMaxRtfTiefe keep their content out of the text (with
// an error), so neither memory nor time grow beyond the input's length.
// A text that does not start with "{\rtf" is read as plain text whose line
// breaks end paragraphs.
#pragma once

#include <string_view>

#include "gtc/modell.h"

namespace gtc {

inline constexpr int kMaxRtfTiefe = 256;

// bytes: 7-bit RTF, raw 8-bit bytes in the code page of their font.
// Messages are added to meldungen.
Text LiesRtf(std::string_view bytes, Meldungen& meldungen);

// Plain text (code page 1252) to the model: CR LF, CR and LF end paragraphs,
// a final line break ends the last paragraph, control characters other than
// the tab are dropped.
Text LiesKlartext(std::string_view bytes);

}  // namespace gtc

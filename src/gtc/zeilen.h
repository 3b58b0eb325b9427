// Plain lines in and out of the converter's model.
//
// In: each added line is a paragraph; lines of a gap (code 'B' bidder, 'A'
// owner, with the gap's label as number) with the same code and label form one
// gap that continues the line before it.
// Out: each paragraph and each line break starts a line; lines longer than
// the width are broken at the last blank that fits (blanks at the break are
// dropped), a word longer than the width is cut. Lines are code page 1252
// ('?' for characters the page lacks) and end with CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gtc/modell.h"

namespace gtc {

inline constexpr std::uint8_t kZeileText = 'T';
inline constexpr std::uint8_t kZeileBieter = 'B';
inline constexpr std::uint8_t kZeileAuftraggeber = 'A';
// Numbers delivered with text lines of a short and of a long text.
inline constexpr std::int32_t kNummerKurztext = 60;
inline constexpr std::int32_t kNummerLangtext = 61;

struct Eingabezeile {
  std::string text;  // code page 1252 as given; may hold line breaks
  std::uint8_t code = kZeileText;
  std::int32_t nummer = 0;
};

struct Ausgabezeile {
  std::string text;  // code page 1252, ending with CR LF
  std::int32_t code = kZeileText;
  std::int32_t nummer = 0;
};

// Lines with an unknown code are left out with an error.
Text ZeilenAlsText(const std::vector<Eingabezeile>& zeilen, Meldungen& meldungen);

// breite < 1: no breaking. nummerText: the number of ordinary text lines.
std::vector<Ausgabezeile> TextAlsZeilen(const Text& text, int breite, std::int32_t nummerText);

}  // namespace gtc

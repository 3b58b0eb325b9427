// The ordinal-number (OZ) mask of a document and the small field formatters
// that every export shares.
//
// A mask has one character per character of an ordinal number: "1", "2", "3"
// for the used structure levels from the outermost, "P" position, "I" index,
// "0" filler; "G", "L", "T", "U" are letters of an older notation that make
// the mask be rebuilt from the document's formats. A suffix after "|" is not
// part of the mask.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/kontext.h"

namespace gaeb {

// Settles the current document's mask (kept, defaulted or rebuilt) and sets
// m_PosNr_Trennzeichen from the document's formats. Reports nothing: a step
// that fails is skipped. Returns the stored mask.
std::string Ermittle_OZMaske(Kontext& k);

// True when the mask has no letter of the older notation and at least one
// level digit.
bool Prüfe_OZMaske(const std::string& maske);

// The counts of "1", "2", "3", "P" and "I" joined as decimal text.
std::string OZMaske_Stufen(Kontext& k, const std::string& OZMaske);

// The ordinal number without the separator characters.
std::string Format_PosNr(Kontext& k, const std::string& s);

// text cut or padded with blanks to exactly width characters.
std::string Feld_String(Kontext& k, const std::string& text, const std::int16_t& width);

// A formatted number without its leading "-" and without its first ",".
std::string Feld_Num(Kontext& k, std::string s);

// value formatted with mask (zahlformat.h), refused with error 6 and "Der Wert
// ... passt nicht in n Stellen" when its integer part needs more than
// `vorkomma` digits, or when it is no finite number: a field never grows past
// the columns or digits its format gives it. vorkomma < 0: the digit
// placeholders ("0", "#") before the decimal point of the mask's first section.
std::string FormatZahlFeld(double value, std::string_view mask, int vorkomma = -1);

// The four default masks by structure.
inline constexpr const char* kMaskeMitLosen = "1233PPPPI";
inline constexpr const char* kMaskeMitGewerken = "122PPPPPI";
inline constexpr const char* kMaskeMitTiteln = "11PPPPPPI";
inline constexpr const char* kMaskeOhneStufen = "PPPPPPPPI";

}  // namespace gaeb

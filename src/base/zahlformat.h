// Number format masks as the host's runtime applies them.
//
// A mask has up to three sections split by ";": positive; negative; zero.
// In a section "0" is a digit that is always written, "#" a digit written only
// when significant, "." the place of the decimal separator and "," between
// digit placeholders asks for thousands grouping; every other character is
// copied as it stands. With one section a negative value gets a leading "-";
// with a negative section the section's own characters carry the sign.
//
// Rounding: the value is first taken to 15 significant digits, then rounded
// half away from zero to the decimals of the mask, so 1.005 with "0.00" is
// "1,01" and 2.5 with "0" is "3".
#pragma once

#include <string>
#include <string_view>

namespace gaeb {

struct Regionaleinstellungen {
  std::string dezimaltrennzeichen = ",";
  std::string tausendertrennzeichen = ".";
};

// The regional settings in force on this thread (German by default).
const Regionaleinstellungen& AktuelleRegion();
void SetzeRegion(const Regionaleinstellungen& region);

// Formats value with mask under the regional settings in force.
std::string FormatZahl(double value, std::string_view mask);
std::string FormatZahl(double value, std::string_view mask, const Regionaleinstellungen& region);

// Rounds value half away from zero to the given decimals after taking it to 15
// significant digits.
double Runde(double value, int decimals);

// Number as the runtime's default text conversion writes it: up to 15
// significant digits, no trailing zeros, the regional decimal separator.
std::string ZahlText(double value);
std::string ZahlText(double value, const Regionaleinstellungen& region);

}  // namespace gaeb

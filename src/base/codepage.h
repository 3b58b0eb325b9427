// Conversion of UTF-8 text into the single-byte code pages of the GAEB files:
// 1252 (ANSI, Windows Western) and 850 (OEM, DOS Western Europe), and back.
// Every character becomes exactly one byte, so fixed columns stay fixed: a
// character the code page lacks becomes a close one (a letter of Latin
// Extended-A or -B its base letter, Ł L, ő o; „ “ ” as ", ‚ ‘ ’ as ', dashes
// as -, … as ., ≤ ≥ as < >, € in 850 as E) or, failing that, "?".
#pragma once

#include <string>
#include <string_view>

namespace gaeb {

enum class Codepage { Utf8, Cp1252, Cp850 };

// UTF-8 to the code page (Utf8 returns the text unchanged).
std::string NachCodepage(std::string_view utf8, Codepage cp);
// The same, appended to out (for writers that reuse one buffer per line).
void NachCodepage(std::string_view utf8, Codepage cp, std::string& out);
// Code page bytes to UTF-8.
std::string AusCodepage(std::string_view bytes, Codepage cp);

}  // namespace gaeb

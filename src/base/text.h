// Text functions that count characters, not bytes. All strings are UTF-8; a
// byte that does not start a valid UTF-8 sequence counts as one character of
// its own, so broken input is cut consistently instead of crashing.
// Positions are 1-based as in the host's language: Mid("Bäcker", 2, 2) is "äc",
// Finde returns 0 when nothing is found.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gaeb::text {

// Number of characters in s.
std::size_t Länge(std::string_view s);

// Byte position of the first CR or LF in s at or after pos; npos when there is
// none. One pass over the bytes (find_first_of looks each byte up in the set).
inline std::size_t Zeilenende(std::string_view s, std::size_t pos = 0) {
  for (; pos < s.size(); ++pos)
    if (s[pos] == '\r' || s[pos] == '\n') return pos;
  return std::string_view::npos;
}

// The first n characters (all of s when it is shorter).
std::string Links(std::string_view s, std::size_t n);
// The last n characters.
std::string Rechts(std::string_view s, std::size_t n);
// n characters from the 1-based character position start; to the end when n is npos.
// A start beyond the end gives an empty string. start must be >= 1.
std::string Mitte(std::string_view s, std::size_t start, std::size_t n = std::string_view::npos);

// 1-based character position of the first occurrence of what at or after the
// character position start, 0 when absent. An empty what is found at start
// (when start <= Länge(s) + 1).
std::size_t Finde(std::string_view s, std::string_view what, std::size_t start = 1);

// Every occurrence of from replaced by to, left to right, without rescanning
// the replacement. An empty from leaves s unchanged.
std::string Ersetze(std::string_view s, std::string_view from, std::string_view to);

// s with every line break (CR LF, a lone CR, a lone LF) written as CR LF.
std::string MitCrLf(std::string_view s);
// s on one line: every line break (CR LF, CR, LF) becomes one blank.
std::string EineZeile(std::string_view s);

// Blanks (U+0020 only) removed at the start, the end, or both.
std::string TrimLinks(std::string_view s);
std::string TrimRechts(std::string_view s);
std::string Trim(std::string_view s);

// Upper and lower case of ASCII and of the Latin-1 letters (ä <-> Ä, é <-> É ...).
// ß has no single upper-case letter and stays ß, as in the host's runtime.
std::string Gross(std::string_view s);
std::string Klein(std::string_view s);

// n blanks.
std::string Leer(std::size_t n);

// The i-th character (1-based) as its own UTF-8 string; empty beyond the end.
std::string Zeichen(std::string_view s, std::size_t i);

// Byte length of the UTF-8 character that starts at s[0] (1 for invalid bytes).
std::size_t ZeichenBytes(std::string_view s);

// Decodes the character at the start of s; invalid bytes decode as U+FFFD.
char32_t Dekodiere(std::string_view s, std::size_t* bytes);
// Appends code point c as UTF-8.
void Kodiere(char32_t c, std::string& out);

// s as UTF-16 (characters beyond U+FFFF as surrogate pairs; invalid bytes as U+FFFD).
std::u16string NachUtf16(std::string_view s);

// True when s is valid UTF-8.
bool IstUtf8(std::string_view s);

// The local time now, formatted with strftime (format gives at most 15 characters).
std::string JetztLokal(const char* format);

}  // namespace gaeb::text

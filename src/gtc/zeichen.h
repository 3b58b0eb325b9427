// Character sets of the converter: UTF-8 inside, code page 1252 and UTF-16 at
// the C interface, and the test for characters that XML 1.0 can carry.
// Every function accepts broken input: invalid UTF-8 bytes and lone UTF-16
// surrogates decode as U+FFFD instead of failing.
#pragma once

#include <string>
#include <string_view>

namespace gtc {

// Appends code point c as UTF-8 (U+FFFD for surrogates and values > U+10FFFF).
void HängeUtf8An(char32_t c, std::string& out);

// Decodes the UTF-8 character at s[pos] and advances pos past it.
char32_t LiesUtf8(std::string_view s, std::size_t& pos);

// Code page 1252 byte to its Unicode character. The five bytes the page leaves
// undefined map to the C1 control of the same value, as Windows does.
char32_t AusCp1252(unsigned char b);
// The code page 1252 byte of c, or 0 when the page has no such character.
unsigned char NachCp1252(char32_t c);

std::string Cp1252NachUtf8(std::string_view bytes);
// Characters the page lacks become '?'.
std::string Utf8NachCp1252(std::string_view utf8);

// UTF-16 (zero-terminated, null allowed) to UTF-8 and back.
std::string Utf16NachUtf8(const char16_t* p);
std::u16string Utf8NachUtf16(std::string_view utf8);

// True when XML 1.0 allows c as character data.
bool IstXmlZeichen(char32_t c);

}  // namespace gtc

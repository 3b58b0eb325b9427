// Character set conversions of the converter library (see zeichen.h).
#include "gtc/zeichen.h"

#include <array>

namespace gtc {

namespace {

// Unicode characters of the bytes 0x80 to 0x9F of code page 1252; the rest of
// the page equals ISO 8859-1.
constexpr std::array<char32_t, 32> kCp1252Oben = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kErsatz = 0xFFFD;

}  // namespace

void HängeUtf8An(char32_t c, std::string& out) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kErsatz;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char32_t LiesUtf8(std::string_view s, std::size_t& pos) {
  unsigned char b = static_cast<unsigned char>(s[pos]);
  if (b < 0x80) {
    ++pos;
    return b;
  }
  std::size_t n;
  char32_t c;
  char32_t min;
  if ((b & 0xE0) == 0xC0) {
    n = 1, c = b & 0x1F, min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    n = 2, c = b & 0x0F, min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    n = 3, c = b & 0x07, min = 0x10000;
  } else {
    ++pos;
    return kErsatz;
  }
  if (pos + n >= s.size()) {  // truncated sequence
    ++pos;
    return kErsatz;
  }
  for (std::size_t i = 1; i <= n; ++i) {
    unsigned char f = static_cast<unsigned char>(s[pos + i]);
    if ((f & 0xC0) != 0x80) {
      ++pos;
      return kErsatz;
    }
    c = (c << 6) | (f & 0x3F);
  }
  pos += n + 1;
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kErsatz;
  return c;
}

char32_t AusCp1252(unsigned char b) {
  if (b >= 0x80 && b < 0xA0) return kCp1252Oben[b - 0x80];
  return b;
}

unsigned char NachCp1252(char32_t c) {
  if (c == 0) return 0;
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kCp1252Oben.size(); ++i) {
    if (kCp1252Oben[i] == c) return static_cast<unsigned char>(0x80 + i);
  }
  return 0;
}

std::string Cp1252NachUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char b : bytes) HängeUtf8An(AusCp1252(static_cast<unsigned char>(b)), out);
  return out;
}

std::string Utf8NachCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    unsigned char b = NachCp1252(LiesUtf8(utf8, pos));
    out.push_back(b != 0 ? static_cast<char>(b) : '?');
  }
  return out;
}

std::string Utf16NachUtf8(const char16_t* p) {
  std::string out;
  if (p == nullptr) return out;
  for (; *p != 0; ++p) {
    char32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    }
    HängeUtf8An(c, out);  // a lone surrogate becomes U+FFFD here
  }
  return out;
}

std::u16string Utf8NachUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t c = LiesUtf8(utf8, pos);
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

bool IstXmlZeichen(char32_t c) {
  if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

}  // namespace gtc

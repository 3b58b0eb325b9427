#include "base/text.h"

#include <ctime>

namespace gaeb::text {

namespace {

// Byte offset of the character with 0-based index i, or s.size() beyond the end.
std::size_t Offset(std::string_view s, std::size_t i) {
  std::size_t pos = 0;
  while (i > 0 && pos < s.size()) {
    pos += static_cast<unsigned char>(s[pos]) < 0x80 ? 1 : ZeichenBytes(s.substr(pos));
    --i;
  }
  return pos;
}

char32_t GrossZeichen(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  return c;
}

char32_t KleinZeichen(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c == 0x178) return 0xFF;
  return c;
}

template <typename F>
std::string Abbilden(std::string_view s, F f) {
  std::string out;
  out.reserve(s.size());
  std::size_t pos = 0;
  while (pos < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[pos]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(f(b)));
      ++pos;
      continue;
    }
    std::size_t n = 0;
    char32_t c = Dekodiere(s.substr(pos), &n);
    if (c == 0xFFFD && n == 1) {
      out.push_back(s[pos]);  // keep invalid bytes as they are
    } else {
      Kodiere(f(c), out);
    }
    pos += n;
  }
  return out;
}

}  // namespace

std::size_t ZeichenBytes(std::string_view s) {
  if (!s.empty() && static_cast<unsigned char>(s[0]) < 0x80) return 1;
  std::size_t n = 0;
  Dekodiere(s, &n);
  return n == 0 ? 1 : n;
}

char32_t Dekodiere(std::string_view s, std::size_t* bytes) {
  if (s.empty()) {
    *bytes = 0;
    return 0;
  }
  unsigned char b0 = static_cast<unsigned char>(s[0]);
  *bytes = 1;
  if (b0 < 0x80) return b0;
  std::size_t n;
  char32_t c;
  if ((b0 & 0xE0) == 0xC0) {
    n = 2;
    c = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3;
    c = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4;
    c = b0 & 0x07;
  } else {
    return 0xFFFD;
  }
  if (s.size() < n) return 0xFFFD;
  for (std::size_t i = 1; i < n; ++i) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if ((b & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (b & 0x3F);
  }
  // Reject overlong forms, surrogates and values beyond Unicode.
  if ((n == 2 && c < 0x80) || (n == 3 && c < 0x800) || (n == 4 && c < 0x10000) ||
      (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
    return 0xFFFD;
  }
  *bytes = n;
  return c;
}

void Kodiere(char32_t c, std::string& out) {
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

std::u16string NachUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t pos = 0;
  while (pos < s.size()) {
    std::size_t n = 0;
    char32_t c = Dekodiere(s.substr(pos), &n);
    pos += n == 0 ? 1 : n;
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

bool IstUtf8(std::string_view s) {
  std::size_t pos = 0;
  while (pos < s.size()) {
    std::size_t n = 0;
    char32_t c = Dekodiere(s.substr(pos), &n);
    if (c == 0xFFFD && n == 1 && static_cast<unsigned char>(s[pos]) >= 0x80) return false;
    pos += n;
  }
  return true;
}

std::size_t Länge(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < s.size(); ++n)
    pos += static_cast<unsigned char>(s[pos]) < 0x80 ? 1 : ZeichenBytes(s.substr(pos));
  return n;
}

std::string Links(std::string_view s, std::size_t n) { return std::string(s.substr(0, Offset(s, n))); }

std::string Rechts(std::string_view s, std::size_t n) {
  std::size_t len = Länge(s);
  if (n >= len) return std::string(s);
  return std::string(s.substr(Offset(s, len - n)));
}

std::string Mitte(std::string_view s, std::size_t start, std::size_t n) {
  if (start < 1) start = 1;
  std::size_t from = Offset(s, start - 1);
  std::string_view rest = s.substr(from);
  if (n == std::string_view::npos) return std::string(rest);
  return std::string(rest.substr(0, Offset(rest, n)));
}

std::size_t Finde(std::string_view s, std::string_view what, std::size_t start) {
  if (start < 1) start = 1;
  std::size_t from = Offset(s, start - 1);
  if (from >= s.size() && start - 1 > Länge(s)) return 0;
  std::size_t hit = s.find(what, from);
  if (hit == std::string_view::npos) return 0;
  return Länge(s.substr(0, hit)) + 1;
}

std::string Ersetze(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

std::string TrimLinks(std::string_view s) {
  std::size_t i = s.find_first_not_of(' ');
  return i == std::string_view::npos ? std::string() : std::string(s.substr(i));
}

std::string TrimRechts(std::string_view s) {
  std::size_t i = s.find_last_not_of(' ');
  return i == std::string_view::npos ? std::string() : std::string(s.substr(0, i + 1));
}

std::string Trim(std::string_view s) { return TrimLinks(TrimRechts(s)); }

std::string Gross(std::string_view s) { return Abbilden(s, GrossZeichen); }
std::string Klein(std::string_view s) { return Abbilden(s, KleinZeichen); }

std::string Leer(std::size_t n) { return std::string(n, ' '); }

std::string Zeichen(std::string_view s, std::size_t i) {
  if (i < 1) return {};
  std::size_t from = Offset(s, i - 1);
  if (from >= s.size()) return {};
  return std::string(s.substr(from, ZeichenBytes(s.substr(from))));
}

namespace {

// s with each line break (CR LF counted as one) replaced by bruch.
std::string Umbrüche(std::string_view s, std::string_view bruch) {
  std::string out;
  out.reserve(s.size() + 8);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r' && s[i] != '\n') {
      out += s[i];
      continue;
    }
    out += bruch;
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
  }
  return out;
}

}  // namespace

std::string MitCrLf(std::string_view s) { return Umbrüche(s, "\r\n"); }

std::string EineZeile(std::string_view s) {
  if (Zeilenende(s) == std::string_view::npos) return std::string(s);
  return Umbrüche(s, " ");
}

std::string JetztLokal(const char* format) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

}  // namespace gaeb::text

// The RTF writer of the converter (see rtf_schreiber.h).
#include "gtc/rtf_schreiber.h"

#include <cstdio>

#include "gtc/zeichen.h"

namespace gtc {

namespace {

constexpr const char* kKopf =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
    "\\pard\\plain\\f0\\fs20 ";

void Stilwechsel(const Stil& alt, const Stil& neu, std::string& out) {
  std::string w;
  if (alt.fett != neu.fett) w += neu.fett ? "\\b" : "\\b0";
  if (alt.kursiv != neu.kursiv) w += neu.kursiv ? "\\i" : "\\i0";
  if (alt.unterstrichen != neu.unterstrichen) w += neu.unterstrichen ? "\\ul" : "\\ulnone";
  if (!w.empty()) out += w + " ";
}

void Unicode(char32_t c, std::string& out) {
  auto einheit = [&out](unsigned v) {
    out += "\\u" + std::to_string(v >= 0x8000 ? static_cast<int>(v) - 0x10000 : static_cast<int>(v)) + "?";
  };
  if (c >= 0x10000) {
    c -= 0x10000;
    einheit(0xD800 + (c >> 10));
    einheit(0xDC00 + (c & 0x3FF));
  } else {
    einheit(c);
  }
}

void Zeichenfolge(const std::string& utf8, std::string& out) {
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t c = LiesUtf8(utf8, pos);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (unsigned char b = NachCp1252(c); b >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", b);
      out += hex;
    } else if (c >= 0x80) {
      Unicode(c, out);
    }
  }
}

}  // namespace

std::string SchreibeRtf(const Text& text, bool mitLücken) {
  std::string out = kKopf;
  Stil stil;
  std::string lücke;
  for (const Stück& s : text.Stücke()) {
    switch (s.art) {
      case Stück::Art::Lauf:
        Stilwechsel(stil, s.stil, out);
        stil = s.stil;
        Zeichenfolge(s.text, out);
        break;
      case Stück::Art::Zeilenumbruch:
        out += "\\line ";
        break;
      case Stück::Art::Absatzende:
        out += "\\par ";
        break;
      case Stück::Art::LückeAnfang:
        if (mitLücken) {
          lücke = std::string(s.lücke == Lückenart::Bieter ? "TB" : "TA") + std::to_string(s.marke);
          out += "{\\*\\bkmkstart " + lücke + "}";
        }
        break;
      case Stück::Art::LückeEnde:
        if (mitLücken) out += "{\\*\\bkmkend " + lücke + "}";
        break;
    }
  }
  if (!text.Leer()) out += "\\par";
  out += "}";
  return out;
}

}  // namespace gtc

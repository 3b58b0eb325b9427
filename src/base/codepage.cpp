#include "base/codepage.h"

#include <iconv.h>

#include <array>
#include <functional>
#include <unordered_map>

#include "base/text.h"

namespace gaeb {

namespace {

// One table per code page, built once from iconv: byte -> code point, and
// code point -> byte for everything the page holds.
struct Tabelle {
  std::array<char32_t, 256> nachUnicode{};
  std::unordered_map<char32_t, unsigned char> nachByte;
};

void Baue(Tabelle& t, const char* name) {
  iconv_t cd = iconv_open("UTF-32LE", name);
  for (int b = 0; b < 256; ++b) {
    t.nachUnicode[b] = b < 0x80 ? static_cast<char32_t>(b) : U'?';
    if (cd == reinterpret_cast<iconv_t>(-1)) continue;
    char in = static_cast<char>(b);
    unsigned char out[8] = {};
    char* ip = &in;
    char* op = reinterpret_cast<char*>(out);
    size_t il = 1, ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && ol == 4) {
      char32_t c = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
      t.nachUnicode[b] = c;
      t.nachByte.emplace(c, static_cast<unsigned char>(b));
    }
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
}

const Tabelle& TabelleFür(Codepage cp) {
  static const Tabelle& t1252 = [] {
    static Tabelle t;
    Baue(t, "CP1252");
    return std::ref(t);
  }();
  static const Tabelle& t850 = [] {
    static Tabelle t;
    Baue(t, "CP850");
    return std::ref(t);
  }();
  return cp == Codepage::Cp1252 ? t1252 : t850;
}

// The base letters of Latin Extended-A, U+0100 to U+017F: each letter without
// its accent, hook or stroke (Ĳ and Œ by their first letter).
constexpr std::string_view kLateinA =
    "AaAaAaCcCcCcCcDd"   // Ā ā Ă ă Ą ą Ć ć Ĉ ĉ Ċ ċ Č č Ď ď
    "DdEeEeEeEeEeGgGg"   // Đ đ Ē ē Ĕ ĕ Ė ė Ę ę Ě ě Ĝ ĝ Ğ ğ
    "GgGgHhHhIiIiIiIi"   // Ġ ġ Ģ ģ Ĥ ĥ Ħ ħ Ĩ ĩ Ī ī Ĭ ĭ Į į
    "IiIiJjKkkLlLlLlL"   // İ ı Ĳ ĳ Ĵ ĵ Ķ ķ ĸ Ĺ ĺ Ļ ļ Ľ ľ Ŀ
    "lLlNnNnNnnNnOoOo"   // ŀ Ł ł Ń ń Ņ ņ Ň ň ŉ Ŋ ŋ Ō ō Ŏ ŏ
    "OoOoRrRrRrSsSsSs"   // Ő ő Œ œ Ŕ ŕ Ŗ ŗ Ř ř Ś ś Ŝ ŝ Ş ş
    "SsTtTtTtUuUuUuUu"   // Š š Ţ ţ Ť ť Ŧ ŧ Ũ ũ Ū ū Ŭ ŭ Ů ů
    "UuUuWwYyYZzZzZzs";  // Ű ű Ų ų Ŵ ŵ Ŷ ŷ Ÿ Ź ź Ż ż Ž ž ſ

// Close characters for what a code page lacks: punctuation of typeset text,
// the letters of Latin Extended-B that Central and South-East European
// languages use, and signs. Letters of Latin Extended-A come from kLateinA.
char32_t Ähnlich(char32_t c) {
  if (c >= 0x100 && c <= 0x17F) return static_cast<unsigned char>(kLateinA[c - 0x100]);
  switch (c) {
    case U'„': case U'“': case U'”': case U'‟': case U'″': case U'〃': return U'"';
    case U'‚': case U'‘': case U'’': case U'‛': case U'′': return U'\'';
    case U'‹': return U'<';
    case U'›': return U'>';
    case U'‐': case U'‑': case U'‒': case U'–': case U'—': case U'―': case U'−': return U'-';
    case U'…': return U'.';
    case U'•': case U'∙': case U'⋅': return U'·';
    case U'≤': return U'<';
    case U'≥': return U'>';
    case U'≠': return U'=';
    case U'≈': return U'~';
    case U'€': return U'E';
    case U'‰': return U'%';
    case U'™': return U'T';
    case U'†': case U'‡': return U'+';
    case U'⁄': case U'∕': return U'/';
    case U'Ǎ': return U'A';
    case U'ǎ': return U'a';
    case U'Ǐ': return U'I';
    case U'ǐ': return U'i';
    case U'Ǒ': return U'O';
    case U'ǒ': return U'o';
    case U'Ǔ': case U'Ǖ': case U'Ǘ': case U'Ǚ': case U'Ǜ': return U'U';
    case U'ǔ': case U'ǖ': case U'ǘ': case U'ǚ': case U'ǜ': return U'u';
    case U'Ș': return U'S';
    case U'ș': return U's';
    case U'Ț': return U'T';
    case U'ț': return U't';
    default: break;
  }
  // The spaces of typeset text (U+2000 to U+200A, narrow no-break space).
  if ((c >= 0x2000 && c <= 0x200A) || c == 0x202F) return U' ';
  return 0;
}

// Byte of c in the page: its own, else that of a close character, else "?".
unsigned char Ersatz(const Tabelle& t, char32_t c) {
  for (char32_t ähnlich = Ähnlich(c); ähnlich != 0; ähnlich = Ähnlich(ähnlich)) {
    auto it = t.nachByte.find(ähnlich);
    if (it != t.nachByte.end()) return it->second;
  }
  return '?';
}

}  // namespace

std::string NachCodepage(std::string_view utf8, Codepage cp) {
  std::string out;
  NachCodepage(utf8, cp, out);
  return out;
}

void NachCodepage(std::string_view utf8, Codepage cp, std::string& out) {
  if (cp == Codepage::Utf8) {
    out.append(utf8);
    return;
  }
  const Tabelle& t = TabelleFür(cp);
  out.reserve(out.size() + utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    // Runs of ASCII are the same in every code page here.
    std::size_t ascii = pos;
    while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) ++ascii;
    out.append(utf8.substr(pos, ascii - pos));
    pos = ascii;
    if (pos >= utf8.size()) break;
    std::size_t n = 0;
    char32_t c = text::Dekodiere(utf8.substr(pos), &n);
    pos += n;
    auto it = t.nachByte.find(c);
    out.push_back(static_cast<char>(it != t.nachByte.end() ? it->second : Ersatz(t, c)));
  }
}

std::string AusCodepage(std::string_view bytes, Codepage cp) {
  if (cp == Codepage::Utf8) return std::string(bytes);
  const Tabelle& t = TabelleFür(cp);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) text::Kodiere(t.nachUnicode[static_cast<unsigned char>(ch)], out);
  return out;
}

}  // namespace gaeb

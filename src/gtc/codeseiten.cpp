// Code pages of RTF fonts (see codeseiten.h). Single-byte pages are decoded
// through a table of 256 characters built once per page with iconv; double-
// byte pages through iconv per character.
#include "gtc/codeseiten.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "gtc/zeichen.h"

namespace gtc {

namespace {

// The glyphs of the Symbol font that have a character of their own; the
// printable ASCII range not listed keeps its ASCII meaning.
char32_t AusSymbol(unsigned char b) {
  static const char32_t griechisch[26] = {
      U'Α', U'Β', U'Χ', U'Δ', U'Ε', U'Φ', U'Γ', U'Η', U'Ι', U'ϑ', U'Κ', U'Λ', U'Μ',
      U'Ν', U'Ο', U'Π', U'Θ', U'Ρ', U'Σ', U'Τ', U'Υ', U'ς', U'Ω', U'Ξ', U'Ψ', U'Ζ'};
  static const char32_t klein[26] = {
      U'α', U'β', U'χ', U'δ', U'ε', U'φ', U'γ', U'η', U'ι', U'ϕ', U'κ', U'λ', U'μ',
      U'ν', U'ο', U'π', U'θ', U'ρ', U'σ', U'τ', U'υ', U'ϖ', U'ω', U'ξ', U'ψ', U'ζ'};
  if (b >= 'A' && b <= 'Z') return griechisch[b - 'A'];
  if (b >= 'a' && b <= 'z') return klein[b - 'a'];
  switch (b) {
    case 0x22: return U'∀';
    case 0x24: return U'∃';
    case 0x27: return U'∋';
    case 0x2A: return U'∗';
    case 0x2D: return U'−';
    case 0x40: return U'≅';
    case 0x5C: return U'∴';
    case 0x5E: return U'⊥';
    case 0x7E: return U'∼';
    case 0xA2: return U'′';
    case 0xA3: return U'≤';
    case 0xA4: return U'⁄';
    case 0xA5: return U'∞';
    case 0xA6: return U'ƒ';
    case 0xA7: return U'♣';
    case 0xA8: return U'♦';
    case 0xA9: return U'♥';
    case 0xAA: return U'♠';
    case 0xAB: return U'↔';
    case 0xAC: return U'←';
    case 0xAD: return U'↑';
    case 0xAE: return U'→';
    case 0xAF: return U'↓';
    case 0xB0: return U'°';
    case 0xB1: return U'±';
    case 0xB2: return U'″';
    case 0xB3: return U'≥';
    case 0xB4: return U'×';
    case 0xB5: return U'∝';
    case 0xB6: return U'∂';
    case 0xB7: return U'•';
    case 0xB8: return U'÷';
    case 0xB9: return U'≠';
    case 0xBA: return U'≡';
    case 0xBB: return U'≈';
    case 0xBC: return U'…';
    case 0xC0: return U'ℵ';
    case 0xC4: return U'⊗';
    case 0xC5: return U'⊕';
    case 0xC6: return U'∅';
    case 0xC7: return U'∩';
    case 0xC8: return U'∪';
    case 0xC9: return U'⊃';
    case 0xCA: return U'⊇';
    case 0xCC: return U'⊂';
    case 0xCD: return U'⊆';
    case 0xCE: return U'∈';
    case 0xCF: return U'∉';
    case 0xD0: return U'∠';
    case 0xD1: return U'∇';
    case 0xD2: case 0xE2: return U'®';
    case 0xD3: case 0xE3: return U'©';
    case 0xD4: case 0xE4: return U'™';
    case 0xD5: return U'∏';
    case 0xD6: return U'√';
    case 0xD7: return U'⋅';
    case 0xD8: return U'¬';
    case 0xD9: return U'∧';
    case 0xDA: return U'∨';
    case 0xDB: return U'⇔';
    case 0xDC: return U'⇐';
    case 0xDD: return U'⇑';
    case 0xDE: return U'⇒';
    case 0xDF: return U'⇓';
    case 0xE0: return U'◊';
    case 0xE5: return U'∑';
    case 0xF2: return U'∫';
    default: break;
  }
  return b >= 0x20 && b < 0x7F ? b : U'•';
}

// The Wingdings glyphs Word uses for bullets, check marks and arrows; any
// other glyph is a picture without character and reads as a bullet.
char32_t AusWingdings(unsigned char b) {
  switch (b) {
    case 0x20: return U' ';
    case 0x6C: return U'●';
    case 0x6E: return U'■';
    case 0x6F: return U'□';
    case 0x71: return U'❑';
    case 0x75: return U'◆';
    case 0x76: return U'❖';
    case 0x9F: return U'•';
    case 0xA1: return U'○';
    case 0xA7: return U'▪';
    case 0xA8: return U'◻';
    case 0xD8: return U'➢';
    case 0xE0: return U'→';
    case 0xE8: return U'➔';
    case 0xF0: return U'⇨';
    case 0xFB: return U'✗';
    case 0xFC: return U'✓';
    case 0xFD: return U'☒';
    case 0xFE: return U'☑';
    default: return U'•';
  }
}

std::string IconvName(int seite) {
  switch (seite) {
    case 10000: return "MACINTOSH";
    case 874: return "CP874";
    default: return "CP" + std::to_string(seite);
  }
}

bool IstDoppelbyteseite(int seite) {
  return seite == 932 || seite == 936 || seite == 949 || seite == 950 || seite == 1361;
}

// Decodes bytes of one page with iconv; nullopt-like 0 when incomplete.
class Iconv {
 public:
  explicit Iconv(int seite) : cd_(iconv_open("UTF-32LE", IconvName(seite).c_str())) {}
  ~Iconv() {
    if (Gültig()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool Gültig() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // The character of the n bytes, 0 when they are an incomplete character,
  // U+FFFD when they are no character of the page.
  char32_t Zeichen(const unsigned char* bytes, std::size_t n) {
    char ein[2];
    std::memcpy(ein, bytes, n);
    char aus[8];
    char* e = ein;
    char* a = aus;
    std::size_t ne = n;
    std::size_t na = sizeof aus;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::size_t r = iconv(cd_, &e, &ne, &a, &na);
    if (r == static_cast<std::size_t>(-1) && errno == EINVAL) return 0;
    if (r == static_cast<std::size_t>(-1) || a - aus < 4) return 0xFFFD;
    char32_t c = static_cast<unsigned char>(aus[0]) | static_cast<unsigned char>(aus[1]) << 8 |
                 static_cast<unsigned char>(aus[2]) << 16 |
                 static_cast<char32_t>(static_cast<unsigned char>(aus[3])) << 24;
    return c;
  }

 private:
  iconv_t cd_;
};

struct Seite {
  std::array<char32_t, 256> tabelle{};  // 0 marks a lead byte
  std::unique_ptr<Iconv> doppel;        // double-byte pages only
  std::mutex mutex;                     // instances may convert on several threads
};

// The decoder of a page, built at its first use; null for an unknown page.
Seite* Finde(int seite) {
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<Seite>> seiten;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = seiten.find(seite);
  if (it != seiten.end()) return it->second.get();
  std::unique_ptr<Seite> neu;
  auto iconv = std::make_unique<Iconv>(seite);
  if (iconv->Gültig()) {
    neu = std::make_unique<Seite>();
    for (int b = 0; b < 256; ++b) {
      auto byte = static_cast<unsigned char>(b);
      neu->tabelle[b] = b < 0x80 && !IstDoppelbyteseite(seite) ? static_cast<char32_t>(b)
                                                              : iconv->Zeichen(&byte, 1);
    }
    if (IstDoppelbyteseite(seite)) neu->doppel = std::move(iconv);
  }
  return seiten.emplace(seite, std::move(neu)).first->second.get();
}

}  // namespace

int CodeseiteDerSchrift(int zeichensatz, int cpg, std::string_view name, int ansicpg) {
  if (cpg > 0) return cpg;
  switch (zeichensatz) {
    case 0: return 1252;
    case 2: return name == "Symbol" ? kCodeseiteSymbol : kCodeseiteWingdings;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return ansicpg;
  }
}

char32_t Bytedekodierer::Zeichen(int seite, unsigned char b) {
  if (seite == kCodeseiteSymbol) return AusSymbol(b);
  if (seite == kCodeseiteWingdings) return AusWingdings(b);
  if (seite == 1252) return AusCp1252(b);
  Seite* s = Finde(seite);
  if (s == nullptr) return AusCp1252(b);
  if (leitbyte_ != 0 && leitseite_ == seite && s->doppel) {
    const unsigned char paar[2] = {leitbyte_, b};
    leitbyte_ = 0;
    std::lock_guard<std::mutex> lock(s->mutex);
    char32_t c = s->doppel->Zeichen(paar, 2);
    return c == 0 ? 0xFFFD : c;
  }
  leitbyte_ = 0;
  char32_t c = s->tabelle[b];
  if (c == 0 && b != 0) {
    leitbyte_ = b;
    leitseite_ = seite;
  }
  return c;
}

}  // namespace gtc

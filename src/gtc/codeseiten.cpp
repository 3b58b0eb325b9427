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
#include <utility>

#include "gtc/zeichen.h"

namespace gtc {

namespace {

struct Glyphe {
  unsigned char byte;
  char32_t zeichen;
};

// The glyphs of the Symbol font that have a character of their own besides
// the Greek letters; the printable ASCII range not listed keeps its ASCII
// meaning.
constexpr Glyphe kSymbol[] = {
    {0x22, U'∀'}, {0x24, U'∃'}, {0x27, U'∋'}, {0x2A, U'∗'}, {0x2D, U'−'}, {0x40, U'≅'},
    {0x5C, U'∴'}, {0x5E, U'⊥'}, {0x7E, U'∼'}, {0xA2, U'′'}, {0xA3, U'≤'}, {0xA4, U'⁄'},
    {0xA5, U'∞'}, {0xA6, U'ƒ'}, {0xA7, U'♣'}, {0xA8, U'♦'}, {0xA9, U'♥'}, {0xAA, U'♠'},
    {0xAB, U'↔'}, {0xAC, U'←'}, {0xAD, U'↑'}, {0xAE, U'→'}, {0xAF, U'↓'}, {0xB0, U'°'},
    {0xB1, U'±'}, {0xB2, U'″'}, {0xB3, U'≥'}, {0xB4, U'×'}, {0xB5, U'∝'}, {0xB6, U'∂'},
    {0xB7, U'•'}, {0xB8, U'÷'}, {0xB9, U'≠'}, {0xBA, U'≡'}, {0xBB, U'≈'}, {0xBC, U'…'},
    {0xC0, U'ℵ'}, {0xC4, U'⊗'}, {0xC5, U'⊕'}, {0xC6, U'∅'}, {0xC7, U'∩'}, {0xC8, U'∪'},
    {0xC9, U'⊃'}, {0xCA, U'⊇'}, {0xCC, U'⊂'}, {0xCD, U'⊆'}, {0xCE, U'∈'}, {0xCF, U'∉'},
    {0xD0, U'∠'}, {0xD1, U'∇'}, {0xD2, U'®'}, {0xE2, U'®'}, {0xD3, U'©'}, {0xE3, U'©'},
    {0xD4, U'™'}, {0xE4, U'™'}, {0xD5, U'∏'}, {0xD6, U'√'}, {0xD7, U'⋅'}, {0xD8, U'¬'},
    {0xD9, U'∧'}, {0xDA, U'∨'}, {0xDB, U'⇔'}, {0xDC, U'⇐'}, {0xDD, U'⇑'}, {0xDE, U'⇒'},
    {0xDF, U'⇓'}, {0xE0, U'◊'}, {0xE5, U'∑'}, {0xF2, U'∫'},
};

// The Wingdings glyphs Word uses for bullets, check marks and arrows.
constexpr Glyphe kWingdings[] = {
    {0x20, U' '}, {0x6C, U'●'}, {0x6E, U'■'}, {0x6F, U'□'}, {0x71, U'❑'}, {0x75, U'◆'},
    {0x76, U'❖'}, {0x9F, U'•'}, {0xA1, U'○'}, {0xA7, U'▪'}, {0xA8, U'◻'}, {0xD8, U'➢'},
    {0xE0, U'→'}, {0xE8, U'➔'}, {0xF0, U'⇨'}, {0xFB, U'✗'}, {0xFC, U'✓'}, {0xFD, U'☒'},
    {0xFE, U'☑'},
};

template <std::size_t N>
char32_t Suche(const Glyphe (&tabelle)[N], unsigned char b, char32_t sonst) {
  for (const Glyphe& g : tabelle) {
    if (g.byte == b) return g.zeichen;
  }
  return sonst;
}

char32_t AusSymbol(unsigned char b) {
  static constexpr char32_t griechisch[] = U"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
  static constexpr char32_t klein[] = U"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";
  if (b >= 'A' && b <= 'Z') return griechisch[b - 'A'];
  if (b >= 'a' && b <= 'z') return klein[b - 'a'];
  return Suche(kSymbol, b, b >= 0x20 && b < 0x7F ? b : U'•');
}

// Any other Wingdings glyph is a picture without character and reads as a
// bullet.
char32_t AusWingdings(unsigned char b) { return Suche(kWingdings, b, U'•'); }

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
  // \fcharset to code page; 0 is Western, 1 (default) and unknown ones take
  // the document's page.
  static constexpr std::pair<int, int> kSeiten[] = {
      {0, 1252},   {77, 10000}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},
      {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256},
      {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}, {255, 437}};
  if (cpg > 0) return cpg;
  if (zeichensatz == 2) return name == "Symbol" ? kCodeseiteSymbol : kCodeseiteWingdings;
  for (const auto& [satz, seite] : kSeiten) {
    if (satz == zeichensatz) return seite;
  }
  return ansicpg;
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

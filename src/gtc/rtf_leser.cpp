// The RTF reader of the converter (see rtf_leser.h). One pass over the input
// with an explicit stack of group states; no recursion.
#include "gtc/rtf_leser.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "gtc/codeseiten.h"
#include "gtc/zeichen.h"

namespace gtc {

namespace {

constexpr std::size_t kMaxWortlänge = 32;
constexpr std::size_t kMaxNamenslänge = 64;
constexpr int kMaxUc = 64;
constexpr std::size_t kMaxSchriften = 4096;

// Destinations whose content is not text of the document.
constexpr std::string_view kÜbersprungeneZiele[] = {
               "colortbl",   "stylesheet",  "info",       "header",     "headerl",
    "headerr",   "headerf",    "footer",      "footerl",    "footerr",    "footerf",
    "footnote",  "fldinst",    "xe",          "tc",         "txe",        "rxe",
    "listtable", "listoverridetable", "revtbl", "rsidtbl",  "filetbl",    "generator",
    "themedata", "colorschememapping", "datastore", "latentstyles", "pgdsctbl", "xmlnstbl",
    "mmathPr",   "object",     "objdata",     "nonshppict", "shp",        "annotation",
    "pict",      "atnid",     "atnauthor",  "atndate",     "atnref",     "atrfstart",  "atrfend",
    "private",   "docvar",     "userprops",   "template",   "fchars",     "lchars",
    "pn"};

// Underline words; each switches underlining on, or off with parameter 0.
constexpr std::string_view kUnterstrichen[] = {
    "ul",       "uld",       "uldash",    "uldashd",    "uldashdd",   "uldb",
    "ulhwave",  "ulldash",   "ulth",      "ulthd",      "ulthdash",   "ulthdashd",
    "ulthdashdd", "ulthldash", "ululdbwave", "ulw",     "ulwave"};

template <std::size_t N>
bool Enthält(const std::string_view (&liste)[N], std::string_view wort) {
  return std::find(std::begin(liste), std::end(liste), wort) != std::end(liste);
}

enum class Ziel { Text, Überspringen, Lesezeichenanfang, Lesezeichenende, Schrifttabelle };

struct Zustand {
  Stil stil;
  bool verborgen = false;
  int uc = 1;
  Ziel ziel = Ziel::Text;
  int schrift = -1;  // \fN; -1: the default font \deffN
};

// A font of the font table: what decides the code page of its characters.
struct Schrift {
  int zeichensatz = -1;  // \fcharsetN, -1 when not given
  int cpg = 0;           // \cpgN
  std::string name;
};

bool IstBuchstabe(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IstZiffer(char c) { return c >= '0' && c <= '9'; }

int HexWert(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IstLeerraum(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0; }

class Leser {
 public:
  Leser(std::string_view in, Meldungen& meldungen) : in_(in), meldungen_(meldungen) {}

  Text Lies() {
    while (pos_ < in_.size() && !fertig_) {
      char c = in_[pos_++];
      if (c == '{') {
        GruppeAuf();
      } else if (c == '}') {
        GruppeZu();
      } else if (c == '\\') {
        Steuerfolge();
      } else if (c == '\r' || c == '\n' || c == 0) {
        // Line breaks of the file carry no meaning in RTF.
      } else {
        ignorierbar_ = false;
        if (Übersprungen()) continue;
        if (c == '\t') {
          Zeichen(U'\t');
        } else {
          Byte(static_cast<unsigned char>(c));
        }
      }
    }
    if (!fertig_) {
      meldungen_.Hinweis("Der RTF-Text endet vor dem Schluss seiner Gruppen.");
    } else if (std::any_of(in_.begin() + static_cast<std::ptrdiff_t>(pos_), in_.end(),
                           [](char c) { return !IstLeerraum(c); })) {
      meldungen_.Hinweis("Zeichen nach dem Ende des RTF-Textes wurden nicht übernommen.");
    }
    text_.Abschließen();
    return std::move(text_);
  }

 private:
  // True when the current token is a fallback character of \uN to be dropped.
  bool Übersprungen() {
    if (überspringen_ == 0) return false;
    --überspringen_;
    return true;
  }

  void GruppeAuf() {
    überspringen_ = 0;
    dekodierer_.Zurücksetzen();
    ignorierbar_ = false;
    if (überTiefe_ > 0 || stapel_.size() >= static_cast<std::size_t>(kMaxRtfTiefe)) {
      if (überTiefe_++ == 0) {
        meldungen_.Fehler("Der RTF-Text ist tiefer als " + std::to_string(kMaxRtfTiefe) +
                          " Gruppen verschachtelt; der tiefere Inhalt fehlt.");
      }
      return;
    }
    stapel_.push_back(z_);
  }

  void GruppeZu() {
    überspringen_ = 0;
    dekodierer_.Zurücksetzen();
    ignorierbar_ = false;
    if (überTiefe_ > 0) {
      --überTiefe_;
      return;
    }
    if (stapel_.empty()) return;
    Zustand alt = z_;
    z_ = stapel_.back();
    stapel_.pop_back();
    if (stapel_.empty()) {
      // The document has ended; a destination of the outermost group itself
      // (a bookmark written without its own group) has no text to mark.
      fertig_ = true;
      return;
    }
    if (alt.ziel != z_.ziel) ZielEnde(alt.ziel);
  }

  // A destination group has closed; z_ is the state around it.
  void ZielEnde(Ziel ziel) {
    switch (ziel) {
      case Ziel::Lesezeichenanfang:
        LesezeichenAnfang();
        break;
      case Ziel::Lesezeichenende:
        if (text_.LückeOffen() && Getrimmt(name_) == lückenName_) text_.LückeEnde();
        break;
      case Ziel::Schrifttabelle:
      case Ziel::Text:
      case Ziel::Überspringen:
        break;
    }
  }

  static std::string Getrimmt(const std::string& s) {
    auto a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    auto b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
  }

  // A bookmark TB<n> or TA<n> in the text opens a gap with label n (any
  // 64-bit integer, as GAEB labels are unbounded integers) or, when n is
  // missing, the next free number.
  void LesezeichenAnfang() {
    if (z_.ziel != Ziel::Text || z_.verborgen || text_.LückeOffen()) return;
    std::string name = Getrimmt(name_);
    if (name.size() < 2 || name[0] != 'T' || (name[1] != 'B' && name[1] != 'A')) return;
    std::string zahl = name.substr(2);
    std::string betrag = !zahl.empty() && zahl[0] == '-' ? zahl.substr(1) : zahl;
    if (betrag.size() > 19 || (betrag.empty() && !zahl.empty()) ||
        !std::all_of(betrag.begin(), betrag.end(), IstZiffer)) {
      return;
    }
    std::int64_t marke = nächsteMarke_;
    if (!zahl.empty()) {
      try {
        marke = std::stoll(zahl);
      } catch (const std::out_of_range&) {
        return;
      }
    }
    if (marke < INT64_MAX) nächsteMarke_ = std::max(nächsteMarke_, marke + 1);
    text_.LückeAnfang(name[1] == 'B' ? Lückenart::Bieter : Lückenart::Auftraggeber, marke);
    lückenName_ = name;
  }

  // After a backslash: a control word or a control symbol.
  void Steuerfolge() {
    if (pos_ >= in_.size()) return;
    if (!IstBuchstabe(in_[pos_])) {
      Steuersymbol(in_[pos_++]);
      return;
    }
    std::size_t anfang = pos_;
    while (pos_ < in_.size() && IstBuchstabe(in_[pos_])) ++pos_;
    std::string_view wort = in_.substr(anfang, std::min(pos_ - anfang, kMaxWortlänge));
    bool hatParameter = false;
    bool negativ = false;
    std::int64_t wert = 0;
    if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IstZiffer(in_[pos_ + 1])) {
      negativ = true;
      ++pos_;
    }
    while (pos_ < in_.size() && IstZiffer(in_[pos_])) {
      hatParameter = true;
      if (wert < 100000000000LL) wert = wert * 10 + (in_[pos_] - '0');
      ++pos_;
    }
    wert = std::clamp<std::int64_t>(negativ ? -wert : wert, INT32_MIN, INT32_MAX);
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    if (wort == "bin") {
      // Binary data: skipped in every destination, counted as one token.
      std::size_t n = hatParameter && wert > 0 ? static_cast<std::size_t>(wert) : 0;
      pos_ += std::min(n, in_.size() - pos_);
      ignorierbar_ = false;
      Übersprungen();
      return;
    }
    bool stern = ignorierbar_;
    ignorierbar_ = false;
    if (überTiefe_ > 0 || Übersprungen()) return;
    Steuerwort(wort, hatParameter, static_cast<std::int32_t>(wert), stern);
  }

  void Steuersymbol(char c) {
    if (c == '*') {
      ignorierbar_ = true;
      return;
    }
    ignorierbar_ = false;
    if (c == '\'') {
      int wert = 0;
      int ziffern = 0;
      while (ziffern < 2 && pos_ < in_.size() && HexWert(in_[pos_]) >= 0) {
        wert = wert * 16 + HexWert(in_[pos_++]);
        ++ziffern;
      }
      if (überTiefe_ > 0 || Übersprungen() || ziffern == 0) return;
      Byte(static_cast<unsigned char>(wert));
      return;
    }
    if (überTiefe_ > 0 || Übersprungen()) return;
    switch (c) {
      case '\\':
      case '{':
      case '}':
        Zeichen(static_cast<unsigned char>(c));
        break;
      case '~':
        Zeichen(0xA0);
        break;
      case '_':
        Zeichen('-');
        break;
      case '\r':
      case '\n':
        Absatz();
        break;
      default:
        break;  // \- optional hyphen, \| \: and unknown symbols
    }
  }

  void Steuerwort(std::string_view w, bool hatParameter, std::int32_t p, bool stern) {
    bool an = !(hatParameter && p == 0);
    dekodierer_.Zurücksetzen();
    if (z_.ziel == Ziel::Schrifttabelle && Schrifteintrag(w, hatParameter, p)) return;
    if (w == "f") {
      z_.schrift = hatParameter ? p : -1;
    } else if (w == "fonttbl") {
      z_.ziel = z_.ziel == Ziel::Text ? Ziel::Schrifttabelle : Ziel::Überspringen;
    } else if (w == "ansicpg") {
      if (hatParameter && p > 0) ansicpg_ = p;
    } else if (w == "deff") {
      deff_ = hatParameter ? p : 0;
    } else if (w == "par" || w == "sect" || w == "page" || w == "row" || w == "nestrow") {
      Absatz();
    } else if (w == "line") {
      if (ImText()) text_.Zeilenumbruch();
    } else if (w == "tab" || w == "cell" || w == "nestcell") {
      Zeichen('\t');
    } else if (w == "b") {
      z_.stil.fett = an;
    } else if (w == "i") {
      z_.stil.kursiv = an;
    } else if (Enthält(kUnterstrichen, w)) {
      z_.stil.unterstrichen = an;
    } else if (w == "ulnone") {
      z_.stil.unterstrichen = false;
    } else if (w == "plain") {
      z_.stil = Stil{};
      z_.verborgen = false;
      z_.schrift = -1;
    } else if (w == "v") {
      z_.verborgen = an;
    } else if (w == "uc") {
      z_.uc = std::clamp<int>(hatParameter ? p : 1, 0, kMaxUc);
    } else if (w == "u") {
      Unicode(hatParameter ? p : 0);
    } else if (w == "emdash") {
      Zeichen(0x2014);
    } else if (w == "endash") {
      Zeichen(0x2013);
    } else if (w == "bullet") {
      Zeichen(0x2022);
    } else if (w == "lquote") {
      Zeichen(0x2018);
    } else if (w == "rquote") {
      Zeichen(0x2019);
    } else if (w == "ldblquote") {
      Zeichen(0x201C);
    } else if (w == "rdblquote") {
      Zeichen(0x201D);
    } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
      Zeichen(' ');
    } else if (w == "bkmkstart" || w == "bkmkend") {
      z_.ziel = z_.ziel == Ziel::Text
                    ? (w == "bkmkstart" ? Ziel::Lesezeichenanfang : Ziel::Lesezeichenende)
                    : Ziel::Überspringen;
      name_.clear();
    } else if (Enthält(kÜbersprungeneZiele, w) || stern) {
      // A known destination without document text, or an ignorable one we
      // do not understand: the whole group is skipped.
      z_.ziel = Ziel::Überspringen;
    }
    // Every other word (fonts, sizes, colours, paragraph layout, the header
    // words) does not change the text.
  }

  // The words of a font table entry; false for any other word.
  bool Schrifteintrag(std::string_view w, bool hatParameter, std::int32_t p) {
    if (w == "f") {
      schriftInTabelle_ = hatParameter ? p : 0;
      if (schriften_.size() < kMaxSchriften) schriften_[schriftInTabelle_] = Schrift{};
    } else if (w == "fcharset" || w == "cpg") {
      auto it = schriften_.find(schriftInTabelle_);
      if (it != schriften_.end()) (w == "cpg" ? it->second.cpg : it->second.zeichensatz) = p;
    } else {
      return false;
    }
    return true;
  }

  // The code page of the current font.
  int Codeseite() const {
    auto it = schriften_.find(z_.schrift >= 0 ? z_.schrift : deff_);
    if (it == schriften_.end()) return ansicpg_;
    const Schrift& s = it->second;
    std::string_view name = s.name;
    while (!name.empty() && (name.back() == ' ' || name.back() == ';')) name.remove_suffix(1);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    return CodeseiteDerSchrift(s.zeichensatz, s.cpg, name, ansicpg_);
  }

  // A byte of the document (\'hh or raw) in the code page of its font.
  void Byte(unsigned char b) {
    int seite = Codeseite();
    bool symbol = seite == kCodeseiteSymbol || seite == kCodeseiteWingdings;
    if (b < 0x80 && !symbol && !dekodierer_.WartetAufZweitesByte()) {
      Zeichen(b);
      return;
    }
    if (z_.ziel != Ziel::Text) {
      Zeichen(b < 0x80 ? b : AusCp1252(b));
      return;
    }
    char32_t c = dekodierer_.Zeichen(seite, b);
    if (c != 0) Zeichen(c);
  }

  bool ImText() const { return z_.ziel == Ziel::Text && !z_.verborgen && überTiefe_ == 0; }

  void Absatz() {
    if (ImText()) text_.Absatzende();
  }

  void Unicode(std::int32_t p) {
    std::int32_t v = p < 0 ? p + 65536 : p;
    überspringen_ = z_.uc;
    if (v < 0 || v > 0xFFFF) {
      Zeichen(0xFFFD);
      return;
    }
    if (v >= 0xF020 && v <= 0xF0FF && z_.ziel == Ziel::Text) {
      // A symbol font's glyph in the private use area, as Word writes it.
      int seite = Codeseite();
      if (seite == kCodeseiteSymbol || seite == kCodeseiteWingdings) {
        Zeichen(dekodierer_.Zeichen(seite, static_cast<unsigned char>(v & 0xFF)));
        return;
      }
    }
    if (v >= 0xD800 && v <= 0xDBFF) {
      hochSurrogat_ = static_cast<char16_t>(v);
      return;
    }
    char16_t hoch = hochSurrogat_;
    hochSurrogat_ = 0;
    if (v >= 0xDC00 && v <= 0xDFFF) {
      if (hoch != 0) Zeichen(0x10000 + ((static_cast<char32_t>(hoch) - 0xD800) << 10) + (v - 0xDC00));
      return;
    }
    Zeichen(static_cast<char32_t>(v));
  }

  // One character of the current destination.
  void Zeichen(char32_t c) {
    if (überTiefe_ > 0) return;
    switch (z_.ziel) {
      case Ziel::Text:
        if (z_.verborgen || (c < 0x20 && c != '\t') || !IstXmlZeichen(c)) return;
        puffer_.clear();
        HängeUtf8An(c, puffer_);
        text_.Lauf(puffer_, z_.stil);
        break;
      case Ziel::Lesezeichenanfang:
      case Ziel::Lesezeichenende:
        if (name_.size() < kMaxNamenslänge) HängeUtf8An(c, name_);
        break;
      case Ziel::Schrifttabelle:
        if (auto it = schriften_.find(schriftInTabelle_);
            it != schriften_.end() && it->second.name.size() < kMaxNamenslänge) {
          HängeUtf8An(c, it->second.name);
        }
        break;
      case Ziel::Überspringen:
        break;
    }
  }

  std::string_view in_;
  Meldungen& meldungen_;
  std::size_t pos_ = 0;
  std::vector<Zustand> stapel_;
  Zustand z_;
  int überTiefe_ = 0;        // groups open beyond kMaxRtfTiefe
  int überspringen_ = 0;     // fallback tokens of \uN still to drop
  bool ignorierbar_ = false;  // \* seen, applies to the next control word
  char16_t hochSurrogat_ = 0;
  bool fertig_ = false;       // the outermost group has closed
  std::string name_;          // name of the bookmark being read
  std::string lückenName_;    // bookmark that opened the current gap
  std::int64_t nächsteMarke_ = 1;
  std::string puffer_;
  Text text_;
  std::map<int, Schrift> schriften_;
  int schriftInTabelle_ = 0;  // the entry of the font table being read
  int ansicpg_ = 1252;
  int deff_ = 0;
  Bytedekodierer dekodierer_;
};

bool IstRtf(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IstLeerraum(s[i])) ++i;
  return s.substr(i, 5) == "{\\rtf";
}

}  // namespace

Text LiesRtf(std::string_view bytes, Meldungen& meldungen) {
  if (!IstRtf(bytes)) return LiesKlartext(bytes);
  std::size_t i = 0;
  while (IstLeerraum(bytes[i])) ++i;
  return Leser(bytes.substr(i), meldungen).Lies();
}

Text LiesKlartext(std::string_view bytes) {
  Text text;
  std::string zeile;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\r' || c == '\n') {
      text.Lauf(zeile, Stil{});
      zeile.clear();
      text.Absatzende();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (c == '\t' || static_cast<unsigned char>(c) >= 0x20) {
      HängeUtf8An(AusCp1252(static_cast<unsigned char>(c)), zeile);
    }
  }
  text.Lauf(zeile, Stil{});
  text.Abschließen();
  return text;
}

}  // namespace gtc

#include "cli/zeilendatei_json.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <unordered_map>

#include "base/zahlformat.h"
#include "core/positionssatz.h"
#include "readers/zeilen.h"

namespace gaeb::cli {

namespace {

using namespace std::string_view_literals;

// The property of a key, nullptr when there is none: FindeEigenschaft by hash.
const Eigenschaft* EigenschaftVon(std::string_view key) {
  static const std::unordered_map<std::string_view, const Eigenschaft*> kNachName = [] {
    std::unordered_map<std::string_view, const Eigenschaft*> m;
    for (const Eigenschaft& e : Eigenschaften()) m.emplace(e.name, &e);
    return m;
  }();
  const auto it = kNachName.find(key);
  return it == kNachName.end() ? nullptr : it->second;
}

[[noreturn]] void Falsch(std::size_t zeile, const std::string& key, const std::string& warum) {
  throw std::invalid_argument("row " + std::to_string(zeile) + ", key \"" + key + "\": " + warum);
}

// A value as the parser reports it, before it is checked against its key's type.
struct Rohwert {
  enum class Art : std::uint8_t { Null, Wahrheit, Ganz, Natürlich, Gleitkomma, Text, Verschachtelt } art = Art::Null;
  bool wahr = false;
  std::int64_t ganz = 0;
  std::uint64_t natürlich = 0;
  double zahl = 0.0;
  std::string text;
};

// The value of key as the property's type; a text is moved out of v. Whole
// numbers beyond the 64-bit range convert as the JSON library converts them.
Variant Wert(std::size_t zeile, const std::string& key, Rohwert& v, Eigenschaftstyp typ) {
  using Art = Rohwert::Art;
  const bool ganz = v.art == Art::Ganz || v.art == Art::Natürlich;
  switch (typ) {
    case Eigenschaftstyp::String:
      if (v.art != Art::Text) Falsch(zeile, key, "expected a string");
      return Variant(std::move(v.text));
    case Eigenschaftstyp::Boolean:
      if (v.art != Art::Wahrheit) Falsch(zeile, key, "expected true or false");
      return Variant(v.wahr);
    case Eigenschaftstyp::Double:
      if (!ganz && v.art != Art::Gleitkomma) Falsch(zeile, key, "expected a number");
      return Variant(v.art == Art::Ganz        ? static_cast<double>(v.ganz)
                     : v.art == Art::Natürlich ? static_cast<double>(v.natürlich)
                                               : v.zahl);
    case Eigenschaftstyp::Integer:
    case Eigenschaftstyp::Long: {
      if (!ganz) Falsch(zeile, key, "expected a whole number");
      long long n = v.art == Art::Ganz ? v.ganz : static_cast<long long>(v.natürlich);
      bool kurz = typ == Eigenschaftstyp::Integer;
      long long lo = kurz ? std::numeric_limits<std::int16_t>::min() : std::numeric_limits<std::int32_t>::min();
      long long hi = kurz ? std::numeric_limits<std::int16_t>::max() : std::numeric_limits<std::int32_t>::max();
      if (n < lo || n > hi) Falsch(zeile, key, "number out of range " + std::to_string(lo) + ".." + std::to_string(hi));
      return kurz ? Variant(static_cast<std::int16_t>(n)) : Variant(static_cast<std::int32_t>(n));
    }
  }
  Falsch(zeile, key, "unsupported type");
}

// The longest text a row may carry, as the GAEB readers allow it.
constexpr std::size_t kGrößterText = 1 << 20;

// The widest field of any format for a number property: digits before the
// decimal point, and the decimals it is rounded to there.
struct Zahlbreite {
  std::string_view name;
  int stellen, nachkomma;
};
constexpr Zahlbreite kZahlbreiten[] = {
    {"Menge", 8, 3},       {"MengePaketteil", 8, 3},  {"Einzelpreis", 10, 3},        {"LohnEPVK", 10, 3},
    {"MaterialEPVK", 10, 3}, {"Gesamtpreis", 11, 2},  {"AufAbschlagBetrag", 11, 2},  {"Zeit", 11, 2},
    {"UmsatzsteuerProzent", 3, 2}, {"AufAbschlagProzent", 3, 2},
};
constexpr int kBetragsstellen = 11;

std::string Zahl(double d) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  return buf;
}

// True when d, rounded as the field writes it, has more digits before the point.
bool ZuBreit(double d, int stellen, int nachkomma) {
  constexpr double kZehnHoch[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
  return !std::isfinite(d) || Runde(std::fabs(d), nachkomma) >= kZehnHoch[stellen];
}

// The header creates the document and the end row saves it: rows before a
// second header or after the end row would be dropped without a word.
class Zeilenfolge {
 public:
  void Nimm(const Importzeile& z, std::size_t nr) {
    std::int16_t typ = 0;
    for (const auto& [name, wert] : z)
      if (name == "Positionstyp"sv) typ = wert.ToInt16();
    if (ende_ != 0)
      throw std::invalid_argument("row " + std::to_string(nr) + " follows the end row (Positionstyp 90) of row " +
                                  std::to_string(ende_));
    if (typ == 10 && nr > 1)
      throw std::invalid_argument("row " + std::to_string(nr) + ": a header row (Positionstyp 10) may only be the first row");
    if (typ == 90) ende_ = nr;
  }

 private:
  std::size_t ende_ = 0;
};

// The parse events of a row file (nlohmann's SAX interface) made into rows,
// one at a time: a row's keys and values are kept as they come and checked
// when its object ends; the row then goes to nimm with its number. Anything
// else is skipped. The first key or type error is kept in fehler; then no
// more rows go to nimm. Reading on after it finds the syntax errors further
// on, which win; stopping (stopp) ends the parse at once.
class Zeilenleser {
 public:
  using json = nlohmann::json;
  using Nimm = std::function<bool(const Importzeile&, std::size_t)>;

  Zeilenleser(bool stopp, Nimm nimm) : stopp_(stopp), nimm_(std::move(nimm)) {}

  // Syntax errors are thrown (as the library's exception) unless the parse
  // stops at errors; then they are kept in fehler as well.
  template <class Ausnahme>
  bool parse_error(std::size_t, const std::string&, const Ausnahme& ausnahme) {
    if (!stopp_) throw ausnahme;
    fehler = ausnahme.what();
    return false;
  }

  bool null() { return Einfach(Rohwert::Art::Null); }
  bool boolean(bool b) {
    if (Ziel() != nullptr) ziel_->wahr = b;
    return Einfach(Rohwert::Art::Wahrheit);
  }
  bool number_integer(json::number_integer_t n) {
    if (Ziel() != nullptr) ziel_->ganz = n;
    return Einfach(Rohwert::Art::Ganz);
  }
  bool number_unsigned(json::number_unsigned_t n) {
    if (Ziel() != nullptr) ziel_->natürlich = n;
    return Einfach(Rohwert::Art::Natürlich);
  }
  bool number_float(json::number_float_t d, const json::string_t&) {
    if (Ziel() != nullptr) ziel_->zahl = d;
    return Einfach(Rohwert::Art::Gleitkomma);
  }
  bool string(json::string_t& s) {
    if (Ziel() != nullptr) ziel_->text.swap(s);
    return Einfach(Rohwert::Art::Text);
  }
  bool binary(json::binary_t&) { return Einfach(Rohwert::Art::Verschachtelt); }
  bool key(json::string_t& k) {
    if (tiefe_ == 2 && inZeile_) {
      if (roh_.size() == anzahl_) roh_.emplace_back();
      roh_[anzahl_].first.swap(k);
    }
    return true;
  }
  bool start_object(std::size_t) {
    if (liste_ && tiefe_ == 1) {
      ++zeilen_;
      inZeile_ = fehler.empty();
      anzahl_ = 0;
    } else if (Anfang()) {
      Typfehler("the row file must hold a JSON array of objects");
    } else {
      Einfach(Rohwert::Art::Verschachtelt);
    }
    ++tiefe_;
    return true;
  }
  bool end_object() {
    if (--tiefe_ == 1 && inZeile_) {
      inZeile_ = false;
      return Zeilenende();
    }
    return true;
  }
  bool start_array(std::size_t) {
    if (Anfang()) liste_ = true;
    else Einfach(Rohwert::Art::Verschachtelt);
    ++tiefe_;
    return true;
  }
  bool end_array() {
    --tiefe_;
    return true;
  }

  std::size_t Zeilen() const { return zeilen_; }

  std::string fehler;

 private:
  bool Anfang() const { return tiefe_ == 0; }

  // Where the value now read goes: the value of the row's last key.
  Rohwert* Ziel() {
    ziel_ = tiefe_ == 2 && inZeile_ ? &roh_[anzahl_].second : nullptr;
    return ziel_;
  }

  // A value of kind art has been read (its content is in Ziel()).
  bool Einfach(Rohwert::Art art) {
    if (Anfang()) {
      Typfehler("the row file must hold a JSON array of objects");
    } else if (liste_ && tiefe_ == 1) {
      ++zeilen_;
      Typfehler("row " + std::to_string(zeilen_) + " is not a JSON object");
    } else if (tiefe_ == 2 && inZeile_) {
      roh_[anzahl_++].second.art = art;
    }
    return true;
  }

  void Typfehler(std::string warum) {
    if (fehler.empty()) fehler = std::move(warum);
  }

  // The row's keys by name, of a key given twice its last value, each
  // checked for its name and type.
  bool Zeilenende() {
    reihe_.resize(anzahl_);
    for (std::size_t i = 0; i < anzahl_; ++i) reihe_[i] = i;
    std::stable_sort(reihe_.begin(), reihe_.end(),
                     [this](std::size_t a, std::size_t b) { return roh_[a].first < roh_[b].first; });
    zeile_.clear();
    try {
      for (std::size_t j = 0; j < anzahl_; ++j) {
        if (j + 1 < anzahl_ && roh_[reihe_[j]].first == roh_[reihe_[j + 1]].first) continue;
        auto& [key, wert] = roh_[reihe_[j]];
        const Eigenschaft* e = EigenschaftVon(key);
        if (e == nullptr && readers::Auftraggeberfeld(key).empty()) Falsch(zeilen_, key, "no such property");
        zeile_.emplace_back(key, Wert(zeilen_, key, wert, e ? e->typ : Eigenschaftstyp::String));
      }
    } catch (const std::invalid_argument& f) {
      fehler = f.what();
      return !stopp_;
    }
    return nimm_(zeile_, zeilen_);
  }

  const bool stopp_;
  Nimm nimm_;
  std::size_t tiefe_ = 0;      // containers open
  bool liste_ = false;         // the file is an array
  bool inZeile_ = false;       // in a row's object, no error before it
  std::size_t zeilen_ = 0;     // rows begun
  std::vector<std::pair<std::string, Rohwert>> roh_;  // the row's keys and values as read; anzahl_ of them
  std::size_t anzahl_ = 0;
  Rohwert* ziel_ = nullptr;
  std::vector<std::size_t> reihe_;
  Importzeile zeile_;
};

// The checks of a whole file in their order (see PrüfeZeilendatei).
template <class Eingabe>
std::size_t Prüfe(Eingabe&& ein, const std::function<void(const Importzeile&)>& zeile) {
  Zeilenfolge folge;
  std::string ordnung, grenze;
  Zeilenleser leser(false, [&](const Importzeile& z, std::size_t nr) {
    if (ordnung.empty()) {
      try {
        folge.Nimm(z, nr);
      } catch (const std::invalid_argument& f) {
        ordnung = f.what();
      }
    }
    if (grenze.empty()) {
      try {
        PrüfeImportzeile(z, nr);
      } catch (const std::invalid_argument& f) {
        grenze = f.what();
      }
    }
    if (zeile) zeile(z);
    return true;
  });
  nlohmann::json::sax_parse(std::forward<Eingabe>(ein), &leser);
  for (const std::string* f : {&leser.fehler, &ordnung, &grenze})
    if (!f->empty()) throw std::invalid_argument(*f);
  return leser.Zeilen();
}

}  // namespace

void PrüfeImportzeile(const Importzeile& zeile, std::size_t nr) {
  double menge = 0.0, preis = 0.0, einheit = 1.0;
  std::int16_t typ = 0;
  for (const auto& [name, wert] : zeile) {
    if (wert.typ() == Variant::Typ::String) {
      const std::string& t = *wert.Text();
      if (t.find('\0') != std::string::npos) Falsch(nr, name, "the text holds a NUL character");
      if (t.size() > kGrößterText) Falsch(nr, name, "the text is longer than 1 MB");
    } else if (wert.typ() == Variant::Typ::Double) {
      for (const Zahlbreite& b : kZahlbreiten)
        if (name == b.name && ZuBreit(wert.ToDouble(), b.stellen, b.nachkomma))
          Falsch(nr, name, Zahl(wert.ToDouble()) + " is wider than any GAEB format carries (at most " +
                               std::to_string(b.stellen) + " digits before the decimal point)");
    }
    if (name == "Menge"sv) menge = wert.ToDouble();
    if (name == "Einzelpreis"sv) preis = wert.ToDouble();
    if (name == "Preiseinheit"sv && wert.ToDouble() != 0.0) einheit = wert.ToDouble();
    if (name == "Positionstyp"sv) typ = wert.ToInt16();
  }
  const double gesamt = menge * preis / einheit;
  if ((typ == 40 || typ == 47) && ZuBreit(gesamt, kBetragsstellen, 2))
    Falsch(nr, "Menge", "the total " + Zahl(menge) + " x " + Zahl(preis) + " / " + Zahl(einheit) +
                            " is wider than any GAEB format carries (at most " + std::to_string(kBetragsstellen) +
                            " digits before the decimal point)");
}

void PrüfeImportzeilen(const std::vector<Importzeile>& zeilen) {
  for (std::size_t i = 0; i < zeilen.size(); ++i) PrüfeImportzeile(zeilen[i], i + 1);
}

std::size_t PrüfeZeilendatei(std::istream& ein, const std::function<void(const Importzeile&)>& zeile) {
  return Prüfe(ein, zeile);
}

std::string LeseZeilendatei(std::istream& ein, const std::function<bool(const Importzeile&)>& nimm) {
  Zeilenfolge folge;
  std::string fehler;
  Zeilenleser leser(true, [&](const Importzeile& z, std::size_t nr) {
    try {
      folge.Nimm(z, nr);
      PrüfeImportzeile(z, nr);
    } catch (const std::invalid_argument& f) {
      fehler = f.what();
      return false;
    }
    return nimm(z);
  });
  nlohmann::json::sax_parse(ein, &leser);
  return leser.fehler.empty() ? fehler : leser.fehler;
}

std::vector<Importzeile> LeseImportzeilen(std::string_view json) {
  std::vector<Importzeile> zeilen;
  Prüfe(json, [&zeilen](const Importzeile& z) { zeilen.push_back(z); });
  return zeilen;
}

std::vector<Importzeile> LeseImportzeilen(const nlohmann::json& datei) {
  return LeseImportzeilen(std::string_view(datei.dump()));
}

nlohmann::json AlsJson(const Variant& v) {
  switch (v.typ()) {
    case Variant::Typ::Empty: return nullptr;
    case Variant::Typ::Boolean: return v.ToBool();
    case Variant::Typ::Integer:
    case Variant::Typ::Long: return v.ToInt32();
    case Variant::Typ::Double: return v.ToDouble();
    case Variant::Typ::String: return v.ToString();
  }
  return nullptr;
}

}  // namespace gaeb::cli

#include "cli/zeilendatei_json.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "base/zahlformat.h"
#include "core/positionssatz.h"
#include "readers/zeilen.h"

namespace gaeb::cli {

namespace {

[[noreturn]] void Falsch(std::size_t zeile, const std::string& key, const std::string& warum) {
  throw std::invalid_argument("row " + std::to_string(zeile) + ", key \"" + key + "\": " + warum);
}

Variant Wert(std::size_t zeile, const std::string& key, const nlohmann::json& v, Eigenschaftstyp typ) {
  switch (typ) {
    case Eigenschaftstyp::String:
      if (!v.is_string()) Falsch(zeile, key, "expected a string");
      return Variant(v.get<std::string>());
    case Eigenschaftstyp::Boolean:
      if (!v.is_boolean()) Falsch(zeile, key, "expected true or false");
      return Variant(v.get<bool>());
    case Eigenschaftstyp::Double:
      if (!v.is_number()) Falsch(zeile, key, "expected a number");
      return Variant(v.get<double>());
    case Eigenschaftstyp::Integer:
    case Eigenschaftstyp::Long: {
      if (!v.is_number_integer()) Falsch(zeile, key, "expected a whole number");
      long long n = v.get<long long>();
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
  const char* name;
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
  return !std::isfinite(d) || Runde(std::fabs(d), nachkomma) >= std::pow(10.0, stellen);
}

}  // namespace

void PrüfeImportzeilen(const std::vector<Importzeile>& zeilen) {
  for (std::size_t i = 0; i < zeilen.size(); ++i) {
    double menge = 0.0, preis = 0.0, einheit = 1.0;
    std::int16_t typ = 0;
    for (const auto& [name, wert] : zeilen[i]) {
      if (wert.typ() == Variant::Typ::String) {
        const std::string& t = *wert.Text();
        if (t.find('\0') != std::string::npos) Falsch(i + 1, name, "the text holds a NUL character");
        if (t.size() > kGrößterText) Falsch(i + 1, name, "the text is longer than 1 MB");
      } else if (wert.typ() == Variant::Typ::Double) {
        for (const Zahlbreite& b : kZahlbreiten)
          if (name == b.name && ZuBreit(wert.ToDouble(), b.stellen, b.nachkomma))
            Falsch(i + 1, name, Zahl(wert.ToDouble()) + " is wider than any GAEB format carries (at most " +
                                    std::to_string(b.stellen) + " digits before the decimal point)");
      }
      if (name == "Menge") menge = wert.ToDouble();
      if (name == "Einzelpreis") preis = wert.ToDouble();
      if (name == "Preiseinheit" && wert.ToDouble() != 0.0) einheit = wert.ToDouble();
      if (name == "Positionstyp") typ = wert.ToInt16();
    }
    const double gesamt = menge * preis / einheit;
    if ((typ == 40 || typ == 47) && ZuBreit(gesamt, kBetragsstellen, 2))
      Falsch(i + 1, "Menge", "the total " + Zahl(menge) + " x " + Zahl(preis) + " / " + Zahl(einheit) +
                                 " is wider than any GAEB format carries (at most " + std::to_string(kBetragsstellen) +
                                 " digits before the decimal point)");
  }
}

std::vector<Importzeile> LeseImportzeilen(const nlohmann::json& datei) {
  if (!datei.is_array()) throw std::invalid_argument("the row file must hold a JSON array of objects");
  std::vector<Importzeile> zeilen;
  zeilen.reserve(datei.size());
  std::size_t nr = 0;
  for (const nlohmann::json& obj : datei) {
    ++nr;
    if (!obj.is_object()) throw std::invalid_argument("row " + std::to_string(nr) + " is not a JSON object");
    Importzeile z;
    for (auto it = obj.begin(); it != obj.end(); ++it) {
      const Eigenschaft* e = FindeEigenschaft(it.key());
      if (e == nullptr && readers::Auftraggeberfeld(it.key()).empty()) Falsch(nr, it.key(), "no such property");
      z.emplace_back(it.key(), Wert(nr, it.key(), it.value(), e ? e->typ : Eigenschaftstyp::String));
    }
    zeilen.push_back(std::move(z));
  }
  // The header creates the document and the end row saves it: rows before a
  // second header or after the end row would be dropped without a word.
  std::size_t ende = 0;
  for (std::size_t i = 0; i < zeilen.size(); ++i) {
    std::int16_t typ = 0;
    for (const auto& [name, wert] : zeilen[i])
      if (name == "Positionstyp") typ = wert.ToInt16();
    std::string zeile = "row " + std::to_string(i + 1);
    if (ende != 0) throw std::invalid_argument(zeile + " follows the end row (Positionstyp 90) of row " + std::to_string(ende));
    if (typ == 10 && i > 0) throw std::invalid_argument(zeile + ": a header row (Positionstyp 10) may only be the first row");
    if (typ == 90) ende = i + 1;
  }
  PrüfeImportzeilen(zeilen);
  return zeilen;
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

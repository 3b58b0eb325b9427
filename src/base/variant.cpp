#include "base/variant.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"

namespace gaeb {

namespace {

[[noreturn]] void Typfehler() { throw Fehler(kFehlerTypen, "Typen unverträglich"); }

}  // namespace

std::string BoolZuText(bool b) { return std::string(b ? kWahrText : kFalschText); }

bool TextZuBool(std::string_view s) {
  std::string t = text::Gross(text::Trim(s));
  if (t == "WAHR" || t == "TRUE") return true;
  if (t == "FALSCH" || t == "FALSE") return false;
  return TextZuZahl(s) != 0.0;
}

double TextZuZahl(std::string_view s) {
  std::string t = text::Trim(s);
  if (t.empty()) Typfehler();
  bool komma = t.find(',') != std::string::npos;
  bool punkt = t.find('.') != std::string::npos;
  if (komma && punkt) {
    // German grouping: "1.234,5". The last of the two is the decimal separator.
    if (t.rfind(',') > t.rfind('.')) {
      t = text::Ersetze(t, ".", "");
      t = text::Ersetze(t, ",", ".");
    } else {
      t = text::Ersetze(t, ",", "");
    }
  } else if (komma) {
    t = text::Ersetze(t, ",", ".");
  }
  for (char c : t) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) Typfehler();
  }
  char* end = nullptr;
  double d = std::strtod(t.c_str(), &end);
  if (end == t.c_str() || *end != '\0' || !std::isfinite(d)) Typfehler();
  return d;
}

std::int64_t RundeGanzzahl(double d, std::int64_t lo, std::int64_t hi) {
  if (!std::isfinite(d)) throw Fehler(kFehlerÜberlauf, "Überlauf");
  double r = std::nearbyint(d);  // default rounding mode: halves to even
  if (r < static_cast<double>(lo) || r > static_cast<double>(hi)) throw Fehler(kFehlerÜberlauf, "Überlauf");
  return static_cast<std::int64_t>(r);
}

bool Variant::ToBool() const {
  switch (typ()) {
    case Typ::Empty: return false;
    case Typ::Boolean: return std::get<bool>(wert_);
    case Typ::Integer: return std::get<std::int16_t>(wert_) != 0;
    case Typ::Long: return std::get<std::int32_t>(wert_) != 0;
    case Typ::Double: return std::get<double>(wert_) != 0.0;
    case Typ::String: return TextZuBool(std::get<std::string>(wert_));
  }
  return false;
}

double Variant::ToDouble() const {
  switch (typ()) {
    case Typ::Empty: return 0.0;
    case Typ::Boolean: return std::get<bool>(wert_) ? -1.0 : 0.0;
    case Typ::Integer: return std::get<std::int16_t>(wert_);
    case Typ::Long: return std::get<std::int32_t>(wert_);
    case Typ::Double: return std::get<double>(wert_);
    case Typ::String: {
      const std::string& s = std::get<std::string>(wert_);
      std::string t = text::Gross(text::Trim(s));
      if (t == "WAHR" || t == "TRUE") return -1.0;
      if (t == "FALSCH" || t == "FALSE") return 0.0;
      return TextZuZahl(s);
    }
  }
  return 0.0;
}

std::int16_t Variant::ToInt16() const {
  return static_cast<std::int16_t>(RundeGanzzahl(ToDouble(), std::numeric_limits<std::int16_t>::min(),
                                                 std::numeric_limits<std::int16_t>::max()));
}

std::int32_t Variant::ToInt32() const {
  return static_cast<std::int32_t>(RundeGanzzahl(ToDouble(), std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}

std::string Variant::ToString() const {
  switch (typ()) {
    case Typ::Empty: return {};
    case Typ::Boolean: return BoolZuText(std::get<bool>(wert_));
    case Typ::Integer: return std::to_string(std::get<std::int16_t>(wert_));
    case Typ::Long: return std::to_string(std::get<std::int32_t>(wert_));
    case Typ::Double: return ZahlText(std::get<double>(wert_));
    case Typ::String: return std::get<std::string>(wert_);
  }
  return {};
}

}  // namespace gaeb

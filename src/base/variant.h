// A value of one of the host's six simple types, with the conversions of the
// host's runtime: Empty, Boolean, Integer (16 bit), Long (32 bit), Double and
// String. Conversions that cannot succeed throw gaeb::Fehler with the runtime's
// error number (13 type mismatch, 6 overflow).
//
// Boolean as text is "Wahr" / "Falsch" (the German runtime's words), and both
// convert back, as do "True" / "False" in any case and numeric texts (0 is
// False, anything else True). True as a number is -1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace gaeb {

class Variant {
 public:
  enum class Typ { Empty, Boolean, Integer, Long, Double, String };

  Variant() = default;
  Variant(bool b) : wert_(b) {}
  Variant(std::int16_t i) : wert_(i) {}
  Variant(std::int32_t l) : wert_(l) {}
  Variant(double d) : wert_(d) {}
  Variant(std::string s) : wert_(std::move(s)) {}
  Variant(const char* s) : wert_(std::string(s)) {}
  Variant(std::string_view s) : wert_(std::string(s)) {}

  Typ typ() const { return static_cast<Typ>(wert_.index()); }
  bool IstLeer() const { return typ() == Typ::Empty; }

  bool ToBool() const;
  std::int16_t ToInt16() const;
  std::int32_t ToInt32() const;
  double ToDouble() const;
  std::string ToString() const;

  // The stored text when the value is a String, else null (no copy).
  const std::string* Text() const { return std::get_if<std::string>(&wert_); }

  bool operator==(const Variant& o) const = default;

 private:
  std::variant<std::monostate, bool, std::int16_t, std::int32_t, double, std::string> wert_;
};

// The runtime's texts for the two Boolean values.
inline constexpr std::string_view kWahrText = "Wahr";
inline constexpr std::string_view kFalschText = "Falsch";

// Boolean-to-text and back (see above). TextZuBool throws error 13 for a text
// that is neither a Boolean word nor a number.
std::string BoolZuText(bool b);
bool TextZuBool(std::string_view s);

// Parses a number text: blanks around it allowed, "," or "." as decimal
// separator. Throws error 13 when s is no number.
double TextZuZahl(std::string_view s);

// Rounds to the nearest integer with halves to even, as the runtime's integer
// conversions do; throws error 6 outside [lo, hi].
std::int64_t RundeGanzzahl(double d, std::int64_t lo, std::int64_t hi);

}  // namespace gaeb

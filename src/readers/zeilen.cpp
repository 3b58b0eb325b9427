#include "readers/zeilen.h"

#include <cmath>
#include <cstdlib>

namespace gaeb::readers {

namespace {
std::string Meldung(const std::string& datei, const std::string& stelle, const std::string& grund) {
  return datei + (stelle.empty() ? "" : ": " + stelle) + ": " + grund;
}
}  // namespace

Lesefehler::Lesefehler(const std::string& datei, const std::string& stelle, const std::string& grund)
    : std::runtime_error(Meldung(datei, stelle, grund)), stelle_(stelle), grund_(grund) {}

std::string Auftraggeberfeld(std::string_view name) {
  constexpr std::string_view kVorne = "Auftraggeber.";
  if (name.substr(0, kVorne.size()) != kVorne) return {};
  name.remove_prefix(kVorne.size());
  for (std::string_view f : {"Name1", "Name2", "Name3", "Name4", "Strasse", "Plz", "Ort", "Land", "Telefon", "Fax", "Email"})
    if (name == f) return std::string(f);
  return {};
}

void Setze(Importzeile& z, std::string_view name, Variant wert) {
  for (auto& [n, w] : z) {
    if (n == name) {
      w = std::move(wert);
      return;
    }
  }
  z.emplace_back(std::string(name), std::move(wert));
}

Variant Wert(const Importzeile& z, std::string_view name) {
  for (const auto& [n, w] : z)
    if (n == name) return w;
  return Variant();
}

Importzeile Zeile(std::int16_t positionstyp) {
  Importzeile z;
  z.emplace_back("Positionstyp", Variant(positionstyp));
  return z;
}

bool LeseZahl(std::string_view s, double& wert) {
  // Blanks around, a sign, digits with at most one decimal separator. Thousands
  // separators do not occur in GAEB files; a comma is the decimal separator of
  // GAEB 2000, a point that of GAEB DA XML.
  std::size_t a = 0, e = s.size();
  while (a < e && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (e > a && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
  if (a == e || e - a > 40) return false;
  std::string t;
  t.reserve(e - a);
  bool ziffer = false, trenner = false;
  for (std::size_t i = a; i < e; ++i) {
    char c = s[i];
    if ((c == '-' || c == '+') && i == a) {
      t.push_back(c);
    } else if (c >= '0' && c <= '9') {
      t.push_back(c);
      ziffer = true;
    } else if ((c == ',' || c == '.') && !trenner) {
      t.push_back('.');
      trenner = true;
    } else {
      return false;
    }
  }
  if (!ziffer) return false;
  char* ende = nullptr;
  double v = std::strtod(t.c_str(), &ende);
  if (ende != t.c_str() + t.size() || !std::isfinite(v)) return false;
  wert = v;
  return true;
}

}  // namespace gaeb::readers

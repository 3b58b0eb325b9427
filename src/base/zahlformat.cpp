#include "base/zahlformat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace gaeb {

namespace {

thread_local Regionaleinstellungen tRegion;

// A decimal number as a digit string: value = 0.digits * 10^exp10 ("digits"
// holds no leading zeros unless the value is zero).
struct Dezimal {
  bool negativ = false;
  std::string ziffern;  // integer digits followed by fraction digits
  int ganzstellen = 0;  // how many of ziffern are integer digits
};

// Takes v to 15 significant digits and rounds it half away from zero to
// `decimals` fraction digits, as exact decimal text.
Dezimal Zerlege(double v, int decimals) {
  Dezimal d;
  d.negativ = std::signbit(v) && v != 0.0;
  double a = std::fabs(v);
  if (!std::isfinite(a)) a = 0.0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", a);  // d.dddddddddddddde+XX
  std::string mant;
  for (const char* p = buf; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') mant.push_back(*p);
  int exp10 = std::atoi(std::strchr(buf, 'e') + 1);
  // Digits as integer part and fraction: mant[0] has weight 10^exp10.
  std::string ganz, bruch;
  if (exp10 >= 0) {
    if (static_cast<int>(mant.size()) > exp10 + 1) {
      ganz = mant.substr(0, exp10 + 1);
      bruch = mant.substr(exp10 + 1);
    } else {
      ganz = mant + std::string(exp10 + 1 - mant.size(), '0');
    }
  } else {
    ganz = "0";
    bruch = std::string(-exp10 - 1, '0') + mant;
  }
  // Round half away from zero at `decimals`.
  bool aufrunden = static_cast<int>(bruch.size()) > decimals && bruch[decimals] >= '5';
  if (static_cast<int>(bruch.size()) > decimals) bruch.resize(decimals);
  while (static_cast<int>(bruch.size()) < decimals) bruch.push_back('0');
  std::string alle = ganz + bruch;
  if (aufrunden) {
    int i = static_cast<int>(alle.size()) - 1;
    while (i >= 0 && alle[i] == '9') alle[i--] = '0';
    if (i >= 0) {
      ++alle[i];
    } else {
      alle.insert(alle.begin(), '1');
    }
  }
  int ganzstellen = static_cast<int>(alle.size()) - decimals;
  // Strip leading zeros of the integer part.
  int lead = 0;
  while (lead < ganzstellen && alle[lead] == '0') ++lead;
  d.ziffern = alle.substr(lead);
  d.ganzstellen = ganzstellen - lead;
  bool null = d.ziffern.find_first_not_of('0') == std::string::npos;
  if (null && v == 0.0) d.negativ = false;
  return d;
}

std::vector<std::string_view> Abschnitte(std::string_view mask) {
  std::vector<std::string_view> out;
  std::size_t pos = 0;
  while (true) {
    std::size_t semi = mask.find(';', pos);
    out.push_back(mask.substr(pos, semi == std::string_view::npos ? std::string_view::npos : semi - pos));
    if (semi == std::string_view::npos) break;
    pos = semi + 1;
  }
  return out;
}

bool IstPlatzhalter(char c) { return c == '0' || c == '#'; }

// Applies one section (without sign handling) to |value|.
std::string Abschnitt(double value, std::string_view sec, const Regionaleinstellungen& region) {
  // Find the decimal point and count placeholders on both sides.
  std::size_t punkt = sec.find('.');
  std::string_view ganzTeil = sec.substr(0, punkt);
  std::string_view bruchTeil = punkt == std::string_view::npos ? std::string_view() : sec.substr(punkt + 1);
  int bruchNull = 0, bruchAlle = 0;
  for (char c : bruchTeil) {
    if (c == '0') bruchNull = ++bruchAlle;  // last "0" position counts all before it
    else if (c == '#') ++bruchAlle;
  }
  bool gruppieren = false;
  int ganzPlatz = 0, ganzNullAb = -1;  // ganzNullAb: index among placeholders of the first "0"
  for (std::size_t i = 0; i < ganzTeil.size(); ++i) {
    char c = ganzTeil[i];
    if (IstPlatzhalter(c)) {
      if (c == '0' && ganzNullAb < 0) ganzNullAb = ganzPlatz;
      ++ganzPlatz;
    } else if (c == ',' && ganzPlatz > 0 && i + 1 < ganzTeil.size() && IstPlatzhalter(ganzTeil[i + 1])) {
      gruppieren = true;
    }
  }
  Dezimal d = Zerlege(std::fabs(value), bruchAlle);
  std::string ganz = d.ziffern.substr(0, d.ganzstellen);
  std::string bruch = d.ziffern.substr(d.ganzstellen);
  if (static_cast<int>(bruch.size()) < bruchAlle)  // value < 1: leading zeros were stripped
    bruch = std::string(bruchAlle - bruch.size(), '0') + bruch;
  if (d.ganzstellen < 0) ganz.clear();
  // Integer digits: at least as many as "0" placeholders demand.
  int pflicht = ganzNullAb < 0 ? 0 : ganzPlatz - ganzNullAb;
  while (static_cast<int>(ganz.size()) < pflicht) ganz.insert(ganz.begin(), '0');
  if (gruppieren && ganz.size() > 3) {
    std::string g;
    int n = static_cast<int>(ganz.size());
    for (int i = 0; i < n; ++i) {
      if (i > 0 && (n - i) % 3 == 0) g += region.tausendertrennzeichen;
      g.push_back(ganz[i]);
    }
    ganz = g;
  }
  // Optional fraction digits: drop trailing zeros beyond the mandatory ones.
  while (static_cast<int>(bruch.size()) > bruchNull && !bruch.empty() && bruch.back() == '0') bruch.pop_back();

  std::string out;
  // Integer part: literals keep their place; all digits go where the first placeholder stands.
  bool ziffernGeschrieben = false;
  for (char c : ganzTeil) {
    if (IstPlatzhalter(c) || c == ',') {
      if (!ziffernGeschrieben && IstPlatzhalter(c)) {
        out += ganz;
        ziffernGeschrieben = true;
      }
      continue;
    }
    out.push_back(c);
  }
  if (!ziffernGeschrieben) out += ganz;
  if (punkt != std::string_view::npos) {
    out += region.dezimaltrennzeichen;  // written even when no fraction digit follows, as the runtime does
    std::size_t k = 0;
    for (char c : bruchTeil) {
      if (IstPlatzhalter(c)) {
        if (k < bruch.size()) out.push_back(bruch[k]);
        ++k;
      } else {
        out.push_back(c);
      }
    }
  }
  return out;
}

// One section of fixed digits: optional "#" placeholders, then "0"s before
// and after an optional "." ("0.00", "##0.000", "0000000000.00"). Sets the
// digit counts: ganz the "0"s before the point, bruch after it (-1 without).
bool FesterAbschnitt(std::string_view sec, int& ganz, int& bruch) {
  std::size_t punkt = sec.find('.');
  std::string_view g = sec.substr(0, punkt);
  std::string_view b = punkt == std::string_view::npos ? std::string_view() : sec.substr(punkt + 1);
  g.remove_prefix(std::min(g.size(), g.find_first_not_of('#')));
  if (g.empty() || g.find_first_not_of('0') != std::string_view::npos) return false;
  if (b.find_first_not_of('0') != std::string_view::npos) return false;
  ganz = static_cast<int>(g.size());
  bruch = punkt == std::string_view::npos ? -1 : static_cast<int>(b.size());
  return true;
}

// The masks the quick way gives alike: a section of fixed digits alone, or
// as "P;-P;Z" with the minus before the same section and a zero section of
// the same digits ("##0.00;-##0.00;0.00"). A "#" only widens what the digits
// may take, and the value's digits all go to the first placeholder, so such
// a mask writes what its "0"s alone write.
bool NurNullen(std::string_view mask, int& ganz, int& bruch) {
  const std::size_t semi = mask.find(';');
  if (semi == std::string_view::npos) return FesterAbschnitt(mask, ganz, bruch);
  const std::string_view p = mask.substr(0, semi);
  const std::string_view rest = mask.substr(semi + 1);
  const std::size_t semi2 = rest.find(';');
  if (semi2 != p.size() + 1 || rest[0] != '-' || rest.substr(1, p.size()) != p) return false;
  int zGanz = 0, zBruch = 0;
  return FesterAbschnitt(p, ganz, bruch) && FesterAbschnitt(rest.substr(semi2 + 1), zGanz, zBruch) &&
         rest.substr(semi2 + 1).find('#') == std::string_view::npos && zGanz == ganz && zBruch == bruch;
}

// |value| under a mask of fixed digits, without allocating on the way: the
// same digits as Zerlege and Abschnitt give (15 significant digits, halves
// away from zero, at least `ganz` integer digits). bruch -1: no separator.
std::string FesteStellen(double value, int ganz, int bruch, const Regionaleinstellungen& region) {
  double a = std::fabs(value);
  if (!std::isfinite(a)) a = 0.0;
  // The same text as printf's "%.14e" (both round correctly), only faster.
  char buf[64];
  auto [ende, fehler] = std::to_chars(buf, buf + sizeof buf - 1, a, std::chars_format::scientific, 14);
  *ende = '\0';
  (void)fehler;
  char mant[15];
  int m = 0;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9' && m < 15) mant[m++] = *p;
  int exp10 = std::atoi(p + 1);
  const int stellen = bruch < 0 ? 0 : bruch;
  // Digit k of the decimal expansion (k = 0 the units, k > 0 fraction, k < 0 tens ...).
  auto ziffer = [&](int k) {
    int i = exp10 + k;  // index into mant
    return (i >= 0 && i < m) ? mant[i] : '0';
  };
  // Integer digits from the highest, `stellen` fraction digits and the one after them.
  char z[400];
  int n = 0;
  for (int k = -std::max(exp10, 0); k <= stellen + 1 && n < 398; ++k) z[n++] = ziffer(k);
  // z[n - 1] is the first digit beyond the mask: round on it and drop it.
  bool auf = z[n - 1] >= '5';
  --n;
  if (auf) {
    int i = n - 1;
    while (i >= 0 && z[i] == '9') z[i--] = '0';
    if (i >= 0) {
      ++z[i];
    } else {
      std::memmove(z + 1, z, static_cast<std::size_t>(n));
      z[0] = '1';
      ++n;
    }
  }
  int ganzstellen = n - stellen;
  int führend = 0;
  while (führend < ganzstellen && z[führend] == '0') ++führend;
  std::string out;
  int vorhanden = ganzstellen - führend;
  if (vorhanden < ganz) out.append(static_cast<std::size_t>(ganz - vorhanden), '0');
  out.append(z + führend, static_cast<std::size_t>(vorhanden));
  if (bruch >= 0) {
    out += region.dezimaltrennzeichen;
    out.append(z + ganzstellen, static_cast<std::size_t>(stellen));
  }
  return out;
}

}  // namespace

const Regionaleinstellungen& AktuelleRegion() { return tRegion; }
void SetzeRegion(const Regionaleinstellungen& region) { tRegion = region; }

std::string FormatZahl(double value, std::string_view mask) { return FormatZahl(value, mask, tRegion); }

std::string FormatZahl(double value, std::string_view mask, const Regionaleinstellungen& region) {
  int ganz = 0, bruch = 0;
  if (NurNullen(mask, ganz, bruch)) {
    // The common amounts and quantities of the exports, the quick way.
    std::string s = FesteStellen(value, ganz, bruch, region);
    if (value < 0.0) s.insert(0, "-");
    return s;
  }
  std::vector<std::string_view> sec = Abschnitte(mask);
  if (value == 0.0 && sec.size() >= 3 && !sec[2].empty()) return Abschnitt(0.0, sec[2], region);
  if (value < 0.0 && sec.size() >= 2 && !sec[1].empty()) return Abschnitt(value, sec[1], region);
  std::string s = Abschnitt(value, sec[0], region);
  if (value < 0.0) {
    // A value that rounds to zero keeps its sign, as the runtime does.
    s.insert(0, "-");
  }
  return s;
}

double Runde(double value, int decimals) {
  // Infinity and NaN stay what they are: an overflow must not turn into 0.
  if (!std::isfinite(value)) return value;
  // Fast path: far enough from a half, the 15-digit step cannot change the
  // result, and plain arithmetic gives it.
  if (decimals >= 0 && decimals <= 9 && std::fabs(value) < 1e9) {
    static constexpr double kPotenz[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    double skaliert = std::fabs(value) * kPotenz[decimals];
    double ganz = std::floor(skaliert);
    double rest = skaliert - ganz;
    if (std::fabs(rest - 0.5) > 1e-6) {
      double r = (rest > 0.5 ? ganz + 1 : ganz) / kPotenz[decimals];
      return value < 0 ? -r : r;
    }
  }
  Dezimal d = Zerlege(value, decimals);
  std::string t = d.ziffern.empty() ? "0" : d.ziffern;
  double r = std::strtod(t.c_str(), nullptr) / std::pow(10.0, decimals);
  return d.negativ ? -r : r;
}

std::string ZahlText(double value) { return ZahlText(value, tRegion); }

std::string ZahlText(double value, const Regionaleinstellungen& region) {
  if (value == 0.0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  std::string s = buf;
  if (s.find('e') != std::string::npos) {
    // Very large or small numbers: plain fixed notation with 15 significant digits.
    std::snprintf(buf, sizeof buf, "%.15f", value);
    s = buf;
    if (s.find('.') != std::string::npos) {
      while (s.back() == '0') s.pop_back();
      if (s.back() == '.') s.pop_back();
    }
  }
  std::size_t p = s.find('.');
  if (p != std::string::npos) s.replace(p, 1, region.dezimaltrennzeichen);
  return s;
}

}  // namespace gaeb

#include "base/zahlformat.h"

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

}  // namespace

const Regionaleinstellungen& AktuelleRegion() { return tRegion; }
void SetzeRegion(const Regionaleinstellungen& region) { tRegion = region; }

std::string FormatZahl(double value, std::string_view mask) { return FormatZahl(value, mask, tRegion); }

std::string FormatZahl(double value, std::string_view mask, const Regionaleinstellungen& region) {
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

#include "sheets/blatt.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "base/text.h"
#include "base/zahlformat.h"
#include "host/berechnung.h"

namespace gaeb::sheets {

namespace {

int Art(const host::Satz& s) { return s.Feld("Positionstyp").ToInt16(); }
int Strukturebene(int art) { return art == 20 ? 1 : art == 21 ? 2 : art == 22 ? 3 : 0; }
bool IstSummenzeile(int art) { return art == 60 || art == 70 || art == 80; }

Zelle Text(std::string t, bool fett = false) {
  Zelle z;
  z.art = t.empty() ? Zelle::Art::Leer : Zelle::Art::Text;
  z.text = std::move(t);
  z.fett = fett;
  return z;
}
Zelle Zahl(double w, Zelle::Format f = Zelle::Format::Standard, bool fett = false) {
  Zelle z;
  z.art = Zelle::Art::Zahl;
  z.zahl = w;
  z.format = f;
  z.fett = fett;
  return z;
}
Zelle Formel(std::string f, double wert, bool fett = false) {
  Zelle z;
  z.art = Zelle::Art::Formel;
  z.text = std::move(f);
  z.zahl = wert;
  z.format = Zelle::Format::Betrag;
  z.fett = fett;
  return z;
}
// A price cell: the user's input, empty while there is no price.
Zelle Eingabe(double w) {
  Zelle z = Zahl(w, Zelle::Format::Betrag);
  if (w == 0) z.art = Zelle::Art::Leer;
  z.eingabe = true;
  return z;
}

// "JJJJMMTT..." as "TT.MM.JJJJ"; another text unchanged.
std::string Datum(const std::string& jmt) {
  if (jmt.size() < 8 || jmt.find_first_not_of("0123456789") < 8) return jmt;
  return jmt.substr(6, 2) + "." + jmt.substr(4, 2) + "." + jmt.substr(0, 4);
}

std::string ErsteZeile(const std::string& s) { return s.substr(0, s.find_first_of("\r\n")); }

std::string Kennzeichen(const host::Satz& p) {
  const int art = Art(p);
  std::string k;
  auto dazu = [&](const char* w) { k += (k.empty() ? "" : ", ") + std::string(w); };
  switch (art) {
    case 20: return "Los";
    case 21: return "Gewerk";
    case 22: return "Titel";
    case 45: dazu("Paket"); break;
    case 47: return "Paketteil";
    case 50: return "Text";
    case 60: return "Zwischensumme";
    case 70:
    case 80: {
      std::string name = art == 70 ? "Zuschlag" : "Nachlass";
      double prozent = p.Feld("AufAbschlagProzent").ToDouble();
      if (prozent == 100.0 && p.Feld("Einzelpreis").ToDouble() != 0.0) return name;
      return name + " " + ZahlText(prozent) + " %";
    }
    default: break;
  }
  if (p.Feld("Alternativposition").ToBool()) dazu("Alternativ");
  if (p.Feld("Bedarfsposition").ToBool()) dazu("Bedarf");
  if (p.Feld("Pauschalpreis").ToBool()) dazu("Pauschal");
  return k;
}

}  // namespace

std::string BelegText(std::int16_t belegart, std::int32_t belegnummer) {
  return "Belegart " + std::to_string(belegart) + ", Nummer " + std::to_string(belegnummer);
}

Spalten::Spalten(std::vector<std::string> namen) : anteile(std::move(namen)) {
  ep = Anteil(anteile.size());
  gp = ep + 1;
  zählt = gp + 1;
}

std::vector<std::string> Spalten::Köpfe() const {
  std::vector<std::string> k = {kKopfSchlüssel, kKopfOZ, "Kurztext", "Art", "Menge", "Einheit", "PE"};
  for (const std::string& a : anteile) k.push_back(a);
  for (const char* w : {kKopfEinheitspreis, "Gesamtpreis", "in Summe"}) k.push_back(w);
  return k;
}

std::string Spaltenname(int spalte) {
  std::string s;
  for (int n = spalte + 1; n > 0; n = (n - 1) / 26) s.insert(s.begin(), static_cast<char>('A' + (n - 1) % 26));
  return s;
}

Blattinhalt::Blattinhalt(const host::Dokument& d)
    : d_(d), spalten_(host::Preisanteile(d.kopf)), positionen_(d.positionen.size()) {
  const host::Satz& k = d.kopf;
  auto erstes = [&](std::initializer_list<const char*> felder) {
    for (const char* f : felder)
      if (std::string w = k.Feld(f).ToString(); !w.empty()) return w;
    return std::string();
  };
  std::string währung = k.Feld("Währung").ToString();
  if (std::string bez = k.Feld("BezWährung").ToString(); !bez.empty()) währung += " (" + bez + ")";
  kopfblock_ = {{"Projekt", erstes({"Projektname", "Projektnummer"})},
                {"LV", erstes({"BezeichnungLV", "LVName"})},
                {"Währung", währung},
                {"Datum", Datum(erstes({"DatumLV", "Belegdatum"}))},
                {kBelegLabel, BelegText(d.belegart, d.belegnummer)}};

  // Where each area ends and which amount each sum row works on, as the host
  // computes them: an area runs to the next structure row of its level or an
  // outer one; a sum row works on the bill so far or on its open area.
  bereichsende_.assign(positionen_, positionen_);
  basis_.assign(positionen_, -1);
  std::array<long, 4> offen{-1, -1, -1, -1};
  for (std::size_t i = 0; i < positionen_; ++i) {
    const int art = Art(d.positionen[i]);
    if (int s = Strukturebene(art); s > 0) {
      for (int l = 3; l >= s; --l) {
        if (offen[l] >= 0) bereichsende_[static_cast<std::size_t>(offen[l])] = i;
        offen[l] = -1;
      }
      offen[s] = static_cast<long>(i);
    } else if (IstSummenzeile(art)) {
      int bezug = d.positionen[i].Feld("WelcherBetragZuAbschlag").ToInt16();
      if (bezug < 1 || bezug > 3) basis_[i] = 0;
      else if (offen[bezug] >= 0) basis_[i] = offen[bezug] + 1;
    }
  }
}

std::string Blattinhalt::Z(int spalte, std::size_t i) const {
  return Spaltenname(spalte) + std::to_string(kErstePosition + i + 1);
}

std::string Blattinhalt::Summe(std::size_t von, std::size_t bis, bool nurBereiche) const {
  const std::string a = std::to_string(kErstePosition + von + 1), b = std::to_string(kErstePosition + bis);
  const std::string z = Spaltenname(spalten_.zählt), g = Spaltenname(spalten_.gp);
  return "SUMIF(" + z + a + ":" + z + b + (nurBereiche ? ",1," : ",\">0\",") + g + a + ":" + g + b + ")";
}

void Blattinhalt::Zeile(std::size_t z, Blattzeile& zellen) const {
  zellen.assign(static_cast<std::size_t>(spalten_.Anzahl()), Zelle{});
  const auto at = [&](int spalte) -> Zelle& { return zellen[static_cast<std::size_t>(spalte)]; };
  if (z < kopfblock_.size()) {
    at(Spalten::kOZ) = Text(kopfblock_[z].first, true);
    at(Spalten::kKurztext) = Text(kopfblock_[z].second);
  } else if (z == Kopfzeile()) {
    std::vector<std::string> köpfe = spalten_.Köpfe();
    for (std::size_t s = 0; s < köpfe.size(); ++s) zellen[s] = Text(köpfe[s], true);
  } else if (z >= kErstePosition && z < kErstePosition + positionen_) {
    Position(z - kErstePosition, zellen);
  } else if (z > kErstePosition + positionen_) {
    // The bill's totals as the host's totals row holds them.
    const std::size_t n = z - kErstePosition - positionen_ - 1;
    const host::Satz* summe = nullptr;
    for (const host::Satz& s : d_.schlusszeilen)
      if (Art(s) == 90) summe = &s;
    double netto = summe ? summe->Feld("Summe").ToDouble() : 0, ust = summe ? summe->Feld("UST").ToDouble() : 0;
    double steuer = summe ? summe->Feld("USTBetrag").ToDouble() : 0;
    const std::string g = Spaltenname(spalten_.gp), zn = std::to_string(z + 1 - n);
    if (n == 0) {
      at(Spalten::kKurztext) = Text("Summe netto", true);
      at(spalten_.gp) = Formel("ROUND(" + (positionen_ ? Summe(0, positionen_, false) : "0") + ",2)", netto, true);
    } else if (n == 1) {
      at(Spalten::kKurztext) = Text("Umsatzsteuer " + ZahlText(ust) + " %");
      at(spalten_.gp) = Formel("ROUND(" + g + zn + "*" + ZahlText(ust, {".", ""}) + "/100,2)", steuer);
    } else {
      at(Spalten::kKurztext) = Text("Summe brutto", true);
      const std::string u = std::to_string(z);
      at(spalten_.gp) = Formel("ROUND(" + g + zn + "+" + g + u + ",2)", Runde(netto + steuer, 2), true);
    }
  }
}

void Blattinhalt::Position(std::size_t i, Blattzeile& zellen) const {
  const host::Satz& p = d_.positionen[i];
  const int art = Art(p);
  const bool fett = Strukturebene(art) > 0 || art == 60;
  const auto at = [&](int spalte) -> Zelle& { return zellen[static_cast<std::size_t>(spalte)]; };
  const Spalten& s = spalten_;
  at(Spalten::kSchlüssel) = Zahl(static_cast<double>(i));
  at(Spalten::kOZ) = Text(p.Feld("Positionsnummer").ToString(), fett);
  at(Spalten::kKurztext) =
      Text(text::EineZeile(art == 50 ? ErsteZeile(p.Feld("Langtext").ToString()) : p.Feld("Kurztext1").ToString()),
           fett);
  at(Spalten::kArt) = Text(Kennzeichen(p), fett);
  const Summenanteil anteil = host::AnteilInSummen(p);
  at(s.zählt) = Zahl(anteil == Summenanteil::BereicheUndLV ? 1 : anteil == Summenanteil::NurLV ? 2 : 0);
  const double ep = p.Feld("Einzelpreis").ToDouble(), gp = p.Feld("Gesamtpreis").ToDouble();

  if (art == 40 || art == 45 || art == 47) {
    double pe = p.Feld("Preiseinheit").ToDouble();
    at(Spalten::kMenge) = Zahl(p.Feld("Menge").ToDouble(), Zelle::Format::Menge);
    at(Spalten::kEinheit) = Text(p.Feld("Mengeneinheit").ToString());
    at(Spalten::kPE) = Zahl(pe == 0 ? 1 : pe);
    if (art == 45) {
      std::size_t ende = i + 1;
      while (ende < positionen_ && Art(d_.positionen[ende]) == 47) ++ende;
      at(s.ep) = ende > i + 1 ? Formel("ROUND(SUM(" + Z(s.gp, i + 1) + ":" + Z(s.gp, ende - 1) + "),2)", ep)
                              : Zahl(ep, Zelle::Format::Betrag);
    } else if (s.anteile.empty()) {
      at(s.ep) = Eingabe(ep);
    } else {
      at(s.Anteil(0)) = Eingabe(p.Feld("Materialpreis").ToDouble());
      at(s.Anteil(1)) = Eingabe(p.Feld("Lohnpreis").ToDouble());
      at(s.ep) = Formel(Z(s.Anteil(0), i) + "+" + Z(s.Anteil(1), i), ep);
    }
    at(s.gp) = Formel("ROUND(" + Z(Spalten::kMenge, i) + "*" + Z(s.ep, i) + "/" + Z(Spalten::kPE, i) + ",2)", gp);
  } else if (Strukturebene(art) > 0) {
    const std::size_t ende = bereichsende_[i];
    at(s.gp) = ende > i + 1 ? Formel("ROUND(" + Summe(i + 1, ende, true) + ",2)", gp, true)
                            : Zahl(0, Zelle::Format::Betrag, true);
  } else if (IstSummenzeile(art)) {
    const long basis = basis_[i];
    const int bezug = p.Feld("WelcherBetragZuAbschlag").ToInt16();
    const std::string betrag = basis >= 0 && static_cast<std::size_t>(basis) < i
                                   ? Summe(static_cast<std::size_t>(basis), i, bezug >= 1 && bezug <= 3)
                                   : std::string("0");
    if (art == 60) {
      // A subtotal shows the amount so far (the host keeps it as its unit price).
      at(s.gp) = Formel("ROUND(" + betrag + ",2)", ep, true);
    } else if (p.Feld("AufAbschlagProzent").ToDouble() == 100.0 && ep != 0.0) {
      at(s.gp) = Zahl(gp, Zelle::Format::Betrag);  // a fixed amount
    } else {
      const std::string prozent = ZahlText(p.Feld("AufAbschlagProzent").ToDouble(), {".", ""});
      const std::string f = "ROUND(" + betrag + "*" + prozent + "/100,2)";
      at(s.gp) = Formel(art == 80 ? "-ABS(" + f + ")" : f, gp);
    }
  }
}

void Tabellensammler::Zeile(std::size_t nummer) {
  Abschluss();
  t_.push_back(Lesezeile{nummer, {}});
  offen_ = true;
}

void Tabellensammler::Zelle(int spalte, Lesezelle zelle) {
  if (!offen_ || spalte < 0) return;
  const auto s = static_cast<std::size_t>(spalte);
  if (s < weg_.size() && weg_[s]) return;
  std::vector<Lesezelle>& zellen = t_.back().zellen;
  if (zellen.size() <= s) zellen.resize(s + 1);
  zellen[s] = std::move(zelle);
}

void Tabellensammler::Abschluss() {
  if (!offen_) return;
  offen_ = false;
  Lesezeile& z = t_.back();
  if (z.zellen.empty()) {
    t_.pop_back();
    return;
  }
  if (!weg_.empty() || z.zellen[0].text != kKopfSchlüssel) return;
  static const std::vector<std::string> kUngelesen = {"Kurztext", "Art", "Menge", "Einheit", "PE", "Gesamtpreis",
                                                      "in Summe"};
  weg_.resize(z.zellen.size());
  for (std::size_t c = 0; c < z.zellen.size(); ++c)
    weg_[c] = std::find(kUngelesen.begin(), kUngelesen.end(), z.zellen[c].text) != kUngelesen.end();
}

Tabelle Tabellensammler::Ergebnis() {
  Abschluss();
  return std::move(t_);
}

bool DeutscheZahl(std::string_view t, double& wert) {
  std::string s;
  for (std::size_t i = 0; i < t.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(t[i]);
    if (c == ' ' || c == '\t') continue;
    if (c == 0xC2 && i + 1 < t.size() && static_cast<unsigned char>(t[i + 1]) == 0xA0) {  // no-break space
      ++i;
      continue;
    }
    if (t.substr(i, 3) == "\xE2\x82\xAC") {  // €
      i += 2;
      continue;
    }
    s += static_cast<char>(c);
  }
  if (s.empty()) return false;
  std::size_t komma = s.find(',');
  std::string ganz = s.substr(0, komma), rest = komma == std::string::npos ? "" : s.substr(komma + 1);
  if (komma != std::string::npos && rest.find_first_of(",.") != std::string::npos) return false;
  if (ganz.find('.') != std::string::npos) {
    // Points group thousands ("1.234.567"); without a comma a single point
    // followed by other than three digits is taken as the decimal point.
    std::size_t start = (ganz[0] == '-' || ganz[0] == '+') ? 1 : 0;
    bool gruppen = ganz.find('.') > start && ganz.find('.') - start <= 3;
    for (std::size_t p = ganz.find('.'); gruppen && p != std::string::npos; p = ganz.find('.', p + 1))
      gruppen = ganz.size() >= p + 4 && (ganz.size() == p + 4 || ganz[p + 4] == '.');
    if (gruppen) {
      ganz.erase(std::remove(ganz.begin(), ganz.end(), '.'), ganz.end());
    } else if (komma != std::string::npos || std::count(ganz.begin(), ganz.end(), '.') != 1) {
      return false;
    } else {
      rest = ganz.substr(ganz.find('.') + 1);
      ganz = ganz.substr(0, ganz.find('.'));
      komma = 0;
    }
  }
  std::string zahl = ganz + (komma != std::string::npos ? "." + rest : "");
  if (!zahl.empty() && zahl[0] == '+') zahl.erase(0, 1);
  const char* ende = zahl.data() + zahl.size();
  auto [ptr, ec] = std::from_chars(zahl.data(), ende, wert);
  return ec == std::errc() && ptr == ende && std::isfinite(wert) && zahl.find_first_of("eEnN") == std::string::npos;
}

}  // namespace gaeb::sheets

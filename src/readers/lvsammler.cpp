#include "readers/lvsammler.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "core/summenregel.h"

namespace gaeb::readers {

std::string LetzterTeil(const std::string& oz) {
  std::size_t p = oz.rfind('.');
  return p == std::string::npos ? oz : oz.substr(p + 1);
}

Importzeile& Lvsammler::Bereich(int tiefe, const std::string& oz) {
  Importzeile& z = Neu(40);
  Setze(z, "Positionsnummer", Variant(oz));
  bereiche_.push_back({zeilen_.size() - 1, tiefe});
  if (längsteTeile_.size() < static_cast<std::size_t>(tiefe)) längsteTeile_.resize(tiefe, 0);
  int& l = längsteTeile_[tiefe - 1];
  l = std::max(l, static_cast<int>(text::Länge(LetzterTeil(oz))));
  return z;
}

Importzeile& Lvsammler::Summe(int tiefe) {
  Importzeile& z = Neu(60);
  // An area's sub-kind (not 0, the whole bill's) until Fertig settles its level.
  Setze(z, "WelcherBetragZuAbschlag", Variant(static_cast<std::int16_t>(tiefe)));
  summen_.push_back({zeilen_.size() - 1, tiefe});
  return z;
}

Importzeile& Lvsammler::Neu(std::int16_t positionstyp) {
  zeilen_.push_back(Zeile(positionstyp));
  zeilen_.back().reserve(8);  // the properties of an item with prices and a short text
  return zeilen_.back();
}

Importzeile& Lvsammler::Schluss() {
  schluss_.push_back(Zeile(140));
  return schluss_.back();
}

bool Lvsammler::Gezählt(const Importzeile& z) {
  const std::int32_t typ = Wert(z, "Positionstyp").ToInt32();
  if (typ == 40 && Wert(z, "HierarchieEbene").ToInt32() != 4) return false;  // an area, before Fertig
  return AnteilInSummen(typ, Wert(z, "Alternativposition").ToBool(), Wert(z, "WelcherBetragZuAbschlag").ToInt32()) ==
         Summenanteil::BereicheUndLV;
}

double Lvsammler::GezählteSumme() const {
  double summe = 0;
  for (const Importzeile& z : zeilen_)
    if (Gezählt(z)) summe += Wert(z, "Gesamtpreis").ToDouble();
  return summe;
}

void Lvsammler::Ungezählte(const std::vector<std::size_t>& zeilen, double summe) {
  double gezählt = 0;
  for (std::size_t i : zeilen)
    if (Gezählt(zeilen_[i])) gezählt += Wert(zeilen_[i], "Gesamtpreis").ToDouble();
  const double über = gezählt - summe;
  if (über < 0.005) return;
  for (std::size_t i : zeilen) {
    if (Gezählt(zeilen_[i]) && std::fabs(Wert(zeilen_[i], "Gesamtpreis").ToDouble() - über) < 0.005) {
      // Contingency without total amount: counted in no total, as it was not.
      Setze(zeilen_[i], "Bedarfsposition", Variant(true));
      Setze(zeilen_[i], "Alternativposition", Variant(true));
      return;
    }
  }
}

namespace {

double Runde2(double d) { return std::round(d * 100) / 100; }

void Gesamtzuschlag(Importzeile& z, double prozent) {
  const bool nachlass = prozent > 0;
  Setze(z, "Kurztext1", Variant(std::string(nachlass ? "Nachlass" : "Zuschlag")));
  Setze(z, "AufAbschlagProzent", Variant(std::fabs(prozent)));
  Setze(z, "WelcherBetragZuAbschlag", Variant(static_cast<std::int16_t>(0)));
}

}  // namespace

void Lvsammler::GanzesLv(double nachlass, double summe, bool summeBekannt) {
  if (summeBekannt && summe != 0) {
    const double basis = Runde2(GezählteSumme());
    const double rest = Runde2(summe - basis);
    if (std::fabs(rest) >= 0.005 && basis != 0) {
      Importzeile& z = Neu(rest < 0 ? 80 : 70);
      const double prozent = Runde2(std::fabs(rest) / basis * 100);
      Gesamtzuschlag(z, rest < 0 ? prozent : -prozent);
      // A percentage that does not give the amount back: the amount itself.
      if (Runde2(basis * prozent / 100) != std::fabs(rest)) {
        Setze(z, "AufAbschlagProzent", Variant(100.0));
        Setze(z, "AufAbschlagBetrag", Variant(std::fabs(rest)));
      }
    }
  }
  if (nachlass != 0) Gesamtzuschlag(Neu(nachlass > 0 ? 80 : 70), nachlass);
}

namespace {

// One part of an OZ in the form of its level of länge characters: digits
// right-aligned with zeros (a file's fill blanks dropped), a blank part as
// blanks, anything else as it is.
void Teil(std::string_view teil, int länge, std::string& aus) {
  std::size_t a = teil.find_first_not_of(' '), e = teil.find_last_not_of(' ');
  if (a == std::string_view::npos) {
    aus.append(static_cast<std::size_t>(länge), ' ');
    return;
  }
  std::string_view t = teil.substr(a, e - a + 1);
  if (t.find_first_not_of("0123456789") != std::string_view::npos) {
    aus += teil;
    return;
  }
  if (t.size() < static_cast<std::size_t>(länge)) aus.append(länge - t.size(), '0');
  aus += t;
}

// The part is already in the form Teil gives.
bool TeilFertig(std::string_view teil, int länge) {
  if (teil.empty() || teil.front() == ' ' || teil.back() == ' ')
    return teil.find_first_not_of(' ') != std::string_view::npos ? teil.find_first_not_of("0123456789 ") != std::string_view::npos
                                                                  : teil.size() == static_cast<std::size_t>(länge);
  return teil.find_first_not_of("0123456789") != std::string_view::npos || teil.size() >= static_cast<std::size_t>(länge);
}

}  // namespace

void Lvsammler::Ordnungszahlen(const std::vector<int>& längen, int positionLänge) {
  const std::size_t stufen = längen.size();
  std::size_t nächster = 0;
  std::size_t tiefe = 0;  // of the area the rows stand in
  std::vector<std::string_view> teile;
  std::string neu;
  for (std::size_t i = 0; i < zeilen_.size(); ++i) {
    Importzeile& z = zeilen_[i];
    const bool bereich = nächster < bereiche_.size() && bereiche_[nächster].zeile == i;
    if (bereich) tiefe = static_cast<std::size_t>(bereiche_[nächster++].tiefe);
    const std::int32_t typ = z.front().second.ToInt32();  // every row starts with its Positionstyp
    if (!bereich && typ != 40 && typ != 45 && typ != 47 && typ != 70 && typ != 80) continue;
    const std::string oz = Wert(z, "Positionsnummer").ToString();
    if (oz.empty()) continue;
    teile.clear();
    for (std::size_t a = 0;;) {
      std::size_t e = oz.find('.', a);
      teile.push_back(std::string_view(oz).substr(a, e == std::string::npos ? std::string::npos : e - a));
      if (e == std::string::npos) break;
      a = e + 1;
    }
    if (bereich) {
      if (teile.size() != tiefe) continue;
    } else {
      // An item at a shallower depth than the breakdown: a blank part for
      // each level it skips, unless the reader wrote them.
      if (tiefe < stufen && teile.size() == tiefe + 1)
        teile.insert(teile.begin() + static_cast<std::ptrdiff_t>(tiefe), stufen - tiefe, std::string_view());
      if (teile.size() != stufen + 1 && teile.size() != stufen + 2) continue;
    }
    auto länge = [&](std::size_t t) { return t < stufen ? längen[t] : t == stufen ? positionLänge : -1; };
    bool fertig = true;
    for (std::size_t t = 0; t < teile.size() && fertig; ++t) fertig = länge(t) < 0 || TeilFertig(teile[t], länge(t));
    if (fertig && teile.size() == static_cast<std::size_t>(std::count(oz.begin(), oz.end(), '.')) + 1) continue;
    neu.clear();
    for (std::size_t t = 0; t < teile.size(); ++t) {
      if (t) neu += '.';
      if (länge(t) < 0) neu += teile[t];
      else Teil(teile[t], länge(t), neu);
    }
    Setze(z, "Positionsnummer", Variant(neu));
  }
}

std::vector<Importzeile> Lvsammler::Fertig(const Gliederung& g) {
  const int beschrieben = static_cast<int>(g.bereichLängen.size());
  int tiefste = 0;
  for (const Bereichsinfo& b : bereiche_) tiefste = std::max(tiefste, b.tiefe);
  const int stufen = std::max(beschrieben, tiefste);
  const bool mitLos = g.losBekannt ? g.mitLos : stufen == 3 && beschrieben < 3 && tiefste == 3;
  auto ebene = [&](int tiefe) { return static_cast<std::int16_t>(stufen <= 3 ? 3 - stufen + tiefe : std::min(tiefe, 3)); };
  for (const Bereichsinfo& b : bereiche_) Setze(zeilen_[b.zeile], "HierarchieEbene", Variant(ebene(b.tiefe)));
  for (const Bereichsinfo& b : summen_) Setze(zeilen_[b.zeile], "WelcherBetragZuAbschlag", Variant(ebene(b.tiefe)));
  // Lengths per depth: described ones, the rest from the numbers seen.
  std::vector<int> längen(std::min(stufen, 3), 0);
  const int versatz = mitLos ? 1 : 0;  // the lot level is not among the described ones
  for (int t = 0; t < static_cast<int>(längen.size()); ++t) {
    int i = g.losBekannt ? t : t - versatz;
    if (i >= 0 && i < beschrieben) längen[t] = g.bereichLängen[i];
    else if (t < static_cast<int>(längsteTeile_.size())) längen[t] = längsteTeile_[t];
    längen[t] = std::clamp(längen[t], 0, 9);
  }
  std::string maske, stufenText;
  for (int t = 0; t < static_cast<int>(längen.size()); ++t) maske += std::string(längen[t], static_cast<char>('1' + t));
  for (int t = versatz; t < versatz + 3; ++t)
    stufenText += t < static_cast<int>(längen.size()) ? static_cast<char>('0' + längen[t]) : '0';
  int pos = std::clamp(g.positionLänge, 0, 9), index = std::clamp(g.indexLänge, 0, 9);
  maske += std::string(pos, 'P') + std::string(index, 'I');
  stufenText += static_cast<char>('0' + pos);
  stufenText += static_cast<char>('0' + index);
  if (stufen <= 3) Ordnungszahlen(längen, pos);
  if (!maske.empty()) Setze(kopf, "OZMaske", Variant(maske));
  Setze(kopf, "OZStufen", Variant(stufenText));
  if (mitLos) Setze(kopf, "MitLos", Variant(true));

  std::vector<Importzeile> alle;
  alle.reserve(zeilen_.size() + schluss_.size() + 2);
  alle.push_back(std::move(kopf));
  for (Importzeile& z : zeilen_)
    if (Wert(z, "Positionstyp").ToInt32() != 0) alle.push_back(std::move(z));
  for (Importzeile& z : schluss_) alle.push_back(std::move(z));
  alle.push_back(Zeile(90));
  zeilen_.clear();
  schluss_.clear();
  bereiche_.clear();
  summen_.clear();
  return alle;
}

}  // namespace gaeb::readers

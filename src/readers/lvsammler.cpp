#include "readers/lvsammler.h"

#include <algorithm>

#include "base/text.h"

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
  summen_.push_back({zeilen_.size() - 1, tiefe});
  return z;
}

Importzeile& Lvsammler::Neu(std::int16_t positionstyp) {
  zeilen_.push_back(Zeile(positionstyp));
  return zeilen_.back();
}

Importzeile& Lvsammler::Schluss() {
  schluss_.push_back(Zeile(140));
  return schluss_.back();
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
  if (!maske.empty()) Setze(kopf, "OZMaske", Variant(maske));
  Setze(kopf, "OZStufen", Variant(stufenText));
  if (mitLos) Setze(kopf, "MitLos", Variant(true));

  std::vector<Importzeile> alle;
  alle.reserve(zeilen_.size() + schluss_.size() + 2);
  alle.push_back(std::move(kopf));
  for (Importzeile& z : zeilen_) alle.push_back(std::move(z));
  for (Importzeile& z : schluss_) alle.push_back(std::move(z));
  alle.push_back(Zeile(90));
  zeilen_.clear();
  schluss_.clear();
  bereiche_.clear();
  summen_.clear();
  return alle;
}

}  // namespace gaeb::readers

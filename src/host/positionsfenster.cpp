#include "host/positionsfenster.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace gaeb::host {

Positionsfenster::Positionsfenster(Verbindung& v, Dokument& d, const std::function<void(const Satz&)>& jede)
    : v_(v), belegart_(d.belegart), belegnummer_(d.belegnummer) {
  berechnet_.reserve(static_cast<std::size_t>(AnzahlPositionen(v, belegart_, belegnummer_)));
  Rechenlauf lauf([&](std::size_t i, Rechenfeld f, double wert) {
    Berechnet& b = berechnet_[i];
    switch (f) {
      case Rechenfeld::Gesamtpreis: b.gesamtpreis = wert; break;
      case Rechenfeld::Einzelpreis: b.einzelpreis = wert; break;
      case Rechenfeld::HierarchieEbene: b.ebene = static_cast<std::int16_t>(wert); break;
    }
    b.gesetzt |= static_cast<std::uint8_t>(1u << static_cast<unsigned>(f));
  });
  LesePositionen(
      v, belegart_, belegnummer_, 0, -1,
      [&](Satz& zeile, std::int32_t nummer) {
        const std::size_t i = berechnet_.size();
        if (i % kSeite == 0) seitenanfang_.push_back(nummer);
        berechnet_.emplace_back();
        jede(zeile);
        lauf.Zeile(i, zeile);
      },
      Rechenlauf::kFelder);
  SetzeSchlusszeilen(d, lauf.Ende());
}

void Positionsfenster::Bereite(Satz& zeile, std::int32_t index) const {
  const Berechnet& b = berechnet_[static_cast<std::size_t>(index)];
  for (Rechenfeld f : {Rechenfeld::HierarchieEbene, Rechenfeld::Einzelpreis, Rechenfeld::Gesamtpreis}) {
    if (!(b.gesetzt & (1u << static_cast<unsigned>(f)))) continue;
    const double wert = f == Rechenfeld::Gesamtpreis ? b.gesamtpreis : f == Rechenfeld::Einzelpreis ? b.einzelpreis : b.ebene;
    SetzeRechenfeld(zeile, f, wert);
  }
  if (nachLaden_) nachLaden_(zeile);
}

void Positionsfenster::Lade(Seite& seite, std::int32_t nummer, std::span<const std::string_view> nur) {
  seite.nummer = -1;
  seite.zeilen.clear();
  const std::int32_t erste = nummer * kSeite;
  LesePositionen(v_, belegart_, belegnummer_, seitenanfang_[static_cast<std::size_t>(nummer)], kSeite,
                 [&](Satz& zeile, std::int32_t) {
                   Bereite(zeile, erste + static_cast<std::int32_t>(seite.zeilen.size()));
                   seite.zeilen.push_back(std::move(zeile));
                 },
                 nur);
  seite.nummer = nummer;
}

Satz& Positionsfenster::Zeile(std::int32_t index) {
  const std::int32_t nummer = index / kSeite;
  if (seiten_[zuletzt_].nummer != nummer) {
    zuletzt_ = 1 - zuletzt_;
    if (seiten_[zuletzt_].nummer != nummer) Lade(seiten_[zuletzt_], nummer);
  }
  return seiten_[zuletzt_].zeilen.at(static_cast<std::size_t>(index % kSeite));
}

Variant Positionsfenster::Feld(std::int32_t index, std::string_view name) {
  const std::int32_t nummer = index / kSeite;
  const std::size_t i = static_cast<std::size_t>(index % kSeite);
  for (const Seite& s : seiten_)
    if (s.nummer == nummer) return s.zeilen.at(i).Feld(name);
  // A walk that has just read the whole rows of the page before goes on
  // reading whole rows: the page is read whole at once, not twice.
  const bool weiter = seiten_[zuletzt_].nummer >= 0 && seiten_[zuletzt_].nummer == nummer - 1;
  if (weiter || std::find(std::begin(kKurz), std::end(kKurz), name) == std::end(kKurz)) return Zeile(index).Feld(name);
  if (kurz_.nummer != nummer) Lade(kurz_, nummer, kKurz);
  return kurz_.zeilen.at(i).Feld(name);
}

void Positionsfenster::NachLaden(std::function<void(Satz&)> f) {
  nachLaden_ = std::move(f);
  for (Seite* s : {&seiten_[0], &seiten_[1], &kurz_})
    for (Satz& z : s->zeilen) nachLaden_(z);
}

std::vector<Satz> Positionsfenster::Alle() {
  std::vector<Satz> alle;
  alle.reserve(berechnet_.size());
  LesePositionen(v_, belegart_, belegnummer_, 0, -1, [&](Satz& zeile, std::int32_t) {
    const std::int32_t i = static_cast<std::int32_t>(alle.size());
    const Seite& s = seiten_[0].nummer == i / kSeite ? seiten_[0] : seiten_[1];
    if (s.nummer == i / kSeite) {
      alle.push_back(s.zeilen.at(static_cast<std::size_t>(i % kSeite)));
    } else {
      Bereite(zeile, i);
      alle.push_back(std::move(zeile));
    }
  });
  return alle;
}

}  // namespace gaeb::host

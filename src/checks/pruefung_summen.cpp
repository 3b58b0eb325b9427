// gaeb validate: the findings of a run and the rules on totals every format
// shares (total-item, total-category, total-bill) on the totals tree the pass
// of a format builds.
#include <cmath>
#include <cstdint>

#include "base/zahlformat.h"
#include "checks/pruefung.h"
#include "core/summenregel.h"

namespace gaeb::checks {

void Befundliste::Neu(std::string_view regel, std::size_t zeile, std::string pfad, std::string text, bool hinweis) {
  auto it = anzahl_.find(regel);
  if (it == anzahl_.end()) it = anzahl_.emplace(std::string(regel), 0).first;
  if (++it->second > kHöchstensJeRegel) return;
  befunde_.push_back({std::string(regel), zeile, std::move(pfad), std::move(text), hinweis});
}

bool Befundliste::Nimmt(std::string_view regel) const {
  auto it = anzahl_.find(regel);
  return it == anzahl_.end() || it->second < kHöchstensJeRegel;
}

std::vector<Befund> Befundliste::Ende() {
  for (const auto& [regel, n] : anzahl_)
    if (n > kHöchstensJeRegel)
      befunde_.push_back({regel, 0, "", std::to_string(n - kHöchstensJeRegel) + " weitere Befunde dieser Regel", false});
  anzahl_.clear();
  return std::move(befunde_);
}

int Vorkommastellen(std::string_view zahl) {
  int n = 0;
  bool führend = true;
  for (char c : zahl) {
    if (c == '.' || c == ',') break;
    if (c < '0' || c > '9') continue;
    if (führend && c == '0') continue;
    führend = false;
    ++n;
  }
  return n;
}

// ---- totals ----

// What counts is the host's rule (core/summenregel.h), so that validate
// expects the totals the host computes. The tree marks alternative items and
// contingency items without total amount apart; the host marks both with its
// alternative flag. A surcharge or discount in the tree is one on items or on
// a category: one on the whole bill is no child of a category but part of the
// bill's total (its discount and the total after it).
bool ZähltInSumme(const Summenknoten& k) {
  using Art = Summenknoten::Art;
  if (k.art != Art::Posten && k.art != Art::Zuschlag) return false;
  const std::int32_t positionstyp = k.art == Art::Posten ? 40 : 70;
  const std::int32_t unterart = 1;  // on items or a category, never on the whole bill
  return AnteilInSummen(positionstyp, k.alternativ || k.bedarfOhneSumme, unterart) == Summenanteil::BereicheUndLV;
}

namespace {

// Amounts as the lists print them ("1.234,50").
std::string Betrag(double wert) { return FormatZahl(wert, "#,##0.00"); }

double Cent(double v) { return std::round(v * 100) / 100; }
bool Gleich(double a, double b, double toleranz) { return std::fabs(a - b) <= toleranz + 1e-6; }

std::string Name(const Summenknoten& k) {
  return k.art == Summenknoten::Art::Lv ? std::string("des LV") : "von " + (k.oz.empty() ? std::string("?") : k.oz);
}

// The amount of an item or item surcharge as its category sees it.
std::optional<double> Betragswert(const Summenknoten& k) {
  if (k.summe) return k.summe;
  if (k.art == Summenknoten::Art::Posten && k.menge && k.preis) return Cent(*k.menge * *k.preis / k.preiseinheit);
  return std::nullopt;
}

struct Teilsumme {
  double summe = 0;
  std::size_t posten = 0;  // counted items in it: the tolerance is 0.01 each
};

Teilsumme Prüfe(const Summenknoten& k, int datenart, Befundliste& b) {
  using Art = Summenknoten::Art;
  Teilsumme t;
  if (k.art == Art::Posten || k.art == Art::Zuschlag) {
    if (k.art == Art::Posten && k.menge && k.preis && k.summe && !k.ohnePrüfung && k.preiseinheit != 0) {
      const double soll = Cent(*k.menge * *k.preis / k.preiseinheit);
      if (!Gleich(*k.summe, soll, 0.01))
        b.Neu("total-item", k.zeile, k.pfad,
              "Gesamtbetrag " + Betrag(*k.summe) + " " + Name(k) + " ist nicht Menge x Einheitspreis = " + Betrag(soll));
    }
    t.summe = Betragswert(k).value_or(0);
    t.posten = 1;
    return t;
  }
  const char* regel = k.art == Art::Lv ? "total-bill" : "total-category";
  for (const Summenknoten& c : k.kinder) {
    Teilsumme u = Prüfe(c, datenart, b);
    if (c.art == Art::Bereich) {
      t.summe += c.summe.value_or(u.summe);
      t.posten += u.posten;
    } else if (ZähltInSumme(c)) {
      t.summe += u.summe;
      t.posten += 1;
    }
  }
  const double toleranz = 0.01 * static_cast<double>(std::max<std::size_t>(t.posten, 1));
  if (k.summe && !Gleich(*k.summe, t.summe, toleranz)) {
    // A bid carries no marks of alternative and contingency items, but its
    // category totals leave them out: a total below the sum of the items is
    // explained by such items.
    const bool erklärt = datenart == 84 && *k.summe < t.summe && k.art == Art::Bereich;
    const bool ganzesLv = k.art == Art::Lv && (k.nachlassProzent.value_or(0) != 0 || k.nachlassBetrag.value_or(0) != 0);
    if (!erklärt)
      b.Neu(regel, k.zeile, k.pfad,
            "Summe " + Betrag(*k.summe) + " " + Name(k) + " ist nicht die Summe der gezählten Positionen " +
                Betrag(t.summe) +
                (ganzesLv ? " (die Datei trägt nur den letzten Zuschlag oder Nachlass auf das ganze LV; die Differenz "
                            "kann ein Zuschlag oder Nachlass davor sein)"
                          : ""),
            ganzesLv);
  }
  const double basis = k.summe.value_or(t.summe);
  double nach = basis;
  if (k.nachlassProzent || k.nachlassBetrag) nach = Cent(basis * (1 - k.nachlassProzent.value_or(0) / 100) - k.nachlassBetrag.value_or(0));
  if (k.summeNachNachlass) {
    if (!Gleich(*k.summeNachNachlass, nach, 0.01))
      b.Neu(regel, k.zeile, k.pfad,
            "Summe nach Nachlass " + Betrag(*k.summeNachNachlass) + " " + Name(k) + " ist nicht " + Betrag(nach));
    nach = *k.summeNachNachlass;
  }
  if (k.brutto && k.mwst) {
    const double soll = Cent(nach * (1 + *k.mwst / 100));
    if (!Gleich(*k.brutto, soll, 0.01))
      b.Neu(regel, k.zeile, k.pfad, "Bruttosumme " + Betrag(*k.brutto) + " " + Name(k) + " ist nicht " + Betrag(nach) +
                                        " zuzüglich " + Betrag(*k.mwst) + " % = " + Betrag(soll));
  }
  return t;
}

}  // namespace

void PrüfeSummen(const Summenknoten& lv, int datenart, Befundliste& befunde) { Prüfe(lv, datenart, befunde); }

}  // namespace gaeb::checks

#include "host/berechnung.h"

#include <array>
#include <utility>

#include "base/fehler.h"
#include "base/zahlformat.h"

namespace gaeb::host {

namespace {

double D(const Satz& s, const char* f) { return s.Feld(f).ToDouble(); }
int Art(const Satz& s) { return s.Feld("Positionstyp").ToInt16(); }

double Gesamt(double menge, double ep, double pe) { return Runde(menge * ep / (pe == 0.0 ? 1.0 : pe), 2); }

}  // namespace

Summenanteil AnteilInSummen(const Satz& s) {
  return gaeb::AnteilInSummen(Art(s), s.Feld("Alternativposition").ToBool(), s.Feld("WelcherBetragZuAbschlag").ToInt16());
}

bool ZähltInSummen(const Satz& s) { return AnteilInSummen(s) != Summenanteil::Keiner; }

namespace {

int Strukturebene(int art) { return art == 20 ? 1 : art == 21 ? 2 : art == 22 ? 3 : 0; }

}  // namespace

bool BerechnePosition(Dokument& d, std::size_t index) {
  if (index >= d.positionen.size()) return false;
  Satz& p = d.positionen[index];
  int art = Art(p);
  if (art == 40 || art == 47) {
    p.SetzeFeld("Gesamtpreis", Gesamt(D(p, "Menge"), D(p, "Einzelpreis"), D(p, "Preiseinheit")));
    return true;
  }
  if (art == 45) {
    double ep = 0.0;
    for (std::size_t j = index + 1; j < d.positionen.size() && Art(d.positionen[j]) == 47; ++j) {
      BerechnePosition(d, j);
      ep += D(d.positionen[j], "Gesamtpreis");
    }
    p.SetzeFeld("Einzelpreis", Runde(ep, 2));
    p.SetzeFeld("Gesamtpreis", Gesamt(D(p, "Menge"), ep, D(p, "Preiseinheit")));
    return true;
  }
  return false;
}

Rechenlauf::Rechenlauf(Setzer setze) : setze_(std::move(setze)) {}

void Rechenlauf::SchließeAb(int level) {
  for (int l = 3; l >= level; --l) {
    if (bereichZeile_[l] >= 0) setze_(static_cast<std::size_t>(bereichZeile_[l]), Rechenfeld::Gesamtpreis, Runde(bereich_[l], 2));
    bereichZeile_[l] = -1;
    bereich_[l] = 0.0;
  }
}

void Rechenlauf::Zähle(double gp, Summenanteil anteil) {
  if (anteil == Summenanteil::Keiner) return;
  bill_ += gp;
  for (int l = 1; l <= 3 && anteil == Summenanteil::BereicheUndLV; ++l)
    if (bereichZeile_[l] >= 0) bereich_[l] += gp;
}

void Rechenlauf::SchließePaket() {
  if (paketZeile_ < 0) return;
  const double ep = Runde(paketEP_, 2);
  const double gp = Gesamt(paketMenge_, ep, paketPE_);
  setze_(static_cast<std::size_t>(paketZeile_), Rechenfeld::Einzelpreis, ep);
  setze_(static_cast<std::size_t>(paketZeile_), Rechenfeld::Gesamtpreis, gp);
  Zähle(gp, paketAnteil_);
  paketZeile_ = -1;
}

void Rechenlauf::Zeile(std::size_t index, const Satz& p) {
  const int art = Art(p);
  // A package head's unit price is the sum of the parts right after it; it
  // counts once its last part has been seen, before the next row.
  if (art != 47) SchließePaket();
  if (int s = Strukturebene(art); s > 0) {
    SchließeAb(s);
    bereichZeile_[s] = static_cast<long>(index);
    ebene_ = s;
    setze_(index, Rechenfeld::HierarchieEbene, s);
    return;
  }
  setze_(index, Rechenfeld::HierarchieEbene, ebene_ + 1);
  if (art == 40 || art == 47) {
    const double gp = Gesamt(D(p, "Menge"), D(p, "Einzelpreis"), D(p, "Preiseinheit"));
    setze_(index, Rechenfeld::Gesamtpreis, gp);
    if (art == 47 && paketZeile_ >= 0) paketEP_ += gp;
    Zähle(gp, AnteilInSummen(p));
    return;
  }
  if (art == 45) {
    paketZeile_ = static_cast<long>(index);
    paketEP_ = 0.0;
    paketMenge_ = D(p, "Menge");
    paketPE_ = D(p, "Preiseinheit");
    paketAnteil_ = AnteilInSummen(p);
    return;
  }
  if (art == 60 || art == 70 || art == 80) {
    int bezug = p.Feld("WelcherBetragZuAbschlag").ToInt16();
    double basis = (bezug >= 1 && bezug <= 3) ? bereich_[bezug] : bill_;
    if (art == 60) {
      // A subtotal carries the amount so far as its unit price; it adds nothing itself.
      setze_(index, Rechenfeld::Einzelpreis, Runde(basis, 2));
      setze_(index, Rechenfeld::Gesamtpreis, 0.0);
      return;
    }
    double prozent = D(p, "AufAbschlagProzent");
    double ep = D(p, "Einzelpreis");
    const bool fest = prozent == 100.0 && ep != 0.0;
    double betrag = fest ? ep : Runde(basis * prozent / 100.0, 2);
    if (!fest) setze_(index, Rechenfeld::Einzelpreis, Runde(basis, 2));
    if (art == 80 && betrag > 0) betrag = -betrag;
    setze_(index, Rechenfeld::Gesamtpreis, betrag);
    Zähle(betrag, AnteilInSummen(p));
    return;
  }
  Zähle(D(p, "Gesamtpreis"), AnteilInSummen(p));
}

double Rechenlauf::Ende() {
  SchließePaket();
  SchließeAb(1);
  return bill_;
}

void SetzeRechenfeld(Satz& p, Rechenfeld f, double wert) {
  switch (f) {
    case Rechenfeld::Gesamtpreis: p.SetzeFeld("Gesamtpreis", wert); break;
    case Rechenfeld::Einzelpreis: p.SetzeFeld("Einzelpreis", wert); break;
    case Rechenfeld::HierarchieEbene: p.SetzeFeld("HierarchieEbene", static_cast<std::int16_t>(wert)); break;
  }
}

void BerechneDokument(Dokument& d) {
  Rechenlauf lauf([&](std::size_t i, Rechenfeld f, double wert) { SetzeRechenfeld(d.positionen[i], f, wert); });
  for (std::size_t i = 0; i < d.positionen.size(); ++i) lauf.Zeile(i, d.positionen[i]);
  SetzeSchlusszeilen(d, lauf.Ende());
}

void SetzeSchlusszeilen(Dokument& d, double bill) {
  double ust = d.kopf.Feld("UmsatzsteuerProzent").ToDouble();
  double netto = Runde(bill, 2);
  double steuer = Runde(netto * ust / 100.0, 2);
  bool hatSumme = false;
  for (Satz& s : d.schlusszeilen) hatSumme = hatSumme || Art(s) == 90;
  if (!hatSumme) {
    d.schlusszeilen.insert(d.schlusszeilen.begin(), Satz(SchlusszeilenKatalog()));
    d.schlusszeilen.front().SetzeFeld("Positionstyp", std::int16_t{90});
  }
  for (Satz& s : d.schlusszeilen) {
    if (Art(s) != 90) continue;
    s.SetzeFeld("Summe", netto);
    s.SetzeFeld("UST", ust);
    s.SetzeFeld("USTBetrag", steuer);
    s.SetzeFeld("SummeBrutto", Runde(netto + steuer, 2));
  }
}

bool BrauchtPreis(const Satz& p) {
  int art = Art(p);
  return art == 40 || art == 47;
}

std::vector<std::string> Preisanteile(const Satz& kopf) {
  if (kopf.Feld("AnzahlEPAnteile").ToInt16() == 2) return {"Material", "Lohn"};
  return {};
}

void SetzePreis(Satz& p, double einzelpreis, const std::vector<double>& anteile) {
  if (!BrauchtPreis(p))
    throw Fehler(kFehlerUngültigerAufruf, "die Zeile " + p.Feld("Positionsnummer").ToString() + " hat keinen Preis");
  if (anteile.size() != 0 && anteile.size() != 2)
    throw Fehler(kFehlerUngültigerAufruf, "ein Preis hat zwei Anteile, nicht " + std::to_string(anteile.size()));
  for (double w : anteile)
    if (w < 0) throw Fehler(kFehlerUngültigerAufruf, "ein Preisanteil darf nicht negativ sein");
  if (einzelpreis < 0) throw Fehler(kFehlerUngültigerAufruf, "ein Einheitspreis darf nicht negativ sein");
  // A price as it stands changes nothing (shares the document no longer shows stay).
  if (anteile.empty() ? einzelpreis == D(p, "Einzelpreis")
                      : anteile[0] == D(p, "Materialpreis") && anteile[1] == D(p, "Lohnpreis"))
    return;
  double material = einzelpreis, lohn = 0.0;
  if (!anteile.empty()) {
    material = anteile[0];
    lohn = anteile[1];
    einzelpreis = material + lohn;
  }
  p.SetzeFeld("Materialpreis", material);
  p.SetzeFeld("Lohnpreis", lohn);
  p.SetzeFeld("Einzelpreis", einzelpreis);
  const char* kennzeichen = einzelpreis != 0 ? "1" : "";
  p.SetzeFeld("Materialpreiskennzeichen", kennzeichen);
  p.SetzeFeld("Lohnpreiskennzeichen", kennzeichen);
}

}  // namespace gaeb::host

#include "host/berechnung.h"

#include <array>

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

void BerechneDokument(Dokument& d) {
  double bill = 0.0;
  std::array<double, 4> bereich{};       // amount of the open area per level 1..3
  std::array<long, 4> bereichZeile{-1, -1, -1, -1};
  int ebene = 0;                         // level of the innermost open area
  auto schließeAb = [&](int level) {     // closes the areas of this level and deeper
    for (int l = 3; l >= level; --l) {
      if (bereichZeile[l] >= 0) d.positionen[bereichZeile[l]].SetzeFeld("Gesamtpreis", Runde(bereich[l], 2));
      bereichZeile[l] = -1;
      bereich[l] = 0.0;
    }
  };
  for (std::size_t i = 0; i < d.positionen.size(); ++i) {
    Satz& p = d.positionen[i];
    int art = Art(p);
    if (int s = Strukturebene(art); s > 0) {
      schließeAb(s);
      bereichZeile[s] = static_cast<long>(i);
      ebene = s;
      p.SetzeFeld("HierarchieEbene", static_cast<std::int16_t>(s));
      continue;
    }
    p.SetzeFeld("HierarchieEbene", static_cast<std::int16_t>(ebene + 1));
    BerechnePosition(d, i);
    if (art == 60 || art == 70 || art == 80) {
      int bezug = p.Feld("WelcherBetragZuAbschlag").ToInt16();
      double basis = (bezug >= 1 && bezug <= 3) ? bereich[bezug] : bill;
      if (art == 60) {
        // A subtotal carries the amount so far as its unit price; it adds nothing itself.
        p.SetzeFeld("Einzelpreis", Runde(basis, 2));
        p.SetzeFeld("Gesamtpreis", 0.0);
      } else {
        double prozent = D(p, "AufAbschlagProzent");
        double ep = D(p, "Einzelpreis");
        double betrag = (prozent == 100.0 && ep != 0.0) ? ep : Runde(basis * prozent / 100.0, 2);
        if (!(prozent == 100.0 && ep != 0.0)) p.SetzeFeld("Einzelpreis", Runde(basis, 2));
        if (art == 80 && betrag > 0) betrag = -betrag;
        p.SetzeFeld("Gesamtpreis", betrag);
      }
    }
    if (const Summenanteil anteil = AnteilInSummen(p); anteil != Summenanteil::Keiner) {
      double gp = D(p, "Gesamtpreis");
      bill += gp;
      for (int l = 1; l <= 3 && anteil == Summenanteil::BereicheUndLV; ++l)
        if (bereichZeile[l] >= 0) bereich[l] += gp;
    }
  }
  schließeAb(1);

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

#include "export/exportzustand.h"

#include "core/host.h"

namespace gaeb {

LVSummenspeicher LVSummen(Belegdaten& b) {
  LVSummenspeicher s;
  // The last surcharge or discount on the whole bill counts: searched from
  // the end, where it stands, so that the walk rarely reads the bill.
  for (std::int32_t i = b.LetzterPositionsindex(); i >= 0; --i) {
    b.WählePosition(i);
    Belegposition& p = b.AktuellePosition();
    const std::int16_t positionsart = p.Feld("Positionstyp").ToInt16();
    if ((positionsart == 60 || positionsart == 70 || positionsart == 80) &&
        p.Feld("WelcherBetragZuAbschlag").ToInt16() == 0) {
      s.Summe = -p.Feld("Gesamtpreis").ToDouble();
      s.NachlassProz = p.Feld("AufAbschlagProzent").ToDouble();
      s.NachlassAbs = p.Feld("Einzelpreis").ToDouble();
      s.NachlassUnterart = 0;
      s.NachlassPositionsart = positionsart;
      break;
    }
  }
  const std::int32_t letzteSchlusszeile = b.LetzterSchlusszeilenindex();
  for (std::int32_t j = 0; j <= letzteSchlusszeile; ++j) {
    b.WähleSchlusszeile(j);
    Datensatz& z = b.AktuelleSchlusszeile();
    if (z.Feld("Positionstyp").ToInt16() != 90) continue;
    const double netto = z.Feld("Summe").ToDouble();
    if (s.Summe == 0) {
      s.Summe = netto;
      s.Nachlassbetrag = 0;
    } else {
      s.Nachlassbetrag = s.Summe;
      s.Summe += netto;
    }
    s.UST = z.Feld("UST").ToDouble();
    s.SummeBrutto = z.Feld("SummeBrutto").ToDouble();
  }
  return s;
}

}  // namespace gaeb

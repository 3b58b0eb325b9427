// Reading a document: Init_Beleg, Lese_Beleg and the currency check.
#include "store/store.h"

#include "base/variant.h"

namespace gaeb {

void Init_Beleg(Kontext& k) {
  Geschützt(k, "Init_Beleg", [&] {
    Belegdaten& b = k.Beleg();
    b.Öffnen("0", k.pConnectstring, k.pConnection);
    if (!b.Vorgaben(k.vorgaben)) {
      std::string text = k.Texte().Text(10055, {"Init_Beleg"});
      k.Meldungen().Zeige(text, 3, Variant());
    }
  });
}

bool Lese_Beleg(Kontext& k, std::int16_t& belegart, std::int32_t belegnummer) {
  bool ergebnis = false;
  Geschützt(k, "Lese_Beleg", [&] {
    Init_Beleg(k);
    k.satz.Zurücksetzen();
    ergebnis = true;
    Belegdaten& b = k.Beleg();
    belegart = b.BelegartVon(belegnummer, true);
    if (belegart == 0) {
      ergebnis = false;
      return;
    }
    if (b.LeseKopf(belegart, belegnummer, true)) {
      if (b.Bearbeitungsstatus() == -1) {
        ZeigeMeldung(k, "Beleg " + std::to_string(belegnummer) + " ist bereits in Bearbeitung");
        ergebnis = false;
        return;
      }
      Datensatz& kopf = b.Kopf();
      Positionssatz& s = k.satz;
      s.InformationProjekt = kopf.Feld("InformationProjekt").ToString();
      s.Projektnummer = kopf.Feld("Projektnummer").ToString();
      s.DateiUrsprung = kopf.Feld("DateiUrsprung").ToString();
      s.BezeichnungLV = kopf.Feld("BezeichnungLV").ToString();
      s.InformationAG = kopf.Feld("InformationAG").ToString();
      s.Dateiname = kopf.Feld("Dateiname").ToString();
      s.Datenphase = kopf.Feld("Datenphase").ToInt16();
      s.MitLos = kopf.Feld("MitLos").ToBool();
      s.Währungduplikat = kopf.Feld("Währungduplikat").ToString();
      s.GAEBDaVersion = kopf.Feld("GAEBDaVersion").ToString();
    } else {
      std::string text = k.Texte().Text(13049, {"Beleg " + std::to_string(belegnummer)});
      k.Meldungen().Zeige(text, 3, Variant());
    }
  });
  return ergebnis;
}

bool PrüfenAusgabeWährung(Kontext& k, std::int16_t belegart, std::int32_t belegnummer, bool AusgabeLandeswährung) {
  bool ergebnis = false;
  Geschützt(k, "PrüfenAusgabeWährung", [&] {
    ergebnis = true;
    Belegdaten& b = k.Beleg();
    if (b.LeseKopf(belegart, belegnummer, true)) ergebnis = b.PrüfeAusgabewährung(AusgabeLandeswährung) != 0;
  });
  return ergebnis;
}

}  // namespace gaeb

// Storing an imported bill of quantities: the row dispatcher Speichern_Belegdaten,
// the creation of the document from the header row and its completion at the
// end row. Every statement runs "resume next": a failing host call shows
// message 10055 with "Speichern_Belegdaten" and the row's steps go on.
#include "base/text.h"
#include "base/variant.h"
#include "store/store.h"

namespace gaeb {

namespace {

constexpr const char* kProzedur = "Speichern_Belegdaten";

// Creates the document from the header row. Has no handler of its own: its
// errors reach the caller.
bool Anlegen_Beleg(Kontext& k, std::int16_t belegart, std::int32_t belegnummer, const std::string& projektnummer) {
  if (projektnummer.empty()) return false;
  Projektteil& projekt = k.Beleg().Projekt();
  bool gefunden = projekt.Lese(projektnummer);
  if (!gefunden) return false;
  k.satz.KundenNummer.clear();
  bool mitKunde = projekt.MitKunde();
  if (mitKunde) {
    std::string kunde = projekt.KundenNummer(20);
    if (!kunde.empty()) k.satz.KundenNummer = kunde;
  }
  return k.Beleg().ErzeugeBeleg(belegart, belegnummer, projektnummer, k.satz.KundenNummer, gefunden, mitKunde, "", 0);
}

// Recomputes the remembered hierarchy rows, innermost first. True when none is remembered.
bool Aktualisiere_Hierarchiezeilen(Kontext& k) {
  bool ergebnis = true;
  WeiterBeiFehler weiter(k, kProzedur);
  for (int i = 2; i >= 0; --i) {
    std::int32_t zeile = k.hierarchiezeilen[i];
    if (zeile < 0) continue;
    weiter([&] { k.Beleg().WählePosition(zeile); });
    bool ok = false;
    weiter([&] { ok = k.Beleg().AktuellePosition().Berechnen(0, true); });
    ergebnis = ok;
  }
  return ergebnis;
}

bool Kopfzeile(Kontext& k, std::int16_t belegart, std::int32_t belegnummer, WeiterBeiFehler& weiter) {
  bool angelegt = false;
  weiter([&] { angelegt = Anlegen_Beleg(k, belegart, belegnummer, k.satz.Projektnummer); });
  if (!angelegt) {
    Meldung10055(k, "Neuer Beleg:" + std::to_string(belegnummer));
    return false;
  }
  weiter([&] { Übertrage_BelegKopf(k, belegart, belegnummer); });
  std::int16_t modus = 0;
  std::string währung;
  weiter([&] { modus = k.Beleg().Kopf().Feld("Währungsmodus").ToInt16(); });
  weiter([&] { währung = k.Beleg().Kopf().Feld("Währung").ToString(); });
  if (modus == 2 && !währung.empty()) {
    weiter([&] { k.Beleg().Währungsprüfung(true); });
    weiter([&] { k.Beleg().RechneWährungUm(); });
    weiter([&] {
      Datensatz& kopf = k.Beleg().Kopf();
      kopf.SetzeFeld("Währung2", kopf.Feld("Währung2"));
    });
  }
  weiter([&] { Übertrage_BelegKopfZusatz(k); });
  weiter([&] { Übertrage_BelegKopfPosition(k); });
  return true;
}

bool Strukturzeile(Kontext& k, std::int16_t ebene, WeiterBeiFehler& weiter) {
  static const char* kPrüfe[] = {"", "Prüfe Einfügen Los:", "Prüfe Einfügen Gewerk:", "Prüfe Einfügen Titel:"};
  static const char* kNeu[] = {"", "Neues Los:", "Neues Gewerk:", "Neuer Titel:"};
  std::int16_t art = static_cast<std::int16_t>(19 + ebene);
  const std::string& oz = k.satz.Positionsnummer;
  bool darf = false;
  weiter([&] { darf = k.Beleg().DarfEinfügen(art); });
  if (!darf) {
    Meldung10055(k, kPrüfe[ebene] + oz);
    return false;
  }
  bool eingefügt = false;
  weiter([&] { eingefügt = k.Beleg().FügeStrukturzeileEin(art, ebene); });
  if (!eingefügt) {
    Meldung10055(k, kNeu[ebene] + oz);
    return false;
  }
  weiter([&] { Übertrage_Position(k, art); });
  return true;
}

// Position (40), package head (45), package part (47).
bool Positionszeile(Kontext& k, std::int16_t art, WeiterBeiFehler& weiter) {
  const char* prüfe = art == 40 ? " Prüfe Einfügen Position:" : art == 45 ? " Prüfe Einfügen Paketkopf:" : " Prüfe Einfügen Paketteil:";
  const char* neu = art == 40 ? "Neue Position:" : art == 45 ? "Neue Paketkopf:" : "Neues Paketteil:";
  const char* berechne = art == 40 ? "Berechne Position:" : art == 45 ? "Berechne Paketkopf:" : "Berechne Paketteil:";
  bool darf = false;
  weiter([&] { darf = k.Beleg().DarfEinfügen(art); });
  if (!darf) {
    Meldung10055(k, prüfe + k.satz.Positionsnummer);
    return false;
  }
  bool eingefügt = false;
  weiter([&] { eingefügt = k.Beleg().FügePositionEin(art, ""); });
  if (!eingefügt) {
    Meldung10055(k, neu + k.satz.Positionsnummer);
    return false;
  }
  weiter([&] { Übertrage_Position(k, 0); });
  bool berechnet = false;
  weiter([&] { berechnet = k.Beleg().AktuellePosition().Berechnen(0, true); });
  if (!berechnet) {
    Meldung10055(k, berechne + k.satz.Positionsnummer);
    return false;
  }
  return true;
}

bool Summenzeile(Kontext& k, WeiterBeiFehler& weiter) {
  bool darf = false;
  weiter([&] { darf = k.Beleg().DarfEinfügen(k.satz.Positionstyp); });
  if (!darf) {
    Meldung10055(k, "Prüfe Einfügen Summenposition" + k.satz.Positionsnummer);
    return false;
  }
  bool eingefügt = false;
  weiter([&] { eingefügt = k.Beleg().FügePositionEin(k.satz.Positionstyp, ""); });
  if (!eingefügt) {
    Meldung10055(k, "Neue Summenposition" + k.satz.Positionsnummer);
    return false;
  }
  weiter([&] { Übertrage_SummePosition(k); });
  return true;
}

bool Textzeile(Kontext& k, WeiterBeiFehler& weiter) {
  std::int32_t letzte = -1;
  weiter([&] { letzte = k.Beleg().LetzterPositionsindex(); });
  if (letzte >= 0) {
    bool darf = false;
    weiter([&] { darf = k.Beleg().DarfEinfügen(50); });
    if (!darf) {
      Meldung10055(k, "Prüfe Einfügen Textposition");
      return false;
    }
  }
  bool eingefügt = false;
  weiter([&] { eingefügt = k.Beleg().FügePositionEin(50, k.satz.KnzVbSb); });
  if (!eingefügt) {
    Meldung10055(k, "Neue Textposition");
    return false;
  }
  weiter([&] { Übertrage_Textposition(k); });
  return true;
}

bool Schlussbemerkung(Kontext& k, WeiterBeiFehler& weiter) {
  bool darf = false;
  weiter([&] { darf = k.Beleg().DarfSchlusszeileEinfügen(140); });
  if (!darf) {
    Meldung10055(k, "Prüfe Einfügen Schlußbemerkung");
    return false;
  }
  bool eingefügt = false;
  weiter([&] { eingefügt = k.Beleg().FügeSchlusszeileEin(140); });
  if (!eingefügt) {
    Meldung10055(k, "Neue Schlußbemerkung");
    return false;
  }
  weiter([&] { Übertrage_Schlussbemerkungen(k); });
  return true;
}

bool Belegende(Kontext& k, std::int16_t belegart, std::int32_t belegnummer, WeiterBeiFehler& weiter) {
  std::string nr = std::to_string(belegnummer);
  if (!Aktualisiere_Hierarchiezeilen(k)) {
    Meldung10055(k, "Speichern Beleg: " + nr);
    return false;
  }
  std::unique_ptr<Formatierung> formatierung;
  weiter([&] { formatierung = k.fabrik->Erzeuge<Formatierung>(klassen::Formatierung); });
  weiter([&] {
    if (!formatierung) throw Fehler(kFehlerObjekt, "Objektvariable nicht festgelegt: Formatierungsobjekt");
    formatierung->Init(k.pConnectstring, k.pConnection, k.pGL_OptionenObj, k.pGL_TextFormat);
  });
  bool vorbereitet = false;
  weiter([&] {
    if (!formatierung) throw Fehler(kFehlerObjekt, "Objektvariable nicht festgelegt: Formatierungsobjekt");
    vorbereitet = formatierung->Vorbereiten();
  });
  bool alle = false;
  weiter([&] {
    if (!formatierung) throw Fehler(kFehlerObjekt, "Objektvariable nicht festgelegt: Formatierungsobjekt");
    formatierung->FormatiereAllePositionen(k.belegdatenobjekt, 0, vorbereitet, alle);
  });
  if (!alle) {
    Ignoriere([&] {
      k.Meldungen().Zeige("Es konnten nicht alle Positionen formatiert werden.", 0, Variant("clsGaebSQL"));
    });
  }
  Ignoriere([&] { formatierung.reset(); });

  std::int32_t geprüft = 0;
  weiter([&] { geprüft = k.Beleg().PrüfeUndKorrigiere(); });
  if (geprüft == 0) {
    Meldung10055(k, "Korrektur Beleg: " + nr);
    return false;
  }
  weiter([&] { (void)k.Beleg().Kopf().Feld("Speicherstatus"); });
  bool gespeichert = false;
  weiter([&] { gespeichert = k.Beleg().Speichern(true, true, false, true, false); });
  if (!gespeichert) {
    Meldung10055(k, "Speichern Beleg: " + nr);
    return false;
  }
  std::int32_t entsperrt = 0;
  std::int16_t art = belegart;
  std::int32_t nummer = belegnummer;
  weiter([&] { entsperrt = k.Beleg().Entsperren(art, nummer); });
  if (entsperrt == 0) Meldung10055(k, "Entsperre Beleg: " + nr);
  return true;
}

}  // namespace

bool Speichern_Belegdaten(Kontext& k, std::int16_t belegart, std::int32_t belegnummer) {
  WeiterBeiFehler weiter(k, kProzedur);
  bool ergebnis = false;
  weiter([&] {
    switch (k.satz.Positionstyp) {
      case 10: ergebnis = Kopfzeile(k, belegart, belegnummer, weiter); break;
      case 40: {
        std::int16_t ebene = k.satz.HierarchieEbene;
        if (ebene >= 1 && ebene <= 3) {
          ergebnis = Strukturzeile(k, ebene, weiter);
        } else if (ebene == 4) {
          ergebnis = Positionszeile(k, 40, weiter);
        } else {
          ergebnis = true;
        }
        break;
      }
      case 45:
      case 47: ergebnis = Positionszeile(k, k.satz.Positionstyp, weiter); break;
      case 50: ergebnis = Textzeile(k, weiter); break;
      case 60:
      case 70:
      case 80: ergebnis = Summenzeile(k, weiter); break;
      case 140: ergebnis = Schlussbemerkung(k, weiter); break;
      case 90: ergebnis = Belegende(k, belegart, belegnummer, weiter); break;
      default: ergebnis = true; break;
    }
  });
  return ergebnis;
}

}  // namespace gaeb

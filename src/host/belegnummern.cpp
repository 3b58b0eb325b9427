#include "host/belegnummern.h"

#include "base/fehler.h"
#include "base/variant.h"
#include "host/dienste.h"

namespace gaeb::host {

void BelegnummernHost::Öffnen(const std::string&, const std::string&, Verbindung* verbindung) {
  if (verbindung == nullptr) throw Fehler(kFehlerObjekt, "Objektvariable nicht festgelegt: Verbindung");
  verbindung_ = verbindung;
}

Verbindung& BelegnummernHost::Db() const {
  if (verbindung_ == nullptr) throw Fehler(kFehlerObjekt, "Belegnummernobjekt ist nicht geöffnet");
  return *verbindung_;
}

bool BelegnummernHost::BenutzerNummernkreise() {
  std::string w = LeseEinstellung(Db(), "Standard", "Belegnummern", "ProBenutzer");
  if (w.empty()) return false;
  try {
    return TextZuBool(w);
  } catch (const Fehler&) {
    return false;
  }
}

std::int16_t BelegnummernHost::NummernkreisVon(const std::string& benutzer, std::int16_t belegart) {
  const Variant p[] = {Variant(benutzer), Variant(belegart)};
  Ergebnis e = Db().Abfrage("SELECT Nummernkreis FROM Benutzernummernkreise WHERE Benutzer = ? AND Belegart = ?", p);
  return e.Leer() ? 0 : e.zeilen[0][0].ToInt16();
}

std::int32_t BelegnummernHost::NächsteNummer(std::int16_t belegart, std::int16_t nummernkreis) {
  const Variant p[] = {Variant(belegart), Variant(nummernkreis)};
  Ergebnis e = Db().Abfrage("SELECT NaechsteNummer FROM Nummernkreise WHERE Belegart = ? AND Nummernkreis = ?", p);
  if (!e.Leer()) return e.zeilen[0][0].ToInt32();
  const Variant a[] = {Variant(belegart)};
  // Counted by the database in 64 bits: after the largest Long the conversion raises overflow.
  Ergebnis m = Db().Abfrage("SELECT MAX(Belegnummer) + 1 AS Naechste FROM Belegkopfkolvar WHERE Belegart = ?", a);
  if (m.Leer() || m.zeilen[0][0].IstLeer()) return 1;
  return m.zeilen[0][0].ToInt32();
}

void BelegnummernHost::Reserviere(std::int16_t belegart, std::int32_t nummer, std::int16_t nummernkreis) {
  // One statement, so that two workstations reserving at once cannot collide.
  // The database adds 1 in 64 bits: the range after the largest Long holds a
  // number that NächsteNummer refuses with overflow instead of a negative one.
  const Variant p[] = {Variant(belegart), Variant(nummernkreis), Variant(nummer)};
  Db().Ausführen(
      "INSERT INTO Nummernkreise (Belegart, Nummernkreis, NaechsteNummer) VALUES (?, ?, ? + 1) "
      "ON CONFLICT (Belegart, Nummernkreis) DO UPDATE SET NaechsteNummer = CASE WHEN Nummernkreise.NaechsteNummer "
      "< excluded.NaechsteNummer THEN excluded.NaechsteNummer ELSE Nummernkreise.NaechsteNummer END",
      p);
}

}  // namespace gaeb::host

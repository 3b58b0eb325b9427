#include "host/dokument.h"

#include "base/fehler.h"

namespace gaeb::host {

namespace {

std::string Spaltenliste(const Katalog& k, bool mitSchlüssel, bool mitZeile) {
  std::string s;
  if (mitSchlüssel) s = "Belegart, Belegnummer";
  if (mitZeile) s += ", Zeile";
  for (std::size_t i = 0; i < k.Anzahl(); ++i) {
    const std::string& sp = k.Spalte(i);
    if (mitSchlüssel && (sp == "Belegart" || sp == "Belegnummer")) continue;
    if (!s.empty()) s += ", ";
    s += sp;
  }
  return s;
}

void Fülle(Satz& satz, const Ergebnis& e, std::size_t zeile) {
  const Katalog& k = satz.katalog();
  for (std::size_t i = 0; i < k.Anzahl(); ++i) {
    const Variant& w = e.Wert(zeile, k.Spalte(i));
    satz.SetzeWert(i, w.IstLeer() ? k.Felder()[i].vorgabe : w);
  }
}

// INSERT of all catalogue fields, keys first.
std::string Einfügen(const Katalog& k, bool mitZeile) {
  std::string spalten = "Belegart, Belegnummer";
  std::string fragen = "?, ?";
  if (mitZeile) {
    spalten += ", Zeile";
    fragen += ", ?";
  }
  for (std::size_t i = 0; i < k.Anzahl(); ++i) {
    const std::string& sp = k.Spalte(i);
    if (sp == "Belegart" || sp == "Belegnummer") continue;
    spalten += ", " + sp;
    fragen += ", ?";
  }
  return "INSERT INTO " + k.Tabelle() + " (" + spalten + ") VALUES (" + fragen + ")";
}

void Schreibe(Verbindung& v, const std::string& sql, const Dokument& d, const Satz& s, int zeile) {
  std::vector<Variant> p;
  const Katalog& k = s.katalog();
  p.reserve(k.Anzahl() + 3);
  p.emplace_back(d.belegart);
  p.emplace_back(d.belegnummer);
  if (zeile >= 0) p.emplace_back(static_cast<std::int32_t>(zeile));
  for (std::size_t i = 0; i < k.Anzahl(); ++i) {
    const std::string& sp = k.Spalte(i);
    if (sp == "Belegart" || sp == "Belegnummer") continue;
    p.push_back(s.Wert(i));
  }
  v.Ausführen(sql, p);
}

}  // namespace

Satz::Satz(const Katalog& katalog) : katalog_(&katalog) {
  werte_.reserve(katalog.Anzahl());
  for (const auto& f : katalog.Felder()) werte_.push_back(f.vorgabe);
}

int Satz::Index(std::string_view name) const {
  int i = katalog_->Index(name);
  if (i < 0)
    throw Fehler(438, "Objekt unterstützt diese Eigenschaft oder Methode nicht: " + katalog_->Tabelle() + "." +
                          std::string(name));
  return i;
}

Variant Satz::Feld(std::string_view name) const { return werte_[Index(name)]; }

void Satz::SetzeFeld(std::string_view name, const Variant& wert) { SetzeWert(Index(name), wert); }

bool LadeDokument(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer, Dokument& d) {
  const Variant key[] = {Variant(belegart), Variant(belegnummer)};
  const Katalog& kk = KopfKatalog();
  Ergebnis kopf = v.Abfrage("SELECT " + Spaltenliste(kk, true, false) + " FROM " + kk.Tabelle() +
                                " WHERE Belegart = ? AND Belegnummer = ?",
                            key);
  if (kopf.Leer()) return false;
  d = Dokument();
  d.belegart = belegart;
  d.belegnummer = belegnummer;
  Fülle(d.kopf, kopf, 0);

  const Katalog& pk = PositionsKatalog();
  Ergebnis pos = v.Abfrage("SELECT " + Spaltenliste(pk, false, false) + " FROM " + pk.Tabelle() +
                               " WHERE Belegart = ? AND Belegnummer = ? ORDER BY Zeile",
                           key);
  d.positionen.reserve(pos.zeilen.size());
  for (std::size_t z = 0; z < pos.zeilen.size(); ++z) {
    d.positionen.emplace_back(pk);
    Fülle(d.positionen.back(), pos, z);
  }
  for (auto [k, ziel] : {std::pair{&SchlusszeilenKatalog(), &d.schlusszeilen}, {&AdressKatalog(), &d.adressen}}) {
    Ergebnis e = v.Abfrage("SELECT " + Spaltenliste(*k, false, false) + " FROM " + k->Tabelle() +
                               " WHERE Belegart = ? AND Belegnummer = ? ORDER BY Zeile",
                           key);
    for (std::size_t z = 0; z < e.zeilen.size(); ++z) {
      ziel->emplace_back(*k);
      Fülle(ziel->back(), e, z);
    }
  }
  return true;
}

void SpeichereDokument(Verbindung& v, const Dokument& d) {
  const Variant key[] = {Variant(d.belegart), Variant(d.belegnummer)};
  for (const Katalog* k : {&KopfKatalog(), &PositionsKatalog(), &SchlusszeilenKatalog(), &AdressKatalog()})
    v.Ausführen("DELETE FROM " + k->Tabelle() + " WHERE Belegart = ? AND Belegnummer = ?", key);
  Schreibe(v, Einfügen(KopfKatalog(), false), d, d.kopf, -1);
  std::string sqlPos = Einfügen(PositionsKatalog(), true);
  for (std::size_t i = 0; i < d.positionen.size(); ++i)
    Schreibe(v, sqlPos, d, d.positionen[i], static_cast<int>(i));
  for (auto [k, rows] : {std::pair{&SchlusszeilenKatalog(), &d.schlusszeilen}, {&AdressKatalog(), &d.adressen}}) {
    std::string sql = Einfügen(*k, true);
    for (std::size_t i = 0; i < rows->size(); ++i) Schreibe(v, sql, d, (*rows)[i], static_cast<int>(i));
  }
}

std::int16_t BelegartVonNummer(Verbindung& v, std::int32_t belegnummer) {
  const Variant p[] = {Variant(belegnummer)};
  Ergebnis e = v.Abfrage("SELECT MIN(Belegart) AS Belegart FROM Belegkopfkolvar WHERE Belegnummer = ?", p);
  if (e.Leer() || e.zeilen[0][0].IstLeer()) return 0;
  return e.zeilen[0][0].ToInt16();
}

}  // namespace gaeb::host

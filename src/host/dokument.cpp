#include "host/dokument.h"

#include <algorithm>

#include "base/fehler.h"
#include "host/verbindung.h"

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

constexpr std::size_t kNichtGelesen = Satz::kNichtGelesen;

// Column of each catalogue field in a result (looked up once per result);
// with nur, only those fields are looked up and the others are not read.
std::vector<std::size_t> Spaltenindex(const Katalog& k, const std::vector<std::string>& spalten,
                                      const std::vector<std::size_t>* nur = nullptr) {
  std::vector<std::size_t> index(k.Anzahl(), kNichtGelesen);
  for (std::size_t i = 0; i < k.Anzahl(); ++i) {
    if (nur != nullptr && std::find(nur->begin(), nur->end(), i) == nur->end()) continue;
    auto it = std::find(spalten.begin(), spalten.end(), k.Spalte(i));
    if (it == spalten.end()) throw Fehler(3265, "Das Element wurde in der Auflistung nicht gefunden: " + k.Spalte(i));
    index[i] = static_cast<std::size_t>(it - spalten.begin());
  }
  return index;
}

// A zero of any number type, or False: it converts to every other one.
bool IstNull(const Variant& v) {
  switch (v.typ()) {
    case Variant::Typ::Integer:
    case Variant::Typ::Long:
    case Variant::Typ::Double: return v.ToDouble() == 0.0;
    case Variant::Typ::Boolean: return !v.ToBool();
    default: return false;
  }
}

// Reads the rows of a document table in order from the row number ab on,
// at most anzahl rows (all when negative), a block of rows per query. Each
// row goes from the statement into its record as it comes and then to zeile
// with its row number: no raw result is held.
void LeseZeilen(Verbindung& v, const Katalog& k, std::int16_t belegart, std::int32_t belegnummer, std::int32_t ab,
                std::int64_t anzahl, const std::function<void(Satz&, std::int32_t)>& zeile,
                const std::vector<std::size_t>* nur = nullptr) {
  constexpr std::int32_t kBlock = 2000;
  std::string spalten;
  if (nur == nullptr) {
    spalten = Spaltenliste(k, false, false);
  } else {
    for (std::size_t i : *nur) spalten += (spalten.empty() ? "" : ", ") + k.Spalte(i);
  }
  const std::string sql = "SELECT Zeile, " + spalten + " FROM " + k.Tabelle() +
                          " WHERE Belegart = ? AND Belegnummer = ? AND Zeile > ? ORDER BY Zeile LIMIT ";
  std::int32_t nach = ab - 1;
  std::vector<std::size_t> spalte;
  while (anzahl != 0) {
    const std::int64_t block = anzahl < 0 ? kBlock : std::min<std::int64_t>(anzahl, kBlock);
    const Variant p[] = {Variant(belegart), Variant(belegnummer), Variant(nach)};
    std::int64_t gelesen = 0;
    v.Durchlaufe(sql + std::to_string(block), p, [&](const std::vector<std::string>& spalten, std::vector<Variant>& werte) {
      if (spalte.empty()) spalte = Spaltenindex(k, spalten, nur);
      const std::int32_t nummer = werte[0].ToInt32();
      Satz satz(k);
      satz.Lade(werte, spalte);
      zeile(satz, nummer);
      nach = nummer;
      ++gelesen;
    });
    if (anzahl > 0) anzahl -= gelesen;
    if (gelesen < block) return;
  }
}

void LeseZeilen(Verbindung& v, const Katalog& k, std::int16_t belegart, std::int32_t belegnummer,
                std::vector<Satz>& ziel) {
  LeseZeilen(v, k, belegart, belegnummer, 0, -1, [&](Satz& satz, std::int32_t) { ziel.push_back(std::move(satz)); });
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

// The rows of one table in one series of INSERTs. The parameters stay from
// row to row: a value assigned over the last row's keeps its storage.
class Einfüger {
 public:
  static constexpr std::size_t kKeinParameter = static_cast<std::size_t>(-1);

  Einfüger(Verbindung& v, const Katalog& k, const Dokument& d, bool mitZeile)
      : serie_(v, Einfügen(k, mitZeile)), vorne_(mitZeile ? 3 : 2), stelle_(k.Anzahl()) {
    std::size_t n = vorne_;
    for (std::size_t i = 0; i < k.Anzahl(); ++i) {
      const std::string& sp = k.Spalte(i);
      stelle_[i] = sp == "Belegart" || sp == "Belegnummer" ? kKeinParameter : n++;
    }
    p_.resize(n);
    p_[0] = Variant(d.belegart);
    p_[1] = Variant(d.belegnummer);
  }
  void Zeile(const Satz& s, int zeile) {
    if (vorne_ == 3) p_[2] = Variant(static_cast<std::int32_t>(zeile));
    s.JederWert([this](std::size_t i, const Variant& w) {
      if (stelle_[i] != kKeinParameter) p_[stelle_[i]] = w;
    });
    serie_.Zeile(p_);
  }
  void Ende() { serie_.Ende(); }

 private:
  Serie serie_;
  std::size_t vorne_;                // Belegart, Belegnummer and the row number come first
  std::vector<std::size_t> stelle_;  // parameter of each field
  std::vector<Variant> p_;
};

}  // namespace

void Satz::Lade(std::vector<Variant>& zeile, const std::vector<std::size_t>& spalte) {
  // Collected first, then taken over in one allocation of the right size.
  thread_local std::vector<std::pair<std::uint16_t, Variant>> neu;
  neu.clear();
  const std::vector<host::Feld>& felder = katalog_->Felder();
  for (std::size_t i = 0; i < felder.size(); ++i) {
    if (spalte[i] == kNichtGelesen) continue;
    Variant& w = zeile[spalte[i]];
    if (w.IstLeer()) continue;
    const host::Feld& f = felder[i];
    if (w.typ() != f.typ) {
      // Most stored values are their field's start value: a zero needs no conversion to tell.
      if (IstNull(w) && IstNull(f.vorgabe)) continue;
      w = AlsFeldtyp(w, f.typ);
    }
    if (w == f.vorgabe) continue;
    neu.emplace_back(static_cast<std::uint16_t>(i), std::move(w));
  }
  werte_.assign(std::make_move_iterator(neu.begin()), std::make_move_iterator(neu.end()));
}

const Variant& Satz::Wert(std::size_t i) const {
  auto it = std::lower_bound(werte_.begin(), werte_.end(), i,
                             [](const auto& eintrag, std::size_t j) { return eintrag.first < j; });
  if (it != werte_.end() && it->first == i) return it->second;
  return katalog_->Felder()[i].vorgabe;
}

void Satz::SetzeWert(std::size_t i, Variant wert) {
  const host::Feld& f = katalog_->Felder()[i];
  if (wert.typ() != f.typ) wert = AlsFeldtyp(wert, f.typ);
  auto it = std::lower_bound(werte_.begin(), werte_.end(), i,
                             [](const auto& eintrag, std::size_t j) { return eintrag.first < j; });
  bool da = it != werte_.end() && it->first == i;
  if (wert == f.vorgabe) {
    if (da) werte_.erase(it);
  } else if (da) {
    it->second = std::move(wert);
  } else {
    // Room for the fields a position mostly has at once, then grow by a few
    // entries, not by doubling: most records get one or two fields more after
    // loading (the computed ones).
    if (werte_.size() == werte_.capacity()) {
      std::size_t stelle = static_cast<std::size_t>(it - werte_.begin());
      werte_.reserve(werte_.empty() ? 16 : werte_.size() + 4);
      it = werte_.begin() + static_cast<std::ptrdiff_t>(stelle);
    }
    werte_.emplace(it, static_cast<std::uint16_t>(i), std::move(wert));
  }
}

int Satz::Index(std::string_view name) const {
  int i = katalog_->Index(name);
  if (i < 0)
    throw Fehler(438, "Objekt unterstützt diese Eigenschaft oder Methode nicht: " + katalog_->Tabelle() + "." +
                          std::string(name));
  return i;
}

Variant Satz::Feld(std::string_view name) const { return Wert(static_cast<std::size_t>(Index(name))); }

void Satz::SetzeFeld(std::string_view name, const Variant& wert) { SetzeWert(static_cast<std::size_t>(Index(name)), wert); }

bool LadeDokument(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer, Dokument& d, bool mitPositionen) {
  const Variant key[] = {Variant(belegart), Variant(belegnummer)};
  const Katalog& kk = KopfKatalog();
  Ergebnis kopf = v.Abfrage("SELECT " + Spaltenliste(kk, true, false) + " FROM " + kk.Tabelle() +
                                " WHERE Belegart = ? AND Belegnummer = ?",
                            key);
  if (kopf.Leer()) return false;
  d = Dokument();
  d.belegart = belegart;
  d.belegnummer = belegnummer;
  d.kopf.Lade(kopf.zeilen[0], Spaltenindex(kk, kopf.spalten));

  if (mitPositionen) {
    d.positionen.reserve(static_cast<std::size_t>(AnzahlPositionen(v, belegart, belegnummer)));
    LeseZeilen(v, PositionsKatalog(), belegart, belegnummer, d.positionen);
  }
  LeseZeilen(v, SchlusszeilenKatalog(), belegart, belegnummer, d.schlusszeilen);
  LeseZeilen(v, AdressKatalog(), belegart, belegnummer, d.adressen);
  return true;
}

std::int32_t AnzahlPositionen(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer) {
  const Variant key[] = {Variant(belegart), Variant(belegnummer)};
  Ergebnis e = v.Abfrage("SELECT COUNT(*) FROM " + PositionsKatalog().Tabelle() + " WHERE Belegart = ? AND Belegnummer = ?", key);
  return e.Leer() ? 0 : e.zeilen[0][0].ToInt32();
}

void LesePositionen(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer, std::int32_t ab,
                    std::int64_t anzahl, const std::function<void(Satz&, std::int32_t)>& zeile,
                    std::span<const std::string_view> nur) {
  if (nur.empty()) return LeseZeilen(v, PositionsKatalog(), belegart, belegnummer, ab, anzahl, zeile);
  std::vector<std::size_t> felder;
  for (std::string_view name : nur) {
    const int i = PositionsKatalog().Index(name);
    if (i < 0) throw Fehler(438, "Objekt unterstützt diese Eigenschaft oder Methode nicht: " + std::string(name));
    felder.push_back(static_cast<std::size_t>(i));
  }
  LeseZeilen(v, PositionsKatalog(), belegart, belegnummer, ab, anzahl, zeile, &felder);
}

void SpeichereDokument(Verbindung& v, const Dokument& d) {
  const Variant key[] = {Variant(d.belegart), Variant(d.belegnummer)};
  for (const Katalog* k : {&KopfKatalog(), &PositionsKatalog(), &SchlusszeilenKatalog(), &AdressKatalog()})
    v.Ausführen("DELETE FROM " + k->Tabelle() + " WHERE Belegart = ? AND Belegnummer = ?", key);
  Einfüger kopf(v, KopfKatalog(), d, false);
  kopf.Zeile(d.kopf, -1);
  kopf.Ende();
  for (auto [k, rows] : {std::pair{&PositionsKatalog(), &d.positionen}, {&SchlusszeilenKatalog(), &d.schlusszeilen},
                         {&AdressKatalog(), &d.adressen}}) {
    Einfüger zeilen(v, *k, d, true);
    for (std::size_t i = 0; i < rows->size(); ++i) zeilen.Zeile((*rows)[i], static_cast<int>(i));
    zeilen.Ende();
  }
}

std::int16_t BelegartVonNummer(Verbindung& v, std::int32_t belegnummer) {
  const Variant p[] = {Variant(belegnummer)};
  Ergebnis e = v.Abfrage("SELECT MIN(Belegart) AS Belegart FROM Belegkopfkolvar WHERE Belegnummer = ?", p);
  if (e.Leer() || e.zeilen[0][0].IstLeer()) return 0;
  return e.zeilen[0][0].ToInt16();
}

}  // namespace gaeb::host

#include "host/artikel.h"

#include <functional>

#include "base/fehler.h"
#include "base/text.h"
#include "host/felder.h"
#include "host/verbindung.h"

namespace gaeb::host {

// One entry of the member table: a property has a getter and, unless it can
// only be read, a setter; a procedure has a call and its argument count.
struct ArtikelmanagerHost::Member {
  std::function<void(ArtikelmanagerHost&, const Variant&)> setze;
  std::function<Variant(ArtikelmanagerHost&)> lese;
  std::function<void(ArtikelmanagerHost&, std::span<Variant>)> rufe;
  std::size_t argumente = 0;
  Variant ergebnis;  // what a call answers
};

namespace {

// Member names are looked up without regard to case, as late binding does.
std::string Schlüssel(std::string_view name) { return text::Klein(name); }

[[noreturn]] void Unbekannt(std::string_view name) {
  throw Fehler(438, "Objekt unterstützt diese Eigenschaft oder Methode nicht: Artikelmanager." + std::string(name));
}

void SchreibeSatz(Verbindung& v, const Satz& s) {
  const Katalog& k = s.katalog();
  std::string spalten, fragen;
  std::vector<Variant> werte;
  for (std::size_t i = 0; i < k.Anzahl(); ++i) {
    spalten += (i ? ", " : "") + k.Spalte(i);
    fragen += i ? ", ?" : "?";
    werte.push_back(s.Wert(i));
  }
  v.Ausführen("INSERT INTO " + k.Tabelle() + " (" + spalten + ") VALUES (" + fragen + ")", werte);
}

Satz AusZeile(const Katalog& k, const Ergebnis& e, std::size_t zeile) {
  Satz s(k);
  for (std::size_t i = 0; i < k.Anzahl(); ++i) {
    const Variant& w = e.Wert(zeile, k.Spalte(i));
    if (!w.IstLeer()) s.SetzeWert(i, w);
  }
  return s;
}

std::string Spaltenliste(const Katalog& k) {
  std::string s;
  for (std::size_t i = 0; i < k.Anzahl(); ++i) s += (i ? ", " : "") + k.Spalte(i);
  return s;
}

}  // namespace

const std::unordered_map<std::string, ArtikelmanagerHost::Member>& ArtikelmanagerHost::Membertabelle() {
  using M = ArtikelmanagerHost;
  static const auto tabelle = [] {
    std::unordered_map<std::string, Member> t;
    // Every field of the article is a property of the same name ...
    const Katalog& a = ArtikelKatalog(false);
    for (std::size_t i = 0; i < a.Anzahl(); ++i)
      t[Schlüssel(a.Felder()[i].name)] = {[i](M& m, const Variant& w) { m.artikel_.SetzeWert(i, w); },
                                          [i](M& m) { return m.artikel_.Wert(i); }, {}, 0, {}};
    // ... but the wage purchase price can only be read: it follows the wage
    // part of the sales price, since this article master keeps no surcharge
    // on wages.
    t[Schlüssel("LohnEk")] = {{}, [](M& m) { return m.artikel_.Feld("stvkVK2Lohn"); }, {}, 0, {}};
    // The long-text record: "tb" and the field's name.
    const Katalog& l = ArtikellangtextKatalog(false);
    for (std::size_t i = 0; i < l.Anzahl(); ++i)
      t[Schlüssel("tb" + std::string(l.Felder()[i].name))] = {
          [i](M& m, const Variant& w) { m.langtext_.SetzeWert(i, w); }, [i](M& m) { return m.langtext_.Wert(i); }, {},
          0, {}};
    auto ruf = [&t](std::string_view name, std::size_t n, std::function<void(M&, std::span<Variant>)> f,
                    Variant ergebnis = {}) { t[Schlüssel(name)] = {{}, {}, std::move(f), n, std::move(ergebnis)}; };
    ruf("Init", 2, [](M& m, std::span<Variant> arg) { m.Init(arg[0].ToString()); });
    ruf("Init_Artikel", 0, [](M& m, std::span<Variant>) {
      m.artikel_ = Satz(ArtikelKatalog(m.kv_));
      m.langtext_ = Satz(ArtikellangtextKatalog(m.kv_));
    });
    ruf("Init_StaffelpreiseEK", 0, [](M& m, std::span<Variant>) { m.SetzeZurück("stek"); });
    ruf("Init_StaffelpreiseVK", 0, [](M& m, std::span<Variant>) { m.SetzeZurück("stvk"); });
    // This article master keeps no material list, accessories or metal
    // surcharges: there is nothing to reset, and the calls are accepted.
    for (const char* teil : {"Init_Material", "Init_Zub", "Init_ne"}) ruf(teil, 1, [](M&, std::span<Variant>) {});
    // The six switches are the saving options of the host's own classes; this
    // master stores the article whatever they say.
    ruf("fktSpeichernArtikel", 6, [](M& m, std::span<Variant>) { m.Speichere(); }, Variant(true));
    return t;
  }();
  return tabelle;
}

const ArtikelmanagerHost::Member& ArtikelmanagerHost::Finde(std::string_view name) {
  const auto& t = Membertabelle();
  auto it = t.find(Schlüssel(name));
  if (it == t.end()) Unbekannt(name);
  return it->second;
}

ArtikelmanagerHost::ArtikelmanagerHost(bool kv)
    : kv_(kv), artikel_(ArtikelKatalog(kv)), langtext_(ArtikellangtextKatalog(kv)) {}

void ArtikelmanagerHost::SetzeMember(std::string_view name, const Variant& wert) {
  const Member& m = Finde(name);
  if (!m.setze) Unbekannt(name);
  m.setze(*this, wert);
}

Variant ArtikelmanagerHost::LeseMember(std::string_view name) {
  const Member& m = Finde(name);
  if (!m.lese) Unbekannt(name);
  return m.lese(*this);
}

Variant ArtikelmanagerHost::Rufe(std::string_view name, std::span<Variant> argumente) {
  const Member& m = Finde(name);
  if (!m.rufe) Unbekannt(name);
  if (argumente.size() != m.argumente)
    throw Fehler(450, "Falsche Anzahl an Argumenten oder ungültige Eigenschaftszuweisung: Artikelmanager." +
                          std::string(name));
  m.rufe(*this, argumente);
  return m.ergebnis;
}

void ArtikelmanagerHost::Init(const std::string& verbindungstext) {
  verbindung_ = ÖffneVerbindung(verbindungstext);
  artikel_ = Satz(ArtikelKatalog(kv_));
  langtext_ = Satz(ArtikellangtextKatalog(kv_));
}

void ArtikelmanagerHost::SetzeZurück(std::string_view präfix) {
  const Katalog& k = artikel_.katalog();
  for (std::size_t i = 0; i < k.Anzahl(); ++i)
    if (k.Felder()[i].name.starts_with(präfix)) artikel_.SetzeWert(i, k.Felder()[i].vorgabe);
}

void ArtikelmanagerHost::Speichere() {
  if (!verbindung_) throw Fehler(kFehlerObjekt, "Objektvariable nicht festgelegt: Artikelmanager ohne Init");
  Verbindung& v = *verbindung_;
  const Variant lieferant = artikel_.Feld("Hauptlieferant"), nummer = artikel_.Feld("Artikelnummer");
  if (lieferant.ToString().empty() || nummer.ToString().empty())
    throw Fehler(kFehlerUngültigerAufruf, "Ein Artikel braucht Hauptlieferant und Artikelnummer");
  artikel_.SetzeFeld("LohnEk", LeseMember("LohnEk"));
  const Katalog& ak = artikel_.katalog();
  const Katalog& lk = langtext_.katalog();
  const Variant schlüssel[] = {lieferant, nummer};
  v.Beginne();
  try {
    // The replaced article's long text goes with it.
    Ergebnis alt = v.Abfrage("SELECT LangtextNummer FROM " + ak.Tabelle() +
                                 " WHERE Hauptlieferant = ? AND Artikelnummer = ?",
                             schlüssel);
    if (!alt.Leer() && !alt.zeilen[0][0].ToString().empty()) {
      const Variant text[] = {lieferant, alt.zeilen[0][0]};
      v.Ausführen("DELETE FROM " + lk.Tabelle() + " WHERE Lieferantennummer = ? AND Textnummer = ?", text);
    }
    v.Ausführen("DELETE FROM " + ak.Tabelle() + " WHERE Hauptlieferant = ? AND Artikelnummer = ?", schlüssel);
    SchreibeSatz(v, artikel_);
    if (!langtext_.Feld("Textnummer").ToString().empty()) {
      const Variant text[] = {langtext_.Feld("Lieferantennummer"), langtext_.Feld("Textnummer"),
                              langtext_.Feld("Textart"), langtext_.Feld("Zusatztextnummer"), langtext_.Feld("SprachKz")};
      v.Ausführen("DELETE FROM " + lk.Tabelle() +
                      " WHERE Lieferantennummer = ? AND Textnummer = ? AND Textart = ? AND Zusatztextnummer = ? AND "
                      "SprachKz = ?",
                  text);
      SchreibeSatz(v, langtext_);
    }
    v.Bestätige();
  } catch (...) {
    v.Verwerfe();
    throw;
  }
}

std::vector<GespeicherterArtikel> LeseArtikel(Verbindung& v, bool kv, const std::string& lieferant) {
  const Katalog& ak = ArtikelKatalog(kv);
  const Katalog& lk = ArtikellangtextKatalog(kv);
  const Variant p[] = {Variant(lieferant)};
  Ergebnis e = v.Abfrage(
      "SELECT " + Spaltenliste(ak) + " FROM " + ak.Tabelle() + " WHERE Hauptlieferant = ? ORDER BY Artikelnummer", p);
  std::vector<GespeicherterArtikel> artikel;
  for (std::size_t z = 0; z < e.zeilen.size(); ++z) {
    artikel.push_back({AusZeile(ak, e, z), std::nullopt});
    const Variant textnummer = artikel.back().artikel.Feld("LangtextNummer");
    if (textnummer.ToString().empty()) continue;
    const Variant q[] = {Variant(lieferant), textnummer};
    Ergebnis t = v.Abfrage("SELECT " + Spaltenliste(lk) + " FROM " + lk.Tabelle() +
                               " WHERE Lieferantennummer = ? AND Textnummer = ?",
                           q);
    if (!t.Leer()) artikel.back().langtext = AusZeile(lk, t, 0);
  }
  return artikel;
}

}  // namespace gaeb::host

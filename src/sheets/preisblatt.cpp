#include "sheets/preisblatt.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "host/belegdaten.h"
#include "host/berechnung.h"
#include "sheets/blatt.h"

namespace gaeb::sheets {

namespace {

std::string Beleg(std::int16_t art, std::int32_t nummer) { return std::to_string(art) + "/" + std::to_string(nummer); }

// The largest price a GAEB file can carry: ten digits before the decimal point.
constexpr double kHöchstpreis = 1e10;

// Where a bad row is: "Zeile N, OZ X".
std::string Ort(std::size_t zeile, const std::string& oz) {
  return "Zeile " + std::to_string(zeile) + (oz.empty() ? "" : ", OZ " + oz);
}

const Lesezelle& Zelle(const Lesezeile& z, int spalte) {
  static const Lesezelle leer;
  return spalte >= 0 && static_cast<std::size_t>(spalte) < z.zellen.size() ? z.zellen[static_cast<std::size_t>(spalte)]
                                                                          : leer;
}

// A cell as text: texts as they are, numbers as the spreadsheet shows them.
std::string AlsText(const Lesezelle& c) {
  if (c.art == Lesezelle::Art::Zahl) return ZahlText(c.zahl);
  return text::Trim(c.text);
}

bool Leer(const Lesezelle& c) { return c.art == Lesezelle::Art::Leer && !c.formel; }

// The price in a cell; empty is no price (0). Throws with the place.
double Preis(const Lesezelle& c, const std::string& ort) {
  double w = 0;
  switch (c.art) {
    case Lesezelle::Art::Leer:
      if (c.formel) throw Fehler(kFehlerTypen, ort + ": der Preis ist eine Formel ohne berechneten Wert");
      return 0;
    case Lesezelle::Art::Zahl: w = c.zahl; break;
    case Lesezelle::Art::Text:
      if (!DeutscheZahl(c.text, w)) throw Fehler(kFehlerTypen, ort + ": der Preis '" + c.text + "' ist keine Zahl");
      break;
    case Lesezelle::Art::Fehlerwert:
      throw Fehler(kFehlerTypen, ort + ": der Preis ist keine Zahl, sondern der Fehlerwert " + c.text);
  }
  if (w < 0) throw Fehler(kFehlerUngültigerAufruf, ort + ": der Preis " + ZahlText(w) + " ist negativ");
  if (w >= kHöchstpreis) throw Fehler(kFehlerÜberlauf, ort + ": der Preis " + ZahlText(w) + " ist zu groß");
  return w;
}

struct Preisangabe {
  std::size_t index;
  double einzelpreis;
  std::vector<double> anteile;
};

// The columns of a sheet found by its header row.
struct Blattspalten {
  std::size_t kopfzeile = 0;  // index in the table
  int schlüssel = -1, oz = -1, ep = -1;
  std::vector<int> anteile;
};

Blattspalten FindeSpalten(const Tabelle& t, const std::vector<std::string>& anteilnamen, std::int16_t art,
                          std::int32_t nummer) {
  Blattspalten s;
  std::optional<std::string> beleg;
  std::size_t i = 0;
  for (; i < t.size(); ++i) {
    const Lesezeile& z = t[i];
    if (AlsText(Zelle(z, Spalten::kOZ)) == kBelegLabel && !beleg) beleg = AlsText(Zelle(z, Spalten::kKurztext));
    if (AlsText(Zelle(z, 0)) == kKopfSchlüssel) break;
  }
  if (i == t.size()) throw Fehler(kFehlerTypen, "kein Preisblatt: die Kopfzeile der Tabelle (Spalte Zeile) fehlt");
  s.kopfzeile = i;
  if (!beleg) throw Fehler(kFehlerTypen, "kein Preisblatt: das Blatt nennt keinen Beleg");
  if (*beleg != BelegText(art, nummer))
    throw Fehler(kFehlerUngültigerAufruf, "das Blatt gehört zu einem anderen Beleg (" + *beleg + "), nicht zu Beleg " +
                                              Beleg(art, nummer));
  const Lesezeile& kopf = t[i];
  auto spalte = [&](const std::string& name) {
    for (std::size_t c = 0; c < kopf.zellen.size(); ++c)
      if (AlsText(kopf.zellen[c]) == name) return static_cast<int>(c);
    throw Fehler(kFehlerTypen, "Zeile " + std::to_string(kopf.nummer) + ": die Spalte " + name + " fehlt");
  };
  s.schlüssel = spalte(kKopfSchlüssel);
  s.oz = spalte(kKopfOZ);
  if (anteilnamen.empty()) s.ep = spalte(kKopfEinheitspreis);
  for (const std::string& a : anteilnamen) s.anteile.push_back(spalte(a));
  return s;
}

// The prices of the table's rows, every row checked against the document.
std::vector<Preisangabe> Prüfe(const Tabelle& t, const Blattspalten& s, const host::Dokument& d,
                               const Fortschritt& fortschritt) {
  std::vector<Preisangabe> preise;
  std::vector<std::size_t> gesehen(d.positionen.size(), 0);  // sheet row of each key, 0 none
  for (std::size_t i = s.kopfzeile + 1; i < t.size(); ++i) {
    const Lesezeile& z = t[i];
    const std::string oz = AlsText(Zelle(z, s.oz));
    const std::string ort = Ort(z.nummer, oz);
    const Lesezelle& schlüssel = Zelle(z, s.schlüssel);
    std::vector<int> preisspalten = s.anteile;
    if (s.ep >= 0) preisspalten.push_back(s.ep);
    if (Leer(schlüssel)) {
      // A row of the user's own (a note) is fine; one with an OZ or a price is not ours.
      bool angaben = !oz.empty();
      for (int c : preisspalten) angaben = angaben || !Leer(Zelle(z, c));
      if (angaben) throw Fehler(kFehlerUngültigerAufruf, ort + ": unbekannte Zeile (ohne Schlüssel)");
      continue;
    }
    double k = -1;
    if (schlüssel.art == Lesezelle::Art::Zahl) k = schlüssel.zahl;
    else if (schlüssel.art == Lesezelle::Art::Text && !DeutscheZahl(schlüssel.text, k)) k = -1;
    if (k < 0 || k != std::floor(k) || k >= static_cast<double>(d.positionen.size()))
      throw Fehler(kFehlerUngültigerAufruf, ort + ": unbekannte Zeile (Schlüssel " + AlsText(schlüssel) + ")");
    const auto index = static_cast<std::size_t>(k);
    const host::Satz& p = d.positionen[index];
    const std::string belegOZ = text::Trim(p.Feld("Positionsnummer").ToString());
    if (oz != belegOZ)
      throw Fehler(kFehlerUngültigerAufruf, ort + ": die Zeile ist geändert; im Beleg hat sie " +
                                                (belegOZ.empty() ? std::string("keine OZ") : "die OZ " + belegOZ));
    if (gesehen[index] != 0)
      throw Fehler(kFehlerUngültigerAufruf,
                   ort + ": die Zeile steht doppelt im Blatt (auch Zeile " + std::to_string(gesehen[index]) + ")");
    gesehen[index] = z.nummer;
    if (!host::BrauchtPreis(p)) continue;
    Preisangabe a{index, 0, {}};
    for (int c : s.anteile) a.anteile.push_back(Preis(Zelle(z, c), ort));
    if (s.ep >= 0) a.einzelpreis = Preis(Zelle(z, s.ep), ort);
    preise.push_back(std::move(a));
    if (fortschritt && i % 1000 == 0) fortschritt(i, t.size());
  }
  return preise;
}

// Releases the lock of the document when the reading ends, whatever happens.
struct Sperre {
  host::BelegdatenHost& h;
  std::int16_t art;
  std::int32_t nummer;
  ~Sperre() {
    try {
      h.Entsperren(art, nummer);
    } catch (...) {
    }
  }
};

}  // namespace

Blattformat FormatVon(const std::string& datei) {
  std::string endung = text::Klein(std::filesystem::path(datei).extension().string());
  if (endung == ".xlsx") return Blattformat::Xlsx;
  if (endung == ".csv") return Blattformat::Csv;
  std::ifstream ein(datei, std::ios::binary);
  char kennung[4] = {};
  if (ein && ein.read(kennung, 4)) return std::string(kennung, 4) == "PK\x03\x04" ? Blattformat::Xlsx : Blattformat::Csv;
  throw Fehler(kFehlerDatei, datei + ": Preisblätter sind .xlsx- oder .csv-Dateien");
}

void SchreibePreisblatt(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer, const std::string& datei,
                        Blattformat format, const Fortschritt& fortschritt) {
  host::Dokument d;
  if (!host::LadeDokument(v, belegart, belegnummer, d))
    throw Fehler(kFehlerUngültigerAufruf, "Beleg " + Beleg(belegart, belegnummer) + " gibt es nicht");
  host::BerechneDokument(d);
  Blattinhalt b(d);
  std::function<void(std::size_t)> je;
  if (fortschritt)
    je = [&](std::size_t z) {
      if (z % 1000 == 0 || z + 1 == b.Zeilenzahl()) fortschritt(z + 1, b.Zeilenzahl());
    };
  if (format == Blattformat::Xlsx) SchreibeXlsx(b, datei, je);
  else SchreibeCsv(b, datei, je);
}

Preisergebnis LesePreisblatt(Verbindung& v, const std::string& benutzer, std::int16_t belegart,
                             std::int32_t belegnummer, const std::string& datei, Blattformat format,
                             const Fortschritt& fortschritt) {
  Tabelle t = format == Blattformat::Xlsx ? LeseXlsx(datei) : LeseCsv(datei);

  host::BelegdatenHost h;
  h.Öffnen("0", v.Verbindungstext(), &v);
  Dokumentvorgaben vorgaben;
  vorgaben.pGL_BenutzerID = benutzer;
  h.Vorgaben(vorgaben);
  const std::string beleg = Beleg(belegart, belegnummer);
  if (!h.LeseKopf(belegart, belegnummer, true)) throw Fehler(kFehlerUngültigerAufruf, "Beleg " + beleg + " gibt es nicht");
  if (h.Sperren(belegart, belegnummer, true) == 0)
    throw Fehler(kFehlerHost, "Beleg " + std::to_string(belegnummer) + " ist bereits in Bearbeitung");
  Sperre sperre{h, belegart, belegnummer};
  // Read again under the lock: what is checked is what is saved.
  if (!h.LeseKopf(belegart, belegnummer, true)) throw Fehler(kFehlerUngültigerAufruf, "Beleg " + beleg + " gibt es nicht");
  host::Dokument& d = h.Aktuell();

  const Blattspalten spalten = FindeSpalten(t, host::Preisanteile(d.kopf), belegart, belegnummer);
  std::vector<Preisangabe> preise = Prüfe(t, spalten, d, fortschritt);
  t.clear();
  t.shrink_to_fit();
  for (const Preisangabe& a : preise) host::SetzePreis(d.positionen[a.index], a.einzelpreis, a.anteile);
  if (!h.Speichern(true, true, false, false, false))
    throw Fehler(kFehlerHost, "Beleg " + beleg + " konnte nicht gespeichert werden; er ist unverändert");

  Preisergebnis e;
  for (const host::Satz& p : d.positionen) {
    if (!host::BrauchtPreis(p)) continue;
    if (p.Feld("Einzelpreis").ToDouble() != 0) ++e.bepreist;
    else e.ohnePreis.push_back({p.Feld("Positionsnummer").ToString(), text::EineZeile(p.Feld("Kurztext1").ToString())});
  }
  return e;
}

}  // namespace gaeb::sheets

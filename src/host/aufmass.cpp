#include "host/aufmass.h"

#include <muParser.h>

#include <cmath>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "host/felder.h"

namespace gaeb::host {

namespace {

constexpr long kFehlerAufmass = 3000;  // a take-off row that cannot be stored

// Line letters of a sheet: 22 a sheet, without I, J, O and S.
constexpr const char* kBuchstaben[22] = {"A", "B", "C", "D", "E", "F", "G", "H", "K", "L", "M",
                                         "N", "P", "Q", "R", "T", "U", "V", "W", "X", "Y", "Z"};

Variant P(std::int16_t v) { return Variant(v); }
Variant P(std::int32_t v) { return Variant(v); }

}  // namespace

// ---------------------------------------------------------------------------
// Array object

std::int32_t XArrayDBHost::Anzahl(int dimension) const {
  return dimension == 1 ? static_cast<std::int32_t>(werte_.size()) : spalten_;
}

Variant& XArrayDBHost::Zelle(std::int32_t zeile, std::int32_t spalte) {
  const std::int64_t z = static_cast<std::int64_t>(zeile) - zeileVon_;
  const std::int64_t s = static_cast<std::int64_t>(spalte) - spalteVon_;
  if (z < 0 || z >= static_cast<std::int64_t>(werte_.size()) || s < 0 || s >= spalten_)
    throw Fehler(9, "Index außerhalb des gültigen Bereichs (" + std::to_string(zeile) + ", " + std::to_string(spalte) + ")");
  return werte_[static_cast<std::size_t>(z)][static_cast<std::size_t>(s)];
}

Variant XArrayDBHost::Wert(std::int32_t zeile, std::int32_t spalte) const {
  // A column beyond the array reads as Empty: a one-column array of results
  // carries no header values, and the exports then write blank fields.
  if (spalte >= spalteVon_ + spalten_ && zeile >= zeileVon_ &&
      zeile - static_cast<std::int64_t>(zeileVon_) < static_cast<std::int64_t>(werte_.size()))
    return Variant();
  return const_cast<XArrayDBHost*>(this)->Zelle(zeile, spalte);
}

void XArrayDBHost::SetzeWert(std::int32_t zeile, std::int32_t spalte, const Variant& wert) {
  // A write right of the last column widens every row up to that column.
  if (spalte >= spalteVon_ + spalten_) {
    spalten_ = spalte - spalteVon_ + 1;
    for (std::vector<Variant>& r : werte_) r.resize(static_cast<std::size_t>(spalten_));
  }
  Zelle(zeile, spalte) = wert;
}

void XArrayDBHost::ReDim(std::int32_t zeileVon, std::int32_t zeileBis, std::int32_t spalteVon, std::int32_t spalteBis) {
  if (zeileBis < zeileVon - 1 || spalteBis < spalteVon - 1) throw Fehler(9, "Ungültige Feldgrenzen");
  zeileVon_ = zeileVon;
  spalteVon_ = spalteVon;
  spalten_ = spalteBis - spalteVon + 1;
  werte_.assign(static_cast<std::size_t>(zeileBis - zeileVon + 1),
                std::vector<Variant>(static_cast<std::size_t>(spalten_)));
}

void XArrayDBHost::FügeZeileEin(std::int32_t zeile) {
  const std::int64_t z = static_cast<std::int64_t>(zeile) - zeileVon_;
  if (z < 0 || z > static_cast<std::int64_t>(werte_.size())) throw Fehler(9, "Zeile außerhalb des gültigen Bereichs");
  werte_.insert(werte_.begin() + z, std::vector<Variant>(static_cast<std::size_t>(spalten_)));
}

// ---------------------------------------------------------------------------
// Quantity take-off object

void AufmassHost::Öffnen(const std::string&, Verbindung* verbindung) { verbindung_ = verbindung; }

bool AufmassHost::ÖffneAufmass(std::int16_t belegart, std::int32_t belegnummer) {
  if (verbindung_ == nullptr) throw Fehler(91, "Objektvariable nicht festgelegt");
  const Variant p[] = {P(belegart), P(belegnummer)};
  return !verbindung_->Abfrage("SELECT Belegnummer FROM Belegkopfkolvar WHERE Belegart = ? AND Belegnummer = ?", p)
              .Leer();
}

// ---------------------------------------------------------------------------
// Formulas and the store

double BerechneFormel(const std::string& formel) {
  if (text::Trim(formel).empty()) throw Fehler(kFehlerAufmass, "die Formel ist leer");
  try {
    mu::Parser parser;
    parser.SetDecSep(',');
    parser.SetArgSep(';');
    parser.SetExpr(text::Ersetze(formel, "**", "^"));
    const double wert = parser.Eval();
    if (!std::isfinite(wert)) throw Fehler(kFehlerAufmass, "das Ergebnis ist keine endliche Zahl");
    return wert;
  } catch (const mu::Parser::exception_type& e) {
    throw Fehler(kFehlerAufmass, e.GetMsg());
  }
}

void SpeichereAufmass(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer,
                      std::vector<Aufmasszeile> zeilen) {
  AufmassHost beleg;
  beleg.Öffnen("", &v);
  if (!beleg.ÖffneAufmass(belegart, belegnummer))
    throw Fehler(kFehlerAufmass, "Beleg " + std::to_string(belegart) + "/" + std::to_string(belegnummer) +
                                     " gibt es nicht");
  // Everything is computed before anything is stored.
  std::string position;
  double summe = 0;
  for (std::size_t i = 0; i < zeilen.size(); ++i) {
    Aufmasszeile& z = zeilen[i];
    const std::string zeile = "Aufmaßzeile " + std::to_string(i + 1);
    if (z.Zeilenart != 0 && z.Zeilenart != 1)
      throw Fehler(kFehlerAufmass, zeile + ": unbekannte Zeilenart " + std::to_string(z.Zeilenart));
    z.Blatt = static_cast<std::int32_t>(i / 22 + 1);
    z.Buchstabe = kBuchstaben[i % 22];
    if (z.Positionsnummer != position) {
      position = z.Positionsnummer;
      summe = 0;
    }
    z.Menge = z.Ergebnis = 0;
    if (z.Zeilenart == 1) continue;
    try {
      z.Menge = Runde(BerechneFormel(z.Formel), 3);
    } catch (const Fehler& f) {
      throw Fehler(kFehlerAufmass, zeile + ": die Formel \"" + z.Formel + "\" ist nicht auswertbar: " + f.what());
    }
    summe = Runde(summe + z.Menge, 3);
    z.Ergebnis = summe;
  }
  const Katalog& k = AufmassKatalog();
  v.Beginne();
  try {
    const Variant schlüssel[] = {P(belegart), P(belegnummer)};
    v.Ausführen("DELETE FROM " + k.Tabelle() + " WHERE Belegart = ? AND Belegnummer = ?", schlüssel);
    const std::string sql = "INSERT INTO " + k.Tabelle() +
                            " (Belegart, Belegnummer, Zeile, Zeilenart, Blatt, Buchstabe, Positionsnummer, "
                            "Bezeichnung, Formel, Menge, Ergebnis) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    for (std::size_t i = 0; i < zeilen.size(); ++i) {
      const Aufmasszeile& z = zeilen[i];
      const Variant werte[] = {P(belegart), P(belegnummer), P(static_cast<std::int32_t>(i)), P(z.Zeilenart),
                               P(z.Blatt), Variant(z.Buchstabe), Variant(z.Positionsnummer), Variant(z.Bezeichnung),
                               Variant(z.Formel), Variant(z.Menge), Variant(z.Ergebnis)};
      v.Ausführen(sql, werte);
    }
    v.Bestätige();
  } catch (...) {
    v.Verwerfe();
    throw;
  }
}

std::vector<Aufmasszeile> LeseAufmass(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer) {
  const Variant p[] = {P(belegart), P(belegnummer)};
  const Ergebnis e = v.Abfrage("SELECT * FROM " + AufmassKatalog().Tabelle() +
                                   " WHERE Belegart = ? AND Belegnummer = ? ORDER BY Zeile",
                               p);
  std::vector<Aufmasszeile> zeilen;
  for (std::size_t i = 0; i < e.zeilen.size(); ++i) {
    Aufmasszeile z;
    z.Zeilenart = e.Wert(i, "Zeilenart").ToInt16();
    z.Blatt = e.Wert(i, "Blatt").ToInt32();
    z.Buchstabe = e.Wert(i, "Buchstabe").ToString();
    z.Positionsnummer = e.Wert(i, "Positionsnummer").ToString();
    z.Bezeichnung = e.Wert(i, "Bezeichnung").ToString();
    z.Formel = e.Wert(i, "Formel").ToString();
    z.Menge = e.Wert(i, "Menge").ToDouble();
    z.Ergebnis = e.Wert(i, "Ergebnis").ToDouble();
    zeilen.push_back(std::move(z));
  }
  return zeilen;
}

std::unique_ptr<XArrayDBHost> BaueAufmassArray(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer) {
  const std::vector<Aufmasszeile> zeilen = LeseAufmass(v, belegart, belegnummer);
  auto a = std::make_unique<XArrayDBHost>();
  a->ReDim(0, static_cast<std::int32_t>(zeilen.size()), 0, 19);

  // Row 0: the header values of document, project and client.
  const Variant p[] = {P(belegart), P(belegnummer)};
  const Ergebnis kopf = v.Abfrage("SELECT * FROM Belegkopfkolvar WHERE Belegart = ? AND Belegnummer = ?", p);
  if (kopf.Leer())
    throw Fehler(kFehlerAufmass, "Beleg " + std::to_string(belegart) + "/" + std::to_string(belegnummer) +
                                     " gibt es nicht");
  auto K = [&](const char* feld) { return kopf.Wert(0, feld).ToString(); };
  std::string projektname, kunde = K("KundenNummer");
  const Variant pn[] = {Variant(K("Projektnummer"))};
  const Ergebnis projekt = v.Abfrage("SELECT Bezeichnung, KundenNummer FROM ProjekteKolvar WHERE Projektnummer = ?", pn);
  if (!projekt.Leer()) {
    projektname = projekt.Wert(0, "Bezeichnung").ToString();
    if (kunde.empty()) kunde = projekt.Wert(0, "KundenNummer").ToString();
  }
  a->SetzeWert(0, 1, P(belegart));
  a->SetzeWert(0, 2, P(belegnummer));
  a->SetzeWert(0, 3, K("Belegdatum"));
  a->SetzeWert(0, 4, K("Projektnummer"));
  a->SetzeWert(0, 5, projektname);
  a->SetzeWert(0, 6, kunde);
  a->SetzeWert(0, 7, K("Belegbezeichnung"));
  const Ergebnis adresse =
      v.Abfrage("SELECT * FROM Belegadressen WHERE Belegart = ? AND Belegnummer = ? AND Adressart = 2", p);
  const std::pair<int, const char*> adressfelder[] = {{8, "Name1"},    {9, "Name2"},  {10, "Name3"},
                                                      {11, "Strasse"}, {12, "Telefon"}, {13, "Fax"},
                                                      {14, "Email"},   {15, "Ort"},   {16, "Plz"}, {17, "Land"}};
  for (const auto& [spalte, feld] : adressfelder)
    a->SetzeWert(0, spalte, adresse.Leer() ? std::string() : adresse.Wert(0, feld).ToString());
  a->SetzeWert(0, 18, text::Trim(K("Belegbezeichnung") + " " + std::to_string(belegnummer)));
  std::string text;
  for (const std::string& t : {K("Projektname"), K("Projektbeschreibung")})
    if (!t.empty()) text += (text.empty() ? "" : "\r\n") + t;
  a->SetzeWert(0, 19, text.empty() ? projektname : text);

  // One row per take-off row.
  for (std::size_t i = 0; i < zeilen.size(); ++i) {
    const Aufmasszeile& z = zeilen[i];
    const std::int32_t r = static_cast<std::int32_t>(i + 1);
    a->SetzeWert(r, 0, P(z.Zeilenart));
    a->SetzeWert(r, 3, P(z.Blatt));
    a->SetzeWert(r, 4, z.Buchstabe);
    a->SetzeWert(r, 5, z.Positionsnummer);
    a->SetzeWert(r, 6, z.Bezeichnung);
    if (z.Zeilenart == 0) {
      a->SetzeWert(r, 7, z.Menge);
      a->SetzeWert(r, 8, z.Formel);
      a->SetzeWert(r, 9, z.Ergebnis);
    }
  }
  return a;
}

}  // namespace gaeb::host

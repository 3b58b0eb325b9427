#include "host/dienste.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"

namespace gaeb::host {

namespace {

const std::map<long, std::string>& Katalog() {
  static const std::map<long, std::string> k = {
      {10055, "Bei der Verarbeitung ist ein Fehler aufgetreten: %1"},
      {13049, "%1 konnte nicht gelesen werden."},
  };
  return k;
}

bool NurZiffern(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string Katalogtext(long nummer) {
  auto it = Katalog().find(nummer);
  return it == Katalog().end() ? std::string() : it->second;
}

std::string MeldungstexteHost::Text(long nummer, const std::vector<std::string>& einfügungen) {
  std::string t = Katalogtext(nummer);
  if (t.empty()) t = "Meldung " + std::to_string(nummer);
  // Replace from the highest number down, so that %1 does not eat the start of %10.
  for (std::size_t i = einfügungen.size(); i > 0; --i)
    t = text::Ersetze(t, "%" + std::to_string(i), einfügungen[i - 1]);
  return t;
}

void MeldungsdienstHost::Zeige(const std::string& text, std::int16_t art, const Variant& extra) {
  meldungen_.push_back(Meldung{text, art, extra});
  if (zuhörer_) zuhörer_(meldungen_.back());
}

void MeldungsdienstHost::FehlerMelden(const std::string& modul, const std::string& prozedur, long nummer,
                                      const std::string& beschreibung, bool) {
  Zeige("Fehler " + std::to_string(nummer) + " in " + modul + "." + prozedur + ": " + beschreibung, 3, Variant());
}

std::string DatumsdienstHost::DatumFürAusgabe(std::string_view datum) {
  std::string d = text::Trim(datum);
  if (d.empty()) return {};
  if (d.size() == 8 && NurZiffern(d))  // JJJJMMTT
    return d.substr(6, 2) + "." + d.substr(4, 2) + "." + d.substr(0, 4);
  // JJJJMMTT followed by a time ("2026120510:00"), as a bid deadline is stored.
  if (d.size() > 8 && NurZiffern(d.substr(0, 8)) &&
      d.find_first_not_of("0123456789:. ", 8) == std::string::npos)
    return d.substr(6, 2) + "." + d.substr(4, 2) + "." + d.substr(0, 4);
  if (d.size() == 10 && d[2] == '.' && d[5] == '.') return d;  // TT.MM.JJJJ
  if (d.size() == 10 && d[4] == '-' && d[7] == '-')            // JJJJ-MM-TT
    return d.substr(8, 2) + "." + d.substr(5, 2) + "." + d.substr(0, 4);
  throw Fehler(kFehlerTypen, "Kein Datum: " + d);
}

double DatumsdienstHost::RundeAufSchritt(double wert, double schritt) {
  if (!(schritt > 0)) throw Fehler(kFehlerUngültigerAufruf, "Schrittweite muss größer als 0 sein");
  double n = Runde(wert / schritt, 0);
  return Runde(n * schritt, 10);
}

void EinstellungenHost::Init(std::int16_t, Verbindung*& verbindung, const std::string& profil) {
  verbindung_ = verbindung;
  profil_ = profil;
}

void EinstellungenHost::GetSetting(const std::string& abschnitt, const std::string& schlüssel, std::string& wert,
                                   const std::string& profil, const std::string&) {
  if (verbindung_ == nullptr) throw Fehler(kFehlerObjekt, "Einstellungen ohne Init");
  wert = LeseEinstellung(*verbindung_, profil.empty() ? profil_ : profil, abschnitt, schlüssel);
}

std::string LeseEinstellung(Verbindung& v, const std::string& profil, const std::string& abschnitt,
                            const std::string& schlüssel, bool* gefunden) {
  const Variant p[] = {Variant(profil), Variant(abschnitt), Variant(schlüssel)};
  Ergebnis e = v.Abfrage("SELECT Wert FROM Einstellungen WHERE Profil = ? AND Abschnitt = ? AND Schluessel = ?", p);
  if (gefunden) *gefunden = !e.Leer();
  return e.Leer() ? std::string() : e.zeilen[0][0].ToString();
}

void SchreibeEinstellung(Verbindung& v, const std::string& profil, const std::string& abschnitt,
                         const std::string& schlüssel, const std::string& wert) {
  const Variant key[] = {Variant(profil), Variant(abschnitt), Variant(schlüssel)};
  v.Ausführen("DELETE FROM Einstellungen WHERE Profil = ? AND Abschnitt = ? AND Schluessel = ?", key);
  const Variant p[] = {Variant(profil), Variant(abschnitt), Variant(schlüssel), Variant(wert)};
  v.Ausführen("INSERT INTO Einstellungen (Profil, Abschnitt, Schluessel, Wert) VALUES (?, ?, ?, ?)", p);
}

}  // namespace gaeb::host

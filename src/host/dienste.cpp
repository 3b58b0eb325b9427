#include "host/dienste.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "core/kontext.h"

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
  meldungen_.push_back(Meldung{text, art, extra, GemeldeterFehlergrund()});
  if (zuhörer_) zuhörer_(meldungen_.back());
}

void MeldungsdienstHost::FehlerMelden(const std::string& modul, const std::string& prozedur, long nummer,
                                      const std::string& beschreibung, bool) {
  Zeige("Fehler " + std::to_string(nummer) + " in " + modul + "." + prozedur + ": " + beschreibung, 3, Variant());
}

std::string DatumsdienstHost::DatumFürAusgabe(std::string_view datum) {
  std::string d = text::Trim(datum);
  if (d.empty()) return {};
  auto zahl = [&](std::size_t pos, std::size_t n) { return std::stoi(d.substr(pos, n)); };
  int tag = 0, monat = 0, jahr = 0;
  if (d.size() >= 8 && NurZiffern(d.substr(0, 8)) &&
      (d.size() == 8 || d.find_first_not_of("0123456789:. ", 8) == std::string::npos)) {
    // JJJJMMTT, also followed by a time ("2026120510:00") as a bid deadline is stored.
    jahr = zahl(0, 4), monat = zahl(4, 2), tag = zahl(6, 2);
  } else if (d.size() == 10 && d[4] == '-' && d[7] == '-' && NurZiffern(d.substr(0, 4)) &&
             NurZiffern(d.substr(5, 2)) && NurZiffern(d.substr(8, 2))) {  // JJJJ-MM-TT
    jahr = zahl(0, 4), monat = zahl(5, 2), tag = zahl(8, 2);
  } else {
    // What a German user types: T.M.JJ, TT.MM.JJJJ and the forms between.
    const std::size_t p1 = d.find('.'), p2 = p1 == std::string::npos ? p1 : d.find('.', p1 + 1);
    if (p2 == std::string::npos) return d;
    const std::string t = d.substr(0, p1), m = d.substr(p1 + 1, p2 - p1 - 1), j = d.substr(p2 + 1);
    if (t.size() > 2 || m.size() > 2 || (j.size() != 2 && j.size() != 4) || !NurZiffern(t) || !NurZiffern(m) ||
        !NurZiffern(j))
      return d;
    tag = std::stoi(t), monat = std::stoi(m), jahr = std::stoi(j);
    if (j.size() == 2) jahr += jahr < 30 ? 2000 : 1900;  // the two-digit years of the regional settings
  }
  // A text that is no date comes back as it is.
  if (tag < 1 || tag > 31 || monat < 1 || monat > 12 || jahr < 1) return d;
  char puffer[48];
  std::snprintf(puffer, sizeof puffer, "%02d.%02d.%04d", tag, monat, jahr);
  return puffer;
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

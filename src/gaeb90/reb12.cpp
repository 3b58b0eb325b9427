// The DA12 export: long lines built whole by their writers, written in code
// page 850 and counted in Satznummer.
#include <algorithm>
#include <climits>

#include "base/codepage.h"
#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "export/oz.h"
#include "gaeb90/reb.h"

namespace gaeb::gaeb90 {

namespace {

// A number as "0.000;0.000" writes it (no sign), right-aligned in breite
// characters; a value that does not fit stops the row.
std::string Zahl12(const std::string& wert, std::size_t breite) {
  const std::string z = FormatZahl(Variant(wert).ToDouble(), "0.000;0.000");
  const std::size_t n = text::Länge(z);
  if (n > breite) throw Fehler(kFehlerÜberlauf, "Der Wert " + z + " passt nicht in " + std::to_string(breite) + " Stellen");
  return text::Leer(breite - n) + z;
}

}  // namespace

bool Mengenberechnung::Ausgabe_ZeileDA90_REB12() {
  bool ok = false;
  Geschützt(k_, "Ausgabe_ZeileDA90_REB12", [&] {
    if (m_Datei == nullptr) throw Fehler(kFehlerDatei, "Die Ausgabedatei ist nicht geöffnet");
    if (k_.satz.Satznummer == INT32_MAX) throw Fehler(kFehlerÜberlauf, "Überlauf");
    k_.satz.Satznummer = k_.satz.Satznummer + 1;
    std::replace(m_Zeilenpuffer.begin(), m_Zeilenpuffer.end(), '\r', ' ');
    std::replace(m_Zeilenpuffer.begin(), m_Zeilenpuffer.end(), '\n', ' ');
    m_Bytes.clear();
    NachCodepage(m_Zeilenpuffer, Codepage::Cp850, m_Bytes);
    m_Bytes += "\r\n";
    m_Datei->Schreibe(m_Bytes);
    ok = true;
  });
  m_Zeilenpuffer.clear();
  return ok;
}

bool Mengenberechnung::AusgabeDA90_REB12DA00() {
  m_Zeilenpuffer = "00" + text::Leer(8) + F("23.004", 6) + text::Leer(4) +
                   F("Allgemeine Mengenberechnung *REB-VB 23.004* DA12", 60);
  return Ausgabe_ZeileDA90_REB12();
}

bool Mengenberechnung::AusgabeDA90_REB12ZA01() {
  bool ok = false;
  Geschützt(k_, "AusgabeDA90_REB12ZA01", [&] {
    const std::string maske = text::Trim(text::Ersetze(Ermittle_OZMaske(k_), "0", ""));
    m_Zeilenpuffer = "1201" + F(Kopfwert("KopfInformationAG"), 14) + text::Leer(14) + "11N" + F(maske, 14);
    ok = true;
  });
  if (ok) return Ausgabe_ZeileDA90_REB12();
  m_Zeilenpuffer.clear();
  return false;
}

bool Mengenberechnung::AusgabeDA90_REB12ZA02(XArrayDB& a) {
  bool ok = false;
  Geschützt(k_, "AusgabeDA90_REB12ZA02", [&] {
    auto J = [&](const std::string& x, std::size_t breite = 60) {
      m_Zeilenpuffer = "1202" + F(x, breite);
      Ausgabe_ZeileDA90_REB12();
    };
    auto W = [&](int spalte) { return a.Text(0, spalte); };
    J(W(18) + " vom: " + k_.vorgaben.pGL_tmjVerarbeitungsdatum);
    for (const std::string& z : Textzeilen19(a)) J(z);
    J("Beleg.-Nr  : " + W(1) + "/" + W(2));
    J("Projekt.-Nr: " + W(4));
    J("Kunden-Nr  : " + W(6));
    J("Kundenanschrift:");
    J(W(8));
    J(W(9).empty() ? W(10) : W(9) + " " + W(10));
    for (int spalte : {11, 12, 13, 14}) J(W(spalte));
    J(W(16) + " " + W(15), 59);
    for (const std::string& z : Betreffzeilen()) J(z, 59);
    ok = true;
  });
  m_Zeilenpuffer.clear();
  return ok;
}

bool Mengenberechnung::AusgabeDA90_REB12ZA20(XArrayDB& a, std::int32_t r) {
  bool ok = false;
  Geschützt(k_, "AusgabeDA90_REB12ZA20", [&] {
    const std::string P = "1220" + F(Format_PosNr(k_, a.Text(r, 5)), 14);
    const std::string T = text::Leer(39) + F(a.Text(r, 3), 5) + F(a.Text(r, 4), 2);
    const std::string art = text::Trim(a.Text(r, 0));
    double d = -1;
    if (!art.empty()) Ignoriere([&] { d = Variant(art).ToDouble(); });
    if (d == 1) {
      m_Zeilenpuffer = P + "*" + F(a.Text(r, 6), 70) + text::Leer(39);
      Ausgabe_ZeileDA90_REB12();
    }
    if (d != 0 || text::Trim(a.Text(r, 8)).empty()) {
      ok = true;
      return;
    }
    const std::string menge = a.Text(r, 7);
    std::string zeile = P + " " + F(a.Text(r, 6), 12) + (menge.compare(0, 1, "-") == 0 ? "-" : " ") +
                        Zahl12(menge, 12) + "091";
    std::vector<std::string> stücke;
    Zerlege_Formel(a.Text(r, 8), stücke, 65, 12);
    for (const std::string& stück : stücke) {
      if (stück.empty()) continue;
      const bool letztes = stück.back() == '=';
      m_Zeilenpuffer = zeile + F(stück, 65) + (letztes ? Zahl12(a.Text(r, 9), 16) : text::Leer(16)) + T;
      Ausgabe_ZeileDA90_REB12();
      zeile = P + " " + text::Leer(12) + " " + text::Leer(12) + "091";
    }
    ok = true;
  });
  m_Zeilenpuffer.clear();
  return ok;
}

bool Mengenberechnung::AusgabeDA90_REB12DA99() {
  m_Zeilenpuffer = "99";
  return Ausgabe_ZeileDA90_REB12();
}

bool Mengenberechnung::Ausgabe_BelegdatenDA90REB12(std::int16_t pBelegart, std::int32_t pBelegnummer,
                                                   const std::string& tmpPfadDatei, XArrayDB& AnzArrayERG) {
  m_Datenart = 12;
  return Ausgabe_Rahmen(
      "Ausgabe_BelegdatenDA90REB12", pBelegart, pBelegnummer, tmpPfadDatei, AnzArrayERG,
      [&] {
        AusgabeDA90_REB12DA00();
        AusgabeDA90_REB12ZA01();
        AusgabeDA90_REB12ZA02(AnzArrayERG);
      },
      [&](std::int32_t r) { AusgabeDA90_REB12ZA20(AnzArrayERG, r); }, [&] { AusgabeDA90_REB12DA99(); });
}

bool Ausgabe_BelegdatenDA90REB12(Kontext& k, std::int16_t pBelegart, std::int32_t pBelegnummer,
                                 const std::string& tmpPfadDatei, XArrayDB& AnzArrayERG) {
  Mengenberechnung m(k);
  return m.Ausgabe_BelegdatenDA90REB12(pBelegart, pBelegnummer, tmpPfadDatei, AnzArrayERG);
}

}  // namespace gaeb::gaeb90

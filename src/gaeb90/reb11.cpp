// The frame both quantity calculations share (file, document, take-off,
// progress, unlock), the formula splitter, and the DA11 export: its line
// writer and its header, information, subject and calculation lines.
#include <algorithm>
#include <climits>

#include "base/codepage.h"
#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "export/belegzugang.h"
#include "export/fortschritt.h"
#include "export/oz.h"
#include "gaeb90/export.h"
#include "gaeb90/reb.h"

namespace gaeb::gaeb90 {

namespace {

// Lines of a text up to each CR LF; what follows the last CR LF is no line.
std::vector<std::string> ZeilenBisCrLf(const std::string& text) {
  std::vector<std::string> zeilen;
  for (std::size_t start = 0;;) {
    const std::size_t ende = text.find("\r\n", start);
    if (ende == std::string::npos) return zeilen;
    zeilen.push_back(text.substr(start, ende - start));
    start = ende + 2;
  }
}

// A record is one line: a line break inside it becomes a blank.
void EineZeile(std::string& s) {
  std::replace(s.begin(), s.end(), '\r', ' ');
  std::replace(s.begin(), s.end(), '\n', ' ');
}

}  // namespace

const std::array<std::string_view, 23> Mengenberechnung::m_REBZeilenbuchstaben = {
    "",  "A", "B", "C", "D", "E", "F", "G", "H", "K", "L", "M",
    "N", "P", "Q", "R", "T", "U", "V", "W", "X", "Y", "Z"};

Mengenberechnung::Mengenberechnung(Kontext& k, Ausgabe* ziel) : k_(k), m_Datei(ziel) {}
Mengenberechnung::~Mengenberechnung() = default;

bool Zerlege_Formel(const std::string& formel, std::vector<std::string>& stücke, std::size_t breite, int art) {
  if (text::Trim(formel).empty()) return true;
  std::string rest = formel;
  if (art == 11 || art == 12) {
    rest = text::Ersetze(rest, "^", "**");
    rest = text::Ersetze(rest, " ", "");
  }
  rest += "=";
  if (breite == 0) return true;
  static constexpr std::string_view kTrenner = " +-*/";
  // A formula of at most the width is one piece; after a cut, only a rest
  // shorter than the width is the last piece, one of exactly the width is cut
  // once more.
  if (text::Länge(rest) <= breite) {
    stücke.push_back(rest);
    return true;
  }
  do {
    std::size_t schnitt = breite;
    for (std::size_t p = breite; p >= 1; --p) {
      const std::string c = text::Zeichen(rest, p);
      if (c.size() == 1 && kTrenner.find(c[0]) != std::string_view::npos) {
        schnitt = p;
        break;
      }
    }
    stücke.push_back(text::Links(rest, schnitt));
    rest = text::Mitte(rest, schnitt + 1);
  } while (text::Länge(rest) >= breite);
  stücke.push_back(rest);
  return true;
}

// ---------------------------------------------------------------------------
// Shared frame

std::string Mengenberechnung::F(const std::string& text, std::size_t breite) const {
  const std::int16_t b = static_cast<std::int16_t>(breite);
  return Feld_String(k_, text::EineZeile(text), b);
}

std::string Mengenberechnung::Kopfwert(std::string_view feld) const {
  return k_.Beleg().Kopf().Feld(feld).ToString();
}

std::vector<std::string> Mengenberechnung::Betreffzeilen() {
  Datensatz& kopf = k_.Beleg().Kopf();
  const std::string neu = "Betreff   : " + kopf.Feld("InformationProjekt").ToString() + "\r\n";
  kopf.SetzeFeld("InformationProjekt", neu);
  return ZeilenBisCrLf(neu);
}

std::vector<std::string> Mengenberechnung::Textzeilen19(XArrayDB& a) {
  const std::string text = a.Text(0, 19) + "\r\n";
  a.SetzeWert(0, 19, text);
  return ZeilenBisCrLf(text);
}

bool Mengenberechnung::Öffne_Beleg(std::int16_t belegart, std::int32_t belegnummer) {
  if (m_BelegGesperrt) return true;
  return ÖffneBelegZurAusgabe(k_, belegart, belegnummer, m_BelegGesperrt);
}

bool Mengenberechnung::Schreibe() { return m_Datenart == 11 ? Ausgabe_ZeileDA90_REB11() : Ausgabe_ZeileDA90_REB12(); }

bool Mengenberechnung::Ausgabe_Rahmen(std::string_view prozedur, std::int16_t belegart, std::int32_t belegnummer,
                               const std::string& tmpPfadDatei, XArrayDB& a, const std::function<void()>& kopf,
                               const std::function<void(std::int32_t)>& zeile, const std::function<void()>& ende) {
  bool ergebnis = false;
  bool entsperrt = false;
  std::int16_t art = belegart;
  std::int32_t nummer = belegnummer;
  Geschützt(k_, prozedur, [&] {
    if (!Öffne_Beleg(belegart, belegnummer)) return;
    if (m_Datei == nullptr) {
      datei_ = std::make_unique<Zieldatei>(tmpPfadDatei);
      m_Datei = datei_.get();
    }
    ergebnis = true;
    m_VorlaufOffen = true;
    m_AnzahlLeistungen = 0;
    k_.satz.AnzahlLeistungen = 0;
    k_.satz.Satznummer = m_Datenart == 11 ? 1 : 0;
    m_REBZeilenzähler = 0;
    if (m_Datenart == 11) {
      // Ordinal numbers are formatted with the document's separator, "." when it has none.
      OZFormatobjekt& oz = k_.Beleg().OZFormat();
      k_.m_PosNr_Trennzeichen = oz.Trennzeichen();
      if (k_.m_PosNr_Trennzeichen.empty()) {
        oz.SetzeTrennzeichen(".");
        k_.m_PosNr_Trennzeichen = ".";
      }
    }
    std::unique_ptr<Aufmass> aufmass = k_.fabrik->Erzeuge<Aufmass>(klassen::Aufmass);
    aufmass->Öffnen(k_.pConnectstring, k_.pConnection);
    if (aufmass->ÖffneAufmass(belegart, belegnummer)) {
      kopf();
      const std::int32_t n = a.Anzahl(1);
      for (std::int32_t r = 0; r < n; ++r) {
        ++m_AnzahlLeistungen;
        k_.satz.AnzahlLeistungen = static_cast<std::int16_t>(std::min<std::int32_t>(m_AnzahlLeistungen, INT16_MAX));
        zeile(r);
        if (!MeldeFortschritt(k_, r, [&] { return n + 9; })) {
          ergebnis = false;
          break;
        }
      }
      ende();  // the end line (DA12) follows a cancelled walk too
    } else {
      ergebnis = false;
    }
    if (datei_) datei_->Übernimm();
    m_Datei = nullptr;
    entsperrt = true;
    if (k_.Beleg().Entsperren(art, nummer) == 0) Meldung10055(k_, "Entsperre Beleg: " + std::to_string(belegnummer));
  });
  // A run that failed on the way still releases its lock, and its unfinished
  // file is removed: the target keeps what it held.
  if (m_BelegGesperrt && !entsperrt) Ignoriere([&] { k_.Beleg().Entsperren(art, nummer); });
  datei_.reset();
  m_Datei = nullptr;
  return ergebnis;
}

// ---------------------------------------------------------------------------
// DA11

bool Mengenberechnung::Ausgabe_ZeileDA90_REB11() {
  bool ok = false;
  Geschützt(k_, "Ausgabe_ZeileDA90_REB11", [&] {
    if (m_Datei == nullptr) throw Fehler(kFehlerDatei, "Die Ausgabedatei ist nicht geöffnet");
    EineZeile(m_Zeilenpuffer);
    std::string zeile;
    if (m_Zeilenpuffer.compare(0, 2, "00") == 0) {
      zeile = text::Links(m_Zeilenpuffer, 80);
    } else {
      if (++m_REBZeilenzähler == 23) {
        m_REBZeilenzähler = 1;
        if (k_.satz.Satznummer == INT32_MAX) throw Fehler(kFehlerÜberlauf, "Überlauf");
        k_.satz.Satznummer = k_.satz.Satznummer + 1;
      }
      std::string spalte75 = text::Mitte(m_Zeilenpuffer, 75, 1);
      if (spalte75 == " ") spalte75 = "0";
      // Sheet 10000 does not fit columns 70-73: the line is refused, never shifted.
      zeile = text::Links(m_Zeilenpuffer, 69) + FormatZahlFeld(k_.satz.Satznummer, "0000") +
              std::string(m_REBZeilenbuchstaben[m_REBZeilenzähler]) + spalte75 + "    ";
      zeile = text::Links(zeile, 80);
    }
    m_Bytes.clear();
    NachCodepage(zeile, Codepage::Cp1252, m_Bytes);
    m_Bytes += "\r\n";
    m_Datei->Schreibe(m_Bytes);
    ok = true;
  });
  m_Zeilenpuffer.clear();
  return ok;
}

bool Mengenberechnung::AusgabeDA90_REB11DA00() {
  bool ok = false;
  Geschützt(k_, "AusgabeDA90_REB11DA00", [&] {
    std::string info = Kopfwert("KopfInformationAG");
    if (info.empty()) {
      info = "Mengenberechnung";
      k_.Beleg().Kopf().SetzeFeld("KopfInformationAG", info);
    }
    std::string maske = Ermittle_OZMaske(k_);
    maske = text::Ersetze(text::Ersetze(maske, "III", "I"), "II", "I");
    maske = text::Trim(text::Ersetze(maske, "0", ""));
    m_Zeilenpuffer = "00" + text::Leer(8) + "23.003" + "2009" + F("DA11 " + text::Links(info, 46), 51) + F(maske, 9);
    ok = true;
  });
  if (ok) return Ausgabe_ZeileDA90_REB11();
  m_Zeilenpuffer.clear();
  return false;
}

bool Mengenberechnung::AusgabeDA90_REB11Vorlauf(XArrayDB& a) {
  bool ok = false;
  Geschützt(k_, "AusgabeDA90_REB11Vorlauf", [&] {
    auto I = [&](const std::string& x) {
      m_Zeilenpuffer = "11" + text::Leer(10) + "*" + F(x, 62);
      Ausgabe_ZeileDA90_REB11();
    };
    auto W = [&](int spalte) { return a.Text(0, spalte); };
    m_Zeilenpuffer = "11" + text::Leer(10) + "*" + "Mengenberechnung *REB-VB 23.003 DA11* vom:" +
                     F(k_.vorgaben.pGL_tmjVerarbeitungsdatum, 10) + text::Leer(16);
    Ausgabe_ZeileDA90_REB11();
    I(W(18));
    for (const std::string& z : Textzeilen19(a)) I(z);
    I("Beleg.-Nr  : " + W(1) + "/" + W(2));
    I("Projekt.-Nr: " + W(4));
    I("Kunden-Nr  : " + W(6));
    I("Kundenanschrift:");
    I(W(8));
    I(W(9).empty() ? W(10) : W(9) + " " + W(10));
    for (int spalte : {11, 12, 13, 14}) I(W(spalte));
    I(W(16) + " " + W(15));
    ok = true;
  });
  m_Zeilenpuffer.clear();
  return ok;
}

bool Mengenberechnung::AusgabeDA90_REB11Betreff() {
  bool ok = false;
  Geschützt(k_, "AusgabeDA90_REB11Betreff", [&] {
    m_Zeilenpuffer = "11" + text::Leer(10) + "*" + F(Kopfwert("KopfInformationAG"), 50) + text::Leer(12);
    Ausgabe_ZeileDA90_REB11();
    for (const std::string& z : Betreffzeilen()) {
      m_Zeilenpuffer = "11" + text::Leer(10) + "*" + F(z, 62);
      Ausgabe_ZeileDA90_REB11();
    }
    ok = true;
  });
  m_Zeilenpuffer.clear();
  return ok;
}

namespace {

// The row kind of column 0: 0 calculation, 1 comment, -1 anything else
// (an empty cell or a text that is no number included).
int Zeilenart(const XArrayDB& a, std::int32_t r) {
  const std::string t = text::Trim(a.Text(r, 0));
  if (t.empty()) return -1;
  double d = -1;
  Ignoriere([&] { d = Variant(t).ToDouble(); });
  return d == 0 ? 0 : d == 1 ? 1 : -1;
}

// digits right-aligned in a field of breite characters; a value that does
// not fit stops the row.
std::string Rechtsbündig(const std::string& ziffern, std::size_t breite) {
  const std::size_t n = text::Länge(ziffern);
  if (n > breite) throw Fehler(kFehlerÜberlauf, "Der Wert " + ziffern + " passt nicht in " + std::to_string(breite) + " Stellen");
  return text::Leer(breite - n) + ziffern;
}

}  // namespace

bool Mengenberechnung::AusgabeDA90_REB11(XArrayDB& a, std::int32_t r) {
  bool ok = false;
  Geschützt(k_, "AusgabeDA90_REB11", [&] {
    const std::string P = "11" + F(Format_PosNr(k_, a.Text(r, 5)), 9) + " ";
    const std::string S = F(a.Text(r, 3), 4) + F(a.Text(r, 4), 1) + "0";
    const int art = Zeilenart(a, r);
    if (art == 1) {
      m_Zeilenpuffer = P + "*" + F(a.Text(r, 6), 56) + S;
      Ausgabe_ZeileDA90_REB11();
    }
    if (art != 0 || text::Trim(a.Text(r, 8)).empty()) {
      ok = true;
      return;
    }
    std::string zeile = P + " " + F(a.Text(r, 6), 9);
    std::string menge = a.Text(r, 7);
    if (menge.compare(0, 1, "-") == 0) {
      zeile += "-";
      menge = text::Ersetze(menge, "-", " ");
      a.SetzeWert(r, 7, menge);
    } else {
      zeile += " ";
    }
    zeile += Rechtsbündig(Feld_Num(k_, FormatZahl(Variant(menge).ToDouble(), "0.000")), 6) + "91";
    std::vector<std::string> stücke;
    Zerlege_Formel(a.Text(r, 8), stücke, 38, 11);
    for (std::size_t i = 0; i < stücke.size(); ++i) {
      if (stücke[i].empty()) continue;
      m_Zeilenpuffer = zeile + F(stücke[i], 38) + text::Links(S, 5) + std::to_string(i);
      Ausgabe_ZeileDA90_REB11();
      zeile = P + " " + text::Leer(9) + " " + text::Leer(6) + "91";
    }
    ok = true;
  });
  m_Zeilenpuffer.clear();
  return ok;
}

bool Mengenberechnung::Ausgabe_BelegdatenDA90REB11(std::int16_t pBelegart, std::int32_t pBelegnummer,
                                                   const std::string& tmpPfadDatei, XArrayDB& AnzArrayERG) {
  m_Datenart = 11;
  return Ausgabe_Rahmen(
      "Ausgabe_BelegdatenDA90REB11", pBelegart, pBelegnummer, tmpPfadDatei, AnzArrayERG,
      [&] {
        AusgabeDA90_REB11DA00();
        AusgabeDA90_REB11Vorlauf(AnzArrayERG);
        AusgabeDA90_REB11Betreff();
      },
      [&](std::int32_t r) { AusgabeDA90_REB11(AnzArrayERG, r); }, [] {});
}

bool Ausgabe_BelegdatenDA90REB11(Kontext& k, std::int16_t pBelegart, std::int32_t pBelegnummer,
                                 const std::string& tmpPfadDatei, XArrayDB& AnzArrayERG) {
  Mengenberechnung m(k);
  return m.Ausgabe_BelegdatenDA90REB11(pBelegart, pBelegnummer, tmpPfadDatei, AnzArrayERG);
}

}  // namespace gaeb::gaeb90

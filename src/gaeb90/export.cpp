// The driver of the GAEB 90 export, its line writer and the field formatting
// that every record writer shares. The record writers themselves are in
// kopfsaetze.cpp (header and sections), positionssaetze.cpp (positions and
// texts) and summensaetze.cpp (sums and end records).
#include "gaeb90/export.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <memory>

#include "base/codepage.h"
#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "export/belegzugang.h"
#include "export/fortschritt.h"
#include "export/oz.h"
#include "gaeb90/reb.h"
#include "gaeb90/satzaufbau.h"

namespace gaeb::gaeb90 {

namespace {

// The line number as the mask "000000" writes it: at least six digits.
void HängeZeilennummerAn(std::string& zeile, std::int32_t nummer) {
  if (nummer < 0) {
    zeile += FormatZahl(nummer, kMaskeZeilennummer);
    return;
  }
  char ziffern[16];
  std::to_chars_result r = std::to_chars(ziffern, ziffern + sizeof ziffern, nummer);
  std::size_t n = static_cast<std::size_t>(r.ptr - ziffern);
  if (n < kMaskeZeilennummer.size()) zeile.append(kMaskeZeilennummer.size() - n, '0');
  zeile.append(ziffern, n);
}

// A text value read as a number, as the host's runtime reads a number from a
// text field: a text that is no number counts as 0.
double Zahlwert(const Variant& v) {
  try {
    return v.ToDouble();
  } catch (const Fehler&) {
    return 0;
  }
}

// Position of the next line break (CR, LF) at or after start; the text's size
// when there is none.
std::size_t Umbruch(std::string_view t, std::size_t start) {
  while (start < t.size() && t[start] != '\r' && t[start] != '\n') ++start;
  return start;
}

// Where the line after the break at `bruch` begins (CR LF counts as one break).
std::size_t NachUmbruch(std::string_view t, std::size_t bruch) {
  return bruch + ((t[bruch] == '\r' && bruch + 1 < t.size() && t[bruch + 1] == '\n') ? 2 : 1);
}

}  // namespace

std::vector<std::string> Zeilen(const std::string& text) {
  std::vector<std::string> zeilen;
  for (std::size_t start = 0;;) {
    const std::size_t ende = Umbruch(text, start);
    zeilen.emplace_back(text, start, ende - start);
    if (ende == text.size()) return zeilen;
    start = NachUmbruch(text, ende);
  }
}

Textzeilen::Textzeilen(std::string text, std::size_t breite, bool bereinigen)
    : text_(bereinigen && text.find("''") != std::string::npos ? text::Ersetze(text, "''", "'") : std::move(text)) {
  if (breite == 0) return;
  stücke_.reserve(text_.size() / breite + 2);
  const std::string_view t(text_);
  for (std::size_t start = 0;;) {
    std::size_t ende = start;
    bool ascii = true;  // then characters and bytes are the same
    for (; ende < t.size() && t[ende] != '\r' && t[ende] != '\n'; ++ende)
      ascii = ascii && static_cast<unsigned char>(t[ende]) < 0x80;
    if (ende == start) stücke_.push_back({start, 0, 0});  // an empty line: one blank record
    // The line in pieces of breite characters.
    for (std::size_t pos = start; ascii && pos < ende; pos += breite)
      stücke_.push_back({pos, std::min(breite, ende - pos), std::min(breite, ende - pos)});
    for (std::size_t pos = start; !ascii && pos < ende;) {
      std::size_t zeichen = 0, bytes = 0;
      for (; zeichen < breite && pos + bytes < ende; ++zeichen)
        bytes += static_cast<unsigned char>(t[pos + bytes]) < 0x80
                     ? 1
                     : text::ZeichenBytes(t.substr(pos + bytes, ende - pos - bytes));
      stücke_.push_back({pos, bytes, zeichen});
      pos += bytes;
    }
    if (ende == t.size()) return;
    start = NachUmbruch(t, ende);
  }
}

Export::Export(Kontext& k, Ausgabe* ziel) : k_(k), m_Datei(ziel) {}

// ---------------------------------------------------------------------------
// Line writer

bool Export::Ausgabe_Zeile() {
  bool ok = false;
  Geschützt(k_, "Ausgabe_Zeile", [&] {
    if (m_Datei == nullptr) throw Fehler(kFehlerDatei, "Die Ausgabedatei ist nicht geöffnet");
    if (k_.satz.Satznummer == INT32_MAX) throw Fehler(kFehlerÜberlauf, "Überlauf");
    k_.satz.Satznummer = k_.satz.Satznummer + 1;
    // Code page 850 has one byte per character, so cutting the UTF-8 text at
    // 74 characters and converting gives the same bytes as the other order.
    // A buffer of at most 74 bytes holds at most 74 characters.
    if (m_Zeilenpuffer.size() > kSatzbreite) m_Zeilenpuffer = text::Links(m_Zeilenpuffer, kSatzbreite);
    // Every record is one line: a line break that reached the buffer unsplit
    // (a record taken over from an imported file) becomes a blank.
    std::replace(m_Zeilenpuffer.begin(), m_Zeilenpuffer.end(), '\r', ' ');
    std::replace(m_Zeilenpuffer.begin(), m_Zeilenpuffer.end(), '\n', ' ');
    m_Bytes.clear();
    NachCodepage(m_Zeilenpuffer, Codepage::Cp850, m_Bytes);
    HängeZeilennummerAn(m_Bytes, k_.satz.Satznummer);
    m_Bytes += "\r\n";
    m_Datei->Schreibe(m_Bytes);
    ok = true;
  });
  m_Zeilenpuffer.clear();
  return ok;
}

// ---------------------------------------------------------------------------
// Field access and formatting

Variant Export::Pos(std::string_view feld) const { return k_.Beleg().AktuellePosition().Feld(feld); }

Variant Export::Kopf(std::string_view feld) const { return k_.Beleg().Kopf().Feld(feld); }

bool Export::MitLos() const { return Kopf("MitLos").ToBool(); }

std::string Export::F(const std::string& text, std::size_t breite) const {
  const std::int16_t b = static_cast<std::int16_t>(breite);
  // A field is one line: a line break in its text becomes one blank.
  return Feld_String(k_, text::EineZeile(text), b);
}

// A value that needs more digits than the mask's columns stops its record.
std::string Export::N(double wert, std::string_view maske) const {
  return Feld_Num(k_, FormatZahlFeld(wert, maske));
}

std::string Export::Faktor7(double prozent) const {
  if (prozent == 0) return text::Leer(7);
  return N(k_.Daten().RundeAufSchritt(1 + prozent / 100, 0.01), kMaskeFaktor);
}

std::string Export::OZ9() const { return F(Format_PosNr(k_, Pos("Positionsnummer").ToString()), 9); }

void Export::Hänge_Stück_An(std::string& z, const Textzeilen& zeilen, std::size_t i, std::size_t breite) {
  z += zeilen.Stück(i);
  if (zeilen.Zeichen(i) < breite) z.append(breite - zeilen.Zeichen(i), ' ');
}

void Export::Schreibe_Textzeilen(const Textzeilen& zeilen, std::string_view kopf, std::size_t breite) {
  const std::size_t nachFeld = kSatzbreite - kopf.size() - breite;
  for (std::size_t i = 0; i < zeilen.Anzahl(); ++i) {
    m_Zeilenpuffer.assign(kopf);
    Hänge_Stück_An(m_Zeilenpuffer, zeilen, i, breite);
    m_Zeilenpuffer.append(nachFeld, ' ');
    Ausgabe_Zeile();
  }
}

// ---------------------------------------------------------------------------
// Driver

bool Export::Ausgabe_BelegdatenDA90(std::int16_t belegart, std::int32_t belegnummer, const std::string& tmpPfadDatei,
                                    std::int16_t tmpDatenphase, const Ausgabeoptionen& optionen) {
  bool ergebnis = false;
  bool gesperrt = false;
  bool entsperrt = false;
  std::int16_t art = belegart;
  std::int32_t nummer = belegnummer;
  std::unique_ptr<Zieldatei> datei;

  Geschützt(k_, "Ausgabe_BelegdatenDA90", [&] {
    k_.satz.Datenphase = tmpDatenphase;
    // RTF texts and article numbers have no place in a GAEB 90 bill: those
    // two options are accepted and have no effect.
    m_MitPreise = optionen.chkMitPreise;
    m_PaketAlsLeistung = optionen.chkPaketalsLeistung;
    m_MitZeiten = optionen.chkMitZeiten;
    if (k_.satz.Datenphase == 84) m_MitPreise = true;

    ergebnis = true;

    Belegdaten& beleg = k_.Beleg();
    if (!ÖffneBelegZurAusgabe(k_, art, nummer, gesperrt)) {
      ergebnis = false;
      return;
    }
    bool landeswährung = optionen.AusgabeLandeswährung;
    beleg.SetzeAusgabewährung(landeswährung);

    // The quantity calculations: the results handed as text, one row per
    // piece before the last "|", go to the export of their data type.
    if (k_.satz.Datenphase == 11 || k_.satz.Datenphase == 12) {
      std::unique_ptr<XArrayDB> feld = k_.fabrik->Erzeuge<XArrayDB>(klassen::XArrayDB);
      feld->ReDim(0, 0, 0, 0);
      const std::string& liste = optionen.AnzArrayERGString;
      std::size_t start = 0;
      for (std::int32_t zeile = 0;; ++zeile) {
        const std::size_t ende = liste.find('|', start);
        if (ende == std::string::npos) break;
        if (zeile > 0) feld->FügeZeileEin(zeile);
        if (ende > start) feld->SetzeWert(zeile, 0, liste.substr(start, ende - start));
        start = ende + 1;
      }
      Mengenberechnung reb(k_, m_Datei);
      reb.BelegIstGesperrt();
      const bool ok = k_.satz.Datenphase == 11
                          ? reb.Ausgabe_BelegdatenDA90REB11(art, nummer, tmpPfadDatei, *feld)
                          : reb.Ausgabe_BelegdatenDA90REB12(art, nummer, tmpPfadDatei, *feld);
      entsperrt = true;  // the quantity calculation released the lock
      Ignoriere([&] { beleg.Entsperren(art, nummer); });
      if (!ok) ergebnis = false;
      return;
    }

    if (m_Datei == nullptr) {
      datei = std::make_unique<Zieldatei>(tmpPfadDatei);
      m_Datei = datei.get();
    }
    m_VorlaufOffen = true;
    m_AnzahlLeistungen = 0;
    k_.satz.AnzahlLeistungen = 0;
    k_.satz.AnzahlPakete = 0;
    k_.satz.AnzahlPaketteile = 0;
    m_BereichOZ = {};
    m_BereichSumme = {};
    m_LetzteOZ.clear();
    m_LVSummenspeicher = {};
    m_UnterbeschreibungNr = 0;
    k_.satz.Satznummer = 0;

    bool abgebrochen = false;
    const std::int32_t letzte = beleg.LetzterPositionsindex();
    for (std::int32_t i = 0; i <= letzte; ++i) {
      beleg.WählePosition(i);
      Ausgabe_Position();
      if (!MeldeFortschritt(k_, i, [&] { return letzte + beleg.LetzterSchlusszeilenindex() + 10; })) {
        ergebnis = false;
        abgebrochen = true;
        break;
      }
    }
    if (!abgebrochen) Ausgabe_Schluss();

    if (datei) datei->Übernimm();
    m_Datei = nullptr;
    const std::int32_t antwort = beleg.Entsperren(art, nummer);
    entsperrt = true;
    if (antwort == 0) Meldung10055(k_, "Entsperre Beleg: " + std::to_string(belegnummer));
  });

  // An export that failed on the way still releases its lock, so that the
  // document does not stay blocked for the other workstations; its unfinished
  // file goes with `datei`, and the target keeps what it held.
  if (gesperrt && !entsperrt) Ignoriere([&] { k_.Beleg().Entsperren(art, nummer); });
  m_Datei = nullptr;
  return ergebnis;
}

void Export::Ausgabe_Position() {
  const std::int16_t art = Pos("Positionstyp").ToInt16();
  if (m_VorlaufOffen && art != 50) Ausgabe_ZA00_ZA08();
  switch (art) {
    case 50:
      // A text row that prints its long text and is marked as preliminary
      // remark is a preamble; every other text row is a notice.
      if (Pos("Langtextdruck").ToBool() && Zahlwert(Pos("KnzVbSb")) == 1) {
        std::string text = Pos("Langtext").ToString();
        Ausgabe_ZAT1(text);
      } else {
        Ausgabe_ZA00_ZA08();
        Ausgabe_ZA26H();
      }
      break;
    case 20:
      if (MitLos()) {
        Ausgabe_ZA10(20);
      } else {
        Ausgabe_ZA11(20);
        Ausgabe_ZA12();
      }
      break;
    case 21:
    case 22:
      Ausgabe_ZA11(art);
      Ausgabe_ZA12();
      break;
    case 40:
    case 45:
      ++m_AnzahlLeistungen;
      k_.satz.AnzahlLeistungen = static_cast<std::int16_t>(std::min<std::int32_t>(m_AnzahlLeistungen, INT16_MAX));
      Ausgabe_ZA21();
      Ausgabe_ZA22();
      Ausgabe_ZA23();
      Ausgabe_ZA30();
      Ausgabe_ZA25();
      Ausgabe_ZA26L();
      break;
    case 47:
      if (!m_PaketAlsLeistung) {
        Ausgabe_ZA24();
        Ausgabe_ZA25();
        Ausgabe_ZA26L();
      }
      break;
    case 60:
    case 70:
    case 80:
      Ausgabe_Zuschlag(art);
      break;
    default:
      break;
  }
}

void Export::Ausgabe_Zuschlag(std::int16_t art) {
  const std::int16_t ebenencode = Pos("WelcherBetragZuAbschlag").ToInt16();
  const double gesamtpreis = Pos("Gesamtpreis").ToDouble();
  switch (ebenencode) {
    case 0:
      // A surcharge on the whole bill goes into the end record.
      m_LVSummenspeicher.Summe = -gesamtpreis;
      m_LVSummenspeicher.NachlassProz = Pos("AufAbschlagProzent").ToDouble();
      m_LVSummenspeicher.NachlassAbs = Pos("Einzelpreis").ToDouble();
      m_LVSummenspeicher.NachlassUnterart = ebenencode;
      m_LVSummenspeicher.NachlassPositionsart = art;
      break;
    case 1:
    case 2:
    case 3: {
      for (int ebene = 3; ebene > ebenencode; --ebene) Schließe_Bereich(ebene);
      double betrag = m_BereichSumme[ebenencode] - gesamtpreis;
      const double prozent = Pos("AufAbschlagProzent").ToDouble();
      const double wert = Pos("Einzelpreis").ToDouble();
      if (ebenencode == 1 && MitLos()) {
        Ausgabe_ZA33(m_BereichOZ[1], betrag, prozent, wert, ebenencode, art);
      } else {
        Ausgabe_ZA32(m_BereichOZ[ebenencode], betrag, prozent, wert, ebenencode, art);
      }
      m_BereichOZ[ebenencode].clear();
      break;
    }
    default:
      Ausgabe_ZA21();
      Ausgabe_ZA22();
      Ausgabe_ZA23Z();
      Ausgabe_ZA25();
      Ausgabe_ZA26L();
      break;
  }
}

void Export::Ausgabe_Schluss() {
  Belegdaten& beleg = k_.Beleg();
  // A bill without a row that opened the header records (none at all, or
  // only preamble texts) gets them before its end records.
  if (m_VorlaufOffen) Ausgabe_ZA00_ZA08();
  m_VorlaufOffen = true;  // from here on: the closing of the sums is pending
  const std::int32_t letzte = beleg.LetzterSchlusszeilenindex();
  for (std::int32_t j = 0; j <= letzte; ++j) {
    beleg.WähleSchlusszeile(j);
    Datensatz& zeile = beleg.AktuelleSchlusszeile();
    const std::int16_t art = zeile.Feld("Positionstyp").ToInt16();
    if (art == 90) {
      Ausgabe_ZA99();
    } else if (art == 140) {
      Ausgabe_ZA99();
      std::string text = zeile.Feld("Langtext").ToString();
      Ausgabe_ZAT1(text);
    }
  }
  Ausgabe_ZA99();
}

bool Ausgabe_BelegdatenDA90(Kontext& k, std::int16_t belegart, std::int32_t belegnummer,
                            const std::string& tmpPfadDatei, std::int16_t tmpDatenphase,
                            const Ausgabeoptionen& optionen) {
  Export e(k);
  return e.Ausgabe_BelegdatenDA90(belegart, belegnummer, tmpPfadDatei, tmpDatenphase, optionen);
}

}  // namespace gaeb::gaeb90

// The GAEB 2000 export driver and the file frame: data-phase check, opening
// and locking the document, the position loop with progress and cancel, the
// closing rows, the closing line, the finishing pass and the unlock; and the
// header blocks GAEBInfo, PrjInfo and Vergabe (award information, client and
// contractor address, LV information with its level structure).
#include <cstdint>
#include <ctime>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "gaeb2000/export.h"
#include "export/belegzugang.h"
#include "export/firma.h"
#include "export/fortschritt.h"
#include "export/oz.h"

namespace gaeb::gaeb2000 {

namespace {

// The text sub-kind of a text row as a number; a text that is no number counts as 0.
int AlsZahl(const std::string& s) {
  try {
    return static_cast<int>(TextZuZahl(s));
  } catch (const Fehler&) {
    return 0;
  }
}

std::string Uhrzeit() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[8];
  std::strftime(buf, sizeof buf, "%H:%M", &tm);
  return buf;
}

}  // namespace

Export::Export(Kontext& k, const Ausgabeoptionen& o) : Exportzustand(o), k_(k) {}

Export::~Export() = default;

Belegposition& Export::Position() { return k_.Beleg().AktuellePosition(); }
std::string Export::PS(std::string_view feld) { return Position().Feld(feld).ToString(); }
double Export::PD(std::string_view feld) { return Position().Feld(feld).ToDouble(); }
std::int16_t Export::PI(std::string_view feld) { return Position().Feld(feld).ToInt16(); }
bool Export::PB(std::string_view feld) { return Position().Feld(feld).ToBool(); }
std::int16_t Export::Ebene() { return PI("HierarchieEbene"); }
Datensatz& Export::Kopf() { return k_.Beleg().Kopf(); }

bool Export::Ausgabe_BelegdatenDA2000(std::int16_t belegart, std::int32_t belegnummer,
                                      const std::string& tmpPfadDatei, std::int16_t tmpDatenphase) noexcept {
  bool ergebnis = false;
  bool gesperrt = false;
  try {
    k_.satz.Datenphase = tmpDatenphase;
    if (tmpDatenphase == 11) {
      ZeigeMeldung(k_, "Die Ausabe DA11 REB-23.003 ist für GAEB2000 nicht zugelassen! ");
      return false;
    }
    if (tmpDatenphase == 12) {
      ZeigeMeldung(k_, "Die Ausabe DA12 REB-23.004 ist für GAEB2000 nicht realisiert! ");
      return false;
    }
    if (tmpDatenphase == 84) m_MitPreise = true;

    ergebnis = true;
    Belegdaten& b = k_.Beleg();
    std::int16_t art = belegart;
    std::int32_t nummer = belegnummer;
    if (!ÖffneBelegZurAusgabe(k_, art, nummer, gesperrt)) return false;

    bool landeswährung = m_AusgabeLandeswährung;
    b.SetzeAusgabewährung(landeswährung);
    ÖffneZiel(tmpPfadDatei);

    m_VorlaufOffen = true;
    k_.satz.AnzahlLeistungen = 0;
    k_.satz.AnzahlPakete = 0;
    k_.satz.AnzahlPaketteile = 0;
    m_BereichOZ = {};
    m_BereichSumme = {};
    // The bill's totals go into its information block, before the items.
    m_LVSummenspeicher = LVSummen(b);
    m_LVSummenFehlerhaft = false;
    m_NurPositionen = false;
    AnzahlBeginZeilen = 0;
    AnzahlEndZeilen = 0;
    k_.satz.Satznummer = 0;
    AusgabeZeichensatz = "ANSI";

    Zeile(0, "#begin[GAEB]");
    Zeile(0, "## Datenaustausch GAEB(DA2000) erstellt mit Norrfeld Software(2013)");

    bool abgebrochen = false;
    const std::int32_t letzte = b.LetzterPositionsindex();
    for (std::int32_t i = 0; i <= letzte; ++i) {
      b.WählePosition(i);
      const std::int16_t positionsart = PI("Positionstyp");
      if (m_VorlaufOffen && positionsart != 50) Ausgabe_VorlaufDA2000();
      switch (positionsart) {
        case 50:
          if (AlsZahl(PS("KnzVbSb")) == 1) {
            Ausgabe_ZUSTEXT();
          } else {
            Ausgabe_VorlaufDA2000();
            Ausgabe_BESCHREIBUNG();
          }
          break;
        case 20:
        case 21:
        case 22: Ausgabe_LVBEREICH(positionsart); break;
        case 40:
        case 45:
          // The 16-bit counter stops at its largest value on very large bills.
          if (k_.satz.AnzahlLeistungen < INT16_MAX) k_.satz.AnzahlLeistungen += 1;
          Ausgabe_POSITION();
          break;
        case 47:
          if (!m_PaketAlsLeistung) Ausgabe_UNTERBESCHR();
          break;
        case 60:
        case 70:
        case 80: {
          // The discount row of the whole bill (0) is in the LV totals already.
          const std::int16_t unterart = PI("WelcherBetragZuAbschlag");
          if (unterart == 0) {
          } else if (unterart == 1 || unterart == 2) {
            Summenzeile(unterart);
          } else {
            Ausgabe_ZUSCHLPOSITION();
          }
          break;
        }
        default: break;
      }
      if (!MeldeFortschritt(k_, i, [&] { return letzte + b.LetzterSchlusszeilenindex() + 10; })) {
        ergebnis = false;
        abgebrochen = true;
        break;
      }
    }

    if (!abgebrochen) {
      // A bill without a row that opens the header (none at all, or only
      // texts above it) still gets its header and LV, so that the LV's end
      // closes what was opened.
      if (m_VorlaufOffen) Ausgabe_VorlaufDA2000();
      m_VorlaufOffen = true;
      const std::int32_t letzteSchlusszeile = b.LetzterSchlusszeilenindex();
      for (std::int32_t j = 0; j <= letzteSchlusszeile; ++j) {
        b.WähleSchlusszeile(j);
        Datensatz& z = b.AktuelleSchlusszeile();
        const std::int16_t zeilenart = z.Feld("Positionstyp").ToInt16();
        if (zeilenart == 90) {
          Ausgabe_ENDLV();
        } else if (zeilenart == 140) {
          Ausgabe_ENDLV();
          // The closing text travels through the current position.
          Position().SetzeFeld("Langtext", z.Feld("Langtext"));
          Position().SetzeFeld("LangtextRTF", z.Feld("LangtextRTF"));
          Ausgabe_ZUSTEXT();
        }
      }
      Ausgabe_ENDLV();
    }

    // The closing line replaces a deferred line still in the buffer.
    Zeile(0, "#end[GAEB]" + std::to_string(AnzahlBeginZeilen) + "|" + std::to_string(AnzahlEndZeilen));
    Leere();
    SetzeAusgabe(nullptr);
    Aktualisiere_LVInfo(tmpPfadDatei);
    zwischen_.reset();
    ziel_.reset();

    gesperrt = false;
    if (b.Entsperren(art, nummer) == 0) Meldung10055(k_, "Entsperre Beleg: " + std::to_string(belegnummer));
    return ergebnis;
  } catch (...) {
    Fehlermeldung(k_, "Ausgabe_BelegdatenDA2000");
  }
  // After an unexpected error the temporary file is removed, the target keeps
  // what it held, and the document is unlocked.
  Ignoriere([&] { zwischen_.reset(); });
  Ignoriere([&] { ziel_.reset(); });
  SetzeAusgabe(nullptr);
  if (gesperrt) {
    Ignoriere([&] {
      std::int16_t art = belegart;
      std::int32_t nummer = belegnummer;
      k_.Beleg().Entsperren(art, nummer);
    });
  }
  return ergebnis;
}

void Export::Ausgabe_VorlaufDA2000() {
  if (!m_VorlaufOffen) return;
  Geschützt(k_, "Ausgabe_VorlaufDA2000", [&] {
    Ermittle_OZMaske(k_);
    k_.satz.OZStufen = OZMaske_Stufen(k_, k_.Beleg().OZMaske());
    if (m_MitRTF) Kopf().SetzeFeld("Zeichensatz", "ANSI");
    AusgabeZeichensatz = text::Gross(Kopf().Feld("Zeichensatz").ToString()) == "ANSI" ? "ANSI" : "OEM";
    Ausgabe_GAEBINFO();
    Ausgabe_PRJINFO();
    Ausgabe_Vergabe();
    m_VorlaufOffen = false;
  });
}

bool Export::Ausgabe_GAEBINFO() {
  WeiterBeiFehler weiter(k_, "Ausgabe_GAEBINFO");
  weiter([&] { AusgabeDA2000_Zeile(); });  // the buffer is empty here: an empty line
  weiter([&] { Zeile(5, "#begin[GAEBInfo]"); });
  weiter([&] { Attribut(10, "[Version]", "1.2"); });
  weiter([&] { Attribut(10, "[VersMon]", "11"); });
  weiter([&] { Attribut(10, "[VersJahr]", "2001"); });
  weiter([&] { Attribut(10, "[Datum]", k_.vorgaben.pGL_tmjVerarbeitungsdatum); });
  weiter([&] { Attribut(10, "[Uhrzeit]", Uhrzeit()); });
  weiter([&] { Attribut(10, "[ProgSystem]", "Varnick"); });
  weiter([&] {
    std::string zeichensatz = Kopf().Feld("Zeichensatz").ToString();
    Attribut(10, "[Zeichensatz]", zeichensatz.empty() ? "OEM" : zeichensatz);
  });
  weiter([&] { Zeile(5, "#end[GAEBInfo]"); });
  return true;
}

bool Export::Ausgabe_PRJINFO() {
  WeiterBeiFehler weiter(k_, "Ausgabe_PRJINFO");
  weiter([&] { AusgabeDA2000_Zeile(); });
  weiter([&] { Zeile(5, "#begin[PrjInfo]"); });
  weiter([&] { Attribut(10, "[Name]", Kopf().Feld("Projektname").ToString()); });
  weiter([&] {
    std::string beschreibung = Kopf().Feld("Projektbeschreibung").ToString();
    if (!beschreibung.empty()) Ausgabe_TEXT(beschreibung, "[Beschreib]");
  });
  weiter([&] { Zeile(5, "#end[PrjInfo]"); });
  return true;
}

bool Export::Ausgabe_Vergabe() {
  WeiterBeiFehler weiter(k_, "Ausgabe_Vergabe");
  constexpr std::size_t b = 1;
  auto kopf = [&](const char* feld) { return Kopf().Feld(feld).ToString(); };
  // An attribute that is written only when its value is not empty.
  auto fallsGesetzt = [&](std::size_t blanks, const char* schlüssel, const std::string& wert) {
    if (!wert.empty()) Attribut(blanks, schlüssel, wert);
  };

  weiter([&] { AusgabeDA2000_Zeile(); });
  weiter([&] { Zeile(5, "#begin[Vergabe]"); });
  weiter([&] { Attribut(b + 10, "[DP]", std::to_string(k_.satz.Datenphase)); });
  weiter([&] { Zeile(b + 10, "#begin[VergabeInfo]"); });
  weiter([&] { Attribut(b + 13, "[Wae]", kopf("Währung")); });
  weiter([&] { Attribut(b + 13, "[WaeBez]", kopf("Währung")); });
  weiter([&] {
    std::string datum = kopf("Erfassungsdatum");
    if (!datum.empty()) Attribut(b + 13, "[ErDatum]", k_.Daten().DatumFürAusgabe(datum));
  });
  weiter([&] {
    std::string datum = kopf("DatumZuschlagsfrist");
    if (!datum.empty()) Attribut(b + 13, "[ZusEnde]", k_.Daten().DatumFürAusgabe(datum));
  });
  weiter([&] { Zeile(b + 10, "#end[VergabeInfo]"); });

  // Client: the document's address of kind 2.
  weiter([&] { Zeile(b + 10, "#begin[AG]"); });
  weiter([&] { Zeile(b + 13, "#begin[Adresse]"); });
  weiter([&] {
    Datensatz& a = k_.Beleg().Adresse(2);
    auto feld = [&](const char* name, std::size_t länge) { return text::Links(a.Feld(name).ToString(), länge); };
    Attribut(b + 15, "[Name1]", feld("Name1", 40));
    Attribut(b + 15, "[Name2]", feld("Name2", 40));
    Attribut(b + 15, "[Name3]", feld("Name3", 40));
    Attribut(b + 15, "[Strasse]", feld("Strasse", 40));
    Attribut(b + 15, "[PLZ]", feld("Plz", 5));
    Attribut(b + 15, "[Ort]", feld("Ort", 40));
  });
  weiter([&] { Zeile(b + 13, "#end[Adresse]"); });
  weiter([&] { fallsGesetzt(b + 10, "[DVNr]", kopf("DVNrAG")); });
  weiter([&] { fallsGesetzt(b + 10, "[VergNr]", kopf("VergabenummerAG")); });
  weiter([&] { Zeile(b + 10, "#end[AG]"); });

  // Contractor: our own company from the settings.
  weiter([&] { Zeile(b + 10, "#begin[AN]"); });
  weiter([&] { Zeile(b + 13, "#begin[Adresse]"); });
  weiter([&] { GetFirmenanschrift(k_); });
  weiter([&] {
    const Firmenanschrift& f = k_.firma;
    Attribut(b + 15, "[Name1]", text::Links(f.Name1, 40));
    Attribut(b + 15, "[Name2]", text::Links(f.Name2, 40));
    Attribut(b + 15, "[Name3]", text::Links(f.Name3, 40));
    Attribut(b + 15, "[Strasse]", text::Links(f.Straße, 40));
    // "PlzOrt" is the postcode, one blank and the town.
    Attribut(b + 15, "[PLZ]", text::Mitte(f.PlzOrt, 1, 5));
    Attribut(b + 15, "[Ort]", text::Mitte(f.PlzOrt, 7, 40));
    Attribut(b + 15, "[Telefon]", text::Links(f.Telefon, 20));
    Attribut(b + 15, "[Fax]", text::Links(f.Fax, 20));
    Attribut(b + 15, "[Email]", text::Links(f.Email, 256));
  });
  weiter([&] { Zeile(b + 13, "#end[Adresse]"); });
  weiter([&] { fallsGesetzt(b + 10, "[DVNr]", kopf("DVNrAN")); });
  weiter([&] { fallsGesetzt(b + 10, "[VergNr]", kopf("VergabenummerAN")); });
  weiter([&] { fallsGesetzt(b + 10, "[BieterNr]", kopf("BieterNrAG")); });
  weiter([&] { Zeile(b + 10, "#end[AN]"); });

  // The LV and its information block with the bill's totals.
  weiter([&] { Zeile(b + 10, "#begin[LV]"); });
  weiter([&] { Zeile(b + 13, "#begin[LVInfo]"); });
  weiter([&] { Attribut(b + 15, "[Name]", kopf("LVName")); });
  int kurzlang = 1;
  weiter([&] { kurzlang = Kopf().Feld("Kurzlangtext").ToBool() ? 1 : 2; });
  kurzlang = 1;  // the file always carries 1, whatever the document's flag says
  weiter([&] { Attribut(b + 15, "[Kurzlang]", std::to_string(kurzlang)); });

  bool stufeBeschrieben = false;
  for (std::size_t stufe = 1; stufe <= 5; ++stufe) {
    weiter([&] {
      std::string länge = text::Mitte(k_.satz.OZStufen, stufe, 1);
      if (länge == "0") return;
      std::string nummer = std::to_string(stufe);
      Zeile(b + 15, "#begin[LVGlied]");
      if (stufe <= 3) {
        Attribut(b + 18, "[Typ]", "LVStufe");
        Attribut(b + 18, "[Bez]", "Abschnitt-" + nummer);
        stufeBeschrieben = true;
      } else {
        const char* name = stufe == 4 ? "Position" : "Index";
        Attribut(b + 18, "[Typ]", name);
        Attribut(b + 18, "[Bez]", name);
      }
      Attribut(b + 18, "[Laenge]", länge);
      Zeile(b + 15, "#end[LVGlied]");
    });
  }
  weiter([&] {
    if (Kopf().Feld("AnzahlEPAnteile").ToString() != "2") return;
    Attribut(b + 15, "[AnzEPAnteile]", "2");
    Attribut(b + 15, "[BezEPAnteil1]", "Material");
    Attribut(b + 15, "[BezEPAnteil2]", "Lohn");
  });
  weiter([&] { Attribut(b + 15, "[BezZeit]", "Minuten"); });
  LVSummenZeilen();
  weiter([&] { Zeile(b + 13, "#end[LVInfo]"); });
  weiter([&] { AusgabeDA2000_Zeile(); });
  m_NurPositionen = !stufeBeschrieben;
  if (!stufeBeschrieben) {
    // Without structure levels one area holds all positions.
    weiter([&] { Zeile(b + 10, "## nur Positionen (Ohne Los/Gewerk/Titel)"); });
    weiter([&] { Zeile(b + 10, "#begin[LVBereich]"); });
  }
  return true;
}

bool Ausgabe_BelegdatenDA2000(Kontext& k, std::int16_t belegart, std::int32_t belegnummer,
                              const std::string& tmpPfadDatei, std::int16_t tmpDatenphase,
                              const Ausgabeoptionen& optionen) noexcept {
  try {
    Export e(k, optionen);
    return e.Ausgabe_BelegdatenDA2000(belegart, belegnummer, tmpPfadDatei, tmpDatenphase);
  } catch (...) {
    Fehlermeldung(k, "Ausgabe_BelegdatenDA2000");
    return false;
  }
}

}  // namespace gaeb::gaeb2000

// The sum records of a GAEB 90 bill (31 heading, 32 section sum, 33 lot sum)
// and the end record 99 with the bill's totals. Columns as in
// gaeb90/satzaufbau.h.
#include "base/text.h"
#include "base/zahlformat.h"
#include "export/oz.h"
#include "gaeb90/export.h"
#include "gaeb90/satzaufbau.h"

namespace gaeb::gaeb90 {

bool Export::Ausgabe_ZA31(const std::string& label) {
  return Satz("Ausgabe_ZA31", [&] {
    if (k_.satz.Datenphase == 84 || label.empty()) return;
    m_Zeilenpuffer = "31" + F(label, 9) + text::Leer(63);
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA32(const std::string& label, double& betrag, double prozent, double /*wert*/,
                          std::int16_t /*ebenencode*/, std::int16_t positionsart) {
  return Satz("Ausgabe_ZA32", [&] {
    if (k_.satz.Datenphase == 81 || k_.satz.Datenphase == 82 || label.empty()) return;
    std::string& z = m_Zeilenpuffer;
    z = "32";
    z += F(label, 9);
    if (!m_MitPreise) {
      z += text::Leer(63);
    } else {
      z += Vorzeichen(betrag);
      z += N(betrag, kMaskeBetrag);
      z += Faktor7(positionsart == 80 ? -prozent : prozent);
      z += text::Leer(43);
    }
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA33(const std::string& label, double& betrag, double prozent, double /*wert*/,
                          std::int16_t /*ebenencode*/, std::int16_t positionsart) {
  return Satz("Ausgabe_ZA33", [&] {
    if (k_.satz.Datenphase == 82 || label.empty()) return;
    std::string& z = m_Zeilenpuffer;
    z = "33";
    z += F(label, 2);
    if (!m_MitPreise) {
      z += text::Leer(70);
    } else {
      z += N(betrag, kMaskeBetrag);
      z += Faktor7(positionsart == 80 ? -prozent : prozent);
      z += text::Leer(51);
    }
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA99() {
  return Satz("Ausgabe_ZA99", [&] {
    bool langform = false;
    if (m_VorlaufOffen) {
      // First end record: the open sections end here and the totals go in.
      m_VorlaufOffen = false;
      Ausgabe_ZA00_ZA08();
      Schließe_Bereich(3);
      Schließe_Bereich(2);
      Schließe_Bereich(1);
      if (m_MitPreise) {
        const double summe = k_.Beleg().AktuelleSchlusszeile().Feld("Summe").ToDouble();
        LVSummenspeicher& lv = m_LVSummenspeicher;
        // With a surcharge on the whole bill the record carries the total
        // before it and the surcharge as a factor.
        if (lv.Summe != 0) {
          lv.Summe += summe;
        } else {
          lv.Summe = summe;
        }
        langform = k_.satz.Datenphase >= 82 && k_.satz.Datenphase <= 86;
        if (lv.NachlassPositionsart == 80) {
          lv.NachlassProz = -lv.NachlassProz;
          lv.NachlassAbs = -lv.NachlassAbs;
        }
      }
    }
    Datensatz& schlusszeile = k_.Beleg().AktuelleSchlusszeile();
    const std::string steuersatz = N(schlusszeile.Feld("UST").ToDouble(), kMaskeSteuersatz);
    std::string& z = m_Zeilenpuffer;
    z = "99";
    if (langform) {
      const LVSummenspeicher& lv = m_LVSummenspeicher;
      z += N(lv.Summe, kMaskeBetrag);
      z += lv.NachlassUnterart == 0 && lv.NachlassProz != 0 ? Faktor7(lv.NachlassProz) : text::Leer(7);
      z += steuersatz;
      z += N(schlusszeile.Feld("SummeBrutto").ToDouble(), kMaskeBetrag);
    } else {
      z += text::Leer(12 + 7);
      z += steuersatz;
      z += text::Leer(12);
    }
    z += text::Leer(32);
    // 100,000 positions or more do not fit the five columns: the record is refused.
    z += FormatZahlFeld(m_AnzahlLeistungen, kMaskeAnzahl);
    Ausgabe_Zeile();
  });
}

}  // namespace gaeb::gaeb90

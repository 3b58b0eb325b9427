// The records of one position of a GAEB 90 bill: quantity and flags (21),
// prices (22, 23, and 23 for a surcharge row), sub-descriptions of a package
// (24), unit-price components (30) and the texts (25 short text, 26 long text,
// 20/26 notice, T0/T1/T9 preamble and closing text). Columns as in
// gaeb90/satzaufbau.h.
#include "base/text.h"
#include "base/zahlformat.h"
#include "gaeb90/export.h"
#include "gaeb90/satzaufbau.h"

namespace gaeb::gaeb90 {

bool Export::Ausgabe_ZA21() {
  return Satz("Ausgabe_ZA21", [&] {
    m_UnterbeschreibungNr = 0;
    const bool freieMenge = Pos("KnzFreieMenge").ToBool();
    // The bid returns only the quantities the bidder fills in.
    if (k_.satz.Datenphase == 84 && !freieMenge) return;

    const std::int16_t art = Pos("Positionstyp").ToInt16();
    const bool alternativ = Pos("Alternativposition").ToBool();
    const bool bedarf = Pos("Bedarfsposition").ToBool();
    const std::int16_t knzGaeb = Pos("KnzGaeb").ToInt16();
    const double menge = Pos("Menge").ToDouble();
    const std::int16_t nachtrag = Pos("Nachtrag").ToInt16();
    const std::string oz = OZ9();

    std::string& z = m_Zeilenpuffer;
    z = "21";
    z += oz;
    z += alternativ && !bedarf ? "A" : "N";
    z += !bedarf ? "N" : alternativ ? "E" : "M";
    z += art == 45 && !m_PaketAlsLeistung ? "L" : "N";
    z.append(4, ' ');
    z += knzGaeb == 10 || knzGaeb == 11 ? "X" : " ";
    z += (art == 60 || art == 70 || art == 80) ? "Z" : Pos("FürSummenspeicher1").ToBool() ? "E" : " ";
    z += " ";
    z += freieMenge ? "X" : " ";
    z += Vorzeichen(menge);
    z += N(menge, kMaskeMenge);
    z += Pos("Pauschalpreis").ToBool() ? std::string("Psch") : F(Pos("Mengeneinheit").ToString(), 4);
    z += nachtrag >= 1 && nachtrag <= 999 ? FormatZahl(nachtrag, kMaskeNachtrag) : text::Leer(3);
    z += " ";
    z += knzGaeb == 1 || knzGaeb == 11 ? "X" : " ";
    z.append(31, ' ');
    Ausgabe_Zeile();
    m_LetzteOZ = oz;
  });
}

bool Export::Ausgabe_ZA22() {
  return Satz("Ausgabe_ZA22", [&] {
    if (k_.satz.Datenphase != 82) return;
    const std::string oz = OZ9();
    if (!m_MitPreise) {
      m_Zeilenpuffer = "22" + oz + text::Leer(63);
      Ausgabe_Zeile();
      return;
    }
    m_UnterbeschreibungNr = 0;
    const double einzelpreis = Pos("Einzelpreis").ToDouble();
    // The net total: the position's discount taken off.
    const double gesamt = Pos("Gesamtpreis").ToDouble() - Pos("Rabattbetrag").ToDouble();
    std::string& z = m_Zeilenpuffer;
    z = "22";
    z += oz;
    z += Preisspalten(einzelpreis, gesamt);
    z += text::Leer(7);
    z += text::Leer(19);
    Ausgabe_Zeile();
  });
}

std::string Export::Preisspalten(double einzelpreis, double gesamt) const {
  std::string s = Vorzeichen(einzelpreis) + N(einzelpreis, kMaskeEinzelpreis) + " " + Vorzeichen(gesamt) +
                  N(gesamt, kMaskeBetrag);
  if (Pos("KnzFreieMenge").ToBool()) {
    const double menge = Pos("Menge").ToDouble();
    return s + Vorzeichen(menge) + N(menge, kMaskeMenge);
  }
  return s + text::Leer(12);
}

bool Export::Ausgabe_ZA23() {
  return Satz("Ausgabe_ZA23", [&] {
    if (k_.satz.Datenphase == 82 || !m_MitPreise) return;
    m_UnterbeschreibungNr = 0;
    const double einzelpreis = Pos("Einzelpreis").ToDouble();
    const double gesamt = Pos("Gesamtpreis").ToDouble();
    std::string& z = m_Zeilenpuffer;
    z = "23";
    z += OZ9();
    z += Preisspalten(einzelpreis, gesamt);
    // The discount as the factor the price is multiplied by (5 % -> 0.95).
    z += Faktor7(-Pos("Rabattprozent").ToDouble());
    z += text::Leer(19);
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA23Z() {
  return Satz("Ausgabe_ZA23Z", [&] {
    // Data type 82 carries its prices in records 22 only.
    if (k_.satz.Datenphase == 82 || !m_MitPreise) return;
    double prozent = Pos("AufAbschlagProzent").ToDouble();
    if (Pos("Positionstyp").ToInt16() == 80) prozent = -prozent;
    const double einzelpreis = Pos("Einzelpreis").ToDouble();
    std::string& z = m_Zeilenpuffer;
    z = "23";
    z += OZ9();
    z += text::Leer(44);
    z += Vorzeichen(prozent);
    z += N(prozent, kMaskeProzent);
    z += Vorzeichen(einzelpreis);
    z += N(einzelpreis, kMaskeBetrag);
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA24() {
  return Satz("Ausgabe_ZA24", [&] {
    ++m_UnterbeschreibungNr;
    const std::int16_t knzGaeb = Pos("KnzGaeb").ToInt16();
    if (k_.satz.Datenphase == 84 && !(knzGaeb == 11 || knzGaeb == 1 || Pos("KnzFreieMenge").ToBool())) return;

    // A package part always carries its quantity.
    k_.Beleg().AktuellePosition().SetzeFeld("KnzFreieMenge", true);
    std::string& z = m_Zeilenpuffer;
    z = "24";
    z += N(m_UnterbeschreibungNr, kMaskeUnterbeschreibung);
    z += Vorzeichen(Pos("Menge").ToDouble());
    z += N(Pos("MengePaketteil").ToDouble(), kMaskeMenge);
    z += F(Pos("Mengeneinheit").ToString(), 4);
    z += " ";
    z += knzGaeb == -1 ? "X" : " ";
    z += text::Leer(18);
    z += Pos("KnzFreieMenge").ToDouble() == 1 ? "X" : " ";
    z += text::Leer(33);
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA30() {
  return Satz("Ausgabe_ZA30", [&] {
    if (k_.satz.Datenphase < 84) return;
    const std::string beschreibung = Kopf("Komponente").ToString();
    if (beschreibung.empty()) return;
    const std::int16_t knzGaeb = Pos("KnzGaeb").ToInt16();
    if (knzGaeb != 10 && knzGaeb != 11) return;

    auto slot = [&](std::size_t spalte) { return text::Trim(text::Mitte(beschreibung, spalte, kKomponentenbreite)); };
    std::string& z = m_Zeilenpuffer;
    z = "30";
    if (!slot(kKomponenteZeit).empty() && m_MitZeiten) {
      z += N(Pos("Zeit").ToDouble() / 60, kMaskeZeit);
    } else {
      z += text::Leer(10);
    }
    for (std::size_t i = 0; i < 4; ++i) {
      const std::string name = text::Gross(slot(kKomponente1 + i * kKomponentenbreite));
      if (name == "MATERIAL") {
        z += N(Pos("Materialpreis").ToDouble(), kMaskeEinzelpreis);
      } else if (name == "LOHN") {
        z += N(Pos("Lohnpreis").ToDouble(), kMaskeEinzelpreis);
      } else {
        z += text::Leer(10);
      }
    }
    z += text::Leer(22);
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA25() {
  return Satz("Ausgabe_ZA25", [&] {
    if (k_.satz.Datenphase == 84) return;
    // An empty short text still gives one record with a blank text.
    Schreibe_Textzeilen(Textzeilen(Pos("Kurztext1").ToString(), kBreiteKurztext, true), "25", kBreiteKurztext);
    const std::string kurztext3 = text::Ersetze(Pos("Kurztext3").ToString(), "''", "'");
    if (!kurztext3.empty()) {
      m_Zeilenpuffer = "25" + F(kurztext3, kBreiteKurztext3) + text::Leer(22);
      Ausgabe_Zeile();
    }
  });
}

bool Export::Ausgabe_ZA26L() {
  return Satz("Ausgabe_ZA26L", [&] {
    // Line codes of the long text: three characters per line, four apart;
    // a third character "B" marks a line the bidder added. Bills of GAEB
    // version 2001 carry no line codes.
    std::string kennung = Pos("KennNr_Langtext").ToString();
    if (Kopf("Ausgabejahr").ToString() == "2001") kennung.clear();

    std::string langtext = Pos("Langtext").ToString();
    if (Kopf("Kurzlangtext").ToBool() && Pos("DruckKnz").ToString() > "1") {
      const std::string zusatz = Pos("Zusatztext").ToString();
      if (!zusatz.empty()) langtext += "\r\n" + zusatz;
    }

    const bool bieterangebot = k_.satz.Datenphase == 84;
    bool geschrieben = false;
    const Textzeilen zeilen(std::move(langtext), kBreiteLangtext, true);
    for (std::size_t i = 0; i < zeilen.Anzahl(); ++i) {
      if (bieterangebot && text::Mitte(kennung, 4 * i + 3, 1) != "B") continue;
      m_Zeilenpuffer = "26";
      m_Zeilenpuffer += kennung.empty() ? std::string(3, ' ') : F(text::Mitte(kennung, 4 * i + 1, 3), 3);
      Hänge_Stück_An(m_Zeilenpuffer, zeilen, i, kBreiteLangtext);
      m_Zeilenpuffer.append(14, ' ');
      Ausgabe_Zeile();
      geschrieben = true;
    }
    if (!geschrieben && !bieterangebot) {
      m_Zeilenpuffer = "26" + text::Leer(72);
      Ausgabe_Zeile();
    }
  });
}

bool Export::Ausgabe_ZA26H() {
  return Satz("Ausgabe_ZA26H", [&] {
    if (k_.satz.Datenphase == 82 || k_.satz.Datenphase == 84) return;
    m_Zeilenpuffer = "20" + text::Leer(72);
    Ausgabe_Zeile();
    Schreibe_Textzeilen(Textzeilen(Pos("Langtext").ToString(), kBreiteLangtext, true), "26   ", kBreiteLangtext);
  });
}

bool Export::Ausgabe_ZAT1(std::string& text) {
  return Satz("Ausgabe_ZAT1", [&] {
    text = text::Ersetze(text, "''", "'");
    m_Zeilenpuffer = "T0" + text::Leer(72);
    Ausgabe_Zeile();
    Schreibe_Textzeilen(Textzeilen(text, kBreiteVortext, false), "T1", kBreiteVortext);
    m_Zeilenpuffer = "T9" + text::Leer(72);
    Ausgabe_Zeile();
  });
}

}  // namespace gaeb::gaeb90

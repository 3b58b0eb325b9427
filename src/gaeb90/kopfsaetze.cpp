// The header records 00 to 08 of a GAEB 90 bill (data type, award numbers,
// names, dates, project, client, own company, currency) and the section
// records 10, 11 and 12 with the closing of the sections they end. Columns as
// in gaeb90/satzaufbau.h.
#include "base/text.h"
#include "base/zahlformat.h"
#include "export/firma.h"
#include "export/oz.h"
#include "gaeb90/export.h"
#include "gaeb90/satzaufbau.h"

namespace gaeb::gaeb90 {

namespace {

// dd.mm.yyyy as dd.mm.yy.
std::string Kurzdatum(const std::string& datum) { return text::Links(datum, 6) + text::Rechts(datum, 2); }

}  // namespace

bool Export::Ausgabe_ZA00_ZA08() {
  return Satz("Ausgabe_ZA00_ZA08", [&] {
    if (!m_VorlaufOffen) return;
    Ausgabe_ZA00();
    Ausgabe_ZA01();
    Ausgabe_ZA02();
    Ausgabe_ZA03();
    Ausgabe_ZA04();
    Ausgabe_ZA06();
    Ausgabe_ZA07();
    Ausgabe_ZA08();
    m_VorlaufOffen = false;
  });
}

bool Export::Ausgabe_ZA00() {
  return Satz("Ausgabe_ZA00", [&] {
    // A document that never carried a GAEB version is written as GAEB 90.
    if (Kopf("Ausgabejahr").ToString().empty()) k_.Beleg().Kopf().SetzeFeld("Ausgabejahr", "90");
    Ermittle_OZMaske(k_);
    const std::int16_t datenphase = k_.satz.Datenphase;
    std::string& z = m_Zeilenpuffer;
    z = "00";
    z += text::Leer(8);
    z += text::Links(std::to_string(datenphase), 2);
    z += datenphase == 84 ? "K" : "L";
    z += F(Kopf("VergabenummerAG").ToString(), 15);
    z += F(Kopf("DVNrAG").ToString(), 8);
    z += F(Kopf("BieterNrAG").ToString(), 3);
    z += F(Kopf("VergabenummerAN").ToString(), 15);
    z += F(Kopf("DVNrAN").ToString(), 8);
    z += F(k_.Beleg().OZMaske(), 9);
    z += "90";
    z += MitLos() ? "X" : " ";
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA01() {
  return Satz("Ausgabe_ZA01", [&] {
    std::string bezeichnung = Kopf("BezeichnungLV").ToString();
    if (bezeichnung.empty()) bezeichnung = Kopf("Belegbezeichnung").ToString();

    // Date of the bill; the document date stands in for a missing or odd one.
    const std::string belegdatum = Kopf("Belegdatum").ToString();
    const std::string datumLV = Kopf("DatumLV").ToString();
    std::string lv = k_.Daten().DatumFürAusgabe(text::Trim(datumLV).empty() ? belegdatum : datumLV);
    lv = text::Länge(lv) == 10 ? Kurzdatum(lv) : k_.Daten().DatumFürAusgabe(belegdatum);

    // Dates that are written only when they convert to a full date.
    auto frist = [&](const std::string& gespeichert) {
      if (text::Trim(gespeichert).empty()) return text::Leer(8);
      const std::string t = k_.Daten().DatumFürAusgabe(gespeichert);
      return text::Länge(t) == 10 ? F(Kurzdatum(t), 8) : text::Leer(8);
    };
    const std::string abgabe = Kopf("DatumAngebotsabgabe").ToString();
    const bool mitPreisen = k_.satz.Datenphase == 84 || m_MitPreise || Kopf("LVmitPreisen").ToBool();

    std::string& z = m_Zeilenpuffer;
    z = "01";
    z += F(bezeichnung, 40);
    z += F(lv, 8);
    z += frist(abgabe);
    z += text::Länge(abgabe) > 8 ? F(text::Mitte(abgabe, 9), 5) : text::Leer(5);
    z += frist(Kopf("DatumZuschlagsfrist").ToString());
    z += mitPreisen ? "X" : " ";
    z += Kopf("LVmitLohn").ToBool() ? "X" : " ";
    z += " ";
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA02() {
  return Satz("Ausgabe_ZA02", [&] {
    // Project information and the document's subject, one record per line;
    // a longer line is cut, not continued.
    const std::string information =
        Kopf("InformationProjekt").ToString() + "\r\n" + Kopf("Belegbezeichnung").ToString();
    for (const std::string& zeile : Zeilen(information)) {
      m_Zeilenpuffer = "02" + F(zeile, 60) + text::Leer(12);
      Ausgabe_Zeile();
    }
  });
}

bool Export::Ausgabe_ZA03() {
  return Satz("Ausgabe_ZA03", [&] {
    std::string auftraggeber = Kopf("KopfInformationAG").ToString();
    if (auftraggeber.empty()) auftraggeber = Kopf("InformationAG").ToString();
    m_Zeilenpuffer = "03" + F(auftraggeber, 60) + text::Leer(12);
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA04() {
  return Satz("Ausgabe_ZA04", [&] {
    GetFirmenanschrift(k_);
    const Firmenanschrift& f = k_.firma;
    m_Zeilenpuffer = "04" + F(f.Name1 + "," + f.Straße + "," + f.PlzOrt, 60) + text::Leer(12);
    Ausgabe_Zeile();
  });
}

namespace {

// Record 06 or 07 from the text an imported file carried: a text of 80
// characters or more is a whole former line and is written as it is.
std::string Übernommener_Satz(const std::string& satzart, const std::string& gespeichert) {
  const std::size_t länge = text::Länge(gespeichert);
  if (länge >= 80) return text::Links(gespeichert, 80);
  std::string z = satzart + gespeichert;
  const std::size_t n = text::Länge(z);
  if (n < 80) z += text::Leer(80 - n);
  return z;
}

}  // namespace

bool Export::Ausgabe_ZA06() {
  return Satz("Ausgabe_ZA06", [&] {
    const std::string t = Kopf("ZA06").ToString();
    if (t.empty()) return;
    m_Zeilenpuffer = Übernommener_Satz("06", t);
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA07() {
  return Satz("Ausgabe_ZA07", [&] {
    const std::string t = Kopf("ZA07").ToString();
    if (t.empty()) return;
    m_Zeilenpuffer = Übernommener_Satz("07", t);
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA08() {
  return Satz("Ausgabe_ZA08", [&] {
    const std::string währung = Kopf("Währung").ToString();
    m_Zeilenpuffer = "08" + F(währung, 6) + F(währung, 50) + text::Leer(16);
    Ausgabe_Zeile();
  });
}

// ---------------------------------------------------------------------------
// Sections

void Export::Schließe_Bereich(int ebene) {
  if (ebene < 1 || ebene > 3) return;
  double& summe = m_BereichSumme[ebene];
  if (ebene == 1) {
    if (MitLos()) {
      Ausgabe_ZA33(m_BereichOZ[1], summe, 0, 0, 0, 0);
    } else {
      Ausgabe_ZA32(m_BereichOZ[1], summe, 0, 0, 0, 0);
    }
  } else {
    Ausgabe_ZA31(m_BereichOZ[ebene]);
    Ausgabe_ZA32(m_BereichOZ[ebene], summe, 0, 0, 0, 0);
  }
  m_BereichOZ[ebene].clear();
}

bool Export::Ausgabe_ZA10(std::int16_t /*ebenencode*/) {
  return Satz("Ausgabe_ZA10", [&] {
    Schließe_Bereich(3);
    Schließe_Bereich(2);
    Ausgabe_ZA33(m_BereichOZ[1], m_BereichSumme[1], 0, 0, 0, 0);
    m_BereichOZ[1].clear();

    const std::string oz = Pos("Positionsnummer").ToString();
    m_Zeilenpuffer = "10" + F(oz, 2) + F(Pos("Kurztext1").ToString(), 40) + text::Leer(30);
    Ausgabe_Zeile();
    m_BereichOZ[1] = F(oz, 2);
    m_BereichSumme[1] = Pos("Gesamtpreis").ToDouble();
  });
}

bool Export::Ausgabe_ZA11(std::int16_t ebenencode) {
  return Satz("Ausgabe_ZA11", [&] {
    const int neueEbene = ebenencode == 20 ? 1 : ebenencode == 21 ? 2 : 3;
    for (int ebene = 3; ebene >= neueEbene; --ebene) Schließe_Bereich(ebene);

    const std::string oz = OZ9();
    const int eigeneEbene = Pos("Positionstyp").ToInt16() - 19;
    if (eigeneEbene >= 1 && eigeneEbene <= 3) {
      m_BereichOZ[eigeneEbene] = oz;
      m_BereichSumme[eigeneEbene] = Pos("Gesamtpreis").ToDouble();
    }
    if (k_.satz.Datenphase == 84) return;
    m_Zeilenpuffer = "11" + oz + (Pos("Alternativposition").ToBool() ? "A" : "N") + text::Leer(62);
    Ausgabe_Zeile();
  });
}

bool Export::Ausgabe_ZA12() {
  return Satz("Ausgabe_ZA12", [&] {
    if (k_.satz.Datenphase == 84) return;
    Schreibe_Textzeilen(Textzeilen(Pos("Kurztext1").ToString(), kBreiteBereichstext, false), "12", kBreiteBereichstext);
    const std::string kurztext3 = Pos("Kurztext3").ToString();
    if (!kurztext3.empty()) {
      m_Zeilenpuffer = "12" + F(kurztext3, 40) + text::Leer(32);
      Ausgabe_Zeile();
    }
  });
}

}  // namespace gaeb::gaeb90

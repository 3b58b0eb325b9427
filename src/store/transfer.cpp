// The record transfer: which value of the position record goes into which
// field of the document's header, positions, sum rows, texts and closing
// remarks, which texts are cut, how RTF variants are chosen and how the unit
// price is built from its material and wage shares.
#include "base/text.h"
#include "base/variant.h"
#include "store/store.h"

namespace gaeb {

namespace {

// RTF choice A: the RTF property when it is not empty.
std::string RtfA(const std::string& rtf) { return rtf.empty() ? std::string() : rtf; }
// RTF choice B: the RTF property when the record says RTF texts are used.
std::string RtfB(const Kontext& k, const std::string& rtf) { return k.satz.KnzRTF ? rtf : std::string(); }

std::string Gekürzt(const std::string& s, std::size_t n) { return text::Länge(s) > n ? text::Links(s, n) : s; }

}  // namespace

void Übertrage_BelegKopf(Kontext& k, std::int16_t belegart, std::int32_t belegnummer) {
  Geschützt(k, "Übertrage_BelegKopf", [&] {
    const Positionssatz& s = k.satz;
    const Dokumentvorgaben& v = k.vorgaben;
    Datensatz& kopf = k.Beleg().Kopf();
    kopf.SetzeFeld("Belegnummer", belegnummer);
    kopf.SetzeFeld("Belegart", belegart);
    kopf.SetzeFeld("Projektnummer", s.Projektnummer);
    kopf.SetzeFeld("KundenNummer", s.KundenNummer);
    kopf.SetzeFeld("Belegbezeichnung", "Angebot");
    kopf.SetzeFeld("InformationProjekt", Gekürzt(s.InformationProjekt, 600));
    kopf.SetzeFeld("Nummernkreis", k.nummernkreis);
    kopf.SetzeFeld("InformationProjektRTF", RtfB(k, s.InformationProjektRTF));
    kopf.SetzeFeld("Belegdatum", v.pGL_jmtVerarbeitungsdatum);
    kopf.SetzeFeld("Unser_Zeichen", s.Unser_Zeichen);
    kopf.SetzeFeld("Währung", s.Währung.empty() ? v.pGL_Landeswährung : s.Währung);
    for (const char* f : {"Kopfschalter1", "Kopfschalter2", "Kopfschalter3", "Kopfschalter4"}) kopf.SetzeFeld(f, true);

    // Level count: the lots, then every used level among the first three level lengths.
    int n = s.MitLos ? 1 : 0;
    for (std::size_t i = 0; i < 3 && i < s.OZStufen.size(); ++i)
      if (s.OZStufen[i] > '0') ++n;
    std::string maske = s.OZMaske;
    if (n >= 1 && n <= 3) {
      if (n == 1) {
        maske = text::Ersetze(maske, "1", "T");
      } else if (n == 2) {
        maske = text::Ersetze(maske, "1", "L");
        maske = text::Ersetze(maske, "2", "T");
      } else {
        maske = text::Ersetze(maske, "1", "G");
        maske = text::Ersetze(maske, "2", "L");
        maske = text::Ersetze(maske, "3", "T");
      }
      // Four groups of level switches; the innermost n levels are on.
      for (int gruppe = 1; gruppe <= 4; ++gruppe)
        for (int ebene = 1; ebene <= 3; ++ebene)
          kopf.SetzeFeld("Stufe" + std::to_string(gruppe) + "Ebene" + std::to_string(ebene), ebene > 3 - n);
    }
    maske = text::Ersetze(maske, "I", "U");

    OZFormatobjekt& format = k.Beleg().OZFormat();
    format.Laden(false);
    k.m_PosNr_Trennzeichen = format.Trennzeichen();
    if (k.m_PosNr_Trennzeichen.empty()) {
      format.SetzeTrennzeichen(".");
      k.m_PosNr_Trennzeichen = ".";
    }
    kopf.SetzeFeld("OZMaske", maske + "|" + k.m_PosNr_Trennzeichen + "|");

    kopf.SetzeFeld("Kopfwert1", 0.0);
    kopf.SetzeFeld("Kopfschalter5", true);
    kopf.SetzeFeld("Kopfwert2", 0.0);
    kopf.SetzeFeld("MitLangtextfassung", s.MitLangtextfassung);
    kopf.SetzeFeld("Kopftext1", "0");
    kopf.SetzeFeld("DateiUrsprung", s.DateiUrsprung);
    kopf.SetzeFeld("Kopfwert3", 0.0);
    kopf.SetzeFeld("Kopfwert4", 0.0);
    kopf.SetzeFeld("Erfassungsdatum", v.pGL_jmtVerarbeitungsdatum);
    kopf.SetzeFeld("Benutzer", v.pGL_BenutzerID);
    if (s.KundenNummer.empty()) kopf.SetzeFeld("KundenNummer", "0");
    kopf.SetzeFeld("KopfInformationAG", Gekürzt(s.KopfInformationAG, 50));
    kopf.SetzeFeld("NotizenLV", s.NotizenLV);
    k.Beleg().KopfPosition().SetzeFeld("Kennzeichen", "3");
  });
}

double GetNETagespreis(Kontext& k) {
  double preis = 0.0;
  Geschützt(k, "GetNETagespreis", [&] {
    // A connection of its own on the connection text, not the host's.
    std::unique_ptr<Verbindung> v = k.fabrik->Erzeuge<Verbindung>(klassen::Verbindung);
    v->Öffnen(k.pConnectstring);
    Ergebnis e = v->Abfrage("Select * from Metallarten Where NEART = 'CU'");
    if (!e.Leer()) preis = e.Wert(0, "Tagespreis").ToDouble();
  });
  return preis;
}

void Übertrage_BelegKopfZusatz(Kontext& k) {
  Geschützt(k, "Übertrage_BelegKopfZusatz", [&] {
    const Positionssatz& s = k.satz;
    Datensatz& kopf = k.Beleg().Kopf();
    kopf.SetzeFeld("DatumAngebotsabgabe", s.DatumAngebotsabgabe);
    kopf.SetzeFeld("VergabenummerAG", s.VergabenummerAG);
    kopf.SetzeFeld("Datenphase", s.Datenphase);
    kopf.SetzeFeld("MitLangtextfassung", s.MitLangtextfassung);
    kopf.SetzeFeld("DVNrAG", s.DVNrAG);
    kopf.SetzeFeld("BieterNrAG", s.BieterNrAG);
    kopf.SetzeFeld("VergabenummerAN", s.VergabenummerAN);
    kopf.SetzeFeld("DVNrAN", s.DVNrAN);
    kopf.SetzeFeld("Ausgabejahr", s.Ausgabejahr);
    kopf.SetzeFeld("BezeichnungLV", s.BezeichnungLV);
    kopf.SetzeFeld("DatumLV", s.DatumLV);
    kopf.SetzeFeld("DatumZuschlagsfrist", s.DatumZuschlagsfrist);
    kopf.SetzeFeld("LVmitPreisen", s.LVmitPreisen);
    kopf.SetzeFeld("LVmitLohn", s.LVmitLohn);
    kopf.SetzeFeld("InformationAG", s.InformationAG);
    kopf.SetzeFeld("InformationAN", s.InformationAN);
    kopf.SetzeFeld("ZA06", s.ZA06);
    kopf.SetzeFeld("ZA07", s.ZA07);
    kopf.SetzeFeld("Dateiname", Gekürzt(s.Dateiname, 30));
    kopf.SetzeFeld("MitLos", s.MitLos);
    kopf.SetzeFeld("BezWährung", s.BezWährung);
    kopf.SetzeFeld("Zeichensatz", s.Zeichensatz);
    kopf.SetzeFeld("Metallart", "CU");
    kopf.SetzeFeld("Metalltagespreis", GetNETagespreis(k));
  });
}

void Übertrage_BelegKopfPosition(Kontext& k) {
  Geschützt(k, "Übertrage_BelegKopfPosition",
            [&] { k.Beleg().KopfPosition().SetzeFeld("Positionstyp", k.satz.Positionstyp); });
}

void Übertrage_Position(Kontext& k, std::int16_t art) {
  Geschützt(k, "Übertrage_Position", [&] {
    Positionssatz& s = k.satz;
    Belegdaten& b = k.Beleg();
    Belegposition& p = b.AktuellePosition();
    if (art != 0) {
      p.SetzeFeld("Positionstyp", art);
      std::string oz = text::Gross(s.Positionsnummer);
      if (oz == "H1") k.hierarchiezeilen[0] = b.AktuellerPositionsindex();
      if (oz == "H2") k.hierarchiezeilen[1] = b.AktuellerPositionsindex();
      if (oz == "H3") k.hierarchiezeilen[2] = b.AktuellerPositionsindex();
    } else {
      p.SetzeFeld("Positionstyp", s.Positionstyp);
    }
    p.SetzeFeld("Positionsnummer", s.Positionsnummer);
    p.SetzeFeld("Artikelnummer", s.Artikelnummer);
    p.SetzeFeld("Nachtrag", s.Nachtrag);
    p.SetzeFeld("Alternativposition", s.Alternativposition);
    p.SetzeFeld("Bedarfsposition", s.Bedarfsposition);
    p.SetzeFeld("Garantieposition", s.Garantieposition);
    p.SetzeFeld("Pauschalpreis", s.Pauschalpreis);
    p.SetzeFeld("Kurztext1", s.Kurztext1);
    p.SetzeFeld("Kurztext1RTF", RtfA(s.Kurztext1RTF));
    p.SetzeFeld("Kurztext3", s.Kurztext3);
    p.SetzeFeld("Kurztext3RTF", RtfA(s.Kurztext3RTF));
    p.SetzeFeld("Langtext", s.Langtext);
    p.SetzeFeld("LangtextRTF", RtfA(s.LangtextRTF));
    p.SetzeFeld("Langtextdruck", true);
    p.SetzeFeld("KennNr_Langtext", s.KennNr_Langtext);
    p.SetzeFeld("DruckKnz", text::Links(s.DruckKnz, 1));
    if (art != 0) {
      p.SetzeFeld("FürSummenspeicher1", false);
      p.SetzeFeld("FürSummenspeicher2", false);
    } else {
      p.SetzeFeld("FürSummenspeicher1", s.FürSummenspeicher1);
      p.SetzeFeld("FürSummenspeicher2", TextZuBool(s.FürSummenspeicher2));
    }
    if (s.Positionstyp == 40) {
      p.SetzeFeld("Menge", s.Menge);
    } else if (s.Positionstyp == 45) {
      p.SetzeFeld("Menge", s.Menge);
      p.SetzeFeld("MengePaketteil", s.MengePaketteil);
      p.SetzeFeld("Paket", true);
      p.SetzeFeld("Paketbetrag", 0.0);
      p.SetzeFeld("Kennzeichen", "3");
      s.Einzelpreis = 0;
    } else if (s.Positionstyp == 47) {
      p.SetzeFeld("Menge", s.MengePaketteil);
      p.SetzeFeld("MengePaketteil", s.MengePaketteil);
      p.SetzeFeld("Paket", true);
      p.SetzeFeld("Paketbetrag", 0.0);
      p.SetzeFeld("Kennzeichen", "3");
    }
    p.SetzeFeld("Mengeneinheit", s.Mengeneinheit);
    p.SetzeFeld("Mengeneinheit2", s.Mengeneinheit);
    p.SetzeFeld("Preiseinheit", static_cast<double>(s.Preiseinheit));
    p.SetzeFeld("Preiseinheit2", static_cast<double>(s.Preiseinheit));
    p.SetzeFeld("Zeit", s.Zeit);
    p.SetzeFeld("Zeit2", s.Zeit);
    p.SetzeFeld("WelcherBetragZuAbschlag", s.WelcherBetragZuAbschlag);
    p.SetzeFeld("ZuschlagAuf", s.ZuschlagAuf);
    p.SetzeFeld("Festschalter1", true);
    p.SetzeFeld("Festschalter2", true);
    p.SetzeFeld("Festbuchstabe", "B");
    p.SetzeFeld("Festtext", "0");
    p.SetzeFeld("Festbetrag1", 0.0);
    p.SetzeFeld("Festbetrag2", 0.0);
    // The unit price from its shares.
    if (s.MaterialEPVK != 0 || s.LohnEPVK != 0) {
      s.Einzelpreis = 0;
    } else {
      p.SetzeFeld("Materialpreis", s.Einzelpreis);
    }
    if (s.MaterialEPVK != 0) {
      p.SetzeFeld("Materialpreis", s.MaterialEPVK);
      s.Einzelpreis = s.Einzelpreis + s.MaterialEPVK;
    }
    if (s.LohnEPVK != 0) {
      p.SetzeFeld("Lohnpreis", s.LohnEPVK);
      s.Einzelpreis = s.Einzelpreis + s.LohnEPVK;
    }
    p.SetzeFeld("Einzelpreis", s.Einzelpreis);
    p.SetzeFeld("Gesamtpreis", s.Gesamtpreis);
    p.SetzeFeld("AufAbschlagProzent", s.AufAbschlagProzent);
    // Price markers.
    bool ohnePreis = p.Feld("Einzelpreis").ToDouble() == 0 && p.Feld("Gesamtpreis").ToDouble() == 0;
    if (!ohnePreis || s.Positionstyp == 45) {
      p.SetzeFeld("Materialpreiskennzeichen", "1");
      p.SetzeFeld("Lohnpreiskennzeichen", "1");
    }
    p.SetzeFeld("Kalkulationskennzeichen", "1");
    p.SetzeFeld("KnzFreieMenge", s.KnzFreieMenge);
    p.SetzeFeld("KnzGaeb", s.KnzGaeb);
  });
}

void Übertrage_SummePosition(Kontext& k) {
  Geschützt(k, "Übertrage_SummePosition", [&] {
    const Positionssatz& s = k.satz;
    Belegposition& p = k.Beleg().AktuellePosition();
    p.SetzeFeld("Positionstyp", s.Positionstyp);
    p.SetzeFeld("Positionsnummer", s.Positionsnummer);
    p.SetzeFeld("Nachtrag", s.Nachtrag);
    p.SetzeFeld("Alternativposition", s.Alternativposition);
    p.SetzeFeld("AufAbschlagProzent", s.AufAbschlagProzent);
    if (s.AufAbschlagBetrag != 0) {
      p.SetzeFeld("AufAbschlagProzent", 100.0);
      p.SetzeFeld("Einzelpreis", s.AufAbschlagBetrag);
      p.SetzeFeld("Gesamtpreis", s.AufAbschlagBetrag);
    }
    p.SetzeFeld("ZuschlagAuf", s.ZuschlagAuf);
    p.SetzeFeld("WelcherBetragZuAbschlag", s.WelcherBetragZuAbschlag);
    p.SetzeFeld("Kurztext1", s.Kurztext1);
    if (p.Feld("Kurztext1").ToString().empty()) {
      p.SetzeFeld("Kurztext1", s.Positionstyp == 70   ? "Zuschlag"
                               : s.Positionstyp == 80 ? "Abschlag"
                                                      : "Zwischensumme");
    }
    p.SetzeFeld("Kurztext3", s.Kurztext3);
    p.SetzeFeld("Kurztext3RTF", RtfA(s.Kurztext3RTF));
    p.SetzeFeld("Langtext", s.Langtext);
    p.SetzeFeld("LangtextRTF", RtfA(s.LangtextRTF));
    p.SetzeFeld("Langtextdruck", true);
    p.SetzeFeld("KennNr_Langtext", s.KennNr_Langtext);
    p.SetzeFeld("KnzVbSb", s.KnzVbSb);
    p.SetzeFeld("DruckKnz", text::Links(s.DruckKnz, 1));
    p.SetzeFeld("FürSummenspeicher1", s.FürSummenspeicher1);
    p.SetzeFeld("FürSummenspeicher2", TextZuBool(s.FürSummenspeicher2));
    p.SetzeFeld("KnzGaeb", s.KnzGaeb);
    p.SetzeFeld("Festschalter1", true);
    p.SetzeFeld("Festschalter2", true);
  });
}

void Übertrage_Textposition(Kontext& k) {
  Geschützt(k, "Übertrage_Textposition", [&] {
    const Positionssatz& s = k.satz;
    Belegposition& p = k.Beleg().AktuellePosition();
    p.SetzeFeld("Positionstyp", s.Positionstyp);
    p.SetzeFeld("Nachtrag", s.Nachtrag);
    p.SetzeFeld("Langtext", s.Langtext);
    p.SetzeFeld("LangtextRTF", RtfB(k, s.LangtextRTF));
    p.SetzeFeld("KnzVertragsbedingungen", s.KnzVertragsbedingungen);
    p.SetzeFeld("KnzVbSb", s.KnzVbSb);
    p.SetzeFeld("Langtextdruck", p.Feld("KnzVbSb").ToString() != "0");
    p.SetzeFeld("KennNr_Langtext", s.KennNr_Langtext);
    std::string schlüssel = p.Feld("KennNr_Langtext").ToString();
    if (schlüssel == "[HINWEIS]" || schlüssel == "[AUSFBESCHR]") p.SetzeFeld("Langtextdruck", true);
    p.SetzeFeld("DruckKnz", "1");
    p.SetzeFeld("KnzGaeb", s.KnzGaeb);
  });
}

void Übertrage_Schlussbemerkungen(Kontext& k) {
  Geschützt(k, "Übertrage_Schlussbemerkungen", [&] {
    const Positionssatz& s = k.satz;
    Datensatz& z = k.Beleg().AktuelleSchlusszeile();
    z.SetzeFeld("Positionstyp", s.Positionstyp);
    z.SetzeFeld("Langtext", s.Langtext);
    z.SetzeFeld("LangtextRTF", RtfB(k, s.LangtextRTF));
    z.SetzeFeld("KnzVbSb", s.KnzVbSb);
    z.SetzeFeld("Schalter", true);
  });
}

}  // namespace gaeb

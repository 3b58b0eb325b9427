// The LV body of the GAEB 2000 export: nested areas ("LVBereich": lots,
// trades, titles), positions with the "UnterBeschr" blocks of package parts,
// surcharge rows ("ZuschlPosition"), the area sums of sum rows, and the end
// of the LV. Every area opened is closed once: by the next area of its level
// or above, by the sum row that sums it, or by the end of the LV.
//
// Indentation grows with the hierarchy level h of the current position:
// n = h + 1 blanks is the base of every block. A package head leaves its
// "#end[Position]" unwritten in Zeilenpuffer; each package part replaces it
// with its own block and leaves a fresh one, and the next area, position,
// surcharge row, text row or the end of the LV writes it.
#include "base/text.h"
#include "base/zahlformat.h"
#include "gaeb2000/export.h"
#include "export/oz.h"

namespace gaeb::gaeb2000 {

namespace {

std::string Geld(double wert) { return FormatZahlFeld(wert, "0.00", kVorkommaGeld); }
std::string Menge(double wert) { return FormatZahlFeld(wert, "0.000", kVorkommaMenge); }
std::string Prozent(double wert) { return FormatZahlFeld(wert, "0.00", kVorkommaProzent); }

}  // namespace

bool Export::Ausgabe_LVBEREICH(std::int16_t art) {
  WeiterBeiFehler weiter(k_, "Ausgabe_LVBEREICH");
  std::size_t n = 1;
  weiter([&] { n = static_cast<std::size_t>(Ebene() + 1); });
  weiter([&] { PufferSchreiben(); });
  // A lot closes the open title, trade and lot; a trade the title and trade;
  // a title the title.
  const std::int16_t stufe = static_cast<std::int16_t>(art - 19);
  for (std::int16_t tiefer = 3; tiefer >= stufe && tiefer >= 1; --tiefer) {
    weiter([&] { Ausgabe_LVBEREICHEnde(m_BereichOZ[tiefer], tiefer); });
    m_BereichOZ[tiefer].clear();
  }
  std::string oz;
  weiter([&] { oz = Format_PosNr(k_, PS("Positionsnummer")); });
  if (stufe >= 1 && stufe <= 3) {
    m_BereichOZ[stufe] = oz;
    weiter([&] { m_BereichSumme[stufe] = PD("Gesamtpreis"); });
  }
  weiter([&] { Zeile(0, ""); });
  weiter([&] { Zeile(n + 5, "#begin[LVBereich]"); });
  weiter([&] { Attribut(n + 10, "[OZ]", oz); });
  weiter([&] { Ausgabe_TEXT(PS("Kurztext1"), "[BezTx]"); });
  weiter([&] {
    if (!PB("Alternativposition")) return;
    Attribut(n + 10, "[ZZVGruppeNr]", "1");
    Attribut(n + 10, "[ZZVLfdNr]", "1");
  });
  weiter([&] { Zeile(0, ""); });
  return true;
}

bool Export::Ausgabe_LVBEREICHEnde(const std::string& oz, std::int16_t ebene) {
  WeiterBeiFehler weiter(k_, "Ausgabe_LVBEREICH");
  weiter([&] {
    if (!oz.empty()) Zeile(static_cast<std::size_t>(ebene + 6), "#end[LVBereich]");
  });
  return true;
}

bool Export::Ausgabe_LVSUMME(std::string& oz, double& summe, double wert1, double wert2, std::int16_t unterart,
                             std::int16_t art) {
  Geschützt(k_, "Ausgabe_LVSUMME", [&] {
    if (oz.empty() || !m_MitPreise) return;
    const std::size_t e = 16;
    Attribut(e, "[Summe]", Geld(unterart == 8 ? summe - wert2 : wert2));
    if (art == 70) {
      wert1 = -wert1;
      wert2 = -wert2;
    } else if (art == 60) {
      wert1 = 0;
    }
    if (unterart != 8) {
      Attribut(e, "[NachlassProz]", Prozent(wert1));
    } else {
      Attribut(e, "[NachlassAbs]", Geld(wert2));
    }
    Attribut(e, "[SummeNachNL]", Geld(summe));
    summe = 0;
  });
  return true;
}

void Export::Summenzeile(std::int16_t unterart) {
  // Sub-kind 1 sums the lot (level 1), sub-kind 2 the trade (level 2). A
  // package head still open ends first, the deeper open areas are summed with
  // zeros and closed (at the indentation of a lot), then the summed area gets
  // its sums and its closing line: the next area opens beside it, not inside.
  PufferSchreiben();
  const std::int16_t summiert = unterart;
  for (std::int16_t tiefer = 3; tiefer > summiert; --tiefer) {
    Ausgabe_LVSUMME(m_BereichOZ[tiefer], m_BereichSumme[tiefer], 0, 0, 0, 0);
    Ausgabe_LVBEREICHEnde(m_BereichOZ[tiefer], 1);
    m_BereichOZ[tiefer].clear();
  }
  Ausgabe_LVSUMME(m_BereichOZ[summiert], m_BereichSumme[summiert], PD("AufAbschlagProzent"), PD("Einzelpreis"),
                  unterart, PI("Positionstyp"));
  Ausgabe_LVBEREICHEnde(m_BereichOZ[summiert], summiert);
  m_BereichOZ[summiert].clear();
}

bool Export::Ausgabe_POSITION() {
  WeiterBeiFehler weiter(k_, "Ausgabe_POSITION");
  weiter([&] { PufferSchreiben(); });
  m_UnterbeschreibungNr = 0;
  std::size_t n = 1;
  weiter([&] { n = static_cast<std::size_t>(Ebene() + 1); });
  const std::size_t a = n + 13;  // attributes
  std::int16_t art = 0;
  weiter([&] { art = PI("Positionstyp"); });

  weiter([&] { Zeile(n + 10, "#begin[Position]"); });
  weiter([&] { Attribut(a, "[OZ]", Format_PosNr(k_, PS("Positionsnummer"))); });
  weiter([&] {
    if (PB("Alternativposition") && !PB("Bedarfsposition")) {
      Attribut(a, "[ZZGruppeNr]", "1");
      Attribut(a, "[ZZLfdNr]", "1");
    }
  });
  weiter([&] {
    if (PB("Bedarfsposition")) Attribut(a, "[Bedarf]", PB("Alternativposition") ? "E" : "M");
  });
  weiter([&] {
    std::int16_t knz = PI("KnzGaeb");
    if (knz != 10 && knz != 11) return;
    Attribut(a, "[EPAufgl]", "J");
    if (k_.satz.Datenphase == 84 || m_MitZeiten) {
      Attribut(a, "[EPAnteil1]", Geld(PD("Materialpreis")));
      Attribut(a, "[EPAnteil2]", Geld(PD("Lohnpreis")));
    }
  });
  weiter([&] {
    if (PB("Bezuschlagt1") || PB("Bezuschlagt2")) Attribut(a, "[Bezuschl]", "J");
  });
  weiter([&] {
    std::int16_t nachtrag = PI("Nachtrag");
    if (nachtrag != 0) Attribut(a, "[NACHTRNR]", std::to_string(nachtrag));
  });
  weiter([&] {
    if (PB("KnzFreieMenge")) Attribut(a, "[FRMenge]", "J");
  });
  weiter([&] {
    if (!PB("Pauschalpreis")) {
      if (!(k_.satz.Datenphase == 83 && PB("KnzFreieMenge"))) Attribut(a, "[Menge]", Menge(PD("Menge")));
    } else {
      Attribut(a, "[Menge]", Menge(PD("Menge")));
    }
  });
  weiter([&] { Attribut(a, "[ME]", PB("Pauschalpreis") ? std::string("Psch") : PS("Mengeneinheit")); });
  if (m_MitPreise) {
    weiter([&] { Attribut(a, "[EP]", Geld(PD("Einzelpreis"))); });
    weiter([&] {
      double prozent = PD("Rabattprozent");
      if (prozent != 0) Attribut(a, "[NachlassProz]", Prozent(prozent));
    });
    weiter([&] { Attribut(a, "[GB]", Geld(PD("Gesamtpreis") - PD("Rabattbetrag"))); });
  }
  weiter([&] {
    if (m_MitZeiten && PD("Zeit") > 0) Attribut(a, "[ZEIT]", Geld(PD("Zeit")));
  });
  Beschreibungsblock(a, weiter);
  weiter([&] {
    if (art == 45 && !m_PaketAlsLeistung) Attribut(a, "[LeitBeschr]", "J");
  });
  weiter([&] {
    if (!m_MitArtikelnummer) return;
    std::string artikelnummer = PS("Artikelnummer");
    if (artikelnummer.empty()) return;
    Zeile(n + 13, "#begin[Produkt]");
    Zeile(n + 15, "#begin[Artikel]");
    Attribut(n + 18, "[ArtNr]", text::Links(artikelnummer, 15));
    Attribut(n + 18, "[ArtKurztext]", PS("Kurztext1"));
    Zeile(n + 15, "#end[Artikel]");
    Zeile(n + 13, "#end[Produkt]");
  });
  weiter([&] {
    Zeilenpuffer = text::Leer(n + 10) + "#end[Position]";
    // A package head keeps its end open for its parts.
    if (art == 40 || m_PaketAlsLeistung) AusgabeDA2000_Zeile();
  });
  weiter([&] { m_LetzteOZ = Format_PosNr(k_, PS("Positionsnummer")); });
  return true;
}

bool Export::Ausgabe_UNTERBESCHR() {
  WeiterBeiFehler weiter(k_, "Ausgabe_UNTERBESCHR");
  m_UnterbeschreibungNr = static_cast<std::int16_t>(m_UnterbeschreibungNr + 1);
  std::size_t n = 1;
  weiter([&] { n = static_cast<std::size_t>(Ebene() + 1); });
  const std::size_t a = n + 15;
  // Replaces the deferred "#end[Position]": the part lands inside the position.
  weiter([&] { Zeile(n + 13, "#begin[UnterBeschr]"); });
  weiter([&] { Attribut(a, "[UBNR]", FormatZahl(m_UnterbeschreibungNr, "00")); });
  Beschreibungsblock(a, weiter);
  weiter([&] {
    if (PB("KnzFreieMenge")) Attribut(a, "[FRMenge]", "J");
  });
  weiter([&] { Attribut(a, "[Menge]", Menge(PD("MengePaketteil"))); });
  weiter([&] { Attribut(a, "[ME]", PB("Pauschalpreis") ? std::string("Psch") : PS("Mengeneinheit")); });
  weiter([&] {
    if (m_MitPreise) Attribut(a, "[EP]", Geld(PD("Einzelpreis")));
  });
  weiter([&] { Zeile(n + 13, "#end[Unterbeschr]"); });
  weiter([&] { Zeilenpuffer = text::Leer(n + 10) + "#end[Position]"; });
  return true;
}

bool Export::Ausgabe_ZUSCHLPOSITION() {
  WeiterBeiFehler weiter(k_, "Ausgabe_ZUSCHLPOSITION");
  weiter([&] { PufferSchreiben(); });
  m_UnterbeschreibungNr = 0;
  std::size_t n = 1;
  weiter([&] { n = static_cast<std::size_t>(Ebene() + 1); });
  const std::size_t a = n + 13;
  weiter([&] { Zeile(n + 10, "#begin[ZuschlPosition]"); });
  weiter([&] { Attribut(a, "[OZ]", Format_PosNr(k_, PS("Positionsnummer"))); });
  weiter([&] { Attribut(a, "[ZZLfdNr]", PB("Alternativposition") && !PB("Bedarfsposition") ? "1" : "0"); });
  weiter([&] {
    if (PB("Bedarfsposition")) Attribut(a, "[Bedarf]", PB("Alternativposition") ? "E" : "M");
  });
  weiter([&] {
    std::int16_t knz = PI("KnzGaeb");
    if (knz == 10 || knz == 11) Attribut(a, "[EPAufgl]", "J");
  });
  weiter([&] {
    std::int16_t nachtrag = PI("Nachtrag");
    if (nachtrag != 0) Attribut(a, "[NachtrNr]", std::to_string(nachtrag));
  });
  weiter([&] {
    std::int16_t unterart = PI("WelcherBetragZuAbschlag");
    Attribut(a, "[ZuschlArt]", unterart == 6 || unterart == 7 ? "Z" : "A");
  });
  // A discount keeps its percentage negative, a subtotal none; both stay in
  // the document.
  weiter([&] {
    std::int16_t art = PI("Positionstyp");
    if (art == 80) {
      Position().SetzeFeld("AufAbschlagProzent", -PD("AufAbschlagProzent"));
    } else if (art == 60) {
      Position().SetzeFeld("AufAbschlagProzent", 0.0);
      Position().SetzeFeld("AufAbschlagBetrag", 0.0);
    }
  });
  weiter([&] { Attribut(a, "[Zuschlag]", Prozent(PD("AufAbschlagProzent"))); });
  if (m_MitPreise) {
    weiter([&] { Attribut(a, "[GBZuschl]", Geld(PD("Einzelpreis"))); });
    weiter([&] { Attribut(a, "[GB]", Geld(PD("Einzelpreis") + PD("Gesamtpreis"))); });
  }
  Beschreibungsblock(a, weiter);
  weiter([&] { Zeile(n + 10, "#end[ZuschlPosition]"); });
  return true;
}

bool Export::Ausgabe_ENDLV() {
  if (!m_VorlaufOffen) return true;
  Geschützt(k_, "Ausgabe_ENDLV", [&] {
    m_VorlaufOffen = false;
    PufferSchreiben();
    for (std::int16_t stufe = 3; stufe >= 1; --stufe) {
      Ausgabe_LVBEREICHEnde(m_BereichOZ[stufe], stufe);
      m_BereichOZ[stufe].clear();
    }
    if (m_NurPositionen) {
      // The one area of an LV without structure levels, opened with the LV.
      Zeile(10, "#end[LVBereich]");
      Zeile(10, "## LV-Bereich Ende (nur Positionen)");
    }
    Zeile(7, "#end[LV]");
    Zeile(5, "#end[Vergabe]");
  });
  return true;
}

}  // namespace gaeb::gaeb2000

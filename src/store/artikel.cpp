// The article transfer: the services and package heads of an imported bill
// become articles of a supplier in one of the host's article masters. The
// component reaches the article manager only by member names at run time, so a
// member the manager does not know is a run-time error that is reported like
// any other.
#include "base/fehler.h"
#include "base/text.h"
#include "store/store.h"

namespace gaeb {

namespace {

std::string Gekürzt(const std::string& s, std::size_t n) { return text::Länge(s) > n ? text::Links(s, n) : s; }

Artikelmanager& Manager(Kontext& k) {
  if (!k.artikelmanager) throw Fehler(kFehlerObjekt, "Objektvariable nicht festgelegt: Artikelmanager");
  return *k.artikelmanager;
}

void Rufe(Artikelmanager& m, std::string_view name) { m.Rufe(name); }

void Rufe(Artikelmanager& m, std::string_view name, std::int16_t wert) {
  Variant argument[] = {Variant(wert)};
  m.Rufe(name, argument);
}

// A 16-bit counter of the record raised by one; overflows as the host's
// Integer arithmetic does.
void Zähle(std::int16_t& zähler) {
  if (zähler == INT16_MAX) throw Fehler(kFehlerÜberlauf, "Überlauf");
  ++zähler;
}

}  // namespace

bool LöschenLV_Artikeldaten(Kontext& k, bool pMitArtikelstammKV, const std::string& pLieferant,
                            const std::string& pLieferantenkürzel) {
  bool ergebnis = true;
  Geschützt(k, "LöschenLV_Artikeldaten", [&] {
    if (pLieferant.empty() || pLieferantenkürzel.empty()) return;
    auto befehle = k.fabrik->Erzeuge<Prozedurbefehle>(klassen::Prozedurbefehl);
    std::unique_ptr<Prozedurbefehl> befehl =
        befehle->Bereite(k.pConnectstring, pMitArtikelstammKV ? "aa_LöschenLieferantenKV" : "aa_LöschenLieferanten");
    befehl->SetzeZeitlimit(0);
    Variant parameter[] = {Variant(std::int32_t{0}), Variant(pLieferant)};
    (void)befehl->Ausführen(parameter);
  });
  return ergebnis;
}

bool InitArtikelmanager(Kontext& k, bool pMitArtikelstammKV, const std::string& pAppUser,
                        const std::string& pjmt_Verarbeitungsdatum) {
  bool ergebnis = false;
  Geschützt(k, "InitArtikelmanager", [&] {
    k.pAppUser = pAppUser;
    k.pjmt_Verarbeitungsdatum = pjmt_Verarbeitungsdatum;
    k.artikelmanager =
        k.fabrik->Erzeuge<Artikelmanager>(pMitArtikelstammKV ? klassen::ArtikelmanagerA : klassen::ArtikelmanagerB);
    Variant argumente[] = {Variant(k.pConnectstring), Variant(std::int16_t{0})};
    k.artikelmanager->Rufe("Init", argumente);
    ergebnis = true;
  });
  return ergebnis;
}

bool Speichern_Artikeldaten(Kontext& k, const std::string& pLieferant, const std::string& pLieferantenkürzel) {
  WeiterBeiFehler weiter(k, "Speichern_Artikeldaten");
  Positionssatz& s = k.satz;
  switch (s.Positionstyp) {
    case 40:
      if (s.HierarchieEbene == 4) {
        weiter([&] { Zähle(s.AnzahlLeistungen); });
        weiter([&] { Übertrage_PositionArtikel(k, pLieferant, pLieferantenkürzel); });
      }
      break;
    case 45:
      weiter([&] { Zähle(s.AnzahlPakete); });
      weiter([&] { Übertrage_PositionArtikel(k, pLieferant, pLieferantenkürzel); });
      break;
    case 47: weiter([&] { Zähle(s.AnzahlPaketteile); }); break;
    default: break;
  }
  return true;
}

void Übertrage_PositionArtikel(Kontext& k, const std::string& pLieferant, const std::string& pLieferantenkürzel) {
  Geschützt(k, "Übertrage_PositionArtikel", [&] {
    const Positionssatz& s = k.satz;
    Artikelmanager& m = Manager(k);
    const std::string artikelnummer = pLieferantenkürzel + s.Positionsnummer;

    Rufe(m, "Init_Artikel");
    Rufe(m, "Init_Material", 0);
    Rufe(m, "Init_Zub", 0);
    Rufe(m, "Init_StaffelpreiseEK");
    Rufe(m, "Init_StaffelpreiseVK");
    Rufe(m, "Init_ne", 0);

    m.SetzeMember("Hauptlieferant", pLieferant);
    m.SetzeMember("Artikelnummer", artikelnummer);
    m.SetzeMember("Teilartikelnummer", s.Positionsnummer);
    m.SetzeMember("AnlageDatum", k.pjmt_Verarbeitungsdatum);
    m.SetzeMember("AnlageUser", k.pAppUser);
    m.SetzeMember("Suchbegriff", "GAEB");
    m.SetzeMember("Bez", Gekürzt(s.Kurztext1, 100));
    m.SetzeMember("Bez3", Gekürzt(s.Kurztext3, 50));

    if (!s.Langtext.empty()) {
      m.SetzeMember("LangtextNummer", artikelnummer);
      m.SetzeMember("tbLangtext", s.Langtext);
      m.SetzeMember("tbLangtextV", "");
      m.SetzeMember("tbTextart", "ART");
      m.SetzeMember("tbTextnummer", artikelnummer);
      m.SetzeMember("tbZusatztextnummer", "000");
      m.SetzeMember("tbSprachKz", "\u00FF\u00FF\u00FF");
      m.SetzeMember("tbLieferantennummer", pLieferant);
    }

    m.SetzeMember("Druckkz1", text::Links(s.DruckKnz, 1));
    m.SetzeMember("DruckKz2", text::Rechts(s.DruckKnz, 1));
    m.SetzeMember("Mengeneinheit", s.Mengeneinheit);
    m.SetzeMember("MengeneinheitLager", s.Mengeneinheit);
    m.SetzeMember("MengeneinheitEinkauf", s.Mengeneinheit);
    m.SetzeMember("EKPreistyp", "B");
    for (const char* rabatt : {"stekKZRabatt1", "stekKZRabatt2", "stekKZRabatt3", "stekRabatt1", "stekRabatt2"})
      m.SetzeMember(rabatt, std::int16_t{0});
    m.SetzeMember("stekPreiseinheit", s.Preiseinheit);
    m.SetzeMember("stvkPreiseinheit", s.Preiseinheit);

    // Price rule: without shares both prices are the unit price; with a
    // material share the purchase price is the unit price and the sales price
    // the material share; the wage share goes into the sales price's wage part.
    if (s.MaterialEPVK == 0 && s.LohnEPVK == 0) {
      m.SetzeMember("stekPreis", s.Einzelpreis);
      m.SetzeMember("stvkPreis", s.Einzelpreis);
    }
    if (s.MaterialEPVK != 0) {
      m.SetzeMember("stekPreis", s.Einzelpreis);
      m.SetzeMember("stvkPreis", s.MaterialEPVK);
    }
    if (s.LohnEPVK != 0) m.SetzeMember("stvkVK2Lohn", s.LohnEPVK);

    m.SetzeMember("Zeit", s.Zeit);
    m.SetzeMember("MwstKz", "0");
    Ermittle_ArtikelTyp(m);

    Variant schalter[] = {Variant(true), Variant(true), Variant(false), Variant(false), Variant(true), Variant(true)};
    m.Rufe("fktSpeichernArtikel", schalter);
  });
}

void Ermittle_ArtikelTyp(Artikelmanager& m) {
  // Material part: a purchase or sales price. Wage part: a wage purchase
  // price (as a whole number) or a time.
  // All four are read, whatever the first of a pair says.
  const double ek = m.LeseMember("stekPreis").ToDouble();
  const double vk = m.LeseMember("stvkPreis").ToDouble();
  const std::int32_t lohnEk = m.LeseMember("LohnEk").ToInt32();
  const double zeit = m.LeseMember("Zeit").ToDouble();
  const bool material = ek != 0 || vk != 0;
  const bool lohn = lohnEk != 0 || zeit != 0;
  m.SetzeMember("ArtikelTyp", !lohn ? "1" : material ? "3" : "2");
}

}  // namespace gaeb

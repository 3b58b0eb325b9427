#include "host/felder.h"

#include <cstdint>

#include "base/text.h"

namespace gaeb::host {

namespace {

using T = Variant::Typ;

Feld S(std::string_view n, std::string_view v = "") { return {n, T::String, Variant(std::string(v))}; }
Feld I(std::string_view n, std::int16_t v = 0) { return {n, T::Integer, Variant(v)}; }
Feld L(std::string_view n, std::int32_t v = 0) { return {n, T::Long, Variant(v)}; }
Feld D(std::string_view n, double v = 0) { return {n, T::Double, Variant(v)}; }
Feld B(std::string_view n, bool v = false) { return {n, T::Boolean, Variant(v)}; }

}  // namespace

std::string Spaltenname(std::string_view feldname) {
  std::string s(feldname);
  s = text::Ersetze(s, "ä", "ae");
  s = text::Ersetze(s, "ö", "oe");
  s = text::Ersetze(s, "ü", "ue");
  s = text::Ersetze(s, "Ä", "Ae");
  s = text::Ersetze(s, "Ö", "Oe");
  s = text::Ersetze(s, "Ü", "Ue");
  s = text::Ersetze(s, "ß", "ss");
  return s;
}

Katalog::Katalog(std::string tabelle, std::vector<Feld> felder)
    : tabelle_(std::move(tabelle)), felder_(std::move(felder)) {
  for (std::size_t i = 0; i < felder_.size(); ++i) {
    spalten_.push_back(Spaltenname(felder_[i].name));
    index_.emplace(felder_[i].name, static_cast<int>(i));
  }
}

int Katalog::Index(std::string_view name) const {
  // Field names mostly come as string literals, so the same name arrives with
  // the same address: a small cache by address spares most of the hashing.
  // A hit is confirmed by comparing the name, since a name built at run time
  // may reuse the address of another.
  struct Eintrag {
    const char* text = nullptr;
    const Katalog* katalog = nullptr;
    int index = -1;
  };
  thread_local Eintrag cache[512];
  Eintrag& e = cache[(reinterpret_cast<std::uintptr_t>(name.data()) >> 3) % 512];
  if (e.text == name.data() && e.katalog == this && felder_[e.index].name == name) return e.index;
  auto it = index_.find(name);
  if (it == index_.end()) return -1;
  e = Eintrag{name.data(), this, it->second};
  return it->second;
}

Variant AlsFeldtyp(const Variant& wert, Variant::Typ typ) {
  switch (typ) {
    case T::String: return Variant(wert.ToString());
    case T::Integer: return Variant(wert.ToInt16());
    case T::Long: return Variant(wert.ToInt32());
    case T::Double: return Variant(wert.ToDouble());
    case T::Boolean: return Variant(wert.ToBool());
    case T::Empty: break;
  }
  return wert;
}

const Katalog& KopfKatalog() {
  static const Katalog k("Belegkopfkolvar", {
      L("Belegnummer"), I("Belegart"), S("Projektnummer"), S("KundenNummer"),
      S("Belegbezeichnung"),           // kind of document as text ("Angebot")
      S("InformationProjekt"), I("Nummernkreis"), S("InformationProjektRTF"),
      S("Belegdatum"),                 // document date, JJJJMMTT
      S("Unser_Zeichen"), S("Währung"),
      B("Kopfschalter1"), B("Kopfschalter2"), B("Kopfschalter3"), B("Kopfschalter4"),
      // Level switches: four groups of three, one per structure level.
      B("Stufe1Ebene1"), B("Stufe1Ebene2"), B("Stufe1Ebene3"),
      B("Stufe2Ebene1"), B("Stufe2Ebene2"), B("Stufe2Ebene3"),
      B("Stufe3Ebene1"), B("Stufe3Ebene2"), B("Stufe3Ebene3"),
      B("Stufe4Ebene1"), B("Stufe4Ebene2"), B("Stufe4Ebene3"),
      S("OZMaske"),                    // mask, optionally followed by "|" separator "|"
      S("OZTrennzeichen"),             // separator when the mask carries none
      D("Kopfwert1"), B("Kopfschalter5"), D("Kopfwert2"),
      B("MitLangtextfassung"), S("Kopftext1"), S("DateiUrsprung"), D("Kopfwert3"), D("Kopfwert4"),
      S("Erfassungsdatum"), S("Benutzer"),
      S("KopfInformationAG"), S("NotizenLV"),
      // Additional fields of an imported bill.
      S("DatumAngebotsabgabe"), S("VergabenummerAG"), I("Datenphase"), S("DVNrAG"), S("BieterNrAG"),
      S("VergabenummerAN"), S("DVNrAN"), S("Ausgabejahr"), S("BezeichnungLV"), S("DatumLV"),
      S("DatumZuschlagsfrist"), B("LVmitPreisen"), B("LVmitLohn"), S("InformationAG"), S("InformationAN"),
      S("ZA06"), S("ZA07"), S("Dateiname"), B("MitLos"), S("BezWährung"), S("Zeichensatz"),
      S("Metallart"), D("Metalltagespreis"),
      // Currency and GAEB data of the document.
      S("Währungduplikat"), S("GAEBDaVersion"), I("Währungsmodus"), S("Währung2"),
      D("Währungskurs", 1.0),          // home currency per unit of the document's currency
      // Names and addresses.
      S("Projektname"), S("Projektbeschreibung"), S("LVName"),
      B("Kurzlangtext"),               // the document carries short and long texts
      D("UmsatzsteuerProzent", 19.0),
      I("Speicherstatus"),
      // The header's own position row.
      I("KopfPositionstyp"), S("KopfKennzeichen"),
      B("Projektgefunden"), B("MitKunde"), S("Erzeugungstext"), L("Erzeugungswert"),
      // read by the GAEB 90 export
      S("Komponente"),                 // unit-price component descriptor: 14-character slots at columns 4
                                       // (time) and 18, 32, 46, 60 (components "Material", "Lohn")
      // read by the GAEB 2000 export
      I("AnzahlEPAnteile"),            // unit-price shares of the document: 2 = material and labour, 0 = none
      // read by the GAEB XML export
      S("OZFormatstring"),             // ordinal-number format: one part per level, split at the separator;
                                       // "N" marks a numeric level (empty: every level numeric)
  });
  return k;
}

const Katalog& PositionsKatalog() {
  static const Katalog k("Belegpositionen", {
      I("Positionstyp"), I("HierarchieEbene"), S("Positionsnummer"), S("Artikelnummer"), I("Nachtrag"),
      B("Alternativposition"), B("Bedarfsposition"), B("Garantieposition"), B("Pauschalpreis"),
      S("Kurztext1"), S("Kurztext1RTF"), S("Kurztext3"), S("Kurztext3RTF"), S("Langtext"), S("LangtextRTF"),
      B("Langtextdruck"),              // print the long text
      S("KennNr_Langtext"), S("DruckKnz"), S("KnzVbSb"), B("KnzVertragsbedingungen"),
      B("FürSummenspeicher1", true), B("FürSummenspeicher2", true),
      D("Menge"), D("MengePaketteil"), B("Paket"), D("Paketbetrag"),
      S("Kennzeichen"),                // "3" on package rows and the header's own row
      S("Mengeneinheit"), S("Mengeneinheit2"), D("Preiseinheit", 1.0), D("Preiseinheit2", 1.0),
      D("Zeit"), D("Zeit2"), I("WelcherBetragZuAbschlag"), I("ZuschlagAuf"),
      B("Festschalter1"), B("Festschalter2"), S("Festbuchstabe"), S("Festtext"), D("Festbetrag1"),
      D("Festbetrag2"),
      D("Materialpreis"), D("Lohnpreis"), D("Einzelpreis"), D("Gesamtpreis"), D("AufAbschlagProzent"),
      S("Materialpreiskennzeichen"), S("Lohnpreiskennzeichen"), S("Kalkulationskennzeichen"),
      B("KnzFreieMenge"), I("KnzGaeb"),
      S("Textschlüssel"),              // text key given when the row was inserted
      D("Rabattprozent"), D("Rabattbetrag"), S("Zusatztext"), B("ZusatztextDruck"),
      // read by the GAEB 2000 export
      B("Bezuschlagt1"), B("Bezuschlagt2"),  // the position takes surcharge 1 / surcharge 2
      D("AufAbschlagBetrag"),          // surcharge or discount as an amount (sum rows)
  });
  return k;
}

const Katalog& AdressKatalog() {
  static const Katalog k("Belegadressen", {
      I("Adressart"), S("Name1"), S("Name2"), S("Name3"), S("Strasse"), S("Plz"), S("Ort"), S("Telefon"),
      S("Fax"), S("Email"),
      S("Name4"), S("Land"),           // read by the GAEB XML export
  });
  return k;
}

const Katalog& SchlusszeilenKatalog() {
  static const Katalog k("Belegschlusszeilen", {
      I("Positionstyp"), S("Langtext"), S("LangtextRTF"), S("KnzVbSb"), B("Schalter"),
      D("Summe"), D("UST"), D("USTBetrag"), D("SummeBrutto"),
  });
  return k;
}

const Katalog& AufmassKatalog() {
  static const Katalog k("Aufmasszeilen", {
      I("Zeilenart"),                  // 0 calculation, 1 comment
      L("Blatt"), S("Buchstabe"),      // sheet and line letter, 22 rows a sheet
      S("Positionsnummer"), S("Bezeichnung"), S("Formel"),
      D("Menge"),                      // value of the formula
      D("Ergebnis"),                   // running total of the position's quantities
  });
  return k;
}

namespace {

std::vector<Feld> ArtikelFelder() {
  return {
      S("Hauptlieferant"), S("Artikelnummer"), S("Teilartikelnummer"), S("Suchbegriff"),
      S("Bez"), S("Bez3"),             // short text and its continuation
      S("LangtextNummer"),             // text number of the long text, empty without one
      S("Druckkz1"), S("DruckKz2"),    // print marks
      S("Mengeneinheit"), S("MengeneinheitLager"), S("MengeneinheitEinkauf"),
      S("EKPreistyp"),                 // kind of purchase price ("B")
      // Purchase price block: price, price unit, discount marks and discounts.
      D("stekPreis"), I("stekPreiseinheit", 1), I("stekKZRabatt1"), I("stekKZRabatt2"), I("stekKZRabatt3"),
      D("stekRabatt1"), D("stekRabatt2"),
      // Sales price block: price, price unit and the wage part of the price.
      D("stvkPreis"), I("stvkPreiseinheit", 1), D("stvkVK2Lohn"),
      D("LohnEk"),                     // wage purchase price
      D("Zeit"),
      S("MwstKz"),                     // VAT mark
      S("ArtikelTyp", "1"),            // 1 material, 2 wage, 3 material and wage
      S("AnlageDatum"), S("AnlageUser"),
  };
}

std::vector<Feld> LangtextFelder() {
  return {S("Lieferantennummer"), S("Textnummer"), S("Textart"), S("Zusatztextnummer"), S("SprachKz"),
          S("Langtext"), S("LangtextV")};
}

}  // namespace

const Katalog& ArtikelKatalog(bool kv) {
  static const Katalog eigener("ArtikelKV", ArtikelFelder());
  static const Katalog anderer("Artikel", ArtikelFelder());
  return kv ? eigener : anderer;
}

const Katalog& ArtikellangtextKatalog(bool kv) {
  static const Katalog eigener("ArtikellangtexteKV", LangtextFelder());
  static const Katalog anderer("Artikellangtexte", LangtextFelder());
  return kv ? eigener : anderer;
}

}  // namespace gaeb::host

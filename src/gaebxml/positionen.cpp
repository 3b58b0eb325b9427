// The items of a GAEB DA XML bill: Item for positions and package heads,
// MarkupItem for surcharge and discount rows on items, SubDescr for package
// parts, and Product/Article for an item's article number. Each writer reads
// the current position of the document and appends its element to the parent
// the driver gives it.
#include "base/text.h"
#include "export/oz.h"
#include "gaebxml/export.h"

namespace gaeb::gaebxml {

namespace {

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

}  // namespace

std::string Export::Zerlege_RNoPart(const std::string& oz, int teil) {
  std::vector<std::string> teile = Teile(oz, k_.m_PosNr_Trennzeichen);
  if (oz.empty()) return teil < 5 ? "1" : "";
  const std::string& stufen = k_.satz.OZStufen;
  std::size_t n = 0;
  std::size_t k = 1;
  for (; k <= 5; ++k) {
    if (text::Mitte(stufen, k, 1) != "0") {
      ++n;
      if (static_cast<int>(k) == teil) break;
    }
  }
  if (k == 6 || n == 0 || n - 1 >= teile.size()) return "";
  std::string ziffer = text::Mitte(stufen, k, 1);
  std::size_t länge = ziffer.size() == 1 && ziffer[0] >= '0' && ziffer[0] <= '9' ? static_cast<std::size_t>(ziffer[0] - '0') : 0;
  return text::Links(teile[n - 1], länge);
}

xmlNodePtr Export::Ausgabe_ITEMTXML(xmlDocPtr doc, xmlNodePtr itemlist) {
  return Schreiber("Ausgabe_ITEMTXML", [&](xmlNodePtr& item) {
    const bool dp84 = DP84();
    const std::string oz = PS("Positionsnummer");
    item = Kind(itemlist, "Item");
    NeueID(item);
    std::string teil = Zerlege_RNoPart(oz, 4);
    xmlNewProp(item, X("RNoPart"), X(teil.empty() ? "1" : teil.c_str()));
    std::string index = Zerlege_RNoPart(oz, 5);
    if (!index.empty()) xmlNewProp(item, X("RNoIndex"), X(index.c_str()));

    const bool bedarf = PB("Bedarfsposition");
    const bool alternativ = PB("Alternativposition");
    const bool pauschal = PB("Pauschalpreis");
    if (!dp84) {
      if (bedarf) Kind(item, "Provis", alternativ ? "WithoutTotal" : "WithTotal");
      if (!bedarf && alternativ) {
        Kind(item, "ALNGroupNo", "1");
        Kind(item, "ALNSerNo", "1");
      }
      if (pauschal) Kind(item, "LumpSumItem", "Yes");
      if (m_MitPreise && m_MitPreisanteilen) Kind(item, "UPBkdn", "Yes");
      if (PB("FürSummenspeicher1") || PB("FürSummenspeicher2")) Kind(item, "MarkupIt", "Yes");
      std::int16_t nachtrag = PI("Nachtrag");
      if (nachtrag != 0) {
        Kind(item, "CONo", std::to_string(nachtrag));
        Kind(item, "COStatus", "Offered");
      }
    }
    std::string einheit = text::Links(PS("Mengeneinheit"), 4);
    if (einheit.empty()) einheit = "Psch";
    if (!dp84 && pauschal) {
      if (PB("KnzFreieMenge")) Kind(item, "QtyTBD", "Yes");
      Kind(item, "Qty", ZahlXML(PD("Menge"), kMaskeMenge));
      Kind(item, "QU", "Psch");
    } else {
      Kind(item, "Qty", ZahlXML(PD("Menge"), kMaskeMenge));
      Kind(item, "QU", einheit);
    }
    if (dp84 || m_MitPreise) {
      Kind(item, "UP", ZahlXML(PD("Einzelpreis"), kMaskeEinheitspreis));
      if (m_MitPreisanteilen) {
        Kind(item, "UPComp1", ZahlXML(PD("Materialpreis"), kMaskeBetrag));
        Kind(item, "UPComp2", ZahlXML(PD("Lohnpreis"), kMaskeBetrag));
      }
      double rabatt = PD("Rabattprozent");
      if (rabatt != 0) Kind(item, "DiscountPcnt", ZahlXML(rabatt, kMaskeEinheitspreis));
      Kind(item, "IT", ZahlXML(PD("Gesamtpreis") - PD("Rabattbetrag"), kMaskeBetrag));
    }
    double zeit = PD("Zeit");
    if (zeit != 0 && m_MitZeiten) Kind(item, "TimeQu", ZahlXML(zeit, kMaskeBetrag));
    if (dp84) {
      Bieterbeschreibung(doc, item);
    } else {
      Beschreibung(doc, item, true);
    }
    if (!dp84 && PI("Positionstyp") == 45 && !m_PaketAlsLeistung) Kind(item, "SumDescr", "Yes");
    if (m_MitArtikelnummer && !PS("Artikelnummer").empty()) Ausgabe_PRODUCTXML(doc, item);
    m_LetzteOZ = Format_PosNr(k_, oz);
  });
}

xmlNodePtr Export::Ausgabe_MARKUPITEMXML(xmlDocPtr doc, xmlNodePtr itemlist) {
  return Schreiber("Ausgabe_MARKUPITEMXML", [&](xmlNodePtr& markup) {
    const std::int16_t art = PI("Positionstyp");
    if (art == 60) return;
    const bool dp84 = DP84();
    const std::string oz = PS("Positionsnummer");
    markup = Kind(itemlist, "MarkupItem");
    NeueID(markup);
    std::string teil = Zerlege_RNoPart(oz, 4);
    xmlNewProp(markup, X("RNoPart"), X(teil.empty() ? "1" : teil.c_str()));
    std::string index = Zerlege_RNoPart(oz, 5);
    if (!index.empty()) xmlNewProp(markup, X("RNoIndex"), X(index.c_str()));
    if (!dp84) {
      const bool bedarf = PB("Bedarfsposition");
      const bool alternativ = PB("Alternativposition");
      if (bedarf) Kind(markup, "Provis", alternativ ? "WithoutTotal" : "WithTotal");
      if (!bedarf && alternativ) {
        Kind(markup, "ALNGroupNo", "1");
        Kind(markup, "ALNSerNo", "1");
      }
      std::int16_t nachtrag = PI("Nachtrag");
      if (nachtrag != 0) Kind(markup, "CONo", std::to_string(nachtrag));
      std::int16_t unterart = PI("WelcherBetragZuAbschlag");
      Kind(markup, "MarkupType", unterart >= 4 && unterart <= 7 ? "IdentAsMark" : "AllInCat");
    }
    // A discount carries its percentage negative, in the document as well.
    if (art == 80) Position().SetzeFeld("AufAbschlagProzent", -PD("AufAbschlagProzent"));
    if (m_MitPreise) Kind(markup, "ITMarkup", ZahlXML(PD("Einzelpreis"), kMaskeBetrag));
    Kind(markup, "Markup", ZahlXML(PD("AufAbschlagProzent"), kMaskeProzent));
    if (m_MitPreise) Kind(markup, "IT", ZahlXML(PD("Gesamtpreis"), kMaskeBetrag));
    if (!dp84) Beschreibung(doc, markup, false);
  });
}

xmlNodePtr Export::Ausgabe_SUBDESCRXML(xmlDocPtr doc, xmlNodePtr item, std::int32_t nummer) {
  return Schreiber("Ausgabe_SUBDESCRXML", [&](xmlNodePtr& sub) {
    const bool dp84 = DP84();
    sub = Kind(item, "SubDescr");
    Kind(sub, "SubDNo", std::to_string(nummer));
    if (dp84) {
      Bieterbeschreibung(doc, sub);
      Kind(sub, "Qty", ZahlXML(PD("MengePaketteil"), kMaskeMenge));
    } else {
      Beschreibung(doc, sub, true);
      Kind(sub, PB("KnzFreieMenge") ? "QtyTBD" : "QtySpec", "Yes");
      Kind(sub, "Qty", ZahlXML(PD("MengePaketteil"), kMaskeMenge));
      std::string einheit = text::Links(PS("Mengeneinheit"), 6);
      Kind(sub, "QU", einheit.empty() ? std::string("Psch") : einheit);
    }
    if (dp84 || m_MitPreise) {
      if (!dp84) Kind(sub, "UPBkdn", "Yes");
      Kind(sub, "UP", ZahlXML(PD("Einzelpreis"), kMaskeBetrag));
      std::int16_t knz = PI("KnzGaeb");
      if (knz == 10 || knz == 11) {
        Kind(sub, "UPComp1", ZahlXML(PD("Materialpreis"), kMaskeBetrag));
        Kind(sub, "UPComp2", ZahlXML(PD("Lohnpreis"), kMaskeBetrag));
      }
    }
  });
}

xmlNodePtr Export::Ausgabe_PRODUCTXML(xmlDocPtr doc, xmlNodePtr item) {
  if (!m_MitArtikelnummer) return nullptr;
  return Schreiber("Ausgabe_PRODUCTXML", [&](xmlNodePtr& product) {
    if (PS("Artikelnummer").empty()) return;
    product = Kind(item, "Product");
    Ausgabe_ARTICLEXML(doc, product);
  });
}

xmlNodePtr Export::Ausgabe_ARTICLEXML(xmlDocPtr doc, xmlNodePtr product) {
  return Schreiber("Ausgabe_ARTICLEXML", [&](xmlNodePtr& article) {
    article = Kind(product, "Article");
    Kind(article, "ArtNo", text::Links(PS("Artikelnummer"), 15));
    Ausgabe_TEXTRTFXML(doc, article, PS("Kurztext1"), PS("Kurztext1RTF"), "MA");
  });
}

}  // namespace gaeb::gaebxml

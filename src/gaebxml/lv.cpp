// The skeleton of the bill in a GAEB DA XML file: BoQ with its information
// and the breakdown of the ordinal number, the bodies, the categories (lots,
// trades, titles) with their labels and the host's own totals, the item lists,
// and the bill's totals, computed before the walk.
#include "base/text.h"
#include "export/oz.h"
#include "gaebxml/export.h"

namespace gaeb::gaebxml {

xmlNodePtr Export::Ausgabe_BOQXML(xmlDocPtr, xmlNodePtr award) {
  if (!m_BoQOffen) return nullptr;
  return Schreiber("Ausgabe_BOQXML", [&](xmlNodePtr& boq) {
    boq = Kind(award, "BoQ");
    NeueID(boq);
    m_BoQOffen = false;
  });
}

xmlNodePtr Export::Ausgabe_BOQINFOXML(xmlDocPtr doc, xmlNodePtr boq) {
  return Schreiber("Ausgabe_BOQINFOXML", [&](xmlNodePtr& info) {
    info = Kind(boq, "BoQInfo");
    Kind(info, "Name", text::Links(KS("LVName"), 20));
    if (!DP84()) {
      Kind(info, "LblBoQ", text::Links(KS("BezeichnungLV"), 60));
      std::string datum = k_.Daten().DatumFürAusgabe(KS("DatumLV"));
      // "TT.MM.JJJJ" of the date service as "JJJJ-MM-TT".
      if (datum.size() == 10 && datum[2] == '.' && datum[5] == '.')
        datum = datum.substr(6, 4) + "-" + datum.substr(3, 2) + "-" + datum.substr(0, 2);
      Kind(info, "Date", datum);
      Kind(info, "OutlCompl", Kopf().Feld("Kurzlangtext").ToBool() ? "AllTxt" : "OutTxt");
    }
    Ausgabe_BOQBKDNXML(doc, info);
    m_MitPreisanteilen = false;
    if (KS("AnzahlEPAnteile") == "2") {
      m_MitPreisanteilen = true;
      if (!DP84()) {
        Kind(info, "NoUPComps", "2");
        Kind(info, "LblUPComp1", "MATERIAL");
        Kind(info, "LblUPComp2", "LOHN");
        Kind(info, "LblTime", "Minuten");
      }
    }
  });
}

xmlNodePtr Export::Ausgabe_BOQBKDNXML(xmlDocPtr, xmlNodePtr info) {
  return Schreiber("Ausgabe_BOQBKDNXML", [&](xmlNodePtr& letzte) {
    const std::string& stufen = k_.satz.OZStufen;
    bool mitStufen = false;
    std::size_t j = 0;
    for (std::size_t k = 1; k <= 5; ++k) {
      std::string ziffer = text::Mitte(stufen, k, 1);
      if (ziffer == "0") continue;
      xmlNodePtr bkdn = Kind(info, "BoQBkdn");
      letzte = bkdn;
      if (k <= 3) {
        Kind(bkdn, "Type", "BoQLevel");
        Kind(bkdn, "LblBoQBkdn", "Abschnitt-" + std::to_string(k));
        mitStufen = true;
      } else if (k == 4) {
        Kind(bkdn, "Type", "Item");
        Kind(bkdn, "LblBoQBkdn", "Position");
      } else {
        Kind(bkdn, "Type", "Index");
        Kind(bkdn, "LblBoQBkdn", "Index");
      }
      Kind(bkdn, "Length", ziffer);
      std::string num = "No";
      if (k <= 4) num = j >= m_OZTeile.size() || m_OZTeile[j] == "N" ? "Yes" : "No";
      Kind(bkdn, "Num", num);
      Kind(bkdn, "Alignment", "left");
      ++j;
    }
    const char* kommentar = mitStufen ? "Verarbeitung mit LV-Stufen" : "Verarbeitung Positionen ohne LV-Stufen";
    if (letzte != nullptr) xmlAddChild(letzte, xmlNewDocComment(doc_, reinterpret_cast<const xmlChar*>(kommentar)));
  });
}

xmlNodePtr Export::Ausgabe_TOTALSXML(xmlDocPtr, xmlNodePtr info) {
  return Schreiber("Ausgabe_TOTALSXML", [&](xmlNodePtr& totals) { totals = Kind(info, "Totals"); });
}

xmlNodePtr Export::Ausgabe_BOQBODYXML(xmlDocPtr, xmlNodePtr parent) {
  if (!m_BoQBodyOffen) return nullptr;
  return Schreiber("Ausgabe_BOQBODYXML", [&](xmlNodePtr& body) {
    body = Kind(parent, "BoQBody");
    m_BoQBodyOffen = false;
  });
}

xmlNodePtr Export::Ausgabe_ITEMLISTXML(xmlDocPtr, xmlNodePtr body) {
  if (!m_ItemlistOffen) return nullptr;
  return Schreiber("Ausgabe_ITEMLISTXML", [&](xmlNodePtr& liste) {
    liste = Kind(body, "Itemlist");
    m_ItemlistOffen = false;
  });
}

std::string Export::RNoPartV(const std::string& oz) {
  std::string teil;
  Geschützt(k_, "RNoPartV", [&] {
    if (oz.empty()) {
      teil = "1";
      return;
    }
    std::vector<std::string> teile = Teile(oz, k_.m_PosNr_Trennzeichen);
    teil = teile.back();
  });
  return teil;
}

xmlNodePtr Export::Ausgabe_BOQCTGYXMLXML(xmlDocPtr doc, xmlNodePtr body, std::int16_t art, std::int16_t) {
  if (!m_BoQCtgyOffen) return nullptr;
  return Schreiber("Ausgabe_BOQCTGYXMLXML", [&](xmlNodePtr& ctgy) {
    ctgy = Kind(body, "BoQCtgy");
    NeueID(ctgy);
    const std::string oz = PS("Positionsnummer");
    std::string rno = RNoPartV(oz);
    xmlNewProp(ctgy, reinterpret_cast<const xmlChar*>("RNoPart"),
               reinterpret_cast<const xmlChar*>(rno.empty() ? "1" : rno.c_str()));
    // A lot closes the open keys of lots, trades and titles; a trade those of
    // trades and titles; a title its own.
    for (std::int16_t stufe = static_cast<std::int16_t>(art - 19); stufe <= 3; ++stufe) m_BereichOZ[stufe].clear();
    const std::int16_t eigeneArt = PI("Positionstyp");
    if (eigeneArt >= 20 && eigeneArt <= 22) {
      const std::int16_t stufe = static_cast<std::int16_t>(eigeneArt - 19);
      m_BereichOZ[stufe] = Format_PosNr(k_, oz);
      m_BereichSumme[stufe] = PD("Gesamtpreis");
    }
    if (!DP84()) {
      std::string kurztext = text::Ersetze(PS("Kurztext1"), "\r\n", "  ");
      Position().SetzeFeld("Kurztext1", kurztext);
      Ausgabe_TEXTRTFXML(doc, ctgy, kurztext, PS("Kurztext1RTF"), "ML");
      if (!PB("Bedarfsposition") && PB("Alternativposition")) {
        Kind(ctgy, "ALNBGroupNo", "1");
        Kind(ctgy, "ALNBSerNo", "1");
      }
    }
    m_BoQCtgyOffen = false;
  });
}

xmlNodePtr Export::Ausgabe_BOQCTGYTOTALSLVXML(xmlDocPtr, xmlNodePtr ctgy, std::string& oz, double summe) {
  if (oz.empty() || !m_MitPreise) return nullptr;
  return Schreiber("Ausgabe_BOQCTGYTOTALSLVXML", [&](xmlNodePtr& totals) {
    totals = Kind(ctgy, "Totals");
    Kind(totals, "Total", ZahlXML(summe, kMaskeBetrag));
    Kind(totals, "TotalGross", ZahlXML(summe, kMaskeBetrag));
    oz.clear();
  });
}

xmlNodePtr Export::Ausgabe_BOQTOTALSUPDXML(xmlDocPtr, xmlNodePtr totals) {
  Schreiber("Ausgabe_BOQTOTALSUPDXML", [&](xmlNodePtr&) {
    LVSummenspeicher& s = m_LVSummenspeicher;
    if (!m_MitPreise) {
      s.Summe = s.Nachlassbetrag = s.SummeBrutto = s.UST = s.NachlassProz = s.NachlassAbs = 0;
    }
    Kind(totals, "Total", ZahlXML(s.Summe, kMaskeBetrag));
    if (s.NachlassPositionsart == 70) s.NachlassProz = -s.NachlassProz;
    if (s.NachlassProz != 0) Kind(totals, "DiscountPcnt", ZahlXML(s.NachlassProz, kMaskeProzent));
    if (s.NachlassUnterart == 8) {
      if (s.NachlassPositionsart == 70) s.NachlassAbs = -s.NachlassAbs;
      if (s.NachlassAbs != 0) Kind(totals, "DiscountAmt", ZahlXML(s.NachlassAbs, kMaskeBetrag));
    }
    if (s.NachlassProz != 0 || s.NachlassAbs != 0)
      Kind(totals, "TotAfterDisc", ZahlXML(s.Summe - s.Nachlassbetrag, kMaskeBetrag));
    Kind(totals, "VAT", ZahlXML(s.UST, kMaskeProzent));
    Kind(totals, "TotalGross", ZahlXML(s.SummeBrutto, kMaskeBetrag));
  });
  return totals;
}

}  // namespace gaeb::gaebxml

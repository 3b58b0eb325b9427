// The GAEB DA XML export driver and the header: data-phase check, opening
// and locking the document, the skeleton of the tree, the bill's totals, the
// opening walk (the header and preliminary texts up to the first position
// that is not a text), the main walk with progress and cancel (what is final
// written after every row), the closing walk, putting the file at the
// target, the unlock; and the header elements GAEBInfo, PrjInfo, Award,
// AwardInfo, OWN and CTR.
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <iterator>
#include <optional>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "export/belegzugang.h"
#include "export/firma.h"
#include "export/fortschritt.h"
#include "export/oz.h"
#include "gaebxml/export.h"
#include "gaebxml/strom.h"
#include "textconv/textkonverter.h"

namespace gaeb::gaebxml {

namespace {

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

// The text sub-kind of a text row as a number; a text that is no number counts as 0.
int AlsZahl(const std::string& s) {
  try {
    return static_cast<int>(TextZuZahl(s));
  } catch (const gaeb::Fehler&) {
    return 0;
  }
}

bool Ziffern(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// A date as "JJJJ-MM-TT": from "TT.MM.JJJJ" (the date service's output),
// "TTMMJJJJ" (the processing date) or "JJJJ-MM-TT"; anything else unchanged.
std::string DatumISO(const std::string& d) {
  if (d.size() == 10 && d[2] == '.' && d[5] == '.') return d.substr(6, 4) + "-" + d.substr(3, 2) + "-" + d.substr(0, 2);
  if (d.size() == 8 && Ziffern(d)) return d.substr(4, 4) + "-" + d.substr(2, 2) + "-" + d.substr(0, 2);
  return d;
}

}  // namespace

std::vector<std::string> Teile(const std::string& s, const std::string& trenner) {
  std::vector<std::string> teile;
  if (s.empty()) return teile;
  if (trenner.empty()) return {s};
  std::size_t a = 0;
  for (;;) {
    std::size_t e = s.find(trenner, a);
    teile.push_back(s.substr(a, e == std::string::npos ? std::string::npos : e - a));
    if (e == std::string::npos) break;
    a = e + trenner.size();
  }
  return teile;
}

std::string ZahlXML(double wert, std::string_view maske) {
  // The masks hold the integer digits the schema's decimal types allow.
  std::string s = FormatZahlFeld(wert, maske);
  for (char& c : s)
    if (c == ',') c = '.';
  return s;
}

Export::Export(Kontext& k, const Ausgabeoptionen& o) : Exportzustand(o), k_(k) {}

Export::~Export() {
  if (doc_ != nullptr) xmlFreeDoc(doc_);
}

Belegposition& Export::Position() { return k_.Beleg().AktuellePosition(); }
std::string Export::PS(std::string_view feld) { return Position().Feld(feld).ToString(); }
double Export::PD(std::string_view feld) { return Position().Feld(feld).ToDouble(); }
std::int16_t Export::PI(std::string_view feld) { return Position().Feld(feld).ToInt16(); }
bool Export::PB(std::string_view feld) { return Position().Feld(feld).ToBool(); }
Datensatz& Export::Kopf() { return k_.Beleg().Kopf(); }
std::string Export::KS(std::string_view feld) { return Kopf().Feld(feld).ToString(); }
bool Export::DP84() const { return k_.satz.Datenphase == 84; }

void Export::Fehler(std::string_view prozedur) {
  fehler_ = true;
  Fehlermeldung(k_, prozedur);
}

xmlNodePtr Export::Kind(xmlNodePtr parent, const char* name, const std::string* text) {
  if (parent == nullptr) throw gaeb::Fehler(91, "Objektvariable nicht festgelegt");
  xmlNodePtr e = xmlNewDocNode(doc_, ns_, X(name), nullptr);
  if (e == nullptr) throw gaeb::Fehler(7, "Nicht genügend Speicher");
  xmlAddChild(parent, e);
  if (text != nullptr && !text->empty()) {
    // Control characters other than TAB, LF and CR cannot stand in an XML
    // 1.0 file, not even as references: they are left out.
    std::string sauber;
    const std::string* inhalt = text;
    auto steuerzeichen = [](unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; };
    if (std::any_of(text->begin(), text->end(), steuerzeichen)) {
      std::copy_if(text->begin(), text->end(), std::back_inserter(sauber), [&](char c) { return !steuerzeichen(c); });
      inhalt = &sauber;
    }
    xmlNodePtr t = xmlNewDocTextLen(doc_, reinterpret_cast<const xmlChar*>(inhalt->data()), static_cast<int>(inhalt->size()));
    if (t == nullptr) throw gaeb::Fehler(7, "Nicht genügend Speicher");
    xmlAddChild(e, t);
  }
  return e;
}

void Export::NeueID(xmlNodePtr element) {
  ++m_Elementzähler;
  std::string id = "A" + std::to_string(m_Elementzähler);
  xmlNewProp(element, X("ID"), X(id.c_str()));
}

bool Export::Ausgabe_BelegdatenDAXML(std::int16_t belegart, std::int32_t belegnummer,
                                     const std::string& tmpPfadDatei, std::int16_t tmpDatenphase) noexcept {
  bool ergebnis = false;
  bool gesperrt = false;
  std::int16_t art = belegart;
  std::int32_t nummer = belegnummer;
  try {
    k_.satz.Datenphase = tmpDatenphase;
    if (tmpDatenphase == 11) {
      ZeigeMeldung(k_, "Die Ausabe DA11 REB-23.003 ist für GAEB XML nicht zugelassen! ");
      return false;
    }
    if (tmpDatenphase == 12) {
      ZeigeMeldung(k_, "Die Ausabe DA12 REB-23.004 ist für GAEB XML nicht realisiert! ");
      return false;
    }
    if (tmpDatenphase == 84) m_MitPreise = true;

    ergebnis = true;
    Belegdaten& b = k_.Beleg();
    if (!ÖffneBelegZurAusgabe(k_, art, nummer, gesperrt)) return false;
    bool landeswährung = m_AusgabeLandeswährung;
    b.SetzeAusgabewährung(landeswährung);
    // The converter library is looked for once for all texts of this export.
    std::optional<clsGaebTextkonverter::Serie> serie;
    if (k_.textkonverter != nullptr) serie.emplace(*k_.textkonverter);

    m_VorlaufOffen = true;
    k_.satz.AnzahlLeistungen = 0;
    k_.satz.AnzahlPakete = 0;
    k_.satz.AnzahlPaketteile = 0;
    k_.satz.Satznummer = 0;

    // The skeleton: the root in the GAEB namespace and the comment. The XML
    // declaration is written by the save.
    doc_ = xmlNewDoc(X("1.0"));
    if (doc_ == nullptr) throw gaeb::Fehler(7, "Nicht genügend Speicher");
    doc_->dict = xmlDictCreate();  // element names are shared, not copied per element
    root_ = xmlNewDocNode(doc_, nullptr, X("GAEB"), nullptr);
    ns_ = xmlNewNs(root_, X(kGaebNamensraum), nullptr);
    xmlSetNs(root_, ns_);
    xmlDocSetRootElement(doc_, root_);
    xmlAddChild(root_, xmlNewDocComment(doc_, X("Datenaustausch GAEB-XML erstellt mit Norrfeld Software(07/2013-VB6)/ "
                                               "GAEB XML-Textkonverter Version 1.3.1.61")));
    // The file is written while the tree grows; the bill's totals, which its
    // information block holds, are known before the walk.
    Baumstrom strom(doc_, tmpPfadDatei);
    auto schreibe = [&] {
      strom.Schreibe({root_, award_, boq_, body_, eltern_[1], eltern_[2], eltern_[3], itemlist_, letztesItem_});
    };
    m_LVSummenspeicher = LVSummen(b);

    // Opening walk: preliminary texts before the first other position, then
    // the header and the bill's frame.
    const std::int32_t letzte = b.LetzterPositionsindex();
    auto kopf = [&] {
      if (m_VorlaufOffen) award_ = Ausgabe_VorlaufDAXML(doc_, root_);
      if (m_BoQOffen) {
        boq_ = Ausgabe_BOQXML(doc_, award_);
        xmlNodePtr info = Ausgabe_BOQINFOXML(doc_, boq_);
        totals_ = Ausgabe_TOTALSXML(doc_, info);
        if (totals_ != nullptr) Ausgabe_BOQTOTALSUPDXML(doc_, totals_);
        m_BoQBodyOffen = true;
        body_ = Ausgabe_BOQBODYXML(doc_, boq_);
      }
    };
    bool kopfGeschrieben = false;
    for (std::int32_t i = 0; i <= letzte && !kopfGeschrieben; ++i) {
      b.WählePosition(i);
      const std::int16_t positionsart = PI("Positionstyp");
      if (positionsart != 50) {
        kopf();
        kopfGeschrieben = true;
      } else if (AlsZahl(PS("KnzVbSb")) == 1) {
        if (m_VorlaufOffen) award_ = Ausgabe_VorlaufDAXML(doc_, root_);
        Ausgabe_ADDTEXTXML(doc_, award_);
      }
    }
    // A bill of texts alone, or of nothing, still gets its header and an
    // empty bill body, which the schema allows.
    if (!kopfGeschrieben) kopf();

    schreibe();

    // Main walk.
    bool abgebrochen = false;
    for (std::int32_t i = 0; i <= letzte; ++i) {
      b.WählePosition(i);
      const std::int16_t positionsart = PI("Positionstyp");
      switch (positionsart) {
        case 20:
        case 21:
        case 22: {
          const std::int16_t ebene = static_cast<std::int16_t>(positionsart - 19);
          m_ItemlistOffen = false;
          xmlNodePtr parent = eltern_[ebene] != nullptr ? eltern_[ebene] : body_;
          eltern_[ebene] = parent;
          m_BoQCtgyOffen = true;
          xmlNodePtr ctgy = Ausgabe_BOQCTGYXMLXML(doc_, parent, positionsart, ebene);
          m_BoQBodyOffen = true;
          body_ = Ausgabe_BOQBODYXML(doc_, ctgy);
          if (ebene == 1) eltern_[2] = body_;
          if (ebene == 2) eltern_[3] = body_;
          if (ebene == 3) {
            m_ItemlistOffen = true;
            itemlist_ = Ausgabe_ITEMLISTXML(doc_, body_);
          }
          Ausgabe_BOQCTGYTOTALSLVXML(doc_, ctgy, m_BereichOZ[ebene], m_BereichSumme[ebene]);
          if (ebene != 3) m_ItemlistOffen = true;
          break;
        }
        case 40:
        case 45:
          // The 16-bit counter stops at its largest value on very large bills.
          if (k_.satz.AnzahlLeistungen < INT16_MAX) k_.satz.AnzahlLeistungen += 1;
          m_UnterbeschreibungNr = 0;
          if (m_ItemlistOffen) {
            if (m_BoQBodyOffen)
              if (xmlNodePtr neu = Ausgabe_BOQBODYXML(doc_, boq_)) body_ = neu;
            itemlist_ = Ausgabe_ITEMLISTXML(doc_, body_);
          }
          letztesItem_ = Ausgabe_ITEMTXML(doc_, itemlist_);
          break;
        case 47:
          if (!m_PaketAlsLeistung) {
            ++m_UnterbeschreibungNr;
            Ausgabe_SUBDESCRXML(doc_, letztesItem_, m_UnterbeschreibungNr);
          }
          break;
        case 50:
          if (AlsZahl(PS("KnzVbSb")) != 0) break;
          if (m_ItemlistOffen) {
            if (m_BoQBodyOffen)
              if (xmlNodePtr neu = Ausgabe_BOQBODYXML(doc_, boq_)) body_ = neu;
            if (b.MitLosen() || b.MitGewerken() || b.MitTiteln()) {
              Ausgabe_REMARKXML(doc_, body_);
            } else {
              itemlist_ = Ausgabe_ITEMLISTXML(doc_, body_);
              Ausgabe_REMARKXML(doc_, itemlist_);
            }
          } else {
            Ausgabe_REMARKXML(doc_, itemlist_);
          }
          break;
        case 60:
        case 70:
        case 80: {
          // A discount on the whole bill (0) is in the totals already.
          const std::int16_t unterart = PI("WelcherBetragZuAbschlag");
          if (unterart == 1 || unterart == 2 || unterart == 8 || (unterart == 3 && PI("KnzGaeb") >= 99)) {
            // Sums of categories: their totals were written when they opened.
            for (std::int16_t stufe = 3; stufe >= 1; --stufe) {
              if (unterart == 1 || (unterart == 2 && stufe >= 2) || stufe == 3) m_BereichOZ[stufe].clear();
            }
          } else if (unterart >= 3 && unterart <= 7) {
            Ausgabe_MARKUPITEMXML(doc_, itemlist_);
          }
          break;
        }
        default: break;
      }
      schreibe();
      if (!MeldeFortschritt(k_, i, [&] { return letzte + b.LetzterSchlusszeilenindex() + 10; })) {
        ergebnis = false;
        abgebrochen = true;
        break;
      }
    }

    // Closing walk: the closing texts.
    if (!abgebrochen) {
      const std::int32_t letzteSchlusszeile = b.LetzterSchlusszeilenindex();
      for (std::int32_t j = 0; j <= letzteSchlusszeile; ++j) {
        b.WähleSchlusszeile(j);
        Datensatz& z = b.AktuelleSchlusszeile();
        if (z.Feld("Positionstyp").ToInt16() == 140) {
          // The closing text travels through the current position.
          Position().SetzeFeld("Langtext", z.Feld("Langtext"));
          Position().SetzeFeld("LangtextRTF", z.Feld("LangtextRTF"));
          Ausgabe_ADDTEXTXML(doc_, root_);
        }
      }
    }

    strom.Schließe();

    gesperrt = false;
    if (b.Entsperren(art, nummer) == 0) Meldung10055(k_, "Entsperre Beleg: " + std::to_string(belegnummer));
    return ergebnis && !fehler_;
  } catch (...) {
    Fehlermeldung(k_, "Ausgabe_BelegdatenDAXML");
  }
  // After an unexpected error nothing is saved and the document is unlocked.
  if (gesperrt) Ignoriere([&] { k_.Beleg().Entsperren(art, nummer); });
  return false;
}

xmlNodePtr Export::Ausgabe_VorlaufDAXML(xmlDocPtr doc, xmlNodePtr root) {
  if (!m_VorlaufOffen) return nullptr;
  return Schreiber("Ausgabe_VorlaufDAXML", [&](xmlNodePtr& award) {
    Ermittle_OZMaske(k_);
    k_.satz.OZStufen = OZMaske_Stufen(k_, k_.Beleg().OZMaske());
    m_OZTeile = Teile(KS("OZFormatstring"), k_.m_PosNr_Trennzeichen);
    if (m_MitRTF) Kopf().SetzeFeld("Zeichensatz", "ANSI");
    AusgabeZeichensatz = text::Gross(KS("Zeichensatz")) == "ANSI" ? "ANSI" : "OEM";
    Ausgabe_GAEBINFOXML(doc, root);
    Ausgabe_PRJINFOXML(doc, root);
    award = Ausgabe_AWARDXML(doc, root);
    m_VorlaufOffen = false;
  });
}

xmlNodePtr Export::Ausgabe_GAEBINFOXML(xmlDocPtr, xmlNodePtr root) {
  return Schreiber("Ausgabe_GAEBINFOXML", [&](xmlNodePtr& info) {
    info = Kind(root, "GAEBInfo");
    Kind(info, "Version", "3.1");
    Kind(info, "VersDate", "2009-12");
    Kind(info, "Date", DatumISO(k_.vorgaben.pGL_tmjVerarbeitungsdatum));
    Kind(info, "Time", text::JetztLokal("%H:%M:%S"));
    Kind(info, "ProgSystem", "Norrfeld Software");
    Kind(info, "ProgName", "Kolvar");
  });
}

xmlNodePtr Export::Ausgabe_PRJINFOXML(xmlDocPtr doc, xmlNodePtr root) {
  return Schreiber("Ausgabe_PRJINFOXML", [&](xmlNodePtr& prj) {
    prj = Kind(root, "PrjInfo");
    Kind(prj, "NamePrj", text::Links(KS("BezeichnungLV"), 60));
    Kind(prj, "LblPrj", text::Links(KS("InformationProjekt"), 100));
    if (DP84()) return;
    std::string info = text::Ersetze(KS("InformationProjekt"), "\r\n", "   ");
    Kopf().SetzeFeld("InformationProjekt", info);
    Ausgabe_TEXTRTFXML(doc, prj, info, KS("InformationProjektRTF"), "F");
    Kind(prj, "Cur", text::Links(KS("Währung"), 4));
    Kind(prj, "CurLbl", text::Links(KS("BezWährung"), 60));
  });
}

xmlNodePtr Export::Ausgabe_AWARDXML(xmlDocPtr doc, xmlNodePtr root) {
  return Schreiber("Ausgabe_AWARDXML", [&](xmlNodePtr& award) {
    award = Kind(root, "Award");
    Kind(award, "DP", std::to_string(k_.satz.Datenphase));
    Ausgabe_AWARDINFOXML(doc, award);
    if (!DP84()) Ausgabe_OWNXML(doc, award);
    Ausgabe_CTRXML(doc, award);
  });
}

xmlNodePtr Export::Ausgabe_AWARDINFOXML(xmlDocPtr, xmlNodePtr award) {
  return Schreiber("Ausgabe_AWARDINFOXML", [&](xmlNodePtr& info) {
    info = Kind(award, "AwardInfo");
    Kind(info, "Cur", text::Links(KS("Währung"), 4));
    Kind(info, "CurLbl", text::Links(KS("Währung"), 60));
    Kind(info, "BidDate", DatumISO(k_.Daten().DatumFürAusgabe(KS("DatumAngebotsabgabe"))));
    std::string frist = KS("DatumZuschlagsfrist");
    if (!DP84() && !frist.empty()) Kind(info, "EvalEnd", DatumISO(k_.Daten().DatumFürAusgabe(frist)));
  });
}

xmlNodePtr Export::Ausgabe_OWNXML(xmlDocPtr doc, xmlNodePtr award) {
  return Schreiber("Ausgabe_OWNXML", [&](xmlNodePtr& own) {
    own = Kind(award, "OWN");
    Ausgabe_ADDRESSAGXML(doc, own);
    Kind(own, "DPNo", text::Links(KS("DVNrAG"), 8));
    Kind(own, "AwardNo", text::Links(KS("VergabenummerAG"), 15));
  });
}

xmlNodePtr Export::Ausgabe_ADDRESSAGXML(xmlDocPtr, xmlNodePtr own) {
  return Schreiber("Ausgabe_ADDRESSAGXML", [&](xmlNodePtr& adresse) {
    adresse = Kind(own, "Address");
    Datensatz& a = k_.Beleg().Adresse(2);
    auto feld = [&](const char* name, std::size_t länge) { return text::Links(a.Feld(name).ToString(), länge); };
    Kind(adresse, "Name1", feld("Name1", 40));
    Kind(adresse, "Name2", feld("Name2", 40));
    Kind(adresse, "Name3", feld("Name3", 40));
    Kind(adresse, "Name4", feld("Name4", 40));
    Kind(adresse, "Street", feld("Strasse", 40));
    Kind(adresse, "PCode", feld("Plz", 10));
    Kind(adresse, "City", feld("Ort", 40));
    Kind(adresse, "Country", feld("Land", 40));
  });
}

xmlNodePtr Export::Ausgabe_CTRXML(xmlDocPtr doc, xmlNodePtr award) {
  return Schreiber("Ausgabe_CTRXML", [&](xmlNodePtr& ctr) {
    ctr = Kind(award, "CTR");
    Ausgabe_ADDRESSANXML(doc, ctr);
    Kind(ctr, "DPNo", text::Links(KS("DVNrAN"), 8));
    Kind(ctr, "AwardNo", text::Links(KS("VergabenummerAN"), 15));
    Kind(ctr, "BidderNo", text::Links(KS("BieterNrAG"), 8));
  });
}

xmlNodePtr Export::Ausgabe_ADDRESSANXML(xmlDocPtr, xmlNodePtr ctr) {
  return Schreiber("Ausgabe_ADDRESSANXML", [&](xmlNodePtr& adresse) {
    adresse = Kind(ctr, "Address");
    GetFirmenanschrift(k_);
    const Firmenanschrift& f = k_.firma;
    Kind(adresse, "Name1", text::Links(f.Name1, 40));
    Kind(adresse, "Name2", text::Links(f.Name2, 40));
    Kind(adresse, "Name3", text::Links(f.Name3, 40));
    Kind(adresse, "Street", text::Links(f.Straße, 40));
    // "PlzOrt" is the postcode, one blank and the town.
    Kind(adresse, "PCode", text::Links(f.PlzOrt, 5));
    Kind(adresse, "City", text::Mitte(f.PlzOrt, 6, 40));
    Kind(adresse, "Phone", text::Links(f.Telefon, 20));
    Kind(adresse, "Fax", text::Links(f.Fax, 20));
    Kind(adresse, "Email", text::Links(f.Email, 256));
  });
}

bool Ausgabe_BelegdatenDAXML(Kontext& k, std::int16_t belegart, std::int32_t belegnummer,
                             const std::string& tmpPfadDatei, std::int16_t tmpDatenphase,
                             const Ausgabeoptionen& optionen) noexcept {
  try {
    Export e(k, optionen);
    return e.Ausgabe_BelegdatenDAXML(belegart, belegnummer, tmpPfadDatei, tmpDatenphase);
  } catch (...) {
    Fehlermeldung(k, "Ausgabe_BelegdatenDAXML");
    return false;
  }
}

}  // namespace gaeb::gaebxml

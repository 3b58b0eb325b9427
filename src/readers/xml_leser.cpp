// GAEB DA XML 3.0 to 3.3, data types 81 to 86, read with libxml2's streaming
// reader: the document passes once, node by node, and only the text element
// being read (a Description, AddText, LblTx or Descrip) is kept as markup,
// without its namespace, for the text converter.
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "readers/gaebleser.h"
#include "readers/lvsammler.h"
#include "readers/xml_textzeilen.h"

namespace gaeb::readers {

namespace {

constexpr std::size_t kGrößterText = 1 << 20;  // one text value or text element
constexpr int kGrößteTiefe = 200;              // element nesting

bool BekannterNamensraum(std::string_view ns) {
  if (ns == "http://www.gaeb.de/GAEB_DA_XML/200407") return true;  // 3.0, 3.1
  // 3.2 and 3.3: one namespace per data type, "http://www.gaeb.de/GAEB_DA_XML/DA83/3.2"
  constexpr std::string_view kVorne = "http://www.gaeb.de/GAEB_DA_XML/DA8";
  if (ns.size() != kVorne.size() + 5 || ns.substr(0, kVorne.size()) != kVorne) return false;
  std::string_view r = ns.substr(kVorne.size());
  return r[0] >= '1' && r[0] <= '6' && r.substr(1, 3) == "/3." && r[4] >= '0' && r[4] <= '3';
}

// The elements the reader goes into, by their parent. Every other element is
// a value, taken only from the parent it has in the schema, or a part the
// reader does not know (QtySplit, CtlgAssign, PerfDescr, ...), skipped with
// all it holds.
bool Behälter(std::string_view eltern, std::string_view n) {
  // Per parent (the most frequent first) the elements gone into.
  static constexpr std::string_view kGruppen[][6] = {
      {"Item", "Description", "SubDescr", "Product"}, {"Itemlist", "Item", "MarkupItem", "Remark"},
      {"SubDescr", "Description"},  {"MarkupItem", "Description"}, {"Remark", "Description"},
      {"BoQBody", "BoQCtgy", "Itemlist", "Remark"}, {"BoQCtgy", "LblTx", "BoQBody", "Totals"},
      {"Product", "Article"},       {"BoQInfo", "BoQBkdn", "Totals"}, {"BoQ", "BoQInfo", "BoQBody"},
      {"OWN", "Address"},           {"CTR", "Address"},          {"Award", "AwardInfo", "OWN", "CTR", "AddText", "BoQ"},
      {"GAEB", "GAEBInfo", "PrjInfo", "Award", "AddText"}, {"PrjInfo", "Descrip"},
  };
  for (const auto& g : kGruppen) {
    if (g[0] != eltern) continue;
    for (std::size_t i = 1; i < 6 && !g[i].empty(); ++i)
      if (g[i] == n) return true;
    return false;
  }
  return false;
}

// "DA87" for the namespace of another data type of GAEB DA XML 3.2 or later
// ("http://www.gaeb.de/GAEB_DA_XML/DA87/3.3"), empty for any other.
std::string FremdeDatenart(std::string_view ns) {
  constexpr std::string_view kVorne = "http://www.gaeb.de/GAEB_DA_XML/DA";
  if (ns.substr(0, kVorne.size()) != kVorne) return {};
  std::string_view r = ns.substr(kVorne.size());
  std::size_t n = 0;
  while (n < r.size() && n < 3 && r[n] >= '0' && r[n] <= '9') ++n;
  if (n < 2 || n >= r.size() || r[n] != '/') return {};
  if (n == 2 && r[0] == '8' && r[1] >= '1' && r[1] <= '6') return {};
  return "DA" + std::string(r.substr(0, n));
}

// "2026-12-01" (or with a time behind) as the host's "20261201".
std::string Datum(const std::string& s) {
  if (s.size() >= 10 && s[4] == '-' && s[7] == '-') return s.substr(0, 4) + s.substr(5, 2) + s.substr(8, 2);
  return s;
}

struct Fehlerfang {
  std::string text;
  int zeile = 0;
};

void FangeFehler(void* arg, const xmlError* e) {
  auto* f = static_cast<Fehlerfang*>(arg);
  if (!f->text.empty() || e == nullptr || e->level < XML_ERR_ERROR) return;
  f->text = e->message ? e->message : "XML-Fehler";
  while (!f->text.empty() && (f->text.back() == '\n' || f->text.back() == ' ')) f->text.pop_back();
  f->zeile = e->line;
}

struct ReaderFrei {
  void operator()(xmlTextReader* r) const { xmlFreeTextReader(r); }
};

class XmlLeser {
 public:
  XmlLeser(xmlTextReaderPtr r, const std::string& name, Textwandler& texte) : r_(r), name_(name), texte_(texte) {
    xmlTextReaderSetStructuredErrorHandler(r_, reinterpret_cast<xmlStructuredErrorFunc>(&FangeFehler), &fang_);
  }

  std::vector<Importzeile> Lies() {
    int rc;
    while ((rc = xmlTextReaderRead(r_)) == 1) Knoten();
    if (rc < 0 || !fang_.text.empty()) {
      int zeile = fang_.zeile > 0 ? fang_.zeile : xmlTextReaderGetParserLineNumber(r_);
      Fehler(zeile, fang_.text.empty() ? "Die Datei ist kein wohlgeformtes XML." : "XML-Fehler: " + fang_.text);
    }
    if (!wurzelGesehen_) Fehler(0, "Die Datei enthält kein XML-Element.");
    if (!boqGesehen_) Fehler(0, "Die Datei enthält kein Leistungsverzeichnis (BoQ).");
    if (!dpGesehen_) Fehler(0, "Die Datenart (Award/DP) fehlt.");
    Setze(lv_.kopf, "Dateiname", Variant(name_));
    Setze(lv_.kopf, "DateiUrsprung", Variant("GAEB DA XML " + version_));
    if (!version_.empty()) Setze(lv_.kopf, "Ausgabejahr", Variant(version_));
    if (Wert(lv_.kopf, "BezeichnungLV").ToString().empty() && !namePrj_.empty())
      Setze(lv_.kopf, "BezeichnungLV", Variant(namePrj_));
    // LblPrj holds the first 100 characters of the project information, the
    // project text (Descrip) all of it.
    Setze(lv_.kopf, "InformationProjekt", Variant(descrip_.size() > lblPrj_.size() && lblPrj_.size() >= 100 ? descrip_
                                                  : lblPrj_.empty() ? descrip_ : lblPrj_));
    if (mitLangtext_) Setze(lv_.kopf, "MitLangtextfassung", Variant(true));
    if (mitPreisen_) Setze(lv_.kopf, "LVmitPreisen", Variant(true));
    // The surcharges on the whole bill live only in the bill's totals (a
    // surcharge is written as a negative discount).
    lv_.GanzesLv(nachlass_, summe_, summeGelesen_);
    return lv_.Fertig(gliederung_);
  }

 private:
  // What the element being read belongs to.
  enum class Art { Sonst, Posten, Markup, Teil, Bemerkung };

  [[noreturn]] void Fehler(int zeile, const std::string& grund) {
    std::string stelle;
    if (zeile > 0) stelle = "Zeile " + std::to_string(zeile);
    if (!pfad_.empty()) {
      std::string p;
      for (std::size_t i = 0; i < pfad_.size(); ++i) {
        if (pfad_.size() > 8 && i > 0 && i < pfad_.size() - 6) {
          if (i == 1) p += "/...";
          continue;
        }
        p += "/" + pfad_[i];
      }
      stelle += (stelle.empty() ? "" : ", ") + p;
    }
    throw Lesefehler(name_, stelle, grund);
  }
  [[noreturn]] void Fehler(const std::string& grund) { Fehler(xmlTextReaderGetParserLineNumber(r_), grund); }

  std::string_view Eltern() const { return pfad_.size() >= 2 ? std::string_view(pfad_[pfad_.size() - 2]) : ""; }

  std::string Attribut(const char* name) {
    xmlChar* v = xmlTextReaderGetAttribute(r_, reinterpret_cast<const xmlChar*>(name));
    if (v == nullptr) return {};
    std::string s(reinterpret_cast<const char*>(v));
    xmlFree(v);
    return s;
  }

  void Knoten() {
    int typ = xmlTextReaderNodeType(r_);
    int tiefe = xmlTextReaderDepth(r_);
    if (überspringen_ >= 0) {
      if (tiefe > überspringen_ || (tiefe == überspringen_ && typ != XML_READER_TYPE_END_ELEMENT)) return;
      überspringen_ = -1;
      return;
    }
    switch (typ) {
      case XML_READER_TYPE_DOCUMENT_TYPE:
        Fehler("Eine Dokumenttyp-Deklaration (DTD) ist in GAEB DA XML nicht erlaubt.");
      case XML_READER_TYPE_ENTITY_REFERENCE:
      case XML_READER_TYPE_ENTITY:
        Fehler("Entitäten sind in GAEB DA XML nicht erlaubt.");
      case XML_READER_TYPE_ELEMENT: Anfang(tiefe); break;
      case XML_READER_TYPE_END_ELEMENT: Ende(); break;
      case XML_READER_TYPE_TEXT:
      case XML_READER_TYPE_CDATA:
      case XML_READER_TYPE_WHITESPACE:
      case XML_READER_TYPE_SIGNIFICANT_WHITESPACE: {
        const char* t = reinterpret_cast<const char*>(xmlTextReaderConstValue(r_));
        if (t == nullptr) break;
        if (textTiefe_ >= 0) {
          Maskiere(t, textXml_, false);
          if (textXml_.size() > kGrößterText) Fehler("Ein Text ist länger als 1 MB.");
          // A CR (only from a character reference) would be a line end in the markup string.
          if (ereignisText_ && std::strchr(t, '\r') != nullptr) ereignisseGültig_ = false;
          if (ereignisText_) texte_.Zeichen(t);
        } else if (typ == XML_READER_TYPE_TEXT || typ == XML_READER_TYPE_CDATA) {
          wert_ += t;
          if (wert_.size() > kGrößterText) Fehler("Ein Wert ist länger als 1 MB.");
        }
        break;
      }
      default: break;
    }
  }

  void Anfang(int tiefe) {
    const char* ln = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(r_));
    const char* ns = reinterpret_cast<const char*>(xmlTextReaderConstNamespaceUri(r_));
    std::string name = ln ? ln : "";
    bool leer = xmlTextReaderIsEmptyElement(r_) == 1;
    if (!wurzelGesehen_) {
      wurzelGesehen_ = true;
      pfad_.push_back(name);
      if (name != "GAEB") Fehler("Das Wurzelelement ist " + name + ", nicht GAEB.");
      namensraum_ = ns ? ns : "";
      if (std::string da = FremdeDatenart(namensraum_); !da.empty())
        Fehler("Die Datenart " + da + " (Namensraum \"" + namensraum_ +
               "\") wird nicht gelesen; gelesen werden die Leistungsverzeichnisse DA81 bis DA86.");
      if (!BekannterNamensraum(namensraum_))
        Fehler("Unbekannter Namensraum \"" + namensraum_ + "\" (gelesen werden GAEB DA XML 3.0 bis 3.3).");
      if (leer) Fehler("Das Element GAEB ist leer.");
      return;
    }
    if (tiefe >= kGrößteTiefe) Fehler("Die Elemente sind zu tief verschachtelt.");
    if (textTiefe_ >= 0) {  // inside a text element: keep the markup
      TextAnfang(name, leer);
      return;
    }
    // Signatures and other foreign parts, and whatever an element holds that
    // the reader takes as a value or does not know (QtySplit, CtlgAssign, ...).
    if (ns == nullptr || namensraum_ != ns || blatt_) {
      if (!leer) überspringen_ = tiefe;
      return;
    }
    blatt_ = !Behälter(pfad_.back(), name);
    pfad_.push_back(name);
    wert_.clear();
    if (!blatt_) ElementAnfang(name);
    if (textTiefe_ >= 0) {
      textTiefe_ = tiefe;
      textName_ = name;
      textXml_ = "<" + name + ">";
      if (!nimmtEreignisse_) nimmtEreignisse_ = texte_.NimmtEreignisse();
      ereignisText_ = *nimmtEreignisse_;
      ereignisseGültig_ = true;
      textPfad_.clear();
      umrisse_ = details_ = 0;
      if (ereignisText_) {
        const char* keine[] = {nullptr};
        texte_.Anfang(name.c_str(), keine);
      }
      marken_.clear();
      kurzAnfang_ = langAnfang_ = std::string::npos;
      kurzXml_.clear();
      langXml_.clear();
      if (leer) Ende();
    } else if (leer) {
      Ende();
    }
  }

  void TextAnfang(const std::string& name, bool leer) {
    // The short and the long part are kept on their own too: their RTF forms
    // are converted apart, and the joining of lines follows each part's
    // paragraphs.
    if (!leer && name == "OutlineText") kurzAnfang_ = textXml_.size();
    if (!leer && name == "DetailTxt") langAnfang_ = textXml_.size();
    textXml_ += "<" + name;
    std::string art, marke;
    attribute_.clear();
    if (xmlTextReaderMoveToFirstAttribute(r_) == 1) {
      do {
        const char* an = reinterpret_cast<const char*>(xmlTextReaderConstName(r_));
        const char* av = reinterpret_cast<const char*>(xmlTextReaderConstValue(r_));
        if (an == nullptr || std::strncmp(an, "xmlns", 5) == 0) continue;
        std::string_view a = an;
        if (std::size_t p = a.find(':'); p != std::string_view::npos && a.substr(0, p) != "xml") a = a.substr(p + 1);
        textXml_ += " ";
        textXml_ += a;
        textXml_ += "=\"";
        Maskiere(av ? av : "", textXml_, true);
        textXml_ += "\"";
        if (a == "Kind") art = av ? av : "";
        if (a == "MarkLbl") marke = av ? av : "";
        if (ereignisText_ && a.substr(0, 4) != "xml:") {
          attribute_.emplace_back(a);
          attribute_.emplace_back(av ? av : "");
        }
      } while (xmlTextReaderMoveToNextAttribute(r_) == 1);
      xmlTextReaderMoveToElement(r_);
    }
    textXml_ += leer ? "/>" : ">";
    if (ereignisText_) TextEreignis(name, leer);
    if (name == "TextComplement" && art != "Owner") marken_.push_back(marke);
  }

  // The start of an element inside a text element as an event. The events
  // give the same text as the markup string where the markup reads the same
  // either way: no attribute name twice once prefixes are gone (the string
  // would not be well-formed), and OutlineText and DetailTxt at most once each
  // and where a Description has them (they are also converted on their own).
  void TextEreignis(const std::string& name, bool leer) {
    for (std::size_t i = 0; i < attribute_.size(); i += 2) {
      for (std::size_t j = 0; j < i; j += 2)
        if (attribute_[j] == attribute_[i]) ereignisseGültig_ = false;
    }
    const bool inComplete = textPfad_.size() == 1 && textPfad_[0] == "CompleteText";
    if (name == "OutlineText" && (++umrisse_ > 1 || !(textPfad_.empty() || inComplete))) ereignisseGültig_ = false;
    if (name == "DetailTxt" && (++details_ > 1 || !inComplete)) ereignisseGültig_ = false;
    zeiger_.clear();
    for (const std::string& a : attribute_) zeiger_.push_back(a.c_str());
    zeiger_.push_back(nullptr);
    texte_.Anfang(name.c_str(), zeiger_.data());
    if (leer) texte_.Ende();
    else textPfad_.push_back(name);
  }

  void ElementAnfang(const std::string& n) {
    if (n == "BoQ") {
      if (boqGesehen_) Fehler("Die Datei enthält mehr als ein Leistungsverzeichnis; gelesen wird nur eines je Datei.");
      boqGesehen_ = true;
      imBoQ_ = true;
    } else if (n == "BoQBkdn" && Eltern() == "BoQInfo") {
      bkdnTyp_.clear();
      bkdnLänge_ = 0;
    } else if (n == "BoQCtgy") {
      std::string teil = Attribut("RNoPart");
      if (teil.empty()) teil = "1";
      std::string oz = bereichOZ_.empty() ? teil : bereichOZ_.back() + "." + teil;
      bereichOZ_.push_back(oz);
      if (bereichOZ_.size() > 20) Fehler("Die Bereiche sind tiefer als 20 Stufen geschachtelt.");
      lv_.Bereich(static_cast<int>(bereichOZ_.size()), oz);
      bereichZeile_.push_back(lv_.AnzahlZeilen() - 1);
      bereichPosten_.emplace_back();
    } else if (n == "Item") {
      NeuesObjekt(Art::Posten, 40);
      if (!bereichPosten_.empty()) bereichPosten_.back().zeilen.push_back(posten_);
      Setze(Aktuell(), "Positionsnummer", Variant(OZ()));
      teile_ = 0;
    } else if (n == "MarkupItem") {
      NeuesObjekt(Art::Markup, 70);
      if (!bereichPosten_.empty()) bereichPosten_.back().zeilen.push_back(posten_);
      Setze(Aktuell(), "Positionsnummer", Variant(OZ()));
      Setze(Aktuell(), "WelcherBetragZuAbschlag", Variant(static_cast<std::int16_t>(3)));
    } else if (n == "SubDescr") {
      ++teile_;
      std::string oz = Wert(Zeilen(posten_), "Positionsnummer").ToString();
      postenArt_ = art_;
      NeuesObjekt(Art::Teil, 47);
      Setze(Aktuell(), "Positionsnummer", Variant(oz));
    } else if (n == "Remark" && imBoQ_) {
      NeuesObjekt(Art::Bemerkung, 50);
      Setze(Aktuell(), "KnzVbSb", Variant("0"));
      Setze(Aktuell(), "KennNr_Langtext", Variant("[Hinweis]"));
    } else if (n == "Description" || n == "AddText" || n == "LblTx" || n == "Descrip") {
      if (n != "AddText" || Eltern() == "Award" || Eltern() == "GAEB") textTiefe_ = 0;
    }
  }

  std::string OZ() {
    std::string teil = Attribut("RNoPart");
    if (teil.empty()) teil = "1";
    std::string oz = bereichOZ_.empty() ? "" : bereichOZ_.back() + ".";
    // An item at a shallower depth than the breakdown: the levels it skips are blank.
    for (std::size_t t = bereichOZ_.size(); t < gliederung_.bereichLängen.size(); ++t) oz += ".";
    oz += teil;
    std::string index = Attribut("RNoIndex");
    if (!index.empty()) oz += "." + index;
    return oz;
  }

  void NeuesObjekt(Art art, std::int16_t typ) {
    if (art_ != Art::Sonst && art != Art::Teil) Fehler("Ein Element steht in einem anderen, in das es nicht gehört.");
    art_ = art;
    lv_.Neu(typ);
    if (art == Art::Teil) teil_ = lv_.AnzahlZeilen() - 1;
    else posten_ = lv_.AnzahlZeilen() - 1;
    artTiefe_ = static_cast<int>(pfad_.size());
  }

  Importzeile& Zeilen(std::size_t i) { return lv_.ZeileAn(i); }
  Importzeile& Aktuell() { return Zeilen(art_ == Art::Teil ? teil_ : posten_); }

  double Zahl(const std::string& w) {
    double d = 0;
    if (!LeseZahl(w, d)) Fehler(pfad_.back() + " ist keine Zahl: \"" + w.substr(0, 40) + "\".");
    return d;
  }

  void Ende() {
    if (textTiefe_ >= 0 && xmlTextReaderDepth(r_) > textTiefe_) {
      if (xmlTextReaderNodeType(r_) == XML_READER_TYPE_END_ELEMENT) {
        const char* ln = reinterpret_cast<const char*>(xmlTextReaderConstName(r_));
        std::string_view n = ln ? ln : "";
        if (std::size_t p = n.find(':'); p != std::string_view::npos) n = n.substr(p + 1);
        textXml_ += "</";
        textXml_ += n;
        textXml_ += ">";
        if (ereignisText_) {
          texte_.Ende();
          if (!textPfad_.empty()) textPfad_.pop_back();
        }
        if (n == "OutlineText" && kurzAnfang_ != std::string::npos) kurzXml_ = textXml_.substr(kurzAnfang_);
        if (n == "DetailTxt" && langAnfang_ != std::string::npos) langXml_ = textXml_.substr(langAnfang_);
      }
      return;
    }
    const std::string name = pfad_.back();
    if (blatt_) {  // a value, or a part the reader did not go into
      blatt_ = false;
      Blatt(name, wert_);
      pfad_.pop_back();
      wert_.clear();
      return;
    }
    if (textTiefe_ >= 0) {
      textXml_ += "</" + textName_ + ">";
      if (ereignisText_) texte_.Ende();
      textTiefe_ = -1;
      TextFertig(name);
    } else {
      Blatt(name, wert_);
    }
    if (static_cast<int>(pfad_.size()) == artTiefe_) ObjektFertig();
    if (name == "BoQCtgy") {
      if (Wert(lv_.kopf, "Datenphase").ToInt32() == 84) UngezählteGebote(bereichPosten_.back());
      bereichPosten_.pop_back();
      bereichOZ_.pop_back();
      bereichZeile_.pop_back();
    } else if (name == "BoQ") {
      imBoQ_ = false;
    } else if (name == "BoQBkdn" && Eltern() == "BoQInfo") {
      if (bkdnTyp_ == "BoQLevel") gliederung_.bereichLängen.push_back(bkdnLänge_);
      else if (bkdnTyp_ == "Item") gliederung_.positionLänge = bkdnLänge_;
      else if (bkdnTyp_ == "Index") gliederung_.indexLänge = bkdnLänge_;
    }
    pfad_.pop_back();
    wert_.clear();
  }

  void ObjektFertig() {
    if (art_ == Art::Teil) {
      art_ = postenArt_;
      artTiefe_ = static_cast<int>(pfad_.size()) - 1;
      // SubDescr lies right inside Item
      return;
    }
    if (art_ == Art::Posten && (teile_ > 0 || summenBeschreibung_)) Setze(Aktuell(), "Positionstyp", Variant(static_cast<std::int16_t>(45)));
    if (art_ == Art::Posten && Wert(Aktuell(), "Positionstyp").ToInt32() == 40)
      Setze(Aktuell(), "HierarchieEbene", Variant(static_cast<std::int16_t>(4)));
    summenBeschreibung_ = false;
    art_ = Art::Sonst;
    artTiefe_ = -1;
  }

  void Blatt(const std::string& n, const std::string& w) {
    std::string_view e = Eltern();
    if (art_ != Art::Sonst) {
      PostenWert(n, w);
      return;
    }
    Importzeile& k = lv_.kopf;
    if (e == "GAEBInfo") {
      if (n == "Version") version_ = w;
    } else if (e == "PrjInfo") {
      if (n == "NamePrj") namePrj_ = w;
      else if (n == "LblPrj") lblPrj_ = w;
      else if (n == "Cur" && Wert(k, "Währung").ToString().empty()) Setze(k, "Währung", Variant(w));
      else if (n == "CurLbl") {
        Setze(k, "BezWährung", Variant(w));  // the currency's name; AwardInfo repeats the code there
        curLblPrj_ = true;
      }
    } else if (e == "Award" && n == "DP") {
      double dp = 0;
      if (!LeseZahl(w, dp) || dp < 81 || dp > 86 || dp != static_cast<int>(dp))
        Fehler("Datenart \"" + w.substr(0, 20) + "\" wird nicht gelesen (gelesen werden 81 bis 86).");
      Setze(k, "Datenphase", Variant(static_cast<std::int16_t>(dp)));
      dpGesehen_ = true;
    } else if (e == "AwardInfo") {
      if (n == "Cur") Setze(k, "Währung", Variant(w));
      else if (n == "CurLbl" && !curLblPrj_) Setze(k, "BezWährung", Variant(w));
      else if (n == "BidDate") Setze(k, "DatumAngebotsabgabe", Variant(Datum(w)));
      else if (n == "EvalEnd") Setze(k, "DatumZuschlagsfrist", Variant(Datum(w)));
    } else if (e == "OWN") {
      if (n == "DPNo") Setze(k, "DVNrAG", Variant(w));
      else if (n == "AwardNo") Setze(k, "VergabenummerAG", Variant(w));
    } else if (e == "CTR") {
      if (n == "DPNo") Setze(k, "DVNrAN", Variant(w));
      else if (n == "AwardNo") Setze(k, "VergabenummerAN", Variant(w));
      else if (n == "BidderNo") Setze(k, "BieterNrAG", Variant(w));
    } else if (e == "Address" && pfad_.size() >= 3 && pfad_[pfad_.size() - 3] == "OWN") {
      if (n == "Name1" && Wert(k, "InformationAG").ToString().empty()) Setze(k, "InformationAG", Variant(w));
      static constexpr std::pair<std::string_view, const char*> kFelder[] = {
          {"Name1", "Name1"}, {"Name2", "Name2"}, {"Name3", "Name3"},     {"Name4", "Name4"},   {"Street", "Strasse"},
          {"PCode", "Plz"},   {"City", "Ort"},    {"Country", "Land"},   {"Phone", "Telefon"}, {"Fax", "Fax"},
          {"Email", "Email"}};
      for (const auto& [xml, feld] : kFelder)
        if (n == xml && !w.empty()) Setze(k, std::string("Auftraggeber.") + feld, Variant(w));
    } else if (e == "BoQInfo") {
      if (n == "LblBoQ") Setze(k, "BezeichnungLV", Variant(w));
      else if (n == "Name" && Wert(k, "BezeichnungLV").ToString().empty()) namePrj_ = namePrj_.empty() ? w : namePrj_;
      else if (n == "Date") Setze(k, "DatumLV", Variant(Datum(w)));
      else if (n == "OutlCompl") mitLangtext_ = mitLangtext_ || w == "AllTxt";
    } else if (e == "Totals" && pfad_.size() >= 3 && pfad_[pfad_.size() - 3] == "BoQInfo" && n == "DiscountPcnt") {
      nachlass_ = Zahl(w);
    } else if (e == "Totals" && pfad_.size() >= 3 && pfad_[pfad_.size() - 3] == "BoQInfo" && n == "Total") {
      summe_ = Zahl(w);
      summeGelesen_ = true;
    } else if (e == "BoQBkdn") {
      if (n == "Type") bkdnTyp_ = w;
      else if (n == "Length") {
        double l = 0;
        if (!LeseZahl(w, l) || l < 0 || l > 9) Fehler("Length muss eine Zahl von 0 bis 9 sein, nicht \"" + w.substr(0, 20) + "\".");
        bkdnLänge_ = static_cast<int>(l);
      }
    } else if (e == "Totals" && n == "Total" && pfad_.size() >= 3 && pfad_[pfad_.size() - 3] == "BoQCtgy" &&
               !bereichPosten_.empty()) {
      bereichPosten_.back().summe = Zahl(w);
      bereichPosten_.back().summeGelesen = true;
    } else if (e == "BoQCtgy" && !bereichZeile_.empty()) {
      if (n == "ALNBGroupNo" || n == "ALNBSerNo") Setze(Zeilen(bereichZeile_.back()), "Alternativposition", Variant(true));
    }
  }

  void PostenWert(const std::string& n, const std::string& w) {
    // A value of the object's own element; of the article only its number.
    const std::size_t tiefe = pfad_.size() - static_cast<std::size_t>(artTiefe_);
    if (tiefe != 1 && !(tiefe == 3 && n == "ArtNo" && Eltern() == "Article")) return;
    Importzeile& z = Aktuell();
    auto ja = [&] { return w == "Yes" || w == "yes" || w == "true" || w == "1"; };
    if (n == "Qty") {
      Setze(z, art_ == Art::Teil ? "MengePaketteil" : "Menge", Variant(Zahl(w)));
    } else if (n == "QU") {
      Setze(z, "Mengeneinheit", Variant(w));
    } else if (n == "UP") {
      Setze(z, "Einzelpreis", Variant(Zahl(w)));
      mitPreisen_ = true;
    } else if (n == "IT") {
      Setze(z, "Gesamtpreis", Variant(Zahl(w)));
    } else if (n == "UPComp1" && art_ == Art::Posten) {
      Setze(z, "MaterialEPVK", Variant(Zahl(w)));
    } else if (n == "UPComp2" && art_ == Art::Posten) {
      Setze(z, "LohnEPVK", Variant(Zahl(w)));
    } else if (n == "LumpSumItem") {
      if (ja()) Setze(z, "Pauschalpreis", Variant(true));
    } else if (n == "QtyTBD") {
      if (ja()) Setze(z, "KnzFreieMenge", Variant(true));
    } else if (n == "Provis") {
      Setze(z, "Bedarfsposition", Variant(true));
      if (w == "WithoutTotal") Setze(z, "Alternativposition", Variant(true));
    } else if (n == "ALNGroupNo" || n == "ALNSerNo") {
      Setze(z, "Alternativposition", Variant(true));
    } else if (n == "CONo") {
      double d = Zahl(w);
      if (d < 0 || d > 32767 || d != static_cast<int>(d)) Fehler("CONo muss eine ganze Zahl bis 32767 sein.");
      Setze(z, "Nachtrag", Variant(static_cast<std::int16_t>(d)));
    } else if (n == "TimeQu") {
      Setze(z, "Zeit", Variant(Zahl(w)));
    } else if (n == "SumDescr") {
      if (ja()) summenBeschreibung_ = true;
    } else if (n == "ArtNo") {
      Setze(z, "Artikelnummer", Variant(w));
    } else if (art_ == Art::Markup) {
      if (n == "ITMarkup") {
        Setze(z, "Einzelpreis", Variant(Zahl(w)));
      } else if (n == "Markup") {
        double p = Zahl(w);
        if (p < 0) Setze(z, "Positionstyp", Variant(static_cast<std::int16_t>(80)));
        Setze(z, "AufAbschlagProzent", Variant(p < 0 ? -p : p));
      } else if (n == "MarkupType") {
        Setze(z, "WelcherBetragZuAbschlag", Variant(static_cast<std::int16_t>(w == "IdentAsMark" ? 4 : 3)));
      }
    }
  }

  // The items of an area and the area's total.
  struct Bereichsposten {
    std::vector<std::size_t> zeilen;
    double summe = 0;
    bool summeGelesen = false;
  };

  void UngezählteGebote(const Bereichsposten& b) {
    if (b.summeGelesen) lv_.Ungezählte(b.zeilen, b.summe);
  }

  // Markup that plain lines lose (bold, lists, tables, gaps): only then is
  // the RTF form made and stored besides the plain one.
  bool Formatiert() const {
    for (const char* m : {"style=", "<table", "<ul", "<ol", "TextComplement", "<image", "<Image"})
      if (textXml_.find(m) != std::string::npos) return true;
    return false;
  }

  // The text element just read, in textXml_ as markup.
  void TextFertig(const std::string& name) {
    // The text of the events, when they give what the markup string gives.
    std::optional<std::pair<std::string, std::string>> ereignis;
    if (ereignisText_) {
      ereignis.emplace();
      texte_.EreignisseNachTextKL(ereignis->first, ereignis->second);
      if (!ereignisseGültig_) ereignis.reset();
    }
    auto nachText = [&](const std::string& xml, const char* modus) {
      if (ereignis) return std::string(modus[0] == 'K' ? ereignis->first : ereignis->second);
      return texte_.NachText(xml, modus);
    };
    const bool rtf = Formatiert();
    const bool kurz = textXml_.find("OutlTxt") != std::string::npos || name == "LblTx";
    const bool lang = textXml_.find("DetailTxt") != std::string::npos || textXml_.find("DetailAddText") != std::string::npos ||
                      name == "Descrip";
    if (name == "Descrip") {
      descrip_ = ZeilenZuAbsätzen(nachText(textXml_, "L"), textXml_);
      if (rtf) Setze(lv_.kopf, "InformationProjektRTF", Variant(texte_.NachRtf(textXml_, "L")));
      return;
    }
    if (name == "LblTx") {
      if (bereichZeile_.empty()) return;
      Importzeile& z = Zeilen(bereichZeile_.back());
      Setze(z, "Kurztext1", Variant(nachText(textXml_, "K")));
      if (rtf) Setze(z, "Kurztext1RTF", Variant(texte_.NachRtf(textXml_, "ML")));
      return;
    }
    if (name == "AddText") {
      std::string l = lang ? nachText(textXml_, "L") : "";
      std::string lr = lang && rtf ? texte_.NachRtf(textXml_, "L") : "";
      if (l.empty() && kurz) l = nachText(textXml_, "K");
      Importzeile& z = imBoQ_ || !boqGesehen_ ? lv_.Neu(50) : lv_.Schluss();
      if (Wert(z, "Positionstyp").ToInt32() == 50) Setze(z, "KnzVbSb", Variant("1"));
      Setze(z, "Langtext", Variant(l));
      if (!lr.empty()) Setze(z, "LangtextRTF", Variant(lr));
      return;
    }
    // Description of an item, markup item, sub-description or remark.
    Importzeile& z = Aktuell();
    if (art_ == Art::Bemerkung) {
      std::string l = lang ? ZeilenZuAbsätzen(nachText(textXml_, "L"), langXml_.empty() ? textXml_ : langXml_)
                           : nachText(textXml_, "K");
      Setze(z, "Langtext", Variant(l));
      if (lang && rtf) Setze(z, "LangtextRTF", Variant(texte_.NachRtf(textXml_, "L")));
      return;
    }
    const std::string& k = kurzXml_.empty() ? textXml_ : kurzXml_;
    const std::string& l = langXml_.empty() ? textXml_ : langXml_;
    // Both parts of the element in one conversion.
    std::string kurzText, langText;
    if (kurz && lang && ereignis) kurzText = ereignis->first, langText = ereignis->second;
    else if (kurz && lang) texte_.NachTextKL(textXml_, kurzText, langText);
    else if (kurz) kurzText = nachText(k, "K");
    else if (lang) langText = nachText(l, "L");
    if (kurz) {
      Setze(z, "Kurztext1", Variant(ZeilenZuAbsätzen(kurzText, k)));
      if (rtf) Setze(z, "Kurztext1RTF", Variant(texte_.NachRtf(k, "K")));
    }
    if (lang) {
      std::string t = ZeilenZuAbsätzen(langText, l);
      if (!t.empty()) mitLangtext_ = true;
      Setze(z, "Langtext", Variant(t));
      if (rtf) Setze(z, "LangtextRTF", Variant(texte_.NachRtf(l, "L")));
    }
    if (!marken_.empty()) {
      std::string kenn = "XML";
      for (const std::string& m : marken_) kenn += ";" + m;
      Setze(z, "KennNr_Langtext", Variant(kenn));
    }
  }

  xmlTextReaderPtr r_;
  std::string name_;
  Textwandler& texte_;
  Fehlerfang fang_;
  Lvsammler lv_;
  Gliederung gliederung_;
  std::vector<std::string> pfad_;
  std::string wert_;
  std::string namensraum_, version_, namePrj_, lblPrj_, descrip_;
  std::string bkdnTyp_;
  int bkdnLänge_ = 0;
  bool wurzelGesehen_ = false, boqGesehen_ = false, imBoQ_ = false, dpGesehen_ = false;
  bool curLblPrj_ = false;
  double nachlass_ = 0, summe_ = 0;
  bool summeGelesen_ = false;
  bool mitLangtext_ = false, mitPreisen_ = false, summenBeschreibung_ = false;
  int überspringen_ = -1;
  bool blatt_ = false;  // the element being read is a value, not one the reader goes into
  // the text element being kept
  int textTiefe_ = -1;
  std::string textName_, textXml_;
  std::size_t kurzAnfang_ = std::string::npos, langAnfang_ = std::string::npos;
  std::string kurzXml_, langXml_;  // OutlineText and DetailTxt of the text element
  std::vector<std::string> marken_;
  // the text element's events for the converter
  std::optional<bool> nimmtEreignisse_;  // the converter takes them (asked at the first text)
  bool ereignisText_ = false, ereignisseGültig_ = false;
  std::vector<std::string> textPfad_;  // elements open below the text element
  int umrisse_ = 0, details_ = 0;      // OutlineText and DetailTxt elements so far
  std::vector<std::string> attribute_;  // of the element start: names and values
  std::vector<const char*> zeiger_;
  // areas and the row being filled
  std::vector<std::string> bereichOZ_;
  std::vector<std::size_t> bereichZeile_;
  std::vector<Bereichsposten> bereichPosten_;
  Art art_ = Art::Sonst, postenArt_ = Art::Sonst;
  int artTiefe_ = -1;
  std::size_t posten_ = 0, teil_ = 0;
  int teile_ = 0;
};

}  // namespace

std::vector<Importzeile> LeseXml(std::string_view daten, const std::string& name, Textwandler& texte) {
  std::unique_ptr<xmlTextReader, ReaderFrei> r(xmlReaderForMemory(daten.data(), static_cast<int>(daten.size()), nullptr,
                                                                  nullptr, XML_PARSE_NONET));
  if (!r) throw Lesefehler(name, "", "Die Datei kann nicht als XML gelesen werden.");
  return XmlLeser(r.get(), name, texte).Lies();
}

std::vector<Importzeile> LeseXmlDatei(const std::string& pfad, const std::string& name, Textwandler& texte) {
  std::unique_ptr<xmlTextReader, ReaderFrei> r(xmlReaderForFile(pfad.c_str(), nullptr, XML_PARSE_NONET));
  if (!r) throw Lesefehler(name, "", "Die Datei kann nicht gelesen werden.");
  return XmlLeser(r.get(), name, texte).Lies();
}

}  // namespace gaeb::readers

// GAEB DA XML 3.0 to 3.3, data types 81 to 86, read with libxml2's SAX
// parser: the document passes once, in pieces, and the reader keeps only the
// path of open elements, the value being read and the text element being read
// (xml_lesertext.cpp). Elements count by their local name in the document's
// GAEB namespace; any other element is skipped with all it holds.
#include "readers/xml_leser.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include "readers/gaebleser.h"

namespace gaeb::readers {

namespace {

constexpr int kGrößteTiefe = 200;  // element nesting

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

// White space alone.
bool Leer(std::string_view t) {
  for (char c : t)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

}  // namespace

// ---- the parser's calls

XmlLeser::XmlLeser(const std::string& name, Textwandler& texte) : name_(name), texte_(texte) {}

XmlLeser::~XmlLeser() {
  if (ctxt_ != nullptr) xmlFreeParserCtxt(ctxt_);
}

template <class F>
void XmlLeser::Geschützt(F&& f) {
  if (fehler_) return;
  try {
    f();
  } catch (...) {
    fehler_ = std::current_exception();
    xmlStopParser(ctxt_);
  }
}

void XmlLeser::WeiterFalls() {
  if (fehler_) std::rethrow_exception(fehler_);
}

void XmlLeser::SaxAnfang(void* leser, const xmlChar* lokal, const xmlChar*, const xmlChar* uri, int, const xmlChar**,
                         int anzahl, int, const xmlChar** attribute) {
  auto* l = static_cast<XmlLeser*>(leser);
  // The parser stands at the end of the start tag: "/>" closes an empty element.
  const xmlChar* bei = l->ctxt_->input != nullptr ? l->ctxt_->input->cur : nullptr;
  const bool leer = bei != nullptr && bei[0] == '/' && bei[1] == '>';
  l->Geschützt([&] {
    l->Start(reinterpret_cast<const char*>(lokal), reinterpret_cast<const char*>(uri), anzahl, attribute, leer);
  });
}

void XmlLeser::SaxEnde(void* leser, const xmlChar* lokal, const xmlChar*, const xmlChar*) {
  auto* l = static_cast<XmlLeser*>(leser);
  l->Geschützt([&] { l->Schluss(reinterpret_cast<const char*>(lokal)); });
}

void XmlLeser::SaxZeichen(void* leser, const xmlChar* zeichen, int länge) {
  auto* l = static_cast<XmlLeser*>(leser);
  if (l->fehler_ || l->überspringen_ >= 0) return;
  l->lauf_.append(reinterpret_cast<const char*>(zeichen), static_cast<std::size_t>(länge));
  // A node's characters beyond any limit are not gathered.
  if (l->lauf_.size() > kGrößterText) l->Geschützt([&] { l->Lauf(); });
}

void XmlLeser::SaxCdata(void* leser, const xmlChar* zeichen, int länge) {
  auto* l = static_cast<XmlLeser*>(leser);
  if (l->überspringen_ >= 0) return;
  l->Geschützt([&] {
    l->Lauf();
    l->Text(std::string_view(reinterpret_cast<const char*>(zeichen), static_cast<std::size_t>(länge)), true);
  });
}

// A comment or processing instruction ends a text node.
void XmlLeser::SaxTrenner(void* leser, const xmlChar*, const xmlChar*) {
  auto* l = static_cast<XmlLeser*>(leser);
  l->Geschützt([&] { l->Lauf(); });
}

void XmlLeser::SaxKommentar(void* leser, const xmlChar*) { SaxTrenner(leser, nullptr, nullptr); }

void XmlLeser::SaxDokumenttyp(void* leser, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* l = static_cast<XmlLeser*>(leser);
  l->Geschützt([&] { l->Fehler("Eine Dokumenttyp-Deklaration (DTD) ist in GAEB DA XML nicht erlaubt."); });
}

void XmlLeser::SaxEntität(void* leser, const xmlChar*) {
  auto* l = static_cast<XmlLeser*>(leser);
  if (l->überspringen_ >= 0) return;
  l->Geschützt([&] { l->Fehler("Entitäten sind in GAEB DA XML nicht erlaubt."); });
}

void XmlLeser::SaxFehler(void* leser, xmlError* e) {
  auto* l = static_cast<XmlLeser*>(leser);
  if (!l->fehlertext_.empty() || e == nullptr || e->level < XML_ERR_ERROR) return;
  l->fehlertext_ = e->message ? e->message : "XML-Fehler";
  while (!l->fehlertext_.empty() && (l->fehlertext_.back() == '\n' || l->fehlertext_.back() == ' '))
    l->fehlertext_.pop_back();
  l->fehlerzeile_ = e->line;
}

void XmlLeser::Lies(const char* daten, std::size_t länge) {
  WeiterFalls();
  if (ctxt_ == nullptr) {
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &SaxAnfang;
    sax.endElementNs = &SaxEnde;
    sax.characters = &SaxZeichen;
    sax.ignorableWhitespace = &SaxZeichen;
    sax.cdataBlock = &SaxCdata;
    sax.comment = &SaxKommentar;
    sax.processingInstruction = &SaxTrenner;
    sax.internalSubset = &SaxDokumenttyp;
    sax.reference = &SaxEntität;
    sax.serror = &SaxFehler;
    // The first bytes tell the encoding.
    const std::size_t vorne = std::min<std::size_t>(länge, 4);
    ctxt_ = xmlCreatePushParserCtxt(&sax, this, daten, static_cast<int>(vorne), nullptr);
    if (ctxt_ == nullptr) throw Lesefehler(name_, "", "Die Datei kann nicht als XML gelesen werden.");
    xmlCtxtUseOptions(ctxt_, XML_PARSE_NONET);
    daten += vorne;
    länge -= vorne;
  }
  while (länge > 0 && ctxt_->wellFormed) {  // after a fault Fertig reports the parser's error
    const std::size_t stück = std::min<std::size_t>(länge, 1 << 20);
    xmlParseChunk(ctxt_, daten, static_cast<int>(stück), 0);
    WeiterFalls();
    daten += stück;
    länge -= stück;
  }
}

std::vector<Importzeile> XmlLeser::Fertig() {
  Lies(nullptr, 0);
  if (ctxt_->wellFormed) xmlParseChunk(ctxt_, nullptr, 0, 1);
  WeiterFalls();
  if (!ctxt_->wellFormed || !fehlertext_.empty()) {
    const int zeile = fehlerzeile_ > 0 ? fehlerzeile_ : Zeile();
    Fehler(zeile, fehlertext_.empty() ? "Die Datei ist kein wohlgeformtes XML." : "XML-Fehler: " + fehlertext_);
  }
  Lauf();
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

int XmlLeser::Zeile() const { return ctxt_ != nullptr && ctxt_->input != nullptr ? ctxt_->input->line : 0; }

void XmlLeser::Fehler(int zeile, const std::string& grund) {
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

// ---- nodes

void XmlLeser::Start(const char* lokal, const char* ns, int anzahl, const xmlChar** attribute, bool leer) {
  Lauf();
  const int tiefe = tiefe_++;
  leerOffen_ = leer;
  // Skipped parts too: the parser keeps a stack of every open element.
  if (tiefe >= kGrößteTiefe) Fehler("Die Elemente sind zu tief verschachtelt.");
  if (überspringen_ >= 0) return;
  anzahlAttribute_ = anzahl;
  attribute_ = attribute;
  Anfang(lokal ? lokal : "", ns, tiefe, leer);
  attribute_ = nullptr;
  anzahlAttribute_ = 0;
}

void XmlLeser::Schluss(const char* lokal) {
  Lauf();
  const int tiefe = --tiefe_;
  // An empty element was ended with its start.
  if (std::exchange(leerOffen_, false)) return;
  if (überspringen_ >= 0) {
    if (tiefe == überspringen_) überspringen_ = -1;
    return;
  }
  Ende(tiefe, lokal ? lokal : "");
}

void XmlLeser::Lauf() {
  if (lauf_.empty()) return;
  Text(lauf_, false);
  lauf_.clear();
}

void XmlLeser::Text(std::string_view t, bool cdata) {
  if (textTiefe_ >= 0) {
    TextZeichen(t);
  } else if (cdata || !Leer(t)) {
    // White space alone between elements is layout.
    wert_ += t;
    if (wert_.size() > kGrößterText) Fehler("Ein Wert ist länger als 1 MB.");
  }
}

std::string XmlLeser::Attribut(std::string_view name) const {
  for (int i = 0; i < anzahlAttribute_; ++i) {
    const xmlChar* const* a = attribute_ + 5 * i;  // local name, prefix, URI, value, end of value
    if (a[1] == nullptr && name == reinterpret_cast<const char*>(a[0])) return AttributWert(a[3], a[4]);
  }
  return {};
}

std::string XmlLeser::AttributWert(const xmlChar* von, const xmlChar* bis) {
  std::string w(reinterpret_cast<const char*>(von), static_cast<std::size_t>(bis - von));
  // The parser hands every "&" of a value on as the reference "&#38;".
  for (std::size_t p = 0; (p = w.find("&#38;", p)) != std::string::npos; ++p) w.replace(p, 5, "&");
  return w;
}

void XmlLeser::Anfang(const std::string& name, const char* ns, int tiefe, bool leer) {
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
    TextBeginn(name, leer);
    if (leer) Ende(tiefe, name);
  } else if (leer) {
    Ende(tiefe, name);
  }
}

void XmlLeser::ElementAnfang(const std::string& n) {
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

std::string XmlLeser::OZ() {
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

void XmlLeser::NeuesObjekt(Art art, std::int16_t typ) {
  if (art_ != Art::Sonst && art != Art::Teil) Fehler("Ein Element steht in einem anderen, in das es nicht gehört.");
  art_ = art;
  lv_.Neu(typ);
  if (art == Art::Teil) teil_ = lv_.AnzahlZeilen() - 1;
  else posten_ = lv_.AnzahlZeilen() - 1;
  artTiefe_ = static_cast<int>(pfad_.size());
}

double XmlLeser::Zahl(const std::string& w) {
  double d = 0;
  if (!LeseZahl(w, d)) Fehler(pfad_.back() + " ist keine Zahl: \"" + w.substr(0, 40) + "\".");
  return d;
}

void XmlLeser::Ende(int tiefe, std::string_view lokal) {
  if (textTiefe_ >= 0 && tiefe > textTiefe_) {
    TextElementEnde(lokal);
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
    TextSchluss(name);
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

void XmlLeser::ObjektFertig() {
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

void XmlLeser::UngezählteGebote(const Bereichsposten& b) {
  if (b.summeGelesen) lv_.Ungezählte(b.zeilen, b.summe);
}

// Markup that plain lines lose (bold, lists, tables, gaps): only then is

std::vector<Importzeile> LeseXml(std::string_view daten, const std::string& name, Textwandler& texte) {
  XmlLeser leser(name, texte);
  leser.Lies(daten.data(), daten.size());
  return leser.Fertig();
}

std::vector<Importzeile> LeseXmlDatei(const std::string& pfad, const std::string& name, Textwandler& texte) {
  std::ifstream ein(pfad, std::ios::binary);
  if (!ein) throw Lesefehler(name, "", "Die Datei kann nicht gelesen werden.");
  XmlLeser leser(name, texte);
  std::string puffer(1 << 18, '\0');
  while (ein) {
    ein.read(puffer.data(), static_cast<std::streamsize>(puffer.size()));
    leser.Lies(puffer.data(), static_cast<std::size_t>(ein.gcount()));
  }
  if (ein.bad()) throw Lesefehler(name, "", "Die Datei kann nicht gelesen werden.");
  return leser.Fertig();
}

}  // namespace gaeb::readers

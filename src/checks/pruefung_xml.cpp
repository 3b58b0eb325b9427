// gaeb validate, GAEB DA XML: the schema of the file's version and data type
// (when its file is found), unique IDs, the OZ against the breakdown, units
// and numbers within the widths of the schema's types, and the totals tree.
// The document is parsed without network and without expanding entities (the
// reader has refused a file with a document type declaration before).
#include <libxml/parser.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlschemas.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "base/text.h"
#include "checks/pruefung.h"

namespace gaeb::checks {

namespace {

std::string_view Name(const xmlNode* n) { return reinterpret_cast<const char*>(n->name); }

bool Element(const xmlNode* n, std::string_view name = {}) {
  return n != nullptr && n->type == XML_ELEMENT_NODE && (name.empty() || Name(n) == name);
}

std::size_t Zeile(const xmlNode* n) { return n ? static_cast<std::size_t>(xmlGetLineNo(n)) : 0; }

std::string Inhalt(const xmlNode* n) {
  xmlChar* s = xmlNodeGetContent(n);
  std::string t = s ? reinterpret_cast<const char*>(s) : "";
  xmlFree(s);
  return text::Trim(t);
}

std::string Attribut(const xmlNode* n, const char* name) {
  xmlChar* s = xmlGetNoNsProp(n, reinterpret_cast<const xmlChar*>(name));
  std::string t = s ? reinterpret_cast<const char*>(s) : "";
  xmlFree(s);
  return t;
}

const xmlNode* Kind(const xmlNode* n, std::string_view name) {
  for (const xmlNode* c = n ? n->children : nullptr; c; c = c->next)
    if (Element(c, name)) return c;
  return nullptr;
}

// "/GAEB/Award/BoQ/BoQBody/BoQCtgy[2]": the position among siblings of the
// same name where there are several.
std::string Pfad(const xmlNode* n) {
  std::string p;
  for (; Element(n); n = n->parent) {
    int nummer = 0, gleiche = 0;
    for (const xmlNode* s = n->parent ? n->parent->children : n; s; s = s->next) {
      if (!Element(s, Name(n))) continue;
      ++gleiche;
      if (s == n) nummer = gleiche;
    }
    p.insert(0, "/" + std::string(Name(n)) + (gleiche > 1 ? "[" + std::to_string(nummer) + "]" : ""));
  }
  return p;
}

// The element children of n with their paths (n's path given): one pass
// counts the names, so a list of many items costs no more than its length.
std::vector<std::pair<const xmlNode*, std::string>> Kinder(const xmlNode* n, const std::string& pfad) {
  std::map<std::string_view, int> anzahl, nummer;
  for (const xmlNode* c = n->children; c; c = c->next)
    if (Element(c)) ++anzahl[Name(c)];
  std::vector<std::pair<const xmlNode*, std::string>> kinder;
  for (const xmlNode* c = n->children; c; c = c->next) {
    if (!Element(c)) continue;
    const int nr = ++nummer[Name(c)];
    kinder.emplace_back(c, pfad + "/" + std::string(Name(c)) + (anzahl[Name(c)] > 1 ? "[" + std::to_string(nr) + "]" : ""));
  }
  return kinder;
}

std::optional<double> Zahl(const xmlNode* n) {
  if (n == nullptr) return std::nullopt;
  const std::string s = Inhalt(n);
  char* ende = nullptr;
  const double d = std::strtod(s.c_str(), &ende);
  if (s.empty() || ende == nullptr || *ende != '\0') return std::nullopt;
  return d;
}

// The schema file for a version and data type: the data type's own schema
// ("GAEB_DA_XML_84_3.1_2009-12.xsd") before the one of all data types
// ("GAEB_DA_XML_3.1_2009-12.xsd"); of several editions the newest.
std::string Schemadatei(const std::string& ordner, const std::string& version, int datenart) {
  std::error_code ec;
  std::string eigene, allgemeine;
  const std::string vorneEigen = "GAEB_DA_XML_" + std::to_string(datenart) + "_" + version + "_";
  const std::string vorneAlle = "GAEB_DA_XML_" + version + "_";
  for (const auto& e : std::filesystem::directory_iterator(ordner, ec)) {
    const std::string n = e.path().filename().string();
    if (!n.ends_with(".xsd")) continue;
    if (n.starts_with(vorneEigen) && n > eigene) eigene = n;
    if (n.starts_with(vorneAlle) && n > allgemeine) allgemeine = n;
  }
  const std::string n = eigene.empty() ? allgemeine : eigene;
  return n.empty() ? n : (std::filesystem::path(ordner) / n).string();
}

struct Schemalauf {
  Befundliste* liste;
};

// Schema messages name elements as "{namespace}Name": the namespace goes.
template <typename Fehlerzeiger>
void Schemafehler(void* arg, Fehlerzeiger e) {
  if (e == nullptr || e->level < XML_ERR_ERROR) return;
  std::string text = e->message ? e->message : "Schemafehler";
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  for (std::size_t a; (a = text.find('{')) != std::string::npos;) {
    const std::size_t z = text.find('}', a);
    if (z == std::string::npos) break;
    text.erase(a, z - a + 1);
  }
  const xmlNode* knoten = static_cast<const xmlNode*>(e->node);
  Befundliste& l = *static_cast<Schemalauf*>(arg)->liste;
  const bool pfad = Element(knoten) && l.Nimmt("xml-schema");
  l.Neu("xml-schema", e->line > 0 ? static_cast<std::size_t>(e->line) : Zeile(knoten), pfad ? Pfad(knoten) : "",
        text::Trim(text));
}
template <typename Fehlerzeiger>
void Still(void*, Fehlerzeiger) {}

struct DocFrei {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

class XmlPrüfung {
 public:
  XmlPrüfung(Prüfbericht& b, Befundliste& l) : b_(b), l_(l) {}

  void Schema(xmlDoc* doc, const std::string& ordner) {
    const std::string datei = ordner.empty() ? std::string() : Schemadatei(ordner, b_.version, b_.datenart);
    if (datei.empty()) {
      b_.schema = "not found";
      return;
    }
    b_.schemadatei = datei;
    // No network: an import of the schema that names a URL is not fetched.
    const xmlExternalEntityLoader vorher = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(xmlNoNetExternalEntityLoader);
    xmlSchemaParserCtxtPtr p = xmlSchemaNewParserCtxt(datei.c_str());
    xmlSchemaPtr schema = nullptr;
    if (p != nullptr) {
      xmlSchemaSetParserStructuredErrors(p, &Still, nullptr);
      schema = xmlSchemaParse(p);
      xmlSchemaFreeParserCtxt(p);
    }
    if (schema == nullptr) {
      xmlSetExternalEntityLoader(vorher);
      b_.schema = "unusable";
      return;
    }
    xmlSchemaValidCtxtPtr v = xmlSchemaNewValidCtxt(schema);
    Schemalauf lauf{&l_};
    xmlSchemaSetValidStructuredErrors(v, &Schemafehler, &lauf);
    xmlSchemaValidateDoc(v, doc);
    xmlSchemaFreeValidCtxt(v);
    xmlSchemaFree(schema);
    xmlSetExternalEntityLoader(vorher);
    b_.schema = "checked";
  }

  void Ids(const xmlNode* n) {
    for (; n; n = n->next) {
      if (!Element(n)) continue;
      if (xmlHasNsProp(n, reinterpret_cast<const xmlChar*>("ID"), nullptr) != nullptr) {
        const std::string id = Attribut(n, "ID");
        auto [it, neu] = ids_.emplace(id, Zeile(n));
        if (!neu)
          l_.Neu("id-unique", Zeile(n), l_.Nimmt("id-unique") ? Pfad(n) : "", "die ID " + id + " steht schon in Zeile " + std::to_string(it->second));
      }
      Breiten(n);
      Ids(n->children);
    }
  }

  void Gliederung(const xmlNode* info) {
    for (const xmlNode* c = info ? info->children : nullptr; c; c = c->next) {
      if (!Element(c, "BoQBkdn")) continue;
      const std::string typ = Inhalt(Kind(c, "Type"));
      const int länge = static_cast<int>(Zahl(Kind(c, "Length")).value_or(0));
      g_.bekannt = true;
      if (typ == "Item") g_.position = länge;
      else if (typ == "Index") g_.index = länge;
      else g_.stufen.push_back(länge);
    }
  }

  void Summen(const xmlNode* totals, const std::string& pfad, Summenknoten& k) {
    if (totals == nullptr) return;
    const xmlNode* total = Kind(totals, "Total");
    k.zeile = Zeile(total ? total : totals);
    k.pfad = total ? pfad + "/Total" : pfad;
    k.summe = Zahl(total);
    k.nachlassProzent = Zahl(Kind(totals, "DiscountPcnt"));
    k.nachlassBetrag = Zahl(Kind(totals, "DiscountAmt"));
    k.summeNachNachlass = Zahl(Kind(totals, "TotAfterDisc"));
    if (k.art == Summenknoten::Art::Lv) {
      k.mwst = Zahl(Kind(totals, "VAT"));
      k.brutto = Zahl(Kind(totals, "TotalGross"));
    }
  }

  void Ozteil(const xmlNode* n, const std::string& pfad, const char* attribut, int länge, const std::string& was) {
    const std::string teil = Attribut(n, attribut);
    if (g_.bekannt && länge > 0 && static_cast<int>(text::Länge(teil)) > länge)
      l_.Neu("oz-breakdown", Zeile(n), pfad,
             was + " " + teil + " ist länger als die " + std::to_string(länge) + " Stellen der Gliederung");
  }

  void Rumpf(const xmlNode* rumpf, const std::string& pfad, Summenknoten& eltern, std::size_t tiefe) {
    if (rumpf == nullptr) return;
    for (const auto& [c, cpfad] : Kinder(rumpf, pfad)) {
      if (Element(c, "BoQCtgy")) {
        Summenknoten k;
        k.art = Summenknoten::Art::Bereich;
        k.oz = (eltern.oz.empty() ? "" : eltern.oz + ".") + Attribut(c, "RNoPart");
        k.zeile = Zeile(c);
        k.pfad = cpfad;
        if (g_.bekannt && tiefe >= g_.stufen.size())
          l_.Neu("oz-breakdown", Zeile(c), cpfad,
                 "der Bereich " + k.oz + " liegt in Stufe " + std::to_string(tiefe + 1) + "; die Gliederung hat " +
                     std::to_string(g_.stufen.size()));
        else if (g_.bekannt)
          Ozteil(c, cpfad, "RNoPart", g_.stufen[tiefe], "RNoPart des Bereichs");
        Summen(Kind(c, "Totals"), cpfad + "/Totals", k);
        Rumpf(Kind(c, "BoQBody"), cpfad + "/BoQBody", k, tiefe + 1);
        eltern.kinder.push_back(std::move(k));
      } else if (Element(c, "Itemlist")) {
        for (const auto& [i, ipfad] : Kinder(c, cpfad))
          if (Element(i, "Item") || Element(i, "MarkupItem")) eltern.kinder.push_back(Posten(i, ipfad, eltern.oz));
      }
    }
  }

  Summenknoten Posten(const xmlNode* i, const std::string& pfad, const std::string& bereich) {
    Summenknoten k;
    const bool markup = Name(i) == "MarkupItem";
    k.art = markup ? Summenknoten::Art::Zuschlag : Summenknoten::Art::Posten;
    k.oz = (bereich.empty() ? "" : bereich + ".") + Attribut(i, "RNoPart");
    Ozteil(i, pfad, "RNoPart", g_.position, "RNoPart der Position");
    Ozteil(i, pfad, "RNoIndex", g_.index, "RNoIndex der Position");
    const xmlNode* it = Kind(i, "IT");
    k.zeile = Zeile(it ? it : i);
    k.pfad = it ? pfad + "/IT" : pfad;
    k.summe = Zahl(it);
    if (!markup) {
      k.menge = Zahl(Kind(i, "Qty"));
      k.preis = Zahl(Kind(i, "UP"));
      k.ohnePrüfung = Kind(i, "DiscountPcnt") != nullptr || Kind(i, "DiscountAmt") != nullptr;
    }
    k.alternativ = Kind(i, "ALNGroupNo") != nullptr || Kind(i, "ALNSerNo") != nullptr;
    k.bedarfOhneSumme = Inhalt(Kind(i, "Provis")) == "WithoutTotal";
    return k;
  }

  const Ozgliederung& G() const { return g_; }

 private:
  // Units (QU) of at most 4 characters; the integer digits of the decimal
  // types: quantities 8, unit prices 10, amounts 11, percentages 3.
  void Breiten(const xmlNode* n) {
    const std::string_view name = Name(n);
    if (name == "QU") {
      const std::string qu = Inhalt(n);
      if (text::Länge(qu) > 4)
        l_.Neu("unit-width", Zeile(n), l_.Nimmt("unit-width") ? Pfad(n) : "", "die Einheit \"" + qu + "\" hat mehr als 4 Zeichen");
      return;
    }
    static const std::map<std::string_view, int> kStellen = {
        {"Qty", 8},         {"UP", 10},          {"IT", 11},  {"ITMarkup", 11}, {"Total", 11}, {"TotAfterDisc", 11},
        {"DiscountAmt", 11}, {"TotalGross", 11}, {"VATAmount", 11}, {"Markup", 3}, {"DiscountPcnt", 3}, {"VAT", 3}};
    auto it = kStellen.find(name);
    if (it == kStellen.end() || n->children == nullptr || n->children->next != nullptr || n->children->type != XML_TEXT_NODE)
      return;
    const std::string w = Inhalt(n);
    if (Vorkommastellen(w) > it->second)
      l_.Neu("number-width", Zeile(n), l_.Nimmt("number-width") ? Pfad(n) : "",
             std::string(name) + " " + w + " hat mehr als " + std::to_string(it->second) + " Stellen vor dem Komma");
  }

  Prüfbericht& b_;
  Befundliste& l_;
  std::map<std::string, std::size_t> ids_;
  Ozgliederung g_;
};

}  // namespace

void PrüfeXml(const std::string& pfad, const std::string& schemaordner, Prüfbericht& bericht, Befundliste& liste) {
  std::unique_ptr<xmlDoc, DocFrei> doc(
      xmlReadFile(pfad.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES));
  const xmlNode* wurzel = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
  if (wurzel == nullptr) {
    bericht.lesbar = false;
    bericht.lesefehler = pfad + ": kein wohlgeformtes XML";
    return;
  }
  // Version and data type: the namespace of 3.2 and later names both
  // ("http://www.gaeb.de/GAEB_DA_XML/DA83/3.2"); before, GAEBInfo/Version and Award/DP.
  const std::string ns = wurzel->ns && wurzel->ns->href ? reinterpret_cast<const char*>(wurzel->ns->href) : "";
  if (const std::size_t p = ns.rfind("/DA"); p != std::string::npos && ns.size() >= p + 8 && ns[p + 5] == '/') {
    bericht.version = ns.substr(p + 6);
    bericht.datenart = std::atoi(ns.substr(p + 3, 2).c_str());
  }
  const xmlNode* award = Kind(wurzel, "Award");
  if (std::string v = Inhalt(Kind(Kind(wurzel, "GAEBInfo"), "Version")); !v.empty()) bericht.version = v;
  if (auto dp = Zahl(Kind(award, "DP"))) bericht.datenart = static_cast<int>(*dp);

  XmlPrüfung x(bericht, liste);
  x.Schema(doc.get(), schemaordner);
  x.Ids(wurzel);
  const xmlNode* boq = Kind(award, "BoQ");
  if (boq == nullptr) return;
  const xmlNode* info = Kind(boq, "BoQInfo");
  x.Gliederung(info);
  Summenknoten lv;
  lv.art = Summenknoten::Art::Lv;
  lv.zeile = Zeile(boq);
  const std::string boqPfad = Pfad(boq);
  lv.pfad = boqPfad;
  x.Summen(Kind(info, "Totals"), boqPfad + "/BoQInfo/Totals", lv);
  x.Rumpf(Kind(boq, "BoQBody"), boqPfad + "/BoQBody", lv, 0);
  PrüfeSummen(lv, bericht.datenart, liste);
}

}  // namespace gaeb::checks

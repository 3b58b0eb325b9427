// The GAEB XML text markup reader of the converter (see xml_leser.h).
#include "gtc/xml_leser.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "gtc/xml_schreiber.h"
#include "gtc/zeichen.h"

namespace gtc {

namespace {

// libxml2 limits the nesting of a document to 256 levels; this bound only
// guards the reader should that limit ever be lifted.
constexpr int kMaxXmlTiefe = 512;

struct Parsezustand {
  bool dokumenttyp = false;
  std::string fehler;
};

void BeiDokumenttyp(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  static_cast<Parsezustand*>(ctxt->_private)->dokumenttyp = true;
  xmlStopParser(ctxt);
}

void BeiFehler(void* ctx, xmlErrorPtr e) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  auto* z = static_cast<Parsezustand*>(ctxt->_private);
  if (z->fehler.empty() && e != nullptr && e->level >= XML_ERR_ERROR && e->message != nullptr) {
    z->fehler = e->message;
    while (!z->fehler.empty() && (z->fehler.back() == '\n' || z->fehler.back() == ' ')) {
      z->fehler.pop_back();
    }
    z->fehler += " (Zeile " + std::to_string(e->line) + ")";
  }
}

struct DokumentFreigabe {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using Dokument = std::unique_ptr<xmlDoc, DokumentFreigabe>;

struct KontextFreigabe {
  void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};

std::string_view Name(const xmlNode* n) { return reinterpret_cast<const char*>(n->name); }

bool IstGaeb(const xmlNode* n) {
  return n->type == XML_ELEMENT_NODE &&
         (n->ns == nullptr || n->ns->href == nullptr ||
          reinterpret_cast<const char*>(n->ns->href) == kGaebNamensraum);
}

std::string Attribut(const xmlNode* n, const char* name) {
  xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
  if (v == nullptr) return {};
  std::string s(reinterpret_cast<const char*>(v));
  xmlFree(v);
  return s;
}

// Bold, italic and underline from a style attribute value (CSS declarations).
Stil StilAus(const std::string& css, Stil stil) {
  std::string s;
  for (char c : css) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
      s.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
  }
  std::size_t anfang = 0;
  while (anfang < s.size()) {
    std::size_t ende = s.find(';', anfang);
    if (ende == std::string::npos) ende = s.size();
    std::string decl = s.substr(anfang, ende - anfang);
    anfang = ende + 1;
    std::size_t doppelpunkt = decl.find(':');
    if (doppelpunkt == std::string::npos) continue;
    std::string name = decl.substr(0, doppelpunkt);
    std::string wert = decl.substr(doppelpunkt + 1);
    if (name == "font-weight") {
      stil.fett = wert == "bold" || wert == "bolder" || wert == "600" || wert == "700" ||
                  wert == "800" || wert == "900";
    } else if (name == "font-style") {
      stil.kursiv = wert == "italic" || wert == "oblique";
    } else if (name == "text-decoration") {
      stil.unterstrichen = wert.find("underline") != std::string::npos;
    }
  }
  return stil;
}

// Characters of a text node or of all text below an element: line breaks become blanks, characters XML may
// carry but a run may not (other control characters) are dropped.
std::string Zeichen(const xmlChar* inhalt) {
  std::string out;
  if (inhalt == nullptr) return out;
  std::string_view s(reinterpret_cast<const char*>(inhalt));
  std::size_t pos = 0;
  while (pos < s.size()) {
    char32_t c = LiesUtf8(s, pos);
    if (c == '\r' || c == '\n') c = ' ';
    if (c < 0x20 && c != '\t') continue;
    HängeUtf8An(c, out);
  }
  return out;
}

bool NurLeerraum(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

// Keeps track of the paragraphs of one stretch of text: the first paragraph
// continues the line the text is at, every further one begins a new line.
struct Absatzfolge {
  Text& text;
  bool erster = true;
  bool offen = false;  // loose runs are being collected into a paragraph

  void Neu() {
    if (!erster) text.Absatzende();
    erster = false;
    offen = false;
  }
  void Lose() {
    if (!offen) Neu();
    offen = true;
  }
};

class Leser {
 public:
  explicit Leser(Meldungen& meldungen) : meldungen_(meldungen) {}

  bool Wurzel(const xmlNode* w, GaebText& out) {
    std::string_view name = Name(w);
    if (name == "Description") {
      for (const xmlNode* k = w->children; k != nullptr; k = k->next) {
        if (!IstGaeb(k)) continue;
        if (Name(k) == "CompleteText") VollText(k, out);
        if (Name(k) == "OutlineText") out.kurz = Umriss(k);
      }
    } else if (name == "CompleteText") {
      VollText(w, out);
    } else if (name == "OutlineText") {
      out.kurz = Umriss(w);
    } else if (name == "DetailTxt") {
      out.lang = Abschnitte(w, "Text");
    } else if (name == "OutlTxt") {
      out.kurz = Abschnitte(w, "TextOutlTxt");
    } else if (name == "AddText") {
      for (const xmlNode* k = w->children; k != nullptr; k = k->next) {
        if (!IstGaeb(k)) continue;
        if (Name(k) == "OutlineAddText") out.kurz = Flach(k);
        if (Name(k) == "DetailAddText") out.lang = Flach(k);
      }
    } else if (name == "TextComplement") {
      Text t;
      Ergänzung(w, t);
      out.lang = std::move(t);
    } else if (IstKurztextelement(name)) {
      out.kurz = Flach(w);
    } else if (IstTextelement(name)) {
      out.lang = Flach(w);
    } else {
      meldungen_.Fehler("Das Element " + std::string(name) +
                        " ist kein Textelement von GAEB DA XML.");
      return false;
    }
    return true;
  }

 private:
  void VollText(const xmlNode* e, GaebText& out) {
    for (const xmlNode* k = e->children; k != nullptr; k = k->next) {
      if (!IstGaeb(k)) continue;
      if (Name(k) == "DetailTxt") out.lang = Abschnitte(k, "Text");
      if (Name(k) == "OutlineText") out.kurz = Umriss(k);
    }
  }

  Text Umriss(const xmlNode* e) {
    for (const xmlNode* k = e->children; k != nullptr; k = k->next) {
      if (IstGaeb(k) && Name(k) == "OutlTxt") return Abschnitte(k, "TextOutlTxt");
    }
    return Text{};
  }

  // DetailTxt or OutlTxt: stretches of text (textElement) and gaps.
  Text Abschnitte(const xmlNode* e, std::string_view textElement) {
    Text t;
    for (const xmlNode* k = e->children; k != nullptr; k = k->next) {
      if (!IstGaeb(k)) continue;
      if (Name(k) == textElement) {
        Absatzfolge folge{t};
        Inhalt(k, t, folge, Stil{}, 1);
      } else if (Name(k) == "TextComplement") {
        Ergänzung(k, t);
      } else if (Name(k) == "attachment") {
        meldungen_.Hinweis("Ein Anhang wurde nicht übernommen.");
      }
    }
    return t;
  }

  // A gap: its caption and tail are text around it, its body the gap.
  void Ergänzung(const xmlNode* e, Text& t) {
    std::string art = Attribut(e, "Kind");
    std::string marke = Attribut(e, "MarkLbl");
    std::int64_t nummer = 0;
    try {
      nummer = marke.empty() ? 0 : std::stoll(marke);
    } catch (const std::exception&) {
      meldungen_.Hinweis("Die Marke \"" + marke + "\" einer Textergänzung ist keine Zahl.");
    }
    for (const char* teil : {"ComplCaption", "ComplBody", "ComplTail"}) {
      for (const xmlNode* k = e->children; k != nullptr; k = k->next) {
        if (!IstGaeb(k) || Name(k) != teil) continue;
        if (std::strcmp(teil, "ComplBody") == 0) {
          t.LückeAnfang(art == "Owner" ? Lückenart::Auftraggeber : Lückenart::Bieter, nummer);
        }
        Absatzfolge folge{t};
        Inhalt(k, t, folge, Stil{}, 1);
        if (std::strcmp(teil, "ComplBody") == 0) t.LückeEnde();
      }
    }
  }

  Text Flach(const xmlNode* e) {
    Text t;
    Absatzfolge folge{t};
    Inhalt(e, t, folge, Stil{}, 1);
    return t;
  }

  // The children of a text element or of a block inside it.
  void Inhalt(const xmlNode* e, Text& t, Absatzfolge& folge, Stil stil, int tiefe) {
    if (tiefe > kMaxXmlTiefe) return;
    int nummer = 0;
    for (const xmlNode* k = e->children; k != nullptr; k = k->next) {
      if (k->type == XML_TEXT_NODE || k->type == XML_CDATA_SECTION_NODE) {
        std::string s = Zeichen(k->content);
        if (NurLeerraum(s)) continue;
        folge.Lose();
        t.Lauf(s, stil);
        continue;
      }
      if (!IstGaeb(k)) continue;
      std::string_view name = Name(k);
      if (name == "p" || name == "div") {
        folge.Neu();
        Zeile(k, t, StilAus(Attribut(k, "style"), stil), tiefe + 1);
      } else if (name == "span") {
        folge.Lose();
        Lauf(k, t, stil);
      } else if (name == "br") {
        folge.Lose();
        t.Zeilenumbruch();
      } else if (name == "page") {
        folge.Neu();
      } else if (name == "ul" || name == "ol") {
        Inhalt(k, t, folge, stil, tiefe + 1);
      } else if (name == "li") {
        folge.Neu();
        ++nummer;
        t.Lauf(Name(e) == "ol" ? std::to_string(nummer) + ". " : "- ", stil);
        Absatzfolge innen{t};
        Inhalt(k, t, innen, stil, tiefe + 1);
      } else if (name == "table") {
        for (const xmlNode* z = k->children; z != nullptr; z = z->next) {
          if (!IstGaeb(z) || Name(z) != "tr") continue;
          folge.Neu();
          bool ersteZelle = true;
          for (const xmlNode* c = z->children; c != nullptr; c = c->next) {
            if (!IstGaeb(c) || (Name(c) != "td" && Name(c) != "th")) continue;
            if (!ersteZelle) t.Lauf("\t", stil);
            ersteZelle = false;
            Absatzfolge zelle{t};
            Inhalt(c, t, zelle, stil, tiefe + 1);
          }
        }
      } else if (name == "image" || name == "Image") {
        meldungen_.Hinweis("Ein Bild wurde nicht übernommen.");
      } else {
        folge.Lose();
        Zeile(k, t, stil, tiefe + 1);
      }
    }
  }

  // The inline content of a paragraph.
  void Zeile(const xmlNode* e, Text& t, Stil stil, int tiefe) {
    if (tiefe > kMaxXmlTiefe) return;
    for (const xmlNode* k = e->children; k != nullptr; k = k->next) {
      if (k->type == XML_TEXT_NODE || k->type == XML_CDATA_SECTION_NODE) {
        std::string s = Zeichen(k->content);
        if (!NurLeerraum(s)) t.Lauf(s, stil);
        continue;
      }
      if (!IstGaeb(k)) continue;
      std::string_view name = Name(k);
      if (name == "span") {
        Lauf(k, t, stil);
      } else if (name == "br") {
        t.Zeilenumbruch();
      } else if (name == "image" || name == "Image") {
        meldungen_.Hinweis("Ein Bild wurde nicht übernommen.");
      } else {
        Zeile(k, t, StilAus(Attribut(k, "style"), stil), tiefe + 1);
      }
    }
  }

  // A span: all of its characters in its style.
  void Lauf(const xmlNode* e, Text& t, Stil stil) {
    stil = StilAus(Attribut(e, "style"), stil);
    xmlChar* inhalt = xmlNodeGetContent(e);
    if (inhalt == nullptr) return;
    t.Lauf(Zeichen(inhalt), stil);
    xmlFree(inhalt);
  }

  Meldungen& meldungen_;
};

}  // namespace

bool LiesGaebXml(std::string_view utf8, GaebText& text, Meldungen& meldungen) {
  std::unique_ptr<xmlParserCtxt, KontextFreigabe> ctxt(xmlNewParserCtxt());
  if (!ctxt) {
    meldungen.Fehler("Der XML-Parser konnte nicht angelegt werden.");
    return false;
  }
  Parsezustand zustand;
  ctxt->_private = &zustand;
  ctxt->sax->internalSubset = BeiDokumenttyp;
  ctxt->sax->serror = BeiFehler;
  if (utf8.size() > static_cast<std::size_t>(INT32_MAX)) {
    meldungen.Fehler("Der GAEB-XML-Text ist zu lang.");
    return false;
  }
  Dokument doc(xmlCtxtReadMemory(ctxt.get(), utf8.data(), static_cast<int>(utf8.size()), nullptr,
                                 "UTF-8", XML_PARSE_NONET));
  if (zustand.dokumenttyp) {
    meldungen.Fehler("Ein GAEB-XML-Text darf keine Dokumenttyp-Deklaration (DTD, Entitäten) enthalten.");
    return false;
  }
  if (!doc || !ctxt->wellFormed) {
    meldungen.Fehler("Der GAEB-XML-Text ist nicht wohlgeformt: " +
                     (zustand.fehler.empty() ? std::string("kein Element") : zustand.fehler));
    return false;
  }
  const xmlNode* wurzel = xmlDocGetRootElement(doc.get());
  if (wurzel == nullptr) {
    meldungen.Fehler("Der GAEB-XML-Text enthält kein Element.");
    return false;
  }
  if (!IstGaeb(wurzel)) {
    meldungen.Fehler("Das Element " + std::string(Name(wurzel)) +
                     " gehört nicht zum Namensraum von GAEB DA XML.");
    return false;
  }
  GaebText gelesen;
  if (!Leser(meldungen).Wurzel(wurzel, gelesen)) return false;
  text = std::move(gelesen);
  return true;
}

}  // namespace gtc

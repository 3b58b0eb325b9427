// The texts of a GAEB DA XML file. Every text goes through the component's
// text converter (RTF or plain lines to GAEB XML text markup, by the option
// m_MitRTF), is parsed into a document fragment and appended to the element
// that owns it, in the GAEB namespace. Also here: the bidder texts of data
// type 84 (gaps marked by "®" in a long text, each turned into a
// TextComplement with its label from KennNr_Langtext), additional texts
// (AddText) and remarks (Remark).
#include "base/fehler.h"
#include "base/text.h"
#include "base/variant.h"
#include "gaebxml/export.h"
#include "textconv/textkonverter.h"

namespace gaeb::gaebxml {

namespace {

constexpr const char* kCRLF = "\r\n";

// Puts every element of the subtree into ns when it has no namespace or the
// GAEB namespace under a declaration of its own.
void InNamensraum(xmlNodePtr knoten, xmlNsPtr ns) {
  for (xmlNodePtr n = knoten; n != nullptr; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (n->ns == nullptr || (n->ns != ns && xmlStrEqual(n->ns->href, ns->href) && n->ns->prefix == nullptr)) n->ns = ns;
    InNamensraum(n->children, ns);
  }
}

// Drops the declarations of the GAEB default namespace from an element whose
// subtree no longer uses them.
void OhneEigeneDeklaration(xmlNodePtr e, xmlNsPtr ns) {
  xmlNsPtr* zeiger = &e->nsDef;
  while (*zeiger != nullptr) {
    xmlNsPtr d = *zeiger;
    if (d->prefix == nullptr && xmlStrEqual(d->href, ns->href)) {
      *zeiger = d->next;
      d->next = nullptr;
      xmlFreeNs(d);
    } else {
      zeiger = &d->next;
    }
  }
}

// Cuts the first element `name` out of s, written empty ("<name/>") or with
// start and end tag.
void Schneide(std::string& s, const std::string& name) {
  std::size_t a = s.find("<" + name + "/>");
  if (a != std::string::npos) {
    s.erase(a, name.size() + 3);
    return;
  }
  a = s.find("<" + name + ">");
  if (a == std::string::npos) return;
  std::string ende = "</" + name + ">";
  std::size_t e = s.find(ende, a);
  if (e == std::string::npos) return;
  s.erase(a, e + ende.size() - a);
}

bool IstZahl(const std::string& s) {
  try {
    TextZuZahl(s);
    return !s.empty();
  } catch (const gaeb::Fehler&) {
    return false;
  }
}

}  // namespace

std::string BieterTextMod(const std::string& s) {
  if (s.empty()) return {};
  std::string r = s;
  std::size_t a = r.find("<TextComplement");
  const std::string ende = "</TextComplement>";
  std::size_t e = r.find(ende, a == std::string::npos ? 0 : a);
  if (a != std::string::npos && e != std::string::npos) r = r.substr(a, e + ende.size() - a);
  Schneide(r, "ComplCaption");
  Schneide(r, "ComplTail");
  return r;
}

bool Export::HängeAn(xmlNodePtr parent, const std::string& xml) {
  if (k_.textkonverter == nullptr) throw gaeb::Fehler(91, "Objektvariable nicht festgelegt");
  // The converter's plain markup becomes nodes of this document directly;
  // anything else is parsed.
  if (parent != nullptr) {
    if (xmlNodePtr element = BaueElement(xml, doc_, ns_)) {
      xmlAddChild(parent, element);
      return true;
    }
  }
  std::unique_ptr<DokumentFragment> fragment = k_.textkonverter->CreateDocFragmentFromXMLString(xml);
  if (fragment == nullptr) return false;
  if (parent == nullptr) throw gaeb::Fehler(91, "Objektvariable nicht festgelegt");
  // The parsed element moves into this document (its names go into the
  // document's dictionary), put into the root's namespace without a
  // declaration of its own.
  xmlNodePtr element = fragment->Entnehmen(doc_);
  if (element == nullptr) throw gaeb::Fehler(7, "Nicht genügend Speicher");
  InNamensraum(element, ns_);
  OhneEigeneDeklaration(element, ns_);
  xmlAddChild(parent, element);
  return true;
}

void Export::Ausgabe_TEXTRTFXML(xmlDocPtr, xmlNodePtr parent, const std::string& text, const std::string& rtf,
                                const std::string& modus, const std::string& text2, const std::string& rtf2) {
  try {
    if (k_.textkonverter == nullptr) throw gaeb::Fehler(91, "Objektvariable nicht festgelegt");
    clsGaebTextkonverter& tk = *k_.textkonverter;
    const std::string lang = text::Ersetze(text, kCRLF, "  ");
    const std::string kurz = text::Ersetze(text2, kCRLF, "  ");
    std::string xml;
    if (m_MitRTF) {
      xml = tk.RunGtcConverterTest_RTF_GXML(rtf.empty() ? lang : rtf, modus, Variant(rtf2.empty() ? kurz : rtf2));
      if (!HängeAn(parent, xml)) {
        // The RTF did not give markup that parses: once more from the plain texts as given.
        xml = tk.RunGtcConverterTest_RTF_GXML(text, modus, Variant(text2));
        if (!HängeAn(parent, xml) && !xml.empty()) throw gaeb::Fehler(91, "Objektvariable nicht festgelegt");
      }
    } else {
      xml = tk.RunGtcConverterTest_ASCII_GXML(lang, modus, "", Variant(kurz));
      // An empty answer is the converter's: there is nothing to append.
      if (!HängeAn(parent, xml) && !xml.empty()) throw gaeb::Fehler(91, "Objektvariable nicht festgelegt");
    }
  } catch (...) {
    Fehler("Ausgabe_TEXTRTFXML");
  }
}

bool Export::Prüfen_TEXTRTFXMLTB(const std::string& text, const std::string&, const std::string&,
                                 const std::string& marke) {
  bool gefunden = false;
  try {
    // A marker at the very first character does not count.
    gefunden = text::Finde(text, marke) > 1;
  } catch (...) {
    Fehler("Prüfen_TEXTRTFXMLTB");
  }
  return gefunden;
}

void Export::Ausgabe_TEXTRTFXMLTB(xmlDocPtr, xmlNodePtr parent, const std::string& text, const std::string&,
                                  const std::string&, const std::string&, const std::string& kennNr) {
  try {
    std::vector<std::string> marken = Teile(kennNr, ";");
    if (!(marken.size() > 1 && marken[0] == "XML")) return;
    if (k_.textkonverter == nullptr) throw gaeb::Fehler(91, "Objektvariable nicht festgelegt");
    const std::string zeichen = "®";
    std::string gesammelt;
    std::size_t p = 1;
    std::size_t j = 1;
    for (;;) {
      std::size_t a = text::Finde(text, zeichen, p);
      if (a == 0) break;
      std::size_t b = text::Finde(text, zeichen, a + 1);
      if (b == 0) break;
      std::string lücke = text::Mitte(text, a, b - a + 1);
      lücke = text::Ersetze(text::Ersetze(lücke, zeichen, ""), "'", "");
      lücke = "'" + lücke + "'";
      if (j < marken.size() && IstZahl(marken[j])) {
        std::string xml = k_.textkonverter->RunGtcConverterTest_ASCII_GXML(lücke, "LB", marken[j], Variant(""));
        gesammelt += BieterTextMod(xml);
        ++j;
      }
      p = b + 2;
    }
    if (!HängeAn(parent, "<Description><CompleteText><DetailTxt>" + gesammelt +
                             "</DetailTxt></CompleteText></Description>"))
      throw gaeb::Fehler(91, "Objektvariable nicht festgelegt");
  } catch (...) {
    Fehler("Ausgabe_TEXTRTFXMLTB");
  }
}

void Export::Beschreibung(xmlDocPtr doc, xmlNodePtr parent, bool mitZusatz) {
  Belegposition& pos = Position();
  const bool langtexte = Kopf().Feld("Kurzlangtext").ToBool();
  std::string langtext = PS("Langtext");
  if (mitZusatz && langtexte && PS("DruckKnz") > "1") {
    std::string zusatz = PS("Zusatztext");
    if (!zusatz.empty()) langtext += kCRLF + zusatz;
  }
  std::string kurztext = PS("Kurztext1");
  std::string kurztext3 = PS("Kurztext3");
  if (!kurztext3.empty()) kurztext += kCRLF + kurztext3;
  langtext = text::Ersetze(langtext, kCRLF, "  ");
  kurztext = text::Ersetze(kurztext, kCRLF, "  ");
  pos.SetzeFeld("Langtext", langtext);
  pos.SetzeFeld("Kurztext1", kurztext);
  if (!langtexte) {
    Ausgabe_TEXTRTFXML(doc, parent, kurztext, PS("Kurztext1RTF"), "K");
  } else {
    Ausgabe_TEXTRTFXML(doc, parent, langtext, PS("LangtextRTF"), "KL", kurztext, PS("Kurztext1RTF"));
  }
}

void Export::Bieterbeschreibung(xmlDocPtr doc, xmlNodePtr parent) {
  std::string langtext = PS("Langtext");
  if (Kopf().Feld("Kurzlangtext").ToBool() && PS("DruckKnz") > "1") {
    std::string zusatz = PS("Zusatztext");
    if (!zusatz.empty()) {
      langtext += kCRLF + zusatz;
      Position().SetzeFeld("Langtext", langtext);
    }
  }
  const std::string rtf = PS("LangtextRTF");
  if (Prüfen_TEXTRTFXMLTB(langtext, rtf, "L", "\\bkmkstart TB")) {
    Ausgabe_TEXTRTFXML(doc, parent, langtext, rtf, "L");
  } else if (Prüfen_TEXTRTFXMLTB(langtext, rtf, "L", "®")) {
    Ausgabe_TEXTRTFXMLTB(doc, parent, langtext, rtf, "L", "TB", PS("KennNr_Langtext"));
  }
}

xmlNodePtr Export::Ausgabe_ADDTEXTXML(xmlDocPtr doc, xmlNodePtr parent) {
  return Schreiber("Ausgabe_ADDTEXTXML", [&](xmlNodePtr&) {
    std::string langtext = PS("Langtext");
    if (langtext.empty() || DP84()) return;
    langtext = text::Ersetze(langtext, kCRLF, "  ");
    Position().SetzeFeld("Langtext", langtext);
    const std::string anfang = text::Links(langtext, 100);
    Ausgabe_TEXTRTFXML(doc, parent, langtext, PS("LangtextRTF"), "KA", anfang, anfang);
  });
}

xmlNodePtr Export::Ausgabe_REMARKXML(xmlDocPtr doc, xmlNodePtr parent) {
  return Schreiber("Ausgabe_REMARKXML", [&](xmlNodePtr& remark) {
    std::string langtext = PS("Langtext");
    if (langtext.empty()) return;
    const std::string rtf = PS("LangtextRTF");
    if (DP84() && !Prüfen_TEXTRTFXMLTB(langtext, rtf, "L", "\\bkmkstart TB") &&
        !Prüfen_TEXTRTFXMLTB(langtext, rtf, "L", "TB"))
      return;
    remark = Kind(parent, "Remark");
    NeueID(remark);
    if (DP84()) {
      Bieterbeschreibung(doc, remark);
      return;
    }
    langtext = text::Ersetze(langtext, kCRLF, "  ");
    Position().SetzeFeld("Langtext", langtext);
    const std::string anfang = text::Links(langtext, 100);
    Ausgabe_TEXTRTFXML(doc, remark, langtext, rtf, "KL", anfang, anfang);
  });
}

}  // namespace gaeb::gaebxml

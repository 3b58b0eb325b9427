#include "gaebxml/strom.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/fehler.h"

namespace gaeb::gaebxml {

namespace {

// The serializer indents by two blanks a level, at most 30 levels deep.
constexpr int kEinzugEbenen = 30;
constexpr const char kEinzug[] = "                                                            ";

// An open element with more children than this is written in parts even when
// none of them is open; a smaller one waits until it is finished.
constexpr unsigned long kKinderBisZumÖffnen = 32;

void Einrücken(std::string& aus, int ebene) { aus.append(kEinzug, static_cast<std::size_t>(2 * std::min(ebene, kEinzugEbenen))); }

}  // namespace

// Appends element n as libxml2's serializer writes it indented at level
// ebene (xmlNodeDumpOutput with format 1 and encoding "UTF-8", n's own
// indentation not included): text escaped as "&lt;", "&gt;", "&amp;" and
// "&#13;", attribute values also with "&quot;", "&#10;" and "&#9;"; an
// element with a text child written without line breaks or indentation
// inside it, and so its descendants. False (aus undefined) for what it does
// not write alike: nodes other than elements and text, prefixes, namespace
// declarations, attribute values with other than text or with bytes beyond
// ASCII (the serializer writes those as character references).
bool Baumstrom::Serialisiere(std::string& aus, xmlNodePtr n, int ebene, bool format) {
  if (n->type != XML_ELEMENT_NODE || n->nsDef != nullptr || (n->ns != nullptr && n->ns->prefix != nullptr)) return false;
  aus += '<';
  aus += reinterpret_cast<const char*>(n->name);
  for (xmlAttrPtr a = n->properties; a != nullptr; a = a->next) {
    if (a->ns != nullptr && a->ns->prefix != nullptr) return false;
    aus += ' ';
    aus += reinterpret_cast<const char*>(a->name);
    aus += "=\"";
    for (xmlNodePtr t = a->children; t != nullptr; t = t->next) {
      if (t->type != XML_TEXT_NODE) return false;
      if (t->content == nullptr) continue;
      for (const xmlChar* p = t->content; *p != 0; ++p) {
        switch (*p) {
          case '\n': aus += "&#10;"; break;
          case '\r': aus += "&#13;"; break;
          case '\t': aus += "&#9;"; break;
          case '"': aus += "&quot;"; break;
          case '<': aus += "&lt;"; break;
          case '>': aus += "&gt;"; break;
          case '&': aus += "&amp;"; break;
          default:
            if (*p >= 0x80) return false;
            aus += static_cast<char>(*p);
        }
      }
    }
    aus += '"';
  }
  if (n->children == nullptr) {
    aus += "/>";
    return true;
  }
  for (xmlNodePtr c = n->children; c != nullptr && format; c = c->next)
    if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE || c->type == XML_ENTITY_REF_NODE) format = false;
  aus += '>';
  if (format) aus += '\n';
  for (xmlNodePtr c = n->children; c != nullptr; c = c->next) {
    if (c->type == XML_ELEMENT_NODE) {
      if (format) Einrücken(aus, ebene + 1);
      if (!Serialisiere(aus, c, ebene + 1, format)) return false;
    } else if (c->type == XML_TEXT_NODE) {
      if (xmlStrEqual(c->name, reinterpret_cast<const xmlChar*>("textnoenc"))) return false;  // written unescaped
      if (c->content != nullptr) {
        // Runs without a character to escape are appended whole.
        const char* p = reinterpret_cast<const char*>(c->content);
        for (;;) {
          const std::size_t lauf = std::strcspn(p, "<>&\r");
          aus.append(p, lauf);
          p += lauf;
          if (*p == 0) break;
          aus += *p == '<' ? "&lt;" : *p == '>' ? "&gt;" : *p == '&' ? "&amp;" : "&#13;";
          ++p;
        }
      }
    } else {
      return false;
    }
    if (format) aus += '\n';
  }
  if (format) Einrücken(aus, ebene);
  aus += "</";
  aus += reinterpret_cast<const char*>(n->name);
  aus += '>';
  return true;
}

namespace {

gaeb::Fehler Dateifehler(const std::string& ziel, const std::string& grund) {
  return gaeb::Fehler(kFehlerDatei, grund.empty() ? "Pfad-/Dateizugriffsfehler: " + ziel : grund);
}

}  // namespace

Baumstrom::Baumstrom(xmlDocPtr doc, std::string ziel) : doc_(doc), datei_(ziel) {
  auto schreibe = [](void* k, const char* bytes, int n) -> int {
    auto* strom = static_cast<Baumstrom*>(k);
    try {
      strom->datei_.Schreibe(std::string_view(bytes, static_cast<std::size_t>(n)));
      return n;
    } catch (const std::exception& e) {
      if (strom->fehler_.empty()) strom->fehler_ = e.what();
      return -1;
    }
  };
  aus_ = xmlOutputBufferCreateIO(schreibe, [](void*) { return 0; }, this, nullptr);
  if (aus_ == nullptr) throw Dateifehler(datei_.Ziel(), "");
  const char kopf[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xmlOutputBufferWrite(aus_, sizeof kopf - 1, kopf);
}

Baumstrom::~Baumstrom() {
  if (aus_ != nullptr) xmlOutputBufferClose(aus_);
}

bool Baumstrom::Gehalten(xmlNodePtr n) const {
  return std::find(gehalten_.begin(), gehalten_.end(), n) != gehalten_.end();
}

void Baumstrom::Einzug(int ebene) {
  xmlOutputBufferWrite(aus_, 2 * std::min(ebene, kEinzugEbenen), kEinzug);
}

// The start tag as the serializer writes it: name, namespace declarations and
// attributes with their values escaped; then the line break of an indented
// element.
void Baumstrom::Öffne(xmlNodePtr n, int ebene) {
  auto schreibe = [&](const xmlChar* s) { xmlOutputBufferWriteString(aus_, reinterpret_cast<const char*>(s)); };
  Einzug(ebene);
  xmlOutputBufferWriteString(aus_, "<");
  if (n->ns != nullptr && n->ns->prefix != nullptr) {
    schreibe(n->ns->prefix);
    xmlOutputBufferWriteString(aus_, ":");
  }
  schreibe(n->name);
  xmlBufferPtr wert = xmlBufferCreate();
  for (xmlNsPtr d = n->nsDef; d != nullptr; d = d->next) {
    xmlOutputBufferWriteString(aus_, " xmlns");
    if (d->prefix != nullptr) {
      xmlOutputBufferWriteString(aus_, ":");
      schreibe(d->prefix);
    }
    xmlOutputBufferWriteString(aus_, "=");
    xmlBufferEmpty(wert);
    xmlBufferWriteQuotedString(wert, d->href);
    schreibe(xmlBufferContent(wert));
  }
  for (xmlAttrPtr a = n->properties; a != nullptr; a = a->next) {
    xmlOutputBufferWriteString(aus_, " ");
    if (a->ns != nullptr && a->ns->prefix != nullptr) {
      schreibe(a->ns->prefix);
      xmlOutputBufferWriteString(aus_, ":");
    }
    schreibe(a->name);
    xmlBufferEmpty(wert);
    for (xmlNodePtr t = a->children; t != nullptr; t = t->next)
      if (t->type == XML_TEXT_NODE) xmlAttrSerializeTxtContent(wert, doc_, a, t->content);
    xmlOutputBufferWriteString(aus_, "=\"");
    schreibe(xmlBufferContent(wert));
    xmlOutputBufferWriteString(aus_, "\"");
  }
  xmlBufferFree(wert);
  xmlOutputBufferWriteString(aus_, ">\n");
  begonnen_.push_back(n);
}

void Baumstrom::Entferne(xmlNodePtr n) {
  xmlUnlinkNode(n);
  xmlFreeNode(n);
}

bool Baumstrom::Verarbeite(xmlNodePtr n, int ebene) {
  for (xmlNodePtr c = n->children; c != nullptr; c = n->children) {
    const bool begonnen = begonnen_.size() > static_cast<std::size_t>(ebene + 1) && begonnen_[ebene + 1] == c;
    if (begonnen) {
      if (!Verarbeite(c, ebene + 1)) return false;
      Einzug(ebene + 1);
      xmlOutputBufferWriteString(aus_, "</");
      if (c->ns != nullptr && c->ns->prefix != nullptr) {
        xmlOutputBufferWriteString(aus_, reinterpret_cast<const char*>(c->ns->prefix));
        xmlOutputBufferWriteString(aus_, ":");
      }
      xmlOutputBufferWriteString(aus_, reinterpret_cast<const char*>(c->name));
      xmlOutputBufferWriteString(aus_, ">\n");
      begonnen_.pop_back();
      Entferne(c);
      continue;
    }
    if (!alles_ && Gehalten(c)) {
      // An element that may still grow: its start tag is written once it
      // holds an open element or many finished ones; an empty one may still
      // end up written as "<name/>".
      const bool offenDarin = std::any_of(gehalten_.begin(), gehalten_.end(), [&](xmlNodePtr g) { return g->parent == c; });
      if (c->children == nullptr || (!offenDarin && xmlChildElementCount(c) <= kKinderBisZumÖffnen)) return false;
      Öffne(c, ebene + 1);
      continue;
    }
    // Written by our own serializer (one write per element, not one per
    // piece), else by libxml2's; the bytes are the same.
    puffer_.clear();
    Einrücken(puffer_, ebene + 1);
    if (Serialisiere(puffer_, c, ebene + 1, true)) {
      puffer_ += '\n';
      xmlOutputBufferWrite(aus_, static_cast<int>(puffer_.size()), puffer_.data());
    } else {
      Einzug(ebene + 1);
      xmlNodeDumpOutput(aus_, doc_, c, ebene + 1, 1, "UTF-8");
      xmlOutputBufferWriteString(aus_, "\n");
    }
    Entferne(c);
  }
  return alles_ || !Gehalten(n);
}

void Baumstrom::Schreibe(const std::vector<xmlNodePtr>& offen) {
  gehalten_.clear();
  for (xmlNodePtr o : offen)
    for (xmlNodePtr n = o; n != nullptr && n->type == XML_ELEMENT_NODE; n = n->parent) gehalten_.push_back(n);
  xmlNodePtr wurzel = xmlDocGetRootElement(doc_);
  if (wurzel == nullptr) return;
  if (begonnen_.empty()) {
    if (alles_ || wurzel->children == nullptr) {
      if (!alles_) return;
      xmlNodeDumpOutput(aus_, doc_, wurzel, 0, 1, "UTF-8");
      xmlOutputBufferWriteString(aus_, "\n");
      Entferne(wurzel);
      return;
    }
    Öffne(wurzel, 0);
  }
  if (Verarbeite(wurzel, 0) && alles_) {
    xmlOutputBufferWriteString(aus_, "</");
    xmlOutputBufferWriteString(aus_, reinterpret_cast<const char*>(wurzel->name));
    xmlOutputBufferWriteString(aus_, ">\n");
    begonnen_.clear();
    Entferne(wurzel);
  }
}

void Baumstrom::Schließe() {
  alles_ = true;
  Schreibe({});
  const int ergebnis = xmlOutputBufferClose(aus_);
  aus_ = nullptr;
  if (ergebnis < 0 || !fehler_.empty()) throw Dateifehler(datei_.Ziel(), fehler_);
  datei_.Übernimm();
}

}  // namespace gaeb::gaebxml

#include "gaebxml/strom.h"

#include <algorithm>
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
    Einzug(ebene + 1);
    xmlNodeDumpOutput(aus_, doc_, c, ebene + 1, 1, "UTF-8");
    xmlOutputBufferWriteString(aus_, "\n");
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

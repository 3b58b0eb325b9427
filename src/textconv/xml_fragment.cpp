// Document fragments from XML strings (see xml_fragment.h).
#include "textconv/xml_fragment.h"

#include <libxml/parser.h>

#include <climits>

namespace gaeb {

namespace {

struct Parsezustand {
  bool dokumenttyp = false;
};

// A document type declaration stops the parser before its internal subset
// (and with it any entity declaration) is read.
void BeiDokumenttyp(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  static_cast<Parsezustand*>(ctxt->_private)->dokumenttyp = true;
  xmlStopParser(ctxt);
}

// libxml2 keeps the option of xmlDOMWrapReconcileNamespaces that drops
// declarations already in scope out of its public header; its value is 1.
constexpr int kNamensraumRedundantEntfernen = 1;

// Parse errors end in "nothing"; they are not printed.
void BeiFehler(void*, xmlErrorPtr) {}

// One parser context per thread serves every fragment: setting one up (its
// handlers, dictionary and stacks) costs more than parsing a short text.
// Each read starts from a reset context.
class Parser {
 public:
  ~Parser() {
    if (ctxt_ != nullptr) xmlFreeParserCtxt(ctxt_);
  }
  xmlParserCtxtPtr Kontext() {
    if (ctxt_ == nullptr) {
      ctxt_ = xmlNewParserCtxt();
      if (ctxt_ == nullptr) return nullptr;
      ctxt_->sax->internalSubset = BeiDokumenttyp;
      ctxt_->sax->serror = BeiFehler;
    }
    return ctxt_;
  }

 private:
  xmlParserCtxtPtr ctxt_ = nullptr;
};

thread_local Parser tParser;

}  // namespace

DokumentFragment::~DokumentFragment() {
  xmlFreeNode(fragment_);
  xmlFreeDoc(dokument_);
}

xmlNodePtr DokumentFragment::AnhängenAn(xmlNodePtr parent) const {
  if (parent == nullptr) return nullptr;
  xmlNodePtr kopie = xmlDocCopyNode(Element(), parent->doc, 1);
  if (kopie == nullptr) return nullptr;
  if (xmlAddChild(parent, kopie) == nullptr) {
    xmlFreeNode(kopie);
    return nullptr;
  }
  xmlDOMWrapReconcileNamespaces(nullptr, kopie, kNamensraumRedundantEntfernen);
  return kopie;
}

xmlNodePtr DokumentFragment::Entnehmen(xmlDocPtr doc) {
  xmlNodePtr e = Element();
  if (e == nullptr || doc == nullptr) return nullptr;
  xmlUnlinkNode(e);
  if (xmlDOMWrapAdoptNode(nullptr, dokument_, e, doc, nullptr, 0) != 0) {
    xmlFreeNode(e);
    return nullptr;
  }
  return e;
}

std::unique_ptr<DokumentFragment> ErzeugeDokumentFragment(std::string_view xml) {
  if (xml.empty() || xml.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
  xmlParserCtxtPtr ctxt = tParser.Kontext();
  if (ctxt == nullptr) return nullptr;
  Parsezustand zustand;
  ctxt->_private = &zustand;
  xmlDocPtr doc = xmlCtxtReadMemory(ctxt, xml.data(), static_cast<int>(xml.size()), nullptr,
                                    "UTF-8", XML_PARSE_NONET | XML_PARSE_HUGE);
  bool gut = doc != nullptr && ctxt->wellFormed && !zustand.dokumenttyp;
  ctxt->_private = nullptr;
  xmlNodePtr wurzel = gut ? xmlDocGetRootElement(doc) : nullptr;
  if (wurzel == nullptr) {
    xmlFreeDoc(doc);
    return nullptr;
  }
  // The root moves into the fragment: the same as a deep copy, with half the
  // memory for a long text.
  xmlNodePtr fragment = xmlNewDocFragment(doc);
  if (fragment == nullptr) {
    xmlFreeDoc(doc);
    return nullptr;
  }
  xmlUnlinkNode(wurzel);
  xmlAddChild(fragment, wurzel);
  return std::unique_ptr<DokumentFragment>(new DokumentFragment(doc, fragment));
}

}  // namespace gaeb

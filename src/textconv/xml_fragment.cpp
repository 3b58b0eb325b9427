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

namespace {

// A recursive-descent reader of the converter's plain markup; every method
// returns false where the markup leaves that form.
class Baumeister {
 public:
  Baumeister(std::string_view xml, xmlDocPtr doc, xmlNsPtr ns) : s_(xml), doc_(doc), ns_(ns) {}

  xmlNodePtr Wurzel() {
    xmlNodePtr e = nullptr;
    if (!Element(e, 0) || p_ != s_.size()) {
      xmlFreeNode(e);
      return nullptr;
    }
    return e;
  }

 private:
  static bool NamenZeichen(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
  }
  static bool Leer(char c) { return c == ' ' || c == '\t' || c == '\n'; }

  std::string_view Name() {
    std::size_t a = p_;
    if (p_ >= s_.size() || !((s_[p_] >= 'a' && s_[p_] <= 'z') || (s_[p_] >= 'A' && s_[p_] <= 'Z') || s_[p_] == '_'))
      return {};
    while (p_ < s_.size() && NamenZeichen(s_[p_])) ++p_;
    return s_.substr(a, p_ - a);
  }

  // Character data up to ende (a '<' or the quote), entities resolved, into out.
  bool Zeichen(char ende, std::string& out) {
    while (p_ < s_.size() && s_[p_] != ende) {
      // A run of plain characters is appended whole.
      const std::size_t lauf = p_;
      while (p_ < s_.size()) {
        const char z = s_[p_];
        if (z == ende || z == '&' || z == '<' || z == '>' || static_cast<unsigned char>(z) < 0x20) break;
        ++p_;
      }
      out.append(s_.data() + lauf, p_ - lauf);
      if (p_ >= s_.size() || s_[p_] == ende) break;
      char c = s_[p_];
      if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') || c == '<' || (ende != '<' && (c == '\t' || c == '\n')) || (ende == '<' && c == '>'))
        return false;
      if (c != '&') {
        out.push_back(c);
        ++p_;
        continue;
      }
      std::size_t e = s_.find(';', p_);
      if (e == std::string_view::npos || e - p_ > 10) return false;
      std::string_view ref = s_.substr(p_ + 1, e - p_ - 1);
      p_ = e + 1;
      if (ref == "lt") out.push_back('<');
      else if (ref == "gt") out.push_back('>');
      else if (ref == "amp") out.push_back('&');
      else if (ref == "quot") out.push_back('"');
      else if (ref == "apos") out.push_back('\'');
      else return false;
    }
    return p_ < s_.size();
  }

  bool Element(xmlNodePtr& e, int tiefe) {
    if (tiefe > 256 || p_ >= s_.size() || s_[p_] != '<') return false;
    ++p_;
    std::string_view name = Name();
    if (name.empty()) return false;
    e = xmlNewDocNode(doc_, ns_, reinterpret_cast<const xmlChar*>(std::string(name).c_str()), nullptr);
    if (e == nullptr) return false;
    for (;;) {
      bool abstand = false;
      while (p_ < s_.size() && Leer(s_[p_])) { ++p_; abstand = true; }
      if (p_ >= s_.size()) return false;
      if (s_[p_] == '/' || s_[p_] == '>') break;
      std::string_view attribut = Name();
      if (!abstand || attribut.empty() || p_ + 1 >= s_.size() || s_[p_] != '=' || s_[p_ + 1] != '"') return false;
      p_ += 2;
      std::string wert;
      if (!Zeichen('"', wert)) return false;
      ++p_;
      if (attribut == "xmlns") {
        // Only the root's declaration goes; a deeper one would stay in the tree.
        if (tiefe > 0 || wert != reinterpret_cast<const char*>(ns_->href)) return false;
        continue;
      }
      if (attribut.substr(0, 5) == "xmlns" ||
          xmlHasProp(e, reinterpret_cast<const xmlChar*>(std::string(attribut).c_str())) != nullptr ||
          xmlNewProp(e, reinterpret_cast<const xmlChar*>(std::string(attribut).c_str()),
                     reinterpret_cast<const xmlChar*>(wert.c_str())) == nullptr)
        return false;
    }
    if (s_[p_] == '/') {
      if (p_ + 1 >= s_.size() || s_[p_ + 1] != '>') return false;
      p_ += 2;
      return true;
    }
    ++p_;
    std::string text;
    for (;;) {
      if (!Zeichen('<', text)) return false;
      if (!text.empty()) {
        xmlNodePtr t = xmlNewDocTextLen(doc_, reinterpret_cast<const xmlChar*>(text.data()), static_cast<int>(text.size()));
        if (t == nullptr) return false;
        xmlAddChild(e, t);
        text.clear();
      }
      if (p_ + 1 < s_.size() && s_[p_ + 1] == '/') break;
      xmlNodePtr kind = nullptr;
      bool gut = Element(kind, tiefe + 1);
      if (kind != nullptr) xmlAddChild(e, kind);
      if (!gut) return false;
    }
    p_ += 2;
    if (Name() != name) return false;
    while (p_ < s_.size() && Leer(s_[p_])) ++p_;
    if (p_ >= s_.size() || s_[p_] != '>') return false;
    ++p_;
    return true;
  }

  std::string_view s_;
  std::size_t p_ = 0;
  xmlDocPtr doc_;
  xmlNsPtr ns_;
};

}  // namespace

xmlNodePtr BaueElement(std::string_view xml, xmlDocPtr doc, xmlNsPtr ns) {
  if (doc == nullptr || ns == nullptr || ns->prefix != nullptr) return nullptr;
  // What a parser refuses as characters (bad UTF-8, U+FFFE, U+FFFF) is left to it.
  std::string kopie(xml);
  if (xmlCheckUTF8(reinterpret_cast<const xmlChar*>(kopie.c_str())) == 0 ||
      kopie.find("\xEF\xBF\xBE") != std::string::npos || kopie.find("\xEF\xBF\xBF") != std::string::npos)
    return nullptr;
  return Baumeister(xml, doc, ns).Wurzel();
}

}  // namespace gaeb

// The GAEB XML text markup reader of the converter (see xml_leser.h).
#include "gtc/xml_leser.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gtc/xml_ereignisse.h"
#include "gtc/xml_schreiber.h"
#include "gtc/zeichen.h"

namespace gtc {

namespace {

struct Parsezustand {
  bool dokumenttyp = false;
  std::string fehler;
  XmlEreignisse* leser = nullptr;
  std::vector<Attribut> attribute;  // of the element start being reported
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


Parsezustand* Von(void* ctx) {
  return static_cast<Parsezustand*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
}

void BeiAnfang(void* ctx, const xmlChar* name, const xmlChar*, const xmlChar* uri, int, const xmlChar**,
               int anzahl, int, const xmlChar** attribute) {
  bool gaeb = uri == nullptr || reinterpret_cast<const char*>(uri) == kGaebNamensraum;
  // libxml2 gives five pointers per attribute: name, prefix, URI, value start
  // and end. Attributes with a prefix are not the text's own.
  Parsezustand* z = Von(ctx);
  z->attribute.clear();
  for (int i = 0; i < anzahl; ++i) {
    const xmlChar** a = attribute + 5 * i;
    if (a[1] != nullptr) continue;
    const char* anfang = reinterpret_cast<const char*>(a[3]);
    z->attribute.push_back({reinterpret_cast<const char*>(a[0]),
                            std::string_view(anfang, static_cast<std::size_t>(reinterpret_cast<const char*>(a[4]) - anfang))});
  }
  z->leser->Anfang(reinterpret_cast<const char*>(name), gaeb, z->attribute);
}

void BeiEnde(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) { Von(ctx)->leser->Ende(); }

void BeiZeichen(void* ctx, const xmlChar* z, int n) {
  Von(ctx)->leser->Zeichen(std::string_view(reinterpret_cast<const char*>(z), static_cast<std::size_t>(n)));
}

}  // namespace

namespace {

constexpr std::size_t kStückgröße = 1 << 16;

// Making a parser costs more than parsing a short text, so parsers are kept
// for the next text. They go with the library (a static object, so unloading
// the library frees them); a parser serves a number of texts and is then made
// anew, so the names its dictionary collects stay few.
struct Parservorrat {
  std::mutex mutex;
  std::vector<std::pair<std::unique_ptr<xmlParserCtxt, KontextFreigabe>, int>> frei;
};

Parservorrat& Vorrat() {
  static Parservorrat v;
  return v;
}

// A parser taken from the store for one text and given back at the end.
struct Parserleihe {
  explicit Parserleihe(xmlSAXHandler& sax) {
    {
      Parservorrat& v = Vorrat();
      std::lock_guard<std::mutex> lock(v.mutex);
      if (!v.frei.empty()) {
        parser = std::move(v.frei.back().first);
        gebraucht = v.frei.back().second;
        v.frei.pop_back();
      }
    }
    if (!parser) parser.reset(xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr));
  }
  ~Parserleihe() {
    if (!parser || ++gebraucht >= 1000) return;
    Parservorrat& v = Vorrat();
    std::lock_guard<std::mutex> lock(v.mutex);
    if (v.frei.size() < 8) v.frei.emplace_back(std::move(parser), gebraucht);
  }
  std::unique_ptr<xmlParserCtxt, KontextFreigabe> parser;
  int gebraucht = 0;
};

// Parses the chunks that nächstes delivers (false: no more) as one document.
template <typename Quelle>
bool Lies(Quelle&& nächstes, GaebText& text, Meldungen& meldungen) {
  xmlSAXHandler sax{};
  xmlSAXVersion(&sax, 2);
  sax.internalSubset = BeiDokumenttyp;
  sax.serror = BeiFehler;
  sax.startElementNs = BeiAnfang;
  sax.endElementNs = BeiEnde;
  sax.characters = BeiZeichen;
  sax.cdataBlock = BeiZeichen;
  sax.ignorableWhitespace = BeiZeichen;
  sax.comment = nullptr;
  sax.processingInstruction = nullptr;
  sax.reference = nullptr;
  Parserleihe leihe(sax);
  xmlParserCtxt* ctxt = leihe.parser.get();
  if (ctxt == nullptr || xmlCtxtResetPush(ctxt, nullptr, 0, nullptr, "UTF-8") != 0) {
    leihe.parser.reset();
    meldungen.Fehler("Der XML-Parser konnte nicht angelegt werden.");
    return false;
  }
  // No tree is built, and the input is fed in pieces, so memory follows the
  // text being built. XML_PARSE_HUGE lets texts as long as the ones the
  // converter writes be read back (libxml2 refuses text nodes over 10 MB
  // without it). Entities never unfold: a document type declaration stops
  // the parser before its internal subset is read.
  xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_HUGE);
  XmlEreignisse leser;
  Parsezustand zustand;
  zustand.leser = &leser;
  ctxt->_private = &zustand;
  std::string stück;
  bool weiter = true;
  while (weiter && !zustand.dokumenttyp) {
    stück.clear();
    weiter = nächstes(stück);
    xmlParseChunk(ctxt, stück.data(), static_cast<int>(stück.size()), weiter ? 0 : 1);
  }
  Dokument doc(ctxt->myDoc);
  ctxt->myDoc = nullptr;
  ctxt->_private = nullptr;
  // A parser that stopped early or met an error is not used again.
  if (zustand.dokumenttyp || !ctxt->wellFormed) {
    leihe.parser.reset();
    if (zustand.dokumenttyp) {
      meldungen.Fehler("Ein GAEB-XML-Text darf keine Dokumenttyp-Deklaration (DTD, Entitäten) enthalten.");
    } else {
      meldungen.Fehler("Der GAEB-XML-Text ist nicht wohlgeformt: " +
                       (zustand.fehler.empty() ? std::string("kein Element") : zustand.fehler));
    }
    return false;
  }
  return leser.Fertig(text, meldungen);
}

}  // namespace

bool LiesGaebXml(const char16_t* utf16, GaebText& text, Meldungen& meldungen) {
  const char16_t* p = utf16 != nullptr ? utf16 : u"";
  return Lies(
      [&](std::string& stück) {
        while (*p != 0 && stück.size() < kStückgröße) {
          char32_t c = *p++;
          if (c >= 0xD800 && c <= 0xDBFF && *p >= 0xDC00 && *p <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
          }
          HängeUtf8An(c, stück);  // a lone surrogate becomes U+FFFD
        }
        return *p != 0;
      },
      text, meldungen);
}

}  // namespace gtc
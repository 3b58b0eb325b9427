// Shared checks of the fuzz targets: a failed check aborts, so libFuzzer
// keeps the input as a crash; well-formedness is judged by libxml2.
#pragma once

#include <libxml/parser.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gtc/gtc.h"
#include "gtc/zeichen.h"

#define PRÜFE(bedingung)                                                       \
  do {                                                                         \
    if (!(bedingung)) {                                                        \
      std::fprintf(stderr, "%s:%d: Prüfung fehlgeschlagen: %s\n", __FILE__,    \
                   __LINE__, #bedingung);                                      \
      std::abort();                                                            \
    }                                                                          \
  } while (0)

namespace fuzz {

inline std::string U8(const gtcWChar* p) { return gtc::Utf16NachUtf8(p); }

inline bool Wohlgeformt(const std::string& s) {
  xmlDocPtr d = xmlReadMemory(s.data(), static_cast<int>(s.size()), nullptr, "UTF-8",
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  bool gut = d != nullptr;
  xmlFreeDoc(d);
  return gut;
}

// Stores rtf in handle h as text kind art (0 K, 1 L, 2 A, 3 AK, 4 F, 5 ML).
inline void Speichere(std::int32_t h, int art, const char* rtf) {
  switch (art) {
    case 0: gtcRtfAddK(h, rtf); break;
    case 1: gtcRtfAddL(h, rtf); break;
    case 2: gtcRtfAddA(h, rtf); break;
    case 3: gtcRtfAddAK(h, rtf); break;
    case 4: gtcRtfAddF(h, rtf, u"Descrip"); break;
    default: gtcRtfAddML(h, rtf, u"LblTx"); break;
  }
}

// The RTF of the part of xml that holds the text of kind art.
inline std::string RtfVon(std::int32_t h, int art, const std::string& xml, const gtcWChar** fehler) {
  std::u16string x = gtc::Utf8NachUtf16(xml);
  const char* rtf = nullptr;
  if (art == 0 || art == 3) {
    gtcGxml2RtfK(h, x.c_str(), &rtf, fehler);
  } else if (art == 4 || art == 5) {
    gtcGxml2RtfML(h, x.c_str(), &rtf, fehler);
  } else {
    gtcGxml2RtfL(h, x.c_str(), &rtf, -1, fehler);
  }
  return rtf != nullptr ? rtf : "";
}

}  // namespace fuzz

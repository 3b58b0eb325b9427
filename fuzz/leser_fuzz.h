// Shared part of the reader fuzz targets: a text converter that calls the
// converter library's code directly (no dynamic loading under the fuzzer),
// and the checks on what a reader returns. A file is either read into a
// sound row list or refused with Lesefehler; anything else aborts.
#pragma once

#include <cstdint>
#include <string>

#include "core/positionssatz.h"
#include "gtc/gtc.h"
#include "gtc/zeichen.h"
#include "pruefung.h"
#include "readers/gaebleser.h"

namespace fuzz {

class DirekterWandler : public gaeb::readers::Textwandler {
 public:
  std::string NachRtf(const std::string& xml, const char* modus) override {
    std::int32_t h = gtcConvCreate(GTC_KENNUNG);
    const std::u16string x = gtc::Utf8NachUtf16(xml);
    const char* rtf = nullptr;
    const gtcWChar* f = nullptr;
    std::string m = modus;
    if (m == "K") gtcGxml2RtfK(h, x.c_str(), &rtf, &f);
    else if (m == "L") gtcGxml2RtfL(h, x.c_str(), &rtf, -1, &f);
    else gtcGxml2RtfML(h, x.c_str(), &rtf, &f);
    std::string r = rtf ? rtf : "";
    gtcConvFree(h);
    return r;
  }
  std::string NachText(const std::string& xml, const char* modus) override {
    std::int32_t h = gtcConvCreate(GTC_KENNUNG);
    const std::u16string x = gtc::Utf8NachUtf16(xml);
    const gtcWChar* f = nullptr;
    gtcGxml2Ascii(h, x.c_str(), &f, 55);
    std::string r;
    const char* zeile = nullptr;
    std::int32_t code = 0, nummer = 0;
    bool kurz = std::string(modus) == "K";
    while ((kurz ? gtcAsciiGetLineK(h, &zeile, &code, &nummer) : gtcAsciiGetLineL(h, &zeile, &code, &nummer)) > -1)
      r += zeile ? zeile : "";
    gtcConvFree(h);
    return r;
  }
};

// The rows of a file that was read: header first, end row last, every name a
// property of the position record and every value of its type, or in the
// header a field of the client's address with a text.
inline void PrüfeZeilen(const std::vector<gaeb::readers::Importzeile>& zeilen) {
  PRÜFE(zeilen.size() >= 2);
  PRÜFE(gaeb::readers::Wert(zeilen.front(), "Positionstyp").ToInt32() == 10);
  PRÜFE(gaeb::readers::Wert(zeilen.back(), "Positionstyp").ToInt32() == 90);
  gaeb::Positionssatz satz;
  for (const auto& z : zeilen) {
    satz.Zurücksetzen();
    for (const auto& [name, wert] : z) {
      if (&z == &zeilen.front() && !gaeb::readers::Auftraggeberfeld(name).empty()) {
        PRÜFE(wert.typ() == gaeb::Variant::Typ::String);
        continue;
      }
      PRÜFE(gaeb::FindeEigenschaft(name) != nullptr);
      gaeb::SchreibeEigenschaft(satz, name, wert);  // throws on a value of the wrong type
    }
  }
}

}  // namespace fuzz

// Fuzz target of the way back: the input is taken as GAEB XML text markup
// (UTF-8) and converted to RTF (short, long and label part) and to lines of
// a width picked by the first byte. Checked: error texts are well-formed,
// every RTF written reads back without a message, and after one round the
// RTF is stable (RTF -> XML -> RTF gives the same RTF); lines end with CR LF
// and keep to the width.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pruefung.h"

namespace {

// Reads rtf as long text, converts it back and compares.
void PrüfeRtf(const std::string& rtf, int art) {
  std::int32_t h = gtcConvCreate(GTC_KENNUNG);
  fuzz::Speichere(h, art, rtf.c_str());
  const gtcWChar* x = nullptr;
  const gtcWChar* f = nullptr;
  PRÜFE(gtcRtf2gxml(h, &x, &f, 0) == GTC_OK);
  PRÜFE(f == nullptr);
  PRÜFE(x != nullptr);
  const std::string xml = fuzz::U8(x);
  PRÜFE(fuzz::Wohlgeformt(xml));
  PRÜFE(fuzz::RtfVon(h, art, xml, &f) == rtf);
  gtcConvFree(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t größe) {
  if (größe < 1) return 0;
  const std::int32_t breite = daten[0] % 80;
  const std::u16string xml =
      gtc::Utf8NachUtf16(std::string(reinterpret_cast<const char*>(daten) + 1, größe - 1));

  std::int32_t h = gtcConvCreate(GTC_KENNUNG);
  const char* rtf = nullptr;
  const gtcWChar* f = nullptr;
  PRÜFE(gtcGxml2RtfK(h, xml.c_str(), &rtf, &f) == GTC_OK);
  if (f != nullptr) PRÜFE(fuzz::Wohlgeformt(fuzz::U8(f)));
  if (rtf != nullptr) PrüfeRtf(rtf, 0);
  PRÜFE(gtcGxml2RtfL(h, xml.c_str(), &rtf, -1, &f) == GTC_OK);
  if (rtf != nullptr) PrüfeRtf(rtf, 1);
  PRÜFE(gtcGxml2RtfML(h, xml.c_str(), &rtf, &f) == GTC_OK);
  if (rtf != nullptr) PrüfeRtf(rtf, 5);

  PRÜFE(gtcGxml2Ascii(h, xml.c_str(), &f, breite) == GTC_OK);
  const char* zeile = nullptr;
  std::int32_t code = 0;
  std::int32_t nummer = 0;
  for (auto hole : {gtcAsciiGetLineK, gtcAsciiGetLineL}) {
    while (hole(h, &zeile, &code, &nummer) > -1) {
      std::string z = zeile;
      PRÜFE(z.size() >= 2 && z.compare(z.size() - 2, 2, "\r\n") == 0);
      if (breite > 0) PRÜFE(z.size() - 2 <= static_cast<std::size_t>(breite));
    }
  }
  gtcConvFree(h);
  return 0;
}

// Fuzz target of the RTF reader: the input (after a first byte that picks the
// text kind and the outline flag) goes through gtcRtf2gxml. Checked: the
// markup is never null and always well-formed, the error text too, and the
// way back is exact: the markup turned into RTF and read again gives the same
// markup without any message.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pruefung.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t größe) {
  if (größe < 1) return 0;
  const int art = daten[0] % 6;
  const std::int32_t flag = (daten[0] & 0x80) != 0 ? -1 : 0;
  // The interface takes zero-terminated text: the input ends at a NUL.
  const std::string rtf(reinterpret_cast<const char*>(daten) + 1, größe - 1);

  std::int32_t h = gtcConvCreate(GTC_KENNUNG);
  PRÜFE(h != 0);
  fuzz::Speichere(h, art, rtf.c_str());
  const gtcWChar* x = nullptr;
  const gtcWChar* f = nullptr;
  PRÜFE(gtcRtf2gxml(h, &x, &f, flag) == GTC_OK);
  PRÜFE(x != nullptr);
  const std::string xml = fuzz::U8(x);
  PRÜFE(fuzz::Wohlgeformt(xml));
  if (f != nullptr) PRÜFE(fuzz::Wohlgeformt(fuzz::U8(f)));

  const std::string zurück = fuzz::RtfVon(h, art, xml, &f);
  // An empty result stands for an empty text (an empty outline is not written).
  PRÜFE(f == nullptr);
  gtcConvFree(h);

  std::int32_t h2 = gtcConvCreate(GTC_KENNUNG);
  fuzz::Speichere(h2, art, zurück.c_str());
  PRÜFE(gtcRtf2gxml(h2, &x, &f, flag) == GTC_OK);
  PRÜFE(f == nullptr);
  PRÜFE(x != nullptr && fuzz::U8(x) == xml);
  gtcConvFree(h2);
  return 0;
}

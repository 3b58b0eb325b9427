// Fuzz target of the plain-line input: the input is split at LF into lines
// (code page 1252). The first byte of each line picks the call (% 6:
// gtcAsciiAddLineK, L, AL, AK, F, ML), its line code (bits 3-4: text, bidder
// gap, owner gap, or the byte itself as an unknown code) and its number
// (bits 5-7); the rest is the line's text. Checked: the conversion answers,
// markup and error text are well-formed, a text without error reads back
// from its markup without message, and the lines of the way back end with
// CR LF.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pruefung.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t größe) {
  const std::string eingabe(reinterpret_cast<const char*>(daten), größe);
  std::int32_t h = gtcConvCreate(GTC_KENNUNG);
  PRÜFE(gtcAsciiClear(h) == GTC_OK);
  std::size_t anfang = 0;
  while (anfang < eingabe.size()) {
    std::size_t ende = eingabe.find('\n', anfang);
    if (ende == std::string::npos) ende = eingabe.size();
    const auto steuer = static_cast<std::uint8_t>(eingabe[anfang]);
    const std::string text = eingabe.substr(anfang + 1, ende - anfang - (ende > anfang ? 1 : 0));
    anfang = ende + 1;
    const std::uint8_t codes[] = {GTC_ZEILE_TEXT, GTC_ZEILE_BIETER, GTC_ZEILE_AUFTRAGGEBER, steuer};
    const std::uint8_t code = codes[(steuer >> 3) & 3];
    const std::int32_t nummer = (steuer >> 5) - 2;
    switch (steuer % 6) {
      case 0: PRÜFE(gtcAsciiAddLineK(h, text.c_str(), code, nummer) == GTC_OK); break;
      case 1: PRÜFE(gtcAsciiAddLineL(h, text.c_str(), code, nummer) == GTC_OK); break;
      case 2: PRÜFE(gtcAsciiAddLineAL(h, text.c_str()) == GTC_OK); break;
      case 3: PRÜFE(gtcAsciiAddLineAK(h, text.c_str()) == GTC_OK); break;
      case 4: PRÜFE(gtcAsciiAddLineF(h, text.c_str(), u"Descrip") == GTC_OK); break;
      default: PRÜFE(gtcAsciiAddLineML(h, text.c_str(), u"LblTx") == GTC_OK); break;
    }
  }
  const gtcWChar* x = nullptr;
  const gtcWChar* f = nullptr;
  PRÜFE(gtcAscii2gxml(h, &x, &f) == GTC_OK);
  const bool fehler = f != nullptr && fuzz::U8(f).find("<errors>") != std::string::npos;
  if (f != nullptr) PRÜFE(fuzz::Wohlgeformt(fuzz::U8(f)));
  if (x != nullptr) {
    const std::string xml = fuzz::U8(x);
    PRÜFE(fuzz::Wohlgeformt(xml));
    const std::u16string breit = gtc::Utf8NachUtf16(xml);
    const gtcWChar* f2 = nullptr;
    PRÜFE(gtcGxml2Ascii(h, breit.c_str(), &f2, 55) == GTC_OK);
    if (!fehler) PRÜFE(f2 == nullptr);
    const char* zeile = nullptr;
    std::int32_t c = 0;
    std::int32_t n = 0;
    for (auto hole : {gtcAsciiGetLineK, gtcAsciiGetLineL}) {
      while (hole(h, &zeile, &c, &n) > -1) {
        const std::string z = zeile;
        PRÜFE(z.size() >= 2 && z.compare(z.size() - 2, 2, "\r\n") == 0);
      }
    }
  }
  gtcConvFree(h);
  return 0;
}

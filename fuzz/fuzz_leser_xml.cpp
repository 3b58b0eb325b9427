// Fuzz target of the GAEB DA XML reader: any bytes are read into sound rows or refused
// with a Lesefehler; no crash, no other exception, no half list.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "leser_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t größe) {
  const std::string text(reinterpret_cast<const char*>(daten), größe);
  try {
    fuzz::DirekterWandler wandler;
    fuzz::PrüfeZeilen(gaeb::readers::LeseXml(text, "fuzz", wandler));
  } catch (const gaeb::readers::Lesefehler&) {
  }
  return 0;
}

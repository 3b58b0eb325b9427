// Fuzz target of the validate passes of GAEB 90 and GAEB 2000 (first byte: odd
// GAEB 90, even GAEB 2000; the rest the file): any bytes give findings, never a
// crash; every finding names a rule, and no rule keeps more findings than the cap
// and its one count line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "checks/pruefung.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t größe) {
  if (größe == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(daten) + 1, größe - 1);
  gaeb::checks::Prüfbericht bericht;
  gaeb::checks::Befundliste liste;
  try {
    if (daten[0] & 1) gaeb::checks::PrüfeGaeb90(text, bericht, liste);
    else gaeb::checks::PrüfeGaeb2000(text, bericht, liste);
  } catch (const std::runtime_error&) {  // blocks nested too deep
  }
  std::map<std::string, std::size_t> je;
  for (const gaeb::checks::Befund& b : liste.Ende()) {
    if (b.regel.empty() || b.text.empty()) std::abort();
    if (++je[b.regel] > gaeb::checks::Befundliste::kHöchstensJeRegel + 1) std::abort();
  }
  return 0;
}

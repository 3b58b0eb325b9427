// Number ranges of the host: a global range per document type (range 0) and,
// when the setting Belegnummern/ProBenutzer is on, a range per user and type.
#pragma once

#include "core/host.h"

namespace gaeb::host {

class BelegnummernHost : public Belegnummern {
 public:
  void Öffnen(const std::string& modus, const std::string& verbindungstext, Verbindung* verbindung) override;
  bool BenutzerNummernkreise() override;
  std::int16_t NummernkreisVon(const std::string& benutzer, std::int16_t belegart) override;
  // The range's next number; a range never used starts after the highest
  // stored number of the type (or at 1).
  std::int32_t NächsteNummer(std::int16_t belegart, std::int16_t nummernkreis) override;
  // Moves the range past nummer.
  void Reserviere(std::int16_t belegart, std::int32_t nummer, std::int16_t nummernkreis) override;

 private:
  Verbindung& Db() const;
  Verbindung* verbindung_ = nullptr;
};

}  // namespace gaeb::host

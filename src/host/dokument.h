// A host document in memory: header, positions in document order and closing
// rows, each a record of named fields after its catalogue. Loaded from and
// saved to the database as a whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "component/host.h"
#include "host/felder.h"

namespace gaeb::host {

// One record of a catalogue.
class Satz : public Datensatz {
 public:
  explicit Satz(const Katalog& katalog);

  Variant Feld(std::string_view name) const override;
  void SetzeFeld(std::string_view name, const Variant& wert) override;

  const Katalog& katalog() const { return *katalog_; }
  const Variant& Wert(std::size_t i) const { return werte_[i]; }
  void SetzeWert(std::size_t i, const Variant& v) { werte_[i] = AlsFeldtyp(v, katalog_->Felder()[i].typ); }

 private:
  int Index(std::string_view name) const;

  const Katalog* katalog_;
  std::vector<Variant> werte_;
};

struct Dokument {
  Dokument() : kopf(KopfKatalog()) {}

  std::int16_t belegart = 0;
  std::int32_t belegnummer = 0;
  Satz kopf;
  std::vector<Satz> positionen;
  std::vector<Satz> schlusszeilen;
  std::vector<Satz> adressen;
};

// Reads a document; false when it has no header row.
bool LadeDokument(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer, Dokument& d);

// Replaces the stored document by d (header, positions, closing rows). The
// caller runs it inside a transaction.
void SpeichereDokument(Verbindung& v, const Dokument& d);

// The type under which a number is kept, 0 when none. When several types keep
// the number, the lowest type.
std::int16_t BelegartVonNummer(Verbindung& v, std::int32_t belegnummer);

}  // namespace gaeb::host

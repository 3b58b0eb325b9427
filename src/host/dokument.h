// A host document in memory: header, positions in document order and closing
// rows, each a record of named fields after its catalogue. Loaded from and
// saved to the database as a whole.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/host.h"
#include "host/felder.h"

namespace gaeb::host {

// One record of a catalogue. Only the values that differ from the field's
// start value are kept (most fields of a position keep theirs), so a bill of
// 100,000 positions fits in memory many times over.
class Satz : public Datensatz {
 public:
  explicit Satz(const Katalog& katalog) : katalog_(&katalog) {}

  Variant Feld(std::string_view name) const override;
  void SetzeFeld(std::string_view name, const Variant& wert) override;

  const Katalog& katalog() const { return *katalog_; }
  // Value of field i; the reference stays valid until the field is set.
  const Variant& Wert(std::size_t i) const;
  // Sets field i to v converted to the field's type (error 13 when it does not convert).
  void SetzeWert(std::size_t i, Variant v);
  // Takes the values of a row as read, for a record that holds none yet:
  // field i gets zeile[spalte[i]], moved out, unless spalte[i] is
  // kNichtGelesen or the value is Empty; as SetzeWert would set them.
  static constexpr std::size_t kNichtGelesen = static_cast<std::size_t>(-1);
  void Lade(std::vector<Variant>& zeile, const std::vector<std::size_t>& spalte);
  // Gives back the room kept for more fields (of a record that is complete).
  void Straffe() { werte_.shrink_to_fit(); }
  // Calls f(i, value) for every field in catalogue order, without a look-up each.
  template <class F>
  void JederWert(F&& f) const {
    auto it = werte_.begin();
    for (std::size_t i = 0; i < katalog_->Anzahl(); ++i) {
      if (it != werte_.end() && it->first == i) f(i, (it++)->second);
      else f(i, katalog_->Felder()[i].vorgabe);
    }
  }

 private:
  int Index(std::string_view name) const;

  const Katalog* katalog_;
  // (field index, value) of the fields that differ from their start value, by index.
  std::vector<std::pair<std::uint16_t, Variant>> werte_;
};

struct Dokument {
  Dokument() : kopf(KopfKatalog()) {}

  std::int16_t belegart = 0;
  std::int32_t belegnummer = 0;
  bool neu = false;  // created in memory and never saved: saving must not replace a stored one
  Satz kopf;
  std::vector<Satz> positionen;
  std::vector<Satz> schlusszeilen;
  std::vector<Satz> adressen;
};

// Reads a document; false when it has no header row. Without positions only
// the header, closing rows and addresses are read (the positions are then
// read a page at a time with LesePositionen).
bool LadeDokument(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer, Dokument& d,
                  bool mitPositionen = true);

// The number of position rows a stored document has.
std::int32_t AnzahlPositionen(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer);

// Reads the stored positions of a document in order, from the row number ab
// on, at most anzahl rows (all when negative), a block at a time; each row
// goes to zeile with its row number and is dropped after the call. With nur,
// only the fields named there are read; the others keep their start values.
void LesePositionen(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer, std::int32_t ab,
                    std::int64_t anzahl, const std::function<void(Satz&, std::int32_t)>& zeile,
                    std::span<const std::string_view> nur = {});

// Replaces the stored document by d (header, positions, closing rows). The
// caller runs it inside a transaction.
void SpeichereDokument(Verbindung& v, const Dokument& d);

// The type under which a number is kept, 0 when none. When several types keep
// the number, the lowest type.
std::int16_t BelegartVonNummer(Verbindung& v, std::int32_t belegnummer);

}  // namespace gaeb::host

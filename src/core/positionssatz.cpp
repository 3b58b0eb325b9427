#include "core/positionssatz.h"

#include <unordered_map>

#include "base/fehler.h"

namespace gaeb {

namespace {

Variant AlsVariant(const std::string& s) { return Variant(s); }
Variant AlsVariant(std::int16_t i) { return Variant(i); }
Variant AlsVariant(std::int32_t l) { return Variant(l); }
Variant AlsVariant(double d) { return Variant(d); }
Variant AlsVariant(bool b) { return Variant(b); }

void Zuweisen(std::string& ziel, const Variant& v) { ziel = v.ToString(); }
void Zuweisen(std::int16_t& ziel, const Variant& v) { ziel = v.ToInt16(); }
void Zuweisen(std::int32_t& ziel, const Variant& v) { ziel = v.ToInt32(); }
void Zuweisen(double& ziel, const Variant& v) { ziel = v.ToDouble(); }
void Zuweisen(bool& ziel, const Variant& v) { ziel = v.ToBool(); }

constexpr bool R = true;
constexpr bool K = false;

[[noreturn]] void Unbekannt(std::string_view name) {
  throw Fehler(438, "Objekt unterstützt diese Eigenschaft oder Methode nicht: " + std::string(name));
}

}  // namespace

void Positionssatz::Zurücksetzen() {
#define GAEB_RESET(typ, name, reset, wert) \
  if constexpr (reset) name = wert;
  GAEB_POSITIONSSATZ(GAEB_RESET)
#undef GAEB_RESET
}

const std::vector<Eigenschaft>& Eigenschaften() {
  static const std::vector<Eigenschaft> liste = {
#define GAEB_EIGENSCHAFT(typ, name, reset, wert) {#name, Eigenschaftstyp::typ, reset},
      GAEB_POSITIONSSATZ(GAEB_EIGENSCHAFT)
#undef GAEB_EIGENSCHAFT
  };
  return liste;
}

const Eigenschaft* FindeEigenschaft(std::string_view name) {
  for (const Eigenschaft& e : Eigenschaften())
    if (e.name == name) return &e;
  return nullptr;
}

Variant LeseEigenschaft(const Positionssatz& satz, std::string_view name) {
#define GAEB_LESE(typ, feld, reset, wert) \
  if (name == #feld) return AlsVariant(satz.feld);
  GAEB_POSITIONSSATZ(GAEB_LESE)
#undef GAEB_LESE
  Unbekannt(name);
}

void SchreibeEigenschaft(Positionssatz& satz, std::string_view name, const Variant& wert) {
  // One setter per property, found by name (rows of an import set several per row).
  using Setzer = void (*)(Positionssatz&, const Variant&);
  static const std::unordered_map<std::string_view, Setzer> setzer = {
#define GAEB_SETZER(typ, feld, reset, w) {#feld, [](Positionssatz& s, const Variant& v) { Zuweisen(s.feld, v); }},
      GAEB_POSITIONSSATZ(GAEB_SETZER)
#undef GAEB_SETZER
  };
  auto it = setzer.find(name);
  if (it == setzer.end()) Unbekannt(name);
  it->second(satz, wert);
}

}  // namespace gaeb

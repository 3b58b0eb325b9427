#include "core/host.h"

#include "base/fehler.h"

namespace gaeb {

const Variant& Ergebnis::Wert(std::size_t zeile, std::string_view name) const {
  for (std::size_t i = 0; i < spalten.size(); ++i)
    if (spalten[i] == name) return zeilen.at(zeile).at(i);
  throw Fehler(3265, "Das Element wurde in der Auflistung nicht gefunden: " + std::string(name));
}

void Verbindung::Durchlaufe(std::string_view sql, std::span<const Variant> parameter, const Zeilenfolge& jede) {
  Ergebnis e = Abfrage(sql, parameter);
  for (std::vector<Variant>& zeile : e.zeilen) jede(e.spalten, zeile);
}

}  // namespace gaeb

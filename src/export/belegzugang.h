// Opening the document for an export, the same in every export: the document
// data object works on the component's connection with the document defaults
// of Parameter_Beleg, opens the document and locks it for the output.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/kontext.h"

namespace gaeb {

inline constexpr std::string_view kMeldungNichtGesperrt = "Beleg konnte nicht gesperrt werden";
inline constexpr std::string_view kMeldungWährung = "Der Beleg ist nicht in der entsprechenden Währung erfasst. ";

// Opens and locks the document. True when it is locked and kept in a currency
// the output can use; otherwise the matching message has been shown, nothing
// stays locked and the export ends without writing anything. gesperrt tells
// the caller's error path whether the lock may be ours: it is set as soon as
// the document was opened for output, so that a host call failing after that
// still leads to the lock being given back.
inline bool ÖffneBelegZurAusgabe(Kontext& k, std::int16_t& belegart, std::int32_t& belegnummer, bool& gesperrt) {
  Belegdaten& b = k.Beleg();
  b.Öffnen("0", k.pConnectstring, k.pConnection);
  b.Vorgaben(k.vorgaben);
  bool flag = true;
  b.ÖffneFürAusgabe(belegart, belegnummer, flag);
  gesperrt = true;
  const std::int32_t status = b.Öffnungsstatus();
  if (status == -1) return true;
  gesperrt = false;
  if (status == 0) {
    ZeigeMeldung(k, std::string(kMeldungNichtGesperrt));
  } else {
    ZeigeMeldung(k, std::string(kMeldungWährung));
    // A host that keeps the lock of a refused output gives it back here.
    Ignoriere([&] { b.Entsperren(belegart, belegnummer); });
  }
  return false;
}

}  // namespace gaeb

// The progress events of an export's walk, the same in every export: at the
// first step the host learns how many steps to expect (FortschrittMax), at
// every tenth step, the first included, it gets Fortschritt(10, Cancel) and,
// unless it cancelled, a yield to its message loop.
#pragma once

#include <cstdint>

#include "core/kontext.h"

namespace gaeb {

// Raises the events of step i. erwartet() gives the expected number of steps;
// it is called at step 0 only. False when the host cancelled.
template <typename Erwartet>
bool MeldeFortschritt(Kontext& k, std::int32_t i, Erwartet&& erwartet) {
  clsGaebSQLEreignisse* e = k.ereignisse;
  if (e == nullptr) return true;
  if (i == 0) e->FortschrittMax(erwartet());
  if (i % 10 != 0) return true;
  bool cancel = false;
  e->Fortschritt(10, cancel);
  if (cancel) return false;
  e->Yield();
  return true;
}

}  // namespace gaeb

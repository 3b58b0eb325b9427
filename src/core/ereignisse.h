// The events of clsGaebSQL that a host connects to: progress of an export and
// the yield to the host's message loop. The defaults do nothing.
#pragma once

#include <cstdint>

namespace gaeb {

class clsGaebSQLEreignisse {
 public:
  virtual ~clsGaebSQLEreignisse() = default;
  // Anzahl more steps are done; the host may set Cancel to true to stop the run.
  virtual void Fortschritt(std::int32_t Anzahl, bool& Cancel) {
    (void)Anzahl;
    (void)Cancel;
  }
  // The number of steps the run expects in all.
  virtual void FortschrittMax(std::int32_t Anzahl) { (void)Anzahl; }
  // Lets the host process pending window messages.
  virtual void Yield() {}
};

}  // namespace gaeb

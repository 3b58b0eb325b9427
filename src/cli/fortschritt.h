// Progress of long work on a terminal: a bar on standard error driven by the
// component's FortschrittMax/Fortschritt events, and Ctrl-C turned into Cancel.
#pragma once

#include <cstdint>
#include <string>

#include "core/ereignisse.h"

namespace gaeb::cli {

class Fortschrittsanzeige : public clsGaebSQLEreignisse {
 public:
  // Draws only when standard error is a terminal. Installs a SIGINT handler
  // for its lifetime that asks the running work to stop.
  explicit Fortschrittsanzeige(std::string titel);
  ~Fortschrittsanzeige() override;

  void FortschrittMax(std::int32_t Anzahl) override;
  void Fortschritt(std::int32_t Anzahl, bool& Cancel) override;

  // True when Ctrl-C was pressed.
  static bool Abgebrochen();

 private:
  void Zeichne();

  std::string titel_;
  bool terminal_;
  std::int64_t max_ = 0;
  std::int64_t stand_ = 0;
  bool gezeichnet_ = false;
};

}  // namespace gaeb::cli

#include "cli/fortschritt.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace gaeb::cli {

namespace {

std::atomic<bool> gAbbruch{false};
void (*gVorher)(int) = SIG_DFL;

extern "C" void BeiSigint(int) { gAbbruch = true; }

}  // namespace

Fortschrittsanzeige::Fortschrittsanzeige(std::string titel)
    : titel_(std::move(titel)), terminal_(isatty(STDERR_FILENO) != 0) {
  gAbbruch = false;
  gVorher = std::signal(SIGINT, BeiSigint);
}

Fortschrittsanzeige::~Fortschrittsanzeige() {
  std::signal(SIGINT, gVorher == SIG_ERR ? SIG_DFL : gVorher);
  if (gezeichnet_) std::fputs("\n", stderr);
}

bool Fortschrittsanzeige::Abgebrochen() { return gAbbruch; }

void Fortschrittsanzeige::FortschrittMax(std::int32_t Anzahl) {
  max_ = std::max<std::int64_t>(Anzahl, 1);
  Zeichne();
}

void Fortschrittsanzeige::Fortschritt(std::int32_t Anzahl, bool& Cancel) {
  stand_ += Anzahl;
  if (gAbbruch) Cancel = true;
  Zeichne();
}

void Fortschrittsanzeige::Zeichne() {
  if (!terminal_ || max_ == 0) return;
  constexpr int kBreite = 40;
  std::int64_t stand = std::min(stand_, max_);
  int voll = static_cast<int>(stand * kBreite / max_);
  std::string balken(voll, '#');
  balken.resize(kBreite, '.');
  std::fprintf(stderr, "\r%s [%s] %3d%%", titel_.c_str(), balken.c_str(), static_cast<int>(stand * 100 / max_));
  std::fflush(stderr);
  gezeichnet_ = true;
}

}  // namespace gaeb::cli

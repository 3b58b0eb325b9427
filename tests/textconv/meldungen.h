// Test helper: a message box that records what it is asked to show, and can
// run a check while a box is open (the moment the library is still loaded).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "textconv/meldungsfenster.h"

namespace textconv_test {

struct Meldung {
  std::string text;
  std::string titel;
  bool operator==(const Meldung&) const = default;
};

class Protokollfenster : public gaeb::Meldungsfenster {
 public:
  void Zeige(const std::string& text, const std::string& titel) override {
    meldungen.push_back({text, titel});
    if (beimZeigen) beimZeigen();
  }
  std::vector<Meldung> meldungen;
  std::function<void()> beimZeigen;
};

}  // namespace textconv_test

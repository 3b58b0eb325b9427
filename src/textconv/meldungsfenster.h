// The message box of the text converter. clsGaebTextkonverter shows the
// converter's error texts and the load failure of its library through this
// interface; the host provides it (a dialog, or a line on standard error in
// the command-line program). Without one, nothing is shown.
#pragma once

#include <string>

namespace gaeb {

class Meldungsfenster {
 public:
  virtual ~Meldungsfenster() = default;
  // Shows text with an OK button under the title (empty: a box without
  // title) and returns when the user has closed it.
  virtual void Zeige(const std::string& text, const std::string& titel) = 0;
};

}  // namespace gaeb

// The component's text converter: a clsGaebTextkonverter whose message box
// is the host's message service, so the converter's messages (a missing
// library, the "Fehlercode" texts of the library) reach the host like every
// other message of the component.
#pragma once

#include <memory>

#include "core/objektfabrik.h"
#include "textconv/meldungsfenster.h"
#include "textconv/textkonverter.h"

namespace gaeb {

// Shows the converter's texts through the host's Meldungsdienst with the
// standard arguments (kind 3, extra 1992); the message service has no title,
// so the title is dropped. A failing message service is not handled further.
class Meldungsdienstfenster : public Meldungsfenster {
 public:
  explicit Meldungsdienstfenster(std::shared_ptr<const Objektfabrik> fabrik) : fabrik_(std::move(fabrik)) {}
  void Zeige(const std::string& text, const std::string& titel) override;

 private:
  std::shared_ptr<const Objektfabrik> fabrik_;
};

// A converter that shows its messages through the message service of
// fabrik; the message box lives as long as the converter.
std::shared_ptr<clsGaebTextkonverter> ErzeugeTextkonverter(std::shared_ptr<const Objektfabrik> fabrik);

}  // namespace gaeb

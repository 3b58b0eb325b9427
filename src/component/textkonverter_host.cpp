#include "component/textkonverter_host.h"

#include "core/kontext.h"

namespace gaeb {

void Meldungsdienstfenster::Zeige(const std::string& text, const std::string& /*titel*/) {
  try {
    fabrik_->Dienst<Meldungsdienst>(klassen::Meldungsdienst).Zeige(text, 3, kMeldungExtra);
  } catch (...) {
  }
}

namespace {

struct KonverterMitFenster {
  explicit KonverterMitFenster(std::shared_ptr<const Objektfabrik> fabrik) : fenster(std::move(fabrik)) {}
  Meldungsdienstfenster fenster;
  clsGaebTextkonverter konverter{&fenster};
};

}  // namespace

std::shared_ptr<clsGaebTextkonverter> ErzeugeTextkonverter(std::shared_ptr<const Objektfabrik> fabrik) {
  auto paar = std::make_shared<KonverterMitFenster>(std::move(fabrik));
  return std::shared_ptr<clsGaebTextkonverter>(paar, &paar->konverter);
}

}  // namespace gaeb

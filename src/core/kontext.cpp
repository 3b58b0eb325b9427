#include "core/kontext.h"

#include <exception>

#include "base/fehler.h"

namespace gaeb {

namespace {

[[noreturn]] void NichtGesetzt(const char* was) {
  throw Fehler(kFehlerObjekt, std::string("Objektvariable nicht festgelegt: ") + was);
}

}  // namespace

Belegdaten& Kontext::Beleg() const {
  if (!belegdatenobjekt) NichtGesetzt("Belegdatenobjekt");
  return *belegdatenobjekt;
}

Belegnummern& Kontext::Nummern() const {
  if (!belegnummernobjekt) NichtGesetzt("Belegnummernobjekt");
  return *belegnummernobjekt;
}

Verbindung& Kontext::Connection() const {
  if (pConnection == nullptr) NichtGesetzt("pConnection");
  return *pConnection;
}

void ZeigeMeldung(const Kontext& k, const std::string& text) {
  try {
    k.Meldungen().Zeige(text, 3, kMeldungExtra);
  } catch (...) {
    // A failing message service is not handled further.
  }
}

void Meldung10055(const Kontext& k, const std::string& einfügung) {
  try {
    std::string text = k.Texte().Text(10055, {einfügung});
    k.Meldungen().Zeige(text, 3, kMeldungExtra);
  } catch (...) {
  }
}

namespace {
thread_local std::string tGrund;
}  // namespace

const std::string& GemeldeterFehlergrund() { return tGrund; }

void Fehlermeldung(const Kontext& k, std::string_view prozedur) {
  ++k.fehlermeldungen;
  std::string grund;
  if (std::exception_ptr fehler = std::current_exception()) {
    try {
      std::rethrow_exception(fehler);
    } catch (const std::exception& e) {
      grund = e.what();
    } catch (...) {
    }
  }
  tGrund = std::move(grund);
  Meldung10055(k, std::string(prozedur));
  tGrund.clear();
}

}  // namespace gaeb

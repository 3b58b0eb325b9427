#include "core/kontext.h"

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

void Fehlermeldung(const Kontext& k, std::string_view prozedur) {
  ++k.fehlermeldungen;
  Meldung10055(k, std::string(prozedur));
}

}  // namespace gaeb

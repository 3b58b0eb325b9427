#include "export/firma.h"

#include "base/fehler.h"

namespace gaeb {

void GetFirmenanschrift(Kontext& k) {
  WeiterBeiFehler weiter(k, "GetFirmenanschrift");
  std::unique_ptr<Einstellungen> einstellungen;
  weiter([&] { einstellungen = k.fabrik->Erzeuge<Einstellungen>(klassen::Einstellungen); });
  weiter([&] {
    if (!einstellungen) throw Fehler(kFehlerObjekt, "Objektvariable nicht festgelegt: Einstellungen");
    Verbindung* v = k.pConnection;
    einstellungen->Init(0, v, "Standard");
    k.pConnection = v;  // the store may hand back another connection
  });
  struct Schlüssel {
    const char* name;
    std::string Firmenanschrift::*member;
  };
  static const Schlüssel kSchlüssel[] = {
      {"Name1", &Firmenanschrift::Name1},   {"Name2", &Firmenanschrift::Name2},
      {"Name3", &Firmenanschrift::Name3},   {"Straße", &Firmenanschrift::Straße},
      {"PlzOrt", &Firmenanschrift::PlzOrt}, {"Fax", &Firmenanschrift::Fax},
      {"Email", &Firmenanschrift::Email},   {"Telefon", &Firmenanschrift::Telefon},
  };
  // One variable receives all values in turn and is not emptied between the calls.
  std::string wert;
  for (const Schlüssel& s : kSchlüssel) {
    weiter([&] {
      if (!einstellungen) throw Fehler(kFehlerObjekt, "Objektvariable nicht festgelegt: Einstellungen");
      einstellungen->GetSetting("Firmendaten", s.name, wert, "Standard", "");
      if (!wert.empty()) k.firma.*s.member = wert;
    });
  }
}

}  // namespace gaeb

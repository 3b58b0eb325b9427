// Helpers of the store tests: a project, the import sequence of a host, and
// a look into the saved document.
#pragma once

#include <functional>
#include <string>

#include "testhost.h"

namespace gaeb::test {

inline void Projekt(TestHost& h, const std::string& nummer, const std::string& kunde = "") {
  const Variant p[] = {Variant(nummer), Variant(kunde), Variant(std::int32_t{kunde.empty() ? 0 : 1})};
  h.db->Ausführen("INSERT INTO ProjekteKolvar (Projektnummer, KundenNummer, MitKunde) VALUES (?, ?, ?)", p);
}

// One row: Init_Datenfelder, the row's properties, Speichern_Belegdaten.
inline bool Zeile(clsGaebSQL& k, std::int32_t nr, const std::function<void(clsGaebSQL&)>& setze, std::int16_t art = 1) {
  k.Init_Datenfelder();
  setze(k);
  return k.Speichern_Belegdaten(art, nr);
}

inline bool Kopf(clsGaebSQL& k, std::int32_t nr, const std::string& projekt = "P1") {
  return Zeile(k, nr, [&](clsGaebSQL& c) {
    c.Positionstyp(10);
    c.Projektnummer(projekt);
  });
}

inline bool Struktur(clsGaebSQL& k, std::int32_t nr, std::int16_t ebene, const std::string& oz) {
  return Zeile(k, nr, [&](clsGaebSQL& c) {
    c.Positionstyp(40);
    c.HierarchieEbene(ebene);
    c.Positionsnummer(oz);
    c.Kurztext1("Bereich " + oz);
  });
}

inline bool Position(clsGaebSQL& k, std::int32_t nr, const std::string& oz, double menge, double ep) {
  return Zeile(k, nr, [&](clsGaebSQL& c) {
    c.Positionstyp(40);
    c.HierarchieEbene(4);
    c.Positionsnummer(oz);
    c.Kurztext1("Leistung " + oz);
    c.Menge(menge);
    c.Einzelpreis(ep);
    c.Mengeneinheit("m2");
  });
}

inline bool Ende(clsGaebSQL& k, std::int32_t nr) {
  return Zeile(k, nr, [](clsGaebSQL& c) { c.Positionstyp(90); });
}

// The saved document, read fresh from the database.
inline host::Dokument Gespeichert(TestHost& h, std::int16_t art, std::int32_t nr) {
  host::Dokument d;
  EXPECT_TRUE(host::LadeDokument(*h.db, art, nr, d)) << "document " << nr << " not saved";
  return d;
}

}  // namespace gaeb::test

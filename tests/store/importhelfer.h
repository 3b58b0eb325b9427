// Helpers of the store tests: a project, the import sequence of a host, and
// a look into the saved document.
#pragma once

#include <functional>
#include <string>

#include "felder.h"
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
  return Zeile(k, nr, [&](clsGaebSQL& c) { c.Positionstyp(10); c.Projektnummer(projekt); });
}

inline bool Struktur(clsGaebSQL& k, std::int32_t nr, std::int16_t ebene, const std::string& oz) {
  return Zeile(k, nr, [&](clsGaebSQL& c) {
    c.Positionstyp(40); c.HierarchieEbene(ebene); c.Positionsnummer(oz); c.Kurztext1("Bereich " + oz);
  });
}

inline bool Position(clsGaebSQL& k, std::int32_t nr, const std::string& oz, double menge, double ep) {
  return Zeile(k, nr, [&](clsGaebSQL& c) {
    c.Positionstyp(40); c.HierarchieEbene(4); c.Positionsnummer(oz); c.Kurztext1("Leistung " + oz);
    c.Menge(menge); c.Einzelpreis(ep); c.Mengeneinheit("m2");
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

// A component with a document number locked for project P1 of customer
// K-77, and a copper price.
class Import : public AufBeiden {
 protected:
  void SetUp() override {
    Projekt(h, "P1", "K-77");
    h.db->Ausführen("INSERT INTO Metallarten (NEART, Tagespreis) VALUES ('CU', 812.5)");
    k = h.Komponente();
    ASSERT_EQ(k->Init_BelegVorlauf(1, ""), Variant(true));
    nr = k->Sperren_Belegnummer(1);
    ASSERT_GT(nr, 0);
  }
  long Gespeicherte() { return h.db->Ausführen("SELECT * FROM Belegkopfkolvar"); }
  // A row of kind typ with an OZ (and a level for kind 40).
  bool Typ(std::int16_t typ, const std::string& oz = "", std::int16_t ebene = 0) {
    return Zeile(*k, nr, [&](clsGaebSQL& c) { c.Positionstyp(typ); c.Positionsnummer(oz); c.HierarchieEbene(ebene); });
  }
  // The document the component is building, as the host holds it.
  host::Dokument& Im(clsGaebSQL& c) {
    return dynamic_cast<host::BelegdatenHost&>(dynamic_cast<StörBelegdaten&>(c.kontext().Beleg()).Ziel()).Aktuell();
  }
  static auto Text(const std::vector<host::Satz>& s) {
    return [&s](std::size_t i, const std::string& n) { return s.at(i).Feld(n).ToString(); };
  }

  TestHost h{GetParam()};
  std::unique_ptr<clsGaebSQL> k;
  std::int32_t nr = 0;
};

}  // namespace gaeb::test

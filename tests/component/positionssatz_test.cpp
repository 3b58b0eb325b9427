// The position record: its 81 properties, Init_Datenfelder, access by name.
#include <gtest/gtest.h>

#include "base/fehler.h"
#include "testhost.h"

namespace gaeb {
namespace {

using test::TestHost;

TEST(Positionssatz, EightyOnePropertiesInInterfaceOrderWithTheirTypes) {
  const auto& e = Eigenschaften();
  ASSERT_EQ(e.size(), 81u);
  EXPECT_EQ(e.front().name, "MengePaketteil");
  EXPECT_EQ(e[2].name, "Satznummer");
  EXPECT_EQ(e.back().name, "ZA06");
  EXPECT_EQ(FindeEigenschaft("Satznummer")->typ, Eigenschaftstyp::Long);
  EXPECT_EQ(FindeEigenschaft("Datenphase")->typ, Eigenschaftstyp::Integer);
  EXPECT_EQ(FindeEigenschaft("FürSummenspeicher2")->typ, Eigenschaftstyp::String);
  EXPECT_EQ(FindeEigenschaft("Preiseinheit")->typ, Eigenschaftstyp::Integer);
  EXPECT_EQ(FindeEigenschaft("UmsatzsteuerProzent")->typ, Eigenschaftstyp::Double);
  EXPECT_EQ(FindeEigenschaft("m_PosNr_Trennzeichen"), nullptr);  // a field, not a property
  int behalten = 0;
  for (const auto& x : e) behalten += x.zurückgesetzt ? 0 : 1;
  EXPECT_EQ(behalten, 8);
}

TEST(Positionssatz, InitDatenfelderResetsAndKeeps) {
  TestHost h;
  auto k = h.Komponente();
  // Give every property a value that differs from its reset value.
  for (const Eigenschaft& e : Eigenschaften()) {
    switch (e.typ) {
      case Eigenschaftstyp::String: SchreibeEigenschaft(k->kontext().satz, e.name, Variant("x")); break;
      case Eigenschaftstyp::Boolean: {
        bool jetzt = LeseEigenschaft(k->kontext().satz, e.name).ToBool();
        SchreibeEigenschaft(k->kontext().satz, e.name, Variant(!jetzt));
        break;
      }
      default: SchreibeEigenschaft(k->kontext().satz, e.name, Variant(7.0)); break;
    }
  }
  k->m_PosNr_Trennzeichen = ".";
  EXPECT_TRUE(k->Init_Datenfelder().IstLeer());

  EXPECT_EQ(k->Preiseinheit(), 1);
  EXPECT_EQ(k->KnzVbSb(), "0");
  EXPECT_TRUE(k->FürSummenspeicher1());
  EXPECT_TRUE(Variant(k->FürSummenspeicher2()).ToBool());
  EXPECT_EQ(k->Positionsnummer(), "");
  EXPECT_EQ(k->Menge(), 0.0);
  EXPECT_FALSE(k->MitLos());
  EXPECT_EQ(k->UhrzeitAngebotsabgabe(), "");
  EXPECT_EQ(k->Belegtext(), "");
  EXPECT_EQ(k->UmsatzsteuerProzent(), 0.0);
  // Kept properties and the public field.
  EXPECT_EQ(k->Satznummer(), 7);
  EXPECT_EQ(k->AnzahlLeistungen(), 7);
  EXPECT_EQ(k->AnzahlPakete(), 7);
  EXPECT_EQ(k->AnzahlPaketteile(), 7);
  EXPECT_EQ(k->GAEBDaVersion(), "x");
  EXPECT_EQ(k->Währungduplikat(), "x");
  EXPECT_EQ(k->Bezeichnung(), "x");
  EXPECT_EQ(k->ImportTyp(), "x");
  EXPECT_EQ(k->m_PosNr_Trennzeichen, ".");
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST(Positionssatz, PropertiesStoreExactlyWhatWasSet) {
  TestHost h;
  auto k = h.Komponente();
  std::string lang(5000, 'a');
  lang += "äöü";
  k->InformationProjekt(lang);
  EXPECT_EQ(k->InformationProjekt(), lang);  // no cut in the record
  k->Satznummer(123456);
  EXPECT_EQ(k->Satznummer(), 123456);
  k->FürSummenspeicher2("Falsch");
  EXPECT_EQ(k->FürSummenspeicher2(), "Falsch");
  EXPECT_EQ(k->ImportTyp(), "");  // empty at object start
}

TEST(Positionssatz, AccessByNameChecksNamesAndTypes) {
  Positionssatz s;
  SchreibeEigenschaft(s, "Menge", Variant("12,5"));
  EXPECT_DOUBLE_EQ(s.Menge, 12.5);
  SchreibeEigenschaft(s, "Positionstyp", Variant(std::int32_t{40}));
  EXPECT_EQ(LeseEigenschaft(s, "Positionstyp"), Variant(std::int16_t{40}));
  try {
    SchreibeEigenschaft(s, "Mengee", Variant(1.0));
    FAIL();
  } catch (const Fehler& f) {
    EXPECT_EQ(f.Nummer(), 438);
  }
  EXPECT_THROW(SchreibeEigenschaft(s, "HierarchieEbene", Variant("vier")), Fehler);
  EXPECT_THROW(SchreibeEigenschaft(s, "Nachtrag", Variant(70000.0)), Fehler);
}

}  // namespace
}  // namespace gaeb

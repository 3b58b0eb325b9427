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
  EXPECT_EQ(FindeEigenschaft("FürSummenspeicher2")->typ, Eigenschaftstyp::String);  // a Boolean in words
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
  // Reset values, then the kept properties and the public field.
  const std::pair<const char*, const char*> werte[] = {
      {"Preiseinheit", "1"}, {"KnzVbSb", "0"}, {"FürSummenspeicher1", "Wahr"}, {"Positionsnummer", ""},
      {"Menge", "0"}, {"MitLos", "Falsch"}, {"UhrzeitAngebotsabgabe", ""}, {"UmsatzsteuerProzent", "0"},
      {"Belegtext", ""}, {"Satznummer", "7"}, {"AnzahlLeistungen", "7"}, {"AnzahlPakete", "7"},
      {"AnzahlPaketteile", "7"}, {"GAEBDaVersion", "x"}, {"Währungduplikat", "x"}, {"Bezeichnung", "x"},
      {"ImportTyp", "x"}};
  for (const auto& [name, wert] : werte) EXPECT_EQ(LeseEigenschaft(k->kontext().satz, name).ToString(), wert) << name;
  EXPECT_TRUE(Variant(k->FürSummenspeicher2()).ToBool());
  EXPECT_EQ(k->m_PosNr_Trennzeichen, ".");
  EXPECT_TRUE(h.Meldungen().empty());
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
  std::string lang = std::string(5000, 'a') + "äöü";
  SchreibeEigenschaft(s, "InformationProjekt", Variant(lang));
  EXPECT_EQ(s.InformationProjekt, lang);  // no cut in the record
}

}  // namespace
}  // namespace gaeb

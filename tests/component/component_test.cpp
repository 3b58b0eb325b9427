// The component frame against the real host: life cycle, Parameter_Beleg, the error-reporting convention, the object
// factory, and the position record (its 81 properties, Init_Datenfelder, access by name).
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <tuple>

#include "export/oz.h"
#include "felder.h"
#include "textconv/textkonverter.h"
#include "testhost.h"

namespace gaeb {
namespace {

using test::Scheitert;
using test::TestHost;

TEST(Rahmen, CreationInitAndParameterBeleg) {
  TestHost h;
  {
    clsGaebSQL ohneInit(h.fabrik);  // released without Init: nothing happens
    EXPECT_EQ(ohneInit.ImportTyp(), "");
  }
  auto k = h.Komponente();
  EXPECT_EQ(k->kontext().pConnection, h.db.get());
  EXPECT_EQ(k->kontext().pConnectstring, h.verbindungstext);
  EXPECT_EQ(k->kontext().textkonverter->m_AppExeDir(), GAEB_BIN_DIR);
  EXPECT_TRUE(k->Parameter_Beleg("EUR", "anna", "20261205", "05122026", "", 21.5, 10, 15, 7.5, "AB", true).IstLeer());
  const Dokumentvorgaben& v = k->Dokumentvorgaben_();
  EXPECT_EQ(v.pGL_ÄnderungsdatumMwstjmt, "99999999");  // empty: later than any real date
  EXPECT_EQ(std::tie(v.pGL_Landeswährung, v.pGL_UnserZeichen, v.pGL_Materialzuschlag, v.pGL_Fremdzuschlag),
            std::make_tuple("EUR", "AB", 10.0, 7.5));  // the parameters in their order
  k->Parameter_Beleg("CHF", "bert", "", "", "20200701", 0, 0, 0, 0, "", false);
  EXPECT_EQ(std::tie(v.pGL_ÄnderungsdatumMwstjmt, v.pGL_Landeswährung), std::make_tuple("20200701", "CHF"));
  EXPECT_TRUE(h.Meldungen().empty());
  // The converter's messages go through the message service.
  const std::string verzeichnis = std::string(GAEB_TESTDATA) + "/kein-programm";
  k->Init("", h.verbindungstext, h.db.get(), nullptr, nullptr, verzeichnis);
  Scheitert([&] { k->kontext().textkonverter->RunGtcConverterTest_RTF_GXML("{\\rtf1 x}", "L"); },
            kFehlerBibliothekLaden);
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{"Laden der Datei " + verzeichnis +
                                                    "/gtcConverterV31.so fehlgeschlagen"});
}

TEST(Rahmen, MissingHostClassesAreReportedAtFirstUse) {
  auto leer = std::make_shared<Objektfabrik>();
  leer->Registriere(klassen::Meldungstexte, [] { return std::make_unique<host::MeldungstexteHost>(); });
  leer->Registriere(klassen::Meldungsdienst, [] { return std::make_unique<host::MeldungsdienstHost>(); });
  clsGaebSQL k(leer);  // no document data class: creation still succeeds
  EXPECT_EQ(k.kontext().belegdatenobjekt, nullptr);
  // A procedure that needs it fails inside and does not throw; this one ignores errors by design.
  EXPECT_EQ(Ermittle_OZMaske(k.kontext()), "");
  auto& dienst = dynamic_cast<host::MeldungsdienstHost&>(leer->Dienst<Meldungsdienst>(klassen::Meldungsdienst));
  EXPECT_TRUE(dienst.Meldungen().empty());
  // A procedure with a handler reports 10055 with its own name.
  std::int16_t breite = -1;
  EXPECT_EQ(Feld_String(k.kontext(), "abc", breite), "");
  ASSERT_EQ(dienst.Meldungen().size(), 1u);
  EXPECT_EQ(dienst.Meldungen()[0].text, TestHost::M10055("Feld_String"));
}

// Fehlermeldung: message 10055 with the procedure's name, kind 3 and extra
// 1992; the result set before the error stays; resume next goes on after
// each failing statement.
TEST(Rahmen, ErrorReportAndResumeNext) {
  TestHost h;
  auto k = h.Komponente();
  bool ergebnis = false;
  Geschützt(k->kontext(), "Lese_Beleg", [&] {
    ergebnis = true;
    throw Fehler(kFehlerHost, "weg");
  });
  EXPECT_TRUE(ergebnis);
  Geschützt(k->kontext(), "Übertrage_Position", [&] { throw std::runtime_error("anders"); });
  const host::Meldung& m = h.Meldungsdienst().Meldungen()[0];
  EXPECT_EQ(m.art, 3);
  EXPECT_EQ(m.extra, Variant(std::int32_t{1992}));
  WeiterBeiFehler weiter(k->kontext(), "Speichern_Belegdaten");
  int ausgeführt = 0;
  for (int i = 0; i < 4; ++i)
    weiter([&] {
      if (i % 2) throw Fehler(i, "x");
      ++ausgeführt;
    });
  EXPECT_EQ(ausgeführt, 2);
  EXPECT_EQ(h.Meldungen(), (std::vector<std::string>{"Bei der Verarbeitung ist ein Fehler aufgetreten: Lese_Beleg",
                                                     TestHost::M10055("Übertrage_Position"),
                                                     TestHost::M10055("Speichern_Belegdaten"),
                                                     TestHost::M10055("Speichern_Belegdaten")}));
}

// Services once per thread and factory.
TEST(Objektfabrik, ClassesAndServices) {
  TestHost h, h2;
  auto a = h.fabrik->Erzeuge<Einstellungen>("VRBSetting.VRSettings");
  EXPECT_NE(a.get(), h.fabrik->Erzeuge<Einstellungen>(klassen::Einstellungen.clsid).get());
  Scheitert([&] { h.fabrik->Erzeuge<Einstellungen>("Gibt.EsNicht"); }, 429);
  // The right class, the wrong interface.
  EXPECT_THROW(h.fabrik->Erzeuge<Belegnummern>(klassen::Einstellungen), Fehler);
  auto dienst = [](TestHost& t) { return &t.fabrik->Dienst<Meldungsdienst>(klassen::Meldungsdienst); };
  Meldungsdienst* hier = dienst(h);
  Meldungsdienst* dort = nullptr;
  std::thread([&] { dort = dienst(h); }).join();
  EXPECT_EQ(hier, dienst(h));
  EXPECT_NE(hier, dort);
  EXPECT_NE(hier, dienst(h2));
}

TEST(Positionssatz, PropertiesInInterfaceOrderAndAccessByName) {
  const auto& e = Eigenschaften();
  ASSERT_EQ(e.size(), 81u);
  EXPECT_EQ(std::tie(e.front().name, e[2].name, e.back().name),
            std::make_tuple("MengePaketteil", "Satznummer", "ZA06"));
  EXPECT_EQ(FindeEigenschaft("Satznummer")->typ, Eigenschaftstyp::Long);
  EXPECT_EQ(FindeEigenschaft("FürSummenspeicher2")->typ, Eigenschaftstyp::String);  // a Boolean in words
  EXPECT_EQ(FindeEigenschaft("m_PosNr_Trennzeichen"), nullptr);  // a field, not a property
  Positionssatz s;
  SchreibeEigenschaft(s, "Menge", Variant("12,5"));
  EXPECT_DOUBLE_EQ(s.Menge, 12.5);
  SchreibeEigenschaft(s, "Positionstyp", Variant(std::int32_t{40}));
  EXPECT_EQ(LeseEigenschaft(s, "Positionstyp"), Variant(std::int16_t{40}));
  Scheitert([&] { SchreibeEigenschaft(s, "Mengee", Variant(1.0)); }, 438);
  EXPECT_THROW(SchreibeEigenschaft(s, "HierarchieEbene", Variant("vier")), Fehler);
  EXPECT_THROW(SchreibeEigenschaft(s, "Nachtrag", Variant(70000.0)), Fehler);
  std::string lang = std::string(5000, 'a') + "äöü";
  SchreibeEigenschaft(s, "InformationProjekt", Variant(lang));
  EXPECT_EQ(s.InformationProjekt, lang);  // no cut in the record
}

TEST(Positionssatz, InitDatenfelderResetsAllButEight) {
  TestHost h;
  auto k = h.Komponente();
  Positionssatz& satz = k->kontext().satz;
  // Give every property a value that differs from its reset value.
  for (const Eigenschaft& e : Eigenschaften()) {
    Variant wert = e.typ == Eigenschaftstyp::String    ? Variant("x")
                   : e.typ == Eigenschaftstyp::Boolean ? Variant(!LeseEigenschaft(satz, e.name).ToBool())
                                                       : Variant(7.0);
    SchreibeEigenschaft(satz, e.name, wert);
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
  for (const auto& [name, wert] : werte) EXPECT_EQ(LeseEigenschaft(satz, name).ToString(), wert) << name;
  EXPECT_TRUE(Variant(k->FürSummenspeicher2()).ToBool());
  EXPECT_EQ(k->m_PosNr_Trennzeichen, ".");
  EXPECT_EQ(std::count_if(Eigenschaften().begin(), Eigenschaften().end(), [](auto& x) { return !x.zurückgesetzt; }), 8);
  EXPECT_TRUE(h.Meldungen().empty());
}

}  // namespace
}  // namespace gaeb

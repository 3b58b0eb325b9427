// The component frame: life cycle, Parameter_Beleg, the error-reporting
// convention and the object factory, against the real host.
#include <gtest/gtest.h>

#include <thread>

#include "base/fehler.h"
#include "export/oz.h"
#include "textconv/textkonverter.h"
#include "testhost.h"

namespace gaeb {
namespace {

using test::TestHost;

TEST(Rahmen, ParameterBelegKeepsDefaultsAndReturnsEmpty) {
  TestHost h;
  clsGaebSQL k(h.fabrik);
  Variant r = k.Parameter_Beleg("EUR", "anna", "20261205", "05122026", "", 21.5, 10, 15, 7.5, "AB", true);
  EXPECT_TRUE(r.IstLeer());
  const Dokumentvorgaben& v = k.Dokumentvorgaben_();
  EXPECT_EQ(v.pGL_ÄnderungsdatumMwstjmt, "99999999");
  EXPECT_EQ(v.pGL_Landeswährung, "EUR");
  EXPECT_EQ(v.pGL_BenutzerID, "anna");
  EXPECT_EQ(v.pGL_jmtVerarbeitungsdatum, "20261205");
  EXPECT_EQ(v.pGL_tmjVerarbeitungsdatum, "05122026");
  EXPECT_DOUBLE_EQ(v.pGL_Mittellohn, 21.5);
  EXPECT_DOUBLE_EQ(v.pGL_Fremdzuschlag, 7.5);
  EXPECT_EQ(v.pGL_UnserZeichen, "AB");
  EXPECT_TRUE(v.pGL_MitRaumAufmass);

  k.Parameter_Beleg("CHF", "bert", "", "", "20200701", 0, 0, 0, 0, "", false);
  EXPECT_EQ(k.Dokumentvorgaben_().pGL_ÄnderungsdatumMwstjmt, "20200701");
  EXPECT_EQ(k.Dokumentvorgaben_().pGL_Landeswährung, "CHF");
  EXPECT_FALSE(k.Dokumentvorgaben_().pGL_MitRaumAufmass);
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST(Rahmen, CreationReleaseAndInit) {
  TestHost h;
  {
    clsGaebSQL ohneInit(h.fabrik);  // released without Init: nothing happens
    EXPECT_EQ(ohneInit.ImportTyp(), "");
  }
  auto k = h.Komponente();
  EXPECT_EQ(k->kontext().pConnection, h.db.get());
  EXPECT_EQ(k->kontext().pConnectstring, h.verbindungstext);
  ASSERT_NE(k->kontext().textkonverter, nullptr);
  EXPECT_EQ(k->kontext().textkonverter->m_AppExeDir(), GAEB_BIN_DIR);
  ASSERT_NE(k->kontext().belegdatenobjekt, nullptr);
  ASSERT_NE(k->kontext().belegnummernobjekt, nullptr);
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST(Rahmen, ConverterMessagesGoThroughTheMessageService) {
  TestHost h;
  auto k = h.Komponente();
  const std::string verzeichnis = std::string(GAEB_TESTDATA) + "/kein-programm";
  k->Init("", h.verbindungstext, h.db.get(), nullptr, nullptr, verzeichnis);
  try {
    k->kontext().textkonverter->RunGtcConverterTest_RTF_GXML("{\\rtf1 x}", "L");
    FAIL() << "without its library the conversion must fail";
  } catch (const Fehler& f) {
    EXPECT_EQ(f.Nummer(), kFehlerBibliothekLaden);
  }
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
  std::string maske = Ermittle_OZMaske(k.kontext());
  EXPECT_EQ(maske, "");
  auto& dienst = dynamic_cast<host::MeldungsdienstHost&>(leer->Dienst<Meldungsdienst>(klassen::Meldungsdienst));
  EXPECT_TRUE(dienst.Meldungen().empty());
  // A procedure with a handler reports 10055 with its own name.
  std::int16_t breite = -1;
  EXPECT_EQ(Feld_String(k.kontext(), "abc", breite), "");
  ASSERT_EQ(dienst.Meldungen().size(), 1u);
  EXPECT_EQ(dienst.Meldungen()[0].text, TestHost::M10055("Feld_String"));
}

TEST(Rahmen, ErrorReportShowsProcedureNameAndKeepsResult) {
  TestHost h;
  auto k = h.Komponente();
  bool ergebnis = false;
  Geschützt(k->kontext(), "Lese_Beleg", [&] {
    ergebnis = true;
    throw Fehler(kFehlerHost, "weg");
  });
  EXPECT_TRUE(ergebnis);  // set before the error: stays
  Geschützt(k->kontext(), "Übertrage_Position", [&] { throw std::runtime_error("anders"); });
  ASSERT_EQ(h.Meldungsdienst().Meldungen().size(), 2u);
  const host::Meldung& m = h.Meldungsdienst().Meldungen()[0];
  EXPECT_EQ(m.text, "Bei der Verarbeitung ist ein Fehler aufgetreten: Lese_Beleg");
  EXPECT_EQ(m.art, 3);
  EXPECT_EQ(m.extra, Variant(std::int32_t{1992}));
  EXPECT_EQ(h.Meldungen()[1], TestHost::M10055("Übertrage_Position"));
}

TEST(Rahmen, ResumeNextReportsEachFailingStatementAndGoesOn) {
  TestHost h;
  auto k = h.Komponente();
  WeiterBeiFehler weiter(k->kontext(), "Speichern_Belegdaten");
  int ausgeführt = 0;
  weiter([&] { ++ausgeführt; });
  weiter([&] { throw Fehler(1, "x"); });
  weiter([&] { ++ausgeführt; });
  weiter([&] { throw Fehler(2, "y"); });
  EXPECT_EQ(ausgeführt, 2);
  EXPECT_EQ(h.Meldungen(), (std::vector<std::string>{TestHost::M10055("Speichern_Belegdaten"),
                                                     TestHost::M10055("Speichern_Belegdaten")}));
}

TEST(Objektfabrik, CreatesByProgIdAndClassIdentity) {
  TestHost h;
  auto a = h.fabrik->Erzeuge<Einstellungen>("VRBSetting.VRSettings");
  auto b = h.fabrik->Erzeuge<Einstellungen>(klassen::Einstellungen.clsid);
  EXPECT_NE(a.get(), b.get());
  try {
    h.fabrik->Erzeuge<Einstellungen>("Gibt.EsNicht");
    FAIL() << "unknown class created";
  } catch (const Fehler& f) {
    EXPECT_EQ(f.Nummer(), 429);
  }
  // The right class, the wrong interface.
  EXPECT_THROW(h.fabrik->Erzeuge<Belegnummern>(klassen::Einstellungen), Fehler);
}

TEST(Objektfabrik, ServicesAreKeptOncePerThread) {
  TestHost h;
  Meldungsdienst* hier1 = &h.fabrik->Dienst<Meldungsdienst>(klassen::Meldungsdienst);
  Meldungsdienst* hier2 = &h.fabrik->Dienst<Meldungsdienst>(klassen::Meldungsdienst);
  Meldungsdienst* dort = nullptr;
  std::thread t([&] { dort = &h.fabrik->Dienst<Meldungsdienst>(klassen::Meldungsdienst); });
  t.join();
  EXPECT_EQ(hier1, hier2);
  EXPECT_NE(hier1, dort);
  // Another factory has services of its own.
  TestHost h2;
  EXPECT_NE(hier1, &h2.fabrik->Dienst<Meldungsdienst>(klassen::Meldungsdienst));
}

}  // namespace
}  // namespace gaeb

// The component frame: life cycle, Parameter_Beleg, the error-reporting
// convention and the object factory, against the real host.
#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "base/fehler.h"
#include "export/oz.h"
#include "textconv/textkonverter.h"
#include "testhost.h"

namespace gaeb {
namespace {

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
  EXPECT_EQ(v.pGL_ÄnderungsdatumMwstjmt, "20200701");
  EXPECT_EQ(v.pGL_Landeswährung, "CHF");
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

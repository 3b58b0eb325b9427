// Document numbers, locks, Init_BelegVorlauf and the project check.
#include <gtest/gtest.h>

#include "importhelfer.h"

namespace gaeb {
namespace {

using namespace test;

void Stub(TestHost& h, std::int16_t art, std::int32_t nr) {
  host::Dokument d;
  d.belegart = art;
  d.belegnummer = nr;
  h.db->Beginne();
  host::SpeichereDokument(*h.db, d);
  h.db->Bestätige();
}

TEST(Belegnummern, LockSkipsTakenNumbersOfTheSameTypeOnly) {
  TestHost h;
  h.db->Ausführen("INSERT INTO Nummernkreise VALUES (1, 0, 1000)");
  Stub(h, 1, 1000);
  Stub(h, 1, 1001);
  Stub(h, 2, 1002);  // another type: does not count as taken
  auto k = h.Komponente();
  k->Init_BelegVorlauf(1, "");
  EXPECT_EQ(k->Ermittle_Belegnummer(1), 1000);  // the range's number, nothing checked or reserved
  EXPECT_EQ(k->Ermittle_Belegnummer(1), 1000);
  EXPECT_EQ(k->Sperren_Belegnummer(1), 1002);
  EXPECT_EQ(host::Sperrinhaber(*h.db, 1, 1002), dynamic_cast<host::BelegdatenHost&>(
                                                    dynamic_cast<StörBelegdaten&>(k->kontext().Beleg()).Ziel())
                                                    .Inhaber());
  // The number is reserved: the range hands out the next one.
  EXPECT_EQ(k->Ermittle_Belegnummer(1), 1003);
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST(Belegnummern, PerUserRangeIsKeptForTheHeader) {
  TestHost h;
  host::SchreibeEinstellung(*h.db, "Standard", "Belegnummern", "ProBenutzer", "Wahr");
  h.db->Ausführen("INSERT INTO Benutzernummernkreise VALUES ('tester', 1, 7)");
  h.db->Ausführen("INSERT INTO Nummernkreise VALUES (1, 7, 7000)");
  auto k = h.Komponente();
  k->Init_BelegVorlauf(1, "");
  EXPECT_EQ(k->Sperren_Belegnummer(1), 7000);
  EXPECT_EQ(k->kontext().nummernkreis, 7);
}

TEST(Belegnummern, LockHeldByAnotherWorkstationFails) {
  TestHost h;
  h.db->Ausführen("INSERT INTO Nummernkreise VALUES (1, 0, 50)");
  h.db->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 50, 'jemand@anderswo:1')");
  auto k = h.Komponente();
  k->Init_BelegVorlauf(1, "");
  EXPECT_EQ(k->Sperren_Belegnummer(1), 0);
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{"Beleg konnte nicht gesperrt werden"});
  // The reservation stays: the next attempt draws the next number.
  EXPECT_EQ(k->Sperren_Belegnummer(1), 51);
}

TEST(Belegnummern, FailuresReportTheirProcedure) {
  TestHost h;
  clsGaebSQL ohneInit(h.fabrik);  // no connection: the first host call fails
  EXPECT_EQ(ohneInit.Sperren_Belegnummer(1), 0);
  EXPECT_EQ(ohneInit.Ermittle_Belegnummer(1), 0);
  EXPECT_EQ(h.Meldungen(), (std::vector<std::string>{TestHost::M10055("Speichern_Belegnummer"),
                                                     TestHost::M10055("Ermittle_Belegnummer")}));
}

TEST(Vorlauf, InitBelegVorlaufAndProjectCheck) {
  TestHost h;
  Projekt(h, "P'1");
  Projekt(h, "1000");
  auto k = h.Komponente();
  k->kontext().hierarchiezeilen = {3, 4, 5};
  EXPECT_EQ(k->Init_BelegVorlauf(99, "irgendwas"), Variant(true));
  EXPECT_EQ(k->kontext().hierarchiezeilen, (std::array<std::int32_t, 3>{-1, -1, -1}));
  EXPECT_TRUE(k->Default_ProjektMappe("1000"));
  EXPECT_TRUE(k->Default_ProjektMappe("P'1"));  // the apostrophe neither breaks nor changes the statement
  EXPECT_FALSE(k->Default_ProjektMappe("x' OR '1'='1"));
  EXPECT_FALSE(k->Default_ProjektMappe(""));
  EXPECT_FALSE(k->Default_ProjektMappe("2000"));
  clsGaebSQL ohneInit(h.fabrik);
  EXPECT_FALSE(ohneInit.Default_ProjektMappe("1000"));
  EXPECT_TRUE(h.Meldungen().empty());
}

}  // namespace
}  // namespace gaeb

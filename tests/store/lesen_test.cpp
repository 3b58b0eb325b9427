// Lese_Beleg and the currency check.
#include <gtest/gtest.h>

#include "importhelfer.h"

namespace gaeb {
namespace {

using namespace test;

void Speichere(TestHost& h, std::int16_t art, std::int32_t nr, const std::function<void(host::Satz&)>& kopf) {
  host::Dokument d;
  d.belegart = art;
  d.belegnummer = nr;
  kopf(d.kopf);
  h.db->Beginne();
  host::SpeichereDokument(*h.db, d);
  h.db->Bestätige();
}

TEST(LeseBeleg, CorrectsTheTypeAndCopiesTenHeaderValues) {
  TestHost h;
  Speichere(h, 3, 4711, [](host::Satz& k) {
    k.SetzeFeld("InformationProjekt", "Info");
    k.SetzeFeld("Projektnummer", "P1");
    k.SetzeFeld("DateiUrsprung", "Datei");
    k.SetzeFeld("BezeichnungLV", "Rohbau");
    k.SetzeFeld("InformationAG", "AG");
    k.SetzeFeld("Dateiname", "lv.d83");
    k.SetzeFeld("Datenphase", std::int16_t{83});
    k.SetzeFeld("MitLos", true);
    k.SetzeFeld("Währungduplikat", "EUR");
    k.SetzeFeld("GAEBDaVersion", "3.1");
  });
  auto k = h.Komponente();
  k->Positionsnummer("alt");
  std::int16_t art = 1;
  EXPECT_TRUE(k->Lese_Beleg(art, 4711));
  EXPECT_EQ(art, 3);
  EXPECT_EQ(k->Positionsnummer(), "");  // the record was reset
  EXPECT_EQ(k->InformationProjekt(), "Info");
  EXPECT_EQ(k->Projektnummer(), "P1");
  EXPECT_EQ(k->DateiUrsprung(), "Datei");
  EXPECT_EQ(k->BezeichnungLV(), "Rohbau");
  EXPECT_EQ(k->InformationAG(), "AG");
  EXPECT_EQ(k->Dateiname(), "lv.d83");
  EXPECT_EQ(k->Datenphase(), 83);
  EXPECT_TRUE(k->MitLos());
  EXPECT_EQ(k->Währungduplikat(), "EUR");
  EXPECT_EQ(k->GAEBDaVersion(), "3.1");
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST(LeseBeleg, MissingDocumentAndDocumentEditedElsewhere) {
  TestHost h;
  Speichere(h, 1, 5, [](host::Satz&) {});
  auto k = h.Komponente();
  std::int16_t art = 1;
  EXPECT_FALSE(k->Lese_Beleg(art, 6));
  EXPECT_EQ(art, 0);
  EXPECT_TRUE(h.Meldungen().empty());
  h.db->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 5, 'bert@anderswo:9')");
  art = 1;
  EXPECT_FALSE(k->Lese_Beleg(art, 5));
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{"Beleg 5 ist bereits in Bearbeitung"});
}

TEST(LeseBeleg, ErrorAfterTheResultWasSetKeepsTrue) {
  TestHost h;
  Speichere(h, 1, 5, [](host::Satz&) {});
  auto k = h.Komponente();
  h.störung->Störe("LeseKopf");
  std::int16_t art = 1;
  EXPECT_TRUE(k->Lese_Beleg(art, 5));
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("Lese_Beleg")});
}

TEST(LeseBeleg, UnreadableHeaderShowsMessage13049) {
  TestHost h;
  Speichere(h, 1, 5, [](host::Satz&) {});
  auto k = h.Komponente();
  h.störung->nein = "LeseKopf";  // the host finds the number but cannot read the header
  std::int16_t art = 0;
  EXPECT_TRUE(k->Lese_Beleg(art, 5));  // the result set before stays
  EXPECT_EQ(art, 1);
  ASSERT_EQ(h.Meldungsdienst().Meldungen().size(), 1u);
  const host::Meldung& m = h.Meldungsdienst().Meldungen()[0];
  EXPECT_EQ(m.text, "Beleg 5 konnte nicht gelesen werden.");
  EXPECT_EQ(m.art, 3);
  EXPECT_TRUE(m.extra.IstLeer());  // the extra value omitted
}

TEST(PruefenAusgabeWaehrung, AnswersByTheDocumentsCurrency) {
  TestHost h;
  Speichere(h, 1, 1, [](host::Satz& k) { k.SetzeFeld("Währung", "EUR"); });
  Speichere(h, 1, 2, [](host::Satz& k) {
    k.SetzeFeld("Währung", "CHF");
    k.SetzeFeld("Währungskurs", 0.0);
  });
  auto k = h.Komponente();
  std::int16_t art = 1;
  k->Lese_Beleg(art, 1);  // opens the document data object
  EXPECT_TRUE(k->PrüfenAusgabeWährung(1, 1, true));
  EXPECT_TRUE(k->PrüfenAusgabeWährung(1, 2, false));
  EXPECT_FALSE(k->PrüfenAusgabeWährung(1, 2, true));
  EXPECT_TRUE(k->PrüfenAusgabeWährung(1, 99, true));  // a header that cannot be read: True
  EXPECT_TRUE(h.Meldungen().empty());
}

}  // namespace
}  // namespace gaeb

// Lese_Beleg and the currency check.
#include <gtest/gtest.h>

#include "importhelfer.h"

namespace gaeb {
namespace {

using namespace test;
using LeseBeleg = AufBeiden;

void Speichere(TestHost& h, std::int16_t art, std::int32_t nr, const std::function<void(host::Satz&)>& kopf) {
  host::Dokument d;
  d.belegart = art; d.belegnummer = nr;
  kopf(d.kopf);
  h.Speichere(d);
}

TEST_P(LeseBeleg, CorrectsTheTypeAndCopiesTenHeaderValues) {
  TestHost h(GetParam());
  const std::pair<const char*, Variant> werte[] = {
      {"InformationProjekt", Variant("Info")}, {"Projektnummer", Variant("P1")},
      {"DateiUrsprung", Variant("Datei")},     {"BezeichnungLV", Variant("Rohbau")},
      {"InformationAG", Variant("AG")},        {"Dateiname", Variant("lv.d83")},
      {"Datenphase", Variant(std::int16_t{83})}, {"MitLos", Variant(true)},
      {"Währungduplikat", Variant("EUR")},     {"GAEBDaVersion", Variant("3.1")}};
  Speichere(h, 3, 4711, [&](host::Satz& k) {
    for (const auto& [name, wert] : werte) k.SetzeFeld(name, wert);
  });
  auto k = h.Komponente();
  k->Positionsnummer("alt");
  std::int16_t art = 1;
  EXPECT_TRUE(k->Lese_Beleg(art, 4711));
  EXPECT_EQ(art, 3);
  EXPECT_EQ(k->Positionsnummer(), "");  // the record was reset
  for (const auto& [name, wert] : werte) EXPECT_EQ(LeseEigenschaft(k->kontext().satz, name), wert) << name;
  EXPECT_TRUE(h.Meldungen().empty());
}

// The host finds the number but fails (or refuses) to read the header: the
// result set before stays True, after message 10055 or 13049. A missing
// document and one edited elsewhere answer False.
TEST_P(LeseBeleg, ErrorsAfterTheResultWasSetKeepTrueMissingOrLockedFalse) {
  TestHost h(GetParam());
  Speichere(h, 1, 5, [](host::Satz&) {});
  auto k = h.Komponente();
  h.störung->Störe("LeseKopf");
  std::int16_t art = 1;
  EXPECT_TRUE(k->Lese_Beleg(art, 5));
  h.störung->nein = "LeseKopf";
  art = 0;
  EXPECT_TRUE(k->Lese_Beleg(art, 5));
  EXPECT_EQ(art, 1);
  EXPECT_EQ(h.Meldungen(),
            (std::vector<std::string>{TestHost::M10055("Lese_Beleg"), "Beleg 5 konnte nicht gelesen werden."}));
  const host::Meldung& m = h.Meldungsdienst().Meldungen()[1];
  EXPECT_EQ(m.art, 3);
  EXPECT_TRUE(m.extra.IstLeer());  // the extra value omitted
  h.störung->nein.clear();
  h.Meldungsdienst().Leeren();
  art = 1;
  EXPECT_FALSE(k->Lese_Beleg(art, 6));
  EXPECT_EQ(art, 0);
  EXPECT_TRUE(h.Meldungen().empty());
  h.db->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 5, 'bert@anderswo:9')");
  art = 1;
  EXPECT_FALSE(k->Lese_Beleg(art, 5));
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{"Beleg 5 ist bereits in Bearbeitung"});
}

TEST_P(LeseBeleg, PruefenAusgabeWaehrungAnswersByTheDocumentsCurrency) {
  TestHost h(GetParam());
  Speichere(h, 1, 1, [](host::Satz& k) { k.SetzeFeld("Währung", "EUR"); });
  Speichere(h, 1, 2, [](host::Satz& k) { k.SetzeFeld("Währung", "CHF"); k.SetzeFeld("Währungskurs", 0.0); });
  auto k = h.Komponente();
  std::int16_t art = 1;
  k->Lese_Beleg(art, 1);  // opens the document data object
  EXPECT_TRUE(k->PrüfenAusgabeWährung(1, 1, true));
  EXPECT_TRUE(k->PrüfenAusgabeWährung(1, 2, false));
  EXPECT_FALSE(k->PrüfenAusgabeWährung(1, 2, true));
  EXPECT_TRUE(k->PrüfenAusgabeWährung(1, 99, true));  // a header that cannot be read: True
  EXPECT_TRUE(h.Meldungen().empty());
}

GAEB_AUF_BEIDEN(LeseBeleg);

}  // namespace
}  // namespace gaeb

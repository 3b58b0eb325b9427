// GAEB 90 export driver: the answers to a locked document, a wrong currency
// (also for the quantity calculations), progress with cancel and yield, the unlock, the
// options, and a failing host call at every possible point of an export.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "gaeb90/export.h"
#include "lv90.h"

namespace gaeb {
namespace {

using test::Datei90;
using test::Leer;
using test::LV90;
using test::Sp;
using test::TestHost;
using test::Zuhörer;
class Ablauf90 : public test::Export90 {};

long Sperren(TestHost& h) { return h.db->Abfrage("SELECT * FROM Belegsperren").zeilen.size(); }

LV90 PositionenLV(int anzahl) {
  LV90 lv;
  for (int i = 1; i <= anzahl; ++i)
    lv.Position(40, {{"Positionsnummer", "01." + std::to_string(1000 + i * 10).substr(0, 4)},
                     {"Menge", 1.0}, {"Einzelpreis", 1.0 * i}});
  return lv;
}

TEST_F(Ablauf90, RefusedExportsWriteNothingAndLeaveNoLock) {
  PositionenLV(2).Speichere(*h.db);
  LV90(1, 6).Position(40, {{"Positionsnummer", "01.0010"}}).Speichere(*h.db);
  LV90 dollar(1, 7);
  dollar.Kopf({{"Währung", "USD"}, {"Währungskurs", 0.0}}).Position(40, {{"Positionsnummer", "01.0010"}});
  dollar.Speichere(*h.db);
  h.db->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 5, 'jemand@anderswo:1')");
  // Twice each: a refused document is not left locked by the first answer.
  const struct {
    std::int32_t nr;
    std::int16_t dp;
    std::string meldung;
  } fälle[] = {{5, 83, "Beleg konnte nicht gesperrt werden"},  // held by another workstation
               {77, 83, "Beleg konnte nicht gesperrt werden"},  // no such document
               {7, 83, "Der Beleg ist nicht in der entsprechenden Währung erfasst. "},
               {5, 11, "Beleg konnte nicht gesperrt werden"}, {7, 12, "Der Beleg ist nicht in der entsprechenden Währung erfasst. "}};
  for (int versuch = 0; versuch < 2; ++versuch) {
    for (const auto& f : fälle) {
      h.Meldungsdienst().Leeren();
      Datei90 d = test::Exportiere(*k, f.dp, {}, f.nr);
      EXPECT_FALSE(d.ergebnis) << f.meldung;
      EXPECT_FALSE(d.vorhanden) << f.meldung;
      EXPECT_EQ(h.Meldungen(), std::vector<std::string>{f.meldung});
      EXPECT_EQ(Sperren(h), 1);  // only the other workstation's lock
    }
  }
}

TEST_F(Ablauf90, HomeCurrencyOutputConvertsTheAmounts) {
  test::PrüfeFelder(Lauf(LV90()
                              .Kopf({{"Währung", "CHF"}, {"Währungskurs", 1.5}})
                              .Position(40, {{"Positionsnummer", "01.0010"}, {"Menge", 2.0}, {"Einzelpreis", 10.0}})),
                    {{"08", 0, 3, 8, "CHF   "}, {"23", 0, 12, 36, " 0000001000  000000002000"}});
  Ausgabeoptionen o = test::MitPreisen();
  o.AusgabeLandeswährung = true;
  test::PrüfeFelder(test::Exportiere(*k, 83, o),
                    {{"08", 0, 3, 8, "EUR   "}, {"23", 0, 12, 36, " 0000001500  000000003000"}});
}

TEST_F(Ablauf90, ProgressEveryTenthPositionWithYieldCancelAndUnlock) {
  Zuhörer z;
  k->Verbinde(&z);
  long gesperrtWährend = -1;
  z.beiFortschritt = [&] { gesperrtWährend = Sperren(h); };
  Datei90 d = Lauf(PositionenLV(25), 83, {});
  ASSERT_TRUE(d.ergebnis);
  // Last position index 24 + last closing-row index 0 (the totals row) + 10.
  EXPECT_EQ(z.maxima, std::vector<std::int32_t>{34});
  EXPECT_EQ(z.fortschritte, 3);  // after the 1st, 11th and 21st position
  EXPECT_EQ(z.schritte, 30);
  EXPECT_EQ(z.yields, 3);
  EXPECT_EQ(gesperrtWährend, 1);
  EXPECT_EQ(Sperren(h), 0);
  EXPECT_EQ(d.Sätze("21").size(), 25u);
  EXPECT_EQ(k->AnzahlLeistungen(), 25);
  EXPECT_TRUE(h.Meldungen().empty());

  // A cancel at the first event leaves header and first position; at the
  // second it stops before the 12th position.
  for (int bei : {1, 2}) {
    Zuhörer abbruch;
    abbruch.abbrechenBei = bei;
    k->Verbinde(&abbruch);
    Datei90 c = test::Exportiere(*k, 83, test::MitPreisen());
    EXPECT_FALSE(c.ergebnis);
    test::PrüfeZeilenformat(c);
    EXPECT_EQ(c.Sätze("21").size(), bei == 1 ? 1u : 11u);
    EXPECT_EQ(c.Sätze("99").size(), 0u);
    EXPECT_EQ(abbruch.yields, bei - 1);
    EXPECT_EQ(static_cast<std::size_t>(k->Satznummer()), c.zeilen.size());
    EXPECT_EQ(Sperren(h), 0);
  }
  EXPECT_TRUE(h.Meldungen().empty());
  k->Verbinde(nullptr);

  // An unlock that fails is reported; the file still counts.
  Zuhörer entsperrt;
  entsperrt.beiFortschritt = [&] { h.db->Ausführen("DELETE FROM Belegsperren"); };
  k->Verbinde(&entsperrt);
  Datei90 e = test::Exportiere(*k, 83);
  EXPECT_TRUE(e.ergebnis);
  EXPECT_TRUE(k->AusgabeVollständig());
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("Entsperre Beleg: 5")});
  EXPECT_EQ(e.Arten().back(), "99");
  k->Verbinde(nullptr);

  // A target that cannot be written: the error comes after the lock, so the
  // result set at that point stays; the file is not complete.
  h.Meldungsdienst().Leeren();
  const std::string ziel = (test::Testordner() / "fehlt" / "lv.d83").string();
  EXPECT_TRUE(k->Ausgabe_BelegdatenDA90(1, 5, ziel, 83));
  EXPECT_FALSE(k->AusgabeVollständig());
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("Ausgabe_BelegdatenDA90")});
  EXPECT_FALSE(std::filesystem::exists(ziel));
  EXPECT_EQ(Sperren(h), 0);
}

TEST_F(Ablauf90, BillOfOnlyPreambleTextsHasNoHeader) {
  Datei90 d = Lauf(LV90()
                       .Position(50, {{"Langtext", "Erste Vorbemerkung"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}})
                       .Position(50, {{"Langtext", "Zweite"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}}));
  ASSERT_TRUE(d.ergebnis);
  test::PrüfeZeilenformat(d);
  EXPECT_EQ(d.Arten(), (std::vector<std::string>{"T0", "T1", "T9", "T0", "T1", "T9", "99", "99"}));
  EXPECT_EQ(Sp(d.zeilen[4], 1, 74), "T1Zweite" + Leer(66));
}

// Every call of the document data object fails once, one export after the
// other: the export never throws, reports only through its procedures'
// names, writes only whole numbered lines and never leaves the document
// locked; the run without fault writes the whole bill.
TEST_F(Ablauf90, FailingHostCallAtEveryPoint) {
  LV90()
      .Kopf({{"Komponente", "30 Zeit          Material      Lohn          "}, {"ZA06", "sechs"}})
      .Position(50, {{"Langtext", "Vorbemerkung"}, {"Langtextdruck", true}, {"KnzVbSb", "1"}})
      .Position(20, {{"Positionsnummer", "1"}, {"Kurztext1", "Rohbau"}})
      .Position(21, {{"Positionsnummer", "1.1"}, {"Kurztext1", "Erdarbeiten"}})
      .Position(40, {{"Positionsnummer", "1.1.0010"}, {"Menge", 2.0}, {"Einzelpreis", 3.0},
                     {"KnzGaeb", std::int16_t{10}}, {"Langtext", "Zeile\r\nZeile"}})
      .Position(45, {{"Positionsnummer", "1.1.0020"}, {"Menge", 1.0}})
      .Position(47, {{"Menge", 1.0}, {"Einzelpreis", 5.0}})
      .Position(50, {{"Langtext", "Hinweis"}})
      .Position(70, {{"Positionsnummer", "1.1.0030"}, {"WelcherBetragZuAbschlag", std::int16_t{2}},
                     {"AufAbschlagProzent", 2.0}})
      .Position(80, {{"Positionsnummer", "1.1.0040"}, {"WelcherBetragZuAbschlag", std::int16_t{0}},
                     {"AufAbschlagProzent", 1.0}})
      .Schlusszeile(140, {{"Langtext", "Schluss"}})
      .Speichere(*h.db);

  std::set<std::string> erlaubt;
  for (const char* name :
       {"Ausgabe_BelegdatenDA90", "Ausgabe_ZA00_ZA08", "Ausgabe_ZA00",  "Ausgabe_ZA01", "Ausgabe_ZA02",  "Ausgabe_ZA03",
        "Ausgabe_ZA04",           "Ausgabe_ZA06",      "Ausgabe_ZA07",  "Ausgabe_ZA08", "Ausgabe_ZA10",  "Ausgabe_ZA11",
        "Ausgabe_ZA12",           "Ausgabe_ZA21",      "Ausgabe_ZA22",  "Ausgabe_ZA23", "Ausgabe_ZA23Z", "Ausgabe_ZA24",
        "Ausgabe_ZA25",           "Ausgabe_ZA26L",     "Ausgabe_ZA26H", "Ausgabe_ZAT1", "Ausgabe_ZA30",  "Ausgabe_ZA31",
        "Ausgabe_ZA32",           "Ausgabe_ZA33",      "Ausgabe_ZA99"})
    erlaubt.insert(TestHost::M10055(name));

  std::size_t vollständig = 0;
  long n = 1;
  for (;; ++n) {
    ASSERT_LT(n, 10000) << "the faults never stop";
    h.störung->aufrufe = 0;
    h.störung->failAt = n;
    h.Meldungsdienst().Leeren();
    Datei90 d = test::Exportiere(*k, 85, test::MitPreisen());
    const bool gestört = h.störung->aufrufe >= n;
    for (std::size_t i = 0; i < d.zeilen.size(); ++i) {
      ASSERT_EQ(d.zeilen[i].size(), 80u) << "fault " << n << ", line " << i + 1;
      ASSERT_EQ(std::stoul(Sp(d.zeilen[i], 75, 80)), i + 1) << "fault " << n;
    }
    for (const std::string& m : h.Meldungen()) EXPECT_TRUE(erlaubt.count(m) == 1) << "fault " << n << ": " << m;
    ASSERT_EQ(Sperren(h), 0) << "fault " << n;
    if (!gestört) {
      EXPECT_TRUE(d.ergebnis);
      EXPECT_TRUE(h.Meldungen().empty());
      vollständig = d.zeilen.size();
      break;
    }
  }
  h.störung->failAt = 0;
  EXPECT_GT(n, 100);  // the export made that many calls of the document data object
  EXPECT_GT(vollständig, 30u);
}

}  // namespace
}  // namespace gaeb

// The row-by-row import: dispatch, failure messages with their exact texts,
// resume next after failing host calls, and nothing saved before the end row.
#include <gtest/gtest.h>

#include "importhelfer.h"

namespace gaeb {
namespace {

using namespace test;

TEST_P(Import, CompleteBillIsSavedAndUnlockedOnlyAtTheEndRow) {
  ASSERT_TRUE(Kopf(*k, nr));
  EXPECT_EQ(k->KundenNummer(), "K-77");  // replaced by the project's customer
  ASSERT_TRUE(Struktur(*k, nr, 1, "01"));
  ASSERT_TRUE(Struktur(*k, nr, 2, "01.01"));
  ASSERT_TRUE(Position(*k, nr, "01.01.0010", 12.5, 40));
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) { c.Positionstyp(45); c.Positionsnummer("01.01.0020"); c.Menge(2); }));
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(Zeile(*k, nr, [&](clsGaebSQL& c) {
      c.Positionstyp(47); c.Positionsnummer("01.01.0020"); c.MengePaketteil(i); c.Einzelpreis(10);
    }));
  }
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) { c.Positionstyp(50); c.KnzVbSb("1"); c.Langtext("Vorbemerkung"); }));
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) { c.Positionstyp(140); c.Langtext("Schlussbemerkung"); }));
  // Nothing reaches the database before the end row; the lock is in place.
  EXPECT_EQ(Gespeicherte(), 0);
  EXPECT_FALSE(host::Sperrinhaber(*h.db, 1, nr).empty());
  ASSERT_TRUE(Ende(*k, nr));
  EXPECT_TRUE(h.Meldungen().empty()) << h.Meldungen().front();
  EXPECT_TRUE(host::Sperrinhaber(*h.db, 1, nr).empty());
  host::Dokument d = Gespeichert(h, 1, nr);
  PrüfeFelder(Text({d.kopf}), {{0, "Projektnummer=P1 | KundenNummer=K-77"}});
  ASSERT_EQ(d.positionen.size(), 8u);
  // the package head's price from its three parts
  PrüfeFelder(Text(d.positionen), {{0, "Positionstyp=20"}, {1, "Positionstyp=21"}, {2, "Gesamtpreis=500"},
                                   {3, "Einzelpreis=60 | Gesamtpreis=120"}, {7, "Textschlüssel=1"}});
  ASSERT_EQ(d.schlusszeilen.size(), 2u);  // the totals row and the closing text
  PrüfeFelder(Text(d.schlusszeilen), {{0, "Summe=620"}, {1, "Langtext=Schlussbemerkung"}});
}

// A header without or with an unknown project fails; rows that store nothing answer True.
TEST_P(Import, HeaderWithoutOrWithUnknownProjectFailsRowsWithoutContentAnswerTrue) {
  EXPECT_FALSE(Kopf(*k, nr, ""));
  EXPECT_FALSE(Kopf(*k, nr, "P9"));
  std::string m = "Neuer Beleg:" + std::to_string(nr);
  EXPECT_EQ(h.Meldungen(), (std::vector<std::string>{TestHost::M10055(m), TestHost::M10055(m)}));
  h.Meldungsdienst().Leeren();
  ASSERT_TRUE(Kopf(*k, nr));
  EXPECT_TRUE(Typ(40, "", 0));
  EXPECT_TRUE(Typ(40, "", 5));
  EXPECT_TRUE(Typ(30));
  EXPECT_EQ(k->kontext().Beleg().LetzterPositionsindex(), -1);
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST_P(Import, RefusedInsertsShowTheirMessages) {
  ASSERT_TRUE(Kopf(*k, nr));
  ASSERT_TRUE(Struktur(*k, nr, 1, "01"));
  ASSERT_TRUE(Struktur(*k, nr, 2, "01.01"));
  ASSERT_TRUE(Struktur(*k, nr, 1, "02"));  // the trade level is now closed
  EXPECT_FALSE(Struktur(*k, nr, 3, "02.01"));
  // Items may stand at a shallower depth than the breakdown: under the lot.
  EXPECT_TRUE(Position(*k, nr, "02. . 0010", 1, 1));
  EXPECT_TRUE(Typ(45, "02. . 0020"));
  EXPECT_TRUE(Typ(60, "S1"));
  ASSERT_TRUE(Struktur(*k, nr, 2, "02.01"));
  EXPECT_FALSE(Typ(47, "02.01.0030"));  // a part without its head
  std::vector<std::string> erwartet;
  for (const char* m : {"Prüfe Einfügen Titel:02.01", " Prüfe Einfügen Paketteil:02.01.0030"})
    erwartet.push_back(TestHost::M10055(m));
  EXPECT_EQ(h.Meldungen(), erwartet);
}

// Each failing host step gives its own message; the row answers False.
TEST_P(Import, FailingHostStepsShowTheStepMessage) {
  ASSERT_TRUE(Kopf(*k, nr));
  struct Fall { const char* op; std::function<bool()> zeile; std::string meldung; };
  std::vector<Fall> fälle = {
      {"DarfEinfügen", [&] { return Typ(40, "01", 1); }, "Prüfe Einfügen Los:01"},
      {"FügeStrukturzeileEin", [&] { return Typ(40, "01", 1); }, "Neues Los:01"},
      {"FügeStrukturzeileEin", [&] { return Typ(40, "01.01", 2); }, "Neues Gewerk:01.01"},
      {"FügeStrukturzeileEin", [&] { return Typ(40, "01.01.01", 3); }, "Neuer Titel:01.01.01"},
      {"FügePositionEin", [&] { return Typ(40, "0010", 4); }, "Neue Position:0010"},
      {"AktuellePosition", [&] { return Typ(40, "0020", 4); }, "Berechne Position:0020"},
      {"FügePositionEin", [&] { return Typ(70, "Z"); }, "Neue SummenpositionZ"},
      {"DarfEinfügen", [&] { return Typ(50); }, "Prüfe Einfügen Textposition"},
      {"FügePositionEin", [&] { return Typ(50); }, "Neue Textposition"},
      {"DarfSchlusszeileEinfügen", [&] { return Typ(140); }, "Prüfe Einfügen Schlußbemerkung"},
      {"FügeSchlusszeileEin", [&] { return Typ(140); }, "Neue Schlußbemerkung"}};
  ASSERT_TRUE(Position(*k, nr, "0001", 1, 1));  // for the text row's check to happen
  for (Fall& f : fälle) {
    h.Meldungsdienst().Leeren();
    // The step after the insert reads the current position: make its second
    // call fail for "Berechne", the first for the others.
    h.störung->Störe(f.op, std::string(f.op) == "AktuellePosition" ? 2 : 1);
    EXPECT_FALSE(f.zeile()) << f.meldung;
    h.störung->Störe("");
    std::vector<std::string> m = h.Meldungen();
    ASSERT_FALSE(m.empty()) << f.meldung;
    EXPECT_EQ(m.back(), TestHost::M10055(f.meldung));
    // The failing host call itself was reported as an error of Speichern_Belegdaten
    // (or of the transfer step that made it).
    EXPECT_TRUE(m.front() == TestHost::M10055("Speichern_Belegdaten") ||
                m.front() == TestHost::M10055("Übertrage_Position")) << m.front();
  }
}

TEST_P(Import, EndRowFailures) {
  ASSERT_TRUE(Kopf(*k, nr));
  ASSERT_TRUE(Position(*k, nr, "0010", 1, 1));
  std::string n = std::to_string(nr);
  h.störung->Störe("PrüfeUndKorrigiere");
  EXPECT_FALSE(Ende(*k, nr));
  EXPECT_EQ(h.Meldungen().back(), TestHost::M10055("Korrektur Beleg: " + n));
  h.störung->Störe("Speichern");
  EXPECT_FALSE(Ende(*k, nr));
  EXPECT_EQ(h.Meldungen().back(), TestHost::M10055("Speichern Beleg: " + n));
  EXPECT_EQ(Gespeicherte(), 0);
  // A failed unlock still answers True, after its message.
  h.Meldungsdienst().Leeren();
  h.störung->Störe("Entsperren");
  EXPECT_TRUE(Ende(*k, nr));
  EXPECT_EQ(h.Meldungen(), (std::vector<std::string>{TestHost::M10055("Speichern_Belegdaten"),
                                                     TestHost::M10055("Entsperre Beleg: " + n)}));
  EXPECT_EQ(Gespeicherte(), 1);
}

// The host's formatting object that cannot format every position.
class HalbeFormatierung : public Formatierung {
 public:
  void Init(const std::string&, Verbindung*, std::shared_ptr<HostObjekt>, std::shared_ptr<HostObjekt>) override {}
  bool Vorbereiten() override { return true; }
  void FormatiereAllePositionen(std::unique_ptr<Belegdaten>&, std::int16_t, bool, bool& alle) override { alle = false; }
};

TEST_P(Import, UnformattedPositionsAreReportedAndTheImportGoesOn) {
  h.fabrik->Registriere(klassen::Formatierung, [] { return std::make_unique<HalbeFormatierung>(); });
  ASSERT_TRUE(Kopf(*k, nr));
  ASSERT_TRUE(Ende(*k, nr));
  ASSERT_EQ(h.Meldungsdienst().Meldungen().size(), 1u);
  const host::Meldung& m = h.Meldungsdienst().Meldungen()[0];
  EXPECT_EQ(m.text, "Es konnten nicht alle Positionen formatiert werden.");
  EXPECT_EQ(m.art, 0);
  EXPECT_EQ(m.extra, Variant("clsGaebSQL"));
  EXPECT_EQ(Gespeicherte(), 1);
}

// Fail the 1st, 2nd, 3rd ... host call of a whole import: no exception
// escapes, every message is a catalogue message, and the run without a fault
// saves the complete document.
TEST(ImportStörung, EveryFailingCallIsReportedAndNothingEscapes) {
  for (long n = 1;; ++n) {
    TestHost h;
    Projekt(h, "P1");
    auto k = h.Komponente();
    k->Init_BelegVorlauf(1, "");
    std::int32_t nr = k->Sperren_Belegnummer(1);
    ASSERT_GT(nr, 0);
    h.störung->aufrufe = 0;
    h.störung->failAt = n;
    Kopf(*k, nr);
    Struktur(*k, nr, 3, "01");
    Position(*k, nr, "01.0010", 2, 3);
    Zeile(*k, nr, [](clsGaebSQL& c) { c.Positionstyp(50); c.Langtext("Text"); });
    Zeile(*k, nr, [](clsGaebSQL& c) { c.Positionstyp(140); c.Langtext("Ende"); });
    Ende(*k, nr);
    for (const std::string& m : h.Meldungen())
      EXPECT_TRUE(m.rfind("Bei der Verarbeitung ist ein Fehler aufgetreten: ", 0) == 0 ||
                  m == "Es konnten nicht alle Positionen formatiert werden.") << m;
    if (h.störung->aufrufe < n) {
      EXPECT_TRUE(h.Meldungen().empty());
      host::Dokument d = Gespeichert(h, 1, nr);
      EXPECT_EQ(d.positionen.size(), 3u);
      break;
    }
    EXPECT_FALSE(h.Meldungen().empty()) << "fault " << n << " went unreported";
    ASSERT_LT(n, 500);
  }
}

GAEB_AUF_BEIDEN(Import);

}  // namespace
}  // namespace gaeb

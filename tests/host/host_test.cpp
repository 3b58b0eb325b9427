// The host objects: settings, number ranges, document data and locks, formats, services.
#include <gtest/gtest.h>

#include "base/fehler.h"
#include "host/belegdaten.h"
#include "host/belegnummern.h"
#include "host/dienste.h"
#include "host/dokument.h"
#include "host/host.h"
#include "host/schema.h"
#include "host/verbindung.h"

namespace gaeb::host {
namespace {

struct Db {
  Db() : v(ÖffneVerbindung("sqlite::memory:")) { ErstelleSchema(*v); }
  void Beleg(std::int16_t art, std::int32_t nr) {
    Dokument d;
    d.belegart = art;
    d.belegnummer = nr;
    v->Beginne();
    SpeichereDokument(*v, d);
    v->Bestätige();
  }
  std::unique_ptr<Verbindung> v;
};

TEST(Einstellungen, ReadThroughTheSettingsObject) {
  Db db;
  SchreibeEinstellung(*db.v, "Standard", "Firmendaten", "Name1", "Bau & Söhne");
  SchreibeEinstellung(*db.v, "Standard", "Firmendaten", "Name1", "Bau & Söhne GmbH");  // replaces
  SchreibeEinstellung(*db.v, "Andere", "Firmendaten", "Name1", "Fremd");
  auto fabrik = NeueFabrik();
  auto s = fabrik->Erzeuge<gaeb::Einstellungen>("VRBSetting.VRSettings");
  Verbindung* vp = db.v.get();
  s->Init(0, vp, "Standard");
  EXPECT_EQ(vp, db.v.get());
  std::string wert = "alt";
  s->GetSetting("Firmendaten", "Name1", wert, "Standard", "");
  EXPECT_EQ(wert, "Bau & Söhne GmbH");
  s->GetSetting("Firmendaten", "Name2", wert, "Standard", "");
  EXPECT_EQ(wert, "");
  s->GetSetting("Firmendaten", "Name1", wert, "Andere", "");
  EXPECT_EQ(wert, "Fremd");
  auto ohneInit = fabrik->Erzeuge<gaeb::Einstellungen>("VRBSetting.VRSettings");
  EXPECT_THROW(ohneInit->GetSetting("a", "b", wert, "Standard", ""), Fehler);
}

TEST(Belegnummern, GlobalAndPerUserRanges) {
  Db db;
  BelegnummernHost n;
  n.Öffnen("0", "", db.v.get());
  EXPECT_FALSE(n.BenutzerNummernkreise());
  EXPECT_EQ(n.NächsteNummer(1, 0), 1);
  db.Beleg(1, 41);
  db.Beleg(2, 900);
  EXPECT_EQ(n.NächsteNummer(1, 0), 42);  // a range never used starts after the highest number of its type
  n.Reserviere(1, 42, 0);
  EXPECT_EQ(n.NächsteNummer(1, 0), 43);
  n.Reserviere(1, 10, 0);  // reserving an older number does not move the range back
  EXPECT_EQ(n.NächsteNummer(1, 0), 43);

  SchreibeEinstellung(*db.v, "Standard", "Belegnummern", "ProBenutzer", "Wahr");
  EXPECT_TRUE(n.BenutzerNummernkreise());
  db.v->Ausführen("INSERT INTO Benutzernummernkreise VALUES ('anna', 1, 3)");
  db.v->Ausführen("INSERT INTO Nummernkreise VALUES (1, 3, 30000)");
  EXPECT_EQ(n.NummernkreisVon("anna", 1), 3);
  EXPECT_EQ(n.NummernkreisVon("bert", 1), 0);
  EXPECT_EQ(n.NächsteNummer(1, 3), 30000);
  n.Reserviere(1, 30000, 3);
  EXPECT_EQ(n.NächsteNummer(1, 3), 30001);
  EXPECT_EQ(n.NächsteNummer(1, 0), 43);
}

TEST(Belegdaten, ReadsDocumentsAndTellsTheirType) {
  Db db;
  db.Beleg(3, 500);
  db.Beleg(1, 500);
  db.Beleg(2, 77);
  BelegdatenHost b;
  EXPECT_THROW(b.BelegartVon(1, true), Fehler);  // not opened
  b.Öffnen("0", "", db.v.get());
  EXPECT_TRUE(b.Vorgaben(Dokumentvorgaben{}));
  EXPECT_EQ(b.BelegartVon(77, true), 2);
  EXPECT_EQ(b.BelegartVon(500, true), 1);
  EXPECT_EQ(b.BelegartVon(501, true), 0);
  EXPECT_THROW(b.Kopf(), Fehler);  // nothing read yet
  EXPECT_FALSE(b.LeseKopf(1, 77, true));
  ASSERT_TRUE(b.LeseKopf(2, 77, true));
  EXPECT_EQ(b.Kopf().Feld("Belegnummer"), Variant(std::int32_t{77}));
  EXPECT_THROW(b.Kopf().Feld("GibtEsNicht"), Fehler);
  b.Kopf().SetzeFeld("Datenphase", Variant("83"));
  EXPECT_EQ(b.Kopf().Feld("Datenphase"), Variant(std::int16_t{83}));
  EXPECT_THROW(b.Kopf().SetzeFeld("Datenphase", Variant("dreiundachtzig")), Fehler);
}

TEST(Belegdaten, SavesAndLoadsAllRowsInOrder) {
  Db db;
  Dokument d;
  d.belegart = 1;
  d.belegnummer = 9;
  d.kopf.SetzeFeld("Währung", "EUR");
  d.kopf.SetzeFeld("InformationProjekt", "Grüße 'aus' \"Köln\"");
  for (int i = 0; i < 5; ++i) {
    d.positionen.emplace_back(PositionsKatalog());
    d.positionen.back().SetzeFeld("Positionsnummer", "01." + std::to_string(i));
    d.positionen.back().SetzeFeld("Menge", 1.5 * i);
    d.positionen.back().SetzeFeld("Pauschalpreis", i % 2 == 1);
  }
  d.schlusszeilen.emplace_back(SchlusszeilenKatalog());
  d.schlusszeilen.back().SetzeFeld("Positionstyp", std::int16_t{90});
  db.v->Beginne();
  SpeichereDokument(*db.v, d);
  db.v->Bestätige();
  Dokument e;
  ASSERT_TRUE(LadeDokument(*db.v, 1, 9, e));
  EXPECT_EQ(e.kopf.Feld("InformationProjekt").ToString(), "Grüße 'aus' \"Köln\"");
  ASSERT_EQ(e.positionen.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(e.positionen[i].Feld("Positionsnummer").ToString(), "01." + std::to_string(i));
    EXPECT_DOUBLE_EQ(e.positionen[i].Feld("Menge").ToDouble(), 1.5 * i);
    EXPECT_EQ(e.positionen[i].Feld("Pauschalpreis"), Variant(i % 2 == 1));
    EXPECT_EQ(e.positionen[i].Feld("Preiseinheit").ToDouble(), 1.0);  // start value
  }
  ASSERT_EQ(e.schlusszeilen.size(), 1u);
  // Saving again with fewer positions leaves no stale rows.
  d.positionen.erase(d.positionen.begin() + 2, d.positionen.end());
  db.v->Beginne();
  SpeichereDokument(*db.v, d);
  db.v->Bestätige();
  ASSERT_TRUE(LadeDokument(*db.v, 1, 9, e));
  EXPECT_EQ(e.positionen.size(), 2u);
}

TEST(Belegdaten, DocumentLockedByAnotherHolderIsBeingEditedElsewhere) {
  Db db;
  db.Beleg(1, 5);
  BelegdatenHost b;
  b.Öffnen("0", "", db.v.get());
  Dokumentvorgaben v;
  v.pGL_BenutzerID = "anna";
  b.Vorgaben(v);
  ASSERT_TRUE(b.LeseKopf(1, 5, true));
  EXPECT_EQ(b.Bearbeitungsstatus(), 0);
  const Variant fremd[] = {Variant("bert@andere-maschine:1")};
  db.v->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 5, ?)", fremd);
  EXPECT_EQ(b.Bearbeitungsstatus(), -1);
  db.v->Ausführen("DELETE FROM Belegsperren");
  const Variant eigen[] = {Variant(b.Inhaber())};
  db.v->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 5, ?)", eigen);
  EXPECT_EQ(b.Bearbeitungsstatus(), 0);  // our own lock
}

TEST(OZFormate, BothNotationsGiveTheLevelLengths) {
  OZFormate f = FormateAusMaske("GGLLTTTPPPPU|.|");
  EXPECT_EQ(f.los, "00");
  EXPECT_EQ(f.gewerk, "00");
  EXPECT_EQ(f.titel, "000");
  EXPECT_EQ(f.position, "0000");
  EXPECT_EQ(f.index, "0");
  EXPECT_EQ(f.trennzeichen, ".");
  f = FormateAusMaske("LTTPPPU||");
  EXPECT_EQ(f.los, "");
  EXPECT_EQ(f.gewerk, "0");
  EXPECT_EQ(f.titel, "00");
  EXPECT_EQ(f.trennzeichen, "");
  f = FormateAusMaske("1233PPPPI");
  EXPECT_EQ(f.los, "0");
  EXPECT_EQ(f.gewerk, "0");
  EXPECT_EQ(f.titel, "00");
  EXPECT_EQ(f.index, "0");
  f = FormateAusMaske("122PPPPPI");
  EXPECT_EQ(f.los, "");
  EXPECT_EQ(f.gewerk, "0");
  EXPECT_EQ(f.titel, "00");
  EXPECT_EQ(f.position, "00000");
  f = FormateAusMaske("11PPPPPPI|-");
  EXPECT_EQ(f.titel, "00");
  EXPECT_EQ(f.trennzeichen, "-");
}

TEST(Dienste, MessagesDatesAndRounding) {
  MeldungstexteHost t;
  EXPECT_EQ(t.Text(10055, {"Lese_Beleg"}), "Bei der Verarbeitung ist ein Fehler aufgetreten: Lese_Beleg");
  EXPECT_EQ(t.Text(13049, {"Beleg 7"}), "Beleg 7 konnte nicht gelesen werden.");
  EXPECT_EQ(t.Text(99999, {}), "Meldung 99999");
  MeldungsdienstHost m;
  m.Zeige("a", 3, Variant(std::int32_t{1992}));
  m.FehlerMelden("clsGaebSQL", "Init", 91, "Objekt fehlt", true);
  ASSERT_EQ(m.Meldungen().size(), 2u);
  EXPECT_EQ(m.Meldungen()[1].text, "Fehler 91 in clsGaebSQL.Init: Objekt fehlt");

  DatumsdienstHost d;
  EXPECT_EQ(d.DatumFürAusgabe("20261205"), "05.12.2026");
  EXPECT_EQ(d.DatumFürAusgabe("05.12.2026"), "05.12.2026");
  EXPECT_EQ(d.DatumFürAusgabe("2026-12-05"), "05.12.2026");
  EXPECT_EQ(d.DatumFürAusgabe(""), "");
  EXPECT_THROW(d.DatumFürAusgabe("morgen"), Fehler);
  EXPECT_DOUBLE_EQ(d.RundeAufSchritt(7.3, 0.5), 7.5);
  EXPECT_DOUBLE_EQ(d.RundeAufSchritt(7.25, 0.5), 7.5);
  EXPECT_DOUBLE_EQ(d.RundeAufSchritt(-7.25, 0.5), -7.5);
  EXPECT_DOUBLE_EQ(d.RundeAufSchritt(0.3, 0.1), 0.3);
  EXPECT_THROW(d.RundeAufSchritt(1, 0), Fehler);
}

}  // namespace
}  // namespace gaeb::host

// The host objects: settings, number ranges, document data and locks, formats, services.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tuple>

#include "base/fehler.h"
#include "base/zahlformat.h"
#include "felder.h"
#include "host/berechnung.h"
#include "host/belegnummern.h"
#include "host/positionsfenster.h"
#include "testhost.h"

namespace gaeb::host {
namespace {

using Belegdaten = test::AufBeiden;

using Db = test::TestHost;  // the host on a database of its own

TEST_P(Belegdaten, SettingsReadThroughTheSettingsObject) {
  Db db(GetParam());
  SchreibeEinstellung(*db.db, "Standard", "Firmendaten", "Name1", "Bau & Söhne");
  SchreibeEinstellung(*db.db, "Standard", "Firmendaten", "Name1", "Bau & Söhne GmbH");  // replaces
  SchreibeEinstellung(*db.db, "Andere", "Firmendaten", "Name1", "Fremd");
  auto fabrik = NeueFabrik();
  auto s = fabrik->Erzeuge<gaeb::Einstellungen>("VRBSetting.VRSettings");
  Verbindung* vp = db.db.get();
  s->Init(0, vp, "Standard");
  EXPECT_EQ(vp, db.db.get());
  std::string wert = "alt";
  auto lies = [&](const char* n, const char* b) { s->GetSetting("Firmendaten", n, wert, b, ""); return wert; };
  EXPECT_EQ(lies("Name1", "Standard"), "Bau & Söhne GmbH");
  EXPECT_EQ(lies("Name2", "Standard"), "");
  EXPECT_EQ(lies("Name1", "Andere"), "Fremd");
  auto ohneInit = fabrik->Erzeuge<gaeb::Einstellungen>("VRBSetting.VRSettings");
  EXPECT_THROW(ohneInit->GetSetting("a", "b", wert, "Standard", ""), Fehler);
}

TEST_P(Belegdaten, ReadsDocumentsAndTellsTheirType) {
  Db db(GetParam());
  db.LegeBelegAn(3, 500); db.LegeBelegAn(1, 500); db.LegeBelegAn(2, 77);
  BelegdatenHost b;
  EXPECT_THROW(b.BelegartVon(1, true), Fehler);  // not opened
  b.Öffnen("0", "", db.db.get());
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

TEST_P(Belegdaten, SavesAndLoadsAllRowsInOrder) {
  Db db(GetParam());
  Dokument d, e;
  d.belegart = 1; d.belegnummer = 9;
  d.kopf.SetzeFeld("InformationProjekt", "Grüße 'aus' \"Köln\"");
  for (int i = 0; i < 5; ++i) {
    Satz& p = d.positionen.emplace_back(PositionsKatalog());
    p.SetzeFeld("Positionsnummer", "01." + std::to_string(i)); p.SetzeFeld("Menge", 1.5 * i);
    p.SetzeFeld("Pauschalpreis", i % 2 == 1);
  }
  d.schlusszeilen.emplace_back(SchlusszeilenKatalog());
  // Saving again with fewer positions leaves no stale rows.
  for (std::size_t anzahl : {5u, 2u}) {
    d.positionen.resize(anzahl, Satz(PositionsKatalog()));
    db.Speichere(d);
    ASSERT_TRUE(LadeDokument(*db.db, 1, 9, e));
    EXPECT_EQ(e.kopf.Feld("InformationProjekt").ToString(), "Grüße 'aus' \"Köln\"");
    ASSERT_EQ(e.positionen.size(), anzahl);
    EXPECT_EQ(e.schlusszeilen.size(), 1u);
    for (std::size_t i = 0; i < anzahl; ++i) {
      EXPECT_EQ(e.positionen[i].Feld("Positionsnummer").ToString(), "01." + std::to_string(i));
      EXPECT_DOUBLE_EQ(e.positionen[i].Feld("Menge").ToDouble(), 1.5 * i);
      EXPECT_EQ(e.positionen[i].Feld("Pauschalpreis"), Variant(i % 2 == 1));
      EXPECT_EQ(e.positionen[i].Feld("Preiseinheit").ToDouble(), 1.0);  // start value
    }
  }
}

TEST(OZFormate, BothNotationsGiveTheLevelLengths) {
  // erwartet: lot, trade, title, position, index, separator
  struct Fall { const char* maske; OZFormate erwartet; } fälle[] = {
      {"GGLLTTTPPPPU|.|", {"00", "00", "000", "0000", "0", "."}}, {"LTTPPPU||", {"", "0", "00", "000", "0", ""}},
      {"1233PPPPI", {"0", "0", "00", "0000", "0", ""}},         {"122PPPPPI", {"", "0", "00", "00000", "0", ""}},
      {"11PPPPPPI|-", {"", "", "00", "000000", "0", "-"}}};
  for (const Fall& f : fälle) {
    OZFormate o = FormateAusMaske(f.maske);
    const OZFormate& e = f.erwartet;
    EXPECT_EQ(std::tie(o.los, o.gewerk, o.titel, o.position, o.index, o.trennzeichen),
              std::tie(e.los, e.gewerk, e.titel, e.position, e.index, e.trennzeichen)) << f.maske;
  }
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
  // The forms a document stores or a user types; anything else comes back as it is.
  const std::pair<const char*, const char*> daten[] = {
      {"20261205", "05.12.2026"}, {"2026120510:00", "05.12.2026"}, {"05.12.2026", "05.12.2026"},
      {"2026-12-05", "05.12.2026"}, {"1.3.2027", "01.03.2027"},    {"01.03.27", "01.03.2027"},
      {"1.3.95", "01.03.1995"},     {" 5.12.2026 ", "05.12.2026"}, {"", ""},
      {"2027031", "2027031"},       {"morgen", "morgen"},          {"32.01.2027", "32.01.2027"},
      {"1.13.2027", "1.13.2027"},   {"1.3.202", "1.3.202"},        {"2027-3-1", "2027-3-1"}};
  for (const auto& [ein, aus] : daten) EXPECT_EQ(d.DatumFürAusgabe(ein), aus) << ein;
  // value, step, result
  const double runden[][3] = {{7.3, 0.5, 7.5}, {7.25, 0.5, 7.5}, {-7.25, 0.5, -7.5}, {0.3, 0.1, 0.3}};
  for (const auto& r : runden) EXPECT_DOUBLE_EQ(d.RundeAufSchritt(r[0], r[1]), r[2]) << r[0];
  EXPECT_THROW(d.RundeAufSchritt(1, 0), Fehler);
}

// A position row; feld (when given) set to wert.
Satz Zeile(std::int16_t art, double menge = 0, double ep = 0, const char* feld = nullptr, Variant wert = {}) {
  Satz s(PositionsKatalog());
  s.SetzeFeld("Positionstyp", art);
  s.SetzeFeld("Menge", menge);
  s.SetzeFeld("Einzelpreis", ep);
  if (feld != nullptr) s.SetzeFeld(feld, wert);
  return s;
}

TEST(Berechnung, PositionsPackagesAreasSumsAndTotals) {
  Dokument d;
  d.kopf.SetzeFeld("UmsatzsteuerProzent", 19.0);
  d.positionen = {
      Zeile(21), Zeile(22),                                        // 0 trade, 1 title
      Zeile(40, 3, 1.005),                                         // 2: 3.015 -> 3.02
      Zeile(45, 2), Zeile(47, 1, 10), Zeile(47, 0.5, 5),           // 3 package head, 4-5 parts: 10 + 2.5
      Zeile(40, 1, 1000, "Alternativposition", Variant(true)),     // 6 alternative: computed, not counted
      Zeile(40, 250, 8, "Preiseinheit", Variant(100.0)),           // 7 price unit 100: 20.00
      Zeile(60, 0, 0, "WelcherBetragZuAbschlag", Variant(std::int16_t{3})),  // 8 subtotal of the title
      Zeile(70, 0, 0, "AufAbschlagProzent", Variant(10.0)),        // 9 surcharge 10 % of the bill
      Zeile(80, 0, 5, "AufAbschlagProzent", Variant(100.0))};      // 10 discount of a fixed 5.00
  BerechneDokument(d);
  auto text = [](const std::vector<Satz>& z) {
    return [&z](std::size_t i, const std::string& n) { return z.at(i).Feld(n).ToString(); };
  };
  test::PrüfeFelder(text(d.positionen), {
      // trade and title: their rows; the surcharge and discount on the whole bill count in the bill only
      {0, "Gesamtpreis=48,02 | HierarchieEbene=2"}, {1, "Gesamtpreis=48,02"},
      {2, "Gesamtpreis=3,02 | HierarchieEbene=4"},
      {3, "Einzelpreis=12,5 | Gesamtpreis=25"}, {6, "Gesamtpreis=1000"}, {7, "Gesamtpreis=20"},
      {8, "Einzelpreis=48,02 | Gesamtpreis=0"},  // 3.02 + 25 + 20
      {9, "Gesamtpreis=4,8"},                    // 10 % of 48.02, rounded
      {10, "Gesamtpreis=-5"}});
  ASSERT_EQ(d.schlusszeilen.size(), 1u);  // a totals row was added
  test::PrüfeFelder(text(d.schlusszeilen), {{0, "Summe=47,82 | USTBetrag=9,09 | SummeBrutto=56,91"}});  // 48.02 + 4.80 - 5.00
  BerechneDokument(d);
  EXPECT_EQ(d.schlusszeilen.size(), 1u);          // and only once
}

TEST_P(Belegdaten, OutputOpensLocksWalksUnlocksAndConverts) {
  Db db(GetParam());
  Dokument d;
  d.belegart = 1; d.belegnummer = 3;
  d.positionen = {Zeile(40, 2, 3), Zeile(50)};
  Satz& adr = d.adressen.emplace_back(AdressKatalog());
  adr.SetzeFeld("Adressart", std::int16_t{2});
  adr.SetzeFeld("Name1", "Stadt Köln");
  db.Speichere(d);

  BelegdatenHost a, b;
  Dokumentvorgaben va, vb;
  va.pGL_BenutzerID = "anna"; vb.pGL_BenutzerID = "bert";
  va.pGL_Landeswährung = vb.pGL_Landeswährung = "EUR";
  a.Öffnen("0", "", db.db.get()); b.Öffnen("0", "", db.db.get());
  a.Vorgaben(va); b.Vorgaben(vb);
  std::int16_t art = 1; std::int32_t nr = 3; bool f = true;
  a.ÖffneFürAusgabe(art, nr, f);
  EXPECT_EQ(a.Öffnungsstatus(), -1);
  b.ÖffneFürAusgabe(art, nr, f);
  EXPECT_EQ(b.Öffnungsstatus(), 0);  // anna holds it
  EXPECT_EQ(b.Bearbeitungsstatus(), -1);  // being edited elsewhere
  ASSERT_EQ(a.LetzterPositionsindex(), 1);
  a.WählePosition(0);
  EXPECT_DOUBLE_EQ(a.AktuellePosition().Feld("Gesamtpreis").ToDouble(), 6.0);
  EXPECT_THROW(a.WählePosition(2), Fehler);
  ASSERT_EQ(a.LetzterSchlusszeilenindex(), 0);
  a.WähleSchlusszeile(0);
  EXPECT_DOUBLE_EQ(a.AktuelleSchlusszeile().Feld("Summe").ToDouble(), 6.0);
  EXPECT_EQ(a.Adresse(2).Feld("Name1").ToString(), "Stadt Köln");
  EXPECT_EQ(a.Adresse(1).Feld("Name1").ToString(), "");
  EXPECT_EQ(b.Entsperren(art, nr), 0);  // not bert's lock
  EXPECT_EQ(a.Entsperren(art, nr), -1);
  EXPECT_EQ(a.Entsperren(art, nr), 0);  // already released
  b.ÖffneFürAusgabe(art, nr, f);
  EXPECT_EQ(b.Öffnungsstatus(), -1);
  std::int32_t fehlt = 99;
  a.ÖffneFürAusgabe(art, fehlt, f);
  EXPECT_EQ(a.Öffnungsstatus(), 0);
  // A foreign currency needs a rate; the output in the home currency converts by it.
  b.Entsperren(art, nr);
  db.db->Ausführen("UPDATE Belegkopfkolvar SET Waehrung = 'CHF', Waehrungskurs = 0");
  a.ÖffneFürAusgabe(art, nr, f);
  EXPECT_EQ(a.Öffnungsstatus(), 1);
  EXPECT_EQ(a.Entsperren(art, nr), 0);  // not kept locked
  db.db->Ausführen("UPDATE Belegkopfkolvar SET Waehrungskurs = 1.1");
  a.ÖffneFürAusgabe(art, nr, f);
  EXPECT_EQ(a.Öffnungsstatus(), -1);
  bool heim = true;
  a.SetzeAusgabewährung(heim);
  a.WählePosition(0);
  EXPECT_DOUBLE_EQ(a.AktuellePosition().Feld("Gesamtpreis").ToDouble(), 6.6);
  EXPECT_EQ(a.Kopf().Feld("Währung").ToString(), "EUR");
}

// A bill of several pages opened for output reads, in any order, exactly the
// rows a document computed in memory has (every field, in the home currency
// by the rate), with package parts, areas and sums across page edges; a value
// set on a row stays while its page is in memory, and reading the document
// in full afterwards keeps it.
TEST_P(Belegdaten, OutputReadsPagesAsTheDocumentInMemory) {
  Db db(GetParam());
  Dokument d;
  d.belegart = 1; d.belegnummer = 4;
  d.kopf.SetzeFeld("Währung", "CHF");
  d.kopf.SetzeFeld("Währungskurs", 1.1);
  d.kopf.SetzeFeld("UmsatzsteuerProzent", 19.0);
  const std::int32_t seite = Positionsfenster::kSeite;
  for (std::int32_t i = 0; i < 2 * seite + 600; ++i) {
    const std::int32_t r = i % seite;  // the same rows on every page
    if (r == 10) d.positionen.push_back(Zeile(22));
    else if (r == seite - 3) d.positionen.push_back(Zeile(45, 2));  // its parts cross the page edge
    else if (r >= seite - 2 || r <= 2) d.positionen.push_back(Zeile(47, r + 1, 1.25));
    else if (r == 500) d.positionen.push_back(Zeile(60, 0, 0, "WelcherBetragZuAbschlag", Variant(std::int16_t{3})));
    else if (r == 501) d.positionen.push_back(Zeile(70, 0, 0, "AufAbschlagProzent", Variant(3.0)));
    else if (r == 502) d.positionen.push_back(Zeile(40, 1, 99, "Alternativposition", Variant(true)));
    else d.positionen.push_back(Zeile(40, i % 7 + 0.5, 1.05 + r / 100.0));
  }
  db.Speichere(d);
  Dokument erwartet;
  ASSERT_TRUE(LadeDokument(*db.db, 1, 4, erwartet));
  BerechneDokument(erwartet);
  for (Satz& p : erwartet.positionen)
    for (const char* f : {"Einzelpreis", "Gesamtpreis", "Materialpreis", "Lohnpreis", "Rabattbetrag"})
      p.SetzeFeld(f, Runde(p.Feld(f).ToDouble() * 1.1, 2));

  BelegdatenHost a;
  Dokumentvorgaben v;
  v.pGL_Landeswährung = "EUR";
  a.Öffnen("0", "", db.db.get());
  a.Vorgaben(v);
  std::int16_t art = 1; std::int32_t nr = 4; bool f = true;
  a.ÖffneFürAusgabe(art, nr, f);
  ASSERT_EQ(a.Öffnungsstatus(), -1);
  bool heim = true;
  a.SetzeAusgabewährung(heim);
  const std::int32_t n = static_cast<std::int32_t>(erwartet.positionen.size());
  ASSERT_EQ(a.LetzterPositionsindex(), n - 1);
  EXPECT_TRUE(a.MitTiteln());
  EXPECT_FALSE(a.MitLosen());
  auto gleich = [&](std::int32_t i) {
    const Satz& soll = erwartet.positionen[static_cast<std::size_t>(i)];
    const Satz& ist = a.Positionssatz(i);
    for (std::size_t k = 0; k < soll.katalog().Anzahl(); ++k)
      if (!(ist.Wert(k) == soll.Wert(k)))
        return "row " + std::to_string(i) + " " + soll.katalog().Spalte(k) + ": " + ist.Wert(k).ToString() +
               " instead of " + soll.Wert(k).ToString();
    return std::string();
  };
  // A walk over kinds and amounts reads them from pages of those fields alone.
  for (std::int32_t i = n - 1; i >= 0; --i)
    for (std::string_view name : Positionsfenster::kKurz)
      ASSERT_EQ(a.Positionsfeld(i, name), erwartet.positionen[static_cast<std::size_t>(i)].Feld(name)) << i << name;
  std::vector<std::int32_t> folge;
  for (std::int32_t i = 0; i < n; ++i) folge.push_back(i);                    // forward
  for (std::int32_t i = n - 1; i >= 0; i -= 97) folge.push_back(i);          // backward across pages
  for (std::int32_t i : {seite - 1, seite, 0, 2 * seite, seite - 1}) folge.push_back(i);  // jumps
  for (std::int32_t i : folge) ASSERT_EQ(gleich(i), "");
  a.WähleSchlusszeile(0);
  EXPECT_DOUBLE_EQ(a.AktuelleSchlusszeile().Feld("Summe").ToDouble(),
                   Runde(erwartet.schlusszeilen[0].Feld("Summe").ToDouble() * 1.1, 2));

  a.WählePosition(seite + 5);
  a.AktuellePosition().SetzeFeld("Kurztext1", "geändert");
  a.WählePosition(seite + 6);
  a.WählePosition(seite + 5);
  EXPECT_EQ(a.AktuellePosition().Feld("Kurztext1").ToString(), "geändert");
  ASSERT_EQ(a.Aktuell().positionen.size(), erwartet.positionen.size());
  EXPECT_EQ(a.Aktuell().positionen[seite + 5].Feld("Kurztext1").ToString(), "geändert");
  erwartet.positionen[seite + 5].SetzeFeld("Kurztext1", "geändert");
  for (std::int32_t i = 0; i < n; ++i) ASSERT_EQ(gleich(i), "");
}

// A document locked by another holder is being edited elsewhere; the lock of
// an ended process of this machine is stale: it does not count and is taken over.
TEST_P(Belegdaten, LocksOfOtherHoldersAndOfEndedProcesses) {
  Db db(GetParam());
  db.LegeBelegAn(1, 8);
  pid_t kind = fork();
  if (kind == 0) _exit(0);
  waitpid(kind, nullptr, 0);  // a process id that no longer runs
  std::string tot = LockInhaber("bert");
  tot = tot.substr(0, tot.rfind(':') + 1) + std::to_string(kind);
  BelegdatenHost b;
  b.Öffnen("0", "", db.db.get());
  b.Vorgaben(Dokumentvorgaben{});
  ASSERT_TRUE(b.LeseKopf(1, 8, true));
  // status: Bearbeitungsstatus, sperre: Sperren
  struct Fall { std::string inhaber; bool lebt; std::int16_t status; std::int32_t sperre; } fälle[] = {
      {tot, false, 0, -1},
      {"bert@andere-maschine:" + std::to_string(kind), true, -1, 0},  // cannot tell: alive
      {b.Inhaber(), true, 0, -1}};
  for (const Fall& f : fälle) {
    db.db->Ausführen("DELETE FROM Belegsperren");
    const Variant p[] = {Variant(f.inhaber)};
    db.db->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 8, ?)", p);
    EXPECT_EQ(InhaberLebt(f.inhaber), f.lebt) << f.inhaber;
    EXPECT_EQ(b.Bearbeitungsstatus(), f.status) << f.inhaber;
    EXPECT_EQ(b.Sperren(1, 8, true), f.sperre) << f.inhaber;
    EXPECT_EQ(Sperrinhaber(*db.db, 1, 8), f.sperre ? b.Inhaber() : f.inhaber);
  }
}

GAEB_AUF_BEIDEN(Belegdaten);

}  // namespace
}  // namespace gaeb::host

// The run of every export against the real host: refused documents, progress every tenth position with
// yield and cancel, the lock held during the walk and given back, a killed run, a failed unlock, an unwritable
// target.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <fstream>

#include "exportlv.h"

namespace gaeb::test {
namespace {

using Ausgabe = bool (clsGaebSQL::*)(std::int16_t, std::int32_t, const std::string&, std::int16_t,
                                     const Ausgabeoptionen&);
// fertig: held by a finished file, and by a cancelled one when abgebrochenFertig;
// schreibfehler: the answer when the target cannot be created.
const struct Format {
  const char* name;  // the procedure is Ausgabe_Belegdaten + name
  Ausgabe ausgabe;
  const char *position, *fertig;  // each written position holds `position` once
  bool abgebrochenFertig, schreibfehler;
} kFormate[] = {
    {"DA2000", &clsGaebSQL::Ausgabe_BelegdatenDA2000, "#begin[Position]", "\r\n#end[GAEB]", true, true},
    {"DA90", &clsGaebSQL::Ausgabe_BelegdatenDA90, "\r\n21", "\r\n99", false, true},
    {"DAXML", &clsGaebSQL::Ausgabe_BelegdatenDAXML, "<Item ", "<Totals>", true, false},
};

std::size_t Zähle(const std::string& bytes, const std::string& teil) {
  std::size_t n = 0;
  for (std::size_t a = bytes.find(teil); a != std::string::npos; a = bytes.find(teil, a + 1)) ++n;
  return n;
}

Datei Exportiere(clsGaebSQL& k, const Format& f, std::int32_t nr = 1, std::int16_t dp = 83) {
  const std::string ziel = NeuerPfad("lv");
  return Datei(ziel, std::nullopt, (k.*f.ausgabe)(1, nr, ziel, dp, {}));
}

TEST(Ablauf, RefusedExportsWriteNothingAndLeaveNoLock) {
  const std::string gesperrt = "Beleg konnte nicht gesperrt werden",
                    währung = "Der Beleg ist nicht in der entsprechenden Währung erfasst. ";
  // The message of GAEB 2000, GAEB 90 and GAEB DA XML.
  const struct { std::int32_t nr; std::int16_t dp; std::string meldung[3]; } fälle[] = {
      {1, 83, {gesperrt, gesperrt, gesperrt}},  // held by another workstation
      {9, 83, {gesperrt, gesperrt, gesperrt}},  // no such document
      {2, 83, {währung, währung, währung}},
      {1, 11, {"Die Ausabe DA11 REB-23.003 ist für GAEB2000 nicht zugelassen! ", gesperrt,
               "Die Ausabe DA11 REB-23.003 ist für GAEB XML nicht zugelassen! "}},
      {2, 12, {"Die Ausabe DA12 REB-23.004 ist für GAEB2000 nicht realisiert! ", währung,
               "Die Ausabe DA12 REB-23.004 ist für GAEB XML nicht realisiert! "}}};
  TestHost h;
  Positionen(h, 2);
  LV(2, {{"Währung", "USD"}, {"Währungskurs", 0.0}}).Position(40, "0010").Speichere(*h.db);
  h.db->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 1, 'anna@anderswo:1')");
  auto k = h.Komponente();
  // Twice each: a refused document is not left locked by the first answer.
  for (int versuch = 0; versuch < 2; ++versuch) {
    for (const auto& f : fälle) {
      for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(std::string(kFormate[i].name) + " " + std::to_string(f.nr) + " " + std::to_string(f.dp));
        h.Meldungsdienst().Leeren();
        Datei d = Exportiere(*k, kFormate[i], f.nr, f.dp);
        EXPECT_FALSE(d.ergebnis);
        EXPECT_FALSE(d.vorhanden || d.tempDa);
        EXPECT_EQ(h.Meldungen(), std::vector<std::string>{f.meldung[i]});
        EXPECT_EQ(host::Sperrinhaber(*h.db, 1, 1), "anna@anderswo:1");  // the other holder keeps its lock
        EXPECT_EQ(Sperren(h), 1);                                       // ours is given back
      }
    }
  }
}

TEST(Ablauf, ProgressEveryTenthPositionWithYieldCancelAndUnlock) {
  const struct { int abbrechenBei; std::size_t positionen; int fortschritte, yields; } fälle[] = {
      {0, 25, 3, 3}, {1, 1, 1, 0}, {2, 11, 2, 1}};
  for (const Format& f : kFormate) {
    TestHost h;
    Positionen(h, 25);
    auto k = h.Komponente();
    for (const auto& fall : fälle) {
      SCOPED_TRACE(std::string(f.name) + " " + std::to_string(fall.abbrechenBei));
      Zuhörer z;
      long gesperrtWährend = -1;
      z.abbrechenBei = fall.abbrechenBei, z.beiFortschritt = [&] { gesperrtWährend = Sperren(h); };
      k->Verbinde(&z);
      Datei d = Exportiere(*k, f);
      EXPECT_EQ(d.ergebnis, fall.abbrechenBei == 0);
      // Last position index 24 + last closing-row index 0 (the totals row) + 10.
      EXPECT_EQ(z.maxima, std::vector<std::int32_t>{34});
      EXPECT_EQ(z.fortschritte, fall.fortschritte);
      EXPECT_EQ(z.schritte, 10 * fall.fortschritte);
      EXPECT_EQ(z.yields, fall.yields);
      EXPECT_EQ(gesperrtWährend, 1);
      EXPECT_EQ(Sperren(h), 0);
      EXPECT_EQ(Zähle(d.bytes, f.position), fall.positionen);
      EXPECT_EQ(Zähle(d.bytes, f.fertig) > 0, fall.abbrechenBei == 0 || f.abgebrochenFertig);
      EXPECT_FALSE(d.tempDa);
      EXPECT_TRUE(h.Meldungen().empty());
    }
  }
}

TEST(Ablauf, AKilledExportLeavesTheOldTargetWhole) {
  for (const Format& f : kFormate) {
    SCOPED_TRACE(f.name);
    const std::string ziel = NeuerPfad("lv");
    std::ofstream(ziel) << "ALT";
    const pid_t kind = ::fork();
    if (kind == 0) {  // killed at the first progress event, ten positions into the walk
      TestHost h;
      Positionen(h, 25);
      Zuhörer z;
      z.beiFortschritt = [] { ::kill(::getpid(), SIGKILL); };
      auto k = h.Komponente();
      k->Verbinde(&z);
      (k.get()->*f.ausgabe)(1, 1, ziel, 83, {});
      ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(kind, &status, 0), kind);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_EQ(LiesDatei(ziel), "ALT");
  }
}

TEST(Ablauf, NumbersWiderThanTheirFieldsAreNeverWritten) {
  // Integer digits per format (GAEB 2000, GAEB 90, XML): quantities 8, 8, 8; unit prices 11, 8, 9.
  const struct { const char* feld; double wert; const char* ziffern; bool passt[3]; } fälle[] = {
      {"Menge", 98765432.125, "98765432", {true, true, true}},
      {"Menge", 987654321.125, "987654321", {false, false, false}},
      {"Menge", 1e308, "", {false, false, false}},
      {"Einzelpreis", 98765432.5, "98765432", {true, true, true}},
      {"Einzelpreis", 987654321.5, "987654321", {true, false, true}},
      {"Einzelpreis", 98765432109.5, "98765432109", {true, false, false}}};
  for (const auto& f : fälle) {
    TestHost h;
    LV lv;
    lv.Position("0010", "Leistung", 0, "m", 0).SetzeFeld(f.feld, f.wert);
    lv.Speichere(*h.db);
    auto k = h.Komponente();
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(std::string(kFormate[i].name) + " " + f.feld + " " + f.ziffern);
      h.Meldungsdienst().Leeren();
      const std::string ziel = NeuerPfad("lv");
      Ausgabeoptionen o;
      o.chkMitPreise = true;
      Datei d(ziel, std::nullopt, (k.get()->*kFormate[i].ausgabe)(1, 1, ziel, 83, o));
      EXPECT_EQ(k->AusgabeVollständig(), f.passt[i]);
      EXPECT_EQ(h.Meldungen().empty(), f.passt[i]);
      if (*f.ziffern != '\0') {
        EXPECT_EQ(d.bytes.find(f.ziffern) != std::string::npos, f.passt[i]);
      }
      if (i == 1) {  // no GAEB 90 record shifted
        for (const std::string& z : d.zeilen) EXPECT_LE(z.size(), 80u) << z;
      }
    }
  }
}

// The host's document data object whose unlock fails.
struct OhneEntsperren : host::BelegdatenHost {
  std::int32_t Entsperren(std::int16_t& a, std::int32_t& n) override { BelegdatenHost::Entsperren(a, n); return 0; }
};

TEST(Ablauf, FailedUnlockAndUnwritableTargetAreReported) {
  for (const Format& f : kFormate) {
    SCOPED_TRACE(f.name);
    TestHost h;
    Positionen(h, 1);
    auto k = h.Komponente();
    // A target that cannot be created: reported, the document unlocked, the file not complete.
    EXPECT_EQ((k.get()->*f.ausgabe)(1, 1, NeuerPfad("fehlt/lv"), 83, {}), f.schreibfehler);
    EXPECT_FALSE(k->AusgabeVollständig());
    EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055(std::string("Ausgabe_Belegdaten") + f.name)});
    EXPECT_EQ(Sperren(h), 0);
    // An unlock that fails is reported; the file still counts.
    h.Meldungsdienst().Leeren();
    h.fabrik->Registriere(klassen::Belegdaten, [] { return std::make_unique<OhneEntsperren>(); });
    Datei d = Exportiere(*h.Komponente(), f);
    EXPECT_TRUE(d.ergebnis);
    EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("Entsperre Beleg: 1")});
    EXPECT_NE(Zähle(d.bytes, f.fertig), 0u);
  }
}

}  // namespace
}  // namespace gaeb::test

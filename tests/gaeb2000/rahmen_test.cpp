// The GAEB 2000 export end to end against the real host: frame, totals, code page, closing
// counts, an empty bill, a target that cannot be made, failing host calls; `gaeb export` and its exit codes.
#include <gtest/gtest.h>

#include <regex>

#include "exportlv.h"
#include "host/schema.h"

namespace gaeb::test {
namespace {

class Rahmen : public ExportTest {};

// A bill without structure levels, with everything the frame shows.
void RahmenBeleg(TestHost& h) {
  SetzeFirma(h, {{"Name1", "Bau & Söhne GmbH"}, {"Straße", "Hauptstraße 1"}, {"PlzOrt", "12345 Musterstadt"},
                 {"Telefon", "0221 123456-7890-12345"}, {"Email", "info@bau.example"}});
  LV b(1, {{"Projektname", "Kita Sonnenschein"}, {"Projektbeschreibung", "Neubau einer\r\nKindertagesstätte"},
           {"Erfassungsdatum", "20261201"}, {"DatumZuschlagsfrist", "20270115"}, {"DVNrAG", "4711"},
           {"VergabenummerAG", "V-2026-17"}, {"VergabenummerAN", "AN-9"}, {"BieterNrAG", "B-3"},
           {"LVName", "LV Rohbau"}, {"Kurzlangtext", false}, {"AnzahlEPAnteile", std::int16_t{2}}});
  // Name2 has 51 characters; Plz 6.
  b.Adresse(2, {{"Name1", "Stadt Köln"}, {"Name2", "Gebäudewirtschaft der Stadt Köln, Abteilung Hochbau"},
                {"Strasse", "Willy-Brandt-Platz 2"}, {"Plz", "506790"}, {"Ort", "Köln"}});
  b.Adresse(3, {{"Name1", "Architekt"}});  // another kind: not written
  b.Position("0010", "Mauerwerk KS 24", 12.5, "m2", 80).SetzeFeld("Langtext", "Mauerwerk aus Kalksandstein\r\nd = 24 cm");
  b.Speichere(*h.db);
}

TEST_F(Rahmen, FrameBlocksWithTheirIndentation) {
  RahmenBeleg(h);
  Datei r = Export2000(*k, 1);
  ASSERT_TRUE(r.ergebnis);
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{});
  ASSERT_GT(r.zeilen.size(), 86u);
  EXPECT_TRUE(std::regex_match(r.zeilen[8], std::regex(" {10}\\[Uhrzeit\\][0-2][0-9]:[0-5][0-9]\\[end\\]")))
      << r.zeilen[8];
  r.zeilen[8] = "(Uhrzeit)";
  const std::vector<std::string> kopf = {
      "#begin[GAEB]", "## Datenaustausch GAEB(DA2000) erstellt mit Norrfeld Software(2013)", "",
      L(5, "#begin[GAEBInfo]"), L(10, "[Version]1.2[end]"), L(10, "[VersMon]11[end]"), L(10, "[VersJahr]2001[end]"),
      L(10, "[Datum]05122026[end]"), "(Uhrzeit)", L(10, "[ProgSystem]Varnick[end]"), L(10, "[Zeichensatz]OEM[end]"),
      L(5, "#end[GAEBInfo]"), "", L(5, "#begin[PrjInfo]"), L(10, "[Name]Kita Sonnenschein[end]"),
      L(12, "[Beschreib]"), L(12, "Neubau einer"), L(12, "Kindertagesstätte"), L(12, "[end]"), L(5, "#end[PrjInfo]"),
      "", L(5, "#begin[Vergabe]"), L(11, "[DP]83[end]"), L(11, "#begin[VergabeInfo]"), L(14, "[Wae]EUR[end]"),
      L(14, "[WaeBez]EUR[end]"), L(14, "[ErDatum]01.12.2026[end]"), L(14, "[ZusEnde]15.01.2027[end]"),
      L(11, "#end[VergabeInfo]"), L(11, "#begin[AG]"), L(14, "#begin[Adresse]"), L(16, "[Name1]Stadt Köln[end]"),
      L(16, "[Name2]Gebäudewirtschaft der Stadt Köln, Abteil[end]"), L(16, "[Name3][end]"),
      L(16, "[Strasse]Willy-Brandt-Platz 2[end]"), L(16, "[PLZ]50679[end]"), L(16, "[Ort]Köln[end]"),
      L(14, "#end[Adresse]"), L(11, "[DVNr]4711[end]"), L(11, "[VergNr]V-2026-17[end]"), L(11, "#end[AG]"),
      L(11, "#begin[AN]"), L(14, "#begin[Adresse]"), L(16, "[Name1]Bau & Söhne GmbH[end]"), L(16, "[Name2][end]"),
      L(16, "[Name3][end]"), L(16, "[Strasse]Hauptstraße 1[end]"), L(16, "[PLZ]12345[end]"),
      L(16, "[Ort]Musterstadt[end]"), L(16, "[Telefon]0221 123456-7890-123[end]"), L(16, "[Fax][end]"),
      L(16, "[Email]info@bau.example[end]"), L(14, "#end[Adresse]"), L(11, "[VergNr]AN-9[end]"),
      L(11, "[BieterNr]B-3[end]"), L(11, "#end[AN]"), L(11, "#begin[LV]"), L(14, "#begin[LVInfo]"),
      L(16, "[Name]LV Rohbau[end]"), L(16, "[Kurzlang]1[end]"), L(16, "#begin[LVGlied]"), L(19, "[Typ]Position[end]"),
      L(19, "[Bez]Position[end]"), L(19, "[Laenge]8[end]"), L(16, "#end[LVGlied]"), L(16, "#begin[LVGlied]"),
      L(19, "[Typ]Index[end]"), L(19, "[Bez]Index[end]"), L(19, "[Laenge]1[end]"), L(16, "#end[LVGlied]"),
      L(16, "[AnzEPAnteile]2[end]"), L(16, "[BezEPAnteil1]Material[end]"), L(16, "[BezEPAnteil2]Lohn[end]"),
      L(16, "[BezZeit]Minuten[end]"), L(15, "## LV mit Preise(Gesamtsumme LV)"), L(15, "[Summe]0,00[end]"),
      L(15, "[NachlassProz]0,00[end]"), L(15, "[NachlassAbs]0,00[end]"), L(15, "[SummeNachNL]0,00[end]"),
      L(15, "[SummePsch]0,00[end]"), L(15, "[UST]00,00[end]"), L(15, "[SummeBrutto]0,00[end]"), L(14, "#end[LVInfo]"),
      "", L(11, "## nur Positionen (Ohne Los/Gewerk/Titel)"), L(11, "#begin[LVBereich]"),
  };
  EXPECT_EQ(std::vector<std::string>(r.zeilen.begin(), r.zeilen.begin() + kopf.size()), kopf);

  // The one position of an LV without areas, then the end of the file.
  const std::vector<std::string> rest = {
      L(12, "#begin[Position]"), L(15, "[OZ]0010[end]"), L(15, "[Menge]12,500[end]"), L(15, "[ME]m2[end]"),
      L(15, "#begin[Beschreibung]"), L(17, "[Langtext]"), L(17, "Mauerwerk aus Kalksandstein"), L(17, "d = 24 cm"),
      L(17, "[end]"), L(17, "[Kurztext]"), L(17, "Mauerwerk KS 24"), L(17, "[end]"), L(15, "#end[Beschreibung]"),
      L(12, "#end[Position]"), L(10, "#end[LVBereich]"), L(10, "## LV-Bereich Ende (nur Positionen)"),
      L(7, "#end[LV]"), L(5, "#end[Vergabe]"), "#end[GAEB]16|57",
  };
  EXPECT_EQ(std::vector<std::string>(r.zeilen.begin() + kopf.size(), r.zeilen.end()), rest);
  EXPECT_FALSE(r.tempDa);
  EXPECT_EQ(host::Sperrinhaber(*h.db, 1, 1), "");  // unlocked
}

// A priced bill with a lot and a title, a subtotal of the lot and a discount
// of 10 percent on the whole bill: 200 + 150 = 350, minus 35.
void PreisBeleg(TestHost& h) {
  LV b(1, {{"OZTrennzeichen", "."}});
  b.Zeile(20, "01", "Los 1");
  b.Zeile(22, "01.01", "Titel 1");
  b.Position("01.01.0010", "A", 10, "m2", 20);
  b.Position("01.01.0020", "B", 5, "St", 30);
  b.Zeile(60, "01.01.0030", "Zwischensumme").SetzeFeld("WelcherBetragZuAbschlag", std::int16_t{1});
  b.Zeile(80, "01.01.0040", "Nachlass").SetzeFeld("AufAbschlagProzent", 10.0);
  b.Speichere(*h.db);
}

TEST_F(Rahmen, TheBillsTotalsStandOnlyInsideLVInfo) {
  PreisBeleg(h);
  Datei r = Export2000(*k, 1, Mit(true));
  ASSERT_TRUE(r.ergebnis);
  Z info = Block(r.zeilen, L(14, "#begin[LVInfo]"), L(14, "#end[LVInfo]"));
  ASSERT_GE(info.size(), 9u);
  // [Summe]: the discount (35) added back to the net total (315).
  EXPECT_EQ(Z(info.end() - 9, info.end()),
            (Z{L(15, "## LV mit Preise(Gesamtsumme LV)"), L(15, "[Summe]350,00[end]"), L(15, "[NachlassProz]10,00[end]"),
               L(15, "[NachlassAbs]0,00[end]"), L(15, "[SummeNachNL]315,00[end]"), L(15, "[SummePsch]0,00[end]"),
               L(15, "[UST]19,00[end]"), L(15, "[SummeBrutto]374,85[end]"), L(14, "#end[LVInfo]")}));
  // The area sums of the subtotal stand outside LVInfo, without the discount on
  // the whole bill (350);
  // without prices the totals are zero and no area sums are written; data
  // phase 84 (the bid) forces prices.
  const Datei ohne = Export2000(*k, 1), angebot = Export2000(*k, 1, {}, 84);
  const std::tuple<const Datei&, std::size_t, const char*, long> fälle[] = {
      {r, 16, "[Summe]0,00[end]", 1}, {r, 16, "[Summe]350,00[end]", 1}, {r, 16, "[SummeNachNL]350,00[end]", 2},
      {ohne, 15, "[Summe]0,00[end]", 1}, {ohne, 15, "[UST]00,00[end]", 1}, {ohne, 15, "[SummeBrutto]0,00[end]", 1},
      {ohne, 16, "[SummeNachNL]350,00[end]", 0}, {angebot, 11, "[DP]84[end]", 1},
      {angebot, 15, "[SummeBrutto]374,85[end]", 1}};
  for (const auto& [d, n, zeile, anzahl] : fälle) EXPECT_EQ(Anzahl(d.zeilen, L(n, zeile)), anzahl) << zeile;
  EXPECT_TRUE(ohne.ergebnis && angebot.ergebnis);
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST_F(Rahmen, CharacterSetDecidesTheCodePage) {
  for (std::int32_t nr : {1, 2}) {
    LV b(nr, {{"Zeichensatz", nr == 1 ? "ansi" : ""}});
    b.Position("0010", "Türzarge", 1, "St", 0);
    b.Speichere(*h.db);
  }
  Datei ansi = Export2000(*k, 1, {}, 83, Codepage::Cp1252);
  Datei oem = Export2000(*k, 2);
  EXPECT_NE(ansi.bytes.find(L(17, "T\xFCrzarge\r\n")), std::string::npos);  // 1252: ü = FC
  EXPECT_NE(oem.bytes.find(L(17, "T\x81rzarge\r\n")), std::string::npos);   // 850: ü = 81
  EXPECT_EQ(ansi.bytes.find("\xC3"), std::string::npos);                     // no UTF-8 left
  EXPECT_EQ(Anzahl(ansi.zeilen, L(10, "[Zeichensatz]ansi[end]")), 1);
  EXPECT_EQ(Anzahl(oem.zeilen, L(10, "[Zeichensatz]OEM[end]")), 1);

  // RTF output forces "ANSI".
  Datei erzwungen = Export2000(*k, 2, Mit(false, true), 83, Codepage::Cp1252);
  EXPECT_NE(erzwungen.bytes.find(L(17, "T\xFCrzarge\r\n")), std::string::npos);
  EXPECT_EQ(Anzahl(erzwungen.zeilen, L(10, "[Zeichensatz]ANSI[end]")), 1);
}

// A bill without rows still gets its frame: every block that ends was begun.
TEST_F(Rahmen, AnEmptyBillGetsItsFrameAndAnEmptyLV) {
  LV(3).Speichere(*h.db);
  const Datei r = Export2000(*k, 3, Mit(true));
  ASSERT_TRUE(r.ergebnis);
  std::vector<std::string> offen;
  for (const std::string& z : r.zeilen) {
    const std::size_t b = z.find("#begin["), e = z.find("#end[");
    if (b != std::string::npos) offen.push_back(z.substr(b + 7, z.find(']', b) - b - 7));
    if (e == std::string::npos) continue;
    ASSERT_FALSE(offen.empty()) << z;
    EXPECT_EQ(z.substr(e + 5, z.find(']', e) - e - 5), offen.back()) << z;
    offen.pop_back();
  }
  EXPECT_TRUE(offen.empty());
  EXPECT_EQ(Anzahl(r.zeilen, L(11, "#begin[LV]")), 1);
  EXPECT_EQ(Anzahl(r.zeilen, L(15, "[Summe]0,00[end]")), 1);
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST_F(Rahmen, TargetThatCannotBeMade) {
  // The target is a folder: nothing is reported, the folder stays, no temporary file is left, the file is
  // not complete.
  LV(3).Speichere(*h.db);
  const std::string ziel = NeuerPfad("ziel");
  std::filesystem::create_directory(ziel);
  EXPECT_TRUE(k->Ausgabe_BelegdatenDA2000(1, 3, ziel, 83, {}));
  EXPECT_FALSE(k->AusgabeVollständig());
  EXPECT_TRUE(std::filesystem::is_directory(ziel));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ziel + "/.."), {}), 1);
  EXPECT_TRUE(h.Meldungen().empty());
  // A link planted where the temporary file used to be made (the target's name and "1") is not followed.
  const std::string opfer = NeuerPfad("opfer"), lv = NeuerPfad("lv.d83");
  std::ofstream(opfer) << "OPFER";
  std::filesystem::create_symlink(opfer, lv + "1");
  EXPECT_TRUE(k->Ausgabe_BelegdatenDA2000(1, 3, lv, 83, {}));
  EXPECT_TRUE(k->AusgabeVollständig());
  EXPECT_EQ(LiesDatei(opfer), "OPFER");
  EXPECT_TRUE(std::filesystem::is_symlink(lv + "1"));
  EXPECT_TRUE(Export2000(*k, 3).ergebnis);
  EXPECT_TRUE(k->AusgabeVollständig());
}

TEST_F(Rahmen, FailingHostCallsAreReportedAndTheExportGoesOn) {
  // Every failure shows a message, nothing escapes, and the run without a fault writes the whole file.
  LV b;
  b.Zeile(21, "1", "Gewerk");
  b.Position("1.10", "Paket", 1, "St", 0, 45), b.Position("1.11", "Teil", 2, "m", 3, 47);
  b.Zeile(50, "", "", "Hinweis");
  b.Position("1.20", "Pos", 3, "m", 4);
  b.Zeile(70, "1.30", "Zuschlag").SetzeFeld("WelcherBetragZuAbschlag", std::int16_t{4});
  b.Schlusstext("Schluss");
  b.Speichere(*h.db);
  const std::string präfix = TestHost::M10055("");
  auto [ganz, n] = Störlauf(h, [&] { return Export2000(*k, 1); }, [&](const Datei&, long fehler) {
    for (const std::string& m : h.Meldungen())
      EXPECT_TRUE(m.starts_with(präfix) || m == "Beleg konnte nicht gesperrt werden") << fehler << ": " << m;
  });
  EXPECT_TRUE(ganz.ergebnis);
  EXPECT_TRUE(h.Meldungen().empty());
  EXPECT_EQ(Anzahl(ganz.zeilen, L(5, "#end[Vergabe]")), 1);
}

TEST(Programm, ExportFormat2000) {
  Programmordner o("export2000");
  {
    auto v = host::ÖffneVerbindung(o.db);
    host::ErstelleSchema(*v);
    host::SchreibeEinstellung(*v, "Standard", "Firmendaten", "Name1", "Bau & Söhne GmbH");
    LV b(7);
    b.Position("0010", "Estrich", 20, "m2", 12.5);
    b.Speichere(*v);
  }
  auto pfad = [&](const std::string& name) { return (o.ordner / name).string(); };
  auto exportiere = [&](const std::string& format, const std::string& dp, const std::string& ziel) {
    return o.Gaeb("--user tester export --type 1 --number 7 --format " + format + " --dp " + dp + " --out " + pfad(ziel));
  };
  Lauf l = exportiere("2000", "84", "lv.d84");
  ASSERT_EQ(l.status, 0) << l.err;
  EXPECT_EQ(l.err, "");
  const Z z = Datei(pfad("lv.d84"), Codepage::Cp850).zeilen;
  ASSERT_GT(z.size(), 2u);
  EXPECT_EQ(z.front(), "#begin[GAEB]");
  EXPECT_EQ(Anzahl(z, L(16, "[Name1]Bau & Söhne GmbH[end]")), 1);
  EXPECT_EQ(Anzahl(z, L(15, "[SummeBrutto]297,50[end]")), 1);  // 250,00 + 19 %
  for (const auto& e : std::filesystem::directory_iterator(o.ordner))  // no temporary file left
    EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
  l = exportiere("90", "83 --prices", "lv.d83");
  ASSERT_EQ(l.status, 0) << l.err;
  const std::string d83 = LiesDatei(pfad("lv.d83"));
  EXPECT_EQ(d83.substr(0, 13), "00        83L");
  EXPECT_NE(d83.find(" 0000001250  000000025000"), std::string::npos);  // 20 m2 at 12,50

  // Data types the program does not know are a usage error.
  for (const char* dp : {"7", "80", "87"}) {
    l = exportiere("2000", dp, "dp.p");
    EXPECT_EQ(l.status, 2) << dp;
    EXPECT_NE(l.err.find("unknown GAEB data type " + std::string(dp)), std::string::npos) << l.err;
    EXPECT_FALSE(std::filesystem::exists(pfad("dp.p")));
  }

  // A file that cannot be written to the end (a full device, named or through a link) is no success; a null
  // device takes any file. Devices are written through, never replaced; a link to a file or a folder is refused
  // before the document is locked.
  const auto [null, voll] = Geräte(o.ordner);
  std::filesystem::create_symlink(voll, pfad("voll"));
  std::filesystem::create_symlink(pfad("lv.d83"), pfad("link"));
  for (const std::string format : {"90", "2000", "xml"}) {
    const struct { std::string ziel; int status; } ziele[] = {
        {voll, 1}, {pfad("voll"), 1}, {null, 0}, {pfad("link"), 2}, {o.ordner.string(), 2}};
    for (const auto& z : ziele) {
      l = o.Gaeb("--user tester export --type 1 --number 7 --dp 83 --format " + format + " --out " + z.ziel);
      EXPECT_EQ(l.status, z.status) << format << " " << z.ziel << ": " << l.err;
    }
  }
  for (const std::string& d : {null, voll}) EXPECT_TRUE(std::filesystem::is_character_file(d)) << d;
  EXPECT_EQ(LiesDatei(pfad("lv.d83")), d83);
  EXPECT_TRUE(std::filesystem::is_symlink(pfad("link")));

  // Another workstation holds the document.
  host::ÖffneVerbindung(o.db)->Ausführen(
      "INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 7, 'anna@anderswo:42')");
  l = exportiere("2000", "84", "gesperrt.d84");
  EXPECT_EQ(l.status, 1);
  EXPECT_EQ(l.err, "Beleg konnte nicht gesperrt werden\n");
  EXPECT_FALSE(std::filesystem::exists(pfad("gesperrt.d84")) || std::filesystem::exists(pfad("gesperrt.d841")));
}

}  // namespace
}  // namespace gaeb::test

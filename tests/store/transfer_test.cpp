// What the record transfer writes into the header and the rows.
#include <gtest/gtest.h>

#include "base/text.h"
#include "importhelfer.h"
#include "store/store.h"

namespace gaeb {
namespace {

using namespace test;

TEST_P(Import, HeaderCutsTextsAndWritesTheMaskInLetters) {
  Projekt(h, "P2");  // without a customer
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) {
    c.Positionstyp(10);
    c.Projektnummer("P2");
    c.InformationProjekt(std::string(600, 'x') + "ä");  // 601 characters
    c.KopfInformationAG(std::string(49, 'a') + "ÄÖ");  // 51
    c.Dateiname(std::string(29, 'd') + "üz");          // 31
    c.MitLos(true); c.OZStufen("2200"); c.OZMaske("1233PPPPI"); c.Datenphase(83); c.KnzRTF(false);
    c.InformationProjektRTF("{\\rtf1 x}");
  }));
  const host::Satz& kopf = Im(*k).kopf;
  // N = 3: G, L, T; the separator by default "."; RTF only with KnzRTF
  PrüfeFelder(Text({kopf}), {{0, "InformationProjekt=" + std::string(600, 'x') + " | KopfInformationAG=" +
                                     std::string(49, 'a') + "Ä | Dateiname=" + std::string(29, 'd') +
                                     "ü | OZMaske=GLTTPPPPU|.| | InformationProjektRTF= | KundenNummer=0 | "
                                     "Belegbezeichnung=Angebot | Währung=EUR | Belegdatum=20261205 | Benutzer=tester | "
                                     "Datenphase=83 | Metalltagespreis=812,5 | Metallart=CU | KopfPositionstyp=10 | "
                                     "KopfKennzeichen=3"}});
  EXPECT_EQ(k->m_PosNr_Trennzeichen, ".");
  for (int g = 1; g <= 4; ++g)
    for (int e = 1; e <= 3; ++e)
      EXPECT_TRUE(kopf.Feld("Stufe" + std::to_string(g) + "Ebene" + std::to_string(e)).ToBool());
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST_P(Import, LevelCountDecidesTheLetters) {
  struct Fall { bool los; const char *stufen, *maske, *erwartet; bool ebene1, ebene2, ebene3; } fälle[] = {
      {false, "20041", "11PPPPI", "TTPPPPU|.|", false, false, true},
      {false, "22041", "1122PPPPI", "LLTTPPPPU|.|", false, true, true},
      {false, "00081", "PPPPPPPPI", "PPPPPPPPU|.|", false, false, false}};
  std::int32_t n = nr;
  for (const Fall& f : fälle) {
    ASSERT_TRUE(Zeile(*k, n++, [&](clsGaebSQL& c) {
      c.Positionstyp(10); c.Projektnummer("P1"); c.MitLos(f.los); c.OZStufen(f.stufen); c.OZMaske(f.maske);
    }));
    const host::Satz& kopf = Im(*k).kopf;
    EXPECT_EQ(kopf.Feld("OZMaske").ToString(), f.erwartet);
    EXPECT_EQ(kopf.Feld("Stufe2Ebene1").ToBool(), f.ebene1);
    EXPECT_EQ(kopf.Feld("Stufe2Ebene2").ToBool(), f.ebene2);
    EXPECT_EQ(kopf.Feld("Stufe4Ebene3").ToBool(), f.ebene3);
  }
}

TEST_P(Import, UnitPriceFromItsSharesAndThePriceMarkers) {
  ASSERT_TRUE(Kopf(*k, nr));
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) {
    c.Positionstyp(40); c.HierarchieEbene(4); c.MaterialEPVK(10); c.LohnEPVK(5); c.Einzelpreis(99); c.Menge(2);
  }));
  EXPECT_DOUBLE_EQ(k->Einzelpreis(), 15.0);  // the record keeps the built price
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) {
    c.Positionstyp(40); c.HierarchieEbene(4); c.Einzelpreis(20); c.Menge(1);
  }));
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) { c.Positionstyp(40); c.HierarchieEbene(4); }));
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) {
    c.Positionstyp(45); c.Einzelpreis(50); c.Menge(1); c.MengePaketteil(3);
  }));
  EXPECT_DOUBLE_EQ(k->Einzelpreis(), 0.0);
  const auto& p = Im(*k).positionen;
  ASSERT_EQ(p.size(), 4u);
  PrüfeFelder(Text(p), {
      {0, "Einzelpreis=15 | Materialpreis=10 | Lohnpreis=5 | Gesamtpreis=30"},  // computed after the transfer
      {1, "Materialpreis=20 | Einzelpreis=20 | Materialpreiskennzeichen=1 | Lohnpreiskennzeichen=1"},
      {2, "Materialpreiskennzeichen= | Lohnpreiskennzeichen="},  // all prices 0
      // a package head always
      {3, "Materialpreiskennzeichen=1 | Kennzeichen=3 | MengePaketteil=3 | Paket=Wahr | Festbuchstabe=B | "
          "Kalkulationskennzeichen=1"}});
}

TEST_P(Import, SumRowsTextsAndClosingRemarks) {
  ASSERT_TRUE(Kopf(*k, nr));
  for (std::int16_t art : {60, 70, 80}) ASSERT_TRUE(Zeile(*k, nr, [&](clsGaebSQL& c) { c.Positionstyp(art); }));
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) {
    c.Positionstyp(70); c.Kurztext1("Wagnis"); c.AufAbschlagProzent(3); c.AufAbschlagBetrag(250);
    c.FürSummenspeicher2(BoolZuText(false));
  }));
  // Text rows: the print switch follows KnzVbSb, then the exact upper-case keys.
  struct Textzeile { const char *vbsb, *schlüssel; bool druck; } texte[] = {
      {"0", "", false}, {"1", "", true}, {"0", "[Hinweis]", false}, {"0", "[HINWEIS]", true},
      {"0", "[AUSFBESCHR]", true}, {"0", "[AusfBeschr]", false}};
  for (const Textzeile& t : texte) {
    ASSERT_TRUE(Zeile(*k, nr, [&](clsGaebSQL& c) {
      c.Positionstyp(50); c.KnzVbSb(t.vbsb); c.KennNr_Langtext(t.schlüssel); c.Langtext("Hinweistext");
      c.LangtextRTF("{\\rtf1 Hinweistext}");
    }));
  }
  ASSERT_TRUE(Zeile(*k, nr, [](clsGaebSQL& c) {
    c.Positionstyp(140); c.KnzRTF(true); c.Langtext("Schluss"); c.LangtextRTF("{\\rtf1 Schluss}");
  }));
  const auto& p = Im(*k).positionen;
  ASSERT_EQ(p.size(), 10u);
  // an amount replaces the percentage
  PrüfeFelder(Text(p), {{0, "Kurztext1=Zwischensumme"}, {1, "Kurztext1=Zuschlag"}, {2, "Kurztext1=Abschlag"},
                        {3, "Kurztext1=Wagnis | AufAbschlagProzent=100 | Einzelpreis=250 | FürSummenspeicher2=Falsch"}});
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(p[4 + i].Feld("Langtextdruck").ToBool(), texte[i].druck) << texte[i].schlüssel;
    EXPECT_EQ(p[4 + i].Feld("DruckKnz").ToString(), "1");
    EXPECT_EQ(p[4 + i].Feld("LangtextRTF").ToString(), "");  // RTF of a text row only with KnzRTF
  }
  const auto& s = Im(*k).schlusszeilen;
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].Feld("LangtextRTF").ToString(), "{\\rtf1 Schluss}");
  EXPECT_TRUE(s[0].Feld("Schalter").ToBool());
}

TEST_P(Import, HierarchyRowsAreRememberedAndRecomputedAtTheEnd) {
  ASSERT_TRUE(Kopf(*k, nr));
  ASSERT_TRUE(Struktur(*k, nr, 1, "h1"));
  ASSERT_TRUE(Struktur(*k, nr, 2, "H2"));
  ASSERT_TRUE(Position(*k, nr, "0010", 2, 5));
  EXPECT_EQ(k->kontext().hierarchiezeilen, (std::array<std::int32_t, 3>{0, 1, -1}));
  ASSERT_TRUE(Ende(*k, nr));
  host::Dokument d = Gespeichert(h, 1, nr);
  EXPECT_DOUBLE_EQ(d.positionen[0].Feld("Gesamtpreis").ToDouble(), 10.0);
  EXPECT_FALSE(d.positionen[0].Feld("FürSummenspeicher1").ToBool());  // structure rows carry no sum store
}

TEST_P(Import, MetalPriceIsZeroWithoutCopper) {
  h.db->Ausführen("DELETE FROM Metallarten");
  ASSERT_TRUE(Kopf(*k, nr));
  EXPECT_DOUBLE_EQ(Im(*k).kopf.Feld("Metalltagespreis").ToDouble(), 0.0);
  EXPECT_TRUE(h.Meldungen().empty());
  h.db->Ausführen("DROP TABLE Metallarten");
  EXPECT_DOUBLE_EQ(GetNETagespreis(k->kontext()), 0.0);
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("GetNETagespreis")});
}

}  // namespace
}  // namespace gaeb

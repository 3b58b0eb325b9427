// The article transfer against the host's real article masters: which members
// the component sets, what it counts, how unknown members are reported and
// what a re-import leaves in the article master.
#include <gtest/gtest.h>

#include <functional>

#include "felder.h"
#include "host/artikel.h"
#include "testhost.h"

namespace gaeb {
namespace {

using test::TestHost;

// Forwards to the host's article manager and writes down every member set
// ("name=value") and called ("name()"). The member named fehlt reaches the
// host under a name it does not know.
class Mitschrift : public Artikelmanager {
 public:
  Mitschrift(bool kv, std::vector<std::string>& log, const std::string& fehlt) : ziel_(kv), log_(log), fehlt_(fehlt) {}
  void SetzeMember(std::string_view n, const Variant& w) override {
    log_.push_back(std::string(n) + "=" + w.ToString());
    ziel_.SetzeMember(Name(n), w);
  }
  Variant LeseMember(std::string_view n) override { return ziel_.LeseMember(Name(n)); }
  Variant Rufe(std::string_view n, std::span<Variant> a) override {
    log_.push_back(std::string(n) + "()");
    return ziel_.Rufe(Name(n), a);
  }

 private:
  std::string Name(std::string_view n) const { return n == fehlt_ ? "Kein" + std::string(n) : std::string(n); }
  host::ArtikelmanagerHost ziel_;
  std::vector<std::string>& log_;
  const std::string& fehlt_;
};

using Setze = std::function<void(clsGaebSQL&)>;

// Runs on both engines: on a server the deletion procedures are its own functions.
class Artikel : public test::AufBeiden {
 protected:
  void SetUp() override {
    for (bool kv : {true, false})
      h.fabrik->Registriere(kv ? klassen::ArtikelmanagerA : klassen::ArtikelmanagerB,
                            [this, kv] { return std::make_unique<Mitschrift>(kv, log, fehlt); });
    k = h.Komponente();
  }
  // One row through Speichern_Artikeldaten for supplier "Müller", short name "AB".
  void Schreibe(const Setze& setze) {
    log.clear();
    k->Init_Datenfelder();
    setze(*k);
    EXPECT_TRUE(k->Speichern_Artikeldaten("Müller", "AB"));
  }
  // The value last set into a member, "-" when none was.
  std::string Wert(const std::string& member) const {
    for (auto it = log.rbegin(); it != log.rend(); ++it)
      if (it->rfind(member + "=", 0) == 0) return it->substr(member.size() + 1);
    return "-";
  }
  // Article numbers of a supplier in a master.
  std::vector<std::string> Nummern(bool kv, const std::string& lieferant) {
    std::vector<std::string> n;
    for (const auto& a : host::LeseArtikel(*h.db, kv, lieferant))
      n.push_back(a.artikel.Feld("Artikelnummer").ToString());
    return n;
  }
  // Deletes the supplier's articles (unless löschen is false) and writes one
  // service per OZ, as an import does.
  void Übertrage(bool kv, const std::string& lieferant, const std::string& kürzel, std::vector<std::string> oz,
                 bool mitLangtext = true, bool löschen = true) {
    if (löschen) { EXPECT_TRUE(k->LöschenLV_Artikeldaten(kv, lieferant, kürzel)); }
    EXPECT_TRUE(k->InitArtikelmanager(kv, "tester", "20261205"));
    for (const std::string& o : oz) {
      k->Init_Datenfelder(); k->Positionstyp(40); k->HierarchieEbene(4); k->Positionsnummer(o);
      if (mitLangtext) k->Langtext("Langtext " + o);
      k->Speichern_Artikeldaten(lieferant, kürzel);
    }
  }

  TestHost h{GetParam()};
  std::vector<std::string> log;
  std::string fehlt;
  std::unique_ptr<clsGaebSQL> k;
};

Setze Leistung(const Setze& mehr) {
  return [mehr](clsGaebSQL& c) { c.Positionstyp(40); c.HierarchieEbene(4); c.Positionsnummer("01.02.0030"); mehr(c); };
}

TEST_P(Artikel, EveryMemberInItsOrder) {
  ASSERT_TRUE(k->InitArtikelmanager(false, "tester", "20261205"));
  Schreibe(Leistung([](clsGaebSQL& c) {
    c.Kurztext1("Mauerwerk"); c.Kurztext3("KS 17,5"); c.Langtext("Kalksandstein"); c.DruckKnz("PQ");
    c.Mengeneinheit("m2"); c.Preiseinheit(10); c.Einzelpreis(15); c.MaterialEPVK(10); c.LohnEPVK(5); c.Zeit(0.5);
  }));
  std::string alle;
  for (const std::string& l : log) alle += l + " | ";
  EXPECT_EQ(alle, "Init_Artikel() | Init_Material() | Init_Zub() | Init_StaffelpreiseEK() | Init_StaffelpreiseVK() | "
            "Init_ne() | Hauptlieferant=Müller | Artikelnummer=AB01.02.0030 | Teilartikelnummer=01.02.0030 | "
            "AnlageDatum=20261205 | AnlageUser=tester | Suchbegriff=GAEB | Bez=Mauerwerk | Bez3=KS 17,5 | "
            "LangtextNummer=AB01.02.0030 | tbLangtext=Kalksandstein | tbLangtextV= | tbTextart=ART | "
            "tbTextnummer=AB01.02.0030 | tbZusatztextnummer=000 | tbSprachKz=ÿÿÿ | tbLieferantennummer=Müller | "
            "Druckkz1=P | DruckKz2=Q | Mengeneinheit=m2 | MengeneinheitLager=m2 | MengeneinheitEinkauf=m2 | "
            "EKPreistyp=B | stekKZRabatt1=0 | stekKZRabatt2=0 | stekKZRabatt3=0 | stekRabatt1=0 | stekRabatt2=0 | "
            "stekPreiseinheit=10 | stvkPreiseinheit=10 | stekPreis=15 | stvkPreis=10 | stvkVK2Lohn=5 | Zeit=0,5 | "
            "MwstKz=0 | ArtikelTyp=3 | fktSpeichernArtikel() | ");
  const auto gespeichert = host::LeseArtikel(*h.db, false, "Müller");
  ASSERT_EQ(gespeichert.size(), 1u);
  EXPECT_EQ(gespeichert[0].artikel.Feld("LohnEk").ToDouble(), 5.0);
  ASSERT_TRUE(gespeichert[0].langtext.has_value());
  EXPECT_EQ(gespeichert[0].langtext->Feld("SprachKz").ToString(), "ÿÿÿ");
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST_P(Artikel, RowsCountedAndMembersSetByTheirValues) {
  const std::string k100(100, 'k'), z50(50, 'z');
  // erwartet: "member=value" pairs split by " | "; "-" for a member never set
  struct Fall { Setze setze; std::string erwartet; std::int16_t leistungen, pakete, teile; } fälle[] = {
      {Leistung([&](clsGaebSQL& c) { c.Kurztext1(k100 + "ä"); c.Kurztext3(z50 + "ö"); }),
       "Bez=" + k100 + " | Bez3=" + z50, 1, 0, 0},
      {Leistung([](clsGaebSQL& c) { c.DruckKnz("X"); }),
       "Druckkz1=X | DruckKz2=X | LangtextNummer=- | tbLangtext=- | tbTextnummer=- | tbSprachKz=-", 1, 0, 0},
      {Leistung([](clsGaebSQL& c) { c.Zeit(2); }), "stekPreis=0 | stvkPreis=0 | ArtikelTyp=2", 1, 0, 0},
      {Leistung([](clsGaebSQL& c) { c.LohnEPVK(5); }), "stekPreis=- | stvkVK2Lohn=5 | ArtikelTyp=2", 1, 0, 0},
      {Leistung([](clsGaebSQL& c) { c.LohnEPVK(0.4); }), "stvkVK2Lohn=0,4 | ArtikelTyp=1", 1, 0, 0},
      {Leistung([](clsGaebSQL& c) { c.Einzelpreis(20); }), "stekPreis=20 | stvkPreis=20 | ArtikelTyp=1", 1, 0, 0},
      {[](clsGaebSQL& c) { c.Positionstyp(45); c.Positionsnummer("9"); }, "Artikelnummer=AB9", 0, 1, 0},
      {[](clsGaebSQL& c) { c.Positionstyp(47); c.Positionsnummer("9.1"); }, "Artikelnummer=-", 0, 0, 1},
      {[](clsGaebSQL& c) { c.Positionstyp(40); c.HierarchieEbene(3); }, "Artikelnummer=-", 0, 0, 0},
      {[](clsGaebSQL& c) { c.Positionstyp(50); }, "Artikelnummer=-", 0, 0, 0}};
  ASSERT_TRUE(k->InitArtikelmanager(false, "tester", "20261205"));
  for (const Fall& f : fälle) {
    k->AnzahlLeistungen(0); k->AnzahlPakete(0); k->AnzahlPaketteile(0);
    Schreibe(f.setze);
    test::PrüfeFelder([this](std::size_t, const std::string& n) { return Wert(n); }, {{0, f.erwartet}});
    EXPECT_EQ(k->AnzahlLeistungen(), f.leistungen) << f.erwartet;
    EXPECT_EQ(k->AnzahlPakete(), f.pakete) << f.erwartet;
    EXPECT_EQ(k->AnzahlPaketteile(), f.teile) << f.erwartet;
  }
  EXPECT_TRUE(h.Meldungen().empty());
}

// A member the manager does not know fails where it is used, is reported by
// the procedure that used it, and no article is stored; the row still answers True.
TEST_P(Artikel, UnknownMemberReported) {
  struct Fall { const char* fehlt; bool init; std::vector<std::string> meldungen; } fälle[] = {
      {"Init", false, {"InitArtikelmanager", "Übertrage_PositionArtikel"}},
      {"tbSprachKz", true, {"Übertrage_PositionArtikel"}}, {"LohnEk", true, {"Übertrage_PositionArtikel"}},
      {"fktSpeichernArtikel", true, {"Übertrage_PositionArtikel"}}};
  for (const Fall& f : fälle) {
    fehlt = f.fehlt;
    h.Meldungsdienst().Leeren();
    EXPECT_EQ(k->InitArtikelmanager(false, "tester", "20261205"), f.init) << f.fehlt;
    Schreibe(Leistung([](clsGaebSQL& c) { c.Langtext("L"); }));
    std::vector<std::string> erwartet;
    for (const std::string& m : f.meldungen) erwartet.push_back(TestHost::M10055(m));
    EXPECT_EQ(h.Meldungen(), erwartet) << f.fehlt;
    EXPECT_TRUE(Nummern(false, "Müller").empty()) << f.fehlt;
  }
  // The host's manager itself: unknown names, a read-only member, a wrong argument count.
  host::ArtikelmanagerHost m(true);
  Variant eins[] = {Variant(std::int16_t{0})};
  const std::pair<std::function<void()>, long> fehler[] = {
      {[&] { m.SetzeMember("Bezeichnung", "x"); }, 438}, {[&] { m.LeseMember("Preis"); }, 438},
      {[&] { m.Rufe("Speichern"); }, 438},               {[&] { m.SetzeMember("LohnEk", 1.0); }, 438},
      {[&] { m.Rufe("Init_Artikel", eins); }, 450}};
  for (const auto& [aufruf, nummer] : fehler) {
    long gemeldet = 0;
    try { aufruf(); } catch (const Fehler& e) { gemeldet = e.Nummer(); }
    EXPECT_EQ(gemeldet, nummer);
  }
}

TEST_P(Artikel, ReimportReplacesOnlyThatSuppliersArticles) {
  Übertrage(false, "O'Brien", "OB", {"1", "2", "3"});
  Übertrage(false, "Meier", "ME", {"1"});
  Übertrage(true, "Meier", "ME", {"7"});
  Übertrage(false, "O'Brien", "OB", {"2", "4"});
  // The same ordinal number again replaces the article, and its long text goes with it.
  Übertrage(false, "O'Brien", "OB", {"4"}, false, false);
  EXPECT_EQ(Nummern(false, "O'Brien"), (std::vector<std::string>{"OB2", "OB4"}));
  EXPECT_EQ(Nummern(false, "Meier"), std::vector<std::string>{"ME1"});
  EXPECT_EQ(h.db->Ausführen("SELECT Textnummer FROM Artikellangtexte WHERE Lieferantennummer = 'O''Brien'"), 1);
  EXPECT_EQ(h.db->Ausführen("SELECT Textnummer FROM Artikellangtexte WHERE Lieferantennummer = 'Meier'"), 1);
  // Without a short name nothing is deleted; the other master has its own procedure.
  EXPECT_TRUE(k->LöschenLV_Artikeldaten(false, "Meier", ""));
  EXPECT_EQ(Nummern(false, "Meier").size(), 1u);
  EXPECT_TRUE(k->LöschenLV_Artikeldaten(true, "Meier", "ME"));
  EXPECT_TRUE(Nummern(true, "Meier").empty());
  EXPECT_EQ(Nummern(false, "Meier").size(), 1u);
  EXPECT_EQ(h.db->Ausführen("SELECT * FROM ArtikellangtexteKV"), 0);
  EXPECT_TRUE(h.Meldungen().empty());
}

using test::Datenbankart;
GAEB_AUF_BEIDEN(Artikel);

}  // namespace
}  // namespace gaeb

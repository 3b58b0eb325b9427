// OZ mask and field formatting, with Ermittle_OZMaske against the real host.
#include "export/oz.h"

#include <gtest/gtest.h>

#include <memory>

#include "testhost.h"

namespace gaeb {
namespace {

using test::TestHost;

// A host with a component and its context.
class OZ : public ::testing::Test {
 protected:
  TestHost h;
  std::unique_ptr<clsGaebSQL> k = h.Komponente();
  Kontext& c = k->kontext();
};

TEST_F(OZ, MaskLevelsAndMaskCheck) {
  // Counts of ten and more are written as they are; lower-case letters are
  // not the older notation.
  const struct { std::string maske, stufen; bool gültig; } fälle[] = {
      {"1233PPPPI", "11241", true},     {"PPPPPPPPI", "00081", false},  {"12PPPPI0000000", "11041", true},
      {"", "00000", false},             {"ppii11", "20000", true},      {"GGLTPU", "00010", false},
      {std::string(12, 'P'), "000120", false}, {"1PPPI|.|", "10031", true}, {"GLT1PPPPU", "10040", false},
      {"11PPPPU", "20040", false},      {"g1", "10000", true}};
  for (const auto& f : fälle) {
    EXPECT_EQ(k->OZMaske_Stufen(f.maske), f.stufen) << f.maske;
    EXPECT_EQ(Prüfe_OZMaske(f.maske), f.gültig) << f.maske;
  }
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST_F(OZ, FormatPosNrDropsTheSeparatorOnly) {
  // A separator of two bytes is still one character.
  const struct { const char *trenn, *oz, *erwartet; } fälle[] = {
      {".", "01.02.0010", "01020010"}, {".", "1.2", "12"}, {".", "0010", "0010"}, {"", "01.02", "01.02"},
      {"..", "01..02", "01..02"},      {"·", "01·02·ä", "0102ä"}};
  for (const auto& f : fälle) {
    c.m_PosNr_Trennzeichen = f.trenn;
    EXPECT_EQ(Format_PosNr(c, f.oz), f.erwartet) << f.oz;
  }
}

TEST_F(OZ, FeldStringCutsAndPadsByCharactersFeldNumRemovesSignAndFirstComma) {
  const std::tuple<const char*, std::int16_t, const char*> text[] = {
      {"ABC", 5, "ABC  "}, {"ABCDEF", 4, "ABCD"}, {"", 3, "   "}, {"ABC", 0, ""}, {"Müller", 3, "Mül"}, {"Öl", 4, "Öl  "}};
  for (const auto& [t, w, e] : text) EXPECT_EQ(Feld_String(c, t, w), e) << t << w;
  const std::pair<const char*, const char*> zahl[] = {{"-1234,50", "123450"}, {"12", "12"}, {"--5", "-5"},
                                                      {"1,2,3", "12,3"},     {"", ""},     {" 5,00-", " 500-"}};
  for (const auto& [t, e] : zahl) EXPECT_EQ(Feld_Num(c, t), e) << t;
  EXPECT_TRUE(h.Meldungen().empty());
  EXPECT_EQ(Feld_String(c, "ABC", -1), "");
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("Feld_String")});
}

// Opens document (1, nr) in the component's document data object.
void Öffne(clsGaebSQL& k, std::int32_t nr) {
  Belegdaten& b = k.kontext().Beleg();
  b.Öffnen("0", "", k.kontext().pConnection);
  ASSERT_TRUE(b.LeseKopf(1, nr, true));
}

TEST_F(OZ, ErmittleMaskByStructureKeptOrRebuiltFromTheFormats) {
  // Without a mask by the levels present; a valid mask kept without its
  // suffix; format letters rebuilt (trades without lots: trade 00, title 000,
  // position 0000, index 0; the letter notation an import writes, with lots),
  // as is a mask without level digit. A kept mask settles again to the same.
  const struct {
    const char* maske;
    std::vector<std::int16_t> arten;
    const char *trennBeleg, *erwartet, *trenn, *stufen;  // trenn null: not asked
  } fälle[] = {
      {"", {20, 21, 22, 40}, "", "1233PPPPI", nullptr, "11241"}, {"", {22, 40}, "", "11PPPPPPI", nullptr, "20061"},
      {"", {21, 22, 40}, "", "122PPPPPI", nullptr, "12051"}, {"", {40, 50}, "", "PPPPPPPPI", nullptr, "00081"},
      {"1233PPPPI|,|", {40}, "", "1233PPPPI", ",", "11241"}, {"TTPPPU", {22, 40}, "", "11PPPI00000000", "", "20031"},
      {"LLTTTPPPPU|.|", {21, 22, 40}, "", "11222PPPPI0000", ".", "23041"},
      {"GGLLTTTPPPPU|/|", {20, 21, 22, 40}, "", "1122333PPPPI00", "/", "22341"},
      {"PPPPPPPPI", {40}, ".", "PPPPPPPPI00000", ".", "00081"}};
  std::int32_t nr = 0;
  for (const auto& f : fälle) {
    h.LegeBelegAn(1, ++nr, f.maske, f.arten, f.trennBeleg);
    auto neu = h.Komponente();
    Öffne(*neu, nr);
    for (int mal = 0; mal < (f.maske == std::string("1233PPPPI|,|") ? 2 : 1); ++mal) {
      EXPECT_EQ(Ermittle_OZMaske(neu->kontext()), f.erwartet) << nr;
      EXPECT_EQ(neu->kontext().Beleg().OZMaske(), f.erwartet) << nr;
      if (f.trenn != nullptr) {
        EXPECT_EQ(neu->m_PosNr_Trennzeichen, f.trenn) << nr;
      }
      EXPECT_EQ(neu->OZMaske_Stufen(neu->kontext().Beleg().OZMaske()), f.stufen) << nr;
    }
  }
  EXPECT_TRUE(h.Meldungen().empty());
}

TEST_F(OZ, ErmittleMaskSkipsFailingStepsSilently) {
  // Fail the 1st, 2nd, ... call of the document data object until none fails: never a report, never a throw.
  for (long n = 1;; ++n) {
    TestHost host;
    host.LegeBelegAn(1, 1, "LLTTTPPPPU|.|", {21, 22, 40});
    auto komp = host.Komponente();
    Öffne(*komp, 1);
    host.störung->aufrufe = 0;
    host.störung->failAt = n;
    std::string maske = Ermittle_OZMaske(komp->kontext());
    EXPECT_TRUE(host.Meldungen().empty()) << n;
    if (host.störung->aufrufe < n) {
      EXPECT_EQ(maske, "11222PPPPI0000");  // no fault fired: the full result
      break;
    }
    ASSERT_LT(n, 200);
  }
}

}  // namespace
}  // namespace gaeb

// The tagged-text writer on its own: the line writer's bytes and counters,
// the key of a line, the totals of the information block and the file's way
// to the target.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "exportlv.h"
#include "gaeb2000/export.h"

namespace gaeb::test {
namespace {

using gaeb2000::Ermittle_Schlüssel;
using gaeb2000::Export;

TEST(Schreiber, KeyOfALine) {
  // "#" is looked for first; "##" anywhere makes a comment.
  const std::pair<const char*, const char*> fälle[] = {
      {"     #begin[LVInfo]", "#BEGIN[LVINFO]"}, {"\t\t  [Summe]12,00[end]  ", "[SUMME]"}, {"#end[LVInfo]", "#END[LVINFO]"},
      {"  text [NachlassAbs]", "[NACHLASSABS]"}, {"a [x] #end[y]", "#END[Y]"}, {"## LV mit Preise(Gesamtsumme LV)", ""},
      {"[Summe]1 ## x", ""}, {"[Summe", ""}, {"Mauerwerk aus Kalksandstein", ""}, {"", ""}};
  for (const auto& [zeile, schlüssel] : fälle) EXPECT_EQ(Ermittle_Schlüssel(zeile), schlüssel) << zeile;
}

TEST(Schreiber, LineBytesCountersAndRecordNumber) {
  TestHost h;
  auto k = h.Komponente();
  k->Satznummer(77);
  Export e(k->kontext(), {});
  SpeicherAusgabe mem;
  e.SetzeAusgabe(&mem);
  e.AusgabeDA2000_Zeile();  // empty line
  for (const char* z : {"#begin[GAEB]", "## Datenaustausch", "   #end[Position]", "  [Summe]1,00[END]",
                        "#BEGIN[x][end]"}) {
    e.Zeilenpuffer = z;
    EXPECT_TRUE(e.AusgabeDA2000_Zeile());
    EXPECT_EQ(e.Zeilenpuffer, "");
  }
  for (const char* zeichensatz : {"OEM", "Ansi"})
    e.AusgabeZeichensatz = zeichensatz, e.Zeilenpuffer = "Bär", e.AusgabeDA2000_Zeile();
  e.Leere();
  EXPECT_EQ(mem.Daten(),
            "\r\n#begin[GAEB]\r\n## Datenaustausch\r\n   #end[Position]\r\n  [Summe]1,00[END]\r\n#BEGIN[x][end]\r\n"
            "B\x84r\r\nB\xE4r\r\n");
  EXPECT_EQ(e.AnzahlBeginZeilen, 2);
  EXPECT_EQ(e.AnzahlEndZeilen, 2);
  EXPECT_EQ(k->Satznummer(), 77 + 8);

  // Without an open output the failed write is reported; the writer goes on.
  Export ohne(k->kontext(), {});
  ohne.Zeilenpuffer = "x";
  EXPECT_TRUE(ohne.AusgabeDA2000_Zeile());
  ohne.Leere();
  EXPECT_EQ(h.Meldungen(), std::vector<std::string>{TestHost::M10055("AusgabeDA2000_Zeile")});
}

void SchreibeDatei(const std::string& pfad, const std::string& b) { std::ofstream(pfad, std::ios::binary) << b; }

// The totals of the information block: kind 70 negates the percentage,
// sub-kind 8 writes the discount amount, negated; without prices they are
// zero; another sub-kind writes NachlassAbs 0. The comment line counts as no
// line of the file.
TEST(Schreiber, TotalsOfTheInformationBlock) {
  TestHost h;
  auto k = h.Komponente();
  const std::string e15(15, ' ');
  const struct { bool preise; LVSummenspeicher speicher; Z erwartet; } fälle[] = {
      {true, {1000.5, 100, 1071.6, 7, 10, 25, 8, 70},
       {"[Summe]1000,50[end]", "[NachlassProz]-10,00[end]", "[NachlassAbs]-25,00[end]", "[SummeNachNL]900,50[end]",
        "[SummePsch]0,00[end]", "[UST]07,00[end]", "[SummeBrutto]1071,60[end]"}},
      {true, {-40, 0, 0, 19, 5, 40, 0, 80},
       {"[Summe]-40,00[end]", "[NachlassProz]5,00[end]", "[NachlassAbs]0,00[end]", "[SummeNachNL]-40,00[end]",
        "[SummePsch]0,00[end]", "[UST]19,00[end]", "[SummeBrutto]0,00[end]"}},
      {false, {1000.5, 100, 1071.6, 7, 10, 25, 0, 80},
       {"[Summe]0,00[end]", "[NachlassProz]0,00[end]", "[NachlassAbs]0,00[end]", "[SummeNachNL]0,00[end]",
        "[SummePsch]0,00[end]", "[UST]00,00[end]", "[SummeBrutto]0,00[end]"}}};
  for (const auto& f : fälle) {
    Export e(k->kontext(), Mit(f.preise));
    SpeicherAusgabe mem;
    e.SetzeAusgabe(&mem);
    e.m_LVSummenspeicher = f.speicher;
    e.LVSummenZeilen();
    e.Leere();
    std::string erwartet = e15 + "## LV mit Preise(Gesamtsumme LV)\r\n";
    for (const std::string& z : f.erwartet) erwartet += e15 + z + "\r\n";
    EXPECT_EQ(mem.Daten(), erwartet);
    EXPECT_EQ(e.AnzahlEndZeilen, 7);
    EXPECT_FALSE(e.m_LVSummenFehlerhaft);
  }
  EXPECT_EQ(k->Satznummer(), 3 * 7);
  Export zuBreit(k->kontext(), Mit(true));
  SpeicherAusgabe mem;
  zuBreit.SetzeAusgabe(&mem);
  zuBreit.m_LVSummenspeicher.Summe = 1e12;
  zuBreit.LVSummenZeilen();
  EXPECT_TRUE(zuBreit.m_LVSummenFehlerhaft);
  EXPECT_TRUE(h.Meldungen().empty());
}

// The file reaches the target whole or not at all.
TEST(Schreiber, TheFileReachesTheTargetWholeOrNotAtAll) {
  TestHost h;
  auto k = h.Komponente();
  const std::string ziel = NeuerPfad("lv.d86");
  auto ordnerInhalt = [&] {
    std::vector<std::string> namen;
    for (const auto& d : std::filesystem::directory_iterator(std::filesystem::path(ziel).parent_path()))
      namen.push_back(d.path().filename().string());
    std::sort(namen.begin(), namen.end());
    return namen;
  };
  // Straight into the new file; a temporary file (a stream target) is copied as it stands.
  for (bool überZwischendatei : {false, true}) {
    SchreibeDatei(ziel, "alt");
    Export e(k->kontext(), {});
    e.ÖffneZiel(ziel);
    if (überZwischendatei) {
      e.ziel_.reset();
      e.zwischen_ = std::make_unique<Zwischendatei>(ziel);
      e.SetzeAusgabe(e.zwischen_.get());
    }
    EXPECT_EQ(e.zwischen_ != nullptr, überZwischendatei);
    e.Zeilenpuffer = "  [Summe]1,00[end]";
    e.AusgabeDA2000_Zeile();
    e.Leere();
    EXPECT_EQ(LiesDatei(ziel), "alt");
    EXPECT_TRUE(e.Aktualisiere_LVInfo(ziel));
    e.zwischen_.reset();
    EXPECT_EQ(LiesDatei(ziel), "  [Summe]1,00[end]\r\n");
    EXPECT_EQ(ordnerInhalt(), std::vector<std::string>{"lv.d86"});
  }
  EXPECT_FALSE(k->kontext().ausgabeUnvollständig);
  // A total that did not fit, or no output at all: the target is left alone,
  // the new file removed, and the file is not complete.
  for (bool ohneAusgabe : {false, true}) {
    k->kontext().ausgabeUnvollständig = false;
    Export e(k->kontext(), {});
    if (!ohneAusgabe) e.ÖffneZiel(ziel);
    e.m_LVSummenFehlerhaft = !ohneAusgabe;
    e.Zeilenpuffer = "neu";
    e.AusgabeDA2000_Zeile();
    e.Leere();
    EXPECT_FALSE(e.Aktualisiere_LVInfo(ziel));
    EXPECT_EQ(LiesDatei(ziel), "  [Summe]1,00[end]\r\n");
    EXPECT_EQ(ordnerInhalt(), std::vector<std::string>{"lv.d86"});
    EXPECT_TRUE(k->kontext().ausgabeUnvollständig);
  }
}

}  // namespace
}  // namespace gaeb::test

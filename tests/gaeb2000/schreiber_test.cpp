// The tagged-text writer on its own: the line writer's bytes and counters,
// the key of a line, and the finishing pass on a hand-written temporary file.
#include <gtest/gtest.h>

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

TEST(Schreiber, FinishingPassReplacesTheTotalsInsideLVInfo) {
  TestHost h;
  auto k = h.Komponente();
  const std::string ziel = NeuerPfad("lv.d86"), e15(15, ' '), e16(16, ' ');
  std::string vorher = "#begin[GAEB]\r\n  [Summe]5,00[end]\r\n              #begin[LVInfo]\r\n" + e16 + "[Name]X[end]\r\n";
  vorher += "\t\t[summe]0,00[end]\r\n";
  for (const char* name : {"NachlassProz", "NachlassAbs", "SummeNachNL", "SummePsch", "UST", "SummeBrutto"})
    vorher += e16 + "[" + name + "]0,00[end]\r\n";
  vorher += "              #end[LVInfo]\r\n  [UST]1[end]\r\nT\x81r\r\n#end[GAEB]2|11";  // the last line may lack its CR LF
  // With prices: kind 70 negates the percentage, sub-kind 8 writes the
  // discount amount, negated. Without prices the totals are zero; another
  // sub-kind writes NachlassAbs 0.
  const struct { bool preise; LVSummenspeicher speicher; Z erwartet; } fälle[] = {
      {true, {1000.5, 100, 1071.6, 7, 10, 25, 8, 70},
       {"[Summe]1000,50[end]", "[NachlassProz]-10,00[end]", "[NachlassAbs]-25,00[end]", "[SummeNachNL]900,50[end]",
        "[SummePsch]0,00[end]", "[UST]07,00[end]", "[SummeBrutto]1071,60[end]"}},
      {false, {1000.5, 100, 1071.6, 7, 10, 25, 0, 80},
       {"[Summe]0,00[end]", "[NachlassProz]0,00[end]", "[NachlassAbs]0,00[end]", "[SummeNachNL]0,00[end]",
        "[SummePsch]0,00[end]", "[UST]00,00[end]", "[SummeBrutto]0,00[end]"}}};
  for (const auto& f : fälle) {
    Export e(k->kontext(), Mit(f.preise));
    e.zwischen_ = std::make_unique<Zwischendatei>(ziel);
    e.zwischen_->Schreibe(vorher);
    const std::string zwischen = e.zwischen_->Pfad();
    e.m_LVSummenspeicher = f.speicher;
    e.Aktualisiere_LVInfo(ziel);
    std::string nachher = vorher.substr(0, vorher.find("\t\t")) + e15 + "## LV mit Preise(Gesamtsumme LV)\r\n";
    for (const std::string& z : f.erwartet) nachher += e15 + z + "\r\n";
    EXPECT_EQ(LiesDatei(ziel), nachher + vorher.substr(vorher.find("              #end[LVInfo]")) + "\r\n");
    e.zwischen_.reset();
    EXPECT_FALSE(std::filesystem::exists(zwischen));
  }
  EXPECT_FALSE(k->kontext().ausgabeUnvollständig);

  // Without a temporary file the target is left alone, and the file is not complete.
  SchreibeDatei(ziel, "alt");
  Export(k->kontext(), {}).Aktualisiere_LVInfo(ziel);
  EXPECT_EQ(LiesDatei(ziel), "alt");
  EXPECT_TRUE(k->kontext().ausgabeUnvollständig);
  EXPECT_TRUE(h.Meldungen().empty());
}

}  // namespace
}  // namespace gaeb::test

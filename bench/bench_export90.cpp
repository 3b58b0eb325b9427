// GAEB 90 export benchmark: the generated bills of 10,000 and 100,000
// positions (benchlv.h) exported as data type 83 with prices. Reports
// positions per second, the peak memory of the export, lines and file size;
// BM_Öffnen90 measures the host's share alone (load, lock, compute, unlock).
#include <benchmark/benchmark.h>

#include "benchlv.h"

namespace {

using namespace gaeb;
using namespace gaeb::bench;

const BenchLV kLV("gaeb-bench-export90");

void BM_Export90(benchmark::State& state) {
  const int positionen = static_cast<int>(state.range(0));
  kLV.Vorbereite(positionen);
  BenchHost h("sqlite:" + kLV.Datenbank(positionen));
  Ausgabeoptionen o;
  o.chkMitPreise = true;
  const std::string ziel = kLV.Ziel(positionen, ".d83");
  double spitze = 0;
  bool ok = true;
  for (auto _ : state) {
    SetzeSpitzeZurück();
    ok = h.k.Ausgabe_BelegdatenDA90(1, positionen, ziel, 83, o) && ok;
    spitze = std::max(spitze, SpitzeMB());
  }
  if (!ok) state.SkipWithError("export answered False");
  state.counters["positions_per_s"] =
      benchmark::Counter(static_cast<double>(positionen), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = spitze;
  state.counters["lines"] = static_cast<double>(h.k.Satznummer());
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(ziel)) / (1024.0 * 1024.0);
}

void BM_Öffnen90(benchmark::State& state) {
  const int positionen = static_cast<int>(state.range(0));
  kLV.Vorbereite(positionen);
  const std::string verbindungstext = "sqlite:" + kLV.Datenbank(positionen);
  BenchHost h(verbindungstext);
  Belegdaten& beleg = h.k.kontext().Beleg();
  beleg.Öffnen("0", verbindungstext, h.db.get());
  beleg.Vorgaben(h.k.Dokumentvorgaben_());
  double spitze = 0;
  for (auto _ : state) {
    SetzeSpitzeZurück();
    std::int16_t art = 1;
    std::int32_t nummer = positionen;
    bool flag = true;
    beleg.ÖffneFürAusgabe(art, nummer, flag);
    if (beleg.Öffnungsstatus() != -1) state.SkipWithError("document not opened");
    beleg.Entsperren(art, nummer);
    spitze = std::max(spitze, SpitzeMB());
  }
  state.counters["peak_MB"] = spitze;
}

BENCHMARK(BM_Öffnen90)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export90)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export90)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// GAEB 2000 export benchmark: the generated bills of 10,000 and 100,000
// positions (benchlv.h) exported with prices as a host does it: open, lock
// and compute the document, write, finish, unlock. Reports positions per
// second, the peak memory of the export and the output size.
#include <benchmark/benchmark.h>

#include "benchlv.h"

namespace {

using namespace gaeb;
using namespace gaeb::bench;

const BenchLV kLV("gaeb-bench-export2000");

void BM_Export2000(benchmark::State& state) {
  const int positionen = static_cast<int>(state.range(0));
  kLV.Vorbereite(positionen);
  BenchHost h("sqlite:" + kLV.Datenbank(positionen));
  Ausgabeoptionen o;
  o.chkMitPreise = true;
  const std::string ziel = kLV.Ziel(positionen, ".p83");
  double spitze = 0;
  bool ok = true;
  for (auto _ : state) {
    SetzeSpitzeZurück();
    ok = h.k.Ausgabe_BelegdatenDA2000(1, positionen, ziel, 83, o) && ok;
    spitze = std::max(spitze, SpitzeMB());
  }
  if (!ok) state.SkipWithError("export answered False");
  state.counters["positions_per_s"] =
      benchmark::Counter(static_cast<double>(positionen), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = spitze;
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(ziel)) / (1024.0 * 1024.0);
}

BENCHMARK(BM_Export2000)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export2000)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

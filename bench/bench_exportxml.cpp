// GAEB DA XML export benchmark: the generated bills of 10,000 and 100,000
// positions (benchlv.h, long texts of about 300 characters) exported as X83
// with prices as a host does it: open, lock and compute the document, build
// the tree with every text through the converter library, save, unlock.
// Reports positions per second, the time per position, the peak memory of
// the export and the file size.
#include <benchmark/benchmark.h>

#include "benchlv.h"
#include "textconv/textkonverter.h"

namespace {

using namespace gaeb;
using namespace gaeb::bench;

const BenchLV kLV("gaeb-bench-exportxml", 3);

void BM_ExportXML(benchmark::State& state) {
  const int positionen = static_cast<int>(state.range(0));
  kLV.Vorbereite(positionen);
  BenchHost h("sqlite:" + kLV.Datenbank(positionen));
  // The converter library lies next to the programs.
  h.k.kontext().textkonverter->m_AppExeDir(GAEB_BIN_DIR);
  Ausgabeoptionen o;
  o.chkMitPreise = true;
  const std::string ziel = kLV.Ziel(positionen, ".x83");
  double spitze = 0;
  bool ok = true;
  for (auto _ : state) {
    SetzeSpitzeZurück();
    ok = h.k.Ausgabe_BelegdatenDAXML(1, positionen, ziel, 83, o) && ok;
    spitze = std::max(spitze, SpitzeMB());
  }
  if (!ok) state.SkipWithError("export answered False");
  state.counters["positions_per_s"] =
      benchmark::Counter(static_cast<double>(positionen), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["us_per_position"] = benchmark::Counter(
      static_cast<double>(positionen) * 1e-6,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_MB"] = spitze;
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(ziel)) / (1024.0 * 1024.0);
}

BENCHMARK(BM_ExportXML)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportXML)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

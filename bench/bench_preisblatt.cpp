// Price sheet benchmark: the generated bill of 100,000 positions (benchlv.h)
// written as XLSX and CSV, and each read back. Before every reading the unit
// prices in the database are set to 1, so that the sheet's prices (48.90 and
// 7.50) change every priced row: checked, set, computed and saved in one
// transaction. Reports rows per second, the peak memory of the step and the
// file size.
#include <benchmark/benchmark.h>

#include "benchlv.h"
#include "sheets/preisblatt.h"

namespace {

using namespace gaeb;
using namespace gaeb::bench;

const BenchLV kLV("gaeb-bench-preisblatt");

const char* Endung(std::int64_t format) { return format == 0 ? ".xlsx" : ".csv"; }
sheets::Blattformat Format(std::int64_t format) {
  return format == 0 ? sheets::Blattformat::Xlsx : sheets::Blattformat::Csv;
}

void Zähler(benchmark::State& state, int positionen, double spitze, const std::string& ziel) {
  state.counters["positions_per_s"] =
      benchmark::Counter(static_cast<double>(positionen), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = spitze;
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(ziel)) / (1024.0 * 1024.0);
}

void BM_BlattSchreiben(benchmark::State& state) {
  const int positionen = static_cast<int>(state.range(0));
  kLV.Vorbereite(positionen);
  auto db = host::ÖffneVerbindung("sqlite:" + kLV.Datenbank(positionen));
  const std::string ziel = kLV.Ziel(positionen, Endung(state.range(1)));
  double spitze = 0;
  for (auto _ : state) {
    SetzeSpitzeZurück();
    sheets::SchreibePreisblatt(*db, 1, positionen, ziel, Format(state.range(1)));
    spitze = std::max(spitze, SpitzeMB());
  }
  Zähler(state, positionen, spitze, ziel);
}

void BM_BlattLesen(benchmark::State& state) {
  const int positionen = static_cast<int>(state.range(0));
  kLV.Vorbereite(positionen);
  auto db = host::ÖffneVerbindung("sqlite:" + kLV.Datenbank(positionen));
  db->Ausführen("DELETE FROM Belegsperren");
  const std::string ziel = kLV.Ziel(positionen, Endung(state.range(1)));
  sheets::SchreibePreisblatt(*db, 1, positionen, ziel, Format(state.range(1)));
  double spitze = 0;
  for (auto _ : state) {
    state.PauseTiming();
    db->Ausführen("UPDATE Belegpositionen SET Einzelpreis = 1, Materialpreis = 1 WHERE Positionstyp IN (40, 47)");
    SetzeSpitzeZurück();
    state.ResumeTiming();
    sheets::Preisergebnis e = sheets::LesePreisblatt(*db, "bench", 1, positionen, ziel, Format(state.range(1)));
    spitze = std::max(spitze, SpitzeMB());
    if (e.bepreist == 0 || !e.ohnePreis.empty()) state.SkipWithError("the prices did not come back");
  }
  Zähler(state, positionen, spitze, ziel);
}

BENCHMARK(BM_BlattSchreiben)->ArgsProduct({{100000}, {0, 1}})->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BlattLesen)->ArgsProduct({{100000}, {0, 1}})->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

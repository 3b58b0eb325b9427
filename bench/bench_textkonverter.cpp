// Cost of one conversion of a short text through clsGaebTextkonverter with
// the real converter library, as the GAEB XML export makes one per text.
//   build/bin/bench_textkonverter
#include <benchmark/benchmark.h>

#include "textconv/textkonverter.h"

namespace {

void BM_KurztextRtfNachXml(benchmark::State& state) {
  gaeb::clsGaebTextkonverter konverter;
  konverter.m_AppExeDir(GAEB_BIN_DIR);
  for (auto _ : state) {
    benchmark::DoNotOptimize(konverter.RunGtcConverterTest_RTF_GXML("{\\rtf1 Beton C25/30}", "K"));
  }
}
BENCHMARK(BM_KurztextRtfNachXml);

void BM_KurztextZeilenNachXml(benchmark::State& state) {
  gaeb::clsGaebTextkonverter konverter;
  konverter.m_AppExeDir(GAEB_BIN_DIR);
  for (auto _ : state) {
    benchmark::DoNotOptimize(konverter.RunGtcConverterTest_ASCII_GXML("Beton C25/30", "K", ""));
  }
}
BENCHMARK(BM_KurztextZeilenNachXml);

}  // namespace

BENCHMARK_MAIN();

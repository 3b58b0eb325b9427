// Reading benchmark: a generated GAEB DA XML tender of N items (trades,
// titles, items with short and long texts in XML markup) read by the reader
// and stored through the component's import sequence into a SQLite file, as
// `gaeb import` does. Reports items per second end to end and the peak
// memory of the process.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>

#include "component/clsGaebSQL.h"
#include "core/positionssatz.h"
#include "host/dienste.h"
#include "host/host.h"
#include "host/schema.h"
#include "host/verbindung.h"
#include "readers/gaebleser.h"

namespace {

using namespace gaeb;

long PeakMB() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss / 1024;
}

void SchreibeLv(const std::filesystem::path& pfad, int posten) {
  std::ofstream o(pfad, std::ios::binary);
  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GAEB xmlns=\"http://www.gaeb.de/GAEB_DA_XML/200407\">"
       "<GAEBInfo><Version>3.1</Version></GAEBInfo><Award><DP>83</DP><BoQ ID=\"A1\"><BoQInfo><LblBoQ>Bench</LblBoQ>"
       "<BoQBkdn><Type>BoQLevel</Type><Length>2</Length></BoQBkdn><BoQBkdn><Type>BoQLevel</Type><Length>2</Length>"
       "</BoQBkdn><BoQBkdn><Type>Item</Type><Length>4</Length></BoQBkdn></BoQInfo><BoQBody>\n";
  int n = 0;
  for (int g = 1; n < posten; ++g) {
    o << "<BoQCtgy RNoPart=\"" << g << "\"><LblTx><p>Gewerk " << g << "</p></LblTx><BoQBody>\n";
    for (int t = 1; t <= 10 && n < posten; ++t) {
      o << "<BoQCtgy RNoPart=\"" << t << "\"><LblTx><p>Titel " << t << "</p></LblTx><BoQBody><Itemlist>\n";
      for (int p = 1; p <= 100 && n < posten; ++p, ++n) {
        o << "<Item RNoPart=\"" << p << "\"><Qty>" << 12.5 + p % 7 << "</Qty><QU>m2</QU><UP>" << 40 + p % 13
          << ".00</UP><Description><CompleteText><DetailTxt><Text><p>Beton C30/37 nach DIN EN 206 liefern und "
             "einbauen, einschließlich Verdichten und Nachbehandeln.</p><p>Oberfläche flügelgeglättet; Fugen nach "
             "Plan.</p></Text></DetailTxt><OutlineText><OutlTxt><TextOutlTxt><p>Position "
          << n << " Bodenplatte</p></TextOutlTxt></OutlTxt></OutlineText></CompleteText></Description></Item>\n";
      }
      o << "</Itemlist></BoQBody></BoQCtgy>\n";
    }
    o << "</BoQBody></BoQCtgy>\n";
  }
  o << "</BoQBody></BoQ></Award></GAEB>\n";
}

void BM_LesenUndSpeichern(benchmark::State& state) {
  const int posten = static_cast<int>(state.range(0));
  auto tmp = std::filesystem::temp_directory_path();
  auto lv = tmp / "gaeb_bench_lesen.x83";
  auto pfad = tmp / "gaeb_bench_lesen.db";
  SchreibeLv(lv, posten);
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* e : {"", "-wal", "-shm"}) std::filesystem::remove(pfad.string() + e);
    std::string text = "sqlite:" + pfad.string();
    auto db = host::ÖffneVerbindung(text);
    host::ErstelleSchema(*db);
    db->Ausführen("INSERT INTO ProjekteKolvar (Projektnummer) VALUES ('B1')");
    auto fabrik = host::NeueFabrik();
    clsGaebSQL k(fabrik);
    k.Init("", text, db.get(), nullptr, nullptr, GAEB_BIN_DIR);
    k.Parameter_Beleg("EUR", "bench", "20261205", "05122026", "", 0, 0, 0, 0, "", false);
    auto wandler = readers::NeuerTextwandler(GAEB_BIN_DIR);
    state.ResumeTiming();
    auto zeilen = readers::LeseGaebDatei(lv.string(), *wandler);
    readers::Setze(zeilen.front(), "Projektnummer", Variant(std::string("B1")));
    k.Init_BelegVorlauf(1, "");
    std::int32_t nr = k.Sperren_Belegnummer(1);
    for (const auto& z : zeilen) {
      k.Init_Datenfelder();
      for (const auto& [name, wert] : z) SchreibeEigenschaft(k.kontext().satz, name, wert);
      k.Speichern_Belegdaten(1, nr);
    }
    state.PauseTiming();
    if (db->Ausführen("SELECT Zeile FROM Belegpositionen") < posten) state.SkipWithError("rows missing");
    state.ResumeTiming();
  }
  state.counters["items/s"] = benchmark::Counter(posten, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = static_cast<double>(PeakMB());
  std::filesystem::remove(lv);
  for (const char* e : {"", "-wal", "-shm"}) std::filesystem::remove(pfad.string() + e);
}

BENCHMARK(BM_LesenUndSpeichern)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

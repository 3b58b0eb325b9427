// Import benchmark: a generated bill of N rows (trades, titles, positions
// with long texts, package heads with parts, texts) stored through the
// component's import sequence into a SQLite file, as `gaeb import-rows` does.
// Reports rows per second and the peak memory of the process.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>

#include "host/belegdaten.h"
#include "host/dienste.h"
#include "host/host.h"
#include "host/schema.h"
#include "host/verbindung.h"
#include "component/clsGaebSQL.h"

namespace {

using namespace gaeb;

long PeakMB() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss / 1024;
}

void ImportiereGenerierteZeilen(clsGaebSQL& k, std::int32_t nr, int zeilen) {
  const std::string lang =
      "Beton C30/37 nach DIN EN 206 liefern und einbauen, einschließlich Verdichten und Nachbehandeln. "
      "Oberfläche flügelgeglättet; Fugen nach Plan. Abrechnung nach Fläche.";
  auto zeile = [&](auto setze) {
    k.Init_Datenfelder();
    setze();
    k.Speichern_Belegdaten(1, nr);
  };
  zeile([&] {
    k.Positionstyp(10);
    k.Projektnummer("B1");
    k.OZMaske("1122PPPPI");
    k.OZStufen("22041");
  });
  int n = 1, gewerk = 0, titel = 0, pos = 0;
  while (n < zeilen - 1) {
    if (pos % 400 == 0) {
      ++gewerk;
      titel = 0;
      zeile([&] {
        k.Positionstyp(40);
        k.HierarchieEbene(2);
        k.Positionsnummer(std::to_string(gewerk));
        k.Kurztext1("Gewerk " + std::to_string(gewerk));
      });
      ++n;
    }
    if (pos % 40 == 0) {
      ++titel;
      zeile([&] {
        k.Positionstyp(40);
        k.HierarchieEbene(3);
        k.Positionsnummer(std::to_string(gewerk) + "." + std::to_string(titel));
        k.Kurztext1("Titel " + std::to_string(titel));
      });
      ++n;
    }
    ++pos;
    zeile([&] {
      k.Positionstyp(40);
      k.HierarchieEbene(4);
      k.Positionsnummer(std::to_string(gewerk) + "." + std::to_string(titel) + "." + std::to_string(pos));
      k.Kurztext1("Position " + std::to_string(pos) + " Bodenplatte");
      k.Langtext(lang);
      k.Menge(12.5 + pos % 7);
      k.Mengeneinheit("m2");
      k.Einzelpreis(40 + pos % 13);
    });
    ++n;
  }
  zeile([&] { k.Positionstyp(90); });
}

void BM_Import(benchmark::State& state) {
  const int zeilen = static_cast<int>(state.range(0));
  auto pfad = std::filesystem::temp_directory_path() / "gaeb_bench_import.db";
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(pfad);
    std::filesystem::remove(pfad.string() + "-wal");
    std::filesystem::remove(pfad.string() + "-shm");
    std::string text = "sqlite:" + pfad.string();
    auto db = host::ÖffneVerbindung(text);
    host::ErstelleSchema(*db);
    db->Ausführen("INSERT INTO ProjekteKolvar (Projektnummer) VALUES ('B1')");
    auto fabrik = host::NeueFabrik();
    clsGaebSQL k(fabrik);
    k.Init("", text, db.get(), nullptr, nullptr, ".");
    k.Parameter_Beleg("EUR", "bench", "20261205", "05122026", "", 0, 0, 0, 0, "", false);
    state.ResumeTiming();
    k.Init_BelegVorlauf(1, "");
    std::int32_t nr = k.Sperren_Belegnummer(1);
    ImportiereGenerierteZeilen(k, nr, zeilen);
    state.PauseTiming();
    auto& m = dynamic_cast<host::MeldungsdienstHost&>(fabrik->Dienst<Meldungsdienst>(klassen::Meldungsdienst));
    if (!m.Meldungen().empty()) state.SkipWithError(m.Meldungen().front().text.c_str());
    if (db->Ausführen("SELECT Zeile FROM Belegpositionen") < zeilen - 2) state.SkipWithError("rows missing");
    state.ResumeTiming();
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(zeilen), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = static_cast<double>(PeakMB());
  std::filesystem::remove(pfad);
}

BENCHMARK(BM_Import)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

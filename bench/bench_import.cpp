// Import benchmark: a generated bill of N rows (trades, titles, positions
// with long texts, package heads with parts, texts) stored through the
// component's import sequence into a SQLite file or a PostgreSQL database,
// as `gaeb import-rows` does. Reports rows per second and the peak memory of
// the process. The server run uses GAEB_BENCH_PG (a connection text) or
// starts a throw-away server on a local socket with tests/pgserver.sh.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

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

// The connection text of the benchmark's server; empty when none can be had.
std::string PgServer() {
  static std::string basis;
  static bool versucht = false;
  if (versucht) return basis;
  versucht = true;
  if (const char* t = std::getenv("GAEB_BENCH_PG"); t != nullptr && *t != '\0') return basis = t;
  char ordner[] = "/tmp/gaebbenchXXXXXX";
  if (::mkdtemp(ordner) == nullptr) return basis;
  std::string skript = std::string(GAEB_SOURCE_DIR) + "/tests/pgserver.sh";
  FILE* aus = ::popen(("'" + skript + "' start " + ordner + " 2>/dev/null").c_str(), "r");
  char puffer[512] = {};
  if (aus != nullptr && std::fgets(puffer, sizeof puffer, aus) != nullptr) basis = puffer;
  if (aus != nullptr) ::pclose(aus);
  while (!basis.empty() && basis.back() == '\n') basis.pop_back();
  static std::string halt = "'" + skript + "' stop " + ordner + " >/dev/null 2>&1";
  std::atexit([] { (void)!std::system(halt.c_str()); });
  return basis;
}

// CPU seconds the server process behind the connection has used so far (it
// runs on this machine); the host's work on SQLite is all in this process.
double ServerCpu(Verbindung& db) {
  int pid = db.Abfrage("SELECT pg_backend_pid() AS pid").zeilen[0][0].ToInt32();
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string feld;
  unsigned long long utime = 0, stime = 0;
  for (int i = 1; i <= 15 && in >> feld; ++i) {
    if (i == 14) utime = std::stoull(feld);
    if (i == 15) stime = std::stoull(feld);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ProzessCpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A new empty database of the engine.
std::string NeueDatenbank(bool server, const std::filesystem::path& pfad) {
  if (!server) {
    for (const char* endung : {"", "-wal", "-shm"}) std::filesystem::remove(pfad.string() + endung);
    return "sqlite:" + pfad.string();
  }
  static int zähler = 0;
  std::string schema = "bench" + std::to_string(::getpid()) + "_" + std::to_string(++zähler);
  host::ÖffneVerbindung(PgServer())->Ausführen("CREATE SCHEMA " + schema);
  return PgServer() + "&options=-csearch_path%3D" + schema;
}

void BM_Import(benchmark::State& state, bool server) {
  const int zeilen = static_cast<int>(state.range(0));
  auto pfad = std::filesystem::temp_directory_path() / "gaeb_bench_import.db";
  double cpu = 0;
  if (server && PgServer().empty()) {
    state.SkipWithError("no PostgreSQL server (set GAEB_BENCH_PG or install postgresql)");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    std::string text = NeueDatenbank(server, pfad);
    auto db = host::ÖffneVerbindung(text);
    host::ErstelleSchema(*db);
    db->Ausführen("INSERT INTO ProjekteKolvar (Projektnummer) VALUES ('B1')");
    auto fabrik = host::NeueFabrik();
    clsGaebSQL k(fabrik);
    k.Init("", text, db.get(), nullptr, nullptr, ".");
    k.Parameter_Beleg("EUR", "bench", "20261205", "05122026", "", 0, 0, 0, 0, "", false);
    double server0 = server ? ServerCpu(*db) : 0, client0 = ProzessCpu();
    state.ResumeTiming();
    k.Init_BelegVorlauf(1, "");
    std::int32_t nr = k.Sperren_Belegnummer(1);
    ImportiereGenerierteZeilen(k, nr, zeilen);
    state.PauseTiming();
    cpu += ProzessCpu() - client0 + (server ? ServerCpu(*db) - server0 : 0);
    auto& m = dynamic_cast<host::MeldungsdienstHost&>(fabrik->Dienst<Meldungsdienst>(klassen::Meldungsdienst));
    if (!m.Meldungen().empty()) state.SkipWithError(m.Meldungen().front().text.c_str());
    if (db->Ausführen("SELECT Zeile FROM Belegpositionen") < zeilen - 2) state.SkipWithError("rows missing");
    state.ResumeTiming();
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(zeilen), benchmark::Counter::kIsIterationInvariantRate);
  // Rows per CPU second of program and database together: the same measure
  // for both engines, and one that a machine busy with other work distorts
  // less than the elapsed time.
  state.counters["rows/cpu_s"] = static_cast<double>(zeilen) * static_cast<double>(state.iterations()) / cpu;
  state.counters["peak_MB"] = static_cast<double>(PeakMB());
  std::filesystem::remove(pfad);
}

BENCHMARK_CAPTURE(BM_Import, sqlite, false)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Import, postgresql, true)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// GAEB 2000 export benchmark: generated bills of 10,000 and 100,000 positions
// (lots, trades and titles, positions with long texts, package heads with
// parts, surcharges) in a SQLite file, exported with prices as a host does
// it: open, lock and compute the document, write, finish, unlock.
//
// The bills are generated in a child process, so that the peak memory shown
// (peak_MB: the highest resident set of the process during the export, read
// from /proc/self/status after resetting it) belongs to the export alone.
// Reports positions per second, seconds per export and the output size.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "component/clsGaebSQL.h"
#include "host/dokument.h"
#include "host/host.h"
#include "host/schema.h"
#include "host/verbindung.h"

namespace {

using namespace gaeb;

const std::filesystem::path kOrdner = std::filesystem::temp_directory_path() / "gaeb-bench-export2000";

std::string Datenbank(int positionen) {
  return (kOrdner / ("lv" + std::to_string(positionen) + ".db")).string();
}

// The long text of a position: eight lines of about 70 characters.
std::string Langtext(int i) {
  std::string t;
  for (int z = 0; z < 8; ++z) {
    if (z > 0) t += "\r\n";
    t += "Zeile " + std::to_string(z + 1) + " zu Position " + std::to_string(i) +
         ": Mauerwerk aus Kalksandsteinen, Fugenglattstrich, Öffnungen überdeckt";
  }
  return t;
}

// Stores a bill of about `positionen` positions as document (1, positionen).
void Erzeuge(int positionen) {
  auto db = host::ÖffneVerbindung("sqlite:" + Datenbank(positionen));
  host::ErstelleSchema(*db);
  host::Dokument d;
  d.belegart = 1;
  d.belegnummer = positionen;
  d.kopf.SetzeFeld("Währung", "EUR");
  d.kopf.SetzeFeld("OZTrennzeichen", ".");
  d.kopf.SetzeFeld("Projektname", "Benchmark");
  d.positionen.reserve(static_cast<std::size_t>(positionen) + positionen / 50);
  auto zeile = [&](std::int16_t art, const std::string& oz, const std::string& kurz) -> host::Satz& {
    d.positionen.emplace_back(host::PositionsKatalog());
    host::Satz& s = d.positionen.back();
    s.SetzeFeld("Positionstyp", art);
    s.SetzeFeld("Positionsnummer", oz);
    s.SetzeFeld("Kurztext1", kurz);
    return s;
  };
  int n = 0;
  for (int los = 1; n < positionen; ++los) {
    std::string l = (los < 10 ? "0" : "") + std::to_string(los);
    zeile(20, l, "Los " + l);
    for (int gewerk = 1; gewerk <= 10 && n < positionen; ++gewerk) {
      std::string g = l + "." + (gewerk < 10 ? "0" : "") + std::to_string(gewerk);
      zeile(21, g, "Gewerk " + g);
      for (int titel = 1; titel <= 10 && n < positionen; ++titel) {
        std::string t = g + "." + (titel < 10 ? "0" : "") + std::to_string(titel);
        zeile(22, t, "Titel " + t);
        for (int p = 1; p <= 100 && n < positionen; ++p, ++n) {
          std::string oz = t + "." + std::to_string(1000 + p * 5);
          bool paket = p % 20 == 0;
          host::Satz& s = zeile(paket ? 45 : 40, oz, "Kalksandstein-Mauerwerk " + std::to_string(n));
          s.SetzeFeld("Langtext", Langtext(n));
          s.SetzeFeld("Menge", 12.5 + p);
          s.SetzeFeld("Mengeneinheit", "m2");
          s.SetzeFeld("Einzelpreis", 48.9);
          if (paket) {
            for (int teil = 1; teil <= 2; ++teil) {
              host::Satz& t2 = zeile(47, oz + std::to_string(teil), "Teil " + std::to_string(teil));
              t2.SetzeFeld("Menge", 2.0);
              t2.SetzeFeld("MengePaketteil", 2.0);
              t2.SetzeFeld("Mengeneinheit", "St");
              t2.SetzeFeld("Einzelpreis", 7.5);
            }
          }
        }
        host::Satz& z = zeile(70, t + ".9990", "Wagnis");
        z.SetzeFeld("WelcherBetragZuAbschlag", std::int16_t{3});
        z.SetzeFeld("AufAbschlagProzent", 3.0);
      }
    }
  }
  db->Beginne();
  host::SpeichereDokument(*db, d);
  db->Bestätige();
}

// Generates the bill in a child process unless its file exists.
void Vorbereite(int positionen) {
  if (std::filesystem::exists(Datenbank(positionen))) return;
  std::filesystem::create_directories(kOrdner);
  pid_t pid = fork();
  if (pid == 0) {
    Erzeuge(positionen);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
}

// Peak resident set since the last reset, in MB.
double SpitzeMB() {
  std::ifstream f("/proc/self/status");
  std::string zeile;
  while (std::getline(f, zeile))
    if (zeile.rfind("VmHWM:", 0) == 0) return std::stod(zeile.substr(6)) / 1024.0;
  return 0;
}

void SetzeSpitzeZurück() {
  std::ofstream f("/proc/self/clear_refs");
  f << "5";
}

void BM_Export2000(benchmark::State& state) {
  const int positionen = static_cast<int>(state.range(0));
  Vorbereite(positionen);
  auto fabrik = host::NeueFabrik();
  const std::string verbindungstext = "sqlite:" + Datenbank(positionen);
  auto db = host::ÖffneVerbindung(verbindungstext);
  // A run that was killed leaves its lock behind; the benchmark's own files hold no other.
  db->Ausführen("DELETE FROM Belegsperren");
  clsGaebSQL k(fabrik);
  k.Init("", verbindungstext, db.get(), nullptr, nullptr, "");
  k.Parameter_Beleg("EUR", "bench", "20261205", "05122026", "", 0, 0, 0, 0, "", false);
  Ausgabeoptionen o;
  o.chkMitPreise = true;
  const std::string ziel = (kOrdner / ("lv" + std::to_string(positionen) + ".d83")).string();
  double spitze = 0;
  bool ok = true;
  for (auto _ : state) {
    SetzeSpitzeZurück();
    ok = k.Ausgabe_BelegdatenDA2000(1, positionen, ziel, 83, o) && ok;
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

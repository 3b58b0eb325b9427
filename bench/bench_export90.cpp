// GAEB 90 export benchmark: generated bills of 10,000 and 100,000 positions
// (lots, trades and titles, positions with long texts of eight lines, package
// heads with parts, a surcharge per title, notices, a discount on the whole
// bill) in a SQLite file, exported with prices as data type 83 as a host does
// it: open, lock and compute the document, write the records, unlock.
//
// The bills are generated in a child process, so the process's peak resident
// set (getrusage ru_maxrss, peak_MB) belongs to the export alone. Reports
// seconds per export, positions per second, lines and file size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "component/clsGaebSQL.h"
#include "host/dokument.h"
#include "host/host.h"
#include "host/schema.h"
#include "host/verbindung.h"

namespace {

using namespace gaeb;

const std::filesystem::path kOrdner = std::filesystem::temp_directory_path() / "gaeb-bench-export90";

std::string Datenbank(int positionen) { return (kOrdner / ("lv" + std::to_string(positionen) + ".db")).string(); }

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

std::string Zweistellig(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// Stores a bill of `positionen` positions as document (1, positionen).
void Erzeuge(int positionen) {
  auto db = host::ÖffneVerbindung("sqlite:" + Datenbank(positionen));
  host::ErstelleSchema(*db);
  host::Dokument d;
  d.belegart = 1;
  d.belegnummer = positionen;
  d.kopf.SetzeFeld("Währung", "EUR");
  d.kopf.SetzeFeld("OZMaske", "1233PPPPI");
  d.kopf.SetzeFeld("OZTrennzeichen", ".");
  d.kopf.SetzeFeld("MitLos", true);
  d.kopf.SetzeFeld("BezeichnungLV", "Benchmark");
  d.positionen.reserve(static_cast<std::size_t>(positionen) + positionen / 8);
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
    const std::string l = std::to_string(los % 10);
    zeile(20, l, "Los " + l);
    for (int gewerk = 1; gewerk <= 10 && n < positionen; ++gewerk) {
      const std::string g = l + "." + Zweistellig(gewerk);
      zeile(21, g, "Gewerk " + g);
      for (int titel = 1; titel <= 10 && n < positionen; ++titel) {
        const std::string t = g + "." + Zweistellig(titel);
        zeile(22, t, "Titel " + t).SetzeFeld("Langtext", "");
        zeile(50, "", "").SetzeFeld("Langtext", "Hinweis zum Titel " + t + "\r\nBitte Ausführungsplan beachten.");
        for (int p = 1; p <= 100 && n < positionen; ++p, ++n) {
          const std::string oz = t + "." + std::to_string(1000 + p * 5);
          const bool paket = p % 20 == 0;
          host::Satz& s = zeile(paket ? 45 : 40, oz, "Kalksandstein-Mauerwerk, 24 cm, Position " + std::to_string(n));
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
  host::Satz& nachlass = zeile(80, "9.99.99.9999", "Nachlass");
  nachlass.SetzeFeld("WelcherBetragZuAbschlag", std::int16_t{0});
  nachlass.SetzeFeld("AufAbschlagProzent", 2.0);
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

// Peak resident set of this process so far, in MB.
double SpitzeMB() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return static_cast<double>(r.ru_maxrss) / 1024.0;
}

void BM_Export90(benchmark::State& state) {
  const int positionen = static_cast<int>(state.range(0));
  Vorbereite(positionen);
  auto fabrik = host::NeueFabrik();
  const std::string verbindungstext = "sqlite:" + Datenbank(positionen);
  auto db = host::ÖffneVerbindung(verbindungstext);
  clsGaebSQL k(fabrik);
  k.Init("", verbindungstext, db.get(), nullptr, nullptr, "");
  k.Parameter_Beleg("EUR", "bench", "20261205", "05122026", "", 0, 0, 0, 0, "", false);
  Ausgabeoptionen o;
  o.chkMitPreise = true;
  const std::string ziel = (kOrdner / ("lv" + std::to_string(positionen) + ".d83")).string();
  bool ok = true;
  for (auto _ : state) ok = k.Ausgabe_BelegdatenDA90(1, positionen, ziel, 83, o) && ok;
  if (!ok) state.SkipWithError("export answered False");
  state.counters["positions_per_s"] =
      benchmark::Counter(static_cast<double>(positionen), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = SpitzeMB();
  state.counters["lines"] = static_cast<double>(k.Satznummer());
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(ziel)) / (1024.0 * 1024.0);
}

// The host's share of an export: load, lock and compute the document, unlock.
void BM_Öffnen90(benchmark::State& state) {
  const int positionen = static_cast<int>(state.range(0));
  Vorbereite(positionen);
  auto fabrik = host::NeueFabrik();
  const std::string verbindungstext = "sqlite:" + Datenbank(positionen);
  auto db = host::ÖffneVerbindung(verbindungstext);
  clsGaebSQL k(fabrik);
  k.Init("", verbindungstext, db.get(), nullptr, nullptr, "");
  k.Parameter_Beleg("EUR", "bench", "20261205", "05122026", "", 0, 0, 0, 0, "", false);
  Belegdaten& beleg = k.kontext().Beleg();
  beleg.Öffnen("0", verbindungstext, db.get());
  beleg.Vorgaben(k.Dokumentvorgaben_());
  for (auto _ : state) {
    std::int16_t art = 1;
    std::int32_t nummer = positionen;
    bool flag = true;
    beleg.ÖffneFürAusgabe(art, nummer, flag);
    if (beleg.Öffnungsstatus() != -1) state.SkipWithError("document not opened");
    beleg.Entsperren(art, nummer);
  }
  state.counters["peak_MB"] = SpitzeMB();
}

BENCHMARK(BM_Öffnen90)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export90)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export90)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

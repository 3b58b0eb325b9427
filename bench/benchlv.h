// The generated bill of the export benchmarks: lots, trades and titles, a
// text per title, positions with eight-line long texts, every twentieth a
// package head with two parts, a surcharge per title and a discount on the
// whole bill, stored as document (1, N) in a SQLite file of its own.
//
// The bill is generated in a child process, so that the peak memory that a
// benchmark reports belongs to the export alone.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "component/clsGaebSQL.h"
#include "host/dokument.h"
#include "host/host.h"
#include "host/schema.h"
#include "host/verbindung.h"

namespace gaeb::bench {

inline std::string Zweistellig(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// Long text of position i: `zeilen` lines of about 90 characters.
inline std::string BenchLangtext(int i, int zeilen) {
  std::string t;
  for (int z = 0; z < zeilen; ++z) {
    if (z > 0) t += "\r\n";
    t += "Zeile " + std::to_string(z + 1) + " zu Position " + std::to_string(i) +
         ": Mauerwerk aus Kalksandsteinen, Fugenglattstrich, Öffnungen überdeckt";
  }
  return t;
}

// Stores the generated bill of `positionen` positions as document (1,
// positionen) in db (the schema is created when missing).
inline void ErzeugeBenchLV(Verbindung& db, int positionen, int langtextzeilen) {
  host::ErstelleSchema(db);
  host::Dokument d;
  d.belegart = 1;
  d.belegnummer = positionen;
  d.kopf.SetzeFeld("Währung", "EUR");
  d.kopf.SetzeFeld("OZMaske", "1233PPPPI");
  d.kopf.SetzeFeld("OZTrennzeichen", ".");
  d.kopf.SetzeFeld("MitLos", true);
  d.kopf.SetzeFeld("Projektname", "Benchmark");
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
        zeile(22, t, "Titel " + t);
        zeile(50, "", "").SetzeFeld("Langtext", "Hinweis zum Titel " + t + "\r\nBitte Ausführungsplan beachten.");
        for (int p = 1; p <= 100 && n < positionen; ++p, ++n) {
          const std::string oz = t + "." + std::to_string(1000 + p * 5);
          const bool paket = p % 20 == 0;
          host::Satz& s = zeile(paket ? 45 : 40, oz, "Kalksandstein-Mauerwerk, 24 cm, Position " + std::to_string(n));
          s.SetzeFeld("Langtext", BenchLangtext(n, langtextzeilen));
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
  db.Beginne();
  host::SpeichereDokument(db, d);
  db.Bestätige();
}

class BenchLV {
 public:
  // Bills live in the temporary folder under name; long texts have
  // langtextzeilen lines of about 90 characters.
  explicit BenchLV(const std::string& name, int langtextzeilen = 8)
      : ordner_(std::filesystem::temp_directory_path() / name), langtextzeilen_(langtextzeilen) {}

  std::string Datenbank(int positionen) const {
    return (ordner_ / ("lv" + std::to_string(positionen) + ".db")).string();
  }
  std::string Ziel(int positionen, const std::string& endung) const {
    return (ordner_ / ("lv" + std::to_string(positionen) + endung)).string();
  }

  // Generates the bill of `positionen` positions unless its file exists.
  void Vorbereite(int positionen) const {
    if (std::filesystem::exists(Datenbank(positionen))) return;
    std::filesystem::create_directories(ordner_);
    pid_t pid = fork();
    if (pid == 0) {
      Erzeuge(positionen);
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
  }

 private:
  void Erzeuge(int positionen) const {
    auto db = host::ÖffneVerbindung("sqlite:" + Datenbank(positionen));
    ErzeugeBenchLV(*db, positionen, langtextzeilen_);
  }

  std::filesystem::path ordner_;
  int langtextzeilen_;
};

// A component on the bill's database with Init and Parameter_Beleg done.
struct BenchHost {
  BenchHost(const std::string& verbindungstext)
      : fabrik(host::NeueFabrik()), db(host::ÖffneVerbindung(verbindungstext)), k(fabrik) {
    // A run that was killed leaves its lock behind; the benchmark's own files hold no other.
    db->Ausführen("DELETE FROM Belegsperren");
    k.Init("", verbindungstext, db.get(), nullptr, nullptr, "");
    k.Parameter_Beleg("EUR", "bench", "20261205", "05122026", "", 0, 0, 0, 0, "", false);
  }
  std::shared_ptr<Objektfabrik> fabrik;
  std::unique_ptr<Verbindung> db;
  clsGaebSQL k;
};

// Resets the peak resident set of the process (Linux), so that SpitzeMB
// reports the peak since this call.
inline void SetzeSpitzeZurück() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Peak resident set since the last reset, in MB.
inline double SpitzeMB() {
  std::ifstream f("/proc/self/status");
  std::string zeile;
  while (std::getline(f, zeile))
    if (zeile.rfind("VmHWM:", 0) == 0) return std::stod(zeile.substr(6)) / 1024.0;
  return 0;
}

}  // namespace gaeb::bench

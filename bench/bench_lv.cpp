// Writes the generated benchmark bill (benchlv.h) of N positions as document
// (1, N) into a database, for the whole-process measurements of bench/messen.sh:
//   bench_lv DATABASE N [LONG_TEXT_LINES]
// DATABASE is a connection text as gaeb --db takes it (a plain path is SQLite).
#include <iostream>

#include "benchlv.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: bench_lv DATABASE N [LONG_TEXT_LINES]\n";
    return 2;
  }
  std::string db = argv[1];
  if (db.find(':') == std::string::npos) db = "sqlite:" + db;
  try {
    auto v = gaeb::host::ÖffneVerbindung(db);
    gaeb::bench::ErzeugeBenchLV(*v, std::stoi(argv[2]), argc > 3 ? std::stoi(argv[3]) : 3);
  } catch (const std::exception& e) {
    std::cerr << "bench_lv: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

// Helpers of the GAEB 90 tests: a document builder that stores a bill with
// chosen header, position and closing-row values in the real host, an export
// runner that writes the bill into a temporary file and reads the lines back,
// and column access by the 1-based columns of the record tables.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "testhost.h"

namespace gaeb::test {

using Felder = std::vector<std::pair<std::string_view, Variant>>;

// A document of the host database, built field by field.
class LV90 {
 public:
  explicit LV90(std::int16_t belegart = 1, std::int32_t belegnummer = 5) {
    d.belegart = belegart;
    d.belegnummer = belegnummer;
    d.kopf.SetzeFeld("Belegart", belegart);
    d.kopf.SetzeFeld("Belegnummer", belegnummer);
    d.kopf.SetzeFeld("Währung", "EUR");
    d.kopf.SetzeFeld("Belegdatum", "20261205");
    d.kopf.SetzeFeld("Belegbezeichnung", "Angebot");
    d.kopf.SetzeFeld("OZMaske", "11PPPPI");
    d.kopf.SetzeFeld("OZTrennzeichen", ".");
  }
  LV90& Kopf(const Felder& felder) {
    for (const auto& [name, wert] : felder) d.kopf.SetzeFeld(name, wert);
    return *this;
  }
  LV90& Position(std::int16_t art, const Felder& felder = {}) {
    d.positionen.emplace_back(host::PositionsKatalog());
    d.positionen.back().SetzeFeld("Positionstyp", art);
    for (const auto& [name, wert] : felder) d.positionen.back().SetzeFeld(name, wert);
    return *this;
  }
  LV90& Schlusszeile(std::int16_t art, const Felder& felder = {}) {
    d.schlusszeilen.emplace_back(host::SchlusszeilenKatalog());
    d.schlusszeilen.back().SetzeFeld("Positionstyp", art);
    for (const auto& [name, wert] : felder) d.schlusszeilen.back().SetzeFeld(name, wert);
    return *this;
  }
  void Speichere(Verbindung& db) const {
    db.Beginne();
    host::SpeichereDokument(db, d);
    db.Bestätige();
  }

  host::Dokument d;
};

// A folder of its own for the files of one test binary.
inline const std::filesystem::path& Testordner() {
  static const std::filesystem::path ordner = [] {
    std::string muster = (std::filesystem::temp_directory_path() / "gaeb90-XXXXXX").string();
    if (mkdtemp(muster.data()) == nullptr) std::abort();
    return std::filesystem::path(muster);
  }();
  return ordner;
}

inline std::string LiesDatei(const std::filesystem::path& pfad) {
  std::ifstream in(pfad, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A written GAEB 90 file: its bytes and its lines (code page 850 bytes,
// without CR LF; one byte per column).
struct Datei90 {
  bool ergebnis = false;
  bool vorhanden = false;
  std::string bytes;
  std::vector<std::string> zeilen;

  // The lines of one record type, in file order.
  std::vector<std::string> Sätze(std::string_view art) const {
    std::vector<std::string> out;
    for (const std::string& z : zeilen)
      if (z.compare(0, 2, art) == 0) out.push_back(z);
    return out;
  }
  // The record types of all lines in file order.
  std::vector<std::string> Arten() const {
    std::vector<std::string> out;
    for (const std::string& z : zeilen) out.push_back(z.substr(0, 2));
    return out;
  }
};

inline Datei90 LiesDatei90(const std::filesystem::path& pfad) {
  Datei90 d;
  d.vorhanden = std::filesystem::exists(pfad);
  d.bytes = LiesDatei(pfad);
  std::size_t start = 0;
  while (start < d.bytes.size()) {
    std::size_t ende = d.bytes.find("\r\n", start);
    if (ende == std::string::npos) {
      d.zeilen.push_back(d.bytes.substr(start));  // a last line without CR LF: a format fault
      break;
    }
    d.zeilen.push_back(d.bytes.substr(start, ende - start));
    start = ende + 2;
  }
  return d;
}

// Exports document (1, 5) of the host as data type dp and reads the file back.
inline Datei90 Exportiere(clsGaebSQL& k, std::int16_t dp, const Ausgabeoptionen& o = {}, std::int32_t nr = 5,
                          std::int16_t art = 1) {
  static int zähler = 0;
  const std::filesystem::path pfad = Testordner() / ("lv" + std::to_string(++zähler) + ".d8" + std::to_string(dp));
  Datei90 d;
  bool ergebnis = k.Ausgabe_BelegdatenDA90(art, nr, pfad.string(), dp, o);
  d = LiesDatei90(pfad);
  d.ergebnis = ergebnis;
  return d;
}

// Columns von..bis (1-based, inclusive) of a line.
inline std::string Sp(const std::string& zeile, std::size_t von, std::size_t bis) {
  if (von > zeile.size()) return {};
  return zeile.substr(von - 1, bis - von + 1);
}

inline std::string Leer(std::size_t n) { return std::string(n, ' '); }

// Checks the line format of a whole file: every line 74 columns of record
// text and a six-digit line number counting from 000001 without gaps.
inline void PrüfeZeilenformat(const Datei90& d) {
  ASSERT_TRUE(d.bytes.size() >= 2 && d.bytes.compare(d.bytes.size() - 2, 2, "\r\n") == 0) << "no CR LF at the end";
  for (std::size_t i = 0; i < d.zeilen.size(); ++i) {
    const std::string& z = d.zeilen[i];
    ASSERT_EQ(z.size(), 80u) << "line " << i + 1 << ": [" << z << "]";
    std::string nummer = std::to_string(i + 1);
    nummer.insert(0, 6 - std::min<std::size_t>(6, nummer.size()), '0');
    EXPECT_EQ(Sp(z, 75, 80), nummer) << "line " << i + 1;
    EXPECT_EQ(z.find_first_of("\r\n"), std::string::npos) << "line " << i + 1;
  }
}

// One expected field: columns von..bis of the nr-th record of type satz.
struct Feld {
  std::string satz;
  std::size_t nr, von, bis;
  std::string wert;
};

inline void PrüfeFelder(const Datei90& d, const std::vector<Feld>& felder) {
  for (const Feld& f : felder) {
    const std::vector<std::string> sätze = d.Sätze(f.satz);
    ASSERT_GT(sätze.size(), f.nr) << "record " << f.satz << " #" << f.nr;
    EXPECT_EQ(Sp(sätze[f.nr], f.von, f.bis), f.wert) << "record " << f.satz << " #" << f.nr << " " << f.von;
  }
}

// Company data in the settings, as the contractor's address of record 04.
inline void SetzeFirma(TestHost& h, const std::string& name, const std::string& straße, const std::string& ort) {
  host::SchreibeEinstellung(*h.db, "Standard", "Firmendaten", "Name1", name);
  host::SchreibeEinstellung(*h.db, "Standard", "Firmendaten", "Straße", straße);
  host::SchreibeEinstellung(*h.db, "Standard", "Firmendaten", "PlzOrt", ort);
}

inline Ausgabeoptionen MitPreisen() {
  Ausgabeoptionen o;
  o.chkMitPreise = true;
  return o;
}

// Records the progress events; cancels at a chosen one.
class Zuhörer : public clsGaebSQLEreignisse {
 public:
  void Fortschritt(std::int32_t Anzahl, bool& Cancel) override {
    ++fortschritte;
    schritte += Anzahl;
    if (fortschritte == abbrechenBei) Cancel = true;
    if (beiFortschritt) beiFortschritt();
  }
  void FortschrittMax(std::int32_t Anzahl) override { maxima.push_back(Anzahl); }
  void Yield() override { ++yields; }

  int abbrechenBei = 0;  // number of the progress event that cancels; 0: none
  std::function<void()> beiFortschritt;
  int fortschritte = 0;
  long schritte = 0;
  int yields = 0;
  std::vector<std::int32_t> maxima;
};

// A host and its component for the tests that store a bill and export it.
class Export90 : public ::testing::Test {
 protected:
  // Stores the bill and exports it as data type dp.
  Datei90 Lauf(const LV90& lv, std::int16_t dp = 83, const Ausgabeoptionen& o = MitPreisen()) {
    lv.Speichere(*h.db);
    return Exportiere(*k, dp, o);
  }

  TestHost h;
  std::unique_ptr<clsGaebSQL> k = h.Komponente();
};

}  // namespace gaeb::test

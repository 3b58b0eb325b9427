// Helpers of the GAEB 2000 export tests, on top of those of the GAEB 90 tests:
// documents built row by row and stored in the real host's database, an
// export into a fresh folder, the written file split into lines, and lines
// with visible indentation.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "base/codepage.h"
#include "gaeb90/lv90.h"

namespace gaeb::test {

// n blanks followed by text: the expected form of an indented line.
inline std::string L(std::size_t n, const std::string& text) { return std::string(n, ' ') + text; }

// Sets the fields of a row (or the header) in the order given.
inline host::Satz& Setze(host::Satz& s, const Felder& felder) {
  for (const auto& [feld, wert] : felder) s.SetzeFeld(feld, wert);
  return s;
}

// A document under construction; rows are appended in document order.
struct Belegbau {
  host::Dokument d;

  explicit Belegbau(std::int32_t nummer = 1, std::int16_t art = 1) {
    d.belegart = art;
    d.belegnummer = nummer;
    d.kopf.SetzeFeld("Währung", "EUR");
  }

  host::Satz& Zeile(std::int16_t art, const std::string& oz = "", const std::string& kurztext = "",
                    const std::string& langtext = "") {
    d.positionen.emplace_back(host::PositionsKatalog());
    host::Satz& s = d.positionen.back();
    s.SetzeFeld("Positionstyp", art);
    s.SetzeFeld("Positionsnummer", oz);
    s.SetzeFeld("Kurztext1", kurztext);
    s.SetzeFeld("Langtext", langtext);
    return s;
  }
  // A position with quantity, unit and unit price.
  host::Satz& Position(const std::string& oz, const std::string& kurztext, double menge, const std::string& me,
                       double ep, std::int16_t art = 40) {
    host::Satz& s = Zeile(art, oz, kurztext);
    s.SetzeFeld("Menge", menge);
    s.SetzeFeld("Mengeneinheit", me);
    s.SetzeFeld("Einzelpreis", ep);
    return s;
  }
  host::Satz& Schlusstext(const std::string& text) {
    d.schlusszeilen.emplace_back(host::SchlusszeilenKatalog());
    d.schlusszeilen.back().SetzeFeld("Positionstyp", std::int16_t{140});
    d.schlusszeilen.back().SetzeFeld("Langtext", text);
    return d.schlusszeilen.back();
  }
  host::Satz& Adresse(std::int16_t art) {
    d.adressen.emplace_back(host::AdressKatalog());
    d.adressen.back().SetzeFeld("Adressart", art);
    return d.adressen.back();
  }

  void Speichere(Verbindung& db) {
    db.Beginne();
    host::SpeichereDokument(db, d);
    db.Bestätige();
  }
};

// A folder of its own for the files of one test, removed at the end.
struct Ordner {
  Ordner() {
    static std::atomic<int> zähler{0};
    pfad = std::filesystem::temp_directory_path() /
           ("gaeb2000-test-" + std::to_string(getpid()) + "-" + std::to_string(zähler++));
    std::filesystem::remove_all(pfad);
    std::filesystem::create_directories(pfad);
  }
  ~Ordner() {
    std::error_code ec;
    std::filesystem::remove_all(pfad, ec);
  }
  std::string Datei(const std::string& name) const { return (pfad / name).string(); }

  std::filesystem::path pfad;
};

// The lines of a file in code page cp as UTF-8. Fails the test when a line
// does not end with CR LF.
inline std::vector<std::string> Zeilen(const std::string& bytes, Codepage cp = Codepage::Cp850) {
  std::vector<std::string> z;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t e = bytes.find("\r\n", pos);
    if (e == std::string::npos) {
      ADD_FAILURE() << "last line without CR LF: " << bytes.substr(pos);
      e = bytes.size();
    }
    z.push_back(AusCodepage(bytes.substr(pos, e - pos), cp));
    pos = e + 2;
  }
  return z;
}

// The lines from the first that equals `von` (at or after line ab) through
// the next one after it that equals `bis`, both included; empty when `von`
// is missing.
inline std::vector<std::string> Block(const std::vector<std::string>& z, const std::string& von,
                                      const std::string& bis, std::size_t ab = 0) {
  auto a = std::find(z.begin() + static_cast<std::ptrdiff_t>(ab), z.end(), von);
  if (a == z.end()) return {};
  auto b = std::find(a + 1, z.end(), bis);
  return {a, b == z.end() ? z.end() : b + 1};
}

// The index of the first line equal to `zeile`; the line count when there is none.
inline std::size_t Index(const std::vector<std::string>& z, const std::string& zeile) {
  return static_cast<std::size_t>(std::find(z.begin(), z.end(), zeile) - z.begin());
}

inline long Anzahl(const std::vector<std::string>& z, const std::string& zeile) {
  return std::count(z.begin(), z.end(), zeile);
}

// One export of a stored document into a fresh folder.
struct Exportlauf {
  bool ergebnis = false;
  std::string bytes;
  std::vector<std::string> zeilen;
  bool zielDa = false;
  bool tempDa = false;
};

inline Exportlauf Exportiere(TestHost& h, std::int32_t nummer, const Ausgabeoptionen& o = {}, std::int16_t dp = 83,
                             Codepage cp = Codepage::Cp850, clsGaebSQLEreignisse* ereignisse = nullptr) {
  Ordner ordner;
  std::string ziel = ordner.Datei("lv.d83");
  auto k = h.Komponente();
  k->Verbinde(ereignisse);
  Exportlauf r;
  r.ergebnis = k->Ausgabe_BelegdatenDA2000(1, nummer, ziel, dp, o);
  r.zielDa = std::filesystem::exists(ziel);
  r.tempDa = std::filesystem::exists(ziel + "1");
  if (r.zielDa) {
    r.bytes = LiesDatei(ziel);
    r.zeilen = Zeilen(r.bytes, cp);
  }
  return r;
}

}  // namespace gaeb::test

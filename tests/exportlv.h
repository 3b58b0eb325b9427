// Helpers of the export tests: bills built row by row and stored in the real host, exports into fresh
// folders of the test binary, the written file split into lines, and a progress listener.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <string_view>

#include "base/codepage.h"
#include "programm.h"
#include "testhost.h"

namespace gaeb::test {

using Felder = std::vector<std::pair<std::string_view, Variant>>;
using Z = std::vector<std::string>;

inline host::Satz& Setze(host::Satz& s, const Felder& felder) {
  for (const auto& [feld, wert] : felder) s.SetzeFeld(feld, wert);
  return s;
}

// A document of the host database (kind 1); rows are appended in document order.
struct LV {
  explicit LV(std::int32_t nummer = 1, const Felder& kopf = {}) {
    d.belegart = 1;
    d.belegnummer = nummer;
    d.kopf.SetzeFeld("Währung", "EUR");
    Setze(d.kopf, kopf);
  }
  LV& Kopf(const Felder& f) { return Setze(d.kopf, f), *this; }
  // A row of kind art with just the given fields.
  LV& Position(std::int16_t art, const Felder& f = {}) {
    return Neu(d.positionen, host::PositionsKatalog(), art, f), *this;
  }
  LV& Position(std::int16_t art, const std::string& oz, const Felder& f = {}) {
    return Setze(Neu(d.positionen, host::PositionsKatalog(), art, {{"Positionsnummer", oz}}), f), *this;
  }
  LV& Schlusszeile(std::int16_t art, const Felder& f = {}) {
    return Neu(d.schlusszeilen, host::SchlusszeilenKatalog(), art, f), *this;
  }
  // A row with its ordinal number, short and long text, empty ones included.
  host::Satz& Zeile(std::int16_t art, const std::string& oz = "", const std::string& kurz = "",
                    const std::string& lang = "") {
    return Neu(d.positionen, host::PositionsKatalog(), art,
               {{"Positionsnummer", oz}, {"Kurztext1", kurz}, {"Langtext", lang}});
  }
  // A position with quantity, unit and unit price.
  host::Satz& Position(const std::string& oz, const std::string& kurz, double menge, const std::string& me,
                       double ep, std::int16_t art = 40) {
    return Setze(Zeile(art, oz, kurz), {{"Menge", menge}, {"Mengeneinheit", me}, {"Einzelpreis", ep}});
  }
  host::Satz& Schlusstext(const std::string& text) {
    return Neu(d.schlusszeilen, host::SchlusszeilenKatalog(), 140, {{"Langtext", text}});
  }
  host::Satz& Adresse(std::int16_t art, const Felder& f = {}) {
    d.adressen.emplace_back(host::AdressKatalog());
    return Setze(d.adressen.back(), {{"Adressart", art}}), Setze(d.adressen.back(), f);
  }
  void Speichere(Verbindung& db) const { db.Beginne(); host::SpeichereDokument(db, d); db.Bestätige(); }

  host::Dokument d;

 private:
  host::Satz& Neu(std::vector<host::Satz>& zeilen, const host::Katalog& katalog, std::int16_t art, const Felder& f) {
    zeilen.emplace_back(katalog);
    zeilen.back().SetzeFeld("Positionstyp", art);
    return Setze(zeilen.back(), f);
  }
};

// The bill of the GAEB 90 tests: number 5 with a dated, named header and mask 11PPPPI.
inline LV LV90(std::int32_t nummer = 5) {
  return LV(nummer, {{"Belegart", std::int16_t{1}}, {"Belegnummer", nummer}, {"Belegdatum", "20261205"},
                     {"Belegbezeichnung", "Angebot"}, {"OZMaske", "11PPPPI"}, {"OZTrennzeichen", "."}});
}

// A path of the given name in a fresh folder; all folders are removed when the test binary ends.
inline std::string NeuerPfad(const std::string& name) {
  static const Programmordner wurzel("export");
  static std::atomic<int> zähler{0};
  const std::filesystem::path ordner = wurzel.ordner / std::to_string(++zähler);
  std::filesystem::create_directories(ordner);
  return (ordner / name).string();
}

// A written file: the export's answer, its bytes and its lines without CR LF (UTF-8 from code page cp, or bytes).
struct Datei {
  bool ergebnis = false, vorhanden = false, tempDa = false;
  std::string bytes;
  Z zeilen;

  Datei() = default;
  Datei(const std::string& pfad, std::optional<Codepage> cp, bool antwort = false)
      : ergebnis(antwort), vorhanden(std::filesystem::exists(pfad)) {
    // Anything beside the file in its own folder is a left-over temporary file.
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(pfad).parent_path()))
      tempDa = tempDa || e.path() != pfad;
    bytes = LiesDatei(pfad);
    for (std::size_t a = 0; a < bytes.size();) {
      std::size_t e = std::min(bytes.find("\r\n", a), bytes.size());
      zeilen.push_back(cp ? AusCodepage(bytes.substr(a, e - a), *cp) : bytes.substr(a, e - a));
      a = e + 2;
    }
  }
  // The records of one type, in file order.
  Z Sätze(std::string_view art) const {
    Z out;
    for (const std::string& z : zeilen)
      if (z.compare(0, 2, art) == 0) out.push_back(z);
    return out;
  }
  // The record types of all lines in file order.
  Z Arten() const {
    Z out;
    for (const std::string& z : zeilen) out.push_back(z.substr(0, 2));
    return out;
  }
};

// Exports document (1, nr) as GAEB 2000 and reads the file back from code page cp.
inline Datei Export2000(clsGaebSQL& k, std::int32_t nr, const Ausgabeoptionen& o = {}, std::int16_t dp = 83,
                        Codepage cp = Codepage::Cp850) {
  const std::string ziel = NeuerPfad("lv.d83");
  Datei d(ziel, cp, k.Ausgabe_BelegdatenDA2000(1, nr, ziel, dp, o));
  EXPECT_TRUE(d.bytes.empty() || d.bytes.ends_with("\r\n")) << "last line without CR LF";
  return d;
}

// Exports document (1, nr) as GAEB 90 data type dp and reads the bytes back.
inline Datei Export90(clsGaebSQL& k, std::int16_t dp, const Ausgabeoptionen& o = {}, std::int32_t nr = 5) {
  const std::string ziel = NeuerPfad("lv.d8" + std::to_string(dp));
  return Datei(ziel, std::nullopt, k.Ausgabe_BelegdatenDA90(1, nr, ziel, dp, o));
}

// GAEB 2000: n blanks followed by text, the expected form of an indented line.
inline std::string L(std::size_t n, const std::string& text) { return std::string(n, ' ') + text; }

// The lines from the first that equals `von` (at or after line ab) through the next one after it that
// equals `bis`, both included; empty when `von` is missing.
inline Z Block(const Z& z, const std::string& von, const std::string& bis, std::size_t ab = 0) {
  auto a = std::find(z.begin() + static_cast<std::ptrdiff_t>(ab), z.end(), von);
  if (a == z.end()) return {};
  auto b = std::find(a + 1, z.end(), bis);
  return {a, b == z.end() ? z.end() : b + 1};
}

// The index of the first line equal to `zeile`; the line count when there is none.
inline std::size_t Index(const Z& z, const std::string& zeile) {
  return static_cast<std::size_t>(std::find(z.begin(), z.end(), zeile) - z.begin());
}
inline long Anzahl(const Z& z, const std::string& zeile) { return std::count(z.begin(), z.end(), zeile); }

// GAEB 90: columns von..bis (1-based, inclusive) of a line, and n blanks.
inline std::string Sp(const std::string& zeile, std::size_t von, std::size_t bis) {
  return von > zeile.size() ? std::string() : zeile.substr(von - 1, bis - von + 1);
}
inline std::string Leer(std::size_t n) { return std::string(n, ' '); }

// A whole GAEB 90 file: every line 74 columns of record text and a six-digit number from 000001 without gaps.
inline void PrüfeZeilenformat(const Datei& d) {
  ASSERT_TRUE(d.bytes.ends_with("\r\n")) << "no CR LF at the end";
  for (std::size_t i = 0; i < d.zeilen.size(); ++i) {
    ASSERT_EQ(d.zeilen[i].size(), 80u) << "line " << i + 1 << ": [" << d.zeilen[i] << "]";
    std::string nummer = std::to_string(i + 1);
    EXPECT_EQ(Sp(d.zeilen[i], 75, 80), std::string(6 - nummer.size(), '0') + nummer) << "line " << i + 1;
    EXPECT_EQ(d.zeilen[i].find_first_of("\r\n"), std::string::npos) << "line " << i + 1;
  }
}

// One expected GAEB 90 field: columns von..bis of the nr-th record of type satz.
struct Feld {
  std::string satz;
  std::size_t nr, von, bis;
  std::string wert;
};

inline void PrüfeFelder(const Datei& d, const std::vector<Feld>& felder) {
  for (const Feld& f : felder) {
    const Z sätze = d.Sätze(f.satz);
    ASSERT_GT(sätze.size(), f.nr) << "record " << f.satz << " #" << f.nr;
    EXPECT_EQ(Sp(sätze[f.nr], f.von, f.bis), f.wert) << "record " << f.satz << " #" << f.nr << " " << f.von;
  }
}

// Fails the 1st, 2nd, ... call of the document data object, one run of `lauf` after the other, until none
// fails; `gestört(datei, n)` checks each run with fault n. Gives the run without fault and its number.
template <class Lauf, class Gestört>
std::pair<Datei, long> Störlauf(TestHost& h, Lauf lauf, Gestört gestört) {
  for (long n = 1;; ++n) {
    h.störung->aufrufe = 0;
    h.störung->failAt = n;
    h.Meldungsdienst().Leeren();
    Datei d = lauf();
    if (h.störung->aufrufe < n || n == 10000) {
      EXPECT_LT(n, 10000) << "the faults never stop";
      h.störung->failAt = 0;
      return {d, n};
    }
    gestört(d, n);
  }
}

// Export options by the switches the tests vary.
inline Ausgabeoptionen Mit(bool preise, bool rtf = false, bool pakete = false, bool zeiten = false,
                           bool artikel = false) {
  Ausgabeoptionen o;
  o.chkMitPreise = preise, o.chkMitRTFAusgabe = rtf, o.chkPaketalsLeistung = pakete;
  o.chkMitZeiten = zeiten, o.chkMitArtikelnummerAusgabe = artikel;
  return o;
}

// Document 1: n positions without structure levels.
inline void Positionen(TestHost& h, int n, const Felder& kopf = {}) {
  LV lv(1, kopf);
  lv.Kopf({{"DatumAngebotsabgabe", "20270115"}});
  for (int i = 1; i <= n; ++i) lv.Position(std::to_string(1000 + i), "Leistung", 1, "m2", 10);
  lv.Speichere(*h.db);
}

// True when every CR of the bytes is followed by LF and every LF follows a CR.
inline bool NurCrLf(const std::string& b) {
  for (std::size_t i = 0; i < b.size(); ++i)
    if (b[i] == '\r' ? i + 1 >= b.size() || b[i + 1] != '\n' : b[i] == '\n' && (i == 0 || b[i - 1] != '\r'))
      return false;
  return true;
}

// Settings of the company data, as the contractor's address.
inline void SetzeFirma(TestHost& h, const Felder& felder) {
  for (const auto& [name, wert] : felder)
    host::SchreibeEinstellung(*h.db, "Standard", "Firmendaten", std::string(name), wert.ToString());
}

inline long Sperren(TestHost& h) { return std::ssize(h.db->Abfrage("SELECT * FROM Belegsperren").zeilen); }

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
  int fortschritte = 0, yields = 0;
  long schritte = 0;
  std::vector<std::int32_t> maxima;
};

// A host and its component for the tests that store a bill and export it.
class ExportTest : public ::testing::Test {
 protected:
  // Stores the bill and exports it as GAEB 90 data type dp.
  Datei Lauf(const LV& lv, std::int16_t dp = 83, const Ausgabeoptionen& o = Mit(true)) {
    lv.Speichere(*h.db);
    return Export90(*k, dp, o);
  }

  TestHost h;
  std::unique_ptr<clsGaebSQL> k = h.Komponente();
};

}  // namespace gaeb::test

// The SQLite connection and the schema.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/fehler.h"
#include "host/felder.h"
#include "host/schema.h"
#include "host/verbindung.h"

namespace gaeb::host {
namespace {

TEST(Verbindung, ExecuteCountsTouchedOrReturnedRecords) {
  auto v = ÖffneVerbindung("sqlite::memory:");
  EXPECT_EQ(v->Ausführen("CREATE TABLE t (a INTEGER, b TEXT, c DOUBLE PRECISION)"), 0);
  const Variant r1[] = {Variant(std::int32_t{1}), Variant("x"), Variant(1.5)};
  const Variant r2[] = {Variant(std::int32_t{2}), Variant("O'Brien"), Variant()};
  EXPECT_EQ(v->Ausführen("INSERT INTO t VALUES (?, ?, ?)", r1), 1);
  EXPECT_EQ(v->Ausführen("INSERT INTO t VALUES (?, ?, ?)", r2), 1);
  EXPECT_EQ(v->Ausführen("SELECT * FROM t"), 2);
  EXPECT_EQ(v->Ausführen("SELECT * FROM t WHERE a = 3"), 0);
  EXPECT_EQ(v->Ausführen("UPDATE t SET b = 'y'"), 2);
  // Apostrophes are bound, not pasted.
  const Variant q[] = {Variant("O'Brien' OR '1'='1")};
  EXPECT_EQ(v->Ausführen("SELECT * FROM t WHERE b = ?", q), 0);
  Ergebnis e = v->Abfrage("SELECT a, b, c FROM t ORDER BY a");
  ASSERT_EQ(e.zeilen.size(), 2u);
  EXPECT_EQ(e.Wert(0, "a"), Variant(std::int32_t{1}));
  EXPECT_EQ(e.Wert(0, "c"), Variant(1.5));
  EXPECT_TRUE(e.Wert(1, "c").IstLeer());
  EXPECT_THROW(e.Wert(0, "nix"), Fehler);
  EXPECT_THROW(v->Ausführen("SELECT * FROM fehlt"), Fehler);
  EXPECT_THROW(v->Ausführen("SELECT * FROM t WHERE a = ?"), Fehler);  // parameter missing
  v->Beginne();
  EXPECT_TRUE(v->InTransaktion());
  v->Ausführen("DELETE FROM t");
  v->Verwerfe();
  EXPECT_FALSE(v->InTransaktion());
  EXPECT_EQ(v->Ausführen("SELECT * FROM t"), 2);
}

// A write that gave up waiting for another connection leaves nothing open on
// its own: the next write waits its busy timeout again and gets through once
// the other transaction ends.
TEST(Verbindung, WriteAfterABusyTimeoutWaitsAgain) {
  using namespace std::chrono;
  auto pfad = std::filesystem::temp_directory_path() / ("gaeb_busy_" + std::to_string(::getpid()) + ".db");
  auto a = ÖffneVerbindung("sqlite:" + pfad.string());
  a->Ausführen("CREATE TABLE t (a INTEGER PRIMARY KEY)");
  auto b = ÖffneVerbindung("sqlite:file:" + pfad.string() + "?busy_timeout=300");
  a->Beginne();
  a->Ausführen("INSERT INTO t VALUES (1)");
  auto start = steady_clock::now();
  EXPECT_THROW(b->Ausführen("INSERT INTO t VALUES (2) ON CONFLICT DO NOTHING"), Fehler);
  EXPECT_GE(steady_clock::now() - start, milliseconds(250));
  std::thread ende([&] {
    std::this_thread::sleep_for(milliseconds(100));
    a->Bestätige();
  });
  EXPECT_NO_THROW({
    b->Beginne();
    b->Ausführen("INSERT INTO t VALUES (3)");
    b->Bestätige();
  });
  ende.join();
  EXPECT_EQ(b->Ausführen("SELECT * FROM t"), 2);
  a.reset();
  b.reset();
  for (const char* endung : {"", "-wal", "-shm"}) std::filesystem::remove(pfad.string() + endung);
}

TEST(Verbindung, BadConnectionTextsAreClearErrors) {
  EXPECT_THROW(ÖffneVerbindung("mysql://x"), Fehler);
  EXPECT_THROW(ÖffneVerbindung("sqlite:"), Fehler);
  EXPECT_THROW(ÖffneVerbindung("sqlite:/nonexistent-dir/x.db"), Fehler);
  auto v = NeueVerbindung();
  EXPECT_THROW(v->Ausführen("SELECT 1"), Fehler);  // not open
}

TEST(Schema, CreatesIdempotentlyAndAddsMissingColumns) {
  auto pfad = std::filesystem::temp_directory_path() / "gaeb_schema_test.db";
  std::filesystem::remove(pfad);
  {
    auto v = ÖffneVerbindung("sqlite:" + pfad.string());
    EXPECT_EQ(Schemaversion(*v), 0);
    ErstelleSchema(*v);
    EXPECT_EQ(Schemaversion(*v), kSchemaversion);
    v->Ausführen("INSERT INTO ProjekteKolvar (Projektnummer) VALUES ('1000')");
    // A table of an older program lacks a column: it is added, the rows stay.
    v->Ausführen("DROP TABLE Belegschlusszeilen");
    v->Ausführen("CREATE TABLE Belegschlusszeilen (Belegart INTEGER, Belegnummer INTEGER, Zeile INTEGER, "
                 "Positionstyp INTEGER, PRIMARY KEY (Belegart, Belegnummer, Zeile))");
    v->Ausführen("INSERT INTO Belegschlusszeilen VALUES (1, 1, 0, 90)");
  }
  auto v = ÖffneVerbindung("sqlite:" + pfad.string());
  ErstelleSchema(*v);
  ErstelleSchema(*v);
  EXPECT_EQ(v->Ausführen("SELECT * FROM ProjekteKolvar"), 1);
  Ergebnis e = v->Abfrage("SELECT Positionstyp, SummeBrutto, LangtextRTF FROM Belegschlusszeilen");
  ASSERT_EQ(e.zeilen.size(), 1u);
  EXPECT_EQ(e.Wert(0, "SummeBrutto").ToDouble(), 0.0);
  EXPECT_EQ(e.Wert(0, "LangtextRTF").ToString(), "");
  // Umlauts of field names are spelt out in columns.
  EXPECT_EQ(Spaltenname("FürSummenspeicher2"), "FuerSummenspeicher2");
  EXPECT_NO_THROW(v->Abfrage("SELECT Waehrung, BezWaehrung FROM Belegkopfkolvar"));
  // A newer schema is refused.
  v->Ausführen("UPDATE Schemaversion SET Version = 99");
  EXPECT_THROW(ErstelleSchema(*v), Fehler);
  v.reset();
  std::filesystem::remove(pfad);
}

}  // namespace
}  // namespace gaeb::host

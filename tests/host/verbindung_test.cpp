// The connections of both engines and the schema.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/fehler.h"
#include "host/felder.h"
#include "host/schema.h"
#include "host/verbindung.h"
#include "host/verbindung_postgres.h"
#include "testhost.h"

namespace gaeb::host {
namespace {

using test::AufBeiden;
using Verbindungstest = AufBeiden;

TEST_P(Verbindungstest, ExecuteCountsBindsConvertsAndRollsBack) {
  auto v = ÖffneVerbindung(test::NeueDatenbank(GetParam()));
  EXPECT_EQ(v->Ausführen("CREATE TABLE Tafel (a INTEGER NOT NULL, Bäume TEXT, c DOUBLE PRECISION)"), 0);
  const Variant r1[] = {Variant(std::int32_t{1}), Variant("x"), Variant(1.5)};
  const Variant r2[] = {Variant(std::int32_t{2}), Variant("O'Brien ?"), Variant()};
  EXPECT_EQ(v->Ausführen("INSERT INTO Tafel VALUES (?, ?, ?)", r1), 1);
  EXPECT_EQ(v->Ausführen("INSERT INTO Tafel VALUES (?, ?, ?)", r2), 1);
  EXPECT_EQ(v->Ausführen("SELECT * FROM Tafel"), 2);
  EXPECT_EQ(v->Ausführen("SELECT * FROM Tafel WHERE a = 3"), 0);
  // Apostrophes and question marks are bound, not pasted.
  const Variant q[] = {Variant("O'Brien' OR '1'='1")};
  EXPECT_EQ(v->Ausführen("SELECT * FROM Tafel WHERE Bäume = ?", q), 0);
  // 64-bit arithmetic of the database: beyond a Long comes back as a Double.
  const Variant groß[] = {Variant(std::int32_t{2147483647})};
  EXPECT_EQ(v->Abfrage("SELECT ? + 1 AS Summe", groß).Wert(0, "Summe"), Variant(2147483648.0));
  EXPECT_EQ(v->Ausführen("UPDATE Tafel SET Bäume = 'y?'"), 2);
  Ergebnis e = v->Abfrage("SELECT a, Bäume, c FROM Tafel ORDER BY a");
  ASSERT_EQ(e.zeilen.size(), 2u);
  EXPECT_EQ(e.Wert(0, "a"), Variant(std::int32_t{1}));
  EXPECT_EQ(e.Wert(1, "Bäume"), Variant("y?"));
  EXPECT_EQ(e.Wert(0, "c"), Variant(1.5));
  EXPECT_TRUE(e.Wert(1, "c").IstLeer());
  EXPECT_THROW(e.Wert(0, "nix"), Fehler);
  try {  // the engine's message
    v->Ausführen("SELECT * FROM Fehlende"); ADD_FAILURE();
  } catch (const Fehler& f) { EXPECT_NE(f.Beschreibung().find("Fehlende"), std::string::npos) << f.Beschreibung(); }
  EXPECT_THROW(v->Ausführen("SELECT * FROM Tafel WHERE a = ?"), Fehler);  // parameter missing
  v->Beginne();
  EXPECT_TRUE(v->InTransaktion());
  v->Ausführen("DELETE FROM Tafel");
  v->Verwerfe();
  EXPECT_FALSE(v->InTransaktion());
  EXPECT_EQ(v->Ausführen("SELECT * FROM Tafel"), 2);
  // A series of rows (on the server one text stream: tabs, backslashes and
  // line ends escaped) raises an error at the latest at its end.
  const Variant gut[] = {Variant(std::int32_t{5}), Variant("a\tb\\N\r\nd"), Variant()};
  v->Beginne();
  Serie serie(*v, "INSERT INTO Tafel (a, Bäume, c) VALUES (?, ?, ?)");
  serie.Zeile(gut);
  serie.Ende();
  v->Bestätige();
  EXPECT_EQ(v->Abfrage("SELECT Bäume, c FROM Tafel WHERE a = 5").zeilen,
            (std::vector<std::vector<Variant>>{{gut[1], Variant()}}));
  auto fehlerhaft = [&] {
    v->Beginne();
    Serie falsch(*v, "INSERT INTO Tafel (a, Bäume, c) VALUES (?, ?, ?)");
    const Variant schlecht[] = {Variant(), Variant("s"), Variant(0.5)};
    falsch.Zeile(gut); falsch.Zeile(schlecht); falsch.Ende();
    v->Bestätige();
  };
  EXPECT_THROW(fehlerhaft(), Fehler);
  if (v->InTransaktion()) v->Verwerfe();
  EXPECT_EQ(v->Ausführen("SELECT * FROM Tafel"), 3);
}

// Rows handed over one at a time: in order, while the receiver runs the same
// statement text itself; an error of the receiver leaves the statement usable.
TEST_P(Verbindungstest, RowsOneAtATimeWhileTheSameStatementRunsAgain) {
  auto v = ÖffneVerbindung(test::NeueDatenbank(GetParam()));
  v->Ausführen("CREATE TABLE Tafel (a INTEGER NOT NULL, b TEXT)");
  for (std::int32_t i = 1; i <= 3; ++i) {
    const Variant r[] = {Variant(i), Variant("t" + std::to_string(i))};
    v->Ausführen("INSERT INTO Tafel VALUES (?, ?)", r);
  }
  const std::string sql = "SELECT a, b FROM Tafel WHERE a >= ? ORDER BY a";
  const Variant ab[] = {Variant(std::int32_t{1})};
  std::string gesehen;
  v->Durchlaufe(sql, ab, [&](const std::vector<std::string>& spalten, std::vector<Variant>& zeile) {
    ASSERT_EQ(spalten, (std::vector<std::string>{"a", "b"}));
    gesehen += zeile[1].ToString() + "(";
    const Variant nach[] = {Variant(zeile[0].ToInt32() + 1)};
    v->Durchlaufe(sql, nach, [&](const std::vector<std::string>&, std::vector<Variant>& z) { gesehen += z[1].ToString(); });
    gesehen += ")";
  });
  EXPECT_EQ(gesehen, "t1(t2t3)t2(t3)t3()");
  EXPECT_THROW(v->Durchlaufe(sql, ab, [](const std::vector<std::string>&, std::vector<Variant>&) { throw Fehler(5, "halt"); }),
               Fehler);
  EXPECT_EQ(v->Abfrage(sql, ab).zeilen.size(), 3u);
  int n = 0;
  v->Durchlaufe(sql, ab, [&](const std::vector<std::string>&, std::vector<Variant>&) { ++n; });
  EXPECT_EQ(n, 3);
}

TEST(Verbindung, BadConnectionTextsAreClearErrors) {
  const char* texte[] = {"mysql://x", "sqlite:", "sqlite:/nonexistent-dir/x.db",
                         "postgresql://gaeb:geheim@/x?host=/nonexistent-dir&connect_timeout=2"};
  for (const char* text : texte) {
    try {  // the password masked
      ÖffneVerbindung(text); ADD_FAILURE() << text;
    } catch (const Fehler& f) { EXPECT_EQ(f.Beschreibung().find("geheim"), std::string::npos) << f.Beschreibung(); }
  }
  EXPECT_THROW(NeueVerbindung()->Ausführen("SELECT 1"), Fehler);  // not open
}

TEST(Verbindung, ServerStatementsQuoteNamesAndNumberPlaceholders) {
  const std::pair<const char*, const char*> fälle[] = {
      {"SELECT Inhaber FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ?",
       R"(SELECT "Inhaber" FROM "Belegsperren" WHERE "Belegart" = $1 AND "Belegnummer" = $2)"},
      {"Select * from Metallarten Where NEART = 'CU?' -- Kommentar ?",
       R"(Select * from "Metallarten" Where "NEART" = 'CU?' -- Kommentar ?)"},
      {"CREATE TABLE t (a INTEGER NOT NULL DEFAULT 0, \"Schon\" TEXT, x DOUBLE PRECISION DEFAULT 1.5e3)",
       "CREATE TABLE t (a BIGINT NOT NULL DEFAULT 0, \"Schon\" TEXT, x DOUBLE PRECISION DEFAULT 1.5e3)"},
      {"INSERT INTO N (K) VALUES (? + 1) ON CONFLICT (K) DO UPDATE SET K = excluded.K WHERE N.K < 'it''s'",
       R"(INSERT INTO "N" ("K") VALUES ($1 + 1) ON CONFLICT ("K") DO UPDATE SET "K" = excluded."K" WHERE "N"."K" < 'it''s')"},
      {"CREATE FUNCTION aa_LöschenLieferanten(x bigint) RETURNS void AS $$ DELETE FROM Artikel WHERE id = $1 $$",
       R"(CREATE FUNCTION "aa_LöschenLieferanten"(x bigint) RETURNS void AS $$ DELETE FROM "Artikel" WHERE id = $1 $$)"},
  };
  for (const auto& [ein, aus] : fälle) EXPECT_EQ(PostgresSql(ein), aus);
}

// A write that gave up waiting for another connection leaves nothing open on
// its own: the next write waits its busy timeout again and gets through once
// the other transaction ends.
TEST(Verbindung, WriteAfterABusyTimeoutWaitsAgain) {
  using namespace std::chrono;
  std::string text = test::NeueDatenbank(test::Datenbankart::Sqlite, true);
  auto a = ÖffneVerbindung(text);
  a->Ausführen("CREATE TABLE t (a INTEGER PRIMARY KEY)");
  auto b = ÖffneVerbindung("sqlite:file:" + text.substr(7) + "?busy_timeout=300");
  a->Beginne();
  a->Ausführen("INSERT INTO t VALUES (1)");
  auto start = steady_clock::now();
  EXPECT_THROW(b->Ausführen("INSERT INTO t VALUES (2) ON CONFLICT DO NOTHING"), Fehler);
  EXPECT_GE(steady_clock::now() - start, milliseconds(250));
  std::thread ende([&] { std::this_thread::sleep_for(milliseconds(100)); a->Bestätige(); });
  EXPECT_NO_THROW({
    b->Beginne();
    b->Ausführen("INSERT INTO t VALUES (3)");
    b->Bestätige();
  });
  ende.join();
  EXPECT_EQ(b->Ausführen("SELECT * FROM t"), 2);
  a.reset(); b.reset(); test::EntferneDatenbank(text);
}

TEST_P(Verbindungstest, SchemaCreatesIdempotentlyAndAddsMissingColumns) {
  std::string text = test::NeueDatenbank(GetParam(), true);
  {
    auto v = ÖffneVerbindung(text);
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
  auto v = ÖffneVerbindung(text);
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
  v.reset(); test::EntferneDatenbank(text);
}

GAEB_AUF_BEIDEN(Verbindungstest);

}  // namespace
}  // namespace gaeb::host

#include "host/schema.h"

#include <set>
#include <string>
#include <vector>

#include "base/fehler.h"
#include "host/felder.h"
#include "host/prozeduren.h"
#include "host/verbindung.h"

namespace gaeb::host {

namespace {

std::string SqlTyp(Variant::Typ t) {
  switch (t) {
    case Variant::Typ::Double: return "DOUBLE PRECISION";
    case Variant::Typ::Integer:
    case Variant::Typ::Long:
    case Variant::Typ::Boolean: return "INTEGER";
    default: return "TEXT";
  }
}

// Column definition with the field's start value as default.
std::string Spaltendefinition(const Katalog& k, std::size_t i) {
  const Feld& f = k.Felder()[i];
  std::string def = k.Spalte(i) + " " + SqlTyp(f.typ);
  switch (f.typ) {
    case Variant::Typ::String: {
      std::string v = f.vorgabe.ToString();
      def += " NOT NULL DEFAULT '" + v + "'";  // start values are fixed literals without quotes
      break;
    }
    case Variant::Typ::Boolean: def += std::string(" NOT NULL DEFAULT ") + (f.vorgabe.ToBool() ? "1" : "0"); break;
    case Variant::Typ::Double: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.15g", f.vorgabe.ToDouble());
      def += std::string(" NOT NULL DEFAULT ") + buf;
      break;
    }
    default: def += " NOT NULL DEFAULT " + std::to_string(f.vorgabe.ToInt32()); break;
  }
  return def;
}

// Creates a catalogue table (with its key columns first) or adds missing columns.
void KatalogTabelle(Verbindung& v, const Katalog& k, const std::string& schlüssel, const std::string& schlüsselspalten) {
  if (!TabelleVorhanden(v, k.Tabelle())) {
    std::string sql = "CREATE TABLE " + k.Tabelle() + " (" + schlüsselspalten;
    for (std::size_t i = 0; i < k.Anzahl(); ++i) {
      std::string spalte = k.Spalte(i);
      if (schlüsselspalten.find(spalte + " ") != std::string::npos) continue;
      sql += ", " + Spaltendefinition(k, i);
    }
    sql += ", PRIMARY KEY (" + schlüssel + "))";
    v.Ausführen(sql);
    return;
  }
  std::vector<std::string> spalten = Spaltennamen(v, k.Tabelle());
  std::set<std::string> vorhanden(spalten.begin(), spalten.end());
  for (std::size_t i = 0; i < k.Anzahl(); ++i) {
    if (vorhanden.count(k.Spalte(i)) == 0)
      v.Ausführen("ALTER TABLE " + k.Tabelle() + " ADD COLUMN " + Spaltendefinition(k, i));
  }
}

const char* kFesteTabellen[] = {
    "CREATE TABLE IF NOT EXISTS Schemaversion (Version INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS ProjekteKolvar (Projektnummer TEXT PRIMARY KEY, Bezeichnung TEXT NOT NULL "
    "DEFAULT '', KundenNummer TEXT NOT NULL DEFAULT '', MitKunde INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE IF NOT EXISTS Metallarten (NEART TEXT PRIMARY KEY, Bezeichnung TEXT NOT NULL DEFAULT '', "
    "Tagespreis DOUBLE PRECISION NOT NULL DEFAULT 0)",
    "CREATE TABLE IF NOT EXISTS Einstellungen (Profil TEXT NOT NULL, Abschnitt TEXT NOT NULL, Schluessel TEXT "
    "NOT NULL, Wert TEXT NOT NULL DEFAULT '', PRIMARY KEY (Profil, Abschnitt, Schluessel))",
    "CREATE TABLE IF NOT EXISTS Nummernkreise (Belegart INTEGER NOT NULL, Nummernkreis INTEGER NOT NULL, "
    "NaechsteNummer INTEGER NOT NULL, PRIMARY KEY (Belegart, Nummernkreis))",
    "CREATE TABLE IF NOT EXISTS Benutzernummernkreise (Benutzer TEXT NOT NULL, Belegart INTEGER NOT NULL, "
    "Nummernkreis INTEGER NOT NULL, PRIMARY KEY (Benutzer, Belegart))",
    "CREATE TABLE IF NOT EXISTS Belegsperren (Belegart INTEGER NOT NULL, Belegnummer INTEGER NOT NULL, "
    "Inhaber TEXT NOT NULL, Seit TEXT NOT NULL DEFAULT '', PRIMARY KEY (Belegart, Belegnummer))",
};

// The host's stored procedures as functions of a database server, created or
// replaced by every `gaeb init` on a server (the embedded database runs them
// in the program). Names with capitals or umlauts are quoted by the
// connection as everywhere else, inside the function bodies too.
std::vector<std::string> Serverfunktionen() {
  std::vector<std::string> funktionen;
  for (const Prozedur& p : Prozeduren()) funktionen.push_back(Serverfunktion(p));
  return funktionen;
}

}  // namespace

int Schemaversion(Verbindung& v) {
  if (!TabelleVorhanden(v, "Schemaversion")) return 0;
  Ergebnis e = v.Abfrage("SELECT MAX(Version) AS Version FROM Schemaversion");
  if (e.Leer() || e.zeilen[0][0].IstLeer()) return 0;
  return e.zeilen[0][0].ToInt32();
}

void ErstelleSchema(Verbindung& v) {
  int version = Schemaversion(v);
  if (version > kSchemaversion)
    throw Fehler(3251, "Die Datenbank hat Schemaversion " + std::to_string(version) +
                           ", dieses Programm kennt nur bis " + std::to_string(kSchemaversion));
  const bool server = ArtVon(v) == Datenbankart::Postgres;
  v.Beginne();
  try {
    // Two workstations initialising a server at once: the second waits for
    // the first and then finds everything in place.
    if (server) v.Ausführen("SELECT pg_advisory_xact_lock(4242)");
    for (const char* sql : kFesteTabellen) v.Ausführen(sql);
    KatalogTabelle(v, KopfKatalog(), "Belegart, Belegnummer", "Belegart INTEGER NOT NULL, Belegnummer INTEGER NOT NULL");
    KatalogTabelle(v, PositionsKatalog(), "Belegart, Belegnummer, Zeile",
                   "Belegart INTEGER NOT NULL, Belegnummer INTEGER NOT NULL, Zeile INTEGER NOT NULL");
    for (const Katalog* k : {&SchlusszeilenKatalog(), &AdressKatalog(), &AufmassKatalog()})
      KatalogTabelle(v, *k, "Belegart, Belegnummer, Zeile",
                     "Belegart INTEGER NOT NULL, Belegnummer INTEGER NOT NULL, Zeile INTEGER NOT NULL");
    for (bool kv : {true, false}) {
      KatalogTabelle(v, ArtikelKatalog(kv), "Hauptlieferant, Artikelnummer",
                     "Hauptlieferant TEXT NOT NULL, Artikelnummer TEXT NOT NULL");
      KatalogTabelle(v, ArtikellangtextKatalog(kv), "Lieferantennummer, Textnummer, Textart, Zusatztextnummer, SprachKz",
                     "Lieferantennummer TEXT NOT NULL, Textnummer TEXT NOT NULL, Textart TEXT NOT NULL, "
                     "Zusatztextnummer TEXT NOT NULL, SprachKz TEXT NOT NULL");
    }
    if (server)
      for (const std::string& sql : Serverfunktionen()) FühreSkriptAus(v, sql);
    if (version < kSchemaversion) {
      v.Ausführen("DELETE FROM Schemaversion");
      const Variant p[] = {Variant(static_cast<std::int32_t>(kSchemaversion))};
      v.Ausführen("INSERT INTO Schemaversion (Version) VALUES (?)", p);
    }
    v.Bestätige();
  } catch (...) {
    v.Verwerfe();
    throw;
  }
}

}  // namespace gaeb::host

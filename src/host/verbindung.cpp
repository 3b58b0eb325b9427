#include "host/verbindung.h"

#include "base/fehler.h"
#include "host/verbindung_postgres.h"
#include "host/verbindung_sqlite.h"

namespace gaeb::host {

namespace {

// Opens by the engine the connection text names.
class Verbindungsweiche : public Verbindung {
 public:
  void Öffnen(std::string_view text) override {
    if (text.rfind("sqlite:", 0) == 0) {
      ziel_ = NeueSqliteVerbindung();
    } else if (text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0) {
      ziel_ = NeuePostgresVerbindung();
    } else {
      throw Fehler(3706, "Unbekannte Datenbank: " + std::string(text) +
                             " (erwartet sqlite:PFAD, sqlite::memory: oder postgresql://BENUTZER@SERVER/DATENBANK)");
    }
    ziel_->Öffnen(text);
  }
  long Ausführen(std::string_view sql, std::span<const Variant> p) override { return Ziel().Ausführen(sql, p); }
  Ergebnis Abfrage(std::string_view sql, std::span<const Variant> p) override { return Ziel().Abfrage(sql, p); }
  void Beginne() override { Ziel().Beginne(); }
  void Bestätige() override { Ziel().Bestätige(); }
  void Verwerfe() override { Ziel().Verwerfe(); }
  bool InTransaktion() const override { return ziel_ && ziel_->InTransaktion(); }
  std::string Verbindungstext() const override { return ziel_ ? ziel_->Verbindungstext() : std::string(); }

  Verbindung& Ziel() const {
    if (!ziel_) throw Fehler(3704, "Der Vorgang ist für ein geschlossenes Objekt nicht zulässig.");
    return *ziel_;
  }

 private:
  std::unique_ptr<Verbindung> ziel_;
};

}  // namespace

std::unique_ptr<Verbindung> NeueVerbindung() { return std::make_unique<Verbindungsweiche>(); }

std::unique_ptr<Verbindung> ÖffneVerbindung(std::string_view verbindungstext) {
  std::unique_ptr<Verbindung> v = NeueVerbindung();
  v->Öffnen(verbindungstext);
  return v;
}

namespace {

// The engine's own connection behind the one the factory hands out.
Verbindung& Ziel(Verbindung& v) {
  if (auto* w = dynamic_cast<Verbindungsweiche*>(&v)) return w->Ziel();
  return v;
}

}  // namespace

void FühreSkriptAus(Verbindung& v, std::string_view skript) {
  if (ArtVon(v) == Datenbankart::Postgres) {
    PostgresSkript(Ziel(v), skript);
  } else {
    SqliteSkript(Ziel(v), skript);
  }
}

Datenbankart ArtVon(const Verbindung& v) {
  std::string text = v.Verbindungstext();
  return text.rfind("postgres", 0) == 0 ? Datenbankart::Postgres : Datenbankart::Sqlite;
}

bool TabelleVorhanden(Verbindung& v, const std::string& tabelle) {
  const Variant p[] = {Variant(tabelle)};
  if (ArtVon(v) == Datenbankart::Postgres)
    return v.Ausführen("SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema() "
                       "AND table_name = ?",
                       p) != 0;
  return v.Ausführen("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE", p) != 0;
}

std::vector<std::string> Spaltennamen(Verbindung& v, const std::string& tabelle) {
  const Variant p[] = {Variant(tabelle)};
  Ergebnis e = ArtVon(v) == Datenbankart::Postgres
                   ? v.Abfrage("SELECT column_name FROM information_schema.columns WHERE table_schema = "
                               "current_schema() AND table_name = ? ORDER BY ordinal_position",
                               p)
                   : v.Abfrage("SELECT name FROM pragma_table_info(?)", p);
  std::vector<std::string> namen;
  for (const auto& z : e.zeilen) namen.push_back(z[0].ToString());
  return namen;
}

Serie::Serie(Verbindung& v, std::string sql) : v_(v), sql_(std::move(sql)) {
  if (ArtVon(v) == Datenbankart::Postgres) pg_ = NeuePostgresSerie(Ziel(v), sql_);
}

Serie::~Serie() = default;

void Serie::Zeile(std::span<const Variant> parameter) {
  if (pg_) {
    pg_->Zeile(parameter);
  } else {
    v_.Ausführen(sql_, parameter);
  }
}

void Serie::Ende() {
  if (pg_) pg_->Ende();
}

}  // namespace gaeb::host

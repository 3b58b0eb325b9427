#include "host/verbindung_sqlite.h"

#include <sqlite3.h>

#include <unordered_map>

#include "base/fehler.h"
#include "host/verbindung.h"

namespace gaeb::host {

namespace {

// Milliseconds a write waits for another connection's write transaction.
constexpr int kWartezeit = 15000;

class SqliteVerbindung : public Verbindung {
 public:
  ~SqliteVerbindung() override { Schließe(); }

  void Öffnen(std::string_view verbindungstext) override {
    Schließe();
    std::string pfad;
    if (verbindungstext.rfind("sqlite:", 0) == 0) {
      pfad = std::string(verbindungstext.substr(7));
    } else {
      throw Fehler(kFehlerDatenbank, "Keine SQLite-Verbindung: " + std::string(verbindungstext));
    }
    if (pfad.empty()) throw Fehler(kFehlerDatenbank, "Kein Datenbankpfad in " + std::string(verbindungstext));
    int rc = sqlite3_open_v2(pfad.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
                             nullptr);
    if (rc != SQLITE_OK) {
      std::string msg = db_ ? sqlite3_errmsg(db_) : "kein Speicher";
      Schließe();
      throw Fehler(kFehlerDatenbank, "Datenbank " + pfad + " kann nicht geöffnet werden: " + msg);
    }
    text_ = std::string(verbindungstext);
    // A write waits this long for another connection's write transaction;
    // a URI connection text may set it ("sqlite:file:PATH?busy_timeout=MS").
    int wartezeit = kWartezeit;
    if (pfad.rfind("file:", 0) == 0) {
      wartezeit = static_cast<int>(sqlite3_uri_int64(sqlite3_db_filename(db_, "main"), "busy_timeout", kWartezeit));
    }
    sqlite3_busy_timeout(db_, wartezeit);
    sqlite3_extended_result_codes(db_, 1);
    if (pfad != ":memory:" && pfad.find("mode=memory") == std::string::npos) {
      // Several workstations (processes) share the file: readers do not block the writer.
      sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
      // With WAL, NORMAL keeps the file consistent after a crash and syncs at checkpoints only.
      sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db_, "PRAGMA foreign_keys=ON", nullptr, nullptr, nullptr);
  }

  long Ausführen(std::string_view sql, std::span<const Variant> parameter) override {
    sqlite3_stmt* st = Vorbereite(sql, parameter);
    long zeilen = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) ++zeilen;
    Prüfe(st, rc, sql);
    bool lesend = sqlite3_stmt_readonly(st) != 0 || sqlite3_column_count(st) > 0;
    sqlite3_reset(st);
    return lesend ? zeilen : sqlite3_changes(db_);
  }

  Ergebnis Abfrage(std::string_view sql, std::span<const Variant> parameter) override {
    sqlite3_stmt* st = Vorbereite(sql, parameter);
    Ergebnis e;
    // The names are read after the first step: a statement of the cache is
    // prepared anew there when its table has changed since.
    int rc = sqlite3_step(st);
    int n = sqlite3_column_count(st);
    for (int i = 0; i < n; ++i) e.spalten.emplace_back(sqlite3_column_name(st, i));
    for (; rc == SQLITE_ROW; rc = sqlite3_step(st)) {
      std::vector<Variant> zeile;
      zeile.reserve(n);
      for (int i = 0; i < n; ++i) zeile.push_back(Spalte(st, i));
      e.zeilen.push_back(std::move(zeile));
    }
    Prüfe(st, rc, sql);
    sqlite3_reset(st);
    return e;
  }

  void Durchlaufe(std::string_view sql, std::span<const Variant> parameter, const Zeilenfolge& jede) override {
    sqlite3_stmt* st = Vorbereite(sql, parameter);
    // The statement runs while jede works: it leaves the cache meanwhile, so
    // that jede may run the same statement text on a statement of its own.
    std::string text(sql);
    cache_.erase(text);
    letzte_ = nullptr;
    letzterText_ = {};
    struct Zurück {
      SqliteVerbindung& v;
      sqlite3_stmt* st;
      std::string& text;
      ~Zurück() {
        sqlite3_reset(st);
        if (v.db_ != nullptr && v.cache_.size() <= 200 && v.cache_.emplace(std::move(text), st).second) return;
        sqlite3_finalize(st);
      }
    } zurück{*this, st, text};
    int rc = sqlite3_step(st);
    const int n = sqlite3_column_count(st);
    std::vector<std::string> spalten;
    for (int i = 0; i < n; ++i) spalten.emplace_back(sqlite3_column_name(st, i));
    std::vector<Variant> zeile(static_cast<std::size_t>(n));
    for (; rc == SQLITE_ROW; rc = sqlite3_step(st)) {
      for (int i = 0; i < n; ++i) zeile[static_cast<std::size_t>(i)] = Spalte(st, i);
      jede(spalten, zeile);
    }
    Prüfe(st, rc, sql);
  }

  void Beginne() override {
    Exec("BEGIN IMMEDIATE");
    transaktion_ = true;
  }
  void Bestätige() override {
    Exec("COMMIT");
    transaktion_ = false;
  }
  void Verwerfe() override {
    transaktion_ = false;
    Exec("ROLLBACK");
  }
  bool InTransaktion() const override { return transaktion_; }
  std::string Verbindungstext() const override { return text_; }

  void Skript(std::string_view skript) {
    OffenPrüfen();
    std::string s(skript);
    char* err = nullptr;
    if (sqlite3_exec(db_, s.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      std::string msg = err ? err : "unbekannter Fehler";
      sqlite3_free(err);
      throw Fehler(kFehlerDatenbank, msg);
    }
  }

 private:
  void OffenPrüfen() const {
    if (db_ == nullptr) throw Fehler(3704, "Der Vorgang ist für ein geschlossenes Objekt nicht zulässig.");
  }

  void Exec(const char* sql) {
    OffenPrüfen();
    char* err = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
      std::string msg = err ? err : "unbekannter Fehler";
      sqlite3_free(err);
      throw Fehler(kFehlerDatenbank, msg);
    }
  }

  // A prepared statement from the cache, reset, with its parameters bound.
  sqlite3_stmt* Vorbereite(std::string_view sql, std::span<const Variant> parameter) {
    OffenPrüfen();
    sqlite3_stmt* st = nullptr;
    if (letzte_ != nullptr && sql == letzterText_) {
      // The same statement again (rows of one table in a row): no lookup.
      st = letzte_;
      sqlite3_reset(st);
      return Binde(st, sql, parameter);
    }
    std::string key(sql);
    auto it = cache_.find(key);
    if (it != cache_.end()) {
      st = it->second;
      sqlite3_reset(st);
    } else {
      const char* rest = nullptr;
      int rc = sqlite3_prepare_v3(db_, key.data(), static_cast<int>(key.size()), SQLITE_PREPARE_PERSISTENT, &st,
                                  &rest);
      if (rc != SQLITE_OK || st == nullptr) {
        std::string msg = sqlite3_errmsg(db_);
        sqlite3_finalize(st);
        throw Fehler(kFehlerDatenbank, msg + " in: " + key);
      }
      if (cache_.size() > 200) LeereCache();
      it = cache_.emplace(std::move(key), st).first;
    }
    letzte_ = st;
    letzterText_ = it->first;
    return Binde(st, sql, parameter);
  }

  // Every parameter is bound anew: no value of the statement's last run stays.
  sqlite3_stmt* Binde(sqlite3_stmt* st, std::string_view sql, std::span<const Variant> parameter) {
    int erwartet = sqlite3_bind_parameter_count(st);
    if (static_cast<std::size_t>(erwartet) != parameter.size())
      throw Fehler(kFehlerDatenbank, "Falsche Anzahl Parameter in: " + std::string(sql));
    for (int i = 0; i < erwartet; ++i) Binde(st, i + 1, parameter[i]);
    return st;
  }

  static void Binde(sqlite3_stmt* st, int i, const Variant& v) {
    switch (v.typ()) {
      case Variant::Typ::Empty: sqlite3_bind_null(st, i); break;
      case Variant::Typ::Boolean: sqlite3_bind_int(st, i, v.ToBool() ? 1 : 0); break;
      case Variant::Typ::Integer:
      case Variant::Typ::Long: sqlite3_bind_int(st, i, v.ToInt32()); break;
      case Variant::Typ::Double: sqlite3_bind_double(st, i, v.ToDouble()); break;
      case Variant::Typ::String: {
        // The parameters outlive the statement's run: no copy.
        const std::string* s = v.Text();
        sqlite3_bind_text(st, i, s->data(), static_cast<int>(s->size()), SQLITE_STATIC);
        break;
      }
    }
  }

  static Variant Spalte(sqlite3_stmt* st, int i) {
    // One look-up of the column, then its value: the connection is used by
    // one thread, which is all the value calls on it ask for.
    sqlite3_value* w = sqlite3_column_value(st, i);
    switch (sqlite3_value_type(w)) {
      case SQLITE_INTEGER: {
        sqlite3_int64 n = sqlite3_value_int64(w);
        if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<std::int32_t>(n));
        return Variant(static_cast<double>(n));
      }
      case SQLITE_FLOAT: return Variant(sqlite3_value_double(w));
      case SQLITE_NULL: return Variant();
      default: {
        const unsigned char* t = sqlite3_value_text(w);
        int n = sqlite3_value_bytes(w);
        return Variant(std::string(reinterpret_cast<const char*>(t), static_cast<std::size_t>(n)));
      }
    }
  }

  // A failed statement is reset before the error is raised: a statement left
  // running keeps its read transaction open, and every later write of this
  // connection would then fail at once instead of waiting its busy timeout.
  void Prüfe(sqlite3_stmt* st, int rc, std::string_view sql) {
    if (rc == SQLITE_DONE || rc == SQLITE_OK) return;
    std::string msg = sqlite3_errmsg(db_);
    sqlite3_reset(st);
    throw Fehler(kFehlerDatenbank, msg + " in: " + std::string(sql));
  }

  void LeereCache() {
    for (auto& [k, st] : cache_) sqlite3_finalize(st);
    cache_.clear();
    letzte_ = nullptr;
    letzterText_ = {};
  }

  void Schließe() {
    LeereCache();
    if (db_ != nullptr) sqlite3_close_v2(db_);
    db_ = nullptr;
    transaktion_ = false;
  }

  sqlite3* db_ = nullptr;
  std::string text_;
  bool transaktion_ = false;
  std::unordered_map<std::string, sqlite3_stmt*> cache_;
  sqlite3_stmt* letzte_ = nullptr;  // the statement of the last call
  std::string_view letzterText_;    // its text, owned by the cache
};

}  // namespace

std::unique_ptr<Verbindung> NeueSqliteVerbindung() { return std::make_unique<SqliteVerbindung>(); }

void SqliteSkript(Verbindung& v, std::string_view skript) {
  auto* s = dynamic_cast<SqliteVerbindung*>(&v);
  if (s == nullptr) throw Fehler(kFehlerDatenbank, "Keine SQLite-Verbindung");
  s->Skript(skript);
}

}  // namespace gaeb::host

#include "host/verbindung_postgres.h"

#include <libpq-fe.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "base/fehler.h"
#include "host/verbindung.h"

namespace gaeb::host {

namespace {

// Seconds a connection may take to open, and a statement to run, unless the
// connection text says otherwise.
constexpr int kVerbindungsfrist = 15;
constexpr int kAnweisungsfrist = 300;

// Statements kept prepared per connection; the host uses a few dozen.
constexpr std::size_t kCachegröße = 200;

// Type identifiers of the server's built-in types.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700;

// Words of the statements the host writes that are SQL, not names. Anything
// else with a capital letter or an umlaut is a table, column or function name.
constexpr std::string_view kSchlüsselwörter[] = {
    "ABS", "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AVG", "BEGIN", "BETWEEN", "BIGINT", "BIGSERIAL",
    "BOOL", "BOOLEAN", "BY", "CALL", "CASCADE", "CASE", "CAST", "CHECK", "COALESCE", "COLUMN", "COMMIT",
    "CONFLICT", "CONSTRAINT", "COPY", "COUNT", "CREATE", "CROSS", "DATABASE", "DATE", "DECLARE", "DEFAULT",
    "DELETE", "DESC", "DISTINCT", "DO", "DOUBLE", "DROP", "ELSE", "ELSIF", "END", "EXCEPT", "EXCEPTION",
    "EXISTS", "EXTRACT", "FALSE", "FOR", "FOREIGN", "FOUND", "FROM", "FUNCTION", "GREATEST", "GROUP",
    "HAVING", "IF", "IN", "INDEX", "INNER", "INSERT", "INTEGER", "INTERVAL", "INTO", "IS", "JOIN", "KEY",
    "LANGUAGE", "LEAST", "LEFT", "LENGTH", "LIKE", "LIMIT", "LOCKED", "LOOP", "LOWER", "MAX", "MIN", "NOT",
    "NOTHING", "NOTICE", "NOW", "NOWAIT", "NULL", "OFFSET", "ON", "OR", "ORDER", "OUTER", "PERFORM",
    "PLPGSQL", "PRECISION", "PRIMARY", "PROCEDURE", "RAISE", "REAL", "REFERENCES", "REPLACE", "RETURN",
    "RETURNING", "RETURNS", "ROLLBACK", "ROUND", "SCHEMA", "SELECT", "SEQUENCE", "SERIAL", "SET", "SKIP",
    "SMALLINT", "SQL", "STDIN", "SUBSTRING", "SUM", "TABLE", "TEXT", "THEN", "TIMESTAMP", "TRIGGER", "TRIM",
    "TRUE", "TRUNCATE", "UNION", "UNIQUE", "UPDATE", "UPPER", "USING", "VALUES", "VARCHAR", "VIEW", "VOID",
    "WHEN", "WHERE", "WITH"};

std::string Gross(std::string_view wort) {
  std::string gross(wort);
  for (char& c : gross) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return gross;
}

bool Schlüsselwort(const std::string& gross) {
  return std::binary_search(std::begin(kSchlüsselwörter), std::end(kSchlüsselwörter), std::string_view(gross));
}

bool Namenszeichen(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

std::string Zeilenweise(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// A double in the server's text form, exact to the last bit.
std::string Zahltext(double d) {
  if (std::isnan(d)) return "NaN";
  if (std::isinf(d)) return d < 0 ? "-Infinity" : "Infinity";
  char buf[32];
  auto [ende, fehler] = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, ende);
}

class PostgresVerbindung;

// Parameters in the server's text form, with their types.
struct Parameterwerte {
  std::vector<std::string> texte;
  std::vector<const char*> zeiger;
  std::vector<Oid> typen;

  void Setze(std::span<const Variant> p) {
    texte.assign(p.size(), std::string());
    zeiger.assign(p.size(), nullptr);
    typen.assign(p.size(), 0);
    for (std::size_t i = 0; i < p.size(); ++i) {
      const Variant& v = p[i];
      switch (v.typ()) {
        case Variant::Typ::Empty: break;  // NULL of the type the statement gives it
        case Variant::Typ::String:
          // Untyped: the server reads the text as the type of the column or
          // expression it meets, as the embedded database does.
          zeiger[i] = v.Text()->c_str();
          break;
        case Variant::Typ::Boolean:
          texte[i] = v.ToBool() ? "1" : "0";
          typen[i] = kInt8;
          break;
        case Variant::Typ::Integer:
        case Variant::Typ::Long:
          texte[i] = std::to_string(v.ToInt32());
          typen[i] = kInt8;
          break;
        case Variant::Typ::Double:
          texte[i] = Zahltext(v.ToDouble());
          typen[i] = kFloat8;
          break;
      }
      if (typen[i] != 0) zeiger[i] = texte[i].c_str();
    }
  }
  // The statement is prepared once per combination of parameter types.
  std::string Signatur() const {
    std::string s;
    for (Oid t : typen) s += std::to_string(t) + ",";
    return s;
  }
};

class PostgresVerbindung : public Verbindung {
 public:
  ~PostgresVerbindung() override { Schließe(); }

  void Öffnen(std::string_view verbindungstext) override {
    Schließe();
    std::string text(verbindungstext);
    // A server that does not answer must not hold the program forever: a
    // connect timeout unless the text (or PGCONNECT_TIMEOUT) sets one; the
    // text's own setting comes later and wins.
    const char* vorgabe = std::getenv("PGCONNECT_TIMEOUT");
    const bool eigeneFrist = vorgabe == nullptr || *vorgabe == '\0';
    const std::string frist = std::to_string(kVerbindungsfrist);
    const char* schlüssel[] = {"connect_timeout", "dbname", nullptr};
    const char* werte[] = {eigeneFrist ? frist.c_str() : vorgabe, text.c_str(), nullptr};
    pg_ = PQconnectdbParams(schlüssel, werte, 1);
    auto scheitere = [&](const std::string& wie) {
      std::string msg = pg_ ? Zeilenweise(PQerrorMessage(pg_)) : "kein Speicher";
      if (msg.find("timeout expired") != std::string::npos)
        msg = "Zeitlimit für den Verbindungsaufbau abgelaufen (connect_timeout = " +
              std::string(eigeneFrist ? frist : vorgabe) + " s; der Verbindungstext kann es ändern): " + msg;
      Schließe();
      throw Fehler(kFehlerDatenbank, OhnePasswort("Datenbank " + text + wie + msg, text));
    };
    if (pg_ == nullptr || PQstatus(pg_) != CONNECTION_OK) scheitere(" kann nicht geöffnet werden: ");
    // Notices ("relation already exists, skipping") are no business of the user.
    PQsetNoticeProcessor(pg_, [](void*, const char*) {}, nullptr);
    if (PQsetClientEncoding(pg_, "UTF8") != 0) scheitere(": ");
    // A statement that waits on a hung server or a lock never released ends
    // after a while, unless the text, PGOPTIONS or the server's configuration
    // set a limit of their own.
    Ergebnisse quelle(PQexec(pg_, "SELECT source FROM pg_settings WHERE name = 'statement_timeout'"));
    if (PQresultStatus(quelle.get()) == PGRES_TUPLES_OK && PQntuples(quelle.get()) == 1 &&
        std::strcmp(PQgetvalue(quelle.get(), 0, 0), "default") == 0) {
      std::string set = "SET statement_timeout = " + std::to_string(kAnweisungsfrist * 1000);
      Ergebnisse r(PQexec(pg_, set.c_str()));
      if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) scheitere(": ");
    }
    text_ = text;
  }

  long Ausführen(std::string_view sql, std::span<const Variant> parameter) override {
    Ergebnisse r = Führe(sql, parameter);
    if (PQresultStatus(r.get()) == PGRES_TUPLES_OK) return PQntuples(r.get());
    const char* n = PQcmdTuples(r.get());
    return n != nullptr && *n != '\0' ? std::strtol(n, nullptr, 10) : 0;
  }

  Ergebnis Abfrage(std::string_view sql, std::span<const Variant> parameter) override {
    Ergebnisse r = Führe(sql, parameter);
    Ergebnis e;
    PGresult* res = r.get();
    int spalten = PQnfields(res), zeilen = PQntuples(res);
    std::vector<Oid> typen;
    for (int i = 0; i < spalten; ++i) {
      e.spalten.emplace_back(PQfname(res, i));
      typen.push_back(PQftype(res, i));
    }
    e.zeilen.reserve(static_cast<std::size_t>(zeilen));
    for (int z = 0; z < zeilen; ++z) {
      std::vector<Variant> zeile;
      zeile.reserve(static_cast<std::size_t>(spalten));
      for (int i = 0; i < spalten; ++i) zeile.push_back(Wert(res, z, i, typen[static_cast<std::size_t>(i)]));
      e.zeilen.push_back(std::move(zeile));
    }
    return e;
  }

  void Beginne() override {
    Einfach("BEGIN");
    transaktion_ = true;
  }
  void Bestätige() override {
    transaktion_ = false;
    // A transaction a failed statement has broken answers COMMIT with a
    // rollback and no error: that must not pass for saved.
    Ergebnisse r = Einfach("COMMIT");
    if (std::strcmp(PQcmdStatus(r.get()), "ROLLBACK") == 0)
      throw Fehler(kFehlerDatenbank, "Die Transaktion wurde nach einem Fehler verworfen");
  }
  void Verwerfe() override {
    transaktion_ = false;
    Einfach("ROLLBACK");
  }
  bool InTransaktion() const override { return transaktion_; }
  std::string Verbindungstext() const override { return text_; }

  void Skript(std::string_view skript) { Einfach(PostgresSql(skript)); }

  // For the series of inserts.
  PGconn* Pg() {
    OffenPrüfen();
    return pg_;
  }
  // The name of the prepared statement for sql with these parameter types.
  const std::string& Bereite(std::string_view sql, const Parameterwerte& werte) {
    OffenPrüfen();
    std::string schlüssel = std::string(sql) + '\x01' + werte.Signatur();
    if (letzte_ != nullptr && *letzte_ == schlüssel) return letzterName_;
    auto it = cache_.find(schlüssel);
    if (it == cache_.end()) {
      if (cache_.size() >= kCachegröße) LeereCache();
      std::string name = "gaeb" + std::to_string(++zähler_);
      int anzahl = 0;
      std::string text = PostgresSql(sql, &anzahl);
      if (static_cast<std::size_t>(anzahl) != werte.typen.size())
        throw Fehler(kFehlerDatenbank, "Falsche Anzahl Parameter in: " + std::string(sql));
      Ergebnisse r(PQprepare(pg_, name.c_str(), text.c_str(), anzahl, werte.typen.data()));
      if (r == nullptr) throw Fehler(kFehlerDatenbank, Zeilenweise(PQerrorMessage(pg_)) + " in: " + std::string(sql));
      Prüfe(r.get(), sql);
      it = cache_.emplace(std::move(schlüssel), std::move(name)).first;
    }
    letzte_ = &it->first;
    letzterName_ = it->second;
    return letzterName_;
  }

  struct Freigabe {
    void operator()(PGresult* r) const { PQclear(r); }
  };
  using Ergebnisse = std::unique_ptr<PGresult, Freigabe>;

  // Raises the server's message of a failed result.
  static void Prüfe(PGresult* r, std::string_view sql) {
    ExecStatusType s = PQresultStatus(r);
    if (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK || s == PGRES_EMPTY_QUERY) return;
    std::string msg = r != nullptr ? Zeilenweise(PQresultErrorMessage(r)) : "keine Antwort";
    const char* zustand = r != nullptr ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    if (zustand != nullptr && std::strcmp(zustand, "57014") == 0 && msg.find("statement timeout") != std::string::npos)
      msg = "Zeitlimit für eine Anweisung abgelaufen (statement_timeout; der Verbindungstext kann es ändern, "
            "options=-cstatement_timeout%3DMS): " + msg;
    throw Fehler(kFehlerDatenbank, msg + " in: " + std::string(sql));
  }

 private:
  void OffenPrüfen() const {
    if (pg_ == nullptr) throw Fehler(3704, "Der Vorgang ist für ein geschlossenes Objekt nicht zulässig.");
  }

  Ergebnisse Führe(std::string_view sql, std::span<const Variant> parameter, bool wiederholen = true) {
    werte_.Setze(parameter);
    const std::string& name = Bereite(sql, werte_);
    Ergebnisse r(PQexecPrepared(pg_, name.c_str(), static_cast<int>(parameter.size()), werte_.zeiger.data(), nullptr,
                                nullptr, 0));
    if (r == nullptr) throw Fehler(kFehlerDatenbank, Zeilenweise(PQerrorMessage(pg_)) + " in: " + std::string(sql));
    // A table changed since the statement was prepared ("cached plan must not
    // change result type"): outside a transaction it is prepared anew once.
    const char* zustand = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
    if (wiederholen && !transaktion_ && zustand != nullptr && std::strcmp(zustand, "0A000") == 0) {
      LeereCache();
      return Führe(sql, parameter, false);
    }
    Prüfe(r.get(), sql);
    return r;
  }

  Ergebnisse Einfach(const std::string& sql) {
    OffenPrüfen();
    Ergebnisse r(PQexec(pg_, sql.c_str()));
    if (r == nullptr) throw Fehler(kFehlerDatenbank, Zeilenweise(PQerrorMessage(pg_)) + " in: " + sql);
    Prüfe(r.get(), sql);
    return r;
  }

  static Variant Wert(PGresult* res, int z, int i, Oid typ) {
    if (PQgetisnull(res, z, i)) return Variant();
    const char* t = PQgetvalue(res, z, i);
    std::size_t n = static_cast<std::size_t>(PQgetlength(res, z, i));
    switch (typ) {
      case kInt2:
      case kInt4:
      case kInt8: {
        long long zahl = 0;
        std::from_chars(t, t + n, zahl);
        if (zahl >= INT32_MIN && zahl <= INT32_MAX) return Variant(static_cast<std::int32_t>(zahl));
        return Variant(static_cast<double>(zahl));
      }
      case kFloat4:
      case kFloat8:
      case kNumeric: return Variant(std::strtod(t, nullptr));
      case kBool: return Variant(static_cast<std::int32_t>(*t == 't' ? 1 : 0));
      default: return Variant(std::string(t, n));
    }
  }

  void LeereCache() {
    if (pg_ != nullptr && !cache_.empty()) PQclear(PQexec(pg_, "DEALLOCATE ALL"));
    cache_.clear();
    letzte_ = nullptr;
  }

  void Schließe() {
    LeereCache();
    if (pg_ != nullptr) PQfinish(pg_);
    pg_ = nullptr;
    transaktion_ = false;
  }

  PGconn* pg_ = nullptr;
  std::string text_;
  bool transaktion_ = false;
  std::unordered_map<std::string, std::string> cache_;  // statement and types -> prepared name
  const std::string* letzte_ = nullptr;                 // key of the last statement, owned by the cache
  std::string letzterName_;
  long zähler_ = 0;
  Parameterwerte werte_;
};

// A series of plain inserts ("INSERT INTO t (a, b) VALUES (?, ?)") goes in
// by COPY: the rows as tab-separated text in one stream, the fastest way into
// the server; errors come at Ende.
class Kopie : public PostgresSerie {
 public:
  Kopie(PostgresVerbindung& c, std::string sql, std::string kopie) : c_(c), sql_(std::move(sql)) {
    PostgresVerbindung::Ergebnisse r(PQexec(c_.Pg(), PostgresSql(kopie).c_str()));
    if (PQresultStatus(r.get()) != PGRES_COPY_IN) {
      PostgresVerbindung::Prüfe(r.get(), sql_);
      throw Fehler(kFehlerDatenbank, "Der Server nimmt keine Zeilen an in: " + sql_);
    }
    aktiv_ = true;
  }
  ~Kopie() override {
    if (aktiv_) Schluss("abgebrochen");
  }
  void Zeile(std::span<const Variant> parameter) override {
    for (std::size_t i = 0; i < parameter.size(); ++i) {
      if (i > 0) puffer_ += '\t';
      Feld(parameter[i]);
    }
    puffer_ += '\n';
    if (puffer_.size() >= 1 << 16) Sende();
  }
  void Ende() override {
    Sende();
    std::string fehler = Schluss(nullptr);
    if (!fehler.empty()) throw Fehler(kFehlerDatenbank, fehler + " in: " + sql_);
  }

 private:
  void Feld(const Variant& v) {
    switch (v.typ()) {
      case Variant::Typ::Empty: puffer_ += "\\N"; break;
      case Variant::Typ::Boolean: puffer_ += v.ToBool() ? '1' : '0'; break;
      case Variant::Typ::Integer:
      case Variant::Typ::Long: puffer_ += std::to_string(v.ToInt32()); break;
      case Variant::Typ::Double: puffer_ += Zahltext(v.ToDouble()); break;
      case Variant::Typ::String:
        for (char z : *v.Text()) {
          switch (z) {
            case '\\': puffer_ += "\\\\"; break;
            case '\t': puffer_ += "\\t"; break;
            case '\n': puffer_ += "\\n"; break;
            case '\r': puffer_ += "\\r"; break;
            default: puffer_ += z;
          }
        }
        break;
    }
  }
  void Sende() {
    if (puffer_.empty()) return;
    if (PQputCopyData(c_.Pg(), puffer_.data(), static_cast<int>(puffer_.size())) != 1)
      throw Fehler(kFehlerDatenbank, Zeilenweise(PQerrorMessage(c_.Pg())) + " in: " + sql_);
    puffer_.clear();
  }
  // Ends the stream (with an error text: abandons it); the server's error, if any.
  std::string Schluss(const char* abbruch) {
    aktiv_ = false;
    PGconn* pg = c_.Pg();
    std::string fehler;
    if (PQputCopyEnd(pg, abbruch) != 1) fehler = Zeilenweise(PQerrorMessage(pg));
    while (PGresult* r = PQgetResult(pg)) {
      if (PQresultStatus(r) != PGRES_COMMAND_OK && fehler.empty()) fehler = Zeilenweise(PQresultErrorMessage(r));
      PQclear(r);
    }
    return fehler;
  }

  PostgresVerbindung& c_;
  std::string sql_;
  std::string puffer_;
  bool aktiv_ = false;
};

// "INSERT INTO t (a, b) VALUES (?, ?)" as "COPY t (a, b) FROM STDIN"; empty
// for any other statement.
std::string AlsKopie(std::string_view sql) {
  constexpr std::string_view kAnfang = "INSERT INTO ", kWerte = ") VALUES (";
  std::size_t werte = sql.find(kWerte);
  if (sql.rfind(kAnfang, 0) != 0 || werte == std::string_view::npos || sql.back() != ')') return {};
  for (char z : sql.substr(werte + kWerte.size(), sql.size() - werte - kWerte.size() - 1))
    if (z != '?' && z != ',' && z != ' ') return {};
  return "COPY " + std::string(sql.substr(kAnfang.size(), werte + 1 - kAnfang.size())) + " FROM STDIN";
}

}  // namespace

std::string PostgresSql(std::string_view sql, int* parameterzahl) {
  std::string aus;
  aus.reserve(sql.size() + sql.size() / 4);
  int n = 0;
  std::size_t i = 0;
  while (i < sql.size()) {
    unsigned char c = static_cast<unsigned char>(sql[i]);
    if (c == '\'' || c == '"') {
      // A string or a quoted name, with its doubled quotes, unchanged.
      std::size_t ende = i + 1;
      while (ende < sql.size()) {
        if (sql[ende] == static_cast<char>(c)) {
          if (ende + 1 < sql.size() && sql[ende + 1] == static_cast<char>(c)) {
            ende += 2;
            continue;
          }
          break;
        }
        ++ende;
      }
      ende = std::min(ende + 1, sql.size());
      aus.append(sql.substr(i, ende - i));
      i = ende;
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      std::size_t ende = sql.find('\n', i);
      if (ende == std::string_view::npos) ende = sql.size();
      aus.append(sql.substr(i, ende - i));
      i = ende;
    } else if (c == '?') {
      aus += "$" + std::to_string(++n);
      ++i;
    } else if (std::isdigit(c) || c == '$') {
      // Numbers and "$1" / "$$" of server function bodies.
      std::size_t ende = i + 1;
      while (ende < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[ende])) || sql[ende] == '.' ||
                                   sql[ende] == '$'))
        ++ende;
      aus.append(sql.substr(i, ende - i));
      i = ende;
    } else if (std::isalpha(c) || c == '_' || c >= 0x80) {
      std::size_t ende = i + 1;
      while (ende < sql.size() && Namenszeichen(static_cast<unsigned char>(sql[ende]))) ++ende;
      std::string_view wort = sql.substr(i, ende - i);
      bool besonders = std::any_of(wort.begin(), wort.end(), [](char z) {
        return std::isupper(static_cast<unsigned char>(z)) || static_cast<unsigned char>(z) >= 0x80;
      });
      std::string gross = Gross(wort);
      if (Schlüsselwort(gross)) {
        aus.append(gross == "INTEGER" ? std::string_view("BIGINT") : wort);
      } else if (besonders) {
        aus += '"';
        aus.append(wort);
        aus += '"';
      } else {
        aus.append(wort);
      }
      i = ende;
    } else {
      aus += static_cast<char>(c);
      ++i;
    }
  }
  if (parameterzahl != nullptr) *parameterzahl = n;
  return aus;
}

std::unique_ptr<Verbindung> NeuePostgresVerbindung() { return std::make_unique<PostgresVerbindung>(); }

void PostgresSkript(Verbindung& v, std::string_view skript) {
  auto* p = dynamic_cast<PostgresVerbindung*>(&v);
  if (p == nullptr) throw Fehler(kFehlerDatenbank, "Keine PostgreSQL-Verbindung");
  p->Skript(skript);
}

std::unique_ptr<PostgresSerie> NeuePostgresSerie(Verbindung& v, std::string_view sql) {
  auto* p = dynamic_cast<PostgresVerbindung*>(&v);
  std::string kopie = AlsKopie(sql);
  if (p == nullptr || kopie.empty()) return nullptr;
  return std::make_unique<Kopie>(*p, std::string(sql), kopie);
}

}  // namespace gaeb::host

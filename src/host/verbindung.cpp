#include "host/verbindung.h"

#include <algorithm>
#include <cctype>

#include "base/fehler.h"
#include "host/verbindung_postgres.h"
#include "host/verbindung_sqlite.h"

namespace gaeb::host {

namespace {

// A password of a connection text: where it stands, [anfang, ende).
struct Stelle {
  std::size_t anfang, ende;
};

int Hexwert(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "%XX" decoded, as the client library reads the parts of a URI.
std::string Entschlüsselt(std::string_view s) {
  std::string aus;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && Hexwert(s[i + 1]) >= 0 && Hexwert(s[i + 2]) >= 0) {
      aus += static_cast<char>(Hexwert(s[i + 1]) * 16 + Hexwert(s[i + 2]));
      i += 2;
    } else {
      aus += s[i];
    }
  }
  return aus;
}

bool IstPasswortwort(std::string_view schlüssel) {
  std::string k = Entschlüsselt(schlüssel);
  for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k == "password";
}

// The passwords of a connection text: in a URI the user info after its
// first ':' and every "password=" parameter; in the keyword form
// ("host=h password='x y'") the value of every password keyword.
std::vector<Stelle> Passwortstellen(std::string_view t) {
  std::vector<Stelle> stellen;
  std::size_t schema = t.find("://");
  if (schema != std::string_view::npos && t.substr(0, schema).find_first_of(" \t=") == std::string_view::npos) {
    std::size_t anfang = schema + 3;
    std::size_t abfrage = t.find('?', anfang);
    std::size_t bis = std::min(t.find('/', anfang), abfrage);
    std::string_view autorität = t.substr(anfang, bis == std::string_view::npos ? t.npos : bis - anfang);
    std::size_t at = autorität.rfind('@'), doppel = autorität.find(':');
    if (at != std::string_view::npos && doppel < at) stellen.push_back({anfang + doppel + 1, anfang + at});
    for (std::size_t p = abfrage; p != std::string_view::npos && p < t.size();) {
      std::size_t ende = std::min(t.find('&', p + 1), t.size());
      std::size_t gleich = t.find('=', p + 1);
      if (gleich < ende && IstPasswortwort(t.substr(p + 1, gleich - p - 1))) stellen.push_back({gleich + 1, ende});
      p = ende;
    }
    return stellen;
  }
  auto leer = [&](std::size_t i) { return i < t.size() && std::isspace(static_cast<unsigned char>(t[i])); };
  std::size_t i = 0;
  while (i < t.size()) {
    while (leer(i)) ++i;
    std::size_t k = i;
    while (i < t.size() && t[i] != '=' && !leer(i)) ++i;
    std::string_view schlüssel = t.substr(k, i - k);
    while (leer(i)) ++i;
    if (i >= t.size() || t[i] != '=') {
      ++i;
      continue;
    }
    ++i;
    while (leer(i)) ++i;
    std::size_t w = i;
    if (i < t.size() && t[i] == '\'') {
      for (++i; i < t.size() && t[i] != '\''; ++i)
        if (t[i] == '\\') ++i;
      i = std::min(i + 1, t.size());
    } else {
      while (i < t.size() && !leer(i)) ++i;
    }
    if (IstPasswortwort(schlüssel)) stellen.push_back({w, i});
  }
  return stellen;
}

void ErsetzeAlle(std::string& s, std::string_view was, std::string_view durch) {
  if (was.empty()) return;
  for (std::size_t p = s.find(was); p != std::string::npos; p = s.find(was, p + durch.size()))
    s.replace(p, was.size(), durch);
}

// Opens by the engine the connection text names.
class Verbindungsweiche : public Verbindung {
 public:
  void Öffnen(std::string_view text) override {
    if (text.rfind("sqlite:", 0) == 0) {
      ziel_ = NeueSqliteVerbindung();
    } else if (text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0) {
      ziel_ = NeuePostgresVerbindung();
    } else {
      throw Fehler(3706, "Unbekannte Datenbank: " + DruckbarerVerbindungstext(text) +
                             " (erwartet sqlite:PFAD, sqlite::memory: oder postgresql://BENUTZER@SERVER/DATENBANK)");
    }
    ziel_->Öffnen(text);
  }
  long Ausführen(std::string_view sql, std::span<const Variant> p) override { return Ziel().Ausführen(sql, p); }
  Ergebnis Abfrage(std::string_view sql, std::span<const Variant> p) override { return Ziel().Abfrage(sql, p); }
  void Durchlaufe(std::string_view sql, std::span<const Variant> p, const Zeilenfolge& jede) override {
    Ziel().Durchlaufe(sql, p, jede);
  }
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

std::string DruckbarerVerbindungstext(std::string_view verbindungstext) {
  std::string aus(verbindungstext);
  std::vector<Stelle> stellen = Passwortstellen(verbindungstext);
  for (auto it = stellen.rbegin(); it != stellen.rend(); ++it) aus.replace(it->anfang, it->ende - it->anfang, "***");
  return aus;
}

std::string OhnePasswort(std::string_view meldung, std::string_view verbindungstext) {
  std::string aus(meldung);
  std::string druckbar = DruckbarerVerbindungstext(verbindungstext);
  if (druckbar == verbindungstext) return aus;
  ErsetzeAlle(aus, verbindungstext, druckbar);
  // A password standing alone (a parse error quotes the part it failed on).
  // A very short one is left: masking every such letter would garble the
  // message without hiding anything.
  for (const Stelle& s : Passwortstellen(verbindungstext)) {
    std::string_view roh = verbindungstext.substr(s.anfang, s.ende - s.anfang);
    for (const std::string& geheim : {std::string(roh), Entschlüsselt(roh)})
      if (geheim.size() >= 4 && geheim != "***") ErsetzeAlle(aus, geheim, "***");
  }
  return aus;
}

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

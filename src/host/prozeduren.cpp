#include "host/prozeduren.h"

#include "base/fehler.h"
#include "host/verbindung.h"

namespace gaeb::host {

namespace {

// Error number of the data layer for a command with the wrong parameters.
constexpr long kFehlerParameter = 3708;

class ProzedurbefehlHost : public Prozedurbefehl {
 public:
  ProzedurbefehlHost(const Prozedur& prozedur, std::unique_ptr<Verbindung> verbindung)
      : prozedur_(prozedur), verbindung_(std::move(verbindung)) {}

  // The mapped statements run without a time limit, whatever is asked for.
  void SetzeZeitlimit(long /*sekunden*/) override {}

  long Ausführen(std::span<Variant> parameter) override {
    if (parameter.size() != prozedur_.parameter.size())
      throw Fehler(kFehlerParameter, std::string(prozedur_.name) + " erwartet " +
                                         std::to_string(prozedur_.parameter.size()) + " Parameter, nicht " +
                                         std::to_string(parameter.size()));
    long berührt = 0;
    if (ArtVon(*verbindung_) == Datenbankart::Postgres) {
      // On a server the procedure is a function of its own (see Serverfunktion).
      std::string aufruf = "SELECT " + std::string(prozedur_.name) + "(";
      for (std::size_t i = 1; i < parameter.size(); ++i) aufruf += i > 1 ? ", CAST(? AS TEXT)" : "CAST(? AS TEXT)";
      Ergebnis e = verbindung_->Abfrage(aufruf + ")", parameter.subspan(1));
      if (!e.Leer()) berührt = e.zeilen[0][0].ToInt32();
      parameter[0] = Variant(std::int32_t{0});
      return berührt;
    }
    verbindung_->Beginne();
    try {
      for (const Prozeduranweisung& a : prozedur_.anweisungen) {
        std::vector<Variant> werte;
        for (std::size_t i : a.werte) werte.push_back(parameter[i]);
        berührt += verbindung_->Ausführen(a.sql, werte);
      }
      verbindung_->Bestätige();
    } catch (...) {
      verbindung_->Verwerfe();
      throw;
    }
    parameter[0] = Variant(std::int32_t{0});  // return value: done
    return berührt;
  }

 private:
  const Prozedur& prozedur_;
  std::unique_ptr<Verbindung> verbindung_;
};

}  // namespace

const std::vector<Prozedur>& Prozeduren() {
  // Deleting a supplier from an article master removes its articles and
  // their long texts; the supplier is the one value bound.
  static const std::vector<Prozedur> p = {
      {"aa_LöschenLieferantenKV",
       {"@RETURN_VALUE", "@Lieferant"},
       {{"DELETE FROM ArtikellangtexteKV WHERE Lieferantennummer = ?", {1}},
        {"DELETE FROM ArtikelKV WHERE Hauptlieferant = ?", {1}}}},
      {"aa_LöschenLieferanten",
       {"@RETURN_VALUE", "@Lieferant"},
       {{"DELETE FROM Artikellangtexte WHERE Lieferantennummer = ?", {1}},
        {"DELETE FROM Artikel WHERE Hauptlieferant = ?", {1}}}},
  };
  return p;
}

std::string Serverfunktion(const Prozedur& p) {
  std::string sql = "CREATE OR REPLACE FUNCTION " + std::string(p.name) + "(";
  for (std::size_t i = 1; i < p.parameter.size(); ++i) sql += i > 1 ? ", TEXT" : "TEXT";
  sql += ") RETURNS BIGINT LANGUAGE PLPGSQL AS $$ DECLARE summe BIGINT := 0; zeilen BIGINT; BEGIN ";
  for (const Prozeduranweisung& a : p.anweisungen) {
    std::size_t n = 0;
    for (char c : a.sql) {
      if (c == '?') {
        sql += "$" + std::to_string(a.werte.at(n++));
      } else {
        sql += c;
      }
    }
    sql += "; get diagnostics zeilen = row_count; summe := summe + zeilen; ";
  }
  return sql + "RETURN summe; END $$";
}

const Prozedur* FindeProzedur(std::string_view name) {
  for (const Prozedur& p : Prozeduren())
    if (p.name == name) return &p;
  return nullptr;
}

std::unique_ptr<Prozedurbefehl> ProzedurbefehleHost::Bereite(const std::string& verbindungstext,
                                                              const std::string& prozedur) {
  const Prozedur* p = FindeProzedur(prozedur);
  if (p == nullptr) throw Fehler(kFehlerDatenbank, "Die gespeicherte Prozedur " + prozedur + " gibt es nicht");
  return std::make_unique<ProzedurbefehlHost>(*p, ÖffneVerbindung(verbindungstext));
}

}  // namespace gaeb::host

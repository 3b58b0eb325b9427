#include "host/prozeduren.h"

#include "base/fehler.h"
#include "host/verbindung.h"

namespace gaeb::host {

namespace {

// Error numbers of the data layer: no such procedure, wrong parameters.
constexpr long kFehlerProzedur = -2147217900;
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

const Prozedur* FindeProzedur(std::string_view name) {
  for (const Prozedur& p : Prozeduren())
    if (p.name == name) return &p;
  return nullptr;
}

std::unique_ptr<Prozedurbefehl> ProzedurbefehleHost::Bereite(const std::string& verbindungstext,
                                                              const std::string& prozedur) {
  const Prozedur* p = FindeProzedur(prozedur);
  if (p == nullptr) throw Fehler(kFehlerProzedur, "Die gespeicherte Prozedur " + prozedur + " gibt es nicht");
  return std::make_unique<ProzedurbefehlHost>(*p, ÖffneVerbindung(verbindungstext));
}

}  // namespace gaeb::host

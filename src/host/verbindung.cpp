#include "host/verbindung.h"

#include "base/fehler.h"
#include "host/verbindung_sqlite.h"

namespace gaeb::host {

namespace {

// Opens by the engine the connection text names.
class Verbindungsweiche : public Verbindung {
 public:
  void Öffnen(std::string_view text) override {
    if (text.rfind("sqlite:", 0) == 0) {
      ziel_ = NeueSqliteVerbindung();
    } else {
      throw Fehler(3706, "Unbekannte Datenbank: " + std::string(text) +
                             " (erwartet sqlite:PFAD oder sqlite::memory:)");
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

void FühreSkriptAus(Verbindung& v, std::string_view skript) {
  if (auto* w = dynamic_cast<Verbindungsweiche*>(&v)) {
    SqliteSkript(w->Ziel(), skript);
    return;
  }
  SqliteSkript(v, skript);
}

}  // namespace gaeb::host

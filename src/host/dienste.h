// The host's small services: the message catalogue, the message service that
// keeps (and optionally prints) what it is shown, the date service and the
// settings store.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/host.h"

namespace gaeb::host {

// The message catalogue: numbered texts with %1, %2 ... for the inserts.
class MeldungstexteHost : public Meldungstexte {
 public:
  std::string Text(long nummer, const std::vector<std::string>& einfügungen) override;
};

// The catalogue text of a number before the inserts, empty when unknown.
std::string Katalogtext(long nummer);

struct Meldung {
  std::string text;
  std::int16_t art = 0;
  Variant extra;
  std::string grund;  // for an error report: the error's own description
};

// Keeps every message it is shown, in order, and hands each to a listener
// (the program prints it on standard error).
class MeldungsdienstHost : public Meldungsdienst {
 public:
  using Zuhörer = std::function<void(const Meldung&)>;
  explicit MeldungsdienstHost(Zuhörer zuhörer = {}) : zuhörer_(std::move(zuhörer)) {}

  void Zeige(const std::string& text, std::int16_t art, const Variant& extra) override;
  void FehlerMelden(const std::string& modul, const std::string& prozedur, long nummer,
                    const std::string& beschreibung, bool anzeigen) override;

  const std::vector<Meldung>& Meldungen() const { return meldungen_; }
  void Leeren() { meldungen_.clear(); }

 private:
  Zuhörer zuhörer_;
  std::vector<Meldung> meldungen_;
};

class DatumsdienstHost : public Datumsdienst {
 public:
  std::string DatumFürAusgabe(std::string_view datum) override;
  double RundeAufSchritt(double wert, double schritt) override;
};

// Settings in the table Einstellungen (profile, section, key, value).
class EinstellungenHost : public Einstellungen {
 public:
  void Init(std::int16_t modus, Verbindung*& verbindung, const std::string& profil) override;
  void GetSetting(const std::string& abschnitt, const std::string& schlüssel, std::string& wert,
                  const std::string& profil, const std::string& vorgabe) override;

 private:
  Verbindung* verbindung_ = nullptr;
  std::string profil_ = "Standard";
};

// Host-side access to the settings table for the program.
std::string LeseEinstellung(Verbindung& v, const std::string& profil, const std::string& abschnitt,
                            const std::string& schlüssel, bool* gefunden = nullptr);
void SchreibeEinstellung(Verbindung& v, const std::string& profil, const std::string& abschnitt,
                         const std::string& schlüssel, const std::string& wert);

}  // namespace gaeb::host

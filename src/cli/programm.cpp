#include "cli/programm.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "base/fehler.h"
#include "base/text.h"
#include "base/variant.h"
#include "host/dienste.h"
#include "host/host.h"
#include "host/schema.h"
#include "host/verbindung.h"

namespace gaeb::cli {

namespace {

double Zahl(Verbindung& v, const std::string& abschnitt, const std::string& schlüssel) {
  std::string w = host::LeseEinstellung(v, "Standard", abschnitt, schlüssel);
  if (w.empty()) return 0.0;
  try {
    return TextZuZahl(w);
  } catch (const Fehler&) {
    return 0.0;
  }
}

bool Schalter(Verbindung& v, const std::string& abschnitt, const std::string& schlüssel) {
  std::string w = host::LeseEinstellung(v, "Standard", abschnitt, schlüssel);
  if (w.empty()) return false;
  try {
    return TextZuBool(w);
  } catch (const Fehler&) {
    return false;
  }
}

}  // namespace

std::string HeuteJmt() { return text::JetztLokal("%Y%m%d"); }
std::string HeuteTmj() { return text::JetztLokal("%d%m%Y"); }

std::string Programm::Verbindungstext() const {
  std::string db = optionen_.db;
  if (db.empty()) {
    const char* env = std::getenv("GAEB_DB");
    db = env && *env ? env : "sqlite:gaeb.db";
  }
  // A plain file name stands for a SQLite database.
  if (db.find(':') == std::string::npos) db = "sqlite:" + db;
  return db;
}

std::string Programm::Druckbar(std::string_view text) const { return host::OhnePasswort(text, Verbindungstext()); }

Verbindung& Programm::Datenbank(bool mitSchema) {
  if (!verbindung_) verbindung_ = host::ÖffneVerbindung(Verbindungstext());
  if (!mitSchema || schemaGeprüft_) return *verbindung_;
  const int version = host::Schemaversion(*verbindung_);
  const std::string db = "Die Datenbank " + host::DruckbarerVerbindungstext(Verbindungstext());
  if (version == 0) throw Fehler(3265, db + " ist nicht eingerichtet; zuerst 'gaeb init' ausführen");
  if (version < host::kSchemaversion)
    throw Fehler(3265, db + " hat Schemaversion " + std::to_string(version) + "; 'gaeb init' bringt sie auf Version " +
                           std::to_string(host::kSchemaversion));
  // A newer program's schema may mean other rules for what is stored: no
  // command reads or writes it.
  if (version > host::kSchemaversion)
    throw Fehler(3265, db + " hat Schemaversion " + std::to_string(version) + "; dieses Programm kennt nur bis " +
                           std::to_string(host::kSchemaversion) + " (ein neueres Programm verwenden)");
  schemaGeprüft_ = true;
  return *verbindung_;
}

namespace {

// The engine's own words for an error report, on one line, without the
// statement they came from.
std::string Grund(std::string g) {
  if (std::size_t in = g.find(" in: "); in != std::string::npos) g.erase(in);
  for (char& c : g)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  return text::Trim(g);
}

}  // namespace

std::shared_ptr<Objektfabrik> Programm::Fabrik() {
  if (!fabrik_) {
    host::HostOptionen o;
    o.meldungsausgabe = [this](const host::Meldung& m) {
      std::string grund = Grund(m.grund);
      std::string zeile = Druckbar(grund.empty() ? m.text : m.text + " (" + grund + ")");
      if (zurückhalten_) {
        zurückgehalten_.push_back(std::move(zeile));
      } else {
        Ausgabe(zeile);
      }
    };
    fabrik_ = host::NeueFabrik(std::move(o));
  }
  return fabrik_;
}

void Programm::Ausgabe(const std::string& zeile) {
  if (zeile == letzte_) {
    ++wiederholungen_;
    return;
  }
  EndeDerWiederholung();
  std::cerr << zeile << "\n";
  letzte_ = zeile;
}

void Programm::EndeDerWiederholung() {
  if (wiederholungen_ > 0) std::cerr << "gaeb: die Meldung oben kam noch " << wiederholungen_ << "-mal\n";
  wiederholungen_ = 0;
}

Programm::~Programm() {
  Freigeben();
  EndeDerWiederholung();
}

void Programm::Zurückhalten() { zurückhalten_ = true; }

void Programm::Freigeben(std::string_view auslassen) {
  zurückhalten_ = false;
  std::vector<std::string> zeilen;
  zeilen.swap(zurückgehalten_);
  for (const std::string& z : zeilen)
    if (auslassen.empty() || z != auslassen) Ausgabe(z);
}

std::string Programm::Benutzer() const {
  if (!optionen_.user.empty()) return optionen_.user;
  if (const passwd* pw = getpwuid(geteuid()); pw != nullptr && pw->pw_name != nullptr) return pw->pw_name;
  const char* u = std::getenv("USER");
  return u ? u : "gaeb";
}

std::string Programm::Programmverzeichnis() {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : p.parent_path().string();
}

std::unique_ptr<clsGaebSQL> Programm::Komponente() {
  Verbindung& v = Datenbank();
  auto k = std::make_unique<clsGaebSQL>(Fabrik());
  k->Init("", Verbindungstext(), &v, nullptr, nullptr, Programmverzeichnis());
  std::string währung = host::LeseEinstellung(v, "Standard", "Allgemein", "Landeswährung");
  k->Parameter_Beleg(währung.empty() ? "EUR" : währung, Benutzer(), HeuteJmt(), HeuteTmj(),
                     host::LeseEinstellung(v, "Standard", "Allgemein", "ÄnderungsdatumMwSt"),
                     Zahl(v, "Kalkulation", "Mittellohn"), Zahl(v, "Kalkulation", "Materialzuschlag"),
                     Zahl(v, "Kalkulation", "Lohnzuschlag"), Zahl(v, "Kalkulation", "Fremdzuschlag"),
                     host::LeseEinstellung(v, "Standard", "Allgemein", "UnserZeichen"),
                     Schalter(v, "Allgemein", "MitRaumAufmass"));
  return k;
}

}  // namespace gaeb::cli

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

Verbindung& Programm::Datenbank(bool mitSchema) {
  if (!verbindung_) verbindung_ = host::ÖffneVerbindung(Verbindungstext());
  if (!mitSchema) return *verbindung_;
  const int version = host::Schemaversion(*verbindung_);
  if (version == 0)
    throw Fehler(3265, "Die Datenbank " + Verbindungstext() + " ist nicht eingerichtet; zuerst 'gaeb init' ausführen");
  if (version < host::kSchemaversion)
    throw Fehler(3265, "Die Datenbank " + Verbindungstext() + " hat Schemaversion " + std::to_string(version) +
                           "; 'gaeb init' bringt sie auf Version " + std::to_string(host::kSchemaversion));
  return *verbindung_;
}

std::shared_ptr<Objektfabrik> Programm::Fabrik() {
  if (!fabrik_) {
    host::HostOptionen o;
    o.meldungsausgabe = [](const host::Meldung& m) { std::cerr << m.text << "\n"; };
    fabrik_ = host::NeueFabrik(std::move(o));
  }
  return fabrik_;
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

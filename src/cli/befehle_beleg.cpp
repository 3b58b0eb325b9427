#include <ctime>
#include <filesystem>
#include <iomanip>
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/fehler.h"
#include "cli/befehle.h"
#include "cli/fortschritt.h"
#include "cli/zeilendatei_json.h"
#include "host/belegdaten.h"
#include "host/dienste.h"
#include "readers/zeilen.h"
#include "host/dokument.h"
#include "host/verbindung.h"

namespace gaeb::cli {

namespace {

// Fields in catalogue order.
nlohmann::ordered_json SatzAlsJson(const host::Satz& s) {
  nlohmann::ordered_json o = nlohmann::ordered_json::object();
  const host::Katalog& k = s.katalog();
  for (std::size_t i = 0; i < k.Anzahl(); ++i) o[std::string(k.Felder()[i].name)] = AlsJson(s.Wert(i));
  return o;
}

// v as JSON indented by two blanks per level, at nesting level ebene.
void SchreibeEingerückt(std::ostream& aus, const nlohmann::ordered_json& v, int ebene) {
  const std::string text = v.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  const std::string umbruch = "\n" + std::string(static_cast<std::size_t>(2 * ebene), ' ');
  // Line breaks in the dump are its layout: those of strings are escaped.
  std::size_t von = 0;
  for (std::size_t bei; (bei = text.find('\n', von)) != std::string::npos; von = bei + 1)
    aus.write(text.data() + von, static_cast<std::streamsize>(bei - von)) << umbruch;
  aus.write(text.data() + von, static_cast<std::streamsize>(text.size() - von));
}

// The row file opened for reading, refused as a usage error when it is a folder or cannot be read.
std::ifstream ÖffneZeilendatei(const std::string& pfad) {
  if (std::filesystem::is_directory(pfad)) throw CLI::ValidationError("FILE", pfad + " is a folder, not a file");
  std::ifstream in(pfad, std::ios::binary);
  if (!in) throw CLI::ValidationError("FILE", "cannot read " + pfad);
  return in;
}

}  // namespace

void ArtikelOptionen(CLI::App* befehl, std::optional<Artikelziel>& ziel) {
  CLI::Option* kv = befehl->add_flag("--kv")->description(
      "Write the articles into the host's own article master (KV) instead of the other one");
  CLI::Option* artikel = befehl->add_option_function<std::string>(
      "--articles",
      [&ziel, kv](const std::string& wert) {
        // The short name follows the last ':', so a supplier may contain one.
        std::size_t doppelpunkt = wert.rfind(':');
        if (doppelpunkt == std::string::npos || doppelpunkt == 0 || doppelpunkt + 1 == wert.size())
          throw CLI::ValidationError("--articles", "expected SUPPLIER:SHORT, got '" + wert + "'");
        ziel = Artikelziel{wert.substr(0, doppelpunkt), wert.substr(doppelpunkt + 1), kv->count() > 0};
      },
      "Also write every service and package head as an article of SUPPLIER, numbered SHORT + ordinal number; "
      "the supplier's earlier articles are deleted first");
  kv->needs(artikel);
}

bool MeldeAblehnungen(const std::string& datei, const std::vector<std::string>& abgelehnt) {
  if (abgelehnt.empty()) return false;
  for (const std::string& m : abgelehnt) std::cerr << "gaeb: " << datei << ": " << m << "\n";
  std::cerr << "gaeb: " << datei << ": " << abgelehnt.size() << (abgelehnt.size() == 1 ? " Zeile wird" : " Zeilen werden")
            << " abgelehnt; nichts gespeichert\n";
  return true;
}

namespace {

constexpr const char* kSperrmeldung = "Beleg konnte nicht gesperrt werden";

// How long ago a lock was taken ("12 s", "5 min", "3 h", "2 d"); "?" for a
// time that cannot be read (a date alone counts from its midnight).
std::string Alter(const std::string& seit) {
  std::tm t{};
  std::istringstream ein(seit);
  ein >> std::get_time(&t, seit.size() == 8 ? "%Y%m%d" : host::kSperrzeitformat);
  if (ein.fail()) return "?";
  t.tm_isdst = -1;
  const double s = std::difftime(std::time(nullptr), std::mktime(&t));
  if (s < 0) return "0 s";
  const long sekunden = static_cast<long>(s);
  if (sekunden < 60) return std::to_string(sekunden) + " s";
  if (sekunden < 3600) return std::to_string(sekunden / 60) + " min";
  if (sekunden < 86400) return std::to_string(sekunden / 3600) + " h";
  return std::to_string(sekunden / 86400) + " d";
}

// Whether the document is stored and its number still locked.
void LiesZustand(Verbindung& v, Importergebnis& e, std::int16_t belegart) {
  const Variant key[] = {Variant(belegart), Variant(e.belegnummer)};
  e.gespeichert = v.Ausführen("SELECT Belegnummer FROM Belegkopfkolvar WHERE Belegart = ? AND Belegnummer = ?", key) != 0;
  e.gesperrt = v.Ausführen("SELECT Inhaber FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ?", key) != 0;
}

}  // namespace

int MeldeImport(const Importergebnis& e, std::int16_t art, const std::optional<Artikelziel>& artikel) {
  const std::string beleg = std::to_string(art) + "/" + std::to_string(e.belegnummer);
  const std::string freigabe = " (gaeb locks release --type " + std::to_string(art) + " --number " +
                               std::to_string(e.belegnummer) + ")";
  if (e.belegnummer == 0) return kAbgelehnt;
  if (e.gespeichert) {
    std::cout << e.belegnummer << "\n";
    if (!e.alleGespeichert) std::cerr << "gaeb: der Beleg " << beleg << " ist nicht vollständig gespeichert\n";
    if (e.verbindungVerloren && e.gesperrt)
      std::cerr << "gaeb: Warnung: die Verbindung zur Datenbank brach nach dem Speichern ab; der Beleg " << beleg
                << " ist gespeichert, seine Sperre aber nicht aufgehoben (nach dem Ende dieses Programms: gaeb locks "
                   "release --stale)\n";
  } else {
    // Nothing was stored; a document that was not saved keeps its lock: say how to release it.
    std::cerr << "gaeb: " << (e.abgebrochen ? "abgebrochen; " : "") << "der Beleg " << beleg << " ist nicht gespeichert"
              << (e.gesperrt ? " und bleibt gesperrt" + freigabe : "") << "\n";
  }
  if (artikel && !e.artikelGespeichert)
    std::cerr << "gaeb: die Artikel von Lieferant " << artikel->lieferant << " sind nicht vollständig gespeichert\n";
  return e.Erfolg() ? kErfolg : kAbgelehnt;
}

namespace {

// The client's address of the header row becomes the new document's address
// of kind 2, which the end row saves with the document.
void Auftraggeber(clsGaebSQL& k, const Importzeile& kopf) {
  auto* beleg = dynamic_cast<host::BelegdatenHost*>(&k.kontext().Beleg());
  if (beleg == nullptr || !beleg->HatDokument()) return;
  host::Satz adresse(host::AdressKatalog());
  bool gesetzt = false;
  for (const auto& [name, wert] : kopf) {
    const std::string feld = readers::Auftraggeberfeld(name);
    if (feld.empty() || wert.ToString().empty()) continue;
    adresse.SetzeFeld(feld, wert);
    gesetzt = true;
  }
  if (!gesetzt) return;
  adresse.SetzeFeld("Adressart", static_cast<std::int16_t>(2));
  std::vector<host::Satz>& adressen = beleg->Aktuell().adressen;
  std::erase_if(adressen, [](const host::Satz& a) { return a.Feld("Adressart").ToInt16() == 2; });
  adressen.push_back(std::move(adresse));
}

}  // namespace

Einfügeprüfung::Einfügeprüfung() : regeln_(std::make_unique<host::Einfügeregeln>()) {}
Einfügeprüfung::~Einfügeprüfung() = default;

void Einfügeprüfung::Nimm(const Importzeile& zeile) {
  ++nr_;
  std::int16_t typ = 0, ebene = 0;
  const Variant* oz = nullptr;
  for (const auto& [name, wert] : zeile) {
    if (name == "Positionstyp") typ = wert.ToInt16();
    else if (name == "HierarchieEbene") ebene = wert.ToInt16();
    else if (name == "Positionsnummer") oz = &wert;
  }
  // The kind the row gets in the document; rows that are no position of it stay out.
  std::int16_t art = typ;
  if (typ == 40) art = ebene >= 1 && ebene <= 3 ? static_cast<std::int16_t>(19 + ebene) : ebene == 4 ? 40 : 0;
  if (art != 20 && art != 21 && art != 22 && art != 40 && art != 45 && art != 47 && art != 50 && art != 60 &&
      art != 70 && art != 80)
    return;
  const std::string grund = regeln_->Grund(art);
  if (grund.empty()) {
    regeln_->Nach(art);
    return;
  }
  const std::string nummer = oz != nullptr ? oz->ToString() : "";
  meldungen.push_back("Zeile " + std::to_string(nr_) + (nummer.empty() ? "" : ", OZ " + nummer) + ": " + grund);
}

std::vector<std::string> Ablehnungen(const std::vector<Importzeile>& zeilen) {
  Einfügeprüfung prüfung;
  for (const Importzeile& z : zeilen) prüfung.Nimm(z);
  return std::move(prüfung.meldungen);
}

Importergebnis ImportiereZeilen(Programm& programm, const std::vector<Importzeile>& zeilen, std::int16_t belegart,
                                const Artikelziel* artikel) {
  Importergebnis e;
  e.abgelehnt = Ablehnungen(zeilen);
  if (!e.abgelehnt.empty()) return e;
  const Zeilenquelle quelle{zeilen.size(), [&zeilen](const std::function<bool(const Importzeile&)>& nimm) {
                              for (const Importzeile& z : zeilen)
                                if (!nimm(z)) break;
                              return std::string();
                            }};
  return ImportiereZeilen(programm, quelle, belegart, artikel);
}

Importergebnis ImportiereZeilen(Programm& programm, const Zeilenquelle& quelle, std::int16_t belegart,
                                const Artikelziel* artikel) {
  Importergebnis e;
  auto k = programm.Komponente();
  if (!k->Init_BelegVorlauf(belegart, "").ToBool()) return e;
  // Another workstation may take the same fresh number between the search and
  // the lock: draw again, as a host does; the lock message of a number given
  // up for the next one concerns nobody. Any other failure (no number left)
  // ends the import at once.
  auto& dienst = programm.Fabrik()->Dienst<Meldungsdienst>(klassen::Meldungsdienst);
  auto* meldungen = dynamic_cast<host::MeldungsdienstHost*>(&dienst);
  programm.Zurückhalten();
  for (int versuch = 0; versuch < 20 && e.belegnummer == 0; ++versuch) {
    const std::size_t vorher = meldungen != nullptr ? meldungen->Meldungen().size() : 0;
    e.belegnummer = k->Sperren_Belegnummer(belegart);
    bool sperreFehlte = meldungen != nullptr && meldungen->Meldungen().size() > vorher &&
                        meldungen->Meldungen().back().text == kSperrmeldung;
    if (e.belegnummer == 0 && !sperreFehlte) break;
  }
  programm.Freigeben(e.belegnummer != 0 ? kSperrmeldung : "");
  if (e.belegnummer == 0) return e;
  // Every error report while the articles are written means an article is missing.
  const std::uint32_t& fehler = k->kontext().fehlermeldungen;
  std::uint32_t artikelfehler = 0;
  bool mitArtikeln = false;
  if (artikel != nullptr) {
    const std::uint32_t vorher = fehler;
    k->LöschenLV_Artikeldaten(artikel->kv, artikel->lieferant, artikel->kürzel);
    mitArtikeln = k->InitArtikelmanager(artikel->kv, programm.Benutzer(), HeuteJmt());
    artikelfehler += fehler - vorher;
    e.artikelGespeichert = mitArtikeln;
  }
  Fortschrittsanzeige anzeige("Import");
  anzeige.FortschrittMax(static_cast<std::int32_t>(quelle.anzahl));
  bool cancel = false;
  bool ende = false;  // the end row has run
  e.alleGespeichert = true;
  std::size_t n = 0;
  // The document is not saved: its number is free again.
  auto entsperren = [&] {
    std::int16_t art = belegart;
    std::int32_t nummer = e.belegnummer;
    try {
      k->kontext().Beleg().Entsperren(art, nummer);
    } catch (const std::exception&) {
    }
  };
  e.lesefehler = quelle.lies([&](const Importzeile& z) {
    if (cancel) {
      // Stopped before this row: the rows so far stay unsaved in memory.
      e.abgebrochen = true;
      e.alleGespeichert = false;
      return false;
    }
    k->Init_Datenfelder();
    for (const auto& [name, wert] : z)
      if (readers::Auftraggeberfeld(name).empty()) SchreibeEigenschaft(k->kontext().satz, name, wert);
    if (k->kontext().satz.Positionstyp == 90) ende = true;
    if (!e.alleGespeichert && k->kontext().satz.Positionstyp == 90) {
      // A row was refused: the rest is not saved.
      entsperren();
      return true;
    }
    // The end row's answer is what the database holds afterwards.
    const bool gespeichert = k->Speichern_Belegdaten(belegart, e.belegnummer);
    if (!gespeichert && k->kontext().satz.Positionstyp != 90) e.alleGespeichert = false;
    if (gespeichert && k->kontext().satz.Positionstyp == 10) Auftraggeber(*k, z);
    if (mitArtikeln) {
      const std::uint32_t vorher = fehler;
      k->Speichern_Artikeldaten(artikel->lieferant, artikel->kürzel);
      artikelfehler += fehler - vorher;
    }
    if (++n % 100 == 0) anzeige.Fortschritt(100, cancel);
    return true;
  });
  if (!e.lesefehler.empty()) {
    e.alleGespeichert = false;
    if (!ende) entsperren();
  }
  if (artikelfehler != 0 || (mitArtikeln && e.abgebrochen)) e.artikelGespeichert = false;
  // The connection may have dropped during or right after the save's COMMIT:
  // then a new one tells whether the document is stored. Without any, the
  // document object's word stands and the lock counts as kept.
  try {
    LiesZustand(programm.Datenbank(), e, belegart);
  } catch (const Fehler&) {
    e.verbindungVerloren = true;
    try {
      LiesZustand(*host::ÖffneVerbindung(programm.Verbindungstext()), e, belegart);
    } catch (const Fehler&) {
      Ignoriere([&] { e.gespeichert = k->kontext().Beleg().Kopf().Feld("Speicherstatus").ToInt16() == 1; });
      e.gesperrt = true;
    }
  }
  return e;
}

void RegistriereBelegbefehle(CLI::App& app, Programm& programm, int& exitcode) {
  // gaeb import-rows
  CLI::App* imp = app.add_subcommand("import-rows", "Store a bill of quantities given as JSON rows as a new document");
  static std::string datei;
  static std::int16_t art = 0;
  static std::optional<Artikelziel> artikel;
  imp->add_option("FILE", datei, "JSON array of rows; keys are position-record property names")->required();
  imp->add_option("--type", art, "Document type (Belegart) of the new document")
      ->required()
      ->check(CLI::Range(1, 32767));
  ArtikelOptionen(imp, artikel);
  imp->callback([&] {
    // Checked as a whole first, then read again row by row as the rows are
    // stored: neither the file's JSON nor its rows are held.
    std::size_t anzahl = 0;
    Einfügeprüfung prüfung;
    {
      std::ifstream ein = ÖffneZeilendatei(datei);
      try {
        anzahl = PrüfeZeilendatei(ein, [&prüfung](const Importzeile& z) { prüfung.Nimm(z); });
      } catch (const nlohmann::json::exception& e) {
        // Syntax errors and numbers a double cannot hold (1e400) alike.
        throw CLI::ValidationError("FILE", datei + " is not valid JSON: " + e.what());
      } catch (const std::invalid_argument& e) {
        throw CLI::ValidationError(datei, e.what());
      }
    }
    if (MeldeAblehnungen(datei, prüfung.meldungen)) {
      exitcode = kAbgelehnt;
      return;
    }
    const Zeilenquelle quelle{anzahl, [](const std::function<bool(const Importzeile&)>& nimm) {
                                std::ifstream ein(datei, std::ios::binary);
                                if (!ein) return "cannot read " + datei;
                                return LeseZeilendatei(ein, nimm);
                              }};
    Importergebnis e = ImportiereZeilen(programm, quelle, art, artikel ? &*artikel : nullptr);
    if (!e.lesefehler.empty())
      std::cerr << "gaeb: " << datei << ": the file changed while it was read: " << e.lesefehler << "\n";
    exitcode = MeldeImport(e, art, artikel);
  });

  // gaeb show
  CLI::App* show = app.add_subcommand("show", "Print a stored document as JSON");
  static std::int32_t nummer = 0;
  show->add_option("--type", art, "Document type")->required();
  show->add_option("--number", nummer, "Document number")->required();
  show->callback([&] {
    Verbindung& v = programm.Datenbank();
    host::Dokument d;
    if (!host::LadeDokument(v, art, nummer, d, false)) {
      std::cerr << "gaeb: Beleg " << art << "/" << nummer << " gibt es nicht\n";
      exitcode = kAbgelehnt;
      return;
    }
    // Written row by row, the positions a page at a time as they are read,
    // in the layout of one indented JSON value of everything.
    std::cout << "{\n  \"Belegart\": " << art << ",\n  \"Belegnummer\": " << nummer << ",\n  \"Kopf\": ";
    SchreibeEingerückt(std::cout, SatzAlsJson(d.kopf), 1);
    bool erste = true;
    auto zeile = [&erste](const host::Satz& s) {
      std::cout << (erste ? "\n    " : ",\n    ");
      erste = false;
      SchreibeEingerückt(std::cout, SatzAlsJson(s), 2);
    };
    std::cout << ",\n  \"Positionen\": [";
    host::LesePositionen(v, art, nummer, 0, -1, [&zeile](host::Satz& s, std::int32_t) { zeile(s); });
    std::cout << (erste ? "]" : "\n  ]") << ",\n  \"Schlusszeilen\": [";
    erste = true;
    for (const host::Satz& s : d.schlusszeilen) zeile(s);
    std::cout << (erste ? "]" : "\n  ]");
    std::cout << "\n}\n";
    exitcode = kErfolg;
  });

  // gaeb read
  CLI::App* read = app.add_subcommand("read", "Read a document's header the way a host does (Lese_Beleg)");
  read->add_option("--type", art, "Document type (corrected to the stored one)")->required();
  read->add_option("--number", nummer, "Document number")->required();
  read->callback([&] {
    auto k = programm.Komponente();
    std::int16_t belegart = art;
    bool ok = k->Lese_Beleg(belegart, nummer);
    nlohmann::ordered_json j;
    j["belegart"] = belegart;
    j["ergebnis"] = ok;
    j["InformationProjekt"] = k->InformationProjekt();
    j["Projektnummer"] = k->Projektnummer();
    j["DateiUrsprung"] = k->DateiUrsprung();
    j["BezeichnungLV"] = k->BezeichnungLV();
    j["InformationAG"] = k->InformationAG();
    j["Dateiname"] = k->Dateiname();
    j["Datenphase"] = k->Datenphase();
    j["MitLos"] = k->MitLos();
    j["Währungduplikat"] = k->Währungduplikat();
    j["GAEBDaVersion"] = k->GAEBDaVersion();
    std::cout << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    exitcode = ok ? kErfolg : kAbgelehnt;
  });

  // gaeb locks list / release
  CLI::App* locks = app.add_subcommand("locks", "Locks of documents (left by an import that did not end)");
  locks->require_subcommand(1);
  CLI::App* list = locks->add_subcommand("list", "List the locks: type, number, holder, since, age");
  list->callback([&] {
    Ergebnis e = programm.Datenbank().Abfrage(
        "SELECT Belegart, Belegnummer, Inhaber, Seit FROM Belegsperren ORDER BY Belegart, Belegnummer");
    // The lock of a process of this machine that has ended no longer counts:
    // the next lock of the document takes it over.
    for (const auto& z : e.zeilen)
      std::cout << z[0].ToString() << "\t" << z[1].ToString() << "\t" << z[2].ToString() << "\t" << z[3].ToString()
                << "\t" << Alter(z[3].ToString()) << (host::InhaberLebt(z[2].ToString()) ? "" : "\t(Prozess beendet)")
                << "\n";
    exitcode = kErfolg;
  });
  CLI::App* release = locks->add_subcommand(
      "release", "Release the lock of a document, whoever holds it; or with --stale the locks of ended processes");
  static bool veraltet = false;
  CLI::Option* typ = release->add_option("--type", art, "Document type");
  CLI::Option* nr = release->add_option("--number", nummer, "Document number");
  CLI::Option* stale = release->add_flag(
      "--stale", veraltet, "Release every lock whose process on this machine has ended (an import killed or cut off)");
  typ->excludes(stale);
  nr->excludes(stale);
  release->callback([&, typ, nr] {
    Verbindung& v = programm.Datenbank();
    if (veraltet) {
      Ergebnis e = v.Abfrage("SELECT Belegart, Belegnummer, Inhaber FROM Belegsperren");
      long n = 0;
      for (const auto& z : e.zeilen)
        if (!host::InhaberLebt(z[2].ToString())) {
          // Only the same holder's row: a lock taken over meanwhile stays.
          const Variant p[] = {z[0], z[1], z[2]};
          n += v.Ausführen("DELETE FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ? AND Inhaber = ?", p);
        }
      std::cout << n << (n == 1 ? " Sperre" : " Sperren") << " beendeter Prozesse aufgehoben.\n";
      exitcode = kErfolg;
      return;
    }
    if (typ->count() == 0 || nr->count() == 0) throw CLI::RequiredError("--type and --number (or --stale)");
    const Variant p[] = {Variant(art), Variant(nummer)};
    long n = v.Ausführen("DELETE FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ?", p);
    if (n == 0) {
      std::cerr << "gaeb: Beleg " << art << "/" << nummer << " ist nicht gesperrt\n";
      exitcode = kAbgelehnt;
      return;
    }
    std::cout << "Sperre von Beleg " << art << "/" << nummer << " aufgehoben.\n";
    exitcode = kErfolg;
  });
}

}  // namespace gaeb::cli

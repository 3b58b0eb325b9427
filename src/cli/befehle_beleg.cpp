#include <filesystem>
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

namespace gaeb::cli {

namespace {

// Fields in catalogue order.
nlohmann::ordered_json SatzAlsJson(const host::Satz& s) {
  nlohmann::ordered_json o = nlohmann::ordered_json::object();
  const host::Katalog& k = s.katalog();
  for (std::size_t i = 0; i < k.Anzahl(); ++i) o[std::string(k.Felder()[i].name)] = AlsJson(s.Wert(i));
  return o;
}

nlohmann::json LeseJsonDatei(const std::string& pfad) {
  if (std::filesystem::is_directory(pfad)) throw CLI::ValidationError("FILE", pfad + " is a folder, not a file");
  std::ifstream in(pfad, std::ios::binary);
  if (!in) throw CLI::ValidationError("FILE", "cannot read " + pfad);
  try {
    return nlohmann::json::parse(in);
  } catch (const nlohmann::json::exception& e) {
    // Syntax errors and numbers a double cannot hold (1e400) alike.
    throw CLI::ValidationError("FILE", pfad + " is not valid JSON: " + e.what());
  }
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

void MeldeArtikel(const Importergebnis& e, const std::optional<Artikelziel>& artikel) {
  if (artikel && e.belegnummer != 0 && !e.artikelGespeichert)
    std::cerr << "gaeb: die Artikel von Lieferant " << artikel->lieferant << " sind nicht vollständig gespeichert\n";
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

std::vector<std::string> Ablehnungen(const std::vector<Importzeile>& zeilen) {
  std::vector<std::string> meldungen;
  host::Einfügeregeln regeln;
  for (std::size_t i = 0; i < zeilen.size(); ++i) {
    std::int16_t typ = 0, ebene = 0;
    std::string oz;
    for (const auto& [name, wert] : zeilen[i]) {
      if (name == "Positionstyp") typ = wert.ToInt16();
      else if (name == "HierarchieEbene") ebene = wert.ToInt16();
      else if (name == "Positionsnummer") oz = wert.ToString();
    }
    // The kind the row gets in the document; rows that are no position of it stay out.
    std::int16_t art = typ;
    if (typ == 40) art = ebene >= 1 && ebene <= 3 ? static_cast<std::int16_t>(19 + ebene) : ebene == 4 ? 40 : 0;
    if (art != 20 && art != 21 && art != 22 && art != 40 && art != 45 && art != 47 && art != 50 && art != 60 &&
        art != 70 && art != 80)
      continue;
    const std::string grund = regeln.Grund(art);
    if (!grund.empty())
      meldungen.push_back("Zeile " + std::to_string(i + 1) + (oz.empty() ? "" : ", OZ " + oz) + ": " + grund);
    else
      regeln.Nach(art);
  }
  return meldungen;
}

Importergebnis ImportiereZeilen(Programm& programm, const std::vector<Importzeile>& zeilen, std::int16_t belegart,
                                const Artikelziel* artikel) {
  Importergebnis e;
  e.abgelehnt = Ablehnungen(zeilen);
  if (!e.abgelehnt.empty()) return e;
  auto k = programm.Komponente();
  if (!k->Init_BelegVorlauf(belegart, "").ToBool()) return e;
  // Another workstation may take the same fresh number between the search and
  // the lock: draw again, as a host does. Any other failure (no number left)
  // ends the import at once.
  auto& dienst = programm.Fabrik()->Dienst<Meldungsdienst>(klassen::Meldungsdienst);
  auto* meldungen = dynamic_cast<host::MeldungsdienstHost*>(&dienst);
  for (int versuch = 0; versuch < 20 && e.belegnummer == 0; ++versuch) {
    e.belegnummer = k->Sperren_Belegnummer(belegart);
    bool sperreFehlte = meldungen != nullptr && !meldungen->Meldungen().empty() &&
                        meldungen->Meldungen().back().text == "Beleg konnte nicht gesperrt werden";
    if (e.belegnummer == 0 && !sperreFehlte) break;
  }
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
  anzeige.FortschrittMax(static_cast<std::int32_t>(zeilen.size()));
  bool cancel = false;
  e.alleGespeichert = true;
  std::size_t n = 0;
  for (const Importzeile& z : zeilen) {
    if (cancel) {
      // Stopped before this row: the rows so far stay unsaved in memory.
      e.abgebrochen = true;
      e.alleGespeichert = false;
      break;
    }
    k->Init_Datenfelder();
    for (const auto& [name, wert] : z)
      if (readers::Auftraggeberfeld(name).empty()) SchreibeEigenschaft(k->kontext().satz, name, wert);
    if (!e.alleGespeichert && k->kontext().satz.Positionstyp == 90) {
      // A row was refused: the rest is not saved, and the number is free again.
      std::int16_t art = belegart;
      std::int32_t nummer = e.belegnummer;
      try {
        k->kontext().Beleg().Entsperren(art, nummer);
      } catch (const std::exception&) {
      }
      continue;
    }
    if (!k->Speichern_Belegdaten(belegart, e.belegnummer)) e.alleGespeichert = false;
    else if (k->kontext().satz.Positionstyp == 10) Auftraggeber(*k, z);
    if (mitArtikeln) {
      const std::uint32_t vorher = fehler;
      k->Speichern_Artikeldaten(artikel->lieferant, artikel->kürzel);
      artikelfehler += fehler - vorher;
    }
    if (++n % 100 == 0) anzeige.Fortschritt(100, cancel);
  }
  if (artikelfehler != 0 || (mitArtikeln && e.abgebrochen)) e.artikelGespeichert = false;
  const Variant key[] = {Variant(belegart), Variant(e.belegnummer)};
  Verbindung& v = programm.Datenbank();
  e.gespeichert = v.Ausführen("SELECT Belegnummer FROM Belegkopfkolvar WHERE Belegart = ? AND Belegnummer = ?", key) != 0;
  e.gesperrt = v.Ausführen("SELECT Inhaber FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ?", key) != 0;
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
    std::vector<Importzeile> zeilen;
    try {
      zeilen = LeseImportzeilen(LeseJsonDatei(datei));
    } catch (const std::invalid_argument& e) {
      throw CLI::ValidationError(datei, e.what());
    }
    Importergebnis e = ImportiereZeilen(programm, zeilen, art, artikel ? &*artikel : nullptr);
    if (MeldeAblehnungen(datei, e.abgelehnt)) {
      exitcode = kAbgelehnt;
      return;
    }
    if (e.belegnummer != 0) std::cout << e.belegnummer << "\n";
    MeldeArtikel(e, artikel);
    if (e.belegnummer != 0 && !e.gespeichert) {
      // Nothing was stored; a document that was not saved keeps its lock: say how to release it.
      std::cerr << "gaeb: " << (e.abgebrochen ? "abgebrochen; " : "") << "der Beleg " << art << "/" << e.belegnummer
                << " ist nicht gespeichert";
      if (e.gesperrt)
        std::cerr << " und bleibt gesperrt (gaeb locks release --type " << art << " --number " << e.belegnummer << ")";
      std::cerr << "\n";
    }
    exitcode = e.Erfolg() ? kErfolg : kAbgelehnt;
  });

  // gaeb show
  CLI::App* show = app.add_subcommand("show", "Print a stored document as JSON");
  static std::int32_t nummer = 0;
  show->add_option("--type", art, "Document type")->required();
  show->add_option("--number", nummer, "Document number")->required();
  show->callback([&] {
    host::Dokument d;
    if (!host::LadeDokument(programm.Datenbank(), art, nummer, d)) {
      std::cerr << "gaeb: Beleg " << art << "/" << nummer << " gibt es nicht\n";
      exitcode = kAbgelehnt;
      return;
    }
    nlohmann::ordered_json j;
    j["Belegart"] = d.belegart;
    j["Belegnummer"] = d.belegnummer;
    j["Kopf"] = SatzAlsJson(d.kopf);
    j["Positionen"] = nlohmann::ordered_json::array();
    for (const host::Satz& p : d.positionen) j["Positionen"].push_back(SatzAlsJson(p));
    j["Schlusszeilen"] = nlohmann::ordered_json::array();
    for (const host::Satz& s : d.schlusszeilen) j["Schlusszeilen"].push_back(SatzAlsJson(s));
    std::cout << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
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
  CLI::App* list = locks->add_subcommand("list", "List the locks");
  list->callback([&] {
    Ergebnis e = programm.Datenbank().Abfrage(
        "SELECT Belegart, Belegnummer, Inhaber, Seit FROM Belegsperren ORDER BY Belegart, Belegnummer");
    // The lock of a process of this machine that has ended no longer counts:
    // the next lock of the document takes it over.
    for (const auto& z : e.zeilen)
      std::cout << z[0].ToString() << "\t" << z[1].ToString() << "\t" << z[2].ToString() << "\t" << z[3].ToString()
                << (host::InhaberLebt(z[2].ToString()) ? "" : "\t(Prozess beendet)") << "\n";
    exitcode = kErfolg;
  });
  CLI::App* release = locks->add_subcommand("release", "Release the lock of a document, whoever holds it");
  release->add_option("--type", art, "Document type")->required();
  release->add_option("--number", nummer, "Document number")->required();
  release->callback([&] {
    const Variant p[] = {Variant(art), Variant(nummer)};
    long n = programm.Datenbank().Ausführen("DELETE FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ?", p);
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

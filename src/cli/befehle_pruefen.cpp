// Commands on GAEB files without a database: info, diff, check-bid. Each file
// is read into a throw-away in-memory database (checks::LeseBelegdatei).
#include <iostream>

#include "base/fehler.h"
#include "base/text.h"
#include "checks/belegdatei.h"
#include "checks/vergleich.h"
#include "cli/befehle.h"

namespace gaeb::cli {

std::unique_ptr<checks::Belegdatei> LiesBelegdatei(const std::string& pfad) {
  try {
    return checks::LeseBelegdatei(pfad, Programm::Programmverzeichnis());
  } catch (const readers::Lesefehler& e) {
    std::cerr << "gaeb: " << e.what() << "\n";
  } catch (const Fehler& e) {
    std::cerr << "gaeb: " << e.what() << "\n";
  }
  return nullptr;
}

namespace {

struct Kennzahlen {
  int bereiche = 0, positionen = 0, bedarf = 0, wahl = 0, pauschal = 0, pakete = 0;
  double summe = 0;
};

Kennzahlen Zähle(const host::Dokument& d) {
  Kennzahlen k;
  for (const host::Satz& s : d.positionen) {
    const std::int32_t typ = s.Feld("Positionstyp").ToInt32();
    if (typ == 20 || typ == 21 || typ == 22) ++k.bereiche;
    if (typ != 40 && typ != 45) continue;
    ++k.positionen;
    if (typ == 45) ++k.pakete;
    if (s.Feld("Bedarfsposition").ToBool()) ++k.bedarf;
    if (s.Feld("Alternativposition").ToBool() && !s.Feld("Bedarfsposition").ToBool()) ++k.wahl;
    if (s.Feld("Pauschalpreis").ToBool()) ++k.pauschal;
  }
  for (const host::Satz& s : d.schlusszeilen)
    if (s.Feld("Positionstyp").ToInt32() == 90) k.summe = s.Feld("Summe").ToDouble();
  return k;
}

void Info(const checks::Belegdatei& b, bool json) {
  const host::Dokument& d = b.dokument;
  const Kennzahlen k = Zähle(d);
  auto kopf = [&](const char* feld) { return d.kopf.Feld(feld).ToString(); };
  if (json) {
    nlohmann::ordered_json j;
    j["datei"] = b.pfad;
    j["format"] = readers::Formatname(b.format);
    j["version"] = kopf("Ausgabejahr");
    j["datenart"] = d.kopf.Feld("Datenphase").ToInt32();
    j["projekt"] = kopf("InformationProjekt");
    j["lv"] = kopf("BezeichnungLV");
    j["auftraggeber"] = checks::Auftraggeber(d);
    j["bereiche"] = k.bereiche;
    j["positionen"] = k.positionen;
    j["bedarfspositionen"] = k.bedarf;
    j["wahlpositionen"] = k.wahl;
    j["pauschalpositionen"] = k.pauschal;
    j["pakete"] = k.pakete;
    j["gesamtbetrag"] = k.summe;
    j["waehrung"] = kopf("Währung");
    std::cout << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return;
  }
  std::cout << "Format:             " << readers::Formatname(b.format)
            << (kopf("Ausgabejahr").empty() ? "" : " (Version " + kopf("Ausgabejahr") + ")") << "\n"
            << "Datenart:           " << d.kopf.Feld("Datenphase").ToInt32() << "\n"
            << "Projekt:            " << text::EineZeile(kopf("InformationProjekt")) << "\n"
            << "LV:                 " << kopf("BezeichnungLV") << "\n"
            << "Auftraggeber:       " << text::EineZeile(checks::Auftraggeber(d)) << "\n"
            << "Bereiche:           " << k.bereiche << "\n"
            << "Positionen:         " << k.positionen << "\n"
            << "Bedarfspositionen:  " << k.bedarf << "\n"
            << "Wahlpositionen:     " << k.wahl << "\n"
            << "Gesamtbetrag:       " << checks::Betrag(k.summe) << " " << kopf("Währung") << "\n";
}

void Liste(const std::vector<checks::Unterschied>& u, bool json) {
  if (json) {
    std::cout << checks::AlsJson(u).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return;
  }
  for (const checks::Unterschied& x : u) std::cout << checks::AlsText(x) << "\n";
}

}  // namespace

void RegistrierePrüfbefehle(CLI::App& app, int& exitcode) {
  static std::string a, b;
  static bool json = false;

  CLI::App* info = app.add_subcommand(
      "info", "Summary of a GAEB file: format, version, data type, project, LV, client, counts of categories, items, "
              "optional and alternative items, bill total and currency");
  info->add_option("FILE", a, "GAEB file in any format the program reads")->required();
  info->add_flag("--json", json, "Print the summary as JSON");
  info->callback([&] {
    auto datei = LiesBelegdatei(a);
    if (!datei) {
      exitcode = kAbgelehnt;
      return;
    }
    Info(*datei, json);
    exitcode = kErfolg;
  });

  CLI::App* diff = app.add_subcommand(
      "diff", "Compare two bills (any formats) item by item by OZ: added, removed and changed items, category and "
              "bill totals; exit 0 when they agree, 1 when they differ, 2 when a file cannot be read");
  diff->add_option("A", a, "The first bill (the older edition)")->required();
  diff->add_option("B", b, "The second bill")->required();
  diff->add_flag("--json", json, "Print the differences as a JSON array");
  diff->callback([&] {
    auto x = LiesBelegdatei(a), y = LiesBelegdatei(b);
    if (!x || !y) {
      exitcode = kAufruffehler;
      return;
    }
    auto u = checks::VergleicheBelege(x->dokument, y->dokument);
    Liste(u, json);
    exitcode = u.empty() ? kErfolg : kAbgelehnt;
  });

  CLI::App* bid = app.add_subcommand(
      "check-bid", "Check that a bid (data type 84) answers its tender: same OZ set, quantities and units, a unit "
                   "price for every item, item totals = quantity x unit price; exit 1 when they disagree, 2 when a "
                   "file cannot be read");
  bid->add_option("BID", a, "The bid, any format")->required();
  bid->add_option("TENDER", b, "The tender it answers, any format")->required();
  bid->add_flag("--json", json, "Print the findings as a JSON array");
  bid->callback([&] {
    auto angebot = LiesBelegdatei(a), lv = LiesBelegdatei(b);
    if (!angebot || !lv) {
      exitcode = kAufruffehler;
      return;
    }
    auto u = checks::PrüfeAngebot(*angebot, lv->dokument);
    Liste(u, json);
    if (u.empty() && !json) std::cout << "Das Angebot passt zum LV.\n";
    exitcode = u.empty() ? kErfolg : kAbgelehnt;
  });
}

}  // namespace gaeb::cli

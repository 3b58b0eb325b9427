// gaeb articles list: the articles of a supplier in one of the host's article
// masters, as an import with --articles wrote them.
#include <iostream>

#include "cli/befehle.h"
#include "host/artikel.h"

namespace gaeb::cli {

namespace {

// Fields in catalogue order.
nlohmann::ordered_json AlsJsonObjekt(const host::Satz& s) {
  nlohmann::ordered_json o = nlohmann::ordered_json::object();
  const host::Katalog& k = s.katalog();
  for (std::size_t i = 0; i < k.Anzahl(); ++i) o[std::string(k.Felder()[i].name)] = AlsJson(s.Wert(i));
  return o;
}

}  // namespace

void RegistriereArtikel(CLI::App& app, Programm& programm, int& exitcode) {
  CLI::App* artikel = app.add_subcommand("articles", "Articles of the host's article masters");
  artikel->require_subcommand(1);
  CLI::App* list = artikel->add_subcommand(
      "list", "Print the articles of a supplier as JSON, by article number; an article with a long text carries "
              "its long-text record under \"Langtext\"");
  static std::string lieferant;
  static bool kv = false;
  list->add_option("--supplier", lieferant, "The supplier (Hauptlieferant)")->required();
  list->add_flag("--kv", kv, "The host's own article master (KV) instead of the other one");
  list->callback([&] {
    nlohmann::ordered_json j = nlohmann::ordered_json::array();
    for (const host::GespeicherterArtikel& a : host::LeseArtikel(programm.Datenbank(), kv, lieferant)) {
      nlohmann::ordered_json o = AlsJsonObjekt(a.artikel);
      if (a.langtext) o["Langtext"] = AlsJsonObjekt(*a.langtext);
      j.push_back(std::move(o));
    }
    std::cout << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    exitcode = kErfolg;
  });
}

}  // namespace gaeb::cli

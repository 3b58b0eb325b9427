#include "checks/belegdatei.h"

#include <unistd.h>

#include <atomic>

#include "base/fehler.h"
#include "base/text.h"
#include "component/clsGaebSQL.h"
#include "core/positionssatz.h"
#include "host/belegdaten.h"
#include "host/host.h"
#include "host/schema.h"
#include "host/verbindung.h"

namespace gaeb::checks {

namespace {

readers::Gaebformat FormatAus(const std::string& ursprung) {
  if (ursprung.starts_with("GAEB DA XML")) return readers::Gaebformat::Xml;
  if (ursprung == "GAEB 2000") return readers::Gaebformat::Gaeb2000;
  if (ursprung == "GAEB 90") return readers::Gaebformat::Gaeb90;
  return readers::Gaebformat::Unbekannt;
}

// The header row carries the client's address as "Auftraggeber.Name1" ...: it
// becomes the new document's address of kind 2, saved with the document.
constexpr std::string_view kAdresse = "Auftraggeber.";

void Auftraggeber(clsGaebSQL& k, const readers::Importzeile& kopf) {
  auto* beleg = dynamic_cast<host::BelegdatenHost*>(&k.kontext().Beleg());
  if (beleg == nullptr || !beleg->HatDokument()) return;
  host::Satz adresse(host::AdressKatalog());
  bool gesetzt = false;
  for (const auto& [name, wert] : kopf) {
    if (!name.starts_with(kAdresse) || wert.ToString().empty()) continue;
    adresse.SetzeFeld(name.substr(kAdresse.size()), wert);
    gesetzt = true;
  }
  if (!gesetzt) return;
  adresse.SetzeFeld("Adressart", static_cast<std::int16_t>(2));
  beleg->Aktuell().adressen.push_back(std::move(adresse));
}

}  // namespace

std::unique_ptr<Belegdatei> LeseBelegdatei(const std::string& pfad, const std::string& programmverzeichnis) {
  auto b = std::make_unique<Belegdatei>();
  b->pfad = pfad;
  {
    auto texte = readers::NeuerTextwandler(programmverzeichnis);
    b->zeilen = readers::LeseGaebDatei(pfad, *texte);
  }
  b->format = FormatAus(readers::Wert(b->zeilen.front(), "DateiUrsprung").ToString());

  static std::atomic<int> zähler = 0;
  b->verbindungstext = "sqlite:file:gaebdatei" + std::to_string(::getpid()) + "_" + std::to_string(++zähler) +
                       "?mode=memory&cache=shared";
  b->db = host::ÖffneVerbindung(b->verbindungstext);
  host::ErstelleSchema(*b->db);
  b->db->Ausführen("INSERT INTO ProjekteKolvar (Projektnummer, Bezeichnung) VALUES ('1', '')");
  host::HostOptionen o;
  o.meldungsausgabe = [m = &b->meldungen](const host::Meldung& x) { m->push_back(x.text); };
  b->fabrik = host::NeueFabrik(std::move(o));

  clsGaebSQL k(b->fabrik);
  k.Init("", b->verbindungstext, b->db.get(), nullptr, nullptr, programmverzeichnis);
  k.Parameter_Beleg("EUR", "gaeb", text::JetztLokal("%Y%m%d"), text::JetztLokal("%d%m%Y"), "", 0, 0, 0, 0, "", false);
  std::int32_t nummer = 0;
  if (k.Init_BelegVorlauf(kBelegart, "").ToBool()) nummer = k.Sperren_Belegnummer(kBelegart);
  bool alle = nummer != 0;
  for (std::size_t i = 0; alle && i < b->zeilen.size(); ++i) {
    k.Init_Datenfelder();
    for (const auto& [name, wert] : b->zeilen[i])
      if (!name.starts_with(kAdresse)) SchreibeEigenschaft(k.kontext().satz, name, wert);
    if (i == 0) SchreibeEigenschaft(k.kontext().satz, "Projektnummer", Variant(std::string("1")));
    alle = k.Speichern_Belegdaten(kBelegart, nummer);
    if (alle && i == 0) Auftraggeber(k, b->zeilen[0]);
  }
  if (!alle || !host::LadeDokument(*b->db, kBelegart, nummer, b->dokument))
    throw Fehler(kFehlerHost, pfad + ": der Inhalt konnte nicht übernommen werden" +
                                  (b->meldungen.empty() ? std::string() : " (" + b->meldungen.back() + ")"));
  return b;
}

}  // namespace gaeb::checks

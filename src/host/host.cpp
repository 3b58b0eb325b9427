#include "host/host.h"

#include "host/artikel.h"
#include "host/aufmass.h"
#include "host/belegdaten.h"
#include "host/belegnummern.h"
#include "host/prozeduren.h"
#include "host/verbindung.h"

namespace gaeb::host {

void RegistriereHost(Objektfabrik& fabrik, HostOptionen optionen) {
  fabrik.Registriere(klassen::Verbindung, [] { return NeueVerbindung(); });
  fabrik.Registriere(klassen::Belegdaten, [] { return std::make_unique<BelegdatenHost>(); });
  fabrik.Registriere(klassen::Formatierung, [] { return std::make_unique<FormatierungHost>(); });
  fabrik.Registriere(klassen::Belegnummern, [] { return std::make_unique<BelegnummernHost>(); });
  fabrik.Registriere(klassen::Meldungstexte, [] { return std::make_unique<MeldungstexteHost>(); });
  fabrik.Registriere(klassen::Meldungsdienst,
                     [aus = optionen.meldungsausgabe] { return std::make_unique<MeldungsdienstHost>(aus); });
  fabrik.Registriere(klassen::Datumsdienst, [] { return std::make_unique<DatumsdienstHost>(); });
  fabrik.Registriere(klassen::Aufmass, [] { return std::make_unique<AufmassHost>(); });
  fabrik.Registriere(klassen::XArrayDB, [] { return std::make_unique<XArrayDBHost>(); });
  fabrik.Registriere(klassen::Einstellungen, [] { return std::make_unique<EinstellungenHost>(); });
  // The article manager of the host's own article master, and of the other one.
  fabrik.Registriere(klassen::ArtikelmanagerA, [] { return std::make_unique<ArtikelmanagerHost>(true); });
  fabrik.Registriere(klassen::ArtikelmanagerB, [] { return std::make_unique<ArtikelmanagerHost>(false); });
  fabrik.Registriere(klassen::Prozedurbefehl, [] { return std::make_unique<ProzedurbefehleHost>(); });
}

std::shared_ptr<Objektfabrik> NeueFabrik(HostOptionen optionen) {
  auto f = std::make_shared<Objektfabrik>();
  RegistriereHost(*f, std::move(optionen));
  return f;
}

}  // namespace gaeb::host

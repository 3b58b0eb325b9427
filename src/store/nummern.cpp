// Document numbers and locking: the next number of the user's range, the
// check against the documents that exist, the reservation and the lock.
#include "store/store.h"

#include <cstdint>

#include "base/fehler.h"
#include "base/variant.h"

namespace gaeb {

namespace {

// Steps shared by Ermittle_Belegnummer and Sperren_Belegnummer: the next
// number of the range, with the range kept in the object.
std::int32_t NächsteNummer(Kontext& k, std::int16_t belegart) {
  Belegnummern& n = k.Nummern();
  n.Öffnen("0", k.pConnectstring, k.pConnection);
  if (!n.BenutzerNummernkreise()) {
    std::int32_t nummer = n.NächsteNummer(belegart, 0);
    k.nummernkreis = 0;
    return nummer;
  }
  k.nummernkreis = n.NummernkreisVon(k.vorgaben.pGL_BenutzerID, belegart);
  return n.NächsteNummer(belegart, k.nummernkreis);
}

}  // namespace

std::int32_t Ermittle_Belegnummer(Kontext& k, std::int16_t belegart) {
  std::int32_t ergebnis = 0;
  Geschützt(k, "Ermittle_Belegnummer", [&] { ergebnis = NächsteNummer(k, belegart); });
  return ergebnis;
}

std::int32_t Sperren_Belegnummer(Kontext& k, std::int16_t belegart) {
  std::int32_t kandidat = 0;
  std::int32_t ergebnis = 0;
  Geschützt(k, "Speichern_Belegnummer", [&] {
    kandidat = NächsteNummer(k, belegart);
    Verbindung& v = k.Connection();
    // Skip numbers that a document of this type already has.
    while (kandidat != 0) {
      std::string sql = "Select Belegnummer, Belegart From Belegkopfkolvar Where Belegnummer = " +
                        std::to_string(kandidat) + " And Belegart = " + std::to_string(belegart);
      if (v.Ausführen(sql) == 0) break;
      // A Long has no number after the largest: overflow, before anything is reserved.
      if (kandidat == INT32_MAX) throw Fehler(kFehlerÜberlauf, "Überlauf");
      ++kandidat;
    }
    ergebnis = kandidat;
    Belegnummern& n = k.Nummern();
    n.Reserviere(belegart, kandidat, n.BenutzerNummernkreise() ? k.nummernkreis : std::int16_t{0});
    if (k.Beleg().Sperren(belegart, kandidat, false) == 0) {
      ZeigeMeldung(k, "Beleg konnte nicht gesperrt werden");
      ergebnis = 0;
    }
  });
  return ergebnis;
}

Variant Init_BelegVorlauf(Kontext& k, std::int16_t /*pBelegart*/, const std::string& /*pModus*/) {
  try {
    Init_Beleg(k);
    k.hierarchiezeilen = {-1, -1, -1};
    return Variant(true);
  } catch (...) {
    return Variant(false);
  }
}

bool Default_ProjektMappe(Kontext& k, const std::string& pProjektnummer) {
  long anzahl = 0;
  Ignoriere([&] {
    // The number is quoted as a SQL literal: an apostrophe in it is doubled.
    std::string literal;
    for (char c : pProjektnummer) {
      literal.push_back(c);
      if (c == '\'') literal.push_back('\'');
    }
    anzahl = k.Connection().Ausführen("Select Projektnummer From ProjekteKolvar Where Projektnummer = '" + literal + "'");
  });
  return anzahl != 0;
}

}  // namespace gaeb

#include "component/clsGaebSQL.h"

#include "base/fehler.h"
#include "gaeb2000/export.h"
#include "export/oz.h"
#include "gaeb90/export.h"
#include "gaeb90/reb.h"
#include "gaebxml/export.h"
#include "store/store.h"
#include "component/textkonverter_host.h"

namespace gaeb {

clsGaebSQL::clsGaebSQL(std::shared_ptr<const Objektfabrik> fabrik)
    : k_(std::make_unique<Kontext>(std::move(fabrik))), m_PosNr_Trennzeichen(k_->m_PosNr_Trennzeichen) {
  Ignoriere([&] { k_->belegdatenobjekt = k_->fabrik->Erzeuge<Belegdaten>(klassen::Belegdaten); });
  Ignoriere([&] { k_->belegnummernobjekt = k_->fabrik->Erzeuge<Belegnummern>(klassen::Belegnummern); });
  k_->satz.ImportTyp.clear();
  k_->textkonverter = ErzeugeTextkonverter(k_->fabrik);
}

clsGaebSQL::~clsGaebSQL() {
  Ignoriere([&] { k_->belegdatenobjekt.reset(); });
  Ignoriere([&] { k_->belegnummernobjekt.reset(); });
  Ignoriere([&] { k_->pGL_OptionenObj.reset(); });
  Ignoriere([&] { k_->pGL_TextFormat.reset(); });
  Ignoriere([&] { k_->artikelmanager.reset(); });
  Ignoriere([&] { k_->textkonverter.reset(); });
}

void clsGaebSQL::Init(const std::string& /*pDMY*/, const std::string& pConnectstring, Verbindung* pConnection,
                      std::shared_ptr<HostObjekt> pGL_OptionenObj, std::shared_ptr<HostObjekt> pGL_TextFormat,
                      const std::string& pAppExeDir) {
  try {
    k_->pConnection = pConnection;
    k_->pConnectstring = pConnectstring;
    k_->pGL_OptionenObj = std::move(pGL_OptionenObj);
    k_->pGL_TextFormat = std::move(pGL_TextFormat);
    k_->textkonverter->m_AppExeDir(pAppExeDir);
  } catch (const Fehler& e) {
    Ignoriere([&] { k_->Meldungen().FehlerMelden("clsGaebSQL", "Init", e.Nummer(), e.Beschreibung(), true); });
  } catch (const std::exception& e) {
    Ignoriere([&] { k_->Meldungen().FehlerMelden("clsGaebSQL", "Init", 0, e.what(), true); });
  }
}

Variant clsGaebSQL::Init_Datenfelder() {
  Geschützt(*k_, "Init_Datenfelder", [&] { k_->satz.Zurücksetzen(); });
  return Variant();
}

Variant clsGaebSQL::Parameter_Beleg(const std::string& pGL_Landeswährung, const std::string& pGL_BenutzerID,
                                    const std::string& pGL_jmtVerarbeitungsdatum,
                                    const std::string& pGL_tmjVerarbeitungsdatum,
                                    const std::string& pGL_ÄnderungsdatumMwstjmt, double pGL_Mittellohn,
                                    double pGL_Materialzuschlag, double pGL_Lohnzuschlag, double pGL_Fremdzuschlag,
                                    const std::string& pGL_UnserZeichen, bool pGL_MitRaumAufmass) {
  Geschützt(*k_, "Parameter_Beleg", [&] {
    Dokumentvorgaben& v = k_->vorgaben;
    v.pGL_Landeswährung = pGL_Landeswährung;
    v.pGL_BenutzerID = pGL_BenutzerID;
    v.pGL_jmtVerarbeitungsdatum = pGL_jmtVerarbeitungsdatum;
    v.pGL_tmjVerarbeitungsdatum = pGL_tmjVerarbeitungsdatum;
    // An empty date of the last VAT change stands for "never": later than any real date.
    v.pGL_ÄnderungsdatumMwstjmt = pGL_ÄnderungsdatumMwstjmt.empty() ? "99999999" : pGL_ÄnderungsdatumMwstjmt;
    v.pGL_Mittellohn = pGL_Mittellohn;
    v.pGL_Materialzuschlag = pGL_Materialzuschlag;
    v.pGL_Lohnzuschlag = pGL_Lohnzuschlag;
    v.pGL_Fremdzuschlag = pGL_Fremdzuschlag;
    v.pGL_UnserZeichen = pGL_UnserZeichen;
    v.pGL_MitRaumAufmass = pGL_MitRaumAufmass;
  });
  return Variant();
}

std::int32_t clsGaebSQL::Ermittle_Belegnummer(std::int16_t belegart) { return gaeb::Ermittle_Belegnummer(*k_, belegart); }

std::int32_t clsGaebSQL::Sperren_Belegnummer(std::int16_t belegart) { return gaeb::Sperren_Belegnummer(*k_, belegart); }

Variant clsGaebSQL::Init_BelegVorlauf(std::int16_t pBelegart, const std::string& pModus) {
  return gaeb::Init_BelegVorlauf(*k_, pBelegart, pModus);
}

bool clsGaebSQL::Default_ProjektMappe(const std::string& pProjektnummer) {
  return gaeb::Default_ProjektMappe(*k_, pProjektnummer);
}

bool clsGaebSQL::Speichern_Belegdaten(std::int16_t belegart, std::int32_t belegnummer) {
  return gaeb::Speichern_Belegdaten(*k_, belegart, belegnummer);
}

bool clsGaebSQL::LöschenLV_Artikeldaten(bool pMitArtikelstammKV, const std::string& pLieferant,
                                        const std::string& pLieferantenkürzel) {
  return gaeb::LöschenLV_Artikeldaten(*k_, pMitArtikelstammKV, pLieferant, pLieferantenkürzel);
}

bool clsGaebSQL::InitArtikelmanager(bool pMitArtikelstammKV, const std::string& pAppUser,
                                    const std::string& pjmt_Verarbeitungsdatum) {
  return gaeb::InitArtikelmanager(*k_, pMitArtikelstammKV, pAppUser, pjmt_Verarbeitungsdatum);
}

bool clsGaebSQL::Speichern_Artikeldaten(const std::string& pLieferant, const std::string& pLieferantenkürzel) {
  return gaeb::Speichern_Artikeldaten(*k_, pLieferant, pLieferantenkürzel);
}

bool clsGaebSQL::Lese_Beleg(std::int16_t& belegart, std::int32_t belegnummer) {
  return gaeb::Lese_Beleg(*k_, belegart, belegnummer);
}

bool clsGaebSQL::PrüfenAusgabeWährung(std::int16_t belegart, std::int32_t belegnummer, bool AusgabeLandeswährung) {
  return gaeb::PrüfenAusgabeWährung(*k_, belegart, belegnummer, AusgabeLandeswährung);
}

namespace {

// Runs one export and notes whether its file came out complete: an error
// report during the run means something is missing from it.
template <typename F>
bool PrüfeVollständig(Kontext& k, F&& export_) {
  const std::uint32_t vorher = k.fehlermeldungen;
  k.ausgabeUnvollständig = false;
  const bool ergebnis = export_();
  if (k.fehlermeldungen != vorher) k.ausgabeUnvollständig = true;
  return ergebnis;
}

}  // namespace

bool clsGaebSQL::Ausgabe_BelegdatenDA90(std::int16_t belegart, std::int32_t belegnummer, const std::string& tmpPfadDatei,
                                        std::int16_t tmpDatenphase, const Ausgabeoptionen& optionen) {
  return PrüfeVollständig(*k_, [&] {
    return gaeb90::Ausgabe_BelegdatenDA90(*k_, belegart, belegnummer, tmpPfadDatei, tmpDatenphase, optionen);
  });
}

bool clsGaebSQL::Ausgabe_BelegdatenDA90REB11(std::int16_t pBelegart, std::int32_t pBelegnummer,
                                             const std::string& tmpPfadDatei, XArrayDB& AnzArrayERG) {
  return PrüfeVollständig(*k_, [&] {
    return gaeb90::Ausgabe_BelegdatenDA90REB11(*k_, pBelegart, pBelegnummer, tmpPfadDatei, AnzArrayERG);
  });
}

bool clsGaebSQL::Ausgabe_BelegdatenDA90REB12(std::int16_t pBelegart, std::int32_t pBelegnummer,
                                             const std::string& tmpPfadDatei, XArrayDB& AnzArrayERG) {
  return PrüfeVollständig(*k_, [&] {
    return gaeb90::Ausgabe_BelegdatenDA90REB12(*k_, pBelegart, pBelegnummer, tmpPfadDatei, AnzArrayERG);
  });
}

bool clsGaebSQL::Ausgabe_BelegdatenDA2000(std::int16_t belegart, std::int32_t belegnummer,
                                          const std::string& tmpPfadDatei, std::int16_t tmpDatenphase,
                                          const Ausgabeoptionen& optionen) {
  return PrüfeVollständig(*k_, [&] {
    return gaeb2000::Ausgabe_BelegdatenDA2000(*k_, belegart, belegnummer, tmpPfadDatei, tmpDatenphase, optionen);
  });
}

bool clsGaebSQL::Ausgabe_BelegdatenDAXML(std::int16_t belegart, std::int32_t belegnummer,
                                         const std::string& tmpPfadDatei, std::int16_t tmpDatenphase,
                                         const Ausgabeoptionen& optionen) {
  return PrüfeVollständig(*k_, [&] {
    return gaebxml::Ausgabe_BelegdatenDAXML(*k_, belegart, belegnummer, tmpPfadDatei, tmpDatenphase, optionen);
  });
}

std::string clsGaebSQL::OZMaske_Stufen(std::string OZMaske) { return gaeb::OZMaske_Stufen(*k_, OZMaske); }

}  // namespace gaeb

#include "host/belegdaten.h"

#include <unistd.h>

#include <algorithm>

#include "base/fehler.h"
#include "base/text.h"

namespace gaeb::host {

namespace {

[[noreturn]] void KeinDokument() { throw Fehler(kFehlerObjekt, "Kein Beleg geöffnet"); }

class OZFormatHost : public OZFormatobjekt {
 public:
  explicit OZFormatHost(BelegdatenHost& beleg) : beleg_(beleg) {}

  bool Laden(bool) override {
    std::string gespeichert = beleg_.Aktuell().kopf.Feld("OZTrennzeichen").ToString();
    f_ = FormateAusMaske(beleg_.Aktuell().kopf.Feld("OZMaske").ToString());
    if (f_.trennzeichen.empty()) f_.trennzeichen = gespeichert;
    geladen_ = true;
    return true;
  }
  std::string LosFormat() override { return F().los; }
  std::string GewerkFormat() override { return F().gewerk; }
  std::string TitelFormat() override { return F().titel; }
  std::string PositionFormat() override { return F().position; }
  std::string IndexFormat() override { return F().index; }
  std::string Trennzeichen() override { return F().trennzeichen; }
  void SetzeTrennzeichen(const std::string& t) override {
    F().trennzeichen = t;
    beleg_.Aktuell().kopf.SetzeFeld("OZTrennzeichen", t);
  }

 private:
  OZFormate& F() {
    if (!geladen_) Laden(true);
    return f_;
  }

  BelegdatenHost& beleg_;
  OZFormate f_;
  bool geladen_ = false;
};

}  // namespace

OZFormate FormateAusMaske(const std::string& gespeichert) {
  OZFormate f;
  std::size_t bar = gespeichert.find('|');
  std::string maske = gespeichert.substr(0, bar);
  if (bar != std::string::npos) {
    std::size_t zweiter = gespeichert.find('|', bar + 1);
    f.trennzeichen = gespeichert.substr(bar + 1, zweiter == std::string::npos ? std::string::npos : zweiter - bar - 1);
  }
  auto zähle = [&](char c) { return static_cast<std::size_t>(std::count(maske.begin(), maske.end(), c)); };
  auto nullen = [](std::size_t n) { return std::string(n, '0'); };
  f.position = nullen(zähle('P'));
  f.index = nullen(zähle('I') + zähle('U'));
  std::size_t g = zähle('G'), l = zähle('L'), t = zähle('T');
  if (g + l + t > 0) {
    f.los = nullen(g);
    f.gewerk = nullen(l);
    f.titel = nullen(t);
  } else {
    // Digit notation: the used levels are numbered from the outermost one that exists.
    std::size_t d1 = zähle('1'), d2 = zähle('2'), d3 = zähle('3');
    if (d3 > 0) {
      f.los = nullen(d1);
      f.gewerk = nullen(d2);
      f.titel = nullen(d3);
    } else if (d2 > 0) {
      f.gewerk = nullen(d1);
      f.titel = nullen(d2);
    } else {
      f.titel = nullen(d1);
    }
  }
  return f;
}

std::string LockInhaber(const std::string& benutzer) {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return (benutzer.empty() ? std::string("?") : benutzer) + "@" + host + ":" + std::to_string(getpid());
}

BelegdatenHost::BelegdatenHost() = default;
BelegdatenHost::~BelegdatenHost() = default;

void BelegdatenHost::Öffnen(const std::string&, const std::string& verbindungstext, Verbindung* verbindung) {
  if (verbindung == nullptr) throw Fehler(kFehlerObjekt, "Objektvariable nicht festgelegt: Verbindung");
  verbindung_ = verbindung;
  verbindungstext_ = verbindungstext;
  dokument_.reset();
  ozformat_.reset();
}

bool BelegdatenHost::Vorgaben(const Dokumentvorgaben& vorgaben) {
  vorgaben_ = vorgaben;
  inhaber_ = LockInhaber(vorgaben.pGL_BenutzerID);
  return true;
}

Verbindung& BelegdatenHost::Db() const {
  if (verbindung_ == nullptr) throw Fehler(kFehlerObjekt, "Belegdatenobjekt ist nicht geöffnet");
  return *verbindung_;
}

std::int16_t BelegdatenHost::BelegartVon(std::int32_t belegnummer, bool) { return BelegartVonNummer(Db(), belegnummer); }

bool BelegdatenHost::LeseKopf(std::int16_t belegart, std::int32_t belegnummer, bool) {
  Dokument d;
  if (!LadeDokument(Db(), belegart, belegnummer, d)) return false;
  dokument_ = std::move(d);
  ozformat_.reset();
  return true;
}

std::int16_t BelegdatenHost::Bearbeitungsstatus() {
  Dokument& d = Aktuell();
  const Variant p[] = {Variant(d.belegart), Variant(d.belegnummer)};
  Ergebnis e = Db().Abfrage("SELECT Inhaber FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ?", p);
  if (e.Leer()) return 0;
  if (inhaber_.empty()) inhaber_ = LockInhaber(vorgaben_.pGL_BenutzerID);
  return e.zeilen[0][0].ToString() == inhaber_ ? 0 : -1;
}

Dokument& BelegdatenHost::Aktuell() {
  if (!dokument_) KeinDokument();
  return *dokument_;
}

Datensatz& BelegdatenHost::Kopf() { return Aktuell().kopf; }

std::string BelegdatenHost::OZMaske() { return Aktuell().kopf.Feld("OZMaske").ToString(); }

void BelegdatenHost::SetzeOZMaske(const std::string& maske) {
  Satz& kopf = Aktuell().kopf;
  // A separator carried by the mask ("...|.|") outlives a mask stored without it.
  std::string alt = FormateAusMaske(kopf.Feld("OZMaske").ToString()).trennzeichen;
  std::string neu = FormateAusMaske(maske).trennzeichen;
  if (!neu.empty()) {
    kopf.SetzeFeld("OZTrennzeichen", neu);
  } else if (!alt.empty() && kopf.Feld("OZTrennzeichen").ToString().empty()) {
    kopf.SetzeFeld("OZTrennzeichen", alt);
  }
  kopf.SetzeFeld("OZMaske", maske);
}

bool BelegdatenHost::HatArt(std::int16_t art) {
  for (const Satz& p : Aktuell().positionen)
    if (p.Feld("Positionstyp").ToInt16() == art) return true;
  return false;
}

bool BelegdatenHost::MitLosen() { return HatArt(20); }
bool BelegdatenHost::MitGewerken() { return HatArt(21); }
bool BelegdatenHost::MitTiteln() { return HatArt(22); }

OZFormatobjekt& BelegdatenHost::OZFormat() {
  Aktuell();
  if (!ozformat_) ozformat_ = std::make_unique<OZFormatHost>(*this);
  return *ozformat_;
}

}  // namespace gaeb::host

#include "host/belegdaten.h"

#include <unistd.h>

#include <algorithm>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "host/berechnung.h"

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

// The selected position of the document as the component sees it.
class PositionsSicht : public Belegposition {
 public:
  PositionsSicht(Dokument& d, std::size_t index) : d_(d), index_(index) {}
  Variant Feld(std::string_view name) const override { return d_.positionen.at(index_).Feld(name); }
  void SetzeFeld(std::string_view name, const Variant& wert) override { d_.positionen.at(index_).SetzeFeld(name, wert); }
  bool Berechnen(std::int16_t, bool) override { return BerechnePosition(d_, index_); }

 private:
  Dokument& d_;
  std::size_t index_;
};

[[noreturn]] void Außerhalb(const char* was, std::int32_t index) {
  throw Fehler(9, std::string("Index außerhalb des gültigen Bereichs: ") + was + " " + std::to_string(index));
}

// Amount fields converted for an output in another currency.
constexpr const char* kPositionsbeträge[] = {"Einzelpreis", "Gesamtpreis", "Materialpreis", "Lohnpreis",
                                             "Rabattbetrag"};
constexpr const char* kSchlussbeträge[] = {"Summe", "USTBetrag", "SummeBrutto"};

}  // namespace

std::string Sperrinhaber(Verbindung& v, std::int16_t belegart, std::int32_t belegnummer) {
  const Variant p[] = {Variant(belegart), Variant(belegnummer)};
  Ergebnis e = v.Abfrage("SELECT Inhaber FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ?", p);
  return e.Leer() ? std::string() : e.zeilen[0][0].ToString();
}

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
  position_.reset();
  positionsindex_ = schlusszeilenindex_ = -1;
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
  position_.reset();
  positionsindex_ = schlusszeilenindex_ = -1;
  return true;
}

std::int16_t BelegdatenHost::Bearbeitungsstatus() {
  Dokument& d = Aktuell();
  std::string wer = Sperrinhaber(Db(), d.belegart, d.belegnummer);
  if (wer.empty()) return 0;
  if (inhaber_.empty()) inhaber_ = LockInhaber(vorgaben_.pGL_BenutzerID);
  return wer == inhaber_ ? 0 : -1;
}

std::int32_t BelegdatenHost::Sperren(std::int16_t belegart, std::int32_t belegnummer, bool) {
  if (inhaber_.empty()) inhaber_ = LockInhaber(vorgaben_.pGL_BenutzerID);
  const Variant p[] = {Variant(belegart), Variant(belegnummer), Variant(inhaber_), Variant(vorgaben_.pGL_jmtVerarbeitungsdatum)};
  // Taking the lock is one statement, so two workstations cannot both get it.
  Db().Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber, Seit) VALUES (?, ?, ?, ?) "
                 "ON CONFLICT DO NOTHING",
                 p);
  return Sperrinhaber(Db(), belegart, belegnummer) == inhaber_ ? -1 : 0;
}

std::int32_t BelegdatenHost::Entsperren(std::int16_t& belegart, std::int32_t& belegnummer) {
  if (inhaber_.empty()) inhaber_ = LockInhaber(vorgaben_.pGL_BenutzerID);
  const Variant p[] = {Variant(belegart), Variant(belegnummer), Variant(inhaber_)};
  long n = Db().Ausführen("DELETE FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ? AND Inhaber = ?", p);
  return n > 0 ? -1 : 0;
}

void BelegdatenHost::ÖffneFürAusgabe(std::int16_t& belegart, std::int32_t& belegnummer, bool&) {
  öffnungsstatus_ = 0;
  positionsindex_ = schlusszeilenindex_ = -1;
  position_.reset();
  if (!LeseKopf(belegart, belegnummer, true)) return;  // a missing document cannot be locked
  if (Sperren(belegart, belegnummer, true) == 0) return;
  BerechneDokument(*dokument_);
  // A document in a foreign currency without exchange rate cannot be written
  // in either currency.
  const Satz& kopf = dokument_->kopf;
  std::string währung = kopf.Feld("Währung").ToString();
  bool fremd = !währung.empty() && währung != vorgaben_.pGL_Landeswährung && !vorgaben_.pGL_Landeswährung.empty();
  öffnungsstatus_ = (fremd && kopf.Feld("Währungskurs").ToDouble() == 0.0) ? 1 : -1;
}

std::int32_t BelegdatenHost::Öffnungsstatus() { return öffnungsstatus_; }

std::int32_t BelegdatenHost::SetzeAusgabewährung(bool& landeswährung) {
  Dokument& d = Aktuell();
  std::string währung = d.kopf.Feld("Währung").ToString();
  const std::string& heim = vorgaben_.pGL_Landeswährung;
  if (!landeswährung || währung.empty() || heim.empty() || währung == heim) return 0;
  double kurs = d.kopf.Feld("Währungskurs").ToDouble();
  if (kurs == 0.0) return 1;
  for (Satz& p : d.positionen)
    for (const char* f : kPositionsbeträge) p.SetzeFeld(f, Runde(p.Feld(f).ToDouble() * kurs, 2));
  for (Satz& s : d.schlusszeilen)
    for (const char* f : kSchlussbeträge) s.SetzeFeld(f, Runde(s.Feld(f).ToDouble() * kurs, 2));
  d.kopf.SetzeFeld("Währung2", währung);
  d.kopf.SetzeFeld("Währung", heim);
  d.kopf.SetzeFeld("Währungskurs", 1.0);
  return 0;
}

std::int32_t BelegdatenHost::LetzterPositionsindex() { return static_cast<std::int32_t>(Aktuell().positionen.size()) - 1; }

void BelegdatenHost::WählePosition(std::int32_t index) {
  Dokument& d = Aktuell();
  if (index < 0 || index >= static_cast<std::int32_t>(d.positionen.size())) Außerhalb("Position", index);
  positionsindex_ = index;
  position_ = std::make_unique<PositionsSicht>(d, static_cast<std::size_t>(index));
}

std::int32_t BelegdatenHost::AktuellerPositionsindex() { return positionsindex_; }

Belegposition& BelegdatenHost::AktuellePosition() {
  if (!position_) throw Fehler(kFehlerObjekt, "Keine Position gewählt");
  return *position_;
}

std::int32_t BelegdatenHost::LetzterSchlusszeilenindex() {
  return static_cast<std::int32_t>(Aktuell().schlusszeilen.size()) - 1;
}

void BelegdatenHost::WähleSchlusszeile(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(Aktuell().schlusszeilen.size())) Außerhalb("Schlusszeile", index);
  schlusszeilenindex_ = index;
}

Datensatz& BelegdatenHost::AktuelleSchlusszeile() {
  Dokument& d = Aktuell();
  if (schlusszeilenindex_ < 0 || schlusszeilenindex_ >= static_cast<std::int32_t>(d.schlusszeilen.size()))
    throw Fehler(kFehlerObjekt, "Keine Schlusszeile gewählt");
  return d.schlusszeilen[schlusszeilenindex_];
}

Datensatz& BelegdatenHost::Adresse(std::int16_t adressart) {
  for (Satz& a : Aktuell().adressen)
    if (a.Feld("Adressart").ToInt16() == adressart) return a;
  // No address of that kind: an empty one.
  leereAdresse_ = std::make_unique<Satz>(AdressKatalog());
  leereAdresse_->SetzeFeld("Adressart", adressart);
  return *leereAdresse_;
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

#include "host/belegdaten.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include <algorithm>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "host/berechnung.h"
#include "host/positionsfenster.h"
#include "core/kontext.h"

namespace gaeb::host {

namespace {

[[noreturn]] void KeinDokument() { throw Fehler(kFehlerObjekt, "Kein Beleg geöffnet"); }

class OZFormatHost : public OZFormatobjekt {
 public:
  explicit OZFormatHost(BelegdatenHost& beleg) : beleg_(beleg) {}

  bool Laden(bool) override {
    std::string gespeichert = beleg_.Kopfsatz().Feld("OZTrennzeichen").ToString();
    f_ = FormateAusMaske(beleg_.Kopfsatz().Feld("OZMaske").ToString());
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
    beleg_.Kopfsatz().SetzeFeld("OZTrennzeichen", t);
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

// The selected position of the document as the component sees it. The row
// is looked up on every access: a document open for output holds its rows a
// page at a time.
class PositionsSicht : public Belegposition {
 public:
  PositionsSicht(BelegdatenHost& b, std::int32_t index) : b_(b), index_(index) {}
  Variant Feld(std::string_view name) const override { return b_.Positionsfeld(index_, name); }
  void SetzeFeld(std::string_view name, const Variant& wert) override { b_.Positionssatz(index_).SetzeFeld(name, wert); }
  // Positions compute themselves; any other row recomputes the sums of the document.
  bool Berechnen(std::int16_t, bool) override {
    Dokument& d = b_.Aktuell();
    if (BerechnePosition(d, static_cast<std::size_t>(index_))) return true;
    BerechneDokument(d);
    return true;
  }

 private:
  BelegdatenHost& b_;
  std::int32_t index_;
};

// The header; setting the currency also sets the currency mode (2 for a
// currency other than the home currency, else 0).
class KopfSicht : public Datensatz {
 public:
  KopfSicht(Dokument& d, const std::string& heim) : d_(d), heim_(heim) {}
  Variant Feld(std::string_view name) const override { return d_.kopf.Feld(name); }
  void SetzeFeld(std::string_view name, const Variant& wert) override {
    d_.kopf.SetzeFeld(name, wert);
    if (name == "Währung") {
      std::string w = d_.kopf.Feld("Währung").ToString();
      bool fremd = !w.empty() && !heim_.empty() && w != heim_;
      d_.kopf.SetzeFeld("Währungsmodus", static_cast<std::int16_t>(fremd ? 2 : 0));
    }
  }

 private:
  Dokument& d_;
  std::string heim_;
};

// The header's own position row, kept in two header fields.
class KopfPositionSicht : public Datensatz {
 public:
  explicit KopfPositionSicht(Dokument& d) : d_(d) {}
  Variant Feld(std::string_view name) const override { return d_.kopf.Feld(Name(name)); }
  void SetzeFeld(std::string_view name, const Variant& wert) override { d_.kopf.SetzeFeld(Name(name), wert); }

 private:
  static std::string_view Name(std::string_view name) {
    if (name == "Positionstyp") return "KopfPositionstyp";
    if (name == "Kennzeichen") return "KopfKennzeichen";
    throw Fehler(438, "Objekt unterstützt diese Eigenschaft oder Methode nicht: Kopfposition." + std::string(name));
  }
  Dokument& d_;
};

class ProjektteilHost : public Projektteil {
 public:
  explicit ProjektteilHost(Verbindung& v) : v_(v) {}
  bool Lese(const std::string& nummer) override {
    const Variant p[] = {Variant(nummer)};
    e_ = v_.Abfrage("SELECT Projektnummer, KundenNummer, MitKunde FROM ProjekteKolvar WHERE Projektnummer = ?", p);
    return !e_.Leer();
  }
  bool MitKunde() override { return !e_.Leer() && e_.Wert(0, "MitKunde").ToBool(); }
  std::string KundenNummer(std::int16_t) override { return e_.Leer() ? std::string() : e_.Wert(0, "KundenNummer").ToString(); }

 private:
  Verbindung& v_;
  Ergebnis e_;
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

bool InhaberLebt(const std::string& inhaber) {
  // "user@machine:pid": only a holder on this machine can be found dead.
  std::size_t at = inhaber.rfind('@');
  std::size_t colon = inhaber.rfind(':');
  if (at == std::string::npos || colon == std::string::npos || colon < at) return true;
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0 || inhaber.substr(at + 1, colon - at - 1) != host) return true;
  char* ende = nullptr;
  long pid = std::strtol(inhaber.c_str() + colon + 1, &ende, 10);
  if (pid <= 0 || *ende != '\0') return true;
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
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
  fenster_.reset();
  dokument_.reset();
  ozformat_.reset();
  position_.reset();
  kopfSicht_.reset();
  kopfPosition_.reset();
  projekt_.reset();
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
  return Lade(belegart, belegnummer, true);
}

bool BelegdatenHost::Lade(std::int16_t belegart, std::int32_t belegnummer, bool mitPositionen) {
  // The document read before is closed first, so that two large documents
  // are never in memory at once; a failed read leaves no document open.
  ozformat_.reset();
  position_.reset();
  kopfSicht_.reset();
  kopfPosition_.reset();
  positionsindex_ = schlusszeilenindex_ = -1;
  fenster_.reset();
  arten_.clear();
  dokument_.reset();
  Dokument d;
  if (!LadeDokument(Db(), belegart, belegnummer, d, mitPositionen)) return false;
  dokument_ = std::move(d);
  if (mitPositionen) Einfügezustand();
  return true;
}

std::int16_t BelegdatenHost::Bearbeitungsstatus() {
  Dokument& d = Aktuell();
  std::string wer = Sperrinhaber(Db(), d.belegart, d.belegnummer);
  if (wer.empty() || !InhaberLebt(wer)) return 0;
  if (inhaber_.empty()) inhaber_ = LockInhaber(vorgaben_.pGL_BenutzerID);
  return wer == inhaber_ ? 0 : -1;
}

std::int32_t BelegdatenHost::Sperren(std::int16_t belegart, std::int32_t belegnummer, bool bestehend) {
  if (inhaber_.empty()) inhaber_ = LockInhaber(vorgaben_.pGL_BenutzerID);
  // Taking the lock is one statement, so two workstations cannot both get it.
  // The number of a new document is locked only while no document has it, in
  // the same statement: no other workstation can store one between the check
  // and the lock.
  const Variant bestand[] = {Variant(belegart), Variant(belegnummer), Variant(inhaber_),
                             Variant(text::JetztLokal(kSperrzeitformat))};
  const Variant neu[] = {bestand[0], bestand[1], bestand[2], bestand[3], bestand[0], bestand[1]};
  auto nimm = [&] {
    if (bestehend) {
      Db().Ausführen(
          "INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber, Seit) VALUES (?, ?, ?, ?) ON CONFLICT DO NOTHING",
          bestand);
    } else {
      Db().Ausführen(
          "INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber, Seit) SELECT ?, ?, ?, ? WHERE NOT EXISTS "
          "(SELECT 1 FROM Belegkopfkolvar WHERE Belegart = ? AND Belegnummer = ?) ON CONFLICT DO NOTHING",
          neu);
    }
    return Sperrinhaber(Db(), belegart, belegnummer);
  };
  std::string wer = nimm();
  if (!wer.empty() && wer != inhaber_ && !InhaberLebt(wer)) {
    // The lock of a process of this machine that has ended (killed, crashed) is taken over.
    const Variant alt[] = {Variant(belegart), Variant(belegnummer), Variant(wer)};
    Db().Ausführen("DELETE FROM Belegsperren WHERE Belegart = ? AND Belegnummer = ? AND Inhaber = ?", alt);
    wer = nimm();
  }
  return wer == inhaber_ ? -1 : 0;
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
  // The header first: a missing document cannot be locked. The positions are
  // read and computed once the lock is ours, and then kept a page at a time.
  if (!Lade(belegart, belegnummer, false)) return;
  if (Sperren(belegart, belegnummer, true) == 0) {
    LesePositionenGanz();
    return;
  }
  regeln_ = Einfügeregeln();
  fenster_ = std::make_unique<Positionsfenster>(Db(), *dokument_, [&](const Satz& p) {
    const std::int16_t art = p.Feld("Positionstyp").ToInt16();
    regeln_.Nach(art);
    if (std::find(arten_.begin(), arten_.end(), art) == arten_.end()) arten_.push_back(art);
  });
  // A document in a foreign currency without exchange rate cannot be written
  // in either currency.
  const Satz& kopf = dokument_->kopf;
  std::string währung = kopf.Feld("Währung").ToString();
  bool fremd = !währung.empty() && währung != vorgaben_.pGL_Landeswährung && !vorgaben_.pGL_Landeswährung.empty();
  öffnungsstatus_ = (fremd && kopf.Feld("Währungskurs").ToDouble() == 0.0) ? 1 : -1;
  // A document that cannot be written is not kept locked: the output ends here.
  if (öffnungsstatus_ == 1) Entsperren(belegart, belegnummer);
}

std::int32_t BelegdatenHost::Öffnungsstatus() { return öffnungsstatus_; }

std::int32_t BelegdatenHost::SetzeAusgabewährung(bool& landeswährung) {
  Dokument& d = Geladen();
  std::string währung = d.kopf.Feld("Währung").ToString();
  const std::string& heim = vorgaben_.pGL_Landeswährung;
  if (!landeswährung || währung.empty() || heim.empty() || währung == heim) return 0;
  double kurs = d.kopf.Feld("Währungskurs").ToDouble();
  if (kurs == 0.0) return 1;
  auto umrechnen = [kurs](Satz& p) {
    for (const char* f : kPositionsbeträge) p.SetzeFeld(f, Runde(p.Feld(f).ToDouble() * kurs, 2));
  };
  if (fenster_) {
    fenster_->NachLaden(umrechnen);
  } else {
    for (Satz& p : d.positionen) umrechnen(p);
  }
  for (Satz& s : d.schlusszeilen)
    for (const char* f : kSchlussbeträge) s.SetzeFeld(f, Runde(s.Feld(f).ToDouble() * kurs, 2));
  d.kopf.SetzeFeld("Währung2", währung);
  d.kopf.SetzeFeld("Währung", heim);
  // The label named the document's own currency: the output's currency is
  // known by its code only.
  d.kopf.SetzeFeld("BezWährung", heim);
  d.kopf.SetzeFeld("Währungskurs", 1.0);
  return 0;
}

std::int32_t BelegdatenHost::LetzterPositionsindex() {
  if (fenster_) return fenster_->Anzahl() - 1;
  return static_cast<std::int32_t>(Geladen().positionen.size()) - 1;
}

void BelegdatenHost::WählePosition(std::int32_t index) {
  if (index < 0 || index > LetzterPositionsindex()) Außerhalb("Position", index);
  positionsindex_ = index;
  position_ = std::make_unique<PositionsSicht>(*this, index);
}

Satz& BelegdatenHost::Positionssatz(std::int32_t index) {
  if (fenster_) return fenster_->Zeile(index);
  return Geladen().positionen.at(static_cast<std::size_t>(index));
}

Variant BelegdatenHost::Positionsfeld(std::int32_t index, std::string_view name) {
  if (fenster_) return fenster_->Feld(index, name);
  return Geladen().positionen.at(static_cast<std::size_t>(index)).Feld(name);
}

Satz& BelegdatenHost::Kopfsatz() { return Geladen().kopf; }

void BelegdatenHost::LesePositionenGanz() {
  Dokument& d = Geladen();
  if (fenster_) {
    d.positionen = fenster_->Alle();
    fenster_.reset();
    return;
  }
  LesePositionen(Db(), d.belegart, d.belegnummer, 0, -1, [&](Satz& p, std::int32_t) { d.positionen.push_back(std::move(p)); });
  Einfügezustand();
}

std::int32_t BelegdatenHost::AktuellerPositionsindex() { return positionsindex_; }

Belegposition& BelegdatenHost::AktuellePosition() {
  if (!position_) throw Fehler(kFehlerObjekt, "Keine Position gewählt");
  return *position_;
}

std::int32_t BelegdatenHost::LetzterSchlusszeilenindex() {
  return static_cast<std::int32_t>(Geladen().schlusszeilen.size()) - 1;
}

void BelegdatenHost::WähleSchlusszeile(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(Geladen().schlusszeilen.size())) Außerhalb("Schlusszeile", index);
  schlusszeilenindex_ = index;
}

Datensatz& BelegdatenHost::AktuelleSchlusszeile() {
  Dokument& d = Geladen();
  if (schlusszeilenindex_ < 0 || schlusszeilenindex_ >= static_cast<std::int32_t>(d.schlusszeilen.size()))
    throw Fehler(kFehlerObjekt, "Keine Schlusszeile gewählt");
  return d.schlusszeilen[schlusszeilenindex_];
}

Datensatz& BelegdatenHost::Adresse(std::int16_t adressart) {
  for (Satz& a : Geladen().adressen)
    if (a.Feld("Adressart").ToInt16() == adressart) return a;
  // No address of that kind: an empty one.
  leereAdresse_ = std::make_unique<Satz>(AdressKatalog());
  leereAdresse_->SetzeFeld("Adressart", adressart);
  return *leereAdresse_;
}

Dokument& BelegdatenHost::Geladen() {
  if (!dokument_) KeinDokument();
  return *dokument_;
}

Dokument& BelegdatenHost::Aktuell() {
  Dokument& d = Geladen();
  if (fenster_) LesePositionenGanz();
  return d;
}

Datensatz& BelegdatenHost::Kopf() {
  if (!kopfSicht_) kopfSicht_ = std::make_unique<KopfSicht>(Geladen(), vorgaben_.pGL_Landeswährung);
  return *kopfSicht_;
}

Datensatz& BelegdatenHost::KopfPosition() {
  if (!kopfPosition_) kopfPosition_ = std::make_unique<KopfPositionSicht>(Geladen());
  return *kopfPosition_;
}

Projektteil& BelegdatenHost::Projekt() {
  if (!projekt_) projekt_ = std::make_unique<ProjektteilHost>(Db());
  return *projekt_;
}

std::int32_t BelegdatenHost::PrüfeAusgabewährung(bool landeswährung) {
  const Satz& kopf = Geladen().kopf;
  std::string währung = kopf.Feld("Währung").ToString();
  bool fremd = !währung.empty() && !vorgaben_.pGL_Landeswährung.empty() && währung != vorgaben_.pGL_Landeswährung;
  if (fremd && landeswährung && kopf.Feld("Währungskurs").ToDouble() == 0.0) return 0;
  return -1;
}

bool BelegdatenHost::ErzeugeBeleg(std::int16_t belegart, std::int32_t belegnummer, const std::string& projektnummer,
                                  const std::string& kundennummer, bool projektGefunden, bool mitKunde,
                                  const std::string& text, std::int32_t wert) {
  if (belegart == 0 || belegnummer <= 0) return false;
  const Variant key[] = {Variant(belegart), Variant(belegnummer)};
  if (Db().Ausführen("SELECT Belegnummer FROM Belegkopfkolvar WHERE Belegart = ? AND Belegnummer = ?", key) != 0)
    return false;  // the number is taken
  Dokument d;
  d.belegart = belegart;
  d.belegnummer = belegnummer;
  d.neu = true;
  d.kopf.SetzeFeld("Belegart", belegart);
  d.kopf.SetzeFeld("Belegnummer", belegnummer);
  d.kopf.SetzeFeld("Projektnummer", projektnummer);
  d.kopf.SetzeFeld("KundenNummer", kundennummer);
  d.kopf.SetzeFeld("Projektgefunden", projektGefunden);
  d.kopf.SetzeFeld("MitKunde", mitKunde);
  d.kopf.SetzeFeld("Erzeugungstext", text);
  d.kopf.SetzeFeld("Erzeugungswert", wert);
  d.kopf.SetzeFeld("Währung", vorgaben_.pGL_Landeswährung);
  const Variant pk[] = {Variant(projektnummer)};
  Ergebnis projekt = Db().Abfrage("SELECT Bezeichnung FROM ProjekteKolvar WHERE Projektnummer = ?", pk);
  if (!projekt.Leer()) d.kopf.SetzeFeld("Projektname", projekt.zeilen[0][0]);
  const Variant ust[] = {Variant("Standard"), Variant("Allgemein"), Variant("UmsatzsteuerProzent")};
  Ergebnis e = Db().Abfrage("SELECT Wert FROM Einstellungen WHERE Profil = ? AND Abschnitt = ? AND Schluessel = ?", ust);
  if (!e.Leer()) d.kopf.SetzeFeld("UmsatzsteuerProzent", e.zeilen[0][0]);
  fenster_.reset();
  arten_.clear();
  dokument_ = std::move(d);
  ozformat_.reset();
  position_.reset();
  kopfSicht_.reset();
  kopfPosition_.reset();
  positionsindex_ = schlusszeilenindex_ = -1;
  Einfügezustand();
  return true;
}

void BelegdatenHost::Einfügezustand() {
  regeln_ = Einfügeregeln();
  for (const Satz& p : Geladen().positionen) regeln_.Nach(p.Feld("Positionstyp").ToInt16());
}

bool BelegdatenHost::DarfEinfügen(std::int16_t art) {
  Geladen();
  return regeln_.Darf(art);
}

void BelegdatenHost::NeuePosition(Dokument& d) {
  // The last row is complete: an import holds every row until the end.
  if (!d.positionen.empty()) d.positionen.back().Straffe();
  d.positionen.emplace_back(PositionsKatalog());
}

bool BelegdatenHost::FügeStrukturzeileEin(std::int16_t art, std::int16_t ebene) {
  Dokument& d = Aktuell();
  if (art != 20 && art != 21 && art != 22) return false;
  NeuePosition(d);
  d.positionen.back().SetzeFeld("Positionstyp", art);
  d.positionen.back().SetzeFeld("HierarchieEbene", ebene);
  regeln_.Nach(art);
  WählePosition(static_cast<std::int32_t>(d.positionen.size()) - 1);
  return true;
}

bool BelegdatenHost::FügePositionEin(std::int16_t art, const std::string& textschlüssel) {
  Dokument& d = Aktuell();
  NeuePosition(d);
  Satz& p = d.positionen.back();
  p.SetzeFeld("Positionstyp", art);
  p.SetzeFeld("Textschlüssel", textschlüssel);
  p.SetzeFeld("HierarchieEbene", static_cast<std::int16_t>(regeln_.Ebene() + 1));
  regeln_.Nach(art);
  WählePosition(static_cast<std::int32_t>(d.positionen.size()) - 1);
  return true;
}

bool BelegdatenHost::DarfSchlusszeileEinfügen(std::int16_t art) {
  Geladen();
  return art == 140;
}

bool BelegdatenHost::FügeSchlusszeileEin(std::int16_t art) {
  Dokument& d = Geladen();
  d.schlusszeilen.emplace_back(SchlusszeilenKatalog());
  d.schlusszeilen.back().SetzeFeld("Positionstyp", art);
  schlusszeilenindex_ = static_cast<std::int32_t>(d.schlusszeilen.size()) - 1;
  return true;
}

std::int32_t BelegdatenHost::Währungsprüfung(bool) {
  const Satz& kopf = Geladen().kopf;
  bool fremd = kopf.Feld("Währungsmodus").ToInt16() == 2;
  return (fremd && kopf.Feld("Währungskurs").ToDouble() == 0.0) ? 0 : -1;
}

void BelegdatenHost::RechneWährungUm() {
  // Amounts stay in the document's own currency; its second currency text
  // names the home currency they convert to with Währungskurs.
  Dokument& d = Geladen();
  d.kopf.SetzeFeld("Währung2", vorgaben_.pGL_Landeswährung);
}

std::int32_t BelegdatenHost::PrüfeUndKorrigiere() {
  Dokument& d = Aktuell();
  BerechneDokument(d);
  return d.kopf.Feld("Projektnummer").ToString().empty() ? 0 : -1;
}

bool BelegdatenHost::Speichern(bool, bool, bool, bool, bool) {
  Dokument& d = Aktuell();
  BerechneDokument(d);
  // A new document names its LV and describes its project by what the import gave.
  if (d.neu) {
    if (d.kopf.Feld("LVName").ToString().empty()) d.kopf.SetzeFeld("LVName", d.kopf.Feld("BezeichnungLV"));
    if (d.kopf.Feld("Projektbeschreibung").ToString().empty())
      d.kopf.SetzeFeld("Projektbeschreibung", d.kopf.Feld("InformationProjekt"));
    d.kopf.SetzeFeld("Kurzlangtext", d.kopf.Feld("MitLangtextfassung"));
  }
  Verbindung& v = Db();
  try {
    v.Beginne();
    const Variant key[] = {Variant(d.belegart), Variant(d.belegnummer)};
    if (d.neu && v.Ausführen("SELECT Belegnummer FROM Belegkopfkolvar WHERE Belegart = ? AND Belegnummer = ?", key) != 0) {
      // Another workstation stored a document under this number meanwhile.
      v.Verwerfe();
      return false;
    }
    SpeichereDokument(v, d);
    v.Bestätige();
  } catch (const Fehler&) {
    // The caller reports the engine's reason (disk full, connection lost).
    if (v.InTransaktion()) Ignoriere([&] { v.Verwerfe(); });
    throw;
  }
  d.neu = false;
  d.kopf.SetzeFeld("Speicherstatus", std::int16_t{1});
  return true;
}

std::string BelegdatenHost::OZMaske() { return Geladen().kopf.Feld("OZMaske").ToString(); }

void BelegdatenHost::SetzeOZMaske(const std::string& maske) {
  Satz& kopf = Geladen().kopf;
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
  if (fenster_) return std::find(arten_.begin(), arten_.end(), art) != arten_.end();
  for (const Satz& p : Geladen().positionen)
    if (p.Feld("Positionstyp").ToInt16() == art) return true;
  return false;
}

bool BelegdatenHost::MitLosen() { return HatArt(20); }
bool BelegdatenHost::MitGewerken() { return HatArt(21); }
bool BelegdatenHost::MitTiteln() { return HatArt(22); }

OZFormatobjekt& BelegdatenHost::OZFormat() {
  Geladen();
  if (!ozformat_) ozformat_ = std::make_unique<OZFormatHost>(*this);
  return *ozformat_;
}

}  // namespace gaeb::host

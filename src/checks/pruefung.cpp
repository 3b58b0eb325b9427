// gaeb validate: the file read by the host's reader (is it readable at all?),
// the pass of its format, the rules on totals every format shares, and the
// report as lines or JSON.
#include "checks/pruefung.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/fehler.h"
#include "checks/vergleich.h"
#include "readers/textwandler.h"

namespace gaeb::checks {

void Befundliste::Neu(std::string_view regel, std::size_t zeile, std::string pfad, std::string text, bool hinweis) {
  auto it = anzahl_.find(regel);
  if (it == anzahl_.end()) it = anzahl_.emplace(std::string(regel), 0).first;
  if (++it->second > kHöchstensJeRegel) return;
  befunde_.push_back({std::string(regel), zeile, std::move(pfad), std::move(text), hinweis});
}

bool Befundliste::Nimmt(std::string_view regel) const {
  auto it = anzahl_.find(regel);
  return it == anzahl_.end() || it->second < kHöchstensJeRegel;
}

std::vector<Befund> Befundliste::Ende() {
  for (const auto& [regel, n] : anzahl_)
    if (n > kHöchstensJeRegel)
      befunde_.push_back({regel, 0, "", std::to_string(n - kHöchstensJeRegel) + " weitere Befunde dieser Regel", false});
  anzahl_.clear();
  return std::move(befunde_);
}

std::size_t Prüfbericht::Fehler() const {
  std::size_t n = 0;
  for (const Befund& b : befunde) n += b.hinweis ? 0 : 1;
  return n;
}

int Vorkommastellen(std::string_view zahl) {
  int n = 0;
  bool führend = true;
  for (char c : zahl) {
    if (c == '.' || c == ',') break;
    if (c < '0' || c > '9') continue;
    if (führend && c == '0') continue;
    führend = false;
    ++n;
  }
  return n;
}

// ---- totals ----

// The rule on what counts, in one place: an item counts in the totals of its
// category and of the bill unless it is an alternative item or a contingency
// item without total amount; a contingency item with total amount counts.
// Surcharges and discounts on the whole bill are no children of a category:
// they count only in the bill's total (its discount and the total after it).
bool ZähltInSumme(const Summenknoten& k) { return !k.alternativ && !k.bedarfOhneSumme; }

namespace {

double Cent(double v) { return std::round(v * 100) / 100; }
bool Gleich(double a, double b, double toleranz) { return std::fabs(a - b) <= toleranz + 1e-6; }

std::string Name(const Summenknoten& k) {
  return k.art == Summenknoten::Art::Lv ? std::string("des LV") : "von " + (k.oz.empty() ? std::string("?") : k.oz);
}

// The amount of an item or item surcharge as its category sees it.
std::optional<double> Betragswert(const Summenknoten& k) {
  if (k.summe) return k.summe;
  if (k.art == Summenknoten::Art::Posten && k.menge && k.preis) return Cent(*k.menge * *k.preis / k.preiseinheit);
  return std::nullopt;
}

struct Teilsumme {
  double summe = 0;
  std::size_t posten = 0;  // counted items in it: the tolerance is 0.01 each
};

Teilsumme Prüfe(const Summenknoten& k, int datenart, Befundliste& b) {
  using Art = Summenknoten::Art;
  Teilsumme t;
  if (k.art == Art::Posten || k.art == Art::Zuschlag) {
    if (k.art == Art::Posten && k.menge && k.preis && k.summe && !k.ohnePrüfung && k.preiseinheit != 0) {
      const double soll = Cent(*k.menge * *k.preis / k.preiseinheit);
      if (!Gleich(*k.summe, soll, 0.01))
        b.Neu("total-item", k.zeile, k.pfad,
              "Gesamtbetrag " + Betrag(*k.summe) + " " + Name(k) + " ist nicht Menge x Einheitspreis = " + Betrag(soll));
    }
    t.summe = Betragswert(k).value_or(0);
    t.posten = 1;
    return t;
  }
  const char* regel = k.art == Art::Lv ? "total-bill" : "total-category";
  for (const Summenknoten& c : k.kinder) {
    Teilsumme u = Prüfe(c, datenart, b);
    if (c.art == Art::Bereich) {
      t.summe += c.summe.value_or(u.summe);
      t.posten += u.posten;
    } else if (ZähltInSumme(c)) {
      t.summe += u.summe;
      t.posten += 1;
    }
  }
  const double toleranz = 0.01 * static_cast<double>(std::max<std::size_t>(t.posten, 1));
  if (k.summe && !Gleich(*k.summe, t.summe, toleranz)) {
    // A bid carries no marks of alternative and contingency items, but its
    // category totals leave them out: a total below the sum of the items is
    // explained by such items.
    const bool erklärt = datenart == 84 && *k.summe < t.summe && k.art == Art::Bereich;
    const bool ganzesLv = k.art == Art::Lv && (k.nachlassProzent.value_or(0) != 0 || k.nachlassBetrag.value_or(0) != 0);
    if (!erklärt)
      b.Neu(regel, k.zeile, k.pfad,
            "Summe " + Betrag(*k.summe) + " " + Name(k) + " ist nicht die Summe der gezählten Positionen " +
                Betrag(t.summe) +
                (ganzesLv ? " (die Datei trägt nur den letzten Zuschlag oder Nachlass auf das ganze LV; die Differenz "
                            "kann ein Zuschlag oder Nachlass davor sein)"
                          : ""),
            ganzesLv);
  }
  const double basis = k.summe.value_or(t.summe);
  double nach = basis;
  if (k.nachlassProzent || k.nachlassBetrag) nach = Cent(basis * (1 - k.nachlassProzent.value_or(0) / 100) - k.nachlassBetrag.value_or(0));
  if (k.summeNachNachlass) {
    if (!Gleich(*k.summeNachNachlass, nach, 0.01))
      b.Neu(regel, k.zeile, k.pfad,
            "Summe nach Nachlass " + Betrag(*k.summeNachNachlass) + " " + Name(k) + " ist nicht " + Betrag(nach));
    nach = *k.summeNachNachlass;
  }
  if (k.brutto && k.mwst) {
    const double soll = Cent(nach * (1 + *k.mwst / 100));
    if (!Gleich(*k.brutto, soll, 0.01))
      b.Neu(regel, k.zeile, k.pfad, "Bruttosumme " + Betrag(*k.brutto) + " " + Name(k) + " ist nicht " + Betrag(nach) +
                                        " zuzüglich " + Betrag(*k.mwst) + " % = " + Betrag(soll));
  }
  return t;
}

std::string LiesAnfang(const std::string& pfad) {
  std::ifstream ein(pfad, std::ios::binary);
  std::string anfang(4096, '\0');
  ein.read(anfang.data(), static_cast<std::streamsize>(anfang.size()));
  anfang.resize(static_cast<std::size_t>(ein.gcount()));
  return anfang;
}

}  // namespace

void PrüfeSummen(const Summenknoten& lv, int datenart, Befundliste& befunde) { Prüfe(lv, datenart, befunde); }

Prüfbericht PrüfeDatei(const std::string& pfad, const std::string& schemaordner, const std::string& programmverzeichnis) {
  Prüfbericht b;
  b.datei = pfad;
  // The reader first: a file it refuses is unreadable (missing, no GAEB
  // file, not well-formed, a document type declaration ...).
  try {
    auto texte = readers::NeuerTextwandler(programmverzeichnis);
    std::vector<std::string> warnungen;
    auto zeilen = readers::LeseGaebDatei(pfad, *texte, &warnungen);
    b.version = readers::Wert(zeilen.front(), "Ausgabejahr").ToString();
    b.datenart = readers::Wert(zeilen.front(), "Datenphase").ToInt32();
  } catch (const std::exception& e) {
    b.lesbar = false;
    b.lesefehler = e.what();
  }
  const std::string anfang = std::filesystem::is_regular_file(pfad) ? LiesAnfang(pfad) : std::string();
  b.format = readers::ErkenneFormat(anfang);
  Befundliste liste;
  try {
    if (b.format == readers::Gaebformat::Xml && b.lesbar) {
      PrüfeXml(pfad, schemaordner, b, liste);
    } else if (b.format == readers::Gaebformat::Gaeb90 || b.format == readers::Gaebformat::Gaeb2000) {
      std::ifstream ein(pfad, std::ios::binary);
      const std::string daten{std::istreambuf_iterator<char>(ein), std::istreambuf_iterator<char>()};
      if (b.format == readers::Gaebformat::Gaeb90) PrüfeGaeb90(daten, b, liste);
      else PrüfeGaeb2000(daten, b, liste);
    }
  } catch (const std::exception& e) {
    b.lesbar = false;
    if (b.lesefehler.empty()) b.lesefehler = pfad + ": " + e.what();
  }
  b.befunde = liste.Ende();
  return b;
}

std::string AlsText(const Prüfbericht& b, const Befund& x) {
  std::string s = b.datei + ":";
  if (x.zeile > 0) s += std::to_string(x.zeile) + ":";
  s += " " + x.regel + (x.hinweis ? " (Hinweis): " : ": ") + x.text;
  if (!x.pfad.empty()) s += " [" + x.pfad + "]";
  return s;
}

nlohmann::ordered_json AlsJson(const Prüfbericht& b) {
  nlohmann::ordered_json j;
  j["file"] = b.datei;
  j["format"] = b.format == readers::Gaebformat::Unbekannt ? nullptr : nlohmann::ordered_json(readers::Formatname(b.format));
  j["version"] = b.version;
  j["dataType"] = b.datenart;
  j["schema"] = b.schema;
  if (!b.schemadatei.empty()) j["schemaFile"] = b.schemadatei;
  j["readable"] = b.lesbar;
  if (!b.lesbar) j["error"] = b.lesefehler;
  j["findings"] = nlohmann::ordered_json::array();
  for (const Befund& x : b.befunde) {
    nlohmann::ordered_json f;
    f["rule"] = x.regel;
    f["severity"] = x.hinweis ? "note" : "error";
    f["line"] = x.zeile;
    f["path"] = x.pfad;
    f["message"] = x.text;
    j["findings"].push_back(std::move(f));
  }
  return j;
}

}  // namespace gaeb::checks

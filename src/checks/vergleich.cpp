#include "checks/vergleich.h"

#include <cmath>
#include <map>

#include "base/text.h"
#include "base/zahlformat.h"

namespace gaeb::checks {

namespace {

using host::Satz;

std::int32_t Typ(const Satz& s) { return s.Feld("Positionstyp").ToInt32(); }
std::string Text(const Satz& s, const char* feld) { return s.Feld(feld).ToString(); }
double Zahl(const Satz& s, const char* feld) { return s.Feld(feld).ToDouble(); }

bool IstBereich(std::int32_t typ) { return typ == 20 || typ == 21 || typ == 22; }
bool IstPosten(std::int32_t typ) { return typ == 40 || typ == 45; }

// Words separated by single blanks: line breaks and runs of blanks do not count.
std::string Wörter(const std::string& s) {
  std::string r;
  bool lücke = false;
  for (char c : s) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      lücke = !r.empty();
      continue;
    }
    if (lücke) r += ' ';
    lücke = false;
    r += c;
  }
  return r;
}

using Zeilen = std::map<std::string, const Satz*>;

// Items (with their package parts) and categories of a bill by key: OZ, for a
// package part the OZ of its package and its number in it ("02.0020 Teil 2").
// A key met again gets " (2)", " (3)" ... appended.
void NachOz(const host::Dokument& d, Zeilen& posten, Zeilen& bereiche) {
  std::string paket;
  int teil = 0;
  for (const Satz& s : d.positionen) {
    const std::int32_t typ = Typ(s);
    if (!IstPosten(typ) && !IstBereich(typ) && typ != 47) continue;
    std::string key = text::Trim(Text(s, "Positionsnummer"));
    if (typ == 45) paket = key, teil = 0;
    if (typ == 47) key = paket + " Teil " + std::to_string(++teil);
    Zeilen& m = IstBereich(typ) ? bereiche : posten;
    const std::string stamm = key;
    for (int n = 2; m.count(key) != 0; ++n) key = stamm + " (" + std::to_string(n) + ")";
    m[key] = &s;
  }
}

double Gesamtsumme(const host::Dokument& d) {
  for (const Satz& s : d.schlusszeilen)
    if (Typ(s) == 90) return Zahl(s, "Summe");
  return 0;
}

bool Gleich(double a, double b, double genauigkeit) { return std::fabs(a - b) < genauigkeit; }

std::string Art(const Satz& s) {
  const std::int32_t typ = Typ(s);
  if (typ == 45) return "Paket";
  if (typ == 47) return "Paketteil";
  // A contingency item without total amount carries both flags; it is no alternative.
  const bool alternativ = s.Feld("Alternativposition").ToBool();
  if (s.Feld("Bedarfsposition").ToBool()) return alternativ ? "Bedarfsposition ohne GB" : "Bedarfsposition";
  if (alternativ) return "Wahlposition";
  return "Position";
}

// Quantity of an item; a package part keeps its own in MengePaketteil.
double Menge(const Satz& s) { return Typ(s) == 47 ? Zahl(s, "MengePaketteil") : Zahl(s, "Menge"); }

}  // namespace

std::string Auftraggeber(const host::Dokument& d) {
  std::string ag = d.kopf.Feld("InformationAG").ToString();
  if (ag.empty()) ag = d.kopf.Feld("KopfInformationAG").ToString();
  for (const host::Satz& a : d.adressen)
    if (ag.empty() && a.Feld("Adressart").ToInt32() == 2) ag = a.Feld("Name1").ToString();
  return ag;
}

std::string Betrag(double wert) { return FormatZahl(wert, "#,##0.00"); }
std::string Mengentext(double wert) { return FormatZahl(wert, "#,##0.000"); }

std::vector<Unterschied> VergleicheBelege(const host::Dokument& a, const host::Dokument& b) {
  std::vector<Unterschied> r;
  const struct {
    const char* feld;
    const char* name;
  } kopffelder[] = {{"BezeichnungLV", "LV-Name"},
                    {"InformationProjekt", "Projekt"},
                    {"InformationAG", "Auftraggeber"},
                    {"Währung", "Währung"}};
  for (const auto& f : kopffelder) {
    const bool ag = std::string_view(f.feld) == "InformationAG";
    std::string x = Wörter(ag ? Auftraggeber(a) : Text(a.kopf, f.feld));
    std::string y = Wörter(ag ? Auftraggeber(b) : Text(b.kopf, f.feld));
    if (x != y) r.push_back({"Kopf", "", f.name, x, y});
  }
  Zeilen postenA, bereicheA, postenB, bereicheB;
  NachOz(a, postenA, bereicheA);
  NachOz(b, postenB, bereicheB);
  for (const auto& [oz, s] : postenA)
    if (postenB.count(oz) == 0) r.push_back({"entfernt", oz, Art(*s), Text(*s, "Kurztext1"), ""});
  for (const auto& [oz, s] : postenB)
    if (postenA.count(oz) == 0) r.push_back({"neu", oz, Art(*s), "", Text(*s, "Kurztext1")});
  for (const auto& [oz, sa] : postenA) {
    auto it = postenB.find(oz);
    if (it == postenB.end()) continue;
    const Satz &x = *sa, &y = *it->second;
    auto feld = [&](const char* name, const std::string& u, const std::string& v) {
      if (u != v) r.push_back({"geändert", oz, name, u, v});
    };
    feld("Art", Art(x), Art(y));
    feld("Pauschal", x.Feld("Pauschalpreis").ToBool() ? "ja" : "nein", y.Feld("Pauschalpreis").ToBool() ? "ja" : "nein");
    if (!Gleich(Menge(x), Menge(y), 0.0005)) feld("Menge", Mengentext(Menge(x)), Mengentext(Menge(y)));
    feld("Einheit", text::Trim(Text(x, "Mengeneinheit")), text::Trim(Text(y, "Mengeneinheit")));
    if (!Gleich(Zahl(x, "Einzelpreis"), Zahl(y, "Einzelpreis"), 0.0005))
      feld("Einheitspreis", Betrag(Zahl(x, "Einzelpreis")), Betrag(Zahl(y, "Einzelpreis")));
    if (!Gleich(Zahl(x, "Preiseinheit"), Zahl(y, "Preiseinheit"), 0.0005))
      feld("Preiseinheit", ZahlText(Zahl(x, "Preiseinheit")), ZahlText(Zahl(y, "Preiseinheit")));
    feld("Kurztext", Wörter(Text(x, "Kurztext1")), Wörter(Text(y, "Kurztext1")));
    feld("Langtext", Wörter(Text(x, "Langtext")), Wörter(Text(y, "Langtext")));
  }
  for (const auto& [oz, s] : bereicheA)
    if (bereicheB.count(oz) == 0) r.push_back({"entfernt", oz, "Bereich", Text(*s, "Kurztext1"), ""});
  for (const auto& [oz, s] : bereicheB)
    if (bereicheA.count(oz) == 0) r.push_back({"neu", oz, "Bereich", "", Text(*s, "Kurztext1")});
  for (const auto& [oz, sa] : bereicheA) {
    auto it = bereicheB.find(oz);
    if (it == bereicheB.end()) continue;
    std::string x = Wörter(Text(*sa, "Kurztext1")), y = Wörter(Text(*it->second, "Kurztext1"));
    if (x != y) r.push_back({"geändert", oz, "Bezeichnung", x, y});
    double u = Zahl(*sa, "Gesamtpreis"), v = Zahl(*it->second, "Gesamtpreis");
    if (!Gleich(u, v, 0.005)) r.push_back({"Summe", oz, "Gesamtbetrag", Betrag(u), Betrag(v)});
  }
  if (!Gleich(Gesamtsumme(a), Gesamtsumme(b), 0.005))
    r.push_back({"Summe", "", "Gesamtbetrag", Betrag(Gesamtsumme(a)), Betrag(Gesamtsumme(b))});
  return r;
}

std::vector<Unterschied> PrüfeAngebot(const Belegdatei& angebot, const host::Dokument& lv) {
  std::vector<Unterschied> r;
  const host::Dokument& bid = angebot.dokument;
  const std::int32_t dp = bid.kopf.Feld("Datenphase").ToInt32();
  if (dp != 84) r.push_back({"datenart", "", "Datenart", "84", std::to_string(dp)});
  Zeilen postenA, bereicheA, postenB, bereicheB;
  NachOz(lv, postenA, bereicheA);
  NachOz(bid, postenB, bereicheB);
  // Package parts are the bidder's business: a bid may leave them out.
  auto teil = [](const Satz* s) { return Typ(*s) == 47; };
  for (const auto& [oz, s] : postenA)
    if (!teil(s) && postenB.count(oz) == 0) r.push_back({"fehlt", oz, "", Text(*s, "Kurztext1"), ""});
  for (const auto& [oz, s] : postenB)
    if (!teil(s) && postenA.count(oz) == 0) r.push_back({"zusätzlich", oz, "", "", Text(*s, "Kurztext1")});
  for (const auto& [oz, sa] : postenA) {
    auto it = postenB.find(oz);
    if (teil(sa) || it == postenB.end()) continue;
    const Satz &x = *sa, &y = *it->second;
    if (!Gleich(Menge(x), Menge(y), 0.0005)) r.push_back({"menge", oz, "Menge", Mengentext(Menge(x)), Mengentext(Menge(y))});
    // A unit differing only in letter case is the same unit ("Psch", "psch");
    // a bid without units (GAEB 90 writes none in data type 84) keeps the tender's.
    std::string ex = text::Trim(Text(x, "Mengeneinheit")), ey = text::Trim(Text(y, "Mengeneinheit"));
    if (!ey.empty() && text::Klein(ex) != text::Klein(ey)) r.push_back({"einheit", oz, "Einheit", ex, ey});
    if (Gleich(Zahl(y, "Einzelpreis"), 0, 0.005)) r.push_back({"preis-fehlt", oz, "kein Einheitspreis", "", ""});
  }
  // The item totals the file states, against its quantity and unit price.
  for (const readers::Importzeile& z : angebot.zeilen) {
    const std::int32_t typ = readers::Wert(z, "Positionstyp").ToInt32();
    const Variant gesamt = readers::Wert(z, "Gesamtpreis");
    if (!IstPosten(typ) || gesamt.IstLeer()) continue;
    const std::string oz = text::Trim(readers::Wert(z, "Positionsnummer").ToString());
    auto it = postenB.find(oz);
    auto wert = [&](const char* feld) {
      Variant v = readers::Wert(z, feld);
      return !v.IstLeer() ? v.ToDouble() : it != postenB.end() ? Zahl(*it->second, feld) : 0.0;
    };
    const double pe = wert("Preiseinheit") != 0 ? wert("Preiseinheit") : 1.0;
    const double soll = Runde(wert("Menge") * wert("Einzelpreis") / pe, 2);
    if (!Gleich(gesamt.ToDouble(), soll, 0.005))
      r.push_back({"gesamtpreis", oz, "Gesamtpreis", Betrag(soll), Betrag(gesamt.ToDouble())});
  }
  return r;
}

std::string AlsText(const Unterschied& u) {
  std::string s = u.art;
  s += ' ';
  s += u.oz.empty() ? "LV" : u.oz;
  if (!u.feld.empty()) s += " " + u.feld;
  if (u.art == "neu") return s + ": " + u.neu;
  if (u.art == "entfernt" || u.art == "fehlt") return s + ": " + u.alt;
  if (u.art == "zusätzlich") return s + ": " + u.neu;
  if (u.alt.empty() && u.neu.empty()) return s;
  return s + ": " + (u.alt.empty() ? "(leer)" : u.alt) + " -> " + (u.neu.empty() ? "(leer)" : u.neu);
}

nlohmann::ordered_json AlsJson(const std::vector<Unterschied>& liste) {
  nlohmann::ordered_json j = nlohmann::ordered_json::array();
  for (const Unterschied& u : liste)
    j.push_back({{"art", u.art}, {"oz", u.oz}, {"feld", u.feld}, {"alt", u.alt}, {"neu", u.neu}});
  return j;
}

}  // namespace gaeb::checks

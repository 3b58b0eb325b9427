// gaeb validate, GAEB 2000: blocks "#begin[X]" ... "#end[X]" balanced and
// nested, blocks and keys known where they stand, every value ended by
// "[end]", the counts of the closing line "#end[GAEB]N|M", the OZ against the
// LVGlied breakdown, units and numbers within their widths, and the totals
// tree (LVInfo, LVBereich sums, positions). Keywords in any letter case.
#include <map>
#include <set>

#include "base/text.h"
#include "checks/pruefung.h"
#include "readers/zeichensatz.h"
#include "readers/zeilen.h"
#include "readers/gaeb2000_zeilen.h"

namespace gaeb::checks {

namespace {

using readers::EndetMitEnd;
using readers::Klein;
using readers::OhneRand;

struct Blockart {
  std::set<std::string_view> blöcke;
  std::set<std::string_view> schlüssel;
};

// The blocks and keys this program reads or writes, by the block they stand in
// (texts of positions and package parts are read also outside Beschreibung).
const std::map<std::string_view, Blockart>& Blockarten() {
  static const std::map<std::string_view, Blockart> k = {
      {"", {{"gaeb"}, {}}},
      {"gaeb", {{"gaebinfo", "prjinfo", "vergabe", "zustext"}, {}}},
      {"gaebinfo", {{}, {"version", "versmon", "versjahr", "datum", "uhrzeit", "progsystem", "progname", "zeichensatz"}}},
      {"prjinfo", {{}, {"name", "beschreib", "bez"}}},
      {"vergabe", {{"vergabeinfo", "ag", "an", "lv", "zustext"}, {"dp"}}},
      {"vergabeinfo", {{}, {"wae", "waebez", "erdatum", "zusende", "bieternr"}}},
      {"ag", {{"adresse"}, {"dvnr", "vergnr", "bieternr"}}},
      {"an", {{"adresse"}, {"dvnr", "vergnr", "bieternr"}}},
      {"adresse",
       {{}, {"name1", "name2", "name3", "name4", "strasse", "plz", "ort", "land", "telefon", "fax", "email"}}},
      {"lv", {{"lvinfo", "lvbereich", "zustext"}, {}}},
      {"lvinfo",
       {{"lvglied"},
        {"name", "kurzlang", "bezzeit", "anzepanteile", "bezepanteil1", "bezepanteil2", "summe", "nachlassproz",
         "nachlassabs", "summenachnl", "summepsch", "ust", "summebrutto"}}},
      {"lvglied", {{}, {"typ", "bez", "laenge"}}},
      {"lvbereich",
       {{"lvbereich", "position", "zuschlposition", "hinweis", "ausfbeschr", "zustext"},
        {"oz", "beztx", "zzvgruppenr", "zzvlfdnr", "summe", "nachlassproz", "nachlassabs", "summenachnl"}}},
      {"position",
       {{"beschreibung", "unterbeschr", "produkt"},
        {"oz", "menge", "me", "ep", "gb", "bedarf", "zzgruppenr", "zzlfdnr", "epaufgl", "epanteil1", "epanteil2",
         "bezuschl", "frmenge", "nachtrnr", "zeit", "leitbeschr", "artnr", "kurztext", "langtext", "textrtf"}}},
      {"unterbeschr",
       {{"beschreibung"}, {"ubnr", "menge", "me", "ep", "frmenge", "epaufgl", "kurztext", "langtext", "textrtf"}}},
      {"zuschlposition",
       {{"beschreibung"}, {"oz", "zuschlart", "zuschlag", "gbzuschl", "gb", "zzlfdnr", "nachtrnr", "bezuschl"}}},
      {"beschreibung",
       {{}, {"kurztext", "langtext", "kurztextta", "kurztexttb", "langtextta", "langtexttb", "textrtf", "text"}}},
      {"hinweis", {{"beschreibung"}, {"text", "textrtf", "langtext"}}},
      {"ausfbeschr", {{"beschreibung"}, {"text", "textrtf", "langtext"}}},
      {"zustext", {{}, {"text", "textrtf", "langtext"}}},
      {"produkt", {{"artikel"}, {}}},
      {"artikel", {{}, {"artnr", "artkurztext"}}},
  };
  return k;
}

// Integer digits of the numbers: quantities 8, unit prices 10, amounts 11, percentages 3.
int Stellen(std::string_view s) {
  static const std::map<std::string_view, int> k = {
      {"menge", 8},       {"ep", 10},         {"epanteil1", 10},   {"epanteil2", 10}, {"gb", 11},
      {"gbzuschl", 11},   {"summe", 11},      {"summenachnl", 11}, {"nachlassabs", 11}, {"summebrutto", 11},
      {"summepsch", 11},  {"nachlassproz", 3}, {"ust", 3},          {"zuschlag", 3}};
  auto it = k.find(s);
  return it == k.end() ? 0 : it->second;
}

class Prüfung2000 {
 public:
  Prüfung2000(Prüfbericht& b, Befundliste& l) : b_(b), l_(l) {
    lv_.art = Summenknoten::Art::Lv;
    knoten_.push_back(&lv_);
  }

  void Zeile(std::string_view roh) {
    ++nr_;
    std::string_view z = OhneRand(roh);
    const std::string k = Klein(z.substr(0, 7)), klein = Klein(roh);
    if (klein.find("#begin") != std::string::npos) ++begins_;
    if (klein.find("[end]") != std::string::npos) ++ends_;
    const bool block = k == "#begin[" || k.substr(0, 5) == "#end[";
    if (wert_) {
      if (!block) {
        if (EndetMitEnd(z)) wert_.reset();
        return;
      }
      l_.Neu("g2000-end", wertZeile_, "", "der Wert von [" + *wert_ + "] endet ohne [end]");
      wert_.reset();
    }
    if (z.empty() || z.substr(0, 2) == "##") return;
    if (z[0] == '#') {
      const std::size_t auf = z.find('['), zu = z.find(']');
      if (auf == std::string_view::npos || zu == std::string_view::npos || zu < auf) {
        l_.Neu("g2000-line", nr_, "", "die Zeile ist weder Block noch Wert: \"" + Utf8(z.substr(0, 40)) + "\"");
        return;
      }
      const std::string wort = Klein(z.substr(1, auf - 1)), name = Klein(z.substr(auf + 1, zu - auf - 1));
      if (wort == "begin") Anfang(name);
      else if (wort == "end") Ende(name, z.substr(zu + 1));
      else l_.Neu("g2000-line", nr_, "", "unbekanntes Schlüsselwort #" + Utf8(z.substr(1, auf - 1)));
      return;
    }
    const std::size_t zu = z.find(']');
    if (z[0] != '[' || zu == std::string_view::npos) {
      l_.Neu("g2000-line", nr_, "", "die Zeile ist weder Block noch Wert: \"" + Utf8(z.substr(0, 40)) + "\"");
      return;
    }
    const std::string schlüssel = Klein(z.substr(1, zu - 1));
    std::string_view rest = z.substr(zu + 1);
    const std::string oben = blöcke_.empty() ? "" : blöcke_.back().name;
    auto art = Blockarten().find(oben);
    if (art != Blockarten().end() && !art->second.schlüssel.contains(schlüssel))
      l_.Neu("g2000-key", nr_, "", "der Schlüssel [" + Utf8(z.substr(1, zu - 1)) + "] ist im Block " +
                                       (oben.empty() ? std::string("(außerhalb)") : oben) + " nicht bekannt");
    if (!EndetMitEnd(rest)) {
      wert_ = schlüssel;
      wertZeile_ = nr_;
      return;
    }
    Wert(oben, schlüssel, Utf8(OhneRand(rest.substr(0, rest.size() - 5))));
  }

  void Schluss() {
    if (wert_) l_.Neu("g2000-end", wertZeile_, "", "der Wert von [" + *wert_ + "] endet ohne [end] vor dem Dateiende");
    for (auto it = blöcke_.rbegin(); it != blöcke_.rend(); ++it)
      l_.Neu("g2000-nesting", it->zeile, "", "der Block " + it->name + " wird nicht geschlossen");
    PrüfeSummen(lv_, b_.datenart, l_);
  }

 private:
  struct Offen {
    std::string name;
    std::size_t zeile;
    bool summiert = false;  // an area whose sums were written: the next area closes it
  };

  void Anfang(const std::string& name) {
    if (name == "lvbereich" && !blöcke_.empty() && blöcke_.back().name == "lvbereich" && blöcke_.back().summiert)
      Schließe();
    const std::string oben = blöcke_.empty() ? "" : blöcke_.back().name;
    auto art = Blockarten().find(oben);
    if (art != Blockarten().end() && !art->second.blöcke.contains(name))
      l_.Neu("g2000-key", nr_, "", "der Block " + name + " ist in " + (oben.empty() ? std::string("der Datei") : oben) +
                                       " nicht bekannt");
    if (blöcke_.size() > 200) throw std::runtime_error("die Blöcke sind zu tief geschachtelt");
    blöcke_.push_back({name, nr_});
    if (name == "lvbereich" || name == "position" || name == "zuschlposition") {
      Summenknoten k;
      k.art = name == "lvbereich" ? Summenknoten::Art::Bereich
              : name == "position" ? Summenknoten::Art::Posten
                                   : Summenknoten::Art::Zuschlag;
      k.zeile = nr_;
      knoten_.back()->kinder.push_back(std::move(k));
      knoten_.push_back(&knoten_.back()->kinder.back());
    } else if (name == "lvglied") {
      gliedTyp_.clear();
      gliedLänge_ = 0;
    }
  }

  void Schließe() {
    const std::string& n = blöcke_.back().name;
    if (n == "lvbereich" || n == "position" || n == "zuschlposition") {
      if (knoten_.size() > 1) knoten_.pop_back();
      if (n == "lvbereich" && !ozStapel_.empty() && ozStapel_.back().first == blöcke_.size()) ozStapel_.pop_back();
    } else if (n == "lvglied") {
      g_.bekannt = true;
      if (gliedTyp_ == "position") g_.position = gliedLänge_;
      else if (gliedTyp_ == "index") g_.index = gliedLänge_;
      else g_.stufen.push_back(gliedLänge_);
    }
    blöcke_.pop_back();
  }

  void Ende(const std::string& name, std::string_view rest) {
    if (name == "gaeb" && !rest.empty()) {
      // The closing line counts the lines with "#begin" and those with "[end]".
      const std::string r(OhneRand(rest));
      const std::size_t strich = r.find('|');
      if (strich != std::string::npos) {
        const std::string soll = std::to_string(begins_) + "|" + std::to_string(ends_);
        if (r != soll)
          l_.Neu("g2000-totals", nr_, "", "die Schlusszeile zählt " + r + "; die Datei hat " + soll +
                                              " (Zeilen mit #begin | mit [end])");
      }
    }
    if (blöcke_.empty()) {
      l_.Neu("g2000-nesting", nr_, "", "#end[" + name + "] ohne #begin");
      return;
    }
    if (blöcke_.back().name == name) {
      Schließe();
      return;
    }
    bool offen = false;
    for (const Offen& o : blöcke_) offen = offen || o.name == name;
    l_.Neu("g2000-nesting", nr_, "",
           "#end[" + name + "] schließt den Block " + blöcke_.back().name + " (Zeile " +
               std::to_string(blöcke_.back().zeile) + ") nicht");
    while (offen && blöcke_.back().name != name) Schließe();
    if (offen) Schließe();
  }

  std::optional<double> Zahl(const std::string& schlüssel, const std::string& w) {
    double d = 0;
    if (!readers::LeseZahl(w, d)) return std::nullopt;
    if (const int s = Stellen(schlüssel); s > 0 && Vorkommastellen(w) > s)
      l_.Neu("number-width", nr_, "",
             "[" + schlüssel + "] " + w + " hat mehr als " + std::to_string(s) + " Stellen vor dem Komma");
    return d;
  }

  void Oz(const std::string& w, bool bereich) {
    std::size_t soll = 0, tiefe = ozStapel_.size() + (bereich ? 1 : 0);
    for (std::size_t i = 0; i < g_.stufen.size() && i < (bereich ? tiefe : g_.stufen.size()); ++i)
      soll += static_cast<std::size_t>(g_.stufen[i]);
    const std::string eltern = ozStapel_.empty() ? "" : ozStapel_.back().second;
    if (g_.bekannt && bereich && tiefe > g_.stufen.size())
      l_.Neu("oz-breakdown", nr_, "", "der Bereich " + w + " liegt in Stufe " + std::to_string(tiefe) +
                                          "; die Gliederung hat " + std::to_string(g_.stufen.size()));
    else if (g_.bekannt && bereich && w.size() != soll)
      l_.Neu("oz-breakdown", nr_, "", "die OZ " + w + " des Bereichs hat nicht die " + std::to_string(soll) +
                                          " Stellen seiner Stufe");
    else if (g_.bekannt && !bereich && w.size() != soll + static_cast<std::size_t>(g_.position) &&
             w.size() != soll + static_cast<std::size_t>(g_.position + g_.index))
      l_.Neu("oz-breakdown", nr_, "", "die OZ " + w + " der Position passt nicht zur Gliederung");
    else if (!w.starts_with(eltern))
      l_.Neu("oz-breakdown", nr_, "", "die OZ " + w + " beginnt nicht mit der OZ " + eltern + " ihres Bereichs");
    if (bereich) ozStapel_.emplace_back(blöcke_.size(), w);
  }

  // The file's bytes as text: code page 850 unless [Zeichensatz] names 1252.
  std::string Utf8(std::string_view bytes) const { return readers::NachUtf8(bytes, zeichensatz_); }

  void Wert(const std::string& oben, const std::string& s, const std::string& w) {
    if (oben == "gaebinfo" && s == "zeichensatz") {
      const std::string z = Klein(text::Trim(w));
      zeichensatz_ = z == "ansi" || z == "windows" || z == "1252" || z == "cp1252" ? readers::Zeichensatz::Cp1252
                                                                                 : readers::Zeichensatz::Cp850;
    }
    if (oben == "vergabe" && s == "dp") b_.datenart = std::atoi(w.c_str());
    if (oben == "gaebinfo" && s == "versjahr") b_.version = w;
    if (oben == "lvglied" && s == "typ") gliedTyp_ = Klein(w);
    if (oben == "lvglied" && s == "laenge") gliedLänge_ = std::atoi(w.c_str());
    if (s == "me" && text::Länge(w) > 4)
      l_.Neu("unit-width", nr_, "", "die Einheit \"" + w + "\" hat mehr als 4 Zeichen");
    Summenknoten& k = *knoten_.back();
    if (oben == "lvinfo" || (oben == "lvbereich" && k.art == Summenknoten::Art::Bereich)) {
      Summenknoten& ziel = oben == "lvinfo" ? lv_ : k;
      if (s == "oz" && oben == "lvbereich") {
        k.oz = w;
        Oz(w, true);
      } else if (s == "summe") {
        // A sum of 0,00 followed by [SummeNachNL] is written for the deeper
        // areas a sum row closes: it states nothing.
        auto v = Zahl(s, w);
        ziel.summe = v && *v != 0 ? v : std::nullopt;
        ziel.zeile = nr_;
      } else if (s == "nachlassproz") {
        ziel.nachlassProzent = Zahl(s, w);
      } else if (s == "nachlassabs") {
        ziel.nachlassBetrag = Zahl(s, w);
      } else if (s == "summenachnl") {
        ziel.summeNachNachlass = Zahl(s, w);
        if (oben == "lvbereich") blöcke_.back().summiert = true;
      } else if (s == "ust") {
        ziel.mwst = Zahl(s, w);
      } else if (s == "summebrutto") {
        ziel.brutto = Zahl(s, w);
      } else {
        Zahl(s, w);
      }
      return;
    }
    const bool posten = oben == "position" || oben == "zuschlposition";
    if (!posten) {
      Zahl(s, w);
      return;
    }
    if (s == "oz") {
      k.oz = w;
      // A sum row, written as a surcharge row of 0 %, has no number.
      if (!w.empty() || k.art != Summenknoten::Art::Zuschlag) Oz(w, false);
    } else if (s == "menge") {
      k.menge = Zahl(s, w);
    } else if (s == "ep") {
      k.preis = Zahl(s, w);
    } else if (s == "gb") {
      k.summe = Zahl(s, w);
      k.zeile = nr_;
      // A surcharge row writes its base ([GBZuschl]) and base plus surcharge ([GB]).
      if (k.summe && k.art == Summenknoten::Art::Zuschlag) *k.summe -= k.preis.value_or(0);
    } else if (s == "gbzuschl") {
      k.preis = Zahl(s, w);
    } else if (s == "bedarf") {
      k.bedarfOhneSumme = Klein(w) == "e";
    } else if (s == "zzgruppenr" || s == "zzlfdnr") {
      k.alternativ = k.alternativ || (w != "0" && !w.empty());
    } else {
      Zahl(s, w);
    }
  }

  Prüfbericht& b_;
  Befundliste& l_;
  std::size_t nr_ = 0, begins_ = 0, ends_ = 0, wertZeile_ = 0;
  std::optional<std::string> wert_;  // the key of a value spread over lines, still open
  std::vector<Offen> blöcke_;
  std::vector<std::pair<std::size_t, std::string>> ozStapel_;  // open areas: block depth, OZ
  std::string gliedTyp_;
  int gliedLänge_ = 0;
  Ozgliederung g_;
  readers::Zeichensatz zeichensatz_ = readers::Zeichensatz::Cp850;
  Summenknoten lv_;
  std::vector<Summenknoten*> knoten_;
};

}  // namespace

void PrüfeGaeb2000(std::string_view daten, Prüfbericht& bericht, Befundliste& liste) {
  Prüfung2000 p(bericht, liste);
  std::size_t a = 0;
  while (a < daten.size()) {
    std::size_t e = daten.find('\n', a);
    if (e == std::string_view::npos) e = daten.size();
    p.Zeile(daten.substr(a, e - a));
    a = e + 1;
  }
  p.Schluss();
}

}  // namespace gaeb::checks

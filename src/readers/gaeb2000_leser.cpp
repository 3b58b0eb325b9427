// GAEB 2000 (P81 to P86): tagged lines, blocks "#begin[Name]" ... "#end[Name]",
// attributes "[Key]value[end]" or spread over lines up to a line "[end]",
// comments "##". Keywords and block names in any letter case. The lines are
// bytes of the code page that "[Zeichensatz]" declares (OEM 850 from the
// GAEBInfo block until then). Additional texts that stand before the GAEBInfo
// block are written before the file's code page is settled, in the Windows
// code page 1252, and are read so.
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "readers/gaebleser.h"
#include "readers/lvsammler.h"
#include "readers/zeichensatz.h"
#include "readers/gaeb2000_zeilen.h"

namespace gaeb::readers {

namespace {

constexpr std::size_t kGrößteZeile = 1 << 16;
constexpr std::size_t kGrößterText = 1 << 20;

// A "#begin[" or "#end[" line (without its margins), in any letter case.
bool Blockzeile(std::string_view z) {
  const std::string k = Klein(z.substr(0, 7));
  return k == "#begin[" || k.substr(0, 5) == "#end[";
}

// "01.12.2026" as the host's "20261201"; other forms stay.
std::string Datum(const std::string& s) {
  if (s.size() == 10 && s[2] == '.' && s[5] == '.') return s.substr(6, 4) + s.substr(3, 2) + s.substr(0, 2);
  if (s.size() == 10 && s[4] == '-' && s[7] == '-') return s.substr(0, 4) + s.substr(5, 2) + s.substr(8, 2);
  return s;
}

class Leser2000 {
 public:
  Leser2000(std::istream& ein, const std::string& name, std::vector<std::string>* warnungen)
      : ein_(ein), name_(name), warnungen_(warnungen) {}

  std::vector<Importzeile> Lies() {
    std::string roh;
    while (NächsteZeile(roh)) {
      Zeile(roh);
      // The block line that closed a value left open is read as a line of its own.
      while (zurück_) {
        std::string z = std::move(*zurück_);
        zurück_.reset();
        Zeile(z);
      }
    }
    if (!blöcke_.empty()) Fehler("Die Datei endet, bevor der Block " + blöcke_.back() + " geschlossen ist.");
    if (!lvGesehen_) Fehler("Die Datei enthält kein Leistungsverzeichnis (#begin[LV]).");
    if (!dpGesehen_) Fehler("Die Datenart ([DP]) fehlt.");
    // The surcharges on the whole bill live only in the LV totals (a
    // surcharge is written as a negative discount).
    lv_.GanzesLv(nachlass_, lvSumme_, lvSummeGelesen_);
    Setze(lv_.kopf, "Dateiname", Variant(name_));
    Setze(lv_.kopf, "DateiUrsprung", Variant(std::string("GAEB 2000")));
    if (mitLangtext_) Setze(lv_.kopf, "MitLangtextfassung", Variant(true));
    if (mitPreisen_) Setze(lv_.kopf, "LVmitPreisen", Variant(true));
    return lv_.Fertig(gliederung_);
  }

 private:
  [[noreturn]] void Fehler(const std::string& grund) { throw Lesefehler(name_, "Zeile " + std::to_string(zeile_), grund); }
  void Warnung(const std::string& text) {
    if (warnungen_) warnungen_->push_back(name_ + ": Zeile " + std::to_string(zeile_) + ": " + text);
  }

  bool NächsteZeile(std::string& s) {
    if (!std::getline(ein_, s)) return false;
    ++zeile_;
    if (s.size() > kGrößteZeile) Fehler("Die Zeile ist länger als 64 KB.");
    crlf_ = !s.empty() && s.back() == '\r';
    if (crlf_) s.pop_back();
    return true;
  }

  std::string Text(std::string_view bytes) { return NachUtf8(bytes, zeichensatz_); }

  void Zeile(const std::string& roh) {
    std::string_view z = OhneRand(roh);
    if (z.empty() || z.substr(0, 2) == "##") return;
    if (z[0] == '#') {
      std::size_t auf = z.find('['), zu = z.find(']');
      if (auf == std::string_view::npos || zu == std::string_view::npos || zu < auf)
        Fehler("Unverständliche Zeile: \"" + Text(z.substr(0, 60)) + "\".");
      std::string wort = Klein(z.substr(1, auf - 1));
      std::string block = Klein(z.substr(auf + 1, zu - auf - 1));
      if (wort == "begin") Anfang(block);
      else if (wort == "end") Ende(block);
      else Fehler("Unbekanntes Schlüsselwort #" + Text(z.substr(1, auf - 1)) + ".");
      return;
    }
    if (z[0] != '[') Fehler("Unverständliche Zeile: \"" + Text(z.substr(0, 60)) + "\".");
    std::size_t zu = z.find(']');
    if (zu == std::string_view::npos) Fehler("Dem Schlüssel fehlt die schließende Klammer.");
    std::string schlüssel = Klein(z.substr(1, zu - 1));
    std::string_view rest = z.substr(zu + 1);
    std::string wert;
    if (EndetMitEnd(rest)) {
      wert = Text(rest.substr(0, rest.size() - 5));
    } else {
      // Spread over lines: the lines up to the first one that ends with
      // "[end]" (alone or behind the value's last line), without the
      // indentation of the key. A block line closes a value still open.
      std::size_t einzug = roh.find_first_not_of(" \t");
      std::vector<std::string> zeilen;
      std::vector<bool> mitCr;  // a line ended with CR LF, not LF alone: kept as the text had it
      if (!OhneRand(rest).empty()) {
        zeilen.push_back(Text(rest));
        mitCr.push_back(crlf_);
      }
      std::string t;
      std::size_t summe = 0;
      for (;;) {
        if (!NächsteZeile(t)) Fehler("Die Datei endet im Wert von [" + schlüssel + "] (es fehlt [end]).");
        std::string_view inhalt = OhneRand(t);
        if (Blockzeile(inhalt)) {
          Warnung("Der Wert von [" + schlüssel + "] endet ohne [end]; die Zeile " + Text(inhalt.substr(0, 60)) +
                  " schließt ihn.");
          zurück_ = t;
          break;
        }
        std::size_t weg = 0;
        while (weg < einzug && weg < t.size() && (t[weg] == ' ' || t[weg] == '\t')) ++weg;
        std::string_view zeile = std::string_view(t).substr(weg);
        const bool letzte = EndetMitEnd(inhalt);
        if (letzte) {
          zeile = OhneRand(zeile);
          zeile.remove_suffix(5);
        }
        if (!letzte || !OhneRand(zeile).empty()) {
          zeilen.push_back(Text(zeile));
          mitCr.push_back(crlf_);
        }
        summe += t.size();
        if (summe > kGrößterText) Fehler("Der Wert von [" + schlüssel + "] ist länger als 1 MB.");
        if (letzte) break;
      }
      // The writer ends every text with one line break, which gives an empty last line.
      if (!zeilen.empty() && text::TrimRechts(zeilen.back()).empty()) zeilen.pop_back();
      for (std::string& l : zeilen) l = text::TrimRechts(l);
      for (std::size_t i = 0; i < zeilen.size(); ++i) wert += (i == 0 ? "" : mitCr[i - 1] ? "\r\n" : "\n") + zeilen[i];
    }
    Attribut(schlüssel, wert);
  }

  std::string Oben(std::size_t n = 0) const { return blöcke_.size() > n ? blöcke_[blöcke_.size() - 1 - n] : ""; }
  bool In(const char* block) const {
    for (const std::string& b : blöcke_)
      if (b == block) return true;
    return false;
  }

  void Anfang(const std::string& b) {
    if (blöcke_.size() > 100) Fehler("Die Blöcke sind zu tief geschachtelt.");
    // An area whose sums were written has no end line of its own: the next
    // area closes it.
    if (b == "lvbereich" && !bereicheOffen_.empty() && bereiche_[bereicheOffen_.back() - 1].summiert &&
        !blöcke_.empty() && blöcke_.back() == "lvbereich") {
      bereicheOffen_.pop_back();
      blöcke_.pop_back();
    }
    std::string eltern = Oben();
    blöcke_.push_back(b);
    if (b == "gaebinfo" && !infoGesehen_) {
      infoGesehen_ = true;
      zeichensatz_ = Zeichensatz::Cp850;
    }
    if (b == "lv") {
      if (lvGesehen_) Fehler("Die Datei enthält mehr als ein Leistungsverzeichnis.");
      lvGesehen_ = true;
      imLv_ = true;
    } else if (b == "lvbereich" && imLv_) {
      bereiche_.push_back({"", "", lv_.AnzahlZeilen(), false, false});
      bereicheOffen_.push_back(bereiche_.size());
      lvBereichOhneOz_ = true;
    } else if (b == "lvglied") {
      gliedTyp_.clear();
      gliedLänge_ = 0;
    } else if (b == "position" && imLv_) {
      Objekt(40);
      teile_ = 0;
    } else if (b == "zuschlposition" && imLv_) {
      Objekt(70);
      Setze(Aktuell(), "WelcherBetragZuAbschlag", Variant(static_cast<std::int16_t>(3)));
    } else if (b == "unterbeschr" && art_ == 40) {
      ++teile_;
      lv_.Neu(47);
      teil_ = lv_.AnzahlZeilen() - 1;
      Setze(lv_.ZeileAn(teil_), "Positionsnummer", Wert(lv_.ZeileAn(posten_), "Positionsnummer"));
      art_ = 47;
    } else if ((b == "hinweis" || b == "ausfbeschr") && imLv_ && art_ == 0) {
      Objekt(50);
      Setze(Aktuell(), "KnzVbSb", Variant("0"));
      Setze(Aktuell(), "KennNr_Langtext", Variant(std::string(b == "hinweis" ? "[Hinweis]" : "[AusfBeschr]")));
    } else if (b == "zustext" && art_ == 0) {
      if (lvEnde_) {
        lv_.Schluss();
        schlussText_ = true;
      } else {
        Objekt(50);
        Setze(Aktuell(), "KnzVbSb", Variant("1"));
      }
    }
    (void)eltern;
  }

  void Ende(const std::string& b) {
    if (b == "gaeb" && (blöcke_.empty() || blöcke_.back() != "gaeb")) return;  // the closing line with its counts
    if (blöcke_.empty()) Fehler("#end[" + b + "] ohne #begin.");
    if (blöcke_.back() != b)
      Fehler("#end[" + b + "] schließt den Block " + blöcke_.back() + " nicht.");
    if (b == "lv") {
      imLv_ = false;
      lvEnde_ = true;
    } else if (b == "lvglied") {
      if (gliedTyp_ == "lvstufe") gliederung_.bereichLängen.push_back(gliedLänge_);
      else if (gliedTyp_ == "position") gliederung_.positionLänge = gliedLänge_;
      else if (gliedTyp_ == "index") gliederung_.indexLänge = gliedLänge_;
    } else if (b == "lvbereich" && !bereicheOffen_.empty() && imLv_) {
      bereicheOffen_.pop_back();
    } else if (b == "unterbeschr" && art_ == 47) {
      art_ = 40;
    } else if ((b == "position" || b == "zuschlposition" || b == "hinweis" || b == "ausfbeschr") && art_ != 0) {
      if (b == "position" && (teile_ > 0 || leitBeschreibung_)) Setze(Aktuell(), "Positionstyp", Variant(static_cast<std::int16_t>(45)));
      else if (b == "position") Setze(Aktuell(), "HierarchieEbene", Variant(static_cast<std::int16_t>(4)));
      art_ = 0;
      leitBeschreibung_ = false;
    } else if (b == "zustext" && art_ == 50 && !schlussText_) {
      art_ = 0;
    } else if (b == "zustext") {
      schlussText_ = false;
    }
    blöcke_.pop_back();
  }

  void Objekt(std::int16_t typ) {
    if (art_ != 0) Fehler("Ein Block steht in einem anderen, in das er nicht gehört.");
    art_ = typ;
    lv_.Neu(typ);
    posten_ = lv_.AnzahlZeilen() - 1;
  }
  Importzeile& Aktuell() {
    if (schlussText_) return lv_.SchlussZeile();
    return lv_.ZeileAn(art_ == 47 ? teil_ : posten_);
  }

  double Zahl(const std::string& schlüssel, const std::string& w) {
    double d = 0;
    if (!LeseZahl(w, d)) Fehler("[" + schlüssel + "] ist keine Zahl: \"" + w.substr(0, 40) + "\".");
    return d;
  }

  // The OZ without separators, split after the OZ of the open area.
  std::string Ordnungszahl(const std::string& roh, bool position) {
    if (roh.empty()) return roh;
    std::string eltern, elternRoh;
    if (!bereicheOffen_.empty()) {
      const Bereich& b = bereiche_[bereicheOffen_.back() - 1];
      eltern = b.oz;
      elternRoh = b.roh;
    }
    std::string teil = roh;
    if (!elternRoh.empty() && roh.size() > elternRoh.size() && roh.compare(0, elternRoh.size(), elternRoh) == 0)
      teil = roh.substr(elternRoh.size());
    std::string oz = eltern.empty() ? "" : eltern + ".";
    // An item at a shallower depth than the breakdown: its number holds the
    // levels it skips (blank) before its own part.
    const std::size_t eigen = static_cast<std::size_t>(gliederung_.positionLänge);
    for (std::size_t t = bereicheOffen_.size(); position && gliederung_.positionLänge > 0 && t < gliederung_.bereichLängen.size();
         ++t) {
      const std::size_t l = static_cast<std::size_t>(gliederung_.bereichLängen[t]);
      if (teil.size() < eigen + l) break;
      oz += teil.substr(0, l) + ".";
      teil.erase(0, l);
    }
    if (position && gliederung_.indexLänge > 0 && gliederung_.positionLänge > 0 &&
        static_cast<int>(teil.size()) > gliederung_.positionLänge) {
      oz += teil.substr(0, gliederung_.positionLänge) + "." + teil.substr(gliederung_.positionLänge);
    } else {
      oz += teil;
    }
    return oz;
  }

  void Attribut(const std::string& s, const std::string& w) {
    const std::string oben = Oben();
    Importzeile& k = lv_.kopf;
    if (oben == "gaebinfo") {
      if (s == "versjahr") Setze(k, "Ausgabejahr", Variant(w));
      else if (s == "zeichensatz") {
        std::string z = Klein(text::Trim(w));
        if (z == "ansi" || z == "windows" || z == "1252" || z == "cp1252") zeichensatz_ = Zeichensatz::Cp1252;
        else if (z == "oem" || z == "850" || z == "cp850" || z == "ibm850" || z == "dos" || z.empty())
          zeichensatz_ = Zeichensatz::Cp850;
        else if (z == "437" || z == "cp437" || z == "ibm437") zeichensatz_ = Zeichensatz::Cp437;
        else Fehler("Unbekannter Zeichensatz \"" + w.substr(0, 20) + "\" (gelesen werden OEM und ANSI).");
        Setze(k, "Zeichensatz", Variant(w));
      }
      return;
    }
    if (oben == "prjinfo") {
      if (s == "beschreib") Setze(k, "InformationProjekt", Variant(w));
      return;
    }
    if (oben == "vergabe" && s == "dp") {
      double dp = 0;
      if (!LeseZahl(w, dp) || dp < 81 || dp > 86 || dp != static_cast<int>(dp))
        Fehler("Datenart \"" + w.substr(0, 20) + "\" wird nicht gelesen (gelesen werden 81 bis 86).");
      Setze(k, "Datenphase", Variant(static_cast<std::int16_t>(dp)));
      dpGesehen_ = true;
      return;
    }
    if (oben == "vergabeinfo") {
      if (s == "wae") Setze(k, "Währung", Variant(w));
      else if (s == "waebez") Setze(k, "BezWährung", Variant(w));
      else if (s == "zusende") Setze(k, "DatumZuschlagsfrist", Variant(Datum(w)));
      return;
    }
    if (oben == "ag" || oben == "an") {
      bool ag = oben == "ag";
      if (s == "dvnr") Setze(k, ag ? "DVNrAG" : "DVNrAN", Variant(w));
      else if (s == "vergnr") Setze(k, ag ? "VergabenummerAG" : "VergabenummerAN", Variant(w));
      else if (s == "bieternr") Setze(k, "BieterNrAG", Variant(w));
      return;
    }
    if (oben == "adresse" && Oben(1) == "ag") {
      if (s == "name1" && !w.empty()) Setze(k, "InformationAG", Variant(w));
      static constexpr std::pair<std::string_view, const char*> kFelder[] = {
          {"name1", "Name1"}, {"name2", "Name2"}, {"name3", "Name3"}, {"name4", "Name4"},     {"strasse", "Strasse"},
          {"plz", "Plz"},     {"ort", "Ort"},     {"land", "Land"},   {"telefon", "Telefon"}, {"fax", "Fax"},
          {"email", "Email"}};
      for (const auto& [schlüssel, feld] : kFelder)
        if (s == schlüssel && !w.empty()) Setze(k, std::string("Auftraggeber.") + feld, Variant(w));
      return;
    }
    if (oben == "lvinfo") {
      if (s == "name") Setze(k, "BezeichnungLV", Variant(w));
      else if (s == "nachlassproz") nachlass_ = Zahl(s, w);
      else if (s == "summe") {
        lvSumme_ = Zahl(s, w);
        lvSummeGelesen_ = true;
      }
      return;
    }
    if (oben == "lvglied") {
      if (s == "typ") gliedTyp_ = Klein(w);
      else if (s == "laenge") {
        double l = Zahl(s, w);
        if (l < 0 || l > 9) Fehler("[Laenge] muss zwischen 0 und 9 liegen.");
        gliedLänge_ = static_cast<int>(l);
      }
      return;
    }
    if (oben == "lvbereich" && !bereicheOffen_.empty() && art_ == 0) {
      Bereich& b = bereiche_[bereicheOffen_.back() - 1];
      if (s == "oz") {
        if (b.angelegt) Fehler("Ein LV-Bereich hat zwei [OZ].");
        bereicheOffen_.pop_back();
        b.oz = Ordnungszahl(w, false);
        b.roh = w;
        bereicheOffen_.push_back(static_cast<std::size_t>(&b - bereiche_.data()) + 1);
        lv_.Bereich(static_cast<int>(bereicheOffen_.size()), b.oz);
        b.zeile = lv_.AnzahlZeilen() - 1;
        b.angelegt = true;
      } else if (s == "beztx" && b.angelegt) {
        Setze(lv_.ZeileAn(b.zeile), "Kurztext1", Variant(w));
      } else if ((s == "zzvgruppenr" || s == "zzvlfdnr") && b.angelegt) {
        Setze(lv_.ZeileAn(b.zeile), "Alternativposition", Variant(true));
      } else if (s == "summe") {
        summe_ = Zahl(s, w);
        summenProz_ = 0;
      } else if (s == "nachlassproz") {
        summenProz_ = Zahl(s, w);
      } else if (s == "summenachnl" && (summe_ != 0 || summenProz_ != 0)) {
        // The sums of a sum row of this area (the sums of the deeper areas
        // it closes are written with zeros). A surcharge is written negative.
        Importzeile& z = lv_.Summe(static_cast<int>(bereicheOffen_.size()));
        Setze(z, "Positionstyp", Variant(static_cast<std::int16_t>(summenProz_ < 0 ? 70 : summenProz_ > 0 ? 80 : 60)));
        Setze(z, "Positionsnummer", Variant(std::string()));
        if (summenProz_ != 0) Setze(z, "AufAbschlagProzent", Variant(summenProz_ < 0 ? -summenProz_ : summenProz_));
        b.summiert = true;
      }
      return;
    }
    if (art_ == 0 && !schlussText_) return;
    Importzeile& z = Aktuell();
    auto ja = [&] { return Klein(w) == "j" || Klein(w) == "ja"; };
    if (s == "oz") {
      Setze(z, "Positionsnummer", Variant(Ordnungszahl(w, art_ == 40)));
    } else if (s == "kurztext") {
      Setze(z, text::Links(w, 5) == "{\\rtf" ? "Kurztext1RTF" : "Kurztext1", Variant(w));
    } else if (s == "langtext" || s == "text" || s == "textrtf") {
      bool rtf = s == "textrtf" || text::Links(w, 5) == "{\\rtf";
      Setze(z, rtf ? "LangtextRTF" : "Langtext", Variant(w));
      if (!w.empty() && art_ != 50) mitLangtext_ = true;
    } else if (s == "menge") {
      Setze(z, art_ == 47 ? "MengePaketteil" : "Menge", Variant(Zahl(s, w)));
    } else if (s == "me") {
      if (Klein(w) == "psch") Setze(z, "Pauschalpreis", Variant(true));
      Setze(z, "Mengeneinheit", Variant(w));
    } else if (s == "ep" || s == "gbzuschl") {
      Setze(z, "Einzelpreis", Variant(Zahl(s, w)));
      mitPreisen_ = true;
    } else if (s == "gb") {
      double gb = Zahl(s, w);
      if (art_ == 70) gb -= Wert(z, "Einzelpreis").ToDouble();
      Setze(z, "Gesamtpreis", Variant(gb));
    } else if (s == "zzgruppenr" || s == "zzlfdnr") {
      if (w != "0") Setze(z, "Alternativposition", Variant(true));
    } else if (s == "bedarf") {
      Setze(z, "Bedarfsposition", Variant(true));
      if (Klein(w) == "e") Setze(z, "Alternativposition", Variant(true));
    } else if (s == "epaufgl") {
      if (ja()) Setze(z, "KnzGaeb", Variant(static_cast<std::int16_t>(10)));
    } else if (s == "epanteil1" || s == "epanteil2") {
      Setze(z, s == "epanteil1" ? "MaterialEPVK" : "LohnEPVK", Variant(Zahl(s, w)));
    } else if (s == "nachtrnr") {
      double d = Zahl(s, w);
      if (d < 0 || d > 32767 || d != static_cast<int>(d)) Fehler("[NachtrNr] muss eine ganze Zahl bis 32767 sein.");
      Setze(z, "Nachtrag", Variant(static_cast<std::int16_t>(d)));
    } else if (s == "frmenge") {
      if (ja()) Setze(z, "KnzFreieMenge", Variant(true));
    } else if (s == "zeit") {
      Setze(z, "Zeit", Variant(Zahl(s, w)));
    } else if (s == "leitbeschr") {
      leitBeschreibung_ = ja();
    } else if (s == "artnr") {
      Setze(z, "Artikelnummer", Variant(w));
    } else if (s == "zuschlart" && art_ == 70) {
      if (Klein(w) == "z") Setze(z, "WelcherBetragZuAbschlag", Variant(static_cast<std::int16_t>(6)));
    } else if (s == "zuschlag" && art_ == 70) {
      double p = Zahl(s, w);
      // A sum row carries 0; a discount is written negative.
      if (p == 0) Setze(z, "Positionstyp", Variant(static_cast<std::int16_t>(60)));
      else if (p < 0) Setze(z, "Positionstyp", Variant(static_cast<std::int16_t>(80)));
      Setze(z, "AufAbschlagProzent", Variant(p < 0 ? -p : p));
    }
  }

  struct Bereich {
    std::string oz, roh;
    std::size_t zeile;
    bool angelegt;
    bool summiert;  // a sum row of this area was read
  };

  std::istream& ein_;
  std::string name_;
  std::vector<std::string>* warnungen_;
  std::optional<std::string> zurück_;  // a line read ahead, to be read again
  std::size_t zeile_ = 0;
  bool crlf_ = true;
  Zeichensatz zeichensatz_ = Zeichensatz::Cp1252;
  bool infoGesehen_ = false;
  Lvsammler lv_;
  Gliederung gliederung_;
  std::vector<std::string> blöcke_;
  std::vector<Bereich> bereiche_;
  std::vector<std::size_t> bereicheOffen_;  // 1-based into bereiche_
  std::string gliedTyp_;
  int gliedLänge_ = 0;
  double nachlass_ = 0, summe_ = 0, summenProz_ = 0, lvSumme_ = 0;
  bool lvSummeGelesen_ = false;
  bool lvGesehen_ = false, imLv_ = false, lvEnde_ = false, dpGesehen_ = false;
  bool mitLangtext_ = false, mitPreisen_ = false, lvBereichOhneOz_ = false;
  bool leitBeschreibung_ = false, schlussText_ = false;
  int art_ = 0;  // 40 position, 47 its part, 70 surcharge row, 50 text, 0 none
  std::size_t posten_ = 0, teil_ = 0;
  int teile_ = 0;
};

}  // namespace

std::vector<Importzeile> LeseGaeb2000(std::istream& ein, const std::string& name, std::vector<std::string>* warnungen) {
  return Leser2000(ein, name, warnungen).Lies();
}

}  // namespace gaeb::readers

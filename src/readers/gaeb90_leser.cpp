// GAEB 90 (D81 to D86): records of 80 columns in code page 850, the record
// type in columns 1-2, the line number in 75-80. Texts spread over records
// (25, 26, 12, 02, T1) are joined back into lines: a record whose text field
// is filled to its last column continues on the next one.
#include <algorithm>
#include <cmath>
#include <istream>
#include <tuple>
#include <string>
#include <vector>

#include "base/text.h"
#include "readers/gaebleser.h"
#include "readers/lvsammler.h"
#include "readers/zeichensatz.h"

namespace gaeb::readers {

namespace {

// "01.12.26" as "20261201".
std::string Datum(const std::string& s) {
  if (s.size() != 8 || s[2] != '.' || s[5] != '.') return s;
  int jahr = (s[6] - '0') * 10 + (s[7] - '0');
  return (jahr < 70 ? "20" : "19") + s.substr(6, 2) + s.substr(3, 2) + s.substr(0, 2);
}

// Text of records split at a fixed width, joined back.
struct Textsammler {
  std::string text;
  bool voll = false;  // the last piece filled its field: the next one continues the line
  bool leer = true;
  void Stück(const std::string& s, std::size_t breite) {
    std::string t = text::TrimRechts(s);
    if (!leer && !voll) text += "\r\n";
    text += voll ? s : t;
    voll = text::Länge(s) >= breite && t.size() == s.size();
    if (!voll) {
      text = text::TrimRechts(text);
    }
    leer = false;
  }
};

class Leser90 {
 public:
  Leser90(std::istream& ein, const std::string& name) : ein_(ein), name_(name) {}

  std::vector<Importzeile> Lies() {
    std::string z;
    while (std::getline(ein_, z)) {
      ++zeile_;
      if (!z.empty() && z.back() == '\r') z.pop_back();
      if (z.empty() && ein_.peek() == EOF) break;
      // Blanks behind column 80 (and an end-of-file mark) carry nothing;
      // anything else there would be lost.
      if (z.size() > 80 && z.find_first_not_of(" \x1A", 80) != std::string::npos)
        Fehler("Der Satz ist " + std::to_string(z.size()) + " Zeichen lang; ein Satz hat 80 Zeichen.");
      Satz(z);
    }
    TextAbschließen();
    if (!kopf_) Fehler("Der Kopfsatz 00 fehlt.");
    if (!ende_) Fehler("Die Datei endet vor dem Schlusssatz 99.");
    Setze(lv_.kopf, "Dateiname", Variant(name_));
    Setze(lv_.kopf, "DateiUrsprung", Variant(std::string("GAEB 90")));
    if (!info_.leer) {
      std::string info = info_.text;
      // The export puts the document's subject after the project information.
      std::size_t p = info.rfind("\r\n");
      if (p != std::string::npos && info.substr(p + 2) == "Angebot") info.resize(p);
      else if (info == "Angebot") info.clear();
      Setze(lv_.kopf, "InformationProjekt", Variant(info));
    }
    if (mitLangtext_) Setze(lv_.kopf, "MitLangtextfassung", Variant(true));
    PaketteilPreise();
    if (!summenkopf_)
      for (std::size_t i : summenOhneKopf_) Setze(lv_.ZeileAn(i), "Positionstyp", Variant(std::int16_t{0}));
    return lv_.Fertig(gliederung_);
  }

 private:
  [[noreturn]] void Fehler(const std::string& grund) { throw Lesefehler(name_, "Zeile " + std::to_string(zeile_), grund); }

  std::string Roh(std::size_t von, std::size_t bis) const {
    if (satz_.size() < von) return std::string(bis - von + 1, ' ');
    std::string s = satz_.substr(von - 1, bis - von + 1);
    s.resize(bis - von + 1, ' ');
    return s;
  }
  std::string Text(std::size_t von, std::size_t bis) const { return NachUtf8(Roh(von, bis), Zeichensatz::Cp850); }
  std::string Feld(std::size_t von, std::size_t bis) const { return text::TrimRechts(Text(von, bis)); }
  double Zahl(std::size_t von, std::size_t bis, int stellen, std::size_t vorzeichen = 0) {
    std::string d = Roh(von, bis);
    if (d.find_first_not_of(' ') == std::string::npos) return 0;
    double v = 0;
    for (char c : d) {
      if (c == ' ') c = '0';
      if (c < '0' || c > '9')
        Fehler("Satz " + satz_.substr(0, 2) + ", Spalten " + std::to_string(von) + "-" + std::to_string(bis) +
               ": keine Zahl (\"" + NachUtf8(d, Zeichensatz::Cp850) + "\").");
      v = v * 10 + (c - '0');
    }
    for (int i = 0; i < stellen; ++i) v /= 10;
    if (vorzeichen && Roh(vorzeichen, vorzeichen) == "-") v = -v;
    return v;
  }
  bool Kreuz(std::size_t spalte) const { return Roh(spalte, spalte) == "X"; }

  // The OZ of a record (without separators) split at the mask's level lengths.
  std::string Ordnungszahl(const std::string& roh, int* tiefe) {
    std::string oz;
    std::size_t p = 0;
    int t = 0;
    for (int l : gliederung_.bereichLängen) {
      if (p >= roh.size()) break;
      oz += (oz.empty() ? "" : ".") + roh.substr(p, l);
      p += l;
      ++t;
    }
    if (tiefe) *tiefe = t;
    if (p < roh.size()) {
      std::size_t l = gliederung_.positionLänge > 0 ? gliederung_.positionLänge : roh.size() - p;
      oz += (oz.empty() ? "" : ".") + roh.substr(p, l);
      p += l;
      if (p < roh.size()) oz += "." + roh.substr(p);
    }
    return oz;
  }

  // Package parts carry no prices in GAEB 90; the host makes the package's
  // unit price from its parts. The package's price goes to its first part
  // with a quantity, so that the package comes back at its price.
  void PaketteilPreise() {
    for (std::size_t i = 0; i < lv_.AnzahlZeilen(); ++i) {
      Importzeile& kopf = lv_.ZeileAn(i);
      if (Wert(kopf, "Positionstyp").ToInt32() != 45) continue;
      const double preis = Wert(kopf, "Einzelpreis").ToDouble();
      for (std::size_t j = i + 1; preis != 0 && j < lv_.AnzahlZeilen(); ++j) {
        Importzeile& teil = lv_.ZeileAn(j);
        if (Wert(teil, "Positionstyp").ToInt32() != 47) break;
        const double menge = Wert(teil, "MengePaketteil").ToDouble();
        if (menge == 0) continue;
        Setze(teil, "Einzelpreis", Variant(preis / menge));
        break;
      }
    }
  }

  // Data types 81 and 82 have no sum records 32: an area ends with its sum
  // heading 31, unless a sum row of the area ended it before. An area of
  // depth tiefe or deeper that ends without its 31 had such a sum row, in a
  // file that writes sum headings at all (Lies drops them otherwise).
  void OhneSummensatz(int tiefe) {
    if (datenart_ != 81 && datenart_ != 82) return;
    for (int t = static_cast<int>(bereiche_.size()); t >= tiefe && t >= 1; --t) {
      auto& [roh, geschlossen] = bereiche_[static_cast<std::size_t>(t - 1)];
      if (!geschlossen && !roh.empty()) {
        Setze(lv_.Summe(t), "Positionsnummer", Variant(std::string()));
        summenOhneKopf_.push_back(lv_.AnzahlZeilen() - 1);
      }
      geschlossen = true;
    }
  }

  // A bid has position records 21 only for items of free quantity: a price
  // record of another OZ stands for its position, and the areas of its OZ
  // (which have no records of their own) are opened before it.
  void BieterPosition() {
    int tiefe = 0;
    const std::string oz = Ordnungszahl(Feld(3, 11), &tiefe);
    if (objekt_ >= 0 && Wert(Aktuell(), "Positionsnummer").ToString() == oz) return;
    std::string bereich;
    for (int t = 1; t <= tiefe; ++t) {
      std::size_t p = 0;
      for (int i = 0; i < t; ++i) p = oz.find('.', p) + 1;
      bereich = oz.substr(0, p - 1);
      if (bereichOz_.size() >= static_cast<std::size_t>(t) && bereichOz_[t - 1] == bereich) continue;
      bereichOz_.resize(static_cast<std::size_t>(t));
      bereichOz_.back() = bereich;
      lv_.Bereich(t, bereich);
    }
    Importzeile& z = lv_.Neu(40);
    posten_ = objekt_ = static_cast<long>(lv_.AnzahlZeilen() - 1);
    bieterPosten_.push_back(static_cast<std::size_t>(posten_));
    Setze(z, "Positionsnummer", Variant(oz));
    Setze(z, "HierarchieEbene", Variant(static_cast<std::int16_t>(4)));
  }

  void TextAbschließen() {
    if (ziel_ == nullptr) return;
    if (!text_.leer || zielName_ == "Kurztext1") {
      std::string alt = Wert(*ziel_, zielName_).ToString();
      Setze(*ziel_, zielName_, Variant(alt.empty() ? text_.text : alt + "\r\n" + text_.text));
      if (zielName_ == "Langtext" && !text_.text.empty()) mitLangtext_ = true;
    }
    if (zielName_ == "Langtext" && !codes_.empty() && codes_.find_first_not_of(" ;") != std::string::npos)
      Setze(*ziel_, "KennNr_Langtext", Variant(codes_));
    ziel_ = nullptr;
    text_ = Textsammler{};
    codes_.clear();
  }
  void TextNach(Importzeile& z, const char* name) {
    if (ziel_ == &z && zielName_ == name) return;
    TextAbschließen();
    ziel_ = &z;
    zielName_ = name;
  }

  Importzeile& Aktuell() {
    if (objekt_ < 0) Fehler("Satz " + satz_.substr(0, 2) + " ohne vorangehende Position.");
    return lv_.ZeileAn(static_cast<std::size_t>(objekt_));
  }

  void Satz(const std::string& s) {
    satz_ = s;
    if (s.size() < 80) Fehler("Der Satz ist kürzer als 80 Zeichen (die Datei ist abgeschnitten oder kein GAEB 90).");
    if (Roh(75, 80).find_first_not_of("0123456789") != std::string::npos)
      Fehler("In den Spalten 75-80 steht keine Zeilennummer.");
    std::string art = s.substr(0, 2);
    bool vorher31 = letzteArt_ == "31";
    letzteArt_ = art;
    if (art == "T0") {
      TextAbschließen();
      Importzeile& z = ende_ ? lv_.Schluss() : lv_.Neu(50);
      if (!ende_) Setze(z, "KnzVbSb", Variant("1"));
      objekt_ = -1;
      TextNach(z, "Langtext");
      return;
    }
    if (art == "T1") {
      if (ziel_ == nullptr) Fehler("Satz T1 ohne T0.");
      text_.Stück(Text(3, 74), 72);
      return;
    }
    if (art == "T9") {
      TextAbschließen();
      return;
    }
    if (art[0] < '0' || art[0] > '9' || art[1] < '0' || art[1] > '9') Fehler("Unbekannte Satzart \"" + Text(1, 2) + "\".");
    if (art != "00" && !kopf_) Fehler("Der Kopfsatz 00 fehlt vor Satz " + art + ".");
    if (art != "25" && art != "26" && art != "12" && art != "02") TextAbschließen();
    Importzeile& k = lv_.kopf;
    if (art == "00") {
      if (kopf_) Fehler("Ein zweiter Kopfsatz 00.");
      kopf_ = true;
      double dp = Zahl(11, 12, 0);
      if (dp < 81 || dp > 86) Fehler("Datenart " + Text(11, 12) + " wird nicht gelesen (gelesen werden 81 bis 86).");
      datenart_ = static_cast<int>(dp);
      Setze(k, "Datenphase", Variant(static_cast<std::int16_t>(dp)));
      for (auto [von, bis, name] : {std::tuple{14, 28, "VergabenummerAG"}, {29, 36, "DVNrAG"}, {37, 39, "BieterNrAG"},
                                    {40, 54, "VergabenummerAN"}, {55, 62, "DVNrAN"}}) {
        std::string w = Feld(von, bis);
        if (!w.empty()) Setze(k, name, Variant(w));
      }
      std::string maske = Feld(63, 71);
      Setze(k, "Ausgabejahr", Variant(Feld(72, 73)));
      gliederung_.losBekannt = true;
      gliederung_.mitLos = Kreuz(74);
      for (char ziffer = '1'; ziffer <= '9'; ++ziffer) {
        int n = static_cast<int>(std::count(maske.begin(), maske.end(), ziffer));
        if (n > 0) gliederung_.bereichLängen.push_back(n);
      }
      gliederung_.positionLänge = static_cast<int>(std::count(maske.begin(), maske.end(), 'P'));
      gliederung_.indexLänge = static_cast<int>(std::count(maske.begin(), maske.end(), 'I'));
      if (gliederung_.mitLos && gliederung_.bereichLängen.empty()) Fehler("Satz 00: Lose ohne OZ-Maske.");
    } else if (art == "01") {
      std::string bez = Feld(3, 42);
      if (!bez.empty()) Setze(k, "BezeichnungLV", Variant(bez));
      if (std::string d = Feld(43, 50); !d.empty()) Setze(k, "DatumLV", Variant(Datum(d)));
      if (std::string d = Feld(51, 58); !d.empty()) Setze(k, "DatumAngebotsabgabe", Variant(Datum(d) + Feld(59, 63)));
      if (std::string d = Feld(64, 71); !d.empty()) Setze(k, "DatumZuschlagsfrist", Variant(Datum(d)));
      if (Kreuz(72)) Setze(k, "LVmitPreisen", Variant(true));
      if (Kreuz(73)) Setze(k, "LVmitLohn", Variant(true));
    } else if (art == "02") {
      info_.Stück(Text(3, 62), 1000);
    } else if (art == "03") {
      // The client, in one line: also the name of the document's client address.
      Setze(k, "KopfInformationAG", Variant(Feld(3, 62)));
      if (std::string ag = text::Trim(Feld(3, 62)); !ag.empty()) Setze(k, "Auftraggeber.Name1", Variant(ag));
    } else if (art == "04") {
      Setze(k, "InformationAN", Variant(Feld(3, 62)));
    } else if (art == "06" || art == "07") {
      Setze(k, art == "06" ? "ZA06" : "ZA07", Variant(NachUtf8(s, Zeichensatz::Cp850)));
    } else if (art == "08") {
      if (std::string w = Feld(3, 8); !w.empty()) Setze(k, "Währung", Variant(w));
      if (std::string w = Feld(9, 58); !w.empty()) Setze(k, "BezWährung", Variant(w));
    } else if (art == "10" || art == "11") {
      std::string roh = art == "10" ? Feld(3, 4) : Feld(3, 11);
      int tiefe = 1;
      std::string oz = art == "10" ? text::Trim(roh) : Ordnungszahl(roh, &tiefe);
      if (art == "11" && tiefe == 0)
        Fehler("Satz 11: die OZ " + roh + " passt zu keiner Stufe der OZ-Maske.");
      OhneSummensatz(tiefe);
      bereiche_.resize(static_cast<std::size_t>(tiefe));
      bereiche_.back() = {roh, art == "10"};
      bereichOz_.resize(static_cast<std::size_t>(tiefe));
      bereichOz_.back() = oz;
      Importzeile& z = lv_.Bereich(tiefe, oz);
      objekt_ = static_cast<long>(lv_.AnzahlZeilen() - 1);
      if (art == "10") Setze(z, "Kurztext1", Variant(Feld(5, 44)));
      else if (Roh(12, 12) == "A") Setze(z, "Alternativposition", Variant(true));
      bereichTiefe_ = tiefe;
    } else if (art == "12") {
      TextNach(Aktuell(), "Kurztext1");
      text_.Stück(Text(3, 42), 40);
    } else if (art == "20") {
      Importzeile& z = lv_.Neu(50);
      Setze(z, "KnzVbSb", Variant("0"));
      Setze(z, "KennNr_Langtext", Variant("[Hinweis]"));
      objekt_ = static_cast<long>(lv_.AnzahlZeilen() - 1);
    } else if (art == "21") {
      bool zuschlag = Roh(20, 20) == "Z";
      Importzeile& z = lv_.Neu(zuschlag ? 70 : Roh(14, 14) == "L" ? 45 : 40);
      posten_ = objekt_ = static_cast<long>(lv_.AnzahlZeilen() - 1);
      int tiefe = 0;
      Setze(z, "Positionsnummer", Variant(Ordnungszahl(Feld(3, 11), &tiefe)));
      if (zuschlag) Setze(z, "WelcherBetragZuAbschlag", Variant(static_cast<std::int16_t>(4)));
      else if (Roh(14, 14) != "L") Setze(z, "HierarchieEbene", Variant(static_cast<std::int16_t>(4)));
      if (Roh(12, 12) == "A" || Roh(13, 13) == "E") Setze(z, "Alternativposition", Variant(true));
      if (Roh(13, 13) == "E" || Roh(13, 13) == "M") Setze(z, "Bedarfsposition", Variant(true));
      bool x19 = Kreuz(19), x43 = Kreuz(43);
      if (x19 || x43) Setze(z, "KnzGaeb", Variant(static_cast<std::int16_t>(x19 && x43 ? 11 : x19 ? 10 : 1)));
      if (!zuschlag && Roh(20, 20) != "E") {
        Setze(z, "FürSummenspeicher1", Variant(false));
        Setze(z, "FürSummenspeicher2", Variant(BoolZuText(false)));
      }
      if (Kreuz(22)) Setze(z, "KnzFreieMenge", Variant(true));
      Setze(z, "Menge", Variant(Zahl(24, 34, 3, 23)));
      std::string me = Feld(35, 38);
      if (me == "Psch") Setze(z, "Pauschalpreis", Variant(true));
      Setze(z, "Mengeneinheit", Variant(me));
      if (std::string n = Feld(39, 41); !text::Trim(n).empty())
        Setze(z, "Nachtrag", Variant(static_cast<std::int16_t>(Zahl(39, 41, 0))));
    } else if (art == "22" || art == "23") {
      if (datenart_ == 84) BieterPosition();
      Importzeile& z = Aktuell();
      if (Wert(z, "Positionstyp").ToInt32() == 70) {
        double p = Zahl(57, 61, 2, 56);
        if (p < 0) Setze(z, "Positionstyp", Variant(static_cast<std::int16_t>(80)));
        Setze(z, "AufAbschlagProzent", Variant(p < 0 ? -p : p));
        const double basis = Zahl(63, 74, 2, 62);
        Setze(z, "Einzelpreis", Variant(basis));
        // Its amount, which the totals of the file hold and GanzesLv reckons with.
        Setze(z, "Gesamtpreis", Variant(std::round(basis * p) / 100));
      } else {
        const double ep = Zahl(13, 22, 2, 12), gp = Zahl(25, 36, 2, 24);
        Setze(z, "Einzelpreis", Variant(ep));
        Setze(z, "Gesamtpreis", Variant(gp));
        // Without a record 21 the quantity is what total and unit price give.
        if (Wert(z, "Menge").IstLeer() && ep != 0) Setze(z, "Menge", Variant(std::round(gp / ep * 1000) / 1000));
        if (Roh(13, 22).find_first_not_of(' ') != std::string::npos) Setze(k, "LVmitPreisen", Variant(true));
      }
    } else if (art == "24") {
      if (posten_ < 0) Fehler("Satz 24 ohne Position.");
      Importzeile& z = lv_.Neu(47);
      Setze(z, "Positionsnummer", Wert(lv_.ZeileAn(static_cast<std::size_t>(posten_)), "Positionsnummer"));
      objekt_ = static_cast<long>(lv_.AnzahlZeilen() - 1);
      Setze(z, "MengePaketteil", Variant(Zahl(6, 16, 3, 5)));
      Setze(z, "Mengeneinheit", Variant(Feld(17, 20)));
      if (Kreuz(41)) Setze(z, "KnzFreieMenge", Variant(true));
    } else if (art == "25") {
      TextNach(Aktuell(), "Kurztext1");
      text_.Stück(Text(3, 72), 70);
    } else if (art == "26") {
      TextNach(Aktuell(), "Langtext");
      if (!text_.leer && !text_.voll) codes_ += ";";
      if (text_.leer || !text_.voll) codes_ += Text(3, 5);
      text_.Stück(Text(6, 60), 55);
    } else if (art == "30") {
      Importzeile& z = Aktuell();
      if (Roh(3, 12).find_first_not_of(' ') != std::string::npos) Setze(z, "Zeit", Variant(Zahl(3, 12, 4) * 60));
      if (Roh(13, 22).find_first_not_of(' ') != std::string::npos) Setze(z, "MaterialEPVK", Variant(Zahl(13, 22, 2)));
      if (Roh(23, 32).find_first_not_of(' ') != std::string::npos) Setze(z, "LohnEPVK", Variant(Zahl(23, 32, 2)));
    } else if (art == "31") {
      summenkopf_ = true;
      for (auto& b : bereiche_)
        if (b.first == Feld(3, 11)) b.second = true;
    } else if (art == "32" || art == "33") {
      // A sum record without its heading 31 stands for a sum row of the bill.
      if (art == "32" && datenart_ == 84 && !bieterPosten_.empty()) {
        // The sum of the area whose items came just before.
        lv_.Ungezählte(bieterPosten_, Zahl(13, 24, 2, 12));
        bieterPosten_.clear();
      }
      // A sum record without its heading 31 (a lot's 33 has none) that carries a
      // factor is a surcharge or discount on that area: 1.100000 is 10 percent
      // on the sum the record holds.
      const bool los = art == "33";
      const std::size_t faktor = los ? 17 : 25;
      const bool zuschlag = Roh(faktor, faktor + 6).find_first_not_of(' ') != std::string::npos;
      if ((los ? zuschlag : !vorher31) && datenart_ != 84) {
        int tiefe = 1;
        if (!los) Ordnungszahl(Feld(3, 11), &tiefe);
        if (tiefe > 0) {
          Importzeile& z = lv_.Summe(tiefe);
          Setze(z, "Positionsnummer", Variant(std::string()));
          if (zuschlag) {
            const double p = std::round((Zahl(faktor, faktor + 6, 6) - 1) * 10000) / 100;
            const double summe = los ? Zahl(5, 16, 2) : Zahl(13, 24, 2, 12);
            Setze(z, "Positionstyp", Variant(static_cast<std::int16_t>(p < 0 ? 80 : 70)));
            Setze(z, "Kurztext1", Variant(std::string(p < 0 ? "Nachlass" : "Zuschlag")));
            Setze(z, "AufAbschlagProzent", Variant(std::fabs(p)));
            Setze(z, "Gesamtpreis", Variant(std::round(summe * p) / 100));
          }
        }
      }
    } else if (art == "99") {
      // The first end record carries the bill total and the last surcharge
      // on the whole bill as a factor (0.97 for a discount of 3 percent).
      if (!ende_) {
        OhneSummensatz(1);
        double p = 0;
        if (Roh(15, 21).find_first_not_of(' ') != std::string::npos) p = std::round((1 - Zahl(15, 21, 6)) * 10000) / 100;
        bool summe = Roh(3, 14).find_first_not_of(' ') != std::string::npos;
        lv_.GanzesLv(p, summe ? Zahl(3, 14, 2) : 0, summe);
      }
      ende_ = true;
      objekt_ = -1;
    }
  }

  std::istream& ein_;
  std::string name_;
  std::size_t zeile_ = 0;
  std::string satz_, letzteArt_;
  Lvsammler lv_;
  Gliederung gliederung_;
  bool kopf_ = false, ende_ = false, mitLangtext_ = false;
  long objekt_ = -1, posten_ = -1;
  int bereichTiefe_ = 0;
  int datenart_ = 0;
  bool summenkopf_ = false;                 // a record 31 was read
  std::vector<std::size_t> summenOhneKopf_;  // sum rows made for areas without their 31
  std::vector<std::size_t> bieterPosten_;  // rows of a bid's positions since the last sum record
  std::vector<std::string> bereichOz_;  // the areas a bid's OZ opened, per depth
  std::vector<std::pair<std::string, bool>> bereiche_;  // open areas per depth: record 11 OZ, sum heading read
  Textsammler info_;
  Importzeile* ziel_ = nullptr;
  std::string zielName_;
  Textsammler text_;
  std::string codes_;
};

}  // namespace

std::vector<Importzeile> LeseGaeb90(std::istream& ein, const std::string& name) { return Leser90(ein, name).Lies(); }

}  // namespace gaeb::readers

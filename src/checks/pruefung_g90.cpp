// gaeb validate, GAEB 90: each line a record of 80 columns plus CR LF, the
// record kinds the bill format has in their order, the line numbers in
// columns 75-80, the characters of code page 850, the OZ against the mask of
// record 00, and the totals: records 32 (section), 33 (lot) and 99 (bill,
// with the number of items) against the items' records 21 and 23.
#include <algorithm>
#include <array>
#include <cmath>
#include <set>

#include "checks/pruefung.h"

namespace gaeb::checks {

namespace {

// Columns von..bis (1-based) of a record, blanks where it is short.
std::string_view Spalten(std::string_view satz, std::size_t von, std::size_t bis) {
  if (satz.size() < von) return {};
  return satz.substr(von - 1, std::min(bis, satz.size()) - von + 1);
}

bool Leer(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

std::string OhneBlanksRechts(std::string_view s) {
  const std::size_t e = s.find_last_not_of(' ');
  return std::string(e == std::string_view::npos ? std::string_view() : s.substr(0, e + 1));
}

// A number of digits with implied decimals; empty when blank or no number.
std::optional<double> Zahl(std::string_view satz, std::size_t von, std::size_t bis, int stellen, std::size_t vorzeichen = 0) {
  std::string_view d = Spalten(satz, von, bis);
  if (Leer(d)) return std::nullopt;
  double v = 0;
  for (char c : d) {
    if (c == ' ') c = '0';
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  v /= std::pow(10.0, stellen);
  if (vorzeichen && Spalten(satz, vorzeichen, vorzeichen) == "-") v = -v;
  return v;
}

// Box-drawing and block characters of code page 850: no text of a bill has
// them, but the letters of code page 1252 (Ä 0xC4, Ü 0xDC, ß 0xDF ...) read as them.
bool Rahmenzeichen(unsigned char c) {
  static constexpr std::array<unsigned char, 28> kRahmen = {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB9, 0xBA, 0xBB, 0xBC, 0xBF,
                                                            0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC8, 0xC9, 0xCA, 0xCB,
                                                            0xCC, 0xCD, 0xCE, 0xD9, 0xDA, 0xDB, 0xDC, 0xDF};
  for (unsigned char r : kRahmen)
    if (c == r) return true;
  return false;
}

// The record kinds of a bill, as the reader knows them.
bool BekannteArt(std::string_view a) {
  static const std::set<std::string_view> kArten = {"00", "01", "02", "03", "04", "06", "07", "08", "10", "11", "12",
                                                     "20", "21", "22", "23", "24", "25", "26", "30", "31", "32", "33",
                                                     "99", "T0", "T1", "T9"};
  return kArten.contains(a);
}

std::string Hex(unsigned char c) {
  static const char* kZiffern = "0123456789ABCDEF";
  return std::string("0x") + kZiffern[c >> 4] + kZiffern[c & 15];
}

class Prüfung90 {
 public:
  Prüfung90(Prüfbericht& b, Befundliste& l) : b_(b), l_(l) {
    lv_.art = Summenknoten::Art::Lv;
    stapel_.push_back({&lv_, ""});
  }

  void Zeile(std::string_view z, bool mitLf) {
    ++nr_;
    const bool cr = !z.empty() && z.back() == '\r';
    if (cr) z.remove_suffix(1);
    if (!mitLf && (z.empty() || z == "\x1A")) return;  // the end of the file, or its end mark
    if (!mitLf) l_.Neu("g90-crlf", nr_, "", "die letzte Zeile endet ohne CR LF");
    else if (!cr) l_.Neu("g90-crlf", nr_, "", "die Zeile endet mit LF allein, nicht mit CR LF");
    Länge(z);
    for (std::size_t i = 0; i < z.size(); ++i) {
      const auto c = static_cast<unsigned char>(z[i]);
      if (c < 0x20 || c == 0x7F || Rahmenzeichen(c)) {
        l_.Neu("g90-codepage", nr_, "",
               "Spalte " + std::to_string(i + 1) + ": das Zeichen " + Hex(c) +
                   (c < 0x20 || c == 0x7F ? " ist ein Steuerzeichen"
                                          : " ist ein Rahmenzeichen der Codepage 850 (ist die Datei in Codepage 1252?)"));
        break;
      }
    }
    Zeilennummer(z);
    Satz(z);
  }

  void Ende() {
    if (!kopf_) l_.Neu("g90-record-order", 0, "", "der Kopfsatz 00 fehlt");
    if (letzte_ != "99") l_.Neu("g90-record-order", nr_, "", "die Datei endet nicht mit dem Schlusssatz 99");
    PrüfeSummen(lv_, b_.datenart, l_);
  }

 private:
  void Länge(std::string_view z) {
    // Beyond line 999999 the number has seven digits and the line 81 columns.
    const bool siebenstellig = z.size() == 81 && nr_ > 999999;
    if (z.size() > 80 && !siebenstellig)
      l_.Neu("g90-line-length", nr_, "", "der Satz hat " + std::to_string(z.size()) + " Zeichen, nicht 80");
    else if (z.size() < 80)
      l_.Neu("g90-line-length", nr_, "", "der Satz hat " + std::to_string(z.size()) + " Zeichen, nicht 80");
  }

  void Zeilennummer(std::string_view z) {
    const std::string_view n = Spalten(z, 75, z.size() == 81 ? 81 : 80);
    if (n.size() < 6 || n.find_first_not_of("0123456789") != std::string_view::npos) {
      l_.Neu("g90-line-number", nr_, "", "in den Spalten 75-80 steht keine Zeilennummer");
      zeilennummer_ = 0;
      return;
    }
    const std::size_t wert = std::stoul(std::string(n));
    if (zeilennummer_ != 0 && wert != zeilennummer_ + 1)
      l_.Neu("g90-line-number", nr_, "",
             "Zeilennummer " + std::string(n) + " folgt nicht auf " + std::to_string(zeilennummer_));
    zeilennummer_ = wert;
  }

  void Reihenfolge(const std::string& a, std::string_view satz) {
    auto falsch = [&](const std::string& text) { l_.Neu("g90-record-order", nr_, "", "Satz " + a + " " + text); };
    const bool text = a[0] == 'T';
    if (text) {
      if (a == "T0" && textOffen_) falsch("vor dem T9 des Textes davor");
      if (a != "T0" && !textOffen_) falsch("ohne T0");
      textOffen_ = a != "T9";
      letzte_ = a;
      return;
    }
    if (textOffen_) falsch("in einem Text (T0 ohne T9)");
    textOffen_ = false;
    const int n = std::atoi(a.c_str());
    if (a == "00") {
      if (kopf_) falsch("zum zweiten Mal");
      kopf_ = true;
      phase_ = 1;
    } else if (!kopf_) {
      falsch("vor dem Kopfsatz 00");
    } else if (phase_ == 3 && a != "99") {
      falsch("nach dem Schlusssatz 99");
    } else if (n >= 1 && n <= 8) {
      if (phase_ > 1) falsch("nach den Sätzen des LV");
      else if (n < kopfsatz_) falsch("nach dem Kopfsatz " + std::string(kopfsatz_ < 10 ? "0" : "") + std::to_string(kopfsatz_));
      kopfsatz_ = n;
    } else if (a == "99") {
      phase_ = 3;
    } else {
      phase_ = 2;
      const bool bieter = b_.datenart == 84;
      if (a == "12" && objekt_ != "10" && objekt_ != "11") falsch("ohne Abschnitt (10, 11) davor");
      if ((a == "22" || a == "23") && objekt_ != "21" && !bieter) falsch("ohne Position (21) davor");
      if ((a == "24" || a == "30") && objekt_ != "21" && objekt_ != "24" && !(bieter && objekt_ == "23"))
        falsch("ohne Position (21) davor");
      if (a == "25" && objekt_ != "21" && objekt_ != "24" && !(bieter && objekt_ == "23")) falsch("ohne Position davor");
      if (a == "26" && objekt_ != "21" && objekt_ != "24" && objekt_ != "20" && !(bieter && objekt_ == "23"))
        falsch("ohne Position oder Hinweis davor");
      if (a == "10" || a == "11" || a == "20" || a == "21" || a == "31" || a == "32" || a == "33") objekt_ = a;
      if ((a == "23" || a == "22") && bieter) objekt_ = objekt_ == "21" || objekt_ == "24" ? objekt_ : a;
    }
    (void)satz;
    letzte_ = a;
  }

  // The lengths of the levels up to each level of the mask.
  std::vector<std::size_t> Stufenenden() const {
    std::vector<std::size_t> e;
    std::size_t s = 0;
    for (int l : g_.stufen) e.push_back(s += static_cast<std::size_t>(l));
    return e;
  }

  // Opens the section roh (without trailing blanks) at its depth.
  void Abschnitt(const std::string& roh, std::size_t tiefe) {
    while (stapel_.size() > tiefe) stapel_.pop_back();
    Summenknoten k;
    k.art = Summenknoten::Art::Bereich;
    k.oz = roh;
    k.zeile = nr_;
    stapel_.back().knoten->kinder.push_back(std::move(k));
    stapel_.push_back({&stapel_.back().knoten->kinder.back(), roh});
    posten_ = nullptr;
  }

  void Bereichssatz(const std::string& roh, bool los) {
    const auto enden = Stufenenden();
    std::size_t tiefe = 1;
    if (!los) {
      tiefe = 0;
      for (std::size_t i = 0; i < enden.size(); ++i)
        if (enden[i] == roh.size()) tiefe = i + 1;
      if (tiefe == 0 && g_.bekannt)
        l_.Neu("oz-breakdown", nr_, "", "die OZ " + roh + " des Abschnitts passt zu keiner Stufe der OZ-Maske");
      if (tiefe == 0) tiefe = std::min<std::size_t>(stapel_.size(), 9);
    }
    Abschnitt(roh, tiefe);
  }

  // An item: the sections its OZ names are the open ones (a bid, which has
  // no section records, opens them here).
  Summenknoten& Position(const std::string& roh, Summenknoten::Art art) {
    const auto enden = Stufenenden();
    const std::size_t voll = enden.empty() ? 0 : enden.back();
    if (g_.bekannt && roh.size() != voll + static_cast<std::size_t>(g_.position) &&
        roh.size() != voll + static_cast<std::size_t>(g_.position + g_.index))
      l_.Neu("oz-breakdown", nr_, "", "die OZ " + roh + " der Position passt nicht zur OZ-Maske");
    std::size_t tiefe = 1;
    for (std::size_t i = 0; i < enden.size() && enden[i] < roh.size(); ++i) {
      const std::string teil = roh.substr(0, enden[i]);
      if (teil.back() == ' ') break;  // an item at a shallower depth
      if (stapel_.size() <= i + 1 || stapel_[i + 1].roh != teil) {
        if (b_.datenart != 84)
          l_.Neu("oz-breakdown", nr_, "", "die Position " + roh + " liegt nicht im Abschnitt davor");
        Abschnitt(teil, i + 1);
      }
      tiefe = i + 2;
    }
    while (stapel_.size() > tiefe) stapel_.pop_back();
    Summenknoten k;
    k.art = art;
    k.oz = roh;
    k.zeile = nr_;
    stapel_.back().knoten->kinder.push_back(std::move(k));
    posten_ = &stapel_.back().knoten->kinder.back();
    if (art == Summenknoten::Art::Posten) ++anzahlPosten_;
    return *posten_;
  }

  void Satz(std::string_view z) {
    const std::string a(Spalten(z, 1, 2));
    if (a.size() < 2) return;
    if (!BekannteArt(a)) {
      l_.Neu("g90-record-kind", nr_, "", "die Satzart \"" + a + "\" gibt es in einem LV nicht");
      return;
    }
    const bool ersterKopf = a == "00" && !kopf_;
    Reihenfolge(a, z);
    if (ersterKopf) {
      b_.version = "90";
      if (auto dp = Zahl(z, 11, 12, 0)) b_.datenart = static_cast<int>(*dp);
      const std::string_view maske = Spalten(z, 63, 71);
      for (char ziffer = '1'; ziffer <= '9'; ++ziffer)
        if (auto n = std::count(maske.begin(), maske.end(), ziffer)) g_.stufen.push_back(static_cast<int>(n));
      g_.position = static_cast<int>(std::count(maske.begin(), maske.end(), 'P'));
      g_.index = static_cast<int>(std::count(maske.begin(), maske.end(), 'I'));
      g_.bekannt = !Leer(maske);
    } else if (a == "10" || a == "11") {
      Bereichssatz(OhneBlanksRechts(a == "10" ? Spalten(z, 3, 4) : Spalten(z, 3, 11)), a == "10");
    } else if (a == "21") {
      const bool zuschlag = Spalten(z, 20, 20) == "Z";
      Summenknoten& k = Position(OhneBlanksRechts(Spalten(z, 3, 11)), zuschlag ? Summenknoten::Art::Zuschlag
                                                                                : Summenknoten::Art::Posten);
      k.alternativ = Spalten(z, 12, 12) == "A";
      k.bedarfOhneSumme = Spalten(z, 13, 13) == "E";
      k.menge = Zahl(z, 24, 34, 3, 23);
    } else if (a == "22" || a == "23") {
      const std::string roh = OhneBlanksRechts(Spalten(z, 3, 11));
      if (b_.datenart == 84 && (posten_ == nullptr || posten_->oz != roh)) Position(roh, Summenknoten::Art::Posten);
      if (posten_ == nullptr) return;
      if (posten_->art == Summenknoten::Art::Zuschlag) {
        const auto prozent = Zahl(z, 57, 61, 2, 56), basis = Zahl(z, 63, 74, 2, 62);
        if (prozent && basis) posten_->summe = std::round(*basis * *prozent) / 100;
      } else {
        posten_->preis = Zahl(z, 13, 22, 2, 12);
        posten_->summe = Zahl(z, 25, 36, 2, 24);
        // 22 gives the total less the item's discount, 23 a discount factor.
        posten_->ohnePrüfung = a == "22" || !Leer(Spalten(z, 49, 55));
      }
      posten_->zeile = nr_;
    } else if (a == "31") {
      nach31_ = true;
      return;
    } else if (a == "32" || a == "33") {
      // The sum of the section or lot that ends here (a 32 without its
      // heading 31 is a sum row inside the section, except in a bid).
      const std::string roh = OhneBlanksRechts(a == "32" ? Spalten(z, 3, 11) : Spalten(z, 3, 4));
      const auto summe = a == "32" ? Zahl(z, 13, 24, 2, 12) : Zahl(z, 5, 16, 2);
      if (summe && (a == "33" || nach31_ || b_.datenart == 84))
        for (auto& s : stapel_)
          if (s.knoten != &lv_ && s.roh == roh) {
            s.knoten->summe = summe;
            s.knoten->zeile = nr_;
          }
    } else if (a == "99") {
      if (auto n = Zahl(z, 70, 74, 0); n && static_cast<std::size_t>(*n) != anzahlPosten_)
        l_.Neu("g90-totals", nr_, "",
               "der Schlusssatz nennt " + std::to_string(static_cast<long>(*n)) + " Positionen; die Datei hat " +
                   std::to_string(anzahlPosten_));
      if (!ende_) {
        ende_ = true;
        lv_.zeile = nr_;
        lv_.summe = Zahl(z, 3, 14, 2);
        if (auto f = Zahl(z, 15, 21, 6)) lv_.nachlassProzent = std::round((1 - *f) * 10000) / 100;
        lv_.mwst = Zahl(z, 22, 25, 2);
        lv_.brutto = Zahl(z, 26, 37, 2);
      }
    }
    nach31_ = false;
  }

  struct Offen {
    Summenknoten* knoten;
    std::string roh;  // the section's OZ as the records write it
  };

  Prüfbericht& b_;
  Befundliste& l_;
  std::size_t nr_ = 0, zeilennummer_ = 0, anzahlPosten_ = 0;
  bool kopf_ = false, textOffen_ = false, ende_ = false, nach31_ = false;
  int phase_ = 0, kopfsatz_ = 0;  // 0 before 00, 1 header, 2 bill, 3 after 99
  std::string letzte_, objekt_;
  Ozgliederung g_;
  Summenknoten lv_;
  std::vector<Offen> stapel_;
  Summenknoten* posten_ = nullptr;
};

}  // namespace

void PrüfeGaeb90(std::string_view daten, Prüfbericht& bericht, Befundliste& liste) {
  Prüfung90 p(bericht, liste);
  std::size_t a = 0;
  while (a < daten.size()) {
    const std::size_t e = daten.find('\n', a);
    if (e == std::string_view::npos) {
      p.Zeile(daten.substr(a), false);
      break;
    }
    p.Zeile(daten.substr(a, e - a), true);
    a = e + 1;
  }
  p.Ende();
}

}  // namespace gaeb::checks

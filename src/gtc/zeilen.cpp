// Plain line input and output of the converter (see zeilen.h).
#include "gtc/zeilen.h"

#include <string_view>

#include "gtc/zeichen.h"

namespace gtc {

namespace {

// The parts of a line between its line breaks; a final break adds no part.
std::vector<std::string_view> Teile(std::string_view s) {
  std::vector<std::string_view> teile;
  std::size_t anfang = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') {
      teile.push_back(s.substr(anfang, i - anfang));
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      anfang = i + 1;
    }
  }
  if (anfang < s.size() || teile.empty()) teile.push_back(s.substr(anfang));
  return teile;
}

// Code page 1252 to UTF-8 without control characters other than the tab.
std::string AlsUtf8(std::string_view s) {
  std::string out;
  for (char c : s) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x20 || c == '\t') HängeUtf8An(AusCp1252(b), out);
  }
  return out;
}

// One character of a line being laid out, with the gap it belongs to (-1: none).
struct Zeichen {
  char32_t c;
  int lücke;
};

struct Lückeninfo {
  std::int32_t code;
  std::int64_t marke;
};

void Umbrechen(const std::vector<Zeichen>& z, int breite, std::int32_t nummerText,
               const std::vector<Lückeninfo>& lücken, std::vector<Ausgabezeile>& out) {
  auto ausgeben = [&](std::size_t von, std::size_t bis) {
    while (bis > von && z[bis - 1].c == ' ') --bis;
    Ausgabezeile zeile;
    zeile.code = kZeileText;
    zeile.nummer = nummerText;
    for (std::size_t i = von; i < bis; ++i) {
      unsigned char b = NachCp1252(z[i].c);
      zeile.text.push_back(b != 0 ? static_cast<char>(b) : '?');
      if (z[i].lücke >= 0 && zeile.code == kZeileText) {
        zeile.code = lücken[z[i].lücke].code;
        zeile.nummer = static_cast<std::int32_t>(lücken[z[i].lücke].marke);
      }
    }
    zeile.text += "\r\n";
    out.push_back(std::move(zeile));
  };
  std::size_t anfang = 0;
  const std::size_t b = breite < 1 ? z.size() + 1 : static_cast<std::size_t>(breite);
  while (z.size() - anfang > b) {
    std::size_t bruch = anfang + b;
    while (bruch > anfang && z[bruch].c != ' ') --bruch;
    if (bruch == anfang) {
      ausgeben(anfang, anfang + b);
      anfang += b;
      continue;
    }
    ausgeben(anfang, bruch);
    anfang = bruch;
    while (anfang < z.size() && z[anfang].c == ' ') ++anfang;
    if (anfang == z.size()) return;
  }
  ausgeben(anfang, z.size());
}

}  // namespace

Text ZeilenAlsText(const std::vector<Eingabezeile>& zeilen, Meldungen& meldungen) {
  Text text;
  bool erste = true;
  std::uint8_t lückeCode = 0;
  std::int32_t lückeNummer = 0;
  for (const Eingabezeile& zeile : zeilen) {
    bool istLücke = zeile.code == kZeileBieter || zeile.code == kZeileAuftraggeber;
    if (!istLücke && zeile.code != kZeileText) {
      meldungen.Fehler("Die Zeilenart " + std::to_string(zeile.code) +
                       " ist unbekannt; die Zeile wurde nicht übernommen.");
      continue;
    }
    for (std::string_view teil : Teile(zeile.text)) {
      if (!istLücke) {
        text.LückeEnde();
        if (!erste) text.Absatzende();
      } else if (text.LückeOffen() && lückeCode == zeile.code && lückeNummer == zeile.nummer) {
        text.Absatzende();
      } else {
        text.LückeEnde();
        text.LückeAnfang(zeile.code == kZeileBieter ? Lückenart::Bieter : Lückenart::Auftraggeber,
                         zeile.nummer);
        lückeCode = zeile.code;
        lückeNummer = zeile.nummer;
      }
      text.Lauf(AlsUtf8(teil), Stil{});
      erste = false;
    }
  }
  text.LückeEnde();
  return text;
}

std::vector<Ausgabezeile> TextAlsZeilen(const Text& text, int breite, std::int32_t nummerText) {
  std::vector<Ausgabezeile> out;
  std::vector<Lückeninfo> lücken;
  std::vector<Zeichen> zeile;
  int lücke = -1;
  bool offen = false;  // a line has begun
  for (const Stück& s : text.Stücke()) {
    switch (s.art) {
      case Stück::Art::Lauf: {
        std::size_t pos = 0;
        while (pos < s.text.size()) zeile.push_back({LiesUtf8(s.text, pos), lücke});
        offen = true;
        break;
      }
      case Stück::Art::Zeilenumbruch:
      case Stück::Art::Absatzende:
        Umbrechen(zeile, breite, nummerText, lücken, out);
        zeile.clear();
        offen = true;
        break;
      case Stück::Art::LückeAnfang:
        lücken.push_back({s.lücke == Lückenart::Bieter ? kZeileBieter : kZeileAuftraggeber, s.marke});
        lücke = static_cast<int>(lücken.size()) - 1;
        offen = true;
        break;
      case Stück::Art::LückeEnde:
        lücke = -1;
        break;
    }
  }
  if (offen) Umbrechen(zeile, breite, nummerText, lücken, out);
  return out;
}

}  // namespace gtc

#include "export/oz.h"

#include <cmath>

#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"

namespace gaeb {

namespace {

// Every "0" of a format replaced by the level character; other characters stay.
std::string Gruppe(const std::string& format, char ebene) {
  std::string g = format;
  for (char& c : g)
    if (c == '0') c = ebene;
  return g;
}

// Appends a group to the stored mask: read, append, store back.
void HängeAn(Belegdaten& b, const std::string& gruppe) { b.SetzeOZMaske(b.OZMaske() + gruppe); }

}  // namespace

bool Prüfe_OZMaske(const std::string& maske) {
  if (maske.find_first_of("GLTU") != std::string::npos) return false;
  return maske.find_first_of("123") != std::string::npos;
}

std::string Ermittle_OZMaske(Kontext& k) {
  std::string maske;
  Ignoriere([&] { maske = k.Beleg().OZMaske(); });
  if (Prüfe_OZMaske(maske)) {
    Ignoriere([&] { k.Beleg().SetzeOZMaske(maske.substr(0, maske.find('|'))); });
  } else if (maske.empty()) {
    Ignoriere([&] {
      Belegdaten& b = k.Beleg();
      const char* vorgabe = b.MitLosen()     ? kMaskeMitLosen
                            : b.MitGewerken() ? kMaskeMitGewerken
                            : b.MitTiteln()   ? kMaskeMitTiteln
                                              : kMaskeOhneStufen;
      b.SetzeOZMaske(vorgabe);
    });
  } else {
    // Rebuild from the formats: the used levels numbered from the outermost.
    Ignoriere([&] { k.Beleg().OZFormat().Laden(true); });
    Ignoriere([&] { k.Beleg().SetzeOZMaske(""); });
    Ignoriere([&] {
      Belegdaten& b = k.Beleg();
      OZFormatobjekt& f = b.OZFormat();
      if (b.MitLosen()) {
        HängeAn(b, Gruppe(f.LosFormat(), '1'));
        HängeAn(b, Gruppe(f.GewerkFormat(), '2'));
        HängeAn(b, Gruppe(f.TitelFormat(), '3'));
      } else if (b.MitGewerken()) {
        HängeAn(b, Gruppe(f.GewerkFormat(), '1'));
        HängeAn(b, Gruppe(f.TitelFormat(), '2'));
      } else if (b.MitTiteln()) {
        HängeAn(b, Gruppe(f.TitelFormat(), '1'));
      }
    });
    Ignoriere([&] { HängeAn(k.Beleg(), Gruppe(k.Beleg().OZFormat().PositionFormat(), 'P')); });
    Ignoriere([&] { HängeAn(k.Beleg(), Gruppe(k.Beleg().OZFormat().IndexFormat(), 'I')); });
    Ignoriere([&] {
      Belegdaten& b = k.Beleg();
      b.SetzeOZMaske(text::Links(b.OZMaske() + "00000000000000", 14));
    });
  }
  Ignoriere([&] { k.m_PosNr_Trennzeichen = k.Beleg().OZFormat().Trennzeichen(); });
  std::string ergebnis;
  Ignoriere([&] { ergebnis = k.Beleg().OZMaske(); });
  return ergebnis;
}

std::string OZMaske_Stufen(Kontext& k, const std::string& OZMaske) {
  // Five 16-bit counters; a counter that would overflow reports the error
  // and the count goes on with the next character.
  std::int16_t zähler[5] = {0, 0, 0, 0, 0};
  static constexpr char kZeichen[5] = {'1', '2', '3', 'P', 'I'};
  WeiterBeiFehler weiter(k, "OZMaske_Stufen");
  for (char c : OZMaske) {
    for (int i = 0; i < 5; ++i) {
      if (c != kZeichen[i]) continue;
      weiter([&] {
        if (zähler[i] == INT16_MAX) throw Fehler(kFehlerÜberlauf, "Überlauf");
        ++zähler[i];
      });
    }
  }
  std::string s;
  for (std::int16_t z : zähler) s += std::to_string(z);
  return s;
}

std::string Format_PosNr(Kontext& k, const std::string& s) {
  std::string ergebnis;
  Geschützt(k, "Format_PosNr", [&] {
    const std::string& trenn = k.m_PosNr_Trennzeichen;
    std::size_t pos = 0;
    while (pos < s.size()) {
      std::size_t n = text::ZeichenBytes(std::string_view(s).substr(pos));
      std::string_view zeichen = std::string_view(s).substr(pos, n);
      if (zeichen != trenn) ergebnis.append(zeichen);
      pos += n;
    }
  });
  return ergebnis;
}

std::string Feld_String(Kontext& k, const std::string& text, const std::int16_t& width) {
  std::string ergebnis;
  Geschützt(k, "Feld_String", [&] {
    if (width < 0) throw Fehler(kFehlerUngültigerAufruf, "Ungültiger Prozeduraufruf oder ungültiges Argument");
    std::size_t w = static_cast<std::size_t>(width);
    std::size_t länge = text::Länge(text);
    if (länge > w) {
      ergebnis = text::Links(text, w);
    } else {
      ergebnis = text + text::Leer(w - länge);
    }
  });
  return ergebnis;
}

std::string Feld_Num(Kontext& k, std::string s) {
  std::string ergebnis;
  Geschützt(k, "Feld_Num", [&] {
    if (!s.empty() && s[0] == '-') s.erase(0, 1);
    std::size_t komma = s.find(',');
    if (komma != std::string::npos) s.erase(komma, 1);
    ergebnis = s;
  });
  return ergebnis;
}

std::string FormatZahlFeld(double value, std::string_view mask, int vorkomma) {
  if (vorkomma < 0) {
    vorkomma = 0;
    for (char c : mask.substr(0, mask.find_first_of(".;")))
      if (c == '0' || c == '#') ++vorkomma;
  }
  const std::string s = std::isfinite(value) ? FormatZahl(value, mask) : "unendlich";
  // The integer digits of the written value, leading zeros not counted.
  const std::string& komma = AktuelleRegion().dezimaltrennzeichen;
  int ziffern = 0;
  bool bedeutsam = false;
  for (char c : std::string_view(s).substr(0, komma.empty() ? std::string::npos : s.find(komma))) {
    if (c >= '1' && c <= '9') bedeutsam = true;
    if (bedeutsam && c >= '0' && c <= '9') ++ziffern;
  }
  if (!std::isfinite(value) || ziffern > vorkomma)
    throw Fehler(kFehlerÜberlauf, "Der Wert " + (std::isfinite(value) ? ZahlText(value) : s) + " passt nicht in " +
                                      std::to_string(vorkomma) + " Stellen vor dem Komma");
  return s;
}

}  // namespace gaeb

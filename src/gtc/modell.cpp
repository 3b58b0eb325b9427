// The text model and the message list of the converter (see modell.h).
#include "gtc/modell.h"

#include <algorithm>

#include "gtc/zeichen.h"

namespace gtc {

// A run of the same style as the last piece extends it; the text of a new
// run is copied only when a piece has to be started.
bool Text::Verlängere(std::string_view utf8, Stil stil) {
  if (stücke_.empty() || stücke_.back().art != Stück::Art::Lauf || stücke_.back().stil != stil) return false;
  stücke_.back().text.append(utf8);
  return true;
}

void Text::Lauf(std::string_view utf8, Stil stil) {
  if (utf8.empty() || Verlängere(utf8, stil)) return;
  Lauf(std::string(utf8), stil);
}

void Text::Lauf(std::string&& utf8, Stil stil) {
  if (utf8.empty() || Verlängere(utf8, stil)) return;
  Stück s;
  s.art = Stück::Art::Lauf;
  s.text = std::move(utf8);
  s.stil = stil;
  stücke_.push_back(std::move(s));
}

void Text::Zeilenumbruch() {
  Stück s;
  s.art = Stück::Art::Zeilenumbruch;
  stücke_.push_back(s);
}

void Text::Absatzende() {
  Stück s;
  s.art = Stück::Art::Absatzende;
  stücke_.push_back(s);
}

void Text::LückeAnfang(Lückenart art, std::int64_t marke) {
  if (lückeOffen_) return;
  Stück s;
  s.art = Stück::Art::LückeAnfang;
  s.lücke = art;
  s.marke = marke;
  stücke_.push_back(s);
  lückeOffen_ = true;
}

void Text::LückeEnde() {
  if (!lückeOffen_) return;
  Stück s;
  s.art = Stück::Art::LückeEnde;
  stücke_.push_back(s);
  lückeOffen_ = false;
}

void Text::Abschließen() {
  LückeEnde();
  if (!stücke_.empty() && stücke_.back().art == Stück::Art::Absatzende) stücke_.pop_back();
}

bool Text::OhneInhalt() const {
  return std::all_of(stücke_.begin(), stücke_.end(), [](const Stück& s) {
    return s.art == Stück::Art::LückeAnfang || s.art == Stück::Art::LückeEnde;
  });
}

std::vector<Absatz> Text::Absätze() const {
  std::vector<Absatz> result;
  if (OhneInhalt()) return result;
  result.emplace_back();
  for (const Stück& s : stücke_) {
    switch (s.art) {
      case Stück::Art::Absatzende:
        result.emplace_back();
        break;
      case Stück::Art::Lauf:
        // Runs on both sides of a gap end may share a style: merge them.
        if (!result.back().empty() && result.back().back().art == Stück::Art::Lauf &&
            result.back().back().stil == s.stil) {
          result.back().back().text += s.text;
        } else {
          result.back().push_back(s);
        }
        break;
      case Stück::Art::Zeilenumbruch:
        result.back().push_back(s);
        break;
      case Stück::Art::LückeAnfang:
      case Stück::Art::LückeEnde:
        break;
    }
  }
  return result;
}

std::vector<Abschnitt> Text::Abschnitte() const {
  std::vector<Abschnitt> alle(1);
  alle.back().absätze.emplace_back();
  for (const Stück& s : stücke_) {
    switch (s.art) {
      case Stück::Art::Absatzende:
        alle.back().absätze.emplace_back();
        break;
      case Stück::Art::Lauf:
      case Stück::Art::Zeilenumbruch:
        alle.back().absätze.back().push_back(s);
        break;
      case Stück::Art::LückeAnfang:
        alle.emplace_back();
        alle.back().istLücke = true;
        alle.back().lücke = s.lücke;
        alle.back().marke = s.marke;
        alle.back().absätze.emplace_back();
        break;
      case Stück::Art::LückeEnde:
        alle.emplace_back();
        alle.back().absätze.emplace_back();
        break;
    }
  }
  std::vector<Abschnitt> result;
  for (Abschnitt& a : alle) {
    bool nichts = a.absätze.size() == 1 && a.absätze.front().empty();
    if (a.istLücke || !nichts) result.push_back(std::move(a));
  }
  return result;
}

Text Text::ErsteZeile(std::size_t maxZeichen) const {
  Text out;
  std::size_t rest = maxZeichen;
  for (const Stück& s : stücke_) {
    if (s.art == Stück::Art::Absatzende || s.art == Stück::Art::Zeilenumbruch) break;
    if (s.art != Stück::Art::Lauf) continue;
    std::size_t bytes = 0;
    while (bytes < s.text.size() && rest > 0) {
      LiesUtf8(s.text, bytes);
      --rest;
    }
    out.Lauf(std::string_view(s.text).substr(0, bytes), s.stil);
    if (rest == 0) break;
  }
  return out;
}

void Meldungen::Fehler(const std::string& text) {
  if (std::find(fehler_.begin(), fehler_.end(), text) == fehler_.end()) fehler_.push_back(text);
}

void Meldungen::Hinweis(const std::string& text) {
  if (std::find(hinweise_.begin(), hinweise_.end(), text) == hinweise_.end()) {
    hinweise_.push_back(text);
  }
}

void Meldungen::Übernimm(const Meldungen& andere) {
  for (const auto& f : andere.fehler_) Fehler(f);
  for (const auto& h : andere.hinweise_) Hinweis(h);
}

std::string Meldungen::AlsXml() const {
  if (Leer()) return {};
  std::string out = "<gtcerrors>";
  if (!fehler_.empty()) {
    out += "<errors>";
    for (const auto& f : fehler_) out += "<error>" + XmlMaskiert(f) + "</error>";
    out += "</errors>";
  }
  if (!hinweise_.empty()) {
    out += "<remarks>";
    for (const auto& h : hinweise_) out += "<remark>" + XmlMaskiert(h) + "</remark>";
    out += "</remarks>";
  }
  out += "</gtcerrors>";
  return out;
}

std::string XmlMaskiert(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

}  // namespace gtc

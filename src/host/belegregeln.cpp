// The rules of the document data object that need no database: the OZ
// formats read from a stored mask, the insert rules, and the formatting of
// the texts after an import.
#include <algorithm>

#include "base/text.h"
#include "host/belegdaten.h"

namespace gaeb::host {

namespace {

std::string OhneEndleerraum(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n' || s.back() == '\t')) s.pop_back();
  return s;
}

}  // namespace

OZFormate FormateAusMaske(const std::string& gespeichert) {
  OZFormate f;
  std::size_t bar = gespeichert.find('|');
  std::string maske = gespeichert.substr(0, bar);
  if (bar != std::string::npos) {
    std::size_t zweiter = gespeichert.find('|', bar + 1);
    f.trennzeichen = gespeichert.substr(bar + 1, zweiter == std::string::npos ? std::string::npos : zweiter - bar - 1);
  }
  auto zähle = [&](char c) { return static_cast<std::size_t>(std::count(maske.begin(), maske.end(), c)); };
  auto nullen = [](std::size_t n) { return std::string(n, '0'); };
  f.position = nullen(zähle('P'));
  f.index = nullen(zähle('I') + zähle('U'));
  std::size_t g = zähle('G'), l = zähle('L'), t = zähle('T');
  if (g + l + t > 0) {
    f.los = nullen(g);
    f.gewerk = nullen(l);
    f.titel = nullen(t);
  } else {
    // Digit notation: the used levels are numbered from the outermost one that exists.
    std::size_t d1 = zähle('1'), d2 = zähle('2'), d3 = zähle('3');
    if (d3 > 0) {
      f.los = nullen(d1);
      f.gewerk = nullen(d2);
      f.titel = nullen(d3);
    } else if (d2 > 0) {
      f.gewerk = nullen(d1);
      f.titel = nullen(d2);
    } else {
      f.titel = nullen(d1);
    }
  }
  return f;
}

void Einfügeregeln::Nach(std::int16_t art) {
  if (art == 20 || art == 21 || art == 22) {
    int l = art - 19;
    benutzt_[l] = offen_[l] = true;
    for (int tiefer = l + 1; tiefer <= 3; ++tiefer) offen_[tiefer] = false;
    ebene_ = static_cast<std::int16_t>(l);
  }
  letzteArt_ = art;
}

std::string Einfügeregeln::Grund(std::int16_t art) const {
  static const char* kStufe[] = {"", "Los", "Gewerk", "Titel"};
  switch (art) {
    case 20: case 21: case 22:
      for (int l = 1; l < art - 19; ++l)
        if (benutzt_[l] && !offen_[l])
          return std::string(kStufe[art - 19]) + " ohne offenes " + (l == 1 ? "Los" : "Gewerk") + " darüber";
      return {};
    case 40: case 45: case 50: case 60: case 70: case 80: return {};
    case 47: return letzteArt_ == 45 || letzteArt_ == 47 ? "" : "Paketteil ohne Paketkopf davor";
    default: return "Zeilenart " + std::to_string(art) + " gibt es nicht";
  }
}

void FormatierungHost::Init(const std::string&, Verbindung*, std::shared_ptr<HostObjekt>, std::shared_ptr<HostObjekt>) {}

bool FormatierungHost::Vorbereiten() { return true; }

void FormatierungHost::FormatiereAllePositionen(std::unique_ptr<Belegdaten>& beleg, std::int16_t, bool,
                                                bool& alleFormatiert) {
  alleFormatiert = false;
  if (!beleg) return;
  std::int32_t letzte = beleg->LetzterPositionsindex();
  for (std::int32_t i = 0; i <= letzte; ++i) {
    beleg->WählePosition(i);
    Belegposition& p = beleg->AktuellePosition();
    // The host keeps its texts with CR LF between the lines.
    for (const char* f : {"Kurztext1", "Kurztext3", "Langtext"})
      p.SetzeFeld(f, text::MitCrLf(OhneEndleerraum(p.Feld(f).ToString())));
  }
  alleFormatiert = true;
}

}  // namespace gaeb::host

// The tagged-text writer of the GAEB 2000 export: the line writer every line
// passes through (code page, begin/end counters, record number), the
// multi-line text attribute, the bill's totals and the file's way to the
// target.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/codepage.h"
#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "export/oz.h"
#include "gaeb2000/export.h"

namespace gaeb::gaeb2000 {

namespace {

// Bytes collected before they are handed to the sink.
constexpr std::size_t kPufferGröße = 1 << 16;

// True when s contains what, ASCII letters compared without case. The first
// character of what is no letter and is looked for as it stands.
bool EnthältOhneFall(std::string_view s, std::string_view what) {
  auto klein = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  std::size_t pos = s.find(what[0]);
  while (pos != std::string_view::npos && pos + what.size() <= s.size()) {
    std::size_t j = 1;
    while (j < what.size() && klein(s[pos + j]) == what[j]) ++j;
    if (j == what.size()) return true;
    pos = s.find(what[0], pos + 1);
  }
  return false;
}

bool NurAscii(std::string_view s) {
  // Eight bytes at a time: a byte of 0x80 or more has its top bit set.
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t acht;
    std::memcpy(&acht, s.data() + i, 8);
    if (acht & 0x8080808080808080ULL) return false;
  }
  for (; i < s.size(); ++i)
    if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
  return true;
}

}  // namespace

std::string Ermittle_Schlüssel(std::string_view roh) {
  // Most lines of a file are text lines without a tag or key.
  bool kandidat = false;
  for (char c : roh) {
    if (c == '#' || c == '[') {
      kandidat = true;
      break;
    }
  }
  if (!kandidat) return {};
  std::string ohneTab;
  std::string_view zeile = roh;
  if (roh.find('\t') != std::string_view::npos) {
    for (char c : roh)
      if (c != '\t') ohneTab.push_back(c);
    zeile = ohneTab;
  }
  while (!zeile.empty() && zeile.front() == ' ') zeile.remove_prefix(1);
  while (!zeile.empty() && zeile.back() == ' ') zeile.remove_suffix(1);
  if (zeile.find("##") != std::string_view::npos) return {};
  std::size_t start = zeile.find('#');
  if (start == std::string_view::npos) start = zeile.find('[');
  if (start == std::string_view::npos) return {};
  std::size_t ende = zeile.find(']', start);
  if (ende == std::string_view::npos) return {};
  std::string schlüssel(zeile.substr(start, ende - start + 1));
  for (char& c : schlüssel)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return schlüssel;
}

void Export::Leere() {
  if (bytes_.empty()) return;
  WeiterBeiFehler weiter(k_, "AusgabeDA2000_Zeile");
  weiter([&] {
    if (ausgabe_ == nullptr) throw Fehler(kFehlerDatei, "Keine Ausgabedatei geöffnet");
    ausgabe_->Schreibe(bytes_);
  });
  bytes_.clear();
}

bool Export::AusgabeDA2000_Zeile() {
  WeiterBeiFehler weiter(k_, "AusgabeDA2000_Zeile");
  // The line in the file's code page: 1252 for "ANSI", else the OEM page 850.
  weiter([&] {
    if (NurAscii(Zeilenpuffer)) {
      bytes_ += Zeilenpuffer;
    } else {
      Codepage cp = text::Gross(AusgabeZeichensatz) == "ANSI" ? Codepage::Cp1252 : Codepage::Cp850;
      NachCodepage(Zeilenpuffer, cp, bytes_);
    }
    bytes_ += "\r\n";
  });
  k_.satz.Satznummer += 1;
  if (EnthältOhneFall(Zeilenpuffer, "[end]")) ++AnzahlEndZeilen;
  if (EnthältOhneFall(Zeilenpuffer, "#begin")) ++AnzahlBeginZeilen;
  if (bytes_.size() >= kPufferGröße) Leere();
  Zeilenpuffer.clear();
  return true;
}

void Export::Zeile(std::size_t blanks, std::string_view text) {
  // Built in place: the buffer keeps its capacity from line to line.
  Zeilenpuffer.assign(blanks, ' ');
  Zeilenpuffer.append(text);
  AusgabeDA2000_Zeile();
}

void Export::PufferSchreiben() {
  if (!Zeilenpuffer.empty()) AusgabeDA2000_Zeile();
}

void Export::Attribut(std::size_t blanks, std::string_view schlüssel, std::string_view wert) {
  Zeilenpuffer.assign(blanks, ' ');
  Zeilenpuffer.append(schlüssel);
  // An attribute is one line: line breaks at the end of its value (a short
  // text that the description block left with its CR LF) are dropped, one
  // inside becomes a blank.
  if (text::Zeilenende(wert) == std::string_view::npos) {
    Zeilenpuffer.append(wert);
  } else {
    while (!wert.empty() && (wert.back() == '\r' || wert.back() == '\n')) wert.remove_suffix(1);
    Zeilenpuffer.append(text::EineZeile(wert));
  }
  Zeilenpuffer.append("[end]");
  AusgabeDA2000_Zeile();
}

void Export::TextZeilen(const std::string& text, std::size_t blanks) {
  // Every piece that a line break ends is one line; text carries its final
  // CR LF. A lone CR or LF, as older documents hold them, is a break too.
  const std::string_view t(text);
  std::size_t pos = 0;
  while (pos < t.size()) {
    std::size_t bruch = text::Zeilenende(t, pos);
    if (bruch == std::string_view::npos) bruch = t.size();
    Zeile(blanks, t.substr(pos, bruch - pos));
    pos = bruch + ((bruch + 1 < t.size() && t[bruch] == '\r' && t[bruch + 1] == '\n') ? 2 : 1);
  }
  Zeile(blanks, "[end]");
}

bool Export::Ausgabe_TEXT(std::string text, const std::string& schlüssel) {
  Geschützt(k_, "Ausgabe_TEXT", [&] {
    std::size_t blanks = static_cast<std::size_t>(Ebene() + 11);
    PufferSchreiben();
    Zeile(blanks, schlüssel);
    text += "\r\n";
    TextZeilen(text, blanks);
  });
  return true;
}

void Export::ÖffneZiel(const std::string& pfad) {
  // The lines go straight into the new file beside the target. A stream
  // target (a pipe, a device) gets the bytes only once they are complete,
  // from a temporary file; so does a target that cannot be made now, which
  // is tried again at the end.
  ziel_.reset();
  try {
    ziel_ = std::make_unique<Zieldatei>(pfad);
  } catch (const std::exception&) {
  }
  if (ziel_ != nullptr && !ziel_->Durchgereicht()) {
    SetzeAusgabe(ziel_.get());
    return;
  }
  zwischen_ = std::make_unique<Zwischendatei>(pfad);
  SetzeAusgabe(zwischen_.get());
}

void Export::LVSummenZeilen() {
  // Without reports: a total too wide for its field leaves the file
  // incomplete (Aktualisiere_LVInfo then keeps the target as it was).
  LVSummenspeicher& s = m_LVSummenspeicher;
  if (!m_MitPreise) s.Summe = s.Nachlassbetrag = s.SummeBrutto = s.UST = s.NachlassProz = s.NachlassAbs = 0;
  if (s.NachlassPositionsart == 70) s.NachlassProz = -s.NachlassProz;
  if (s.NachlassUnterart != 8) s.NachlassAbs = 0;
  if (s.NachlassUnterart == 8 && s.NachlassPositionsart == 70) s.NachlassAbs = -s.NachlassAbs;
  const std::string e15 = text::Leer(15);
  // The comment stands before the first total and counts as no line of the file.
  bytes_ += e15 + "## LV mit Preise(Gesamtsumme LV)\r\n";
  const struct {
    const char* schlüssel;
    double wert;
    const char* maske;
    int vorkomma;
  } summen[] = {{"[Summe]", s.Summe, "0.00", kVorkommaGeld},
                {"[NachlassProz]", s.NachlassProz, "0.00", kVorkommaProzent},
                {"[NachlassAbs]", s.NachlassAbs, "0.00", kVorkommaGeld},
                {"[SummeNachNL]", s.Summe - s.Nachlassbetrag, "0.00", kVorkommaGeld},
                {"[SummePsch]", 0, "0.00", kVorkommaGeld},
                {"[UST]", s.UST, "00.00", kVorkommaProzent},
                {"[SummeBrutto]", s.SummeBrutto, "0.00", kVorkommaGeld}};
  for (const auto& summe : summen) {
    std::string wert;
    try {
      wert = FormatZahlFeld(summe.wert, summe.maske, summe.vorkomma);
    } catch (const std::exception&) {
      m_LVSummenFehlerhaft = true;
    }
    Zeile(15, std::string(summe.schlüssel) + wert + "[end]");
  }
}

bool Export::Aktualisiere_LVInfo(const std::string& pfad) {
  // Reports nothing. A file that does not come out whole is noted for the
  // host (Kontext::ausgabeUnvollständig) and the target keeps what it held.
  try {
    if (m_LVSummenFehlerhaft) throw Fehler(kFehlerÜberlauf, "Summe zu breit");
    if (zwischen_ != nullptr) {
      std::FILE* ein = zwischen_->Lesen();
      if (ziel_ == nullptr) ziel_ = std::make_unique<Zieldatei>(pfad);
      std::string puffer(kPufferGröße, '\0');
      std::size_t n;
      while ((n = std::fread(puffer.data(), 1, puffer.size(), ein)) > 0) ziel_->Schreibe(std::string_view(puffer.data(), n));
      if (std::ferror(ein) != 0) throw Fehler(kFehlerDatei, "Lesefehler in " + zwischen_->Pfad());
    }
    if (ziel_ == nullptr) throw Fehler(kFehlerDatei, "Keine Ausgabedatei geöffnet");
    ziel_->Übernimm();
    return true;
  } catch (const std::exception&) {
    ziel_.reset();
    k_.ausgabeUnvollständig = true;
    return false;
  }
}

}  // namespace gaeb::gaeb2000

// The tagged-text writer of the GAEB 2000 export: the line writer every line
// passes through (code page, begin/end counters, record number), the
// multi-line text attribute, and the finishing pass that copies the temporary
// file to the target with the LV totals filled in.
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
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Reads a file line by line: a line ends at CR (with an LF after it) or at the
// end of the file; a lone LF stays inside the line.
class Zeilenleser {
 public:
  explicit Zeilenleser(std::FILE* f) : f_(f) {}

  bool Nächste(std::string& zeile) {
    zeile.clear();
    bool etwas = false;
    for (;;) {
      if (pos_ == len_) {
        len_ = std::fread(puffer_, 1, sizeof puffer_, f_);
        pos_ = 0;
        if (len_ == 0) return etwas;
      }
      if (nachCR_) {
        nachCR_ = false;
        if (puffer_[pos_] == '\n') {
          ++pos_;
          continue;
        }
      }
      etwas = true;
      const char* start = puffer_ + pos_;
      const void* cr = std::memchr(start, '\r', len_ - pos_);
      if (cr == nullptr) {
        zeile.append(start, len_ - pos_);
        pos_ = len_;
        continue;
      }
      std::size_t n = static_cast<const char*>(cr) - start;
      zeile.append(start, n);
      pos_ += n + 1;
      nachCR_ = true;
      return true;
    }
  }

 private:
  std::FILE* f_;
  char puffer_[1 << 16];
  std::size_t pos_ = 0, len_ = 0;
  bool nachCR_ = false;
};

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
  if (wert.find_first_of("\r\n") == std::string_view::npos) {
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
    std::size_t bruch = t.find_first_of("\r\n", pos);
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

bool Export::Aktualisiere_LVInfo(std::string pfad) {
  // Resume next without reports: whatever fails is skipped. A copy that does
  // not come out whole is noted for the host (Kontext::ausgabeUnvollständig)
  // and the target keeps what it held.
  std::FILE* ein = nullptr;
  std::unique_ptr<Zieldatei> aus;
  try {
    if (zwischen_ == nullptr) throw Fehler(kFehlerDatei, "Keine Ausgabedatei geöffnet");
    ein = zwischen_->Lesen();
    aus = std::make_unique<Zieldatei>(pfad);
  } catch (const std::exception&) {
    k_.ausgabeUnvollständig = true;
    return false;
  }
  bool ganz = true;
  LVSummenspeicher& s = m_LVSummenspeicher;
  const std::string e15 = text::Leer(15);
  // The lines are collected and handed to the file in large pieces.
  std::string ausPuffer;
  ausPuffer.reserve(kPufferGröße + 4096);
  auto schreibe = [&](std::string_view z) {
    ausPuffer.append(z).append("\r\n");
    if (ausPuffer.size() >= kPufferGröße) {
      aus->Schreibe(ausPuffer);
      ausPuffer.clear();
    }
  };
  auto betrag = [&](const char* schlüssel, double wert, const char* maske, int vorkomma = kVorkommaGeld) {
    schreibe(e15 + schlüssel + FormatZahlFeld(wert, maske, vorkomma) + "[end]");
  };

  try {
    bool inLVInfo = false;
    Zeilenleser leser(ein);
    std::string zeile;
    while (leser.Nächste(zeile)) {
      std::string schlüssel;
      Ignoriere([&] { schlüssel = Ermittle_Schlüssel(zeile); });
      if (schlüssel == "#BEGIN[LVINFO]") {
        inLVInfo = true;
        if (!m_MitPreise) {
          s.Summe = s.Nachlassbetrag = s.SummeBrutto = s.UST = s.NachlassProz = s.NachlassAbs = 0;
        }
        schreibe(zeile);
      } else if (schlüssel == "#END[LVINFO]") {
        inLVInfo = false;
        schreibe(zeile);
      } else if (!inLVInfo) {
        schreibe(zeile);
      } else if (schlüssel == "[SUMME]") {
        schreibe(e15 + "## LV mit Preise(Gesamtsumme LV)");
        betrag("[Summe]", s.Summe, "0.00");
      } else if (schlüssel == "[NACHLASSPROZ]") {
        if (s.NachlassPositionsart == 70) s.NachlassProz = -s.NachlassProz;
        betrag("[NachlassProz]", s.NachlassProz, "0.00", kVorkommaProzent);
      } else if (schlüssel == "[NACHLASSABS]") {
        if (s.NachlassUnterart != 8) {
          betrag("[NachlassAbs]", 0, "0.00");
        } else {
          if (s.NachlassPositionsart == 70) s.NachlassAbs = -s.NachlassAbs;
          betrag("[NachlassAbs]", s.NachlassAbs, "0.00");
        }
      } else if (schlüssel == "[SUMMENACHNL]") {
        betrag("[SummeNachNL]", s.Summe - s.Nachlassbetrag, "0.00");
      } else if (schlüssel == "[SUMMEPSCH]") {
        betrag("[SummePsch]", 0, "0.00");
      } else if (schlüssel == "[UST]") {
        betrag("[UST]", s.UST, "00.00", kVorkommaProzent);
      } else if (schlüssel == "[SUMMEBRUTTO]") {
        betrag("[SummeBrutto]", s.SummeBrutto, "0.00");
      } else {
        schreibe(zeile);
      }
    }
    aus->Schreibe(ausPuffer);
    if (std::ferror(ein) != 0) throw Fehler(kFehlerDatei, "Lesefehler in " + zwischen_->Pfad());
    aus->Übernimm();
  } catch (const std::exception&) {
    ganz = false;
  }
  if (!ganz) k_.ausgabeUnvollständig = true;
  return ganz;
}

}  // namespace gaeb::gaeb2000

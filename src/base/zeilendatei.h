// Line output of the GAEB text formats: every line is converted into the
// file's code page and ends with CR LF. The writer borrows its sink, so tests
// write into memory and compare bytes, and an export writes into its target file (Zieldatei, base/zieldatei.h).
#pragma once

#include <string>
#include <string_view>

#include "base/codepage.h"

namespace gaeb {

// Where bytes go. Schreibe throws gaeb::Fehler when the bytes cannot be written.
class Ausgabe {
 public:
  virtual ~Ausgabe() = default;
  virtual void Schreibe(std::string_view bytes) = 0;
};

// Collects the bytes in memory.
class SpeicherAusgabe : public Ausgabe {
 public:
  void Schreibe(std::string_view bytes) override { daten_.append(bytes); }
  const std::string& Daten() const { return daten_; }

 private:
  std::string daten_;
};

// Writes UTF-8 lines as code-page bytes with CR LF.
class Zeilenschreiber {
 public:
  Zeilenschreiber(Ausgabe& ausgabe, Codepage cp) : ausgabe_(ausgabe), cp_(cp) {}

  void Zeile(std::string_view utf8);
  void SetzeCodepage(Codepage cp) { cp_ = cp; }
  Codepage codepage() const { return cp_; }
  long Zeilen() const { return zeilen_; }

 private:
  Ausgabe& ausgabe_;
  Codepage cp_;
  long zeilen_ = 0;
  std::string puffer_;
};

}  // namespace gaeb

// Line output of the GAEB text formats: every line is converted into the
// file's code page and ends with CR LF. The writer borrows its sink, so tests
// write into memory and compare bytes, and an export writes into a file.
#pragma once

#include <cstdio>
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

// Writes into a file that it creates (or truncates) on construction; throws
// gaeb::Fehler (75) when the file cannot be opened, written or closed.
class DateiAusgabe : public Ausgabe {
 public:
  explicit DateiAusgabe(const std::string& pfad);
  ~DateiAusgabe() override;
  DateiAusgabe(const DateiAusgabe&) = delete;
  DateiAusgabe& operator=(const DateiAusgabe&) = delete;

  void Schreibe(std::string_view bytes) override;
  // Flushes and closes; later writes fail. Throws when the data did not reach the disk.
  void Schließe();

 private:
  std::string pfad_;
  std::FILE* datei_ = nullptr;
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

#include "base/zeilendatei.h"

#include <cerrno>
#include <cstring>

#include "base/fehler.h"

namespace gaeb {

DateiAusgabe::DateiAusgabe(const std::string& pfad) : pfad_(pfad) {
  datei_ = std::fopen(pfad.c_str(), "wb");
  if (datei_ == nullptr)
    throw Fehler(kFehlerDatei, "Datei " + pfad + " kann nicht geschrieben werden: " + std::strerror(errno));
  // Files are written line by line: a larger buffer saves most system calls.
  std::setvbuf(datei_, nullptr, _IOFBF, 1 << 16);
}

DateiAusgabe::~DateiAusgabe() {
  if (datei_ != nullptr) std::fclose(datei_);
}

void DateiAusgabe::Schreibe(std::string_view bytes) {
  if (datei_ == nullptr) throw Fehler(kFehlerDatei, "Datei " + pfad_ + " ist geschlossen");
  if (std::fwrite(bytes.data(), 1, bytes.size(), datei_) != bytes.size())
    throw Fehler(kFehlerDatei, "Schreibfehler in " + pfad_ + ": " + std::strerror(errno));
}

void DateiAusgabe::Schließe() {
  if (datei_ == nullptr) return;
  int rc = std::fclose(datei_);
  datei_ = nullptr;
  if (rc != 0) throw Fehler(kFehlerDatei, "Schreibfehler in " + pfad_ + ": " + std::strerror(errno));
}

void Zeilenschreiber::Zeile(std::string_view utf8) {
  puffer_ = NachCodepage(utf8, cp_);
  puffer_ += "\r\n";
  ausgabe_.Schreibe(puffer_);
  ++zeilen_;
}

}  // namespace gaeb

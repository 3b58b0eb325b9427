// The one way every export writes its file. The bytes go into a new file
// next to the target, created exclusively and never through a symbolic link;
// only when the file is whole is it flushed to the disk and renamed over the
// target. Until then the target keeps what it held, and a run that fails (or
// is killed) never leaves a truncated target behind. Nothing but a regular file
// is ever replaced: a character device or a pipe at the target (/dev/null, a
// process substitution) is written through without touching its node; a
// folder, a symbolic link to anything else, a block device or a socket is
// refused with the reason.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "base/zeilendatei.h"

namespace gaeb {

class Zieldatei : public Ausgabe {
 public:
  // Why `ziel` cannot be written (a German sentence naming the path), or the
  // empty string when it can. Callers ask before doing work for the file.
  static std::string Hindernis(const std::string& ziel);

  // Creates the new file beside `ziel` (or opens the device or pipe); throws
  // gaeb::Fehler (75) with the reason when that is not possible.
  explicit Zieldatei(const std::string& ziel);
  // Removes the new file when it was not taken over; the target stays as it was.
  ~Zieldatei() override;
  Zieldatei(const Zieldatei&) = delete;
  Zieldatei& operator=(const Zieldatei&) = delete;

  void Schreibe(std::string_view bytes) override;
  // Flushes the file to the disk and renames it over the target (a device or
  // pipe is flushed and closed). Throws gaeb::Fehler (75) when the data did not
  // reach its place; the new file is then removed and the target left alone.
  // Later writes fail; a second call does nothing.
  void Übernimm();
  // Removes the new file; the target stays as it was.
  void Verwirf();

  const std::string& Ziel() const { return ziel_; }
  // True while bytes go straight into a device or pipe.
  bool Durchgereicht() const { return durchgereicht_; }

 private:
  std::string ziel_, neu_;  // neu_: the new file's path, empty when written through
  std::FILE* datei_ = nullptr;
  bool durchgereicht_ = false;
};

// A scratch file for an export that writes its file in two passes: created
// exclusively beside the target (in the temporary folder when the target is a
// device or pipe), private to the user, read back through Lesen() and removed
// with the object.
class Zwischendatei : public Ausgabe {
 public:
  explicit Zwischendatei(const std::string& ziel);
  ~Zwischendatei() override;
  Zwischendatei(const Zwischendatei&) = delete;
  Zwischendatei& operator=(const Zwischendatei&) = delete;

  void Schreibe(std::string_view bytes) override;
  // Flushes what was written and returns the file, positioned at its start,
  // for reading. Throws gaeb::Fehler (75) when the flush fails.
  std::FILE* Lesen();
  const std::string& Pfad() const { return pfad_; }

 private:
  std::string pfad_;
  std::FILE* datei_ = nullptr;
};

}  // namespace gaeb

#include "base/zieldatei.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "base/fehler.h"

namespace gaeb {

namespace {

constexpr std::size_t kPuffer = 1 << 16;  // files are written line by line: a large buffer saves system calls

std::string Kopf(const std::string& ziel) { return "Datei " + ziel + " kann nicht geschrieben werden: "; }

std::string Ordner(const std::string& ziel) {
  const std::filesystem::path p(ziel);
  return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

// A device or pipe takes the bytes as a stream: it is written through, its node stays.
bool IstStrom(mode_t m) { return S_ISCHR(m) || S_ISFIFO(m); }

// True when `ziel` is a stream, directly or through a symbolic link.
bool ZielIstStrom(const std::string& ziel) {
  struct stat st {};
  return ::stat(ziel.c_str(), &st) == 0 && IstStrom(st.st_mode);
}

// Creates a new file with a name no one else holds in `ordner`, never through
// a symbolic link; its path goes to `pfad`.
int ErzeugeExklusiv(const std::string& ordner, const std::string& name, int zugriff, mode_t modus,
                    std::string& pfad) {
  static thread_local std::mt19937_64 zufall{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
  static constexpr char kZeichen[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  // Long names are shortened so that the suffix still fits into a name.
  const std::string basis = ordner + "/." + name.substr(0, 200) + ".";
  for (int versuch = 0; versuch < 100; ++versuch) {
    pfad = basis;
    for (int i = 0; i < 8; ++i) pfad += kZeichen[zufall() % (sizeof kZeichen - 1)];
    const int fd = ::open(pfad.c_str(), zugriff | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, modus);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  const int fehler = errno;
  pfad.clear();
  throw Fehler(kFehlerDatei, "Datei kann nicht in " + ordner + " angelegt werden: " + std::strerror(fehler));
}

std::FILE* Strom(int fd, const char* modus, const std::string& pfad) {
  std::FILE* f = ::fdopen(fd, modus);
  if (f == nullptr) {
    const int fehler = errno;
    ::close(fd);
    throw Fehler(kFehlerDatei, Kopf(pfad) + std::strerror(fehler));
  }
  std::setvbuf(f, nullptr, _IOFBF, kPuffer);
  return f;
}

void Schreibe(std::FILE* f, std::string_view bytes, const std::string& pfad) {
  if (f == nullptr) throw Fehler(kFehlerDatei, "Datei " + pfad + " ist geschlossen");
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
    throw Fehler(kFehlerDatei, "Schreibfehler in " + pfad + ": " + std::strerror(errno));
}

}  // namespace

std::string Zieldatei::Hindernis(const std::string& ziel) {
  if (ziel.empty()) return "Kein Dateiname angegeben";
  struct stat st {};
  if (::lstat(ziel.c_str(), &st) == 0) {
    if (IstStrom(st.st_mode)) return ::access(ziel.c_str(), W_OK) == 0 ? "" : Kopf(ziel) + std::strerror(errno);
    if (S_ISLNK(st.st_mode)) {
      if (ZielIstStrom(ziel)) return ::access(ziel.c_str(), W_OK) == 0 ? "" : Kopf(ziel) + std::strerror(errno);
      return Kopf(ziel) + "das Ziel ist eine symbolische Verknüpfung";
    }
    if (S_ISDIR(st.st_mode)) return Kopf(ziel) + "das Ziel ist ein Ordner";
    if (!S_ISREG(st.st_mode)) return Kopf(ziel) + "das Ziel ist keine gewöhnliche Datei";
  } else if (errno != ENOENT) {
    return Kopf(ziel) + std::strerror(errno);
  }
  // A regular file or none: the new file is made in the folder and renamed there.
  const std::string ordner = Ordner(ziel);
  struct stat o {};
  if (::stat(ordner.c_str(), &o) != 0 || !S_ISDIR(o.st_mode) || ::access(ordner.c_str(), W_OK | X_OK) != 0)
    return Kopf(ziel) + "der Ordner fehlt oder ist nicht beschreibbar";
  return "";
}

Zieldatei::Zieldatei(const std::string& ziel) : ziel_(ziel) {
  const std::string grund = Hindernis(ziel);
  if (!grund.empty()) throw Fehler(kFehlerDatei, grund);
  int fd = -1;
  if (ZielIstStrom(ziel)) {
    fd = ::open(ziel.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw Fehler(kFehlerDatei, Kopf(ziel) + std::strerror(errno));
    struct stat st {};
    // The node may have changed since the check: only a stream is written through.
    if (::fstat(fd, &st) != 0 || !IstStrom(st.st_mode)) {
      ::close(fd);
      throw Fehler(kFehlerDatei, Kopf(ziel) + "das Ziel ist keine gewöhnliche Datei");
    }
    durchgereicht_ = true;
  } else {
    fd = ErzeugeExklusiv(Ordner(ziel), std::filesystem::path(ziel).filename().string(), O_WRONLY, 0666, neu_);
  }
  try {
    datei_ = Strom(fd, "wb", ziel);
  } catch (...) {
    Verwirf();
    throw;
  }
}

Zieldatei::~Zieldatei() { Verwirf(); }

void Zieldatei::Schreibe(std::string_view bytes) { gaeb::Schreibe(datei_, bytes, ziel_); }

void Zieldatei::Übernimm() {
  if (datei_ == nullptr) return;
  int fehler = 0;
  if (std::fflush(datei_) != 0) fehler = errno;
  // A device or pipe cannot be synced; a file must be on the disk before its name is.
  if (fehler == 0 && !durchgereicht_ && ::fsync(::fileno(datei_)) != 0) fehler = errno;
  if (std::fclose(datei_) != 0 && fehler == 0) fehler = errno;
  datei_ = nullptr;
  if (fehler != 0) {
    Verwirf();
    throw Fehler(kFehlerDatei, "Schreibfehler in " + ziel_ + ": " + std::strerror(fehler));
  }
  if (durchgereicht_) return;
  // What stands at the target now must still be a regular file (or nothing) to be replaced.
  struct stat st {};
  if (::lstat(ziel_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    Verwirf();
    throw Fehler(kFehlerDatei, Kopf(ziel_) + "das Ziel ist keine gewöhnliche Datei mehr");
  }
  if (::rename(neu_.c_str(), ziel_.c_str()) != 0) {
    fehler = errno;
    Verwirf();
    throw Fehler(kFehlerDatei, Kopf(ziel_) + std::strerror(fehler));
  }
  neu_.clear();
  // The new name reaches the disk with its folder.
  const int ordner = ::open(Ordner(ziel_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (ordner >= 0) {
    ::fsync(ordner);
    ::close(ordner);
  }
}

void Zieldatei::Verwirf() {
  if (datei_ != nullptr) std::fclose(datei_);
  datei_ = nullptr;
  if (!neu_.empty()) ::unlink(neu_.c_str());
  neu_.clear();
}

Zwischendatei::Zwischendatei(const std::string& ziel) {
  // Beside the target, where the finished file will be made; for a stream
  // target in the temporary folder.
  const std::string ordner =
      ZielIstStrom(ziel) ? std::filesystem::temp_directory_path().string() : Ordner(ziel);
  const int fd = ErzeugeExklusiv(ordner, std::filesystem::path(ziel).filename().string(), O_RDWR, 0600, pfad_);
  try {
    datei_ = Strom(fd, "w+b", pfad_);
  } catch (...) {
    ::unlink(pfad_.c_str());
    throw;
  }
}

Zwischendatei::~Zwischendatei() {
  if (datei_ != nullptr) std::fclose(datei_);
  ::unlink(pfad_.c_str());
}

void Zwischendatei::Schreibe(std::string_view bytes) { gaeb::Schreibe(datei_, bytes, pfad_); }

std::FILE* Zwischendatei::Lesen() {
  if (std::fflush(datei_) != 0) throw Fehler(kFehlerDatei, "Schreibfehler in " + pfad_ + ": " + std::strerror(errno));
  std::rewind(datei_);
  return datei_;
}

}  // namespace gaeb

// The one exception type of the project. Host calls, I/O and conversions throw
// it; every public procedure of the component catches it in one place and
// reports it, so it never reaches the host.
#pragma once

#include <stdexcept>
#include <string>

namespace gaeb {

class Fehler : public std::runtime_error {
 public:
  Fehler(long nummer, const std::string& beschreibung)
      : std::runtime_error(beschreibung), nummer_(nummer) {}

  long Nummer() const { return nummer_; }
  std::string Beschreibung() const { return what(); }

 private:
  long nummer_;
};

// Run-time error numbers of the platform that the component raises itself.
inline constexpr long kFehlerUngültigerAufruf = 5;   // invalid procedure call or argument
inline constexpr long kFehlerÜberlauf = 6;           // overflow
inline constexpr long kFehlerTypen = 13;             // type mismatch
inline constexpr long kFehlerDatei = 75;             // path/file access error
inline constexpr long kFehlerObjekt = 91;            // object variable not set
inline constexpr long kFehlerHost = 3001;            // failure inside a host object

}  // namespace gaeb

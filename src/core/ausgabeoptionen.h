// The optional arguments every export procedure takes after document, target
// file and data phase. Omitted arguments count as False (and empty).
#pragma once

#include <string>

namespace gaeb {

struct Ausgabeoptionen {
  bool chkMitPreise = false;                // write prices
  bool chkPaketalsLeistung = false;         // write package heads as plain items, without their parts
  bool AusgabeLandeswährung = false;        // write amounts in the home currency
  bool chkMitZeiten = false;                // write time values
  bool chkMitRTFAusgabe = false;            // take the RTF variants of texts
  bool chkMitArtikelnummerAusgabe = false;  // write article numbers
  std::string AnzArrayERGString;            // GAEB 90 data types 11 and 12: results split at "|"
};

}  // namespace gaeb

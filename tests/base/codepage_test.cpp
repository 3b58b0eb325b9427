// Code pages 850 and 1252: the bytes of the German letters, and a close
// character, one byte each, for what a page lacks.
#include "base/codepage.h"

#include <gtest/gtest.h>

namespace gaeb {
namespace {

TEST(Codepage, BytesOfBothPagesAndBack) {
  struct Fall {
    Codepage cp;
    const char* utf8;
    const char* bytes;
  } fälle[] = {
      {Codepage::Cp850, "äöüßÄÖÜ", "\x84\x94\x81\xE1\x8E\x99\x9A"},
      {Codepage::Cp850, "§ é·", "\xF5 \x82\xFA"},
      {Codepage::Cp1252, "äöüßÄÖÜ€", "\xE4\xF6\xFC\xDF\xC4\xD6\xDC\x80"},
      {Codepage::Cp1252, "Šž„…", "\x8A\x9E\x84\x85"},  // 1252 has these itself
  };
  for (const Fall& f : fälle) {
    EXPECT_EQ(NachCodepage(f.utf8, f.cp), f.bytes) << f.utf8;
    EXPECT_EQ(AusCodepage(f.bytes, f.cp), f.utf8) << f.utf8;
  }
  EXPECT_EQ(NachCodepage("x", Codepage::Utf8), "x");
}

TEST(Codepage, MissingCharactersBecomeACloseOne) {
  struct Fall {
    Codepage cp;
    const char* utf8;
    const char* bytes;
  } fälle[] = {
      {Codepage::Cp850, "Dvořák Łódź Gödöllő Škoda", "Dvor\xA0k L\xA2" "dz G\x94" "d\x94llo Skoda"},
      {Codepage::Cp1252, "Dvořák Łódź Gödöllő Škoda", "Dvor\xE1k L\xF3" "dz G\xF6" "d\xF6llo \x8Akoda"},
      {Codepage::Cp850, "„a“ ‚b‘ c–d—e … ≥ ≤ € •", "\"a\" 'b' c-d-e . > < E \xFA"},
      {Codepage::Cp1252, "Ș ț ǎ ≠ ‰", "S t a = \x89"},
      {Codepage::Cp850, "≈‰™†⁄ǍǏǐǑǒǓǜ", "~%T+/AIiOoUu"},
      {Codepage::Cp1252, "Жx", "?x"},      // no close character
      {Codepage::Cp1252, "a\xFFz", "a?z"},  // broken UTF-8
  };
  for (const Fall& f : fälle) EXPECT_EQ(NachCodepage(f.utf8, f.cp), f.bytes) << f.utf8;
}

}  // namespace
}  // namespace gaeb

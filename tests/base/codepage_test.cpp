// Code pages 850 and 1252: the bytes of the German letters, one byte per character.
#include "base/codepage.h"

#include <gtest/gtest.h>

namespace gaeb {
namespace {

TEST(Codepage, GermanLettersIn850) {
  EXPECT_EQ(NachCodepage("äöüß", Codepage::Cp850), "\x84\x94\x81\xE1");
  EXPECT_EQ(NachCodepage("ÄÖÜ", Codepage::Cp850), "\x8E\x99\x9A");
  EXPECT_EQ(NachCodepage("§ é", Codepage::Cp850), "\xF5 \x82");
  EXPECT_EQ(AusCodepage("\x84\x94\x81\xE1", Codepage::Cp850), "äöüß");
}

TEST(Codepage, GermanLettersIn1252) {
  EXPECT_EQ(NachCodepage("äöüßÄÖÜ€", Codepage::Cp1252), "\xE4\xF6\xFC\xDF\xC4\xD6\xDC\x80");
  EXPECT_EQ(AusCodepage("\xE4\x80", Codepage::Cp1252), "ä€");
}

TEST(Codepage, MissingCharactersBecomeOneByte) {
  // 850 has no euro sign and no typographic quotes; 1252 has no Cyrillic.
  std::string s = NachCodepage("a€„b“ c", Codepage::Cp850);
  EXPECT_EQ(s.size(), 7u);
  EXPECT_EQ(s[0], 'a');
  EXPECT_EQ(s[6], 'c');
  EXPECT_EQ(NachCodepage("Жx", Codepage::Cp1252), "?x");
  // Broken UTF-8 does not produce broken output either.
  EXPECT_EQ(NachCodepage("a\xFFz", Codepage::Cp1252), "a?z");
  EXPECT_EQ(NachCodepage("x", Codepage::Utf8), "x");
}

}  // namespace
}  // namespace gaeb

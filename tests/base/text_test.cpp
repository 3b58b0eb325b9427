// Character-based text functions on texts with umlauts and broken bytes.
#include "base/text.h"

#include <gtest/gtest.h>

namespace gaeb::text {
namespace {

TEST(Text, CountsAndCutsCharactersNotBytes) {
  const std::string s = "Bäckerstraße";  // 12 characters, 14 bytes
  EXPECT_EQ(Länge(s), 12u);
  EXPECT_EQ(Links(s, 2), "Bä");
  EXPECT_EQ(Links(s, 50), s);
  EXPECT_EQ(Rechts(s, 3), "aße");
  EXPECT_EQ(Mitte(s, 2, 3), "äck");
  EXPECT_EQ(Mitte(s, 11), "ße");
  EXPECT_EQ(Mitte(s, 13), "");
  EXPECT_EQ(Zeichen(s, 11), "ß");
  EXPECT_EQ(Zeichen(s, 13), "");
  EXPECT_EQ(Links("", 3), "");
}

TEST(Text, FindIsOneBasedAndCharacterCounted) {
  EXPECT_EQ(Finde("Größe|x", "|"), 6u);
  EXPECT_EQ(Finde("Größe|x|y", "|", 7), 8u);
  EXPECT_EQ(Finde("abc", "z"), 0u);
  EXPECT_EQ(Finde("abc", "", 2), 2u);
  EXPECT_EQ(Finde("abc", "a", 10), 0u);
}

TEST(Text, ReplaceTrimAndLineBreaks) {
  EXPECT_EQ(Ersetze("1.2.3", ".", ""), "123");
  EXPECT_EQ(Ersetze("aaa", "a", "aa"), "aaaaaa");  // no rescanning of the replacement
  EXPECT_EQ(Ersetze("abc", "", "x"), "abc");
  EXPECT_EQ(Trim("  ä b  "), "ä b");
  EXPECT_EQ(TrimLinks("  x "), "x ");
  EXPECT_EQ(TrimRechts("  x "), "  x");
  EXPECT_EQ(Trim("   "), "");
  // CR LF, a lone LF and a lone CR are one line break each.
  const struct {
    const char *ein, *crlf, *eineZeile;
  } umbrüche[] = {{"a\nb\r\nc\rd", "a\r\nb\r\nc\r\nd", "a b c d"},
                  {"\n\r", "\r\n\r\n", "  "},
                  {"\r\n\n", "\r\n\r\n", "  "},
                  {"ohne", "ohne", "ohne"}};
  for (const auto& u : umbrüche) {
    EXPECT_EQ(MitCrLf(u.ein), u.crlf) << u.ein;
    EXPECT_EQ(EineZeile(u.ein), u.eineZeile) << u.ein;
  }
}

TEST(Text, UpperAndLowerCaseHandleUmlauts) {
  EXPECT_EQ(Gross("[Hinweis] äöü éß"), "[HINWEIS] ÄÖÜ Éß");
  EXPECT_EQ(Klein("ÄÖÜ ABC"), "äöü abc");
  EXPECT_EQ(Gross("ÿ"), "Ÿ");
  EXPECT_EQ(Gross("€"), "€");
}

TEST(Text, BrokenUtf8CountsBytewiseAndSurvives) {
  const std::string kaputt = "a\xC3" "b\xFF";  // truncated sequence and an invalid byte
  EXPECT_FALSE(IstUtf8(kaputt));
  EXPECT_EQ(Länge(kaputt), 4u);
  EXPECT_EQ(Links(kaputt, 2), "a\xC3");
  EXPECT_EQ(Gross(kaputt), "A\xC3" "B\xFF");
  EXPECT_TRUE(IstUtf8("Grüße"));
  // Overlong encoding of "/" is not valid.
  EXPECT_FALSE(IstUtf8("\xC0\xAF"));
}

TEST(Text, Utf16KeepsSurrogatePairsAndReplacesBrokenBytes) {
  EXPECT_EQ(NachUtf16("aä€"), u"aä€");
  EXPECT_EQ(NachUtf16("\xF0\x9F\x98\x80"), std::u16string({char16_t(0xD83D), char16_t(0xDE00)}));
  EXPECT_EQ(NachUtf16("a\xFF" "b"), std::u16string({u'a', char16_t(0xFFFD), u'b'}));
}

TEST(Text, EncodeDecodeRoundTrip) {
  for (char32_t c : {U'A', U'ä', U'€', U'\U0001F600'}) {
    std::string s;
    Kodiere(c, s);
    std::size_t n = 0;
    EXPECT_EQ(Dekodiere(s, &n), c);
    EXPECT_EQ(n, s.size());
  }
}

}  // namespace
}  // namespace gaeb::text

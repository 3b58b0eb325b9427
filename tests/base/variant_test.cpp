// Variant conversions as the host's runtime does them.
#include "base/variant.h"

#include <gtest/gtest.h>

#include "base/fehler.h"

namespace gaeb {
namespace {

TEST(Variant, BooleanTextRoundTrip) {
  std::string wahr = Variant(true).ToString();
  EXPECT_EQ(wahr, "Wahr");
  EXPECT_TRUE(Variant(wahr).ToBool());
  EXPECT_FALSE(Variant(Variant(false).ToString()).ToBool());
  EXPECT_TRUE(Variant("true").ToBool());
  EXPECT_TRUE(Variant("FALSCH").ToBool() == false);
  EXPECT_TRUE(Variant("-1").ToBool());
  EXPECT_FALSE(Variant("0").ToBool());
  EXPECT_THROW(Variant("vielleicht").ToBool(), Fehler);
}

TEST(Variant, NumbersAndTexts) {
  EXPECT_EQ(Variant(std::int16_t{7}).ToString(), "7");
  EXPECT_EQ(Variant(2.5).ToString(), "2,5");
  EXPECT_DOUBLE_EQ(Variant("2,5").ToDouble(), 2.5);
  EXPECT_DOUBLE_EQ(Variant("1.234,5").ToDouble(), 1234.5);
  EXPECT_DOUBLE_EQ(Variant(" 3.25 ").ToDouble(), 3.25);
  EXPECT_DOUBLE_EQ(Variant(true).ToDouble(), -1.0);
  EXPECT_EQ(Variant(true).ToInt16(), -1);
  EXPECT_EQ(Variant().ToString(), "");
  EXPECT_TRUE(Variant().IstLeer());
  EXPECT_THROW(Variant("12a").ToDouble(), Fehler);
  EXPECT_THROW(Variant("").ToInt32(), Fehler);
}

TEST(Variant, IntegerConversionRoundsHalfToEvenAndChecksRange) {
  EXPECT_EQ(Variant(2.5).ToInt16(), 2);
  EXPECT_EQ(Variant(3.5).ToInt16(), 4);
  EXPECT_EQ(Variant(-2.5).ToInt32(), -2);
  EXPECT_EQ(Variant(32767.0).ToInt16(), 32767);
  try {
    Variant(40000.0).ToInt16();
    FAIL() << "no overflow";
  } catch (const Fehler& f) {
    EXPECT_EQ(f.Nummer(), kFehlerÜberlauf);
  }
  EXPECT_EQ(Variant(40000.0).ToInt32(), 40000);
}

}  // namespace
}  // namespace gaeb

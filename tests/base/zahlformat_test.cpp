// The number-mask formatter with the masks the exports use.
#include "base/zahlformat.h"

#include <gtest/gtest.h>

namespace gaeb {
namespace {

TEST(Zahlformat, MasksOfTheExportsWithGermanComma) {
  EXPECT_EQ(FormatZahl(1234.5, "#######0.000;-#######0.000;0.000"), "1234,500");
  EXPECT_EQ(FormatZahl(-1234.5, "#######0.000;-#######0.000;0.000"), "-1234,500");
  EXPECT_EQ(FormatZahl(0.0, "#######0.000;-#######0.000;0.000"), "0,000");
  EXPECT_EQ(FormatZahl(12.3, "0000000000.00"), "0000000012,30");
  EXPECT_EQ(FormatZahl(12.3, "00000000.000"), "00000012,300");
  EXPECT_EQ(FormatZahl(0.5, "0.00"), "0,50");
  EXPECT_EQ(FormatZahl(7, "000"), "007");
  EXPECT_EQ(FormatZahl(123456, "00"), "123456");  // more digits than placeholders: all written
  EXPECT_EQ(FormatZahl(19, "##0.00;-##0.00;0.00"), "19,00");
  EXPECT_EQ(FormatZahl(0.25, "#.##"), ",25");
  EXPECT_EQ(FormatZahl(3.1, "0.##"), "3,1");
  EXPECT_EQ(FormatZahl(3, "0.##"), "3,");
}

TEST(Zahlformat, RoundsHalvesAwayFromZeroAfterFifteenDigits) {
  EXPECT_EQ(FormatZahl(1.005, "0.00"), "1,01");  // 1.00499999999999989... in binary
  EXPECT_EQ(FormatZahl(2.5, "0"), "3");
  EXPECT_EQ(FormatZahl(3.5, "0"), "4");
  EXPECT_EQ(FormatZahl(-2.5, "0"), "-3");
  EXPECT_EQ(FormatZahl(0.125, "0.00"), "0,13");
  EXPECT_EQ(FormatZahl(9.995, "0.00"), "10,00");
  EXPECT_EQ(FormatZahl(999.9996, "0.000"), "1000,000");
  EXPECT_DOUBLE_EQ(Runde(1.005, 2), 1.01);
  EXPECT_DOUBLE_EQ(Runde(-0.5, 0), -1.0);
  EXPECT_DOUBLE_EQ(Runde(123.456, 1), 123.5);
}

TEST(Zahlformat, SectionsAndSigns) {
  // One section: the sign is added.
  EXPECT_EQ(FormatZahl(-5.5, "0.0"), "-5,5");
  // Negative section: its own characters carry the sign.
  EXPECT_EQ(FormatZahl(-5.5, "0.0;(0.0)"), "(5,5)");
  // Empty negative section falls back to the first with a sign.
  EXPECT_EQ(FormatZahl(-5.5, "0.0;;null"), "-5,5");
  EXPECT_EQ(FormatZahl(0.0, "0.0;;null"), "null");
  // A value that rounds to zero keeps its sign.
  EXPECT_EQ(FormatZahl(-0.001, "0.00"), "-0,00");
}

TEST(Zahlformat, RegionDecidesSeparators) {
  Regionaleinstellungen en{".", ","};
  EXPECT_EQ(FormatZahl(1234.5, "0.00", en), "1234.50");
  EXPECT_EQ(FormatZahl(1234567.891, "#,##0.00", en), "1,234,567.89");
  EXPECT_EQ(FormatZahl(1234567.891, "#,##0.00"), "1.234.567,89");
  EXPECT_EQ(ZahlText(1.5), "1,5");
  EXPECT_EQ(ZahlText(1.5, en), "1.5");
  EXPECT_EQ(ZahlText(0.1 + 0.2), "0,3");
  EXPECT_EQ(ZahlText(-20), "-20");
}

}  // namespace
}  // namespace gaeb

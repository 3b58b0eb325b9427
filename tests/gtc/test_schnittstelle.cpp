// Tests of the C interface itself: instance handles, the creation value,
// status values, null arguments and the lifetime of results.
#include <gtest/gtest.h>

#include <string>

#include "konverter.h"

namespace gtc_test {
namespace {

TEST(gtcSchnittstelle, InstanzenUndHandles) {
  EXPECT_EQ(gtcConvCreate(0), 0);
  EXPECT_EQ(gtcConvCreate(GTC_KENNUNG + 1), 0);
  std::int32_t a = gtcConvCreate(GTC_KENNUNG);
  std::int32_t b = gtcConvCreate(GTC_KENNUNG);
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(gtcConvFree(a), GTC_OK);
  // A freed handle is unknown to every call.
  const gtcWChar* x = nullptr;
  const gtcWChar* f = nullptr;
  const char* z = nullptr;
  EXPECT_EQ(gtcConvFree(a), GTC_UNBEKANNT);
  EXPECT_EQ(gtcRtfAddL(a, "x"), GTC_UNBEKANNT);
  EXPECT_EQ(gtcRtf2gxml(a, &x, &f, 0), GTC_UNBEKANNT);
  EXPECT_EQ(gtcAsciiClear(a), GTC_UNBEKANNT);
  EXPECT_EQ(gtcAsciiGetLineL(a, &z, nullptr, nullptr), GTC_UNBEKANNT);
  EXPECT_EQ(gtcConvFree(b), GTC_OK);
}

TEST(gtcSchnittstelle, NullArgumente) {
  Konverter k;
  // A null text counts as empty.
  EXPECT_EQ(gtcRtfAddL(k.h(), nullptr), GTC_OK);
  EXPECT_EQ(k.RtfNachXml().xml, Langtext("<Text/>"));
  EXPECT_EQ(gtcRtf2gxml(k.h(), nullptr, nullptr, 0), GTC_ARGUMENT);
  EXPECT_EQ(gtcAscii2gxml(k.h(), nullptr, nullptr), GTC_ARGUMENT);
  EXPECT_EQ(gtcGxml2RtfK(k.h(), nullptr, nullptr, nullptr), GTC_ARGUMENT);
  EXPECT_EQ(gtcGxml2Ascii(k.h(), nullptr, nullptr, 55), GTC_ARGUMENT);
  EXPECT_EQ(gtcAsciiGetLineK(k.h(), nullptr, nullptr, nullptr), GTC_ARGUMENT);
  // A null xml is an empty document: an error, no result.
  const char* rtf = reinterpret_cast<const char*>(1);
  const gtcWChar* f = nullptr;
  EXPECT_EQ(gtcGxml2RtfL(k.h(), nullptr, &rtf, -1, &f), GTC_OK);
  EXPECT_EQ(rtf, nullptr);
  EXPECT_NE(f, nullptr);
}

TEST(gtcSchnittstelle, ErgebnisseGehörenIhrerInstanz) {
  Konverter a;
  Konverter b;
  gtcRtfAddL(a.h(), "{\\rtf1 aaa}");
  gtcRtfAddL(b.h(), "{\\rtf1 bbb}");
  const gtcWChar* xa = nullptr;
  const gtcWChar* xb = nullptr;
  const gtcWChar* f = nullptr;
  gtcRtf2gxml(a.h(), &xa, &f, 0);
  gtcRtf2gxml(b.h(), &xb, &f, 0);
  // The result of a stays valid while b is used.
  EXPECT_NE(U8(xa).find("aaa"), std::string::npos);
  EXPECT_NE(U8(xb).find("bbb"), std::string::npos);
}

TEST(gtcSchnittstelle, ZeilenAbholen) {
  Konverter k;
  std::u16string xml = U16(Langtext("<Text>" + P(Span("eins")) + P(Span("zwei")) + "</Text>"));
  const gtcWChar* f = nullptr;
  ASSERT_EQ(gtcGxml2Ascii(k.h(), xml.c_str(), &f, 55), GTC_OK);
  const char* z = nullptr;
  std::int32_t code = 0;
  std::int32_t nummer = 0;
  EXPECT_EQ(gtcAsciiGetLineL(k.h(), &z, &code, &nummer), 0);
  EXPECT_STREQ(z, "eins\r\n");
  EXPECT_EQ(gtcAsciiGetLineL(k.h(), &z, nullptr, nullptr), 1);
  EXPECT_STREQ(z, "zwei\r\n");
  EXPECT_EQ(gtcAsciiGetLineL(k.h(), &z, &code, &nummer), -1);
  EXPECT_EQ(z, nullptr);
  EXPECT_EQ(gtcAsciiGetLineK(k.h(), &z, &code, &nummer), -1);
  // A new conversion starts the lines anew.
  ASSERT_EQ(gtcGxml2Ascii(k.h(), xml.c_str(), &f, 55), GTC_OK);
  EXPECT_EQ(gtcAsciiGetLineL(k.h(), &z, &code, &nummer), 0);
}

}  // namespace
}  // namespace gtc_test

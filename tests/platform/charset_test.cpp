#include "platform/charset.h"

#include <gtest/gtest.h>

namespace corvida {
namespace {

TEST(Charset, EveryByteRoundTripsThroughUnicodeAndUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b) {
    char32_t c = Windows1252ToUnicode(static_cast<uint8_t>(b));
    EXPECT_EQ(UnicodeToWindows1252(c), b) << b;
    all += static_cast<char>(b);
  }
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
}

TEST(Charset, KnownCharactersAndUndefinedPositions) {
  EXPECT_EQ(Windows1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(Windows1252ToUnicode(0x93), U'\u201C');
  EXPECT_EQ(Windows1252ToUnicode(0x81), U'\u221E');  // where Mac text puts infinity
  EXPECT_EQ(UnicodeToWindows1252(U'\u0100'), -1);
}

TEST(Charset, UnknownAndMalformedUtf8BecomesQuestionMarks) {
  EXPECT_EQ(Utf8ToWindows1252("A\xE4\xB8\xAD"
                              "B"),
            "A?B");                                       // a CJK character
  EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x98\x80"), "?");  // an emoji
  EXPECT_EQ(Utf8ToWindows1252("\xC3"), "?");              // truncated
  EXPECT_EQ(Utf8ToWindows1252("\xC0\xAF"
                              "x"),
            "??x");                                     // overlong
  EXPECT_EQ(Utf8ToWindows1252("\xED\xA0\x80"), "???");  // surrogate
  EXPECT_EQ(Utf8ToWindows1252("\xFF\xE2\x82"), "???");  // one mark per bad byte
  EXPECT_EQ(Utf8ToWindows1252(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace corvida

#include "stackfile/mactext.h"

#include <gtest/gtest.h>

namespace corvida {
namespace {

TEST(MacText, ConversionIsLosslessBothWays) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string windows = MacToWindows(all);
  EXPECT_EQ(windows.substr(0, 128), all.substr(0, 128));  // ASCII untouched
  EXPECT_EQ(WindowsToMac(windows), all);
  EXPECT_EQ(MacToWindows(WindowsToMac(all)), all);
  EXPECT_EQ(MacToWindows("\x80"), "\xC4");  // A with diaeresis
  EXPECT_EQ(MacToWindows("\xDB"), "\xA4");
  EXPECT_EQ(MacToUtf8("Caf\x8E \xD2x\xD3"), "Caf\xC3\xA9 \xE2\x80\x9Cx\xE2\x80\x9D");
}

TEST(MacText, CaseTables) {
  EXPECT_EQ(MacUpper(0x8A), 0x80);  // a with diaeresis
  EXPECT_EQ(MacLower(0x80), 0x8A);
  EXPECT_EQ(MacUpperNoAccents(0x8A), 'A');
  EXPECT_EQ(MacUpperNoAccents(0xA7), 0xA7);  // sharp s has no upper case
  EXPECT_EQ(MacUpper('q'), 'Q');
  EXPECT_EQ(MacLower('Q'), 'q');
  char word[] =
      "\x8A"
      "bc\x8E";
  MacUpperString(word);
  EXPECT_STREQ(word,
               "\x80"
               "BC\x83");
  char loose[] =
      "\x8A"
      "bc\x8E";
  MacUpperNoAccentsString(loose);
  EXPECT_STREQ(loose, "ABCE");
  MacUpperString(nullptr);
}

TEST(MacText, SmallHelpers) {
  EXPECT_EQ(HexDigitValue('7'), 7);
  EXPECT_EQ(HexDigitValue('b'), 11);
  EXPECT_EQ(HexDigitValue('F'), 15);
  EXPECT_EQ(HexDigitValue('g'), -1);
  char buffer[10] = "123456789";
  EXPECT_FALSE(AppendChar(buffer, 'x', sizeof buffer));
  EXPECT_STREQ(buffer, "123456789");
  char room[4] = "ab";
  EXPECT_TRUE(AppendChar(room, 'c', sizeof room));
  EXPECT_STREQ(room, "abc");
  char unterminated[3] = {'a', 'b', 'c'};  // never read past the buffer
  EXPECT_FALSE(AppendChar(unterminated, 'd', sizeof unterminated));
}

TEST(MacText, FullUpperTableAgreesWithUpperCase) {
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(kMacUpperTable[c], MacUpper(static_cast<uint8_t>(c))) << c;
  }
}

}  // namespace
}  // namespace corvida

// The shared text helpers: letter case exists for A-Z only (stored names are Mac Roman,
// whose accented letters must not match their neighbours 32 apart), blanks are the six
// ASCII ones, and paths join with exactly one '/'.
#include <gtest/gtest.h>

#include "platform/text.h"

namespace corvida {
namespace {

TEST(AsciiText, NamesCompareIgnoringTheCaseOfAToZOnly) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"Card One", "CARD one", true},
      {"", "", true},
      {"card", "cards", false},
      {"\x8A", "\x80", false},
      {"\x8A", "\x8A", true},
      {"[", "{", false},
      {"@", "`", false},
      {"Z", "z", true},
      {"a b", "A  B", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(EqualsIgnoringCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
}

TEST(AsciiText, ExtensionsMatchAfterTheLastDotInAnyCase) {
  struct Case {
    const char* name;
    bool tga;
  } cases[] = {
      {"photo.tga", true}, {"PHOTO.TGA", true}, {".tga", true},       {"tga", false},
      {"phototga", false}, {"a.tgax", false},   {"a.tga.png", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(HasExtensionIgnoringCase(c.name, "tga"), c.tga) << c.name;
}

TEST(AsciiText, BlanksAreTheSixAsciiSpaces) {
  for (char c : {' ', '\t', '\n', '\v', '\f', '\r'}) EXPECT_TRUE(IsBlank(c)) << int(c);
  for (char c : {'\0', '\b', '\x0E', 'a', '_', '\xCA', '\xA0'}) EXPECT_FALSE(IsBlank(c)) << int(c);
}

TEST(AsciiText, QuotedWrapsTheTextAsItStands) {
  EXPECT_EQ(Quoted("boing"), "\"boing\"");
  EXPECT_EQ(Quoted(""), "\"\"");
  EXPECT_EQ(Quoted("say \"hi\""), "\"say \"hi\"\"");
}

}  // namespace
}  // namespace corvida

// The file names export gives to names taken from stacks.
#include <gtest/gtest.h>

#include "apps/export_names.h"

namespace corvida::app {
namespace {

TEST(ExportNames, NamesFromStacksStayOneSafeName) {
  const struct {
    std::string wanted, safe;
  } kCases[] = {
      {"boing.wav", "boing.wav"},
      {"Caf\xC3\xA9.aif", "Caf\xC3\xA9.aif"},    // UTF-8 kept
      {"../../etc/passwd", "_._.._etc_passwd"},  // no separators, no leading dot
      {"..", "unnamed"},
      {".hidden", "_hidden"},
      {"a\\b:c*?\"<>|d", "a_b_c______d"},
      {"bell\x07\nline\x7F", "bell__line_"},
      {"\xC2\x85next", "_next"},   // a C1 control in UTF-8
      {"bad\xFF\xC3(", "bad__("},  // not UTF-8
      {"trailing. . ", "trailing"},
      {"", "unnamed"},
      {"CON", "_CON"},
      {"lpt1.txt", "_lpt1.txt"},
      {"console.txt", "console.txt"},
  };
  for (const auto& c : kCases) EXPECT_EQ(SafeFileName(c.wanted), c.safe) << c.wanted;
}

TEST(ExportNames, LongNamesAreCutAtACharacterKeepingTheExtension) {
  std::string long_name;
  for (int i = 0; i < 60; ++i) long_name += "\xC3\xA9";  // 120 bytes
  const std::string safe = SafeFileName(long_name + ".wav");
  EXPECT_LE(safe.size(), kMaxExportNameBytes);
  EXPECT_TRUE(safe.ends_with("\xC3\xA9.wav")) << safe;
}

TEST(ExportNames, CollisionsAreNumberedPerFolderInAnyCase) {
  NameBook book;
  EXPECT_EQ(book.Claim("media", "a.wav"), "a.wav");
  EXPECT_EQ(book.Claim("media", "A.WAV"), "A-2.WAV");
  EXPECT_EQ(book.Claim("media", "a.wav"), "a-3.wav");
  EXPECT_EQ(book.Claim("media", "../a.wav"), "_._a.wav");
  EXPECT_EQ(book.Claim("scripts", "a.wav"), "a.wav");
  // A numbered name still fits the bound.
  const std::string full(kMaxExportNameBytes, 'x');
  EXPECT_EQ(book.Claim("media", full), full);
  const std::string second = book.Claim("media", full);
  EXPECT_EQ(second.size(), kMaxExportNameBytes);
  EXPECT_TRUE(second.ends_with("-2"));
}

}  // namespace
}  // namespace corvida::app

#include "platform/profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/test_support.h"

namespace corvida {
namespace {

TEST(Profile, ReadsSectionsAndKeysWithoutRegardToCase) {
  testing::TempDir dir;
  dir.Write("p.ini",
            "; a comment\r\n[User]\r\n  AdvancedUser = Yes \r\nquoted=\" two words \"\r\n"
            "[Other]\r\nadvanceduser=No\r\nnoequals\r\n[broken\r\nlong=" +
                std::string(100, 'x') + "\r\n");
  const std::string path = dir.File("p.ini");
  EXPECT_EQ(ReadProfileString(path, "user", "advancedUser", 64), "Yes");
  EXPECT_EQ(ReadProfileString(path, "USER", "QUOTED", 64), " two words ");
  EXPECT_EQ(ReadProfileString(path, "other", "AdvancedUser", 64), "No");
  EXPECT_EQ(ReadProfileString(path, "broken", "long", 64), std::string(64, 'x'));
  EXPECT_EQ(ReadProfileString(path, "user", "missing", 64), std::nullopt);
  EXPECT_EQ(ReadProfileString(path, "nosuch", "AdvancedUser", 64), std::nullopt);
  EXPECT_EQ(ReadProfileString(dir.File("none.ini"), "user", "x", 64), std::nullopt);
}

TEST(Profile, WritingCreatesWhatIsMissingAndKeepsEverythingElse) {
  testing::TempDir dir;
  const std::string path = dir.File("p.ini");
  ASSERT_TRUE(WriteProfileString(path, "user", "AdvancedUser", "Yes"));
  EXPECT_EQ(dir.Read("p.ini"), "[user]\nAdvancedUser=Yes\n");
  dir.Write("p.ini", "; keep me\r\n[user]\r\nAdvancedUser=Yes\r\n\r\n[LOGO]\r\n128=1 2 3\r\n");
  ASSERT_TRUE(WriteProfileString(path, "USER", "advancedUser", "No"));
  ASSERT_TRUE(WriteProfileString(path, "user", "SaveStackPath", "C:\\Stacks"));
  ASSERT_TRUE(WriteProfileString(path, "NBAIDs", "7", "clock.nba"));
  EXPECT_EQ(dir.Read("p.ini"),
            "; keep me\r\n[user]\r\nadvancedUser=No\r\nSaveStackPath=C:\\Stacks\r\n\r\n"
            "[LOGO]\r\n128=1 2 3\r\n\r\n[NBAIDs]\r\n7=clock.nba\r\n");
  EXPECT_EQ(ReadProfileString(path, "logo", "128", 64), "1 2 3");
}

TEST(Profile, RefusesWritesThatWouldBreakOrTruncateTheFile) {
  testing::TempDir dir;
  const std::string path = dir.File("p.ini");
  EXPECT_FALSE(WriteProfileString(path, "user", "a=b", "x"));
  EXPECT_FALSE(WriteProfileString(path, "us]er", "a", "x"));
  EXPECT_FALSE(WriteProfileString(path, "user", "a", "x\n[evil]"));
  EXPECT_FALSE(WriteProfileString(path, "user", "", "x"));
  EXPECT_FALSE(WriteProfileString(dir.File("no/such/folder/p.ini"), "user", "a", "x"));
  // Too big to read whole: never rewritten, so nothing past the limit is lost.
  dir.Write("big.ini", "[a]\nk=v\n" + std::string(kMaxProfileBytes, ';'));
  EXPECT_FALSE(WriteProfileString(dir.File("big.ini"), "a", "k", "w"));
  EXPECT_EQ(ReadProfileString(dir.File("big.ini"), "a", "k", 64), "v");
  // Binary garbage reads as nothing, without harm.
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>(i * 7919 % 256);
  dir.Write("junk.ini", garbage);
  EXPECT_EQ(ReadProfileString(dir.File("junk.ini"), "user", "advancedUser", 64), std::nullopt);
  EXPECT_TRUE(WriteProfileString(dir.File("junk.ini"), "user", "advancedUser", "Yes"));
  EXPECT_EQ(ReadProfileString(dir.File("junk.ini"), "user", "advancedUser", 64), "Yes");
}

TEST(Profile, PlantedLinksNeverReceiveTheFile) {
  testing::TempDir dir;
  dir.Write("victim", "precious");
  const std::string path = dir.File("p.ini");
  // Where the rewritten file used to be made first, and the file itself.
  ASSERT_EQ(symlink(dir.File("victim").c_str(), (path + ".new").c_str()), 0);
  ASSERT_TRUE(WriteProfileString(path, "user", "advancedUser", "Yes"));
  EXPECT_EQ(dir.Read("victim"), "precious");
  EXPECT_EQ(ReadProfileString(path, "user", "advancedUser", 64), "Yes");
  ASSERT_EQ(unlink(path.c_str()), 0);
  ASSERT_EQ(symlink(dir.File("victim").c_str(), path.c_str()), 0);
  EXPECT_FALSE(WriteProfileString(path, "user", "advancedUser", "No"));
  EXPECT_EQ(dir.Read("victim"), "precious");
}

}  // namespace
}  // namespace corvida

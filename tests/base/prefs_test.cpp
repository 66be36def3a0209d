#include "base/prefs.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvida {
namespace {

TEST(Prefs, MissingFileMeansDefaults) {
  testing::TempDir dir;
  Prefs prefs(dir.File("config"));
  EXPECT_EQ(prefs.ReadPref("user", "advancedUser"), "Bad");
  EXPECT_FALSE(prefs.AdvancedUser());
  EXPECT_EQ(prefs.SaveStackPath(), "");
  // No configuration folder at all: defaults, and writes go nowhere (not to "/").
  Prefs nowhere("");
  EXPECT_EQ(nowhere.path(), "");
  EXPECT_FALSE(nowhere.WritePref("user", "advancedUser", "Yes"));
  EXPECT_FALSE(nowhere.AdvancedUser());
}

TEST(Prefs, WritesCreateTheFolderAndAnyCaseOfYesCounts) {
  testing::TempDir dir;
  Prefs prefs(dir.File("config/corvida"));
  ASSERT_TRUE(prefs.WritePref("user", "AdvancedUser", "YES"));
  EXPECT_EQ(prefs.path(), dir.File("config/corvida/CVPREFS.INI"));
  EXPECT_TRUE(prefs.AdvancedUser());
  ASSERT_TRUE(prefs.WritePref("user", "AdvancedUser", "No"));
  EXPECT_FALSE(prefs.AdvancedUser());
  ASSERT_TRUE(prefs.WritePref("user", "SaveStackPath", "D:\\Saved"));
  EXPECT_EQ(prefs.SaveStackPath(), "D:\\Saved");
  ASSERT_TRUE(prefs.WritePref("LOGO", "128", std::string(80, '9')));
  EXPECT_EQ(prefs.ReadPref("logo", "128").size(), 64u);
}

TEST(Prefs, ScriptFileQuotaReadsNumbersOnly) {
  testing::TempDir dir;
  Prefs prefs(dir.File("config"));
  EXPECT_EQ(prefs.ScriptFileBytes(), int64_t{64} << 20);
  EXPECT_EQ(prefs.ScriptFileCount(), 1000);
  const struct {
    const char* value;
    int64_t count;
  } cases[] = {{"25", 25},    {"0", 0},   {"-5", 1000},
               {"12x", 1000}, {"", 1000}, {"99999999999999999999", 1000}};
  for (const auto& c : cases) {
    ASSERT_TRUE(prefs.WritePref("scripts", "fileCount", c.value));
    EXPECT_EQ(prefs.ScriptFileCount(), c.count) << c.value;
  }
  ASSERT_TRUE(prefs.WritePref("scripts", "fileBytes", "4096"));
  EXPECT_EQ(prefs.ScriptFileBytes(), 4096);
}

}  // namespace
}  // namespace corvida

// The window size and the stacks opened last, kept in the preferences: what a hand-edited
// or hostile preference file reads back as, and how the list of stacks moves.
#include "player/desktop_prefs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace corvida {
namespace {

using testing::TempDir;

struct SizeCase {
  const char* file;
  std::optional<Size> read;
};

TEST(WindowSizePreference, OnlyPlainNumbersWithinTheSidesReadBack) {
  const SizeCase cases[] = {
      {"[window]\nwidth=1024\nheight=684\n", Size{1024, 684}},
      {"[WINDOW]\nWidth = 640 \nheight=\"480\"\n", Size{640, 480}},
      {"[window]\nwidth=64\nheight=16384\n", Size{64, 16384}},
      {"[window]\nwidth=63\nheight=480\n", std::nullopt},           // too small to use
      {"[window]\nwidth=640\nheight=16385\n", std::nullopt},        // beyond any display
      {"[window]\nwidth=-640\nheight=480\n", std::nullopt},         // a sign
      {"[window]\nwidth=640px\nheight=480\n", std::nullopt},        // trailing garbage
      {"[window]\nwidth=99999999999\nheight=480\n", std::nullopt},  // overflow
      {"[window]\nwidth=\nheight=480\n", std::nullopt},
      {"[window]\nwidth=640\n", std::nullopt},  // half a size
      {"", std::nullopt},
  };
  for (const SizeCase& c : cases) {
    TempDir dir;
    dir.Write(Prefs::kFileName, c.file);
    Prefs prefs(dir.path());
    const auto size = ReadWindowSize(prefs);
    ASSERT_EQ(size.has_value(), c.read.has_value()) << c.file;
    if (size) {
      EXPECT_EQ(*size, *c.read) << c.file;
    }
  }
}

TEST(WindowSizePreference, WrittenSizesReadBackAndOddOnesAreNotWritten) {
  TempDir dir;
  Prefs prefs(dir.File("config"));
  EXPECT_TRUE(WriteWindowSize(prefs, {1536, 1026}));
  EXPECT_EQ(ReadWindowSize(prefs), (Size{1536, 1026}));
  EXPECT_FALSE(WriteWindowSize(prefs, {0, 0})) << "a minimised window";
  EXPECT_EQ(ReadWindowSize(prefs), (Size{1536, 1026})) << "the last good size stays";
}

TEST(RecentStacks, NewestFirstEachOnceAtMostFour) {
  TempDir dir;
  Prefs prefs(dir.path());
  struct Step {
    const char* opened;
    std::vector<std::string> listed;
  };
  const Step steps[] = {
      {"/a/one.stk", {"/a/one.stk"}},
      {"/a/two.stk", {"/a/two.stk", "/a/one.stk"}},
      {"/a/one.stk", {"/a/one.stk", "/a/two.stk"}},  // moves up, not listed twice
      {"/b/three.stk", {"/b/three.stk", "/a/one.stk", "/a/two.stk"}},
      {"/b/four.stk", {"/b/four.stk", "/b/three.stk", "/a/one.stk", "/a/two.stk"}},
      {"/b/five.stk", {"/b/five.stk", "/b/four.stk", "/b/three.stk", "/a/one.stk"}},
      {"relative.stk", {"/b/five.stk", "/b/four.stk", "/b/three.stk", "/a/one.stk"}},
  };
  for (const Step& s : steps) {
    NoteRecentStack(prefs, s.opened);
    EXPECT_EQ(ReadRecentStacks(prefs), s.listed) << "after " << s.opened;
  }
}

TEST(RecentStacks, HostileEntriesAreLeftOut) {
  TempDir dir;
  dir.Write(Prefs::kFileName,
            "[recent]\nstack1=../../etc/passwd\nstack2=/ok/a.stk\n"
            "stack3=/ok/a.stk\nstack4=/" +
                std::string(2000, 'x') + "\nstack9=/ignored.stk\n");
  Prefs prefs(dir.path());
  EXPECT_EQ(ReadRecentStacks(prefs), std::vector<std::string>{"/ok/a.stk"});
}

TEST(RecentStacks, LabelsNumberTheEntriesAndShortenTheFolderFromItsStart) {
  struct LabelCase {
    int index;
    const char* path;
    const char* label;
  };
  const LabelCase cases[] = {
      {0, "/home/ann/demo.stk", "&1 demo.stk  (/home/ann)"},
      {3, "/r&d/a&b.stk", "&4 a&&b.stk  (/r&&d)"},  // ampersands are no access keys
      {1, "/home/ann/projects/2026/stacks/geography/europe/maps.stk",
       "&2 maps.stk  (.../2026/stacks/geography/europe)"},
      {2, "/top.stk", "&3 top.stk  (/)"},
  };
  for (const LabelCase& c : cases) EXPECT_EQ(RecentStackLabel(c.index, c.path), c.label);
}

}  // namespace
}  // namespace corvida

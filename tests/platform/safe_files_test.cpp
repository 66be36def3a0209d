// Whole files replaced safely, the private folder of a user without a home folder, and the
// program's own folder: planted links and folders of other users never receive anything.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/files.h"
#include "support/scoped_env.h"
#include "support/test_support.h"

namespace corvida {
namespace {

using testing::TempDir;

int ModeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const DirectoryEntry& e : ListDirectory(folder)) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WriteFileAtomically, WritesNewAndReplacedFilesLeavingNothingBeside) {
  TempDir dir;
  EXPECT_TRUE(WriteFileAtomically(dir.File("new.txt"), "first"));
  EXPECT_EQ(dir.Read("new.txt"), "first");
  ASSERT_EQ(::chmod(dir.File("new.txt").c_str(), 0640), 0);
  EXPECT_TRUE(WriteFileAtomically(dir.File("new.txt"), "second, longer"));
  EXPECT_EQ(dir.Read("new.txt"), "second, longer");
  EXPECT_EQ(ModeOf(dir.File("new.txt")), 0640);  // a replaced file keeps its permissions
  EXPECT_TRUE(WriteFileAtomically(dir.File("new.txt"), ""));
  EXPECT_EQ(dir.Read("new.txt"), "");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"new.txt"});
  EXPECT_FALSE(WriteFileAtomically(dir.File("missing/x.txt"), "x"));
  EXPECT_FALSE(WriteFileAtomically(dir.path(), "x"));  // a folder is not replaced
}

TEST(WriteFileAtomically, RefusesALinkAndLeavesItsTargetAlone) {
  TempDir dir;
  dir.Write("victim.txt", "precious");
  ASSERT_EQ(::symlink(dir.File("victim.txt").c_str(), dir.File("link.txt").c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("nowhere").c_str(), dir.File("dangling.txt").c_str()), 0);
  EXPECT_FALSE(WriteFileAtomically(dir.File("link.txt"), "overwritten"));
  EXPECT_FALSE(WriteFileAtomically(dir.File("dangling.txt"), "created"));
  EXPECT_EQ(dir.Read("victim.txt"), "precious");
  EXPECT_TRUE(IsSymlink(dir.File("link.txt")));
  EXPECT_FALSE(FileExists(dir.File("nowhere")));
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{"dangling.txt", "link.txt", "victim.txt"}));
}

TEST(ReplaceFileWith, WritesThroughTheDescriptorTheNameIsNoLongerFollowed) {
  TempDir dir;
  dir.Write("victim.txt", "precious");
  dir.Write("target.txt", "old");
  File temp = File::OpenNoFollow(dir.File("T.TMP"), File::Mode::kCreateNew);
  ASSERT_TRUE(temp.is_open());
  // The name is swapped for a link after the file was made: the writes still go to the
  // file that was made, and the link is what gets renamed.
  ASSERT_EQ(::rename(dir.File("T.TMP").c_str(), dir.File("made.tmp").c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("victim.txt").c_str(), dir.File("T.TMP").c_str()), 0);
  ASSERT_EQ(temp.Write("new", 3), 3);
  EXPECT_TRUE(ReplaceFileWith(temp, dir.File("T.TMP"), dir.File("target.txt")));
  EXPECT_EQ(dir.Read("victim.txt"), "precious");
  EXPECT_EQ(dir.Read("made.tmp"), "new");

  // A failed rename leaves no temporary file behind.
  File again = File::Open(dir.File("U.TMP"), File::Mode::kCreateNew);
  ASSERT_TRUE(again.is_open());
  EXPECT_FALSE(ReplaceFileWith(again, dir.File("U.TMP"), dir.File("missing/target.txt")));
  EXPECT_FALSE(FileExists(dir.File("U.TMP")));
}

TEST(EnsurePrivateFolder, MakesChecksAndNarrowsOnlyTheUsersOwnFolders) {
  TempDir dir;
  struct Case {
    const char* name;
    int mode;     // -1: nothing there beforehand
    bool others;  // owned by another user
    bool accepted;
    int mode_after;  // -1: not checked
  };
  const Case cases[] = {
      {"missing", -1, false, true, 0700},    {"private", 0700, false, true, 0700},
      {"readable", 0755, false, true, 0700}, {"writable", 0777, false, false, 0777},
      {"group", 0770, false, false, 0770},   {"foreign", 0700, true, false, 0700},
  };
  for (const Case& c : cases) {
    const std::string path = dir.File(c.name);
    if (c.mode >= 0) {
      ASSERT_TRUE(CreateDirectory(path));
      ASSERT_EQ(::chmod(path.c_str(), mode_t(c.mode)), 0);
      if (c.others && ::chown(path.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "needs root";
    }
    EXPECT_EQ(EnsurePrivateFolder(path), c.accepted) << c.name;
    EXPECT_EQ(ModeOf(path), c.mode_after) << c.name;
  }
  // A link is refused even when it leads to a private folder of the user's.
  ASSERT_EQ(::symlink(dir.File("private").c_str(), dir.File("link").c_str()), 0);
  EXPECT_FALSE(EnsurePrivateFolder(dir.File("link")));
  dir.Write("file", "x");
  EXPECT_FALSE(EnsurePrivateFolder(dir.File("file")));
  EXPECT_FALSE(EnsurePrivateFolder(""));
}

using testing::ScopedEnv;

TEST(UserFolders, WithoutAHomeFolderThePlayersFolderIsPrivateAndNeverAPlantedOne) {
  TempDir tmp;
  ScopedEnv tmpdir("TMPDIR", tmp.path().c_str());
  ScopedEnv home("HOME", nullptr);
  ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  ScopedEnv data("XDG_DATA_HOME", nullptr);
  const std::string own = tmp.File("corvida-" + std::to_string(::getuid()));

  Folders folders = UserFolders("/opt/corvida");
  EXPECT_EQ(folders.config, own);
  EXPECT_EQ(folders.data, own);
  EXPECT_EQ(ModeOf(own), 0700);

  // Another user got there first with a link: a fresh private folder serves instead.
  ASSERT_TRUE(CreateDirectory(tmp.File("elsewhere")));
  ASSERT_EQ(::rmdir(own.c_str()), 0);
  ASSERT_EQ(::symlink(tmp.File("elsewhere").c_str(), own.c_str()), 0);
  folders = UserFolders("/opt/corvida");
  EXPECT_NE(folders.config, own);
  EXPECT_EQ(folders.config.rfind(own + "-", 0), 0u) << folders.config;
  EXPECT_EQ(folders.data, folders.config);
  EXPECT_EQ(ModeOf(folders.config), 0700);
  EXPECT_FALSE(IsSymlink(folders.config));
  EXPECT_TRUE(ListDirectory(tmp.File("elsewhere")).empty());
}

TEST(UserFolders, TheProgramsFolderIsWhereItsFileIsNotTheCurrentFolder) {
  TempDir elsewhere;
  const std::string before = CanonicalPath(".");
  ASSERT_EQ(::chdir(elsewhere.path().c_str()), 0);
  const std::string program = UserFolders().program;
  ASSERT_EQ(::chdir(before.c_str()), 0);
  EXPECT_NE(program, CanonicalPath(elsewhere.path()));
  EXPECT_TRUE(FileExists(program + "/test_platform")) << program;
}

}  // namespace
}  // namespace corvida

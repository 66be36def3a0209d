#include "platform/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "support/scoped_env.h"
#include "support/test_support.h"

namespace corvida {
namespace {

TEST(Files, ReadWriteSeekSizeAndTruncate) {
  testing::TempDir dir;
  const std::string path = dir.File("a.bin");
  EXPECT_FALSE(File::Open(path, File::Mode::kRead).is_open());
  File file = File::Open(path, File::Mode::kCreate);
  ASSERT_TRUE(file.is_open());
  EXPECT_EQ(file.Write("hello world", 11), 11);
  EXPECT_EQ(file.Size(), 11);
  EXPECT_EQ(file.Tell(), 11);  // Size keeps the position
  EXPECT_EQ(file.Seek(6, File::kFromStart), 6);
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, 16), 5);  // short at the end of the file
  EXPECT_STREQ(buffer, "world");
  EXPECT_EQ(file.Seek(-5, File::kFromEnd), 6);
  EXPECT_EQ(file.Seek(-100, File::kFromCurrent), -1);
  EXPECT_EQ(file.Truncate(5), 0);
  EXPECT_EQ(file.Size(), 5);
  EXPECT_NE(file.Truncate(-1), 0);
  file.Close();
  EXPECT_EQ(file.Read(buffer, 1), -1);
  EXPECT_EQ(dir.Read("a.bin"), "hello");

  // Creating anew never replaces an existing file.
  EXPECT_FALSE(File::Open(path, File::Mode::kCreateNew).is_open());
  EXPECT_EQ(dir.Read("a.bin"), "hello");
  // A folder is not a file.
  EXPECT_FALSE(File::Open(dir.path(), File::Mode::kRead).is_open());
}

TEST(Files, FolderOperationsAndInfo) {
  testing::TempDir dir;
  EXPECT_TRUE(CreateDirectories(dir.File("x/y/z")));
  EXPECT_TRUE(CreateDirectory(dir.File("x")));  // already there
  dir.Write("x/f.txt", "12345");
  FileInfo info = GetFileInfo(dir.File("x/f.txt"));
  EXPECT_TRUE(info.exists);
  EXPECT_EQ(info.size, 5);
  EXPECT_TRUE(info.writable);
  EXPECT_FALSE(info.is_directory);
  EXPECT_TRUE(GetFileInfo(dir.File("x/y")).is_directory);
  EXPECT_FALSE(GetFileInfo(dir.File("missing")).exists);

  auto entries = ListDirectory(dir.File("x"));
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "f.txt");
  EXPECT_FALSE(entries[0].is_directory);
  EXPECT_TRUE(entries[1].is_directory);
  EXPECT_TRUE(ListDirectory(dir.File("missing")).empty());

  ASSERT_EQ(symlink(dir.File("x/f.txt").c_str(), dir.File("link").c_str()), 0);
  EXPECT_TRUE(IsSymlink(dir.File("link")));
  EXPECT_FALSE(IsSymlink(dir.File("x/f.txt")));
  EXPECT_EQ(CanonicalPath(dir.File("x/y/../f.txt")), CanonicalPath(dir.File("link")));
  EXPECT_EQ(CanonicalPath(dir.File("nope")), "");

  EXPECT_TRUE(RenameFile(dir.File("x/f.txt"), dir.File("g.txt")));
  EXPECT_TRUE(FileExists(dir.File("g.txt")));
  EXPECT_TRUE(DeleteFile(dir.File("g.txt")));
  EXPECT_FALSE(DeleteFile(dir.File("g.txt")));
  EXPECT_GT(FreeSpace(dir.path()), 0);
  EXPECT_EQ(FreeSpace(dir.File("missing/deeper")), -1);
}

TEST(Files, PathPartsAsTheyAreWritten) {
  struct Case {
    const char* path;
    const char* name;
    const char* folder;
  };
  for (const Case& c : std::vector<Case>{{"/a/b.stk", "b.stk", "/a"},
                                         {"b.stk", "b.stk", ""},
                                         {"/b.stk", "b.stk", "/"},
                                         {"a//b", "b", "a"},
                                         {"a/b/", "", "a/b"},
                                         {"", "", ""}}) {
    EXPECT_EQ(PathFileName(c.path), c.name) << c.path;
    EXPECT_EQ(PathFolder(c.path), c.folder) << c.path;
  }
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("", "b"), "b");
}

TEST(Files, AbsolutePathsAndTheSameFile) {
  testing::TempDir dir;
  dir.Write("f.txt", "1");
  dir.Write("g.txt", "1");
  ASSERT_EQ(symlink(dir.File("f.txt").c_str(), dir.File("link").c_str()), 0);
  EXPECT_TRUE(SameFile(dir.File("f.txt"), dir.File("link")));
  EXPECT_TRUE(SameFile(dir.File("f.txt"), dir.path() + "/./f.txt"));
  EXPECT_FALSE(SameFile(dir.File("f.txt"), dir.File("g.txt")));
  EXPECT_FALSE(SameFile(dir.File("f.txt"), dir.File("missing")));
  EXPECT_FALSE(SameFile("", ""));

  EXPECT_EQ(AbsolutePath("/x/../y"), "/x/../y");  // already absolute: kept as written
  EXPECT_EQ(AbsolutePath("rel/f"), CurrentFolder() + "/rel/f");
  EXPECT_EQ(AbsolutePath(""), "");
  EXPECT_FALSE(CurrentFolder().empty());
}

using testing::ScopedEnv;

// Files below a folder are reached one component at a time: a link anywhere on the way,
// a climb out or an absolute part is refused by the walk itself.
TEST(Files, WalksBelowAFolderNeverFollowLinks) {
  testing::TempDir dir;
  dir.Write("root/a/b/file.txt", "inside");
  dir.Write("outside/b/file.txt", "outside");
  ASSERT_EQ(symlink(dir.File("outside").c_str(), dir.File("root/link").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("root/a/b/file.txt").c_str(), dir.File("root/a/alias").c_str()), 0);
  const std::string root = dir.File("root");
  struct Case {
    const char* relative;
    bool opens;
  } cases[] = {
      {"a/b/file.txt", true},
      {"link/b/file.txt", false},
      {"a/alias", false},
      {"a/../a/b/file.txt", false},
      {"../outside/b/file.txt", false},
      {"/etc/passwd", false},
      {"a//b/file.txt", false},
      {"./a/b/file.txt", false},
      {"", false},
      {"a/b", false},  // a folder is not a file
  };
  for (const Case& c : cases) {
    EXPECT_EQ(File::OpenBeneath(root, c.relative, File::Mode::kRead).is_open(), c.opens)
        << c.relative;
  }
  EXPECT_FALSE(File::OpenBeneath(root, "link/b/new.txt", File::Mode::kCreate).is_open());
  EXPECT_FALSE(DeleteFileBeneath(root, "link/b/file.txt"));
  EXPECT_FALSE(CreateDirectoryBeneath(root, "link/c"));
  EXPECT_FALSE(RenameBeneath(root, "a/b/file.txt", "link/b/moved.txt"));
  EXPECT_EQ(dir.Read("outside/b/file.txt"), "outside");
  EXPECT_FALSE(FileExists(dir.File("outside/c")));

  ASSERT_TRUE(CreateDirectoryBeneath(root, "a/c"));
  File made = File::OpenBeneath(root, "a/c/new.txt", File::Mode::kCreateNew);
  ASSERT_TRUE(made.is_open());
  made.Close();
  EXPECT_FALSE(RenameBeneath(root, "a/c/new.txt", "a/b/file.txt"));  // never replaces
  EXPECT_TRUE(ReplaceBeneath(root, "a/c/new.txt", "a/b/file.txt"));
  EXPECT_EQ(dir.Read("root/a/b/file.txt"), "");
  EXPECT_TRUE(DeleteFileBeneath(root, "a/b/file.txt"));
  EXPECT_FALSE(FileExists(dir.File("root/a/b/file.txt")));
}

TEST(Files, UserFoldersFollowTheEnvironment) {
  ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
  ScopedEnv data("XDG_DATA_HOME", "relative/ignored");
  ScopedEnv home("HOME", "/home/someone");
  Folders folders = UserFolders("/opt/corvida");
  EXPECT_EQ(folders.config, "/cfg/corvida");
  EXPECT_EQ(folders.data, "/home/someone/.local/share/corvida");
  EXPECT_EQ(folders.program, "/opt/corvida");
}

}  // namespace
}  // namespace corvida

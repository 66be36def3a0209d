// Stored paths: the conversion to local paths, and resolution confined to the stack's
// folder, the media folders and the download folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "stackfile/paths.h"
#include "support/test_support.h"

namespace corvida {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(StoredPath, MacintoshPathsBecomeLocalOnTheStacksDrive) {
  EXPECT_EQ(LocalPathFromStored("Macintosh HD:Stacks:Art:cat.pict", "D:\\kids\\demo.stk"),
            "D:\\Stacks\\Art\\cat.pict");
  EXPECT_EQ(LocalPathFromStored("E::Sounds:boing.wav", "D:\\demo.stk"), "E:\\Sounds\\boing.wav");
  EXPECT_EQ(LocalPathFromStored("C:\\already\\local.bmp", "D:\\demo.stk"),
            "C:\\already\\local.bmp");
}

TEST(StoredPath, ComponentsRefuseClimbingAndOddNames) {
  EXPECT_EQ(StoredPathComponents("Disk:Art:cat.bmp"), (std::vector<std::string>{"Art", "cat.bmp"}));
  EXPECT_EQ(StoredPathComponents("C:\\a\\b.txt"), (std::vector<std::string>{"a", "b.txt"}));
  EXPECT_EQ(StoredPathComponents("cat.bmp"), (std::vector<std::string>{"cat.bmp"}));
  EXPECT_TRUE(StoredPathComponents("Disk:..:secret").empty());
  EXPECT_TRUE(StoredPathComponents("C:\\a\\..\\..\\etc\\passwd").empty());
  EXPECT_TRUE(StoredPathComponents("Disk:a/b:c").empty());
  EXPECT_TRUE(StoredPathComponents("Disk:a::c").empty());
  EXPECT_TRUE(StoredPathComponents("").empty());
  // Hidden names anywhere in the path.
  for (const char* hidden : {"Disk:.ssh:id_rsa", "C:\\home\\.bashrc", ".profile", "Disk:a:.b:c"})
    EXPECT_TRUE(StoredPathComponents(hidden).empty()) << hidden;
}

class Resolve : public ::testing::Test {
 protected:
  Resolve() {
    fs::create_directories(root.File("stacks/Art"));
    fs::create_directories(root.File("media/CVSounds"));
    fs::create_directories(root.File("downloads"));
    fs::create_directories(root.File("private"));
    root.Write("stacks/Art/Cat.BMP", "cat");
    root.Write("stacks/notes.txt", "notes");
    root.Write("media/CVSounds/boing.wav", "boing");
    root.Write("downloads/pic.bmp", "pic");
    root.Write("private/secret.txt", "secret");
    roots.stack_folder = root.File("stacks");
    roots.media_folders = {root.File("media/CVSounds")};
    roots.download_folder = root.File("downloads");
  }
  TempDir root;
  PathRoots roots;
};

TEST_F(Resolve, FindsFilesByTheirTrailingComponentsWithoutRegardToCase) {
  EXPECT_EQ(ResolveStoredPath("Disk:Stacks:art:cat.bmp", roots, true),
            root.File("stacks/Art/Cat.BMP"));
  EXPECT_EQ(ResolveStoredPath("C:\\anywhere\\notes.txt", roots, false),
            root.File("stacks/notes.txt"));
  EXPECT_EQ(ResolveStoredPath("Disk:CVSounds:boing.wav", roots, true),
            root.File("media/CVSounds/boing.wav"));
  EXPECT_EQ(ResolveStoredPath("pic.bmp", roots, false), root.File("downloads/pic.bmp"));
  EXPECT_EQ(ResolveStoredPath("Disk:missing.bmp", roots, true), "");
}

TEST_F(Resolve, NeverLeavesItsFolders) {
  EXPECT_EQ(ResolveStoredPath("Disk:..:private:secret.txt", roots, true), "");
  EXPECT_EQ(ResolveStoredPath(root.File("private/secret.txt"), roots, false), "");
  // A link inside the stack's folder that leads out of it is not followed.
  fs::create_symlink(root.File("private/secret.txt"), root.File("stacks/link.txt"));
  EXPECT_EQ(ResolveStoredPath("Disk:link.txt", roots, true), "");
  fs::create_directory_symlink(root.File("private"), root.File("stacks/out"));
  EXPECT_EQ(ResolveStoredPath("Disk:out:secret.txt", roots, true), "");
  // A folder is not a file.
  EXPECT_EQ(ResolveStoredPath("Disk:Art", roots, true), "");
}

TEST_F(Resolve, NeverReachesHiddenFilesEvenThroughALink) {
  fs::create_directories(root.File("stacks/.ssh"));
  root.Write("stacks/.ssh/id_rsa", "key");
  root.Write("stacks/.profile", "profile");
  EXPECT_EQ(ResolveStoredPath("Disk:.ssh:id_rsa", roots, true), "");
  EXPECT_EQ(ResolveStoredPath("Disk:.profile", roots, true), "");
  // Plain names that lead to hidden ones.
  fs::create_directory_symlink(root.File("stacks/.ssh"), root.File("stacks/keys"));
  fs::create_symlink(root.File("stacks/.profile"), root.File("stacks/profile.txt"));
  EXPECT_EQ(ResolveStoredPath("Disk:keys:id_rsa", roots, true), "");
  EXPECT_EQ(ResolveStoredPath("Disk:profile.txt", roots, true), "");
  // A pipe is not a file to read.
  ASSERT_EQ(mkfifo(root.File("stacks/pipe.txt").c_str(), 0600), 0);
  EXPECT_EQ(ResolveStoredPath("Disk:pipe.txt", roots, true), "");
}

TEST(InsideFolder, OnlyBelowTheFolderAndThroughPlainNames) {
  TempDir root;
  fs::create_directories(root.File("f/sub"));
  fs::create_directories(root.File("f/.git"));
  fs::create_directories(root.File("fx"));
  root.Write("f/sub/a.txt", "a");
  root.Write("f/.git/config", "c");
  root.Write("fx/b.txt", "b");
  const std::string f = root.File("f");
  EXPECT_TRUE(InsideFolder(root.File("f/sub/a.txt"), f));
  EXPECT_TRUE(InsideFolder(root.File("f/sub/../sub/a.txt"), f));
  EXPECT_FALSE(InsideFolder(f, f));                      // the folder itself
  EXPECT_FALSE(InsideFolder(root.File("fx/b.txt"), f));  // a sibling sharing the prefix
  EXPECT_FALSE(InsideFolder(root.File("f/.git/config"), f));
  EXPECT_FALSE(InsideFolder(root.File("f/missing"), f));
  EXPECT_FALSE(InsideFolder(root.File("f/sub/a.txt"), ""));
}

TEST_F(Resolve, MacRomanNamesMatchTheirHostNames) {
  root.Write("stacks/caf\xC3\xA9.txt", "x");  // UTF-8 on the host
  EXPECT_EQ(ResolveStoredPath("Disk:caf\x8E.txt", roots, true),
            root.File("stacks/caf\xC3\xA9.txt"));
  EXPECT_EQ(ResolveStoredPath("C:\\caf\xE9.txt", roots, false),
            root.File("stacks/caf\xC3\xA9.txt"));
}

}  // namespace
}  // namespace corvida

// Stored paths: the conversion to local paths, and resolution confined to the stack's
// folder, the media folders and the download folder.
#include <gtest/gtest.h>

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

TEST_F(Resolve, MacRomanNamesMatchTheirHostNames) {
  root.Write("stacks/caf\xC3\xA9.txt", "x");  // UTF-8 on the host
  EXPECT_EQ(ResolveStoredPath("Disk:caf\x8E.txt", roots, true),
            root.File("stacks/caf\xC3\xA9.txt"));
  EXPECT_EQ(ResolveStoredPath("C:\\caf\xE9.txt", roots, false),
            root.File("stacks/caf\xC3\xA9.txt"));
}

}  // namespace
}  // namespace corvida

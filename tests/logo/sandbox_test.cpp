// The scripts' file sandbox: names that leave the folder are refused by every primitive
// with its own file error, symbolic links are never followed, the media folders are read
// only, and with no folder at all nothing on disk can be reached.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "files_harness.h"
#include "logo/sandbox.h"
#include "platform/files.h"

namespace corvida::logo {
namespace {

using testing::FileHarness;
using testing::FileHarnessOptions;

TEST(LogoSandbox, NamesThatLeaveTheFolderAreRefused) {
  corvida::testing::TempDir dir;
  Sandbox box(dir.File("box"), {});
  Sandbox::Target t;
  for (const char* name :
       {"/etc/passwd", "\\Windows\\win.ini", "C:\\autoexec.bat", "c:x.txt", "..", "..\\x.txt",
        "sub/../../x.txt", "a/./../b", "HD:Folder:x", "", "bad\x01name", "."}) {
    EXPECT_FALSE(box.Resolve(name, Sandbox::Use::kRead, t)) << name;
    EXPECT_FALSE(box.Resolve(name, Sandbox::Use::kWrite, t)) << name;
  }
  ASSERT_TRUE(box.Resolve("sub\\notes.txt", Sandbox::Use::kWrite, t));
  EXPECT_EQ(t.host, dir.File("box/sub/notes.txt"));
  EXPECT_FALSE(t.exists);
  ASSERT_TRUE(box.Resolve("./a//b.txt", Sandbox::Use::kWrite, t));
  EXPECT_EQ(t.host, dir.File("box/a/b.txt"));
  // The folder is made on first use.
  EXPECT_TRUE(FileExists(dir.File("box")));
}

TEST(LogoSandbox, EveryPrimitiveRefusesOutsideNames) {
  FileHarness h;
  h.dir().Write("secret.txt", "secret\r\n");  // beside the box, not in it
  EXPECT_EQ(h.Lines("open \"..\\\\secret.txt\nload \"/etc/passwd\npofile \"C:\\\\secret.txt\n"
                    "save \"..\\\\ws.lgo\nerasefile \"..\\\\secret.txt\n"
                    "rename \"..\\\\secret.txt \"mine.txt\ncreatedirectory \"/tmp/x\n"
                    "setprefix \"..\nshow filep \"..\\\\secret.txt\nshow allopen\n"),
            "Logo Error: Can't read from [\"..\\secret.txt]\n\nAt: OPEN \"..\\\\secret.txt\n"
            "Logo Error: Can't read from [\"/etc/passwd]\n\nAt: LOAD \"/etc/passwd\n"
            "Logo Error: Can't read from [\"C:\\secret.txt]\n\nAt: POFILE \"C:\\\\secret.txt\n"
            "Logo Error: Can't write to [\"..\\ws.lgo]\n\nAt: SAVE \"..\\\\ws.lgo\n"
            "Logo Error: Disk IO Error\n\nAt: ERASEFILE \"..\\\\secret.txt\n"
            "Logo Error: Disk IO Error\n\nAt: RENAME \"..\\\\secret.txt \"mine.txt\n"
            "Logo Error: Disk IO Error\n\nAt: CREATEDIRECTORY \"/tmp/x\n"
            "Logo Error: Disk IO Error\n\nAt: SETPREFIX \"..\n"
            "FALSE\n[]\n");
  EXPECT_EQ(h.dir().Read("secret.txt"), "secret\r\n");
  EXPECT_FALSE(FileExists(h.dir().File("ws.lgo")));
}

TEST(LogoSandbox, SymbolicLinksAreNeverFollowed) {
  FileHarness h;
  h.dir().Write("outside/secret.txt", "secret\r\n");
  h.WriteBox("real/inside.txt", "inside\r\n");
  ASSERT_EQ(symlink(h.dir().File("outside/secret.txt").c_str(), h.Box("link.txt").c_str()), 0);
  ASSERT_EQ(symlink(h.dir().File("outside").c_str(), h.Box("linkdir").c_str()), 0);
  // A link that points inside is refused as well: what it points at could change.
  ASSERT_EQ(symlink(h.Box("real").c_str(), h.Box("alias").c_str()), 0);
  EXPECT_EQ(h.Lines("open \"link.txt\nopen \"linkdir\\\\secret.txt\nopen \"alias\\\\inside.txt\n"
                    "show filep \"link.txt\nshow filep \"linkdir\\\\secret.txt\n"
                    "setprefix \"linkdir\nerasefile \"link.txt\nerasefile \"linkdir\\\\secret.txt\n"
                    "save \"linkdir\\\\ws.lgo\nopen \"real\\\\inside.txt\nshow allopen\n"),
            "Logo Error: Can't read from [\"link.txt]\n\nAt: OPEN \"link.txt\n"
            "Logo Error: Can't read from [\"linkdir\\secret.txt]\n\nAt: OPEN "
            "\"linkdir\\\\secret.txt\n"
            "Logo Error: Can't read from [\"alias\\inside.txt]\n\nAt: OPEN "
            "\"alias\\\\inside.txt\n"
            "FALSE\nFALSE\n"
            "Logo Error: Disk IO Error\n\nAt: SETPREFIX \"linkdir\n"
            "Logo Error: Disk IO Error\n\nAt: ERASEFILE \"link.txt\n"
            "Logo Error: Disk IO Error\n\nAt: ERASEFILE \"linkdir\\\\secret.txt\n"
            "Logo Error: Can't write to [\"linkdir\\ws.lgo]\n\nAt: SAVE \"linkdir\\\\ws.lgo\n"
            "[real\\inside.txt]\n");
  EXPECT_EQ(h.dir().Read("outside/secret.txt"), "secret\r\n");
  EXPECT_FALSE(FileExists(h.dir().File("outside/ws.lgo")));
  // Listings leave links out.
  std::string dir = h.Lines("show dir\n");
  EXPECT_EQ(dir.find("link"), std::string::npos) << dir;
  EXPECT_EQ(dir.find("alias"), std::string::npos) << dir;
}

// A folder checked by Resolve and then swapped for a link (as another program racing the
// script could) is refused by the open, the change calls and SAVE's replacement alike.
TEST(LogoSandbox, AFolderSwappedForALinkAfterTheCheckIsRefused) {
  corvida::testing::TempDir dir;
  dir.Write("outside/notes.txt", "secret");
  dir.Write("box/sub/notes.txt", "mine");
  Sandbox box(dir.File("box"), {});
  Sandbox::Target read, erase, made;
  ASSERT_TRUE(box.Resolve("sub\\notes.txt", Sandbox::Use::kRead, read));
  ASSERT_TRUE(box.Resolve("sub\\notes.txt", Sandbox::Use::kWrite, erase));
  ASSERT_TRUE(box.Resolve("sub\\new", Sandbox::Use::kWrite, made));
  ASSERT_TRUE(read.Open(File::Mode::kRead).is_open());  // before the swap

  ASSERT_EQ(rename(dir.File("box/sub").c_str(), dir.File("box/kept").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("outside").c_str(), dir.File("box/sub").c_str()), 0);
  EXPECT_FALSE(read.Open(File::Mode::kRead).is_open());
  EXPECT_FALSE(erase.Open(File::Mode::kReadWrite).is_open());
  EXPECT_FALSE(made.Open(File::Mode::kCreateNew).is_open());
  EXPECT_FALSE(DeleteFileBeneath(erase.root, erase.relative));
  EXPECT_FALSE(CreateDirectoryBeneath(made.root, made.relative));
  EXPECT_FALSE(ReplaceBeneath(made.root, "kept/notes.txt", erase.relative));
  EXPECT_EQ(dir.Read("outside/notes.txt"), "secret");
  EXPECT_FALSE(FileExists(dir.File("outside/new")));
}

TEST(LogoSandbox, LetterCaseIsMatchedLooselyWhenTheExactNameIsMissing) {
  FileHarness h;
  h.WriteBox("Scores/High.TXT", "99\r\n");
  EXPECT_EQ(h.Lines("open \"scores\\\\high.txt\nsetread \"scores\\\\high.txt\nprint readword\n"
                    "show reader\nerasefile \"SCORES/HIGH.txt\n"),
            "99\nscores\\high.txt\n"
            "Logo Error: Disk IO Error\n\nAt: ERASEFILE \"SCORES/HIGH.txt\n");
  EXPECT_EQ(h.Lines("closeall\nerasefile \"SCORES/HIGH.txt\nshow filep \"scores/high.txt\n"),
            "FALSE\n");
}

TEST(LogoSandbox, MediaFoldersAreReadOnly) {
  corvida::testing::TempDir media;
  media.Write("CVArt/lines.lgo", "print \"from\\ media\r\n");
  FileHarnessOptions options;
  options.media = {{"CVArt", media.File("CVArt")}};
  FileHarness h(options);
  EXPECT_EQ(h.Lines("load \"cvart\\\\lines.lgo\npofile \"CVArt/lines.lgo\n"
                    "show filep \"CVArt\\\\lines.lgo\nopen \"CVArt\\\\lines.lgo\n"
                    "setwrite \"CVArt\\\\lines.lgo\nerasefile \"CVArt\\\\lines.lgo\n"
                    "setread \"CVArt\\\\lines.lgo\nprint readword\n"),
            "from media\nprint \"from\\ media\nTRUE\n"
            "Logo Error: Can't write to \"CVArt\\lines.lgo\n\nAt: SETWRITE "
            "\"CVArt\\\\lines.lgo\n"
            "Logo Error: Disk IO Error\n\nAt: ERASEFILE \"CVArt\\\\lines.lgo\n"
            "print \"from\\ media\n");
  EXPECT_EQ(media.Read("CVArt/lines.lgo"), "print \"from\\ media\r\n");
  // A copy in the scripts' own folder comes first.
  h.WriteBox("CVArt/lines.lgo", "print \"own\r\n");
  EXPECT_EQ(h.Lines("load \"CVArt\\\\lines.lgo\n"), "own\n");
}

TEST(LogoSandbox, WithoutAFolderNothingCanBeReached) {
  FileHarnessOptions options;
  options.sandbox = false;
  FileHarness h(options);
  EXPECT_EQ(h.Lines("open \"x.txt\nshow filep \"x.txt\nshow prefix\ncatalog\n"),
            "Logo Error: Can't read from [\"x.txt]\n\nAt: OPEN \"x.txt\n"
            "FALSE\n"
            "Logo Error: Disk IO Error\n\nAt: SHOW PREFIX\n"
            "Logo Error: Disk IO Error\n\nAt: CATALOG\n");
}

TEST(LogoSandbox, StackFoldersAreSeparateAndNamedSafely) {
  std::string a = StackFilesFolder("/data", "http://example.org/Math Quiz.stk");
  std::string b = StackFilesFolder("/data", "http://other.org/Math Quiz.stk");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind("/data/script-files/Math_Quiz-", 0), 0u) << a;
  std::string odd = StackFilesFolder("/data", "../../..");
  EXPECT_EQ(odd.find(".."), std::string::npos) << odd;
  auto media = ScriptMediaFolders(Folders{"", "/d", "/p", ""});
  ASSERT_EQ(media.size(), 10u);
  EXPECT_EQ(media[1].name, "CVArt");
  EXPECT_EQ(media[1].path, "/d/CVArt");
  EXPECT_EQ(media[6].path, "/p/CVArt");
  for (const NamedFolder& m : media) EXPECT_NE(m.name, "NBAs");  // modules are not media
}

// A script folder belongs to the first stack that uses it; a different stack saved later at
// the same path gets a folder of its own, and the first finds its files again.
TEST(LogoSandbox, AStackFolderBelongsToTheStackThatClaimedIt) {
  corvida::testing::TempDir dir;
  const std::string data = dir.File("data");
  const std::string first = OwnedStackFilesFolder(data, "/s/game.stk", "1111");
  EXPECT_EQ(first, StackFilesFolder(data, "/s/game.stk"));
  dir.Write("data/script-files/" + PathFileName(first) + "/scores.txt", "ann 12");

  const std::string other = OwnedStackFilesFolder(data, "/s/game.stk", "2222");
  EXPECT_NE(other, first);
  EXPECT_FALSE(other.empty());
  EXPECT_FALSE(FileExists(JoinPath(other, "scores.txt")));
  EXPECT_EQ(OwnedStackFilesFolder(data, "/s/game.stk", "2222"), other);
  EXPECT_EQ(OwnedStackFilesFolder(data, "/s/game.stk", "1111"), first);
  EXPECT_EQ(dir.Read("data/script-files/" + PathFileName(first) + "/scores.txt"), "ann 12");

  // A folder from before owners were kept goes to the first stack that comes.
  dir.Write("data/script-files/" + PathFileName(StackFilesFolder(data, "/s/old.stk")) + "/x", "");
  EXPECT_EQ(OwnedStackFilesFolder(data, "/s/old.stk", "3333"),
            StackFilesFolder(data, "/s/old.stk"));
  EXPECT_NE(OwnedStackFilesFolder(data, "/s/old.stk", "4444"),
            StackFilesFolder(data, "/s/old.stk"));
  // A marker that is a link is nobody's to claim.
  const std::string linked = StackFilesFolder(data, "/s/linked.stk");
  ASSERT_EQ(symlink(dir.File("data/script-files").c_str(), (linked + ".owner").c_str()), 0);
  EXPECT_NE(OwnedStackFilesFolder(data, "/s/linked.stk", "5555"), linked);
}

}  // namespace
}  // namespace corvida::logo

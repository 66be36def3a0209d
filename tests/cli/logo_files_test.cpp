// corvida logo with files: --files gives scripts their folder; without it every file name
// is refused; standard input feeds READLIST, READWORD and READCHAR.
#include <gtest/gtest.h>

#include <fstream>

#include "support/test_support.h"

namespace corvida {
namespace {

TEST(LogoFilesCommand, AScriptWritesAndReadsAFileInItsFolder) {
  testing::TempDir dir;
  dir.Write("prog.lgo",
            "open \"scores.txt\nsetwrite \"scores.txt\nprint [ann 12]\nprint [bob 9]\n"
            "setwrite []\nclose \"scores.txt\n"
            "open \"scores.txt\nsetread \"scores.txt\n"
            "print last readlist\nprint readword\nshow keyp\nclose \"scores.txt\n"
            "open \"../escape.txt\nsave \"ws.lgo\nshow filep \"ws.lgo\n");
  auto r = testing::RunCorvida({"logo", "--files", dir.File("box"), dir.File("prog.lgo")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "12\nbob 9\nFALSE\n"
            "Logo Error: Can't read from [\"../escape.txt]\n\nAt: OPEN \"../escape.txt\n"
            "TRUE\n");
  EXPECT_EQ(dir.Read("box/scores.txt"), "ann 12\r\nbob 9\r\n");
  EXPECT_FALSE(std::ifstream(dir.File("escape.txt")).good());
}

TEST(LogoFilesCommand, WithoutAFolderFilesAreRefused) {
  auto r = testing::RunCorvida({"logo", "-e", "open \"x.txt\nprint \"still\\ running"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Logo Error: Can't read from [\"x.txt]\n\nAt: OPEN \"x.txt\nstill running\n");
  EXPECT_EQ(testing::RunCorvida({"logo", "--files"}).status, 2);
}

TEST(LogoFilesCommand, StandardInputFeedsTheInputPrimitives) {
  auto r = testing::RunCorvida({"logo", "-e",
                                "show readlist\nshow readword\nshow readchar\nshow readchars 2\n"
                                "show ascii readchar\nshow keyp\nshow readlist\nshow keyp"},
                               "to [be free]\ncaf\xC3\xA9 au lait\nxyz\nlast\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "[to [be free]]\ncaf\xC3\xA9 au lait\nx\nyz\n13\nTRUE\n[last]\nFALSE\n");
  // When the program comes from standard input too, READLIST takes the next line.
  auto s = testing::RunCorvida({"logo"}, "make \"x readlist\nhello there\nshow :x\n");
  EXPECT_EQ(s.out, "[hello there]\n");
}

}  // namespace
}  // namespace corvida

#include <gtest/gtest.h>

#include "platform/gfx/png.h"
#include "support/test_support.h"

namespace corvida {
namespace {

TEST(LogoCommand, RunsEachLineAtTheTopLevel) {
  testing::TempDir dir;
  dir.Write("prog.lgo",
            "to sq :x\r\noutput :x * :x\r\nend\r\nprint sq 7\r\nprint 1 / 0\r\n"
            "print \"after\r\nprint \"caf\xC3\xA9\r\n");
  auto r = testing::RunCorvida({"logo", dir.File("prog.lgo")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "49\nLogo Error: Can't divide by 0\n\nAt: PRINT 1 / 0\nafter\ncaf\xC3\xA9\n");
}

TEST(LogoCommand, TextOptionSeedStandardInputAndHelp) {
  auto e = testing::RunCorvida({"logo", "-e", "print 2 + 3 * 4\nshow [a [b]]"});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.out, "14\n[a [b]]\n");
  auto a = testing::RunCorvida({"logo", "--seed", "7", "-e", "print random 1000"});
  auto b = testing::RunCorvida({"logo", "--seed", "7", "-e", "print random 1000"});
  EXPECT_EQ(a.out, b.out);
  auto in = testing::RunCorvida({"logo"}, "to f\nprint \"hi\nend\nf\n");
  EXPECT_EQ(in.out, "hi\n");  // no prompts when the input is not a terminal
  auto unfinished = testing::RunCorvida({"logo", "-e", "to f\nprint 1"});
  EXPECT_EQ(unfinished.out, "Logo Error: You used a TO without an END\n\nAt: TO f\n");
  auto help = testing::RunCorvida({"logo", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--seed"), std::string::npos);
  EXPECT_NE(help.out.find("--files DIR"), std::string::npos);
  EXPECT_NE(help.out.find("symbolic link"), std::string::npos);
  EXPECT_EQ(testing::RunCorvida({"logo", "--bogus"}).status, 2);
}

// The turtle draws on a white picture written at the end, without its figure.
TEST(LogoCommand, TurtleWritesThePicture) {
  testing::TempDir dir;
  auto r = testing::RunCorvida({"logo", "--turtle", dir.File("t.png"), "--size", "40x30", "-e",
                                "fd 5 rt 90 setpc 2 fd 3\nprint pos"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "3 5\n");
  gfx::Bitmap b;
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("t.png"), b));
  ASSERT_EQ(b.width(), 40);
  ASSERT_EQ(b.height(), 30);
  int black = 0, red = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      gfx::Rgb c = b.ColorAt(x, y);
      bool on_column = x == 20 && y >= 11 && y <= 15;
      bool on_row = y == 10 && x >= 20 && x <= 22;
      constexpr gfx::Rgb kRed{255, 0, 0};
      gfx::Rgb expected = on_column ? gfx::kBlack : on_row ? kRed : gfx::kWhite;
      EXPECT_EQ(c, expected) << x << "," << y;
      black += c == gfx::kBlack, red += c == kRed;
    }
  }
  EXPECT_EQ(black, 5);
  EXPECT_EQ(red, 3);

  auto sized = testing::RunCorvida({"logo", "--turtle", dir.File("d.png"), "-e", "ht"});
  EXPECT_EQ(sized.status, 0);
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("d.png"), b));
  EXPECT_EQ(b.width(), 640);
  EXPECT_EQ(b.height(), 480);
  for (const char* bad : {"0x10", "10", "10x", "5000x5", "axb", "10x10x"})
    EXPECT_EQ(
        testing::RunCorvida({"logo", "--turtle", dir.File("x.png"), "--size", bad, "-e", "ht"})
            .status,
        2)
        << bad;
}

}  // namespace
}  // namespace corvida

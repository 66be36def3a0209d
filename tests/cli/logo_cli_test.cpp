#include <gtest/gtest.h>

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

}  // namespace
}  // namespace corvida

// Runaway recursion, deep nesting and heavily shared lists end in the interpreter's own
// errors or finish in linear time; none may overflow the native stack.
#include <gtest/gtest.h>

#include "logo_harness.h"

namespace corvida::logo {
namespace {

TEST(LogoDepth, RunawayRecursionIsOutOfStackSpace) {
  testing::Harness h;
  EXPECT_EQ(h.Lines("to f :n\nf :n + 1\nend\nf 1"),
            "Logo Error: Out of stack space\n\nAt: f :n + 1\n");
  EXPECT_EQ(h.Lines("to g :n\noutput 1 + g :n\nend\nprint g 1"),
            "Logo Error: Out of stack space\n\nAt: OUTPUT 1 + g :n\n");
  // Deep but bounded recursion still works, and the interpreter carries on afterwards.
  EXPECT_EQ(h.Lines("to down :n\nif :n = 0 [output 0]\noutput down :n - 1\nend\nprint down 2000"),
            "0\n");
  // Recursion through RUN and IF lists is counted as well.
  EXPECT_EQ(h.Lines("to r\nrun [if \"true [r]]\nend\nr"),
            "Logo Error: Out of stack space\n\nAt: r\n");
}

TEST(LogoDepth, DeepNestingInTheReaderAndInParentheses) {
  testing::Harness h;
  std::string brackets = "print " + std::string(5000, '[') + "a";
  EXPECT_EQ(h.Lines(brackets).substr(0, 31), "Logo Error: Out of stack space\n");
  std::string parens = "print " + std::string(50000, '(') + "1" + std::string(50000, ')');
  EXPECT_EQ(h.Lines(parens).substr(0, 31), "Logo Error: Out of stack space\n");
  EXPECT_EQ(h.Lines("print \"fine"), "fine\n");
}

TEST(LogoDepth, DeeplyNestedListsPrintCompareAndCollect) {
  testing::Harness h;
  EXPECT_EQ(h.Lines("make \"x [] make \"y []\n"
                    "repeat 100000 [make \"x (list :x) make \"y (list :y)]\n"
                    "print equalp :x :y recycle print count :x"),
            "TRUE\n1\n");
  std::string printed = h.Lines("show :x");
  EXPECT_EQ(printed.size(), 2u * 100001 + 1);
}

TEST(LogoDepth, HeavilySharedListsCostLinearTime) {
  testing::Harness h;
  EXPECT_EQ(h.Lines("make \"x [a] make \"y [a]\n"
                    "repeat 60 [make \"x list :x :x make \"y list :y :y]\n"
                    "print equalp :x :y print count :x recycle print :x = :y\n"
                    "make \"z first :x print equalp :z :y"),
            "TRUE\n2\nTRUE\nFALSE\n");
}

TEST(LogoDepth, EscapeStopsARunningScript) {
  testing::Harness h;
  Message key;
  key.message = msg::kKeyDown;
  key.wParam = vk::kEscape;
  h.platform().windows().PostMessage(key);
  key.message = msg::kChar;
  h.platform().windows().PostMessage(key);
  EXPECT_EQ(h.Lines("make \"i 0 repeat 1000000 [make \"i :i + 1] print :i < 1000000\n"
                    "print \"next"),
            "next\n");
  EXPECT_EQ(h.platform().headless_windows().QueuedMessages(), 0u);
}

TEST(LogoDepth, WaitRunsOnTheClock) {
  testing::Harness h;
  uint32_t start = h.platform().clock().Milliseconds();
  EXPECT_EQ(h.Lines("wait 60 print \"done"), "done\n");
  EXPECT_EQ(h.platform().clock().Milliseconds() - start, 1000u);
}

}  // namespace
}  // namespace corvida::logo

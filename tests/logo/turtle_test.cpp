// Turtle graphics: what the turtle primitives output and report, and the pictures they
// draw, compared pixel by pixel with pictures the tests work out themselves.
#include <gtest/gtest.h>

#include "turtle_harness.h"

namespace corvida::logo::turtle_test {
namespace {

using namespace testing;

void CheckOutputs(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(TurtleRun().Lines(c.lines), c.output) << c.lines;
}

TEST(LogoTurtle, PositionAndHeading) {
  CheckOutputs({
      {"show pos", "[0 0]\n"},
      {"fd 100 show pos", "[0 100]\n"},
      {"fd 100 rt 90 fd 50 show pos", "[50 100]\n"},
      {"fd 10.7 show pos", "[0 10]\n"},
      {"bk 30 show pos show heading", "[0 -30]\n0\n"},
      {"lt 90 show heading", "270\n"},
      {"rt 45 show heading", "45\n"},
      {"rt 720 + 30 show heading", "30\n"},
      {"rt 0.5 show heading", "1\n"},
      {"seth -90 show heading", "270\n"},
      {"rt 30 fd 100 show pos", "[49 86]\n"},
      {"repeat 4 [fd 50 rt 90] show pos show heading", "[0 0]\n0\n"},
      {"setpos [30 -40] show pos show xcor show ycor show zcor", "[30 -40]\n30\n-40\n0\n"},
      {"make \"a 7 setpos [:a :a * 2] show pos", "[7 14]\n"},
      {"setx 5 sety -6 show pos", "[5 -6]\n"},
      {"fd 20 rt 90 home show pos show heading", "[0 0]\n0\n"},
      {"show towards [10 10] show towards [0 -5] show towards [-3 0]", "45\n180\n270\n"},
      {"fd 2000000000 show pos", "[0 2000000000]\n"},
  });
}

TEST(LogoTurtle, PenColoursAndFlags) {
  CheckOutputs({
      {"show pen pu show pen pe show pen px show pen pd show pen",
       "PENDOWN\nPENUP\nPENERASE\nPENREVERSE\nPENDOWN\n"},
      {"show pc setpc 10 show pc show pencolorrgb", "0\n2\n[255 0 0]\n"},
      {"setpc -1 show pc", "7\n"},
      {"setpcrgb [65535 0 0] show pc show pencolorrgb", "2\n[255 0 0]\n"},
      {"setpcrgb [32768 32768 32768] show pc", "1\n"},
      {"setpcrgb [0 40000 65535] show pc", "5\n"},
      {"show bg setbg 4 show bg show backgroundrgb", "1\n4\n[0 0 255]\n"},
      {"setbgrgb [1 2 3] show bg", "1\n"},
      {"show getforecolor show getbackcolor", "0\n1\n"},
      {"setforecolor 3 setbackcolor 14 show getforecolor show getbackcolor", "3\n6\n"},
      {"show shownp ht show shownp st show shownp", "TRUE\nFALSE\nTRUE\n"},
      {"show scrunch setscrunch 2 show scrunch setscrunch 1.5 show scrunch", "1\n2\n1.5\n"},
      {"show dotp [10 10] dot [10 10] show dotp [10 10]", "FALSE\nTRUE\n"},
      {"show dotp [500 500]", "FALSE\n"},
  });
}

TEST(LogoTurtle, ErrorsNameThePrimitive) {
  CheckOutputs({
      {"fence fd 1000 show pos",
       "Logo Error: Turtle out of bounds\n\nAt: FENCE FD 1000 show pos\n"},
      {"fence fd 1000\nshow pos", "Logo Error: Turtle out of bounds\n\nAt: FENCE FD 1000\n[0 0]\n"},
      {"fd \"far", "Logo Error: FORWARD doesn't like \"far as input\n\nAt: FD \"far\n"},
      {"setpos [1]", "Logo Error: SETPOS doesn't like [1] as input\n\nAt: SETPOS [1]\n"},
      {"setpos \"x", "Logo Error: SETPOS doesn't like \"x as input\n\nAt: SETPOS \"x\n"},
      // The move is made (the third item a depth) before the error.
      {"setpos [1 2 3 4]\nshow pos",
       "Logo Error: Too many inputs to SETPOS\n\nAt: SETPOS [1 2 3 4]\n[1 2 3]\n"},
      {"setpcrgb [1 2]", "Logo Error: Too few items in SETPCRGB\n\nAt: SETPCRGB [1 2]\n"},
      {"setpcrgb [1 2 3 4]", "Logo Error: Too many inputs to SETPCRGB\n\nAt: SETPCRGB [1 2 3 4]\n"},
      {"dotp [1 2 3]", "Logo Error: Too many inputs to DOTP\n\nAt: DOTP [1 2 3]\n"},
      {"dot [1 2 3 4]", "Logo Error: Too many inputs to DOT\n\nAt: DOT [1 2 3 4]\n"},
      {"setscrunch 0", "Logo Error: SETSCRUNCH doesn't like 0 as input\n\nAt: SETSCRUNCH 0\n"},
  });
}

// Lines in each pen state, with the turtle figure hidden. The turtle starts at window
// (50, 50); a line covers its start and leaves out its end.
TEST(LogoTurtle, LinesInEachPenState) {
  struct Picture {
    const char* lines;
    void (*expect)(Painted&);
  };
  const Picture pictures[] = {
      {"ht fd 40", [](Painted& p) { Column(p, 50, 11, 50); }},
      {"ht pu fd 10 pd rt 90 fd 20", [](Painted& p) { Row(p, 40, 50, 69); }},
      {"ht fd 40 pe bk 20", [](Painted& p) { Column(p, 50, 30, 50); }},
      {"ht px fd 40 bk 20",
       [](Painted& p) {
         Paint(p, 50, 10);
         Column(p, 50, 30, 50);
       }},
      {"ht setpc 2 rt 90 fd 10 setpc 4 fd 10",
       [](Painted& p) {
         Row(p, 50, 50, 59, kRed);
         Row(p, 50, 60, 69, kBlue);
       }},
      {"ht setpensize 3 3 rt 90 fd 10",
       [](Painted& p) {
         for (int y = 49; y <= 51; ++y) Row(p, y, 49, 60);
       }},
      {"ht setscrunch 2 rt 90 fd 10", [](Painted& p) { Row(p, 50, 50, 69); }},
      {"ht dot [10 20] setpc 2 dot [-50 50]",
       [](Painted& p) {
         Paint(p, 60, 30);
         Paint(p, 0, 0, kRed);
       }},
      {"fd 20 setbg 2 cs ht",
       [](Painted& p) {
         for (int y = 0; y < 100; ++y) Row(p, y, 0, 99, kRed);
       }},
      {"ht fd 30 clean rt 90 fd 5", [](Painted& p) { Row(p, 20, 50, 54); }},
      // The figure comes off exactly: shown or hidden, the drawing is the same.
      {"fd 10 rt 30 fd 5 lt 100 bk 3 ht",
       [](Painted& p) {
         TurtleRun plain;
         plain.Lines("ht fd 10 rt 30 fd 5 lt 100 bk 3");
         p = NonWhite(plain);
       }},
  };
  for (const Picture& pic : pictures) {
    TurtleRun run;
    EXPECT_EQ(run.Lines(pic.lines), "") << pic.lines;
    Painted expected;
    pic.expect(expected);
    EXPECT_EQ(NonWhite(run), expected) << pic.lines;
  }
}

TEST(LogoTurtle, EdgeModes) {
  struct Picture {
    const char* lines;
    const char* output;
    void (*expect)(Painted&);
  };
  const Picture pictures[] = {
      {"ht rt 90 fd 80 show pos", "[80 0]\n", [](Painted& p) { Row(p, 50, 50, 99); }},
      {"ht wrap rt 90 fd 80 show pos", "[-20 0]\n",
       [](Painted& p) {
         Row(p, 50, 50, 99);
         Row(p, 50, 0, 29);
       }},
      {"ht wrap lt 90 fd 80 show pos", "[20 0]\n",
       [](Painted& p) {
         Row(p, 50, 0, 50);
         Row(p, 50, 71, 99);
       }},
      {"ht wrap fd 80 show pos", "[0 -20]\n",
       [](Painted& p) {
         Column(p, 50, 0, 50);
         Column(p, 50, 71, 99);
       }},
      {"ht wrap rt 90 fd 250 show pos", "[-50 0]\n", [](Painted& p) { Row(p, 50, 0, 99); }},
      {"ht fence rt 90 fd 49 fd 1 show pos",
       "Logo Error: Turtle out of bounds\n\nAt: HT FENCE RT 90 FD 49 FD 1 show pos\n",
       [](Painted& p) { Row(p, 50, 50, 98); }},
      {"ht rt 90 fd 1000000000 bk 2000000000", "", [](Painted& p) { Row(p, 50, 0, 99); }},
  };
  for (const Picture& pic : pictures) {
    TurtleRun run;
    EXPECT_EQ(run.Lines(pic.lines), pic.output) << pic.lines;
    Painted expected;
    pic.expect(expected);
    EXPECT_EQ(NonWhite(run), expected) << pic.lines;
  }
}

TEST(LogoTurtle, WrapModeBringsAnOutsideTurtleHome) {
  TurtleRun run;
  EXPECT_EQ(run.Lines("pu fd 500 show pos wrap show pos fence fd 500"),
            "[0 500]\n[0 0]\nLogo Error: Turtle out of bounds\n\nAt: PU FD 500 SHOW POS WRAP "
            "SHOW POS FENCE FD 500\n");
}

// A diagonal wrapping a billion pixels would cross the window millions of times: the
// work budget ends it.
TEST(LogoTurtle, LongWrapStopsAtTheWorkBudget) {
  InterpreterConfig config;
  config.max_steps = 2000;
  TurtleRun run(100, 100, {0, 0, 100, 100}, config);
  EXPECT_EQ(run.Lines("ht wrap rt 1 fd 1000000000"),
            "Logo Error: The script ran too long and was stopped\n\nAt: HT WRAP RT 1 FD "
            "1000000000\n");
}

TEST(LogoTurtle, DrawingStaysInsideTheClientArea) {
  TurtleRun run(100, 100, {10, 10, 90, 90});
  run.Lines("ht fd 1000 rt 90 fd 1000 setpc 4 pu setpos [-20 -20] fill");
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      bool inside = x >= 10 && x < 90 && y >= 10 && y < 90;
      if (!inside) {
        EXPECT_EQ(run.At(x, y), kWhite) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(run.At(30, 30), kBlue);
  EXPECT_EQ(run.At(50, 10), kBlack);  // the column reaches the area's top row
}

TEST(LogoTurtle, FillTakesTheAreaUnderTheTurtle) {
  TurtleRun run;
  run.Lines(
      "ht pu setpos [-10 -10] pd setpos [10 -10] setpos [10 10] setpos [-10 10] "
      "setpos [-10 -10] pu home setpc 2 fill");
  Painted expected;
  for (int y = 40; y <= 60; ++y) {
    for (int x = 40; x <= 60; ++x) {
      bool border = x == 40 || x == 60 || y == 40 || y == 60;
      Paint(expected, x, y, border ? kBlack : kRed);
    }
  }
  EXPECT_EQ(NonWhite(run), expected);

  TurtleRun open;
  open.Lines("ht setpc 4 fill");
  EXPECT_EQ(NonWhite(open).size(), 100u * 100u);
}

TEST(LogoTurtle, WithoutASurfaceTheTurtleMovesAndDrawsNothing) {
  EXPECT_EQ(testing::RunLogo("fd 10 rt 90 fd 5 fill dot [1 1] show pos show dotp [1 1]"),
            "[5 10]\nFALSE\n");
}

}  // namespace
}  // namespace corvida::logo::turtle_test

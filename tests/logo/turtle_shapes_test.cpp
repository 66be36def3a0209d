// The shape primitives: what each family draws for each shape, in turtle coordinates,
// and how they take bad and far-off rectangles.
#include <gtest/gtest.h>

#include "turtle_harness.h"

namespace corvida::logo {
namespace {

using namespace testing;

// Every pixel of the window box [x0, x1) x [y0, y1), in a colour, or only its border.
void Box(Painted& p, int x0, int y0, int x1, int y1, gfx::Rgb c = kBlack) {
  for (int y = y0; y < y1; ++y) Row(p, y, x0, x1 - 1, c);
}
void Border(Painted& p, int x0, int y0, int x1, int y1) {
  Row(p, y0, x0, x1 - 1);
  Row(p, y1 - 1, x0, x1 - 1);
  Column(p, x0, y0, y1 - 1);
  Column(p, x1 - 1, y0, y1 - 1);
}

// [-10 10 10 -10] is the window box (40, 40) to (60, 60), right and bottom left out.
TEST(TurtleShapes, RectanglesInEachFamily) {
  struct Picture {
    const char* lines;
    gfx::Rgb background;
    void (*expect)(Painted&);
  };
  const Picture pictures[] = {
      {"ht framerect [-10 10 10 -10]", kWhite, [](Painted& p) { Border(p, 40, 40, 60, 60); }},
      {"ht setpensize 2 2 framerect [-10 10 10 -10]", kWhite,
       [](Painted& p) {
         Box(p, 40, 40, 60, 60);
         Painted inner;
         Box(inner, 42, 42, 58, 58);
         for (auto& px : inner) p.erase(px);
       }},
      // Either corner may come first.
      {"ht setpc 2 paintrect [10 -10 -10 10]", kWhite,
       [](Painted& p) { Box(p, 40, 40, 60, 60, kRed); }},
      {"ht setscrunch 2 paintrect [0 10 10 0]", kWhite, [](Painted& p) { Box(p, 50, 40, 70, 50); }},
      // Erasing paints the shapes' back colour.
      {"ht setbg 4 cs setbackcolor 2 eraserect [-10 10 10 -10]", kBlue,
       [](Painted& p) { Box(p, 40, 40, 60, 60, kRed); }},
      {"ht invertrect [-10 10 10 -10]", kWhite, [](Painted& p) { Box(p, 40, 40, 60, 60); }},
      {"ht invertrect [-10 10 10 -10] invertrect [-10 10 10 -10]", kWhite, [](Painted&) {}},
      // Shapes draw whatever the pen state, as DOT does; PENERASE uses the background.
      {"ht pu paintrect [0 0 2 -2]", kWhite, [](Painted& p) { Box(p, 50, 50, 52, 52); }},
      {"ht paintrect [-10 10 10 -10] pe paintrect [-5 5 5 -5]", kWhite,
       [](Painted& p) {
         Box(p, 40, 40, 60, 60);
         Painted hole;
         Box(hole, 45, 45, 55, 55);
         for (auto& px : hole) p.erase(px);
       }},
      {"ht px paintrect [-10 10 10 -10] paintrect [-10 10 10 -10]", kWhite, [](Painted&) {}},
      // A rectangle far larger than any window costs what the window holds.
      {"ht paintoval [-1000000000 1000000000 1000000000 -1000000000]", kWhite,
       [](Painted& p) { Box(p, 0, 0, 100, 100); }},
      {"ht paintrect [0 0 0 10] paintoval [5 5 5 5]", kWhite, [](Painted&) {}},
  };
  for (const Picture& pic : pictures) {
    TurtleRun run;
    EXPECT_EQ(run.Lines(pic.lines), "") << pic.lines;
    Painted expected;
    pic.expect(expected);
    EXPECT_EQ(Differing(run, pic.background), expected) << pic.lines;
  }
}

// Ovals, rounded rectangles and arcs: the frame is the rim of the painted shape, the
// inverted shape is the painted one, and an arc keeps to its quarter.
TEST(TurtleShapes, CurvedShapesAgreeAcrossFamilies) {
  auto drawn = [](const std::string& lines) {
    TurtleRun run;
    EXPECT_EQ(run.Lines("ht " + lines), "") << lines;
    return NonWhite(run);
  };
  for (std::string shape : {"oval [-10 10 10 -10]", "rrect [-10 10 10 -10] 8 8",
                            "arc [-10 10 10 -10] 0 90", "arc [-10 10 10 -10] 180 -45"}) {
    Painted painted = drawn("paint" + shape), framed = drawn("frame" + shape);
    EXPECT_EQ(drawn("invert" + shape), painted) << shape;
    EXPECT_FALSE(painted.empty()) << shape;
    EXPECT_FALSE(framed.empty()) << shape;
    for (auto& px : framed) EXPECT_TRUE(painted.count(px)) << shape;  // the rim only
    EXPECT_LT(framed.size(), painted.size()) << shape;
    // Nothing outside the box, and its corner stays clear.
    for (auto& [at, colour] : painted) {
      EXPECT_TRUE(at.first >= 40 && at.first < 60 && at.second >= 40 && at.second < 60) << shape;
    }
    EXPECT_FALSE(painted.count({{40, 40}, gfx::Color::FromRgb(kBlack).value})) << shape;
  }
  // Clockwise from noon: 0 over 90 is the upper right quarter, 180 over -45 runs from six
  // o'clock back towards three (lower right).
  auto quarter = [](const Painted& p, bool right, bool upper) {
    for (auto& [at, colour] : p) {
      if ((at.first >= 50) != right && at.first != 50) return false;
      if ((at.second < 50) != upper && at.second != 50) return false;
    }
    return true;
  };
  EXPECT_TRUE(quarter(drawn("paintarc [-10 10 10 -10] 0 90"), true, true));
  EXPECT_TRUE(quarter(drawn("paintarc [-10 10 10 -10] 180 -45"), true, false));
  EXPECT_TRUE(quarter(drawn("paintarc [-10 10 10 -10] 270 90"), false, true));
  // The oval's widest row touches the box's sides; the rounded rectangle keeps its edges.
  Painted oval = drawn("paintoval [-10 10 10 -10]");
  EXPECT_TRUE(oval.count({{40, 50}, gfx::Color::FromRgb(kBlack).value}));
  EXPECT_TRUE(oval.count({{59, 50}, gfx::Color::FromRgb(kBlack).value}));
  Painted rrect = drawn("framerrect [-10 10 10 -10] 8 8");
  EXPECT_TRUE(rrect.count({{50, 40}, gfx::Color::FromRgb(kBlack).value}));
  EXPECT_TRUE(rrect.count({{40, 50}, gfx::Color::FromRgb(kBlack).value}));
}

TEST(TurtleShapes, BadRectanglesAreRefused) {
  const Case cases[] = {
      {"framerect [1 2 3]",
       "Logo Error: FRAMERECT doesn't like [1 2 3] as input\n\nAt: "
       "FRAMERECT [1 2 3]\n"},
      {"paintoval [1 2 3 4 5]",
       "Logo Error: PAINTOVAL doesn't like [1 2 3 4 5] as input\n\nAt: "
       "PAINTOVAL [1 2 3 4 5]\n"},
      {"eraserect \"box",
       "Logo Error: ERASERECT doesn't like \"box as input\n\nAt: ERASERECT "
       "\"box\n"},
      {"invertarc [0 0 10 10] \"a 90",
       "Logo Error: INVERTARC doesn't like \"a as input\n\nAt: "
       "INVERTARC [0 0 10 10] \"a 90\n"},
      {"framerrect [0 0 10 10] 4",
       "Logo Error: Not enough inputs to FRAMERRECT\n\nAt: "
       "FRAMERRECT [0 0 10 10] 4\n"},
      // Without a window the shapes draw nothing and report nothing.
      {"paintrect [0 0 10 10] framearc [0 0 10 10] 0 90", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(RunLogo(c.lines), c.output) << c.lines;
}

}  // namespace
}  // namespace corvida::logo

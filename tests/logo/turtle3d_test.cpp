// The turtle in 3-D: positions and orientation in depth, the perspective drawing, the
// red/cyan stereo view, and lines that reach the eye.
#include <gtest/gtest.h>

#include "turtle_harness.h"

namespace corvida::logo {
namespace {

using namespace testing;

void CheckOutputs(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(TurtleRun().Lines(c.lines), c.output) << c.lines;
}

TEST(Turtle3D, PositionsAndOrientation) {
  CheckOutputs({
      {"show pos show heading", "[0 0]\n0\n"},
      {"setz 10 show pos show zcor", "[0 0 10]\n10\n"},
      {"setpos [1 2 3] show pos", "[1 2 3]\n"},
      {"setz 5 setx 7 sety 8 show pos", "[7 8 5]\n"},
      {"seth3d 30 20 10 show heading", "[10 20 30]\n"},
      {"seth3d 123 -30 45 show heading", "[45 330 123]\n"},
      {"rollright 30 show heading", "[30 0 0]\n"},
      {"rollleft 30 show heading", "[330 0 0]\n"},
      {"rotatein 45 show heading", "[0 45 0]\n"},
      {"rotateout 45 show heading", "[0 315 0]\n"},
      {"rt 90 rotatein 30 show heading", "[0 30 90]\n"},
      // Straight into the picture: depth grows, the plane position stays.
      {"rotatein 90 fd 50 show pos", "[0 0 50]\n"},
      {"seth3d 90 30 0 fd 100 show pos", "[86 0 49]\n"},  // 100 x sin 30 is 49.99..
      {"rollright 90 rt 90 fd 10 show pos", "[0 0 -10]\n"},
      // SHOWTURTLE leaves 3-D only when the turtle is back in the plane, facing it.
      {"setz 10 st show pos", "[0 0 10]\n"},
      {"setz 10 setz 0 st show pos show heading", "[0 0]\n0\n"},
      {"rollright 30 setz 0 st show heading", "[30 0 0]\n"},
      {"st3d show pos st show pos", "[0 0 0]\n[0 0]\n"},
      {"cs3d show bg show pos setz 9 cs show pos", "0\n[0 0 0]\n[0 0 0]\n"},
      {"seth3d 10 20 30 seth 45 show heading", "[0 0 45]\n"},
  });
}

TEST(Turtle3D, ErrorsNameThePrimitive) {
  CheckOutputs({
      {"setz \"a", "Logo Error: SETZ doesn't like \"a as input\n\nAt: SETZ \"a\n"},
      {"seth3d 1 2", "Logo Error: Not enough inputs to SETH3D\n\nAt: SETH3D 1 2\n"},
      {"dot [1 2 3 4]", "Logo Error: Too many inputs to DOT\n\nAt: DOT [1 2 3 4]\n"},
  });
}

// The window is 100 x 100, so the centre is (50, 50); a point at depth z is drawn
// 1728 / (z + 1728) times as far from it, truncated.
TEST(Turtle3D, PerspectivePictures) {
  struct Picture {
    const char* lines;
    void (*expect)(Painted&);
  };
  const Picture pictures[] = {
      // At depth 1728 everything is half as far from the centre.
      {"ht pu setz 1728 pd rt 90 fd 40", [](Painted& p) { Row(p, 50, 50, 69); }},
      // At depth -864 twice as far.
      {"ht pu setz -864 pd rt 90 fd 20", [](Painted& p) { Row(p, 50, 50, 89); }},
      // A line going into the picture: from (90, 50) to (70, 50), the end left out.
      {"ht pu setpos [40 0 0] pd setpos [40 0 1728]", [](Painted& p) { Row(p, 50, 71, 90); }},
      // Truncation towards the centre: 30 at depth 100 is 28, -20 is -18.
      {"ht pu setpos [30 0 100] pd setpos [30 20 100]", [](Painted& p) { Column(p, 78, 33, 50); }},
      // A dot in depth.
      {"ht dot [20 20 1728]", [](Painted& p) { Paint(p, 60, 40); }},
      // Wholly at or behind the eye: nothing, and no division by zero.
      {"ht pu setpos [0 0 -2000] pd setpos [40 0 -2000] dot [5 5 -1728] dot [5 5 -5000]",
       [](Painted&) {}},
      // Reaching behind the eye: cut at the eye's depth, so it runs off to the right.
      {"ht pu setpos [10 0 0] pd setz -3000", [](Painted& p) { Row(p, 50, 60, 99); }},
      // In 3-D the edge modes do not hold: the turtle leaves the window.
      {"ht fence setz 1 rt 90 fd 80 show pos", [](Painted& p) { Row(p, 50, 50, 99); }},
      // The figure comes off exactly in 3-D too.
      {"setz 300 rt 30 rotatein 20 rollright 10 fd 30 ht",
       [](Painted& p) {
         TurtleRun plain;
         plain.Lines("ht setz 300 rt 30 rotatein 20 rollright 10 fd 30");
         p = NonWhite(plain);
       }},
  };
  for (const Picture& pic : pictures) {
    TurtleRun run;
    run.Lines(pic.lines);
    Painted expected;
    pic.expect(expected);
    EXPECT_EQ(NonWhite(run), expected) << pic.lines;
  }
}

// The stereo view draws every line twice, the left eye's red and the right eye's
// blue-green, (x * 3 -/+ 270) * 576 / (z + 1728) +/- 90 from the centre: one image in
// the plane, parted by depth. On black they add up where they cross.
constexpr gfx::Rgb kLeft{255, 0, 0}, kRight{0, 0x75, 255}, kBoth{255, 0x75, 255};

TEST(Turtle3D, StereoPictures) {
  struct Picture {
    const char* lines;
    gfx::Rgb background;
    void (*expect)(Painted&);
  };
  const Picture pictures[] = {
      {"cs3d ht rt 90 fd 20", gfx::kBlack, [](Painted& p) { Row(p, 50, 50, 69, kBoth); }},
      // At depth 1728: left 5..14, right from 95 (and off the window).
      {"cs3d ht pu setz 1728 pd rt 90 fd 20", gfx::kBlack,
       [](Painted& p) {
         Row(p, 50, 5, 14, kLeft);
         Row(p, 50, 95, 99, kRight);
       }},
      // In front of the plane the images cross over: at depth -432 the left eye's dot is
      // (0 * 3 + 270) * 576 / 1296 - 90 = 30 right of the centre, the right eye's 30 left.
      {"cs3d ht dot [0 0 -432]", gfx::kBlack,
       [](Painted& p) {
         Paint(p, 80, 50, kLeft);
         Paint(p, 20, 50, kRight);
       }},
      // On white the right eye's image covers the left's where they meet.
      {"st3d ht rt 90 fd 10", gfx::kWhite, [](Painted& p) { Row(p, 50, 50, 59, kRight); }},
      // ST leaves the stereo view: one black line again.
      {"st3d st ht rt 90 fd 10", gfx::kWhite, [](Painted& p) { Row(p, 50, 50, 59); }},
      // Erasing back over both images leaves, as in the plane, the pixel each began at.
      {"cs3d ht pu setz 1728 pd rt 90 fd 20 pe bk 20", gfx::kBlack,
       [](Painted& p) {
         Paint(p, 5, 50, kLeft);
         Paint(p, 95, 50, kRight);
       }},
  };
  for (const Picture& pic : pictures) {
    TurtleRun run;
    run.Lines(pic.lines);
    Painted expected;
    pic.expect(expected);
    EXPECT_EQ(Differing(run, pic.background), expected) << pic.lines;
  }
}

}  // namespace
}  // namespace corvida::logo

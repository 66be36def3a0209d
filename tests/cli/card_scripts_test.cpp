// Button scripts end to end: `corvida replay` clicks buttons whose scripts draw with the
// turtle (seen in a shot), print with TEXTIO (seen as `print` lines) and are stopped by
// Escape; and the demo stack's Draw button.
#include <gtest/gtest.h>

#include "replay_stack.h"

namespace corvida::card_scripts_test {
namespace {

using testing::ReplayedStack;
using testing::RunCorvida;

// A white 160 x 120 card: "Draw" (at 0..30, 0..20) draws a red square of side 20 from
// the turtle's home (80, 60) up and to the right; "Say" prints; "Spin" would walk for
// 100 seconds and then print.
const char* kStack = R"({
  "stack": {"width": 160, "height": 120, "depth": 8},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [
       {"type": "button", "id": 1, "rect": [0, 0, 30, 20], "name": "Draw",
        "actions": [{"kind": "script", "text": "ht setpc 2\rrepeat 4 [fd 20 rt 90]"}]},
       {"type": "button", "id": 2, "rect": [40, 0, 70, 20], "name": "Say",
        "actions": [{"kind": "script",
                     "text": "textio print [hello card]\rtype \"sum\\  print 2 + 3"}]},
       {"type": "button", "id": 3, "rect": [80, 0, 110, 20], "name": "Spin",
        "actions": [{"kind": "script",
                     "text": "ht repeat 1000 [fd 1 rt 1 wait 6]\rtextio print \"unreached"}]}
     ]}
  ]
})";

gfx::Rgb Pixel(const DecodedPicture& p, int x, int y) {
  if (p.indexed()) {
    const gfx::Rgb& e = p.palette.at(p.pixels[size_t(y) * p.stride() + size_t(x)]);
    return e;
  }
  const uint8_t* px = p.pixels.data() + size_t(y) * p.stride() + size_t(x) * 4;
  return {px[0], px[1], px[2]};
}

TEST(CardScripts, ATurtleDrawingIsSeenInTheShot) {
  ReplayedStack stack(kStack);
  auto r = stack.Play("click 10 10\nshot drawn.png\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("button 1 \"Draw\"\nscript \"ht setpc 2...\"\n"), std::string::npos)
      << r.out;
  DecodedPicture shot = stack.Shot("drawn.png");
  ASSERT_EQ(shot.width, 160);
  const gfx::Rgb red{255, 0, 0}, white{255, 255, 255};
  // The square's corners are (80, 60), (80, 40), (100, 40) and (100, 60).
  for (auto [x, y] : {std::pair{80, 50}, {90, 40}, {100, 50}, {90, 60}, {80, 41}, {99, 60}})
    EXPECT_EQ(Pixel(shot, x, y), red) << x << "," << y;
  for (auto [x, y] : {std::pair{90, 50}, {79, 50}, {101, 50}, {90, 39}, {90, 61}})
    EXPECT_EQ(Pixel(shot, x, y), white) << x << "," << y;
}

TEST(CardScripts, TextioPrintsBecomePrintLines) {
  ReplayedStack stack(kStack);
  auto r = stack.Play("click 50 10\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("script \"textio print [hello card]...\"\n"
                       "print \"hello card\"\n"
                       "print \"sum 5\"\n"),
            std::string::npos)
      << r.out;
}

TEST(CardScripts, EscapeStopsARunningScriptAndThePlayerGoesOn) {
  ReplayedStack stack(kStack);
  // Escape comes a second into the next click's script; Say then runs as usual.
  auto r = stack.Play("key Escape after 1000\nclick 90 10\nclick 50 10\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find("unreached"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("button 3 \"Spin\"\nscript \"ht repeat 1000 [fd 1 rt 1 wait 6]...\"\n"
                       "button 2 \"Say\""),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("print \"hello card\"\n"), std::string::npos) << r.out;
}

TEST(CardScripts, TheDemosDrawButtonDrawsAStar) {
  ReplayedStack stack(kStack);
  const std::string demo = stack.dir.File("demo.stk");
  auto r = RunCorvida({"build", testing::SourcePath("examples/demo/demo.json"), "-o", demo});
  ASSERT_EQ(r.status, 0) << r.err;
  auto before = stack.Play("shot before.png\n", {}, demo);
  ASSERT_EQ(before.status, 0) << before.err;
  auto after = stack.Play("click 215 300\nshot after.png\n", {}, demo);
  ASSERT_EQ(after.status, 0) << after.err;
  EXPECT_NE(after.out.find("button 13 \"Draw\"\n"), std::string::npos) << after.out;
  DecodedPicture a = stack.Shot("before.png");
  DecodedPicture b = stack.Shot("after.png");
  ASSERT_EQ(a.width, b.width);
  // The star's five points lie right of the greeting, and only there did pixels change.
  int changed = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (Pixel(a, x, y) == Pixel(b, x, y)) continue;
      ++changed;
      ASSERT_TRUE(x >= 336 && x < 500 && y >= 56 && y < 270) << x << "," << y;
    }
  }
  EXPECT_GT(changed, 200);
}

TEST(CardScripts, TheDemosFlyAwayButtonHidesAndShowsTheLadybird) {
  ReplayedStack stack(kStack);
  const std::string demo = stack.dir.File("demo.stk");
  auto r = RunCorvida({"build", testing::SourcePath("examples/demo/demo.json"), "-o", demo});
  ASSERT_EQ(r.status, 0) << r.err;
  auto played = stack.Play(
      "command 204\nclick 400 190\nshot gone.png\nclick 400 190\nshot back.png\n", {}, demo);
  ASSERT_EQ(played.status, 0) << played.err;
  EXPECT_NE(played.out.find("button 26 \"Fly away\""), std::string::npos) << played.out;
  const gfx::Rgb ladybird{220, 30, 30};
  EXPECT_NE(Pixel(stack.Shot("gone.png"), 220, 204), ladybird);
  EXPECT_EQ(Pixel(stack.Shot("back.png"), 220, 204), ladybird);
}

}  // namespace
}  // namespace corvida::card_scripts_test

// The script step on the card: a button's script draws on the card window with the
// turtle, prints with TEXTIO to the log, and stops on Escape or when the window closes.
#include <gtest/gtest.h>

#include <string>

#include "logo/interp.h"
#include "logo/turtle.h"
#include "platform/gfx/draw.h"
#include "player_fixture.h"

namespace corvida {
namespace {

// A white 120 x 80 card with one button (at 90..118, 60..78) running `script`, then
// going to the second card when `then_go` is set.
std::string ScriptCard(const std::string& script, bool then_go = false) {
  std::string go = then_go ? R"(, "destination": 11)" : "";
  return R"({
    "stack": {"width": 120, "height": 80, "depth": 8},
    "cards": [
      {"id": 10, "name": "One",
       "objects": [{"type": "button", "id": 1, "rect": [90, 60, 118, 78], "name": "Run")" +
         go + R"(, "actions": [{"kind": "script", "text": ")" + script + R"("}]}]},
      {"id": 11, "name": "Two"}
    ]
  })";
}

class PlayerScriptsTest : public testing::PlayerFixture {
 protected:
  void Click() {
    Post(msg::kLButtonDown, mk::kLButton, MakePointParam(100, 70));
    Post(msg::kLButtonUp, 0, MakePointParam(100, 70));
    Settle();
  }
  gfx::Rgb At(int x, int y) {
    gfx::Bitmap copy = window->shown();
    return gfx::DrawTarget(copy).PixelRgb({x, y});
  }
  // The colour the card shows for `rgb` (the nearest of its palette).
  gfx::Rgb Shown(gfx::Rgb rgb) {
    gfx::Bitmap copy = window->shown();
    return gfx::DrawTarget(copy).RgbOf(gfx::Color::FromRgb(rgb));
  }
  logo::Turtle& Turtle() { return player.logo->turtle(); }
  std::vector<std::string> Prints() {
    std::vector<std::string> out;
    for (const std::string& line : log)
      if (line.rfind("print ", 0) == 0) out.push_back(line);
    return out;
  }
};

TEST_F(PlayerScriptsTest, TheTurtleDrawsOnTheCardInTheStacksColours) {
  Start(ScriptCard("ht pu setpos [-20 0] pd setpc 2 fd 30"));
  Settle();
  const gfx::Rgb white = At(40, 20);
  Click();
  const gfx::Rgb red = Shown({255, 0, 0});
  ASSERT_NE(red, white);
  // Home is the card's middle (60, 40); the line runs up from (40, 40) to (40, 10).
  for (int y : {11, 20, 40}) EXPECT_EQ(At(40, y), red) << y;
  EXPECT_EQ(At(40, 9), white);
  EXPECT_EQ(At(41, 20), white);
  EXPECT_EQ(At(39, 20), white);
  // What the window shows is what was drawn.
  const auto* frame = tp.platform->headless_windows().LastFrame(id);
  ASSERT_NE(frame, nullptr);
  const uint8_t* p = frame->rgba.data() + (size_t(20) * size_t(frame->width) + 40) * 4;
  EXPECT_EQ((gfx::Rgb{p[0], p[1], p[2]}), red);
}

TEST_F(PlayerScriptsTest, TheFigureLeavesWithTheScriptAndTheTurtleStaysWhereItWas) {
  Start(ScriptCard("st pu fd 20"));
  Settle();
  gfx::Bitmap before = window->shown();
  Click();
  // The turtle moved without drawing; its figure is not left on the card.
  EXPECT_EQ(Turtle().TurtleY(), 20);
  gfx::Bitmap after = window->shown();
  EXPECT_TRUE(std::equal(before.data(), before.data() + before.byte_size(), after.data()));
  Click();
  EXPECT_EQ(Turtle().TurtleY(), 40);  // the turtle's state lasts from script to script
}

TEST_F(PlayerScriptsTest, OffscreenDrawingReachesTheScreenWhenDrawingComesBack) {
  // A line at x = 40 drawn offscreen, then shown; one at x = 80 drawn offscreen and shown
  // when the script ends. The prints mark the phases in the log.
  Start(
      ScriptCard("textio ht pu setpos [-20 0] pd setpc 2 drawtooffscreen fd 30 wait 6 "
                 "print 1 drawtoscreen wait 6 pu setpos [20 0] pd drawtooffscreen fd 30 "
                 "wait 6 print 2"));
  Settle();
  const gfx::Rgb white = At(40, 20);
  struct Seen {
    size_t prints;
    bool first, second;
  };
  std::vector<Seen> frames;
  auto red_at = [](const HeadlessWindowSystem::Frame& f, int x, int y) {
    const uint8_t* p = f.rgba.data() + (size_t(y) * size_t(f.width) + size_t(x)) * 4;
    return p[0] > 200 && p[1] < 50 && p[2] < 50;
  };
  tp.platform->headless_windows().SetPresentObserver(
      [&](WindowId, const HeadlessWindowSystem::Frame& f) {
        frames.push_back({Prints().size(), red_at(f, 40, 20), red_at(f, 80, 20)});
      });
  Click();
  tp.platform->headless_windows().SetPresentObserver(nullptr);
  ASSERT_EQ(Prints().size(), 2u);
  bool first_shown_alone = false;
  for (const Seen& seen : frames) {
    if (seen.prints == 0) {
      EXPECT_FALSE(seen.first || seen.second) << "drawn offscreen, not shown yet";
    }
    if (seen.prints == 1) {
      EXPECT_FALSE(seen.second);
      first_shown_alone = first_shown_alone || seen.first;
    }
  }
  EXPECT_TRUE(first_shown_alone);
  EXPECT_NE(At(40, 20), white);
  EXPECT_NE(At(80, 20), white) << "the end of the script shows what was drawn offscreen";
}

TEST_F(PlayerScriptsTest, PrintsAfterTextioAreLoggedLineByLine) {
  Start(ScriptCard("textio print [hello world] type \\\"a print \\\"b\\rtype \\\"tail"));
  Settle();
  Click();
  EXPECT_EQ(Prints(),
            (std::vector<std::string>{"print \"hello world\"", "print \"ab\"", "print \"tail\""}));
}

TEST_F(PlayerScriptsTest, PrintsUnderTurtleioDrawOnTheCardInstead) {
  Start(ScriptCard("ht setpc 4 print \\\"Hello"));
  Settle();
  gfx::Bitmap before = window->shown();
  Click();
  EXPECT_TRUE(Prints().empty());
  if (!tp.platform->fonts()->has_faces()) GTEST_SKIP() << "no font faces installed";
  // Blue ink to the right of and below the turtle (home, 60, 40).
  const gfx::Rgb blue = Shown({0, 0, 255});
  int inked = 0;
  for (int y = 40; y < 60; ++y)
    for (int x = 60; x < 100; ++x) inked += At(x, y) == blue;
  EXPECT_GT(inked, 5);
  for (int y = 0; y < 38; ++y)
    for (int x = 0; x < 120; ++x) ASSERT_EQ(window->shown().Get(x, y), before.Get(x, y));
}

TEST_F(PlayerScriptsTest, EscapeStopsAWaitingScriptAndTheRecordGoesOn) {
  Start(ScriptCard("ht repeat 1000 [fd 1 wait 6]", true));
  Settle();
  const uint32_t now = tp.platform->clock().Milliseconds();
  auto& windows = tp.platform->headless_windows();
  windows.PostMessageAt({id, msg::kKeyDown, vk::kEscape, 0, 0}, now + 1000);
  windows.PostMessageAt({id, msg::kKeyUp, vk::kEscape, 0, 0}, now + 1000);
  Click();
  // Ten steps a second: about ten steps were taken, then the button went on to card 11.
  EXPECT_GE(Turtle().TurtleY(), 8);
  EXPECT_LE(Turtle().TurtleY(), 11);
  Settle();
  EXPECT_EQ(CardId(), 11);
}

TEST_F(PlayerScriptsTest, ClosingTheWindowEndsAWaitingScript) {
  Start(ScriptCard("ht repeat 1000 [fd 1 wait 6]", true));
  Settle();
  tp.platform->headless_windows().PostMessageAt({id, msg::kClose, 0, 0, 0},
                                                tp.platform->clock().Milliseconds() + 500);
  Click();
  EXPECT_LE(Turtle().TurtleY(), 6);
  EXPECT_TRUE(window->closed());
}

}  // namespace
}  // namespace corvida

// corvida replay end to end, on stacks made by corvida build.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gfx/png.h"
#include "replay_stack.h"

namespace corvida::replay_test {
namespace {

using testing::RunCorvida;
using testing::TempDir;

const char* kStack = R"({
  "stack": {"width": 64, "height": 48, "depth": 8, "cardNumberInTitle": 1},
  "cards": [
    {"id": 10, "kind": "shared", "name": "One",
     "objects": [{"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Go",
                  "destination": 12, "transition": 3, "speed": 8}]},
    {"id": 11, "kind": "shared", "name": "Two"},
    {"id": 12, "kind": "shared", "name": "Three", "marked": true}
  ]
})";

class Replay : public ::testing::Test {
 protected:
  testing::CommandResult Play(const std::string& events) { return stack.Play(events); }
  testing::ReplayedStack stack{kStack};
  const TempDir& dir = stack.dir;
};

TEST_F(Replay, CardChangesWrapAndGoBack) {
  auto r = Play("command 203\ncommand 204\nkey Ctrl+>\nkey Ctrl+~\nclick 10 10\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "card 1 id 10 \"One\"\n"
            "card 3 id 12 \"Three\"\n"
            "card 1 id 10 \"One\"\n"
            "card 2 id 11 \"Two\"\n"
            "card 1 id 10 \"One\"\n"
            "button 1 \"Go\"\n"
            "card 3 id 12 \"Three\"\n");
}

TEST_F(Replay, JumpToCardAndAlerts) {
  auto r = Play("type two\ncommand 206\ntype 7\ncommand 206\ncommand 206\nkey Ctrl+J\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("dialog JUMP_TO_CARD \"two\"\ncard 2 id 11 \"Two\"\n"), std::string::npos);
  EXPECT_NE(
      r.out.find("dialog JUMP_TO_CARD \"7\"\nalert 2223 \"Sorry, I can't find that card.\"\n"),
      std::string::npos);
  EXPECT_NE(r.out.find("dialog JUMP_TO_CARD cancelled\n"), std::string::npos);
}

TEST_F(Replay, ZoomEscapeAndShots) {
  auto r = Play(
      "shot plain.png\ncommand 357\nshot zoomed.png\nkey Escape\nshot back.png\n"
      "hold Shift\nhold Ctrl\nshot outlines.png\nrelease Ctrl\nrelease Shift\n");
  ASSERT_EQ(r.status, 0) << r.err;
  gfx::Bitmap plain, zoomed, back, outlines;
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("out/plain.png"), plain));
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("out/zoomed.png"), zoomed));
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("out/back.png"), back));
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("out/outlines.png"), outlines));
  EXPECT_EQ(plain.size(), (Size{64, 48}));
  EXPECT_EQ(zoomed.size(), plain.size());
  // Zoomed 4 times from the top left: each card pixel fills a 4 x 4 block of the window.
  for (int y = 0; y < zoomed.height(); ++y)
    for (int x = 0; x < zoomed.width(); ++x)
      ASSERT_EQ(zoomed.ColorAt(x, y), plain.ColorAt(x / 4, y / 4)) << x << "," << y;
  auto same = [](const gfx::Bitmap& a, const gfx::Bitmap& b) {
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x)
        if (!(a.ColorAt(x, y) == b.ColorAt(x, y))) return false;
    return true;
  };
  EXPECT_TRUE(same(plain, back));
  EXPECT_FALSE(same(plain, outlines));
}

TEST_F(Replay, RefusesBadScriptsAndShotsOutsideTheFolder) {
  auto r = Play("click 1\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 1"), std::string::npos);
  r = Play("shot ../escape.png\n");
  EXPECT_EQ(r.status, 2);
  dir.Write("events.txt", "wait 10\n");
  r = RunCorvida({"replay", dir.File("missing.stk"), dir.File("events.txt"), "-o", dir.File("o")});
  EXPECT_EQ(r.status, 1);
}

// A timed shot catches the frame shown in the middle of a transition: part of the old
// card and part of the new one, neither alone.
TEST(ReplayTimedShot, AFrameInTheMiddleOfATransition) {
  TempDir dir;
  for (auto [name, value] : {std::pair{"black.png", uint8_t(0)}, {"white.png", uint8_t(255)}}) {
    gfx::Bitmap b;
    ASSERT_TRUE(b.Create(64, 48, 32));
    std::fill(b.data(), b.data() + b.byte_size(), value);
    ASSERT_TRUE(gfx::WritePngFile(dir.File(name), b, nullptr));
  }
  dir.Write("s.json", R"({"stack": {"width": 64, "height": 48, "depth": 8},
    "cards": [
      {"id": 1, "kind": "picture", "picture": "black.png",
       "objects": [{"type": "button", "id": 1, "rect": [0, 0, 8, 8], "name": "",
                    "destination": 2, "transition": 10, "speed": 8}]},
      {"id": 2, "kind": "picture", "picture": "white.png"}]})");
  auto built = RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")});
  ASSERT_EQ(built.status, 0) << built.err;
  dir.Write("events.txt", "shot middle.png after 400\nclick 2 2\nshot end.png\n");
  auto r = RunCorvida({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("card 2 id 2"), std::string::npos) << r.out;
  EXPECT_LT(r.out.find("shot middle.png"), r.out.find("shot end.png")) << r.out;
  auto count_black = [&](const char* file) {
    gfx::Bitmap shot;
    EXPECT_TRUE(gfx::ReadPngFile(dir.File(file), shot));
    int black = 0;
    for (int y = 8; y < shot.height(); ++y)
      for (int x = 8; x < shot.width(); ++x) black += shot.ColorAt(x, y).r == 0;
    return black;
  };
  int middle = count_black("out/middle.png");
  EXPECT_GT(middle, 0);
  EXPECT_LT(middle, 56 * 40);
  EXPECT_EQ(count_black("out/end.png"), 0);
}

}  // namespace
}  // namespace corvida::replay_test

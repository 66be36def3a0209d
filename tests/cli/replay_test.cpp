// corvida replay end to end, on stacks made by corvida build.
#include <gtest/gtest.h>

#include "platform/gfx/png.h"
#include "support/test_support.h"

namespace corvida {
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
  void SetUp() override {
    dir.Write("s.json", kStack);
    auto r = RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  testing::CommandResult Play(const std::string& events) {
    dir.Write("events.txt", events);
    return RunCorvida({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out")});
  }
  TempDir dir;
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

}  // namespace
}  // namespace corvida

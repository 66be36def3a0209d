// Animations move on with every message the player window receives while the browse
// tool is current, not only with its timer: an animation whose frames are all due at
// once plays one frame per message, with no time passing at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "player_fixture.h"
#include "support/animation_bytes.h"

namespace corvida::animation_stepping_test {
namespace {

// "Play" plays three 10 x 10 frames with no ticks between them, once.
std::string Stack() {
  testing::PathSpec spec;
  spec.width = 10, spec.height = 10, spec.depth = 24, spec.ticks = 0, spec.flags = 0x0001;
  for (uint32_t colour : {0xFF0000u, 0x00FF00u, 0x0000FFu})
    spec.frames.push_back(testing::SolidFrame(10, 10, 24, colour));
  return R"({
  "stack": {"width": 100, "height": 60, "depth": 32},
  "cards": [{"id": 10, "name": "One", "objects": [
    {"type": "button", "id": 3, "rect": [0, 0, 30, 20], "name": "Play",
     "actions": [{"kind": "animation", "rect": [50, 30, 60, 40], "bytes": ")" +
         testing::Hex(testing::PathAnimationBytes(spec)) + R"("}]}]}]
})";
}

class AnimationStepping : public testing::PlayerFixture {
 protected:
  bool Logged(const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  void Moves(int count) {
    for (int i = 0; i < count; ++i) Post(msg::kMouseMove, 0, MakePointParam(80, 50 + i % 2));
    Settle(0);  // no time passes: no timer message
  }
};

TEST_F(AnimationStepping, EveryMessageStepsTheAnimations) {
  Start(Stack());
  Post(msg::kLButtonDown, mk::kLButton, MakePointParam(10, 10));
  Post(msg::kLButtonUp, 0, MakePointParam(10, 10));
  Settle(0);
  ASSERT_TRUE(Logged("animation 3 started")) << ::testing::PrintToString(log);
  // Three frames, then the step that ends it.
  Moves(3);
  EXPECT_FALSE(Logged("animation 3 finished")) << ::testing::PrintToString(log);
  Moves(1);
  EXPECT_TRUE(Logged("animation 3 finished")) << ::testing::PrintToString(log);
}

}  // namespace
}  // namespace corvida::animation_stepping_test

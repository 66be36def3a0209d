// The player window's clicks: highlights on the screen, pointer shapes, the media wait
// inside a card change and the executor's log lines.
#include <gtest/gtest.h>

#include <vector>

#include "player_fixture.h"

namespace corvida {
namespace {

const char* kCard = R"({
  "stack": {"width": 120, "height": 80, "depth": 8, "cursorId": 28032},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [
       {"type": "button", "id": 1, "rect": [10, 10, 50, 30], "name": "Go", "style": 2,
        "destination": 11},
       {"type": "button", "id": 2, "rect": [60, 10, 100, 30], "name": "Pointer",
        "cursorId": 28016},
       {"type": "field", "id": 3, "rect": [10, 40, 60, 70], "name": "Notes"},
       {"type": "field", "id": 4, "rect": [70, 40, 110, 70], "name": "Fixed", "locked": true}
     ]},
    {"id": 11, "name": "Two"}
  ]
})";

class PlayerActions : public testing::PlayerFixture {
 protected:
  void Mouse(uint32_t message, int x, int y) {
    Post(message, message == msg::kLButtonDown ? mk::kLButton : 0, MakePointParam(x, y));
    Settle();
  }
  std::vector<uint8_t> Pixels() {
    const gfx::Bitmap& b = window->shown();
    return std::vector<uint8_t>(b.data(), b.data() + b.byte_size());
  }
  CursorShape Cursor() { return tp.platform->headless_windows().cursor(); }
};

TEST_F(PlayerActions, APressInvertsTheButtonUntilThePointerLeavesOrItIsReleased) {
  Start(kCard);
  Settle();
  auto before = Pixels();
  uint8_t inside_before = window->shown().Get(20, 12);
  Mouse(msg::kLButtonDown, 20, 20);
  EXPECT_NE(window->shown().Get(20, 12), inside_before);  // the region is inverted
  EXPECT_EQ(window->shown().Get(5, 5), before[5 * window->shown().stride() + 5]);
  Mouse(msg::kMouseMove, 100, 75);
  EXPECT_EQ(Pixels(), before);  // outside: drawn back exactly
  Mouse(msg::kMouseMove, 20, 20);
  EXPECT_NE(Pixels(), before);
  Mouse(msg::kMouseMove, 100, 75);
  Mouse(msg::kLButtonUp, 100, 75);
  EXPECT_EQ(Pixels(), before);
  EXPECT_EQ(CardId(), 10);
  EXPECT_EQ(tp.platform->headless_windows().capture(), 0u);  // the capture ended

  Mouse(msg::kLButtonDown, 20, 20);
  Mouse(msg::kLButtonUp, 20, 20);
  EXPECT_EQ(CardId(), 11);
  EXPECT_EQ(log.back(), "card 2 id 11 \"Two\"");
}

TEST_F(PlayerActions, ThePointerFollowsFieldsObjectsAndTheStack) {
  Start(kCard);
  Mouse(msg::kMouseMove, 80, 20);
  EXPECT_EQ(Cursor(), CursorShape::kHand);  // the button's own cursor
  Mouse(msg::kMouseMove, 30, 55);
  EXPECT_EQ(Cursor(), CursorShape::kIBeam);  // an editable field
  Mouse(msg::kMouseMove, 90, 55);
  EXPECT_EQ(Cursor(), CursorShape::kHand);  // a locked field: the stack's cursor
  Mouse(msg::kMouseMove, 20, 20);
  EXPECT_EQ(Cursor(), CursorShape::kHand);  // no cursor of its own: the stack's
}

TEST_F(PlayerActions, ArriveAndLeaveActionsRunThroughTheExecutor) {
  Start(R"({
    "stack": {"width": 64, "height": 48, "arriveAction": 20},
    "cards": [{"id": 10, "name": "One", "actions": {"leave": 21}}, {"id": 11, "name": "Two"}],
    "resources": [
      {"type": "Actn", "id": 20, "button": {"actions": [{"kind": "script", "text": "hello"}]}},
      {"type": "Actn", "id": 21, "button": {"destination": 10}}
    ]
  })");
  Settle();
  Command(204);
  Settle();
  // The leave action's own move is queued behind the change and runs after it.
  EXPECT_EQ(
      log, (std::vector<std::string>{"card 1 id 10 \"One\"", "action 20 \"Arrive at stack action\"",
                                     "script \"hello\"", "action 21 \"Leave card action\"",
                                     "card 2 id 11 \"Two\"", "card 1 id 10 \"One\""}));
}

}  // namespace
}  // namespace corvida

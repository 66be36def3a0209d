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
  // The pointer goes there, as the window system reports it, and the message follows.
  void Mouse(uint32_t message, int x, int y) {
    tp.platform->headless_windows().SetPointer({x, y});
    Post(message, message == msg::kLButtonDown ? mk::kLButton : 0, MakePointParam(x, y));
    Settle();
  }
  std::vector<uint8_t> Pixels() {
    const gfx::Bitmap& b = window->shown();
    return std::vector<uint8_t>(b.data(), b.data() + b.byte_size());
  }
  Pointer Shown() {
    auto& windows = tp.platform->headless_windows();
    return {windows.cursor(), windows.stack_cursor()};
  }
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

// Pointers: slot 1 for the stack, slot 3 for card Two, the button's slot 22, a field's
// own slot 15; hot text in the locked field.
const char* kPointers = R"({
  "stack": {"width": 160, "height": 100, "depth": 8, "cursorId": 28032},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [
       {"type": "button", "id": 1, "rect": [10, 10, 50, 30], "name": "Go", "style": 2,
        "destination": 11, "cursorId": 28368},
       {"type": "button", "id": 2, "rect": [60, 10, 100, 30], "name": "Plain", "cursorId": 28017},
       {"type": "field", "id": 3, "rect": [10, 40, 60, 70], "name": "Notes"},
       {"type": "field", "id": 4, "rect": [70, 40, 150, 95], "name": "Fixed", "locked": true,
        "text": "take me home now"},
       {"type": "field", "id": 5, "rect": [10, 75, 60, 95], "name": "Pencil", "cursorId": 28256}
     ]},
    {"id": 11, "name": "Two", "cursorId": 28064,
     "objects": [{"type": "button", "id": 6, "rect": [10, 10, 50, 30], "name": "Back",
                  "destination": 10}]}
  ],
  "resources": [
    {"type": "Hlnk", "id": 9, "fieldId": 4, "text": "take me home now",
     "button": {"destination": 11}}
  ]
})";

TEST_F(PlayerActions, ThePointerFollowsObjectsFieldsHotTextCardAndStack) {
  Start(kPointers);
  Settle();
  const struct {
    Point at;
    Pointer shown;
    const char* over;
  } kCases[] = {
      {{20, 20}, StackPointer(22), "a button with its own cursor"},
      {{80, 20}, StackPointer(1), "a button whose id names no cursor: the stack's"},
      {{30, 55}, {CursorShape::kIBeam}, "an editable field"},
      {{30, 85}, StackPointer(15), "a field with its own cursor"},
      {{95, 47}, {CursorShape::kHand}, "hot text in a locked field"},
      {{95, 90}, StackPointer(1), "a locked field below its text: the stack's"},
      {{155, 5}, StackPointer(1), "the card itself: the stack's"},
  };
  for (const auto& c : kCases) {
    Mouse(msg::kMouseMove, c.at.x, c.at.y);
    EXPECT_EQ(Shown(), c.shown) << c.over;
  }
}

TEST_F(PlayerActions, ThePointerIsChosenAgainWhenTheCardChangesUnderIt) {
  Start(kPointers);
  Settle();
  Mouse(msg::kMouseMove, 20, 20);
  ASSERT_EQ(Shown(), StackPointer(22));
  // The button goes to card Two; the pointer has not moved, but it is over Two's button
  // now, which has no cursor: card Two's own applies.
  Mouse(msg::kLButtonDown, 20, 20);
  Mouse(msg::kLButtonUp, 20, 20);
  Settle(500);
  ASSERT_EQ(CardId(), 11);
  EXPECT_EQ(Shown(), StackPointer(3));
  Mouse(msg::kLButtonDown, 20, 20);
  Mouse(msg::kLButtonUp, 20, 20);
  Settle(500);
  ASSERT_EQ(CardId(), 10);
  EXPECT_EQ(Shown(), StackPointer(22));
}

TEST_F(PlayerActions, PanningAZoomedCardGivesTheObjectsPointerBackWhenCtrlIsReleased) {
  Start(kPointers);
  Settle();
  Mouse(msg::kMouseMove, 20, 20);
  Command(356);  // zoom 2: the button now lies under 40, 40 of the window
  Settle();
  Mouse(msg::kMouseMove, 40, 40);
  ASSERT_EQ(Shown(), StackPointer(22));
  Post(msg::kKeyDown, vk::kControl);
  Settle();
  EXPECT_EQ(Shown(), Pointer{CursorShape::kFlatHand});
  Post(msg::kKeyUp, vk::kControl);
  Settle();
  EXPECT_EQ(Shown(), StackPointer(22));  // not the arrow, not a stale hand
}

TEST_F(PlayerActions, TheWatchShowsWhileADroppedStackIsReadThenItsCardsPointer) {
  Start(kPointers);
  window->set_desktop_window(true);
  Settle();
  Mouse(msg::kMouseMove, 20, 20);
  auto& windows = tp.platform->headless_windows();
  const size_t before = windows.cursor_log().size();
  // The other stack: one card whose own cursor is the magnifier (slot 9).
  const std::string other = testing::BuildStack(tp.root, R"({
    "stack": {"width": 160, "height": 100, "depth": 8},
    "cards": [{"id": 30, "name": "Glass", "cursorId": 28160}]
  })",
                                                "glass.stk");
  windows.DropFile(id, other);
  Settle(500);
  ASSERT_EQ(CardId(), 30);
  const std::vector<std::pair<CursorShape, int>> shown(windows.cursor_log().begin() + before,
                                                       windows.cursor_log().end());
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown.front(), std::make_pair(CursorShape::kWait, -1));
  EXPECT_EQ(shown.back(), std::make_pair(CursorShape::kCustom, 9));
}

// A press on a button or a draggable graphic ends where it began, even when the button
// comes up over hot text: the link is not clicked, the button lets go of its highlight
// and the capture, and the graphic is dropped.
TEST_F(PlayerActions, AReleaseOverHotTextEndsAButtonPressOrADragNotTheLink) {
  Start(R"({
    "stack": {"width": 160, "height": 100, "depth": 8},
    "cards": [
      {"id": 10, "name": "One", "objects": [
        {"type": "button", "id": 1, "rect": [10, 10, 50, 30], "name": "Go", "style": 2,
         "destination": 11},
        {"type": "graphic", "id": 2, "rect": [10, 40, 30, 60], "name": "Bug", "flags": 128},
        {"type": "field", "id": 4, "rect": [70, 40, 150, 95], "name": "Fixed", "locked": true,
         "text": "take me home now"}]},
      {"id": 11, "name": "Two"}],
    "resources": [{"type": "Hlnk", "id": 9, "fieldId": 4, "text": "take me home now",
                   "button": {"destination": 11}}]
  })");
  Settle();
  const auto before = Pixels();
  struct Case {
    Point press;
    bool dragging;
  };
  for (const Case c : {Case{{20, 20}, false}, Case{{20, 50}, true}}) {
    Mouse(msg::kLButtonDown, c.press.x, c.press.y);
    EXPECT_EQ(window->mouse().dragging(), c.dragging);
    Mouse(msg::kMouseMove, 100, 50);
    Mouse(msg::kLButtonUp, 100, 50);
    EXPECT_EQ(CardId(), 10);
    EXPECT_FALSE(window->mouse().tracking());
    EXPECT_FALSE(window->mouse().dragging());
    EXPECT_EQ(tp.platform->headless_windows().capture(), 0u);
    if (!c.dragging) {
      EXPECT_EQ(Pixels(), before);  // no highlight left behind
    }
  }
}

// Command 71 names what ran last: the button pressed and, in p4, the first 32
// characters of the link clicked (in the stack's characters, as names are stored).
TEST_F(PlayerActions, CommandSeventyOneNamesTheLastButtonAndHyperlinkRun) {
  Start(R"({
    "stack": {"width": 160, "height": 100, "depth": 8},
    "cards": [
      {"id": 10, "name": "One", "objects": [
        {"type": "button", "id": 1, "rect": [10, 10, 50, 30], "name": "Press"},
        {"type": "field", "id": 4, "rect": [2, 40, 158, 95], "name": "Fixed", "locked": true,
         "text": "take me home now, the long way round"}]}],
    "resources": [{"type": "Hlnk", "id": 9, "fieldId": 4,
                   "text": "take me home now, the long way round", "button": {}}]
  })");
  Settle();
  CallbackDispatch& d = window->callbacks().dispatch();
  auto names = [&] {
    d.block().Clear();
    d.Issue(71);
    std::vector<std::string> out;
    for (int slot : {1, 4}) {
      const std::vector<uint8_t> bytes = d.ReadBlock(d.block().param(slot), 64);
      out.push_back(bytes.empty() ? "?"
                                  : std::string(bytes.begin() + 1, bytes.begin() + 1 + bytes[0]));
    }
    return out;
  };
  EXPECT_EQ(names(), (std::vector<std::string>{"", ""}));
  Mouse(msg::kLButtonDown, 20, 20);
  Mouse(msg::kLButtonUp, 20, 20);
  EXPECT_EQ(names(), (std::vector<std::string>{"Press", ""}));
  Mouse(msg::kLButtonDown, 30, 47);
  Mouse(msg::kLButtonUp, 30, 47);
  EXPECT_EQ(names(), (std::vector<std::string>{"Press", "take me home now, the long way r"}));
}

// The window's focus decides whether the typing field shows its insertion point.
TEST_F(PlayerActions, TheTypingFieldShowsItsInsertionPointOnlyWithTheWindowsFocus) {
  Start(kCard);
  Settle();
  DisplayItem* notes = window->view().display_list().Find(object::kTextField, 3);
  ASSERT_NE(notes, nullptr);
  const TextObject& text = FieldTextOf(*notes)->text;
  EXPECT_TRUE(text.caret_visible());
  Post(msg::kKillFocus);
  Settle(1000);  // blinks would have come and gone
  EXPECT_FALSE(text.caret_visible());
  Post(msg::kSetFocus);
  Settle(0);
  EXPECT_TRUE(text.caret_visible());
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

// The browser's keys and pointer input as window messages: the same virtual keys and
// characters the desktop gives, and mouse messages only where the player takes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/web/web_input.h"

namespace corvida::web {
namespace {

constexpr WindowId kWindow = 3;

TEST(WebInput, KeyCodesMatchTheDesktop) {
  struct Case {
    const char* code;
    uint32_t vk;
  };
  const Case cases[] = {
      {"KeyA", 'A'},
      {"KeyZ", 'Z'},
      {"Digit0", '0'},
      {"Digit9", '9'},
      {"F1", vk::kF1},
      {"F12", vk::kF1 + 11},
      {"Numpad0", 0x60},
      {"Numpad9", 0x69},
      {"Enter", vk::kReturn},
      {"NumpadEnter", vk::kReturn},
      {"ArrowLeft", vk::kLeft},
      {"PageDown", vk::kNext},
      {"ShiftRight", vk::kShift},
      {"ControlLeft", vk::kControl},
      {"AltRight", vk::kMenu},
      {"Period", 0xBE},
      {"Comma", 0xBC},
      {"Backquote", 0xC0},
      // Nothing the player uses, or not a code at all.
      {"F13", 0},
      {"F0", 0},
      {"Key", 0},
      {"Keya", 0},
      {"KeyAB", 0},
      {"Digit10", 0},
      {"Numpad10", 0},
      {"MetaLeft", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(VirtualKeyFromCode(c.code), c.vk) << c.code;
}

struct KeyCase {
  const char* what;
  KeyInput input;
  std::vector<std::pair<uint32_t, uint64_t>> messages;  // message, wParam
};

TEST(WebInput, KeysBecomeKeyMessagesAndCharacters) {
  const KeyCase cases[] = {
      {"a letter types itself",
       {true, false, "KeyA", "a", 0},
       {{msg::kKeyDown, 'A'}, {msg::kChar, 'a'}}},
      {"Shift makes it a capital",
       {true, false, "KeyA", "A", mods::kShift},
       {{msg::kKeyDown, 'A'}, {msg::kChar, 'A'}}},
      {"Ctrl+J is a control character, not a j",
       {true, false, "KeyJ", "j", mods::kControl},
       {{msg::kKeyDown, 'J'}, {msg::kChar, 10}}},
      {"Ctrl+> types nothing",
       {true, false, "Period", ">", mods::kControl | mods::kShift},
       {{msg::kKeyDown, 0xBE}}},
      {"Alt makes system keys", {true, false, "KeyF", "f", mods::kAlt}, {{msg::kSysKeyDown, 'F'}}},
      {"Return is a carriage return",
       {true, false, "Enter", "Enter", 0},
       {{msg::kKeyDown, vk::kReturn}, {msg::kChar, 13}}},
      {"Backspace and Escape",
       {true, false, "Escape", "Escape", 0},
       {{msg::kKeyDown, vk::kEscape}, {msg::kChar, 27}}},
      {"an arrow types nothing",
       {true, false, "ArrowUp", "ArrowUp", 0},
       {{msg::kKeyDown, vk::kUp}}},
      {"a release types nothing", {false, false, "KeyA", "a", 0}, {{msg::kKeyUp, 'A'}}},
      {"an accented letter in the Windows set",
       {true, false, "Quote", "\xC3\xA9", 0},
       {{msg::kKeyDown, 0xDE}, {msg::kChar, 0xE9}}},
      {"text the set cannot hold is dropped",
       {true, false, "KeyQ", "\xE2\x88\x80", 0},
       {{msg::kKeyDown, 'Q'}}},
      {"a key without a code still types", {true, false, "IntlRo", "\\", 0}, {{msg::kChar, '\\'}}},
      {"a dead key types nothing",
       {true, false, "BracketLeft", "Dead", 0},
       {{msg::kKeyDown, 0xDB}}},
  };
  for (const KeyCase& c : cases) {
    std::vector<Message> out;
    TranslateKey(c.input, kWindow, 77, out);
    ASSERT_EQ(out.size(), c.messages.size()) << c.what;
    for (size_t i = 0; i < out.size(); ++i) {
      EXPECT_EQ(out[i].message, c.messages[i].first) << c.what;
      EXPECT_EQ(out[i].wParam, c.messages[i].second) << c.what;
      EXPECT_EQ(out[i].window, kWindow) << c.what;
      EXPECT_EQ(out[i].time, 77u) << c.what;
    }
  }
}

TEST(WebInput, RepeatAndReleaseBitsAsOnTheDesktop) {
  std::vector<Message> out;
  TranslateKey({true, true, "KeyA", "a", 0}, kWindow, 0, out);
  TranslateKey({false, false, "KeyA", "a", 0}, kWindow, 0, out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].lParam, 1 | (int64_t{1} << 30));
  EXPECT_EQ(out[2].lParam, 1 | (int64_t{1} << 30) | (int64_t{1} << 31));
}

struct MouseCase {
  const char* what;
  MouseInput input;
  uint32_t message;  // 0: none
  uint64_t flags;
};

TEST(WebInput, PointerInputBecomesMouseMessages) {
  auto at = [](MouseKind kind, int button, uint32_t buttons, uint32_t modifiers = 0, int clicks = 1,
               bool inside = true, bool captured = false, int steps = 0) {
    MouseInput m;
    m.kind = kind;
    m.at = {10, 20};
    m.button = button;
    m.buttons = buttons;
    m.modifiers = modifiers;
    m.clicks = clicks;
    m.inside = inside;
    m.captured = captured;
    m.wheel_steps = steps;
    return m;
  };
  const MouseCase cases[] = {
      {"left press", at(MouseKind::kDown, 0, 1), msg::kLButtonDown, mk::kLButton},
      {"second press of a series", at(MouseKind::kDown, 0, 1, 0, 2), msg::kLButtonDblClk,
       mk::kLButton},
      {"third press is a press again", at(MouseKind::kDown, 0, 1, 0, 3), msg::kLButtonDown,
       mk::kLButton},
      {"left release", at(MouseKind::kUp, 0, 0), msg::kLButtonUp, 0},
      {"right press", at(MouseKind::kDown, 2, 2), msg::kRButtonDown, mk::kRButton},
      {"middle press is not ours", at(MouseKind::kDown, 1, 4), 0, 0},
      {"move with Shift and Ctrl", at(MouseKind::kMove, 0, 0, mods::kShift | mods::kControl),
       msg::kMouseMove, mk::kShift | mk::kControl},
      {"outside the card", at(MouseKind::kMove, 0, 0, 0, 1, false), 0, 0},
      {"outside while captured", at(MouseKind::kUp, 0, 0, 0, 1, false, true), msg::kLButtonUp, 0},
      {"wheel away", at(MouseKind::kWheel, 0, 0, 0, 1, true, false, 1), msg::kMouseWheel,
       uint64_t(120) << 16},
      {"wheel towards", at(MouseKind::kWheel, 0, 0, 0, 1, true, false, -1), msg::kMouseWheel,
       uint64_t(uint16_t(-120)) << 16},
      {"a wheel without steps", at(MouseKind::kWheel, 0, 0), 0, 0},
  };
  for (const MouseCase& c : cases) {
    std::vector<Message> out;
    TranslateMouse(c.input, kWindow, 5, out);
    if (c.message == 0) {
      EXPECT_TRUE(out.empty()) << c.what;
      continue;
    }
    ASSERT_EQ(out.size(), 1u) << c.what;
    EXPECT_EQ(out[0].message, c.message) << c.what;
    EXPECT_EQ(out[0].wParam, c.flags) << c.what;
    EXPECT_EQ(ParamX(out[0].lParam), 10) << c.what;
    EXPECT_EQ(ParamY(out[0].lParam), 20) << c.what;
  }
}

}  // namespace
}  // namespace corvida::web

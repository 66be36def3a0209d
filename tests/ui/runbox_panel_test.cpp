// The run box panel: which keys it keeps and which commands they give, where it may be
// placed in the window, and its mouse: buttons, moving, resizing and the caret.
#include "ui/runbox_panel.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/messages.h"

namespace corvida::runbox_panel_test {
namespace {

constexpr Size kWindow{512, 342};

Point Middle(const Rect& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

RunBoxPanel Panel(const Rect& rect = {0, 0, 512, 80}) {
  RunBoxPanel panel;
  panel.Place(rect, kWindow);
  return panel;
}

struct KeyCase {
  const char* what;
  uint32_t key;
  bool shift, ctrl;
  std::optional<RunBoxCommand> want;
};

TEST(RunBoxPanel, KeysGiveCommandsOrStayThePlayers) {
  using enum RunBoxCommand;
  const std::vector<KeyCase> cases = {
      {"Enter runs", vk::kReturn, false, false, kRun},
      {"Shift+Enter is a new line", vk::kReturn, true, false, kNone},
      {"Ctrl+Enter is a new line", vk::kReturn, false, true, kNone},
      {"F1 is help", vk::kF1, false, false, kHelp},
      {"Ctrl+W closes", 'W', false, true, kClose},
      {"Ctrl+F4 closes", vk::kF1 + 3, false, true, kClose},
      {"Ctrl+X cuts", 'X', false, true, kCut},
      {"Shift+Delete cuts", vk::kDelete, true, false, kCut},
      {"Ctrl+C copies", 'C', false, true, kCopy},
      {"Ctrl+Insert copies", vk::kInsert, false, true, kCopy},
      {"Ctrl+V pastes", 'V', false, true, kPaste},
      {"Shift+Insert pastes", vk::kInsert, true, false, kPaste},
      {"Ctrl+A is the entry's", 'A', false, true, kNone},
      {"a letter is typing", 'Q', false, false, kNone},
      {"arrows are the entry's", vk::kLeft, false, false, kNone},
      {"Escape is the player's", vk::kEscape, false, false, std::nullopt},
      {"F11 is the player's", vk::kF1 + 10, false, false, std::nullopt},
      {"F4 alone is the player's", vk::kF1 + 3, false, false, std::nullopt},
      {"Ctrl+J is the player's", 'J', false, true, std::nullopt},
  };
  for (const KeyCase& c : cases) {
    RunBoxPanel panel = Panel();
    EXPECT_EQ(panel.KeyDown(c.key, c.shift, c.ctrl), c.want) << c.what;
  }
}

TEST(RunBoxPanel, ANewLineGoesIntoTheTextAndCharactersAreTyped) {
  RunBoxPanel panel = Panel();
  for (char c : std::string("fd 10")) panel.Char(uint8_t(c));
  panel.KeyDown(vk::kReturn, true, false);
  for (char c : std::string("rt 90")) panel.Char(uint8_t(c));
  panel.Char('\r');  // the character Enter also sends types nothing
  EXPECT_EQ(panel.entry().text(), "fd 10\nrt 90");
}

struct PlaceCase {
  const char* what;
  Rect wanted;
  Rect want;
};

TEST(RunBoxPanel, StaysInsideTheWindow) {
  const Size min = RunBoxPanel::kMinimum;
  const std::vector<PlaceCase> cases = {
      {"fits as asked", {10, 20, 300, 120}, {10, 20, 300, 120}},
      {"moved back from the right and bottom", {400, 300, 600, 400}, {312, 242, 512, 342}},
      {"moved back from the left and top", {-50, -10, 150, 90}, {0, 0, 200, 100}},
      {"shrunk to the window", {-5, -5, 900, 900}, {0, 0, 512, 342}},
      {"never smaller than the minimum", {5, 5, 6, 6}, {5, 5, 5 + min.width, 5 + min.height}},
      {"an upside-down rectangle gets the minimum",
       {50, 50, 10, 10},
       {50, 50, 50 + min.width, 50 + min.height}},
  };
  for (const PlaceCase& c : cases) {
    RunBoxPanel panel;
    panel.Place(c.wanted, kWindow);
    EXPECT_EQ(panel.rect(), c.want) << c.what;
  }
  RunBoxPanel tiny;
  tiny.Place({0, 0, 512, 80}, {40, 30});
  EXPECT_EQ(tiny.rect(), (Rect{0, 0, 40, 30})) << "a window smaller than the minimum";
}

TEST(RunBoxPanel, ButtonsAndTheCloseBoxAnswerTheirCommands) {
  RunBoxPanel panel = Panel();
  const auto buttons = RunBoxPanel::Buttons();
  ASSERT_EQ(buttons.size(), 8u);
  for (size_t i = 0; i < buttons.size(); ++i) {
    const Rect b = panel.ButtonRect(i);
    ASSERT_FALSE(b.Empty()) << buttons[i].label;
    EXPECT_TRUE(panel.StripRect().Contains(Middle(b))) << buttons[i].label;
    EXPECT_EQ(panel.MouseDown(Middle(b), false), buttons[i].command) << buttons[i].label;
  }
  EXPECT_EQ(panel.MouseDown(Middle(panel.CloseBoxRect()), false), RunBoxCommand::kClose);
  EXPECT_EQ(panel.MouseDown({600, 10}, false), RunBoxCommand::kNone) << "outside the panel";
  // A narrow panel shows the buttons that fit, and none of them overlaps the grip.
  RunBoxPanel narrow = Panel({0, 0, 130, 80});
  EXPECT_FALSE(narrow.ButtonRect(0).Empty());
  EXPECT_TRUE(narrow.ButtonRect(buttons.size() - 1).Empty());
  for (size_t i = 0; i < buttons.size(); ++i)
    EXPECT_LE(narrow.ButtonRect(i).right, 130 - RunBoxPanel::kGrip);
}

TEST(RunBoxPanel, TheCaptionMovesAndTheGripResizesWithinTheWindow) {
  RunBoxPanel panel = Panel({0, 0, 300, 80});
  const Point caption{100, 5};
  panel.MouseDown(caption, false);
  ASSERT_TRUE(panel.dragging());
  panel.MouseMove({130, 45}, kWindow);
  EXPECT_EQ(panel.rect(), (Rect{30, 40, 330, 120}));
  panel.MouseMove({900, 900}, kWindow);  // dragged past the corner: kept inside
  EXPECT_EQ(panel.rect(), (Rect{212, 262, 512, 342}));
  panel.MouseUp();
  EXPECT_FALSE(panel.dragging());

  RunBoxPanel sized = Panel({0, 0, 300, 80});
  sized.MouseDown({298, 78}, false);
  sized.MouseMove({348, 128}, kWindow);
  EXPECT_EQ(sized.rect(), (Rect{0, 0, 350, 130}));
  sized.MouseMove({0, 0}, kWindow);  // no smaller than the minimum
  EXPECT_EQ(sized.rect().Width(), RunBoxPanel::kMinimum.width);
  EXPECT_EQ(sized.rect().Height(), RunBoxPanel::kMinimum.height);
}

TEST(RunBoxPanel, APressInTheEntryPlacesTheCaretAndADragSelects) {
  RunBoxPanel panel = Panel();
  panel.entry().SetText("first line\nsecond");
  const Rect entry = panel.EntryRect();
  panel.MouseDown({entry.left + 1, entry.top + 1}, false);
  EXPECT_EQ(panel.entry().caret(), 0u);
  panel.MouseMove({entry.right - 2, entry.bottom - 2}, kWindow);  // far right of line 2
  panel.MouseUp();
  EXPECT_EQ(panel.entry().anchor(), 0u);
  EXPECT_EQ(panel.entry().caret(), panel.entry().text().size());
  // Shift extends the selection from where it was anchored.
  panel.MouseDown({entry.right - 2, entry.bottom - 2}, false);
  panel.MouseUp();
  panel.MouseDown({entry.left + 1, entry.top + 1}, true);
  panel.MouseUp();
  EXPECT_EQ(panel.entry().anchor(), panel.entry().text().size());
  EXPECT_EQ(panel.entry().caret(), 0u);
}

}  // namespace
}  // namespace corvida::runbox_panel_test

// The run box in a player: text on several lines runs as one script, a script waiting
// for a line from the box ends its wait when the box closes or Escape is pressed, and
// the remembered rectangle is read back only when it makes sense.
#include "player/runbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "player_fixture.h"

namespace corvida {
namespace {

struct RectCase {
  const char* text;
  std::optional<Rect> want;
};

TEST(RunBoxRect, ThePreferenceIsReadOnlyWhenItIsFourSensibleNumbers) {
  const std::vector<RectCase> cases = {
      {"0 40 200 120", Rect{0, 40, 200, 120}},
      {" -5 -6 100 90 ", Rect{-5, -6, 100, 90}},
      {"Bad", std::nullopt},
      {"", std::nullopt},
      {"1 2 3", std::nullopt},
      {"1 2 3 4 5", std::nullopt},
      {"10 10 5 20", std::nullopt},  // empty
      {"0 0 99999 80", std::nullopt},
      {"0 0 2147483648 80", std::nullopt},
      {"0 0 1e3 80", std::nullopt},
      {"0,0,100,80", std::nullopt},
  };
  for (const RectCase& c : cases) EXPECT_EQ(ParseRunBoxRect(c.text), c.want) << c.text;
  EXPECT_EQ(ParseRunBoxRect(RunBoxRectText({-1, 2, 300, 400})), (Rect{-1, 2, 300, 400}));
}

class RunBoxTest : public testing::PlayerFixture {
 protected:
  void Type(const std::string& text) {
    for (char c : text) Post(msg::kChar, uint8_t(c));
  }
  void Enter(bool shift = false) {
    tp.platform->headless_windows().SetKey(vk::kShift, shift);
    Post(msg::kKeyDown, vk::kReturn);
    Settle();
    tp.platform->headless_windows().SetKey(vk::kShift, false);
  }
  void Open() {
    Command(int(MenuCommand::kRunBox));
    Settle();
    ASSERT_TRUE(window->runbox().open());
  }
  bool Logged(const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
};

TEST_F(RunBoxTest, LinesTypedWithShiftEnterRunAsOneScript) {
  Start();
  Open();
  Type("to twice :n");
  Settle();
  Enter(true);
  Type("textio print :n * 2");
  Settle();
  Enter(true);
  Type("end");
  Settle();
  Enter(true);
  Type("twice 21");
  Enter();
  EXPECT_TRUE(Logged("print \"42\"")) << ::testing::PrintToString(log);
  // All of it is selected afterwards: the next typing replaces it.
  const TextEntry& entry = window->runbox().panel().entry();
  EXPECT_EQ(entry.SelectedText(), "to twice :n\ntextio print :n * 2\nend\ntwice 21");
}

TEST_F(RunBoxTest, ClosingTheBoxEndsAWaitForALineWithAnEmptyOne) {
  Start();
  Open();
  const Rect close = window->runbox().panel().CloseBoxRect();
  Type("textio print word \"x readword");
  Post(msg::kKeyDown, vk::kReturn);
  Post(msg::kLButtonDown, mk::kLButton, MakePointParam(close.left + 4, close.top + 4));
  Settle();
  EXPECT_FALSE(window->runbox().open());
  EXPECT_TRUE(Logged("run box closed"));
  EXPECT_TRUE(Logged("run box read \"\""));
  EXPECT_TRUE(Logged("print \"x\"")) << ::testing::PrintToString(log);
}

TEST_F(RunBoxTest, KeysTypedDuringTheWaitMakeTheLineAndEscapeStopsTheScript) {
  Start();
  Open();
  Type("textio print readword");
  Post(msg::kKeyDown, vk::kReturn);
  Type("good day");
  Post(msg::kKeyDown, vk::kReturn);
  Settle();
  EXPECT_TRUE(Logged("print \"good day\"")) << ::testing::PrintToString(log);

  Type("textio print \"y print readword print \"z");
  Post(msg::kKeyDown, vk::kReturn);
  Post(msg::kKeyDown, vk::kEscape);
  Settle();
  EXPECT_TRUE(Logged("print \"y\""));
  EXPECT_FALSE(Logged("print \"z\"")) << ::testing::PrintToString(log);
  EXPECT_TRUE(window->runbox().open()) << "Escape stops the script, not the box";
}

// The right button opens the box's menu; its items act as the strip's buttons and the
// keys do, and a press anywhere else only closes it.
TEST_F(RunBoxTest, TheMenuOfTheRightButtonCarriesTheCommands) {
  Start();
  Open();
  const RunBoxPanel& panel = window->runbox().panel();
  const Rect entry = panel.EntryRect();
  auto press = [&](uint32_t message, Point p) {
    Post(message, message == msg::kRButtonDown ? mk::kRButton : mk::kLButton,
         MakePointParam(p.x, p.y));
    Settle();
  };
  auto item = [&](RunBoxCommand command) {
    const auto items = RunBoxPanel::MenuItems();
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].label && items[i].command == command) {
        const Rect r = panel.MenuItemRect(i);
        return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      }
    }
    return Point{};
  };
  const Point in_entry{entry.left + 20, entry.top + 5};
  // The greeting is selected: Clear takes it away.
  press(msg::kRButtonDown, in_entry);
  ASSERT_TRUE(panel.menu_open());
  press(msg::kLButtonDown, item(RunBoxCommand::kClear));
  EXPECT_FALSE(panel.menu_open());
  EXPECT_EQ(panel.entry().text(), "");
  // Undo brings it back.
  press(msg::kRButtonDown, in_entry);
  press(msg::kLButtonDown, item(RunBoxCommand::kUndo));
  EXPECT_EQ(panel.entry().text(), kRunBoxGreeting);
  // A press outside the menu closes it and does nothing else, on the card neither.
  const size_t lines = log.size();
  press(msg::kRButtonDown, in_entry);
  press(msg::kLButtonDown, {5, 140});
  EXPECT_FALSE(panel.menu_open());
  EXPECT_TRUE(window->runbox().open());
  EXPECT_EQ(log.size(), lines) << ::testing::PrintToString(log);
  // Help shows its alert; Close closes the box.
  press(msg::kRButtonDown, in_entry);
  press(msg::kLButtonDown, item(RunBoxCommand::kHelp));
  EXPECT_FALSE(Alerts().empty());
  press(msg::kRButtonDown, in_entry);
  press(msg::kLButtonDown, item(RunBoxCommand::kClose));
  EXPECT_FALSE(window->runbox().open());
  EXPECT_TRUE(Logged("run box closed"));
}

// The caret blinks on the player's clock, steadily on while the user types.
TEST_F(RunBoxTest, TheCaretBlinksOnTheClock) {
  Start();
  Open();
  Type("x");  // no selection now: the caret shows
  Settle(1);
  const PlayerRunBox& box = window->runbox();
  EXPECT_TRUE(box.caret_on());
  Settle(PlayerRunBox::kBlinkMs + 60);
  EXPECT_FALSE(box.caret_on());
  Settle(PlayerRunBox::kBlinkMs);
  EXPECT_TRUE(box.caret_on());
  Settle(PlayerRunBox::kBlinkMs);
  EXPECT_FALSE(box.caret_on());
  Type("y");
  Settle(1);
  EXPECT_TRUE(box.caret_on()) << "typing shows the caret at once";
}

}  // namespace
}  // namespace corvida

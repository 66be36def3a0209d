// The run box's word wrap and its right-click menu: the rows long lines break into, Up
// and Down by those rows, which commands the menu offers when, and choosing from it with
// the mouse and the keys.
#include <gtest/gtest.h>

#include <vector>

#include "platform/messages.h"
#include "ui/runbox_panel.h"
#include "ui/wrap_rows.h"

namespace corvida::runbox_menu_test {
namespace {

// Every character 10 pixels wide.
class FixedFont : public Font {
 public:
  const FontMetrics& metrics() const override { return metrics_; }
  int Advance(uint8_t) override { return 10; }
  const CoverageMask& Glyph(uint8_t) override { return mask_; }
  int underline_offset() const override { return 1; }
  int underline_thickness() const override { return 1; }
  uint8_t style() const override { return 0; }
  int size() const override { return 12; }
  const std::string& design() const override { return design_; }

 private:
  FontMetrics metrics_{10, 2, 0, 12, 8};
  CoverageMask mask_;
  std::string design_;
};

struct WrapCase {
  const char* text;
  int width;
  std::vector<std::pair<size_t, size_t>> rows;
};

TEST(RunBoxWrap, LongLinesBreakAfterTheirLastBlankThatFits) {
  const std::vector<WrapCase> cases = {
      {"", 50, {{0, 0}}},
      {"abc", 50, {{0, 3}}},
      {"abcde", 50, {{0, 5}}},  // exactly the width
      {"hello world", 50, {{0, 6}, {6, 11}}},
      {"a b c d e f", 50, {{0, 6}, {6, 11}}},
      {"hello      world", 50, {{0, 11}, {11, 16}}},  // blanks stay on their row
      {"abcdefghij", 50, {{0, 5}, {5, 10}}},          // a word too long breaks inside
      {"ab cdefghijkl", 50, {{0, 3}, {3, 8}, {8, 13}}},
      {"ab\ncd", 50, {{0, 2}, {3, 5}}},
      {"ab\n", 50, {{0, 2}, {3, 3}}},
      {"\n\n", 50, {{0, 0}, {1, 1}, {2, 2}}},
      {"ab", 0, {{0, 1}, {1, 2}}},  // no room: a character a row, never none
  };
  FixedFont font;
  for (const WrapCase& c : cases) {
    std::vector<std::pair<size_t, size_t>> got;
    for (const WrappedRow& r : WrapRows(c.text, font, c.width)) got.push_back({r.start, r.end});
    EXPECT_EQ(got, c.rows) << '"' << c.text << "\" in " << c.width;
  }
}

TEST(RunBoxWrap, APositionAtABreakShowsOnTheNextRow) {
  FixedFont font;
  const std::vector<WrappedRow> soft = WrapRows("hello world", font, 50);
  const std::vector<WrappedRow> hard = WrapRows("ab\ncd", font, 50);
  const struct {
    const std::vector<WrappedRow>* rows;
    size_t pos, row;
  } cases[] = {{&soft, 0, 0}, {&soft, 5, 0}, {&soft, 6, 1}, {&soft, 11, 1},
               {&hard, 2, 0}, {&hard, 3, 1}, {&hard, 5, 1}};
  for (const auto& c : cases) EXPECT_EQ(RowOf(*c.rows, c.pos), c.row) << c.pos;
}

constexpr Size kWindow{512, 342};

RunBoxPanel Panel(const char* text, const Rect& rect = {0, 0, 512, 80}) {
  RunBoxPanel panel;
  panel.Place(rect, kWindow);
  panel.entry().SetText(text);
  return panel;
}

Point Middle(const Rect& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The menu item of a command.
size_t ItemOf(RunBoxCommand command) {
  const auto items = RunBoxPanel::MenuItems();
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].label && items[i].command == command) return i;
  ADD_FAILURE() << "no item";
  return 0;
}

TEST(RunBoxMenu, OffersWhatCanActNow) {
  using enum RunBoxCommand;
  struct State {
    const char* what;
    void (*prepare)(TextEntry&);
    std::vector<RunBoxCommand> enabled, disabled;
  };
  const State states[] = {
      {"all selected",
       [](TextEntry& e) { e.SelectAll(); },
       {kCut, kCopy, kClear, kPaste, kSelectAll, kHelp, kClose},
       {kUndo}},
      {"typed, no selection",
       [](TextEntry& e) { e.Insert("x"); },
       {kUndo, kPaste, kSelectAll},
       {kCut, kCopy, kClear}},
      {"empty",
       [](TextEntry& e) { e.SetText(""); },
       {kPaste, kHelp, kClose},
       {kSelectAll, kCut, kCopy, kUndo}},
  };
  for (const State& s : states) {
    RunBoxPanel panel = Panel("some text");
    s.prepare(panel.entry());
    for (RunBoxCommand c : s.enabled) EXPECT_TRUE(panel.Enabled(c)) << s.what << int(c);
    for (RunBoxCommand c : s.disabled) EXPECT_FALSE(panel.Enabled(c)) << s.what << int(c);
  }
  // Every command of the strip but Run is in the menu, and Close too.
  for (RunBoxCommand c : {kUndo, kCut, kCopy, kPaste, kClear, kSelectAll, kHelp, kClose}) ItemOf(c);
}

TEST(RunBoxMenu, ChoosingWithTheMouse) {
  using enum RunBoxCommand;
  RunBoxPanel panel = Panel("some text");
  panel.entry().SelectAll();
  panel.OpenMenu({500, 330}, kWindow);
  ASSERT_TRUE(panel.menu_open());
  // Kept inside the window.
  const Rect menu = panel.MenuRect();
  EXPECT_LE(menu.right, kWindow.width);
  EXPECT_LE(menu.bottom, kWindow.height);
  EXPECT_GT(menu.Height(), 100);
  // The mouse lights the item under it; a disabled item is never lit or chosen.
  EXPECT_TRUE(panel.MenuHover(Middle(panel.MenuItemRect(ItemOf(kCopy)))));
  EXPECT_EQ(panel.hot_item(), int(ItemOf(kCopy)));
  EXPECT_EQ(panel.MenuItemAt(Middle(panel.MenuItemRect(ItemOf(kUndo)))), -1);
  EXPECT_EQ(panel.MenuChoose(Middle(panel.MenuItemRect(ItemOf(kUndo)))), kNone);
  EXPECT_FALSE(panel.menu_open());
  panel.OpenMenu({10, 10}, kWindow);
  EXPECT_EQ(panel.MenuChoose(Middle(panel.MenuItemRect(ItemOf(kClear)))), kClear);
  EXPECT_FALSE(panel.menu_open());
  // A press outside only closes it.
  panel.OpenMenu({10, 10}, kWindow);
  EXPECT_EQ(panel.MenuChoose({511, 341}), kNone);
  EXPECT_FALSE(panel.menu_open());
}

TEST(RunBoxMenu, ChoosingWithTheKeys) {
  using enum RunBoxCommand;
  RunBoxPanel panel = Panel("some text");
  panel.OpenMenu({10, 10}, kWindow);
  // Nothing selected, nothing to undo: Down lights Paste, the first enabled item; Up
  // from there goes round to Close.
  EXPECT_EQ(panel.KeyDown(vk::kDown, false, false), kNone);
  EXPECT_EQ(panel.hot_item(), int(ItemOf(kPaste)));
  panel.KeyDown(vk::kUp, false, false);
  EXPECT_EQ(panel.hot_item(), int(ItemOf(kClose)));
  EXPECT_EQ(panel.KeyDown(vk::kReturn, false, false), kClose);
  EXPECT_FALSE(panel.menu_open());
  // Escape is the menu's while it is open, the player's otherwise.
  panel.OpenMenu({10, 10}, kWindow);
  EXPECT_EQ(panel.KeyDown(vk::kEscape, false, false), kNone);
  EXPECT_FALSE(panel.menu_open());
  EXPECT_EQ(panel.KeyDown(vk::kEscape, false, false), std::nullopt);
}

// A panel narrow enough to wrap: Up and Down move by the rows shown.
TEST(RunBoxMenu, UpAndDownMoveByWrappedRows) {
  RunBoxPanel panel = Panel("", {0, 0, 130, 120});
  std::string words;
  for (int i = 0; i < 12; ++i) words += "word ";
  panel.entry().SetText(words);  // the caret at the end, on the last row
  const size_t end = panel.entry().caret();
  panel.KeyDown(vk::kUp, false, false);
  const size_t up = panel.entry().caret();
  EXPECT_LT(up, end);
  EXPECT_GT(up, 0u);  // still on the same (only) line of text
  panel.KeyDown(vk::kDown, true, false);
  EXPECT_GT(panel.entry().caret(), up);   // back down a row, as far in as it can
  EXPECT_EQ(panel.entry().anchor(), up);  // Shift extends
  panel.KeyDown(vk::kDown, false, false);
  EXPECT_EQ(panel.entry().caret(), end);  // past the last row: the end
}

}  // namespace
}  // namespace corvida::runbox_menu_test

// The menu bar's keyboard and mouse rules, its access keys and its layout.
#include "ui/menu_bar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/messages.h"

namespace corvida::menu_bar_test {
namespace {

// File: Open 11, greyed New 10, separator, Exit 12. Go: Next 21, Back 22. Empty: left out.
MenuBar Sample(int width = 400) {
  MenuBar bar(
      {{"&File", {{10, "&New", true}, {11, "&Open...\tCtrl+O", false}, {}, {12, "E&xit", false}}},
       {"&Empty", {}},
       {"&Go", {{21, "&Next\tCtrl+>", false}, {22, "&Back", false}}}});
  bar.Layout(nullptr, width);
  return bar;
}

Point Middle(const Rect& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(MenuBar, AccessKeysAreTheMarkedLettersInUpperCase) {
  EXPECT_EQ(MenuBar::AccessKey("&File"), 'F');
  EXPECT_EQ(MenuBar::AccessKey("E&xit"), 'X');
  EXPECT_EQ(MenuBar::AccessKey("Tom && &Jerry"), 'J');
  EXPECT_EQ(MenuBar::AccessKey("Plain\tCtrl+&P"), 0);  // the shortcut text marks nothing
  EXPECT_EQ(MenuBar::AccessKey("Trailing&"), 0);
  EXPECT_EQ(Sample().menus().size(), 2u) << "a menu without entries is left out";
}

// Each row: keys pressed after entering the bar at menu 0 (closed), then where it is.
struct KeyCase {
  const char* what;
  std::vector<uint32_t> keys;
  bool ended;
  int chosen;
  int menu;
  bool open;
  int item;
};

TEST(MenuBar, KeyboardMovesBetweenMenusAndItemsAndChooses) {
  const std::vector<KeyCase> cases = {
      {"Down opens on the first item that can be chosen", {vk::kDown}, false, 0, 0, true, 1},
      {"Enter opens too", {vk::kReturn}, false, 0, 0, true, 1},
      {"Up opens on the last", {vk::kUp}, false, 0, 0, true, 3},
      {"Down skips the separator", {vk::kDown, vk::kDown}, false, 0, 0, true, 3},
      {"and wraps past the greyed item", {vk::kDown, vk::kDown, vk::kDown}, false, 0, 0, true, 1},
      {"Enter chooses", {vk::kDown, vk::kReturn}, true, 11, 0, false, -1},
      {"Right moves to the next title", {vk::kRight}, false, 0, 1, false, -1},
      {"Left wraps to the last", {vk::kLeft}, false, 0, 1, false, -1},
      {"Right in an open list opens the next", {vk::kDown, vk::kRight}, false, 0, 1, true, 0},
      {"Escape closes the list first", {vk::kDown, vk::kEscape}, false, 0, 0, false, -1},
      {"then leaves the bar", {vk::kDown, vk::kEscape, vk::kEscape}, true, 0, 0, false, -1},
      {"Alt leaves at once", {vk::kDown, vk::kMenu}, true, 0, 0, false, -1},
      {"F10 too", {vk::kF10}, true, 0, 0, false, -1},
      {"a title's letter opens it", {'G'}, false, 0, 1, true, 0},
      {"an item's letter chooses it", {'G', 'B'}, true, 22, 0, false, -1},
      {"a greyed item's letter does nothing", {'F', 'N'}, false, 0, 0, true, 1},
      {"an unknown letter does nothing", {'Q'}, false, 0, 0, false, -1},
  };
  for (const KeyCase& c : cases) {
    MenuBar bar = Sample();
    bar.Start(0, false, false);
    for (uint32_t key : c.keys) bar.KeyDown(key);
    SCOPED_TRACE(c.what);
    EXPECT_EQ(bar.ended(), c.ended);
    EXPECT_EQ(bar.chosen(), c.chosen);
    if (c.ended) continue;
    EXPECT_EQ(bar.current_menu(), c.menu);
    EXPECT_EQ(bar.list_open(), c.open);
    EXPECT_EQ(bar.highlighted(), c.item);
  }
}

TEST(MenuBar, MousePressOpensReleaseOnAnItemChooses) {
  MenuBar bar = Sample();
  bar.Start(0, true, true);
  EXPECT_EQ(bar.highlighted(), -1) << "from the mouse nothing is highlighted yet";
  // Moving across to the other title follows it; over an item highlights it.
  bar.MouseMove(Middle(bar.TitleRect(1)));
  EXPECT_EQ(bar.current_menu(), 1);
  bar.MouseMove(Middle(bar.ItemRect(1)));
  EXPECT_EQ(bar.highlighted(), 1);
  bar.MouseUp(Middle(bar.ItemRect(1)));
  EXPECT_TRUE(bar.ended());
  EXPECT_EQ(bar.chosen(), 22);
}

TEST(MenuBar, MouseOnGreyedItemsSeparatorsAndOutside) {
  MenuBar bar = Sample();
  bar.Start(0, true, true);
  bar.MouseUp(Middle(bar.ItemRect(0)));  // greyed
  bar.MouseUp(Middle(bar.ItemRect(2)));  // separator
  EXPECT_FALSE(bar.ended());
  EXPECT_EQ(bar.ItemAt(Middle(bar.ItemRect(2))), -1);
  // A press on the open title closes the menu; a press outside does too.
  bar.MouseDown(Middle(bar.TitleRect(0)));
  EXPECT_TRUE(bar.ended());
  EXPECT_EQ(bar.chosen(), 0);
  bar.Start(1, true, true);
  bar.MouseDown({390, 300});
  EXPECT_TRUE(bar.ended());
  EXPECT_EQ(bar.chosen(), 0);
}

TEST(MenuBar, ListsStayInsideTheWindowAndBelowTheBar) {
  MenuBar bar = Sample(150);
  bar.Start(1, true, false);
  const Rect list = bar.ListRect();
  EXPECT_EQ(list.top, MenuBar::kHeight);
  EXPECT_LE(list.right, 150);
  EXPECT_GE(list.left, 0);
  EXPECT_EQ(bar.ItemRect(1).top, bar.ItemRect(0).bottom);
  // Greying follows the command wherever it is listed; commands not listed count as greyed.
  bar.SetGreyed(21, true);
  EXPECT_TRUE(bar.Greyed(21));
  EXPECT_TRUE(bar.Greyed(99));
  bar.KeyDown(vk::kEscape);
  bar.KeyDown(vk::kDown);
  EXPECT_EQ(bar.highlighted(), 1) << "the greyed first item is passed over";
}

TEST(MenuBar, DrawsTheStripAndTheOpenList) {
  MenuBar bar = Sample();
  gfx::Bitmap b;
  ASSERT_TRUE(b.Create(400, 120, 32));
  gfx::DrawTarget t(b);
  t.FillRect(b.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
  bar.Start(0, true, false);
  bar.Draw(t, nullptr, 400);
  auto pixel = [&](Point p) { return b.Row(p.y)[p.x * 4]; };
  EXPECT_EQ(pixel({390, 5}), 192) << "the strip is grey across the width";
  EXPECT_EQ(pixel({390, 60}), 255) << "the card shows beside the list";
  const Rect lit = bar.ItemRect(1);
  EXPECT_EQ(pixel({lit.right - 3, lit.top + 1}), 128) << "the highlighted item is blue";
}

}  // namespace
}  // namespace corvida::menu_bar_test

// The player's menu bar, drawn by us inside the window on every backend like the dialogs:
// a strip of menu titles; a title opens a drop-down list of its items. Labels mark their
// access key with '&' and put the shortcut text after a tab.
//
// Keyboard: once the bar is active (Alt or F10), Left and Right move between titles,
// Down, Up or Enter open the list, Up and Down move in it, Enter chooses, Escape closes
// the list and then leaves the bar, a letter opens the title or chooses the item whose
// access key it is. Mouse: a press on a title opens its list, moving over the other
// titles follows, a release on an item chooses it, a press anywhere else closes.
//
// The bar only models and draws itself; RunMenuBar (ui/menu_loop.h) runs it modally.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts.h"
#include "platform/gfx/draw.h"
#include "platform/types.h"

namespace corvida {

// One item of a list; command 0 is a separator line.
struct MenuEntry {
  int command = 0;
  std::string label;
  bool greyed = false;
};

struct Menu {
  std::string title;
  std::vector<MenuEntry> entries;
};

class MenuBar {
 public:
  static constexpr int kHeight = 20;
  static constexpr int kItemHeight = 18;
  static constexpr int kSeparatorHeight = 7;

  MenuBar() = default;
  explicit MenuBar(std::vector<Menu> menus) { SetMenus(std::move(menus)); }

  // Menus without entries are left out (an Extras menu with no Extras).
  void SetMenus(std::vector<Menu> menus);
  const std::vector<Menu>& menus() const { return menus_; }
  void SetGreyed(int command, bool greyed);
  bool Greyed(int command) const;

  // Measures the titles and lists with the fonts the bar is drawn with, for a window
  // `width` pixels wide; call again when the menus or the width change.
  void Layout(FontService* fonts, int width);

  // Makes the bar active with `menu` highlighted, its list open when asked. From the
  // keyboard the first item that can be chosen is highlighted; from the mouse none.
  void Start(int menu, bool open, bool by_mouse);
  bool active() const { return active_; }
  bool ended() const { return ended_; }
  int chosen() const { return chosen_; }  // the command chosen, 0 when cancelled
  int current_menu() const { return current_; }
  bool list_open() const { return open_; }
  int highlighted() const { return item_; }  // -1 when no item is highlighted

  // Input; points in window coordinates with the bar's top-left at (0, 0).
  void KeyDown(uint32_t virtual_key);
  void MouseDown(Point p);
  void MouseMove(Point p);
  void MouseUp(Point p);

  Rect TitleRect(int menu) const;
  Rect ListRect() const;  // empty when no list is open
  Rect ItemRect(int item) const;
  // The menu whose title lies under the point, -1 for none.
  int TitleAt(Point p) const;
  // The item under the point in the open list, -1 for none (or a separator).
  int ItemAt(Point p) const;

  // The letter marked with '&' in the label, upper case; 0 when none.
  static char AccessKey(std::string_view label);

  // The strip, `width` wide, and the open list below it, drawn at the target's origin.
  void Draw(gfx::DrawTarget& target, FontService* fonts, int width) const;

 private:
  void End(int command);
  void Open(int menu, bool by_mouse);
  int Step(int from, int direction) const;  // next item that can be chosen
  bool Choosable(int item) const;
  const std::vector<MenuEntry>& Entries() const { return menus_[size_t(current_)].entries; }

  std::vector<Menu> menus_;
  std::vector<Rect> titles_;
  std::vector<int> list_widths_;
  int width_ = 0;
  bool active_ = false;
  bool open_ = false;
  bool ended_ = false;
  int chosen_ = 0;
  int current_ = 0;
  int item_ = -1;
};

}  // namespace corvida

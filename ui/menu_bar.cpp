// The menu bar's model: layout of titles and lists, and what keys and the mouse do.
#include "ui/menu_bar.h"

#include <algorithm>
#include <cctype>

#include "platform/gfx/text.h"
#include "platform/messages.h"
#include "ui/dialog.h"

namespace corvida {
namespace {

constexpr int kTitleLeft = 4;
constexpr int kTitlePadding = 14;
constexpr int kListPadding = 36;  // room for the margin on the left and right
constexpr int kShortcutGap = 24;
constexpr int kMinListWidth = 120;

std::string_view LabelPart(std::string_view label) {
  return label.substr(0, label.find('\t'));
}

std::string_view ShortcutPart(std::string_view label) {
  const size_t tab = label.find('\t');
  return tab == std::string_view::npos ? std::string_view{} : label.substr(tab + 1);
}

std::shared_ptr<Font> MenuFont(FontService* fonts) {
  return fonts ? fonts->GetFont("", 12, 0) : MakeBuiltinFont(12, 0);
}

}  // namespace

char MenuBar::AccessKey(std::string_view label) {
  label = LabelPart(label);
  for (size_t i = 0; i + 1 < label.size(); ++i) {
    if (label[i] != '&') continue;
    if (label[i + 1] == '&') {
      ++i;  // "&&" is an ampersand
      continue;
    }
    return char(std::toupper(static_cast<unsigned char>(label[i + 1])));
  }
  return 0;
}

void MenuBar::SetMenus(std::vector<Menu> menus) {
  menus_.clear();
  for (Menu& m : menus)
    if (!m.entries.empty()) menus_.push_back(std::move(m));
  titles_.clear();
  list_widths_.clear();
  active_ = open_ = false;
  current_ = 0;
  item_ = -1;
}

void MenuBar::SetGreyed(int command, bool greyed) {
  for (Menu& m : menus_)
    for (MenuEntry& e : m.entries)
      if (e.command == command) e.greyed = greyed;
}

bool MenuBar::Greyed(int command) const {
  for (const Menu& m : menus_)
    for (const MenuEntry& e : m.entries)
      if (e.command == command) return e.greyed;
  return true;  // not in the menus: nothing to choose
}

void MenuBar::Layout(FontService* fonts, int width) {
  std::shared_ptr<Font> font = MenuFont(fonts);
  width_ = width;
  titles_.clear();
  list_widths_.clear();
  int x = kTitleLeft;
  for (const Menu& m : menus_) {
    const int w = gfx::MeasureText(*font, Dialog::ShownLabel(m.title)) + kTitlePadding;
    titles_.push_back({x, 0, x + w, kHeight});
    x += w;
    int list = kMinListWidth;
    for (const MenuEntry& e : m.entries) {
      const std::string_view shortcut = ShortcutPart(e.label);
      int w_item = gfx::MeasureText(*font, Dialog::ShownLabel(LabelPart(e.label)));
      if (!shortcut.empty()) w_item += kShortcutGap + gfx::MeasureText(*font, shortcut);
      list = std::max(list, w_item + kListPadding);
    }
    list_widths_.push_back(list);
  }
}

Rect MenuBar::TitleRect(int menu) const {
  return menu >= 0 && size_t(menu) < titles_.size() ? titles_[size_t(menu)] : Rect{};
}

Rect MenuBar::ListRect() const {
  if (!open_ || size_t(current_) >= titles_.size()) return {};
  int height = 4;
  for (const MenuEntry& e : Entries()) height += e.command ? kItemHeight : kSeparatorHeight;
  const int w = list_widths_[size_t(current_)];
  // Under its title, moved left when it would leave the window.
  int left = titles_[size_t(current_)].left;
  if (width_ > 0 && left + w > width_) left = std::max(0, width_ - w);
  return {left, kHeight, left + w, kHeight + height};
}

Rect MenuBar::ItemRect(int item) const {
  const Rect list = ListRect();
  if (list.Empty() || item < 0 || size_t(item) >= Entries().size()) return {};
  int y = list.top + 2;
  for (int i = 0; i < item; ++i) y += Entries()[size_t(i)].command ? kItemHeight : kSeparatorHeight;
  const int h = Entries()[size_t(item)].command ? kItemHeight : kSeparatorHeight;
  return {list.left + 2, y, list.right - 2, y + h};
}

int MenuBar::TitleAt(Point p) const {
  for (size_t i = 0; i < titles_.size(); ++i)
    if (titles_[i].Contains(p)) return int(i);
  return -1;
}

int MenuBar::ItemAt(Point p) const {
  if (!ListRect().Contains(p)) return -1;
  for (size_t i = 0; i < Entries().size(); ++i)
    if (Entries()[i].command && ItemRect(int(i)).Contains(p)) return int(i);
  return -1;
}

bool MenuBar::Choosable(int item) const {
  if (item < 0 || size_t(item) >= Entries().size()) return false;
  const MenuEntry& e = Entries()[size_t(item)];
  return e.command != 0 && !e.greyed;
}

int MenuBar::Step(int from, int direction) const {
  const int n = int(Entries().size());
  for (int i = 1; i <= n; ++i) {
    const int item = ((from + direction * i) % n + n) % n;
    if (Choosable(item)) return item;
  }
  return -1;
}

void MenuBar::Start(int menu, bool open, bool by_mouse) {
  ended_ = false;
  chosen_ = 0;
  active_ = !menus_.empty();
  if (!active_) return End(0);
  current_ = std::clamp(menu, 0, int(menus_.size()) - 1);
  open_ = false;
  item_ = -1;
  if (open) Open(current_, by_mouse);
}

void MenuBar::Open(int menu, bool by_mouse) {
  current_ = menu;
  open_ = true;
  item_ = by_mouse ? -1 : Step(-1, 1);
}

void MenuBar::End(int command) {
  ended_ = true;
  chosen_ = command;
  active_ = open_ = false;
  item_ = -1;
}

void MenuBar::KeyDown(uint32_t key) {
  if (!active_) return;
  const int count = int(menus_.size());
  switch (key) {
    case vk::kEscape:
      if (open_) {
        open_ = false;
        item_ = -1;
      } else {
        End(0);
      }
      return;
    case vk::kMenu:
    case vk::kF10:  // leaves the bar as it entered it
      return End(0);
    case vk::kLeft:
    case vk::kRight: {
      const int next = (current_ + (key == vk::kLeft ? count - 1 : 1)) % count;
      if (open_) return Open(next, false);
      current_ = next;
      return;
    }
    case vk::kDown:
      if (!open_) return Open(current_, false);
      item_ = Step(item_, 1);
      return;
    case vk::kUp:
      if (!open_) {
        Open(current_, false);
        item_ = Step(0, -1);
        return;
      }
      item_ = Step(item_ < 0 ? 0 : item_, -1);
      return;
    case vk::kReturn:
    case vk::kSpace:
      if (!open_) return Open(current_, false);
      if (Choosable(item_)) End(Entries()[size_t(item_)].command);
      return;
    default:
      break;
  }
  // Letters and digits: the access keys.
  const bool letter = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
  if (!letter) return;
  if (!open_) {
    for (int i = 0; i < count; ++i)
      if (AccessKey(menus_[size_t(i)].title) == char(key)) return Open(i, false);
    return;
  }
  for (size_t i = 0; i < Entries().size(); ++i)
    if (Choosable(int(i)) && AccessKey(Entries()[i].label) == char(key))
      return End(Entries()[i].command);
}

void MenuBar::MouseDown(Point p) {
  if (!active_) return;
  const int title = TitleAt(p);
  if (title >= 0) {
    // A press on the open title closes the menu, as on the desktop.
    if (open_ && title == current_) return End(0);
    return Open(title, true);
  }
  if (ListRect().Contains(p)) {
    item_ = Choosable(ItemAt(p)) ? ItemAt(p) : -1;
    return;
  }
  End(0);
}

void MenuBar::MouseMove(Point p) {
  if (!active_) return;
  const int title = TitleAt(p);
  if (title >= 0 && open_ && title != current_) return Open(title, true);
  if (!open_) return;
  const int item = ItemAt(p);
  if (item >= 0 || !ListRect().Contains(p)) item_ = Choosable(item) ? item : -1;
}

void MenuBar::MouseUp(Point p) {
  if (!active_ || !open_) return;
  const int item = ItemAt(p);
  if (Choosable(item)) End(Entries()[size_t(item)].command);
}

}  // namespace corvida

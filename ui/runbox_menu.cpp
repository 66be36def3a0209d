// The run box's right-click menu: the box's commands with their shortcuts, greyed when
// they cannot act, chosen with the mouse or the keys.
#include <algorithm>

#include "platform/gfx/text.h"
#include "platform/messages.h"
#include "ui/panel_look.h"
#include "ui/runbox_panel.h"

namespace corvida {
namespace {

using namespace panel_look;
using enum RunBoxCommand;

constexpr RunBoxPanel::MenuItem kItems[] = {
    {"Undo", "Ctrl+Z", kUndo},   {nullptr, nullptr, kNone},
    {"Cut", "Ctrl+X", kCut},     {"Copy", "Ctrl+C", kCopy},
    {"Paste", "Ctrl+V", kPaste}, {"Clear", "Del", kClear},
    {nullptr, nullptr, kNone},   {"Select All", "Ctrl+A", kSelectAll},
    {nullptr, nullptr, kNone},   {"Help", "F1", kHelp},
    {"Close", "Ctrl+W", kClose},
};
constexpr int kSeparatorHeight = 7;
constexpr int kItemPadding = 4;         // above and below a label
constexpr int kSideMargin = 18;         // left of the labels, and right of the shortcuts
constexpr int kRunBoxShortcutGap = 24;  // between the longest label and the shortcuts

int ItemHeight(Font& font) {
  return std::max(1, font.metrics().line_height) + kItemPadding;
}

}  // namespace

std::span<const RunBoxPanel::MenuItem> RunBoxPanel::MenuItems() {
  return kItems;
}

bool RunBoxPanel::Enabled(RunBoxCommand command) const {
  switch (command) {
    case kUndo:
      return entry_.can_undo();
    case kCut:
    case kCopy:
    case kClear:
      return entry_.has_selection();
    case kSelectAll:
      return !entry_.text().empty();
    case kNone:
      return false;
    default:
      return true;
  }
}

void RunBoxPanel::OpenMenu(Point at, Size window) {
  std::shared_ptr<Font> font = TextFont();
  int labels = 0, shortcuts = 0, height = 4;
  for (const MenuItem& item : kItems) {
    if (!item.label) {
      height += kSeparatorHeight;
      continue;
    }
    labels = std::max(labels, gfx::MeasureText(*font, item.label));
    shortcuts = std::max(shortcuts, gfx::MeasureText(*font, item.shortcut));
    height += ItemHeight(*font);
  }
  const int width = kSideMargin + labels + kRunBoxShortcutGap + shortcuts + kSideMargin;
  // Inside the window: moved left or up when it would reach past its edge.
  const int left = std::max(0, std::min(at.x, window.width - width));
  const int top = std::max(0, std::min(at.y, window.height - height));
  menu_rect_ = {left, top, left + width, top + height};
  menu_open_ = true;
  hot_ = -1;
}

Rect RunBoxPanel::MenuItemRect(size_t index) const {
  if (index >= std::size(kItems)) return {};
  std::shared_ptr<Font> font = TextFont();
  int y = menu_rect_.top + 2;
  for (size_t i = 0; i < index; ++i) y += kItems[i].label ? ItemHeight(*font) : kSeparatorHeight;
  const int h = kItems[index].label ? ItemHeight(*font) : kSeparatorHeight;
  return {menu_rect_.left + 2, y, menu_rect_.right - 2, y + h};
}

int RunBoxPanel::MenuItemAt(Point p) const {
  if (!menu_open_ || !menu_rect_.Contains(p)) return -1;
  for (size_t i = 0; i < std::size(kItems); ++i) {
    if (kItems[i].label && Enabled(kItems[i].command) && MenuItemRect(i).Contains(p)) return int(i);
  }
  return -1;
}

bool RunBoxPanel::MenuHover(Point p) {
  const int at = MenuItemAt(p);
  if (at == hot_) return false;
  hot_ = at;
  return true;
}

RunBoxCommand RunBoxPanel::MenuChoose(Point p) {
  const int at = MenuItemAt(p);
  menu_open_ = false;
  return at < 0 ? kNone : kItems[at].command;
}

RunBoxCommand RunBoxPanel::MenuKey(uint32_t key) {
  const int count = int(std::size(kItems));
  auto step = [&](int by) {
    // The next enabled item, round the menu; none when none is enabled.
    for (int n = 1, at = hot_; n <= count; ++n) {
      at = ((at < 0 && by < 0 ? count : at) + by + count) % count;
      if (kItems[at].label && Enabled(kItems[at].command)) return hot_ = at, void();
    }
  };
  switch (key) {
    case vk::kDown:
      step(1);
      return kNone;
    case vk::kUp:
      step(-1);
      return kNone;
    case vk::kReturn: {
      const int chosen = hot_;
      menu_open_ = false;
      return chosen < 0 ? kNone : kItems[chosen].command;
    }
    case vk::kEscape:
      menu_open_ = false;
      return kNone;
    default:
      return kNone;
  }
}

void RunBoxPanel::DrawMenu(gfx::DrawTarget& t, Font& font) const {
  t.state().bk_mode = gfx::BkMode::kTransparent;
  t.FillRect(menu_rect_, kFace);
  t.FrameRect(menu_rect_, gfx::Brush::Solid(kInk));
  Bevel(t, menu_rect_.Inset(1, 1), true);
  for (size_t i = 0; i < std::size(kItems); ++i) {
    const Rect r = MenuItemRect(i);
    if (!kItems[i].label) {
      const int mid = (r.top + r.bottom) / 2;
      t.FillRect({r.left + 2, mid - 1, r.right - 2, mid}, kShadow);
      t.FillRect({r.left + 2, mid, r.right - 2, mid + 1}, kLight);
      continue;
    }
    const bool hot = int(i) == hot_;
    if (hot) t.FillRect(r, kHighlight);
    const gfx::Color ink = !Enabled(kItems[i].command) ? kGreyInk : hot ? kLight : kInk;
    const int baseline = r.top + kItemPadding / 2 + font.metrics().ascent;
    gfx::DrawText(t, font, r.left + kSideMargin - 2, baseline, kItems[i].label, ink);
    const int w = gfx::MeasureText(font, kItems[i].shortcut);
    gfx::DrawText(t, font, r.right - kSideMargin + 2 - w, baseline, kItems[i].shortcut, ink);
  }
}

}  // namespace corvida

// Drawing of the menu bar: a grey strip with the titles, the active one in the selection
// colour, and the open list as a raised panel with its items, access keys underlined,
// shortcut texts at the right and greyed items in grey.
#include "platform/gfx/text.h"
#include "ui/dialog.h"
#include "ui/menu_bar.h"
#include "ui/panel_look.h"

namespace corvida {
namespace {

using namespace panel_look;

// A label with its access key underlined, starting at x on the baseline.
void MarkedText(gfx::DrawTarget& t, Font& font, int x, int baseline, std::string_view label,
                gfx::Color colour) {
  std::string shown;
  int underline_at = -1;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && i + 1 < label.size()) {
      ++i;
      if (label[i] != '&' && underline_at < 0) underline_at = int(shown.size());
    }
    shown += label[i];
  }
  gfx::DrawText(t, font, x, baseline, shown, colour);
  if (underline_at < 0) return;
  const std::string_view text(shown);
  const int from = x + gfx::MeasureText(font, text.substr(0, size_t(underline_at)));
  const int to = x + gfx::MeasureText(font, text.substr(0, size_t(underline_at) + 1));
  t.FillRect({from, baseline + 1, to, baseline + 2}, colour);
}

int Baseline(Font& font, const Rect& box) {
  return box.top + (box.Height() - font.metrics().line_height) / 2 + font.metrics().ascent;
}

}  // namespace

void MenuBar::Draw(gfx::DrawTarget& t, FontService* fonts, int width) const {
  std::shared_ptr<Font> font = fonts ? fonts->GetFont("", 12, 0) : MakeBuiltinFont(12, 0);
  const gfx::DrawState saved = t.state();
  t.state().bk_mode = gfx::BkMode::kTransparent;
  t.FillRect({0, 0, width, kHeight - 1}, kFace);
  t.FillRect({0, kHeight - 1, width, kHeight}, kShadow);
  for (size_t i = 0; i < menus_.size() && i < titles_.size(); ++i) {
    const Rect& r = titles_[i];
    const bool lit = active_ && int(i) == current_;
    if (lit) t.FillRect(r.Inset(0, 1), kHighlight);
    MarkedText(t, *font, r.left + 7, Baseline(*font, r), menus_[i].title, lit ? kLight : kInk);
  }
  const Rect list = ListRect();
  if (!list.Empty()) {
    t.FillRect(list, kFace);
    t.FrameRect(list, gfx::Brush::Solid(kInk));
    t.FillRect({list.left + 1, list.top + 1, list.right - 1, list.top + 2}, kLight);
    t.FillRect({list.left + 1, list.top + 1, list.left + 2, list.bottom - 1}, kLight);
    const std::vector<MenuEntry>& entries = menus_[size_t(current_)].entries;
    for (size_t i = 0; i < entries.size(); ++i) {
      const MenuEntry& e = entries[i];
      const Rect r = ItemRect(int(i));
      if (e.command == 0) {
        const int mid = r.top + r.Height() / 2;
        t.FillRect({r.left + 2, mid - 1, r.right - 2, mid}, kShadow);
        t.FillRect({r.left + 2, mid, r.right - 2, mid + 1}, kLight);
        continue;
      }
      const bool lit = int(i) == item_;
      if (lit) t.FillRect(r, kHighlight);
      const gfx::Color ink = e.greyed ? kGreyInk : lit ? kLight : kInk;
      const std::string_view label(e.label);
      const size_t tab = label.find('\t');
      const int baseline = Baseline(*font, r);
      MarkedText(t, *font, r.left + 18, baseline, label.substr(0, tab), ink);
      if (tab != std::string_view::npos) {
        const std::string_view shortcut = label.substr(tab + 1);
        gfx::DrawText(t, *font, r.right - 12 - gfx::MeasureText(*font, shortcut), baseline,
                      shortcut, ink);
      }
    }
  }
  t.state() = saved;
}

}  // namespace corvida

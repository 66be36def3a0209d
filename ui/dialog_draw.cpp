// Drawing of dialogs: a grey panel with a blue caption, bevelled push buttons (the
// default one with a black border), white sunken fields and lists, all with our own
// graphics and fonts.
#include <algorithm>

#include "platform/gfx/text.h"
#include "ui/dialog.h"
#include "ui/dialog_assets.h"
#include "ui/panel_look.h"

namespace corvida {
namespace {

using namespace panel_look;

// Text from (x, top) of a box, on one line, clipped to the box.
void Label(gfx::DrawTarget& t, Font& font, const Rect& box, int x, std::string_view text,
           gfx::Color colour) {
  const gfx::DrawState saved = t.state();
  t.SetClip(t.ToDevice(gfx::Region(box)));
  const int baseline =
      box.top + (box.Height() - font.metrics().line_height) / 2 + font.metrics().ascent;
  gfx::DrawText(t, font, x, baseline, text, colour);
  t.state() = saved;
}

// Static text wraps at word boundaries within its rectangle.
void WrappedText(gfx::DrawTarget& t, Font& font, const Rect& box, const std::string& text) {
  const gfx::DrawState saved = t.state();
  t.SetClip(t.ToDevice(gfx::Region(box)));
  const int line = std::max(1, font.metrics().line_height);
  int y = box.top + font.metrics().ascent;
  size_t start = 0;
  while (start < text.size() && y - font.metrics().ascent < box.bottom) {
    size_t end = start, fit = start;
    while (end < text.size() && text[end] != '\n') {
      size_t next = text.find_first_of(" \n", end + 1);
      if (next == std::string::npos) next = text.size();
      if (gfx::MeasureText(font, std::string_view(text).substr(start, next - start)) >
              box.Width() &&
          fit > start)
        break;
      fit = end = next;
    }
    gfx::DrawText(t, font, box.left, y, std::string_view(text).substr(start, fit - start), kInk);
    start = fit;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\n')) ++start;
    y += line;
  }
  t.state() = saved;
}

void DrawIcon(gfx::DrawTarget& t, const Rect& r, AlertIcon icon) {
  if (icon == AlertIcon::kMascot) return DrawMascot(t, {r.left, r.top});
  const gfx::DrawState saved = t.state();
  t.state().pen = gfx::Pen{gfx::Pen::Style::kSolid, kInk, 1, 0};
  if (icon == AlertIcon::kStop) {
    t.state().brush = gfx::Brush::Solid(gfx::Color::FromRgb(255, 0, 0));
    t.Ellipse(r);
    t.FillRect({r.left + 8, r.top + r.Height() / 2 - 2, r.right - 8, r.top + r.Height() / 2 + 2},
               kLight);
  } else if (icon == AlertIcon::kExclamation) {
    t.state().brush = gfx::Brush::Solid(gfx::Color::FromRgb(255, 255, 0));
    const Point tri[3] = {
        {r.left + r.Width() / 2, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
    t.Polygon(tri);
    const int cx = r.left + r.Width() / 2;
    t.FillRect({cx - 1, r.top + 9, cx + 2, r.bottom - 11}, kInk);
    t.FillRect({cx - 1, r.bottom - 8, cx + 2, r.bottom - 5}, kInk);
  }
  t.state() = saved;
}

void DrawControl(gfx::DrawTarget& t, Font& font, const Control& c, bool focused, bool is_default,
                 bool pressed) {
  const Rect& r = c.rect;
  const gfx::Color ink = c.enabled ? kInk : kGreyInk;
  switch (c.kind) {
    case ControlKind::kStatic:
      WrappedText(t, font, r, c.plain ? c.text : Dialog::ShownLabel(c.text));
      break;
    case ControlKind::kIcon:
      DrawIcon(t, r, c.icon);
      break;
    case ControlKind::kButton: {
      t.FillRect(r, kFace);
      Rect inner = r;
      if (is_default) {
        t.FrameRect(r, gfx::Brush::Solid(kInk));
        inner = r.Inset(1, 1);
      }
      Bevel(t, inner, !pressed);
      const std::string label = Dialog::ShownLabel(c.text);
      const int w = gfx::MeasureText(font, label);
      const int shift = pressed ? 1 : 0;
      Label(t, font, inner.Offset(shift, shift), inner.left + shift + (inner.Width() - w) / 2,
            label, ink);
      if (focused) t.FrameRect(inner.Inset(3, 3), gfx::Brush::Solid(kShadow));
      break;
    }
    case ControlKind::kCheckBox: {
      const int box = 13, top = r.top + (r.Height() - box) / 2;
      const Rect square{r.left, top, r.left + box, top + box};
      t.FillRect(square, kLight);
      t.FrameRect(square, gfx::Brush::Solid(kInk));
      if (c.checked) {
        t.state().pen = gfx::Pen{gfx::Pen::Style::kSolid, ink, 2, 0};
        t.Line({square.left + 3, square.top + 6}, {square.left + 6, square.top + 9});
        t.Line({square.left + 6, square.top + 9}, {square.left + 10, square.top + 3});
        t.state().pen = gfx::Pen{};
      }
      Label(t, font, {r.left + box + 5, r.top, r.right, r.bottom}, r.left + box + 5,
            Dialog::ShownLabel(c.text), ink);
      if (focused)
        t.FrameRect({r.left + box + 3, r.top, r.right, r.bottom}, gfx::Brush::Solid(kShadow));
      break;
    }
    case ControlKind::kEdit: {
      t.FillRect(r, c.enabled ? kLight : kFace);
      Bevel(t, r, false);
      const std::string shown = c.password ? std::string(c.text.size(), '*') : c.text;
      const Rect inner = r.Inset(3, 2);
      // Long text scrolls so its end, where typing happens, stays in view.
      const int w = gfx::MeasureText(font, shown);
      const int x = w > inner.Width() ? inner.right - w - 1 : inner.left;
      // Selected text (all of it, which typing replaces) shows highlighted, without caret.
      const bool selected = focused && c.all_selected;
      if (selected)
        t.FillRect({std::max(x, inner.left), inner.top + 1, std::min(x + w, inner.right),
                    inner.bottom - 1},
                   kHighlight);
      Label(t, font, inner, x, shown, selected ? kLight : ink);
      if (focused && !selected)
        t.FillRect({x + w, inner.top + 1, x + w + 1, inner.bottom - 1}, kInk);
      break;
    }
    case ControlKind::kList: {
      t.FillRect(r, kLight);
      Bevel(t, r, false);
      const Rect inner = r.Inset(2, 2);
      const int rows = std::max(1, inner.Height() / Dialog::kListRowHeight);
      for (int i = 0; i < rows && c.top + i < int(c.items.size()); ++i) {
        const int row = c.top + i;
        const Rect line{inner.left, inner.top + i * Dialog::kListRowHeight, inner.right,
                        std::min(inner.bottom, inner.top + (i + 1) * Dialog::kListRowHeight)};
        const bool chosen = row == c.selected;
        if (chosen) t.FillRect(line, kHighlight);
        Label(t, font, line, line.left + 2, c.items[size_t(row)], chosen ? kLight : ink);
      }
      if (focused) t.FrameRect(r.Inset(1, 1), gfx::Brush::Solid(kShadow));
      break;
    }
  }
}

}  // namespace

std::string Dialog::ShownLabel(std::string_view label) {
  std::string shown;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && i + 1 < label.size()) ++i;
    shown += label[i];
  }
  return shown;
}

void Dialog::Draw(gfx::DrawTarget& target, FontService* fonts, Point at) const {
  std::shared_ptr<Font> font = fonts ? fonts->GetFont("", 12, 0) : MakeBuiltinFont(12, 0);
  std::shared_ptr<Font> bold =
      fonts ? fonts->GetFont("", 12, font_style::kBold) : MakeBuiltinFont(12, font_style::kBold);
  const gfx::DrawState saved = target.state();
  const Size outer = outer_size();
  target.state().origin = {saved.origin.x + at.x, saved.origin.y + at.y};
  target.state().bk_mode = gfx::BkMode::kTransparent;
  const Rect whole{0, 0, outer.width, outer.height};
  target.FillRect(whole, kFace);
  target.FrameRect(whole, gfx::Brush::Solid(kInk));
  Bevel(target, whole.Inset(1, 1), true);
  const Rect caption{kFrame, kFrame, outer.width - kFrame, kFrame + kCaptionHeight - 1};
  target.FillRect(caption, kCaption);
  Label(target, *bold, caption, caption.left + 4, title_, kLight);

  target.state().origin = {target.state().origin.x + kFrame,
                           target.state().origin.y + kFrame + kCaptionHeight};
  for (size_t i = 0; i < controls_.size(); ++i) {
    const Control& c = controls_[i];
    if (!c.visible) continue;
    DrawControl(target, *font, c, int(i) == focus_ && c.Focusable(),
                c.kind == ControlKind::kButton && c.id == default_id_, int(i) == pressed_);
  }
  target.state() = saved;
}

}  // namespace corvida

#include "ui/runbox_panel.h"

#include <algorithm>

#include "platform/gfx/text.h"
#include "platform/messages.h"
#include "ui/panel_look.h"

namespace corvida {
namespace {

using namespace panel_look;
constexpr int kFontSize = 12;
constexpr int kButtonGap = 2;
constexpr int kTextMargin = 3;

constexpr RunBoxButton kButtons[] = {
    {"Run", RunBoxCommand::kRun},
    {"Undo", RunBoxCommand::kUndo},
    {"Cut", RunBoxCommand::kCut},
    {"Copy", RunBoxCommand::kCopy},
    {"Paste", RunBoxCommand::kPaste},
    {"Clear", RunBoxCommand::kClear},
    {"Select All", RunBoxCommand::kSelectAll},
    {"Help", RunBoxCommand::kHelp},
};

int Baseline(const Rect& box, Font& font) {
  return box.top + (box.Height() - font.metrics().line_height) / 2 + font.metrics().ascent;
}

}  // namespace

std::span<const RunBoxButton> RunBoxPanel::Buttons() {
  return kButtons;
}

std::shared_ptr<Font> RunBoxPanel::TextFont() const {
  return fonts_ ? fonts_->GetFont("", kFontSize, 0) : MakeBuiltinFont(kFontSize, 0);
}

void RunBoxPanel::Place(const Rect& wanted, Size window) {
  const int width = std::min(std::max(wanted.Width(), kMinimum.width), std::max(window.width, 1));
  const int height =
      std::min(std::max(wanted.Height(), kMinimum.height), std::max(window.height, 1));
  const int left = std::clamp(wanted.left, 0, std::max(0, window.width - width));
  const int top = std::clamp(wanted.top, 0, std::max(0, window.height - height));
  rect_ = {left, top, left + width, top + height};
}

Rect RunBoxPanel::CaptionRect() const {
  return {rect_.left, rect_.top, rect_.right, rect_.top + kCaptionHeight};
}

Rect RunBoxPanel::CloseBoxRect() const {
  return {rect_.right - kCaptionHeight, rect_.top + 2, rect_.right - 3,
          rect_.top + kCaptionHeight - 2};
}

Rect RunBoxPanel::EntryRect() const {
  return {rect_.left + 2, rect_.top + kCaptionHeight + 1, rect_.right - 2,
          std::max(rect_.top + kCaptionHeight + 1, rect_.bottom - kStripHeight)};
}

Rect RunBoxPanel::StripRect() const {
  return {rect_.left, rect_.bottom - kStripHeight, rect_.right, rect_.bottom};
}

Rect RunBoxPanel::ButtonRect(size_t index) const {
  if (index >= std::size(kButtons)) return {};
  std::shared_ptr<Font> font = TextFont();
  const Rect strip = StripRect();
  int x = strip.left + 3;
  for (size_t i = 0;; ++i) {
    const int width = gfx::MeasureText(*font, kButtons[i].label) + 12;
    if (x + width > strip.right - kGrip) return {};
    if (i == index) return {x, strip.top + 2, x + width, strip.bottom - 2};
    x += width + kButtonGap;
  }
}

// ---- input ----

std::optional<RunBoxCommand> RunBoxPanel::KeyDown(uint32_t key, bool shift, bool ctrl) {
  using enum RunBoxCommand;
  switch (key) {
    case vk::kReturn:
      if (!shift && !ctrl) return kRun;
      entry_.Insert("\n");
      return kNone;
    case vk::kF1:
      return kHelp;
    case vk::kF1 + 3:  // F4
      if (ctrl) return kClose;
      return std::nullopt;
    case vk::kDelete:
      if (shift) return kCut;
      break;
    case vk::kInsert:
      if (ctrl) return kCopy;
      if (shift) return kPaste;
      return kNone;
    default:
      break;
  }
  if (ctrl) {
    if (key == 'X') return kCut;
    if (key == 'C') return kCopy;
    if (key == 'V') return kPaste;
    if (key == 'W') return kClose;
  }
  if (entry_.KeyDown(key, shift, ctrl)) return kNone;
  // Escape, the function keys and Ctrl with other keys are the player's; the rest types.
  if (ctrl || key == vk::kEscape || (key >= vk::kF1 && key < vk::kF1 + 24)) return std::nullopt;
  return kNone;
}

void RunBoxPanel::Char(uint8_t ch) {
  if (ch >= 32 && ch != 127) entry_.Insert(std::string_view(reinterpret_cast<char*>(&ch), 1));
}

RunBoxCommand RunBoxPanel::MouseDown(Point p, bool shift) {
  if (!rect_.Contains(p)) return RunBoxCommand::kNone;
  if (CloseBoxRect().Contains(p)) return RunBoxCommand::kClose;
  for (size_t i = 0; i < std::size(kButtons); ++i)
    if (ButtonRect(i).Contains(p)) return kButtons[i].command;
  drag_from_ = p;
  drag_rect_ = rect_;
  if (CaptionRect().Contains(p)) {
    drag_ = Drag::kMove;
  } else if (p.x >= rect_.right - kGrip && p.y >= rect_.bottom - kGrip) {
    drag_ = Drag::kResize;
  } else if (EntryRect().Contains(p)) {
    drag_ = Drag::kSelect;
    const size_t at = PositionAt(p);
    entry_.Select(shift ? entry_.anchor() : at, at);
  }
  return RunBoxCommand::kNone;
}

void RunBoxPanel::MouseMove(Point p, Size window) {
  const int dx = p.x - drag_from_.x, dy = p.y - drag_from_.y;
  switch (drag_) {
    case Drag::kMove:
      Place(drag_rect_.Offset(dx, dy), window);
      break;
    case Drag::kResize:
      Place({drag_rect_.left, drag_rect_.top, drag_rect_.right + dx, drag_rect_.bottom + dy},
            window);
      break;
    case Drag::kSelect:
      entry_.Select(entry_.anchor(), PositionAt(p));
      break;
    case Drag::kNone:
      break;
  }
}

void RunBoxPanel::MouseUp() {
  drag_ = Drag::kNone;
}

// ---- the entry as shown ----

size_t RunBoxPanel::TopLine(int line_height) const {
  const int visible = std::max(1, (EntryRect().Height() - 2 * kTextMargin) / line_height);
  const size_t caret_line = entry_.LineOf(entry_.caret());
  return caret_line + 1 > size_t(visible) ? caret_line + 1 - size_t(visible) : 0;
}

int RunBoxPanel::ScrollX(Font& font) const {
  const size_t line = entry_.LineOf(entry_.caret());
  const size_t start = entry_.LineStart(line);
  const int caret_x =
      gfx::MeasureText(font, std::string_view(entry_.text()).substr(start, entry_.caret() - start));
  return std::max(0, caret_x - (EntryRect().Width() - 2 * kTextMargin - 2));
}

size_t RunBoxPanel::PositionAt(Point p) const {
  std::shared_ptr<Font> font = TextFont();
  const int line_height = std::max(1, font->metrics().line_height);
  const Rect box = EntryRect();
  const int row = std::max(0, (p.y - box.top - kTextMargin) / line_height);
  const size_t line = std::min(TopLine(line_height) + size_t(row), entry_.LineCount() - 1);
  const size_t start = entry_.LineStart(line), end = entry_.LineEnd(line);
  const int x = p.x - box.left - kTextMargin + ScrollX(*font);
  std::string_view text(entry_.text());
  for (size_t pos = start; pos < end; ++pos) {
    const int before = gfx::MeasureText(*font, text.substr(start, pos - start));
    const int after = gfx::MeasureText(*font, text.substr(start, pos + 1 - start));
    if (x < (before + after) / 2) return pos;
  }
  return end;
}

void RunBoxPanel::Draw(gfx::DrawTarget& t, bool focused) const {
  if (rect_.Empty()) return;
  std::shared_ptr<Font> font = TextFont();
  const gfx::DrawState saved = t.state();
  t.SetClip(t.ToDevice(gfx::Region(rect_)));
  t.state().bk_mode = gfx::BkMode::kTransparent;
  t.FillRect(rect_, kFace);
  t.FrameRect(rect_, gfx::Brush::Solid(kInk));
  // Caption: the title and the close box.
  const Rect caption = CaptionRect().Inset(1, 1);
  t.FillRect(caption, focused ? kCaption : kGreyInk);
  gfx::DrawText(t, *font, caption.left + 4, Baseline(caption, *font), "Tarrow Run Box", kLight);
  const Rect close = CloseBoxRect();
  t.FillRect(close, kFace);
  Bevel(t, close, true);
  t.state().pen = gfx::Pen{gfx::Pen::Style::kSolid, kInk, 1, 0};
  t.Line({close.left + 4, close.top + 3}, {close.right - 4, close.bottom - 3});
  t.Line({close.right - 5, close.top + 3}, {close.left + 3, close.bottom - 3});
  t.state().pen = gfx::Pen{};
  // The entry: its lines from the one that keeps the caret in view.
  const Rect box = EntryRect();
  t.FillRect(box, kLight);
  Bevel(t, box, false);
  t.SetClip(t.ToDevice(gfx::Region(box.Inset(1, 1))));
  const int line_height = std::max(1, font->metrics().line_height);
  const int scroll = ScrollX(*font);
  const std::string_view text(entry_.text());
  int y = box.top + kTextMargin;
  for (size_t line = TopLine(line_height); line < entry_.LineCount() && y < box.bottom;
       ++line, y += line_height) {
    const size_t start = entry_.LineStart(line), end = entry_.LineEnd(line);
    const int x = box.left + kTextMargin - scroll;
    const size_t from = std::clamp(entry_.selection_start(), start, end);
    const size_t to = std::clamp(entry_.selection_end(), start, end);
    const int sel_left = x + gfx::MeasureText(*font, text.substr(start, from - start));
    const int sel_right = x + gfx::MeasureText(*font, text.substr(start, to - start));
    gfx::DrawText(t, *font, x, y + font->metrics().ascent, text.substr(start, end - start), kInk);
    if (to > from) {
      t.FillRect({sel_left, y, sel_right, y + line_height}, kHighlight);
      gfx::DrawText(t, *font, sel_left, y + font->metrics().ascent, text.substr(from, to - from),
                    kLight);
    }
    if (focused && entry_.caret() >= start && entry_.caret() <= end && !entry_.has_selection()) {
      const int cx = x + gfx::MeasureText(*font, text.substr(start, entry_.caret() - start));
      t.FillRect({cx, y, cx + 1, y + line_height}, kInk);
    }
  }
  // The strip: the command buttons and the grip.
  t.SetClip(t.ToDevice(gfx::Region(rect_)));
  for (size_t i = 0; i < std::size(kButtons); ++i) {
    const Rect b = ButtonRect(i);
    if (b.Empty()) continue;
    Bevel(t, b, true);
    const int w = gfx::MeasureText(*font, kButtons[i].label);
    gfx::DrawText(t, *font, b.left + (b.Width() - w) / 2, Baseline(b, *font), kButtons[i].label,
                  kInk);
  }
  t.state().pen = gfx::Pen{gfx::Pen::Style::kSolid, kShadow, 1, 0};
  for (int i = 3; i < kGrip; i += 3)
    t.Line({rect_.right - i - 1, rect_.bottom - 2}, {rect_.right - 2, rect_.bottom - i - 1});
  t.state() = saved;
}

}  // namespace corvida

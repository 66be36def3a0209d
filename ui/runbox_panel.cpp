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
  if (menu_open_) return MenuKey(key);
  switch (key) {
    case vk::kUp:
    case vk::kDown:
      MoveByRows(key == vk::kUp ? -1 : 1, shift);
      return kNone;
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

std::vector<WrappedRow> RunBoxPanel::Rows(Font& font) const {
  return WrapRows(entry_.text(), font, EntryRect().Width() - 2 * kTextMargin - 2);
}

size_t RunBoxPanel::TopRow(const std::vector<WrappedRow>& rows, int line_height) const {
  const int visible = std::max(1, (EntryRect().Height() - 2 * kTextMargin) / line_height);
  const size_t caret_row = RowOf(rows, entry_.caret());
  return caret_row + 1 > size_t(visible) ? caret_row + 1 - size_t(visible) : 0;
}

size_t RunBoxPanel::PositionInRow(Font& font, const WrappedRow& row, int x) const {
  std::string_view text(entry_.text());
  int before = 0;
  for (size_t pos = row.start; pos < row.end; ++pos) {
    const int after = before + font.Advance(uint8_t(text[pos]));
    if (x < (before + after) / 2) return pos;
    before = after;
  }
  // The end of a row that breaks is the next row's start: stay on this row's last blank.
  const bool breaks = row.end < text.size() && text[row.end] != '\n';
  return breaks && row.end > row.start ? row.end - 1 : row.end;
}

size_t RunBoxPanel::PositionAt(Point p) const {
  std::shared_ptr<Font> font = TextFont();
  const int line_height = std::max(1, font->metrics().line_height);
  const Rect box = EntryRect();
  const std::vector<WrappedRow> rows = Rows(*font);
  const int shown = std::max(0, (p.y - box.top - kTextMargin) / line_height);
  const size_t row = std::min(TopRow(rows, line_height) + size_t(shown), rows.size() - 1);
  return PositionInRow(*font, rows[row], p.x - box.left - kTextMargin);
}

void RunBoxPanel::MoveByRows(int by, bool shift) {
  std::shared_ptr<Font> font = TextFont();
  const std::vector<WrappedRow> rows = Rows(*font);
  const size_t row = RowOf(rows, entry_.caret());
  const int64_t target = int64_t(row) + by;
  size_t pos;
  if (target < 0) {
    pos = 0;
  } else if (target >= int64_t(rows.size())) {
    pos = entry_.text().size();
  } else {
    const std::string_view text(entry_.text());
    const int x =
        gfx::MeasureText(*font, text.substr(rows[row].start, entry_.caret() - rows[row].start));
    pos = PositionInRow(*font, rows[size_t(target)], x);
  }
  entry_.Select(shift ? entry_.anchor() : pos, pos);
}

void RunBoxPanel::Draw(gfx::DrawTarget& t, bool focused, bool caret_on) const {
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
  // The entry: its rows from the one that keeps the caret in view.
  const Rect box = EntryRect();
  t.FillRect(box, kLight);
  Bevel(t, box, false);
  t.SetClip(t.ToDevice(gfx::Region(box.Inset(1, 1))));
  const int line_height = std::max(1, font->metrics().line_height);
  const std::string_view text(entry_.text());
  const std::vector<WrappedRow> rows = Rows(*font);
  const size_t caret_row = RowOf(rows, entry_.caret());
  int y = box.top + kTextMargin;
  for (size_t row = TopRow(rows, line_height); row < rows.size() && y < box.bottom;
       ++row, y += line_height) {
    const size_t start = rows[row].start, end = rows[row].end;
    const int x = box.left + kTextMargin;
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
    if (focused && caret_on && row == caret_row && !entry_.has_selection()) {
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
  // The menu may reach past the panel: it is drawn over the window.
  if (menu_open_) DrawMenu(t, *font);
  t.state() = saved;
}

}  // namespace corvida

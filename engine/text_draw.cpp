// The text component: drawing the visible lines, the selection and the insertion point.
#include <algorithm>

#include "engine/text.h"
#include "platform/gfx/text.h"

namespace corvida {

void TextObject::Draw(gfx::DrawTarget& target, const Rect& clip) {
  const Rect area = view_.Intersect(clip);
  if (area.Empty()) return;
  const auto& lines = Lines();
  GetScrollValues();

  const gfx::DrawState saved = target.state();
  gfx::Region device = target.ToDevice(gfx::Region(area));
  target.SetClip(saved.clip ? saved.clip->Intersect(device) : device);
  target.state().bk_mode = gfx::BkMode::kTransparent;

  const bool show_selection = active_ && HasSelection();
  const gfx::Color highlight = gfx::Color::FromRgb(kHighlight);
  size_t first = static_cast<size_t>(LineAtY(area.top - view_.top + scroll_));
  for (size_t li = first; li < lines.size(); ++li) {
    const TextLine& line = lines[li];
    const int y = view_.top + line.top - scroll_;
    if (y >= area.bottom) break;
    if (show_selection && sel_start_ < line.end + (li + 1 == lines.size() ? 1u : 0u) &&
        sel_end_ > line.start) {
      const int x0 = XOfOffset(line, std::max<size_t>(sel_start_, line.start));
      // A selection that goes on past the line is shown to the view's right edge.
      const int x1 = sel_end_ >= line.end && li + 1 < lines.size()
                         ? view_.Width()
                         : XOfOffset(line, std::min<size_t>(sel_end_, line.end));
      target.FillRect({view_.left + x0, y, view_.left + x1, y + line.height}, highlight);
    }

    // Segments of one run without tabs or line breaks are drawn as one string each.
    const int baseline = y + line.ascent;
    size_t r = RunIndexAt(line.start);
    int x = 0;
    size_t i = line.start;
    while (i < line.end) {
      while (r + 1 < runs_.size() && runs_[r + 1].start <= i) ++r;
      const uint8_t c = static_cast<uint8_t>(text_[i]);
      if (c < 0x20) {
        x += Advance(r, c, x);
        ++i;
        continue;
      }
      size_t stop =
          r + 1 < runs_.size() ? std::min<size_t>(runs_[r + 1].start, line.end) : line.end;
      size_t j = i;
      while (j < stop && static_cast<uint8_t>(text_[j]) >= 0x20) ++j;
      const TextStyle& style = runs_[r].style;
      const gfx::Color colour =
          style.own_colour ? gfx::Color::FromRgb(style.colour) : field_colour_;
      if (view_.left + x < area.right) {
        x += gfx::DrawText(target, FontFor(r), view_.left + x, baseline,
                           std::string_view(text_).substr(i, j - i), colour);
      }
      i = j;
    }
  }

  if (active_ && !HasSelection() && caret_visible()) {
    const Point p = OffsetToPoint(sel_start_);
    const int h = CaretHeight(sel_start_);
    const int x = std::min(p.x, view_.right - 1);
    target.FillRect({x, p.y, x + 1, p.y + h}, gfx::Color::FromRgb(gfx::kBlack));
  }
  target.state() = saved;
}

}  // namespace corvida

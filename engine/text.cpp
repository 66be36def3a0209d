// The text component: text and runs, line layout and hit testing.
#include "engine/text.h"

#include <algorithm>

namespace corvida {

namespace {

bool IsBreak(uint8_t c) {
  return c == textchar::kReturn || c == textchar::kLineFeed;
}
bool IsSpace(uint8_t c) {
  return c == ' ' || c == textchar::kTab;
}

}  // namespace

TextObject::TextObject(FontService* fonts, const Rect& view) : fonts_(fonts), view_(view) {
  runs_.push_back({0, default_style_});
}

TextObject::~TextObject() = default;

void TextObject::Changed() {
  layout_valid_ = false;
  run_fonts_.clear();
}

void TextObject::SetText(std::string text, std::vector<StyleRun> runs) {
  if (text.size() > kMaxTextSize) text.resize(kMaxTextSize);
  text_ = std::move(text);
  runs_ = std::move(runs);
  if (runs_.empty()) runs_.push_back({0, default_style_});
  TidyRuns();
  sel_start_ = sel_end_ = anchor_ = anchor_end_ = 0;
  scroll_ = 0;
  Changed();
}

void TextObject::TidyRuns() {
  std::stable_sort(runs_.begin(), runs_.end(),
                   [](const StyleRun& a, const StyleRun& b) { return a.start < b.start; });
  std::vector<StyleRun> out;
  out.reserve(runs_.size());
  for (const StyleRun& r : runs_) {
    if (!out.empty() && r.start >= text_.size()) break;  // nothing left to cover
    if (!out.empty() && out.back().start == r.start) {
      out.back() = r;  // the later of two runs at one place covers the text there
    } else {
      out.push_back(r);
    }
    if (out.size() >= 2 && out[out.size() - 2].style == out.back().style) out.pop_back();
  }
  if (out.empty()) out.push_back({0, default_style_});
  out.front().start = 0;
  runs_ = std::move(out);
}

size_t TextObject::RunIndexAt(size_t offset) const {
  auto it = std::upper_bound(runs_.begin(), runs_.end(), offset,
                             [](size_t o, const StyleRun& r) { return o < r.start; });
  return it == runs_.begin() ? 0 : static_cast<size_t>(it - runs_.begin() - 1);
}

const TextStyle& TextObject::StyleAt(size_t offset) const {
  return runs_[RunIndexAt(offset)].style;
}

void TextObject::SetStyle(size_t start, size_t end, const TextStyle& new_style) {
  const TextStyle style = new_style;  // it may be a run's own, which this replaces
  start = std::min(start, text_.size());
  end = std::clamp(end, start, text_.size());
  if (start == end) return;
  TextStyle after = StyleAt(end);
  std::vector<StyleRun> out;
  for (const StyleRun& r : runs_) {
    if (r.start < start || r.start > end) out.push_back(r);
  }
  out.push_back({static_cast<uint32_t>(start), style});
  if (end < text_.size()) out.push_back({static_cast<uint32_t>(end), after});
  runs_ = std::move(out);
  TidyRuns();
  dirty = true;
  Changed();
}

Font& TextObject::FontFor(size_t run) {
  if (run_fonts_.size() != runs_.size()) run_fonts_.assign(runs_.size(), nullptr);
  std::shared_ptr<Font>& font = run_fonts_[run];
  if (!font) {
    const TextStyle& s = runs_[run].style;
    font = fonts_ ? fonts_->GetFont(s.font, s.size, s.style) : MakeBuiltinFont(s.size, s.style);
  }
  return *font;
}

int TextObject::Advance(size_t run, uint8_t c, int x) {
  if (c == textchar::kTab) return kTabWidth - (std::max(x, 0) % kTabWidth);
  if (IsBreak(c)) return 0;
  return FontFor(run).Advance(c);
}

void TextObject::SetView(const Rect& view) {
  if (view == view_) return;
  view_ = view;
  layout_valid_ = false;
}

const std::vector<TextLine>& TextObject::Lines() {
  if (!layout_valid_) Layout();
  return lines_;
}

void TextObject::Layout() {
  lines_.clear();
  layout_valid_ = true;
  const size_t n = text_.size();
  const int max_width = std::max(1, view_.Width());
  size_t start = 0;
  int top = 0;
  for (;;) {
    size_t r = RunIndexAt(start);
    size_t i = start;
    size_t break_at = std::string::npos;
    int x = 0, shown = 0, shown_at_break = 0;
    bool hard = false;
    while (i < n) {
      while (r + 1 < runs_.size() && runs_[r + 1].start <= i) ++r;
      const uint8_t c = static_cast<uint8_t>(text_[i]);
      if (IsBreak(c)) {
        ++i;
        hard = true;
        break;
      }
      const int adv = Advance(r, c, x);
      if (!IsSpace(c) && x + adv > max_width && i > start) {
        // Break after the last space; a word wider than the view breaks where it must.
        if (break_at != std::string::npos) {
          i = break_at;
          shown = shown_at_break;
        }
        break;
      }
      x += adv;
      if (IsSpace(c)) {
        if (break_at == std::string::npos || shown_at_break != shown) shown_at_break = shown;
        break_at = i + 1;
      } else {
        shown = x;
      }
      ++i;
    }
    TextLine line;
    line.start = static_cast<uint32_t>(start);
    line.end = static_cast<uint32_t>(i);
    line.top = top;
    line.width = shown;
    // The line is as tall as its tallest run; an empty line takes the style before it.
    size_t first = start < n ? start : (n > 0 ? n - 1 : 0);
    size_t last = std::max<size_t>(i, first + 1);
    int below = 0;
    for (size_t k = RunIndexAt(first);
         k < runs_.size() && (k == RunIndexAt(first) || runs_[k].start < last); ++k) {
      const FontMetrics& m = FontFor(k).metrics();
      line.ascent = std::max(line.ascent, m.ascent);
      below = std::max(below, m.line_height - m.ascent);
    }
    line.height = std::max(1, line.ascent + below);
    lines_.push_back(line);
    top += line.height;
    if (i >= n) {
      if (hard) {
        // After a final line break the insertion point has an empty line of its own.
        TextLine empty = line;
        empty.start = empty.end = static_cast<uint32_t>(n);
        empty.top = top;
        empty.width = 0;
        lines_.push_back(empty);
      }
      break;
    }
    start = i;
  }
}

int TextObject::TextHeight() {
  const auto& lines = Lines();
  return lines.empty() ? 0 : lines.back().top + lines.back().height;
}

int TextObject::LineOfOffset(size_t offset) {
  const auto& lines = Lines();
  auto it = std::upper_bound(lines.begin(), lines.end(), offset,
                             [](size_t o, const TextLine& l) { return o < l.start; });
  return it == lines.begin() ? 0 : static_cast<int>(it - lines.begin() - 1);
}

int TextObject::LineAtY(int text_y) {
  const auto& lines = Lines();
  auto it = std::upper_bound(lines.begin(), lines.end(), text_y,
                             [](int y, const TextLine& l) { return y < l.top; });
  return it == lines.begin() ? 0 : static_cast<int>(it - lines.begin() - 1);
}

size_t TextObject::OffsetInLine(const TextLine& line, int x, bool nearest) {
  size_t r = RunIndexAt(line.start);
  int pos = 0;
  size_t i = line.start;
  for (; i < line.end; ++i) {
    while (r + 1 < runs_.size() && runs_[r + 1].start <= i) ++r;
    const uint8_t c = static_cast<uint8_t>(text_[i]);
    if (IsBreak(c)) break;
    const int adv = Advance(r, c, pos);
    if (nearest ? x < pos + adv / 2 : x < pos + adv) return i;
    pos += adv;
  }
  if (!nearest) return text_.size();
  // Past the end of a wrapped line the insertion point stays before its trailing space.
  if (i == line.end && i < text_.size() && i > line.start &&
      IsSpace(static_cast<uint8_t>(text_[i - 1])))
    return i - 1;
  return i;
}

int TextObject::XOfOffset(const TextLine& line, size_t offset) {
  size_t r = RunIndexAt(line.start);
  int pos = 0;
  for (size_t i = line.start; i < offset && i < line.end; ++i) {
    while (r + 1 < runs_.size() && runs_[r + 1].start <= i) ++r;
    pos += Advance(r, static_cast<uint8_t>(text_[i]), pos);
  }
  return pos;
}

size_t TextObject::PointToOffset(Point p) {
  const auto& lines = Lines();
  const int y = p.y - view_.top + scroll_;
  if (y < 0) return OffsetInLine(lines.front(), p.x - view_.left, true);
  if (y >= TextHeight()) return OffsetInLine(lines.back(), p.x - view_.left, true);
  return OffsetInLine(lines[static_cast<size_t>(LineAtY(y))], p.x - view_.left, true);
}

size_t TextObject::CharAt(Point p) {
  if (!PointInView(p)) return text_.size();
  const int y = p.y - view_.top + scroll_;
  if (y < 0 || y >= TextHeight()) return text_.size();
  const int x = p.x - view_.left;
  if (x < 0) return text_.size();
  return OffsetInLine(Lines()[static_cast<size_t>(LineAtY(y))], x, false);
}

Point TextObject::OffsetToPoint(size_t offset) {
  offset = std::min(offset, text_.size());
  const TextLine& line = Lines()[static_cast<size_t>(LineOfOffset(offset))];
  return {view_.left + XOfOffset(line, offset), view_.top + line.top - scroll_};
}

int TextObject::CaretHeight(size_t offset) {
  return Lines()[static_cast<size_t>(LineOfOffset(offset))].height;
}

}  // namespace corvida

#include "engine/scrollbar.h"

#include <algorithm>
#include <cstdint>

namespace corvida {

namespace {

const gfx::Color kLightGray = gfx::Color::FromRgb({0xC0, 0xC0, 0xC0});
const gfx::Color kGray = gfx::Color::FromRgb({0x80, 0x80, 0x80});
const gfx::Color kWhiteColour = gfx::Color::FromRgb(gfx::kWhite);
const gfx::Color kBlackColour = gfx::Color::FromRgb(gfx::kBlack);

// An arrow button: a raised box with a black triangle; pressed, the box is flat and the
// triangle moves one pixel down and right.
void DrawArrow(gfx::DrawTarget& t, const Rect& r, bool up, bool pressed) {
  if (r.Empty()) return;
  t.FillRect(r, kLightGray);
  if (pressed) {
    t.FrameRect(r, gfx::Brush::Solid(kGray), 1);
  } else {
    t.FillRect({r.left, r.top, r.right - 1, r.top + 1}, kWhiteColour);
    t.FillRect({r.left, r.top, r.left + 1, r.bottom - 1}, kWhiteColour);
    t.FillRect({r.left, r.bottom - 1, r.right, r.bottom}, kGray);
    t.FillRect({r.right - 1, r.top, r.right, r.bottom}, kGray);
  }
  const int shift = pressed ? 1 : 0;
  const int rows = std::max(1, std::min(r.Width(), r.Height()) / 4);
  const int cx = r.left + r.Width() / 2 + shift;
  const int top = r.top + (r.Height() - rows) / 2 + shift;
  for (int i = 0; i < rows; ++i) {
    const int half = up ? i : rows - 1 - i;
    t.FillRect({cx - half - 1, top + i, cx + half, top + i + 1}, kBlackColour);
  }
}

void DrawThumb(gfx::DrawTarget& t, const Rect& r) {
  t.FillRect(r, kLightGray);
  t.FillRect({r.left, r.top, r.right, std::min(r.bottom, r.top + 2)}, kWhiteColour);
  t.FillRect({r.left, r.top, std::min(r.right, r.left + 2), r.bottom}, kWhiteColour);
  t.FillRect({std::max(r.left, r.right - 3), r.top, r.right, r.bottom}, kGray);
  t.FillRect({r.left, std::max(r.top, r.bottom - 3), r.right, r.bottom}, kGray);
}

}  // namespace

ScrollBarGeometry ScrollBarLayout(const Rect& field, int thumb_offset, const ScrollBarMetrics& m) {
  ScrollBarGeometry g;
  const int h = field.Height();
  const int s = m.arrow;
  g.bar = {field.right - m.width, field.top, field.right, field.bottom};
  g.arrow = h < 2 * s ? h / 2 : s;
  g.up = {g.bar.left, field.top, g.bar.right, field.top + g.arrow};
  g.down = {g.bar.left, field.bottom - g.arrow, g.bar.right, field.bottom};
  g.thumb_shown = h > s / 2 + 3 * s;
  g.track_length = std::max(0, h - 3 * s);
  if (g.thumb_shown) {
    const int top = field.top + g.arrow + std::clamp(thumb_offset, 0, g.track_length);
    g.thumb = {g.bar.left, top, g.bar.right, top + s};
  }
  return g;
}

int ThumbOffsetFor(const Rect& field, const ScrollValues& values, const ScrollBarMetrics& m) {
  if (values.maximum < 1) return 0;
  const int64_t length = std::max(0, field.Height() - 3 * m.arrow);
  const int64_t value = std::clamp(values.value, 0, values.maximum);
  return static_cast<int>(length * value / values.maximum);
}

int ScrollValueForThumb(const Rect& field, int offset, int maximum, const ScrollBarMetrics& m) {
  const int length = field.Height() - 3 * m.arrow;
  if (length < 1) return maximum;  // a track without length stands for the whole range
  const int64_t at = std::clamp(offset, 0, length);
  return static_cast<int>(int64_t{std::max(0, maximum)} * at / length);
}

BarPart BarPartAt(const ScrollBarGeometry& g, Point p) {
  if (p.x <= g.bar.left || p.x >= g.bar.right || p.y < g.bar.top || p.y >= g.bar.bottom)
    return BarPart::kNone;
  if (p.y < g.bar.top + g.arrow) return BarPart::kUpArrow;
  if (p.y > g.bar.bottom - g.arrow) return BarPart::kDownArrow;
  if (!g.thumb_shown) return BarPart::kNone;
  if (p.y > g.bar.top + g.arrow && p.y < g.thumb.top) return BarPart::kPageUp;
  if (p.y > g.thumb.bottom && p.y < g.bar.bottom - g.arrow) return BarPart::kPageDown;
  if (p.y >= g.thumb.top && p.y <= g.thumb.bottom) return BarPart::kThumb;
  return BarPart::kNone;
}

void DrawScrollBar(gfx::DrawTarget& target, const ScrollBarGeometry& g, BarPart pressed,
                   const Rect& clip) {
  const Rect area = g.bar.Intersect(clip);
  if (area.Empty()) return;
  const gfx::DrawState saved = target.state();
  gfx::Region device = target.ToDevice(gfx::Region(area));
  target.SetClip(saved.clip ? saved.clip->Intersect(device) : device);
  target.FillRect(g.bar, kLightGray);
  DrawArrow(target, g.up, true, pressed == BarPart::kUpArrow);
  DrawArrow(target, g.down, false, pressed == BarPart::kDownArrow);
  if (g.thumb_shown) {
    const Rect track{g.bar.left, g.up.bottom, g.bar.right, g.down.top};
    target.FillRect(track, kLightGray);
    target.FillRect({track.left, track.top, track.left + 1, track.bottom}, kBlackColour);
    DrawThumb(target, g.thumb);
  }
  target.state() = saved;
}

}  // namespace corvida

#include "platform/gfx/text.h"

#include <algorithm>

namespace corvida::gfx {
namespace {

// The logical rectangle drawing may touch on the target (clip and bitmap together).
Rect DrawableBounds(const DrawTarget& target) {
  return target.DrawableRegion().Bounds().Offset(-target.state().origin.x,
                                                 -target.state().origin.y);
}

void BlendMask(DrawTarget& target, const CoverageMask& mask, int x, int baseline, Color colour) {
  if (mask.Empty()) return;
  target.BlendCoverage({x + mask.left, baseline + mask.top}, mask.pixels.data(), mask.width,
                       mask.height, mask.width, colour);
}

}  // namespace

int MeasureText(Font& font, std::string_view bytes) {
  return font.MeasureText(bytes);
}

Rect TextCells(Font& font, int x, int baseline, std::string_view bytes) {
  return {x, baseline - font.metrics().ascent, x + font.MeasureText(bytes),
          baseline + font.metrics().descent};
}

int DrawText(DrawTarget& target, Font& font, int x, int baseline, std::string_view bytes,
             Color colour) {
  const int width = font.MeasureText(bytes);
  if (target.bitmap().empty() || bytes.empty()) return width;
  if (target.state().bk_mode == BkMode::kOpaque) {
    target.FillRect(TextCells(font, x, baseline, bytes), target.state().bk_color);
  }
  // Only the characters whose ink may reach the drawable span are rendered: ink can
  // stand out of a character's cell (slanted letters, outline rings) by less than an em.
  const Rect visible = DrawableBounds(target);
  const int slack = font.size() + 4;
  if (visible.Empty() || baseline + font.metrics().descent + slack <= visible.top ||
      baseline - font.metrics().ascent - slack >= visible.bottom) {
    return width;
  }
  const int visible_left = visible.left, visible_right = visible.right;
  size_t first = 0, last = 0;
  int pen = x, first_pen = x;
  bool started = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const int advance = font.Advance(static_cast<uint8_t>(bytes[i]));
    if (pen - slack >= visible_right) break;
    if (!started && pen + advance + slack > visible_left) {
      started = true;
      first = i;
      first_pen = pen;
    }
    if (started) last = i + 1;
    pen += advance;
  }
  if (!started) return width;
  const std::string_view shown = bytes.substr(first, last - first);

  // One mask for the whole run blends fastest; a run too large for one mask is drawn
  // glyph by glyph, with its underline as a filled band.
  CoverageMask mask;
  if (font.RenderText(shown, mask)) {
    BlendMask(target, mask, first_pen, baseline, colour);
    return width;
  }
  pen = first_pen;
  for (char c : shown) {
    BlendMask(target, font.Glyph(static_cast<uint8_t>(c)), pen, baseline, colour);
    pen += font.Advance(static_cast<uint8_t>(c));
  }
  if ((font.style() & font_style::kUnderline) && font.underline_thickness() > 0) {
    const int top = baseline + font.underline_offset();
    const int left = std::max(first_pen, visible_left), right = std::min(pen, visible_right);
    if (left < right) {
      target.FillRect(Rect{left, top, right, top + font.underline_thickness()}, colour);
    }
  }
  return width;
}

}  // namespace corvida::gfx

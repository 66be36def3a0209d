#include "platform/gfx/draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/gfx/draw_internal.h"

namespace corvida::gfx {

using detail::PixelMask;

uint32_t DrawTarget::PixelOf(Color c) const {
  const Bitmap& b = *bitmap_;
  if (c.is_index) {
    if (b.indexed()) return c.value & PixelMask(b.depth());
    return PixelFromRgb(palette().At(int(c.value)), b.depth(), palette());
  }
  return PixelFromRgb(c.rgb(), b.depth(), palette());
}

Rgb DrawTarget::RgbOf(Color c) const {
  return c.is_index ? palette().At(int(c.value)) : c.rgb();
}

std::optional<uint32_t> DrawTarget::GetPixel(Point p) const {
  Point d{p.x + state_.origin.x, p.y + state_.origin.y};
  if (!bitmap_->Bounds().Contains(d)) return std::nullopt;
  return bitmap_->Get(d.x, d.y);
}

Rgb DrawTarget::PixelRgb(Point p) const {
  auto v = GetPixel(p);
  return v ? RgbFromPixel(*v, bitmap_->depth(), palette()) : kBlack;
}

void DrawTarget::SetPixel(Point p, Color c) {
  Point d{p.x + state_.origin.x, p.y + state_.origin.y};
  if (!bitmap_->Bounds().Contains(d) || (state_.clip && !state_.clip->Contains(d))) return;
  bitmap_->Set(d.x, d.y, PixelOf(c));
}

Region DrawTarget::DrawableRegion() const {
  Region all(bitmap_->Bounds());
  return state_.clip ? all.Intersect(*state_.clip) : all;
}

Region DrawTarget::ToDevice(Region logical) const {
  logical.Offset(state_.origin.x, state_.origin.y);
  return logical;
}

// Fills with the brush (solid or pattern) combined by `mode`.
void DrawTarget::PaintDevice(const Region& device, const Brush& brush, PenMode mode) {
  if (brush.style == Brush::Style::kNull) return;
  Bitmap& b = *bitmap_;
  const uint32_t mask = PixelMask(b.depth());
  const uint32_t fore = PixelOf(brush.color);
  const bool pattern = brush.style == Brush::Style::kPattern;
  // The background colour shows only through a pattern (on indexed targets finding it
  // is a nearest-colour search).
  const uint32_t back = pattern ? PixelOf(state_.bk_color) : 0;
  ApplyToRegion(device, [&](int y, int x0, int x1) {
    if (!pattern && mode == PenMode::kCopyPen) {
      if (b.depth() == 8) {
        std::memset(b.Row(y) + x0, int(fore), size_t(x1 - x0));
        return;
      }
      if (b.depth() == 32) {
        uint8_t* p = b.Row(y) + 4 * x0;
        for (int x = x0; x < x1; ++x, p += 4)
          p[0] = uint8_t(fore), p[1] = uint8_t(fore >> 8), p[2] = uint8_t(fore >> 16), p[3] = 0;
        return;
      }
    }
    const uint8_t bits = pattern ? brush.pattern[size_t(y & 7)] : 0xFF;
    for (int x = x0; x < x1; ++x) {
      uint32_t p = (bits & (0x80 >> (x & 7))) ? fore : back;
      b.Set(x, y, ApplyPenMode(mode, p, b.Get(x, y)) & mask);
    }
  });
}

void DrawTarget::PenDevice(const Region& device) {
  if (state_.pen.style == Pen::Style::kNull) return;
  PaintDevice(device, Brush::Solid(state_.pen.color), state_.pen_mode);
}

void DrawTarget::FillRect(const Rect& r, const Brush& brush) {
  PaintDevice(ToDevice(Region(r)), brush, PenMode::kCopyPen);
}

void DrawTarget::FrameRect(const Rect& r, const Brush& brush, int thickness) {
  Region frame = Region(r).Subtract(Region(r.Inset(thickness, thickness)));
  PaintDevice(ToDevice(frame), brush, PenMode::kCopyPen);
}

void DrawTarget::InvertRect(const Rect& r) {
  InvertRegion(Region(r));
}

void DrawTarget::FillRegion(const Region& logical, const Brush& brush) {
  PaintDevice(ToDevice(logical), brush, PenMode::kCopyPen);
}

void DrawTarget::InvertRegion(const Region& logical) {
  Bitmap& b = *bitmap_;
  const uint32_t mask = PixelMask(b.depth());
  ApplyToRegion(ToDevice(logical), [&](int y, int x0, int x1) {
    if (b.depth() == 8) {
      uint8_t* p = b.Row(y);
      for (int x = x0; x < x1; ++x) p[x] = uint8_t(~p[x]);
      return;
    }
    for (int x = x0; x < x1; ++x) b.Set(x, y, ~b.Get(x, y) & mask);
  });
}

void DrawTarget::FrameRegion(const Region& logical, const Brush& brush, int width, int height) {
  Region inner = logical;
  for (Point shift : {Point{width, 0}, Point{-width, 0}, Point{0, height}, Point{0, -height}}) {
    Region moved = logical;
    moved.Offset(shift.x, shift.y);
    inner = inner.Intersect(moved);
  }
  FillRegion(logical.Subtract(inner), brush);
}

void DrawTarget::PaintRegion(const Region& logical) {
  PaintDevice(ToDevice(logical), state_.brush, state_.pen_mode);
}

void DrawTarget::OutlineRegion(const Region& logical) {
  PenDevice(ToDevice(logical));
}

namespace {
bool HasPen(const DrawState& s) {
  return s.pen.style != Pen::Style::kNull && s.pen.width > 0;
}
}  // namespace

void DrawTarget::Rectangle(const Rect& r) {
  Region whole(r);
  if (!HasPen(state_)) return PaintRegion(whole);
  Region inner(r.Inset(state_.pen.width, state_.pen.h()));
  PaintRegion(inner);
  OutlineRegion(whole.Subtract(inner));
}

void DrawTarget::RoundRect(const Rect& r, int corner_width, int corner_height) {
  Region whole = Region::RoundRect(r, corner_width, corner_height);
  if (!HasPen(state_)) return PaintRegion(whole);
  int w = state_.pen.width, h = state_.pen.h();
  Region inner = Region::RoundRect(r.Inset(w, h), corner_width - 2 * w, corner_height - 2 * h);
  PaintRegion(inner);
  OutlineRegion(whole.Subtract(inner));
}

void DrawTarget::Ellipse(const Rect& r) {
  Region whole = Region::Oval(r);
  if (!HasPen(state_)) return PaintRegion(whole);
  Region inner = Region::Oval(r.Inset(state_.pen.width, state_.pen.h()));
  PaintRegion(inner);
  OutlineRegion(whole.Subtract(inner));
}

void DrawTarget::Pie(const Rect& r, double start_deg, double arc_deg) {
  Region sector = detail::SectorRegion(r, start_deg, arc_deg);
  if (!HasPen(state_)) return PaintRegion(sector);
  Region inner = sector.Intersect(Region::Oval(r.Inset(state_.pen.width, state_.pen.h())));
  Region outline = sector.Subtract(inner);
  if (std::fabs(arc_deg) < 360) {
    // The two radii from the centre to the ends of the arc.
    Point centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    for (double a : {start_deg, start_deg + arc_deg}) {
      double rad = a * std::numbers::pi / 180.0;
      Point end{int(std::lround(centre.x + std::sin(rad) * r.Width() / 2.0)),
                int(std::lround(centre.y - std::cos(rad) * r.Height() / 2.0))};
      outline = outline.Union(detail::LineRegion(centre, end, state_.pen.width, state_.pen.h()));
    }
    outline = outline.Intersect(sector);
    inner = inner.Subtract(outline);
  }
  PaintRegion(inner);
  OutlineRegion(outline);
}

void DrawTarget::Arc(const Rect& r, double start_deg, double arc_deg) {
  if (!HasPen(state_)) return;
  Region sector = detail::SectorRegion(r, start_deg, arc_deg);
  OutlineRegion(sector.Subtract(Region::Oval(r.Inset(state_.pen.width, state_.pen.h()))));
}

void DrawTarget::Polygon(std::span<const Point> points) {
  Region inside = Region::Polygon(points);
  if (!HasPen(state_) || points.size() < 2) return PaintRegion(inside);
  Region outline;
  for (size_t i = 0; i < points.size(); ++i) {
    outline = outline.Union(detail::LineRegion(points[i], points[(i + 1) % points.size()],
                                               state_.pen.width, state_.pen.h()));
  }
  PaintRegion(inside.Subtract(outline));
  OutlineRegion(outline);
}

void DrawTarget::LineTo(Point p) {
  if (HasPen(state_))
    OutlineRegion(detail::LineRegion(state_.position, p, state_.pen.width, state_.pen.h()));
  state_.position = p;
}

void DrawTarget::FloodFill(Point seed, Color fill) {
  Bitmap& b = *bitmap_;
  Point s{seed.x + state_.origin.x, seed.y + state_.origin.y};
  if (!b.Bounds().Contains(s)) return;
  const Region* clip = state_.clip ? &*state_.clip : nullptr;
  auto inside = [&](int x, int y) { return !clip || clip->Contains({x, y}); };
  if (!inside(s.x, s.y)) return;
  const uint32_t target = b.Get(s.x, s.y);
  const uint32_t value = PixelOf(fill);
  if (target == value) return;
  auto matches = [&](int x, int y) { return inside(x, y) && b.Get(x, y) == target; };
  std::vector<Point> stack{s};
  while (!stack.empty()) {
    Point p = stack.back();
    stack.pop_back();
    if (!matches(p.x, p.y)) continue;
    int left = p.x, right = p.x;
    while (left > 0 && matches(left - 1, p.y)) --left;
    while (right + 1 < b.width() && matches(right + 1, p.y)) ++right;
    for (int x = left; x <= right; ++x) b.Set(x, p.y, value);
    for (int dy : {-1, 1}) {
      int y = p.y + dy;
      if (y < 0 || y >= b.height()) continue;
      for (int x = left; x <= right; ++x) {
        if (!matches(x, y)) continue;
        stack.push_back({x, y});
        while (x + 1 <= right && matches(x + 1, y)) ++x;  // one seed per run
      }
    }
  }
}

void DrawTarget::BlendCoverage(Point at, const uint8_t* coverage, int width, int height, int stride,
                               Color c) {
  if (!coverage || width <= 0 || height <= 0) return;
  Bitmap& b = *bitmap_;
  Point d{at.x + state_.origin.x, at.y + state_.origin.y};
  const uint32_t solid = PixelOf(c);
  const Rgb color = RgbOf(c);
  ApplyToRegion(Region(Rect{d.x, d.y, d.x + width, d.y + height}), [&](int y, int x0, int x1) {
    const uint8_t* cov = coverage + size_t(y - d.y) * size_t(stride) - d.x;
    for (int x = x0; x < x1; ++x) {
      unsigned a = cov[x];
      if (a == 0) continue;
      if (b.indexed()) {
        if (a >= 128) b.Set(x, y, solid);
        continue;
      }
      if (a == 255) {
        b.Set(x, y, solid);
        continue;
      }
      Rgb under = RgbFromPixel(b.Get(x, y), b.depth(), b.palette);
      auto mix = [a](uint8_t over, uint8_t base) {
        return uint8_t((over * a + base * (255 - a) + 127) / 255);
      };
      Rgb out{mix(color.r, under.r), mix(color.g, under.g), mix(color.b, under.b)};
      b.Set(x, y, PixelFromRgb(out, b.depth(), b.palette));
    }
  });
}

}  // namespace corvida::gfx

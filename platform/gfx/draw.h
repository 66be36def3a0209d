// The drawing target: a bitmap plus the drawing state that engine code draws with (clip
// region, origin, pen, brush, text and background colours, pen mode, selected palette),
// in the manner of a device context.
//
// Coordinates given to drawing calls are logical: logical (0, 0) is bitmap pixel
// `origin`. The clip region is in bitmap pixels. Rectangles exclude their right and
// bottom edges. Outlines (pen frames of rectangles, ovals, round rectangles, arcs) lie
// inside the shape's rectangle, `pen.width` pixels wide and `pen.height` pixels high
// (QuickDraw-style); filled shapes and outlines are combined with the target by
// `pen_mode`, so drawing a shape twice in kXorPen or kNot mode restores the target.
// Lines are drawn with a pen.width x pen.height rectangle centred on the path, the end
// point excluded.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/region.h"
#include "platform/gfx/rop.h"

namespace corvida::gfx {

struct Pen {
  enum class Style : uint8_t { kSolid, kNull };
  Style style = Style::kSolid;
  Color color = Color::FromRgb(kBlack);
  int width = 1;
  int height = 0;  // 0: same as width
  int h() const { return height > 0 ? height : width; }
};

struct Brush {
  enum class Style : uint8_t { kSolid, kNull, kPattern };
  Style style = Style::kSolid;
  Color color = Color::FromRgb(kWhite);
  // kPattern: 8 rows of 8 pixels, most significant bit leftmost, aligned to bitmap pixel
  // (0, 0); a 1 bit shows `color`, a 0 bit the target's background colour.
  std::array<uint8_t, 8> pattern{};

  static Brush Solid(Color c) { return {Style::kSolid, c, {}}; }
  static Brush Null() { return {Style::kNull, {}, {}}; }
  static Brush Pattern(Color c, std::array<uint8_t, 8> bits) { return {Style::kPattern, c, bits}; }
};

enum class BkMode : uint8_t { kTransparent, kOpaque };

// The drawing state, copyable so callers can save and restore it around a change.
struct DrawState {
  Point origin;
  std::optional<Region> clip;  // none: the whole bitmap
  Pen pen;
  Brush brush;
  Color text_color = Color::FromRgb(kBlack);
  Color bk_color = Color::FromRgb(kWhite);
  BkMode bk_mode = BkMode::kOpaque;
  PenMode pen_mode = PenMode::kCopyPen;
  const Palette* palette = nullptr;  // the selected palette; none: the bitmap's own
  Point position;                    // current point of MoveTo / LineTo (logical)
};

class DrawTarget {
 public:
  explicit DrawTarget(Bitmap& bitmap) : bitmap_(&bitmap) {}

  Bitmap& bitmap() { return *bitmap_; }
  const Bitmap& bitmap() const { return *bitmap_; }
  DrawState& state() { return state_; }
  const DrawState& state() const { return state_; }

  // The palette indexed pixels of this target mean.
  const Palette& palette() const { return state_.palette ? *state_.palette : bitmap_->palette; }
  // A colour as a pixel value of this target (palette indices pass through on indexed
  // targets; RGB colours take the nearest entry there).
  uint32_t PixelOf(Color c) const;
  Rgb RgbOf(Color c) const;
  Rgb PixelRgb(Point logical) const;  // black outside the bitmap
  // The raw pixel value at a logical point; nullopt outside the bitmap.
  std::optional<uint32_t> GetPixel(Point logical) const;
  void SetPixel(Point logical, Color c);  // clipped

  // Clip region in bitmap pixels; ClearClip makes the whole bitmap drawable.
  void SetClip(Region device_region) { state_.clip = std::move(device_region); }
  void ClearClip() { state_.clip.reset(); }
  // The pixels drawing may touch, in bitmap pixels.
  Region DrawableRegion() const;
  Region ToDevice(Region logical) const;

  // Rectangles and regions.
  void FillRect(const Rect& r, const Brush& brush);  // ignores the pen mode
  void FillRect(const Rect& r, Color c) { FillRect(r, Brush::Solid(c)); }
  // A border `thickness` pixels wide inside r, painted with the brush.
  void FrameRect(const Rect& r, const Brush& brush, int thickness = 1);
  void InvertRect(const Rect& r);
  void FillRegion(const Region& logical, const Brush& brush);
  void InvertRegion(const Region& logical);
  void FrameRegion(const Region& logical, const Brush& brush, int width, int height);
  // Fills the region's pixels with the brush combined by the pen mode (or, for the null
  // brush, nothing), as shape interiors are drawn.
  void PaintRegion(const Region& logical);
  void OutlineRegion(const Region& logical);  // the pen combined by the pen mode

  // Shapes: the interior with the brush, the outline with the pen.
  void Rectangle(const Rect& r);
  void RoundRect(const Rect& r, int corner_width, int corner_height);
  void Ellipse(const Rect& r);
  // Wedge of the oval in r from `start_deg` over `arc_deg` degrees, clockwise from twelve
  // o'clock (negative arcs run anticlockwise; angles scale with the rectangle's sides).
  void Pie(const Rect& r, double start_deg, double arc_deg);
  void Arc(const Rect& r, double start_deg, double arc_deg);  // the curved outline only
  void Polygon(std::span<const Point> points);

  // Lines with the pen.
  void MoveTo(Point p) { state_.position = p; }
  void LineTo(Point p);
  void Line(Point from, Point to) { MoveTo(from), LineTo(to); }

  // Raster operations over a rectangle: with the brush as the pattern (PatBlt), or with a
  // source bitmap (BitBlt, StretchBlt). Sources are converted to the target's pixels:
  // indexed colours to the nearest target entry (or passed through for a palette-relative
  // source on an indexed target), one-bit masks to the text and background colours, and
  // when the target is a mask, source pixels equal to the background colour give 1.
  void PatBlt(const Rect& r, uint32_t rop_code);
  void BitBlt(const Rect& dst, const Bitmap& src, Point src_at, uint32_t rop_code);
  void BitBlt(const Rect& dst, const DrawTarget& src, Point src_at_logical, uint32_t rop_code);
  // Nearest-neighbour scaling of src_rect onto dst.
  void StretchBlt(const Rect& dst, const Bitmap& src, const Rect& src_rect, uint32_t rop_code);
  // Copies src onto dst only where the mask (a one-bit bitmap, set bits) is set.
  void CopyMasked(const Rect& dst, const Bitmap& src, Point src_at, const Bitmap& mask,
                  Point mask_at);

  // Replaces the 4-connected area of the pixel value found at `seed` with `fill`.
  void FloodFill(Point seed, Color fill);

  // Draws a glyph coverage mask (0 = none, 255 = full) of width x height at logical `at`
  // in colour c: blended on true-colour targets, thresholded at half coverage to the
  // nearest palette colour on indexed ones.
  void BlendCoverage(Point at, const uint8_t* coverage, int width, int height, int stride, Color c);

 private:
  // Calls op(y, x0, x1) for the spans of a region in bitmap pixels that drawing may touch.
  template <typename Op>
  void ApplyToRegion(const Region& device, Op op) {
    if (bitmap_->empty()) return;
    Region area = device.Intersect(bitmap_->Bounds());
    if (state_.clip) area = area.Intersect(*state_.clip);
    area.ForEachSpan(op);
  }
  void PaintDevice(const Region& device, const Brush& brush, PenMode mode);
  void PenDevice(const Region& device);

  Bitmap* bitmap_;
  DrawState state_;
};

}  // namespace corvida::gfx

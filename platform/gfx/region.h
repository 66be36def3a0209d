// Regions: sets of pixels held as horizontal bands. Each band covers the rows
// [top, bottom) and lists the sorted, disjoint, non-touching spans [left, right) that the
// region covers in every one of those rows. Adjacent bands with equal spans are merged,
// so equal pixel sets have equal representations and rectangles stay one band.
#pragma once

#include <span>
#include <vector>

#include "platform/types.h"

namespace corvida::gfx {

class Bitmap;

class Region {
 public:
  struct Span {
    int left = 0;
    int right = 0;
    friend bool operator==(const Span&, const Span&) = default;
  };
  struct Band {
    int top = 0;
    int bottom = 0;
    std::vector<Span> spans;
    friend bool operator==(const Band&, const Band&) = default;
  };

  Region() = default;
  explicit Region(const Rect& rect);

  // The pixels inside the oval inscribed in `rect` (symmetric about both centre lines).
  static Region Oval(const Rect& rect);
  // A rectangle with its corners rounded by quarter ovals of corner_width x corner_height.
  static Region RoundRect(const Rect& rect, int corner_width, int corner_height);
  // Pixels whose centres lie inside the polygon (even-odd rule).
  static Region Polygon(std::span<const Point> points);
  // The set (or, with `set_bits` false, the clear) pixels of a one-bit bitmap, placed at
  // `at`. Other depths take non-zero pixels as set.
  static Region FromMask(const Bitmap& mask, Point at = {}, bool set_bits = true);

  bool Empty() const { return bands_.empty(); }
  Rect Bounds() const;
  bool Contains(Point p) const;
  bool Intersects(const Rect& r) const;
  void Offset(int dx, int dy);

  Region Union(const Region& other) const;
  Region Intersect(const Region& other) const;
  Region Subtract(const Region& other) const;
  Region Xor(const Region& other) const;
  Region Intersect(const Rect& r) const { return Intersect(Region(r)); }

  // The region as disjoint rectangles, top to bottom, left to right.
  std::vector<Rect> Rects() const;
  // Calls f(y, left, right) for every covered row span, rows in increasing order.
  template <typename F>
  void ForEachSpan(F&& f) const {
    for (const Band& band : bands_)
      for (int y = band.top; y < band.bottom; ++y)
        for (const Span& s : band.spans) f(y, s.left, s.right);
  }
  const std::vector<Band>& bands() const { return bands_; }
  long long Area() const;

  friend bool operator==(const Region&, const Region&) = default;

  // Builds a region row by row, rows in strictly increasing order (gaps allowed).
  class Builder {
   public:
    // Adds the spans of row y; they may be unsorted and overlap.
    void AddRow(int y, std::vector<Span> spans);
    void AddRow(int y, int left, int right) { AddRow(y, {Span{left, right}}); }
    Region Finish();

   private:
    std::vector<Band> bands_;
  };

 private:
  enum class Op { kUnion, kIntersect, kSubtract, kXor };
  Region Combine(const Region& other, Op op) const;
  std::vector<Band> bands_;
};

}  // namespace corvida::gfx

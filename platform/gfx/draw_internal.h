// Helpers shared by the drawing target's source files.
#pragma once

#include <cstdint>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/region.h"

namespace corvida::gfx::detail {

// The bits a pixel value of this depth may hold.
inline uint32_t PixelMask(int depth) {
  if (depth == 32) return 0xFFFFFFu;
  if (depth == 16) return 0x7FFFu;
  return (1u << depth) - 1;
}

// Whether a bitmap is a mask (one bit, no colours of its own).
inline bool IsMask(const Bitmap& b) {
  return b.depth() == 1 && b.palette.count == 0;
}

// The pixels of a line from `from` to `to` (end excluded) drawn with a pen of w x h.
Region LineRegion(Point from, Point to, int w, int h);

// Pixels of the rectangle's oval between `start_deg` and `start_deg + arc_deg`, clockwise
// from twelve o'clock, the angles scaled to the rectangle.
Region SectorRegion(const Rect& r, double start_deg, double arc_deg);

}  // namespace corvida::gfx::detail

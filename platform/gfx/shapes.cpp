// Line and sector shapes as regions.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "platform/gfx/draw_internal.h"

namespace corvida::gfx::detail {

Region LineRegion(Point from, Point to, int w, int h) {
  if (from == to || w <= 0 || h <= 0) return {};
  // Every pen position lies on the Bresenham path; in one row consecutive positions
  // differ by at most one pixel, so the pen's coverage of a row is one run.
  int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
  int sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
  int top = std::min(from.y, to.y) - h / 2;
  int rows = std::abs(to.y - from.y) + h;
  std::vector<int> left(size_t(rows), INT_MAX), right(size_t(rows), INT_MIN);
  int err = dx + dy, x = from.x, y = from.y;
  while (x != to.x || y != to.y) {
    int pen_left = x - w / 2, pen_top = y - h / 2;
    for (int row = pen_top; row < pen_top + h; ++row) {
      size_t i = size_t(row - top);
      left[i] = std::min(left[i], pen_left);
      right[i] = std::max(right[i], pen_left + w);
    }
    int e2 = 2 * err;
    if (e2 >= dy) err += dy, x += sx;
    if (e2 <= dx) err += dx, y += sy;
  }
  Region::Builder builder;
  for (int i = 0; i < rows; ++i)
    if (left[size_t(i)] < right[size_t(i)])
      builder.AddRow(top + i, left[size_t(i)], right[size_t(i)]);
  return builder.Finish();
}

Region SectorRegion(const Rect& r, double start_deg, double arc_deg) {
  Region oval = Region::Oval(r);
  if (std::fabs(arc_deg) >= 360.0) return oval;
  if (arc_deg < 0) start_deg += arc_deg, arc_deg = -arc_deg;
  start_deg = std::fmod(start_deg, 360.0);
  if (start_deg < 0) start_deg += 360.0;
  const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  const double hw = r.Width() / 2.0, hh = r.Height() / 2.0;
  Region::Builder builder;
  oval.ForEachSpan([&](int y, int x0, int x1) {
    std::vector<Region::Span> spans;
    for (int x = x0; x < x1; ++x) {
      double nx = (x + 0.5 - cx) / hw, ny = (y + 0.5 - cy) / hh;
      double angle = std::atan2(nx, -ny) * 180.0 / std::numbers::pi;
      double from_start = std::fmod(angle - start_deg + 720.0, 360.0);
      if (from_start > arc_deg) continue;
      if (!spans.empty() && spans.back().right == x) {
        spans.back().right = x + 1;
      } else {
        spans.push_back({x, x + 1});
      }
    }
    if (!spans.empty()) builder.AddRow(y, std::move(spans));
  });
  return builder.Finish();
}

}  // namespace corvida::gfx::detail

#include "platform/gfx/region.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/gfx/bitmap.h"

namespace corvida::gfx {
namespace {

using Span = Region::Span;
using Band = Region::Band;

// Sorts spans and merges the ones that overlap or touch.
void Normalise(std::vector<Span>& spans) {
  std::erase_if(spans, [](const Span& s) { return s.right <= s.left; });
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.left < b.left; });
  size_t out = 0;
  for (size_t i = 0; i < spans.size(); ++i) {
    if (out > 0 && spans[i].left <= spans[out - 1].right) {
      spans[out - 1].right = std::max(spans[out - 1].right, spans[i].right);
    } else {
      spans[out++] = spans[i];
    }
  }
  spans.resize(out);
}

bool Keep(bool in_a, bool in_b, int op) {
  switch (op) {
    case 0:
      return in_a || in_b;
    case 1:
      return in_a && in_b;
    case 2:
      return in_a && !in_b;
    default:
      return in_a != in_b;
  }
}

// Combines two normalised span lists.
std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int op) {
  std::vector<int> edges;
  edges.reserve(2 * (a.size() + b.size()));
  for (const Span& s : a) edges.push_back(s.left), edges.push_back(s.right);
  for (const Span& s : b) edges.push_back(s.left), edges.push_back(s.right);
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<Span> out;
  size_t ia = 0, ib = 0;
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    int x0 = edges[i], x1 = edges[i + 1];
    while (ia < a.size() && a[ia].right <= x0) ++ia;
    while (ib < b.size() && b[ib].right <= x0) ++ib;
    bool in_a = ia < a.size() && a[ia].left <= x0;
    bool in_b = ib < b.size() && b[ib].left <= x0;
    if (!Keep(in_a, in_b, op)) continue;
    if (!out.empty() && out.back().right == x0) {
      out.back().right = x1;
    } else {
      out.push_back({x0, x1});
    }
  }
  return out;
}

void AppendBand(std::vector<Band>& bands, int top, int bottom, std::vector<Span> spans) {
  if (spans.empty() || bottom <= top) return;
  if (!bands.empty() && bands.back().bottom == top && bands.back().spans == spans) {
    bands.back().bottom = bottom;
    return;
  }
  bands.push_back({top, bottom, std::move(spans)});
}

// Inset from each side of row j of an oval w pixels wide and h high: the pixels whose
// centres lie inside the ellipse. Rows mirror exactly because the half offsets are exact
// in floating point.
int OvalInset(int w, int h, int j) {
  double half_h = h / 2.0;
  double dy = (j + 0.5) - half_h;
  double t = dy / half_h;
  if (t * t >= 1.0) return -1;
  double half_w = (w / 2.0) * std::sqrt(1.0 - t * t);
  int inset = int(std::ceil(w / 2.0 - half_w - 0.5));
  return std::clamp(inset, 0, (w + 1) / 2);
}

}  // namespace

Region::Region(const Rect& rect) {
  if (!rect.Empty()) bands_.push_back({rect.top, rect.bottom, {{rect.left, rect.right}}});
}

Region Region::Oval(const Rect& rect) {
  return RoundRect(rect, rect.Width(), rect.Height());
}

Region Region::RoundRect(const Rect& r, int corner_width, int corner_height) {
  if (r.Empty()) return {};
  int w = r.Width(), h = r.Height();
  int ew = std::clamp(corner_width, 0, w), eh = std::clamp(corner_height, 0, h);
  if (ew == 0 || eh == 0) return Region(r);
  Builder builder;
  for (int j = 0; j < h; ++j) {
    int inset = 0;
    if (j < eh / 2) {
      inset = OvalInset(ew, eh, j);
    } else if (j >= h - eh / 2) {
      inset = OvalInset(ew, eh, j - (h - eh));
    } else if (eh == h) {
      inset = OvalInset(ew, eh, j);  // the middle row of an odd-height oval
    }
    if (inset < 0 || r.left + inset >= r.right - inset) continue;
    builder.AddRow(r.top + j, r.left + inset, r.right - inset);
  }
  return builder.Finish();
}

Region Region::Polygon(std::span<const Point> points) {
  if (points.size() < 3) return {};
  int top = std::numeric_limits<int>::max(), bottom = std::numeric_limits<int>::min();
  for (const Point& p : points) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  Builder builder;
  std::vector<double> xs;
  for (int y = top; y < bottom; ++y) {
    double yc = y + 0.5;
    xs.clear();
    for (size_t i = 0; i < points.size(); ++i) {
      const Point& a = points[i];
      const Point& b = points[(i + 1) % points.size()];
      if ((a.y <= yc) == (b.y <= yc)) continue;
      xs.push_back(a.x + (yc - a.y) * double(b.x - a.x) / double(b.y - a.y));
    }
    std::sort(xs.begin(), xs.end());
    std::vector<Span> spans;
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      int left = int(std::ceil(xs[i] - 0.5)), right = int(std::ceil(xs[i + 1] - 0.5));
      if (right > left) spans.push_back({left, right});
    }
    if (!spans.empty()) builder.AddRow(y, std::move(spans));
  }
  return builder.Finish();
}

Region Region::FromMask(const Bitmap& mask, Point at, bool set_bits) {
  Builder builder;
  for (int y = 0; y < mask.height(); ++y) {
    std::vector<Span> spans;
    int x = 0;
    while (x < mask.width()) {
      while (x < mask.width() && (mask.Get(x, y) != 0) != set_bits) ++x;
      int start = x;
      while (x < mask.width() && (mask.Get(x, y) != 0) == set_bits) ++x;
      if (x > start) spans.push_back({start + at.x, x + at.x});
    }
    if (!spans.empty()) builder.AddRow(y + at.y, std::move(spans));
  }
  return builder.Finish();
}

Rect Region::Bounds() const {
  if (bands_.empty()) return {};
  Rect r{std::numeric_limits<int>::max(), bands_.front().top, std::numeric_limits<int>::min(),
         bands_.back().bottom};
  for (const Band& b : bands_) {
    r.left = std::min(r.left, b.spans.front().left);
    r.right = std::max(r.right, b.spans.back().right);
  }
  return r;
}

bool Region::Contains(Point p) const {
  auto band = std::upper_bound(bands_.begin(), bands_.end(), p.y,
                               [](int y, const Band& b) { return y < b.bottom; });
  if (band == bands_.end() || p.y < band->top) return false;
  auto span = std::upper_bound(band->spans.begin(), band->spans.end(), p.x,
                               [](int x, const Span& s) { return x < s.right; });
  return span != band->spans.end() && p.x >= span->left;
}

bool Region::Intersects(const Rect& r) const {
  return !Intersect(r).Empty();
}

void Region::Offset(int dx, int dy) {
  for (Band& b : bands_) {
    b.top += dy, b.bottom += dy;
    for (Span& s : b.spans) s.left += dx, s.right += dx;
  }
}

long long Region::Area() const {
  long long area = 0;
  for (const Band& b : bands_)
    for (const Span& s : b.spans) area += (long long)(s.right - s.left) * (b.bottom - b.top);
  return area;
}

std::vector<Rect> Region::Rects() const {
  std::vector<Rect> rects;
  for (const Band& b : bands_)
    for (const Span& s : b.spans) rects.push_back({s.left, b.top, s.right, b.bottom});
  return rects;
}

Region Region::Combine(const Region& other, Op op) const {
  std::vector<int> ys;
  for (const Band& b : bands_) ys.push_back(b.top), ys.push_back(b.bottom);
  for (const Band& b : other.bands_) ys.push_back(b.top), ys.push_back(b.bottom);
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  static const std::vector<Span> kNone;
  Region out;
  size_t ia = 0, ib = 0;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    int y0 = ys[i], y1 = ys[i + 1];
    while (ia < bands_.size() && bands_[ia].bottom <= y0) ++ia;
    while (ib < other.bands_.size() && other.bands_[ib].bottom <= y0) ++ib;
    const auto& a = (ia < bands_.size() && bands_[ia].top <= y0) ? bands_[ia].spans : kNone;
    const auto& b =
        (ib < other.bands_.size() && other.bands_[ib].top <= y0) ? other.bands_[ib].spans : kNone;
    AppendBand(out.bands_, y0, y1, CombineSpans(a, b, int(op)));
  }
  return out;
}

Region Region::Union(const Region& other) const {
  return Combine(other, Op::kUnion);
}
Region Region::Intersect(const Region& other) const {
  return Combine(other, Op::kIntersect);
}
Region Region::Subtract(const Region& other) const {
  return Combine(other, Op::kSubtract);
}
Region Region::Xor(const Region& other) const {
  return Combine(other, Op::kXor);
}

void Region::Builder::AddRow(int y, std::vector<Span> spans) {
  Normalise(spans);
  AppendBand(bands_, y, y + 1, std::move(spans));
}

Region Region::Builder::Finish() {
  Region r;
  r.bands_ = std::move(bands_);
  bands_.clear();
  return r;
}

}  // namespace corvida::gfx

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

// Combines two normalised span lists into `out`, sweeping their edges in order: each
// list has at most one edge at any x, and between two edges what is inside either list
// stays the same.
void CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int op,
                  std::vector<Span>& out) {
  out.clear();
  constexpr int64_t kNoEdge = std::numeric_limits<int64_t>::max();
  auto edge = [](const std::vector<Span>& s, size_t k) -> int64_t {
    if (k >= 2 * s.size()) return kNoEdge;
    return (k & 1) ? s[k >> 1].right : s[k >> 1].left;
  };
  size_t ka = 0, kb = 0;
  bool in_a = false, in_b = false;
  int64_t x = std::min(edge(a, 0), edge(b, 0));
  while (x != kNoEdge) {
    if (edge(a, ka) == x) in_a = !in_a, ++ka;
    if (edge(b, kb) == x) in_b = !in_b, ++kb;
    const int64_t next = std::min(edge(a, ka), edge(b, kb));
    if (next == kNoEdge) break;
    if (Keep(in_a, in_b, op)) {
      if (!out.empty() && out.back().right == int(x)) {
        out.back().right = int(next);
      } else {
        out.push_back({int(x), int(next)});
      }
    }
    x = next;
  }
}

// Adds rows [top, bottom) covering `spans` (copied only when they start a new band).
void AppendBand(std::vector<Band>& bands, int top, int bottom, const std::vector<Span>& spans) {
  if (spans.empty() || bottom <= top) return;
  if (!bands.empty() && bands.back().bottom == top && bands.back().spans == spans) {
    bands.back().bottom = bottom;
    return;
  }
  bands.push_back({top, bottom, spans});
}

// Whether the bands are one rectangle holding all of `bounds`.
bool Covers(const std::vector<Band>& bands, const Rect& bounds) {
  if (bands.size() != 1 || bands[0].spans.size() != 1) return false;
  const Band& b = bands[0];
  return b.top <= bounds.top && b.bottom >= bounds.bottom && b.spans[0].left <= bounds.left &&
         b.spans[0].right >= bounds.right;
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
  // Answers that need no sweep: an empty side, sides that do not meet, and a rectangle
  // holding the other side whole.
  if (Empty() || other.Empty()) {
    switch (op) {
      case Op::kIntersect:
        return {};
      case Op::kSubtract:
        return *this;
      default:
        return Empty() ? other : *this;
    }
  }
  const Rect mine = Bounds(), theirs = other.Bounds();
  if (mine.Intersect(theirs).Empty()) {
    if (op == Op::kIntersect) return {};
    if (op == Op::kSubtract) return *this;
  }
  if (op == Op::kIntersect) {
    if (Covers(other.bands_, mine)) return *this;
    if (Covers(bands_, theirs)) return other;
  }
  if (op == Op::kUnion) {
    if (Covers(other.bands_, mine)) return other;
    if (Covers(bands_, theirs)) return *this;
  }
  std::vector<int> ys;
  for (const Band& b : bands_) ys.push_back(b.top), ys.push_back(b.bottom);
  for (const Band& b : other.bands_) ys.push_back(b.top), ys.push_back(b.bottom);
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  static const std::vector<Span> kNone;
  Region out;
  std::vector<Span> spans;
  size_t ia = 0, ib = 0;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    int y0 = ys[i], y1 = ys[i + 1];
    while (ia < bands_.size() && bands_[ia].bottom <= y0) ++ia;
    while (ib < other.bands_.size() && other.bands_[ib].bottom <= y0) ++ib;
    const auto& a = (ia < bands_.size() && bands_[ia].top <= y0) ? bands_[ia].spans : kNone;
    const auto& b =
        (ib < other.bands_.size() && other.bands_[ib].top <= y0) ? other.bands_[ib].spans : kNone;
    CombineSpans(a, b, int(op), spans);
    AppendBand(out.bands_, y0, y1, spans);
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
  if (spans.empty()) return;
  if (!bands_.empty() && bands_.back().bottom == y && bands_.back().spans == spans) {
    bands_.back().bottom = y + 1;
    return;
  }
  bands_.push_back({y, y + 1, std::move(spans)});
}

Region Region::Builder::Finish() {
  Region r;
  r.bands_ = std::move(bands_);
  bands_.clear();
  return r;
}

}  // namespace corvida::gfx

// The turtle's shapes: rectangles, ovals, rounded rectangles and arcs, framed with the
// pen, painted with the pen colour, erased with the shapes' back colour or inverted.
#include <algorithm>
#include <cmath>

#include "logo/turtle.h"

namespace corvida::logo {
namespace {

// Shape coordinates are 16-bit in the model scripts come from; beyond that, a shape
// would only cost time and memory (its outline is built row by row).
constexpr int kShapeReach = 32767;

// Corner sizes of a rounded rectangle, in whole pixels.
int CornerSize(double v) {
  return std::isnan(v) ? 0 : static_cast<int>(std::clamp(v, 0.0, double(2 * kShapeReach)));
}

}  // namespace

void Turtle::Shape(ShapeKind kind, ShapeFamily family, Rect r, double a, double b) {
  gfx::DrawTarget* t = target();
  if (!t || area_.Empty()) return;
  // Either corner may come first; both are scrunched as points are.
  Point p = Screen(r.left, r.top), q = Screen(r.right, r.bottom);
  auto hold_x = [&](int x) {
    return std::clamp(x, area_.left - kShapeReach, area_.right + kShapeReach);
  };
  auto hold_y = [&](int y) {
    return std::clamp(y, area_.top - kShapeReach, area_.bottom + kShapeReach);
  };
  Rect box{hold_x(std::min(p.x, q.x)), hold_y(std::min(p.y, q.y)), hold_x(std::max(p.x, q.x)),
           hold_y(std::max(p.y, q.y))};
  if (box.Empty()) return;
  if (kind == ShapeKind::kArc && (!std::isfinite(a) || !std::isfinite(b))) return;
  for (gfx::DrawTarget* each : {t, surface_->Backing()}) {
    if (!each) continue;
    gfx::DrawState saved = each->state();
    PrepareTarget(*each, each == t);
    gfx::DrawState& st = each->state();
    switch (family) {
      case ShapeFamily::kFrame:
        st.brush = gfx::Brush::Null();
        break;
      case ShapeFamily::kPaint:
        st.brush = gfx::Brush::Solid(st.pen.color);
        st.pen.style = gfx::Pen::Style::kNull;
        break;
      case ShapeFamily::kErase:
        st.brush = gfx::Brush::Solid(gfx::Color::FromRgb(back_color));
        st.pen.style = gfx::Pen::Style::kNull;
        st.pen_mode = gfx::PenMode::kCopyPen;
        break;
      case ShapeFamily::kInvert:
        st.brush = gfx::Brush::Solid(gfx::Color::FromRgb(gfx::kBlack));
        st.pen.style = gfx::Pen::Style::kNull;
        st.pen_mode = gfx::PenMode::kNot;
        break;
    }
    switch (kind) {
      case ShapeKind::kRect:
        each->Rectangle(box);
        break;
      case ShapeKind::kOval:
        each->Ellipse(box);
        break;
      case ShapeKind::kRoundRect:
        each->RoundRect(box, CornerSize(a), CornerSize(b));
        break;
      case ShapeKind::kArc:
        // A frame is the curve alone; the other families fill the wedge.
        if (family == ShapeFamily::kFrame) {
          each->Arc(box, a, b);
        } else {
          each->Pie(box, a, b);
        }
        break;
    }
    each->state() = saved;
  }
  Changed(box.Intersect(area_));
}

}  // namespace corvida::logo

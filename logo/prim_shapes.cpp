// The turtle's shapes: FRAMERECT, FRAMEOVAL, FRAMERRECT, FRAMEARC and the PAINT, ERASE
// and INVERT rows of each. A rectangle is a list [x1 y1 x2 y2] of turtle coordinates
// (either corner first); rounded rectangles take the corner width and height, arcs the
// start angle and the extent in degrees, clockwise from noon.
#include <algorithm>

#include "logo/prim_turtle.h"

namespace corvida::logo {
namespace {

template <ShapeKind kKind, ShapeFamily kFamily>
Node* DrawShape(Interpreter& in, PrimCall& c) {
  std::vector<double> v;
  if (!ListNumbers(in, c.row, c.in[0], 4, v)) return nullptr;
  if (v.size() != 4) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    return nullptr;
  }
  double a = 0, b = 0;
  if (kKind == ShapeKind::kRoundRect || kKind == ShapeKind::kArc) {
    a = in.GetFloat(c.in[1], c.row);
    b = in.GetFloat(c.in[2], c.row);
    if (in.Unwinding()) return nullptr;
  }
  Turtle& t = in.turtle();
  // Window pixels, kept within reach of int: the turtle holds shapes near the window.
  auto window = [](int64_t p) {
    return static_cast<int>(std::clamp<int64_t>(p, -(int64_t{1} << 30), int64_t{1} << 30));
  };
  Rect r{window(t.WindowX(WholeCoordinate(v[0]))), window(t.WindowY(WholeCoordinate(v[1]))),
         window(t.WindowX(WholeCoordinate(v[2]))), window(t.WindowY(WholeCoordinate(v[3])))};
  FigureOff off(t);
  t.Shape(kKind, kFamily, r, a, b);
  return nullptr;
}

template <ShapeFamily kFamily>
void RegisterFamily(PrimitiveTable& t, const char* family) {
  const std::string f = family;
  t.Set(f + "RECT", &DrawShape<ShapeKind::kRect, kFamily>);
  t.Set(f + "OVAL", &DrawShape<ShapeKind::kOval, kFamily>);
  t.Set(f + "RRECT", &DrawShape<ShapeKind::kRoundRect, kFamily>);
  t.Set(f + "ARC", &DrawShape<ShapeKind::kArc, kFamily>);
}

}  // namespace

void RegisterShapePrimitives(PrimitiveTable& t) {
  RegisterFamily<ShapeFamily::kFrame>(t, "FRAME");
  RegisterFamily<ShapeFamily::kPaint>(t, "PAINT");
  RegisterFamily<ShapeFamily::kErase>(t, "ERASE");
  RegisterFamily<ShapeFamily::kInvert>(t, "INVERT");
}

}  // namespace corvida::logo

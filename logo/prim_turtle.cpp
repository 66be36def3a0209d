// Turtle movement, orientation, edge modes, the screen and the figure: FORWARD, BACK,
// LEFT, RIGHT, SETHEADING, HOME, SETPOS, SETX, SETY, TOWARDS, POS, XCOR, YCOR, ZCOR,
// HEADING, WINDOW, FENCE, WRAP, SETSCRUNCH, SCRUNCH, CLEARSCREEN, CLEAN, SHOWTURTLE,
// HIDETURTLE, SHOWNP. In 3-D, POS and HEADING give three numbers.
#include <algorithm>
#include <cmath>

#include "logo/prim_turtle.h"

namespace corvida::logo {

bool ListNumbers(Interpreter& in, int row, Node* list, size_t max, std::vector<double>& out) {
  if (!IsList(list)) {
    in.ErrorRow(list ? kErrDoesntLike : kErrNotEnoughInputs, row, list);
    return false;
  }
  Node* at = Interpreter::IsEmptyList(list) ? nullptr : list;
  while (at && out.size() <= max) {
    Node* v = in.EvalExpr(at, false);
    if (in.Unwinding()) return false;
    double d = in.GetFloat(v, row);
    if (in.Unwinding()) return false;
    out.push_back(d);
  }
  return true;
}

Node* IntList(Interpreter& in, std::initializer_list<int64_t> values) {
  Node* list = nullptr;
  for (auto it = values.end(); it != values.begin();) {
    --it;
    int64_t v = std::clamp<int64_t>(*it, INT32_MIN, INT32_MAX);
    Node* n = in.NewInt(static_cast<int32_t>(v));
    if (!n) return nullptr;
    list = in.Cons(n, list);
    if (!list) return nullptr;
  }
  return list ? list : in.empty_list();
}

int64_t WholeCoordinate(double v) {
  constexpr double kFar = 1e12;  // far past any window, far from overflow
  if (std::isnan(v)) return 0;
  return static_cast<int64_t>(std::trunc(std::clamp(v, -kFar, kFar)));
}

namespace {

void ReportMove(Interpreter& in, Turtle::Moved moved, int row) {
  if (moved == Turtle::Moved::kOutOfBounds) in.ErrorRow(kErrTurtleOutOfBounds, row);
}

Node* MoveBy(Interpreter& in, PrimCall& c, int sign) {
  int32_t distance = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);
  ScriptWork work(in);
  int32_t d = sign > 0 ? distance : (distance == INT32_MIN ? INT32_MAX : -distance);
  ReportMove(in, t.Forward(d, work), c.row);
  return nullptr;
}

Node* Forward(Interpreter& in, PrimCall& c) {
  return MoveBy(in, c, 1);
}
Node* Back(Interpreter& in, PrimCall& c) {
  return MoveBy(in, c, -1);
}

Node* TurnBy(Interpreter& in, PrimCall& c, double sign) {
  double a = in.GetFloat(c.in[0], c.row);
  if (in.Unwinding() || !std::isfinite(a)) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.Turn(sign * a);
  return nullptr;
}

Node* Right(Interpreter& in, PrimCall& c) {
  return TurnBy(in, c, 1);
}
Node* Left(Interpreter& in, PrimCall& c) {
  return TurnBy(in, c, -1);
}

Node* SetHeading(Interpreter& in, PrimCall& c) {
  double a = in.GetFloat(c.in[0], c.row);
  if (in.Unwinding() || !std::isfinite(a)) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.SetHeading(a);
  return nullptr;
}

Node* Home(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  FigureOff off(t);
  ScriptWork work(in);
  t.Home(work);
  return nullptr;
}

Node* SetPos(Interpreter& in, PrimCall& c) {
  std::vector<double> v;
  if (!ListNumbers(in, c.row, c.in[0], 3, v)) return nullptr;
  if (v.size() < 2) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    return nullptr;
  }
  Turtle& t = in.turtle();
  {
    FigureOff off(t);
    ScriptWork work(in);
    // A third item is a depth: the turtle goes into 3-D.
    if (v.size() > 2) t.three_d = true;
    Point3 to{t.WindowX(WholeCoordinate(v[0])), t.WindowY(WholeCoordinate(v[1])),
              v.size() > 2 ? WholeCoordinate(v[2]) : int64_t{t.z()}};
    ReportMove(in, t.MoveTo(to, work), c.row);
  }
  if (v.size() > 3) in.ErrorRow(kErrTooManyInputs, c.row);
  return nullptr;
}

Node* SetCoordinate(Interpreter& in, PrimCall& c, bool x_axis) {
  double v = in.GetFloat(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);
  ScriptWork work(in);
  int64_t x = x_axis ? t.WindowX(WholeCoordinate(v)) : t.x();
  int64_t y = x_axis ? t.y() : t.WindowY(WholeCoordinate(v));
  ReportMove(in, t.MoveTo(x, y, work), c.row);
  return nullptr;
}

Node* SetX(Interpreter& in, PrimCall& c) {
  return SetCoordinate(in, c, true);
}
Node* SetY(Interpreter& in, PrimCall& c) {
  return SetCoordinate(in, c, false);
}

Node* Towards(Interpreter& in, PrimCall& c) {
  std::vector<double> v;
  if (!ListNumbers(in, c.row, c.in[0], 2, v)) return nullptr;
  if (v.size() != 2) {
    in.ErrorRow(v.size() < 2 ? kErrDoesntLike : kErrTooManyInputs, c.row, c.in[0]);
    return nullptr;
  }
  return in.NewInt(in.turtle().HeadingTowards(WholeCoordinate(v[0]), WholeCoordinate(v[1])));
}

Node* Pos(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  if (t.three_d) return IntList(in, {t.TurtleX(), t.TurtleY(), t.TurtleZ()});
  return IntList(in, {t.TurtleX(), t.TurtleY()});
}
Node* XCor(Interpreter& in, PrimCall&) {
  return in.NewInt(in.turtle().TurtleX());
}
Node* YCor(Interpreter& in, PrimCall&) {
  return in.NewInt(in.turtle().TurtleY());
}
Node* ZCor(Interpreter& in, PrimCall&) {
  return in.NewInt(in.turtle().TurtleZ());
}
Node* Heading(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  if (!t.three_d) return in.NewInt(t.HeadingDegrees());
  int roll, pitch, heading;
  t.Orientation(roll, pitch, heading);
  return IntList(in, {roll, pitch, heading});
}

Node* SetEdge(Interpreter& in, EdgeMode mode) {
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.SetEdgeMode(mode);
  return nullptr;
}
Node* Window(Interpreter& in, PrimCall&) {
  return SetEdge(in, EdgeMode::kWindow);
}
Node* Fence(Interpreter& in, PrimCall&) {
  return SetEdge(in, EdgeMode::kFence);
}
Node* Wrap(Interpreter& in, PrimCall&) {
  return SetEdge(in, EdgeMode::kWrap);
}

Node* SetScrunch(Interpreter& in, PrimCall& c) {
  double r = in.GetFloat(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);
  if (!t.SetScrunch(r)) in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
  return nullptr;
}

Node* Scrunch(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  if (t.scrunch_den == 1) return in.NewInt(t.scrunch_num);
  return in.NewFloat(double(t.scrunch_num) / t.scrunch_den);
}

Node* ClearScreen(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.ClearScreen();
  return nullptr;
}

Node* Clean(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.Clean();
  return nullptr;
}

// Showing the turtle leaves the stereo view, and 3-D once the turtle is back in the plane.
Node* ShowTurtle(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  t.HideFigure();
  t.stereo = false;
  if (t.Flat()) t.three_d = false;
  t.SetShown(true);
  return nullptr;
}
Node* HideTurtle(Interpreter& in, PrimCall&) {
  in.turtle().SetShown(false);
  return nullptr;
}
Node* ShownP(Interpreter& in, PrimCall&) {
  return in.Truth(in.turtle().shown());
}

}  // namespace

void RegisterTurtlePrimitives(PrimitiveTable& t) {
  t.Set("FORWARD", &Forward);
  t.Set("BACK", &Back);
  t.Set("RIGHT", &Right);
  t.Set("LEFT", &Left);
  t.Set("SETHEADING", &SetHeading);
  t.Set("HOME", &Home);
  t.Set("SETPOS", &SetPos);
  t.Set("SETX", &SetX);
  t.Set("SETY", &SetY);
  t.Set("TOWARDS", &Towards);
  t.Set("POS", &Pos);
  t.Set("XCOR", &XCor);
  t.Set("YCOR", &YCor);
  t.Set("ZCOR", &ZCor);
  t.Set("HEADING", &Heading);
  t.Set("WINDOW", &Window);
  t.Set("FENCE", &Fence);
  t.Set("WRAP", &Wrap);
  t.Set("SETSCRUNCH", &SetScrunch);
  t.Set("SCRUNCH", &Scrunch);
  t.Set("CLEARSCREEN", &ClearScreen);
  t.Set("CLEAN", &Clean);
  t.Set("SHOWTURTLE", &ShowTurtle);
  t.Set("HIDETURTLE", &HideTurtle);
  t.Set("SHOWNP", &ShownP);
  RegisterPenPrimitives(t);
  RegisterTurtle3DPrimitives(t);
  RegisterShapePrimitives(t);
  RegisterTurtleFontPrimitives(t);
}

}  // namespace corvida::logo

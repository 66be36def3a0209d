// The turtle in 3-D: SETZ, SETHEADING3D, ROLLLEFT, ROLLRIGHT, ROTATEIN, ROTATEOUT,
// CLEARSCREEN3D and SHOWTURTLE3D. Each switches 3-D on; the last two the stereo view too.
#include <cmath>

#include "logo/prim_turtle.h"

namespace corvida::logo {
namespace {

Node* SetZ(Interpreter& in, PrimCall& c) {
  double z = in.GetFloat(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);
  ScriptWork work(in);
  t.three_d = true;
  t.MoveTo(Point3{t.x(), t.y(), WholeCoordinate(z)}, work);
  return nullptr;
}

Node* SetHeading3D(Interpreter& in, PrimCall& c) {
  double h = in.GetFloat(c.in[0], c.row);
  double p = in.GetFloat(c.in[1], c.row);
  double r = in.GetFloat(c.in[2], c.row);
  if (in.Unwinding() || !std::isfinite(h) || !std::isfinite(p) || !std::isfinite(r)) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.three_d = true;
  t.SetHeading3D(h, p, r);
  return nullptr;
}

// Rolls (about the heading) or pitches (about the side) by the input times `sign`.
Node* Rotate3D(Interpreter& in, PrimCall& c, bool roll, double sign) {
  double a = in.GetFloat(c.in[0], c.row);
  if (in.Unwinding() || !std::isfinite(a)) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.three_d = true;
  if (roll) {
    t.Roll(sign * a);
  } else {
    t.Pitch(sign * a);
  }
  return nullptr;
}

Node* RollLeft(Interpreter& in, PrimCall& c) {
  return Rotate3D(in, c, true, -1);
}
Node* RollRight(Interpreter& in, PrimCall& c) {
  return Rotate3D(in, c, true, 1);
}
Node* RotateIn(Interpreter& in, PrimCall& c) {
  return Rotate3D(in, c, false, 1);
}
Node* RotateOut(Interpreter& in, PrimCall& c) {
  return Rotate3D(in, c, false, -1);
}

Node* ClearScreen3D(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.background = gfx::kBlack;
  t.three_d = t.stereo = true;
  t.ClearScreen();
  return nullptr;
}

Node* ShowTurtle3D(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  t.HideFigure();
  t.three_d = t.stereo = true;
  t.SetShown(true);
  return nullptr;
}

}  // namespace

void RegisterTurtle3DPrimitives(PrimitiveTable& t) {
  t.Set("SETZ", &SetZ);
  t.Set("SETHEADING3D", &SetHeading3D);
  t.Set("ROLLLEFT", &RollLeft);
  t.Set("ROLLRIGHT", &RollRight);
  t.Set("ROTATEIN", &RotateIn);
  t.Set("ROTATEOUT", &RotateOut);
  t.Set("CLEARSCREEN3D", &ClearScreen3D);
  t.Set("SHOWTURTLE3D", &ShowTurtle3D);
}

}  // namespace corvida::logo

// The turtle's pen and colours, dots and fill: PENDOWN, PENUP, PENERASE, PENREVERSE,
// PEN, SETPC, SETBG, SETPCRGB, SETBGRGB, PENCOLOR, BACKGROUND, PENCOLORRGB,
// BACKGROUNDRGB, GETFORECOLOR, GETBACKCOLOR, SETFORECOLOR, SETBACKCOLOR, SETPENSIZE,
// DOT, DOTP, FILL.
#include <algorithm>

#include "logo/prim_turtle.h"

namespace corvida::logo {
namespace {

Node* SetPen(Interpreter& in, PenState state) {
  in.turtle().pen = state;
  return nullptr;
}
Node* PenDown(Interpreter& in, PrimCall&) {
  return SetPen(in, PenState::kDown);
}
Node* PenUp(Interpreter& in, PrimCall&) {
  return SetPen(in, PenState::kUp);
}
Node* PenErase(Interpreter& in, PrimCall&) {
  return SetPen(in, PenState::kErase);
}
Node* PenReverse(Interpreter& in, PrimCall&) {
  return SetPen(in, PenState::kReverse);
}

Node* Pen(Interpreter& in, PrimCall&) {
  constexpr const char* kNames[] = {"PENUP", "PENDOWN", "PENERASE", "PENREVERSE"};
  return in.MakeWord(kNames[static_cast<int>(in.turtle().pen)]);
}

// A colour number input, taken modulo 8; false after an error.
bool ColorNumber(Interpreter& in, PrimCall& c, int& number) {
  int32_t n = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return false;
  number = ((n % 8) + 8) % 8;
  return true;
}

Node* SetPC(Interpreter& in, PrimCall& c) {
  int n;
  if (!ColorNumber(in, c, n)) return nullptr;
  in.turtle().pen_color = ColorOfNumber(n);
  in.turtle().stereo_grey = n * 255 / 7;
  return nullptr;
}

Node* SetBG(Interpreter& in, PrimCall& c) {
  int n;
  if (ColorNumber(in, c, n)) in.turtle().background = ColorOfNumber(n);
  return nullptr;
}

Node* SetForeColor(Interpreter& in, PrimCall& c) {
  int n;
  if (ColorNumber(in, c, n)) in.turtle().fore_color = ColorOfNumber(n);
  return nullptr;
}

Node* SetBackColor(Interpreter& in, PrimCall& c) {
  int n;
  if (ColorNumber(in, c, n)) in.turtle().back_color = ColorOfNumber(n);
  return nullptr;
}

Node* SetPCRGB(Interpreter& in, PrimCall& c) {
  std::vector<double> v;
  if (!ListNumbers(in, c.row, c.in[0], 3, v)) return nullptr;
  if (v.size() != 3) {
    in.ErrorRow(v.size() < 3 ? kErrTooFewItems : kErrTooManyInputs, c.row);
    return nullptr;
  }
  // Components run 0..65535; the high byte is the colour.
  auto high = [](double x) { return static_cast<uint8_t>(std::clamp(x, 0.0, 65535.0) / 256); };
  in.turtle().pen_color = {high(v[0]), high(v[1]), high(v[2])};
  return nullptr;
}

Node* SetBGRGB(Interpreter&, PrimCall&) {
  return nullptr;  // takes its input and leaves the background as it is
}

Node* ColorNumberOf(Interpreter& in, gfx::Rgb c) {
  return in.NewInt(NumberOfColor(c));
}
Node* PenColor(Interpreter& in, PrimCall&) {
  return ColorNumberOf(in, in.turtle().pen_color);
}
Node* Background(Interpreter& in, PrimCall&) {
  return ColorNumberOf(in, in.turtle().background);
}
Node* GetForeColor(Interpreter& in, PrimCall&) {
  return ColorNumberOf(in, in.turtle().fore_color);
}
Node* GetBackColor(Interpreter& in, PrimCall&) {
  return ColorNumberOf(in, in.turtle().back_color);
}
Node* PenColorRGB(Interpreter& in, PrimCall&) {
  gfx::Rgb c = in.turtle().pen_color;
  return IntList(in, {c.r, c.g, c.b});
}
Node* BackgroundRGB(Interpreter& in, PrimCall&) {
  gfx::Rgb c = in.turtle().background;
  return IntList(in, {c.r, c.g, c.b});
}

Node* SetPenSize(Interpreter& in, PrimCall& c) {
  int32_t w = in.GetInteger(c.in[0], c.row);
  int32_t h = in.GetInteger(c.in[1], c.row);
  if (!in.Unwinding()) in.turtle().SetPenSize(w, h);
  return nullptr;
}

// The window point of a DOT or DOTP list of at most `max` items; false after an error.
bool DotPoint(Interpreter& in, PrimCall& c, size_t max, Point3& at) {
  std::vector<double> v;
  if (!ListNumbers(in, c.row, c.in[0], max, v)) return false;
  if (v.size() < 2 || v.size() > max) {
    in.ErrorRow(v.size() < 2 ? kErrDoesntLike : kErrTooManyInputs, c.row, c.in[0]);
    return false;
  }
  at = {in.turtle().WindowX(WholeCoordinate(v[0])), in.turtle().WindowY(WholeCoordinate(v[1])),
        v.size() > 2 ? WholeCoordinate(v[2]) : 0};
  return true;
}

Node* Dot(Interpreter& in, PrimCall& c) {
  Point3 at;
  if (!DotPoint(in, c, 3, at)) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.Dot(at);
  return nullptr;
}

Node* DotP(Interpreter& in, PrimCall& c) {
  Point3 at;
  if (!DotPoint(in, c, 2, at)) return nullptr;
  Turtle& t = in.turtle();
  FigureOff off(t);  // the figure is no part of the picture
  return in.Truth(t.DotP(at.x, at.y));
}

Node* Fill(Interpreter& in, PrimCall&) {
  Turtle& t = in.turtle();
  FigureOff off(t);
  t.Fill();
  return nullptr;
}

}  // namespace

void RegisterPenPrimitives(PrimitiveTable& t) {
  t.Set("PENDOWN", &PenDown);
  t.Set("PENUP", &PenUp);
  t.Set("PENERASE", &PenErase);
  t.Set("PENREVERSE", &PenReverse);
  t.Set("PEN", &Pen);
  t.Set("SETPC", &SetPC);
  t.Set("SETBG", &SetBG);
  t.Set("SETFORECOLOR", &SetForeColor);
  t.Set("SETBACKCOLOR", &SetBackColor);
  t.Set("SETPCRGB", &SetPCRGB);
  t.Set("SETBGRGB", &SetBGRGB);
  t.Set("PENCOLOR", &PenColor);
  t.Set("BACKGROUND", &Background);
  t.Set("GETFORECOLOR", &GetForeColor);
  t.Set("GETBACKCOLOR", &GetBackColor);
  t.Set("PENCOLORRGB", &PenColorRGB);
  t.Set("BACKGROUNDRGB", &BackgroundRGB);
  t.Set("SETPENSIZE", &SetPenSize);
  t.Set("DOT", &Dot);
  t.Set("DOTP", &DotP);
  t.Set("FILL", &Fill);
}

}  // namespace corvida::logo

// Helpers shared by the turtle primitive groups (prim_turtle.cpp, prim_pen.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "logo/interp.h"
#include "logo/turtle.h"

namespace corvida::logo {

// Long drawing loops go on while the script may: Escape and the work budget stop them.
class ScriptWork : public WorkCheck {
 public:
  explicit ScriptWork(Interpreter& in) : in_(in) {}
  bool KeepGoing() override {
    in_.InterruptCheck();
    in_.SpendStep();
    return !in_.Unwinding();
  }

 private:
  Interpreter& in_;
};

// Takes the turtle figure away while a primitive moves or draws, and puts it back.
class FigureOff {
 public:
  explicit FigureOff(Turtle& t) : t_(t) { t_.HideFigure(); }
  ~FigureOff() { t_.ShowFigure(); }
  FigureOff(const FigureOff&) = delete;
  FigureOff& operator=(const FigureOff&) = delete;

 private:
  Turtle& t_;
};

// Reads up to `max + 1` items of a list, each evaluated as an expression, as numbers
// (so [:x :y + 1] works); false after reporting an error under `row`.
bool ListNumbers(Interpreter& in, int row, Node* list, size_t max, std::vector<double>& out);

// A list of whole numbers; null when memory runs out.
Node* IntList(Interpreter& in, std::initializer_list<int64_t> values);

// A turtle-coordinate number as a 64-bit whole number (truncated, kept far from overflow).
int64_t WholeCoordinate(double v);

// The groups RegisterTurtlePrimitives registers besides its own.
void RegisterTurtle3DPrimitives(PrimitiveTable& table);
void RegisterShapePrimitives(PrimitiveTable& table);
void RegisterTurtleFontPrimitives(PrimitiveTable& table);

}  // namespace corvida::logo

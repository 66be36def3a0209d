// Arithmetic, trigonometry, logic, random numbers and FORM. Integer arithmetic wraps as
// unsigned 32-bit; float to integer conversions saturate.
#include <cmath>
#include <cstdio>
#include <vector>

#include "logo/interp.h"

namespace corvida::logo {
namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.2957795131;

Node* Float(Interpreter& in, double v) {
  return in.NewFloat(v);
}

Node* SumOrProduct(Interpreter& in, PrimCall& c, bool sum) {
  std::vector<Node*> v;
  if (!in.GatherInputs(c, 2, v)) return nullptr;
  uint32_t acc = sum ? 0 : 1;
  double facc = 0;
  bool floating = false;
  for (Node* x : v) {
    if (!floating && x && x->IsInt()) {
      auto i = static_cast<uint32_t>(x->ival);
      acc = sum ? acc + i : acc * i;
      continue;
    }
    if (!floating) {
      floating = true;
      facc = static_cast<int32_t>(acc);
    }
    double f = in.GetFloat(x, c.row);
    facc = sum ? facc + f : facc * f;
  }
  if (in.Unwinding()) return nullptr;
  return floating ? in.NewFloat(facc) : in.NewInt(static_cast<int32_t>(acc));
}

Node* Sum(Interpreter& in, PrimCall& c) {
  return SumOrProduct(in, c, true);
}
Node* Product(Interpreter& in, PrimCall& c) {
  return SumOrProduct(in, c, false);
}

Node* Difference(Interpreter& in, PrimCall& c) {
  Node *a = c.in[0], *b = c.in[1];
  if (a && b && a->IsInt() && b->IsInt())
    return in.NewInt(
        static_cast<int32_t>(static_cast<uint32_t>(a->ival) - static_cast<uint32_t>(b->ival)));
  double x = in.GetFloat(a, c.row), y = in.GetFloat(b, c.row);
  return Float(in, x - y);
}

Node* Quotient(Interpreter& in, PrimCall& c) {
  double x = in.GetFloat(c.in[0], c.row), y = in.GetFloat(c.in[1], c.row);
  if (y == 0) {
    in.ErrorText(kErrDivideByZero, "");
    y = 1;
  }
  return Float(in, x / y);
}

// Integer division truncating toward zero; the one overflowing case wraps.
int32_t IntDiv(int32_t a, int32_t b) {
  return (a == INT32_MIN && b == -1) ? INT32_MIN : a / b;
}
int32_t IntRem(int32_t a, int32_t b) {
  return b == -1 ? 0 : a % b;
}

Node* IntQuotientOrRemainder(Interpreter& in, PrimCall& c, bool rem) {
  int32_t a = in.GetInteger(c.in[0], c.row), b = in.GetInteger(c.in[1], c.row);
  if (b == 0) {
    in.ErrorText(kErrDivideByZero, "");
    b = 1;
  }
  return in.NewInt(rem ? IntRem(a, b) : IntDiv(a, b));
}
Node* IntQuotient(Interpreter& in, PrimCall& c) {
  return IntQuotientOrRemainder(in, c, false);
}
Node* Remainder(Interpreter& in, PrimCall& c) {
  return IntQuotientOrRemainder(in, c, true);
}

Node* Abs(Interpreter& in, PrimCall& c) {
  Node* x = c.in[0];
  if (x && x->IsInt()) {
    auto u = static_cast<uint32_t>(x->ival);
    return in.NewInt(static_cast<int32_t>(x->ival < 0 ? 0u - u : u));
  }
  return Float(in, std::fabs(in.GetFloat(x, kSilent)));
}

Node* Int(Interpreter& in, PrimCall& c) {
  Node* x = c.in[0];
  if (x && x->IsInt()) return in.NewInt(x->ival);
  return in.NewInt(SaturatingInt(std::trunc(in.GetFloat(x, c.row))));
}

Node* Round(Interpreter& in, PrimCall& c) {
  Node* x = c.in[0];
  if (x && x->IsInt()) return in.NewInt(x->ival);
  return in.NewInt(SaturatingInt(std::floor(in.GetFloat(x, c.row) + 0.5)));
}

Node* FloatPrim(Interpreter& in, PrimCall& c) {
  return Float(in, in.GetFloat(c.in[0], c.row));
}

Node* Sqrt(Interpreter& in, PrimCall& c) {
  double x = in.GetFloat(c.in[0], c.row);
  if (x < 0) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    x = -x;
  }
  return Float(in, std::sqrt(x));
}

template <double (*F)(double)>
Node* Unary(Interpreter& in, PrimCall& c) {
  return Float(in, F(in.GetFloat(c.in[0], c.row)));
}
double SinDeg(double x) {
  return std::sin(x * kDegToRad);
}
double CosDeg(double x) {
  return std::cos(x * kDegToRad);
}
double TanDeg(double x) {
  return std::tan(x * kDegToRad);
}
double ArcSinDeg(double x) {
  return std::asin(x) * kRadToDeg;
}
double ArcCosDeg(double x) {
  return std::acos(x) * kRadToDeg;
}
double ArcTanDeg(double x) {
  return std::atan(x) * kRadToDeg;
}
double Exp(double x) {
  return std::exp(x);
}
double Ln(double x) {
  return std::log(x);
}

Node* Power(Interpreter& in, PrimCall& c) {
  double a = in.GetFloat(c.in[0], c.row), b = in.GetFloat(c.in[1], c.row);
  return Float(in, std::pow(a, b));
}

// The compass heading of the vector (x, y), in [0, 360).
Node* ArcTan2(Interpreter& in, PrimCall& c) {
  double x = in.GetFloat(c.in[0], c.row), y = in.GetFloat(c.in[1], c.row);
  double h = 90 - std::atan2(y, x) * (180 / M_PI);
  if (h < 0) h += 360;
  if (std::fabs(h) < 1e-9 || std::fabs(h - 360) < 1e-9) h = 0;
  return Float(in, h);
}

Node* Random(Interpreter& in, PrimCall& c) {
  int32_t n = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  if (n < 1) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    n = 1;
  }
  uint32_t draw = in.NextRandom();
  if (n > 32768) draw = draw * 32768u + in.NextRandom();
  return in.NewInt(static_cast<int32_t>(draw % static_cast<uint32_t>(n)));
}

Node* Rerandom(Interpreter& in, PrimCall&) {
  in.random_state = in.random_seed;
  return nullptr;
}

// The elements not yet drawn, in list order, as a Fenwick tree of counts: the k-th of them
// is found and taken in logarithmic time, so shuffling a long list takes no longer than
// building it.
class Remaining {
 public:
  explicit Remaining(size_t n) : tree_(n + 1, 0) {
    for (size_t i = 1; i <= n; ++i) {
      tree_[i] += 1;
      if (size_t up = i + (i & (~i + 1)); up <= n) tree_[up] += tree_[i];
    }
    while (top_ * 2 <= n) top_ *= 2;
  }
  // Index (0-based, in list order) of the k-th remaining element (k from 0), taken out.
  size_t Take(size_t k) {
    size_t pos = 0;
    for (size_t step = top_; step; step /= 2) {
      if (pos + step < tree_.size() && tree_[pos + step] <= k) {
        pos += step;
        k -= tree_[pos];
      }
    }
    for (size_t i = pos + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] -= 1;
    return pos;
  }

 private:
  std::vector<size_t> tree_;
  size_t top_ = 1;
};

Node* Randomize(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (!v) return nullptr;
  if (v->IsList()) {
    // Each draw, modulo the count left, picks a remaining element and moves it to the
    // front of the result.
    std::vector<Node*> items;
    if (!Interpreter::IsEmptyList(v))
      for (Node* p = v; p; p = p->link) items.push_back(p->elem);
    if (items.empty()) return in.empty_list();
    Remaining remaining(items.size());
    Node* result = nullptr;
    for (size_t left = items.size(); left > 0; --left) {
      const size_t i = remaining.Take(in.NextRandom() % left);
      result = in.Cons(items[i], result);
      if (!result) return nullptr;
    }
    return result;
  }
  std::string s = v->IsNumber() ? NumberText(v) : WordChars(v);
  for (size_t i = 0; i < s.size(); ++i) std::swap(s[i], s[in.NextRandom() % s.size()]);
  return in.MakeWord(s);
}

Node* Not(Interpreter& in, PrimCall& c) {
  if (in.IsTrue(c.in[0])) return in.false_node();
  if (in.IsFalse(c.in[0])) return in.true_node();
  in.ErrorRow(c.in[0] ? kErrDoesntLike : kErrNotEnoughInputs, c.row, c.in[0]);
  return in.true_node();
}

Node* AndOr(Interpreter& in, PrimCall& c, bool is_and) {
  std::vector<Node*> v;
  if (!in.GatherInputs(c, 2, v)) return nullptr;
  bool result = is_and;
  for (Node* x : v) {
    if (in.IsTrue(x)) {
      if (!is_and) result = true;
    } else if (in.IsFalse(x)) {
      if (is_and) result = false;
    } else {
      in.ErrorRow(x ? kErrDoesntLike : kErrNotEnoughInputs, c.row, x);
    }
  }
  return in.Truth(result);
}
Node* And(Interpreter& in, PrimCall& c) {
  return AndOr(in, c, true);
}
Node* Or(Interpreter& in, PrimCall& c) {
  return AndOr(in, c, false);
}

Node* Form(Interpreter& in, PrimCall& c) {
  double x = in.GetFloat(c.in[0], c.row);
  int32_t width = in.GetInteger(c.in[1], c.row);
  int32_t digits = in.GetInteger(c.in[2], c.row);
  if (width < 1 || width > 128) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[1]);
    width = 16;
  }
  if (digits < 0 || digits > 6) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[2]);
    digits = 6;
  }
  char buf[512];
  double a = std::fabs(x);
  const char* format = a >= 0.000001 && a < 999999 ? "%*.*f" : "%*.*E";
  std::snprintf(buf, sizeof buf, format, static_cast<int>(width), static_cast<int>(digits), x);
  return in.MakeWord(buf);
}

}  // namespace

void RegisterMathPrimitives(PrimitiveTable& t) {
  t.Set("SUM", &Sum);
  t.Set("PRODUCT", &Product);
  t.Set("DIFFERENCE", &Difference);
  t.Set("QUOTIENT", &Quotient);
  t.Set("INTQUOTIENT", &IntQuotient);
  t.Set("REMAINDER", &Remainder);
  t.Set("ABS", &Abs);
  t.Set("INT", &Int);
  t.Set("ROUND", &Round);
  t.Set("FLOAT", &FloatPrim);
  t.Set("SQRT", &Sqrt);
  t.Set("EXP", &Unary<Exp>);
  t.Set("LN", &Unary<Ln>);
  t.Set("POWER", &Power);
  t.Set("SIN", &Unary<SinDeg>);
  t.Set("COS", &Unary<CosDeg>);
  t.Set("TAN", &Unary<TanDeg>);
  t.Set("ARCSIN", &Unary<ArcSinDeg>);
  t.Set("ARCCOS", &Unary<ArcCosDeg>);
  t.Set("ARCTAN", &Unary<ArcTanDeg>);
  t.Set("ARCTAN2", &ArcTan2);
  t.Set("RANDOM", &Random);
  t.Set("RERANDOM", &Rerandom);
  t.Set("RANDOMIZE", &Randomize);
  t.Set("NOT", &Not);
  t.Set("AND", &And);
  t.Set("OR", &Or);
  t.Set("FORM", &Form);
}

}  // namespace corvida::logo

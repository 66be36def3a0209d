// The printing primitives and the text destination switches. What PRINT, TYPE and SHOW
// print goes to the writer file when one is selected.
#include <vector>

#include "logo/interp.h"
#include "logo/sandbox_files.h"

namespace corvida::logo {
namespace {

// Bounds what one PRINT, TYPE or SHOW may produce, all inputs together: a heavily
// shared list or many inputs of one long word would otherwise print gigabytes.
constexpr size_t kPrintLimit = 16 * 1024 * 1024;

Node* PrintOrType(Interpreter& in, PrimCall& c, bool print) {
  std::vector<Node*> v;
  if (!in.GatherInputs(c, 1, v)) return nullptr;
  for (Node* input : v) {
    if (!input) {
      in.ErrorRow(kErrNotEnoughInputs, c.row);
      return nullptr;
    }
  }
  // Written input by input, so only one input's text is ever held; the line end goes
  // with the last one.
  if (v.empty() && print) PrintText(in, "\n", c.row);
  size_t left = kPrintLimit;
  for (size_t i = 0; i < v.size() && !in.Unwinding(); ++i) {
    std::string text = print && i > 0 ? " " : "";
    text += in.PrintForm(v[i], left);
    if (text.size() > left) text.resize(left);
    left -= text.size();
    bool last = i + 1 == v.size() || left == 0;
    if (print && last) text += '\n';
    PrintText(in, text, c.row);
    if (last) break;
  }
  return nullptr;
}

Node* Print(Interpreter& in, PrimCall& c) {
  return PrintOrType(in, c, true);
}
Node* Type(Interpreter& in, PrimCall& c) {
  return PrintOrType(in, c, false);
}

Node* Show(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  std::string text = IsList(v) || !v ? in.ShowForm(v, kPrintLimit) : in.PrintForm(v);
  if (text.size() > kPrintLimit) text.resize(kPrintLimit);
  text += '\n';
  PrintText(in, text, c.row);
  return nullptr;
}

Node* TextIo(Interpreter& in, PrimCall&) {
  in.turtle_io = false;
  return nullptr;
}

Node* TurtleIo(Interpreter& in, PrimCall&) {
  in.turtle_io = true;
  return nullptr;
}

}  // namespace

void RegisterConsolePrimitives(PrimitiveTable& t) {
  t.Set("PRINT", &Print);
  t.Set("TYPE", &Type);
  t.Set("SHOW", &Show);
  t.Set("TEXTIO", &TextIo);
  t.Set("TURTLEIO", &TurtleIo);
}

}  // namespace corvida::logo

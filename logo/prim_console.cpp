// The printing primitives and the text destination switches. What PRINT, TYPE and SHOW
// print goes to the writer file when one is selected.
#include <vector>

#include "logo/interp.h"
#include "logo/sandbox_files.h"

namespace corvida::logo {
namespace {

// Bounds what one PRINT may produce from a heavily shared list.
constexpr size_t kPrintLimit = 16 * 1024 * 1024;

Node* PrintOrType(Interpreter& in, PrimCall& c, bool print) {
  std::vector<Node*> v;
  if (!in.GatherInputs(c, 1, v)) return nullptr;
  std::string text;
  for (size_t i = 0; i < v.size(); ++i) {
    if (!v[i]) {
      in.ErrorRow(kErrNotEnoughInputs, c.row);
      return nullptr;
    }
    if (print && i > 0) text += ' ';
    text += in.PrintForm(v[i], kPrintLimit);
  }
  if (print) text += '\n';
  PrintText(in, text, c.row);
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
  PrintText(in, text + "\n", c.row);
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

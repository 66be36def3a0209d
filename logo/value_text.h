// Writing a value as text without native recursion, shared by the print forms of error
// messages and the listing form; each caller says how an atom (word or number) reads.
#pragma once

#include <string>
#include <vector>

#include "logo/interp.h"

namespace corvida::logo {

// How much text a list may give: a list that shares itself many times over stands for
// more text than any memory holds, and is cut here (as PRINT cuts what it writes).
constexpr size_t kValueTextLimit = 16 * 1024 * 1024;

// Text of a value: a word's characters, a number's text, a list's elements' texts joined
// by single spaces with nested lists flattened. Walks without native recursion; a list's
// text stops past kValueTextLimit, and `complete` (when given) tells whether it did.
std::string ValueText(Node* v, bool* complete = nullptr);

// Walks a value without native recursion, writing its elements; lists in brackets except
// the outer one when `outer_brackets` is false. Stops once `limit` characters are out.
template <class AtomFn>
void WriteValue(std::string& out, Node* v, bool outer_brackets, size_t limit, AtomFn atom) {
  if (!v) {
    out += "[]";
    return;
  }
  if (!v->IsList()) {
    atom(out, v);
    return;
  }
  struct Level {
    Node* cell;
    bool first;
    bool brackets;
  };
  std::vector<Level> stack;
  if (outer_brackets) out += '[';
  stack.push_back({Interpreter::IsEmptyList(v) ? nullptr : v, true, outer_brackets});
  while (!stack.empty() && out.size() <= limit) {
    Level& top = stack.back();
    if (!top.cell) {
      if (top.brackets) out += ']';
      stack.pop_back();
      continue;
    }
    Node* e = top.cell->elem;
    top.cell = top.cell->link;
    if (!top.first) out += ' ';
    top.first = false;
    if (!e) {
      out += "[]";
    } else if (e->IsList()) {
      out += '[';
      stack.push_back({Interpreter::IsEmptyList(e) ? nullptr : e, true, true});
    } else {
      atom(out, e);
    }
  }
}

}  // namespace corvida::logo

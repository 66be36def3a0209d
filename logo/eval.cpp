// The evaluator: expression levels with the infix operators, calls of primitives and
// procedures, running instruction lists. Unwinding is by flags that every loop polls.
#include <cmath>
#include <new>
#include <stdexcept>

#include "logo/interp.h"

namespace corvida::logo {

// The expression levels, highest first. Each takes the cursor by reference and leaves it
// after the tokens it used; every value it outputs is rooted until the instruction ends.
class Evaluator {
 public:
  explicit Evaluator(Interpreter& in) : in_(in) {}

  Node* Top(Node*& cur, bool paren);
  Node* Call(Node*& cur, bool paren);

 private:
  Node* Comparison(Node*& cur);
  Node* Additive(Node*& cur);
  Node* Multiplicative(Node*& cur);
  Node* Lowest(Node*& cur);
  Node* ListThenEqual(Node* list, Node*& cur);
  Node* Variable(Node* token);
  Node* Unquote(Node* token);
  Node* ApplyProcedure(Node* cell, Node*& cur);
  Node* Keep(Node* v) {
    if (v) {
      in_.ReleaseFresh(v);
      in_.Protect(v);
    }
    return v;
  }

  Interpreter& in_;
};

namespace {
inline Node* Token(Node* cur) {
  return cur ? cur->elem : nullptr;
}
inline bool IsOp(Node* cur, char c) {
  return cur && IsCharWord(cur->elem, c);
}
inline bool IsAtom(Node* v) {
  return v && !v->IsList();
}
}  // namespace

Node* Evaluator::Top(Node*& cur, bool paren) {
  DepthScope guard(in_);
  if (!guard.ok()) return nullptr;
  Node* tok = Token(cur);
  if (!cur || !tok) return Comparison(cur);
  if (tok->IsList()) {
    cur = cur->link;
    return ListThenEqual(tok, cur);
  }
  if (!tok->IsWord()) return Comparison(cur);
  char c0 = FirstChar(tok);
  if (c0 == '"') {
    cur = cur->link;
    in_.pending = Unquote(tok);
    if (!in_.pending) return nullptr;
    return Comparison(cur);
  }
  if (c0 == ':') {
    cur = cur->link;
    Node* v = Variable(tok);
    if (in_.Unwinding()) return nullptr;
    if (IsAtom(v)) {
      in_.pending = v;
      return Comparison(cur);
    }
    return ListThenEqual(v, cur);
  }
  if (IsCharWord(tok, '-')) return Comparison(cur);
  if (IsCharWord(tok, '(')) {
    cur = cur->link;
    Node* v = Top(cur, true);
    if (IsOp(cur, ')')) cur = cur->link;
    if (IsAtom(v) && cur && !in_.Unwinding()) {
      in_.pending = v;
      return Comparison(cur);
    }
    return v;
  }
  Node* v = Call(cur, paren);
  if (IsAtom(v) && cur && !in_.Unwinding()) {
    in_.pending = v;
    return Comparison(cur);
  }
  return v;
}

Node* Evaluator::ListThenEqual(Node* list, Node*& cur) {
  if (!IsOp(cur, '=')) return list;
  cur = cur->link;
  Node* other = Top(cur, false);
  if (in_.Unwinding()) return nullptr;
  return EqualP(in_, list, other);
}

Node* Evaluator::Comparison(Node*& cur) {
  Node* l = Additive(cur);
  for (;;) {
    if (in_.Unwinding() || !cur) return l;
    char op;
    if (IsOp(cur, '<')) {
      op = '<';
    } else if (IsOp(cur, '>')) {
      op = '>';
    } else if (IsOp(cur, '=')) {
      op = '=';
    } else {
      return l;
    }
    cur = cur->link;
    Node* r = Additive(cur);
    if (in_.Unwinding()) return nullptr;
    if (op == '=') {
      l = EqualP(in_, l, r);
      continue;
    }
    bool result;
    if (l && r && l->IsInt() && r->IsInt()) {
      result = op == '<' ? l->ival < r->ival : l->ival > r->ival;
    } else {
      int row = op == '<' ? kOpLess : kOpGreater;
      double a = in_.GetFloat(l, row), b = in_.GetFloat(r, row);
      result = op == '<' ? a < b : a > b;
    }
    l = in_.Truth(result);
  }
}

Node* Evaluator::Additive(Node*& cur) {
  Node* l = Multiplicative(cur);
  for (;;) {
    if (in_.Unwinding() || !cur) return l;
    bool plus = IsOp(cur, '+');
    if (!plus && !IsOp(cur, '-')) return l;
    cur = cur->link;
    Node* r = Multiplicative(cur);
    if (in_.Unwinding()) return nullptr;
    if (l && r && l->IsInt() && r->IsInt()) {
      auto a = static_cast<uint32_t>(l->ival), b = static_cast<uint32_t>(r->ival);
      l = Keep(in_.NewInt(static_cast<int32_t>(plus ? a + b : a - b)));
    } else {
      int row = plus ? kOpPlus : kOpMinus;
      double a = in_.GetFloat(l, row), b = in_.GetFloat(r, row);
      l = Keep(in_.NewFloat(plus ? a + b : a - b));
    }
  }
}

Node* Evaluator::Multiplicative(Node*& cur) {
  Node* l = Lowest(cur);
  for (;;) {
    if (in_.Unwinding() || !cur) return l;
    bool times = IsOp(cur, '*');
    if (!times && !IsOp(cur, '/')) return l;
    cur = cur->link;
    Node* r = Lowest(cur);
    if (in_.Unwinding()) return nullptr;
    if (times) {
      if (l && r && l->IsInt() && r->IsInt()) {
        auto a = static_cast<uint32_t>(l->ival), b = static_cast<uint32_t>(r->ival);
        l = Keep(in_.NewInt(static_cast<int32_t>(a * b)));
      } else {
        double a = in_.GetFloat(l, kOpTimes), b = in_.GetFloat(r, kOpTimes);
        l = Keep(in_.NewFloat(a * b));
      }
    } else {
      double a = in_.GetFloat(l, kOpDivide), b = in_.GetFloat(r, kOpDivide);
      if (b == 0) {
        in_.ErrorText(kErrDivideByZero, "");
        b = 1;
      }
      l = Keep(in_.NewFloat(a / b));
    }
  }
}

Node* Evaluator::Lowest(Node*& cur) {
  if (Node* p = in_.pending) {
    in_.pending = nullptr;
    return p;
  }
  if (!cur) {
    in_.ErrorText(kErrTooFewItems, "expression");
    return in_.zero_float();
  }
  Node* tok = cur->elem;
  if (tok && tok->IsWord()) {
    if (IsCharWord(tok, '-')) {
      cur = cur->link;
      Node* v = Lowest(cur);
      if (in_.Unwinding()) return nullptr;
      if (v && v->IsInt())
        return Keep(in_.NewInt(static_cast<int32_t>(0u - static_cast<uint32_t>(v->ival))));
      return Keep(in_.NewFloat(-in_.GetFloat(v, kOpMinus)));
    }
    if (IsCharWord(tok, '(')) {
      cur = cur->link;
      DepthScope guard(in_);
      if (!guard.ok()) return nullptr;
      Node* v = Comparison(cur);
      if (IsOp(cur, ')')) cur = cur->link;
      return v;
    }
    if (FirstChar(tok) == ':') {
      cur = cur->link;
      return Variable(tok);
    }
    if (FirstChar(tok) == '"') {
      cur = cur->link;
      return Unquote(tok);
    }
    if (NumericWord(tok)) {
      cur = cur->link;
      return tok;
    }
    return Call(cur, false);
  }
  cur = cur->link;
  return tok;
}

Node* Evaluator::Variable(Node* token) {
  Node* binding = in_.FindVariable(token, 1);
  if (!binding) {
    Node* name = Unquote(token);
    if (name) in_.Error(kErrUndefined, nullptr, name);
    return nullptr;
  }
  // Rooted here too: a later input may change the variable before this value is used.
  Node* v = binding->link->elem;
  in_.Protect(v);
  return v;
}

// The word without its first character (the '"' or ':').
Node* Evaluator::Unquote(Node* token) {
  return Keep(in_.Unquoted(token));
}

Node* Evaluator::Call(Node*& cur, bool paren) {
  Node* cell = cur;
  Node* tok = cell->elem;
  cur = cur->link;
  in_.paren_flag = paren;
  int row = in_.prims.FindWord(tok);
  if (row < 0) return ApplyProcedure(cell, cur);
  PrimitiveRow& r = in_.prims[row];
  if (tok != r.name_word) cell->elem = r.name_word;
  Node* at = in_.run_list;
  PrimCall call{{nullptr, nullptr, nullptr, nullptr}, cur, r.handler_row, paren};
  Node* pos[4] = {};
  for (int i = 0; i < r.inputs; ++i) {
    if (!cur) {
      in_.ErrorRow(kErrNotEnoughInputs, row);
      return nullptr;
    }
    pos[i] = cur;
    call.in[i] = Top(cur, false);
    if (in_.Unwinding()) return nullptr;
  }
  for (int i = 0; i < 4; ++i) in_.input_pos[i] = pos[i];
  in_.at_line = at;
  in_.paren_flag = paren;
  if (in_.Unwinding()) return nullptr;
  return Keep(in_.Apply(r.handler, call));
}

Node* Evaluator::ApplyProcedure(Node* cell, Node*& cur) {
  Node* name = cell->elem;
  Node* proc = in_.FindProc(name, cell);
  if (!proc) {
    in_.Error(kErrDontKnowHow, name);
    cur = nullptr;
    return nullptr;
  }
  DepthScope guard(in_);
  if (!guard.ok()) return nullptr;
  int caller = in_.cur_frame;
  in_.frames.push_back({proc, nullptr, nullptr});
  size_t depth = in_.frames.size();
  int me = static_cast<int>(depth) - 1;
  Node* inputs = proc->link ? proc->link->elem : nullptr;
  in_.cur_frame = me;
  bool ok = true;
  for (Node* p = inputs; p && p->elem; p = p->link) {
    Node* binding = in_.Cons(p->elem, in_.Cons(nullptr, nullptr));
    Node* chain = binding && binding->link ? in_.Cons(binding, in_.frames[me].locals) : nullptr;
    if (!chain) {
      ok = false;
      break;
    }
    in_.frames[me].locals = chain;
    in_.ReleaseFresh(chain);
    if (!cur) {
      in_.Error(kErrNotEnoughInputs, proc->elem);
      ok = false;
      break;
    }
    in_.cur_frame = caller;
    Node* v = Top(cur, false);
    if (in_.frames.size() < depth) return nullptr;  // a THROW left this procedure
    in_.cur_frame = me;
    binding->link->elem = v;
    if (in_.Unwinding()) {
      ok = false;
      break;
    }
  }
  Node* saved_output = in_.output_slot;
  Node* saved_next = in_.next_line;
  Node* saved_first = in_.first_line;
  bool saved_stop = in_.stop_flag;
  in_.Protect(saved_output);
  in_.output_slot = nullptr;
  in_.stop_flag = false;
  in_.first_line = in_.next_line = proc->link ? proc->link->link : nullptr;
  bool thrown_past = false;
  while (ok && in_.next_line && !in_.stop_flag) {
    Node* line = in_.next_line->elem;
    in_.next_line = in_.next_line->link;
    if (!line || Interpreter::IsEmptyList(line)) continue;
    Node* v = in_.RunList(line);
    if (v && !in_.Unwinding() && !in_.stop_flag) {
      in_.at_line = line;
      in_.Error(kErrNothingToDo, nullptr, v);
      break;
    }
    in_.InterruptCheck();
    if (in_.frames.size() < depth) {
      thrown_past = true;
      break;
    }
    if (in_.error_flag || in_.throw_flag) break;
  }
  if (in_.frames.size() < depth) thrown_past = true;
  Node* result = thrown_past ? nullptr : in_.output_slot;
  if (!thrown_past) {
    in_.frames.resize(depth - 1);
    in_.cur_frame = caller;
  }
  if (result) in_.Protect(result);
  in_.output_slot = saved_output;
  in_.next_line = saved_next;
  in_.first_line = saved_first;
  in_.stop_flag = saved_stop;
  return result;
}

Node* Interpreter::Apply(PrimHandler handler, PrimCall& call) {
  // Memory the system cannot give (a text too long to hold) is the script's "Out of
  // space", never the end of the player.
  try {
    return handler(*this, call);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  ErrorText(kErrOutOfSpace, "");
  return nullptr;
}

Node* Interpreter::EvalExpr(Node*& cur, bool paren) {
  return Evaluator(*this).Top(cur, paren);
}

Node* Interpreter::RunList(Node* list) {
  if (!list) return nullptr;
  if (!list->IsList()) {
    ErrorRow(kErrDoesntLike, prims.Find("RUN"), list);
    return nullptr;
  }
  if (IsEmptyList(list)) return nullptr;
  // Lists run by RUN, IF, CATCH and the like can recurse without a loop or procedure
  // line in between: each one looks for Escape too.
  InterruptCheck();
  if (error_flag) return nullptr;
  DepthScope guard(*this);
  if (!guard.ok()) return nullptr;
  Node* saved_run = run_list;
  Node* saved_at = at_line;
  Protect(saved_run);
  Protect(saved_at);
  run_list = at_line = list;
  size_t mark = TempMark();
  Evaluator eval(*this);
  Node* cur = list;
  Node* result = nullptr;
  while (cur) {
    TempReset(mark);
    Node* before = cur;
    result = eval.Top(cur, false);
    if (Unwinding() || stop_flag) break;
    if (result && cur) {
      Error(kErrNothingToDo, nullptr, result);
      result = nullptr;
      break;
    }
    if (cur == before) break;
  }
  run_list = saved_run;
  at_line = saved_at;
  TempReset(mark);
  return error_flag ? nullptr : result;
}

bool Interpreter::GatherInputs(PrimCall& call, int count, std::vector<Node*>& out) {
  Evaluator eval(*this);
  Node*& cur = call.cursor;
  if (call.paren) {
    while (cur && !IsCharWord(cur->elem, ')')) {
      Node* v = eval.Top(cur, false);
      if (Unwinding()) return false;
      out.push_back(v);
    }
    return true;
  }
  for (int i = 0; i < count; ++i) {
    if (!cur) {
      ErrorRow(kErrNotEnoughInputs, call.row);
      return false;
    }
    Node* v = eval.Top(cur, false);
    if (Unwinding()) return false;
    out.push_back(v);
  }
  return true;
}

void Interpreter::InterruptCheck() {
  if (error_flag || !config_.windows) return;
  // Looking at the queue costs more than a loop pass; a few passes later is soon enough.
  if (++interrupt_countdown_ < 16) return;
  interrupt_countdown_ = 0;
  // Escape anywhere among the queued keys stops the script; the keys typed before it go
  // with it. Setting the flag directly keeps it out of reach of CATCH "ERROR.
  if (config_.windows->TakeThroughKey(vk::kEscape)) error_flag = true;
  // A window asked to close ends the script too; the request stays for the player. A
  // stack's workspace still loads whole.
  Message close;
  if (!workspace_loading && config_.windows->PeekMessage(close, 0, msg::kClose, msg::kClose, false))
    error_flag = true;
}

}  // namespace corvida::logo

// Control primitives (RUN, OUTPUT, STOP, REPEAT, IF, WHILE, DOUNTIL, CATCH, THROW, GO,
// TEST and friends), the clock primitives and the node-memory primitives.
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "logo/interp.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

int Row(Interpreter& in, const char* name) {
  return in.prims.Find(name);
}

// Runs a control list; a value it leaves over is an error.
void RunBody(Interpreter& in, Node* list) {
  Node* v = in.RunList(list);
  if (v && !in.Unwinding() && !in.stop_flag) {
    in.at_line = list;
    in.Error(kErrNothingToDo, nullptr, v);
  }
}

bool Stopping(Interpreter& in) {
  return in.error_flag || in.throw_flag || in.stop_flag;
}

bool RequireProcedure(Interpreter& in) {
  if (in.InProcedure()) return true;
  in.ErrorText(kErrOnlyInProcedure, "");
  return false;
}

Node* Run(Interpreter& in, PrimCall& c) {
  if (!c.in[0]) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return nullptr;
  }
  return in.RunList(c.in[0]);
}

Node* Output(Interpreter& in, PrimCall& c) {
  if (!RequireProcedure(in)) return nullptr;
  if (!c.in[0]) {
    in.ErrorRow(kErrNotEnoughInputs, Row(in, "OUTPUT"));
    return nullptr;
  }
  in.output_slot = c.in[0];
  in.next_line = nullptr;
  in.stop_flag = true;
  return nullptr;
}

Node* Stop(Interpreter& in, PrimCall&) {
  if (!RequireProcedure(in)) return nullptr;
  in.output_slot = nullptr;
  in.next_line = nullptr;
  in.stop_flag = true;
  return nullptr;
}

Node* Repeat(Interpreter& in, PrimCall& c) {
  if (!c.in[0] || !c.in[1]) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return nullptr;
  }
  int32_t count = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  if (!c.in[1]->IsList()) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[1]);
    return nullptr;
  }
  if (count < 0) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    return nullptr;
  }
  size_t mark = in.TempMark();
  for (int32_t i = 0; i < count; ++i) {
    RunBody(in, c.in[1]);
    in.InterruptCheck();
    if (Stopping(in)) break;
    in.TempReset(mark);
  }
  return nullptr;
}

// The rest of a line as a list value for messages.
Node* Rest(Interpreter& in, Node* cur) {
  return cur ? cur : in.empty_list();
}

Node* If(Interpreter& in, PrimCall& c) {
  Node*& cur = c.cursor;
  if (!cur) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return nullptr;
  }
  Node* cond = in.EvalExpr(cur, false);
  if (in.Unwinding()) return nullptr;
  if (!cur || !IsList(cur->elem)) {
    in.ErrorRow(cur ? kErrDoesntLike : kErrNotEnoughInputs, c.row, Rest(in, cur));
    return nullptr;
  }
  Node* then_list = cur->elem;
  cur = cur->link;
  Node* else_list = nullptr;
  if (cur && IsList(cur->elem)) {
    else_list = cur->elem;
    cur = cur->link;
  } else if (cur && !IsCharWord(cur->elem, ')')) {
    in.ErrorRow(kErrDoesntLike, c.row, cur);
    return nullptr;
  }
  if (in.IsTrue(cond)) return in.RunList(then_list);
  if (in.IsFalse(cond)) return else_list ? in.RunList(else_list) : nullptr;
  in.Error(kErrNotTrueFalse, nullptr, cond);
  return nullptr;
}

Node* IfTest(Interpreter& in, PrimCall& c, bool want, const char* name) {
  if (!RequireProcedure(in)) return nullptr;
  Node*& cur = c.cursor;
  if (!cur || !IsList(cur->elem)) {
    in.ErrorRow(kErrDoesntLike, Row(in, name), Rest(in, cur));
    return nullptr;
  }
  Node* list = cur->elem;
  cur = cur->link;
  Node* test = in.CurrentFrame()->test;
  if (test && (want ? in.IsTrue(test) : in.IsFalse(test))) RunBody(in, list);
  return nullptr;
}

Node* IfTrue(Interpreter& in, PrimCall& c) {
  return IfTest(in, c, true, "IFTRUE");
}
Node* IfFalse(Interpreter& in, PrimCall& c) {
  return IfTest(in, c, false, "IFFALSE");
}

Node* Test(Interpreter& in, PrimCall& c) {
  if (!RequireProcedure(in)) return nullptr;
  Node* v = c.in[0];
  if (!in.IsTrue(v) && !in.IsFalse(v)) {
    in.Error(kErrNotTrueFalse, nullptr, v);
    return nullptr;
  }
  in.CurrentFrame()->test = in.IsTrue(v) ? in.true_node() : in.false_node();
  return nullptr;
}

Node* While(Interpreter& in, PrimCall& c) {
  Node*& cur = c.cursor;
  if (!cur) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return nullptr;
  }
  Node* start = cur;
  size_t mark = in.TempMark();
  for (;;) {
    in.TempReset(mark);
    Node* at = start;
    Node* cond = in.EvalExpr(at, false);
    if (in.Unwinding()) break;
    if (!at || !IsList(at->elem)) {
      in.ErrorRow(at ? kErrDoesntLike : kErrNotEnoughInputs, c.row, Rest(in, at));
      break;
    }
    cur = at->link;
    if (in.IsFalse(cond)) return nullptr;
    if (!in.IsTrue(cond)) {
      in.Error(kErrNotTrueFalse, nullptr, cond);
      break;
    }
    RunBody(in, at->elem);
    in.InterruptCheck();
    if (Stopping(in)) break;
  }
  cur = nullptr;  // the rest of the line is abandoned
  return nullptr;
}

Node* DoUntil(Interpreter& in, PrimCall& c) {
  Node*& cur = c.cursor;
  if (!cur || !IsList(cur->elem)) {
    in.ErrorRow(cur ? kErrDoesntLike : kErrNotEnoughInputs, c.row, Rest(in, cur));
    return nullptr;
  }
  Node* list = cur->elem;
  Node* start = cur->link;
  size_t mark = in.TempMark();
  for (;;) {
    in.TempReset(mark);
    RunBody(in, list);
    in.InterruptCheck();
    if (Stopping(in)) break;
    if (!start) {
      in.ErrorRow(kErrNotEnoughInputs, c.row);
      break;
    }
    Node* at = start;
    Node* cond = in.EvalExpr(at, false);
    if (in.Unwinding()) break;
    if (in.IsTrue(cond)) {
      cur = at;
      return nullptr;
    }
    if (!in.IsFalse(cond)) {
      in.Error(kErrNotTrueFalse, nullptr, cond);
      break;
    }
  }
  cur = nullptr;
  return nullptr;
}

Node* Catch(Interpreter& in, PrimCall& c) {
  Node* tag = c.in[0];
  if (!IsWord(tag) && !IsNumber(tag)) {
    in.ErrorRow(tag ? kErrDoesntLike : kErrNotEnoughInputs, c.row, tag);
    return nullptr;
  }
  if (!IsList(c.in[1])) {
    in.ErrorRow(kErrDoesntLike, c.row, Rest(in, in.input_pos[1]));
    return nullptr;
  }
  tag = in.WordOrNumberText(tag);
  in.ReleaseFresh(tag);
  in.Protect(tag);
  in.catches.push_back({tag, in.frames.size(), in.cur_frame});
  size_t mine = in.catches.size();
  Node* v = in.RunList(c.in[1]);
  // Only the CATCH at the head of the chain receives the throw; an outer one is waiting.
  if (in.catches.size() == mine) {
    in.throw_flag = false;
    in.catches.pop_back();
  }
  if (v && !in.Unwinding()) in.Error(kErrNothingToDo, nullptr, v);
  return nullptr;
}

Node* Throw(Interpreter& in, PrimCall& c) {
  Node* tag = c.in[0];
  if (!IsWord(tag) && !IsNumber(tag)) {
    in.ErrorRow(tag ? kErrDoesntLike : kErrNotEnoughInputs, c.row, tag);
    return nullptr;
  }
  Node* word = in.WordOrNumberText(tag);
  in.ReleaseFresh(word);
  in.Protect(word);
  for (size_t i = in.catches.size(); i-- > 0;) {
    if (CompareWordsNoCase(in.catches[i].tag, word) == 0) {
      in.catches.resize(i + 1);
      in.frames.resize(in.catches[i].frame_depth);
      in.cur_frame = in.catches[i].cur_frame;
      in.throw_flag = true;
      return nullptr;
    }
  }
  in.Error(kErrNoCatch, nullptr, tag);
  return nullptr;
}

Node* ErrorPrim(Interpreter& in, PrimCall&) {
  Node* code = in.NewInt(in.last_error);
  return code ? in.Cons(code, nullptr) : nullptr;
}

// A label compares without case, accents or a leading quote.
std::string LabelKey(Node* w) {
  std::string s = WordChars(w);
  if (!s.empty() && s[0] == '"') s.erase(0, 1);
  for (char& ch : s) ch = static_cast<char>(MacUpperNoAccents(static_cast<uint8_t>(ch)));
  return s;
}

Node* Go(Interpreter& in, PrimCall& c) {
  if (!RequireProcedure(in)) return nullptr;
  Node* label = in.WordOrNumberText(c.in[0]);
  in.ReleaseFresh(label);
  in.Protect(label);
  if (!IsWord(label)) {
    in.ErrorRow(label ? kErrDoesntLike : kErrNotEnoughInputs, c.row, label);
    return nullptr;
  }
  std::string key = LabelKey(label);
  for (Node* l = in.first_line; l; l = l->link) {
    Node* line = l->elem;
    if (!IsList(line) || !IsWord(line->elem) || !line->link) continue;
    if (!WordEqualsNoCase(line->elem, "LABEL")) continue;
    Node* second = line->link->elem;
    if (IsWord(second) && LabelKey(second) == key) {
      in.next_line = l;
      return nullptr;
    }
  }
  in.Error(kErrNoLabel, nullptr, label);
  return nullptr;
}

Node* Label(Interpreter& in, PrimCall& c) {
  if (!RequireProcedure(in)) return nullptr;
  if (!IsWord(c.in[0]) && !IsNumber(c.in[0]))
    in.ErrorRow(c.in[0] ? kErrDoesntLike : kErrNotEnoughInputs, c.row, c.in[0]);
  return nullptr;
}

Node* TopLevel(Interpreter& in, PrimCall&) {
  in.error_flag = true;
  return nullptr;
}

Node* Wait(Interpreter& in, PrimCall& c) {
  int32_t count = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding() || count <= 0 || !in.clock()) return nullptr;
  Clock& clock = *in.clock();
  auto ms = static_cast<uint32_t>(std::min(4.0e9, count * 16.666666666666668));
  uint32_t deadline = clock.Milliseconds() + ms;
  for (;;) {
    in.InterruptCheck();
    if (in.Unwinding()) break;
    auto left = static_cast<int32_t>(deadline - clock.Milliseconds());
    if (left <= 0 || !in.windows()) break;
    Message m;
    if (!in.windows()->WaitMessage(m, static_cast<uint32_t>(left))) continue;
    if (m.message == msg::kKeyDown && m.wParam == vk::kEscape) {
      in.error_flag = true;
      break;
    }
    if (in.hooks().dispatch) in.hooks().dispatch(m);
  }
  return nullptr;
}

Node* ListOf(Interpreter& in, std::initializer_list<Node*> items) {
  Node* list = nullptr;
  std::vector<Node*> v(items);
  for (size_t i = v.size(); i-- > 0;) {
    if (!v[i]) return nullptr;
    list = in.Cons(v[i], list);
    if (!list) return nullptr;
  }
  return list;
}

Node* Version(Interpreter& in, PrimCall&) {
  return ListOf(
      in, {in.NewInt(2), in.NewInt(6), in.NewInt(0), in.MakeWord("Windows"), in.MakeWord("2.6.0")});
}

std::tm LocalNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

Node* Date(Interpreter& in, PrimCall&) {
  static const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  std::tm tm = LocalNow();
  char text[80];
  std::snprintf(text, sizeof text, "%s, %s %d, %d", kDays[tm.tm_wday], kMonths[tm.tm_mon],
                tm.tm_mday, tm.tm_year + 1900);
  return ListOf(in, {in.NewInt(tm.tm_mon + 1), in.NewInt(tm.tm_mday), in.NewInt(tm.tm_year),
                     in.MakeWord(text)});
}

Node* Time(Interpreter& in, PrimCall&) {
  std::tm tm = LocalNow();
  char text[40];
  int h12 = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
  std::snprintf(text, sizeof text, "%d:%02d:%02d %s", h12, tm.tm_min, tm.tm_sec,
                tm.tm_hour < 12 ? "AM" : "PM");
  return ListOf(
      in, {in.NewInt(tm.tm_hour), in.NewInt(tm.tm_min), in.NewInt(tm.tm_sec), in.MakeWord(text)});
}

Node* Nodes(Interpreter& in, PrimCall&) {
  char text[64];
  std::snprintf(text, sizeof text, "There are %lu free nodes.\n",
                static_cast<unsigned long>(in.pool().CountFree()));
  in.Output(text);
  return nullptr;
}

Node* Recycle(Interpreter& in, PrimCall&) {
  in.Collect();
  return nullptr;
}

}  // namespace

void RegisterControlPrimitives(PrimitiveTable& t) {
  t.Set("RUN", &Run);
  t.Set("OUTPUT", &Output);
  t.Set("STOP", &Stop);
  t.Set("REPEAT", &Repeat);
  t.Set("IF", &If);
  t.Set("IFTRUE", &IfTrue);
  t.Set("IFFALSE", &IfFalse);
  t.Set("TEST", &Test);
  t.Set("WHILE", &While);
  t.Set("DOUNTIL", &DoUntil);
  t.Set("CATCH", &Catch);
  t.Set("THROW", &Throw);
  t.Set("ERROR", &ErrorPrim);
  t.Set("GO", &Go);
  t.Set("LABEL", &Label);
  t.Set("TOPLEVEL", &TopLevel);
  t.Set("WAIT", &Wait);
  t.Set("VERSION", &Version);
  t.Set("DATE", &Date);
  t.Set("TIME", &Time);
  t.Set("NODES", &Nodes);
  t.Set("RECYCLE", &Recycle);
}

}  // namespace corvida::logo

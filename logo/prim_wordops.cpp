// Word and list primitives that search, edit, compare and convert: MEMBER, MATCH,
// SIMILARP, INSERT, REMOVE, REPLACE, BEFOREP, ASCII, CHAR, the case changes, PARSE and
// UNPARSE.
#include <string>
#include <vector>

#include "logo/interp.h"
#include "logo/reader.h"
#include "logo/value_text.h"
#include "stackfile/mactext.h"

namespace corvida::logo {

std::string ValueText(Node* v, bool* complete) {
  if (complete) *complete = true;
  std::string out;
  bool first = true;
  std::vector<Node*> rest;  // list cells still to visit, innermost last
  auto emit = [&](Node* x) {
    if (!x || x->IsList()) return;
    if (!first) out += ' ';
    first = false;
    if (x->IsNumber())
      out += NumberText(x);
    else
      AppendWordChars(x, out);
  };
  if (!v || !v->IsList()) {
    emit(v);
    return out;
  }
  rest.push_back(Interpreter::IsEmptyList(v) ? nullptr : v);
  while (!rest.empty()) {
    if (out.size() > kValueTextLimit) {
      if (complete) *complete = false;
      break;
    }
    Node* cell = rest.back();
    if (!cell) {
      rest.pop_back();
      continue;
    }
    rest.back() = cell->link;
    Node* e = cell->elem;
    if (e && e->IsList()) {
      if (!Interpreter::IsEmptyList(e)) rest.push_back(e);
    } else {
      emit(e);
    }
  }
  return out;
}

namespace {

constexpr int kErrIndexTooBig = 77;

// A value's text for the primitives that search and edit it; a list whose text passes the
// bound is "Out of space" rather than minutes of copying.
bool TextOf(Interpreter& in, int row, Node* v, std::string& out) {
  bool complete = true;
  out = ValueText(v, &complete);
  if (!complete) in.ErrorRow(kErrOutOfSpace, row);
  return complete;
}

bool IsEmptyWord(const Node* v) {
  return v && v->IsWord() && FirstChar(v) == '\0';
}

// The source tokens of input i, for reports that show where an input came from.
Node* Pos(Interpreter& in, int i) {
  return in.input_pos[i] ? in.input_pos[i] : in.empty_list();
}

// Characters of a word or number.
std::string Chars(Node* v) {
  return v->IsNumber() ? NumberText(v) : WordChars(v);
}

// Copies the first n cells of a list; *tail receives the last copy (null when n is 0).
Node* CopyCells(Interpreter& in, Node* list, int32_t n, Node** tail, bool* ok) {
  Node* head = nullptr;
  *tail = nullptr;
  *ok = true;
  for (Node* p = list; p && n > 0; p = p->link, --n) {
    Node* cell = in.Cons(p->elem, nullptr);
    if (!cell) {
      *ok = false;
      return nullptr;
    }
    if (*tail) {
      (*tail)->link = cell;
    } else {
      head = cell;
    }
    *tail = cell;
  }
  return head;
}

int32_t ListLength(Node* v) {
  if (Interpreter::IsEmptyList(v)) return 0;
  int32_t n = 0;
  for (Node* p = v; p; p = p->link) ++n;
  return n;
}

// --- Match options and wildcard comparison ------------------------------------------

constexpr size_t kMatchWorkChunk = 1 << 16;  // characters compared between interrupt checks

struct MatchOp {
  char kind;  // 'U', 'R', 'D', 'W'
  char a = 0, b = 0;
};

// One character of a one-character word (numbers through their text), or -1.
int SingleChar(Node* v) {
  if (!v || v->IsList()) return -1;
  std::string s = Chars(v);
  return s.size() == 1 ? static_cast<unsigned char>(s[0]) : -1;
}

// Reads an option list; false when the options are bad.
bool ReadOptions(Node* options, std::vector<MatchOp>& ops) {
  if (!options || IsEmptyWord(options) || Interpreter::IsEmptyList(options)) return true;
  std::vector<Node*> items;
  if (options->IsList()) {
    for (Node* p = options; p; p = p->link) items.push_back(p->elem);
  } else {
    items.push_back(options);
  }
  for (size_t i = 0; i < items.size(); ++i) {
    Node* w = items[i];
    if (!w || w->IsList()) return false;
    std::string name = Chars(w);
    for (char& ch : name) ch = static_cast<char>(MacUpper(static_cast<uint8_t>(ch)));
    if (name == "UPPERCASE" || name == "U") {
      ops.push_back({'U'});
    } else if (name == "WHITESPACE" || name == "W") {
      ops.push_back({'W'});
    } else if (name == "REPLACE" || name == "R") {
      int a = i + 1 < items.size() ? SingleChar(items[i + 1]) : -1;
      int b = i + 2 < items.size() ? SingleChar(items[i + 2]) : -1;
      if (a < 0 || b < 0) return false;
      ops.push_back({'R', static_cast<char>(a), static_cast<char>(b)});
      i += 2;
    } else if (name == "DELETE" || name == "D") {
      int a = i + 1 < items.size() ? SingleChar(items[i + 1]) : -1;
      if (a < 0) return false;
      ops.push_back({'D', static_cast<char>(a)});
      i += 1;
    } else if (name.size() != 1) {
      return false;
    }
  }
  return true;
}

std::string ApplyOptions(const std::vector<MatchOp>& ops, std::string s) {
  for (const MatchOp& op : ops) {
    std::string t;
    switch (op.kind) {
      case 'U':
        for (char& ch : s) ch = static_cast<char>(MacUpperNoAccents(static_cast<uint8_t>(ch)));
        continue;
      case 'R':
        for (char& ch : s)
          if (ch == op.a) ch = op.b;
        continue;
      case 'D':
        for (char ch : s)
          if (ch != op.a) t += ch;
        break;
      case 'W': {
        bool blank_run = false;
        for (char ch : s) {
          if (IsBlank(static_cast<unsigned char>(ch))) {
            blank_run = true;
            continue;
          }
          if (blank_run && !t.empty()) t += ' ';
          blank_run = false;
          t += ch;
        }
        if (blank_run && !t.empty()) t += ' ';
        if (!t.empty() && t.back() == ' ') t.pop_back();
        break;
      }
    }
    s = std::move(t);
  }
  return s;
}

// The options applied to the whole text once, with where each suffix lands: applying them
// to the text from position i gives the processed text from `starts[i]` (every option
// treats a suffix as the whole text treats it, once the blanks WHITESPACE drops at its
// start are skipped). So MATCH tries every start without processing the text again.
std::string ApplyOptionsToSuffixes(const std::vector<MatchOp>& ops, std::string s,
                                   std::vector<size_t>& starts) {
  starts.resize(s.size() + 1);
  for (size_t i = 0; i < starts.size(); ++i) starts[i] = i;
  std::vector<size_t> step;  // this option's map from its input's positions to its output's
  for (const MatchOp& op : ops) {
    if (op.kind == 'U' || op.kind == 'R') {
      s = ApplyOptions({op}, std::move(s));
      continue;
    }
    std::string t = ApplyOptions({op}, s);
    step.assign(s.size() + 1, t.size());
    if (op.kind == 'D') {
      size_t kept = 0;
      for (size_t i = 0; i < s.size(); ++i) {
        step[i] = kept;
        if (s[i] != op.a) ++kept;
      }
    } else {
      // WHITESPACE: a suffix starts where its first non-blank character went.
      size_t out = 0, next_kept = t.size();
      for (size_t i = 0; i < s.size(); ++i) {
        if (IsBlank(static_cast<unsigned char>(s[i]))) continue;
        while (out < t.size() && t[out] != s[i]) ++out;  // past the space of a run
        step[i] = out++;
      }
      for (size_t i = s.size(); i-- > 0;) {
        if (IsBlank(static_cast<unsigned char>(s[i])))
          step[i] = next_kept;
        else
          next_kept = step[i];
      }
    }
    for (size_t& start : starts) start = step[start];
    s = std::move(t);
  }
  return s;
}

bool CharsMatch(char p, char t) {
  return p == t || p == '?' || t == '?' || (p == '%' && t == ' ') || (p == ' ' && t == '%');
}

bool WholeMatch(const std::string& p, const std::string& t) {
  if (p.size() != t.size()) return false;
  for (size_t i = 0; i < p.size(); ++i)
    if (!CharsMatch(p[i], t[i])) return false;
  return true;
}

bool PrefixMatch(std::string_view p, std::string_view t, size_t& compared) {
  if (t.size() < p.size()) return false;
  for (size_t i = 0; i < p.size(); ++i) {
    ++compared;
    if (!CharsMatch(p[i], t[i])) return false;
  }
  return true;
}

Node* DoMatch(Interpreter& in, PrimCall& c) {
  Node *options = c.in[0], *pattern = c.in[1], *target = c.in[2];
  if (!pattern || !target) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, pattern ? 2 : 1));
    return nullptr;
  }
  std::vector<MatchOp> ops;
  if (!ReadOptions(options, ops)) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, 0));
    return target->IsList() ? in.empty_list() : nullptr;
  }
  std::string p, text;
  if (!TextOf(in, c.row, pattern, p)) return nullptr;
  p = ApplyOptions(ops, std::move(p));
  if (target->IsList()) {
    if (Interpreter::IsEmptyList(target)) return in.empty_list();
    for (Node* cell = target; cell; cell = cell->link) {
      if (!TextOf(in, c.row, cell->elem, text)) return nullptr;
      if (WholeMatch(p, ApplyOptions(ops, std::move(text)))) return cell;
    }
    return in.empty_list();
  }
  std::string t = Chars(target);
  std::vector<size_t> starts;
  const std::string processed = ApplyOptionsToSuffixes(ops, t, starts);
  size_t compared = 0, checked = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    if (PrefixMatch(p, std::string_view(processed).substr(starts[i]), compared))
      return in.MakeWord(std::string_view(t).substr(i));
    // A long search can be stopped with Escape and counts against the script's budget.
    if (compared - checked >= kMatchWorkChunk) {
      checked = compared;
      in.InterruptCheck();
      in.SpendStep();
      if (in.Unwinding()) return nullptr;
    }
  }
  return in.empty_word();
}

Node* Match(Interpreter& in, PrimCall& c) {
  return DoMatch(in, c);
}

Node* MatchP(Interpreter& in, PrimCall& c) {
  Node* r = DoMatch(in, c);
  return in.Truth(r && !Interpreter::IsEmptyList(r) && !IsEmptyWord(r));
}

Node* SimilarP(Interpreter& in, PrimCall& c) {
  Node *a = c.in[1], *b = c.in[2];
  std::vector<MatchOp> ops;
  if (!a || !b || !ReadOptions(c.in[0], ops)) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, !a ? 1 : !b ? 2 : 0));
    return in.false_node();
  }
  std::string ta, tb;
  if (!TextOf(in, c.row, a, ta) || !TextOf(in, c.row, b, tb)) return in.false_node();
  return in.Truth(WholeMatch(ApplyOptions(ops, std::move(ta)), ApplyOptions(ops, std::move(tb))));
}

// --- Searching ----------------------------------------------------------------------

Node* DoMember(Interpreter& in, PrimCall& c, bool* failed) {
  Node *thing = c.in[0], *target = c.in[1];
  *failed = false;
  if (!thing || !target) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, thing ? 1 : 0));
    *failed = true;
    return in.empty_list();
  }
  if (target->IsList()) {
    if (Interpreter::IsEmptyList(target)) return in.empty_list();
    for (Node* cell = target; cell; cell = cell->link)
      if (ValuesEqual(cell->elem, thing)) return cell;
    return in.empty_list();
  }
  std::string t = Chars(target), wanted;
  if (!TextOf(in, c.row, thing, wanted)) {
    *failed = true;
    return in.empty_word();
  }
  size_t at = t.find(wanted);
  if (at == std::string::npos) return in.empty_word();
  return in.MakeWord(t.substr(at));
}

Node* Member(Interpreter& in, PrimCall& c) {
  bool failed;
  return DoMember(in, c, &failed);
}

Node* MemberP(Interpreter& in, PrimCall& c) {
  bool failed;
  Node* r = DoMember(in, c, &failed);
  if (failed) return nullptr;
  return in.Truth(r && !Interpreter::IsEmptyList(r) && !IsEmptyWord(r));
}

// --- Editing ------------------------------------------------------------------------

Node* Insert(Interpreter& in, PrimCall& c) {
  Node *thing = c.in[0], *target = c.in[2];
  int32_t n = in.GetInteger(c.in[1], c.row);
  if (in.Unwinding()) return nullptr;
  if (n < 0) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, 1));
    return nullptr;
  }
  if (!thing || !target) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, thing ? 2 : 0));
    return nullptr;
  }
  if (target->IsList()) {
    if (n > ListLength(target)) {
      in.Error(kErrIndexTooBig, nullptr, Pos(in, 2));
      return nullptr;
    }
    Node* tail;
    bool ok;
    Node* head = CopyCells(in, target, n, &tail, &ok);
    if (!ok) return nullptr;
    Node* rest = target;
    for (int32_t i = 0; i < n; ++i) rest = rest->link;
    if (Interpreter::IsEmptyList(rest)) rest = nullptr;
    Node* cell = in.Cons(thing, rest);
    if (!cell) return nullptr;
    if (!tail) return cell;
    tail->link = cell;
    return head;
  }
  std::string t = Chars(target);
  if (static_cast<size_t>(n) > t.size()) {
    in.Error(kErrIndexTooBig, nullptr, Pos(in, 2));
    return nullptr;
  }
  std::string s;
  if (!TextOf(in, c.row, thing, s)) return nullptr;
  return in.MakeWord(t.substr(0, n) + s + t.substr(n));
}

Node* Remove(Interpreter& in, PrimCall& c) {
  Node* target = c.in[1];
  int32_t n = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  if (n < 1) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, 0));
    return target;
  }
  if (!target) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, 1));
    return nullptr;
  }
  if (target->IsList()) {
    if (n > ListLength(target)) {
      in.Error(kErrIndexTooBig, nullptr, Pos(in, 1));
      return nullptr;
    }
    Node* tail;
    bool ok;
    Node* head = CopyCells(in, target, n - 1, &tail, &ok);
    if (!ok) return nullptr;
    Node* rest = target;
    for (int32_t i = 0; i < n; ++i) rest = rest->link;
    if (!tail) return rest ? rest : in.empty_list();
    tail->link = rest;
    return head;
  }
  std::string t = Chars(target);
  if (static_cast<size_t>(n) > t.size()) {
    in.Error(kErrIndexTooBig, nullptr, Pos(in, 1));
    return nullptr;
  }
  t.erase(static_cast<size_t>(n) - 1, 1);
  return t.empty() ? in.empty_word() : in.MakeWord(t);
}

Node* Replace(Interpreter& in, PrimCall& c) {
  Node *thing = c.in[0], *target = c.in[2];
  int32_t n = in.GetInteger(c.in[1], c.row);
  if (in.Unwinding()) return nullptr;
  if (n < 1) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, 1));
    return target;
  }
  if (!thing) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, 0));
    return target;
  }
  if (!target) {
    in.ErrorRow(kErrDoesntLike, c.row, Pos(in, 2));
    return nullptr;
  }
  if (target->IsList()) {
    if (n > ListLength(target)) {
      in.Error(kErrIndexTooBig, nullptr, Pos(in, 2));
      return nullptr;
    }
    Node* tail;
    bool ok;
    Node* head = CopyCells(in, target, n, &tail, &ok);
    if (!ok) return nullptr;
    tail->elem = thing;
    Node* rest = target;
    for (int32_t i = 0; i < n; ++i) rest = rest->link;
    tail->link = rest;
    return head;
  }
  std::string t = Chars(target), s;
  if (!TextOf(in, c.row, thing, s)) return nullptr;
  if (static_cast<size_t>(n) - 1 + s.size() > t.size()) {
    in.Error(kErrIndexTooBig, nullptr, Pos(in, 2));
    return nullptr;
  }
  t.replace(static_cast<size_t>(n) - 1, s.size(), s);
  return in.MakeWord(t);
}

// --- Comparing and converting -------------------------------------------------------

Node* BeforeP(Interpreter& in, PrimCall& c) {
  for (int i = 0; i < 2; ++i) {
    if (!c.in[i] || c.in[i]->IsList()) {
      in.ErrorRow(kErrDoesntLike, c.row, c.in[i] ? c.in[i] : Pos(in, i));
      return in.false_node();
    }
  }
  std::string a = Chars(c.in[0]), b = Chars(c.in[1]);
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    auto x = static_cast<int8_t>(a[i]), y = static_cast<int8_t>(b[i]);
    if (x != y) return in.Truth(x < y);
  }
  return in.Truth(a.size() < b.size());
}

bool WordInput(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (v && !v->IsList()) return true;
  in.ErrorRow(kErrDoesntLike, c.row, v ? v : Pos(in, 0));
  return false;
}

Node* Ascii(Interpreter& in, PrimCall& c) {
  if (!WordInput(in, c)) return in.NewInt(0);
  std::string s = Chars(c.in[0]);
  if (s.empty() || s == "\"") return in.NewInt(0);
  return in.NewInt(static_cast<unsigned char>(s[0]));
}

Node* Char(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (!v || !NumericWord(v)) {
    in.ErrorRow(kErrDoesntLike, c.row, v ? v : Pos(in, 0));
    return in.empty_word();
  }
  int32_t n = in.GetInteger(v, c.row);
  if (in.Unwinding()) return in.empty_word();
  char ch = static_cast<char>(n & 0xFF);
  return ch ? in.MakeWord(std::string(1, ch)) : in.empty_word();
}

Node* ChangeCase(Interpreter& in, PrimCall& c, uint8_t (*map)(uint8_t)) {
  if (!WordInput(in, c)) return in.empty_word();
  std::string s = Chars(c.in[0]);
  if (s.empty()) return in.empty_word();
  for (char& ch : s) ch = static_cast<char>(map(static_cast<uint8_t>(ch)));
  return in.MakeWord(s);
}

Node* Uppercase(Interpreter& in, PrimCall& c) {
  return ChangeCase(in, c, &MacUpper);
}
Node* Lowercase(Interpreter& in, PrimCall& c) {
  return ChangeCase(in, c, &MacLower);
}

Node* Parse(Interpreter& in, PrimCall& c) {
  if (!WordInput(in, c)) return in.empty_word();
  return Tokenize(in, Chars(c.in[0]));
}

Node* Unparse(Interpreter& in, PrimCall& c) {
  std::string s;
  if (!TextOf(in, c.row, c.in[0], s)) return nullptr;
  return s.empty() ? in.empty_word() : in.MakeWord(s);
}

}  // namespace

void RegisterWordEditPrimitives(PrimitiveTable& t) {
  t.Set("MEMBER", &Member);
  t.Set("MEMBERP", &MemberP);
  t.Set("MATCH", &Match);
  t.Set("MATCHP", &MatchP);
  t.Set("SIMILARP", &SimilarP);
  t.Set("INSERT", &Insert);
  t.Set("REMOVE", &Remove);
  t.Set("REPLACE", &Replace);
  t.Set("BEFOREP", &BeforeP);
  t.Set("ASCII", &Ascii);
  t.Set("CHAR", &Char);
  t.Set("UPPERCASE", &Uppercase);
  t.Set("LOWERCASE", &Lowercase);
  t.Set("PARSE", &Parse);
  t.Set("UNPARSE", &Unparse);
}

}  // namespace corvida::logo

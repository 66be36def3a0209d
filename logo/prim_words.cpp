// Word and list primitives: equality, predicates, taking values apart and building them.
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "logo/interp.h"

namespace corvida::logo {

namespace {
struct PairHash {
  size_t operator()(const std::pair<Node*, Node*>& p) const {
    return std::hash<Node*>()(p.first) * 31 + std::hash<Node*>()(p.second);
  }
};

double NumberValue(Node* v) {
  if (v->IsInt()) return v->ival;
  if (v->IsFloat()) return v->fval;
  std::string s = WordChars(v);
  return std::strtod(s.c_str() + (s[0] == '"' ? 1 : 0), nullptr);
}
}  // namespace

// Structural equality without native recursion; pairs of lists already compared are not
// compared again, so heavily shared lists cost time linear in their distinct cells.
bool ValuesEqual(Node* a, Node* b) {
  std::vector<std::pair<Node*, Node*>> todo{{a, b}};
  std::unordered_set<std::pair<Node*, Node*>, PairHash> seen;
  while (!todo.empty()) {
    auto [x, y] = todo.back();
    todo.pop_back();
    if (x == y) continue;
    if (!x || !y) return false;
    if (x->type() != y->type()) {
      if (NumericWord(x) && NumericWord(y) && NumberValue(x) == NumberValue(y)) continue;
      return false;
    }
    if (x->IsInt()) {
      if (x->ival != y->ival) return false;
    } else if (x->IsFloat()) {
      if (x->fval != y->fval) return false;
    } else if (x->IsWord()) {
      CharCursor cx(x), cy(y);
      for (;;) {
        char p = cx.Next(), q = cy.Next();
        if (p != q) return false;
        if (p == '\0') break;
      }
    } else {
      if (!seen.insert({x, y}).second) continue;
      for (; x && y; x = x->link, y = y->link) {
        if (x->elem != y->elem) todo.push_back({x->elem, y->elem});
      }
      if (x || y) return false;
    }
  }
  return true;
}

Node* EqualP(Interpreter& in, Node* a, Node* b) {
  return in.Truth(ValuesEqual(a, b));
}

namespace {

Node* EqualPPrim(Interpreter& in, PrimCall& c) {
  return EqualP(in, c.in[0], c.in[1]);
}

Node* WordP(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  return in.Truth(v && (v->IsWord() || v->IsNumber()));
}
Node* ListP(Interpreter& in, PrimCall& c) {
  return in.Truth(IsList(c.in[0]));
}
Node* NumberP(Interpreter& in, PrimCall& c) {
  return in.Truth(IsNumber(c.in[0]));
}
Node* IntegerP(Interpreter& in, PrimCall& c) {
  return in.Truth(c.in[0] && c.in[0]->IsInt());
}
Node* FloatP(Interpreter& in, PrimCall& c) {
  return in.Truth(c.in[0] && c.in[0]->IsFloat());
}

bool IsEmptyWord(Node* v) {
  return v && v->IsWord() && v->text[0] == '\0';
}

Node* EmptyP(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  return in.Truth(Interpreter::IsEmptyList(v) || IsEmptyWord(v));
}

// Characters of a word or number, for the primitives that take words apart.
std::string Chars(Node* v) {
  return v->IsNumber() ? NumberText(v) : WordChars(v);
}

bool EmptyInput(Interpreter& in, Node* v, int row) {
  if (!v) {
    in.ErrorRow(kErrDoesntLike, row, in.input_pos[0] ? in.input_pos[0] : in.empty_list());
    return true;
  }
  if (Interpreter::IsEmptyList(v) || IsEmptyWord(v) || (!v->IsList() && Chars(v).empty())) {
    in.ErrorRow(kErrDoesntLike, row, v);
    return true;
  }
  return false;
}

Node* First(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (EmptyInput(in, v, in.prims.Find("FIRST"))) return v && v->IsList() ? v->elem : v;
  if (v->IsList()) return v->elem;
  return in.MakeWord(Chars(v).substr(0, 1));
}

Node* Last(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (EmptyInput(in, v, c.row)) return v && v->IsList() ? v->elem : v;
  if (v->IsList()) {
    while (v->link) v = v->link;
    return v->elem;
  }
  std::string s = Chars(v);
  return in.MakeWord(s.substr(s.size() - 1));
}

Node* ButFirst(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  int row = in.prims.Find("BUTFIRST");
  if (EmptyInput(in, v, row)) return v && v->IsList() ? v->link : v;
  if (v->IsList()) return v->link ? v->link : in.empty_list();
  return in.MakeWord(Chars(v).substr(1));
}

Node* ButLast(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  int row = in.prims.Find("BUTLAST");
  if (EmptyInput(in, v, row)) return v && v->IsList() ? v->link : v;
  if (v->IsList()) {
    Node* head = nullptr;
    Node* tail = nullptr;
    for (Node* p = v; p->link; p = p->link) {
      Node* cell = in.Cons(p->elem, nullptr);
      if (!cell) return nullptr;
      if (tail) {
        tail->link = cell;
      } else {
        head = cell;
      }
      tail = cell;
    }
    return head ? head : in.empty_list();
  }
  std::string s = Chars(v);
  return in.MakeWord(s.substr(0, s.size() - 1));
}

Node* Count(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (!v) {
    in.ErrorRow(kErrDoesntLike, c.row, in.input_pos[0] ? in.input_pos[0] : in.empty_list());
    return in.NewInt(0);
  }
  if (v->IsList()) {
    int32_t n = 0;
    if (!Interpreter::IsEmptyList(v))
      for (Node* p = v; p; p = p->link) ++n;
    return in.NewInt(n);
  }
  return in.NewInt(static_cast<int32_t>(v->IsNumber() ? NumberText(v).size() : WordLength(v)));
}

Node* Fput(Interpreter& in, PrimCall& c) {
  Node *thing = c.in[0], *list = c.in[1];
  if (!IsList(list) || !thing) {
    in.ErrorRow(kErrDoesntLike, c.row, list);
    return list;
  }
  return in.Cons(thing, Interpreter::IsEmptyList(list) ? nullptr : list);
}

Node* Lput(Interpreter& in, PrimCall& c) {
  Node *thing = c.in[0], *list = c.in[1];
  if (!IsList(list)) {
    in.ErrorRow(kErrDoesntLike, c.row, list);
    return list;
  }
  Node* head = nullptr;
  Node* tail = nullptr;
  auto append = [&](Node* e) {
    Node* cell = in.Cons(e, nullptr);
    if (!cell) return false;
    if (tail) {
      tail->link = cell;
    } else {
      head = cell;
    }
    tail = cell;
    return true;
  };
  if (!Interpreter::IsEmptyList(list))
    for (Node* p = list; p; p = p->link)
      if (!append(p->elem)) return nullptr;
  if (!append(thing)) return nullptr;
  return head;
}

// Builds a list from gathered values; `spread` splices list inputs (SENTENCE).
Node* BuildList(Interpreter& in, const std::vector<Node*>& v, bool spread) {
  Node* head = nullptr;
  Node* tail = nullptr;
  auto append = [&](Node* e) {
    Node* cell = in.Cons(e, nullptr);
    if (!cell) return false;
    if (tail) {
      tail->link = cell;
    } else {
      head = cell;
    }
    tail = cell;
    return true;
  };
  for (Node* x : v) {
    if (!spread) {
      if (!append(x)) return nullptr;
    } else if (x && x->IsList()) {
      if (!Interpreter::IsEmptyList(x))
        for (Node* p = x; p; p = p->link)
          if (!append(p->elem)) return nullptr;
    } else if (x) {
      if (!append(x)) return nullptr;
    }
  }
  return head ? head : in.empty_list();
}

Node* List(Interpreter& in, PrimCall& c) {
  std::vector<Node*> v;
  if (!in.GatherInputs(c, 2, v)) return nullptr;
  return BuildList(in, v, false);
}

Node* Sentence(Interpreter& in, PrimCall& c) {
  std::vector<Node*> v;
  if (!in.GatherInputs(c, 2, v)) return nullptr;
  return BuildList(in, v, true);
}

Node* Word(Interpreter& in, PrimCall& c) {
  std::vector<Node*> v;
  if (!in.GatherInputs(c, 2, v)) return nullptr;
  std::string s;
  for (Node* x : v) {
    if (!x || x->IsList()) {
      in.ErrorRow(kErrDoesntLike, c.row, x);
      break;
    }
    s += Chars(x);
  }
  return s.empty() ? in.empty_word() : in.MakeWord(s);
}

Node* Item(Interpreter& in, PrimCall& c) {
  int32_t n = in.GetInteger(c.in[0], c.row);
  Node* v = c.in[1];
  if (in.Unwinding()) return nullptr;
  if (n < 1) {
    in.ErrorRow(kErrDoesntLike, c.row, in.input_pos[0]);
    return nullptr;
  }
  if (!v) {
    in.ErrorRow(kErrDoesntLike, c.row, in.input_pos[1]);
    return nullptr;
  }
  if (v->IsList()) {
    Node* p = Interpreter::IsEmptyList(v) ? nullptr : v;
    for (int32_t i = 1; p && i < n; ++i) p = p->link;
    if (!p) {
      in.Error(77, nullptr, in.input_pos[1]);
      return in.empty_list();
    }
    return p->elem;
  }
  std::string s = Chars(v);
  if (static_cast<size_t>(n) > s.size()) {
    in.ErrorRow(kErrDoesntLike, c.row, in.input_pos[1]);
    return nullptr;
  }
  return in.MakeWord(s.substr(static_cast<size_t>(n) - 1, 1));
}

}  // namespace

void RegisterWordPrimitives(PrimitiveTable& t) {
  t.Set("EQUALP", &EqualPPrim);
  t.Set("WORDP", &WordP);
  t.Set("LISTP", &ListP);
  t.Set("NUMBERP", &NumberP);
  t.Set("INTEGERP", &IntegerP);
  t.Set("FLOATP", &FloatP);
  t.Set("EMPTYP", &EmptyP);
  t.Set("FIRST", &First);
  t.Set("LAST", &Last);
  t.Set("BUTFIRST", &ButFirst);
  t.Set("BUTLAST", &ButLast);
  t.Set("COUNT", &Count);
  t.Set("FPUT", &Fput);
  t.Set("LPUT", &Lput);
  t.Set("LIST", &List);
  t.Set("SENTENCE", &Sentence);
  t.Set("WORD", &Word);
  t.Set("ITEM", &Item);
  RegisterWordEditPrimitives(t);
}

}  // namespace corvida::logo

// Variables and procedure definition: MAKE, NAME, LOCAL, THING, NAMEP, TO, DEFINEDP,
// PRIMITIVEP.
#include "logo/interp.h"
#include "logo/reader.h"

namespace corvida::logo {
namespace {

bool RequireWord(Interpreter& in, Node* v, int row) {
  if (IsWord(v)) return true;
  in.ErrorRow(v ? kErrDoesntLike : kErrNotEnoughInputs, row, v);
  return false;
}

Node* MakeVar(Interpreter& in, Node* name, Node* value, int row) {
  if (!RequireWord(in, name, row)) return nullptr;
  if (!value) {
    in.ErrorRow(kErrNotEnoughInputs, row);
    return nullptr;
  }
  in.SetVariable(name, value);
  return nullptr;
}

Node* Make(Interpreter& in, PrimCall& c) {
  return MakeVar(in, c.in[0], c.in[1], c.row);
}
Node* Name(Interpreter& in, PrimCall& c) {
  return MakeVar(in, c.in[1], c.in[0], c.row);
}

Node* Local(Interpreter& in, PrimCall& c) {
  if (!in.InProcedure()) {
    in.ErrorText(kErrOnlyInProcedure, "");
    return nullptr;
  }
  if (RequireWord(in, c.in[0], c.row)) in.AddLocal(c.in[0]);
  return nullptr;
}

int Skip(Node* name) {
  return FirstChar(name) == ':' ? 1 : 0;
}

Node* Thing(Interpreter& in, PrimCall& c) {
  Node* name = c.in[0];
  if (!RequireWord(in, name, c.row)) return nullptr;
  Node* b = in.FindVariable(name, Skip(name));
  if (!b) {
    in.Error(kErrUndefined, nullptr, name);
    return nullptr;
  }
  return b->link->elem;
}

Node* NameP(Interpreter& in, PrimCall& c) {
  Node* name = c.in[0];
  if (!RequireWord(in, name, c.row)) return nullptr;
  return in.Truth(in.FindVariable(name, Skip(name)) != nullptr);
}

Node* DefinedP(Interpreter& in, PrimCall& c) {
  if (!RequireWord(in, c.in[0], c.row)) return nullptr;
  return in.Truth(in.FindProc(c.in[0]) != nullptr);
}

Node* PrimitiveP(Interpreter& in, PrimCall& c) {
  if (!RequireWord(in, c.in[0], c.row)) return nullptr;
  return in.Truth(in.prims.FindWord(c.in[0]) >= 0);
}

// ERASE: a procedure name or a list of them; the normal store first, then the buried one.
Node* Erase(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (!v) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return nullptr;
  }
  Node* list = v->IsList() ? (Interpreter::IsEmptyList(v) ? nullptr : v) : nullptr;
  for (Node* p = list ? list : v; p; p = list ? p->link : nullptr) {
    Node* name = list ? p->elem : v;
    if (!IsWord(name) || !in.EraseProc(name)) {
      in.Error(kErrUndefined, nullptr, name);
      return nullptr;
    }
  }
  return nullptr;
}

bool IsEndLine(Node* list) {
  return IsList(list) && !list->link && IsWord(list->elem) && WordEqualsNoCase(list->elem, "END");
}

// A refused title line: its body lines up to END are read and dropped, so they do not
// run as instructions of their own.
Node* RefuseDefinition(Interpreter& in) {
  std::string line;
  while (in.ReadLine(line, '>')) {
    size_t mark = in.TempMark();
    Node* body = Tokenize(in, line);
    bool end = body && IsEndLine(body);
    in.ReleaseFresh(body);
    in.TempReset(mark);
    if (end) break;
  }
  return nullptr;
}

// TO name :input ... then body lines up to END, read from the running line source.
Node* To(Interpreter& in, PrimCall& c) {
  Node*& cur = c.cursor;
  if (!cur) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return RefuseDefinition(in);
  }
  Node* name = cur->elem;
  cur = cur->link;
  if (!IsWord(name) || FirstChar(name) == ':' || FirstChar(name) == '"') {
    in.ErrorRow(kErrDoesntLike, c.row, name);
    return RefuseDefinition(in);
  }
  if (in.prims.FindWord(name) >= 0) {
    in.Error(kErrIsPrimitive, nullptr, name);
    return RefuseDefinition(in);
  }
  Node* inputs_head = nullptr;
  Node* inputs_tail = nullptr;
  size_t mark = in.TempMark();
  for (; cur; cur = cur->link) {
    Node* t = cur->elem;
    if (!IsWord(t) || FirstChar(t) != ':') {
      in.ErrorRow(kErrDoesntLike, c.row, t);
      in.TempReset(mark);
      return RefuseDefinition(in);
    }
    std::string s = WordChars(t);
    Node* word = in.MakeWord(std::string_view(s).substr(1));
    Node* cell = word ? in.Cons(word, nullptr) : nullptr;
    if (!cell) return nullptr;
    if (inputs_tail) {
      inputs_tail->link = cell;
    } else {
      inputs_head = cell;
      in.Protect(cell);
    }
    inputs_tail = cell;
  }
  Node* record = in.Cons(name, in.Cons(inputs_head, nullptr));
  if (!record || !record->link) return nullptr;
  in.Protect(record);
  Node* tail = record->link;
  std::string line;
  for (;;) {
    if (!in.ReadLine(line, '>')) {
      in.ErrorText(kErrToWithoutEnd, "");
      in.ReleaseFresh(record);
      in.TempReset(mark);
      return nullptr;
    }
    Node* body = Tokenize(in, line);
    if (!body) break;
    if (IsEndLine(body)) break;
    Node* cell = in.Cons(body, nullptr);
    if (!cell) break;
    tail->link = cell;
    tail = cell;
  }
  if (!in.error_flag) in.AddProc(record, true);
  in.ReleaseFresh(record);
  in.TempReset(mark);
  return nullptr;
}

}  // namespace

void RegisterNamePrimitives(PrimitiveTable& t) {
  t.Set("MAKE", &Make);
  t.Set("NAME", &Name);
  t.Set("LOCAL", &Local);
  t.Set("THING", &Thing);
  t.Set("NAMEP", &NameP);
  t.Set("DEFINEDP", &DefinedP);
  t.Set("PRIMITIVEP", &PrimitiveP);
  t.Set("TO", &To);
  t.Set("ERASE", &Erase);
  RegisterPlistPrimitives(t);
  RegisterBuryPrimitives(t);
}

}  // namespace corvida::logo

// Procedures as values: DEFINE makes one from a list, TEXT gives its definition back,
// COPYDEF gives a second name to a definition.
#include "logo/interp.h"

namespace corvida::logo {
namespace {

// A procedure name as TO takes it: a word beginning neither with ':' nor with '"' (41)
// that no primitive has (6).
bool CheckProcName(Interpreter& in, Node* name, int row) {
  if (!name) {
    in.ErrorRow(kErrNotEnoughInputs, row);
    return false;
  }
  if (!name->IsWord() || FirstChar(name) == ':' || FirstChar(name) == '"' ||
      FirstChar(name) == '\0') {
    in.ErrorRow(kErrDoesntLike, row, name);
    return false;
  }
  if (in.prims.FindWord(name) >= 0) {
    in.Error(kErrIsPrimitive, nullptr, name);
    return false;
  }
  return true;
}

// DEFINE name [[inputs] [line1] ...]: the list becomes the definition as it is (shared).
Node* Define(Interpreter& in, PrimCall& c) {
  Node* name = c.in[0];
  Node* def = c.in[1];
  if (!CheckProcName(in, name, c.row)) return nullptr;
  if (!def) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return nullptr;
  }
  if (!def->IsList()) {
    in.ErrorRow(kErrDoesntLike, c.row, def);
    return nullptr;
  }
  bool empty = Interpreter::IsEmptyList(def);
  for (Node* p = empty ? nullptr : def; p; p = p->link) {
    if (!IsList(p->elem)) {
      in.ErrorRow(kErrDoesntLike, c.row, p->elem ? p->elem : in.empty_list());
      return nullptr;
    }
  }
  // Input names are words: a list among them could never be bound.
  Node* inputs = empty ? nullptr : def->elem;
  for (Node* p = Interpreter::IsEmptyList(inputs) ? nullptr : inputs; p; p = p->link) {
    if (!IsWord(p->elem)) {
      in.ErrorRow(kErrDoesntLike, c.row, p->elem ? p->elem : in.empty_list());
      return nullptr;
    }
  }
  // The empty definition is the shared empty-list constant: it gets a cell of its own.
  Node* tail = empty ? in.Cons(nullptr, nullptr) : def;
  if (!tail) return nullptr;
  if (!empty && def->elem == in.empty_list()) def->elem = nullptr;
  Node* record = in.Cons(name, tail);
  if (!record) return nullptr;
  in.Protect(record);
  in.AddProc(record, true);
  in.ReleaseFresh(record);
  return nullptr;
}

Node* Text(Interpreter& in, PrimCall& c) {
  Node* name = c.in[0];
  if (!IsWord(name)) {
    in.ErrorRow(name ? kErrDoesntLike : kErrNotEnoughInputs, c.row, name);
    return nullptr;
  }
  Node* record = in.FindProc(name);
  if (!record) {
    in.Error(kErrUndefined, nullptr, name);
    return nullptr;
  }
  return record->link;
}

// The chain cell holding the record of `name` in the normal, then the buried store.
Node* FindProcCell(Interpreter& in, Node* name) {
  int bucket = Interpreter::NameBucket(name);
  for (Node* chain : {in.procs[bucket], in.buried_procs[bucket]}) {
    for (Node* cell = chain; cell; cell = cell->link)
      if (cell->elem && CompareWordsNoCase(name, cell->elem->elem) == 0) return cell;
  }
  return nullptr;
}

Node* Copydef(Interpreter& in, PrimCall& c) {
  Node* source = c.in[0];
  Node* dest = c.in[1];
  if (!IsWord(source)) {
    in.ErrorRow(source ? kErrDoesntLike : kErrNotEnoughInputs, c.row, source);
    return nullptr;
  }
  Node* from = in.FindProc(source);
  if (!from) {
    in.Error(kErrUndefined, nullptr, source);
    return nullptr;
  }
  if (!CheckProcName(in, dest, c.row)) return nullptr;
  Node* cell = FindProcCell(in, dest);
  // A new record even when the destination exists: a running copy of the old one keeps
  // its lines.
  Node* record = in.Cons(cell ? cell->elem->elem : dest, from->link);
  if (!record) return nullptr;
  if (cell) {
    cell->elem = record;
  } else {
    in.Protect(record);
    in.AddProc(record, false);
  }
  in.ReleaseFresh(record);
  return nullptr;
}

}  // namespace

void RegisterProcPrimitives(PrimitiveTable& t) {
  t.Set("DEFINE", &Define);
  t.Set("TEXT", &Text);
  t.Set("COPYDEF", &Copydef);
}

}  // namespace corvida::logo

// Burying: BURYNAME, UNBURYNAME, BURY, UNBURY, BURYALL and UNBURYALL move entries between
// the normal stores and the buried ones, which listing and erasing leave alone.
#include "logo/interp.h"

namespace corvida::logo {
namespace {

// Moves the cell named `name` from one bucket chain to the front of the other. False when
// neither chain holds it.
bool MoveNamed(Node*& from, Node*& to, Node* name) {
  Node* prev = nullptr;
  for (Node* cell = from; cell; prev = cell, cell = cell->link) {
    if (CompareWordsNoCase(cell->elem->elem, name) != 0) continue;
    (prev ? prev->link : from) = cell->link;
    cell->link = to;
    to = cell;
    return true;
  }
  for (Node* cell = to; cell; cell = cell->link)
    if (CompareWordsNoCase(cell->elem->elem, name) == 0) return true;  // already there
  return false;
}

// Applies `act` to a name or to every name of a list; a name it does not find is an
// error that stops the rest.
template <class Act>
Node* EachNamedInput(Interpreter& in, PrimCall& c, Act act) {
  Node* v = c.in[0];
  if (!v) {
    in.ErrorRow(kErrDoesntLike, c.row, in.empty_list());
    return nullptr;
  }
  if (Interpreter::IsEmptyList(v)) return nullptr;
  Node single{};
  single.flags = NF_LIST;
  single.elem = v;
  for (Node* p = v->IsList() ? v : &single; p; p = p->link) {
    Node* name = p->elem;
    if (!IsWord(name)) {
      in.ErrorRow(kErrDoesntLike, c.row, name ? name : in.empty_list());
      return nullptr;
    }
    if (!act(name, Interpreter::NameBucket(name))) {
      in.Error(kErrUndefined, nullptr, name);
      return nullptr;
    }
  }
  return nullptr;
}

// Applies the move to a name or to every name of a list.
Node* MoveEach(Interpreter& in, PrimCall& c, Node** from, Node** to) {
  return EachNamedInput(
      in, c, [&](Node* name, int bucket) { return MoveNamed(from[bucket], to[bucket], name); });
}

// Moves global names, keeping the stores' indexes in step.
Node* MoveNames(Interpreter& in, PrimCall& c, bool bury) {
  Node** from = bury ? in.names : in.buried_names;
  Node** to = bury ? in.buried_names : in.names;
  NameIndex& from_index = bury ? in.name_index : in.buried_name_index;
  NameIndex& to_index = bury ? in.buried_name_index : in.name_index;
  return EachNamedInput(in, c, [&](Node* name, int bucket) {
    Node* entry = from_index.Find(name);
    if (!MoveNamed(from[bucket], to[bucket], name)) return false;
    if (entry) {
      from_index.Remove(name);
      to_index.Add(entry);
    }
    return true;
  });
}

Node* BuryName(Interpreter& in, PrimCall& c) {
  return MoveNames(in, c, true);
}
Node* UnburyName(Interpreter& in, PrimCall& c) {
  return MoveNames(in, c, false);
}
Node* Bury(Interpreter& in, PrimCall& c) {
  return MoveEach(in, c, in.procs, in.buried_procs);
}
Node* Unbury(Interpreter& in, PrimCall& c) {
  return MoveEach(in, c, in.buried_procs, in.procs);
}

// Puts the whole chain `from` in front of `to`.
void MoveChain(Node*& from, Node*& to) {
  if (!from) return;
  Node* last = from;
  while (last->link) last = last->link;
  last->link = to;
  to = from;
  from = nullptr;
}

void MoveAll(Interpreter& in, bool bury) {
  for (int b = 0; b < 7; ++b) {
    MoveChain(bury ? in.names[b] : in.buried_names[b], bury ? in.buried_names[b] : in.names[b]);
    MoveChain(bury ? in.procs[b] : in.buried_procs[b], bury ? in.buried_procs[b] : in.procs[b]);
  }
  MoveChain(bury ? in.plists : in.buried_plists, bury ? in.buried_plists : in.plists);
  if (bury) {
    in.buried_name_index.TakeAll(in.name_index);
    in.buried_plist_index.TakeAll(in.plist_index);
  } else {
    in.name_index.TakeAll(in.buried_name_index);
    in.plist_index.TakeAll(in.buried_plist_index);
  }
}

Node* BuryAll(Interpreter& in, PrimCall&) {
  MoveAll(in, true);
  return nullptr;
}
Node* UnburyAll(Interpreter& in, PrimCall&) {
  MoveAll(in, false);
  return nullptr;
}

// Erasing names: ERN removes a global binding, normal store first; ERNS, ERPS and ERALL
// empty the normal stores and leave the buried ones alone.
bool UnlinkNamed(Node*& chain, Node* name) {
  Node* prev = nullptr;
  for (Node* cell = chain; cell; prev = cell, cell = cell->link) {
    if (CompareWordsNoCase(cell->elem->elem, name) != 0) continue;
    (prev ? prev->link : chain) = cell->link;
    return true;
  }
  return false;
}

Node* Ern(Interpreter& in, PrimCall& c) {
  return EachNamedInput(in, c, [&](Node* name, int b) {
    if (UnlinkNamed(in.names[b], name)) {
      in.name_index.Remove(name);
      return true;
    }
    if (!UnlinkNamed(in.buried_names[b], name)) return false;
    in.buried_name_index.Remove(name);
    return true;
  });
}

Node* Erns(Interpreter& in, PrimCall&) {
  for (Node*& chain : in.names) chain = nullptr;
  in.name_index.Clear();
  return nullptr;
}

bool OutsideProcedure(Interpreter& in, PrimCall& c) {
  if (!in.InProcedure()) return true;
  in.ErrorRow(kErrNotInProcedure, c.row);
  return false;
}

Node* Erps(Interpreter& in, PrimCall& c) {
  if (OutsideProcedure(in, c))
    for (Node*& chain : in.procs) chain = nullptr;
  return nullptr;
}

Node* Erall(Interpreter& in, PrimCall& c) {
  if (!OutsideProcedure(in, c)) return nullptr;
  for (int b = 0; b < 7; ++b) in.names[b] = in.procs[b] = nullptr;
  in.plists = nullptr;
  in.name_index.Clear();
  in.plist_index.Clear();
  return nullptr;
}

}  // namespace

void RegisterBuryPrimitives(PrimitiveTable& t) {
  t.Set("BURYNAME", &BuryName);
  t.Set("UNBURYNAME", &UnburyName);
  t.Set("BURY", &Bury);
  t.Set("UNBURY", &Unbury);
  t.Set("BURYALL", &BuryAll);
  t.Set("UNBURYALL", &UnburyAll);
  t.Set("ERN", &Ern);
  t.Set("ERNS", &Erns);
  t.Set("ERPS", &Erps);
  t.Set("ERALL", &Erall);
}

}  // namespace corvida::logo

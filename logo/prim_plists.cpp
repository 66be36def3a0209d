// Property lists: PPROP, GPROP, REMPROP, PLIST, SETPLIST, ERPROPS, BURYPLIST and
// UNBURYPLIST (PPS lists them with the other listings). Each store is a chain of cells whose
// elements are records [name plist], newest first; a plist is a flat list prop1 value1 prop2 value2
// ...
#include <string>
#include <vector>

#include "logo/interp.h"

namespace corvida::logo {
namespace {

constexpr int kErrOddPlist = 61;

bool SameName(Node* a, Node* b) {
  return CompareWordsNoCase(a, b) == 0;
}

// The chain cell whose record is named `name`, or null; `prev` receives its predecessor.
Node* FindCell(Node* chain, Node* name, Node** prev) {
  *prev = nullptr;
  for (Node* cell = chain; cell; *prev = cell, cell = cell->link)
    if (SameName(cell->elem->elem, name)) return cell;
  return nullptr;
}

// The record of a name, normal store first, or null.
Node* FindRecord(Interpreter& in, Node* name) {
  if (Node* record = in.plist_index.Find(name)) return record;
  return in.buried_plist_index.Find(name);
}

Node* RecordList(Node* record) {
  return record->link->elem;
}

// Puts a new record [name list] in front of the normal chain.
bool AddRecord(Interpreter& in, Node* name, Node* list) {
  Node* rest = in.Cons(list, nullptr);
  Node* record = rest ? in.Cons(name, rest) : nullptr;
  Node* cell = record ? in.Cons(record, in.plists) : nullptr;
  if (!cell) return false;
  in.plists = cell;
  in.plist_index.Add(record);
  in.ReleaseFresh(cell);
  return true;
}

bool RequireWords(Interpreter& in, PrimCall& c, int count) {
  for (int i = 0; i < count; ++i) {
    if (!IsWord(c.in[i])) {
      in.ErrorRow(kErrDoesntLike, c.row, c.in[i] ? c.in[i] : in.empty_list());
      return false;
    }
  }
  return true;
}

Node* Pprop(Interpreter& in, PrimCall& c) {
  if (!RequireWords(in, c, 2)) return nullptr;
  Node *name = c.in[0], *prop = c.in[1], *value = c.in[2];
  if (!value) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return nullptr;
  }
  Node* record = FindRecord(in, name);
  if (!record) {
    Node* value_cell = in.Cons(value, nullptr);
    Node* pair = value_cell ? in.Cons(prop, value_cell) : nullptr;
    if (pair && AddRecord(in, name, pair)) in.ReleaseFresh(pair);
    return nullptr;
  }
  Node* list = RecordList(record);
  Node* last = nullptr;
  if (!Interpreter::IsEmptyList(list)) {
    for (Node* p = list; p && p->link; p = p->link->link) {
      if (IsWord(p->elem) && SameName(p->elem, prop)) {
        p->link->elem = value;
        return nullptr;
      }
      last = p->link;
    }
  }
  Node* value_cell = in.Cons(value, nullptr);
  Node* pair = value_cell ? in.Cons(prop, value_cell) : nullptr;
  if (!pair) return nullptr;
  if (last) {
    last->link = pair;
  } else {
    record->link->elem = pair;
  }
  in.ReleaseFresh(pair);
  return nullptr;
}

Node* Gprop(Interpreter& in, PrimCall& c) {
  if (!RequireWords(in, c, 2)) return nullptr;
  Node* record = FindRecord(in, c.in[0]);
  if (!record) return in.empty_list();
  Node* list = RecordList(record);
  if (Interpreter::IsEmptyList(list)) return in.empty_list();
  for (Node* p = list; p && p->link; p = p->link->link)
    if (IsWord(p->elem) && SameName(p->elem, c.in[1])) return p->link->elem;
  return in.empty_list();
}

Node* Remprop(Interpreter& in, PrimCall& c) {
  if (!RequireWords(in, c, 2)) return nullptr;
  Node *name = c.in[0], *prop = c.in[1];
  Node* chains[2] = {in.plists, in.buried_plists};
  for (int k = 0; k < 2; ++k) {
    Node* prev_cell;
    Node* cell = FindCell(chains[k], name, &prev_cell);
    if (!cell) continue;
    Node* record = cell->elem;
    Node* list = RecordList(record);
    Node* before = nullptr;  // value cell of the pair before
    for (Node* p = Interpreter::IsEmptyList(list) ? nullptr : list; p && p->link;
         before = p->link, p = p->link->link) {
      if (!IsWord(p->elem) || !SameName(p->elem, prop)) continue;
      Node* after = p->link->link;
      if (before) {
        before->link = after;
      } else if (after) {
        record->link->elem = after;
      } else {  // the last pair: the record goes
        Node*& head = k == 0 ? in.plists : in.buried_plists;
        if (prev_cell) {
          prev_cell->link = cell->link;
        } else {
          head = cell->link;
        }
        (k == 0 ? in.plist_index : in.buried_plist_index).Remove(name);
      }
      return nullptr;
    }
    in.Error(kErrUndefined, nullptr, prop);
    return nullptr;
  }
  in.Error(kErrUndefined, nullptr, name);
  return nullptr;
}

Node* Plist(Interpreter& in, PrimCall& c) {
  if (!RequireWords(in, c, 1)) return nullptr;
  Node* record = FindRecord(in, c.in[0]);
  return record ? RecordList(record) : in.empty_list();
}

Node* Setplist(Interpreter& in, PrimCall& c) {
  if (!RequireWords(in, c, 1)) return nullptr;
  Node *name = c.in[0], *list = c.in[1];
  if (!IsList(list)) {
    in.ErrorRow(kErrDoesntLike, c.row, list ? list : in.empty_list());
    return nullptr;
  }
  if (!Interpreter::IsEmptyList(list)) {
    size_t n = 0;
    for (Node* p = list; p; p = p->link, ++n) {
      if (n % 2 == 0 && !IsWord(p->elem)) {
        in.ErrorRow(kErrDoesntLike, c.row, p->elem ? p->elem : list);
        return nullptr;
      }
    }
    if (n % 2 != 0) {
      in.ErrorRow(kErrOddPlist, c.row, list);
      return nullptr;
    }
  }
  Node* record = in.plist_index.Find(name);
  Node* buried = record ? nullptr : in.buried_plist_index.Find(name);
  if (buried && in.workspace_loading) return nullptr;
  if (!record) record = buried;
  if (record) {
    record->link->elem = list;
  } else {
    AddRecord(in, name, list);
  }
  return nullptr;
}

Node* Erprops(Interpreter& in, PrimCall&) {
  in.plists = nullptr;
  in.plist_index.Clear();
  return nullptr;
}

// Moves the named records (a name or a list of names) from one chain to the other.
Node* MovePlists(Interpreter& in, PrimCall& c, Node*& from, Node*& to, NameIndex& from_index,
                 NameIndex& to_index) {
  Node* v = c.in[0];
  if (!v) {
    in.ErrorRow(kErrDoesntLike, c.row, in.empty_list());
    return nullptr;
  }
  Node single{};
  single.flags = NF_LIST;
  single.elem = v;
  Node* names = v->IsList() ? v : &single;
  if (Interpreter::IsEmptyList(names)) return nullptr;
  for (Node* p = names; p; p = p->link) {
    Node* prev;
    Node* cell = IsWord(p->elem) ? FindCell(from, p->elem, &prev) : nullptr;
    if (!cell) {
      if (IsWord(p->elem) && FindCell(to, p->elem, &prev)) continue;
      in.Error(kErrUndefined, nullptr, p->elem);
      return nullptr;
    }
    if (prev) {
      prev->link = cell->link;
    } else {
      from = cell->link;
    }
    cell->link = to;
    to = cell;
    from_index.Remove(p->elem);
    to_index.Add(cell->elem);
  }
  return nullptr;
}

Node* BuryPlist(Interpreter& in, PrimCall& c) {
  return MovePlists(in, c, in.plists, in.buried_plists, in.plist_index, in.buried_plist_index);
}
Node* UnburyPlist(Interpreter& in, PrimCall& c) {
  return MovePlists(in, c, in.buried_plists, in.plists, in.buried_plist_index, in.plist_index);
}

}  // namespace

void RegisterPlistPrimitives(PrimitiveTable& t) {
  t.Set("PPROP", &Pprop);
  t.Set("GPROP", &Gprop);
  t.Set("REMPROP", &Remprop);
  t.Set("PLIST", &Plist);
  t.Set("SETPLIST", &Setplist);
  t.Set("ERPROPS", &Erprops);
  t.Set("BURYPLIST", &BuryPlist);
  t.Set("UNBURYPLIST", &UnburyPlist);
}

}  // namespace corvida::logo

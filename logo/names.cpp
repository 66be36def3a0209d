// The stores of variables and procedures: 7-bucket tables of node chains (newest first),
// a normal and a buried one each, and the locals of the running procedure's frame.
// Global names are found through their stores' indexes (logo/name_index.h).
#include "logo/interp.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

// A binding is two cells [name value]; a chain cell's element is a binding or a record.
inline Node* NameOf(Node* binding_or_record) {
  return binding_or_record->elem;
}

bool SameName(Node* stored, Node* name, int skip) {
  if (skip == 0 && stored == name) return true;
  // Most names differ in their first character: told apart in their first chunks, without
  // walking either word.
  if (stored->IsWord() && name->IsWord() && !stored->IsSpan() && !name->IsSpan() && skip < 4) {
    char a = name->text[skip], b = stored->text[0];
    if (a != '\0' && b != '\0' && UpperChar(a) != UpperChar(b)) return false;
  }
  return CompareWordsNoCase(name, stored, skip) == 0;
}

Node* FindInChain(Node* chain, Node* name, int skip) {
  for (Node* c = chain; c; c = c->link) {
    if (c->elem && SameName(NameOf(c->elem), name, skip)) return c->elem;
  }
  return nullptr;
}

// Unlinks the entry named `name` from a chain; true when found.
bool UnlinkFromChain(Node*& chain, Node* name) {
  for (Node** link = &chain; *link; link = &(*link)->link) {
    Node* c = *link;
    if (c->elem && SameName(NameOf(c->elem), name, 0)) {
      *link = c->link;
      return true;
    }
  }
  return false;
}

}  // namespace

int Interpreter::NameBucket(const Node* name, int skip) {
  uint16_t h = 1;
  CharCursor c(name);
  for (int i = 0; i < skip; ++i) c.Next();
  for (char ch = c.Next(); ch != '\0'; ch = c.Next()) {
    auto up = static_cast<int8_t>(UpperChar(ch));
    // Multiplied as unsigned 32-bit and cut to 16 bits: the same as 16-bit wrap-around.
    uint32_t factor = static_cast<uint16_t>(static_cast<int16_t>(up));
    h = static_cast<uint16_t>(uint32_t{h} * factor);
    if (h == 0x8000) h = 0x8001;
  }
  int v = static_cast<int16_t>(h);
  return (v < 0 ? -v : v) % 7;
}

Node* Interpreter::FindLocal(Node* name, int skip) {
  if (cur_frame < 0) return nullptr;
  return FindInChain(frames[cur_frame].locals, name, skip);
}

Node* Interpreter::FindGlobal(Node* name, int skip, bool buried) {
  return (buried ? buried_name_index : name_index).Find(name, skip);
}

Node* Interpreter::FindVariable(Node* name, int skip) {
  if (!IsWord(name)) return nullptr;
  if (Node* b = FindLocal(name, skip)) return b;
  if (Node* b = name_index.Find(name, skip)) return b;
  return buried_name_index.Find(name, skip);
}

void Interpreter::SetVariable(Node* name, Node* value) {
  ReleaseFresh(value);
  Node* b = FindLocal(name, 0);
  if (!b) b = name_index.Find(name);
  if (!b) {
    Node* buried = buried_name_index.Find(name);
    if (buried && workspace_loading) return;
    b = buried;
  }
  if (b) {
    b->link->elem = value;
    return;
  }
  int bucket = NameBucket(name);
  Node* value_cell = Cons(value, nullptr);
  Node* binding = value_cell ? Cons(name, value_cell) : nullptr;
  Node* chain = binding ? Cons(binding, names[bucket]) : nullptr;
  if (!chain) return;
  names[bucket] = chain;
  name_index.Add(binding);
  ReleaseFresh(chain);
}

Node* Interpreter::AddLocal(Node* name) {
  if (cur_frame < 0) return nullptr;
  if (Node* b = FindInChain(frames[cur_frame].locals, name, 0)) return b;
  Node* value_cell = Cons(nullptr, nullptr);
  Node* binding = value_cell ? Cons(name, value_cell) : nullptr;
  Node* chain = binding ? Cons(binding, frames[cur_frame].locals) : nullptr;
  if (!chain) return nullptr;
  frames[cur_frame].locals = chain;
  ReleaseFresh(chain);
  return binding;
}

Node* Interpreter::FindProc(Node* name, Node* token_cell) {
  if (!IsWord(name)) return nullptr;
  // Stored procedure names remember their bucket, so a token replaced by one finds its
  // record without hashing.
  int bucket = name->spare ? name->spare - 1 : NameBucket(name);
  for (Node* table : {procs[bucket], buried_procs[bucket]}) {
    if (Node* rec = FindInChain(table, name, 0)) {
      if (token_cell && token_cell->elem != rec->elem) token_cell->elem = rec->elem;
      return rec;
    }
  }
  return nullptr;
}

void Interpreter::AddProc(Node* record, bool erase_same) {
  Node* name = record->elem;
  Node* scope = proc_scopes_.empty() ? nullptr : proc_scopes_.back();
  if (erase_same) {
    Node* existing = FindProc(name);
    bool shadow = false;
    if (existing && scope) {
      shadow = true;
      for (Node* c = scope->elem; c; c = c->link)
        if (c->elem == existing) shadow = false;
    }
    if (!shadow) EraseProc(name);
  }
  int bucket = NameBucket(name);
  name->spare = static_cast<uint8_t>(bucket + 1);
  Node* chain = Cons(record, procs[bucket]);
  if (!chain) return;
  procs[bucket] = chain;
  ReleaseFresh(chain);
  if (scope) {
    Node* cell = Cons(record, scope->elem);
    if (!cell) return;
    scope->elem = cell;
    ReleaseFresh(cell);
  }
}

void Interpreter::BeginProcScope() {
  Node* head = Cons(nullptr, nullptr);
  if (!head) return;
  Protect(head);
  ReleaseFresh(head);
  proc_scopes_.push_back(head);
}

void Interpreter::EndProcScope() {
  if (proc_scopes_.empty()) return;
  Node* scope = proc_scopes_.back();
  proc_scopes_.pop_back();
  // Unlinks each record from whichever store holds it now (it may have been buried).
  for (Node* c = scope->elem; c; c = c->link) {
    int bucket = NameBucket(c->elem->elem);
    for (Node** chain : {&procs[bucket], &buried_procs[bucket]}) {
      for (Node** link = chain; *link; link = &(*link)->link) {
        if ((*link)->elem == c->elem) {
          *link = (*link)->link;
          break;
        }
      }
    }
  }
}

bool Interpreter::EraseProc(Node* name) {
  int bucket = NameBucket(name);
  return UnlinkFromChain(procs[bucket], name) || UnlinkFromChain(buried_procs[bucket], name);
}

}  // namespace corvida::logo

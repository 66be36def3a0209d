// Word and list primitives: equality, predicates, taking values apart and building them.
#include <algorithm>
#include <cstring>
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
  return v && v->IsWord() && FirstChar(v) == '\0';
}

Node* EmptyP(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  return in.Truth(Interpreter::IsEmptyList(v) || IsEmptyWord(v));
}

// Builds a new short word four characters to a chunk; it may end in an existing word's
// chunks, which are shared rather than copied.
class WordBuilder {
 public:
  explicit WordBuilder(Interpreter& in) : in_(in) {}

  void Add(char c) {
    if (failed_) return;
    if (fill_ == 4) {
      char four[4] = {c, 0, 0, 0};
      AddChunk(four);
      fill_ = 1;
      return;
    }
    last_->text[fill_++] = c;
  }
  void AddChars(Node* v) {
    if (v->IsNumber()) {
      for (char c : NumberText(v)) Add(c);
      return;
    }
    for (const Node* w = v; w && !failed_; w = CharCursor::NextChunk(w)) {
      size_t count = ChunkLength(w);
      const char* chars = ChunkChars(w);
      if (fill_ == 4 && count == 4 && !w->IsSpan()) {
        AddChunk(chars);  // whole chunks copy at once while the builder is aligned
      } else {
        for (size_t i = 0; i < count; ++i) Add(chars[i]);
      }
    }
  }
  void AddChunk(const char* four) {
    Node* chunk = in_.NewChunk(four, 4, nullptr);
    if (!chunk) {
      Abandon();
      return;
    }
    (last_ ? last_->link : first_) = chunk;
    last_ = chunk;
  }
  // The word built, followed by `rest` (a word with characters, or null); null when memory
  // ran out.
  Node* Finish(Node* rest) {
    if (failed_) return nullptr;
    if (!first_) return rest ? rest : in_.empty_word();
    last_->link = rest;
    return first_;
  }

 private:
  // Chunks already built go back to the pool at the next collection.
  void Abandon() {
    for (Node* c = first_; c; c = c->link) c->flags = 0;
    failed_ = true;
  }

  Interpreter& in_;
  Node* first_ = nullptr;
  Node* last_ = nullptr;
  int fill_ = 4;
  bool failed_ = false;
};

bool HasChars(Node* v) {
  return v->IsNumber() || (v->IsWord() && FirstChar(v) != '\0');
}

// Reports an input with nothing to take apart; the error names `canonical` when given (so
// BF reports as BUTFIRST), else the row called. The name is looked up only on error.
bool EmptyInput(Interpreter& in, Node* v, int called_row, const char* canonical = nullptr) {
  if (v && (v->IsList() ? !Interpreter::IsEmptyList(v) : HasChars(v))) return false;
  int row = canonical ? in.prims.Find(canonical) : called_row;
  if (!v) {
    in.ErrorRow(kErrDoesntLike, row, in.input_pos[0] ? in.input_pos[0] : in.empty_list());
    return true;
  }
  if (Interpreter::IsEmptyList(v) || (!v->IsList() && !HasChars(v))) {
    in.ErrorRow(kErrDoesntLike, row, v);
    return true;
  }
  return false;
}

// The one-character word of a word's character at `index` (0-based, within the word).
// Chunks are stepped over whole, so a character of a span costs no more than its first.
Node* CharAt(Interpreter& in, Node* word, size_t index) {
  if (word->IsNumber()) return in.MakeWord(NumberText(word).substr(index, 1));
  const Node* w = word;
  while (w && index >= ChunkLength(w)) {
    index -= ChunkLength(w);
    w = CharCursor::NextChunk(w);
  }
  char ch = w ? ChunkChars(w)[index] : '\0';
  return in.NewChunk(&ch, 1, nullptr);
}

size_t CharCount(Node* v) {
  return v->IsNumber() ? NumberText(v).size() : WordLength(v);
}

Node* First(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (EmptyInput(in, v, c.row, "FIRST")) return v && v->IsList() ? v->elem : v;
  if (v->IsList()) return v->elem;
  return CharAt(in, v, 0);
}

Node* Last(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (EmptyInput(in, v, c.row)) return v && v->IsList() ? v->elem : v;
  if (v->IsList()) {
    while (v->link) v = v->link;
    return v->elem;
  }
  if (v->IsNumber()) return CharAt(in, v, CharCount(v) - 1);
  const Node* w = v;
  while (const Node* next = CharCursor::NextChunk(w)) w = next;
  return in.NewChunk(ChunkChars(w) + ChunkLength(w) - 1, 1, nullptr);
}

// The characters of a span from `skip` on, `length` of them: a span of the same buffer
// when long, else a chunk of their own.
Node* PartOfSpan(Interpreter& in, Node* span, size_t skip, size_t length) {
  if (length > kMaxChunkWord) return in.NewSpan(span->buffer, span->span.start + skip, length);
  return in.MakeWord(std::string_view(span->SpanChars() + skip, length));
}

// A word's characters after its first: the head chunk's other characters in a new chunk,
// the rest of the word shared; a span's other characters are the same buffer's.
Node* ButFirst(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (EmptyInput(in, v, c.row, "BUTFIRST")) return v && v->IsList() ? v->link : v;
  if (v->IsList()) return v->link ? v->link : in.empty_list();
  if (v->IsNumber()) return in.MakeWord(NumberText(v).substr(1));
  if (v->IsSpan()) return PartOfSpan(in, v, 1, v->span.length - 1);
  Node* rest = const_cast<Node*>(CharCursor::NextChunk(v));
  int head = static_cast<int>(ChunkLength(v));
  if (head > 1) return in.NewChunk(v->text + 1, head - 1, rest);
  return rest ? rest : in.empty_word();
}

Node* ButLast(Interpreter& in, PrimCall& c) {
  Node* v = c.in[0];
  if (EmptyInput(in, v, c.row, "BUTLAST")) return v && v->IsList() ? v->link : v;
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
  if (v->IsSpan()) return PartOfSpan(in, v, 0, v->span.length - 1);
  if (v->IsNumber()) {
    std::string text = NumberText(v);
    return in.MakeWord(text.substr(0, text.size() - 1));
  }
  // A long word of chunks is copied once into a buffer; taking more off its end then
  // shares that buffer.
  std::string chars = WordChars(v);
  chars.pop_back();
  return in.WordOfChars(chars);
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
  return in.NewInt(static_cast<int32_t>(CharCount(v)));
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

// How WORD joins: words longer than this in front of the last input are copied into a
// buffer rather than put in front of it in chunks.
constexpr size_t kMaxSharedPrefix = 8;

// Appends the characters of `v` (a word or number) to a buffer's used end, which has
// room for them.
void AppendToBuffer(WordBuffer* buffer, Node* v) {
  if (v->IsNumber()) {
    std::string text = NumberText(v);
    std::memcpy(buffer->chars() + buffer->used, text.data(), text.size());
    buffer->used += static_cast<uint32_t>(text.size());
    return;
  }
  for (const Node* w = v; w; w = CharCursor::NextChunk(w)) {
    size_t count = ChunkLength(w);
    std::memcpy(buffer->chars() + buffer->used, ChunkChars(w), count);
    buffer->used += static_cast<uint32_t>(count);
  }
}

// True when `span` ends where its buffer's characters end, with room for `more`.
bool CanGrowInPlace(const Node* span, size_t more) {
  const WordBuffer* b = span->buffer;
  return span->span.start + span->span.length == b->used && more <= b->capacity - b->used;
}

// The words joined into a buffer with spare room, so the next join at its end is cheap.
Node* JoinIntoBuffer(Interpreter& in, Node* const* words, size_t count, size_t total) {
  std::string chars;
  chars.reserve(total);
  for (size_t i = 0; i < count; ++i) {
    Node* w = words[i];
    if (w->IsNumber()) {
      chars += NumberText(w);
    } else {
      AppendWordChars(w, chars);
    }
  }
  return in.NewBufferWord(chars, std::max<size_t>(2 * total, 32));
}

// The inputs' characters joined. A long word first grows in place when nothing else
// was joined to its end yet; a short front is put in chunks before the last word, which
// is shared; anything else long is copied into a new buffer with room to grow.
Node* JoinWords(Interpreter& in, int row, Node* const* v, size_t count) {
  // After a bad input the word of the inputs before it is made, none shared or grown.
  bool bad = false;
  for (size_t i = 0; i < count; ++i) {
    if (!v[i] || v[i]->IsList()) {
      in.ErrorRow(kErrDoesntLike, row, v[i]);
      count = i;
      bad = true;
      break;
    }
  }
  // The last input's length is counted only when needed: words built from the front
  // share it, and it may be a long chain of chunks.
  size_t front_chars = 0;
  for (size_t i = 0; i + 1 < count; ++i) front_chars += CharCount(v[i]);
  auto total = [&] { return front_chars + (count ? CharCount(v[count - 1]) : 0); };
  Node* front = count ? v[0] : nullptr;
  if (!bad && front && front->IsSpan() && count > 1) {
    const size_t all = total();
    if (all > front->span.length && CanGrowInPlace(front, all - front->span.length)) {
      Node* grown = in.NewSpan(front->buffer, front->span.start, all);
      if (!grown) return nullptr;
      for (size_t i = 1; i < count; ++i) AppendToBuffer(front->buffer, v[i]);
      return grown;
    }
  }
  Node* shared = nullptr;
  if (!bad && count && v[count - 1]->IsWord() && FirstChar(v[count - 1]) != '\0' &&
      front_chars <= kMaxSharedPrefix) {
    shared = v[count - 1];
  }
  if (!shared) {
    const size_t all = total();
    if (all > kMaxChunkWord) return JoinIntoBuffer(in, v, count, all);
  }
  WordBuilder out(in);
  for (size_t i = 0; i + (shared ? 1 : 0) < count; ++i) out.AddChars(v[i]);
  return out.Finish(shared);
}

// Two inputs are gathered in place (WORD runs in loops that build words); any number
// within parentheses.
Node* Word(Interpreter& in, PrimCall& c) {
  if (c.paren) {
    std::vector<Node*> v;
    if (!in.GatherInputs(c, 2, v)) return nullptr;
    return JoinWords(in, c.row, v.data(), v.size());
  }
  Node* two[2];
  for (Node*& input : two) {
    if (!c.cursor) {
      in.ErrorRow(kErrNotEnoughInputs, c.row);
      return nullptr;
    }
    input = in.EvalExpr(c.cursor, false);
    if (in.Unwinding()) return nullptr;
  }
  return JoinWords(in, c.row, two, 2);
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
  if (static_cast<size_t>(n) > CharCount(v)) {
    in.ErrorRow(kErrDoesntLike, c.row, in.input_pos[1]);
    return nullptr;
  }
  return CharAt(in, v, static_cast<size_t>(n) - 1);
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

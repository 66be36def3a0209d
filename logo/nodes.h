// Tarrow values: fixed-size nodes from a private pool, reclaimed by a mark-and-sweep
// collector, and the character buffers long words keep their characters in. Running
// code protects values in the making with a per-node held bit; the evaluator roots the
// values it is working on in its temporary stack.
#pragma once

#include "stackfile/mactext.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvida::logo {

constexpr uint8_t NF_LIST = 0x01;
constexpr uint8_t NF_WORD = 0x02;
constexpr uint8_t NF_FLOAT = 0x04;
constexpr uint8_t NF_INT = 0x08;
constexpr uint8_t NF_SPAN = 0x10;  // a word node whose characters lie in a WordBuffer
constexpr uint8_t NF_HELD = 0x40;
constexpr uint8_t NF_DOOMED = 0x80;
constexpr uint8_t kTypeMask = 0x0F;

// Characters of long words, shared by every word that shows a part of them. Words never
// change, so a buffer's characters below `used` never change either; a word that ends at
// `used` may grow in place into the spare capacity (nobody else sees those characters).
struct WordBuffer {
  uint32_t capacity;
  uint32_t used;
  uint32_t mark;  // stamp of the last collection that found it reachable
  char* chars() { return reinterpret_cast<char*>(this + 1); }
  const char* chars() const { return reinterpret_cast<const char*>(this + 1); }
};

// Where a span word's characters lie in its buffer.
struct SpanPlace {
  uint32_t start;
  uint32_t length;
};

// One value cell. A list cell links to the next cell and points at its element; a word
// chunk links to the next chunk and holds one to four characters (NUL padded; only the
// empty word's single chunk holds none); a span (NF_SPAN) holds more than four characters
// of a buffer in place of link and text and always ends its word; a number node holds its
// value in place of the link. Words never change once made, so a word may end in another
// word's chunks or span: taking a word's first character off or putting characters in
// front of a word shares the rest.
struct Node {
  union {
    Node* link;
    WordBuffer* buffer;
    int32_t ival;
    double fval;
  };
  union {
    Node* elem;
    char text[4];
    SpanPlace span;
  };
  uint8_t flags;
  uint8_t spare;
  uint16_t prim;   // name words of the primitive table: row + 1; 0xFFFF: known to be
                   // no primitive's name (PrimitiveTable::FindWord); 0 elsewhere
  uint32_t stamp;  // visit mark of the current walk, so shared structure is seen once

  uint8_t type() const { return flags & kTypeMask; }
  bool IsList() const { return flags & NF_LIST; }
  bool IsWord() const { return flags & NF_WORD; }
  bool IsInt() const { return flags & NF_INT; }
  bool IsFloat() const { return flags & NF_FLOAT; }
  bool IsNumber() const { return flags & (NF_INT | NF_FLOAT); }
  bool IsSpan() const { return flags & NF_SPAN; }
  const char* SpanChars() const { return buffer->chars() + span.start; }
};
static_assert(sizeof(Node) == 24, "node layout");

inline bool IsList(const Node* v) {
  return v && v->IsList();
}
inline bool IsWord(const Node* v) {
  return v && v->IsWord();
}
inline bool IsNumber(const Node* v) {
  return v && v->IsNumber();
}

constexpr size_t kNodesPerBlock = 1000;
// Longest word kept in chunks alone; longer words made by taking words apart or joining
// them keep their characters in a buffer.
constexpr size_t kMaxChunkWord = 4;
// Blocks a pool takes before its first collection.
constexpr size_t kBlocksBeforeCollecting = 8;
// Bytes of word buffers allocated before the first collection they cause.
constexpr size_t kBufferBytesBeforeCollecting = size_t{1} << 20;

// The pool: blocks of 1000 nodes, a free list threaded through the links, and the
// collector. Roots come from a visitor the interpreter installs.
class NodePool {
 public:
  // max_blocks bounds the memory a script can take; past it allocation fails.
  explicit NodePool(size_t max_blocks);
  ~NodePool();
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;

  // Obtains the first block; false when memory cannot be had.
  bool Start();

  // A node with flags NF_HELD, or null when the pool is exhausted.
  Node* Alloc() {
    if (Node* n = free_) {
      free_ = n->link;
      n->flags = NF_HELD;
      n->prim = 0;
      n->spare = 0;
      --free_count_;
      return n;
    }
    return AllocSlow();
  }

  // The collector. `roots` is called with a function that marks one value reachable.
  using MarkFn = std::function<void(Node*)>;
  void SetRoots(std::function<void(const MarkFn&)> roots) { roots_ = std::move(roots); }
  void Collect();

  // Set / clear the held bit on every node of a value (each shared node visited once).
  void Hold(Node* v);
  void Release(Node* v);
  // Clears the held bit on the part of a value that is still held, starting at its top:
  // the cheap way to let go of structure just built once it is rooted elsewhere.
  void ReleaseFresh(Node* v) {
    if (!v || !(v->flags & NF_HELD)) return;
    if (v->flags & (NF_INT | NF_FLOAT)) {
      v->flags &= ~NF_HELD;
      return;
    }
    ReleaseFreshWalk(v);
  }

  // A buffer for `capacity` characters, or null when the word memory is spent (after a
  // collection). May collect: whatever the caller still needs must be held or rooted.
  WordBuffer* NewBuffer(size_t capacity);
  size_t BufferBytes() const { return buffer_bytes_; }

  size_t CountFree() const { return free_count_; }
  size_t CountTotal() const { return blocks_.size() * kNodesPerBlock; }
  size_t collections() const { return collections_; }

  // Starts a walk: a fresh stamp that no node carries yet.
  uint32_t NewPass();

  // Visits every node reachable from v once in the current pass; `visit` returns false to
  // skip what the node points to.
  template <class Visit>
  void Walk(Node* v, uint32_t pass, Visit visit) {
    if (!v) return;
    size_t base = stack_.size();
    stack_.push_back(v);
    while (stack_.size() > base) {
      Node* n = stack_.back();
      stack_.pop_back();
      while (n && n->stamp != pass) {
        n->stamp = pass;
        uint8_t t = n->type();
        if (!visit(n)) break;
        if (t == NF_LIST) {
          if (n->elem) stack_.push_back(n->elem);
          n = n->link;
        } else if (t == NF_WORD) {
          n = n->IsSpan() ? nullptr : n->link;
        } else {
          break;
        }
      }
    }
  }

  // Nodes outside the pool (the shared constants) that the pass counter must reset.
  void AddOutsideNode(Node* n) { outside_.push_back(n); }

 private:
  Node* AllocSlow();
  void ReleaseFreshWalk(Node* v);
  bool AddBlock();
  void SweepBuffers(uint32_t pass);

  struct Block {
    Node nodes[kNodesPerBlock];
  };
  std::vector<Block*> blocks_;  // oldest first
  size_t max_blocks_;
  Node* free_ = nullptr;
  size_t free_count_ = 0;
  uint32_t pass_ = 0;
  size_t collections_ = 0;
  std::vector<Node*> stack_;
  std::vector<Node*> outside_;
  std::function<void(const MarkFn&)> roots_;
  std::vector<WordBuffer*> buffers_;
  size_t buffer_bytes_ = 0;        // held by buffers_, headers included
  size_t buffer_bytes_since_ = 0;  // allocated since the last collection
};

// Reads a word one character at a time; past the end it yields NUL and stays put.
class CharCursor {
 public:
  explicit CharCursor(const Node* word) { Load(word && word->IsWord() ? word : nullptr); }
  char Peek() const { return at_ != end_ ? *at_ : '\0'; }
  char Next() {
    if (at_ == end_) return '\0';
    char c = *at_++;
    if (at_ == end_) Load(next_);
    return c;
  }
  // The chunk after `w` in the same word, or null at its end.
  static const Node* NextChunk(const Node* w) {
    return !w->IsSpan() && w->link && w->link->IsWord() ? w->link : nullptr;
  }

 private:
  // Moves to the first node from `w` on that holds characters.
  void Load(const Node* w) {
    for (; w; w = next_) {
      if (w->IsSpan()) {
        at_ = w->SpanChars();
        end_ = at_ + w->span.length;
        next_ = nullptr;
      } else {
        at_ = w->text;
        end_ = at_ + ChunkLengthOf(w);
        next_ = NextChunk(w);
      }
      if (at_ != end_) return;
    }
    at_ = end_ = nullptr;
  }
  static int ChunkLengthOf(const Node* w) {
    int n = 0;
    while (n < 4 && w->text[n] != '\0') ++n;
    return n;
  }

  const char* at_ = nullptr;
  const char* end_ = nullptr;
  const Node* next_ = nullptr;
};

// Appends the characters of a word to `out` (numbers and lists add nothing).
void AppendWordChars(const Node* word, std::string& out);
std::string WordChars(const Node* word);
// Number of characters of a word.
size_t WordLength(const Node* word);
// True when the word's characters are exactly `text` (case-sensitive).
bool WordIs(const Node* word, std::string_view text);
// The one-character word `c` (operators and brackets as the reader makes them); a span
// holds more than one character.
inline bool IsCharWord(const Node* v, char c) {
  return v && v->IsWord() && !v->IsSpan() && v->text[0] == c && v->text[1] == '\0' && !v->link;
}
// Characters held in one chunk (0 to 4) or span.
inline size_t ChunkLength(const Node* w) {
  if (w->IsSpan()) return w->span.length;
  size_t n = 0;
  while (n < 4 && w->text[n] != '\0') ++n;
  return n;
}
// The characters of one chunk or span.
inline const char* ChunkChars(const Node* w) {
  return w->IsSpan() ? w->SpanChars() : w->text;
}
// A word's first character; NUL for the empty word.
inline char FirstChar(const Node* w) {
  return w->IsSpan() ? *w->SpanChars() : w->text[0];
}

// Mac Roman upper case (accents kept), as a table for the comparisons on every lookup.
inline uint8_t UpperChar(char c) {
  return kMacUpperTable[static_cast<uint8_t>(c)];
}

// Case-insensitive comparison of two words: <0, 0, >0, comparing upper-cased characters
// as signed 8-bit values. `skip_a` characters of `a` are skipped first (":name").
int CompareWordsNoCase(const Node* a, const Node* b, int skip_a = 0);
// Case-insensitive comparison of a word with a text.
bool WordEqualsNoCase(const Node* word, std::string_view text);

// True when the word reads as a number (a number node always does).
bool NumericWord(const Node* v);

// Text of a number as the interpreter prints it.
std::string NumberText(const Node* number);
std::string IntText(int32_t v);
std::string FloatText(double x);

// Float to integer conversion without undefined behaviour: truncates toward zero,
// saturates out of range, NaN gives 0.
int32_t SaturatingInt(double x);

}  // namespace corvida::logo

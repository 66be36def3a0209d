#include "logo/nodes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "stackfile/mactext.h"

namespace corvida::logo {

NodePool::NodePool(size_t max_blocks) : max_blocks_(max_blocks < 1 ? 1 : max_blocks) {}

NodePool::~NodePool() {
  for (Block* b : blocks_) delete b;
  for (WordBuffer* b : buffers_) std::free(b);
}

bool NodePool::Start() {
  return blocks_.empty() ? AddBlock() : true;
}

bool NodePool::AddBlock() {
  if (blocks_.size() >= max_blocks_) return false;
  Block* b = new (std::nothrow) Block;
  if (!b) return false;
  blocks_.push_back(b);
  // Pushed last to first so the free list hands nodes out in address order.
  for (size_t i = kNodesPerBlock; i-- > 0;) {
    Node& n = b->nodes[i];
    n.flags = 0;
    n.prim = 0;
    n.spare = 0;
    n.stamp = 0;
    n.elem = nullptr;
    n.link = free_;
    free_ = &n;
  }
  free_count_ += kNodesPerBlock;
  return true;
}

Node* NodePool::AllocSlow() {
  // A small pool grows without collecting: a collection walks every root and sweeps every
  // block, worth it only once there is enough to win back.
  if (blocks_.size() < kBlocksBeforeCollecting && AddBlock()) return Alloc();
  if (!blocks_.empty() && roots_) {
    Collect();
    // When a collection wins back less than half, grow instead of collecting again soon:
    // the cost of collecting stays proportional to what is allocated.
    size_t total = CountTotal();
    if (free_count_ < total / 2) {
      size_t grow = std::max<size_t>(1, blocks_.size() / 2);
      for (size_t i = 0; i < grow && AddBlock(); ++i) {
      }
    }
  }
  if (!free_ && !AddBlock()) return nullptr;
  return Alloc();
}

uint32_t NodePool::NewPass() {
  if (++pass_ == 0) {
    for (Block* b : blocks_)
      for (Node& n : b->nodes) n.stamp = 0;
    for (Node* n : outside_) n->stamp = 0;
    for (WordBuffer* b : buffers_) b->mark = 0;
    pass_ = 1;
  }
  return pass_;
}

void NodePool::Hold(Node* v) {
  Walk(v, NewPass(), [](Node* n) {
    n->flags |= NF_HELD;
    return true;
  });
}

void NodePool::Release(Node* v) {
  Walk(v, NewPass(), [](Node* n) {
    n->flags &= ~NF_HELD;
    return true;
  });
}

void NodePool::ReleaseFreshWalk(Node* v) {
  if (v->IsWord()) {
    for (; v && (v->flags & NF_HELD) && v->IsWord(); v = v->IsSpan() ? nullptr : v->link)
      v->flags &= ~NF_HELD;
    return;
  }
  Walk(v, NewPass(), [](Node* n) {
    if (!(n->flags & NF_HELD)) return false;
    n->flags &= ~NF_HELD;
    return true;
  });
}

void NodePool::Collect() {
  ++collections_;
  // Doom everything not held, free nodes included.
  for (Block* b : blocks_)
    for (Node& n : b->nodes)
      if (!(n.flags & NF_HELD)) n.flags |= NF_DOOMED;
  // Unmark what the roots reach; one pass for all roots so shared parts are seen once.
  uint32_t pass = NewPass();
  auto unmark = [pass](Node* n) {
    n->flags &= ~NF_DOOMED;
    if (n->flags & NF_SPAN) n->buffer->mark = pass;
    return true;
  };
  // Held nodes protect what they point to only when that is held too, so the walk
  // starts at the roots alone.
  if (roots_) roots_([&](Node* v) { Walk(v, pass, unmark); });
  // Sweep, newest block first, nodes in address order.
  free_ = nullptr;
  free_count_ = 0;
  for (size_t i = blocks_.size(); i-- > 0;) {
    for (Node& n : blocks_[i]->nodes) {
      if (n.flags & NF_DOOMED) {
        n.flags = 0;
        n.prim = 0;
        n.elem = nullptr;
        n.link = free_;
        free_ = &n;
        ++free_count_;
      } else if (n.flags & NF_SPAN) {
        n.buffer->mark = pass;  // held spans keep their buffers too
      }
    }
  }
  SweepBuffers(pass);
}

void NodePool::SweepBuffers(uint32_t pass) {
  size_t kept = 0;
  for (WordBuffer* b : buffers_) {
    if (b->mark == pass) {
      buffers_[kept++] = b;
    } else {
      buffer_bytes_ -= sizeof(WordBuffer) + b->capacity;
      std::free(b);
    }
  }
  buffers_.resize(kept);
  buffer_bytes_since_ = 0;
}

WordBuffer* NodePool::NewBuffer(size_t capacity) {
  size_t bytes = sizeof(WordBuffer) + capacity;
  // Word memory is bounded like node memory: as many bytes as all the node blocks hold.
  const size_t budget = max_blocks_ * sizeof(Block);
  // Collected once as much has been allocated as was kept after the last collection, so
  // collecting costs in proportion to what is allocated.
  size_t since_limit = std::max(buffer_bytes_ - buffer_bytes_since_, kBufferBytesBeforeCollecting);
  if (roots_ && (buffer_bytes_since_ > since_limit || buffer_bytes_ + bytes > budget)) Collect();
  if (static_cast<uint64_t>(capacity) > UINT32_MAX || buffer_bytes_ + bytes > budget)
    return nullptr;
  auto* b = static_cast<WordBuffer*>(std::malloc(bytes));
  if (!b) return nullptr;
  b->capacity = static_cast<uint32_t>(capacity);
  b->used = 0;
  b->mark = 0;
  buffers_.push_back(b);
  buffer_bytes_ += bytes;
  buffer_bytes_since_ += bytes;
  return b;
}

void AppendWordChars(const Node* w, std::string& out) {
  for (; w && w->IsWord(); w = CharCursor::NextChunk(w)) out.append(ChunkChars(w), ChunkLength(w));
}

std::string WordChars(const Node* word) {
  std::string s;
  AppendWordChars(word, s);
  return s;
}

size_t WordLength(const Node* w) {
  size_t n = 0;
  for (; w && w->IsWord(); w = CharCursor::NextChunk(w)) n += ChunkLength(w);
  return n;
}

bool WordIs(const Node* word, std::string_view text) {
  CharCursor c(word);
  for (char t : text) {
    if (c.Next() != t || t == '\0') return false;
  }
  return c.Peek() == '\0';
}

int CompareWordsNoCase(const Node* a, const Node* b, int skip_a) {
  CharCursor ca(a), cb(b);
  for (int i = 0; i < skip_a; ++i) ca.Next();
  for (;;) {
    char x = ca.Next(), y = cb.Next();
    auto ux = static_cast<int8_t>(UpperChar(x));
    auto uy = static_cast<int8_t>(UpperChar(y));
    if (ux != uy) return ux < uy ? -1 : 1;
    if (x == '\0') return 0;
  }
}

bool WordEqualsNoCase(const Node* word, std::string_view text) {
  CharCursor c(word);
  for (char t : text) {
    char x = c.Next();
    if (x == '\0' || UpperChar(x) != UpperChar(t)) return false;
  }
  return c.Peek() == '\0';
}

static bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool NumericWord(const Node* v) {
  if (!v) return false;
  if (v->IsNumber()) return true;
  if (!v->IsWord()) return false;
  CharCursor c(v);
  if (c.Peek() == '"') c.Next();
  if (c.Peek() == '-') c.Next();
  if (!IsDigit(c.Peek()) && c.Peek() != '.') return false;
  while (IsDigit(c.Peek())) c.Next();
  if (c.Peek() == '.') c.Next();
  while (IsDigit(c.Peek())) c.Next();
  if (c.Peek() != 'E' && c.Peek() != 'e') return true;
  c.Next();
  if (c.Peek() == '+' || c.Peek() == '-') c.Next();
  if (!IsDigit(c.Peek())) return false;
  while (IsDigit(c.Peek())) c.Next();
  return c.Peek() == '\0';
}

std::string IntText(int32_t v) {
  return std::to_string(v);
}

std::string FloatText(double x) {
  double a = std::fabs(x);
  char buf[400];
  if (a == 0) return "0";
  if (a < 0.01 || a > 1000000) {
    std::snprintf(buf, sizeof buf, "%.15e", x);
    return buf;
  }
  if (std::fabs(a - std::floor(a + 0.5)) < 1e-9) {
    auto r = static_cast<long>(x < 0 ? x - 0.5 : x + 0.5);
    std::snprintf(buf, sizeof buf, "%ld", r);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.9f", x);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  return s;
}

std::string NumberText(const Node* n) {
  if (!n) return "";
  if (n->IsInt()) return IntText(n->ival);
  if (n->IsFloat()) return FloatText(n->fval);
  return "";
}

int32_t SaturatingInt(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return INT32_MAX;
  if (x <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(x);
}

}  // namespace corvida::logo

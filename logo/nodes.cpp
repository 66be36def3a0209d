#include "logo/nodes.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "stackfile/mactext.h"

namespace corvida::logo {

NodePool::NodePool(size_t max_blocks) : max_blocks_(max_blocks < 1 ? 1 : max_blocks) {}

NodePool::~NodePool() {
  for (Block* b : blocks_) delete b;
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
  if (!blocks_.empty() && roots_) {
    Collect();
    // When a collection wins back little, grow instead of collecting again soon: the
    // cost of collecting stays proportional to what is allocated.
    size_t total = CountTotal();
    if (free_count_ < total / 4) {
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
    for (; v && (v->flags & NF_HELD) && v->IsWord(); v = v->link) v->flags &= ~NF_HELD;
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
  auto unmark = [](Node* n) {
    n->flags &= ~NF_DOOMED;
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
      }
    }
  }
}

// Mac Roman upper case with accents kept (ASCII letters by the usual rule).
const uint8_t kUpperTable[256] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F,
    0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0xE7, 0xCB, 0xE5, 0x80, 0xCC, 0x81, 0x82, 0x83, 0xE9,
    0xE6, 0xE8, 0xEA, 0xED, 0xEB, 0xEC, 0x84, 0xEE, 0xF1, 0xEF, 0x85, 0xCD, 0xF2, 0xF4, 0xF3, 0x86,
    0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xC6, 0xB7, 0xB8, 0xB8, 0xBA, 0xBB, 0xBC, 0xBD, 0xAE, 0xAF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCE,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD9, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xC3, 0xFE, 0xFF,
};

void AppendWordChars(const Node* w, std::string& out) {
  for (; w && w->IsWord(); w = w->link) {
    for (int i = 0; i < 4; ++i) {
      if (w->text[i] == '\0') return;
      out.push_back(w->text[i]);
    }
  }
}

std::string WordChars(const Node* word) {
  std::string s;
  AppendWordChars(word, s);
  return s;
}

size_t WordLength(const Node* w) {
  size_t n = 0;
  for (; w && w->IsWord(); w = w->link) {
    for (int i = 0; i < 4; ++i) {
      if (w->text[i] == '\0') return n;
      ++n;
    }
  }
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

// Finding a global name or property list by its name in constant time. The stores stay
// chains of cells, newest first: the chains set the listing order and hold the entries
// for the collector. Beside each chain an index maps the name's upper-case characters
// to its entry (a binding [name value] or a record [name plist]); whoever links or
// unlinks an entry tells the index.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "logo/nodes.h"

namespace corvida::logo {

class NameIndex {
 public:
  // The entry named `name` (its first `skip` characters left out, as in ":name"), or null.
  Node* Find(const Node* name, int skip = 0) const;
  // An entry just linked in front of its chain: it hides an older one of the same name.
  void Add(Node* entry);
  void Remove(const Node* name);
  void Clear() {
    entries_.clear();
    ++generation_;
  }
  // Every entry of `from` (whose chain went in front of this one's), which is emptied.
  void TakeAll(NameIndex& from);
  size_t size() const { return entries_.size(); }

  // Lets Find remember recent answers by the name's node: a running line looks up the
  // same tokens again and again. A remembered answer holds until the index changes or
  // the pool collects (after which a node may hold another word).
  void RememberAnswers(const NodePool* pool) { pool_ = pool; }

 private:
  struct Answer {
    const Node* name = nullptr;
    int skip = 0;
    uint64_t generation = 0;
    size_t collections = 0;
    Node* entry = nullptr;
  };
  static constexpr size_t kAnswers = 64;
  // A name as it is looked up: a word with its first `skip` characters left out. Lookups
  // hash and compare it in place, so finding a name makes no string.
  struct NameView {
    const Node* name;
    int skip;
  };
  struct KeyHash {
    using is_transparent = void;
    size_t operator()(const std::string& key) const;
    size_t operator()(NameView view) const;
  };
  struct KeyEqual {
    using is_transparent = void;
    bool operator()(const std::string& a, const std::string& b) const { return a == b; }
    bool operator()(NameView view, const std::string& key) const;
    bool operator()(const std::string& key, NameView view) const { return (*this)(view, key); }
  };
  static std::string Key(const Node* name, int skip);

  std::unordered_map<std::string, Node*, KeyHash, KeyEqual> entries_;
  uint64_t generation_ = 1;
  const NodePool* pool_ = nullptr;
  mutable std::array<Answer, kAnswers> answers_{};
};

}  // namespace corvida::logo

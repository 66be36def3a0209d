// Finding a global name or property list by its name in constant time. The stores stay
// chains of cells, newest first: the chains set the listing order and hold the entries
// for the collector. Beside each chain an index maps the name's upper-case characters
// to its entry (a binding [name value] or a record [name plist]); whoever links or
// unlinks an entry tells the index.
#pragma once

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
  void Clear() { entries_.clear(); }
  // Every entry of `from` (whose chain went in front of this one's), which is emptied.
  void TakeAll(NameIndex& from);
  size_t size() const { return entries_.size(); }

 private:
  static std::string Key(const Node* name, int skip);

  std::unordered_map<std::string, Node*> entries_;
};

}  // namespace corvida::logo

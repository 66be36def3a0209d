#include "logo/name_index.h"

namespace corvida::logo {

std::string NameIndex::Key(const Node* name, int skip) {
  // The characters CompareWordsNoCase compares, so two names share a key exactly when
  // that comparison finds them equal.
  std::string key;
  CharCursor c(name);
  for (int i = 0; i < skip; ++i) c.Next();
  for (char ch = c.Next(); ch != '\0'; ch = c.Next()) key += static_cast<char>(UpperChar(ch));
  return key;
}

Node* NameIndex::Find(const Node* name, int skip) const {
  auto it = entries_.find(Key(name, skip));
  return it == entries_.end() ? nullptr : it->second;
}

void NameIndex::Add(Node* entry) {
  entries_[Key(entry->elem, 0)] = entry;
}

void NameIndex::Remove(const Node* name) {
  entries_.erase(Key(name, 0));
}

void NameIndex::TakeAll(NameIndex& from) {
  for (auto& [key, entry] : from.entries_) entries_[key] = entry;
  from.entries_.clear();
}

}  // namespace corvida::logo

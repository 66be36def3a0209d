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

namespace {
// FNV-1a over the upper-case characters, the same for a key and for a name in place,
// with the constants of the machine's word size (the browser build's is 32 bits).
constexpr bool kWide = sizeof(size_t) == 8;
constexpr size_t kHashStart = kWide ? size_t(14695981039346656037ull) : size_t(2166136261u);
constexpr size_t kHashFactor = kWide ? size_t(1099511628211ull) : size_t(16777619u);

size_t HashStep(size_t h, char upper) {
  return (h ^ static_cast<uint8_t>(upper)) * kHashFactor;
}

CharCursor SkipChars(const Node* name, int skip) {
  CharCursor c(name);
  for (int i = 0; i < skip; ++i) c.Next();
  return c;
}
}  // namespace

size_t NameIndex::KeyHash::operator()(const std::string& key) const {
  size_t h = kHashStart;
  for (char ch : key) h = HashStep(h, ch);
  return h;
}

size_t NameIndex::KeyHash::operator()(NameView view) const {
  size_t h = kHashStart;
  CharCursor c = SkipChars(view.name, view.skip);
  for (char ch = c.Next(); ch != '\0'; ch = c.Next())
    h = HashStep(h, static_cast<char>(UpperChar(ch)));
  return h;
}

bool NameIndex::KeyEqual::operator()(NameView view, const std::string& key) const {
  CharCursor c = SkipChars(view.name, view.skip);
  for (char k : key) {
    char ch = c.Next();
    if (ch == '\0' || static_cast<char>(UpperChar(ch)) != k) return false;
  }
  return c.Peek() == '\0';
}

Node* NameIndex::Find(const Node* name, int skip) const {
  // The answers are kept in pairs, the latest first: two names a loop uses that fall on
  // the same pair both stay (with one place each they pushed each other out every time).
  Answer* pair = nullptr;
  if (pool_) {
    static_assert(kAnswers % 2 == 0);
    const uint64_t key = (reinterpret_cast<uintptr_t>(name) >> 3) ^ static_cast<uintptr_t>(skip);
    pair = &answers_[2 * ((key * 0x9E3779B97F4A7C15ull) >> 32 & (kAnswers / 2 - 1))];
    for (int way = 0; way < 2; ++way) {
      const Answer& a = pair[way];
      if (a.name == name && a.skip == skip && a.generation == generation_ &&
          a.collections == pool_->collections())
        return a.entry;
    }
  }
  auto it = entries_.find(NameView{name, skip});
  Node* entry = it == entries_.end() ? nullptr : it->second;
  if (pair) {
    pair[1] = pair[0];
    pair[0] = {name, skip, generation_, pool_->collections(), entry};
  }
  return entry;
}

void NameIndex::Add(Node* entry) {
  entries_[Key(entry->elem, 0)] = entry;
  ++generation_;
}

void NameIndex::Remove(const Node* name) {
  entries_.erase(Key(name, 0));
  ++generation_;
}

void NameIndex::TakeAll(NameIndex& from) {
  for (auto& [key, entry] : from.entries_) entries_[key] = entry;
  from.entries_.clear();
  ++generation_;
  ++from.generation_;
}

}  // namespace corvida::logo

#include "base/callback_tokens.h"

namespace corvida {

uint32_t CallbackTokens::Mint(TokenKind kind, uint32_t value) {
  if (value == 0) return 0;
  if (auto it = index_.find({kind, value}); it != index_.end()) return TokenOf(it->second);
  uint32_t slot;
  if (!free_.empty()) {
    slot = free_.back();
    free_.pop_back();
  } else {
    if (entries_.size() >= kMaxLive) return 0;
    slot = static_cast<uint32_t>(entries_.size());
    entries_.push_back({});
  }
  Entry& e = entries_[slot];
  e.kind = kind;
  e.value = value;
  e.live = true;
  index_[{kind, value}] = slot;
  return TokenOf(slot);
}

const CallbackTokens::Entry* CallbackTokens::Find(uint32_t token) const {
  const uint32_t index = (token & kIndexMask);
  if (index == 0 || index > entries_.size()) return nullptr;
  const Entry& e = entries_[index - 1];
  if (!e.live || e.generation != token >> kIndexBits) return nullptr;
  return &e;
}

std::optional<uint32_t> CallbackTokens::Resolve(uint32_t token, TokenKind kind) const {
  const Entry* e = Find(token);
  if (!e || e->kind != kind) return std::nullopt;
  return e->value;
}

std::optional<std::pair<TokenKind, uint32_t>> CallbackTokens::Lookup(uint32_t token) const {
  const Entry* e = Find(token);
  if (!e) return std::nullopt;
  return std::pair{e->kind, e->value};
}

void CallbackTokens::Revoke(uint32_t token) {
  if (!Find(token)) return;
  const uint32_t slot = (token & kIndexMask) - 1;
  Entry& e = entries_[slot];
  index_.erase({e.kind, e.value});
  e.live = false;
  // Generations run 1..4095, so a token of an earlier use never matches again soon.
  e.generation = e.generation % 4095 + 1;
  free_.push_back(slot);
}

void CallbackTokens::RevokeKind(TokenKind kind) {
  for (uint32_t slot = 0; slot < entries_.size(); ++slot)
    if (entries_[slot].live && entries_[slot].kind == kind) Revoke(TokenOf(slot));
}

}  // namespace corvida

// Tokens for what callback block slots name: memory blocks, cards, windows, drawing
// contexts, bitmaps, palettes and the dispatcher's entry are handed out as 32-bit tokens
// that the player mints and checks, so no machine pointer ever reaches a caller and a
// block keeps its layout on 64-bit machines. A token answers only for the kind it was
// minted for and only while it is live: a revoked token is stale for good, because its
// slot's generation moves on when the slot is reused.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace corvida {

enum class TokenKind : uint8_t {
  kMemory = 1,  // a handle of the caller's, made or handed out by a command
  kCard,        // a card record handle of the open stack (read only)
  kRecord,      // another record of the open stack: its header, its CardTable (read only)
  kWindow,
  kDrawingContext,
  kBitmap,
  kPalette,
  kEntry,  // the dispatcher's entry point
  kTextObject,
  kModule,  // an extension module, by its NBA id
};

class CallbackTokens {
 public:
  // Slots beyond this are refused: a caller minting in a loop gets 0, not memory.
  static constexpr uint32_t kMaxLive = 1u << 16;

  // The token for (kind, value): the live one if there is one, else a new one; 0 when the
  // table is full or value is 0.
  uint32_t Mint(TokenKind kind, uint32_t value);
  // The value behind a live token of that kind.
  std::optional<uint32_t> Resolve(uint32_t token, TokenKind kind) const;
  // Any kind: the kind and value of a live token.
  std::optional<std::pair<TokenKind, uint32_t>> Lookup(uint32_t token) const;
  void Revoke(uint32_t token);
  // Revokes every token of a kind (the open stack's cards, when the stack changes).
  void RevokeKind(TokenKind kind);
  size_t live() const { return index_.size(); }

 private:
  static constexpr uint32_t kIndexBits = 20;
  static constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
  struct Entry {
    TokenKind kind{};
    uint32_t value = 0;
    uint32_t generation = 1;  // 12 bits, never 0
    bool live = false;
  };
  const Entry* Find(uint32_t token) const;
  uint32_t TokenOf(uint32_t index) const {
    return entries_[index].generation << kIndexBits | (index + 1);
  }

  std::vector<Entry> entries_;
  std::vector<uint32_t> free_;
  std::map<std::pair<TokenKind, uint32_t>, uint32_t> index_;  // live (kind, value) -> slot
};

}  // namespace corvida

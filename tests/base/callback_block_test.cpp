// The callback block's stored layout and the tokens that stand for what its slots name.
#include <gtest/gtest.h>

#include "base/callback_block.h"
#include "base/callback_tokens.h"

namespace corvida {
namespace {

TEST(CallbackBlock, LayoutIsPackedLittleEndianVersionFive) {
  CallbackBlock b;
  EXPECT_EQ(b.bytes().size(), 78u);
  EXPECT_EQ(b.version(), 5);
  EXPECT_EQ(b.bytes()[44], 5);
  b.set_command(-2);
  EXPECT_EQ(b.bytes()[46], 0xFE);
  EXPECT_EQ(b.bytes()[47], 0xFF);
  // Parameters at 50, 54, ... 74: at offsets that are not multiples of four.
  for (int slot = 1; slot <= 7; ++slot) b.set_param(slot, 0x01020300u + uint32_t(slot));
  for (int slot = 1; slot <= 7; ++slot) {
    const size_t at = 50 + 4 * size_t(slot - 1);
    EXPECT_EQ(b.bytes()[at], slot) << slot;
    EXPECT_EQ(b.bytes()[at + 3], 0x01) << slot;
  }
  EXPECT_EQ(b.param(0), 0u);
  EXPECT_EQ(b.param(8), 0u);
  b.set_param(8, 9);  // outside the block: nothing is written
  b.set_param(-1, 9);
  EXPECT_EQ(b.bytes()[77], 0x01);
  b.set_param(2, uint32_t(-131072));
  EXPECT_EQ(b.signed_param(2), -131072);
  b.Clear();
  EXPECT_EQ(b.param(1), 0u);
  EXPECT_EQ(b.version(), 5);
}

TEST(CallbackTokens, KindLifeAndReuse) {
  CallbackTokens t;
  const uint32_t card = t.Mint(TokenKind::kCard, 42);
  const uint32_t memory = t.Mint(TokenKind::kMemory, 42);
  EXPECT_NE(card, 0u);
  EXPECT_NE(card, memory);
  EXPECT_EQ(t.Mint(TokenKind::kCard, 42), card);  // one live token per referent
  EXPECT_EQ(t.Resolve(card, TokenKind::kCard), 42u);
  EXPECT_FALSE(t.Resolve(card, TokenKind::kMemory));
  EXPECT_FALSE(t.Resolve(0, TokenKind::kCard));
  EXPECT_FALSE(t.Resolve(card + 7, TokenKind::kCard));
  EXPECT_EQ(t.Mint(TokenKind::kCard, 0), 0u);

  t.Revoke(card);
  EXPECT_FALSE(t.Resolve(card, TokenKind::kCard));
  const uint32_t again = t.Mint(TokenKind::kCard, 42);
  EXPECT_NE(again, card);  // the slot is reused with another generation
  EXPECT_FALSE(t.Resolve(card, TokenKind::kCard));
  EXPECT_EQ(t.Resolve(again, TokenKind::kCard), 42u);

  t.RevokeKind(TokenKind::kCard);
  EXPECT_FALSE(t.Resolve(again, TokenKind::kCard));
  EXPECT_EQ(t.Resolve(memory, TokenKind::kMemory), 42u);
  EXPECT_EQ(t.live(), 1u);
}

TEST(CallbackTokens, TheTableIsBounded) {
  CallbackTokens t;
  for (uint32_t v = 1; v <= CallbackTokens::kMaxLive; ++v)
    ASSERT_NE(t.Mint(TokenKind::kMemory, v), 0u);
  EXPECT_EQ(t.Mint(TokenKind::kMemory, CallbackTokens::kMaxLive + 1), 0u);
}

}  // namespace
}  // namespace corvida

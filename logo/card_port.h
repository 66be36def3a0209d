// Where the card bridge primitives reach the player: the callback block, the dispatcher
// that runs the command written into it, and the memory blocks that block slots name by
// token. The player implements it over its callback dispatcher; tests record the blocks.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "base/callback_block.h"

namespace corvida::logo {

class CardPort {
 public:
  virtual ~CardPort() = default;
  virtual CallbackBlock& block() = 0;
  // Runs the command in the block; its results are in the block when this returns.
  virtual void Dispatch() = 0;
  // A new memory block holding `bytes`: its token, 0 when refused.
  virtual uint32_t NewBlock(std::span<const uint8_t> bytes) = 0;
  // Up to `limit` bytes of a block; empty for an unknown token.
  virtual std::vector<uint8_t> ReadBlock(uint32_t token, size_t limit) = 0;
  // Writes inside a block the caller made; false when it does not fit.
  virtual bool WriteBlock(uint32_t token, size_t offset, std::span<const uint8_t> bytes) = 0;
  virtual void DisposeBlock(uint32_t token) = 0;
};

}  // namespace corvida::logo

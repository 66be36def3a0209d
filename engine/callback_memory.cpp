// Callback commands on memory blocks. Callers hold blocks only as tokens: a block they
// made (command 15) they may resize and dispose; the blocks the player hands out with its
// answers and the stack's own records they may only read. "Locking" answers the same
// token, since a caller reaches the bytes only through the block interface.
#include "engine/callback.h"

namespace corvida {

void CallbackDispatch::NewHandle() {
  const uint32_t size = P(1);
  if (size > kCallerBytesLimit) return Answer(1, 0);
  Answer(1, NewBlock(std::vector<uint8_t>(size)));
}

void CallbackDispatch::LockHandle() {
  Answer(1, HandleOf(P(1), Access::kRead) ? P(1) : 0);
}

void CallbackDispatch::UnlockHandle() {}

void CallbackDispatch::DisposeHandle() {
  DisposeBlock(P(1));
}

void CallbackDispatch::SystemBlockOf() {
  LockHandle();
}

void CallbackDispatch::ResizeHandle() {
  Answer(1, ResizeBlock(P(1), P(2)) ? 0 : static_cast<uint32_t>(-1));
}

void CallbackDispatch::HandleSize() {
  auto h = HandleOf(P(1), Access::kRead);
  Answer(1, h ? handles_.GetSize(*h) : 0);
}

void CallbackDispatch::HandleFlags() {
  auto h = HandleOf(P(1), Access::kRead);
  const SystemBlock* block = h ? handles_.GetBlock(*h) : nullptr;
  Answer(1, block ? block->flags : 0);
}

void CallbackDispatch::HandleDiscarded() {
  auto h = HandleOf(P(1), Access::kRead);
  Answer(1, h && handles_.IsPurged(*h) ? 1 : 0);
}

}  // namespace corvida

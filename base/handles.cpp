#include "base/handles.h"

#include <cstdlib>
#include <cstring>

#include "platform/bytes.h"

namespace corvida {

namespace {

constexpr uint32_t kGuardWord = 0xFACEBEEF;  // after each payload; never read

// A handle's block holds the data size before the data and a guard word after it.
void FrameBlock(SystemBlock& block, uint32_t size) {
  const std::span<uint8_t> bytes(block.data, block.size);
  WriteLE32(bytes, 0, size);
  WriteLE32(bytes, 4 + size, kGuardWord);
}

uint64_t RoundUp16(uint64_t n) {
  return (n + 15) & ~uint64_t{15};
}

}  // namespace

void BlockMove(const void* source, void* destination, size_t count) {
  if (count != 0) std::memmove(destination, source, count);
}

void BlockFill(void* destination, uint8_t value, size_t count) {
  if (count != 0) std::memset(destination, value, count);
}

void BlockClear(void* destination, size_t count) {
  BlockFill(destination, 0, count);
}

void Handles::InitTable() {
  slots_.assign(kTableGrowth, nullptr);
  bytes_ = slots_.size() * sizeof(SystemBlock*);
}

Handles::~Handles() {
  for (SystemBlock* block : blocks_) {
    std::free(block->data);
    delete block;
  }
}

// ---- system blocks --------------------------------------------------------------------

SystemBlock* Handles::Allocate(uint64_t size, uint32_t flags) {
  if (size > kMaxRequest + 8) return nullptr;
  uint64_t capacity = RoundUp16(size == 0 ? 1 : size);
  if (!Fits(capacity)) return nullptr;
  auto* data = static_cast<uint8_t*>(std::calloc(1, capacity));
  if (data == nullptr) return nullptr;
  auto* block = new SystemBlock;
  block->data = data;
  block->size = static_cast<uint32_t>(size);
  block->capacity = static_cast<uint32_t>(capacity);
  block->flags = flags;
  blocks_.insert(block);
  bytes_ += capacity;
  return block;
}

bool Handles::Resize(SystemBlock* block, uint64_t new_size) {
  if (block->discarded || new_size > kMaxRequest + 8) return false;
  const uint32_t old_size = block->size;
  if (new_size > block->capacity) {
    if (block->locks > 0) return false;  // a locked block never moves
    uint64_t capacity = RoundUp16(new_size + new_size / 4);
    if (!Fits(capacity - block->capacity)) return false;
    void* moved = std::realloc(block->data, capacity);
    if (moved == nullptr) return false;
    bytes_ += capacity - block->capacity;
    block->data = static_cast<uint8_t*>(moved);
    block->capacity = static_cast<uint32_t>(capacity);
  } else if (block->locks == 0 && block->capacity > 2 * new_size + 256) {
    // Give back most of a block that shrank a lot; failing to is harmless.
    uint64_t capacity = RoundUp16(new_size == 0 ? 1 : new_size);
    if (void* moved = std::realloc(block->data, capacity)) {
      bytes_ -= block->capacity - capacity;
      block->data = static_cast<uint8_t*>(moved);
      block->capacity = static_cast<uint32_t>(capacity);
    }
  }
  if (new_size > old_size) std::memset(block->data + old_size, 0, new_size - old_size);
  block->size = static_cast<uint32_t>(new_size);
  return true;
}

void Handles::Free(SystemBlock* block) {
  if (blocks_.erase(block) == 0) return;  // not ours, or freed already
  bytes_ -= block->discarded ? 0 : block->capacity;
  std::free(block->data);
  delete block;
}

SystemBlock* Handles::SystemBlockNew(uint32_t size) {
  SystemBlock* block = Allocate(size, memflags::kMoveable | memflags::kZeroInit);
  // Nothing to compact here; a second attempt may still succeed if memory was freed.
  if (block == nullptr) block = Allocate(size, memflags::kMoveable | memflags::kZeroInit);
  if (block == nullptr && failures_) failures_->SystemMemoryExhausted();
  return block;
}

SystemBlock* Handles::SystemBlockDuplicate(const SystemBlock* block) {
  if (block == nullptr || block->discarded) return nullptr;
  SystemBlock* copy = SystemBlockNew(block->size);
  if (copy != nullptr) BlockMove(block->data, copy->data, block->size);
  return copy;
}

uint8_t* Handles::SystemBlockNewLocked(SystemBlock** out, uint32_t size) {
  SystemBlock* block = Allocate(size, memflags::kMoveable | memflags::kZeroInit);
  *out = block;
  return block ? SystemBlockLock(block) : nullptr;
}

void Handles::SystemBlockFree(SystemBlock* block, bool locked) {
  if (block == nullptr || block->in_table) return;
  if (locked) SystemBlockUnlock(block);
  Free(block);
}

int Handles::SystemBlockRelease(SystemBlock* block) {
  if (block == nullptr) return 1;
  if (block->in_table) return 0;
  block->locks = 0;
  Free(block);
  return 1;
}

uint8_t* Handles::SystemBlockLock(SystemBlock* block) {
  if (block == nullptr || block->discarded) return nullptr;
  ++block->locks;
  return block->data;
}

void Handles::SystemBlockUnlock(SystemBlock* block) {
  if (block != nullptr && block->locks > 0) --block->locks;
}

bool Handles::SystemBlockDiscard(SystemBlock* block) {
  if (block == nullptr || block->discarded || block->locks > 0 ||
      !(block->flags & memflags::kDiscardable)) {
    return false;
  }
  bytes_ -= block->capacity;
  std::free(block->data);
  block->data = nullptr;
  block->capacity = 0;
  block->discarded = true;
  return true;
}

// ---- the table ------------------------------------------------------------------------

SystemBlock* Handles::Slot(Handle h) const {
  if (h <= 0 || static_cast<uint32_t>(h) > slots_.size()) return nullptr;
  return slots_[h - 1];
}

uint8_t* Handles::Payload(Handle h) const {
  SystemBlock* block = Slot(h);
  return block && !block->discarded ? block->data + 4 : nullptr;
}

Handle Handles::Register(SystemBlock* block) {
  if (used_ == slots_.size()) {
    const uint64_t grown = slots_.size() + kTableGrowth;
    const uint64_t extra = kTableGrowth * sizeof(SystemBlock*);
    if (grown > max_slots_ || !Fits(extra)) {
      if (failures_) failures_->TableCannotGrow();
      return 0;
    }
    slots_.resize(grown, nullptr);
    bytes_ += extra;
  }
  // The search goes on from the rover, so a freed slot is reused only after the rover
  // has passed the end of the table and wrapped.
  while (slots_[rover_] != nullptr) rover_ = (rover_ + 1) % slots_.size();
  slots_[rover_] = block;
  block->in_table = true;
  ++used_;
  return static_cast<Handle>(rover_ + 1);
}

Handle Handles::New(uint32_t size) {
  return NewWithFlags(memflags::kMoveable | memflags::kZeroInit, size);
}

Handle Handles::NewWithFlags(uint32_t flags, uint32_t size) {
  if (size > kMaxRequest) return 0;
  SystemBlock* block = Allocate(uint64_t{size} + 8, flags);
  if (block == nullptr) return 0;
  FrameBlock(*block, size);
  Handle h = Register(block);
  if (h == 0) Free(block);
  return h;
}

void Handles::Dispose(Handle h) {
  SystemBlock* block = Slot(h);
  if (block == nullptr) return;
  Free(block);
  slots_[h - 1] = nullptr;
  --used_;
}

void Handles::DisposeAndClear(Handle* h) {
  if (h == nullptr || *h == 0) return;
  Dispose(*h);
  *h = 0;
}

uint8_t* Handles::Lock(Handle h) {
  SystemBlock* block = Slot(h);
  uint8_t* p = SystemBlockLock(block);
  return p ? p + 4 : nullptr;
}

void Handles::Unlock(Handle h) {
  SystemBlockUnlock(Slot(h));
}

uint32_t Handles::GetSize(Handle h) const {
  SystemBlock* block = Slot(h);
  return block && !block->discarded ? block->size - 8 : 0;
}

uint32_t Handles::LockCount(Handle h) const {
  SystemBlock* block = Slot(h);
  return block ? block->locks : 0;
}

int Handles::SetSize(Handle h, uint32_t new_size) {
  SystemBlock* block = Slot(h);
  if (block == nullptr || new_size > kMaxRequest) return -1;
  const uint32_t old_size = block->size - 8;
  if (!Resize(block, uint64_t{new_size} + 8)) return -1;
  // Added bytes read as zeros, including where the old guard word stood.
  if (new_size > old_size) std::memset(block->data + 4 + old_size, 0, new_size - old_size);
  FrameBlock(*block, new_size);
  return 0;
}

int Handles::IsValid(Handle h) const {
  return Slot(h) != nullptr ? 1 : 0;
}

int Handles::IsPurged(Handle h) const {
  SystemBlock* block = Slot(h);
  return block && block->discarded ? 1 : 0;
}

SystemBlock* Handles::GetBlock(Handle h) const {
  return Slot(h);
}

}  // namespace corvida

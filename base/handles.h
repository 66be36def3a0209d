// Relocatable memory: every variable-sized piece of player data lives in a block named by
// a `Handle`, a small number that stays valid while the block moves, grows or shrinks.
// Lock a handle to get a pointer to its bytes, unlock it when done; while a block is
// locked it never moves (a resize that cannot happen in place fails instead).
//
// Naming: the operations are methods of `Handles` (the handle table of one player) named
// after the operation without the `Handle` prefix: `New`, `Dispose`, `Lock`, `SetSize`,
// `InsertBytes`, ... Raw system blocks keep their `SystemBlock` prefix.
//
// Results follow the system's convention: 0 for success and -1 for failure; "not found"
// is the null handle 0. Handle 0 and handles beyond the table are absent: lookups return
// null, dispose does nothing. The handle manager shows nothing: the two failures a user
// is told of go to a MemoryFailureListener that the player layer supplies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

namespace corvida {

using Handle = int32_t;

// A raw movable block of system memory: a byte buffer with a lock count. Handle blocks
// are system blocks too; raw blocks are used for data handed to the platform.
struct SystemBlock {
  uint8_t* data = nullptr;  // null once discarded
  uint32_t size = 0;        // system size in bytes
  uint32_t capacity = 0;    // bytes allocated behind `data` (size plus slack)
  uint32_t locks = 0;
  uint32_t flags = 0;
  bool discarded = false;
  bool in_table = false;  // a handle's block: freed only by disposing the handle
};

// Allocation flags accepted by NewWithFlags and kept on the block. Blocks are always
// zero-filled, whatever the flags say.
namespace memflags {
inline constexpr uint32_t kMoveable = 0x0002;
inline constexpr uint32_t kZeroInit = 0x0040;
inline constexpr uint32_t kDiscardable = 0x0100;
}  // namespace memflags

// Told of the failures the user hears about; every other failure is the caller's to
// report from the result it gets.
class MemoryFailureListener {
 public:
  virtual ~MemoryFailureListener() = default;
  virtual void TableCannotGrow() = 0;        // a new handle failed: no slot is left
  virtual void SystemMemoryExhausted() = 0;  // SystemBlockNew failed twice
};

class Handles {
 public:
  static constexpr int32_t kTableGrowth = 200;
  // Sizes come from untrusted files: a request above this fails like a failed allocation.
  static constexpr uint64_t kMaxRequest = 256ull * 1024 * 1024;

  explicit Handles(MemoryFailureListener* failures = nullptr) : failures_(failures) { InitTable(); }
  void set_failure_listener(MemoryFailureListener* failures) { failures_ = failures; }
  ~Handles();
  Handles(const Handles&) = delete;
  Handles& operator=(const Handles&) = delete;

  // Core operations.
  Handle New(uint32_t size);
  Handle NewWithFlags(uint32_t flags, uint32_t size);
  void Dispose(Handle h);
  void DisposeAndClear(Handle* h);
  uint8_t* Lock(Handle h);  // payload pointer, or null when absent or discarded
  void Unlock(Handle h);
  uint32_t GetSize(Handle h) const;  // logical payload size; 0 when absent
  int SetSize(Handle h, uint32_t new_size);
  int IsValid(Handle h) const;
  int IsPurged(Handle h) const;
  SystemBlock* GetBlock(Handle h) const;
  uint32_t LockCount(Handle h) const;

  // Byte ranges (offsets and counts relative to the payload). A range that does not lie
  // inside the payload fails with -1 (or the null handle) and changes nothing.
  int InsertBytes(Handle h, const void* source, uint32_t offset, uint32_t count);
  int DeleteBytes(Handle h, uint32_t offset, uint32_t count);
  int InsertHandle(Handle dest, Handle source, uint32_t offset, bool pad_to_even);
  int Append(Handle source, Handle dest);
  int ReplaceBytes(Handle dest, Handle source, uint32_t offset, uint32_t count);
  Handle CopyBytes(Handle h, uint32_t offset, uint32_t count);
  Handle CutBytes(Handle h, uint32_t offset, uint32_t count);
  int Duplicate(Handle* h);
  int Equal(Handle a, Handle b) const;
  Handle FromSystemBlock(const SystemBlock* block);
  SystemBlock* ToSystemBlock(Handle h);

  // Raw system blocks. The caller owns what it gets; blocks still alive when the table
  // goes away are freed with it. A handle's own block (GetBlock) is not freed here: the
  // handle would be left pointing at freed memory; dispose the handle instead.
  SystemBlock* SystemBlockNew(uint32_t size);  // tells the listener when it fails
  SystemBlock* SystemBlockDuplicate(const SystemBlock* block);
  uint8_t* SystemBlockNewLocked(SystemBlock** out, uint32_t size);
  void SystemBlockFree(SystemBlock* block, bool locked);
  int SystemBlockRelease(SystemBlock* block);
  uint8_t* SystemBlockLock(SystemBlock* block);
  void SystemBlockUnlock(SystemBlock* block);
  // Frees the bytes of an unlocked discardable block, keeping the block itself.
  bool SystemBlockDiscard(SystemBlock* block);

  // Table state, for tests and diagnostics.
  uint32_t used() const { return used_; }
  uint32_t capacity() const { return static_cast<uint32_t>(slots_.size()); }
  uint32_t rover() const { return rover_; }
  uint64_t bytes_allocated() const { return bytes_; }
  size_t live_system_blocks() const { return blocks_.size(); }

  // Limits for tests (and small-memory builds): total bytes of all blocks and table, and
  // the most table slots. Exceeding either fails like the machine running out.
  void SetBudget(uint64_t bytes) { budget_ = bytes; }
  void SetMaxSlots(uint32_t slots) { max_slots_ = slots; }

 private:
  void InitTable();
  SystemBlock* Allocate(uint64_t size, uint32_t flags);  // null on failure, no message
  bool Resize(SystemBlock* block, uint64_t new_size);    // never moves a locked block
  void Free(SystemBlock* block);
  Handle Register(SystemBlock* block);
  SystemBlock* Slot(Handle h) const;
  uint8_t* Payload(Handle h) const;  // payload without touching lock counts
  bool Fits(uint64_t extra) const { return bytes_ + extra <= budget_; }

  MemoryFailureListener* failures_;
  std::vector<SystemBlock*> slots_;
  uint32_t used_ = 0;
  uint32_t rover_ = 0;
  uint64_t bytes_ = 0;
  uint64_t budget_ = UINT64_MAX;
  uint32_t max_slots_ = 1u << 22;
  std::unordered_set<SystemBlock*> blocks_;  // every live system block, for cleanup
};

// Locks a handle for the lifetime of the object.
class LockedHandle {
 public:
  LockedHandle(Handles& handles, Handle h) : handles_(handles), h_(h), p_(handles.Lock(h)) {}
  ~LockedHandle() {
    if (p_) handles_.Unlock(h_);
  }
  LockedHandle(const LockedHandle&) = delete;
  LockedHandle& operator=(const LockedHandle&) = delete;
  uint8_t* data() const { return p_; }
  uint32_t size() const { return p_ ? handles_.GetSize(h_) : 0; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  Handles& handles_;
  Handle h_;
  uint8_t* p_;
};

// Overlap-safe copy, source first.
void BlockMove(const void* source, void* destination, size_t count);
void BlockFill(void* destination, uint8_t value, size_t count);
void BlockClear(void* destination, size_t count);

}  // namespace corvida

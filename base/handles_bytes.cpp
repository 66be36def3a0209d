// Byte-range operations over handles. Each checks its range against the payload first and
// does all its work or none. Sources may lie inside the handle being changed: they are
// copied aside before the handle can move.
#include <cstring>
#include <vector>

#include "base/handles.h"

namespace corvida {

namespace {

bool InRange(uint32_t size, uint32_t offset, uint32_t count) {
  return uint64_t{offset} + count <= size;
}

}  // namespace

int Handles::InsertBytes(Handle h, const void* source, uint32_t offset, uint32_t count) {
  SystemBlock* block = Slot(h);
  if (block == nullptr || block->discarded) return -1;
  const uint32_t size = GetSize(h);
  if (offset > size) return -1;
  if (count == 0) return 0;
  if (source == nullptr) return -1;
  // A source inside this block would move or be overwritten while we work.
  std::vector<uint8_t> aside;
  auto* src = static_cast<const uint8_t*>(source);
  if (src >= block->data && src < block->data + block->capacity) {
    aside.assign(src, src + count);
    src = aside.data();
  }
  if (uint64_t{size} + count > Handles::kMaxRequest) return -1;
  if (SetSize(h, size + count) != 0) return -1;
  uint8_t* p = Payload(h);
  BlockMove(p + offset, p + offset + count, size - offset);
  BlockMove(src, p + offset, count);
  return 0;
}

int Handles::DeleteBytes(Handle h, uint32_t offset, uint32_t count) {
  const uint32_t size = GetSize(h);
  uint8_t* p = Payload(h);
  if (p == nullptr || !InRange(size, offset, count)) return -1;
  BlockMove(p + offset + count, p + offset, size - offset - count);
  return SetSize(h, size - count);
}

int Handles::InsertHandle(Handle dest, Handle source, uint32_t offset, bool pad_to_even) {
  const uint8_t* src = Payload(source);
  if (src == nullptr) return -1;
  const uint32_t size = GetSize(source);
  // The pad byte is the one following the payload (the first guard byte), so that an
  // even count goes in.
  const uint32_t count = size + (pad_to_even && (size & 1) ? 1 : 0);
  std::vector<uint8_t> bytes(src, src + count);
  return InsertBytes(dest, bytes.data(), offset, count);
}

int Handles::Append(Handle source, Handle dest) {
  return InsertHandle(dest, source, GetSize(dest), false);
}

int Handles::ReplaceBytes(Handle dest, Handle source, uint32_t offset, uint32_t count) {
  const uint8_t* src = Payload(source);
  const uint32_t size = GetSize(dest);
  if (src == nullptr || Payload(dest) == nullptr || !InRange(size, offset, count)) return -1;
  const uint32_t src_size = GetSize(source);
  std::vector<uint8_t> bytes(src, src + src_size);
  const uint32_t tail = size - offset - count;
  if (src_size > count) {
    if (uint64_t{size} + (src_size - count) > Handles::kMaxRequest) return -1;
    // Grow first: when that fails nothing has changed.
    if (SetSize(dest, size + (src_size - count)) != 0) return -1;
    uint8_t* p = Payload(dest);
    BlockMove(p + offset + count, p + offset + src_size, tail);
    BlockMove(bytes.data(), p + offset, src_size);
    return 0;
  }
  uint8_t* p = Payload(dest);
  BlockMove(bytes.data(), p + offset, src_size);
  if (src_size == count) return 0;
  BlockMove(p + offset + count, p + offset + src_size, tail);
  return SetSize(dest, size - (count - src_size));
}

Handle Handles::CopyBytes(Handle h, uint32_t offset, uint32_t count) {
  if (Payload(h) == nullptr || !InRange(GetSize(h), offset, count)) return 0;
  Handle copy = New(count);
  if (copy != 0) BlockMove(Payload(h) + offset, Payload(copy), count);
  return copy;
}

Handle Handles::CutBytes(Handle h, uint32_t offset, uint32_t count) {
  Handle copy = CopyBytes(h, offset, count);
  if (copy != 0 && DeleteBytes(h, offset, count) != 0) DisposeAndClear(&copy);
  return copy;
}

int Handles::Duplicate(Handle* h) {
  if (h == nullptr || Payload(*h) == nullptr) return -1;
  Handle copy = CopyBytes(*h, 0, GetSize(*h));
  if (copy == 0) return -1;
  *h = copy;
  return 0;
}

int Handles::Equal(Handle a, Handle b) const {
  const uint8_t* pa = Payload(a);
  const uint8_t* pb = Payload(b);
  if (pa == nullptr || pb == nullptr || GetSize(a) != GetSize(b)) return 0;
  return std::memcmp(pa, pb, GetSize(a)) == 0 ? 1 : 0;
}

Handle Handles::FromSystemBlock(const SystemBlock* block) {
  if (block == nullptr || block->discarded) return 0;
  Handle h = New(block->size);
  if (h != 0) BlockMove(block->data, Payload(h), block->size);
  return h;
}

SystemBlock* Handles::ToSystemBlock(Handle h) {
  const uint8_t* p = Payload(h);
  if (p == nullptr) return nullptr;
  SystemBlock* block = SystemBlockNew(GetSize(h));
  if (block != nullptr) BlockMove(Payload(h), block->data, GetSize(h));
  return block;
}

}  // namespace corvida

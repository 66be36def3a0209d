#include "stackfile/lz.h"

#include <array>
#include <cstring>

namespace corvida {
namespace {

// Whole groups are decoded without per-item bounds checks while this much input (a group
// takes at most 2 + 16 * 2 bytes) and output (at most 16 * 18 bytes) remain.
constexpr size_t kFastInput = 64;
constexpr size_t kFastOutput = 288;

// Copies `count` bytes from `offset` bytes back; the regions may overlap, in which case
// the bytes repeat as if copied one at a time.
inline void CopyBack(uint8_t* dst, size_t offset, size_t count) {
  const uint8_t* src = dst - offset;
  if (offset == 1) {
    std::memset(dst, *src, count);
  } else if (offset >= count) {
    std::memcpy(dst, src, count);
  } else if (offset >= 8) {
    size_t i = 0;
    for (; i + 8 <= count; i += 8) std::memcpy(dst + i, src + i, 8);
    for (; i < count; ++i) dst[i] = src[i];
  } else {
    for (size_t i = 0; i < count; ++i) dst[i] = src[i];
  }
}

}  // namespace

size_t LzDecode(std::span<const uint8_t> block, std::span<uint8_t> out) {
  const size_t length = block.size();
  if (length < kLzHeaderSize) return 0;
  const uint8_t* in = block.data();
  if (in[0] == kLzMethodStored) {
    size_t n = std::min(length - kLzHeaderSize, out.size());
    if (n) std::memcpy(out.data(), in + kLzHeaderSize, n);
    return n;
  }
  uint8_t* const dst = out.data();
  const size_t capacity = out.size();
  size_t pos = kLzHeaderSize;
  size_t o = 0;
  while (pos < length) {
    // Fast path: a whole group with room to spare on both sides.
    if (length - pos >= kFastInput && capacity - o >= kFastOutput) {
      unsigned control = in[pos] | (unsigned(in[pos + 1]) << 8);
      pos += 2;
      if (control == 0) {
        std::memcpy(dst + o, in + pos, 16);
        pos += 16, o += 16;
        continue;
      }
      for (int bit = 0; bit < 16; ++bit, control >>= 1) {
        if (!(control & 1)) {
          dst[o++] = in[pos++];
          continue;
        }
        size_t offset = (size_t(in[pos] & 0xF0) << 4) | in[pos + 1];
        size_t count = size_t(in[pos] & 0x0F) + 3;
        pos += 2;
        if (offset == 0 || offset > o) return o;  // damaged: reaches before the output
        CopyBack(dst + o, offset, count);
        o += count;
      }
      continue;
    }
    // Checked path near the ends of input or output.
    if (length - pos < 2) return o;
    unsigned control = in[pos] | (unsigned(in[pos + 1]) << 8);
    pos += 2;
    for (int bit = 0; bit < 16 && pos < length; ++bit, control >>= 1) {
      if (!(control & 1)) {
        if (o >= capacity) return o;
        dst[o++] = in[pos++];
        continue;
      }
      if (length - pos < 2) return o;
      size_t offset = (size_t(in[pos] & 0xF0) << 4) | in[pos + 1];
      size_t count = size_t(in[pos] & 0x0F) + 3;
      pos += 2;
      if (offset == 0 || offset > o) return o;
      size_t room = capacity - o;
      if (count > room) {
        CopyBack(dst + o, offset, room);
        return capacity;
      }
      CopyBack(dst + o, offset, count);
      o += count;
    }
  }
  return o;
}

namespace {

inline size_t Hash3(const uint8_t* p) {
  return ((40543u * ((((unsigned(p[0]) << 4) ^ p[1]) << 4) ^ p[2])) >> 4) & 0xFFF;
}

std::vector<uint8_t> Stored(std::span<const uint8_t> input) {
  std::vector<uint8_t> out(kLzHeaderSize + input.size());
  out[0] = kLzMethodStored;
  if (!input.empty()) std::memcpy(out.data() + kLzHeaderSize, input.data(), input.size());
  return out;
}

void PutLength(std::vector<uint8_t>& block) {
  size_t n = block.size() <= 0xFFFF ? block.size() : 0;
  block[2] = uint8_t(n >> 8);
  block[3] = uint8_t(n);
}

}  // namespace

std::vector<uint8_t> LzEncode(std::span<const uint8_t> input) {
  const size_t n = input.size();
  const uint8_t* src = input.data();
  const size_t limit = kLzHeaderSize + ((n + 3) & ~size_t{3});
  std::vector<uint8_t> out;
  out.reserve(limit + 40);
  out.resize(kLzHeaderSize, 0);
  out[0] = kLzMethodPacked;
  // Positions of earlier three-byte strings by hash; SIZE_MAX for none yet.
  std::array<size_t, 4096> table;
  table.fill(SIZE_MAX);
  size_t p = 0;
  while (p < n) {
    if (out.size() > limit) {
      out = Stored(input);
      break;
    }
    size_t control_at = out.size();
    out.push_back(0), out.push_back(0);
    unsigned control = 0;
    for (int bit = 0; bit < 16 && p < n; ++bit) {
      if (n - p >= 3) {
        size_t h = Hash3(src + p);
        size_t candidate = table[h];
        table[h] = p;
        if (candidate != SIZE_MAX && p - candidate <= 4095 &&
            std::memcmp(src + candidate, src + p, 3) == 0) {
          size_t offset = p - candidate;
          size_t max = std::min<size_t>(18, n - p);
          size_t len = 3;
          while (len < max && src[candidate + len] == src[p + len]) ++len;
          out.push_back(uint8_t(((offset >> 4) & 0xF0) | (len - 3)));
          out.push_back(uint8_t(offset));
          control |= 1u << bit;
          p += len;
          continue;
        }
      }
      out.push_back(src[p++]);
    }
    out[control_at] = uint8_t(control);
    out[control_at + 1] = uint8_t(control >> 8);
  }
  if (out[0] == kLzMethodPacked && out.size() > limit) out = Stored(input);
  PutLength(out);
  return out;
}

}  // namespace corvida

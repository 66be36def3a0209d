#include "stackfile/lz.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CORVIDA_LZ_BYTE_SHUFFLE 1
#endif

namespace corvida {
namespace {

// Whole groups are decoded without per-item bounds checks while this much input (a group
// takes at most 2 + 16 * 2 bytes, and literal runs are moved 16 bytes at a time) and
// output remain (a group writes at most 16 * 18 bytes, and its moves may run up to 24
// bytes past an item's end).
constexpr size_t kFastInput = 64;
constexpr size_t kFastOutput = 320;

inline void Copy8(uint8_t* d, const uint8_t* s) {
  std::memcpy(d, s, 8);
}
inline void Copy4(uint8_t* d, const uint8_t* s) {
  std::memcpy(d, s, 4);
}

// Copies exactly n bytes (0..18) between regions that do not overlap, with fixed-size
// moves instead of a call or a byte loop.
inline void CopyShort(uint8_t* d, const uint8_t* s, size_t n) {
  if (n >= 8) {
    if (n > 16) {
      std::memcpy(d, s, 16);
    } else {
      Copy8(d, s);
    }
    Copy8(d + n - 8, s + n - 8);
  } else if (n >= 4) {
    Copy4(d, s);
    Copy4(d + n - 4, s + n - 4);
  } else if (n > 0) {
    d[0] = s[0];
    d[n / 2] = s[n / 2];
    d[n - 1] = s[n - 1];
  }
}

// Copies `count` bytes from `offset` bytes back, exactly; the regions may overlap, in
// which case the bytes repeat as if copied one at a time.
inline void CopyBack(uint8_t* dst, size_t offset, size_t count) {
  const uint8_t* src = dst - offset;
  if (offset >= count) {
    CopyShort(dst, src, count);
  } else if (offset == 1) {
    std::memset(dst, *src, count);
  } else {
    for (size_t i = 0; i < count; ++i) dst[i] = src[i];
  }
}

// The same for the fast path and copies of 3..18 bytes, writing 24 bytes from dst: the
// bytes past `count` are overwritten by the items that follow. An offset below 8 is first
// widened: the first 8 bytes are built from the pattern (four single bytes, then four
// from a place that already holds them), after which the source lies a whole number of
// patterns and at least 8 bytes back, so every 8-byte move reads final bytes.
inline void CopyBackFast(uint8_t* dst, size_t offset, size_t /*count*/) {
  const uint8_t* src = dst - offset;
  if (offset < 8) {
    static constexpr uint8_t kAhead[8] = {0, 1, 2, 1, 0, 4, 4, 4};
    static constexpr int8_t kBack[8] = {0, 0, 0, -1, -4, 1, 2, 3};
    dst[0] = src[0], dst[1] = src[1], dst[2] = src[2], dst[3] = src[3];
    src += kAhead[offset];
    Copy4(dst + 4, src);
    src -= kBack[offset];
  } else {
    Copy8(dst, src);
    src += 8;
  }
  Copy8(dst + 8, src);
  Copy8(dst + 16, src + 8);
}

#ifdef CORVIDA_LZ_BYTE_SHUFFLE
// Byte orders that repeat the first `offset` bytes of a 16-byte load (row 16: as they are).
alignas(16) constexpr auto kRepeatOrders = [] {
  std::array<std::array<uint8_t, 16>, 17> orders{};
  for (int offset = 1; offset <= 16; ++offset)
    for (int i = 0; i < 16; ++i) orders[offset][i] = uint8_t(i % offset);
  return orders;
}();

// The fast path's copy on processors with a byte shuffle: one 16-byte load from `offset`
// back, reordered so that a pattern shorter than 16 bytes repeats, then one store. Every
// copy, overlapping or not, takes the same steps: the shuffle keeps only the load's first
// min(offset, 16) bytes, which were all written before the copy. The rare copies of 17
// and 18 bytes add their last two bytes one at a time.
[[gnu::target("ssse3")]] inline void CopyBackShuffled(uint8_t* dst, size_t offset, size_t count) {
  const __m128i order = _mm_loadu_si128(
      reinterpret_cast<const __m128i*>(kRepeatOrders[std::min<size_t>(offset, 16)].data()));
  const uint8_t* src = dst - offset;
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(bytes, order));
  if (count > 16) [[unlikely]] {
    dst[16] = src[16];
    dst[17] = src[17];
  }
}
#endif

// Copies that share one offset are one long copy of their total length (each byte is
// the one `offset` back). Flat pictures are mostly such groups: the output then grows by
// doubling moves of the repeating pattern.
inline void RepeatBack(uint8_t* dst, size_t offset, size_t total) {
  if (offset == 1) {
    std::memset(dst, dst[-1], total);
    return;
  }
  const uint8_t* pattern = dst - offset;
  size_t chunk = offset;
  while (total > 0) {
    size_t n = std::min(chunk, total);
    std::memcpy(dst, pattern, n);  // dst - pattern is a multiple of offset and >= n
    dst += n, total -= n, chunk *= 2;
  }
}

// For a group of 16 copies with one offset: that offset and the total length, else 0.
inline size_t UniformCopies(const uint8_t* items, size_t& total) {
  const uint8_t high = items[0] & 0xF0, low = items[1];
  total = 0;
  for (int i = 0; i < 16; ++i) {
    if ((items[2 * i] & 0xF0) != high || items[2 * i + 1] != low) return 0;
    total += size_t(items[2 * i] & 0x0F) + 3;
  }
  return (size_t(high) << 4) | low;
}

constexpr uint32_t kStopBit = 0x10000;

// The number of clear bits below the lowest set one; `control` is never 0 (its stop bit).
inline int TrailingZeros(uint32_t control) {
  if (control == 0) __builtin_unreachable();
  return std::countr_zero(control);
}

// A copy item's two bytes, the first in the low half.
inline unsigned Item(const uint8_t* at) {
  if constexpr (std::endian::native == std::endian::little) {
    uint16_t v;
    std::memcpy(&v, at, 2);
    return v;
  } else {
    return at[0] | (unsigned(at[1]) << 8);
  }
}

// Whether the next item of the group (control bit 0, the stop bit excluded) is a copy
// with the same offset as the one just read, which ends right before `item`.
inline bool SameCopyNext(uint32_t control, const uint8_t* item) {
  return (control & 1) && control != 1 && item[1] == item[-1] &&
         (item[0] & 0xF0) == (item[-2] & 0xF0);
}

constexpr size_t kLongestOffset = 4095;

// Decodes the items of one group whose control word (with its stop bit) is `control`,
// advancing `ip` and `op`; false at a copy that reaches before the first byte written
// (`op` then ends there). With `kFar`, at least kLongestOffset bytes were written before
// the group, so only offset 0 can. `CopyBack` copies 3..18 bytes from `offset` back and
// may write up to 24 bytes.
template <void (*CopyBack)(uint8_t*, size_t, size_t), bool kFar>
[[gnu::always_inline]] inline bool DecodeGroup(uint32_t control, const uint8_t*& ip, uint8_t*& op,
                                               const uint8_t* dst) {
  while (true) {
    // A run of literals (clear control bits) moves 16 bytes at once; a copy follows.
    const int literals = TrailingZeros(control);
    std::memcpy(op, ip, 16);
    op += literals, ip += literals;
    control >>= literals;
    if (control == 1) return true;
    const unsigned item = Item(ip);
    const size_t offset = (size_t(item & 0xF0) << 4) | (item >> 8);
    size_t count = size_t(item & 0x0F) + 3;
    ip += 2;
    control >>= 1;
    if (kFar ? offset == 0 : offset - 1 >= size_t(op - dst)) return false;
    if (count > 16) [[unlikely]] {
      // A longest copy followed by copies with the same offset is one long repeat (as in
      // flat areas); it grows by doubling moves. Looking ahead only after a longest copy
      // keeps the check off the mixed items of detailed pictures.
      if (count == 18 && SameCopyNext(control, ip)) {
        do {
          count += size_t(ip[0] & 0x0F) + 3;
          ip += 2, control >>= 1;
        } while (SameCopyNext(control, ip));
        RepeatBack(op, offset, count);
      } else {
        CopyBack(op, offset, count);
      }
    } else {
      CopyBack(op, offset, count);  // the copy's own test of a long count folds away here
    }
    op += count;
    if (control == 1) return true;
  }
}

// Decodes whole groups while input and output have room to spare, advancing `pos` and
// `o`; false at a copy that reaches before the first byte written (`o` then ends there).
template <void (*CopyBack)(uint8_t*, size_t, size_t)>
[[gnu::always_inline]] inline bool DecodeGroups(const uint8_t* in, size_t length, size_t& pos,
                                                uint8_t* dst, size_t capacity, size_t& o) {
  while (length - pos >= kFastInput && capacity - o >= kFastOutput) {
    // The control word with a stop bit above its 16 items: the group ends when only the
    // stop bit is left.
    const uint32_t control = (in[pos] | (uint32_t(in[pos + 1]) << 8)) | kStopBit;
    pos += 2;
    if (control == (0xFFFF | kStopBit)) {
      size_t total = 0;
      size_t offset = UniformCopies(in + pos, total);
      if (offset != 0) {
        if (offset > o) return false;
        RepeatBack(dst + o, offset, total);
        o += total, pos += 32;
        continue;
      }
    }
    const uint8_t* ip = in + pos;
    uint8_t* op = dst + o;
    const bool decoded = o >= kLongestOffset ? DecodeGroup<CopyBack, true>(control, ip, op, dst)
                                             : DecodeGroup<CopyBack, false>(control, ip, op, dst);
    pos = size_t(ip - in), o = size_t(op - dst);
    if (!decoded) return false;
  }
  return true;
}

// Decodes item by item with every bound checked, near the ends of input or output.
size_t DecodeChecked(const uint8_t* in, size_t length, size_t pos, uint8_t* dst, size_t capacity,
                     size_t o) {
  while (pos < length) {
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

template <void (*FastCopyBack)(uint8_t*, size_t, size_t)>
[[gnu::always_inline]] inline size_t Decode(std::span<const uint8_t> block,
                                            std::span<uint8_t> out) {
  const size_t length = block.size();
  if (length < kLzHeaderSize) return 0;
  const uint8_t* in = block.data();
  if (in[0] == kLzMethodStored) {
    size_t n = std::min(length - kLzHeaderSize, out.size());
    if (n) std::memcpy(out.data(), in + kLzHeaderSize, n);
    return n;
  }
  size_t pos = kLzHeaderSize, o = 0;
  // The room the fast path needs never comes back once it is gone, so the checked path
  // finishes the block.
  if (!DecodeGroups<FastCopyBack>(in, length, pos, out.data(), out.size(), o)) return o;
  return DecodeChecked(in, length, pos, out.data(), out.size(), o);
}

#ifdef CORVIDA_LZ_BYTE_SHUFFLE
[[gnu::target("ssse3")]] size_t DecodeShuffled(std::span<const uint8_t> block,
                                               std::span<uint8_t> out) {
  return Decode<CopyBackShuffled>(block, out);
}

bool HasByteShuffle() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}

// Asked once; a decode that runs before this is set (from another file's static
// initialisation) takes the portable path, which decodes the same.
const bool kHasByteShuffle = HasByteShuffle();
#endif

}  // namespace

size_t LzDecodePortable(std::span<const uint8_t> block, std::span<uint8_t> out) {
  return Decode<CopyBackFast>(block, out);
}

size_t LzDecode(std::span<const uint8_t> block, std::span<uint8_t> out) {
#ifdef CORVIDA_LZ_BYTE_SHUFFLE
  if (kHasByteShuffle) return DecodeShuffled(block, out);
#endif
  return LzDecodePortable(block, out);
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
  std::vector<uint8_t> out(kLzHeaderSize, 0);  // method 0: packed
  out.reserve(limit + 40);
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

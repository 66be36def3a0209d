// The LZ block: pictures are packed as a 4-byte header (method byte, unused byte, block
// length big-endian in bytes 2..3) and a body. Method 1 stores the body as it is; any
// other method packs it in groups: a 16-bit control word (little-endian), then one item
// per control bit from bit 0 up: a literal byte for 0, or for 1 a two-byte copy of
// 3..18 bytes from 1..4095 bytes back in the output (a copy may overlap its own output).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvida {

inline constexpr size_t kLzHeaderSize = 4;
inline constexpr uint8_t kLzMethodStored = 1;
inline constexpr uint8_t kLzMethodPacked = 0;

// Decodes one block into `out` and returns the number of bytes written. Decoding stops
// where the input ends (also inside a group or an item), where the output is full, and
// at a copy that would reach before the first byte written; what was decoded until then
// stays. A block shorter than its header decodes nothing.
size_t LzDecode(std::span<const uint8_t> block, std::span<uint8_t> out);

// The same decoding without the byte-shuffle instructions LzDecode uses where the
// processor has them (what other processors and the browser run); results and output are
// identical.
size_t LzDecodePortable(std::span<const uint8_t> block, std::span<uint8_t> out);

// Packs `input` into one block. When packing does not pay (the output outgrows the
// input rounded up to a multiple of 4), the block is stored instead. Bytes 2..3 hold the
// block length, or 0 when it does not fit 16 bits.
std::vector<uint8_t> LzEncode(std::span<const uint8_t> input);

// The block length field of a block (bytes 2..3); 0 for a block shorter than its header.
inline size_t LzBlockLength(std::span<const uint8_t> block) {
  return block.size() < kLzHeaderSize ? 0 : size_t(block[2]) << 8 | block[3];
}

}  // namespace corvida

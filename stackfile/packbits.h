// PackBits: runs of bytes, each a count byte n and its data. n from 0 to 127: n + 1
// literal bytes follow; n from -127 to -1: one byte follows, repeated 1 - n times; -128
// is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvida {

// Unpacks a stream piece by piece: each Read continues where the previous one stopped,
// also inside a run, so a picture can be unpacked row by row.
class PackBitsReader {
 public:
  explicit PackBitsReader(std::span<const uint8_t> in) : in_(in) {}
  // Fills as much of `out` as the stream gives and returns the bytes written (less than
  // out.size() only when the input has ended).
  size_t Read(std::span<uint8_t> out);

 private:
  std::span<const uint8_t> in_;
  size_t pos_ = 0;
  size_t literal_left_ = 0;  // literal bytes still to copy from in_[pos_]
  size_t repeat_left_ = 0;   // repeats of repeat_value_ still to write
  uint8_t repeat_value_ = 0;
};

// Unpacks into `out`, runs clipped to it; returns the bytes written.
inline size_t PackBitsDecode(std::span<const uint8_t> in, std::span<uint8_t> out) {
  return PackBitsReader(in).Read(out);
}

// Packs bytes (for tests and the authoring side).
std::vector<uint8_t> PackBitsEncode(std::span<const uint8_t> in);

}  // namespace corvida

// Fixed-width integers in byte buffers, named by their byte order: stacks store theirs
// big-endian, while icons, picture files, file references and some runtime tables are
// little-endian. Every reader and writer takes the buffer as a span and an offset and
// never touches a byte outside it: a read of a field that does not lie inside the span
// returns 0 and a write writes nothing and returns false. Callers that must tell a short
// buffer from a stored zero ask `InBounds` first, as the record walks do.
//
// This sits at the bottom layer so that the picture readers of the platform share it
// with the stack, engine and shell code above.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace corvida {

// Whether `width` bytes from `offset` lie inside `bytes` (no overflow for any offset).
constexpr bool InBounds(std::span<const uint8_t> bytes, uint64_t offset, uint64_t width) {
  return offset <= bytes.size() && width <= bytes.size() - offset;
}

namespace bytes_detail {

template <size_t Width, std::endian Order>
constexpr uint32_t Read(std::span<const uint8_t> bytes, size_t offset) {
  if (!InBounds(bytes, offset, Width)) return 0;
  uint32_t value = 0;
  for (size_t i = 0; i < Width; ++i) {
    const size_t at = Order == std::endian::big ? i : Width - 1 - i;
    value = value << 8 | bytes[offset + at];
  }
  return value;
}

template <size_t Width, std::endian Order>
constexpr bool Write(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  if (!InBounds(bytes, offset, Width)) return false;
  for (size_t i = 0; i < Width; ++i) {
    const size_t at = Order == std::endian::big ? Width - 1 - i : i;
    bytes[offset + at] = static_cast<uint8_t>(value >> (8 * i));
  }
  return true;
}

}  // namespace bytes_detail

constexpr uint16_t ReadBE16(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(bytes_detail::Read<2, std::endian::big>(bytes, offset));
}
constexpr uint32_t ReadBE32(std::span<const uint8_t> bytes, size_t offset) {
  return bytes_detail::Read<4, std::endian::big>(bytes, offset);
}
constexpr uint16_t ReadLE16(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(bytes_detail::Read<2, std::endian::little>(bytes, offset));
}
constexpr uint32_t ReadLE32(std::span<const uint8_t> bytes, size_t offset) {
  return bytes_detail::Read<4, std::endian::little>(bytes, offset);
}

constexpr bool WriteBE16(std::span<uint8_t> bytes, size_t offset, uint16_t value) {
  return bytes_detail::Write<2, std::endian::big>(bytes, offset, value);
}
constexpr bool WriteBE32(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  return bytes_detail::Write<4, std::endian::big>(bytes, offset, value);
}
constexpr bool WriteLE16(std::span<uint8_t> bytes, size_t offset, uint16_t value) {
  return bytes_detail::Write<2, std::endian::little>(bytes, offset, value);
}
constexpr bool WriteLE32(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  return bytes_detail::Write<4, std::endian::little>(bytes, offset, value);
}

}  // namespace corvida

// Bounded field access for records kept in their stored layout. Records hold their
// integers big-endian in the file and native (little-endian) in memory; the conversion
// helpers here swap one field at a time and never touch a byte outside the record.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string>

#include "platform/bytes.h"

namespace corvida {

static_assert(std::endian::native == std::endian::little,
              "records are kept little-endian in memory; the stored form is their byte swap");

// Which way a conversion runs: after reading (stored -> native) or before writing.
enum class Direction { kLoad, kSave };

// A byte range of a record: the conversion routines work on views, so a field is
// converted only when it lies inside its container.
struct Bytes {
  uint8_t* data = nullptr;
  size_t size = 0;

  bool Holds(size_t offset, size_t width) const { return offset <= size && width <= size - offset; }
  Bytes Sub(size_t offset, size_t length) const {
    if (!Holds(offset, length)) return {};
    return {data + offset, length};
  }
  // Readers that only look take the bytes as a read-only span.
  operator std::span<const uint8_t>() const { return {data, size}; }
};

inline uint16_t Get16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline uint32_t Get32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Put16(uint8_t* p, uint16_t v) {
  std::memcpy(p, &v, 2);
}
inline void Put32(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}
inline int16_t GetI16(const uint8_t* p) {
  return static_cast<int16_t>(Get16(p));
}

// Big-endian reads and writes (the stored form) of a field the caller has found inside
// its record.
inline uint16_t GetBE16(const uint8_t* p) {
  return ReadBE16({p, 2}, 0);
}
inline uint32_t GetBE32(const uint8_t* p) {
  return ReadBE32({p, 4}, 0);
}
inline void PutBE16(uint8_t* p, uint16_t v) {
  WriteBE16({p, 2}, 0, v);
}
inline void PutBE32(uint8_t* p, uint32_t v) {
  WriteBE32({p, 4}, 0, v);
}

// Bounded native reads: 0 when the field does not lie inside the view.
inline uint16_t Field16(Bytes b, size_t offset) {
  return b.Holds(offset, 2) ? Get16(b.data + offset) : 0;
}
inline uint32_t Field32(Bytes b, size_t offset) {
  return b.Holds(offset, 4) ? Get32(b.data + offset) : 0;
}

// Swaps one field in place when it lies inside the view and returns its native value
// (read after the swap on load, before it on save), so that a walk that converts and
// steps by lengths sees the same numbers in both directions.
inline uint16_t Convert16(Bytes b, size_t offset, Direction dir) {
  if (!b.Holds(offset, 2)) return 0;
  uint8_t* p = b.data + offset;
  uint16_t native = dir == Direction::kLoad ? GetBE16(p) : Get16(p);
  if (dir == Direction::kLoad) {
    Put16(p, native);
  } else {
    PutBE16(p, native);
  }
  return native;
}
inline uint32_t Convert32(Bytes b, size_t offset, Direction dir) {
  if (!b.Holds(offset, 4)) return 0;
  uint8_t* p = b.data + offset;
  uint32_t native = dir == Direction::kLoad ? GetBE32(p) : Get32(p);
  if (dir == Direction::kLoad) {
    Put32(p, native);
  } else {
    PutBE32(p, native);
  }
  return native;
}
inline void Convert16s(Bytes b, std::initializer_list<size_t> offsets, Direction dir) {
  for (size_t o : offsets) Convert16(b, o, dir);
}
inline void Convert32s(Bytes b, std::initializer_list<size_t> offsets, Direction dir) {
  for (size_t o : offsets) Convert32(b, o, dir);
}

// A rectangle is stored top, left, bottom, right and held left, top, right, bottom.
inline void ConvertRect(Bytes b, size_t offset, Direction dir) {
  if (!b.Holds(offset, 8)) return;
  uint8_t* p = b.data + offset;
  uint16_t v[4];
  if (dir == Direction::kLoad) {
    uint16_t top = GetBE16(p), left = GetBE16(p + 2), bottom = GetBE16(p + 4),
             right = GetBE16(p + 6);
    v[0] = left, v[1] = top, v[2] = right, v[3] = bottom;
    for (int i = 0; i < 4; ++i) Put16(p + 2 * i, v[i]);
  } else {
    uint16_t left = Get16(p), top = Get16(p + 2), right = Get16(p + 4), bottom = Get16(p + 6);
    v[0] = top, v[1] = left, v[2] = bottom, v[3] = right;
    for (int i = 0; i < 4; ++i) PutBE16(p + 2 * i, v[i]);
  }
}

// Length of a counted string in a fixed field: a length byte larger than the field
// allows is clamped to the field less one.
inline size_t CountedLength(Bytes b, size_t offset, size_t field) {
  if (!b.Holds(offset, 1) || field == 0) return 0;
  size_t room = std::min(field, b.size - offset);
  size_t n = b.data[offset];
  return std::min(n, room - 1);
}
// The text of a counted string field as stored bytes (no character conversion).
inline std::string CountedText(Bytes b, size_t offset, size_t field) {
  size_t n = CountedLength(b, offset, field);
  return n ? std::string(reinterpret_cast<const char*>(b.data + offset + 1), n) : std::string();
}
// The text of a NUL-terminated field; a missing NUL ends at the field (or the view).
inline std::string TerminatedText(Bytes b, size_t offset, size_t field) {
  if (!b.Holds(offset, 0)) return {};
  size_t room = std::min(field, b.size - offset);
  const char* p = reinterpret_cast<const char*>(b.data + offset);
  size_t n = 0;
  while (n < room && p[n] != 0) ++n;
  return std::string(p, n);
}

}  // namespace corvida

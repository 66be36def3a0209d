// Byte-order readers and writers: each order and width reads the same four bytes as the
// number it names, and a field that runs past the buffer reads 0 and is never written.
#include "platform/bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace corvida {
namespace {

constexpr std::array<uint8_t, 5> kSample = {0x12, 0x34, 0x56, 0x78, 0x9A};
constexpr size_t kFar = std::numeric_limits<size_t>::max() - 1;

struct ReadCase {
  const char* name;
  uint32_t (*read)(std::span<const uint8_t>, size_t);
  size_t offset;
  uint32_t expected;
};

TEST(Bytes, ReadsEachOrderAndWidthAndNothingPastTheEnd) {
  const ReadCase cases[] = {
      {"BE16", [](auto b, size_t o) -> uint32_t { return ReadBE16(b, o); }, 0, 0x1234},
      {"BE16", [](auto b, size_t o) -> uint32_t { return ReadBE16(b, o); }, 3, 0x789A},
      {"BE16", [](auto b, size_t o) -> uint32_t { return ReadBE16(b, o); }, 4, 0},
      {"LE16", [](auto b, size_t o) -> uint32_t { return ReadLE16(b, o); }, 0, 0x3412},
      {"LE16", [](auto b, size_t o) -> uint32_t { return ReadLE16(b, o); }, 3, 0x9A78},
      {"LE16", [](auto b, size_t o) -> uint32_t { return ReadLE16(b, o); }, kFar, 0},
      {"BE32", ReadBE32, 0, 0x12345678},
      {"BE32", ReadBE32, 1, 0x3456789A},
      {"BE32", ReadBE32, 2, 0},
      {"LE32", ReadLE32, 0, 0x78563412},
      {"LE32", ReadLE32, 1, 0x9A785634},
      {"LE32", ReadLE32, kFar, 0},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(c.read(kSample, c.offset), c.expected) << c.name << " at " << c.offset;
  }
}

struct WriteCase {
  const char* name;
  bool (*write)(std::span<uint8_t>, size_t, uint32_t);
  size_t offset;
  bool written;
  std::array<uint8_t, 5> after;
};

TEST(Bytes, WritesEachOrderAndWidthAndLeavesShortBuffersAlone) {
  const WriteCase cases[] = {
      {"BE16",
       [](auto b, size_t o, uint32_t v) { return WriteBE16(b, o, uint16_t(v)); },
       1,
       true,
       {0, 0x56, 0x78, 0, 0}},
      {"LE16",
       [](auto b, size_t o, uint32_t v) { return WriteLE16(b, o, uint16_t(v)); },
       3,
       true,
       {0, 0, 0, 0x78, 0x56}},
      {"LE16",
       [](auto b, size_t o, uint32_t v) { return WriteLE16(b, o, uint16_t(v)); },
       4,
       false,
       {}},
      {"BE32", WriteBE32, 1, true, {0, 0x12, 0x34, 0x56, 0x78}},
      {"BE32", WriteBE32, 2, false, {}},
      {"LE32", WriteLE32, 0, true, {0x78, 0x56, 0x34, 0x12, 0}},
      {"LE32", WriteLE32, kFar, false, {}},
  };
  for (const WriteCase& c : cases) {
    std::array<uint8_t, 5> buffer{};
    EXPECT_EQ(c.write(buffer, c.offset, 0x12345678), c.written) << c.name << " at " << c.offset;
    EXPECT_EQ(buffer, c.after) << c.name << " at " << c.offset;
  }
}

TEST(Bytes, WhatIsWrittenReadsBack) {
  std::vector<uint8_t> buffer(8);
  WriteBE32(buffer, 0, 0xFACEBEEF);
  WriteLE32(buffer, 4, 0xFACEBEEF);
  EXPECT_EQ(ReadBE32(buffer, 0), 0xFACEBEEFu);
  EXPECT_EQ(ReadLE32(buffer, 4), 0xFACEBEEFu);
  EXPECT_EQ(ReadBE16(buffer, 0), 0xFACE);
  EXPECT_EQ(ReadLE16(buffer, 4), 0xBEEF);
}

TEST(Bytes, InBoundsNeverWrapsAround) {
  const std::span<const uint8_t> four(kSample.data(), 4);
  EXPECT_TRUE(InBounds(four, 0, 4));
  EXPECT_TRUE(InBounds(four, 4, 0));
  EXPECT_FALSE(InBounds(four, 1, 4));
  EXPECT_FALSE(InBounds(four, 5, 0));
  EXPECT_FALSE(InBounds(four, 2, std::numeric_limits<uint64_t>::max()));
  EXPECT_FALSE(InBounds(four, std::numeric_limits<uint64_t>::max(), 2));
  EXPECT_TRUE(InBounds({}, 0, 0));
}

}  // namespace
}  // namespace corvida

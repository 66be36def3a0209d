#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "stackfile/lz.h"

namespace corvida::lz_test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Decode(const Bytes& block, size_t capacity = 4096) {
  Bytes out(capacity, 0xEE);
  out.resize(LzDecode(block, out));
  return out;
}

// A packed block from groups given as (control word, item bytes).
Bytes Packed(std::initializer_list<std::pair<uint16_t, Bytes>> groups) {
  Bytes block = {0, 0, 0, 0};
  for (const auto& [control, items] : groups) {
    block.push_back(uint8_t(control)), block.push_back(uint8_t(control >> 8));
    block.insert(block.end(), items.begin(), items.end());
  }
  return block;
}

TEST(Lz, StoredAndShortBlocks) {
  EXPECT_EQ(Decode({1, 0, 0, 7, 'a', 'b', 'c'}), (Bytes{'a', 'b', 'c'}));
  EXPECT_TRUE(Decode({}).empty());
  EXPECT_TRUE(Decode({0, 0, 0}).empty());
  EXPECT_TRUE(Decode({1, 0, 0}).empty());
  // A stored block larger than the output fills the output and stops.
  EXPECT_EQ(Decode({1, 0, 0, 0, 1, 2, 3, 4, 5}, 2), (Bytes{1, 2}));
}

TEST(Lz, LiteralsCopiesAndOverlap) {
  // Literal 'x', then a copy of offset 1, count 18: the previous byte 18 more times.
  Bytes out = Decode(Packed({{0b10, {'x', 0x0F, 0x01}}}));
  EXPECT_EQ(out, Bytes(19, 'x'));
  // "ab" then offset 2 count 5 overlaps its own output: "ababab" + "a".
  out = Decode(Packed({{0b100, {'a', 'b', 0x02, 0x02}}}));
  EXPECT_EQ(std::string(out.begin(), out.end()), "abababa");
  // The high nibble of the first copy byte holds offset bits 8..11: 260 literals, then a
  // copy of 3 bytes from 258 back inside the last group.
  Bytes lits(260);
  for (size_t i = 0; i < lits.size(); ++i) lits[i] = uint8_t(i * 7);
  Bytes block = {0, 0, 0, 0};
  for (size_t i = 0; i < 256; i += 16) {
    block.push_back(0), block.push_back(0);
    block.insert(block.end(), lits.begin() + long(i), lits.begin() + long(i + 16));
  }
  block.push_back(1 << 4), block.push_back(0);
  block.insert(block.end(), lits.begin() + 256, lits.end());
  block.push_back(0x10), block.push_back(0x02);
  Bytes expected = lits;
  for (int i = 0; i < 3; ++i) expected.push_back(expected[expected.size() - 258]);
  EXPECT_EQ(Decode(block), expected);
}

TEST(Lz, StopsWhereTheInputEndsEvenInsideAGroupOrItem) {
  // The control word promises 16 items but only 2 literals follow.
  EXPECT_EQ(Decode(Packed({{0, {'a', 'b'}}})), (Bytes{'a', 'b'}));
  // A copy item cut after its first byte is dropped.
  EXPECT_EQ(Decode(Packed({{0b10, {'a', 0x00}}})), (Bytes{'a'}));
  // A lone control byte at the end is not read as half a control word.
  Bytes block = Packed({{0, Bytes(16, 'q')}});
  block.push_back(0xFF);
  EXPECT_EQ(Decode(block), Bytes(16, 'q'));
}

TEST(Lz, HostileBlocksStayInsideTheOutput) {
  // A copy reaching before the first byte written ends the block there.
  EXPECT_EQ(Decode(Packed({{0b10, {'a', 0x00, 0x05}}})), (Bytes{'a'}));
  EXPECT_TRUE(Decode(Packed({{0b1, {0xF0, 0xFF}}})).empty());
  // Output full: a copy is cut at the end of the buffer, literals stop.
  EXPECT_EQ(Decode(Packed({{0b10, {'z', 0x0F, 0x01}}}), 5), Bytes(5, 'z'));
  // Long hostile input on the fast path: every group copies from far back.
  Bytes block = {0, 0, 0, 0};
  for (int g = 0; g < 100; ++g) {
    block.push_back(0xFF), block.push_back(0xFF);
    for (int i = 0; i < 16; ++i) block.push_back(0xFF), block.push_back(0xFF);
  }
  EXPECT_TRUE(Decode(block, 100000).empty());
  // 64 literals, then groups of copies that all reach 65 bytes back: one byte too far.
  block = {0, 0, 0, 0};
  for (int g = 0; g < 4; ++g) {
    block.push_back(0), block.push_back(0);
    for (int i = 0; i < 16; ++i) block.push_back(uint8_t(g * 16 + i));
  }
  for (int g = 0; g < 4; ++g) {
    block.push_back(0xFF), block.push_back(0xFF);
    for (int i = 0; i < 16; ++i) block.push_back(0x0F), block.push_back(65);
  }
  EXPECT_EQ(Decode(block, 100000).size(), 64u);
  // 4094 bytes (a literal repeated by copies, then literals), then a copy from 4095 back.
  block = {0, 0, 0, 0, 0xFE, 0xFF, 'x'};
  for (int i = 0; i < 15; ++i) block.push_back(i ? 3 : 6), block.push_back(1);
  for (int g = 0; g < 250; ++g) {
    block.push_back(0), block.push_back(0);
    for (int i = 0; i < 16; ++i) block.push_back(uint8_t(i));
  }
  for (int g = 0; g < 4; ++g) {
    block.push_back(1), block.push_back(0);
    block.push_back(0xFF), block.push_back(0xFF);
    for (int i = 0; i < 15; ++i) block.push_back(uint8_t(i));
  }
  EXPECT_EQ(Decode(block, 100000).size(), 4094u);
}

// The decoding rules one byte at a time, for comparison: the same stops as LzDecode
// (the input ends, the output is full, a copy reaches before the first byte).
Bytes Reference(const Bytes& block, size_t capacity) {
  Bytes out;
  if (block.size() < 4) return out;
  if (block[0] == kLzMethodStored) {
    out.assign(block.begin() + 4, block.begin() + 4 + long(std::min(block.size() - 4, capacity)));
    return out;
  }
  size_t pos = 4;
  while (pos + 2 <= block.size()) {
    unsigned control = block[pos] | (block[pos + 1] << 8);
    pos += 2;
    for (int bit = 0; bit < 16 && pos < block.size(); ++bit, control >>= 1) {
      if (!(control & 1)) {
        if (out.size() == capacity) return out;
        out.push_back(block[pos++]);
        continue;
      }
      if (pos + 2 > block.size()) return out;
      size_t offset = (size_t(block[pos] & 0xF0) << 4) | block[pos + 1];
      size_t count = size_t(block[pos] & 15) + 3;
      pos += 2;
      if (offset == 0 || offset > out.size()) return out;
      for (size_t i = 0; i < count && out.size() < capacity; ++i)
        out.push_back(out[out.size() - offset]);
    }
  }
  return out;
}

// Kinds of packed streams, long enough for whole-group decoding.
struct StreamStyle {
  const char* what;
  unsigned copy_percent;  // of the items
  size_t max_offset;      // copies reach 1 to this many bytes back (at most what exists)
  size_t min_count;       // copies are min_count to 18 bytes long
  bool shared_offset;     // a group's copies share one offset
};

constexpr StreamStyle kStreamStyles[] = {
    {"short offsets overlapping their copies", 60, 8, 3, false},
    {"offsets near 16 with the longest copies", 60, 20, 16, false},
    {"any offset and length", 60, 4095, 3, false},
    {"short copies among literals, as in photographs", 65, 700, 3, false},
    {"groups of copies sharing one offset", 100, 20, 3, true},
    {"mostly literals", 15, 4095, 3, false},
};

Bytes RandomStream(const StreamStyle& style, std::mt19937& rng) {
  Bytes block = {0, 0, 0, 0};
  size_t produced = 0;
  for (int group = 0; group < 40; ++group) {
    unsigned control = 0;
    Bytes items;
    const size_t shared = 1 + rng() % style.max_offset;
    for (int bit = 0; bit < 16; ++bit) {
      if (rng() % 100 >= style.copy_percent || produced == 0) {
        items.push_back(uint8_t(rng()));
        ++produced;
        continue;
      }
      size_t offset =
          std::min(produced, style.shared_offset ? shared : 1 + rng() % style.max_offset);
      size_t count = style.min_count + rng() % (19 - style.min_count);
      items.push_back(uint8_t(((offset >> 4) & 0xF0) | (count - 3)));
      items.push_back(uint8_t(offset));
      control |= 1u << bit;
      produced += count;
    }
    block.push_back(uint8_t(control)), block.push_back(uint8_t(control >> 8));
    block.insert(block.end(), items.begin(), items.end());
  }
  return block;
}

// The first copy item at or after byte `from` of a stream made by RandomStream, or 0.
size_t CopyItemAfter(const Bytes& block, size_t from) {
  size_t pos = 4;
  while (pos + 2 <= block.size()) {
    unsigned control = block[pos] | (block[pos + 1] << 8);
    pos += 2;
    for (int bit = 0; bit < 16 && pos < block.size(); ++bit, control >>= 1) {
      if (!(control & 1)) {
        ++pos;
        continue;
      }
      if (pos >= from) return pos;
      pos += 2;
    }
  }
  return 0;
}

void ExpectDecodersMatchTheRules(const Bytes& block, size_t capacity, const std::string& what) {
  const Bytes expected = Reference(block, capacity);
  for (auto* decode : {&LzDecode, &LzDecodePortable}) {
    Bytes out(capacity, 0xEE);
    out.resize(decode(block, out));
    ASSERT_EQ(out, expected) << what << (decode == &LzDecode ? "" : " (portable)");
  }
}

TEST(Lz, BothDecodersFollowTheByteByByteRules) {
  std::mt19937 rng(21);
  for (const StreamStyle& style : kStreamStyles) {
    for (int round = 0; round < 40; ++round) {
      Bytes block = RandomStream(style, rng);
      const size_t full = Reference(block, SIZE_MAX).size();
      const std::string what = std::string(style.what) + ", round " + std::to_string(round);
      // Room to spare, exactly enough, and cut short anywhere (the fast path gives way to
      // the checked one near the end).
      for (size_t capacity : {full + 400, full, size_t(rng() % (full + 1))})
        ExpectDecodersMatchTheRules(block, capacity, what);
      // A copy somewhere in the stream reaching before the first byte, or with offset 0.
      if (size_t at = CopyItemAfter(block, rng() % block.size())) {
        block[at] |= 0xF0, block[at + 1] = 0xFF;
        ExpectDecodersMatchTheRules(block, full + 400, what + ", a copy from too far back");
        block[at] &= 0x0F, block[at + 1] = 0;
        ExpectDecodersMatchTheRules(block, full + 400, what + ", a copy with offset 0");
      }
      // Cut anywhere, also inside a group or an item.
      block.resize(rng() % block.size());
      ExpectDecodersMatchTheRules(block, full + 400,
                                  what + ", cut at " + std::to_string(block.size()));
    }
  }
  // Any bytes at all.
  for (int round = 0; round < 300; ++round) {
    Bytes noise(size_t(rng() % 2000));
    for (auto& b : noise) b = uint8_t(rng());
    if (!noise.empty()) noise[0] = 0;
    ExpectDecodersMatchTheRules(noise, size_t(rng() % 3000),
                                "noise, round " + std::to_string(round));
  }
}

TEST(Lz, PackerRoundTrips) {
  std::mt19937 rng(11);
  std::vector<Bytes> inputs;
  inputs.push_back({});
  inputs.push_back({42});
  inputs.push_back(Bytes(100000, 0x33));  // flat
  Bytes noise(70000);
  for (auto& b : noise) b = uint8_t(rng());
  inputs.push_back(noise);  // incompressible
  Bytes photo(64000);
  for (size_t i = 0; i < photo.size(); ++i) photo[i] = uint8_t((i / 3) % 50 + rng() % 3);
  inputs.push_back(photo);
  Bytes text;
  for (int i = 0; i < 2000; ++i) text.push_back(uint8_t("the quick brown fox "[i % 20]));
  inputs.push_back(text);
  for (const Bytes& input : inputs) {
    Bytes block = LzEncode(input);
    Bytes out(input.size() + 16);
    out.resize(LzDecode(block, out));
    EXPECT_EQ(out, input) << input.size();
    EXPECT_LE(block.size(), 4 + ((input.size() + 3) & ~size_t{3}) + 34);
    EXPECT_EQ(LzBlockLength(block), block.size() <= 0xFFFF ? block.size() : 0u);
  }
  // Flat data packs well; noise falls back to a stored block of input length + 4.
  EXPECT_LT(LzEncode(inputs[2]).size(), 12000u);  // 288 bytes per 34-byte group
  Bytes stored = LzEncode(noise);
  EXPECT_EQ(stored[0], kLzMethodStored);
  EXPECT_EQ(stored.size(), noise.size() + 4);
}

}  // namespace
}  // namespace corvida::lz_test

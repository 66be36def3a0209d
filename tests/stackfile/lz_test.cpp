#include <gtest/gtest.h>

#include <random>

#include "stackfile/lz.h"

namespace corvida {
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
  std::mt19937 rng(3);
  for (int round = 0; round < 500; ++round) {
    Bytes noise(size_t(rng() % 400));
    for (auto& b : noise) b = uint8_t(rng());
    if (!noise.empty()) noise[0] = 0;
    Bytes out(size_t(rng() % 600));
    ASSERT_LE(LzDecode(noise, out), out.size());
  }
}

// The decoding rules one byte at a time, for comparison.
Bytes Reference(const Bytes& block) {
  Bytes out;
  size_t pos = 4;
  while (pos + 2 <= block.size()) {
    unsigned control = block[pos] | (block[pos + 1] << 8);
    pos += 2;
    for (int bit = 0; bit < 16 && pos < block.size(); ++bit, control >>= 1) {
      if (!(control & 1)) {
        out.push_back(block[pos++]);
        continue;
      }
      size_t offset = (size_t(block[pos] & 0xF0) << 4) | block[pos + 1];
      size_t count = size_t(block[pos] & 15) + 3;
      pos += 2;
      for (size_t i = 0; i < count; ++i) out.push_back(out[out.size() - offset]);
    }
  }
  return out;
}

TEST(Lz, FastPathMatchesTheByteByByteRules) {
  // Valid random streams, long enough for whole-group decoding, with short offsets that
  // overlap their copies, runs of copies sharing one offset, and literal runs.
  std::mt19937 rng(21);
  for (int round = 0; round < 300; ++round) {
    Bytes block = {0, 0, 0, 0};
    size_t produced = 0;
    const int style = round % 3;
    for (int group = 0; group < 40; ++group) {
      unsigned wanted = style == 1 ? 0xFFFF : unsigned(rng()) & 0xFFFF;
      unsigned control = 0;
      Bytes items;
      size_t shared = 1 + rng() % 20;
      for (int bit = 0; bit < 16; ++bit) {
        if (!((wanted >> bit) & 1) || produced == 0) {
          items.push_back(uint8_t(rng()));
          ++produced;
          continue;
        }
        size_t offset = style == 1 ? std::min(shared, produced)
                                   : 1 + rng() % std::min<size_t>(produced, style ? 4095 : 8);
        size_t count = 3 + rng() % 16;
        items.push_back(uint8_t(((offset >> 4) & 0xF0) | (count - 3)));
        items.push_back(uint8_t(offset));
        control |= 1u << bit;
        produced += count;
      }
      block.push_back(uint8_t(control)), block.push_back(uint8_t(control >> 8));
      block.insert(block.end(), items.begin(), items.end());
    }
    Bytes expected = Reference(block);
    Bytes out(expected.size() + size_t(rng() % 2) * 400);
    out.resize(LzDecode(block, out));
    ASSERT_EQ(out, expected) << round;
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
}  // namespace corvida

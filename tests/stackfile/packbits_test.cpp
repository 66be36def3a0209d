#include <gtest/gtest.h>

#include <random>

#include "stackfile/packbits.h"

namespace corvida::packbits_test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Unpack(const Bytes& in, size_t capacity) {
  Bytes out(capacity, 0xEE);
  out.resize(PackBitsDecode(in, out));
  return out;
}

TEST(PackBits, CountBytes) {
  EXPECT_EQ(Unpack({0x80, 0xFF, 7}, 10), (Bytes{7, 7}));  // -128 skipped, -1 repeats twice
  EXPECT_EQ(Unpack({0x81, 9}, 200), Bytes(128, 9));       // -127: 128 times
  Bytes literal = {0x7F};
  for (int i = 0; i < 128; ++i) literal.push_back(uint8_t(i));
  Bytes out = Unpack(literal, 200);
  ASSERT_EQ(out.size(), 128u);
  EXPECT_EQ(out[127], 127);
  EXPECT_EQ(Unpack({0x02, 1, 2, 3, 0xFE, 4}, 10), (Bytes{1, 2, 3, 4, 4, 4}));
}

TEST(PackBits, RunsAreClippedAndTruncatedInputStops) {
  EXPECT_EQ(Unpack({0x81, 9}, 5), Bytes(5, 9));
  EXPECT_EQ(Unpack({0x05, 1, 2}, 10), (Bytes{1, 2}));  // literal run cut by the input's end
  EXPECT_EQ(Unpack({0xFE}, 10), Bytes{});              // repeat without its byte
  // A reader continues inside a run across calls, as rows are unpacked one by one.
  Bytes stream = {0xFB, 5, 0x01, 1, 2};
  PackBitsReader reader(stream);
  Bytes row(4);
  EXPECT_EQ(reader.Read(row), 4u);
  EXPECT_EQ(row, (Bytes{5, 5, 5, 5}));
  EXPECT_EQ(reader.Read(row), 4u);
  EXPECT_EQ(row, (Bytes{5, 5, 1, 2}));
  EXPECT_EQ(reader.Read(row), 0u);
}

TEST(PackBits, RoundTripsAndHostileStreams) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    Bytes data(size_t(rng() % 700));
    for (auto& b : data) b = (rng() % 3 == 0) ? uint8_t(rng()) : uint8_t(round);
    Bytes packed = PackBitsEncode(data);
    EXPECT_EQ(Unpack(packed, data.size()), data);
    Bytes noise(size_t(rng() % 300));
    for (auto& b : noise) b = uint8_t(rng());
    ASSERT_LE(Unpack(noise, 64).size(), 64u);
  }
}

}  // namespace
}  // namespace corvida::packbits_test

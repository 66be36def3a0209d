// Small picture files written byte by byte, for tests that put pictures beside a stack.
#pragma once

#include <cstdint>
#include <string>

namespace corvida::testing {

// A BMP of 2 x 2 pixels at 24 bits, all blue, rows padded to 8 bytes.
inline std::string BlueBmp() {
  std::string b = "BM";
  auto le32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(char(v >> (8 * i)));
  };
  le32(54 + 16), le32(0), le32(54), le32(40), le32(2), le32(2);
  b += std::string("\1\0\x18\0", 4);
  for (int i = 0; i < 6; ++i) le32(0);
  for (int row = 0; row < 2; ++row) b += std::string("\xFF\0\0\xFF\0\0\0\0", 8);
  return b;
}

}  // namespace corvida::testing

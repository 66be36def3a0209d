// Reading one pixel value out of a row of a bitmap's stored layout, for every depth: the
// one place that knows how pixels pack into bytes (1, 2 and 4 bits from the high end of
// each byte, 16 bits little-endian, 32 bits as blue, green, red, unused).
#pragma once

#include <cstdint>

namespace corvida::gfx {

// The value of pixel x in `row`; x must lie within the row's width.
inline uint32_t PixelInRow(const uint8_t* row, int x, int depth) {
  switch (depth) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2:
      return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4:
      return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    case 8:
      return row[x];
    case 16:
      return uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8);
    default: {
      const uint8_t* p = row + 4 * x;
      return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    }
  }
}

}  // namespace corvida::gfx

// Raster operations: how a source (S), a pattern or brush (P) and the destination (D)
// combine, bit by bit, on raw pixel values (on indexed targets: on the indices).
//
// A ternary code's bits 16..23 are its truth table: bit (P*4 + S*2 + D) gives the result
// for those input bits; the low word is ignored, so any of the 256 operations works. Pen
// modes (binary operations) use codes 1..16, whose value minus one is the truth table
// indexed by (P*2 + D).
#pragma once

#include <cstdint>

namespace corvida::gfx {

namespace rop {
inline constexpr uint32_t kBlackness = 0x00000042;    // 0
inline constexpr uint32_t kNotSrcErase = 0x001100A6;  // ~(S | D)
inline constexpr uint32_t kAndNotSrc = 0x00220326;    // D & ~S (clears where the source is set)
inline constexpr uint32_t kNotSrcCopy = 0x00330008;   // ~S
inline constexpr uint32_t kSrcErase = 0x00440328;     // S & ~D
inline constexpr uint32_t kDstInvert = 0x00550009;    // ~D
inline constexpr uint32_t kPatInvert = 0x005A0049;    // P ^ D
inline constexpr uint32_t kSrcInvert = 0x00660046;    // S ^ D
inline constexpr uint32_t kSrcAnd = 0x008800C6;       // S & D
inline constexpr uint32_t kMergePaint = 0x00BB0226;   // ~S | D
inline constexpr uint32_t kMergeCopy = 0x00C000CA;    // P & S
inline constexpr uint32_t kSrcCopy = 0x00CC0020;      // S
inline constexpr uint32_t kSrcPaint = 0x00EE0086;     // S | D
inline constexpr uint32_t kPatCopy = 0x00F00021;      // P
inline constexpr uint32_t kPatPaint = 0x00FB0A09;     // P | ~S | D
inline constexpr uint32_t kWhiteness = 0x00FF0062;    // all ones

constexpr uint8_t Table(uint32_t code) {
  return uint8_t(code >> 16);
}
// Whether the operation reads the source / the pattern at all.
constexpr bool UsesSource(uint32_t code) {
  uint8_t t = Table(code);
  return ((t >> 2) & 0x33) != (t & 0x33);
}
constexpr bool UsesPattern(uint32_t code) {
  uint8_t t = Table(code);
  return (t >> 4) != (t & 0x0F);
}
}  // namespace rop

// Pen modes.
enum class PenMode : uint8_t {
  kBlack = 1,
  kNotMergePen = 2,
  kMaskNotPen = 3,
  kNotCopyPen = 4,
  kMaskPenNot = 5,
  kNot = 6,  // inverts what is under the pen
  kXorPen = 7,
  kNotMaskPen = 8,
  kMaskPen = 9,
  kNotXorPen = 10,
  kNop = 11,
  kMergeNotPen = 12,
  kCopyPen = 13,  // the normal mode
  kMergePenNot = 14,
  kMergePen = 15,
  kWhite = 16,
};

// Result of a ternary operation on whole words (callers mask to the pixel's bits).
constexpr uint32_t ApplyRop3(uint8_t table, uint32_t p, uint32_t s, uint32_t d) {
  switch (table) {
    case 0xCC:
      return s;
    case 0xF0:
      return p;
    case 0x88:
      return s & d;
    case 0xEE:
      return s | d;
    case 0x66:
      return s ^ d;
    case 0x5A:
      return p ^ d;
    case 0x55:
      return ~d;
    case 0x22:
      return d & ~s;
    case 0x33:
      return ~s;
    case 0x00:
      return 0;
    case 0xFF:
      return ~0u;
    case 0xAA:
      return d;
    default:
      break;
  }
  uint32_t result = 0;
  for (int i = 0; i < 8; ++i) {
    if (!(table & (1u << i))) continue;
    uint32_t term = (i & 4) ? p : ~p;
    term &= (i & 2) ? s : ~s;
    term &= (i & 1) ? d : ~d;
    result |= term;
  }
  return result;
}

constexpr uint32_t ApplyPenMode(PenMode mode, uint32_t p, uint32_t d) {
  switch (mode) {
    case PenMode::kCopyPen:
      return p;
    case PenMode::kNot:
      return ~d;
    case PenMode::kXorPen:
      return p ^ d;
    case PenMode::kNop:
      return d;
    default:
      break;
  }
  uint8_t table = uint8_t(uint8_t(mode) - 1);
  uint32_t result = 0;
  for (int i = 0; i < 4; ++i) {
    if (!(table & (1u << i))) continue;
    result |= ((i & 2) ? p : ~p) & ((i & 1) ? d : ~d);
  }
  return result;
}

}  // namespace corvida::gfx

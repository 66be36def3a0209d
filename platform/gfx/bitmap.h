// Bitmaps of the 2D layer: 1, 2, 4, 8, 16 or 32 bits per pixel.
//
// Memory layout (one convention for every reader and writer):
// - rows are held TOP ROW FIRST: Row(0) is the top of the picture;
// - a row is ((width * depth + 31) / 32) * 4 bytes (rows padded to 32 bits);
// - 1, 2, 4 and 8-bit pixels are indices, the leftmost pixel in the most significant bits;
// - 16-bit pixels are 5-5-5 words (bit 15 unused, red in bits 10..14) held little-endian;
// - 32-bit pixels are the bytes blue, green, red, unused.
// Indexed pixels mean the colours of `palette`; a `palette_relative` bitmap instead holds
// indices into whatever palette the target it is copied to uses (so it follows palette
// changes). A one-bit bitmap with an empty palette is a mask: copied to a colour target it
// takes the target's text colour for 0 bits and background colour for 1 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/color.h"
#include "platform/types.h"
#include "platform/window.h"

namespace corvida::gfx {

// Largest pixel area a bitmap may take; larger requests fail like a failed allocation.
inline constexpr uint64_t kMaxBitmapBytes = 256ull * 1024 * 1024;

inline constexpr bool ValidDepth(int depth) {
  return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 32;
}
// Bytes of one bitmap row, 64-bit so hostile sizes cannot overflow.
inline constexpr uint64_t RowBytes(uint64_t width, uint64_t depth) {
  return (width * depth + 31) / 32 * 4;
}

class Bitmap {
 public:
  Bitmap() = default;
  // Makes a zero-filled bitmap; false (and an empty bitmap) for sides below 1, an invalid
  // depth, more than kMaxBitmapBytes or when memory runs out.
  bool Create(int width, int height, int depth);
  void Clear();

  bool empty() const { return width_ == 0; }
  int width() const { return width_; }
  int height() const { return height_; }
  int depth() const { return depth_; }
  bool indexed() const { return depth_ <= 8; }
  int stride() const { return stride_; }
  Rect Bounds() const { return {0, 0, width_, height_}; }
  Size size() const { return {width_, height_}; }

  uint8_t* Row(int y) { return pixels_.data() + size_t(y) * size_t(stride_); }
  const uint8_t* Row(int y) const { return pixels_.data() + size_t(y) * size_t(stride_); }
  uint8_t* data() { return pixels_.data(); }
  const uint8_t* data() const { return pixels_.data(); }
  size_t byte_size() const { return pixels_.size(); }

  // Raw pixel values (index, 5-5-5 word or 0x00RRGGBB); no bounds checks: callers clip.
  uint32_t Get(int x, int y) const;
  void Set(int x, int y, uint32_t value);
  // The colour shown for pixel (x, y); `palette` replaces the bitmap's own for indexed
  // pixels when given (the palette the picture is presented with).
  Rgb ColorAt(int x, int y, const Palette* palette = nullptr) const;

  // Swaps row i with row height-1-i.
  void FlipRows();

  Palette palette;
  bool palette_relative = false;

 private:
  int width_ = 0;
  int height_ = 0;
  int depth_ = 0;
  int stride_ = 0;
  std::vector<uint8_t> pixels_;
};

// Pixel value conversions for one depth. Indexed depths use the palette (nearest entry),
// 16 bits keep the top five bits of each channel, 32 bits keep the colour.
uint32_t PixelFromRgb(Rgb c, int depth, const Palette& palette);
// The colour a pixel value shows: palette entry (black beyond it; for one-bit pixels with
// an empty palette 0 is black and 1 white), 5-5-5 channels widened by bit replication,
// or the 32-bit colour.
Rgb RgbFromPixel(uint32_t value, int depth, const Palette& palette);

inline uint8_t Expand5(uint32_t v) {
  return uint8_t((v << 3) | (v >> 2));
}
inline uint32_t Pack555(Rgb c) {
  return (uint32_t(c.r >> 3) << 10) | (uint32_t(c.g >> 3) << 5) | (c.b >> 3);
}
inline Rgb Unpack555(uint32_t v) {
  return {Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31)};
}

// A finished RGBA copy of a bitmap for presentation or PNG output (R, G, B, 255 per
// pixel, top row first). Indexed pixels go through `palette` when given, else through the
// bitmap's own palette.
struct RgbaImage {
  std::vector<uint8_t> pixels;
  int width = 0;
  int height = 0;
};
RgbaImage ToRgba(const Bitmap& bitmap, const Palette* palette = nullptr);

// The same into a caller-owned buffer reused between frames (a presenting loop converts
// every frame); the view points into `buffer`.
RgbaView ConvertToRgba(const Bitmap& bitmap, const Palette* palette, std::vector<uint8_t>& buffer);

}  // namespace corvida::gfx

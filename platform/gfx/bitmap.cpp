#include "platform/gfx/bitmap.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/gfx/pixel_row.h"

namespace corvida::gfx {

bool Bitmap::Create(int width, int height, int depth) {
  Clear();
  if (width < 1 || height < 1 || !ValidDepth(depth)) return false;
  uint64_t stride = RowBytes(uint64_t(width), uint64_t(depth));
  uint64_t bytes = stride * uint64_t(height);
  if (bytes > kMaxBitmapBytes) return false;
  try {
    pixels_.assign(size_t(bytes), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  width_ = width;
  height_ = height;
  depth_ = depth;
  stride_ = int(stride);
  return true;
}

void Bitmap::Clear() {
  pixels_.clear();
  pixels_.shrink_to_fit();
  width_ = height_ = depth_ = stride_ = 0;
}

uint32_t Bitmap::Get(int x, int y) const {
  return PixelInRow(Row(y), x, depth_);
}

void Bitmap::Set(int x, int y, uint32_t value) {
  uint8_t* row = Row(y);
  switch (depth_) {
    case 1: {
      int shift = 7 - (x & 7);
      row[x >> 3] = uint8_t((row[x >> 3] & ~(1u << shift)) | ((value & 1) << shift));
      break;
    }
    case 2: {
      int shift = 6 - 2 * (x & 3);
      row[x >> 2] = uint8_t((row[x >> 2] & ~(3u << shift)) | ((value & 3) << shift));
      break;
    }
    case 4: {
      int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = uint8_t((row[x >> 1] & ~(15u << shift)) | ((value & 15) << shift));
      break;
    }
    case 8:
      row[x] = uint8_t(value);
      break;
    case 16:
      row[2 * x] = uint8_t(value);
      row[2 * x + 1] = uint8_t((value >> 8) & 0x7F);
      break;
    default: {
      uint8_t* p = row + 4 * x;
      p[0] = uint8_t(value);
      p[1] = uint8_t(value >> 8);
      p[2] = uint8_t(value >> 16);
      p[3] = 0;
    }
  }
}

Rgb Bitmap::ColorAt(int x, int y, const Palette* pal) const {
  return RgbFromPixel(Get(x, y), depth_, pal ? *pal : palette);
}

void Bitmap::FlipRows() {
  for (int top = 0, bottom = height_ - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(Row(top), Row(top) + stride_, Row(bottom));
}

uint32_t PixelFromRgb(Rgb c, int depth, const Palette& palette) {
  if (depth == 32) return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
  if (depth == 16) return Pack555(c);
  if (depth == 1 && palette.count == 0) return (c.r * 30 + c.g * 59 + c.b * 11) >= 12800 ? 1 : 0;
  // Only the entries the depth can name count; the palette is copied only to cut it.
  uint32_t limit = 1u << depth;
  if (uint32_t(palette.count) <= limit) return uint32_t(palette.Nearest(c));
  Palette usable = palette;
  usable.count = int(limit);
  return uint32_t(usable.Nearest(c));
}

Rgb RgbFromPixel(uint32_t value, int depth, const Palette& palette) {
  if (depth == 32) return {uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
  if (depth == 16) return Unpack555(value);
  if (depth == 1 && palette.count == 0) return value ? kWhite : kBlack;
  return palette.At(int(value));
}

RgbaView ConvertToRgba(const Bitmap& bitmap, const Palette* palette, std::vector<uint8_t>& buffer) {
  const int w = bitmap.width(), h = bitmap.height();
  buffer.resize(size_t(w) * size_t(h) * 4);
  const Palette& pal = palette ? *palette : bitmap.palette;
  // Indexed pixels: one table lookup per pixel, the table holding the four bytes.
  std::array<std::array<uint8_t, 4>, 256> table{};
  if (bitmap.indexed()) {
    for (uint32_t i = 0; i < (1u << bitmap.depth()); ++i) {
      Rgb c = RgbFromPixel(i, bitmap.depth(), pal);
      table[i] = {c.r, c.g, c.b, 255};
    }
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* out = buffer.data() + size_t(y) * size_t(w) * 4;
    const uint8_t* row = bitmap.Row(y);
    // One loop per depth, so that the common ones run without a test per pixel.
    if (bitmap.depth() == 8) {
      for (int x = 0; x < w; ++x, out += 4) std::memcpy(out, table[row[x]].data(), 4);
    } else if (bitmap.depth() == 32) {
      for (int x = 0; x < w; ++x, out += 4)
        out[0] = row[4 * x + 2], out[1] = row[4 * x + 1], out[2] = row[4 * x], out[3] = 255;
    } else if (bitmap.indexed()) {
      for (int x = 0; x < w; ++x, out += 4) std::memcpy(out, table[bitmap.Get(x, y)].data(), 4);
    } else {
      for (int x = 0; x < w; ++x, out += 4) {
        Rgb c = Unpack555(bitmap.Get(x, y));
        out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = 255;
      }
    }
  }
  return RgbaView{buffer.data(), w, h, w * 4};
}

RgbaImage ToRgba(const Bitmap& bitmap, const Palette* palette) {
  RgbaImage image;
  ConvertToRgba(bitmap, palette, image.pixels);
  image.width = bitmap.width();
  image.height = bitmap.height();
  return image;
}

}  // namespace corvida::gfx

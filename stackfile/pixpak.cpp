#include "stackfile/pixpak.h"

#include <algorithm>
#include <cstring>

#include "platform/bytes.h"
#include "platform/gfx/png.h"
#include "stackfile/cardpicture.h"
#include "stackfile/lz.h"
#include "stackfile/packbits.h"

namespace corvida {
namespace {

// Stored 16-bit pixels are big-endian and 32-bit ones x, R, G, B; the bitmap holds
// little-endian words and B, G, R, x. Both directions are the same byte reversal.
void SwapPixelBytes(uint8_t* row, int width, int depth) {
  if (depth == 16) {
    for (int x = 0; x < width; ++x) std::swap(row[2 * x], row[2 * x + 1]);
  } else if (depth == 32) {
    for (int x = 0; x < width; ++x) std::reverse(row + 4 * x, row + 4 * x + 4);
  }
}

}  // namespace

bool ReadPixPakHeader(std::span<const uint8_t> block, PixPakHeader& h) {
  if (block.size() < pixpak::kHeaderSize) return false;
  h.magic = ReadBE32(block, 0);
  h.block_length = ReadBE32(block, 4);
  h.version = ReadBE16(block, 8);
  h.width = ReadBE16(block, 10);
  h.height = ReadBE16(block, 12);
  h.depth = ReadBE16(block, 14);
  h.packing = ReadBE16(block, 24);
  h.color_table_length = ReadBE32(block, 26);
  h.pixel_length = ReadBE32(block, 30);
  return true;
}

gfx::Palette PaletteFromMacColorTable(std::span<const uint8_t> table) {
  gfx::Palette palette;
  if (table.size() < 8) return palette;
  size_t entries = std::min<size_t>({size_t(ReadBE16(table, 6)) + 1, (table.size() - 8) / 8, 256});
  palette.count = int(entries);
  for (size_t i = 0; i < entries; ++i) {
    const uint8_t* e = table.data() + 8 + 8 * i;
    palette.Set(int(i), {e[2], e[4], e[6]}, i >= 10 ? gfx::palflag::kNoCollapse : 0);
  }
  return palette;
}

std::vector<uint8_t> MacColorTableFromPalette(const gfx::Palette& palette) {
  const int n = std::max(palette.count, 1);
  std::vector<uint8_t> table(8 + 8 * size_t(n), 0);
  WriteBE16(table, 6, uint16_t(n - 1));
  for (int i = 0; i < n; ++i) {
    const size_t e = 8 + 8 * size_t(i);
    gfx::Rgb c = palette.At(i);
    WriteBE16(table, e, uint16_t(i));
    WriteBE16(table, e + 2, uint16_t(c.r * 0x101));
    WriteBE16(table, e + 4, uint16_t(c.g * 0x101));
    WriteBE16(table, e + 6, uint16_t(c.b * 0x101));
  }
  return table;
}

PixPakResult PixPakDecompress(gfx::Bitmap& bitmap, std::span<const uint8_t> pixels,
                              uint16_t packing) {
  if (packing != pixpak::kRowBlocks && packing != pixpak::kPackBits)
    return PixPakResult::kUnknownPacking;
  if (bitmap.empty()) return PixPakResult::kDamaged;
  const int width = bitmap.width(), depth = bitmap.depth();
  const size_t stored = size_t(StoredRowBytes(uint64_t(width), uint64_t(depth)));
  const size_t keep = std::min(stored, size_t(bitmap.stride()));
  std::vector<uint8_t> row;
  try {
    row.assign(stored, 0);
  } catch (const std::bad_alloc&) {
    return PixPakResult::kDamaged;
  }
  if (packing == pixpak::kPackBits) {
    PackBitsReader reader(pixels);
    for (int y = 0; y < bitmap.height(); ++y) {
      std::fill(row.begin(), row.end(), 0);
      size_t got = reader.Read(row);
      std::memcpy(bitmap.Row(y), row.data(), keep);
      if (got < stored) break;  // the stream ended: the rows below stay as they were
    }
  } else {
    size_t pos = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
      size_t left = pixels.size() - pos;
      if (left < kLzHeaderSize) break;
      size_t length = LzBlockLength(pixels.subspan(pos));
      if (length < kLzHeaderSize || length > left) break;  // damaged: stop at this row
      std::fill(row.begin(), row.end(), 0);
      LzDecode(pixels.subspan(pos, length), row);
      std::memcpy(bitmap.Row(y), row.data(), keep);
      pos += length;
    }
  }
  for (int y = 0; y < bitmap.height(); ++y) SwapPixelBytes(bitmap.Row(y), width, depth);
  return PixPakResult::kDecoded;
}

PixPakResult DecodePixPak(std::span<const uint8_t> block, gfx::Bitmap& out) {
  out.Clear();
  PixPakHeader h;
  if (!ReadPixPakHeader(block, h)) return PixPakResult::kDamaged;
  if (h.block_length != block.size()) return PixPakResult::kLengthDiffers;
  if (!gfx::ValidDepth(h.depth) || h.width < 1 || h.height < 1) return PixPakResult::kDamaged;
  const uint64_t parts = uint64_t(pixpak::kHeaderSize) + h.color_table_length + h.pixel_length;
  if (parts > block.size()) return PixPakResult::kDamaged;
  const uint64_t stored_area = StoredRowBytes(h.width, h.depth) * h.height;
  if (stored_area > gfx::kMaxBitmapBytes) return PixPakResult::kDamaged;
  if (!out.Create(h.width, h.height, h.depth)) return PixPakResult::kDamaged;
  if (h.depth == 1) {
    out.palette = gfx::Palette::Monochrome();
  } else if (h.depth <= 8) {
    if (h.color_table_length > 0) {
      out.palette =
          PaletteFromMacColorTable(block.subspan(pixpak::kHeaderSize, h.color_table_length));
      out.palette.count = std::min(out.palette.count, 1 << h.depth);
    } else {
      out.palette_relative = true;
    }
  }
  auto pixels = block.subspan(pixpak::kHeaderSize + h.color_table_length, h.pixel_length);
  const PixPakResult result = PixPakDecompress(out, pixels, h.packing);
  if (result != PixPakResult::kDecoded) out.Clear();
  return result;
}

std::vector<uint8_t> EncodePixPak(const gfx::Bitmap& bitmap, const gfx::Palette& palette) {
  if (bitmap.empty() || bitmap.width() > 0xFFFF || bitmap.height() > 0xFFFF) return {};
  const int depth = bitmap.depth();
  std::vector<uint8_t> table;
  if (depth == 8) table = MacColorTableFromPalette(palette);
  std::vector<uint8_t> pixels;
  const size_t stored = size_t(StoredRowBytes(uint64_t(bitmap.width()), uint64_t(depth)));
  const size_t keep = std::min(stored, size_t(bitmap.stride()));
  std::vector<uint8_t> row(stored);
  for (int y = 0; y < bitmap.height(); ++y) {
    std::fill(row.begin(), row.end(), 0);
    std::memcpy(row.data(), bitmap.Row(y), keep);
    SwapPixelBytes(row.data(), bitmap.width(), depth);
    std::vector<uint8_t> packed = LzEncode(row);
    if (LzBlockLength(packed) != packed.size()) return {};
    pixels.insert(pixels.end(), packed.begin(), packed.end());
  }
  std::vector<uint8_t> block(pixpak::kHeaderSize, 0);
  WriteBE32(block, 0, pixpak::kMagic);
  WriteBE32(block, 4, uint32_t(pixpak::kHeaderSize + table.size() + pixels.size()));
  WriteBE16(block, 8, pixpak::kVersion);
  WriteBE16(block, 10, uint16_t(bitmap.width()));
  WriteBE16(block, 12, uint16_t(bitmap.height()));
  WriteBE16(block, 14, uint16_t(depth));
  WriteBE16(block, 24, pixpak::kRowBlocks);
  WriteBE32(block, 26, uint32_t(table.size()));
  WriteBE32(block, 30, uint32_t(pixels.size()));
  block.insert(block.end(), table.begin(), table.end());
  block.insert(block.end(), pixels.begin(), pixels.end());
  return block;
}

std::vector<uint8_t> PixPakFromImage(const gfx::Bitmap& image, int depth) {
  if (image.empty()) return {};
  if (depth == 0) depth = image.depth();
  const gfx::Palette palette = ImportPalette(image, depth);
  gfx::Bitmap reduced;
  if (!gfx::ReduceToDepth(image, depth, palette, reduced)) return {};
  return EncodePixPak(reduced, palette);
}

}  // namespace corvida

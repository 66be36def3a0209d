// PixPak blocks: self-describing stored pictures ('PPak', size, depth, colour table and
// pixel data packed as one LZ block per row or as one PackBits stream), and the colour
// tables that stored pictures carry.
//
// Stored rasters hold rows top first, each ((width + 15) / 16) * 2 * depth bytes (a whole
// number of 16-pixel groups); 16-bit pixels as big-endian 5-5-5 words and 32-bit pixels
// as the bytes x, R, G, B. Decoded bitmaps follow the layout of platform/gfx/bitmap.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/gfx/bitmap.h"

namespace corvida {

namespace pixpak {
inline constexpr uint32_t kMagic = 0x5050616B;  // 'PPak'
inline constexpr size_t kHeaderSize = 58;
inline constexpr uint16_t kVersion = 100;
inline constexpr uint16_t kRowBlocks = 4;  // one LZ block per row
inline constexpr uint16_t kPackBits = 6;   // one PackBits stream
}  // namespace pixpak

struct PixPakHeader {
  uint32_t magic = 0;
  uint32_t block_length = 0;
  uint16_t version = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  uint16_t depth = 0;
  uint16_t packing = 0;
  uint32_t color_table_length = 0;
  uint32_t pixel_length = 0;
};

// Reads the big-endian header fields; false when the block is shorter than the header.
// The stored bytes are never changed, so a block can be decoded any number of times.
bool ReadPixPakHeader(std::span<const uint8_t> block, PixPakHeader& out);

// Bytes of one stored row.
inline uint64_t StoredRowBytes(uint64_t width, uint64_t depth) {
  return (width + 15) / 16 * 2 * depth;
}

// What decoding came to. The decoder never shows anything: a caller with a user to tell
// shows kUnknownPacking as the message box below (the routine's own name and words).
enum class PixPakResult {
  kDecoded,
  kLengthDiffers,   // the header's block length differs from the container's
  kDamaged,         // see DecodePixPak
  kUnknownPacking,  // neither one LZ block per row nor PackBits
};
inline constexpr char kUnknownPackingTitle[] = "PixPak_Decompress";
inline constexpr char kUnknownPackingText[] = "Unknown PixPak_Decompress type";

// Decodes a whole block (its length is the container's) into `out`. kDamaged when the
// header is damaged (depth not 1, 2, 4, 8, 16 or 32, an empty side, parts beyond the
// block, a picture over the size cap) or memory runs out. Depth-1 pictures are black and
// white; pictures of 2 to 8 bits get the block's colour table, or without one hold
// indices into the card palette (palette_relative). `out` is empty unless kDecoded.
PixPakResult DecodePixPak(std::span<const uint8_t> block, gfx::Bitmap& out);

// Unpacks pixel data into a bitmap that already has its size, depth and palette. Data
// that ends early or is damaged leaves the remaining rows as they were (still kDecoded).
PixPakResult PixPakDecompress(gfx::Bitmap& bitmap, std::span<const uint8_t> pixels,
                              uint16_t packing);

// Writes a block of packing type 4; depth-8 pictures carry `palette` as their colour
// table (other depths none). Empty when a row's packed block outgrows 16 bits of length.
std::vector<uint8_t> EncodePixPak(const gfx::Bitmap& bitmap, const gfx::Palette& palette);

// A block holding an image (e.g. a PNG file) reduced to `depth` (0: the image's own), with
// the palette chosen as for card pictures; empty when it cannot be made.
std::vector<uint8_t> PixPakFromImage(const gfx::Bitmap& image, int depth);

// Colour tables: seed (u32), flags (u16), size = entries - 1 (u16), then per entry value,
// red, green, blue (u16 each), all big-endian, never converted in place. A component's
// 8-bit value is its high byte. Entries = min(size + 1, what the table holds, 256); entries
// from 10 on are marked not to collapse onto system colours.
gfx::Palette PaletteFromMacColorTable(std::span<const uint8_t> table);
std::vector<uint8_t> MacColorTableFromPalette(const gfx::Palette& palette);

}  // namespace corvida

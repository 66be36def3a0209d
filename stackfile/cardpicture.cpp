#include "stackfile/cardpicture.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/gfx/draw.h"
#include "platform/gfx/png.h"
#include "stackfile/lz.h"
#include "stackfile/pixpak.h"
#include "stackfile/records.h"

namespace corvida {
namespace {

// Fills `length` bytes with a repeated 4-byte pattern.
void FillPattern(uint8_t* at, size_t length, const uint8_t pattern[4]) {
  for (size_t i = 0; i < length; ++i) at[i] = pattern[i & 3];
}

// The raster of a bitmap in stored rows (top first, padded to 16 pixels), LZ-packed.
std::vector<uint8_t> PackStoredRows(const gfx::Bitmap& bitmap) {
  const size_t stored = size_t(StoredRowBytes(uint64_t(bitmap.width()), uint64_t(bitmap.depth())));
  const size_t keep = std::min(stored, size_t(bitmap.stride()));
  std::vector<uint8_t> raster(stored * size_t(bitmap.height()), 0);
  for (int y = 0; y < bitmap.height(); ++y)
    std::memcpy(raster.data() + size_t(y) * stored, bitmap.Row(y), keep);
  return LzEncode(raster);
}

// A format-1 block: `header` (24 bytes; its first word and kept fields as given), the
// colour table, the packed data and a pad byte when the data's length is odd.
std::vector<uint8_t> AssembleBlock(std::span<const uint8_t> header, std::span<const uint8_t> table,
                                   const std::vector<uint8_t>& packed) {
  const bool pad = packed.size() % 2 != 0;
  std::vector<uint8_t> block(header.begin(), header.begin() + picture::kHeaderSize);
  Put16(block.data() + picture::kFormat, picture::kFormatPacked);
  uint16_t flags = Get16(block.data() + picture::kFlags) & ~picture::kFlagPadByte;
  Put16(block.data() + picture::kFlags, pad ? flags | picture::kFlagPadByte : flags);
  Put32(block.data() + picture::kColorTableLength, uint32_t(table.size()));
  block.insert(block.end(), table.begin(), table.end());
  block.insert(block.end(), packed.begin(), packed.end());
  if (pad) block.push_back(0);
  Put32(block.data() + picture::kLength, uint32_t(block.size()));
  return block;
}

}  // namespace

bool ReadCardPicture(std::span<const uint8_t> block, CardPictureInfo& out) {
  out = {};
  if (block.size() < picture::kHeaderSize) return false;
  const uint8_t* p = block.data();
  out.format = Get16(p + picture::kFormat);
  out.flags = Get16(p + picture::kFlags);
  out.block_length = Get32(p + picture::kLength);
  out.color_table_length = Get32(p + picture::kColorTableLength);
  if (out.format != picture::kFormatPacked && out.format != picture::kFormatEdgeFill) return false;
  if (out.block_length < picture::kHeaderSize || out.block_length > block.size()) return false;
  // Every derived length must be at least 0 and lie inside the block.
  uint64_t used = uint64_t(picture::kHeaderSize) + out.color_table_length;
  if (used > out.block_length) return false;
  out.color_table = block.subspan(picture::kColorTable, out.color_table_length);
  if (out.format == picture::kFormatEdgeFill) {
    if (used + picture::kEdgeFillSize > out.block_length) return false;
    const uint8_t* fill = p + used;
    std::memcpy(out.top_fill, fill, 4);
    out.top_fill_length = Get32(fill + 4);
    std::memcpy(out.bottom_fill, fill + 8, 4);
    out.bottom_fill_length = Get32(fill + 12);
    used += picture::kEdgeFillSize;
  }
  // With the pad flag, one byte after the packed data is not part of it.
  const uint64_t pad = (out.flags & picture::kFlagPadByte) ? 1 : 0;
  if (used + pad > out.block_length) return false;
  out.packed = block.subspan(size_t(used), size_t(out.block_length - used - pad));
  return true;
}

gfx::Palette CardPicturePalette(std::span<const uint8_t> block) {
  CardPictureInfo info;
  if (!ReadCardPicture(block, info)) return {};
  return PaletteFromMacColorTable(info.color_table);
}

bool DecodeCardPicture(std::span<const uint8_t> block, Size card, int depth, bool own_colors,
                       gfx::Bitmap& out) {
  out.Clear();
  CardPictureInfo info;
  if (!ReadCardPicture(block, info)) return false;
  if (card.width < 1 || card.height < 1 || !gfx::ValidDepth(depth)) return false;
  const uint64_t stored = StoredRowBytes(uint64_t(card.width), uint64_t(depth));
  const uint64_t area = stored * uint64_t(card.height);
  if (area > gfx::kMaxBitmapBytes) return false;
  if (!out.Create(card.width, card.height, depth)) return false;
  if (depth <= 8) {
    if (own_colors) {
      out.palette = PaletteFromMacColorTable(info.color_table);
    } else {
      out.palette_relative = true;
    }
  }
  // When stored rows are as long as the bitmap's (most card widths), the raster is the
  // bitmap itself and is unpacked in place; otherwise rows are copied from a scratch one.
  const bool in_place = stored == uint64_t(out.stride());
  std::vector<uint8_t> scratch;
  if (!in_place) {
    try {
      scratch.assign(size_t(area), 0);
    } catch (const std::bad_alloc&) {
      out.Clear();
      return false;
    }
  }
  std::span<uint8_t> raster =
      in_place ? std::span<uint8_t>(out.data(), size_t(area)) : std::span<uint8_t>(scratch);
  // Fills are rounded up to whole patterns and clamped to the pixel area.
  uint64_t top = 0, bottom = 0;
  if (info.format == picture::kFormatEdgeFill) {
    top = std::min<uint64_t>((uint64_t(info.top_fill_length) + 3) & ~uint64_t{3}, area);
    bottom = std::min<uint64_t>((uint64_t(info.bottom_fill_length) + 3) & ~uint64_t{3}, area);
    FillPattern(raster.data(), size_t(top), info.top_fill);
    FillPattern(raster.data() + (area - bottom), size_t(bottom), info.bottom_fill);
  }
  if (top + bottom < area && !info.packed.empty()) {
    LzDecode(info.packed, raster.subspan(size_t(top)));
  }
  if (in_place) return true;
  const size_t keep = std::min(size_t(stored), size_t(out.stride()));
  for (int y = 0; y < card.height; ++y)
    std::memcpy(out.Row(y), raster.data() + size_t(y) * size_t(stored), keep);
  return true;
}

std::vector<uint8_t> EncodeCardPicture(const gfx::Bitmap& bitmap, const gfx::Palette& palette) {
  if (bitmap.empty()) return {};
  std::vector<uint8_t> table;
  if (bitmap.indexed()) table = MacColorTableFromPalette(palette);
  std::vector<uint8_t> header(picture::kHeaderSize, 0);
  Put16(header.data(), 8);
  return AssembleBlock(header, table, PackStoredRows(bitmap));
}

std::vector<uint8_t> ResizeCardPicture(std::span<const uint8_t> block, Size from, Size to,
                                       int depth) {
  CardPictureInfo info;
  gfx::Bitmap old_picture, picture;
  if (!ReadCardPicture(block, info) || !DecodeCardPicture(block, from, depth, false, old_picture) ||
      !picture.Create(to.width, to.height, depth)) {
    return {};
  }
  uint32_t white = 0;
  if (depth > 8) {
    white = gfx::PixelFromRgb(gfx::kWhite, depth, {});
  } else if (!info.color_table.empty()) {
    gfx::Palette palette = PaletteFromMacColorTable(info.color_table);
    palette.count = std::min(palette.count, 1 << depth);
    white = gfx::PixelFromRgb(gfx::kWhite, depth, palette);
  }
  const int width = std::min(from.width, to.width), height = std::min(from.height, to.height);
  for (int y = 0; y < to.height; ++y) {
    for (int x = 0; x < to.width; ++x)
      picture.Set(x, y, x < width && y < height ? old_picture.Get(x, y) : white);
  }
  return AssembleBlock(block, info.color_table, PackStoredRows(picture));
}

gfx::Palette ImportPalette(const gfx::Bitmap& image, int depth) {
  if (depth > 8) return {};
  if (image.indexed() && !image.palette_relative && image.palette.count > 0) {
    gfx::Palette p = image.palette;
    p.count = std::min(p.count, 1 << depth);
    return p;
  }
  return depth == 8 ? gfx::Palette::Standard() : gfx::Palette::Grey(depth);
}

bool CardPictureFromImage(const gfx::Bitmap& image, Size card, int depth,
                          std::vector<uint8_t>& block) {
  block.clear();
  if (image.empty() || card.width < 1 || card.height < 1 || !gfx::ValidDepth(depth)) return false;
  const gfx::Palette palette = ImportPalette(image, depth);
  gfx::Bitmap reduced, picture;
  if (!gfx::ReduceToDepth(image, depth, palette, reduced)) return false;
  if (!picture.Create(card.width, card.height, depth)) return false;
  picture.palette = palette;
  gfx::DrawTarget target(picture);
  target.FillRect(picture.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
  target.BitBlt(reduced.Bounds(), reduced, {0, 0}, gfx::rop::kSrcCopy);
  block = EncodeCardPicture(picture, palette);
  return !block.empty();
}

}  // namespace corvida

#include <gtest/gtest.h>

#include <random>

#include "stackfile/lz.h"
#include "stackfile/packbits.h"
#include "stackfile/pixpak.h"

namespace corvida::pixpak_test {
namespace {

using Bytes = std::vector<uint8_t>;

void PutBE(Bytes& b, size_t at, uint32_t v, int width) {
  for (int i = 0; i < width; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * (width - 1 - i)));
}

// A block from its parts; the block length field is the real length unless given.
Bytes Block(int w, int h, int depth, uint16_t packing, const Bytes& table, const Bytes& pixels,
            int64_t length_field = -1) {
  Bytes b(58, 0);
  PutBE(b, 0, pixpak::kMagic, 4);
  PutBE(b, 8, 100, 2);
  PutBE(b, 10, uint32_t(w), 2);
  PutBE(b, 12, uint32_t(h), 2);
  PutBE(b, 14, uint32_t(depth), 2);
  PutBE(b, 24, packing, 2);
  PutBE(b, 26, uint32_t(table.size()), 4);
  PutBE(b, 30, uint32_t(pixels.size()), 4);
  b.insert(b.end(), table.begin(), table.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  PutBE(b, 4, length_field >= 0 ? uint32_t(length_field) : uint32_t(b.size()), 4);
  return b;
}

Bytes Table(std::initializer_list<gfx::Rgb> colors) {
  gfx::Palette p;
  p.count = int(colors.size());
  int i = 0;
  for (gfx::Rgb c : colors) p.Set(i++, c);
  return MacColorTableFromPalette(p);
}

Bytes Rows(const std::vector<Bytes>& rows) {  // type 4: one stored LZ block per row
  Bytes out;
  for (const Bytes& r : rows) {
    Bytes block = LzEncode(r);
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

TEST(PixPak, NarrowEightBitPictureDropsStoredPadding) {
  Bytes row0(16), row1(16);
  for (int i = 0; i < 16; ++i) row0[size_t(i)] = uint8_t(i % 3), row1[size_t(i)] = 2;
  row1[1] = 7;  // beyond the palette: shows black
  Bytes block =
      Block(10, 2, 8, 4, Table({{255, 0, 0}, {0, 255, 0}, {1, 2, 3}}), Rows({row0, row1}));
  gfx::Bitmap bmp;
  ASSERT_EQ(DecodePixPak(block, bmp), PixPakResult::kDecoded);
  EXPECT_EQ(bmp.width(), 10);
  EXPECT_EQ(bmp.stride(), 12);
  EXPECT_EQ(bmp.palette.count, 3);
  EXPECT_EQ(bmp.Get(9, 0), 0u);  // top row first
  EXPECT_EQ(bmp.ColorAt(0, 0), (gfx::Rgb{255, 0, 0}));
  EXPECT_EQ(bmp.ColorAt(0, 1), (gfx::Rgb{1, 2, 3}));
  EXPECT_EQ(bmp.ColorAt(1, 1), gfx::kBlack);
}

TEST(PixPak, TrueColourPixelsAndPackBits) {
  gfx::Bitmap bmp;
  Bytes row16(32, 0);
  row16[0] = 0x7C, row16[1] = 0x00;  // big-endian 5-5-5 red
  ASSERT_EQ(DecodePixPak(Block(3, 1, 16, 4, {}, Rows({row16})), bmp), PixPakResult::kDecoded);
  EXPECT_EQ(bmp.Get(0, 0), 0x7C00u);
  EXPECT_EQ(bmp.ColorAt(0, 0), (gfx::Rgb{255, 0, 0}));
  Bytes row32(64, 0);
  row32[1] = 10, row32[2] = 20, row32[3] = 30;  // x, R, G, B
  Bytes packed = PackBitsEncode(row32);
  ASSERT_EQ(DecodePixPak(Block(1, 1, 32, 6, {}, packed), bmp), PixPakResult::kDecoded);
  EXPECT_EQ(bmp.ColorAt(0, 0), (gfx::Rgb{10, 20, 30}));
  // One PackBits stream runs across rows: two rows of 8 one-bit pixels (2 stored bytes).
  ASSERT_EQ(DecodePixPak(Block(8, 2, 1, 6, {}, {0xFC, 0xF0}), bmp), PixPakResult::kDecoded);
  EXPECT_EQ(bmp.Row(1)[0], 0xF0);
  EXPECT_EQ(bmp.ColorAt(0, 1), gfx::kWhite);
  EXPECT_EQ(bmp.ColorAt(4, 1), gfx::kBlack);
}

TEST(PixPak, FailuresAndTheirResults) {
  gfx::Bitmap bmp;
  Bytes pixels = Rows({Bytes(16, 1)});
  EXPECT_EQ(DecodePixPak(Block(16, 1, 8, 5, {}, pixels), bmp), PixPakResult::kUnknownPacking);
  EXPECT_TRUE(bmp.empty());
  EXPECT_EQ(DecodePixPak(Block(16, 1, 8, 4, {}, pixels, 5000), bmp), PixPakResult::kLengthDiffers);
  EXPECT_EQ(DecodePixPak(Block(16, 1, 3, 4, {}, pixels), bmp), PixPakResult::kDamaged);
  EXPECT_EQ(DecodePixPak(Block(0, 1, 8, 4, {}, pixels), bmp), PixPakResult::kDamaged);
  EXPECT_EQ(DecodePixPak(Block(65535, 65535, 32, 4, {}, pixels), bmp), PixPakResult::kDamaged);
  EXPECT_EQ(DecodePixPak(Bytes(57, 0), bmp), PixPakResult::kDamaged);
  // Parts claimed beyond the block are refused before anything is allocated.
  Bytes lying = Block(16, 1, 8, 4, {}, pixels);
  PutBE(lying, 30, 0xFFFFFFF0u, 4);
  EXPECT_EQ(DecodePixPak(lying, bmp), PixPakResult::kDamaged);
  PutBE(lying, 30, uint32_t(pixels.size()), 4);
  PutBE(lying, 26, 0xFFFFFFF0u, 4);
  EXPECT_EQ(DecodePixPak(lying, bmp), PixPakResult::kDamaged);
  // A damaged row block stops decoding; the rows above are kept.
  Bytes rows = Rows({Bytes(16, 3), Bytes(16, 4)});
  rows[rows.size() / 2 + 3] = 2;  // second block's length below its header
  ASSERT_EQ(DecodePixPak(Block(16, 2, 8, 4, {}, rows), bmp), PixPakResult::kDecoded);
  EXPECT_EQ(bmp.Get(5, 0), 3u);
  EXPECT_EQ(bmp.Get(5, 1), 0u);
  EXPECT_TRUE(bmp.palette_relative);  // no colour table: indices into the card palette
}

TEST(PixPak, ColourTables) {
  gfx::Palette p;
  p.count = 12;
  for (int i = 0; i < 12; ++i) p.Set(i, {uint8_t(i), uint8_t(2 * i), uint8_t(3 * i)});
  Bytes table = MacColorTableFromPalette(p);
  gfx::Palette back = PaletteFromMacColorTable(table);
  EXPECT_TRUE(back.SameColors(p));
  EXPECT_EQ(back.entries[9].flags, 0);
  EXPECT_EQ(back.entries[10].flags, gfx::palflag::kNoCollapse);
  // The size field may claim more entries than the table holds.
  PutBE(table, 6, 4000, 2);
  EXPECT_EQ(PaletteFromMacColorTable(table).count, 12);
  table.resize(8 + 8 * 5 + 3);
  EXPECT_EQ(PaletteFromMacColorTable(table).count, 5);
  EXPECT_EQ(PaletteFromMacColorTable(Bytes(7, 0)).count, 0);
}

TEST(PixPak, WriterRoundTripsEveryDepth) {
  std::mt19937 rng(9);
  for (int depth : {1, 2, 4, 8, 16, 32}) {
    for (int width : {1, 10, 33}) {
      gfx::Bitmap src;
      ASSERT_TRUE(src.Create(width, 5, depth));
      uint32_t mask = depth == 32 ? 0xFFFFFF : depth == 16 ? 0x7FFF : (1u << depth) - 1;
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < width; ++x) src.Set(x, y, (y == 2 ? 0 : rng()) & mask);
      gfx::Palette palette = gfx::Palette::Grey(8);
      Bytes block = EncodePixPak(src, palette);
      PixPakHeader h;
      ASSERT_TRUE(ReadPixPakHeader(block, h));
      EXPECT_EQ(h.packing, pixpak::kRowBlocks);
      EXPECT_EQ(h.color_table_length > 0, depth == 8);
      gfx::Bitmap back;
      ASSERT_EQ(DecodePixPak(block, back), PixPakResult::kDecoded) << depth;
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < width; ++x) ASSERT_EQ(back.Get(x, y), src.Get(x, y)) << depth;
      if (depth == 8) {
        EXPECT_TRUE(back.palette.SameColors(palette));
      }
    }
  }
}

}  // namespace
}  // namespace corvida::pixpak_test

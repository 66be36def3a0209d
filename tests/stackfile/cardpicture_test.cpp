#include <gtest/gtest.h>

#include "stackfile/cardpicture.h"
#include "stackfile/lz.h"
#include "stackfile/pixpak.h"
#include "stackfile/records.h"

namespace corvida::cardpicture_test {
namespace {

using Bytes = std::vector<uint8_t>;

// Appends by growing first: GCC 12 at -O2 sees a false out-of-bounds move in
// vector::insert onto a vector of known small size.
void Append(Bytes& to, const Bytes& more) {
  const size_t at = to.size();
  to.resize(at + more.size());
  std::copy(more.begin(), more.end(), to.begin() + std::ptrdiff_t(at));
}

// A PictureBlock in the in-memory layout.
Bytes Block(uint16_t format, const Bytes& table, const Bytes& packed, uint32_t top = 0,
            uint32_t bottom = 0, uint8_t top_byte = 0, uint8_t bottom_byte = 0) {
  Bytes b(24, 0);
  Put16(b.data(), 8);
  Put16(b.data() + picture::kFormat, format);
  Put32(b.data() + picture::kColorTableLength, uint32_t(table.size()));
  Append(b, table);
  if (format == 2) {
    Bytes fill(16, 0);
    std::fill(fill.begin(), fill.begin() + 4, top_byte);
    Put32(fill.data() + 4, top);
    std::fill(fill.begin() + 8, fill.begin() + 12, bottom_byte);
    Put32(fill.data() + 12, bottom);
    Append(b, fill);
  }
  Append(b, packed);
  Put32(b.data() + picture::kLength, uint32_t(b.size()));
  return b;
}

TEST(CardPicture, PackedRowsBecomeBitmapRows) {
  // A 20 x 2 card at 8 bits: stored rows of 32 bytes, bitmap rows of 20.
  Bytes raster(64);
  for (size_t i = 0; i < raster.size(); ++i) raster[i] = uint8_t(i);
  gfx::Palette p = gfx::Palette::Grey(8);
  Bytes block = Block(1, MacColorTableFromPalette(p), LzEncode(raster));
  gfx::Bitmap bmp;
  ASSERT_TRUE(DecodeCardPicture(block, {20, 2}, 8, true, bmp));
  EXPECT_EQ(bmp.Get(19, 0), 19u);
  EXPECT_EQ(bmp.Get(0, 1), 32u);  // the second stored row starts at 32
  EXPECT_EQ(bmp.palette.count, 256);
  // Without the card's own colours the picture holds indices into the card palette.
  ASSERT_TRUE(DecodeCardPicture(block, {20, 2}, 8, false, bmp));
  EXPECT_TRUE(bmp.palette_relative);
  EXPECT_TRUE(CardPicturePalette(block).SameColors(p));
}

TEST(CardPicture, FillsFrameThePackedData) {
  // 16 x 4 at 8 bits = 64 bytes: 6 top (rounded to 8) and 16 bottom bytes of fill.
  Bytes middle(40, 9);
  Bytes block = Block(2, {}, LzEncode(middle), 6, 16, 0xAA, 0xBB);
  gfx::Bitmap bmp;
  ASSERT_TRUE(DecodeCardPicture(block, {16, 4}, 8, false, bmp));
  EXPECT_EQ(bmp.Get(7, 0), 0xAAu);
  EXPECT_EQ(bmp.Get(8, 0), 9u);
  EXPECT_EQ(bmp.Get(15, 2), 9u);
  EXPECT_EQ(bmp.Get(0, 3), 0xBBu);
  // Fills longer than the picture are clamped; the packed data is then not needed.
  Bytes huge = Block(2, {}, {}, 0xFFFFFFF0u, 0, 0x11, 0x22);
  ASSERT_TRUE(DecodeCardPicture(huge, {16, 4}, 8, false, bmp));
  EXPECT_EQ(bmp.Get(15, 3), 0x11u);  // the top fill was clamped to the whole picture
  Bytes both = Block(2, {}, LzEncode(Bytes(64, 5)), 0xFFFFFFF0u, 0xFFFFFFF0u, 0x11, 0x22);
  ASSERT_TRUE(DecodeCardPicture(both, {16, 4}, 8, false, bmp));
  EXPECT_NE(bmp.Get(0, 0), 5u);
}

TEST(CardPicture, DamagedOrForeignBlocksHaveNoPicture) {
  Bytes raster(32, 1);
  gfx::Bitmap bmp;
  EXPECT_FALSE(DecodeCardPicture(Block(3, {}, LzEncode(raster)), {16, 2}, 8, false, bmp));
  Bytes lying = Block(1, {}, LzEncode(raster));
  Put32(lying.data() + picture::kColorTableLength, 5000);
  EXPECT_FALSE(DecodeCardPicture(lying, {16, 2}, 8, false, bmp));
  Bytes long_block = Block(1, {}, LzEncode(raster));
  Put32(long_block.data() + picture::kLength, uint32_t(long_block.size() + 1));
  EXPECT_FALSE(DecodeCardPicture(long_block, {16, 2}, 8, false, bmp));
  Bytes no_fill = Block(1, {}, {});
  Put16(no_fill.data() + picture::kFormat, 2);  // format 2 without room for its fills
  EXPECT_FALSE(DecodeCardPicture(no_fill, {16, 2}, 8, false, bmp));
  EXPECT_FALSE(DecodeCardPicture(Bytes(10, 0), {16, 2}, 8, false, bmp));
  EXPECT_FALSE(DecodeCardPicture(Block(1, {}, {}), {0, 2}, 8, false, bmp));
  EXPECT_FALSE(DecodeCardPicture(Block(1, {}, {}), {16, 2}, 12, false, bmp));
  EXPECT_TRUE(bmp.empty());
  // Packed data that decodes short leaves the rest of the picture 0.
  Bytes short_data = Block(1, {}, LzEncode(Bytes(5, 7)));
  ASSERT_TRUE(DecodeCardPicture(short_data, {16, 2}, 8, false, bmp));
  EXPECT_EQ(bmp.Get(4, 0), 7u);
  EXPECT_EQ(bmp.Get(5, 0), 0u);
}

TEST(CardPicture, WriterRoundTrips) {
  for (int depth : {1, 4, 8, 16, 32}) {
    gfx::Bitmap src;
    ASSERT_TRUE(src.Create(37, 9, depth));
    uint32_t mask = depth == 32 ? 0xFFFFFF : depth == 16 ? 0x7FFF : (1u << depth) - 1;
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 37; ++x) src.Set(x, y, uint32_t(x * 31 + y * 7) & mask);
    gfx::Palette p = gfx::Palette::Grey(depth <= 8 ? depth : 8);
    Bytes block = EncodeCardPicture(src, p);
    EXPECT_EQ(block.size() % 2, 0u);
    gfx::Bitmap back;
    ASSERT_TRUE(DecodeCardPicture(block, {37, 9}, depth, true, back)) << depth;
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 37; ++x) ASSERT_EQ(back.Get(x, y), src.Get(x, y)) << depth;
    if (depth <= 8) {
      EXPECT_TRUE(back.palette.SameColors(p));
    }
  }
}

// A card raised to a larger size keeps its picture at the top left; the new area is white
// in the picture's own terms, and its colour table stays byte for byte.
TEST(CardPicture, ResizedPicturesKeepTheirPixelsAndColours) {
  struct Case {
    int depth;
    bool table;
    uint32_t white;
  } cases[] = {
      {8, true, 255},       // Grey(8): white is the last entry
      {8, false, 0},        // no table: index 0, white in the default card palette
      {4, true, 15},        // Grey(4)
      {2, false, 0},        //
      {16, false, 0x7FFF},  // 5-5-5
      {32, false, 0xFFFFFF},
  };
  const Size from{20, 3}, to{40, 5};
  for (const Case& c : cases) {
    gfx::Bitmap src;
    ASSERT_TRUE(src.Create(from.width, from.height, c.depth));
    const uint32_t mask = c.depth == 32 ? 0xFFFFFF : c.depth == 16 ? 0x7FFF : (1u << c.depth) - 1;
    for (int y = 0; y < from.height; ++y)
      for (int x = 0; x < from.width; ++x) src.Set(x, y, uint32_t(x * 5 + y + 1) & mask);
    const gfx::Palette grey = c.table ? gfx::Palette::Grey(c.depth) : gfx::Palette();
    Bytes block = EncodeCardPicture(src, grey);
    if (!c.table) {
      // The same block without its colour table.
      CardPictureInfo info;
      ASSERT_TRUE(ReadCardPicture(block, info));
      block = Block(1, {}, Bytes(info.packed.begin(), info.packed.end()));
    }
    Bytes resized = ResizeCardPicture(block, from, to, c.depth);
    ASSERT_FALSE(resized.empty()) << c.depth;
    CardPictureInfo before, after;
    ASSERT_TRUE(ReadCardPicture(block, before));
    ASSERT_TRUE(ReadCardPicture(resized, after));
    EXPECT_TRUE(std::equal(before.color_table.begin(), before.color_table.end(),
                           after.color_table.begin(), after.color_table.end()))
        << c.depth;
    gfx::Bitmap back;
    ASSERT_TRUE(DecodeCardPicture(resized, to, c.depth, false, back)) << c.depth;
    for (int y = 0; y < to.height; ++y) {
      for (int x = 0; x < to.width; ++x) {
        const bool old = x < from.width && y < from.height;
        ASSERT_EQ(back.Get(x, y), old ? src.Get(x, y) : c.white)
            << "depth " << c.depth << " at " << x << "," << y;
      }
    }
  }
}

// Fills become pixels; a block with no picture to read gives nothing to put in its place.
TEST(CardPicture, ResizingBakesFillsAndRefusesUnreadableBlocks) {
  Bytes block = Block(2, {}, LzEncode(Bytes(40, 9)), 6, 16, 0xAA, 0xBB);
  Bytes resized = ResizeCardPicture(block, {16, 4}, {20, 6}, 8);
  CardPictureInfo info;
  ASSERT_TRUE(ReadCardPicture(resized, info));
  EXPECT_EQ(info.format, picture::kFormatPacked);
  gfx::Bitmap back;
  ASSERT_TRUE(DecodeCardPicture(resized, {20, 6}, 8, false, back));
  EXPECT_EQ(back.Get(7, 0), 0xAAu);
  EXPECT_EQ(back.Get(8, 0), 9u);
  EXPECT_EQ(back.Get(0, 3), 0xBBu);
  EXPECT_EQ(back.Get(16, 0), 0u);
  EXPECT_EQ(back.Get(0, 4), 0u);

  EXPECT_TRUE(ResizeCardPicture(Block(3, {}, {}), {16, 4}, {20, 6}, 8).empty());
  EXPECT_TRUE(ResizeCardPicture(Bytes(10, 0), {16, 4}, {20, 6}, 8).empty());
}

}  // namespace
}  // namespace corvida::cardpicture_test

namespace corvida::cardpicture_test {
namespace {

TEST(CardPictureImport, ImagesBecomeCardPictures) {
  // An indexed image keeps its palette and indices; it is cut to the card and the rest
  // of the card is white.
  gfx::Bitmap image;
  ASSERT_TRUE(image.Create(30, 5, 8));
  image.palette.count = 3;
  image.palette.Set(0, gfx::kBlack), image.palette.Set(1, gfx::kWhite);
  image.palette.Set(2, {200, 10, 10});
  for (int x = 0; x < 30; ++x) image.Set(x, 2, 2);
  Bytes block;
  ASSERT_TRUE(CardPictureFromImage(image, {20, 8}, 8, block));
  gfx::Bitmap card;
  ASSERT_TRUE(DecodeCardPicture(block, {20, 8}, 8, true, card));
  EXPECT_EQ(card.Get(19, 2), 2u);
  EXPECT_EQ(card.Get(0, 0), 0u);
  EXPECT_EQ(card.Get(5, 7), 1u);  // below the image: white
  EXPECT_TRUE(card.palette.SameColors(image.palette));
  // A true-colour image on an 8-bit stack takes the standard palette's nearest colours.
  gfx::Bitmap photo;
  ASSERT_TRUE(photo.Create(4, 4, 32));
  photo.Set(1, 1, 0xFF0000);
  ASSERT_TRUE(CardPictureFromImage(photo, {4, 4}, 8, block));
  ASSERT_TRUE(DecodeCardPicture(block, {4, 4}, 8, true, card));
  EXPECT_EQ(card.ColorAt(1, 1), (gfx::Rgb{255, 0, 0}));
  EXPECT_EQ(card.ColorAt(0, 0), gfx::kBlack);
  // And on a 16-bit stack it keeps its colours to five bits a channel.
  ASSERT_TRUE(CardPictureFromImage(photo, {4, 4}, 16, block));
  ASSERT_TRUE(DecodeCardPicture(block, {4, 4}, 16, true, card));
  EXPECT_EQ(card.Get(1, 1), 0x7C00u);
  EXPECT_FALSE(CardPictureFromImage(gfx::Bitmap{}, {4, 4}, 8, block));
}

TEST(CardPictureImport, ImagesBecomePixPakBlocks) {
  gfx::Bitmap photo;
  ASSERT_TRUE(photo.Create(9, 3, 32));
  photo.Set(8, 2, 0x00FF00);
  gfx::Bitmap back;
  ASSERT_EQ(DecodePixPak(PixPakFromImage(photo, 0), back), PixPakResult::kDecoded);
  EXPECT_EQ(back.depth(), 32);
  EXPECT_EQ(back.Get(8, 2), 0x00FF00u);
  ASSERT_EQ(DecodePixPak(PixPakFromImage(photo, 8), back), PixPakResult::kDecoded);
  EXPECT_EQ(back.ColorAt(8, 2), (gfx::Rgb{0, 255, 0}));
}

}  // namespace
}  // namespace corvida::cardpicture_test

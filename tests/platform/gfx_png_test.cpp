#include <gtest/gtest.h>

#include "platform/gfx/png.h"
#include "support/test_support.h"

namespace corvida::gfx {
namespace {

TEST(GfxPng, IndexedPicturesKeepIndicesAndPalette) {
  Bitmap b;
  ASSERT_TRUE(b.Create(5, 3, 4));
  b.palette.count = 16;
  for (int i = 0; i < 16; ++i) b.palette.Set(i, {uint8_t(i * 16), 7, uint8_t(255 - i)});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) b.Set(x, y, uint32_t(x + 5 * y) & 15);
  testing::TempDir dir;
  std::string error;
  ASSERT_TRUE(WritePngFile(dir.File("a.png"), b, nullptr, &error)) << error;
  Bitmap back;
  ASSERT_TRUE(ReadPngFile(dir.File("a.png"), back, &error)) << error;
  EXPECT_EQ(back.depth(), 8);
  EXPECT_TRUE(back.palette.SameColors(b.palette));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(back.Get(x, y), b.Get(x, y));
  // Reduced to the stack's depth with the same palette, the indices stay exact.
  Bitmap reduced;
  ASSERT_TRUE(ReduceToDepth(back, 4, b.palette, reduced));
  EXPECT_EQ(reduced.Get(4, 2), b.Get(4, 2));
}

TEST(GfxPng, TrueColourAndReduction) {
  Bitmap b;
  ASSERT_TRUE(b.Create(3, 1, 16));
  b.Set(0, 0, 0x7C00);
  b.Set(1, 0, 0x03E0);
  b.Set(2, 0, 0x001F);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodePng(b, nullptr, bytes));
  Bitmap back;
  ASSERT_TRUE(DecodePng(bytes, back));
  EXPECT_EQ(back.depth(), 32);
  EXPECT_EQ(back.ColorAt(0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(back.ColorAt(2, 0), (Rgb{0, 0, 255}));
  Palette p;
  p.count = 3;
  p.Set(0, kBlack), p.Set(1, {0, 0, 250}), p.Set(2, {250, 0, 0});
  Bitmap reduced;
  ASSERT_TRUE(ReduceToDepth(back, 8, p, reduced));
  EXPECT_EQ(reduced.Get(0, 0), 2u);
  EXPECT_EQ(reduced.Get(2, 0), 1u);
  ASSERT_TRUE(ReduceToDepth(back, 16, p, reduced));
  EXPECT_EQ(reduced.Get(1, 0), 0x03E0u);
}

TEST(GfxPng, DamagedFilesAreRefused) {
  Bitmap b;
  ASSERT_TRUE(b.Create(40, 40, 32));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodePng(b, nullptr, bytes));
  Bitmap back;
  std::string error;
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(bytes.size() / 2));
  EXPECT_FALSE(DecodePng(cut, back, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(back.empty());
  EXPECT_FALSE(DecodePng(std::vector<uint8_t>{1, 2, 3}, back));
  // A header claiming a huge picture is refused before the pixels are allocated.
  std::vector<uint8_t> huge = bytes;
  huge[16] = 0x7F;  // width's high byte
  EXPECT_FALSE(DecodePng(huge, back));
  EXPECT_FALSE(ReadPngFile("/nonexistent/x.png", back, &error));
}

}  // namespace
}  // namespace corvida::gfx

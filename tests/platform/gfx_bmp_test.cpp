// BMP output read back through our own picture decoder: sizes, row padding and the
// bottom-up order must give the same colours.
#include <gtest/gtest.h>

#include "platform/gfx/bmp.h"
#include "support/test_support.h"

namespace corvida::gfx {
namespace {

TEST(GfxBmp, IndexedPictureReadsBackWithItsColoursAndPaddedRows) {
  Bitmap b;
  ASSERT_TRUE(b.Create(3, 2, 8));  // 3 pixels: 9 bytes a row, padded to 12
  b.palette.count = 6;
  for (int i = 0; i < 6; ++i) b.palette.Set(i, {uint8_t(40 * i), uint8_t(255 - 40 * i), 9});
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) b.Set(x, y, uint32_t(x + 3 * y));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeBmp(b, nullptr, bytes));
  EXPECT_EQ(bytes.size(), 54u + 2 * 12);
  testing::TempDir dir;
  ASSERT_TRUE(WriteBmpFile(dir.File("a.bmp"), b, nullptr));
  const DecodedPicture back = testing::ReadPictureFile(dir.File("a.bmp"));
  ASSERT_EQ(back.width, 3);
  ASSERT_EQ(back.height, 2);
  ASSERT_EQ(back.bits, 32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      const size_t at = (size_t(y) * 3 + size_t(x)) * 4;
      const Rgb want = b.palette.At(x + 3 * y);
      EXPECT_EQ(back.pixels[at], want.r) << x << "," << y;
      EXPECT_EQ(back.pixels[at + 1], want.g) << x << "," << y;
    }
  EXPECT_FALSE(WriteBmpFile(dir.File("a.bmp"), Bitmap(), nullptr)) << "nothing to write";
}

}  // namespace
}  // namespace corvida::gfx

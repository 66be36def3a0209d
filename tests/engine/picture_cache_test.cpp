// Pictures of graphics kept in files: one decoded picture per file, shared; a budget of
// pixel bytes kept by letting go of pictures nothing shows, least recently used first.
#include "engine/picture_cache.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace corvida {
namespace {

// A bottom-up 24-bit BMP of one colour, rows padded to 4 bytes.
std::string SolidBmp(int width, int height, uint8_t red) {
  int row = (width * 3 + 3) / 4 * 4;
  std::string b = "BM";
  auto le32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(char(v >> (8 * i)));
  };
  le32(54 + row * height), le32(0), le32(54), le32(40), le32(width), le32(height);
  b += std::string("\1\0\x18\0", 4);
  for (int i = 0; i < 6; ++i) le32(0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) b += std::string{'\0', '\0', char(red)};
    b.append(row - width * 3, '\0');
  }
  return b;
}

// A 10 x 10 picture becomes a 32-bit bitmap of 400 bytes.
constexpr uint64_t kTenByTen = 400;

class PictureCacheTest : public ::testing::Test {
 protected:
  std::string Picture(const std::string& name, uint8_t red = 200, int side = 10) {
    dir.Write(name, SolidBmp(side, side, red));
    return dir.File(name);
  }
  testing::TempDir dir;
};

TEST_F(PictureCacheTest, AFileNamedManyTimesIsDecodedOnce) {
  PictureCache cache(nullptr, 4 * kTenByTen);
  std::string path = Picture("a.bmp");
  auto first = cache.Get(path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->ColorAt(3, 3), (gfx::Rgb{200, 0, 0}));
  for (int i = 0; i < 7; ++i) EXPECT_EQ(cache.Get(path), first);
  EXPECT_EQ(cache.pictures_held(), 1u);
  EXPECT_EQ(cache.bytes_held(), kTenByTen);
}

TEST_F(PictureCacheTest, AFileChangedOnDiskIsReadAgain) {
  PictureCache cache;
  std::string path = Picture("a.bmp", 200);
  auto before = cache.Get(path);
  Picture("a.bmp", 50, 11);  // another size: another identity
  auto after = cache.Get(path);
  ASSERT_NE(after, nullptr);
  EXPECT_NE(after, before);
  EXPECT_EQ(after->ColorAt(0, 0), (gfx::Rgb{50, 0, 0}));
  EXPECT_EQ(cache.pictures_held(), 1u);
}

TEST_F(PictureCacheTest, TheBudgetLetsGoOfUnshownPicturesLeastRecentlyUsedFirst) {
  PictureCache cache(nullptr, 2 * kTenByTen);
  std::string a = Picture("a.bmp"), b = Picture("b.bmp"), c = Picture("c.bmp");
  ASSERT_NE(cache.Get(a), nullptr);  // shown by nothing once the pointer goes
  ASSERT_NE(cache.Get(b), nullptr);
  ASSERT_NE(cache.Get(a), nullptr);  // a is now more recent than b
  ASSERT_NE(cache.Get(c), nullptr);  // b makes room
  EXPECT_EQ(cache.pictures_held(), 2u);
  EXPECT_EQ(cache.bytes_held(), 2 * kTenByTen);

  // Pictures still shown are kept: the new one does not fit and is drawn as missing.
  auto shown_a = cache.Get(a), shown_c = cache.Get(c);
  EXPECT_EQ(cache.Get(b), nullptr);
  EXPECT_LE(cache.bytes_held(), cache.budget());
  shown_a.reset();
  EXPECT_NE(cache.Get(b), nullptr);

  // A picture larger than the whole budget never loads.
  EXPECT_EQ(cache.Get(Picture("big.bmp", 1, 40)), nullptr);
  cache.Trim();
  EXPECT_EQ(cache.pictures_held(), 1u);  // c, still shown
}

TEST_F(PictureCacheTest, WhatCannotBeReadIsMissing) {
  PictureCache cache;
  dir.Write("junk.bmp", "BM not a picture");
  dir.Write("empty.gif", "");
  EXPECT_EQ(cache.Get(dir.File("junk.bmp")), nullptr);
  EXPECT_EQ(cache.Get(dir.File("empty.gif")), nullptr);
  EXPECT_EQ(cache.Get(dir.File("none.bmp")), nullptr);
  EXPECT_EQ(cache.Get(dir.path()), nullptr);
  EXPECT_EQ(cache.pictures_held(), 0u);
}

}  // namespace
}  // namespace corvida

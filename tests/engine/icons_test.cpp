#include "engine/icons.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvida {
namespace {

void Le16(std::vector<uint8_t>& d, uint16_t v) {
  d.insert(d.end(), {uint8_t(v), uint8_t(v >> 8)});
}
void Le32(std::vector<uint8_t>& d, uint32_t v) {
  Le16(d, uint16_t(v));
  Le16(d, uint16_t(v >> 16));
}

// A 4-bit 4 x 4 icon with a three-colour palette (black, red, blue); pixel (x, y) holds
// `pixels[y][x]`, the top-left pixel is transparent.
std::vector<uint8_t> FourBitIcon(uint8_t value = 15) {
  std::vector<uint8_t> d;
  Le16(d, 0), Le16(d, 1), Le16(d, 1);                       // directory
  d.insert(d.end(), {4, 4, 0, 0}), Le16(d, 1), Le16(d, 4);  // entry
  Le32(d, 0), Le32(d, 22);
  Le32(d, 40), Le32(d, 4), Le32(d, 8), Le16(d, 1), Le16(d, 4);  // header, doubled height
  Le32(d, 0), Le32(d, 0), Le32(d, 0), Le32(d, 0), Le32(d, 3), Le32(d, 0);
  d.insert(d.end(), {0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0});  // black, red, blue
  // Rows bottom-up: bottom row all red (1), others 2 (blue) with one `value`.
  d.insert(d.end(), {0x11, 0x11, 0, 0});
  d.insert(d.end(), {0x22, 0x22, 0, 0});
  d.insert(d.end(), {0x22, 0x22, 0, 0});
  d.insert(d.end(), {0x22, uint8_t(0x20 | value), 0, 0});  // top row
  // Mask rows bottom-up: the top-left pixel transparent.
  for (int i = 0; i < 3; ++i) d.insert(d.end(), {0, 0, 0, 0});
  d.insert(d.end(), {0x80, 0, 0, 0});
  return d;
}

TEST(Icons, ParsesClampsAndMasks) {
  auto icon = ParseIcon(FourBitIcon());
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->width(), 4);
  EXPECT_EQ(icon->height(), 4);
  EXPECT_EQ(icon->image.ColorAt(0, 3), (gfx::Rgb{255, 0, 0}));
  EXPECT_EQ(icon->image.ColorAt(1, 1), (gfx::Rgb{0, 0, 255}));
  EXPECT_EQ(icon->image.ColorAt(3, 0), (gfx::Rgb{0, 0, 255}));  // 15 clamped to entry 2
  EXPECT_EQ(icon->mask.Get(0, 0), 0u);
  EXPECT_EQ(icon->mask.Get(1, 0), 1u);

  gfx::Bitmap target;
  target.Create(8, 8, 32);
  gfx::DrawTarget draw(target);
  draw.FillRect(target.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
  DrawIcon(draw, *icon, {2, 2});
  EXPECT_EQ(target.ColorAt(2, 2), gfx::kWhite);  // transparent corner
  EXPECT_EQ(target.ColorAt(3, 2), (gfx::Rgb{0, 0, 255}));
  EXPECT_EQ(target.ColorAt(2, 5), (gfx::Rgb{255, 0, 0}));
  EXPECT_EQ(target.ColorAt(6, 6), gfx::kWhite);
}

TEST(Icons, RefusesIconsWhosePartsLieOutside) {
  auto with = [](size_t at, std::vector<uint8_t> bytes) {
    auto d = FourBitIcon();
    std::copy(bytes.begin(), bytes.end(), d.begin() + static_cast<ptrdiff_t>(at));
    return d;
  };
  EXPECT_FALSE(ParseIcon(with(2, {2, 0})));               // not an icon file
  EXPECT_FALSE(ParseIcon(with(18, {0xF0, 0xFF, 0, 0})));  // image offset outside
  EXPECT_FALSE(ParseIcon(with(26, {0x01, 0x01, 0, 0})));  // 257 wide
  EXPECT_FALSE(ParseIcon(with(36, {2, 0})));              // 2 bits per pixel
  EXPECT_FALSE(ParseIcon(with(26, {64, 0, 0, 0})));       // rows beyond the data
  auto cut = FourBitIcon();
  cut.resize(cut.size() - 1);  // mask one byte short
  EXPECT_FALSE(ParseIcon(cut));
  EXPECT_FALSE(ParseIcon({}));
}

}  // namespace
}  // namespace corvida

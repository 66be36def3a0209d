// Button icons: 'Icon' resources hold the image of an icon file (little-endian): a
// directory, and at the first entry's offset a bitmap header, its palette, its pixels
// (rows bottom-up) and a one-bit mask (rows bottom-up, set bits transparent).
//
// The data comes from stacks, so every part must lie inside it: the entry's offset, the
// 40-byte header, sides of 1 to 256, 1, 4 or 8 bits per pixel, the palette, the pixels
// and the mask; otherwise there is no icon. Pixel values beyond the palette's last entry
// are clamped to it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"

namespace corvida {

struct Icon {
  gfx::Bitmap image;  // the icon's own depth and palette, top row first
  gfx::Bitmap mask;   // one bit per pixel, set where the icon is opaque
  int width() const { return image.width(); }
  int height() const { return image.height(); }
};

inline constexpr int kMaxIconSide = 256;

// Parses icon data; null when it is not a drawable icon.
std::shared_ptr<const Icon> ParseIcon(std::span<const uint8_t> data);

// Draws the icon with its top-left corner at logical `at`, transparent where masked.
void DrawIcon(gfx::DrawTarget& target, const Icon& icon, Point at);

}  // namespace corvida

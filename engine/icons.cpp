#include "engine/icons.h"

#include <algorithm>

#include "platform/bytes.h"

namespace corvida {

namespace {

constexpr size_t kDirectorySize = 6;
constexpr size_t kEntrySize = 16;
constexpr size_t kBitmapHeaderSize = 40;

}  // namespace

std::shared_ptr<const Icon> ParseIcon(std::span<const uint8_t> data) {
  if (!InBounds(data, 0, kDirectorySize + kEntrySize)) return nullptr;
  if (ReadLE16(data, 2) != 1 || ReadLE16(data, 4) == 0) return nullptr;
  int entry_height = data[kDirectorySize + 1] ? data[kDirectorySize + 1] : 256;
  uint64_t at = ReadLE32(data, kDirectorySize + 12);
  if (!InBounds(data, at, kBitmapHeaderSize)) return nullptr;
  uint32_t header_size = ReadLE32(data, at);
  int32_t width = static_cast<int32_t>(ReadLE32(data, at + 4));
  int32_t stored_height = static_cast<int32_t>(ReadLE32(data, at + 8));
  int bits = ReadLE16(data, at + 14);
  uint32_t compression = ReadLE32(data, at + 16);
  uint32_t colours_used = ReadLE32(data, at + 32);
  if (header_size < kBitmapHeaderSize || compression != 0) return nullptr;
  if (bits != 1 && bits != 4 && bits != 8) return nullptr;
  if (width < 1 || width > kMaxIconSide || stored_height < 1) return nullptr;

  uint32_t colours = 1u << bits;
  if (colours_used != 0 && colours_used < colours) colours = colours_used;
  uint64_t palette_at = at + header_size;
  if (!InBounds(data, palette_at, uint64_t{colours} * 4)) return nullptr;
  uint64_t pixels_at = palette_at + uint64_t{colours} * 4;
  uint64_t pixel_row = gfx::RowBytes(uint64_t(width), uint64_t(bits));
  uint64_t mask_row = gfx::RowBytes(uint64_t(width), 1);

  // Icon files state the height of image and mask together; take half of it when the
  // directory says so, or when only half fits.
  auto fits = [&](int64_t h) {
    return h >= 1 && h <= kMaxIconSide &&
           InBounds(data, pixels_at, uint64_t(h) * (pixel_row + mask_row));
  };
  int64_t height = stored_height;
  if (stored_height % 2 == 0 && entry_height * 2 == stored_height) height = stored_height / 2;
  if (!fits(height) && stored_height % 2 == 0) height = stored_height / 2;
  if (!fits(height)) return nullptr;

  gfx::Palette palette;
  palette.count = static_cast<int>(colours);
  for (uint32_t i = 0; i < colours; ++i) {
    size_t p = palette_at + size_t{i} * 4;
    palette.Set(static_cast<int>(i), {data[p + 2], data[p + 1], data[p]});
  }

  auto icon = std::make_shared<Icon>();
  int h = static_cast<int>(height);
  if (!icon->image.Create(width, h, bits) || !icon->mask.Create(width, h, 1)) return nullptr;
  icon->image.palette = palette;
  uint64_t mask_at = pixels_at + uint64_t(h) * pixel_row;
  uint32_t last = colours - 1;
  for (int row = 0; row < h; ++row) {
    int y = h - 1 - row;  // rows are stored bottom-up
    const uint8_t* src = data.data() + pixels_at + row * pixel_row;
    const uint8_t* msk = data.data() + mask_at + row * mask_row;
    for (int x = 0; x < width; ++x) {
      uint32_t index = 0;
      if (bits == 8) {
        index = src[x];
      } else if (bits == 4) {
        index = (src[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
      } else {
        index = (src[x / 8] >> (7 - x % 8)) & 1;
      }
      icon->image.Set(x, y, std::min(index, last));
      bool transparent = (msk[x / 8] >> (7 - x % 8)) & 1;
      icon->mask.Set(x, y, transparent ? 0 : 1);
    }
  }
  return icon;
}

void DrawIcon(gfx::DrawTarget& target, const Icon& icon, Point at) {
  Rect dst{at.x, at.y, at.x + icon.width(), at.y + icon.height()};
  target.CopyMasked(dst, icon.image, {0, 0}, icon.mask, {0, 0});
}

}  // namespace corvida

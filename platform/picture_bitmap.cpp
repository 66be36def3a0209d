// Decoded pictures handed to the 2D layer as bitmaps.
#include <algorithm>

#include "platform/gfx/bitmap.h"
#include "platform/picture.h"

namespace corvida {

bool PictureToBitmap(const DecodedPicture& picture, gfx::Bitmap& bitmap) {
  bitmap.Clear();
  bool indexed = picture.indexed();
  size_t expected = picture.stride() * static_cast<size_t>(std::max(picture.height, 0));
  if (picture.width < 1 || picture.height < 1 || picture.pixels.size() != expected ||
      (indexed && picture.palette.size() != (size_t{1} << picture.bits))) {
    return false;
  }
  if (!bitmap.Create(picture.width, picture.height, indexed ? picture.bits : 32)) return false;
  const uint8_t* src = picture.pixels.data();
  if (indexed) {
    bitmap.palette.count = static_cast<int>(picture.palette.size());
    for (size_t i = 0; i < picture.palette.size(); ++i) {
      bitmap.palette.Set(static_cast<int>(i), picture.palette[i]);
    }
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) bitmap.Set(x, y, *src++);
    }
    return true;
  }
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* row = bitmap.Row(y);  // blue, green, red, unused
    for (int x = 0; x < picture.width; ++x, src += 4, row += 4) {
      row[0] = src[2];
      row[1] = src[1];
      row[2] = src[0];
      row[3] = 0;
    }
  }
  return true;
}

}  // namespace corvida

// PNG files through libpng's simplified reader, which keeps libpng's error jumps inside
// the library. Palette files stay indexed when their only transparency is one fully
// transparent colour; every other file becomes RGBA.
#include <png.h>

#include <memory>

#include "platform/picture/formats.h"

namespace corvida::picture {
namespace {

struct ImageCloser {
  void operator()(png_image* image) const { png_image_free(image); }
};

// The index of the one transparent entry of an RGBA colour map, -1 when every entry is
// opaque, -2 when the map has partial transparency (which an indexed picture cannot keep).
int TransparentEntry(const uint8_t* map, int entries) {
  int transparent = -1;
  for (int i = 0; i < entries; ++i) {
    uint8_t alpha = map[i * 4 + 3];
    if (alpha == 255) continue;
    if (alpha != 0 || transparent >= 0) return -2;
    transparent = i;
  }
  return transparent;
}

PictureStatus ReadIndexed(png_image& image, DecodedPicture& out) {
  image.format = PNG_FORMAT_RGBA_COLORMAP;
  PictureStatus status = StartPicture(image.width, image.height, 8, out);
  if (status != PictureStatus::kOk) return status;
  uint8_t map[256 * 4] = {};
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, map)) {
    return PictureStatus::kCorrupt;
  }
  int entries = static_cast<int>(image.colormap_entries);
  int transparent = TransparentEntry(map, entries);
  if (transparent == -2) return PictureStatus::kCorrupt;  // the caller retries as RGBA
  for (int i = 0; i < entries; ++i) out.palette[i] = {map[i * 4], map[i * 4 + 1], map[i * 4 + 2]};
  out.transparent_index = transparent;
  return PictureStatus::kOk;
}

PictureStatus ReadRgba(png_image& image, DecodedPicture& out) {
  image.format = PNG_FORMAT_RGBA;
  PictureStatus status = StartPicture(image.width, image.height, 32, out);
  if (status != PictureStatus::kOk) return status;
  return png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)
             ? PictureStatus::kOk
             : PictureStatus::kCorrupt;
}

// Each read needs a freshly begun image: finishing a read ends it.
bool Begin(Bytes file, png_image& image) {
  image = png_image{};
  image.version = PNG_IMAGE_VERSION;
  return png_image_begin_read_from_memory(&image, file.data(), file.size()) != 0;
}

}  // namespace

PictureStatus DecodePng(Bytes file, DecodedPicture& out) {
  png_image image;
  std::unique_ptr<png_image, ImageCloser> closer(&image);
  if (!Begin(file, image)) return PictureStatus::kCorrupt;
  if (!SizeAllowed(image.width, image.height)) return PictureStatus::kTooLarge;
  if (image.format & PNG_FORMAT_FLAG_COLORMAP) {
    if (ReadIndexed(image, out) == PictureStatus::kOk) return PictureStatus::kOk;
    png_image_free(&image);
    if (!Begin(file, image)) return PictureStatus::kCorrupt;
  }
  return ReadRgba(image, out);
}

}  // namespace corvida::picture

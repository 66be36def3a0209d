#include "platform/gfx/bmp.h"

#include <string_view>

#include "platform/files.h"

namespace corvida::gfx {
namespace {

constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = uint8_t(v);
  out[at + 1] = uint8_t(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  Put16(out, at, v & 0xFFFF);
  Put16(out, at + 2, v >> 16);
}

}  // namespace

bool EncodeBmp(const Bitmap& bitmap, const Palette* palette, std::vector<uint8_t>& out) {
  if (bitmap.empty()) return false;
  std::vector<uint8_t> rgba;
  const RgbaView view = ConvertToRgba(bitmap, palette, rgba);
  const size_t row = (size_t(view.width) * 3 + 3) & ~size_t(3);  // rows end on 4 bytes
  const size_t pixels = row * size_t(view.height);
  out.assign(kFileHeader + kInfoHeader + pixels, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, uint32_t(out.size()));
  Put32(out, 10, uint32_t(kFileHeader + kInfoHeader));
  Put32(out, 14, uint32_t(kInfoHeader));
  Put32(out, 18, uint32_t(view.width));
  Put32(out, 22, uint32_t(view.height));
  Put16(out, 26, 1);   // planes
  Put16(out, 28, 24);  // bits per pixel
  Put32(out, 34, uint32_t(pixels));
  Put32(out, 38, 2835);  // 72 dots per inch
  Put32(out, 42, 2835);
  for (int y = 0; y < view.height; ++y) {
    const uint8_t* src = view.pixels + size_t(y) * size_t(view.stride);
    uint8_t* dst = out.data() + kFileHeader + kInfoHeader + size_t(view.height - 1 - y) * row;
    for (int x = 0; x < view.width; ++x) {
      dst[x * 3] = src[x * 4 + 2];
      dst[x * 3 + 1] = src[x * 4 + 1];
      dst[x * 3 + 2] = src[x * 4];
    }
  }
  return true;
}

bool WriteBmpFile(const std::string& path, const Bitmap& bitmap, const Palette* palette,
                  std::string* error) {
  std::vector<uint8_t> bytes;
  if (!EncodeBmp(bitmap, palette, bytes)) {
    if (error) *error = "nothing to write";
    return false;
  }
  if (WriteFileAtomically(
          path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
    return true;
  if (error) *error = "the file cannot be written";
  return false;
}

}  // namespace corvida::gfx

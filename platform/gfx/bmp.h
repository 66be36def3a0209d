// BMP files out: any bitmap written as a bottom-up 24-bit BMP, the format every desktop
// program opens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"

namespace corvida::gfx {

// Encodes `bitmap` (indexed pixels through `palette` when given, else its own).
bool EncodeBmp(const Bitmap& bitmap, const Palette* palette, std::vector<uint8_t>& out);
bool WriteBmpFile(const std::string& path, const Bitmap& bitmap, const Palette* palette,
                  std::string* error = nullptr);

}  // namespace corvida::gfx

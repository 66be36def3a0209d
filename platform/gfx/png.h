// PNG files in and out (libpng). Indexed bitmaps are written as palette PNGs that keep
// their indices; 16- and 32-bit bitmaps as RGB. Reading gives an 8-bit indexed bitmap
// with the file's palette for palette PNGs and a 32-bit bitmap otherwise (grey widened
// to RGB, alpha composed over white).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"

namespace corvida::gfx {

// Encodes `bitmap`; indexed pixels take their colours from `palette` when given, else
// from the bitmap's own. False (with a message) when libpng fails.
bool EncodePng(const Bitmap& bitmap, const Palette* palette, std::vector<uint8_t>& out,
               std::string* error = nullptr);
// Encodes `bitmap` as RGBA, opaque where the one-bit `opaque` bitmap (same size) has a
// set bit and transparent elsewhere.
bool EncodePngWithMask(const Bitmap& bitmap, const Bitmap& opaque, std::vector<uint8_t>& out,
                       std::string* error = nullptr);
bool WritePngFile(const std::string& path, const Bitmap& bitmap, const Palette* palette,
                  std::string* error = nullptr);

// Decodes a PNG; pictures beyond 16384 pixels a side or the bitmap size cap are refused.
bool DecodePng(std::span<const uint8_t> bytes, Bitmap& out, std::string* error = nullptr);
bool ReadPngFile(const std::string& path, Bitmap& out, std::string* error = nullptr);

// A copy of `src` at `depth`: true colour keeps colours (16 bits keep the top five bits
// of each channel); indexed depths take the nearest entry of `palette` for each colour,
// except that an indexed source whose indices all fit keeps them when its palette is
// `palette` (so an indexed PNG made for the stack keeps its exact pixels).
bool ReduceToDepth(const Bitmap& src, int depth, const Palette& palette, Bitmap& out);

}  // namespace corvida::gfx

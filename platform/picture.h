// Picture files (BMP, JPEG, TIFF, PCX, TGA, PNG, GIF, PICT) read into pixels and a
// palette, for pictures that graphic objects take from files of their own. Files come from
// stacks and downloads, so reading is bounded: the format is recognised and the picture's
// size read from its header before anything is decoded, absurd sizes are refused, and no
// decoder allocates more than a few times the picture's own kMaxPictureBytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/gfx/color.h"

namespace corvida {

namespace gfx {
class Bitmap;
}

enum class PictureFormat { kUnknown, kBmp, kJpeg, kTiff, kPcx, kTga, kPng, kGif, kPict };

enum class PictureStatus {
  kOk,
  kUnknownFormat,  // not one of the formats above
  kTooLarge,       // a side above kMaxPictureSide or more than kMaxPictureBytes of pixels
  kCorrupt,        // recognised, but the decoder could not read it
};

// At most 32767 pixels a side and 64 Mi pixels (256 MiB as 4-byte pixels).

inline constexpr int kMaxPictureSide = 32767;
inline constexpr uint64_t kMaxPictureBytes = 256ull * 1024 * 1024;  // as 4-byte pixels

struct PictureInfo {
  PictureFormat format = PictureFormat::kUnknown;
  int width = 0;
  int height = 0;
};

// A decoded picture. Pictures of 8 bits per pixel and fewer stay indexed: `bits` is 1, 4
// or 8, each pixel is one byte holding an index below 2^bits, and `palette` has exactly
// 2^bits entries (unused ones black). Other pictures are true colour: `bits` is 32 and
// each pixel is four bytes R, G, B, A (A = 255 where the file has no transparency).
// Rows are held top row first with no padding.
struct DecodedPicture {
  int width = 0;
  int height = 0;
  int bits = 0;
  std::vector<gfx::Rgb> palette;
  int transparent_index = -1;  // indexed pictures with a transparent colour (GIF, PNG)
  std::vector<uint8_t> pixels;

  bool indexed() const { return bits <= 8; }
  size_t stride() const { return static_cast<size_t>(width) * (indexed() ? 1 : 4); }
};

// Recognises the format by its signature (TGA, which has none, by the name's ".tga"
// extension or a plausible header) and reads the size without decoding. kOk only when
// the size is within the limits.
PictureStatus ProbePicture(std::span<const uint8_t> bytes, std::string_view name,
                           PictureInfo& info);

class PictureDecoder {
 public:
  virtual ~PictureDecoder() = default;
  // `name` is the file's name or path, used only to recognise TGA files.
  virtual PictureStatus Decode(std::span<const uint8_t> bytes, std::string_view name,
                               DecodedPicture& out) = 0;
};

// The picture as a bitmap of the 2D layer: indexed pictures keep their depth and palette,
// true colour becomes 32 bits (alpha is dropped). False when the bitmap cannot be made.
bool PictureToBitmap(const DecodedPicture& picture, gfx::Bitmap& bitmap);

// The decoder every backend hands out; it needs no window system. Decoding never throws:
// running out of memory gives kTooLarge, anything else a reader cannot use kCorrupt.
class ImagePictureDecoder : public PictureDecoder {
 public:
  PictureStatus Decode(std::span<const uint8_t> bytes, std::string_view name,
                       DecodedPicture& out) override;
};

}  // namespace corvida

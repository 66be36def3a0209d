// The readers behind `ImagePictureDecoder`, one per format, and what they share: the
// size limits and how a decoded picture's pixels are set up. Each reader takes the whole
// file, already recognised by `ProbePicture`, and fills `out` or returns why it could
// not. Readers never throw; running out of memory while decoding is caught by the caller
// and reported as kTooLarge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/picture.h"

namespace corvida::picture {

using Bytes = std::span<const uint8_t>;

PictureStatus DecodePng(Bytes file, DecodedPicture& out);
PictureStatus DecodeGif(Bytes file, DecodedPicture& out);
PictureStatus DecodeJpeg(Bytes file, DecodedPicture& out);
PictureStatus DecodeTiff(Bytes file, DecodedPicture& out);
PictureStatus DecodeBmp(Bytes file, DecodedPicture& out);
PictureStatus DecodePcx(Bytes file, DecodedPicture& out);
PictureStatus DecodeTga(Bytes file, DecodedPicture& out);
PictureStatus DecodePict(Bytes file, DecodedPicture& out);

// Where a PICT's data starts: after a 512-byte file header or, in pictures taken from
// resources, at once; kNotPict when no version opcode follows a picture frame there.
inline constexpr size_t kNotPict = SIZE_MAX;
size_t PictStart(Bytes file);

// True when a picture of this size is within kMaxPictureSide and kMaxPictureBytes.
bool SizeAllowed(int64_t width, int64_t height);

// Sizes `out` for a picture of `bits` 1, 4 or 8 (indexed: palette of 2^bits black
// entries, pixels 0) or 32 (RGBA, opaque black). kTooLarge when the size is not allowed.
PictureStatus StartPicture(int64_t width, int64_t height, int bits, DecodedPicture& out);

// True when `file_bytes` of compressed data can plausibly hold `pixels`, each byte
// expanding to at most `pixels_per_byte` (small pictures always can). Readers check it
// before allocating, so a few bytes claiming a huge picture cost nothing.
bool PlausibleSize(uint64_t pixels, size_t file_bytes, uint64_t pixels_per_byte);

// The smallest indexed depth that holds `colours` palette entries: 1, 4 or 8.
int IndexedBitsFor(int colours);

// Sets an RGBA pixel of a true-colour picture.
inline void PutRgba(DecodedPicture& out, int64_t x, int64_t y, uint8_t r, uint8_t g, uint8_t b,
                    uint8_t a = 255) {
  uint8_t* p = out.pixels.data() + (static_cast<size_t>(y) * out.width + x) * 4;
  p[0] = r, p[1] = g, p[2] = b, p[3] = a;
}

}  // namespace corvida::picture

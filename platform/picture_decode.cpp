// Decoding picture files: the probe recognises the format and checks the header's size,
// then only that format's reader runs. The readers are Debian's libpng, giflib,
// libjpeg-turbo and libtiff, and our own for BMP, PCX, TGA and PICT (platform/picture/).
// Whatever a reader does, the caller gets a status: a reader that runs out of memory or
// yields a picture that breaks the DecodedPicture rules leaves `out` empty.
#include <algorithm>
#include <new>

#include "platform/picture.h"
#include "platform/picture/formats.h"

namespace corvida {
namespace picture {

bool SizeAllowed(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         static_cast<uint64_t>(width * height) * 4 <= kMaxPictureBytes;
}

PictureStatus StartPicture(int64_t width, int64_t height, int bits, DecodedPicture& out) {
  if (!SizeAllowed(width, height)) return PictureStatus::kTooLarge;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.bits = bits;
  out.transparent_index = -1;
  out.palette.assign(bits <= 8 ? size_t{1} << bits : 0, gfx::Rgb{});
  if (bits <= 8) {
    out.pixels.assign(out.stride() * out.height, 0);
  } else {
    out.pixels.resize(out.stride() * out.height);
    for (size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 255;
  }
  return PictureStatus::kOk;
}

bool PlausibleSize(uint64_t pixels, size_t file_bytes, uint64_t pixels_per_byte) {
  constexpr uint64_t kAlwaysPlausible = 1 << 20;
  return pixels <= kAlwaysPlausible || pixels / pixels_per_byte <= file_bytes;
}

int IndexedBitsFor(int colours) {
  return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
}

}  // namespace picture

namespace {

PictureStatus DecodeFormat(PictureFormat format, std::span<const uint8_t> bytes,
                           DecodedPicture& out) {
  switch (format) {
    case PictureFormat::kBmp:
      return picture::DecodeBmp(bytes, out);
    case PictureFormat::kJpeg:
      return picture::DecodeJpeg(bytes, out);
    case PictureFormat::kTiff:
      return picture::DecodeTiff(bytes, out);
    case PictureFormat::kPcx:
      return picture::DecodePcx(bytes, out);
    case PictureFormat::kTga:
      return picture::DecodeTga(bytes, out);
    case PictureFormat::kPng:
      return picture::DecodePng(bytes, out);
    case PictureFormat::kGif:
      return picture::DecodeGif(bytes, out);
    case PictureFormat::kPict:
      return picture::DecodePict(bytes, out);
    case PictureFormat::kUnknown:
      break;
  }
  return PictureStatus::kUnknownFormat;
}

// The rules every caller relies on, checked once here rather than trusted in each reader.
bool WellFormed(const DecodedPicture& p) {
  if (!picture::SizeAllowed(p.width, p.height)) return false;
  if (p.bits != 1 && p.bits != 4 && p.bits != 8 && p.bits != 32) return false;
  if (p.pixels.size() != p.stride() * p.height) return false;
  if (!p.indexed()) return p.palette.empty();
  if (p.palette.size() != (size_t{1} << p.bits)) return false;
  if (p.transparent_index >= static_cast<int>(p.palette.size())) return false;
  return std::all_of(p.pixels.begin(), p.pixels.end(),
                     [&](uint8_t v) { return v < p.palette.size(); });
}

}  // namespace

PictureStatus ImagePictureDecoder::Decode(std::span<const uint8_t> bytes, std::string_view name,
                                          DecodedPicture& out) {
  out = DecodedPicture{};
  PictureInfo info;
  PictureStatus status = ProbePicture(bytes, name, info);
  if (status != PictureStatus::kOk) return status;
  try {
    status = DecodeFormat(info.format, bytes, out);
  } catch (const std::bad_alloc&) {
    status = PictureStatus::kTooLarge;
  } catch (...) {
    status = PictureStatus::kCorrupt;
  }
  if (status == PictureStatus::kOk && !WellFormed(out)) status = PictureStatus::kCorrupt;
  if (status != PictureStatus::kOk) out = DecodedPicture{};
  return status;
}

}  // namespace corvida

// Picture files from stacks and downloads: recognition, the header size checks and the
// readers behind them must refuse or read any bytes without crashing or over-allocating.
// Files the recognition refuses are also handed to their format's reader directly, so
// each reader is searched on its own and not only behind the header checks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

#include "platform/picture.h"
#include "platform/picture/formats.h"

namespace {

using corvida::DecodedPicture;
using corvida::PictureFormat;
using corvida::PictureStatus;

void CheckWellFormed(const DecodedPicture& picture) {
  size_t expected = picture.stride() * static_cast<size_t>(picture.height);
  if (picture.pixels.size() != expected) __builtin_trap();
  if (picture.indexed() && picture.palette.size() != (size_t{1} << picture.bits)) __builtin_trap();
  // Indices must lie inside the palette; the first rows are enough to catch a wrong
  // depth, and checking every pixel of a huge picture would only slow the search.
  size_t checked = std::min<size_t>(picture.pixels.size(), 1 << 16);
  for (size_t i = 0; picture.indexed() && i < checked; ++i) {
    if (picture.pixels[i] >= picture.palette.size()) __builtin_trap();
  }
}

using Reader = PictureStatus (*)(corvida::picture::Bytes, DecodedPicture&);

Reader ReaderFor(PictureFormat format) {
  using namespace corvida::picture;
  switch (format) {
    case PictureFormat::kBmp:
      return DecodeBmp;
    case PictureFormat::kJpeg:
      return DecodeJpeg;
    case PictureFormat::kTiff:
      return DecodeTiff;
    case PictureFormat::kPcx:
      return DecodePcx;
    case PictureFormat::kTga:
      return DecodeTga;
    case PictureFormat::kPng:
      return DecodePng;
    case PictureFormat::kGif:
      return DecodeGif;
    case PictureFormat::kPict:
      return DecodePict;
    case PictureFormat::kUnknown:
      break;
  }
  return nullptr;
}

// A reader past the header checks: it must stay in bounds and not throw anything but
// running out of memory.
void ReadDirectly(PictureFormat format, std::span<const uint8_t> bytes) {
  Reader reader = ReaderFor(format);
  if (reader == nullptr) return;
  DecodedPicture picture;
  try {
    reader(bytes, picture);
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the name hint, so files without a signature (TGA) are reached.
  std::string_view name = size > 0 && (data[0] & 1) ? "picture.tga" : "picture";
  corvida::PictureInfo info;
  if (corvida::ProbePicture({data, size}, name, info) == PictureStatus::kCorrupt) {
    ReadDirectly(info.format, {data, size});
  }
  corvida::ImagePictureDecoder decoder;
  DecodedPicture picture;
  if (decoder.Decode({data, size}, name, picture) == PictureStatus::kOk) CheckWellFormed(picture);
  return 0;
}

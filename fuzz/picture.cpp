// Picture files from stacks and downloads: recognition, the header size checks and the
// decoders behind them must refuse or read any bytes without crashing or over-allocating.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the name hint, so files without a signature (TGA) are reached.
  std::string_view name = size > 0 && (data[0] & 1) ? "picture.tga" : "picture";
  corvida::ImagePictureDecoder decoder;
  corvida::DecodedPicture picture;
  if (decoder.Decode({data, size}, name, picture) == corvida::PictureStatus::kOk) {
    size_t expected = picture.stride() * static_cast<size_t>(picture.height);
    if (picture.pixels.size() != expected) __builtin_trap();
    if (picture.indexed() && picture.palette.size() != (size_t{1} << picture.bits))
      __builtin_trap();
    // Indices must lie inside the palette; the first rows are enough to catch a wrong
    // depth, and checking every pixel of a huge picture would only slow the search.
    size_t checked = std::min<size_t>(picture.pixels.size(), 1 << 16);
    for (size_t i = 0; picture.indexed() && i < checked; ++i) {
      if (picture.pixels[i] >= picture.palette.size()) __builtin_trap();
    }
  }
  return 0;
}

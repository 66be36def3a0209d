// JPEG files through libjpeg-turbo's TurboJPEG interface, which reports errors as
// results instead of jumping. A file cut short still shows what arrived (the decoder
// warns and fills the rest); progressive files with absurd numbers of scans are refused.
#include <turbojpeg.h>

#include <memory>

#include "platform/lazy_libs.h"
#include "platform/picture/formats.h"

namespace corvida::picture {
namespace {

struct TurboCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};

}  // namespace

PictureStatus DecodeJpeg(Bytes file, DecodedPicture& out) {
  // The library is opened with the first such file; without it the format is not one
  // this player reads, as in builds without it.
  if (!LazyAvailable(LazyGroup::kJpeg)) return PictureStatus::kUnknownFormat;
  std::unique_ptr<void, TurboCloser> handle(tjInitDecompress());
  if (!handle) return PictureStatus::kCorrupt;
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (tjDecompressHeader3(handle.get(), file.data(), file.size(), &width, &height, &subsampling,
                          &colourspace) != 0) {
    return PictureStatus::kCorrupt;
  }
  // Even a picture of one flat colour costs a few bits per 8 x 8 block: a file with less
  // than a byte per 1024 pixels is cut short, and decoding it would only fill grey.
  if (!SizeAllowed(width, height)) return PictureStatus::kTooLarge;
  if (!PlausibleSize(uint64_t(width) * height, file.size(), 1024)) return PictureStatus::kCorrupt;
  PictureStatus status = StartPicture(width, height, 32, out);
  if (status != PictureStatus::kOk) return status;
  int result = tjDecompress2(handle.get(), file.data(), file.size(), out.pixels.data(), width, 0,
                             height, TJPF_RGBA, TJFLAG_LIMITSCANS);
  if (result != 0 && tjGetErrorCode(handle.get()) != TJERR_WARNING) {
    return PictureStatus::kCorrupt;
  }
  return PictureStatus::kOk;
}

}  // namespace corvida::picture

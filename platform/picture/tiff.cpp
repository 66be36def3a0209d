// TIFF files through libtiff, read from memory. Only the first directory is read, as
// RGBA with the top row first. libtiff says nothing on stderr (its handlers are ours and
// silent), and no single allocation of its own, strips and tiles included, may exceed
// the picture byte limit.
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/lazy_libs.h"
#include "platform/picture/formats.h"

namespace corvida::picture {
namespace {

struct MemoryFile {
  Bytes bytes;
  uint64_t at = 0;
};

tmsize_t Read(thandle_t handle, void* into, tmsize_t wanted) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (wanted <= 0 || file->at >= file->bytes.size()) return 0;
  uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(wanted), file->bytes.size() - file->at);
  std::memcpy(into, file->bytes.data() + file->at, n);
  file->at += n;
  return static_cast<tmsize_t>(n);
}
tmsize_t Write(thandle_t, void*, tmsize_t) {
  return 0;
}
toff_t Seek(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  uint64_t base = whence == SEEK_CUR ? file->at : whence == SEEK_END ? file->bytes.size() : 0;
  if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
  file->at = base + offset;
  return file->at;
}
int Close(thandle_t) {
  return 0;
}
toff_t Size(thandle_t handle) {
  return static_cast<MemoryFile*>(handle)->bytes.size();
}
int NoMap(thandle_t, void**, toff_t*) {
  return 0;
}
void NoUnmap(thandle_t, void*, toff_t) {}

int Silent(TIFF*, void*, const char*, const char*, va_list) {
  return 1;  // handled: nothing reaches the process-wide handlers
}

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct OptionsFree {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

// Messages raised before a file has its own handlers go to the process-wide ones.
void SilenceProcessHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

TIFF* Open(MemoryFile& file) {
  SilenceProcessHandlers();
  std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxPictureBytes));
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Silent, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Silent, nullptr);
  // "m": nothing to map, the reads come from memory.
  return TIFFClientOpenExt("picture", "rm", &file, Read, Write, Seek, Close, Size, NoMap, NoUnmap,
                           options.get());
}

// A strip or tile larger than the whole picture's limit is refused before libtiff
// allocates a buffer for it.
bool ChunksBounded(TIFF* tiff) {
  uint64_t chunk = TIFFIsTiled(tiff) ? TIFFTileSize64(tiff) : TIFFStripSize64(tiff);
  return chunk > 0 && chunk <= kMaxPictureBytes;
}

}  // namespace

PictureStatus DecodeTiff(Bytes bytes, DecodedPicture& out) {
  // The library is opened with the first such file; without it the format is not one
  // this player reads, as in builds without it.
  if (!LazyAvailable(LazyGroup::kTiff)) return PictureStatus::kUnknownFormat;
  MemoryFile file{bytes};
  std::unique_ptr<TIFF, TiffCloser> tiff(Open(file));
  if (!tiff) return PictureStatus::kCorrupt;
  uint32_t width = 0, height = 0;
  if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height)) {
    return PictureStatus::kCorrupt;
  }
  if (!SizeAllowed(width, height)) return PictureStatus::kTooLarge;
  if (!ChunksBounded(tiff.get())) return PictureStatus::kCorrupt;
  PictureStatus status = StartPicture(width, height, 32, out);
  if (status != PictureStatus::kOk) return status;
  // libtiff writes ABGR words in host order: on little-endian machines, bytes R, G, B, A.
  auto* words = reinterpret_cast<uint32_t*>(out.pixels.data());
  if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, words, ORIENTATION_TOPLEFT, 0)) {
    return PictureStatus::kCorrupt;
  }
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    uint32_t w = words[i];
    uint8_t* p = out.pixels.data() + i * 4;
    p[0] = TIFFGetR(w), p[1] = TIFFGetG(w), p[2] = TIFFGetB(w), p[3] = TIFFGetA(w);
  }
  return PictureStatus::kOk;
}

}  // namespace corvida::picture

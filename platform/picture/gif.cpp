// GIF files through giflib, read record by record from memory. Only the first image is
// decoded (a graphic shows a still picture), laid onto the logical screen at its place;
// the rest of the screen takes the transparent colour when there is one, else the
// background colour. The whole-file reader is not used: it would decode every frame.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/lazy_libs.h"
#include "platform/picture/formats.h"

namespace corvida::picture {
namespace {

struct MemorySource {
  Bytes bytes;
  size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* into, int wanted) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  size_t n = std::min(static_cast<size_t>(std::max(wanted, 0)), source->bytes.size() - source->at);
  std::memcpy(into, source->bytes.data() + source->at, n);
  source->at += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

// Reads the extensions before the first image; the graphic control extension gives the
// transparent colour. False when the file ends or breaks before any image.
bool SkipToFirstImage(GifFileType* gif, int& transparent) {
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) != GIF_OK) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(gif) == GIF_OK;
    if (type != EXTENSION_RECORD_TYPE) return false;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
      GraphicsControlBlock control;
      if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
        transparent = control.TransparentColor;
      }
    }
    while (block != nullptr) {
      if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
    }
  }
}

// The frame's rows in file order; interlaced files send every eighth row first.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(height);
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = starts[pass]; y < height; y += steps[pass]) rows.push_back(y);
  }
  return rows;
}

bool ReadFrame(GifFileType* gif, DecodedPicture& out) {
  const GifImageDesc& frame = gif->Image;
  std::vector<GifPixelType> line(frame.Width);
  for (int y : RowOrder(frame.Height, frame.Interlace)) {
    if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK) return false;
    uint8_t* row = out.pixels.data() + static_cast<size_t>(frame.Top + y) * out.width + frame.Left;
    std::copy(line.begin(), line.end(), row);
  }
  return true;
}

// The smallest depth holding the colour map and every index used.
void SetPalette(const ColorMapObject& map, int transparent, DecodedPicture& out) {
  int highest = *std::max_element(out.pixels.begin(), out.pixels.end());
  int colours = std::max({map.ColorCount, highest + 1, transparent + 1});
  out.bits = IndexedBitsFor(std::min(colours, 256));
  out.palette.assign(size_t{1} << out.bits, gfx::Rgb{});
  for (int i = 0; i < std::min(map.ColorCount, 256); ++i) {
    out.palette[i] = {map.Colors[i].Red, map.Colors[i].Green, map.Colors[i].Blue};
  }
  out.transparent_index = transparent;
}

}  // namespace

PictureStatus DecodeGif(Bytes file, DecodedPicture& out) {
  // The library is opened with the first such file; without it the format is not one
  // this player reads, as in builds without it.
  if (!LazyAvailable(LazyGroup::kGif)) return PictureStatus::kUnknownFormat;
  MemorySource source{file};
  int error = 0;
  GifFile gif(DGifOpen(&source, ReadFromMemory, &error));
  if (!gif) return PictureStatus::kCorrupt;
  int transparent = -1;
  if (!SkipToFirstImage(gif.get(), transparent)) return PictureStatus::kCorrupt;
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (map == nullptr || frame.Width < 1 || frame.Height < 1 || frame.Left < 0 || frame.Top < 0) {
    return PictureStatus::kCorrupt;
  }
  if (transparent >= 256) transparent = -1;
  int64_t width = std::max<int64_t>(gif->SWidth, int64_t{frame.Left} + frame.Width);
  int64_t height = std::max<int64_t>(gif->SHeight, int64_t{frame.Top} + frame.Height);
  PictureStatus status = StartPicture(width, height, 8, out);
  if (status != PictureStatus::kOk) return status;
  int background = transparent >= 0 ? transparent : gif->SBackGroundColor;
  std::fill(out.pixels.begin(), out.pixels.end(), static_cast<uint8_t>(background & 0xFF));
  if (!ReadFrame(gif.get(), out)) return PictureStatus::kCorrupt;
  SetPalette(*map, transparent, out);
  return PictureStatus::kOk;
}

}  // namespace corvida::picture

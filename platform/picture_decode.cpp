// Decoding picture files with SDL_image. Only the loader of the recognised format runs
// (never the library's own guessing over all its formats), and only after the header's
// size passed the limits. No video subsystem is needed.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <climits>

#include "platform/picture.h"

namespace corvida {
namespace {

using Loader = SDL_Surface* (*)(SDL_RWops*);

Loader LoaderFor(PictureFormat format) {
  switch (format) {
    case PictureFormat::kBmp:
      return IMG_LoadBMP_RW;
    case PictureFormat::kJpeg:
      return IMG_LoadJPG_RW;
    case PictureFormat::kTiff:
      return IMG_LoadTIF_RW;
    case PictureFormat::kPcx:
      return IMG_LoadPCX_RW;
    case PictureFormat::kTga:
      return IMG_LoadTGA_RW;
    case PictureFormat::kPng:
      return IMG_LoadPNG_RW;
    case PictureFormat::kGif:
      return IMG_LoadGIF_RW;
    case PictureFormat::kUnknown:
      break;
  }
  return nullptr;
}

// Index of pixel x in a row of packed 1-, 4- or 8-bit indices, in the surface's bit order.
uint8_t IndexAt(const uint8_t* row, int x, Uint32 pixel_format) {
  switch (pixel_format) {
    case SDL_PIXELFORMAT_INDEX1MSB:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case SDL_PIXELFORMAT_INDEX1LSB:
      return (row[x >> 3] >> (x & 7)) & 1;
    case SDL_PIXELFORMAT_INDEX4MSB:
      return (row[x >> 1] >> (x & 1 ? 0 : 4)) & 15;
    case SDL_PIXELFORMAT_INDEX4LSB:
      return (row[x >> 1] >> (x & 1 ? 4 : 0)) & 15;
    default:
      return row[x];
  }
}

bool CopyIndexed(SDL_Surface* s, DecodedPicture& out) {
  const SDL_Palette* palette = s->format->palette;
  Uint32 format = s->format->format;
  if (format != SDL_PIXELFORMAT_INDEX8 && format != SDL_PIXELFORMAT_INDEX1MSB &&
      format != SDL_PIXELFORMAT_INDEX1LSB && format != SDL_PIXELFORMAT_INDEX4MSB &&
      format != SDL_PIXELFORMAT_INDEX4LSB) {
    return false;
  }
  out.pixels.resize(static_cast<size_t>(s->w) * s->h);
  int highest = 0;
  for (int y = 0; y < s->h; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch;
    uint8_t* dst = out.pixels.data() + static_cast<size_t>(y) * s->w;
    for (int x = 0; x < s->w; ++x) {
      dst[x] = IndexAt(row, x, format);
      highest = std::max<int>(highest, dst[x]);
    }
  }
  // The smallest depth that holds both the palette and every index used.
  int colours = std::max(palette->ncolors, highest + 1);
  out.bits = colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
  out.palette.assign(size_t{1} << out.bits, gfx::Rgb{});
  for (int i = 0; i < std::min<int>(palette->ncolors, 256); ++i) {
    out.palette[i] = {palette->colors[i].r, palette->colors[i].g, palette->colors[i].b};
  }
  Uint32 key;
  if (SDL_GetColorKey(s, &key) == 0 && key < out.palette.size()) {
    out.transparent_index = static_cast<int>(key);
  }
  return true;
}

bool CopyTrueColour(SDL_Surface* s, DecodedPicture& out) {
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGBA32, 0);
  if (rgba == nullptr) return false;
  bool ok = SDL_LockSurface(rgba) == 0;
  if (ok) {
    out.bits = 32;
    out.pixels.resize(static_cast<size_t>(rgba->w) * rgba->h * 4);
    for (int y = 0; y < rgba->h; ++y) {
      std::copy_n(static_cast<const uint8_t*>(rgba->pixels) + static_cast<size_t>(y) * rgba->pitch,
                  static_cast<size_t>(rgba->w) * 4,
                  out.pixels.data() + static_cast<size_t>(y) * rgba->w * 4);
    }
    SDL_UnlockSurface(rgba);
  }
  SDL_FreeSurface(rgba);
  return ok;
}

}  // namespace

PictureStatus ImagePictureDecoder::Decode(std::span<const uint8_t> bytes, std::string_view name,
                                          DecodedPicture& out) {
  out = DecodedPicture{};
  PictureInfo info;
  PictureStatus status = ProbePicture(bytes, name, info);
  if (status != PictureStatus::kOk) return status;
  if (bytes.size() > static_cast<size_t>(INT_MAX)) return PictureStatus::kTooLarge;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (rw == nullptr) return PictureStatus::kCorrupt;
  SDL_Surface* surface = LoaderFor(info.format)(rw);
  SDL_RWclose(rw);
  if (surface == nullptr) return PictureStatus::kCorrupt;
  // The decoder may disagree with the header (several frames or directories): the
  // picture it made must still be within the limits.
  bool fits = surface->w >= 1 && surface->h >= 1 && surface->w <= kMaxPictureSide &&
              surface->h <= kMaxPictureSide &&
              static_cast<uint64_t>(surface->w) * surface->h * 4 <= kMaxPictureBytes;
  bool ok = false;
  if (fits) {
    out.width = surface->w;
    out.height = surface->h;
    if (surface->format->palette == nullptr || surface->format->BitsPerPixel > 8) {
      ok = CopyTrueColour(surface, out);  // converting needs the source unlocked
    } else if (SDL_LockSurface(surface) == 0) {
      ok = CopyIndexed(surface, out);
      SDL_UnlockSurface(surface);
    }
  }
  SDL_FreeSurface(surface);
  if (!ok) {
    out = DecodedPicture{};
    return fits ? PictureStatus::kCorrupt : PictureStatus::kTooLarge;
  }
  return PictureStatus::kOk;
}

}  // namespace corvida

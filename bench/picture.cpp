// Reading a picture file of card size into a bitmap, as a graphic object with a picture
// of its own does when its card is shown: a 640 x 480 true-colour BMP, a 256-colour BMP
// and a PNG of the same picture.
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/picture.h"

namespace {

std::vector<uint8_t> Encode(int depth, bool png) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(
      0, 640, 480, depth, depth == 8 ? SDL_PIXELFORMAT_INDEX8 : SDL_PIXELFORMAT_RGB24);
  for (int y = 0; y < 480; ++y) {
    auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
    for (int x = 0; x < 640 * depth / 8; ++x) row[x] = static_cast<uint8_t>((x ^ y) + x / 7);
  }
  if (depth == 8) {
    for (int i = 0; i < 256; ++i)
      s->format->palette->colors[i] = {uint8_t(i), 0, uint8_t(255 - i), 255};
  }
  std::vector<uint8_t> out(4 << 20);
  SDL_RWops* rw = SDL_RWFromMem(out.data(), static_cast<int>(out.size()));
  if (png)
    IMG_SavePNG_RW(s, rw, 0);
  else
    SDL_SaveBMP_RW(s, rw, 0);
  out.resize(SDL_RWtell(rw));
  SDL_RWclose(rw);
  SDL_FreeSurface(s);
  return out;
}

void Decode(benchmark::State& state, int depth, bool png) {
  std::vector<uint8_t> file = Encode(depth, png);
  corvida::ImagePictureDecoder decoder;
  corvida::DecodedPicture picture;
  corvida::gfx::Bitmap bitmap;
  for (auto _ : state) {
    if (decoder.Decode(file, "card", picture) != corvida::PictureStatus::kOk ||
        !corvida::PictureToBitmap(picture, bitmap)) {
      state.SkipWithError("decode failed");
      break;
    }
    benchmark::DoNotOptimize(bitmap.data());
  }
  state.SetBytesProcessed(state.iterations() * 640 * 480 * 4);
}

void BM_PictureBmp24(benchmark::State& state) {
  Decode(state, 24, false);
}
void BM_PictureBmp8(benchmark::State& state) {
  Decode(state, 8, false);
}
void BM_PicturePng24(benchmark::State& state) {
  Decode(state, 24, true);
}
BENCHMARK(BM_PictureBmp24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureBmp8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PicturePng24)->Unit(benchmark::kMillisecond);

}  // namespace

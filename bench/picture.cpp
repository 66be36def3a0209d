// Reading a picture file of card size into a bitmap, as a graphic object with a picture
// of its own does when its card is shown: a 640 x 480 true-colour BMP, a 256-colour BMP
// and a PNG of the same picture.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/png.h"
#include "platform/picture.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

void Le(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A bottom-up BMP of the pattern: 8 bits with a 256-colour palette, or 24 bits.
std::vector<uint8_t> Bmp(int depth) {
  uint32_t row = (kWidth * depth / 8 + 3) / 4 * 4, palette = depth == 8 ? 1024 : 0;
  std::vector<uint8_t> out = {'B', 'M'};
  Le(out, 54 + palette + row * kHeight, 4);
  Le(out, 0, 4);
  Le(out, 54 + palette, 4);
  for (uint32_t v : {40u, uint32_t(kWidth), uint32_t(kHeight)}) Le(out, v, 4);
  Le(out, 1, 2);
  Le(out, depth, 2);
  for (uint32_t v : {0u, 0u, 2835u, 2835u, depth == 8 ? 256u : 0u, 0u}) Le(out, v, 4);
  for (int i = 0; depth == 8 && i < 256; ++i) Le(out, uint32_t(255 - i) | uint32_t(i) << 16, 4);
  for (int y = kHeight - 1; y >= 0; --y) {
    for (uint32_t x = 0; x < row; ++x) out.push_back(static_cast<uint8_t>((x ^ y) + x / 7));
  }
  return out;
}

std::vector<uint8_t> Png() {
  corvida::gfx::Bitmap bitmap;
  bitmap.Create(kWidth, kHeight, 32);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < kWidth * 4; ++x) row[x] = static_cast<uint8_t>((x ^ y) + x / 7);
  }
  std::vector<uint8_t> out;
  corvida::gfx::EncodePng(bitmap, nullptr, out);
  return out;
}

std::vector<uint8_t> Encode(int depth, bool png) {
  return png ? Png() : Bmp(depth);
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

// Playing a 640 x 480 Cinepak movie, as a card showing a movie of that size does: one
// second of it (15 frames) decoded, scaled to its rectangle and drawn into an 8-bit card
// through the card area. The counter `core_share` is the share of one core that playing
// in real time needs (the goal is under 0.10).
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/region.h"
#include "platform/movie_ffmpeg.h"
#include "player/player_media.h"
#include "support/movie_writer.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kFps = 15;

// Frames of a moving pattern: each frame differs from the one before, as in a movie.
std::vector<uint8_t> CinepakSecond() {
  corvida::testing::TestMovieSpec spec =
      corvida::testing::VideoSpec("mov", "cinepak", kWidth, kHeight);
  spec.fps = kFps;
  spec.textured = true;
  for (int i = 0; i < kFps; ++i) spec.colours.push_back(0x102030u * uint32_t(i + 1) ^ 0x00FF00u);
  return corvida::testing::TestMovieBytes(spec);
}

void BM_PlayCinepakSecond(benchmark::State& state) {
  const std::vector<uint8_t> bytes = CinepakSecond();
  auto service = corvida::CreateFfmpegMovieService();
  corvida::gfx::Bitmap card;
  card.Create(kWidth, kHeight, 8);
  const corvida::Rect rect{0, 0, kWidth, kHeight};
  const corvida::gfx::Region area(rect);
  corvida::MovieFrame frame;
  double seconds = 0;
  for (auto _ : state) {
    auto opened = service->OpenMemory(bytes);
    if (!opened.movie) {
      state.SkipWithError("the movie did not open");
      return;
    }
    corvida::gfx::DrawTarget target(card);
    for (int i = 0; i < kFps; ++i) {
      opened.movie->DecodeFrame(uint32_t(i * 1000 / kFps), {kWidth, kHeight}, frame);
      corvida::DrawMovieFrame(target, rect, frame, area);
    }
    seconds += 1;
  }
  state.counters["core_share"] =
      benchmark::Counter(seconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlayCinepakSecond)->Unit(benchmark::kMillisecond);

}  // namespace

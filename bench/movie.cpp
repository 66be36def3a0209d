// Playing a 640 x 480 Cinepak movie, as a card showing a movie of that size does: one
// second of it (15 frames) decoded, scaled to its rectangle and drawn into an 8-bit card
// through the card area. The counter `core_share` is the share of one core that playing
// in real time needs (the goal is under 0.10). The movie is opened once, as a card opens
// it once; encoding it takes far longer than playing it, so it is kept in the temporary
// folder for the next run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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
std::vector<uint8_t> EncodeCinepakSecond() {
  corvida::testing::TestMovieSpec spec =
      corvida::testing::VideoSpec("mov", "cinepak", kWidth, kHeight);
  spec.fps = kFps;
  spec.textured = true;
  for (int i = 0; i < kFps; ++i) spec.colours.push_back(0x102030u * uint32_t(i + 1) ^ 0x00FF00u);
  return corvida::testing::TestMovieBytes(spec);
}

std::vector<uint8_t> CinepakSecond() {
  const std::filesystem::path kept =
      std::filesystem::temp_directory_path() / "corvida-bench-cinepak-640x480-v1.mov";
  std::ifstream in(kept, std::ios::binary);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!bytes.empty()) return bytes;
  bytes = EncodeCinepakSecond();
  std::ofstream(kept, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bytes;
}

void BM_PlayCinepakSecond(benchmark::State& state) {
  auto service = corvida::CreateFfmpegMovieService();
  auto opened = service->OpenMemory(CinepakSecond());
  if (!opened.movie) {
    state.SkipWithError("the movie did not open");
    return;
  }
  corvida::gfx::Bitmap card;
  card.Create(kWidth, kHeight, 8);
  const corvida::Rect rect{0, 0, kWidth, kHeight};
  const corvida::gfx::Region area(rect);
  corvida::MovieFrame frame;
  double seconds = 0;
  for (auto _ : state) {
    corvida::gfx::DrawTarget target(card);
    for (int i = 0; i < kFps; ++i) {
      if (!opened.movie->DecodeFrame(uint32_t(i * 1000 / kFps), {kWidth, kHeight}, frame)) {
        state.SkipWithError("a frame did not decode");
        return;
      }
      corvida::DrawMovieFrame(target, rect, frame, area);
    }
    seconds += 1;
  }
  state.counters["core_share"] =
      benchmark::Counter(seconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlayCinepakSecond)->Unit(benchmark::kMillisecond);

}  // namespace

// Makes the demo's film, flight.mov: the ladybird takes off from the meadow and flies away
// into the sky while its wings hum. 192 x 128 pixels, 12 frames a second for three
// seconds, QuickTime Animation pictures and IMA sound, made with the same encoders the
// tests use. Build the `make_demo_movie` target and run it from the repository:
//
//     make_demo_movie examples/demo
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "platform/gfx/png.h"
#include "support/movie_writer.h"

namespace {

using corvida::gfx::Bitmap;

constexpr int kWidth = 192, kHeight = 128, kFps = 12, kFrames = 36;
constexpr int kSoundRate = 22050;
constexpr double kPi = 3.14159265358979323846;

struct Colour {
  double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

class Frame {
 public:
  Frame() : rgb_(size_t(kWidth) * kHeight * 3) {}
  void Put(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    uint8_t* p = &rgb_[(size_t(y) * kWidth + size_t(x)) * 3];
    p[0] = uint8_t(std::lround(c.r)), p[1] = uint8_t(std::lround(c.g)),
    p[2] = uint8_t(std::lround(c.b));
  }
  void Disc(double cx, double cy, double rx, double ry, Colour c) {
    for (int y = int(cy - ry); y <= int(cy + ry) + 1; ++y)
      for (int x = int(cx - rx); x <= int(cx + rx) + 1; ++x) {
        const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
        if (dx * dx + dy * dy <= 1) Put(x, y, c);
      }
  }
  std::vector<uint8_t> Take() { return std::move(rgb_); }

 private:
  std::vector<uint8_t> rgb_;
};

// Sky, sun, two drifting clouds and the meadow's hill, as on the demo's cards.
void PaintScene(Frame& f, int index) {
  const Colour high{70, 130, 220}, low{185, 220, 250}, grass{70, 165, 60};
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) f.Put(x, y, Mix(high, low, double(y) / kHeight));
  f.Disc(160, 24, 13, 13, {250, 210, 40});
  for (auto [x0, y0, w] : {std::tuple{40.0, 30.0, 18.0}, std::tuple{130.0, 52.0, 14.0}}) {
    const double x = std::fmod(x0 - index * 0.75 + kWidth + 40, kWidth + 40) - 20;
    f.Disc(x, y0, w, w * 0.45, {250, 250, 250});
    f.Disc(x + w * 0.6, y0 - 3, w * 0.6, w * 0.4, {250, 250, 250});
  }
  for (int x = 0; x < kWidth; ++x) {
    const int top = int(104 + 8 * std::sin(x * kPi / kWidth * 1.5 + 0.4));
    for (int y = top; y < kHeight; ++y)
      f.Put(x, y, Mix(grass, {40, 120, 40}, double(y - top) / 24));
  }
}

// The ladybird, scaled to `side` pixels around (cx, cy), where its mask is black.
void PaintLadybird(Frame& f, const Bitmap& bird, const Bitmap& mask, double cx, double cy,
                   double side) {
  const double step = bird.width() / side;
  for (int y = 0; y < int(side); ++y)
    for (int x = 0; x < int(side); ++x) {
      const int sx = int(x * step), sy = int(y * step);
      if (mask.ColorAt(sx, sy).r > 128) continue;
      const corvida::gfx::Rgb c = bird.ColorAt(sx, sy);
      f.Put(int(cx - side / 2) + x, int(cy - side / 2) + y,
            {double(c.r), double(c.g), double(c.b)});
    }
}

// Sits for half a second, then climbs away to the upper left, smaller and smaller.
std::vector<uint8_t> PaintFrame(int index, const Bitmap& bird, const Bitmap& mask) {
  Frame f;
  PaintScene(f, index);
  const double t = std::max(0.0, (index - 6) / double(kFrames - 7));
  const double cx = 96 - 70 * t + 10 * std::sin(t * 3 * kPi);
  const double cy = 96 - 84 * t * (2 - t) + (index < 6 ? 0 : 3 * std::sin(index * 2.1));
  PaintLadybird(f, bird, mask, cx, cy, 40 - 30 * t);
  return f.Take();
}

// The hum of wings: two partials beating at the wing rate, fading as the ladybird goes.
std::vector<int16_t> Hum() {
  std::vector<int16_t> samples(size_t(kSoundRate) * kFrames / kFps);
  for (size_t i = 0; i < samples.size(); ++i) {
    const double s = double(i) / kSoundRate;
    if (s < 0.45) continue;
    const double rise = std::min(1.0, (s - 0.45) / 0.15), fade = 1 - (s - 0.45) / 2.6;
    const double wings = 0.6 + 0.4 * std::sin(2 * kPi * 28 * s);
    const double tone = 0.7 * std::sin(2 * kPi * 190 * s) + 0.3 * std::sin(2 * kPi * 380 * s + 1);
    samples[i] = int16_t(6000 * rise * std::max(0.0, fade) * wings * tone);
  }
  return samples;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "examples/demo";
  Bitmap bird, mask;
  std::string error;
  if (!corvida::gfx::ReadPngFile(folder + "/ladybird.png", bird, &error) ||
      !corvida::gfx::ReadPngFile(folder + "/ladybird-mask.png", mask, &error)) {
    std::fprintf(stderr, "make_demo_movie: %s\n", error.c_str());
    return 1;
  }
  corvida::testing::TestMovieSpec spec =
      corvida::testing::VideoSpec("mov", "qtrle", kWidth, kHeight);
  spec.fps = kFps;
  for (int i = 0; i < kFrames; ++i) spec.rgb_frames.push_back(PaintFrame(i, bird, mask));
  spec.audio_codec = "adpcm_ima_qt";
  spec.audio_rate = kSoundRate;
  spec.audio_samples = Hum();
  const std::string path = folder + "/flight.mov";
  error = corvida::testing::WriteTestMovie(path, spec);
  if (!error.empty()) {
    std::fprintf(stderr, "make_demo_movie: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return 0;
}

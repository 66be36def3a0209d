// Turtle graphics on a 640 x 480 picture, each beside the 2D layer doing the same drawing
// directly in the same run:
// - lines: 100,000 segments drawn by a Tarrow loop (FD 37 RT 71), against the same loop
//   with the pen up (the interpreter and the turtle's arithmetic alone) and against the
//   2D layer drawing those 100,000 segments. Goal: the drawing the turtle adds (pen down
//   minus pen up) costs at most 2x the 2D layer's own lines.
// - fill: FILL of the whole blank picture against the 2D layer's flood fill. Goal: at
//   most 1.2x.
// - text: 2,000 turtle texts (TYPE under TURTLEIO, the turtle stepping between them)
//   against the 2D layer drawing the same texts. Goal: at most 2x.
// Times are processor time, so that other work on the machine does not count.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "logo/interp.h"
#include "logo/turtle.h"
#include "platform/font_names.h"
#include "platform/gfx/text.h"

namespace {

using corvida::Point;
namespace gfx = corvida::gfx;
namespace logo = corvida::logo;

constexpr int kWidth = 640, kHeight = 480;
constexpr int kSegments = 100'000;
constexpr int kTexts = 2'000;
constexpr const char* kText = "Hello turtle";

double Seconds(std::clock_t since) {
  return static_cast<double>(std::clock() - since) / CLOCKS_PER_SEC;
}

// Seconds a script takes on a fresh interpreter drawing on a blank picture.
double ScriptSeconds(const std::string& script, corvida::FontService* fonts = nullptr) {
  logo::InterpreterConfig config;
  config.fixed_seed = true;
  config.max_steps = 0;
  config.fonts = fonts;
  logo::Interpreter interp(config);
  logo::PictureSurface picture;
  picture.Create(kWidth, kHeight);
  interp.SetTurtleSurface(&picture);
  interp.RunScript("ht");
  const std::clock_t start = std::clock();
  interp.RunScript(script);
  const double seconds = Seconds(start);
  benchmark::DoNotOptimize(picture.bitmap().ColorAt(kWidth / 2, kHeight / 2));
  return seconds;
}

// The segments FD 37 RT 71 walks from the middle, in whole pixels as the turtle moves.
std::vector<Point> Walk() {
  std::vector<Point> points{{kWidth / 2, kHeight / 2}};
  int heading = 0;
  for (int i = 0; i < kSegments; ++i) {
    const double r = heading * std::numbers::pi / 180.0;
    const Point at = points.back();
    points.push_back(
        {at.x + int(std::trunc(37 * std::sin(r))), at.y - int(std::trunc(37 * std::cos(r)))});
    heading = (heading + 71) % 360;
  }
  return points;
}

void BM_Lines(benchmark::State& state) {
  const std::string loop = "repeat " + std::to_string(kSegments) + " [fd 37 rt 71]";
  const std::vector<Point> walk = Walk();
  double drawn = 0, moved = 0, bare = 0;
  for (auto _ : state) {
    drawn = ScriptSeconds(loop);
    moved = ScriptSeconds("pu " + loop);
    gfx::Bitmap bitmap;
    bitmap.Create(kWidth, kHeight, 32);
    gfx::DrawTarget target(bitmap);
    target.FillRect(bitmap.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
    const std::clock_t start = std::clock();
    for (size_t i = 1; i < walk.size(); ++i) target.Line(walk[i - 1], walk[i]);
    bare = Seconds(start);
    benchmark::DoNotOptimize(bitmap.ColorAt(0, 0));
  }
  state.counters["turtle_ms"] = drawn * 1e3;
  state.counters["pen_up_ms"] = moved * 1e3;
  state.counters["layer_ms"] = bare * 1e3;
  state.counters["drawing_vs_layer_ratio"] = (drawn - moved) / bare;
}

void BM_Fill(benchmark::State& state) {
  double filled = 0, bare = 0;
  for (auto _ : state) {
    filled = ScriptSeconds("setpc 4 fill");
    gfx::Bitmap bitmap;
    bitmap.Create(kWidth, kHeight, 32);
    gfx::DrawTarget target(bitmap);
    target.FillRect(bitmap.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
    const std::clock_t start = std::clock();
    target.FloodFill({kWidth / 2, kHeight / 2}, gfx::Color::FromRgb(gfx::Rgb{0, 0, 255}));
    bare = Seconds(start);
    benchmark::DoNotOptimize(bitmap.ColorAt(0, 0));
  }
  state.counters["turtle_ms"] = filled * 1e3;
  state.counters["layer_ms"] = bare * 1e3;
  state.counters["fill_vs_layer_ratio"] = filled / bare;
}

void BM_Text(benchmark::State& state) {
  std::unique_ptr<corvida::FontService> fonts =
      corvida::CreateFontService(corvida::DefaultFontFolders("", ""));
  if (!fonts->has_faces()) {
    state.SkipWithError("no font faces installed");
    return;
  }
  double typed = 0, bare = 0;
  for (auto _ : state) {
    // The turtle steps up and back between texts, so each starts where it stands.
    const std::string text = "\"Hello\\ turtle";
    typed = ScriptSeconds("turtleio pu repeat " + std::to_string(kTexts / 2) + " [fd 1 type " +
                              text + " bk 1 type " + text + "]",
                          fonts.get());
    gfx::Bitmap bitmap;
    bitmap.Create(kWidth, kHeight, 32);
    gfx::DrawTarget target(bitmap);
    target.FillRect(bitmap.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
    target.state().bk_mode = gfx::BkMode::kTransparent;
    std::shared_ptr<corvida::Font> font = fonts->GetFont("Geneva", 12, 0);
    const std::clock_t start = std::clock();
    for (int i = 0; i < kTexts; ++i) {
      const int top = kHeight / 2 - (i % 2);
      gfx::DrawText(target, *font, kWidth / 2, top + font->metrics().ascent, kText,
                    gfx::Color::FromRgb(gfx::kBlack));
    }
    bare = Seconds(start);
    benchmark::DoNotOptimize(bitmap.ColorAt(0, 0));
  }
  state.counters["turtle_ms"] = typed * 1e3;
  state.counters["layer_ms"] = bare * 1e3;
  state.counters["text_vs_layer_ratio"] = typed / bare;
}

BENCHMARK(BM_Lines)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Text)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

// The drawing work of one full-card transition on a 640 x 480 card, per effect and per
// depth. The pacing waits cost nothing here (the screen's clock jumps to the end of each
// wait), so the figures are the work of the steps. Goal: no step takes over 2 ms.
//
// Counters, in milliseconds of processor time: the mean step, the worst step of the
// median run (the figure to hold against the goal), and the worst step seen at all (it
// includes the machine's hiccups: page faults, other programs evicting the caches).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "engine/transition.h"
#include "engine/transition_screen.h"

namespace corvida {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Processor time of this thread: the work of a step, without the time other programs on
// a shared machine take from it.
double ThreadMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

class BenchScreen : public TransitionScreen {
 public:
  explicit BenchScreen(gfx::Bitmap& shown) : shown_(shown) {}

  int depth() const override { return shown_.depth(); }
  void Copy(const Rect& r, const gfx::Bitmap& source, Point source_at) override {
    CopyPixels(shown_, r, source, source_at);
  }
  bool Read(const Rect& r, gfx::Bitmap& out) override {
    if (!ReuseOrCreate(out, r.Width(), r.Height(), shown_.depth())) return false;
    out.palette = shown_.palette;
    CopyPixels(out, out.Bounds(), shown_, {r.left, r.top});
    return true;
  }
  const gfx::Palette& palette() const override { return shown_.palette; }
  void SetPalette(const gfx::Palette& palette) override { shown_.palette = palette; }
  void Present() override {}
  uint32_t Now() override { return clock_.Milliseconds(); }
  void Wait(uint32_t ms) override { clock_.Advance(ms); }
  void StepDone(int, int) override {
    const double now = ThreadMs();
    const double ms = now - last_;
    worst_ = std::max(worst_, ms);
    run_worst_ = std::max(run_worst_, ms);
    total_ += ms;
    ++steps_;
    last_ = now;
  }

  void Begin() {
    run_worst_ = 0;
    last_ = ThreadMs();
  }
  double run_worst() const { return run_worst_; }
  double worst() const { return worst_; }
  double total() const { return total_; }
  long steps() const { return steps_; }

 private:
  gfx::Bitmap& shown_;
  VirtualClock clock_;
  double last_ = 0;
  double worst_ = 0;
  double run_worst_ = 0;
  double total_ = 0;
  long steps_ = 0;
};

void Fill(gfx::Bitmap& b, int depth, uint32_t seed) {
  b.Create(kWidth, kHeight, depth);
  if (depth <= 8) b.palette = gfx::Palette::Grey(8);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) b.Set(x, y, (uint32_t(x * 7 + y * 13) * seed) & 0xFFFFFF);
}

void BM_Transition(benchmark::State& state) {
  const int id = int(state.range(0));
  const int depth = int(state.range(1));
  gfx::Bitmap old_picture, shown, image;
  Fill(old_picture, depth, 3);
  Fill(image, depth, 5);
  shown = old_picture;
  BenchScreen screen(shown);
  TransitionState transitions;
  transitions.action_origin = Point{100, 100};
  long runs = 0;
  std::vector<double> run_worsts;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(shown.data(), old_picture.data(), shown.byte_size());
    shown.palette = old_picture.palette;
    state.ResumeTiming();
    screen.Begin();
    RunTransition(transitions, screen, image, id, 8, std::nullopt, true);
    ++runs;
    run_worsts.push_back(screen.run_worst());
  }
  std::sort(run_worsts.begin(), run_worsts.end());
  state.counters["steps"] = runs ? double(screen.steps()) / double(runs) : 0;
  state.counters["mean_step_ms"] = screen.steps() ? screen.total() / double(screen.steps()) : 0;
  // The worst step of a typical run (the median run), and of the unluckiest run.
  state.counters["worst_step_ms"] = run_worsts.empty() ? 0 : run_worsts[run_worsts.size() / 2];
  state.counters["max_step_ms"] = screen.worst();
}

void Effects(benchmark::internal::Benchmark* b) {
  for (int depth : {8, 32})
    for (int id = 1; id <= 28; ++id) b->Args({id, depth});
}

BENCHMARK(BM_Transition)->Apply(Effects)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvida

// The corvida program as a whole process, start-up included: `corvida render` of one
// 640 x 480 x 8 card with its objects to a PNG file, and `corvida replay` of 1,000 events
// (clicks changing cards, pointer moves, keys) on a stack of 20 cards. Beside them, in the
// same run, `corvida version` (start-up and exit alone) and a replay of one event.
// Goals: render under 50 ms of wall time; replay under 1 ms of processor time an event
// beyond the replay of one event. Each figure is the median of the runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>

#include "bench/bench_stacks.h"

namespace corvida::bench {
namespace {

constexpr int kRuns = 15;

struct Median {
  double wall = 0, cpu = 0;
  int failures = 0;
};

Median Run(const std::vector<std::string>& args, int runs) {
  std::vector<double> wall, cpu;
  Median m;
  for (int i = 0; i < runs; ++i) {
    ProcessRun r = RunProcess(args);
    m.failures += r.status != 0;
    wall.push_back(r.wall_seconds), cpu.push_back(r.cpu_seconds);
  }
  std::sort(wall.begin(), wall.end()), std::sort(cpu.begin(), cpu.end());
  m.wall = wall[wall.size() / 2], m.cpu = cpu[cpu.size() / 2];
  return m;
}

void BM_RenderProcess(benchmark::State& state) {
  ScratchFolder scratch;
  StackShape shape;
  shape.cards = 3;
  const std::string stack = scratch.File("render.stk");
  if (!WriteStack(stack, shape)) return state.SkipWithError("the stack could not be written");
  Median render, version;
  for (auto _ : state) {
    version = Run({CORVIDA_BINARY, "version"}, kRuns);
    render =
        Run({CORVIDA_BINARY, "render", stack, "--card", "2", "-o", scratch.File("c.png")}, kRuns);
  }
  if (render.failures || version.failures) state.SkipWithError("corvida failed");
  state.counters["render_ms"] = render.wall * 1e3;
  state.counters["render_cpu_ms"] = render.cpu * 1e3;
  state.counters["startup_ms"] = version.wall * 1e3;
  state.counters["x_startup"] = render.wall / version.wall;
  state.SetLabel(render.wall < 0.050 ? "goal < 50 ms: met" : "goal < 50 ms: NOT met");
}
BENCHMARK(BM_RenderProcess)->Unit(benchmark::kMillisecond)->Iterations(1);

// 1,000 events: per round a click on the next-card button, two pointer moves, a key.
std::string Events(int count) {
  std::string script;
  const char* round[] = {"click 50 40\n", "move 300 200\n", "move 60 45\n", "key Right\n"};
  for (int i = 0; i < count; ++i) script += round[i % 4];
  return script;
}

void BM_Replay1000Events(benchmark::State& state) {
  ScratchFolder scratch;
  StackShape shape;
  shape.cards = 20;
  shape.pictures = false;
  const std::string stack = scratch.File("replay.stk");
  if (!WriteStack(stack, shape)) return state.SkipWithError("the stack could not be written");
  std::ofstream(scratch.File("one.txt")) << Events(1);
  std::ofstream(scratch.File("many.txt")) << Events(1000);
  Median one, many;
  for (auto _ : state) {
    one = Run({CORVIDA_BINARY, "replay", stack, scratch.File("one.txt"), "-o", scratch.File("o1")},
              5);
    many = Run(
        {CORVIDA_BINARY, "replay", stack, scratch.File("many.txt"), "-o", scratch.File("o2")}, 5);
  }
  if (one.failures || many.failures) state.SkipWithError("corvida replay failed");
  // Processor time, so that other work on a shared machine does not count.
  const double per_event = (many.cpu - one.cpu) / 999;
  state.counters["replay_ms"] = many.wall * 1e3;
  state.counters["one_event_ms"] = one.wall * 1e3;
  state.counters["per_event_cpu_us"] = per_event * 1e6;
  state.counters["x_one_event"] = many.wall / one.wall;
  state.SetLabel(per_event < 1e-3 ? "goal < 1 ms CPU an event: met"
                                  : "goal < 1 ms CPU an event: NOT met");
}
BENCHMARK(BM_Replay1000Events)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace corvida::bench

// Many global names and property lists: a stack's workspace of MAKE or PPROP lines run
// as the stack opens. The cost per line must not grow with the number of lines before
// it, so each run times a large workspace against one an eighth of its size in the same
// run and reports the ratio of the costs per line (1 is linear; 8 would be quadratic).
// Goal: a ratio below 2 for both stores.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "logo/interp.h"
#include "logo/workspace.h"

namespace {

constexpr int kLarge = 80'000;
constexpr int kSmall = kLarge / 8;

std::string Workspace(const char* format, int lines) {
  std::string text;
  char line[80];
  for (int i = 0; i < lines; ++i) {
    std::snprintf(line, sizeof line, format, i, i);
    text += line;
  }
  return text;
}

// Seconds per line of loading the text into a fresh interpreter.
double SecondsPerLine(const std::string& text, int lines) {
  corvida::logo::Interpreter interp;
  auto start = std::chrono::steady_clock::now();
  corvida::logo::LoadWorkspaceText(interp, text, corvida::logo::LoadMode::kWorkspaceOnly);
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return took.count() / lines;
}

void LoadRatio(benchmark::State& state, const char* format) {
  std::string large = Workspace(format, kLarge);
  std::string small = Workspace(format, kSmall);
  double ratio = 0, large_seconds = 0;
  for (auto _ : state) {
    double per_small = SecondsPerLine(small, kSmall);
    double per_large = SecondsPerLine(large, kLarge);
    ratio = per_large / per_small;
    large_seconds = per_large * kLarge;
  }
  state.counters["per_line_ratio"] = ratio;
  state.counters["large_load_s"] = large_seconds;
}

void BM_WorkspaceOfManyNames(benchmark::State& state) {
  LoadRatio(state, "MAKE \"name%d %d\r\n");
}
void BM_WorkspaceOfManyPropertyLists(benchmark::State& state) {
  LoadRatio(state, "PPROP \"list%d \"size %d\r\n");
}

}  // namespace

BENCHMARK(BM_WorkspaceOfManyNames)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WorkspaceOfManyPropertyLists)->Unit(benchmark::kMillisecond)->Iterations(1);

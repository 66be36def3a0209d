// Taking long words apart and joining to them: a loop of WORD, BUTFIRST, BUTLAST, COUNT,
// ITEM and LAST runs on a word of 64,000 characters and on one of 1,000 in the same run;
// the ratio of their costs per pass says how an operation's cost grows with the word's
// length (1: not at all; 64: in proportion to it). Goal: a ratio below 2 for each.
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

#include "logo/interp.h"

namespace {

constexpr int kLong = 64'000;
constexpr int kShort = 1'000;
constexpr int kPasses = 200'000;

// A procedure making a word of `length` characters, and the word made.
std::string Setup(int length) {
  return "to grow :n\nmake \"w \"\nrepeat :n [make \"w word :w \"x]\noutput :w\nend\n"
         "make \"w grow " +
         std::to_string(length) + "\nmake \"v 0\n";
}

// Seconds one pass of the operation takes on a word of `length` characters; the word is
// made before the clock starts.
double SecondsPerPass(const char* operation, int length) {
  corvida::logo::InterpreterConfig config;
  config.fixed_seed = true;
  corvida::logo::Interpreter interp(config);
  interp.RunScript(Setup(length));
  std::string passes = "repeat " + std::to_string(kPasses) + " [" + operation + "]\n";
  // Processor time, so that other work on the machine does not count.
  std::clock_t start = std::clock();
  interp.RunScript(passes);
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / kPasses;
}

void LengthRatio(benchmark::State& state, const char* operation) {
  double ratio = 0, long_seconds = 0;
  for (auto _ : state) {
    double per_short = SecondsPerPass(operation, kShort);
    double per_long = SecondsPerPass(operation, kLong);
    ratio = per_long / per_short;
    long_seconds = per_long;
  }
  state.counters["long_vs_short_ratio"] = ratio;
  state.counters["long_pass_us"] = long_seconds * 1e6;
}

void BM_JoinAtTheEnd(benchmark::State& s) {
  LengthRatio(s, "make \"w word :w \"y");
}
void BM_ButFirst(benchmark::State& s) {
  LengthRatio(s, "make \"v butfirst :w");
}
void BM_ButLast(benchmark::State& s) {
  LengthRatio(s, "make \"v butlast :w");
}
void BM_CountItemLast(benchmark::State& s) {
  LengthRatio(s, "make \"v (word count :w item 500 :w last :w)");
}

BENCHMARK(BM_JoinAtTheEnd)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ButFirst)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ButLast)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CountItemLast)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

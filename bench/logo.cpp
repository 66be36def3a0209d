// Tarrow programs run through the interpreter: recursion, a counting loop with MAKE, list
// building and walking, word building. Each iteration starts a fresh interpreter.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "logo/interp.h"

namespace {

std::string Program(const char* name) {
  std::string path = __FILE__;
  path = path.substr(0, path.rfind('/')) + "/logo/" + name;
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void RunProgram(benchmark::State& state, const char* name, const char* expected) {
  std::string program = Program(name);
  if (program.empty()) {
    state.SkipWithError("program not found");
    return;
  }
  std::string out;
  for (auto _ : state) {
    out.clear();
    corvida::logo::InterpreterConfig config;
    config.fixed_seed = true;
    corvida::logo::InterpreterHooks hooks;
    hooks.write = [&](std::string_view s) { out.append(s); };
    hooks.show_error = [&](const std::string& s) { out += s; };
    corvida::logo::Interpreter interp(config, hooks);
    interp.RunScript(program);
    benchmark::DoNotOptimize(out.data());
  }
  if (out != expected) state.SkipWithError(("unexpected output: " + out).c_str());
}

void BM_Fibonacci(benchmark::State& s) {
  RunProgram(s, "fib.lgo", "17711\n");
}
void BM_CountingLoop(benchmark::State& s) {
  RunProgram(s, "count.lgo", "1345494336\n");
}
void BM_ListBuilding(benchmark::State& s) {
  RunProgram(s, "lists.lgo", "20000000\n");
}
void BM_WordBuilding(benchmark::State& s) {
  RunProgram(s, "words.lgo", "16000\n");
}

BENCHMARK(BM_Fibonacci)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountingLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListBuilding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordBuilding)->Unit(benchmark::kMillisecond);

}  // namespace

// Tarrow programs run through the interpreter: recursion, a counting loop with MAKE, list
// building and walking, word building, list and word editing, property lists, and text
// files written and read back. Each iteration starts a fresh interpreter.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
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

// A folder for the scripts' files, removed at the end.
struct ScratchFolder {
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "corvida-bench-XXXXXX").string();
    if (mkdtemp(pattern.data())) path = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
  }
  std::string path;
};

void RunProgram(benchmark::State& state, const char* name, const char* expected) {
  std::string program = Program(name);
  if (program.empty()) {
    state.SkipWithError("program not found");
    return;
  }
  std::string out;
  ScratchFolder files;
  for (auto _ : state) {
    out.clear();
    corvida::logo::InterpreterConfig config;
    config.fixed_seed = true;
    config.files_folder = files.path;
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
  RunProgram(s, "words.lgo", "400000\n");
}

void BM_ListEditing(benchmark::State& s) {
  RunProgram(s, "listops.lgo", "1000950\n");
}
void BM_WordEditing(benchmark::State& s) {
  RunProgram(s, "wordops.lgo", "1000 K 52 lmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghi\n");
}
void BM_PropertyLists(benchmark::State& s) {
  RunProgram(s, "plists.lgo", "13482500\n");
}
void BM_FileLines(benchmark::State& s) {
  RunProgram(s, "files.lgo", "25000\n");
}

BENCHMARK(BM_Fibonacci)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountingLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListBuilding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordBuilding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListEditing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordEditing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PropertyLists)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileLines)->Unit(benchmark::kMillisecond);

}  // namespace

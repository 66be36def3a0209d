// Handle lookups happen on every record access, so lock/unlock must stay a few
// nanoseconds; BlockMove carries every insert and delete inside records.
#include <benchmark/benchmark.h>

#include <vector>

#include "base/handles.h"

namespace corvida {
namespace {

void BM_LockUnlock(benchmark::State& state) {
  Handles handles;
  std::vector<Handle> live;
  for (int i = 0; i < state.range(0); ++i) live.push_back(handles.New(64));
  size_t i = 0;
  for (auto _ : state) {
    const Handle h = live[i++ % live.size()];
    benchmark::DoNotOptimize(handles.Lock(h));
    handles.Unlock(h);
  }
}
BENCHMARK(BM_LockUnlock)->Arg(10)->Arg(10000);

void BM_NewDispose(benchmark::State& state) {
  Handles handles;
  for (int i = 0; i < 1000; ++i) handles.New(16);  // a table with some occupancy
  for (auto _ : state) {
    Handle h = handles.New(static_cast<uint32_t>(state.range(0)));
    benchmark::DoNotOptimize(h);
    handles.Dispose(h);
  }
}
BENCHMARK(BM_NewDispose)->Arg(64)->Arg(4096);

void BM_BlockMoveOverlapping(benchmark::State& state) {
  std::vector<uint8_t> buffer(static_cast<size_t>(state.range(0)) + 64);
  for (auto _ : state) {
    BlockMove(buffer.data(), buffer.data() + 16, static_cast<size_t>(state.range(0)));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BlockMoveOverlapping)->Arg(256)->Arg(64 << 10)->Arg(4 << 20);

void BM_InsertDeleteInRecord(benchmark::State& state) {
  Handles handles;
  Handle h = handles.New(static_cast<uint32_t>(state.range(0)));
  const uint8_t bytes[32] = {};
  for (auto _ : state) {
    handles.InsertBytes(h, bytes, 100, sizeof bytes);
    handles.DeleteBytes(h, 100, sizeof bytes);
  }
}
BENCHMARK(BM_InsertDeleteInRecord)->Arg(1024)->Arg(256 << 10);

}  // namespace
}  // namespace corvida

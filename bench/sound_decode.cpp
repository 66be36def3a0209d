// MACE decoding of stored sounds: one minute of stereo sound at 22,254 Hz, packed 3:1 and
// 6:1, decoded through DecodeSnd. "x_realtime" is seconds of sound decoded per second of
// CPU; the memcpy of the decoded size is the baseline the same run gives.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "stackfile/records_access.h"
#include "stackfile/sound.h"
#include "stackfile/sound_layout.h"

namespace {

using namespace corvida;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kRate = 0x56EE8BA3;  // 22,254.545 Hz
constexpr double kSeconds = 60;
constexpr int kChannels = 2;

uint32_t Packets() {
  return uint32_t(kSeconds * snd::WholeHertz(kRate) / 6);
}

// A stored stereo MACE sound (format 2, compressed header) of random packets.
Bytes MaceSound(int16_t compression_id) {
  const size_t packet_bytes = (compression_id == snd::kCompressionMace3 ? 2 : 1) * kChannels;
  Bytes b(6 + snd::header::kLongData + Packets() * packet_bytes, 0);
  PutBE16(&b[0], snd::kFormat2);
  uint8_t* h = &b[6];
  PutBE32(h + snd::header::kChannels, kChannels);
  PutBE32(h + snd::header::kRate, kRate);
  h[snd::header::kEncode] = snd::header::kEncodeCompressed;
  PutBE32(h + snd::header::kFrames, Packets());
  PutBE16(h + snd::header::kCompressionId, uint16_t(compression_id));
  PutBE16(h + snd::header::kCompressedSampleSize, 8);
  std::mt19937 random(5);
  for (size_t i = 6 + snd::header::kLongData; i < b.size(); ++i) b[i] = uint8_t(random());
  return b;
}

void DecodeMace(benchmark::State& state) {
  const Bytes sound = MaceSound(int16_t(state.range(0)));
  for (auto _ : state) {
    SoundDecodeResult r = DecodeSnd(sound);
    if (r.alert) state.SkipWithError("the sound did not decode");
    benchmark::DoNotOptimize(r.pcm.samples.data());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(kSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Packets()) * 6 * kChannels * 2);
}

void CopyDecodedSize(benchmark::State& state) {
  const Bytes decoded(size_t(Packets()) * 6 * kChannels * 2, 1);
  for (auto _ : state) {
    Bytes copy(decoded.size());
    std::memcpy(copy.data(), decoded.data(), decoded.size());
    benchmark::DoNotOptimize(copy.data());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(kSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(decoded.size()));
}

BENCHMARK(DecodeMace)
    ->Arg(snd::kCompressionMace3)
    ->Arg(snd::kCompressionMace6)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CopyDecodedSize)->Unit(benchmark::kMillisecond);

}  // namespace

// The mixer's work for eight voices at mixed rates, formats and channel counts, played into
// 44.1 kHz stereo: converting them when they are queued (the player thread's share) and
// summing them as the device asks (the audio thread's share, in 1024-frame callbacks).
// Counters give each as the share of one core that a second of audio takes (processor
// time over audio time): 0.01 means 1% of a core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <vector>

#include "platform/audio_mixer.h"

namespace corvida {
namespace {

constexpr int kDeviceRate = 44100;
constexpr int kSeconds = 10;
constexpr size_t kCallbackFrames = 1024;

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

const AudioFormat kVoices[] = {
    {8000, 1, SampleFormat::kU8},     {11025, 1, SampleFormat::kU8},
    {22050, 2, SampleFormat::kU8},    {22254, 1, SampleFormat::kS16BE},
    {32000, 2, SampleFormat::kS16BE}, {44100, 2, SampleFormat::kS16LE},
    {48000, 2, SampleFormat::kS16LE}, {65535, 1, SampleFormat::kS16BE},
};

std::vector<uint8_t> Noise(const AudioFormat& f, int seconds) {
  std::vector<uint8_t> out(size_t(f.rate) * size_t(seconds) * size_t(f.BytesPerFrame()));
  uint32_t x = 12345;
  for (uint8_t& b : out) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
  return out;
}

void BM_MixEightVoices(benchmark::State& state) {
  std::vector<std::vector<uint8_t>> sounds;
  for (const AudioFormat& f : kVoices) sounds.push_back(Noise(f, kSeconds));
  std::vector<int16_t> out(kCallbackFrames * AudioMixer::kChannels);
  double queue_s = 0, mix_s = 0;
  int runs = 0;
  for (auto _ : state) {
    AudioMixer mixer(kDeviceRate);
    double t0 = ThreadSeconds();
    for (size_t i = 0; i < sounds.size(); ++i) {
      AudioStreamId voice = mixer.Open(kVoices[i]);
      mixer.Queue(voice, sounds[i].data(), sounds[i].size());
      mixer.SetVolume(voice, 200);
    }
    double t1 = ThreadSeconds();
    for (size_t done = 0; done < size_t(kDeviceRate) * kSeconds; done += kCallbackFrames)
      mixer.Mix(out.data(), kCallbackFrames);
    benchmark::DoNotOptimize(out.data());
    double t2 = ThreadSeconds();
    queue_s += t1 - t0;
    mix_s += t2 - t1;
    ++runs;
  }
  const double audio_s = double(kSeconds) * runs;
  state.counters["convert_core_share"] = queue_s / audio_s;
  state.counters["mix_core_share"] = mix_s / audio_s;
  state.counters["core_share"] = (queue_s + mix_s) / audio_s;
}
BENCHMARK(BM_MixEightVoices)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvida

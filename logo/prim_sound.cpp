// TOOT: a note played through the audio service while the script waits, the way WAIT
// waits (the player keeps handling its messages, Escape ends the script). Without an
// audio service the note is only waited out.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "logo/interp.h"

namespace corvida::logo {
namespace {

// The mixer's usual device rate: pieces queued at it join without a seam.
constexpr int kToneRate = 44100;
constexpr int kChunkFrames = kToneRate / 4;   // queued a quarter second at a time
constexpr double kAmplitude = 8000.0;         // about a quarter of full scale
constexpr int kFadeFrames = kToneRate / 200;  // 5 ms in and out, so the note does not click

// Fills a stream with a sine tone, a chunk at a time, keeping the phase continuous.
class ToneWriter {
 public:
  ToneWriter(double hertz, uint64_t frames)
      : step_(2 * std::numbers::pi * hertz / kToneRate), total_(frames) {}
  bool done() const { return next_ >= total_; }
  void QueueChunk(AudioOutput& audio, AudioStreamId stream) {
    uint64_t count = std::min<uint64_t>(kChunkFrames, total_ - next_);
    std::vector<uint8_t> bytes(count * 2);
    for (uint64_t i = 0; i < count; ++i, ++next_) {
      uint64_t edge = std::min(next_, total_ - 1 - next_);
      double gain = edge < kFadeFrames ? static_cast<double>(edge) / kFadeFrames : 1.0;
      auto v = static_cast<int16_t>(std::lround(kAmplitude * gain * std::sin(step_ * next_)));
      bytes[2 * i] = static_cast<uint8_t>(v & 0xFF);
      bytes[2 * i + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    audio.Queue(stream, bytes.data(), bytes.size());
  }

 private:
  double step_;
  uint64_t total_;
  uint64_t next_ = 0;
};

Node* Toot(Interpreter& in, PrimCall& c) {
  int32_t note = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  if (note < 1 || note > 127) {
    in.ErrorRow(kErrDoesntLike, c.row, in.input_pos[0] ? in.input_pos[0] : c.in[0]);
    return nullptr;
  }
  int32_t ticks = in.GetInteger(c.in[1], c.row);
  if (in.Unwinding() || ticks <= 0 || !in.clock()) return nullptr;
  auto ms = static_cast<uint32_t>(std::min(4.0e9, ticks * 16.666666666666668));
  Clock& clock = *in.clock();
  uint32_t deadline = clock.Milliseconds() + ms;

  AudioOutput* audio = in.config().audio;
  AudioFormat format{kToneRate, 1, SampleFormat::kS16LE};
  AudioStreamId stream = audio ? audio->OpenStream(format) : 0;
  double hertz = 440.0 * std::pow(2.0, (note - 69) / 12.0);
  ToneWriter tone(hertz, static_cast<uint64_t>(ms) * kToneRate / 1000);
  for (;;) {
    // Keeps about half a second queued ahead of what is heard.
    while (stream && !tone.done() && audio->QueuedBytes(stream) < size_t{kChunkFrames} * 4)
      tone.QueueChunk(*audio, stream);
    in.InterruptCheck();
    if (in.Unwinding()) break;
    auto left = static_cast<int32_t>(deadline - clock.Milliseconds());
    if (left <= 0 || !in.windows()) break;
    Message m;
    uint32_t wait = static_cast<uint32_t>(stream && !tone.done() ? std::min(left, 100) : left);
    if (!in.windows()->WaitMessage(m, wait)) continue;
    if (m.message == msg::kKeyDown && m.wParam == vk::kEscape) {
      in.error_flag = true;
      break;
    }
    if (in.hooks().dispatch) in.hooks().dispatch(m);
  }
  if (stream) {
    if (in.Unwinding()) audio->Stop(stream);
    audio->CloseStream(stream);
  }
  return nullptr;
}

}  // namespace

void RegisterSoundPrimitives(PrimitiveTable& t) {
  t.Set("TOOT", &Toot);
}

}  // namespace corvida::logo

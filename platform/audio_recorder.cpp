#include "platform/audio_recorder.h"

#include <algorithm>

namespace corvida {
namespace {

constexpr size_t kBlockFrames = 4096;

}  // namespace

bool MemoryCapture::Write(const int16_t* samples, size_t frames) {
  const uint64_t room = limit_ - std::min(limit_, this->frames());
  const size_t take = static_cast<size_t>(std::min<uint64_t>(room, frames));
  samples_.insert(samples_.end(), samples, samples + take * 2);
  return take == frames;
}

RecordingAudioOutput::RecordingAudioOutput(Clock& clock)
    : clock_(clock), last_ms_(clock.Milliseconds()), block_(kBlockFrames * AudioMixer::kChannels) {}

void RecordingAudioOutput::SetCapture(AudioCaptureSink* sink) {
  CatchUp();
  capture_ = sink;
}

// The virtual device has played every frame due by the clock's present.
void RecordingAudioOutput::CatchUp() {
  const uint32_t now = clock_.Milliseconds();
  elapsed_ms_ += now - last_ms_;
  last_ms_ = now;
  const uint64_t due = elapsed_ms_ * kRate / 1000;
  while (mixed_ < due) {
    if (capture_ == nullptr && !mixer_.Active()) {
      mixed_ = due;  // nothing to hear and nobody listening
      break;
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>(due - mixed_, kBlockFrames));
    mixer_.Mix(block_.data(), n);
    if (capture_ != nullptr && !capture_->Write(block_.data(), n)) capture_ = nullptr;
    mixed_ += n;
  }
}

AudioStreamId RecordingAudioOutput::OpenStream(const AudioFormat& format) {
  CatchUp();
  const AudioStreamId id = mixer_.Open(format);
  if (id == 0) return 0;
  Played entry;
  entry.stream = id;
  entry.format = format;
  entry.opened_ms = clock_.Milliseconds();
  played_.push_back(entry);
  streams_[id] = played_.size() - 1;
  return id;
}

bool RecordingAudioOutput::Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) {
  CatchUp();
  auto it = streams_.find(stream);
  if (it == streams_.end() || (data == nullptr && bytes > 0)) return false;
  Played& entry = played_[it->second];
  const size_t frame = static_cast<size_t>(entry.format.BytesPerFrame());
  const size_t whole = bytes - bytes % frame;
  for (size_t i = 0; i < whole; ++i) entry.checksum = (entry.checksum ^ data[i]) * 16777619u;
  entry.bytes += whole;
  return mixer_.Queue(stream, data, whole);
}

bool RecordingAudioOutput::Playing(AudioStreamId stream) {
  CatchUp();
  return mixer_.Playing(stream);
}

size_t RecordingAudioOutput::QueuedBytes(AudioStreamId stream) {
  CatchUp();
  return mixer_.QueuedBytes(stream);
}

void RecordingAudioOutput::Pause(AudioStreamId stream, bool paused) {
  CatchUp();
  mixer_.Pause(stream, paused);
}

void RecordingAudioOutput::Stop(AudioStreamId stream) {
  CatchUp();
  auto it = streams_.find(stream);
  if (it == streams_.end()) return;
  if (mixer_.FramesLeft(stream) > 0) played_[it->second].stopped_early = true;
  mixer_.Stop(stream);
}

void RecordingAudioOutput::SetVolume(AudioStreamId stream, int volume) {
  CatchUp();
  auto it = streams_.find(stream);
  if (it == streams_.end()) return;
  played_[it->second].volume = std::clamp(volume, 0, kFullVolume);
  mixer_.SetVolume(stream, volume);
}

void RecordingAudioOutput::CloseStream(AudioStreamId stream) {
  Stop(stream);
  streams_.erase(stream);
  mixer_.Close(stream);
}

}  // namespace corvida

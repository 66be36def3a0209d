#include "platform/audio_recorder.h"

#include <algorithm>

namespace corvida {

AudioStreamId RecordingAudioOutput::OpenStream(const AudioFormat& format) {
  if (!format.Valid()) return 0;
  AudioStreamId id = next_id_++;
  Played entry;
  entry.stream = id;
  entry.format = format;
  entry.opened_ms = clock_.Milliseconds();
  played_.push_back(entry);
  streams_[id] = Stream{played_.size() - 1, 0, entry.opened_ms, false};
  return id;
}

RecordingAudioOutput::Stream* RecordingAudioOutput::Find(AudioStreamId stream) {
  auto it = streams_.find(stream);
  return it == streams_.end() ? nullptr : &it->second;
}

uint64_t RecordingAudioOutput::FramesLeft(const Stream& s) {
  if (s.paused) return s.frames_left;
  uint32_t elapsed = clock_.Milliseconds() - s.since_ms;
  uint64_t heard = static_cast<uint64_t>(elapsed) * played_[s.index].format.rate / 1000;
  return heard >= s.frames_left ? 0 : s.frames_left - heard;
}

void RecordingAudioOutput::Settle(Stream& s) {
  s.frames_left = FramesLeft(s);
  s.since_ms = clock_.Milliseconds();
}

bool RecordingAudioOutput::Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) {
  Stream* s = Find(stream);
  if (s == nullptr || (data == nullptr && bytes > 0)) return false;
  Played& entry = played_[s->index];
  size_t frame = entry.format.BytesPerFrame();
  size_t whole = bytes - bytes % frame;
  for (size_t i = 0; i < whole; ++i) entry.checksum = (entry.checksum ^ data[i]) * 16777619u;
  entry.bytes += whole;
  Settle(*s);
  s->frames_left += whole / frame;
  return true;
}

bool RecordingAudioOutput::Playing(AudioStreamId stream) {
  Stream* s = Find(stream);
  return s != nullptr && !s->paused && FramesLeft(*s) > 0;
}

size_t RecordingAudioOutput::QueuedBytes(AudioStreamId stream) {
  Stream* s = Find(stream);
  if (s == nullptr) return 0;
  return FramesLeft(*s) * played_[s->index].format.BytesPerFrame();
}

void RecordingAudioOutput::Pause(AudioStreamId stream, bool paused) {
  Stream* s = Find(stream);
  if (s == nullptr || s->paused == paused) return;
  Settle(*s);
  s->paused = paused;
}

void RecordingAudioOutput::Stop(AudioStreamId stream) {
  Stream* s = Find(stream);
  if (s == nullptr) return;
  if (FramesLeft(*s) > 0) played_[s->index].stopped_early = true;
  s->frames_left = 0;
  s->since_ms = clock_.Milliseconds();
}

void RecordingAudioOutput::SetVolume(AudioStreamId stream, int volume) {
  Stream* s = Find(stream);
  if (s != nullptr) played_[s->index].volume = std::clamp(volume, 0, kFullVolume);
}

void RecordingAudioOutput::CloseStream(AudioStreamId stream) {
  Stop(stream);
  streams_.erase(stream);
}

}  // namespace corvida

// An audio output without a device: it records every sound it is given and keeps a
// stream "playing" for exactly as long as its samples last on the given clock. The
// headless backend uses it, so tests and replays see which sounds played and for how
// long, and media waits end at the right virtual time.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/audio.h"
#include "platform/clock.h"

namespace corvida {

class RecordingAudioOutput : public AudioOutput {
 public:
  explicit RecordingAudioOutput(Clock& clock) : clock_(clock) {}

  AudioStreamId OpenStream(const AudioFormat& format) override;
  bool Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) override;
  bool Playing(AudioStreamId stream) override;
  size_t QueuedBytes(AudioStreamId stream) override;
  void Pause(AudioStreamId stream, bool paused) override;
  void Stop(AudioStreamId stream) override;
  void SetVolume(AudioStreamId stream, int volume) override;
  void CloseStream(AudioStreamId stream) override;

  // One entry per stream opened, in order.
  struct Played {
    AudioStreamId stream = 0;
    AudioFormat format;
    uint64_t bytes = 0;               // whole frames queued over the stream's life
    uint32_t checksum = 2166136261u;  // FNV-1a of those bytes
    uint32_t opened_ms = 0;
    bool stopped_early = false;  // Stop or Close while samples were still queued
    int volume = kFullVolume;    // last volume set
  };
  const std::vector<Played>& played() const { return played_; }
  size_t OpenStreams() const { return streams_.size(); }

 private:
  // Frames still to be heard are counted from a reference time: `frames_left` at
  // `since_ms`, draining at the stream's rate unless paused.
  struct Stream {
    size_t index;  // into played_
    uint64_t frames_left = 0;
    uint32_t since_ms = 0;
    bool paused = false;
  };
  Stream* Find(AudioStreamId stream);
  uint64_t FramesLeft(const Stream& s);
  void Settle(Stream& s);  // moves the reference time to now

  Clock& clock_;
  std::map<AudioStreamId, Stream> streams_;
  std::vector<Played> played_;
  AudioStreamId next_id_ = 1;
};

}  // namespace corvida

// The headless audio output: the same mixer as the desktop's, pulled as the virtual clock
// advances instead of by a device. A stream therefore plays for exactly as long as its
// samples last on that clock, so media waits end at the right virtual time. Every stream
// is recorded (format, bytes, checksum, how it ended), and everything mixed can be
// captured as 16-bit stereo frames at 44,100 Hz: silence where nothing played.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_mixer.h"
#include "platform/clock.h"

namespace corvida {

// Where a capture goes, a block of frames at a time.
class AudioCaptureSink {
 public:
  virtual ~AudioCaptureSink() = default;
  // Takes `frames` interleaved stereo frames; false when it takes no more (it is full).
  virtual bool Write(const int16_t* samples, size_t frames) = 0;
};

// A capture kept in memory, up to a number of frames (tests).
class MemoryCapture : public AudioCaptureSink {
 public:
  explicit MemoryCapture(uint64_t limit_frames = uint64_t{44100} * 600) : limit_(limit_frames) {}
  bool Write(const int16_t* samples, size_t frames) override;
  const std::vector<int16_t>& samples() const { return samples_; }
  uint64_t frames() const { return samples_.size() / 2; }

 private:
  uint64_t limit_;
  std::vector<int16_t> samples_;
};

class RecordingAudioOutput : public AudioOutput {
 public:
  static constexpr int kRate = 44100;  // the virtual device's rate

  explicit RecordingAudioOutput(Clock& clock);

  AudioStreamId OpenStream(const AudioFormat& format) override;
  bool Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) override;
  bool Playing(AudioStreamId stream) override;
  size_t QueuedBytes(AudioStreamId stream) override;
  void Pause(AudioStreamId stream, bool paused) override;
  void Stop(AudioStreamId stream) override;
  void SetVolume(AudioStreamId stream, int volume) override;
  void CloseStream(AudioStreamId stream) override;

  // Everything mixed from now on goes to `sink` (null: nowhere); from the output's start
  // when set before the clock moves. The sink must outlive the capture.
  void SetCapture(AudioCaptureSink* sink);
  // Mixes up to the clock's present (the end of a capture).
  void CatchUp();
  // Device frames mixed since the output started.
  uint64_t MixedFrames() const { return mixed_; }

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
  Clock& clock_;
  AudioMixer mixer_{kRate};
  uint32_t last_ms_;
  uint64_t elapsed_ms_ = 0;
  uint64_t mixed_ = 0;
  AudioCaptureSink* capture_ = nullptr;
  std::vector<int16_t> block_;
  std::map<AudioStreamId, size_t> streams_;  // open streams: index into played_
  std::vector<Played> played_;
};

}  // namespace corvida

// The audio output service: streams of PCM samples at the rate, channel count and sample
// format they were stored in. Sounds play asynchronously; the player polls Playing() from
// its timer and its media waits. Both backends mix through AudioMixer, which converts each
// stream to the device's rate and format when its samples are queued.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvida {

enum class SampleFormat {
  kU8,     // 8-bit unsigned, silence is 0x80 (stored sounds and 8-bit WAV files)
  kS16LE,  // 16-bit signed, little-endian
  kS16BE,  // 16-bit signed, big-endian (stored sounds)
};

struct AudioFormat {
  int rate = 22050;  // frames per second, whole hertz
  int channels = 1;  // 1 or 2, interleaved
  SampleFormat format = SampleFormat::kU8;

  int BytesPerFrame() const { return (format == SampleFormat::kU8 ? 1 : 2) * channels; }
  // Rates and channel counts a stream accepts; anything else is refused at open. Stored
  // sounds may hold any rate from 1 Hz up; movie sound tracks reach 192 kHz.
  static constexpr int kMinRate = 1;
  static constexpr int kMaxRate = 192000;
  bool Valid() const {
    return rate >= kMinRate && rate <= kMaxRate && (channels == 1 || channels == 2) &&
           (format == SampleFormat::kU8 || format == SampleFormat::kS16LE ||
            format == SampleFormat::kS16BE);
  }
  // Milliseconds that `bytes` of this format take to play (whole frames only).
  uint64_t DurationMs(uint64_t bytes) const {
    return rate <= 0 ? 0 : (bytes / BytesPerFrame()) * 1000 / static_cast<uint64_t>(rate);
  }
  friend bool operator==(const AudioFormat&, const AudioFormat&) = default;
};

using AudioStreamId = uint32_t;  // 0 is "no stream"

// Full volume; volumes are 0..kFullVolume and scale the samples linearly.
constexpr int kFullVolume = 256;

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // A new, empty stream; 0 when the format is invalid or no device can be had.
  virtual AudioStreamId OpenStream(const AudioFormat& format) = 0;
  // Appends samples; playing starts (or goes on) at once unless the stream is paused.
  // Only whole frames are taken: a trailing partial frame is dropped. Everything queued is
  // meant to be heard: each call is converted to its end, so a stream fed piece by piece
  // joins its pieces seamlessly only at the device's rate (44,100 Hz as a rule). False
  // for an unknown stream or when the backend cannot take the data (what fits is kept).
  virtual bool Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) = 0;
  // True while queued samples remain and the stream is not paused.
  virtual bool Playing(AudioStreamId stream) = 0;
  // Bytes (in the stream's own format) still waiting to be heard.
  virtual size_t QueuedBytes(AudioStreamId stream) = 0;
  virtual void Pause(AudioStreamId stream, bool paused) = 0;
  // Drops whatever is still queued; the stream stays open for more.
  virtual void Stop(AudioStreamId stream) = 0;
  virtual void SetVolume(AudioStreamId stream, int volume) = 0;  // clamped to 0..kFullVolume
  virtual void CloseStream(AudioStreamId stream) = 0;
};

}  // namespace corvida

// Conversion of one stream's PCM to what the mixer adds: interleaved 16-bit stereo frames at
// the device's rate. libswresample does the resampling and the sample formats; big-endian
// samples are swapped to the machine's order first and mono is doubled into both channels
// at full level. Builds without FFmpeg resample linearly (audio_resample.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/audio.h"

struct SwrContext;

namespace corvida {

class AudioConverter {
 public:
  AudioConverter(const AudioFormat& from, int device_rate);
  ~AudioConverter();
  AudioConverter(const AudioConverter&) = delete;
  AudioConverter& operator=(const AudioConverter&) = delete;

  bool ok() const { return ok_; }
  const AudioFormat& format() const { return from_; }
  // Device frames that `frames` of the stream's frames last: rounded to the nearest.
  uint64_t DeviceFrames(uint64_t frames) const;

  // Converts `frames` whole frames of `data`, appending the device frames to `out`. The
  // resampler's tail is released, so the piece is complete: exactly DeviceFrames(frames)
  // frames come out. At most `room` device frames are made; the frames of the stream
  // beyond them are left out and false is returned.
  bool Convert(const uint8_t* data, uint64_t frames, uint64_t room, std::vector<int16_t>& out);

 private:
  // Runs one slice of input into `out`, keeping at most `want` frames in all.
  bool Run(const uint8_t* input, int frames, uint64_t want, std::vector<int16_t>& out,
           uint64_t& made);
  void AppendStereo(const int16_t* samples, uint64_t count, std::vector<int16_t>& out) const;

  AudioFormat from_;
  int device_rate_;
  bool ok_ = false;
  SwrContext* swr_ = nullptr;
  bool used_ = false;               // a piece went through since the last reset
  std::vector<uint8_t> swapped_;    // big-endian input in the machine's order
  std::vector<int16_t> resampled_;  // one slice, in the stream's channel count
};

}  // namespace corvida

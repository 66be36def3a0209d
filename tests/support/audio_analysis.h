// Measures of captured sound for tests: interleaved 16-bit stereo frames, as the mixer
// and the headless capture write them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvida::testing {

struct StereoSpan {
  const std::vector<int16_t>& samples;
  size_t first = 0;  // frame
  size_t count = 0;  // frames
  int channel = 0;   // 0 left, 1 right
  int16_t at(size_t i) const { return samples[(first + i) * 2 + size_t(channel)]; }
};

// The root mean square of the span's samples.
inline double Rms(const StereoSpan& s) {
  double sum = 0;
  for (size_t i = 0; i < s.count; ++i) sum += double(s.at(i)) * s.at(i);
  return s.count ? std::sqrt(sum / double(s.count)) : 0;
}

// The frequency of a tone, from the rising zero crossings over the span.
inline double ToneHertz(const StereoSpan& s, int rate) {
  size_t rising = 0;
  for (size_t i = 1; i < s.count; ++i)
    if (s.at(i - 1) < 0 && s.at(i) >= 0) ++rising;
  return s.count ? double(rising) * rate / double(s.count) : 0;
}

// The largest step between neighbouring samples: a resampler that only repeats samples
// leaves steps as high as the signal.
inline int LargestStep(const StereoSpan& s) {
  int largest = 0;
  for (size_t i = 1; i < s.count; ++i) largest = std::max(largest, std::abs(s.at(i) - s.at(i - 1)));
  return largest;
}

// The frames of a 16-bit stereo WAV file as `corvida replay --audio` writes it (a 44-byte
// header); empty when the bytes are not such a file.
inline std::vector<int16_t> WavFrames(const std::string& bytes) {
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(36, 4, "data") != 0)
    return {};
  std::vector<int16_t> out((bytes.size() - 44) / 2);
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = int16_t(uint8_t(bytes[44 + 2 * i]) | uint8_t(bytes[45 + 2 * i]) << 8);
  return out;
}

}  // namespace corvida::testing

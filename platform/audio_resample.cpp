#include "platform/audio_resample.h"

#include <algorithm>

namespace corvida {

int16_t SampleAsS16(SampleFormat format, const uint8_t* at) {
  switch (format) {
    case SampleFormat::kU8:
      return static_cast<int16_t>((int(at[0]) - 128) * 256);
    case SampleFormat::kS16LE:
      return static_cast<int16_t>(uint16_t(at[0] | (at[1] << 8)));
    case SampleFormat::kS16BE:
      return static_cast<int16_t>(uint16_t((at[0] << 8) | at[1]));
  }
  return 0;
}

void ResampleLinear(const AudioFormat& from, const uint8_t* data, uint64_t frames, uint64_t want,
                    std::vector<int16_t>& out) {
  if (frames == 0 || want == 0 || data == nullptr || !from.Valid()) return;
  const size_t frame_bytes = static_cast<size_t>(from.BytesPerFrame());
  const size_t sample_bytes = frame_bytes / static_cast<size_t>(from.channels);
  const auto sample = [&](uint64_t frame, int channel) {
    return int32_t{SampleAsS16(
        from.format, data + frame * frame_bytes + static_cast<size_t>(channel) * sample_bytes)};
  };
  out.reserve(out.size() + want * 2);
  for (uint64_t i = 0; i < want; ++i) {
    // The place of output frame i in input frames, as a whole part and a fraction of
    // `want`. Both factors stay below 2^32 (ten minutes at 192 kHz), so the product fits.
    const uint64_t place = i * frames;
    const uint64_t first = place / want;
    const auto fraction = static_cast<int64_t>(place % want);
    const uint64_t second = std::min(first + 1, frames - 1);
    int32_t both[2] = {0, 0};
    for (int channel = 0; channel < from.channels; ++channel) {
      const int32_t a = sample(first, channel);
      const int32_t b = sample(second, channel);
      both[channel] = a + static_cast<int32_t>((b - a) * fraction / static_cast<int64_t>(want));
    }
    if (from.channels == 1) both[1] = both[0];
    out.push_back(static_cast<int16_t>(both[0]));
    out.push_back(static_cast<int16_t>(both[1]));
  }
}

}  // namespace corvida

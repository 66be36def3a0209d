// Linear resampling of one stream's PCM to the mixer's interleaved 16-bit stereo, for
// builds without FFmpeg's resampler (the browser build). Each output frame lies between
// the two input frames around its place in time, so a slow sound glides rather than
// stepping, and a piece comes out at exactly the length asked for.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/audio.h"

namespace corvida {

// One sample of `format` at `at` (a byte pointer to a whole sample) as signed 16 bits.
int16_t SampleAsS16(SampleFormat format, const uint8_t* at);

// Appends `want` stereo frames made from `frames` frames of `data` (in `from`'s format)
// to `out`: the first output frame is the first input frame, the rest spread evenly over
// the input's time. Mono is heard on both sides at full level. Nothing is appended
// when `frames` or `want` is 0.
void ResampleLinear(const AudioFormat& from, const uint8_t* data, uint64_t frames, uint64_t want,
                    std::vector<int16_t>& out);

}  // namespace corvida

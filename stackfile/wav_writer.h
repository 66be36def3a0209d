// WAV files written from PCM: a RIFF 'WAVE' form with a PCM 'fmt ' chunk and one 'data'
// chunk. 8-bit samples are written unsigned as given, 16-bit ones signed little-endian
// whatever their byte order in memory.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/audio.h"

namespace corvida {

// The whole file for `samples` in `format` (whole frames only). Empty when the format has
// no channels or rate, or the samples do not fit a WAV file's 32-bit sizes.
std::vector<uint8_t> WavFileBytes(const AudioFormat& format, std::span<const uint8_t> samples);

}  // namespace corvida

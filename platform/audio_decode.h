// Compressed sample data decoded with the machine's codec library: MACE 3:1 and 6:1 (the
// packed form of stored sounds) and µ-law (sound files). Packed data is a series of
// packets, one per channel in turn, as stored; the samples come back 16-bit signed,
// native byte order, channels interleaved.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace corvida {

enum class AudioCodec {
  kMace3,  // 2 bytes of each channel give 6 samples
  kMace6,  // 1 byte of each channel gives 6 samples
  kMuLaw,  // 1 byte per sample
};

// Bytes of one packet of all channels: packed data is decoded in whole packets.
int CodecPacketBytes(AudioCodec codec, int channels);
// Samples per channel one packet decodes to.
int CodecPacketSamples(AudioCodec codec);

// Decodes `packed` for 1 or 2 channels. A trailing partial packet is dropped. Empty when
// the channel count is refused or the decoder cannot be had or fails.
std::optional<std::vector<int16_t>> DecodeAudio(std::span<const uint8_t> packed, int channels,
                                                AudioCodec codec);

}  // namespace corvida

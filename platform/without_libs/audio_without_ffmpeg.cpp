// Builds without FFmpeg (the browser build): packed sound data cannot be decoded, so such
// sounds take every caller's "cannot play" path; plain PCM is converted to the device's
// format by linear resampling.
#include "platform/audio_convert.h"
#include "platform/audio_decode.h"
#include "platform/audio_resample.h"

namespace corvida {

int CodecPacketBytes(AudioCodec codec, int channels) {
  return (codec == AudioCodec::kMace3 ? 2 : 1) * channels;
}

int CodecPacketSamples(AudioCodec codec) {
  return codec == AudioCodec::kMuLaw ? 1 : 6;
}

std::optional<std::vector<int16_t>> DecodeAudio(std::span<const uint8_t>, int, AudioCodec) {
  return std::nullopt;
}

AudioConverter::AudioConverter(const AudioFormat& from, int device_rate)
    : from_(from), device_rate_(device_rate) {
  ok_ = from.Valid() && device_rate > 0;
}

AudioConverter::~AudioConverter() = default;

uint64_t AudioConverter::DeviceFrames(uint64_t frames) const {
  if (from_.rate <= 0) return 0;
  const auto rate = static_cast<uint64_t>(from_.rate);
  return (frames * static_cast<uint64_t>(device_rate_) + rate / 2) / rate;
}

bool AudioConverter::Convert(const uint8_t* data, uint64_t frames, uint64_t room,
                             std::vector<int16_t>& out) {
  if (!ok()) return false;
  bool whole = true;
  if (DeviceFrames(frames) > room) {
    frames = room * static_cast<uint64_t>(from_.rate) / static_cast<uint64_t>(device_rate_);
    whole = false;
  }
  ResampleLinear(from_, data, frames, DeviceFrames(frames), out);
  return whole;
}

}  // namespace corvida

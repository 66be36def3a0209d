#include "platform/audio_convert.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <bit>
#include <utility>

#include "platform/audio_resample.h"
#include "platform/lazy_libs.h"

namespace corvida {
namespace {

// One slice of input makes at most this many device frames, so a slice's output fits an
// int and a small buffer whatever the ratio of the rates (1 Hz to 44.1 kHz is 44,100:1).
constexpr uint64_t kSliceDeviceFrames = 1 << 16;
// Silence fed after a piece, a few frames at a time, up to more than the longest filter
// holds (about 70 frames when 192 kHz comes down to 44.1 kHz).
constexpr uint64_t kPadFrames = 64;
constexpr uint64_t kMostPadFrames = 1024;

AVSampleFormat SwrFormat(SampleFormat format) {
  return format == SampleFormat::kU8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
}

// libswresample reads 16-bit samples in the machine's order.
bool NeedsSwap(SampleFormat format) {
  constexpr bool little = std::endian::native == std::endian::little;
  return (format == SampleFormat::kS16BE && little) || (format == SampleFormat::kS16LE && !little);
}

}  // namespace

AudioConverter::AudioConverter(const AudioFormat& from, int device_rate)
    : from_(from), device_rate_(device_rate) {
  if (!from.Valid() || device_rate <= 0) return;
  // Without FFmpeg's libraries on the machine, sounds are resampled linearly (swr_ stays
  // null), as in builds without them.
  if (!LazyAvailable(LazyGroup::kFfmpeg)) {
    ok_ = true;
    return;
  }
  // The channel count stays: mono is doubled afterwards at full level, where the
  // resampler's own mixing would lower it by 3 dB.
  AVChannelLayout layout;
  av_channel_layout_default(&layout, from.channels);
  if (swr_alloc_set_opts2(&swr_, &layout, AV_SAMPLE_FMT_S16, device_rate, &layout,
                          SwrFormat(from.format), from.rate, 0, nullptr) < 0 ||
      swr_init(swr_) < 0)
    swr_free(&swr_);
  av_channel_layout_uninit(&layout);
  ok_ = swr_ != nullptr;
}

AudioConverter::~AudioConverter() {
  if (swr_ != nullptr) swr_free(&swr_);
}

uint64_t AudioConverter::DeviceFrames(uint64_t frames) const {
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
  if (swr_ == nullptr) {
    ResampleLinear(from_, data, frames, DeviceFrames(frames), out);
    return whole;
  }
  // Each piece starts from a clean state: the last one was flushed to its end.
  if (used_ && swr_init(swr_) < 0) return false;
  used_ = true;
  const uint64_t want = DeviceFrames(frames);
  const size_t frame_bytes = static_cast<size_t>(from_.BytesPerFrame());
  const uint64_t slice = std::clamp<uint64_t>(
      kSliceDeviceFrames * static_cast<uint64_t>(from_.rate) / static_cast<uint64_t>(device_rate_),
      1, kSliceDeviceFrames);
  out.reserve(out.size() + want * 2);
  uint64_t made = 0;
  for (uint64_t done = 0; done < frames;) {
    const uint64_t n = std::min(slice, frames - done);
    const uint8_t* input = data + done * frame_bytes;
    if (NeedsSwap(from_.format)) {
      swapped_.assign(input, input + n * frame_bytes);
      for (size_t i = 0; i + 1 < swapped_.size(); i += 2) std::swap(swapped_[i], swapped_[i + 1]);
      input = swapped_.data();
    }
    if (!Run(input, static_cast<int>(n), want, out, made)) return false;
    done += n;
  }
  // Silence after the piece pushes the resampler's last samples out (its own flush
  // needs more input than a very slow sound has, and mirrors the end).
  const uint64_t pad = std::min(slice, kPadFrames);
  const std::vector<uint8_t> silence(pad * frame_bytes,
                                     from_.format == SampleFormat::kU8 ? 0x80 : 0);
  for (uint64_t padded = 0; made < want && padded < kMostPadFrames; padded += pad)
    if (!Run(silence.data(), static_cast<int>(pad), want, out, made)) return false;
  // The resampler's rounding may leave the piece a frame or two short.
  out.resize(out.size() + (want - made) * 2, 0);
  return whole;
}

bool AudioConverter::Run(const uint8_t* input, int frames, uint64_t want, std::vector<int16_t>& out,
                         uint64_t& made) {
  const int room = swr_get_out_samples(swr_, frames);
  if (room < 0) return false;
  resampled_.resize(static_cast<size_t>(room) * static_cast<size_t>(from_.channels));
  auto* dst = reinterpret_cast<uint8_t*>(resampled_.data());
  const uint8_t* src = input;
  const int got = swr_convert(swr_, &dst, room, &src, frames);
  if (got < 0) return false;
  const uint64_t keep = std::min<uint64_t>(static_cast<uint64_t>(got), want - made);
  AppendStereo(resampled_.data(), keep, out);
  made += keep;
  return true;
}

void AudioConverter::AppendStereo(const int16_t* samples, uint64_t count,
                                  std::vector<int16_t>& out) const {
  if (from_.channels == 2) {
    out.insert(out.end(), samples, samples + count * 2);
    return;
  }
  for (uint64_t i = 0; i < count; ++i) {
    out.push_back(samples[i]);
    out.push_back(samples[i]);
  }
}

}  // namespace corvida

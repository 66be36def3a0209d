#include "platform/audio_mixer.h"

#include <algorithm>
#include <iterator>

namespace corvida {
namespace {

constexpr size_t kMixBlock = 512;  // frames summed at a time, on the stack

}  // namespace

AudioMixer::AudioMixer(int device_rate, uint64_t limit_seconds)
    : device_rate_(device_rate), limit_frames_(limit_seconds * uint64_t(device_rate)) {}

AudioMixer::~AudioMixer() = default;

AudioStreamId AudioMixer::Open(const AudioFormat& format) {
  if (!format.Valid()) return 0;
  auto converter = std::make_unique<AudioConverter>(format, device_rate_);
  if (!converter->ok()) return 0;
  const AudioStreamId id = next_id_++;
  converters_[id] = std::move(converter);
  std::lock_guard lock(lock_);
  voices_[id] = Voice{};
  return id;
}

bool AudioMixer::Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) {
  auto it = converters_.find(stream);
  if (it == converters_.end() || (data == nullptr && bytes > 0)) return false;
  AudioConverter& converter = *it->second;
  const uint64_t frames = bytes / static_cast<size_t>(converter.format().BytesPerFrame());
  if (frames == 0) return true;
  const uint64_t left = FramesLeft(stream);
  std::vector<int16_t> piece;
  const bool whole =
      converter.Convert(data, frames, limit_frames_ > left ? limit_frames_ - left : 0, piece);
  std::vector<std::vector<int16_t>> spent;
  std::lock_guard lock(lock_);
  Voice& voice = voices_[stream];
  spent = TakePieces(voice, false);
  if (!piece.empty()) {
    voice.frames_left += piece.size() / kChannels;
    voice.pieces.push_back(std::move(piece));
  }
  return whole;
}

std::vector<std::vector<int16_t>> AudioMixer::TakePieces(Voice& voice, bool all) {
  const size_t count = all ? voice.pieces.size() : voice.piece;
  std::vector<std::vector<int16_t>> taken(
      std::make_move_iterator(voice.pieces.begin()),
      std::make_move_iterator(voice.pieces.begin() + long(count)));
  voice.pieces.erase(voice.pieces.begin(), voice.pieces.begin() + long(count));
  voice.piece = 0;
  if (all) {
    voice.read = 0;
    voice.frames_left = 0;
  }
  return taken;
}

bool AudioMixer::Playing(AudioStreamId stream) {
  std::lock_guard lock(lock_);
  auto it = voices_.find(stream);
  return it != voices_.end() && !it->second.paused && it->second.frames_left > 0;
}

uint64_t AudioMixer::FramesLeft(AudioStreamId stream) {
  std::lock_guard lock(lock_);
  auto it = voices_.find(stream);
  return it == voices_.end() ? 0 : it->second.frames_left;
}

size_t AudioMixer::QueuedBytes(AudioStreamId stream) {
  auto it = converters_.find(stream);
  if (it == converters_.end()) return 0;
  const AudioFormat& format = it->second->format();
  // Rounded up, so that bytes remain for as long as the stream plays.
  const uint64_t frames =
      (FramesLeft(stream) * uint64_t(format.rate) + uint64_t(device_rate_) - 1) /
      uint64_t(device_rate_);
  return static_cast<size_t>(frames * uint64_t(format.BytesPerFrame()));
}

void AudioMixer::Pause(AudioStreamId stream, bool paused) {
  std::lock_guard lock(lock_);
  auto it = voices_.find(stream);
  if (it != voices_.end()) it->second.paused = paused;
}

void AudioMixer::Stop(AudioStreamId stream) {
  std::vector<std::vector<int16_t>> dropped;
  std::lock_guard lock(lock_);
  auto it = voices_.find(stream);
  if (it != voices_.end()) dropped = TakePieces(it->second, true);
}

void AudioMixer::SetVolume(AudioStreamId stream, int volume) {
  std::lock_guard lock(lock_);
  auto it = voices_.find(stream);
  if (it != voices_.end()) it->second.volume = std::clamp(volume, 0, kFullVolume);
}

void AudioMixer::Close(AudioStreamId stream) {
  decltype(voices_)::node_type gone;
  {
    std::lock_guard lock(lock_);
    gone = voices_.extract(stream);
  }
  converters_.erase(stream);
}

// ---- the device side ----

void AudioMixer::AddVoice(Voice& voice, int32_t* sum, size_t frames) {
  const size_t samples = frames * kChannels;
  size_t at = 0;
  while (at < samples && voice.piece < voice.pieces.size()) {
    const std::vector<int16_t>& piece = voice.pieces[voice.piece];
    const size_t n = std::min(samples - at, piece.size() - voice.read);
    const int16_t* from = piece.data() + voice.read;
    for (size_t i = 0; i < n; ++i) sum[at + i] += int32_t(from[i]) * voice.volume;
    at += n;
    voice.read += n;
    if (voice.read == piece.size()) {
      ++voice.piece;
      voice.read = 0;
    }
  }
  voice.frames_left -= std::min<uint64_t>(voice.frames_left, at / kChannels);
}

void AudioMixer::Mix(int16_t* out, size_t frames) {
  int32_t sum[kMixBlock * kChannels];
  std::lock_guard lock(lock_);
  for (size_t done = 0; done < frames;) {
    const size_t n = std::min(kMixBlock, frames - done);
    std::fill_n(sum, n * kChannels, 0);
    for (auto& [id, voice] : voices_)
      if (!voice.paused) AddVoice(voice, sum, n);
    int16_t* to = out + done * kChannels;
    // Volumes are 1/256ths; the sum is clipped, not wrapped.
    for (size_t i = 0; i < n * kChannels; ++i)
      to[i] = static_cast<int16_t>(std::clamp(sum[i] / kFullVolume, -32768, 32767));
    done += n;
  }
}

bool AudioMixer::Active() {
  std::lock_guard lock(lock_);
  return std::any_of(voices_.begin(), voices_.end(), [](const auto& entry) {
    return !entry.second.paused && entry.second.frames_left > 0;
  });
}

}  // namespace corvida

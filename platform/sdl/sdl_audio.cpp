#include "platform/sdl/sdl_audio.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace corvida::sdl {
namespace {

SDL_AudioFormat SdlFormat(SampleFormat format) {
  switch (format) {
    case SampleFormat::kU8:
      return AUDIO_U8;
    case SampleFormat::kS16LE:
      return AUDIO_S16LSB;
    case SampleFormat::kS16BE:
      return AUDIO_S16MSB;
  }
  return AUDIO_U8;
}

// Holds the device lock for a scope, so the mixing thread never sees a half-made change.
class DeviceLock {
 public:
  explicit DeviceLock(SDL_AudioDeviceID device) : device_(device) {
    if (device_ != 0) SDL_LockAudioDevice(device_);
  }
  ~DeviceLock() {
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
  }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

}  // namespace

SdlAudioOutput::~SdlAudioOutput() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);  // stops the callback first
  for (auto& [id, stream] : streams_) SDL_FreeAudioStream(stream->converter);
  if (subsystem_started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioOutput::OpenDevice() {
  if (tried_) return device_ != 0;
  tried_ = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  subsystem_started_ = true;
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = &SdlAudioOutput::Callback;
  want.userdata = this;
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &spec_, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device_ == 0) return false;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlAudioOutput::Callback(void* self, Uint8* out, int bytes) {
  static_cast<SdlAudioOutput*>(self)->Mix(out, bytes);
}

// Runs on the device's thread with the device locked.
void SdlAudioOutput::Mix(Uint8* out, int bytes) {
  std::memset(out, spec_.silence, static_cast<size_t>(bytes));
  if (scratch_.size() < static_cast<size_t>(bytes)) return;  // sized when streams open
  for (auto& [id, stream] : streams_) {
    if (stream->paused) continue;
    // A silenced stream still plays on, so it ends when its samples would have.
    int got = SDL_AudioStreamGet(stream->converter, scratch_.data(), bytes);
    if (got <= 0 || stream->volume == 0) continue;
    int volume = stream->volume * SDL_MIX_MAXVOLUME / kFullVolume;
    SDL_MixAudioFormat(out, scratch_.data(), spec_.format, static_cast<Uint32>(got), volume);
  }
}

AudioStreamId SdlAudioOutput::OpenStream(const AudioFormat& format) {
  if (!format.Valid() || !OpenDevice()) return 0;
  SDL_AudioStream* converter =
      SDL_NewAudioStream(SdlFormat(format.format), static_cast<Uint8>(format.channels), format.rate,
                         spec_.format, spec_.channels, spec_.freq);
  if (converter == nullptr) return 0;
  auto stream = std::make_unique<Stream>();
  stream->format = format;
  stream->converter = converter;
  DeviceLock lock(device_);
  // Room for one callback's worth of device samples.
  scratch_.resize(std::max<size_t>(scratch_.size(), spec_.size));
  AudioStreamId id = next_id_++;
  streams_[id] = std::move(stream);
  return id;
}

bool SdlAudioOutput::Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) {
  DeviceLock lock(device_);
  auto it = streams_.find(stream);
  if (it == streams_.end() || (data == nullptr && bytes > 0)) return false;
  size_t frame = it->second->format.BytesPerFrame();
  size_t whole = bytes - bytes % frame;
  // SDL takes at most INT_MAX bytes at a time.
  size_t chunk_limit = static_cast<size_t>(INT_MAX) - static_cast<size_t>(INT_MAX) % frame;
  for (size_t done = 0; done < whole;) {
    size_t chunk = std::min(whole - done, chunk_limit);
    if (SDL_AudioStreamPut(it->second->converter, data + done, static_cast<int>(chunk)) != 0) {
      return false;
    }
    done += chunk;
  }
  // Everything queued so far is meant to be heard: let the converter release its tail.
  SDL_AudioStreamFlush(it->second->converter);
  return true;
}

bool SdlAudioOutput::Playing(AudioStreamId stream) {
  DeviceLock lock(device_);
  auto it = streams_.find(stream);
  return it != streams_.end() && !it->second->paused &&
         SDL_AudioStreamAvailable(it->second->converter) > 0;
}

size_t SdlAudioOutput::QueuedBytes(AudioStreamId stream) {
  DeviceLock lock(device_);
  auto it = streams_.find(stream);
  if (it == streams_.end()) return 0;
  // Converted bytes waiting, expressed in the stream's own format.
  const AudioFormat& f = it->second->format;
  uint64_t device_frame =
      static_cast<uint64_t>(SDL_AUDIO_BITSIZE(spec_.format) / 8) * spec_.channels;
  uint64_t frames = SDL_AudioStreamAvailable(it->second->converter) / device_frame;
  return static_cast<size_t>(frames * f.rate / spec_.freq * f.BytesPerFrame());
}

void SdlAudioOutput::Pause(AudioStreamId stream, bool paused) {
  DeviceLock lock(device_);
  auto it = streams_.find(stream);
  if (it != streams_.end()) it->second->paused = paused;
}

void SdlAudioOutput::Stop(AudioStreamId stream) {
  DeviceLock lock(device_);
  auto it = streams_.find(stream);
  if (it != streams_.end()) SDL_AudioStreamClear(it->second->converter);
}

void SdlAudioOutput::SetVolume(AudioStreamId stream, int volume) {
  DeviceLock lock(device_);
  auto it = streams_.find(stream);
  if (it != streams_.end()) it->second->volume = std::clamp(volume, 0, kFullVolume);
}

void SdlAudioOutput::CloseStream(AudioStreamId stream) {
  DeviceLock lock(device_);
  auto it = streams_.find(stream);
  if (it == streams_.end()) return;
  SDL_FreeAudioStream(it->second->converter);
  streams_.erase(it);
}

}  // namespace corvida::sdl

#include "platform/sdl/sdl_audio.h"

#include "platform/lazy_libs.h"

namespace corvida::sdl {

SdlAudioOutput::~SdlAudioOutput() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);  // stops the callback first
  mixer_.reset();
  if (subsystem_started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioOutput::OpenDevice() {
  if (tried_) return device_ != 0;
  tried_ = true;
  if (!LazyAvailable(LazyGroup::kSdl)) return false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  subsystem_started_ = true;
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = AudioMixer::kChannels;
  want.samples = 1024;
  want.callback = &SdlAudioOutput::Callback;
  want.userdata = this;
  // Only the rate may differ: SDL converts any other format or channel count itself.
  SDL_AudioSpec got{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &got, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device_ == 0) return false;
  mixer_ = std::make_unique<AudioMixer>(got.freq);
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

// Runs on SDL's audio thread.
void SdlAudioOutput::Callback(void* self, Uint8* out, int bytes) {
  auto* output = static_cast<SdlAudioOutput*>(self);
  const size_t frames = static_cast<size_t>(bytes) / (sizeof(int16_t) * AudioMixer::kChannels);
  output->mixer_->Mix(reinterpret_cast<int16_t*>(out), frames);
}

AudioStreamId SdlAudioOutput::OpenStream(const AudioFormat& format) {
  if (!format.Valid() || !OpenDevice()) return 0;
  return mixer_->Open(format);
}

bool SdlAudioOutput::Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) {
  return mixer_ && mixer_->Queue(stream, data, bytes);
}

bool SdlAudioOutput::Playing(AudioStreamId stream) {
  return mixer_ && mixer_->Playing(stream);
}

size_t SdlAudioOutput::QueuedBytes(AudioStreamId stream) {
  return mixer_ ? mixer_->QueuedBytes(stream) : 0;
}

void SdlAudioOutput::Pause(AudioStreamId stream, bool paused) {
  if (mixer_) mixer_->Pause(stream, paused);
}

void SdlAudioOutput::Stop(AudioStreamId stream) {
  if (mixer_) mixer_->Stop(stream);
}

void SdlAudioOutput::SetVolume(AudioStreamId stream, int volume) {
  if (mixer_) mixer_->SetVolume(stream, volume);
}

void SdlAudioOutput::CloseStream(AudioStreamId stream) {
  if (mixer_) mixer_->Close(stream);
}

}  // namespace corvida::sdl

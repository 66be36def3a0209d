#include "platform/web/web_audio.h"

#include <emscripten.h>

#include <algorithm>
#include <cstring>

namespace corvida::web {

// The rate of the page's audio context, made (suspended until a gesture) when there is
// none yet; 0 when the page has no Web Audio.
EM_JS(int, web_audio_rate, (),
      { return Module.corvida.audioRate ? Module.corvida.audioRate() : 0; });

EM_JS(bool, web_audio_running, (),
      { return Module.corvida.audioRunning ? Module.corvida.audioRunning() : false; });

namespace {

// Frames mixed away at a time while catching up.
constexpr size_t kCatchUpBlock = 4096;

}  // namespace

bool WebAudioOutput::OpenDevice() {
  if (tried_) return mixer_ != nullptr;
  tried_ = true;
  const int rate = web_audio_rate();
  if (rate < 8000 || rate > AudioFormat::kMaxRate) return false;
  mixer_ = std::make_unique<AudioMixer>(rate);
  heard_until_ = clock_.Milliseconds();
  return true;
}

void WebAudioOutput::Fill(int16_t* out, size_t frames) {
  if (!mixer_) {
    std::memset(out, 0, frames * sizeof(int16_t) * AudioMixer::kChannels);
    return;
  }
  mixer_->Mix(out, frames);
  heard_until_ = clock_.Milliseconds();
}

void WebAudioOutput::CatchUp() {
  if (!mixer_) return;
  const uint32_t now = clock_.Milliseconds();
  if (web_audio_running()) {
    heard_until_ = std::max(heard_until_, now);
    return;
  }
  const uint64_t elapsed = now - heard_until_;
  heard_until_ = now;
  uint64_t frames = elapsed * uint64_t(mixer_->device_rate()) / 1000;
  discarded_.resize(kCatchUpBlock * AudioMixer::kChannels);
  while (frames > 0 && mixer_->Active()) {
    const size_t block = size_t(std::min<uint64_t>(frames, kCatchUpBlock));
    mixer_->Mix(discarded_.data(), block);
    frames -= block;
  }
}

AudioStreamId WebAudioOutput::OpenStream(const AudioFormat& format) {
  if (!format.Valid() || !OpenDevice()) return 0;
  CatchUp();
  return mixer_->Open(format);
}

bool WebAudioOutput::Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) {
  if (!mixer_) return false;
  CatchUp();
  return mixer_->Queue(stream, data, bytes);
}

bool WebAudioOutput::Playing(AudioStreamId stream) {
  if (!mixer_) return false;
  CatchUp();
  return mixer_->Playing(stream);
}

size_t WebAudioOutput::QueuedBytes(AudioStreamId stream) {
  if (!mixer_) return 0;
  CatchUp();
  return mixer_->QueuedBytes(stream);
}

void WebAudioOutput::Pause(AudioStreamId stream, bool paused) {
  if (mixer_) mixer_->Pause(stream, paused);
}

void WebAudioOutput::Stop(AudioStreamId stream) {
  if (mixer_) mixer_->Stop(stream);
}

void WebAudioOutput::SetVolume(AudioStreamId stream, int volume) {
  if (mixer_) mixer_->SetVolume(stream, volume);
}

void WebAudioOutput::CloseStream(AudioStreamId stream) {
  if (mixer_) mixer_->Close(stream);
}

}  // namespace corvida::web

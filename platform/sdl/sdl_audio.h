// Audio output on the desktop: one SDL device opened on first use, mixing every open
// stream in its callback. Each stream converts its own rate, channels and sample format
// to the device's through an SDL audio stream, and has its own volume and pause state.
#pragma once

#include <SDL.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/audio.h"

namespace corvida::sdl {

class SdlAudioOutput : public AudioOutput {
 public:
  SdlAudioOutput() = default;
  ~SdlAudioOutput() override;
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

  AudioStreamId OpenStream(const AudioFormat& format) override;
  bool Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) override;
  bool Playing(AudioStreamId stream) override;
  size_t QueuedBytes(AudioStreamId stream) override;
  void Pause(AudioStreamId stream, bool paused) override;
  void Stop(AudioStreamId stream) override;
  void SetVolume(AudioStreamId stream, int volume) override;
  void CloseStream(AudioStreamId stream) override;

 private:
  struct Stream {
    AudioFormat format;
    SDL_AudioStream* converter = nullptr;
    int volume = kFullVolume;
    bool paused = false;
  };
  bool OpenDevice();
  static void Callback(void* self, Uint8* out, int bytes);
  void Mix(Uint8* out, int bytes);

  bool tried_ = false;  // the device is opened once; a failure is not retried
  bool subsystem_started_ = false;
  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};
  // Touched by the device's thread in Mix: changed only while the device is locked.
  std::map<AudioStreamId, std::unique_ptr<Stream>> streams_;
  std::vector<uint8_t> scratch_;
  AudioStreamId next_id_ = 1;
};

}  // namespace corvida::sdl

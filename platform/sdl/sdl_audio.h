// Audio output on the desktop: one SDL device opened on first use, 16-bit stereo at the
// rate the machine offers (44,100 Hz asked for). Streams are voices of an AudioMixer: their
// samples are converted when queued, on the player's thread, and SDL's audio thread only
// sums what is ready in the device callback.
#pragma once

#include <SDL.h>

#include <memory>

#include "platform/audio.h"
#include "platform/audio_mixer.h"

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
  bool OpenDevice();
  static void Callback(void* self, Uint8* out, int bytes);

  bool tried_ = false;  // the device is opened once; a failure is not retried
  bool subsystem_started_ = false;
  SDL_AudioDeviceID device_ = 0;
  std::unique_ptr<AudioMixer> mixer_;  // made with the device, at its rate
};

}  // namespace corvida::sdl

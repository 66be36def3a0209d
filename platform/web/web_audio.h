// Audio output in the page: the page script keeps one Web Audio context for the page and,
// per player, a node that pulls mixed frames from this output (Fill) as it plays them.
// Streams are voices of an AudioMixer at the context's rate. Browsers start a context only
// after a gesture and may suspend it later; while it is not running, the voices are used
// up by the page's clock instead, so a stack that waits for a sound to end never waits on
// a silent device.
#pragma once

#include <memory>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_mixer.h"
#include "platform/clock.h"

namespace corvida::web {

class WebAudioOutput : public AudioOutput {
 public:
  explicit WebAudioOutput(Clock& clock) : clock_(clock) {}

  AudioStreamId OpenStream(const AudioFormat& format) override;
  bool Queue(AudioStreamId stream, const uint8_t* data, size_t bytes) override;
  bool Playing(AudioStreamId stream) override;
  size_t QueuedBytes(AudioStreamId stream) override;
  void Pause(AudioStreamId stream, bool paused) override;
  void Stop(AudioStreamId stream) override;
  void SetVolume(AudioStreamId stream, int volume) override;
  void CloseStream(AudioStreamId stream) override;

  // The page's node asks for `frames` interleaved stereo frames; silence before the first
  // stream opens.
  void Fill(int16_t* out, size_t frames);

 private:
  bool OpenDevice();
  // Mixes away what the clock says was heard since the last look while the page's audio
  // does not run.
  void CatchUp();

  Clock& clock_;
  bool tried_ = false;  // the page is asked for its rate once
  std::unique_ptr<AudioMixer> mixer_;
  uint32_t heard_until_ = 0;  // the clock when the voices were last advanced
  std::vector<int16_t> discarded_;
};

}  // namespace corvida::web

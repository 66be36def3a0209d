// The mixer both audio outputs share. Each stream is a voice: its samples are converted to
// the device's 16-bit stereo at the device's rate when they are queued, on the player's
// thread (AudioConverter), and kept as converted pieces. The device side (SDL's audio
// thread, or the headless output as its virtual clock advances) only adds those samples,
// scaled by each voice's volume, and clips the sum; it holds the lock for that short
// addition and never allocates or frees, so neither side waits long on the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_convert.h"

namespace corvida {

class AudioMixer {
 public:
  static constexpr int kChannels = 2;  // what Mix writes: interleaved left, right
  // A voice holds at most this much converted sound ahead (10 minutes: 106 MB at 44.1 kHz),
  // so a stored sound at 1 Hz cannot ask for days of device samples.
  static constexpr uint64_t kDefaultLimitSeconds = 600;

  explicit AudioMixer(int device_rate, uint64_t limit_seconds = kDefaultLimitSeconds);
  ~AudioMixer();
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;

  int device_rate() const { return device_rate_; }

  // The player thread's side, as AudioOutput describes it.
  AudioStreamId Open(const AudioFormat& format);
  bool Queue(AudioStreamId stream, const uint8_t* data, size_t bytes);
  bool Playing(AudioStreamId stream);
  uint64_t FramesLeft(AudioStreamId stream);  // device frames not mixed yet
  size_t QueuedBytes(AudioStreamId stream);   // the same in the stream's own format
  void Pause(AudioStreamId stream, bool paused);
  void Stop(AudioStreamId stream);
  void SetVolume(AudioStreamId stream, int volume);
  void Close(AudioStreamId stream);

  // The device side: fills `frames` interleaved stereo frames with the sum of the unpaused
  // voices, each scaled by its volume (a silenced voice still runs out on time).
  void Mix(int16_t* out, size_t frames);
  // Whether some unpaused voice still has frames to play.
  bool Active();

 private:
  // What the device side reads; guarded by lock_.
  struct Voice {
    std::vector<std::vector<int16_t>> pieces;  // converted, in order
    size_t piece = 0;                          // the piece being mixed; those before it are spent
    size_t read = 0;                           // samples of it already mixed
    uint64_t frames_left = 0;
    int volume = kFullVolume;
    bool paused = false;
  };
  static void AddVoice(Voice& voice, int32_t* sum, size_t frames);
  // Takes the voice's spent pieces (or all of them) out, to be freed outside the lock.
  static std::vector<std::vector<int16_t>> TakePieces(Voice& voice, bool all);

  const int device_rate_;
  const uint64_t limit_frames_;
  // The player thread's own: one converter per stream.
  std::map<AudioStreamId, std::unique_ptr<AudioConverter>> converters_;
  AudioStreamId next_id_ = 1;
  std::mutex lock_;
  std::map<AudioStreamId, Voice> voices_;
};

}  // namespace corvida

// The sounds a player plays: stored 'Snd ' resources and sound files, read into samples
// and played through the platform's audio output. Every new sound stops all the others
// first; the list of playing sounds lets go of finished ones whenever a sound starts and
// whenever the player asks whether sounds still play. Every sound plays at full volume.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "stackfile/sound.h"

namespace corvida {

// Turns stored sounds and sound files into samples: the stack file's readers, or samples
// of a test's own.
class SoundReader {
 public:
  virtual ~SoundReader() = default;
  virtual SoundDecodeResult Decode(std::span<const uint8_t> snd) = 0;
  virtual SoundImportResult Import(std::span<const uint8_t> file, SoundFileKind kind) = 0;
};

class StoredSoundReader : public SoundReader {
 public:
  SoundDecodeResult Decode(std::span<const uint8_t> snd) override { return DecodeSnd(snd); }
  SoundImportResult Import(std::span<const uint8_t> file, SoundFileKind kind) override {
    return ImportSoundFile(file, kind);
  }
};

class SoundPlayer {
 public:
  // Sound files larger than this are not read: "not enough memory to play this sound".
  static constexpr int64_t kFileLimit = int64_t{64} << 20;

  // Without an audio output sounds are read (and their faults reported) but not heard.
  explicit SoundPlayer(AudioOutput* audio) : audio_(audio) {}
  ~SoundPlayer() { StopAll(); }
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  // Each play stops every sound first; the answer is 0, or the alert that says why the
  // sound cannot be played.
  int PlayStored(std::span<const uint8_t> snd);
  int PlayFile(const std::string& host_path, SoundFileKind kind);
  int Play(const SoundPcm& pcm);
  // Sounds are read by the stack file's readers unless a test gives its own.
  void set_reader(SoundReader& reader) { reader_ = &reader; }

  void StopAll();
  void ReleaseFinished();
  // Whether a sound still plays (finished ones are let go first).
  bool Playing();
  size_t count() const { return playing_.size(); }

 private:
  AudioOutput* audio_;
  StoredSoundReader stored_reader_;
  SoundReader* reader_ = &stored_reader_;
  std::vector<AudioStreamId> playing_;
};

}  // namespace corvida

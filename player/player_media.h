// The player's media: what the action executor asks to be played. Sounds play through
// SoundPlayer; the other media are still written as lines (RecordingMediaHooks), as is
// every sound request. Movies join here; so do sound files that none of the sound readers
// take, which open as movies (PlayOtherFile).
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "engine/media_hooks.h"
#include "player/player.h"
#include "player/sound_player.h"

namespace corvida {

class PlayerMedia : public RecordingMediaHooks {
 public:
  // A stored sound of this name, exactly as stored, and a sound file of this name (in any
  // case) silence every sound and play nothing.
  static constexpr std::string_view kStopAllSounds = "Stop All Sounds";
  static constexpr std::string_view kStopSoundsFile = "STOPSNDS.WAV";

  PlayerMedia(Player& player, std::function<void(const std::string&)> log);

  void StopSound() override { sounds_.StopAll(); }
  bool PlayStackSound(const StackSoundRequest& request) override;
  bool PlaySoundFile(const FileRequest& request) override;
  bool Busy(uint16_t record_id, const StartedMedia& started) override;
  // The player's timer: finished sounds are let go (and their samples freed).
  void Idle() { sounds_.ReleaseFinished(); }

  SoundPlayer& sounds() { return sounds_; }

 private:
  // A sound file no sound reader takes: the movie player's, once there is one.
  bool PlayOtherFile(const FileRequest& request);
  // Shows the alert the first time a sound (by `key`) fails; a stack whose every button
  // plays a broken sound is still usable.
  void AlertOnce(const std::string& key, int alert);

  Player& player_;
  SoundPlayer sounds_;
  std::set<std::string> alerted_;
};

}  // namespace corvida

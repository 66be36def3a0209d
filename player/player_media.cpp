#include "player/player_media.h"

#include "base/handles.h"
#include "platform/text.h"
#include "stackfile/fileslots.h"
#include "stackfile/resources.h"

namespace corvida {
namespace {

// Stack sound flag: the resource holds a whole movie (played by the movie player).
constexpr uint16_t kSoundIsMovie = 0x0004;

}  // namespace

PlayerMedia::PlayerMedia(Player& player, std::function<void(const std::string&)> log)
    : RecordingMediaHooks(std::move(log)), player_(player), sounds_(player.platform.audio()) {}

bool PlayerMedia::PlayStackSound(const StackSoundRequest& request) {
  RecordingMediaHooks::PlayStackSound(request);
  sounds_.StopAll();  // a new sound ends every other
  Handle snd = player_.stack.resources().Get(restype::kSnd, request.sound_id);
  if (!snd || request.name == kStopAllSounds) return false;
  if (request.flags & kSoundIsMovie) return false;  // for the movie player, once there is one
  int alert = 0;
  {
    LockedHandle bytes(player_.handles, snd);
    if (!bytes) return false;
    alert = sounds_.PlayStored({bytes.data(), bytes.size()});
  }
  if (alert != 0) AlertOnce(player_.stack.path() + "#" + std::to_string(request.sound_id), alert);
  return sounds_.Playing();
}

bool PlayerMedia::PlaySoundFile(const FileRequest& request) {
  RecordingMediaHooks::PlaySoundFile(request);
  sounds_.StopAll();  // a new sound ends every other
  const std::string_view name = NamePart(request.stored);
  if (EqualsIgnoringCase(name, kStopSoundsFile)) return false;
  if (request.host_path.empty()) {
    Log("missing " + Quoted(name));
    return false;
  }
  const std::optional<SoundFileKind> kind = SoundFileKindOf(name);
  if (!kind) return PlayOtherFile(request);
  const int alert = sounds_.PlayFile(request.host_path, *kind);
  if (alert != 0) AlertOnce(request.host_path, alert);
  return sounds_.Playing();
}

bool PlayerMedia::PlayOtherFile(const FileRequest&) {
  return false;  // recorded only, until movies play
}

bool PlayerMedia::Busy(uint16_t record_id, const StartedMedia& started) {
  return (started.sound && sounds_.Playing()) || RecordingMediaHooks::Busy(record_id, started);
}

void PlayerMedia::AlertOnce(const std::string& key, int alert) {
  if (alerted_.insert(key).second) player_.alerts.Alert(alert);
}

}  // namespace corvida

// What the action executor asks of the media and extension components: sounds, movies,
// animations, the videodisc, NBA modules and the Tarrow run box. Each component fills
// its part when it lands; until then `RecordingMediaHooks` writes one line per request
// (`sound "name"`, `movie "file"`, `animation N`, `nba "module" ...`, `script "..."`),
// which is what `corvida replay` prints.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/types.h"

namespace corvida {

// A stack sound step: the 'Snd ' block, its name, and the entry's play values.
struct StackSoundRequest {
  uint16_t sound_id = 0;
  std::string name;  // the block's name, as stored
  uint16_t param = 0;
  uint16_t flags = 0;
};

// A sound file, movie, or launch reference as stored in the entry.
struct FileRequest {
  std::string stored;     // the stored path
  std::string host_path;  // where it was found; "" when it was not
  uint16_t param = 0;     // sound entries: the play values
  uint16_t flags = 0;
  Rect rect;  // movies: where the movie plays
  // Movies: the key it is held under, the play options (action::kMovie...) and the
  // volume used with kMovieVolume.
  uint16_t movie_id = 0;
  uint32_t options = 0;
  uint16_t volume = 0;
};

struct NbaRequest {
  uint16_t nba_id = 0;
  uint16_t record_id = 0;  // the id of the running ActionRecord
  std::string module;      // module name from the 'NBAs' block; "" when none
  std::span<const uint8_t> data;
};

struct ScriptRequest {
  uint16_t record_id = 0;
  Rect rect;         // the run box's area
  std::string text;  // lines end with CR, Windows characters
};

struct AnimationRequest {
  uint16_t record_id = 0;
  Rect rect;
  std::span<const uint8_t> data;  // 'Sprt' data or a path-animation description
};

// What a run has started so far; the media wait waits only for these.
struct StartedMedia {
  bool sound = false;
  bool movie = false;
  bool animation = false;
  bool nba = false;  // an NBA module was called
  bool any() const { return sound || movie || animation || nba; }
};

class MediaHooks {
 public:
  virtual ~MediaHooks() = default;
  // Stops every sound that plays.
  virtual void StopSound() {}
  // Starting returns whether something now plays (the media wait then waits for it).
  virtual bool PlayStackSound(const StackSoundRequest& request) {
    (void)request;
    return false;
  }
  virtual bool PlaySoundFile(const FileRequest& request) {
    (void)request;
    return false;
  }
  virtual bool StartMovie(uint16_t record_id, const FileRequest& request) {
    (void)record_id, (void)request;
    return false;
  }
  virtual bool StartAnimation(const AnimationRequest& request) {
    (void)request;
    return false;
  }
  virtual void PlayVideodisc(uint16_t record_id, std::span<const uint8_t> entry) {
    (void)record_id, (void)entry;
  }
  // Calls the module with the "run" message; true when a module was called.
  virtual bool CallNba(const NbaRequest& request) {
    (void)request;
    return false;
  }
  virtual void RunScript(const ScriptRequest& request) { (void)request; }

  // One pass of the media wait's idle work (animation steps, movie idle time, the NBAs'
  // timer event).
  virtual void Step(uint32_t tick) { (void)tick; }
  // Whether the media of `record_id` still play: the sounds it started, its movie, its
  // animations, or (when an NBA was called) a busy NBA.
  virtual bool Busy(uint16_t record_id, const StartedMedia& started) {
    (void)record_id, (void)started;
    return false;
  }
  // Stops animations and movies (the end of every media wait).
  virtual void StopAnimationsAndMovies() {}
};

// Writes one line per request and plays nothing.
class RecordingMediaHooks : public MediaHooks {
 public:
  explicit RecordingMediaHooks(std::function<void(const std::string&)> log)
      : log_(std::move(log)) {}
  bool PlayStackSound(const StackSoundRequest& request) override;
  bool PlaySoundFile(const FileRequest& request) override;
  bool StartMovie(uint16_t record_id, const FileRequest& request) override;
  bool StartAnimation(const AnimationRequest& request) override;
  void PlayVideodisc(uint16_t record_id, std::span<const uint8_t> entry) override;
  bool CallNba(const NbaRequest& request) override;
  void RunScript(const ScriptRequest& request) override;

 protected:
  void Log(const std::string& line) {
    if (log_) log_(line);
  }

 private:
  std::function<void(const std::string&)> log_;
};

// The first line of a script, at most 40 characters, "..." when there is more.
std::string ScriptSummary(const std::string& text);

}  // namespace corvida

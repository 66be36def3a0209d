// The player's media: what the action executor asks to be played. Sounds play through
// SoundPlayer; movies through the movie manager over the platform's movie service, shown
// on the player window; animations through the animation manager, drawn on the window; scripts
// through PlayerScripts; extension modules through NbaHost. The other media are still written as
// lines (RecordingMediaHooks), as is every sound, movie and script request.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "engine/animations.h"
#include "engine/media_hooks.h"
#include "engine/movies.h"
#include "engine/render.h"
#include "player/player.h"
#include "player/sound_player.h"

namespace corvida {

class NbaHost;
class PlayerScripts;
class PlayerWindow;

// Draws a movie frame over `rect` of the target, only inside `clip`.
void DrawMovieFrame(gfx::DrawTarget& target, const Rect& rect, const MovieFrame& frame,
                    const gfx::Region& clip);

class PlayerMedia : public RecordingMediaHooks,
                    public MovieHost,
                    public AnimationHost,
                    public FirstFramePainter {
 public:
  // A stored sound of this name, exactly as stored, and a sound file of this name (in any
  // case) silence every sound and play nothing.
  static constexpr std::string_view kStopAllSounds = "Stop All Sounds";
  static constexpr std::string_view kStopSoundsFile = "STOPSNDS.WAV";

  PlayerMedia(Player& player, PlayerWindow& window, std::function<void(const std::string&)> log);

  // Every sound stops: stored sounds, sound files, and the movie engine's sound players
  // and sound-only movies.
  void StopSound() override;
  bool PlayStackSound(const StackSoundRequest& request) override;
  bool PlaySoundFile(const FileRequest& request) override;
  bool StartMovie(uint16_t record_id, const FileRequest& request) override;
  bool StartAnimation(const AnimationRequest& request) override;
  void Step(uint32_t tick) override;
  bool Busy(uint16_t record_id, const StartedMedia& started) override;
  void StopAnimationsAndMovies() override;
  // The player's timer: finished sounds are let go (and their samples freed), movies
  // and animations move on.
  void Idle();
  // Leaving a card stops its movies; closing the player stops every sound and movie.
  void LeaveCard();
  void Shutdown();
  // Scripts run through `scripts` (the player window's); without it they are only logged.
  void set_scripts(PlayerScripts* scripts) { scripts_ = scripts; }
  void RunScript(const ScriptRequest& request) override;
  // Extension modules run through `nbas` (the player window's); without it they are only
  // logged.
  void set_nbas(NbaHost* nbas) { nbas_ = nbas; }
  bool CallNba(const NbaRequest& request) override;

  SoundPlayer& sounds() { return sounds_; }
  MovieManager& movies() { return movies_; }
  AnimationManager& animations() { return animations_; }

  // FirstFramePainter: movies with option 0x0004, sprites and path animations that ask
  // for it show their first frame in the card.
  void DrawFramesUnderObjects(gfx::DrawTarget& picture, Bytes action_record,
                              const gfx::Region& card_area) override;
  void DrawFirstFrames(gfx::DrawTarget& target, Bytes action_record,
                       const gfx::Region& card_area) override;

  // MovieHost: the window shows the movies.
  Size WindowSize() override;
  void ShowMovieFrame(const Rect& rect, const MovieFrame& frame, bool on_top) override;
  void EraseMovie(const Rect& rect) override;
  int Alert(int id) override;
  void Log(const std::string& line) override;
  void ShowController(const ControllerView& view) override;

  // AnimationHost: the window shows the animations.
  gfx::Palette CardPalette() override;
  void ShowAnimationFrame(Point at, const gfx::Bitmap& frame, bool clipped,
                          const gfx::Bitmap* mask) override;
  void EraseAnimation(const Rect& rect) override;
  void UnknownPicturePacking() override;
  bool CardPiece(const Rect& rect, gfx::Bitmap& out) override;

 private:
  // Sounds the movie engine plays: a sound file no sound reader takes, and a stored
  // sound whose data is a whole movie. Only their sound is heard.
  bool PlayFileAsMovie(const FileRequest& request);
  bool PlayStoredMovie(Handle snd, const std::string& name);
  // Shows the alert the first time a sound (by `key`) fails; a stack whose every button
  // plays a broken sound is still usable.
  void AlertOnce(const std::string& key, int alert);
  // The first frame of the record's movie, when it asks for one and plays on top of the
  // objects or not as `on_top` says; whether it was drawn.
  bool DrawRecordMovieFrame(gfx::DrawTarget& target, Bytes action_record, bool on_top);
  // The same for the record's animation, whose frame lies over the objects or not.
  bool DrawRecordAnimationFrame(gfx::DrawTarget& target, Bytes action_record,
                                const gfx::Region& card_area, bool over_objects);

  Player& player_;
  PlayerWindow& window_;
  SoundPlayer sounds_;
  PlayerScripts* scripts_ = nullptr;
  NbaHost* nbas_ = nullptr;
  std::set<std::string> alerted_;
  MovieManager movies_;
  AnimationManager animations_;
  // The movie id each record started last: the media wait asks by record.
  std::map<uint16_t, uint16_t> movie_of_record_;
};

}  // namespace corvida

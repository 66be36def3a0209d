// The movie manager: every movie a card's actions started, newest first. It opens movies
// through the platform's movie service, plays them against the clock (or the sound they
// play, when they have sound), hands the frame due to its host to show over the card,
// feeds their sound to the audio output, tells the media wait whether they have finished,
// and carries out the movie control codes of scripts and extensions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/movie_controller.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/movie.h"
#include "platform/types.h"

namespace corvida {

// What the manager asks of the player: where the window is, showing frames, alerts, log.
class MovieHost {
 public:
  virtual ~MovieHost() = default;
  // The player window's size, to centre movies shown at their natural size.
  virtual Size WindowSize() = 0;
  // Shows a frame over `rect` of the card; without `on_top` the card's objects stay above.
  virtual void ShowMovieFrame(const Rect& rect, const MovieFrame& frame, bool on_top) = 0;
  // The card shows again where a movie was (hidden at its end, or stopped).
  virtual void EraseMovie(const Rect& rect) = 0;
  virtual int Alert(int id) = 0;
  virtual void Log(const std::string& line) = 0;
  // Shows the controller bar of a movie (over its objects: it is there to be used).
  virtual void ShowController(const ControllerView& view) { (void)view; }
};

// One movie to start: what the movie entry holds, and where its bytes are.
struct MovieStart {
  uint16_t id = 0;
  Rect rect;  // all zero: the natural size, centred in the window
  uint32_t options = 0;
  uint16_t volume = 0;
  std::string path;             // the host path, or a name for a movie held in memory
  std::string name;             // what log lines call it
  std::vector<uint8_t> memory;  // the movie's bytes when it is held in memory
  bool from_memory = false;
};

// The controller codes of callback command 160.
enum class MovieControlCode {
  kPlay = 1,
  kStop = 2,
  kStepForward = 3,
  kStepBack = 4,
  kRewind = 5,
};

// Whether the player of old would have shown this movie in a Video for Windows window:
// an AVI file with pictures in Indeo 3.2, which the QuickTime it required could not play.
// Such movies keep that window's ways (the first frame leaves room for its toolbar).
bool PlaysInVideoWindow(const std::string& path, const MovieInfo& info);

// The first frame of a movie as the card picture shows it, and where.
struct FirstFrame {
  Rect rect;
  MovieFrame frame;
};

class MovieManager {
 public:
  static constexpr int kAlertNoPictures = 2275;
  static constexpr int kNoPicturesWidth = 200;
  static constexpr int kVideoWindowToolbar = 26;

  MovieManager(MovieService* service, AudioOutput* audio, Clock& clock, MovieHost& host);
  ~MovieManager();
  MovieManager(const MovieManager&) = delete;
  MovieManager& operator=(const MovieManager&) = delete;

  // Starts (or, for the same path and id, replays) a movie; false when it cannot be opened.
  bool StartMovie(const MovieStart& start, bool play_now = true);
  // Moves every playing movie to the clock's time: frames, sound, ends and loops.
  void IdleMovies();
  // True when no movie of that id exists, it does not hold up the media wait, or it has
  // finished.
  bool IsMovieFinished(uint16_t id) const;
  bool AreAllMoviesFinished() const;
  // Whether a sound player or a sound-only movie still plays.
  bool IsMediaPlaying() const;
  // Stops and forgets movies; a sound-only movie that does not hold up the media wait
  // plays on unless `force`.
  void StopMovies(bool invalidate, bool force);
  void MovieControl(int code);
  void RestartMovie(uint16_t id);
  size_t count() const { return players_.size(); }
  // Shows again the frame (and bar) of every movie over `area`, after the card was drawn
  // anew there (a field changed, an object was shown or hidden).
  void Redraw(const Rect& area);

  // Sound players of movie data: a stored sound that holds a whole movie, or a sound file
  // only the movie engine reads. They show nothing and are not the card's movies: leaving
  // a card goes on with them, stopping sounds ends them. False when nothing plays.
  bool StartSound(MovieStart start);
  // Ends the sound players and the sound-only movies (those may outlive their card).
  void StopSounds();
  // Whether a sound player still plays.
  bool SoundsPlaying() const;
  size_t sound_count() const { return sounds_.size(); }

  // The controller bars: a press on one is taken (play/pause, or the position bar, whose
  // drag goes on until the release); Space plays or pauses the newest movie with a bar.
  bool PressController(Point p);
  void DragController(Point p);
  void ReleaseController();
  bool dragging_controller() const { return dragging_ != nullptr; }
  bool TogglePlay();
  // The frame at time 0 for the card picture; false for a movie that cannot be opened or
  // has no pictures. Kept for the last few movies asked, as cards are drawn often.
  bool FirstFrameOf(const MovieStart& start, FirstFrame& out);

 private:
  struct Player;
  Player* Find(uint16_t id, const std::string& path);
  std::unique_ptr<Player> OpenPlayer(const MovieStart& start);
  std::unique_ptr<Player> Open(const MovieStart& start);
  void IdleOne(Player& p);
  void Play(Player& p);
  void Pause(Player& p);
  void Resume(Player& p);
  void Toggle(Player& p);
  Rect PictureRect(const Player& p) const;
  void ShowBar(Player& p, bool always);
  void SeekTo(Player& p, uint32_t ms);
  uint32_t Position(const Player& p);
  void FeedSound(Player& p);
  void ShowFrame(Player& p, uint32_t ms);
  void Finish(Player& p);
  void Dispose(Player& p, bool invalidate);
  Rect CentredIn(Size size);

  MovieService* service_;
  AudioOutput* audio_;
  Clock& clock_;
  MovieHost& host_;
  std::vector<std::unique_ptr<Player>> players_;                  // newest first
  std::vector<std::unique_ptr<Player>> sounds_;                   // sound players
  std::vector<std::pair<std::string, FirstFrame>> first_frames_;  // newest last
  Player* dragging_ = nullptr;  // whose position bar is being dragged
  bool resume_after_drag_ = false;
};

}  // namespace corvida

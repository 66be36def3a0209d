#include "engine/movies.h"

#include <algorithm>
#include <cctype>

#include "stackfile/actions.h"

namespace corvida {

namespace {

// Sound is kept this far ahead of what is heard, read in pieces of at most this size.
constexpr uint32_t kSoundAheadMs = 500;
constexpr size_t kSoundPieceBytes = 16 * 1024;
constexpr int kSoundPiecesPerIdle = 16;
constexpr double kDefaultFrameRate = 15;
constexpr size_t kFirstFramesKept = 8;
constexpr size_t kFirstFrameKeptBytes = 4u << 20;

constexpr uint32_t MovieTag(const char (&code)[5]) {
  return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 |
         uint32_t(uint8_t(code[2])) << 16 | uint32_t(uint8_t(code[3])) << 24;
}

bool AllZero(const Rect& r) {
  return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
}

}  // namespace

struct MovieManager::Player {
  uint16_t id = 0;
  std::string path, name;
  Rect rect;
  uint32_t options = 0;
  uint16_t volume = 0;
  std::unique_ptr<MovieFile> movie;
  bool sound_only = false;
  bool sound = false;  // a sound player: heard, never shown, and not logged as a movie
  bool finished = false;
  bool hidden = false;
  bool playing = false;
  uint32_t position_ms = 0;  // where the movie is, or was when `since_ms` came
  uint32_t since_ms = 0;
  int64_t shown_frame_ms = -1;
  bool controller = false;  // option 0x0001: our controller bar along its bottom
  ControllerView bar;       // the bar as last shown
  // Its sound: the stream, where the samples queued started, how many were queued.
  AudioStreamId stream = 0;
  uint32_t sound_from_ms = 0;
  uint64_t sound_queued_bytes = 0;
  bool sound_ended = true;

  const MovieInfo& info() const { return movie->info(); }
  bool Has(uint32_t option) const { return (options & option) != 0; }
};

MovieManager::MovieManager(MovieService* service, AudioOutput* audio, Clock& clock, MovieHost& host)
    : service_(service), audio_(audio), clock_(clock), host_(host) {}

MovieManager::~MovieManager() {
  StopMovies(false, true);
  StopSounds();
}

MovieManager::Player* MovieManager::Find(uint16_t id, const std::string& path) {
  for (auto& p : players_)
    if (p->id == id && p->path == path) return p.get();
  return nullptr;
}

std::unique_ptr<MovieManager::Player> MovieManager::OpenPlayer(const MovieStart& start) {
  if (!service_ || (start.path.empty() && !start.from_memory)) return nullptr;
  MovieOpenResult opened =
      start.from_memory ? service_->OpenMemory(start.memory) : service_->Open(start.path);
  if (!opened.movie) return nullptr;
  auto p = std::make_unique<Player>();
  p->id = start.id;
  p->path = start.path;
  p->name = start.name;
  p->rect = start.rect;
  p->options = start.options;
  p->volume = start.volume;
  p->movie = std::move(opened.movie);
  p->sound_only = p->info().has_audio && !p->info().has_video;
  // A movie that names its own controller type shows a controller only when asked for
  // that one.
  p->controller = p->info().controller_type != 0 ? p->Has(action::kMovieOwnController)
                                                 : p->Has(action::kMovieController);
  return p;
}

std::unique_ptr<MovieManager::Player> MovieManager::Open(const MovieStart& start) {
  std::unique_ptr<Player> p = OpenPlayer(start);
  if (p && AllZero(p->rect)) {
    Size size = p->info().natural;
    if (size.width <= 0 || size.height <= 0) {
      host_.Alert(kAlertNoPictures);
      size = {kNoPicturesWidth, 0};
    }
    p->rect = CentredIn(size);
  }
  return p;
}

bool MovieManager::StartSound(MovieStart start) {
  // Only its sound is played: no rectangle, no controller, full volume.
  start.rect = {};
  start.options = 0;
  std::unique_ptr<Player> p = OpenPlayer(start);
  if (!p || !p->info().has_audio) return false;
  p->sound = true;
  sounds_.insert(sounds_.begin(), std::move(p));
  Play(*sounds_.front());
  return true;
}

void MovieManager::StopSounds() {
  for (auto& p : sounds_) Dispose(*p, false);
  sounds_.clear();
  std::erase_if(players_, [this](const std::unique_ptr<Player>& p) {
    if (!p->sound_only) return false;
    if (dragging_ == p.get()) dragging_ = nullptr;
    Dispose(*p, false);
    return true;
  });
}

bool MovieManager::SoundsPlaying() const {
  return std::any_of(sounds_.begin(), sounds_.end(), [](const auto& p) { return !p->finished; });
}

// A movie at its own size, in the middle of the window.
Rect MovieManager::CentredIn(Size size) {
  Size window = host_.WindowSize();
  int left = (window.width - size.width) / 2, top = (window.height - size.height) / 2;
  return {left, top, left + size.width, top + size.height};
}

bool PlaysInVideoWindow(const std::string& path, const MovieInfo& info) {
  std::string extension = path.size() >= 4 ? path.substr(path.size() - 4) : "";
  for (char& c : extension) c = char(std::tolower(uint8_t(c)));
  // Codes are compared in lower case, as the old player did.
  uint32_t tag = info.video_codec_tag | 0x20202020u;
  return extension == ".avi" && info.has_video && tag == MovieTag("iv32");
}

bool MovieManager::FirstFrameOf(const MovieStart& start, FirstFrame& out) {
  const std::string key = std::to_string(start.id) + "|" + start.path + "|" +
                          std::to_string(start.rect.left) + "," + std::to_string(start.rect.top) +
                          "," + std::to_string(start.rect.right) + "," +
                          std::to_string(start.rect.bottom);
  for (const auto& [k, kept] : first_frames_) {
    if (k != key) continue;
    out = kept;
    return true;
  }
  if (!service_ || (start.path.empty() && !start.from_memory)) return false;
  MovieOpenResult opened =
      start.from_memory ? service_->OpenMemory(start.memory) : service_->Open(start.path);
  if (!opened.movie || !opened.movie->info().has_video) return false;
  const MovieInfo& info = opened.movie->info();
  out.rect = AllZero(start.rect) ? CentredIn(info.natural) : start.rect;
  Size size{out.rect.Width(), out.rect.Height()};
  if (PlaysInVideoWindow(start.path, info)) size.height -= kVideoWindowToolbar;
  if (size.width <= 0 || size.height <= 0) return false;
  if (!opened.movie->DecodeFrame(0, size, out.frame)) return false;
  if (out.frame.rgba.size() > kFirstFrameKeptBytes) return true;
  if (first_frames_.size() >= kFirstFramesKept) first_frames_.erase(first_frames_.begin());
  first_frames_.emplace_back(key, out);
  return true;
}

bool MovieManager::StartMovie(const MovieStart& start, bool play_now) {
  Player* p = Find(start.id, start.path);
  if (!p) {
    std::unique_ptr<Player> opened = Open(start);
    if (!opened) return false;
    p = opened.get();
    players_.insert(players_.begin(), std::move(opened));
  }
  if (play_now) {
    host_.Log("movie " + std::to_string(p->id) + " \"" + p->name + "\" started");
    Play(*p);
  }
  return true;
}

void MovieManager::RestartMovie(uint16_t id) {
  for (auto& p : players_) {
    if (p->id != id) continue;
    Play(*p);
    return;
  }
}

// From the start: a finished movie plays again, one hidden at its end shows again.
void MovieManager::Play(Player& p) {
  p.finished = false;
  p.hidden = false;
  p.position_ms = 0;
  p.shown_frame_ms = -1;
  p.playing = true;
  p.since_ms = clock_.Milliseconds();
  SeekTo(p, 0);
  ShowFrame(p, 0);
}

// Starts the clock and the sound at the movie's position.
void MovieManager::SeekTo(Player& p, uint32_t ms) {
  p.position_ms = std::min(ms, p.info().duration_ms);
  p.since_ms = clock_.Milliseconds();
  if (!audio_ || !p.info().has_audio) return;
  if (!p.stream) {
    p.stream = audio_->OpenStream(p.info().audio);
    if (!p.stream) return;
  }
  audio_->Stop(p.stream);
  audio_->SetVolume(
      p.stream, p.Has(action::kMovieVolume) ? std::min<int>(p.volume, kFullVolume) : kFullVolume);
  p.movie->SeekAudio(p.position_ms);
  p.sound_from_ms = p.position_ms;
  p.sound_queued_bytes = 0;
  p.sound_ended = false;
  if (p.playing) FeedSound(p);
}

void MovieManager::Resume(Player& p) {
  if (p.playing) return;
  p.playing = true;
  p.finished = false;
  p.hidden = false;
  SeekTo(p, p.position_ms >= p.info().duration_ms ? 0 : p.position_ms);
  ShowFrame(p, p.position_ms);
}

void MovieManager::Toggle(Player& p) {
  if (p.playing) {
    Pause(p);
  } else {
    Resume(p);
  }
  ShowBar(p, true);
}

Rect MovieManager::PictureRect(const Player& p) const {
  return p.controller ? PictureArea(p.rect) : p.rect;
}

void MovieManager::ShowBar(Player& p, bool always) {
  if (!p.controller || p.hidden || p.rect.Empty()) return;
  const uint32_t at = std::min(Position(p), p.info().duration_ms);
  ControllerView view{LayoutController(p.rect, at, p.info().duration_ms), p.playing,
                      ControllerTime(at)};
  const bool same = view.layout.thumb == p.bar.layout.thumb && view.time == p.bar.time &&
                    view.playing == p.bar.playing && view.layout.bar == p.bar.layout.bar;
  if (same && !always) return;
  p.bar = view;
  host_.ShowController(view);
}

bool MovieManager::PressController(Point point) {
  for (auto& owned : players_) {
    Player& p = *owned;
    if (!p.controller || p.hidden) continue;
    const ControllerLayout layout =
        LayoutController(p.rect, std::min(Position(p), p.info().duration_ms), p.info().duration_ms);
    switch (HitController(layout, point)) {
      case ControllerPart::kNone:
        if (!layout.bar.Contains(point)) continue;
        return true;  // the bar's own background
      case ControllerPart::kButton:
        Toggle(p);
        return true;
      case ControllerPart::kTrack:
        resume_after_drag_ = p.playing;
        Pause(p);
        dragging_ = &p;
        DragController(point);
        return true;
    }
  }
  return false;
}

void MovieManager::DragController(Point point) {
  if (!dragging_) return;
  Player& p = *dragging_;
  const ControllerLayout layout = LayoutController(p.rect, p.position_ms, p.info().duration_ms);
  p.position_ms = TrackTime(layout, point.x, p.info().duration_ms);
  p.finished = false;
  ShowFrame(p, p.position_ms);
  ShowBar(p, false);
}

void MovieManager::ReleaseController() {
  if (!dragging_) return;
  Player& p = *dragging_;
  dragging_ = nullptr;
  if (resume_after_drag_) Resume(p);
  ShowBar(p, true);
}

bool MovieManager::TogglePlay() {
  for (auto& owned : players_) {
    if (!owned->controller || owned->hidden) continue;
    Toggle(*owned);
    return true;
  }
  return false;
}

void MovieManager::Pause(Player& p) {
  if (!p.playing) return;
  p.position_ms = std::min(Position(p), p.info().duration_ms);
  p.playing = false;
  if (p.stream) audio_->Stop(p.stream);
}

// While its sound is heard a movie's time is the sound's; otherwise the clock's.
uint32_t MovieManager::Position(const Player& p) {
  if (!p.playing) return p.position_ms;
  if (p.stream) {
    size_t waiting = audio_->QueuedBytes(p.stream);
    if (waiting > 0) {
      const AudioFormat& format = p.info().audio;
      uint64_t heard = p.sound_queued_bytes - std::min<uint64_t>(waiting, p.sound_queued_bytes);
      return p.sound_from_ms + uint32_t(format.DurationMs(heard));
    }
  }
  return p.position_ms + (clock_.Milliseconds() - p.since_ms);
}

void MovieManager::FeedSound(Player& p) {
  if (!p.stream || p.sound_ended) return;
  const AudioFormat& format = p.info().audio;
  const size_t ahead = size_t(format.rate) * format.BytesPerFrame() * kSoundAheadMs / 1000;
  std::vector<uint8_t> piece;
  for (int i = 0; i < kSoundPiecesPerIdle && audio_->QueuedBytes(p.stream) < ahead; ++i) {
    piece.clear();
    if (!p.movie->ReadAudio(piece, kSoundPieceBytes)) {
      p.sound_ended = true;
      return;
    }
    if (!audio_->Queue(p.stream, piece.data(), piece.size())) return;
    p.sound_queued_bytes += piece.size();
  }
}

void MovieManager::ShowFrame(Player& p, uint32_t ms) {
  ShowBar(p, p.shown_frame_ms < 0);
  const Rect picture = PictureRect(p);
  if (!p.info().has_video || p.hidden || picture.Empty()) return;
  MovieFrame frame;
  if (!p.movie->DecodeFrame(ms, {picture.Width(), picture.Height()}, frame)) return;
  if (int64_t(frame.time_ms) == p.shown_frame_ms) return;
  p.shown_frame_ms = frame.time_ms;
  host_.ShowMovieFrame(picture, frame, p.Has(action::kMovieOnTop));
}

void MovieManager::Finish(Player& p) {
  p.position_ms = p.info().duration_ms;
  p.playing = false;
  p.finished = true;
  ShowBar(p, true);  // it shows the play button again
  if (p.Has(action::kMovieHideAtEnd)) {
    p.hidden = true;
    if (p.info().has_video) host_.EraseMovie(p.rect);
  }
  if (!p.sound) host_.Log("movie " + std::to_string(p.id) + " \"" + p.name + "\" finished");
}

void MovieManager::IdleMovies() {
  for (auto& p : players_)
    if (p->playing) IdleOne(*p);
  for (auto& p : sounds_)
    if (p->playing) IdleOne(*p);
  // Finished sound players are let go, and their sound with them.
  std::erase_if(sounds_, [this](const std::unique_ptr<Player>& p) {
    if (!p->finished) return false;
    Dispose(*p, false);
    return true;
  });
}

void MovieManager::IdleOne(Player& p) {
  uint32_t at = Position(p);
  bool sound_done = !p.stream || (p.sound_ended && audio_->QueuedBytes(p.stream) == 0);
  bool at_end = p.info().duration_ms > 0 ? at >= p.info().duration_ms : sound_done;
  if (!at_end || !sound_done) {
    FeedSound(p);
    ShowFrame(p, at);
  } else if (p.Has(action::kMovieLoop) && p.info().duration_ms > 0) {
    p.shown_frame_ms = -1;
    SeekTo(p, 0);
    ShowFrame(p, 0);
  } else {
    ShowFrame(p, p.info().duration_ms);
    Finish(p);
  }
}

bool MovieManager::IsMovieFinished(uint16_t id) const {
  for (const auto& p : players_) {
    if (p->id != id) continue;
    return p->Has(action::kMovieNoWait) || p->finished;
  }
  return true;
}

bool MovieManager::AreAllMoviesFinished() const {
  return std::all_of(players_.begin(), players_.end(), [](const auto& p) { return p->finished; });
}

bool MovieManager::IsMediaPlaying() const {
  return SoundsPlaying() || std::any_of(players_.begin(), players_.end(), [](const auto& p) {
           return p->sound_only && !p->finished;
         });
}

void MovieManager::Dispose(Player& p, bool invalidate) {
  if (p.playing && !p.sound)
    host_.Log("movie " + std::to_string(p.id) + " \"" + p.name + "\" stopped");
  if (p.stream) audio_->CloseStream(p.stream);
  p.stream = 0;
  if (invalidate && p.info().has_video && !p.hidden) host_.EraseMovie(p.rect);
}

void MovieManager::StopMovies(bool invalidate, bool force) {
  dragging_ = nullptr;
  std::vector<std::unique_ptr<Player>> kept;
  for (auto& p : players_) {
    // Sound that does not hold up the media wait goes on across card changes.
    if (!force && p->sound_only && p->Has(action::kMovieNoWait) && !p->finished) {
      kept.push_back(std::move(p));
      continue;
    }
    Dispose(*p, invalidate);
  }
  players_ = std::move(kept);
}

void MovieManager::Redraw(const Rect& area) {
  for (auto& p : players_) {
    if (!p || p->hidden || p->rect.Intersect(area).Empty()) continue;
    p->shown_frame_ms = -1;  // the same frame again, and its bar
    ShowFrame(*p, std::min(Position(*p), p->info().duration_ms));
  }
}

void MovieManager::MovieControl(int code) {
  if (players_.empty()) return;
  Player& p = *players_.front();
  const double rate = p.info().frame_rate > 0 ? p.info().frame_rate : kDefaultFrameRate;
  const auto frame_ms = uint32_t(1000 / rate);
  switch (MovieControlCode(code)) {
    case MovieControlCode::kPlay:
      Resume(p);
      break;
    case MovieControlCode::kStop:
      Pause(p);
      break;
    case MovieControlCode::kStepForward:
    case MovieControlCode::kStepBack: {
      Pause(p);
      uint32_t at = p.position_ms;
      if (MovieControlCode(code) == MovieControlCode::kStepForward) {
        p.position_ms = std::min(at + frame_ms, p.info().duration_ms);
      } else {
        p.position_ms = at > frame_ms ? at - frame_ms : 0;
      }
      ShowFrame(p, p.position_ms);
      break;
    }
    case MovieControlCode::kRewind:
      Pause(p);
      p.position_ms = 0;
      ShowFrame(p, 0);
      break;
  }
}

}  // namespace corvida

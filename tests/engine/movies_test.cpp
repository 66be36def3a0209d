// The movie manager over a scripted movie service and the recording audio output, on a
// virtual clock: which frames show when, ends, loops, hiding, the media wait's questions,
// stopping, replays and the control codes.
#include "engine/movies.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/audio_recorder.h"
#include "stackfile/actions.h"

namespace corvida {
namespace {

// A movie whose frame n starts at n × frame_ms; its sound is silence at 8,000 Hz mono.
struct FakeSpec {
  Size natural{40, 30};
  uint32_t duration_ms = 1000;
  uint32_t frame_ms = 100;
  bool audio = false;
  uint32_t tag = 0;
  uint32_t controller_type = 0;
};

FakeSpec Spec(Size natural, uint32_t duration_ms, bool audio, uint32_t tag = 0) {
  FakeSpec spec;
  spec.natural = natural;
  spec.duration_ms = duration_ms;
  spec.audio = audio;
  spec.tag = tag;
  return spec;
}

class FakeMovie : public MovieFile {
 public:
  explicit FakeMovie(const FakeSpec& spec) : spec_(spec) {
    info_.natural = spec.natural;
    info_.duration_ms = spec.duration_ms;
    info_.frame_rate = 1000.0 / spec.frame_ms;
    info_.has_video = spec.natural.width > 0;
    info_.has_audio = spec.audio;
    info_.audio = {8000, 1, SampleFormat::kS16LE};
    info_.video_codec_tag = spec.tag;
    info_.controller_type = spec.controller_type;
  }
  const MovieInfo& info() const override { return info_; }
  bool DecodeFrame(uint32_t time_ms, Size size, MovieFrame& out) override {
    if (!info_.has_video) return false;
    time_ms = std::min(time_ms, spec_.duration_ms - 1);
    out.width = size.width;
    out.height = size.height;
    out.time_ms = time_ms / spec_.frame_ms * spec_.frame_ms;
    return true;
  }
  void SeekAudio(uint32_t time_ms) override { sound_at_ = uint64_t(time_ms) * 16; }
  bool ReadAudio(std::vector<uint8_t>& out, size_t max_bytes) override {
    uint64_t total = uint64_t(spec_.duration_ms) * 16;  // 8,000 frames of 2 bytes a second
    if (!spec_.audio || sound_at_ >= total) return false;
    size_t n = size_t(std::min<uint64_t>(max_bytes & ~size_t(1), total - sound_at_));
    out.resize(out.size() + n);
    sound_at_ += n;
    return true;
  }

 private:
  FakeSpec spec_;
  MovieInfo info_;
  uint64_t sound_at_ = 0;
};

class FakeService : public MovieService {
 public:
  std::map<std::string, FakeSpec> movies;
  int opened = 0;
  MovieOpenResult Open(const std::string& path) override {
    auto it = movies.find(path);
    if (it == movies.end()) return {nullptr, MovieError::kMissing};
    ++opened;
    return {std::make_unique<FakeMovie>(it->second), MovieError::kNone};
  }
  // A movie held in memory is found by its bytes, read as a name.
  MovieOpenResult OpenMemory(std::vector<uint8_t> bytes) override {
    return Open(std::string(bytes.begin(), bytes.end()));
  }
};

struct Shown {
  Rect rect;
  uint32_t time_ms;
  bool on_top;
};

class RecordingMovieHost : public MovieHost {
 public:
  Size WindowSize() override { return {640, 480}; }
  void ShowMovieFrame(const Rect& rect, const MovieFrame& frame, bool on_top) override {
    shown.push_back({rect, frame.time_ms, on_top});
  }
  void EraseMovie(const Rect& rect) override { erased.push_back(rect); }
  int Alert(int id) override {
    alerts.push_back(id);
    return 1;
  }
  void Log(const std::string& line) override { log.push_back(line); }

  std::vector<Shown> shown;
  std::vector<Rect> erased;
  std::vector<int> alerts;
  std::vector<std::string> log;
};

class Movies : public ::testing::Test {
 protected:
  Movies() {
    service.movies["clip.mov"] = FakeSpec{};
    service.movies["song.aif"] = Spec({0, 0}, 500, true);
    service.movies["talk.mov"] = Spec({40, 30}, 400, true);
  }
  MovieStart Start(const std::string& path, uint16_t id, uint32_t options = 0,
                   Rect rect = {10, 20, 50, 50}) {
    MovieStart s;
    s.id = id;
    s.path = path;
    s.name = path;
    s.rect = rect;
    s.options = options;
    return s;
  }
  // Runs the manager's idle time every 55 ms (timer 1) up to `ms` from now.
  void RunFor(uint32_t ms) {
    for (uint32_t t = 0; t < ms; t += 55) {
      clock.Advance(std::min<uint32_t>(55, ms - t));
      manager.IdleMovies();
    }
  }
  uint32_t LastShownTime() const { return host.shown.empty() ? 9999 : host.shown.back().time_ms; }

  VirtualClock clock;
  FakeService service;
  RecordingAudioOutput audio{clock};
  RecordingMovieHost host;
  MovieManager manager{&service, &audio, clock, host};
};

TEST_F(Movies, FramesFollowTheClockUntilTheEnd) {
  ASSERT_TRUE(manager.StartMovie(Start("clip.mov", 7)));
  EXPECT_EQ(LastShownTime(), 0u);
  const std::pair<uint32_t, uint32_t> due[] = {{60, 0}, {250, 200}, {510, 500}, {900, 900}};
  uint32_t now = 0;
  for (auto [at, frame] : due) {
    RunFor(at - now);
    now = at;
    EXPECT_EQ(LastShownTime(), frame) << at;
    EXPECT_FALSE(manager.IsMovieFinished(7));
  }
  RunFor(200);
  EXPECT_TRUE(manager.IsMovieFinished(7));
  EXPECT_TRUE(manager.AreAllMoviesFinished());
  EXPECT_EQ(host.shown.back().rect, (Rect{10, 20, 50, 50}));
  EXPECT_FALSE(host.shown.back().on_top);
  EXPECT_TRUE(host.erased.empty());  // not hidden at its end
  EXPECT_EQ(host.log, (std::vector<std::string>{"movie 7 \"clip.mov\" started",
                                                "movie 7 \"clip.mov\" finished"}));
}

TEST_F(Movies, PlayOptionsLoopHideAndOnTop) {
  ASSERT_TRUE(manager.StartMovie(Start("clip.mov", 1, action::kMovieLoop | action::kMovieOnTop)));
  RunFor(1100);
  EXPECT_FALSE(manager.IsMovieFinished(1));  // looping never finishes
  EXPECT_LT(LastShownTime(), 200u);
  EXPECT_TRUE(host.shown.back().on_top);
  manager.StopMovies(true, false);

  ASSERT_TRUE(manager.StartMovie(Start("clip.mov", 2, action::kMovieHideAtEnd)));
  RunFor(1100);
  EXPECT_TRUE(manager.IsMovieFinished(2));
  ASSERT_EQ(host.erased.size(), 2u);  // stopped with invalidation, then hidden at its end
  EXPECT_EQ(host.erased.back(), (Rect{10, 20, 50, 50}));
  size_t shown = host.shown.size();
  RunFor(200);
  EXPECT_EQ(host.shown.size(), shown);  // hidden: no more frames
  // Starting it again shows it again, from its first frame, without opening it again.
  int opened = service.opened;
  ASSERT_TRUE(manager.StartMovie(Start("clip.mov", 2, action::kMovieHideAtEnd)));
  EXPECT_EQ(service.opened, opened);
  EXPECT_EQ(manager.count(), 1u);
  EXPECT_EQ(LastShownTime(), 0u);
  EXPECT_FALSE(manager.IsMovieFinished(2));
}

TEST_F(Movies, WhereMoviesShowAndWhatCannotStart) {
  // All zero: the natural size in the middle of the window.
  ASSERT_TRUE(manager.StartMovie(Start("clip.mov", 1, 0, {})));
  EXPECT_EQ(host.shown.back().rect, (Rect{300, 225, 340, 255}));
  // Without pictures: the alert, 200 wide and 0 high, nothing drawn.
  size_t shown = host.shown.size();
  ASSERT_TRUE(manager.StartMovie(Start("song.aif", 2, 0, {})));
  EXPECT_EQ(host.alerts, std::vector<int>{MovieManager::kAlertNoPictures});
  EXPECT_EQ(host.shown.size(), shown);
  // Missing files start nothing and leave the list as it was.
  EXPECT_FALSE(manager.StartMovie(Start("absent.mov", 3)));
  EXPECT_FALSE(manager.StartMovie(Start("", 3)));
  EXPECT_EQ(manager.count(), 2u);
  EXPECT_TRUE(manager.IsMovieFinished(3));  // no such movie
  MovieManager without_service(nullptr, nullptr, clock, host);
  EXPECT_FALSE(without_service.StartMovie(Start("clip.mov", 1)));
}

TEST_F(Movies, SoundOnlyMoviesAndTheMediaWait) {
  ASSERT_TRUE(manager.StartMovie(Start("song.aif", 4, action::kMovieNoWait)));
  ASSERT_TRUE(manager.StartMovie(Start("clip.mov", 5, action::kMovieNoWait)));
  EXPECT_TRUE(manager.IsMovieFinished(4));  // the wait does not wait for either
  EXPECT_TRUE(manager.IsMovieFinished(5));
  EXPECT_TRUE(manager.IsMediaPlaying());
  ASSERT_EQ(audio.played().size(), 1u);
  EXPECT_EQ(audio.played()[0].format, (AudioFormat{8000, 1, SampleFormat::kS16LE}));
  // Stopping without force keeps the sound that does not hold up the wait.
  manager.StopMovies(true, false);
  EXPECT_EQ(manager.count(), 1u);
  EXPECT_EQ(host.erased.size(), 1u);
  RunFor(600);
  EXPECT_FALSE(manager.IsMediaPlaying());
  EXPECT_EQ(audio.played()[0].bytes, 8000u);  // all half second of it
  manager.StopMovies(false, true);
  EXPECT_EQ(manager.count(), 0u);
  EXPECT_EQ(audio.OpenStreams(), 0u);
}

// Sound players (movie data played as a sound) are heard and never shown, go on across
// card changes, and end with the sounds, as do sound-only movies.
TEST_F(Movies, SoundPlayersAndStoppingTheSounds) {
  MovieStart tune = Start("", 0, action::kMovieController | action::kMovieVolume);
  tune.from_memory = true;
  tune.memory = {'t', 'a', 'l', 'k', '.', 'm', 'o', 'v'};
  tune.volume = 10;
  ASSERT_TRUE(manager.StartSound(tune));
  EXPECT_FALSE(manager.StartSound(Start("clip.mov", 0)));  // nothing to hear
  EXPECT_FALSE(manager.StartSound(Start("none.mov", 0)));
  EXPECT_TRUE(manager.SoundsPlaying());
  EXPECT_TRUE(manager.IsMediaPlaying());
  EXPECT_TRUE(manager.AreAllMoviesFinished());  // not one of the card's movies
  ASSERT_EQ(audio.played().size(), 1u);
  EXPECT_EQ(audio.played()[0].volume, kFullVolume);
  manager.StopMovies(true, true);
  RunFor(450);
  EXPECT_TRUE(host.shown.empty());
  EXPECT_TRUE(host.alerts.empty());
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(audio.played()[0].bytes, 6400u);  // all 400 ms of it
  EXPECT_FALSE(manager.SoundsPlaying());
  EXPECT_EQ(manager.sound_count(), 0u);  // let go once finished
  EXPECT_EQ(audio.OpenStreams(), 0u);

  // Stopping the sounds ends sound players and sound-only movies, not other movies.
  ASSERT_TRUE(manager.StartSound(tune));
  ASSERT_TRUE(manager.StartMovie(Start("song.aif", 4, action::kMovieNoWait)));
  ASSERT_TRUE(manager.StartMovie(Start("talk.mov", 5)));
  manager.StopSounds();
  EXPECT_FALSE(manager.IsMediaPlaying());
  EXPECT_EQ(manager.sound_count(), 0u);
  EXPECT_EQ(manager.count(), 1u);
  EXPECT_FALSE(manager.IsMovieFinished(5));
}

TEST_F(Movies, SoundCarriesTheVolumeAndTheClock) {
  MovieStart start = Start("talk.mov", 6, action::kMovieVolume);
  start.volume = 128;
  ASSERT_TRUE(manager.StartMovie(start));
  ASSERT_EQ(audio.played().size(), 1u);
  EXPECT_EQ(audio.played()[0].volume, 128);
  RunFor(330);
  EXPECT_EQ(LastShownTime(), 300u);
  RunFor(200);
  EXPECT_TRUE(manager.IsMovieFinished(6));
  EXPECT_FALSE(audio.played()[0].stopped_early);
}

TEST_F(Movies, ControlCodesActOnTheNewestMovie) {
  ASSERT_TRUE(manager.StartMovie(Start("clip.mov", 1)));
  ASSERT_TRUE(manager.StartMovie(Start("clip.mov", 2, 0, {100, 100, 140, 130})));
  RunFor(330);
  struct Step {
    int code;
    uint32_t advance_ms;
    uint32_t frame;  // the newest movie's frame afterwards
  } steps[] = {
      {2, 400, 300},  // stop: it stays where it was
      {3, 0, 400},    // one frame forward
      {3, 0, 500},    //
      {4, 0, 400},    // one back
      {1, 220, 600},  // play on from there
      {5, 300, 0},    // to the start, stopped
      {9, 300, 0},    // unknown codes do nothing
      {0, 0, 0},
  };
  for (const Step& s : steps) {
    manager.MovieControl(s.code);
    RunFor(s.advance_ms);
    Shown newest{};
    for (const Shown& f : host.shown)
      if (f.rect.left == 100) newest = f;
    EXPECT_EQ(newest.time_ms, s.frame) << "code " << s.code;
  }
  // The older movie played on meanwhile and finished.
  EXPECT_TRUE(manager.IsMovieFinished(1));
  EXPECT_FALSE(manager.IsMovieFinished(2));
  manager.RestartMovie(2);
  RunFor(120);
  EXPECT_EQ(LastShownTime(), 100u);
}

constexpr uint32_t Tag(const char (&code)[5]) {
  return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 |
         uint32_t(uint8_t(code[2])) << 16 | uint32_t(uint8_t(code[3])) << 24;
}

// Only AVI files with Indeo 3.2 pictures would have needed the video window.
TEST(MovieEngine, WhichMoviesKeepTheVideoWindowsWays) {
  struct Case {
    const char* path;
    uint32_t tag;
    bool video;
    bool window;
  } cases[] = {
      {"a.avi", Tag("IV32"), true, true},   {"A.AVI", Tag("iv32"), true, true},
      {"a.avi", Tag("iv31"), true, false},  {"a.avi", Tag("cvid"), true, false},
      {"a.avi", Tag("MSVC"), true, false},  {"a.mov", Tag("IV32"), true, false},
      {"a.avi", Tag("IV32"), false, false}, {"avi", Tag("IV32"), true, false},
  };
  for (const Case& c : cases) {
    MovieInfo info;
    info.has_video = c.video;
    info.video_codec_tag = c.tag;
    EXPECT_EQ(PlaysInVideoWindow(c.path, info), c.window) << c.path << " " << c.tag;
  }
}

TEST_F(Movies, FirstFramesForTheCardPicture) {
  service.movies["old.avi"] = Spec({40, 30}, 1000, false, Tag("IV32"));
  service.movies["new.avi"] = Spec({40, 30}, 1000, false, Tag("cvid"));
  struct Case {
    const char* path;
    Rect rect;
    bool drawn;
    Rect where;
    Size size;
  } cases[] = {
      {"clip.mov", {10, 20, 110, 100}, true, {10, 20, 110, 100}, {100, 80}},
      {"clip.mov", {}, true, {300, 225, 340, 255}, {40, 30}},                // natural, centred
      {"old.avi", {10, 20, 110, 100}, true, {10, 20, 110, 100}, {100, 54}},  // less the toolbar
      {"new.avi", {10, 20, 110, 100}, true, {10, 20, 110, 100}, {100, 80}},
      {"old.avi", {10, 20, 110, 40}, false, {}, {}},    // no room below the toolbar
      {"song.aif", {10, 20, 110, 100}, false, {}, {}},  // no pictures
      {"absent.mov", {10, 20, 110, 100}, false, {}, {}},
  };
  for (const Case& c : cases) {
    FirstFrame first;
    ASSERT_EQ(manager.FirstFrameOf(Start(c.path, 1, 0, c.rect), first), c.drawn) << c.path;
    if (!c.drawn) continue;
    EXPECT_EQ(first.rect, c.where) << c.path;
    EXPECT_EQ(Size(first.frame.width, first.frame.height), c.size) << c.path;
    EXPECT_EQ(first.frame.time_ms, 0u);
  }
  // Cards are drawn often: the same movie is not opened again.
  int opened = service.opened;
  FirstFrame again;
  EXPECT_TRUE(manager.FirstFrameOf(Start("clip.mov", 1, 0, {10, 20, 110, 100}), again));
  EXPECT_EQ(service.opened, opened);
  EXPECT_TRUE(host.alerts.empty());
  EXPECT_EQ(manager.count(), 0u);
}

// The bar of a 200 x 100 movie: its parts, what points on it mean, and its time.
TEST(MovieController, LayoutHitsAndTimes) {
  const Rect movie{0, 0, 200, 100};
  ControllerLayout l = LayoutController(movie, 500, 1000);
  EXPECT_EQ(l.bar, (Rect{0, 84, 200, 100}));
  EXPECT_EQ(l.button, (Rect{0, 84, 16, 100}));
  EXPECT_EQ(l.time, (Rect{164, 84, 200, 100}));
  EXPECT_EQ(l.track, (Rect{20, 89, 160, 95}));
  EXPECT_EQ(l.thumb.left, 20 + 67);  // half of the 134 pixels the thumb travels
  EXPECT_EQ(PictureArea(movie), (Rect{0, 0, 200, 84}));
  const std::pair<Point, ControllerPart> hits[] = {{{5, 90}, ControllerPart::kButton},
                                                   {{100, 85}, ControllerPart::kTrack},
                                                   {{100, 50}, ControllerPart::kNone},
                                                   {{180, 90}, ControllerPart::kNone},
                                                   {{100, 100}, ControllerPart::kNone}};
  for (auto [p, part] : hits) EXPECT_EQ(HitController(l, p), part) << p.x << "," << p.y;
  const std::pair<int, uint32_t> times[] = {{0, 0}, {23, 0}, {90, 500}, {157, 1000}, {400, 1000}};
  for (auto [x, ms] : times) EXPECT_EQ(TrackTime(l, x, 1000), ms) << x;
  EXPECT_EQ(ControllerTime(0), "0:00");
  EXPECT_EQ(ControllerTime(65'999), "1:05");
  EXPECT_EQ(ControllerTime(3'600'000), "60:00");
  // A bar too narrow for the time keeps the button and the track.
  l = LayoutController({0, 0, 60, 40}, 0, 1000);
  EXPECT_TRUE(l.time.Empty());
  EXPECT_GT(l.track.Width(), 0);
}

class RecordingControllerHost : public RecordingMovieHost {
 public:
  void ShowController(const ControllerView& view) override { bars.push_back(view); }
  std::vector<ControllerView> bars;
};

TEST(MovieController, ThePlayerUsesTheBar) {
  VirtualClock clock;
  FakeService service;
  service.movies["clip.mov"] = FakeSpec{};
  RecordingControllerHost host;
  MovieManager manager(&service, nullptr, clock, host);
  MovieStart start;
  start.id = 1;
  start.path = "clip.mov";
  start.rect = {0, 0, 200, 100};
  start.options = action::kMovieController;
  ASSERT_TRUE(manager.StartMovie(start));
  ASSERT_FALSE(host.bars.empty());
  EXPECT_TRUE(host.bars.back().playing);
  EXPECT_EQ(host.shown.back().rect, (Rect{0, 0, 200, 84}));  // the picture above the bar
  auto run = [&](uint32_t ms) {
    for (uint32_t t = 0; t < ms; t += 50) clock.Advance(50), manager.IdleMovies();
  };
  run(250);
  EXPECT_EQ(host.shown.back().time_ms, 200u);
  // The button pauses; the picture stays; Space plays on from there.
  EXPECT_TRUE(manager.PressController({5, 90}));
  EXPECT_FALSE(host.bars.back().playing);
  run(300);
  EXPECT_EQ(host.shown.back().time_ms, 200u);
  EXPECT_TRUE(manager.TogglePlay());
  EXPECT_TRUE(host.bars.back().playing);
  run(100);
  EXPECT_EQ(host.shown.back().time_ms, 300u);
  // Dragging the thumb shows the frames it passes; the release plays on.
  EXPECT_TRUE(manager.PressController({157, 90}));
  EXPECT_TRUE(manager.dragging_controller());
  EXPECT_EQ(host.shown.back().time_ms, 900u);
  manager.DragController({90, 150});  // off the bar, still dragging
  EXPECT_EQ(host.shown.back().time_ms, 500u);
  EXPECT_EQ(host.bars.back().time, "0:00");
  manager.ReleaseController();
  EXPECT_FALSE(manager.dragging_controller());
  run(150);
  EXPECT_EQ(host.shown.back().time_ms, 600u);
  // Elsewhere, and movies without a bar, take nothing.
  EXPECT_FALSE(manager.PressController({100, 50}));
  manager.StopMovies(false, true);
  start.options = 0;
  ASSERT_TRUE(manager.StartMovie(start));
  EXPECT_FALSE(manager.PressController({5, 90}));
  EXPECT_FALSE(manager.TogglePlay());
}

// A movie that names its own controller type shows a bar only when the stack asks for
// that controller; others show it for the ordinary controller option.
TEST(MovieController, MoviesNamingTheirOwnControllerShowItOnlyWhenAskedForIt) {
  struct Case {
    uint32_t controller_type;
    uint32_t options;
    bool bar;
  };
  const Case cases[] = {
      {0, 0, false},
      {0, action::kMovieController, true},
      {0, action::kMovieOwnController, false},
      {0x73746472, 0, false},
      {0x73746472, action::kMovieController, false},
      {0x73746472, action::kMovieOwnController, true},
      {0x73746472, action::kMovieController | action::kMovieOwnController, true},
  };
  for (const Case& c : cases) {
    VirtualClock clock;
    FakeService service;
    FakeSpec spec;
    spec.controller_type = c.controller_type;
    service.movies["clip.mov"] = spec;
    RecordingControllerHost host;
    MovieManager manager(&service, nullptr, clock, host);
    MovieStart start;
    start.id = 1;
    start.path = "clip.mov";
    start.rect = {0, 0, 200, 100};
    start.options = c.options;
    ASSERT_TRUE(manager.StartMovie(start));
    EXPECT_EQ(!host.bars.empty(), c.bar) << c.controller_type << " " << c.options;
  }
}

}  // namespace
}  // namespace corvida

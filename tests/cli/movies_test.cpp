// Movies on cards end to end: a stack made by `corvida build` whose buttons play movies
// made at test time, played by `corvida replay` on the virtual clock; the shots show the
// frame due at each moment inside the rectangle, under the card's objects.
#include <gtest/gtest.h>

#include "platform/gfx/png.h"
#include "support/audio_analysis.h"
#include "support/movie_writer.h"
#include "support/test_support.h"

namespace corvida::movies_test {
namespace {

using testing::RunCorvida;
using testing::TempDir;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// Buttons: "Play" plays over [20,20]-[120,100] with a button "Over" lying on its corner;
// "Bar" shows the controller bar; "Hide" hides the movie at its end; "Wait" plays then goes to the
// next card (the media wait waits for the movie); "NoWait" the same with option 0x0100.
const char* kStack = R"({
  "stack": {"width": 200, "height": 150, "depth": 8},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [
       {"type": "button", "id": 1, "rect": [150, 10, 190, 30], "name": "Play",
        "actions": [{"kind": "movie", "path": "Disk:clip.mov", "rect": [20, 20, 120, 100],
                     "movieId": 1}]},
       {"type": "button", "id": 2, "rect": [100, 80, 140, 110], "name": "Over"},
       {"type": "button", "id": 3, "rect": [150, 40, 190, 60], "name": "Hide",
        "actions": [{"kind": "movie", "path": "Disk:clip.avi", "rect": [20, 20, 120, 100],
                     "options": 8, "movieId": 3}]},
       {"type": "button", "id": 4, "rect": [150, 70, 190, 90], "name": "Wait",
        "destination": 11,
        "actions": [{"kind": "movie", "path": "Disk:clip.mov", "rect": [20, 20, 120, 100],
                     "movieId": 4}]},
       {"type": "button", "id": 5, "rect": [150, 120, 190, 140], "name": "NoWait",
        "destination": 11,
        "actions": [{"kind": "movie", "path": "Disk:clip.mov", "rect": [20, 20, 120, 100],
                     "options": 256, "movieId": 5}]},
       {"type": "button", "id": 6, "rect": [10, 120, 50, 140], "name": "Gone",
        "actions": [{"kind": "movie", "path": "Disk:none.mov", "rect": [20, 20, 120, 100],
                     "movieId": 6}]},
       {"type": "button", "id": 9, "rect": [60, 115, 95, 135], "name": "Bar",
        "actions": [{"kind": "movie", "path": "Disk:clip.mov", "rect": [20, 20, 120, 100],
                     "options": 1, "movieId": 9}]}
     ]},
    {"id": 11, "name": "Two",
     "objects": [
       {"type": "button", "id": 7, "rect": [150, 10, 190, 30], "name": "First",
        "actions": [{"kind": "movie", "path": "Disk:clip.mov", "rect": [20, 20, 120, 100],
                     "options": 4, "movieId": 7}]},
       {"type": "button", "id": 8, "rect": [100, 80, 140, 110], "name": "Over", "style": 2}
     ]},
    {"id": 12, "name": "Three",
     "objects": [
       {"type": "button", "id": 21, "rect": [60, 115, 95, 135], "name": "Bar",
        "actions": [{"kind": "movie", "path": "Disk:clip.mov", "rect": [20, 20, 120, 100],
                     "options": 1, "movieId": 21}]},
       {"type": "field", "id": 22, "rect": [30, 2, 140, 18], "name": "Note", "text": ""}
     ]},
    {"id": 13, "name": "Four",
     "objects": [
       {"type": "button", "id": 31, "rect": [150, 10, 190, 30], "name": "Show",
        "actions": [{"kind": "movie", "path": "Disk:clip.mov", "rect": [20, 20, 120, 100],
                     "options": 12, "movieId": 31}]},
       {"type": "button", "id": 32, "rect": [40, 40, 80, 80], "style": 4, "name": "",
        "displayFlags": 0},
       {"type": "button", "id": 33, "rect": [100, 80, 140, 110], "name": "Over", "style": 2}
     ]}
  ]
})";

class MoviesOnCards : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("s.json", kStack);
    auto r = RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")});
    ASSERT_EQ(r.status, 0) << r.err;
    // Three frames at 10 a second: red from 0, green from 100, blue from 200 ms.
    testing::TestMovieSpec spec = testing::VideoSpec("mov", "qtrle", 32, 24, {kRed, kGreen, kBlue});
    ASSERT_EQ(testing::WriteTestMovie(dir.File("clip.mov"), spec), "");
    spec.container = "avi";
    spec.video_codec = "msvideo1";
    ASSERT_EQ(testing::WriteTestMovie(dir.File("clip.avi"), spec), "");
  }
  std::string Play(const std::string& events) {
    dir.Write("events.txt", events);
    auto r =
        RunCorvida({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out")});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string first = "card 1 id 10 \"One\"\n";
    EXPECT_EQ(r.out.rfind(first, 0), 0u) << r.out;
    return r.out.substr(std::min(first.size(), r.out.size()));
  }
  gfx::Rgb Pixel(const std::string& shot, int x, int y) {
    gfx::Bitmap b;
    EXPECT_TRUE(gfx::ReadPngFile(dir.File("out/" + shot), b)) << shot;
    return b.empty() ? gfx::Rgb{} : b.ColorAt(x, y);
  }
  static uint32_t Packed(gfx::Rgb c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }
  TempDir dir;
};

TEST_F(MoviesOnCards, TheFrameDueShowsInTheRectangleUnderTheObjects) {
  std::string out = Play(
      "shot before.png\nclick 160 20\nwait 50\nshot red.png\nwait 100\nshot green.png\n"
      "wait 110\nshot blue.png\nwait 400\n");
  EXPECT_EQ(out,
            "shot before.png\nbutton 1 \"Play\"\nmovie \"clip.mov\"\n"
            "movie 1 \"clip.mov\" started\nshot red.png\nshot green.png\nshot blue.png\n"
            "movie 1 \"clip.mov\" finished\n");
  const std::pair<const char*, uint32_t> shots[] = {
      {"red.png", kRed}, {"green.png", kGreen}, {"blue.png", kBlue}};
  for (auto [shot, colour] : shots) {
    EXPECT_EQ(Packed(Pixel(shot, 21, 21)), colour) << shot;
    EXPECT_EQ(Packed(Pixel(shot, 119, 99 - 25)), colour) << shot;
    // Outside the rectangle and inside the button over its corner: the card as it was.
    EXPECT_EQ(Packed(Pixel(shot, 19, 50)), Packed(Pixel("before.png", 19, 50))) << shot;
    EXPECT_EQ(Packed(Pixel(shot, 110, 95)), Packed(Pixel("before.png", 110, 95))) << shot;
  }
}

TEST_F(MoviesOnCards, HiddenAtItsEndTheCardShowsAgain) {
  std::string out = Play("click 160 50\nwait 150\nshot playing.png\nwait 500\nshot after.png\n");
  EXPECT_NE(out.find("movie 3 \"clip.avi\" finished\n"), std::string::npos) << out;
  EXPECT_EQ(Packed(Pixel("playing.png", 60, 60)), kGreen);
  EXPECT_EQ(Packed(Pixel("after.png", 60, 60)), 0xFFFFFFu);
}

TEST_F(MoviesOnCards, TheMediaWaitWaitsForTheMovieUnlessToldNotTo) {
  EXPECT_EQ(Play("click 160 80\n"),
            "button 4 \"Wait\"\nmovie \"clip.mov\"\nmovie 4 \"clip.mov\" started\n"
            "movie 4 \"clip.mov\" finished\ncard 2 id 11 \"Two\"\n");
  EXPECT_EQ(Play("click 160 130\n"),
            "button 5 \"NoWait\"\nmovie \"clip.mov\"\nmovie 5 \"clip.mov\" started\n"
            "movie 5 \"clip.mov\" stopped\ncard 2 id 11 \"Two\"\n");
  // A movie that is not there is asked for; cancelled, it starts nothing.
  EXPECT_EQ(Play("click 20 130\nwait 300\n"),
            "button 6 \"Gone\"\n"
            "dialog LOCATE_FILE \"Please find the movie named: none.mov\"\n"
            "dialog LOCATE_FILE cancelled\nmovie \"none.mov\"\n");
}

// The controller bar takes the bottom 16 rows over the objects; its button pauses the
// movie, which Space plays on to its end.
TEST_F(MoviesOnCards, TheControllerBarPausesAndSpacePlaysOn) {
  std::string out = Play(
      "shot before.png\nclick 70 125\nwait 150\nclick 25 92\nwait 400\nshot paused.png\n"
      "key space\nwait 300\n");
  EXPECT_EQ(out,
            "shot before.png\nbutton 9 \"Bar\"\nmovie \"clip.mov\"\n"
            "movie 9 \"clip.mov\" started\nshot paused.png\nmovie 9 \"clip.mov\" finished\n");
  EXPECT_EQ(Packed(Pixel("paused.png", 60, 50)), kGreen);        // the frame it was paused on
  EXPECT_EQ(Packed(Pixel("paused.png", 60, 82)), kGreen);        // pictures end above the bar
  for (auto [x, y] : {std::pair{50, 86}, std::pair{110, 86}}) {  // the bar, also over "Over"
    EXPECT_NE(Packed(Pixel("paused.png", x, y)), Packed(Pixel("before.png", x, y))) << x;
    EXPECT_NE(Packed(Pixel("paused.png", x, y)), kGreen) << x;
  }
}

// While a field takes typed text (card Three's field has the focus), Space is the
// field's: the paused movie stays paused.
TEST_F(MoviesOnCards, SpaceTypedInAFieldLeavesTheMoviePaused) {
  std::string out = Play(
      "command 204\ncommand 204\nclick 70 125\nwait 150\nclick 25 92\nkey space\n"
      "wait 400\n");
  EXPECT_NE(out.find("movie 21 \"clip.mov\" started\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("finished"), std::string::npos) << out;
}

// A card drawn anew (here with its objects' outlines, while Shift and Ctrl are held) does
// not wipe out a paused movie: its frame and bar show again.
TEST_F(MoviesOnCards, ARedrawnCardShowsThePausedFrameAgain) {
  Play(
      "click 70 125\nwait 150\nclick 25 92\nwait 100\nhold shift\nhold ctrl\nwait 100\n"
      "shot outlines.png\nrelease ctrl\nrelease shift\nwait 100\nshot after.png\n");
  for (const char* shot : {"outlines.png", "after.png"}) {
    EXPECT_EQ(Packed(Pixel(shot, 60, 50)), kGreen) << shot;
    EXPECT_NE(Packed(Pixel(shot, 50, 86)), 0xFFFFFFu) << shot;  // the bar
  }
}

// `replay --audio` hears a movie's sound from the moment its button is clicked, for as
// long as the movie plays.
TEST_F(MoviesOnCards, TheReplaysCaptureHearsTheMoviesSound) {
  testing::TestMovieSpec spec = testing::VideoSpec("mov", "qtrle", 32, 24, {kRed, kGreen, kBlue});
  spec.audio_codec = "pcm_s16be";
  spec.audio_ms = 300;
  ASSERT_EQ(testing::WriteTestMovie(dir.File("clip.mov"), spec), "");
  dir.Write("events.txt", "wait 200\nclick 160 20\nwait 800\n");
  auto r = RunCorvida({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out"),
                       "--audio", dir.File("heard.wav")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("movie 1 \"clip.mov\" finished\n"), std::string::npos) << r.out;
  constexpr int kRate = 44100;
  const std::vector<int16_t> heard = testing::WavFrames(dir.Read("heard.wav"));
  const auto span = [&](int from_ms, int ms) {
    return testing::StereoSpan{heard, size_t(from_ms) * kRate / 1000, size_t(ms) * kRate / 1000};
  };
  ASSERT_GE(heard.size() / 2, size_t(1000) * kRate / 1000);
  EXPECT_LT(testing::Rms(span(0, 190)), 10);  // nothing before the click
  EXPECT_NEAR(testing::Rms(span(250, 200)), 8000 / 1.4142, 400);
  EXPECT_NEAR(testing::ToneHertz(span(250, 200), kRate), 440, 15);
  EXPECT_LT(testing::Rms(span(600, 350)), 10);  // and nothing after the movie
}

// A movie with option 0x0004 shows its first frame in the card before it plays, under
// the card's objects (here an opaque button).
TEST_F(MoviesOnCards, FirstFramesArePartOfTheCardPicture) {
  Play("command 204\nshot first.png\n");
  EXPECT_EQ(Packed(Pixel("first.png", 60, 60)), kRed);
  EXPECT_EQ(Packed(Pixel("first.png", 119, 70)), kRed);
  EXPECT_EQ(Packed(Pixel("first.png", 19, 60)), 0xFFFFFFu);
  EXPECT_NE(Packed(Pixel("first.png", 110, 95)), kRed);
}

// A first frame lies in the card picture under the objects: an invisible button over it
// lets it show through, and when a movie hidden at its end goes, the first frame is
// there again, as the card picture it is part of.
TEST_F(MoviesOnCards, FirstFramesShowThroughInvisibleButtonsAndComeBackAfterAHiddenMovie) {
  std::string out = Play(
      "command 205\nshot first.png\nclick 160 20\nwait 150\nshot playing.png\nwait 500\n"
      "shot after.png\n");
  EXPECT_NE(out.find("movie 31 \"clip.mov\" finished\n"), std::string::npos) << out;
  const struct {
    const char* shot;
    int x, y;
    bool red;
  } cases[] = {
      {"first.png", 30, 30, true},     // the first frame
      {"first.png", 60, 60, true},     // under the invisible button
      {"first.png", 110, 95, false},   // under the opaque button "Over"
      {"playing.png", 30, 30, false},  // the second frame plays there
      {"after.png", 30, 30, true},     // hidden at its end: the first frame again
      {"after.png", 60, 60, true},     //
      {"after.png", 110, 95, false},   //
  };
  for (const auto& c : cases)
    EXPECT_EQ(Packed(Pixel(c.shot, c.x, c.y)) == kRed, c.red) << c.shot << " " << c.x << "," << c.y;
  EXPECT_EQ(Packed(Pixel("playing.png", 30, 30)), kGreen);
}

}  // namespace
}  // namespace corvida::movies_test

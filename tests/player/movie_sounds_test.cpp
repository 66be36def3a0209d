// Movie data played as sounds, heard in the headless output's capture: a stored sound
// whose flag bit 2 says it holds a whole movie, a movie file played as a sound, and a
// sound file our readers refuse but the movie engine reads. "Stop All Sounds" ends them,
// and the media wait waits for them.
#include <gtest/gtest.h>

#include <cstdio>

#include "player_fixture.h"
#include "support/audio_analysis.h"
#include "support/movie_writer.h"

namespace corvida::movie_sounds_test {
namespace {

constexpr int kRate = RecordingAudioOutput::kRate;
constexpr double kToneRms = 8000 / 1.4142;  // the writer's 440 Hz tone

// Half a second of tone in a QuickTime movie with no pictures.
std::vector<uint8_t> ToneMovie() {
  testing::TestMovieSpec spec;
  spec.audio_codec = "pcm_s16be";
  spec.audio_ms = 500;
  return testing::TestMovieBytes(spec);
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string hex;
  char two[3];
  for (uint8_t b : bytes) std::snprintf(two, sizeof two, "%02X", b), hex += two;
  return hex;
}

// Buttons in a row of 20-pixel squares, button n at x = 20 (n - 1).
std::string Stack(const std::vector<uint8_t>& movie) {
  return R"({
  "stack": {"width": 120, "height": 40, "depth": 8},
  "cards": [
    {"id": 10, "name": "One", "objects": [
      {"type": "button", "id": 1, "rect": [0, 0, 20, 20], "name": "Stored",
       "actions": [{"kind": "stackSound", "id": 7, "flags": 4}]},
      {"type": "button", "id": 2, "rect": [20, 0, 40, 20], "name": "Movie file",
       "actions": [{"kind": "sound", "path": "Disk:tone.mov"}]},
      {"type": "button", "id": 3, "rect": [40, 0, 60, 20], "name": "Misnamed",
       "actions": [{"kind": "sound", "path": "Disk:tune.aif"}]},
      {"type": "button", "id": 4, "rect": [60, 0, 80, 20], "name": "Hush",
       "actions": [{"kind": "stackSound", "id": 3}]},
      {"type": "button", "id": 5, "rect": [80, 0, 100, 20], "name": "Play and go",
       "destination": 11, "actions": [{"kind": "stackSound", "id": 7, "flags": 4}]}
    ]},
    {"id": 11, "name": "Two"}
  ],
  "resources": [
    {"type": "Snd ", "id": 3, "name": "Stop All Sounds", "bytes": "03"},
    {"type": "Snd ", "id": 7, "name": "tone", "bytes": ")" +
         Hex(movie) + R"("}
  ]
})";
}

class MovieSounds : public testing::PlayerFixture {
 protected:
  void SetUp() override {
    tp.platform->recorded_audio().SetCapture(&capture);
    const std::vector<uint8_t> movie = ToneMovie();
    ASSERT_FALSE(movie.empty());
    const std::string bytes(movie.begin(), movie.end());
    tp.root.Write("tone.mov", bytes);
    tp.root.Write("tune.aif", bytes);  // not AIFF at all
    Start(Stack(movie));
    Settle(100);
  }
  void Click(int button, uint32_t ms) {
    Post(msg::kLButtonDown, mk::kLButton, MakePointParam((button - 1) * 20 + 10, 10));
    Post(msg::kLButtonUp, 0, MakePointParam((button - 1) * 20 + 10, 10));
    Settle(ms);
  }
  uint32_t Now() { return tp.platform->clock().Milliseconds(); }
  testing::StereoSpan Heard(uint32_t from_ms, uint32_t ms) {
    tp.platform->recorded_audio().CatchUp();
    const size_t first = size_t(from_ms + 20) * kRate / 1000,
                 count = size_t(ms - 40) * kRate / 1000;
    EXPECT_LE(first + count, capture.frames());
    return {capture.samples(), first,
            std::min(count, capture.frames() - std::min(first, capture.frames()))};
  }

  MemoryCapture capture;
};

TEST_F(MovieSounds, MovieDataIsHeardAsASound) {
  for (int button : {1, 2, 3}) {
    const uint32_t start = Now();
    Click(button, 300);
    EXPECT_NEAR(testing::Rms(Heard(start, 300)), kToneRms, 300) << button;
    EXPECT_NEAR(testing::ToneHertz(Heard(start, 300), kRate), 440, 15) << button;
    Click(4, 300);  // "Stop All Sounds" ends it at once
    EXPECT_NEAR(testing::Rms(Heard(start + 300, 300)), 0, 1) << button;
  }
  EXPECT_TRUE(Alerts().empty());  // no alert 2275: these are sounds, not movies to show
  EXPECT_EQ(window->media().movies().sound_count(), 0u);
}

TEST_F(MovieSounds, TheMediaWaitWaitsForThemAndTheyEnd) {
  const uint32_t start = Now();
  Click(5, 0);
  EXPECT_EQ(CardId(), 11);
  EXPECT_NEAR(double(Now() - start), 500, 60);
  Settle(200);
  EXPECT_EQ(window->media().movies().sound_count(), 0u);  // let go once finished
  EXPECT_FALSE(window->media().movies().IsMediaPlaying());
}

}  // namespace
}  // namespace corvida::movie_sounds_test

// Sounds played by buttons, heard in the headless output's capture: a new sound cuts off
// the one that plays, "Stop All Sounds" and "STOPSNDS.WAV" silence, an only-stop entry
// stops, unreadable sounds are reported once, sound files go through the import, and a
// sound holds the move of its button until it ends.
#include <gtest/gtest.h>

#include "player_fixture.h"
#include "support/audio_analysis.h"

namespace corvida::sound_player_test {
namespace {

constexpr int kRate = RecordingAudioOutput::kRate;

// Stored sounds of a test's own: the first byte n gives n half-seconds at level n x 1000
// (44.1 kHz mono); 0xFF is unreadable. A sound file is imported as its own bytes.
class FakeReader : public SoundReader {
 public:
  SoundDecodeResult Decode(std::span<const uint8_t> snd) override {
    if (snd.empty() || snd[0] == 0xFF) return {strid::kSoundUnreadable, {}};
    SoundDecodeResult r;
    r.pcm.format = {kRate, 1, SampleFormat::kS16LE};
    const auto level = static_cast<int16_t>(snd[0] * 1000);
    for (int i = 0; i < snd[0] * kRate / 2; ++i) {
      r.pcm.samples.push_back(uint8_t(level & 0xFF));
      r.pcm.samples.push_back(uint8_t(level >> 8));
    }
    return r;
  }
  SoundImportResult Import(std::span<const uint8_t> file, SoundFileKind) override {
    if (file.empty()) return {strid::kSoundFormatNotSupported, {}};
    return {0, std::vector<uint8_t>(file.begin(), file.end())};
  }
};

// Buttons in a row of 20-pixel squares: button n is at x = 20 (n - 1) on row 0, and the
// second row starts with button 6.
const char* kSounds = R"({
  "stack": {"width": 120, "height": 60, "depth": 8},
  "cards": [
    {"id": 10, "name": "One", "objects": [
      {"type": "button", "id": 1, "rect": [0, 0, 20, 20], "name": "Low",
       "actions": [{"kind": "stackSound", "id": 1}]},
      {"type": "button", "id": 2, "rect": [20, 0, 40, 20], "name": "High",
       "actions": [{"kind": "stackSound", "id": 2}]},
      {"type": "button", "id": 3, "rect": [40, 0, 60, 20], "name": "Hush",
       "actions": [{"kind": "stackSound", "id": 3}]},
      {"type": "button", "id": 4, "rect": [60, 0, 80, 20], "name": "Lower case",
       "actions": [{"kind": "stackSound", "id": 5}]},
      {"type": "button", "id": 5, "rect": [80, 0, 100, 20], "name": "Bad",
       "actions": [{"kind": "stackSound", "id": 4}]},
      {"type": "button", "id": 6, "rect": [0, 20, 20, 40], "name": "Only stop",
       "actions": [{"kind": "stackSound", "id": 1, "flags": 32768}]},
      {"type": "button", "id": 7, "rect": [20, 20, 40, 40], "name": "Low and go",
       "destination": 11, "actions": [{"kind": "stackSound", "id": 1}]},
      {"type": "button", "id": 8, "rect": [40, 20, 60, 40], "name": "File",
       "actions": [{"kind": "sound", "path": "Disk:high.wav"}]},
      {"type": "button", "id": 9, "rect": [60, 20, 80, 40], "name": "Stop file",
       "actions": [{"kind": "sound", "path": "Disk:stopsnds.wav"}]},
      {"type": "button", "id": 10, "rect": [80, 20, 100, 40], "name": "Movie file",
       "actions": [{"kind": "sound", "path": "Disk:clip.mov"}]},
      {"type": "button", "id": 11, "rect": [0, 40, 20, 60], "name": "Missing file",
       "actions": [{"kind": "sound", "path": "Disk:gone.wav"}]},
      {"type": "button", "id": 12, "rect": [20, 40, 40, 60], "name": "Empty file",
       "actions": [{"kind": "sound", "path": "Disk:empty.au"}]}
    ]},
    {"id": 11, "name": "Two"}
  ],
  "resources": [
    {"type": "Snd ", "id": 1, "name": "low", "bytes": "01"},
    {"type": "Snd ", "id": 2, "name": "high", "bytes": "02"},
    {"type": "Snd ", "id": 3, "name": "Stop All Sounds", "bytes": "03"},
    {"type": "Snd ", "id": 4, "name": "broken", "bytes": "FF"},
    {"type": "Snd ", "id": 5, "name": "stop all sounds", "bytes": "05"}
  ]
})";

class Sounds : public testing::PlayerFixture {
 protected:
  void SetUp() override {
    tp.platform->recorded_audio().SetCapture(&capture);
    tp.root.Write("high.wav", std::string(1, '\x02'));
    tp.root.Write("empty.au", "");
    tp.root.Write("clip.mov", "moov");
    Start(kSounds);
    window->media().sounds().set_reader(reader);
    Settle(100);
  }
  // Clicks button n and lets `ms` pass.
  void Click(int button, uint32_t ms) {
    const int x = ((button - 1) % 5) * 20 + 10, y = ((button - 1) / 5) * 20 + 10;
    Post(msg::kLButtonDown, mk::kLButton, MakePointParam(x, y));
    Post(msg::kLButtonUp, 0, MakePointParam(x, y));
    Settle(ms);
  }
  uint32_t Now() { return tp.platform->clock().Milliseconds(); }
  // The level heard from `from_ms` for `ms` milliseconds (inside edges kept off).
  double Level(uint32_t from_ms, uint32_t ms) {
    tp.platform->recorded_audio().CatchUp();
    const size_t first = size_t(from_ms + 5) * kRate / 1000, count = size_t(ms - 10) * kRate / 1000;
    EXPECT_LE(first + count, capture.frames());
    if (first + count > capture.frames()) return -1;
    return testing::Rms({capture.samples(), first, count, 0});
  }

  FakeReader reader;
  MemoryCapture capture;
};

TEST_F(Sounds, ANewSoundCutsOffTheOneThatPlays) {
  const uint32_t start = Now();
  Click(1, 200);   // half a second at 1000
  Click(2, 1500);  // a second at 2000, from 200 ms
  EXPECT_NEAR(Level(start, 200), 1000, 2);
  EXPECT_NEAR(Level(start + 200, 1000), 2000, 2);
  EXPECT_NEAR(Level(start + 1200, 300), 0, 1);
  EXPECT_EQ(window->media().sounds().count(), 0u);  // finished sounds are let go
}

TEST_F(Sounds, StopAllSoundsAndAnOnlyStopEntrySilenceWithoutPlaying) {
  // Button, and what is heard after it: the stored name must be exactly "Stop All Sounds".
  const struct {
    int button;
    double level_after;
  } cases[] = {{3, 0}, {6, 0}, {9, 0}, {4, 5000}};
  for (const auto& c : cases) {
    const uint32_t start = Now();
    Click(2, 200);
    Click(c.button, 400);
    EXPECT_NEAR(Level(start, 200), 2000, 2) << c.button;
    EXPECT_NEAR(Level(start + 200, 400), c.level_after, 2) << c.button;
    window->media().StopSound();
  }
}

TEST_F(Sounds, UnreadableSoundsAreReportedOnceAndPlayNothing) {
  const uint32_t start = Now();
  Click(2, 100);
  Click(5, 100);
  Click(5, 100);
  Click(12, 100);  // a sound file the reader refuses
  EXPECT_EQ(Alerts(), (std::vector<int>{strid::kSoundUnreadable, strid::kSoundFormatNotSupported}));
  EXPECT_NEAR(Level(start + 100, 300), 0, 1);  // the broken sound still stopped the other
  EXPECT_EQ(window->media().sounds().count(), 0u);
}

TEST_F(Sounds, SoundFilesPlayThroughTheImportAndOthersAreOnlyRecorded) {
  const uint32_t start = Now();
  Click(8, 300);  // high.wav
  EXPECT_NEAR(Level(start, 300), 2000, 2);
  Click(10, 100);  // clip.mov: the movie engine cannot read it either, and says nothing
  Click(8, 100);
  Click(11, 100);  // gone.wav
  EXPECT_NEAR(Level(start + 300, 100), 0, 1);
  EXPECT_NEAR(Level(start + 400, 100), 2000, 2);
  EXPECT_NEAR(Level(start + 500, 100), 0, 1);
  const std::vector<std::string> tail(log.end() - 7, log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"button 10 \"Movie file\"", "sound \"clip.mov\"",
                                            "button 8 \"File\"", "sound \"high.wav\"",
                                            "button 11 \"Missing file\"", "sound \"gone.wav\"",
                                            "missing \"gone.wav\""}));
  EXPECT_TRUE(Alerts().empty());
}

TEST_F(Sounds, ASoundHoldsItsButtonsMoveUntilItEndsOrAClick) {
  uint32_t start = Now();
  Click(7, 0);  // the media wait runs on the virtual clock
  EXPECT_EQ(CardId(), 11);
  EXPECT_NEAR(double(Now() - start), 500, 20);  // half a second of sound, then the move

  Post(msg::kCommand, 203);  // back to the first card
  Settle(100);
  ASSERT_EQ(CardId(), 10);
  // A click during the wait ends it; the sound goes on across the move.
  start = Now();
  Post(msg::kLButtonDown, mk::kLButton, MakePointParam(30, 30));
  Post(msg::kLButtonUp, 0, MakePointParam(30, 30));
  Post(msg::kLButtonDown, mk::kLButton, MakePointParam(110, 50));
  Settle(0);
  EXPECT_EQ(CardId(), 11);
  EXPECT_LT(Now() - start, 50u);
  Settle(300);
  EXPECT_NEAR(Level(start + 50, 200), 1000, 2);
}

}  // namespace
}  // namespace corvida::sound_player_test

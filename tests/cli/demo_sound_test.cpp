// The demo stack's sound: the ladybird card's Chirp button is heard in a replay's capture
// at the moment it is clicked, as the two rising notes the demo's sound file holds.
#include <gtest/gtest.h>

#include "support/audio_analysis.h"
#include "support/test_support.h"

namespace corvida {
namespace {

constexpr int kRate = 44100;

TEST(DemoStack, TheChirpButtonIsHeardWhenClicked) {
  testing::TempDir dir;
  auto r = testing::RunCorvida(
      {"build", testing::SourcePath("examples/demo/demo.json"), "-o", dir.File("demo.stk")});
  ASSERT_EQ(r.status, 0) << r.err;
  // On to the ladybird, half a second of quiet, then the click.
  dir.Write("events.txt", "command 204\nwait 500\nclick 215 300\nwait 1000\n");
  r = testing::RunCorvida({"replay", dir.File("demo.stk"), dir.File("events.txt"), "-o",
                           dir.File("out"), "--audio", dir.File("heard.wav")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("button 25 \"Chirp\"\nsound \"Chirp\"\n"), std::string::npos) << r.out;

  const std::vector<int16_t> heard = testing::WavFrames(dir.Read("heard.wav"));
  ASSERT_EQ(heard.size() / 2, size_t(1500) * kRate / 1000);
  const auto span = [&](int from_ms, int ms) {
    return testing::StereoSpan{heard, size_t(from_ms) * kRate / 1000, size_t(ms) * kRate / 1000};
  };
  EXPECT_LT(testing::Rms(span(0, 490)), 10);  // nothing before the click
  // The first note glides from 1,800 to 2,600 Hz, the second from 2,200 to 3,200 Hz.
  const double first = testing::ToneHertz(span(520, 80), kRate);
  const double second = testing::ToneHertz(span(700, 100), kRate);
  EXPECT_GT(first, 1800);
  EXPECT_LT(first, 2600);
  EXPECT_GT(second, 2200);
  EXPECT_LT(second, 3200);
  EXPECT_LT(testing::Rms(span(900, 500)), 10);  // and nothing after it ended
}

}  // namespace
}  // namespace corvida

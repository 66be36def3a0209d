// The demo stack's sound and film: the ladybird card's Chirp button is heard in a replay's
// capture at the moment it is clicked, as the two rising notes the demo's sound file holds;
// the cinema card's film shows its frames inside its rectangle, hums, and ends.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/gfx/png.h"
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

// The film sits on the grass for half a second, then the ladybird flies off while its
// wings hum; the card around the film's rectangle does not change, and the film ends
// after three seconds.
TEST(DemoStack, TheCinemaCardPlaysItsFilm) {
  testing::TempDir dir;
  auto r = testing::RunCorvida(
      {"build", testing::SourcePath("examples/demo/demo.json"), "-o", dir.File("demo.stk")});
  ASSERT_EQ(r.status, 0) << r.err;
  std::filesystem::copy_file(testing::SourcePath("examples/demo/flight.mov"),
                             dir.File("flight.mov"));
  dir.Write("events.txt",
            "command 204\ncommand 204\ncommand 204\nshot poster.png\nclick 215 300\n"
            "wait 2000\nshot flying.png\nwait 1500\nshot after.png\n");
  r = testing::RunCorvida({"replay", dir.File("demo.stk"), dir.File("events.txt"), "-o",
                           dir.File("out"), "--audio", dir.File("heard.wav")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("card 4 id 6 \"Cinema\"\nshot poster.png\nbutton 61 \"Play the film\"\n"
                       "movie \"flight.mov\"\nmovie 1 \"flight.mov\" started\nshot flying.png\n"
                       "movie 1 \"flight.mov\" finished\nshot after.png\n"),
            std::string::npos)
      << r.out;

  gfx::Bitmap poster, flying;
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("out/poster.png"), poster));
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("out/flying.png"), flying));
  const Rect film{24, 60, 216, 188};  // the pictures; the controller bar lies below them
  int changed_inside = 0;
  for (int y = 0; y < poster.height(); ++y) {
    for (int x = 0; x < poster.width(); ++x) {
      const bool inside = x >= film.left && x < film.right && y >= film.top && y < 204;
      const bool same = poster.ColorAt(x, y) == flying.ColorAt(x, y);
      if (inside) {
        changed_inside += !same;
      } else {
        ASSERT_TRUE(same) << x << "," << y;
      }
    }
  }
  EXPECT_GT(changed_inside, 500);
  // The poster is the first frame: the ladybird's red on the grass in the middle.
  int red = 0;
  for (int y = 136; y < 176; ++y)
    for (int x = 100; x < 140; ++x)
      red += poster.ColorAt(x, y).r > 150 && poster.ColorAt(x, y).g < 80;
  EXPECT_GT(red, 300);

  const std::vector<int16_t> heard = testing::WavFrames(dir.Read("heard.wav"));
  const auto span = [&](int from_ms, int ms) {
    return testing::StereoSpan{heard, size_t(from_ms) * kRate / 1000, size_t(ms) * kRate / 1000};
  };
  EXPECT_LT(testing::Rms(span(0, 300)), 10);     // quiet until the ladybird takes off
  EXPECT_GT(testing::Rms(span(800, 500)), 300);  // the hum of its wings
}

}  // namespace
}  // namespace corvida

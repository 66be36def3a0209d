// corvida play in a real desktop window on a virtual X display: what the window shows
// after two seconds matches the headless render of the first card. Skipped where no
// virtual display can be started.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "platform/gfx/png.h"
#include "support/test_support.h"

namespace corvida {
namespace {

using testing::RunCorvida;

// Share of pixels whose colour differs by more than `tolerance` in some channel.
double DifferingShare(const gfx::Bitmap& a, const gfx::Bitmap& b, int tolerance) {
  int differing = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const gfx::Rgb p = a.ColorAt(x, y), q = b.ColorAt(x, y);
      if (std::abs(p.r - q.r) > tolerance || std::abs(p.g - q.g) > tolerance ||
          std::abs(p.b - q.b) > tolerance)
        ++differing;
    }
  return double(differing) / double(a.width() * a.height());
}

TEST(PlayWindow, ScreenshotOnAVirtualDisplayMatchesTheHeadlessRender) {
  if (std::system("command -v xvfb-run > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xvfb-run is missing";
  testing::TempDir dir;
  auto r = RunCorvida(
      {"build", testing::SourcePath("examples/demo/demo.json"), "-o", dir.File("demo.stk")});
  ASSERT_EQ(r.status, 0) << r.err;
  std::filesystem::copy_file(testing::SourcePath("examples/demo/ladybird.bmp"),
                             dir.File("ladybird.bmp"));
  r = RunCorvida({"render", dir.File("demo.stk"), "--card", "1", "-o", dir.File("render.png")});
  ASSERT_EQ(r.status, 0) << r.err;

  // The display libraries keep memory until the process ends; that is not ours to report.
  const std::string command = "ASAN_OPTIONS=detect_leaks=0 timeout 60 xvfb-run -a \"" +
                              testing::CorvidaBinary() + "\" play \"" + dir.File("demo.stk") +
                              "\" --seconds 3 --screenshot \"" + dir.File("shot.png") +
                              "\" --after 2000 > \"" + dir.File("log.txt") + "\" 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << dir.Read("log.txt");

  gfx::Bitmap shot, render;
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("shot.png"), shot));
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("render.png"), render));
  ASSERT_EQ(shot.size(), render.size());
  // Roughly: the window may round colours or smooth a pixel here and there.
  EXPECT_LT(DifferingShare(shot, render, 24), 0.02);
}

// Without any display (no DISPLAY, no WAYLAND_DISPLAY, no driver asked for) the window
// could never be seen or closed: play says so at once and fails, with a stack or without.
TEST(PlayWindow, WithoutADisplayPlayEndsAtOnceWithAClearMessage) {
  testing::TempDir dir;
  auto r = RunCorvida(
      {"build", testing::SourcePath("examples/demo/demo.json"), "-o", dir.File("demo.stk")});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"play", dir.File("demo.stk")}, {"play"}}) {
    // A cleared environment; `timeout` turns a hang into status 124.
    std::vector<std::string> argv = {"env",
                                     "-i",
                                     "PATH=/usr/bin:/bin",
                                     "HOME=" + dir.path(),
                                     "ASAN_OPTIONS=detect_leaks=0",
                                     "timeout",
                                     "60",
                                     testing::CorvidaBinary()};
    argv.insert(argv.end(), args.begin(), args.end());
    r = testing::RunProgram(argv);
    EXPECT_EQ(r.status, 1) << args.size() << " " << r.err;
    EXPECT_NE(r.err.find("corvida play: no display to play in"), std::string::npos) << r.err;
  }
}

TEST(PlayWindow, RefusesBadOptions) {
  auto r = RunCorvida({"play", "x.stk", "--after", "soon"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--after"), std::string::npos);
}

}  // namespace
}  // namespace corvida

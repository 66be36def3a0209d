// The program starts without the heavy media libraries: which shared libraries each
// command opens, as the dynamic loader reports them (LD_DEBUG=files).
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvida::startup_libs_test {
namespace {

using testing::RunProgram;
using testing::TempDir;

// The libraries opened on first use (platform/lazy_libs.h), by the start of their names.
const char* const kHeavy[] = {"libavformat", "libavcodec", "libswscale",   "libSDL2", "libcairo",
                              "libcurl",     "libgif",     "libturbojpeg", "libtiff"};

const char* kStack = R"({
  "stack": {"width": 64, "height": 48, "depth": 8},
  "cards": [{"id": 1, "kind": "card", "objects": [
    {"type": "button", "id": 2, "rect": [4, 4, 40, 20], "name": "Go"}]}]
})";

// GIF89a, 1 x 1, a two-colour table, one pixel of colour 1.
const std::vector<uint8_t> kGif = {'G', 'I', 'F', '8', '9', 'a', 1,   0,    1, 0, 0x80, 0,
                                   0,   0,   0,   0,   255, 255, 255, ',',  0, 0, 0,    0,
                                   1,   0,   1,   0,   0,   2,   2,   0x4C, 1, 0, ';'};

const char* kGifStack = R"({
  "stack": {"width": 64, "height": 48, "depth": 32},
  "cards": [{"id": 1, "kind": "card", "objects": [
    {"type": "graphic", "id": 2, "rect": [0, 0, 1, 1], "path": "dot.gif"}]}]
})";

// The heavy libraries the command opened.
std::vector<std::string> Opened(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"env", "LD_DEBUG=files", testing::CorvidaBinary()};
  argv.insert(argv.end(), args.begin(), args.end());
  testing::CommandResult r = RunProgram(argv);
  EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
  std::vector<std::string> opened;
  for (const char* name : kHeavy)
    if (r.err.find(std::string("file=") + name) != std::string::npos) opened.push_back(name);
  return opened;
}

TEST(StartupLibraries, EachCommandOpensOnlyTheLibrariesItUses) {
  TempDir dir;
  dir.Write("s.json", kStack);
  dir.Write("g.json", kGifStack);
  dir.Write("dot.gif", std::string(kGif.begin(), kGif.end()));
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> opened;
  };
  const Case cases[] = {
      {{"version"}, {}},
      {{"build", dir.File("s.json"), "-o", dir.File("s.stk")}, {}},
      {{"render", dir.File("s.stk"), "-o", dir.File("s.png")}, {}},
      {{"build", dir.File("g.json"), "-o", dir.File("g.stk")}, {}},
      {{"render", dir.File("g.stk"), "-o", dir.File("g.png")}, {"libgif"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Opened(c.args), c.opened) << c.args[0];
}

}  // namespace
}  // namespace corvida::startup_libs_test

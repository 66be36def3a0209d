// A stack built by `corvida build` from a description, in a folder of its own, and
// `corvida replay` runs of events on it: what every end-to-end replay test needs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace corvida::testing {

class ReplayedStack {
 public:
  // Builds "s.stk" from the description; a build that fails fails the test.
  explicit ReplayedStack(const std::string& description) {
    dir.Write("s.json", description);
    auto r = RunCorvida({"build", dir.File("s.json"), "-o", path()});
    EXPECT_EQ(r.status, 0) << r.err;
  }
  std::string path() const { return dir.File("s.stk"); }
  // Replays the events (shots go into "out"), with any further options.
  CommandResult Play(const std::string& events, const std::vector<std::string>& options = {},
                     const std::string& stack = "") const {
    dir.Write("events.txt", events);
    std::vector<std::string> args{"replay", stack.empty() ? path() : stack, dir.File("events.txt"),
                                  "-o", dir.File("out")};
    args.insert(args.end(), options.begin(), options.end());
    return RunCorvida(args);
  }
  // A shot the last replay wrote.
  DecodedPicture Shot(const std::string& name) const {
    return ReadPictureFile(dir.File("out/" + name));
  }

  TempDir dir;
};

}  // namespace corvida::testing

// corvida replay always ends: stacks whose arrive actions send cards on for ever run
// until the settle bound, chains that stop are followed to their end, and what a stack
// names reaches the record as one escaped line.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_support.h"

namespace corvida {
namespace {

using testing::RunCorvida;
using testing::TempDir;

// "Ping" and "Pong" send each other on; "Once" moves on to "Still", which stays; "Self"
// goes to itself.
const char* kMovingStack = R"({
  "stack": {"width": 64, "height": 48, "depth": 8},
  "cards": [
    {"id": 10, "name": "Ping", "actions": {"arrive": 40}},
    {"id": 11, "name": "Pong", "actions": {"arrive": 41}},
    {"id": 14, "name": "Still"},
    {"id": 13, "name": "Once", "actions": {"arrive": 43}},
    {"id": 12, "name": "Self", "actions": {"arrive": 42}}
  ],
  "resources": [
    {"type": "Actn", "id": 40, "button": {"destination": 11}},
    {"type": "Actn", "id": 41, "button": {"destination": 10}},
    {"type": "Actn", "id": 42, "button": {"destination": 12}},
    {"type": "Actn", "id": 43, "button": {"destination": 14}}
  ]
})";

class Settle : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("s.json", kMovingStack);
    ASSERT_EQ(RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")}).status, 0);
  }
  testing::CommandResult Play(const std::string& events, std::vector<std::string> extra = {}) {
    dir.Write("events.txt", events);
    std::vector<std::string> args = {"replay", dir.File("s.stk"), dir.File("events.txt"), "-o",
                                     dir.File("out")};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCorvida(args);
  }
  // The lines of the record that start with `start`.
  static size_t Lines(const std::string& out, const std::string& start) {
    size_t n = out.rfind(start, 0) == 0 ? 1 : 0;
    for (size_t at = 0; (at = out.find("\n" + start, at)) != std::string::npos; ++at) ++n;
    return n;
  }
  TempDir dir;
};

TEST_F(Settle, CardsSendingEachOtherOnStopAtTheBound) {
  // Each further move waits a tick (17 ms): 1000 ms hold about 60 of them.
  auto r = Play("", {"--settle", "1000"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("card 1 id 10 \"Ping\"\naction 40 \"Arrive at card action\"\n"
                        "card 2 id 11 \"Pong\"\naction 41 \"Arrive at card action\"\n"
                        "card 1 id 10 \"Ping\"\n",
                        0),
            0u)
      << r.out.substr(0, 200);
  const size_t moves = Lines(r.out, "card ");
  EXPECT_GT(moves, 40u);
  EXPECT_LT(moves, 80u);
  EXPECT_NE(r.err.find("still waiting after 1000 ms"), std::string::npos) << r.err;
  // A card going to itself, under the default bound.
  r = Play("command 205\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_GT(Lines(r.out, "card 5 id 12 \"Self\""), 500u);
  EXPECT_NE(r.err.find("still waiting after 10000 ms"), std::string::npos) << r.err;
}

TEST_F(Settle, TheUserMovesAwayAndTheReplayEndsWhenNothingWaits) {
  // Between the moves the events still come through; a move the user asks for replaces
  // the one that was waiting, so "Self" stops going to itself.
  auto r = Play("wait 100\ncommand 205\nwait 100\ncommand 203\n");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string end =
      "card 5 id 12 \"Self\"\naction 42 \"Arrive at card action\"\ncard 4 id 13 \"Once\"\n"
      "action 43 \"Arrive at card action\"\ncard 3 id 14 \"Still\"\n";
  ASSERT_GE(r.out.size(), end.size());
  EXPECT_EQ(r.out.substr(r.out.size() - end.size()), end) << r.out;
  EXPECT_EQ(r.err, "");
}

TEST(ReplayRecord, NamesFromTheStackCannotForgeLinesOrSendEscapes) {
  TempDir dir;
  dir.Write("s.json", R"({"stack": {"width": 64, "height": 48},
    "cards": [{"id": 10, "name": "A\u001b[2J\nalert 1",
               "objects": [{"type": "button", "id": 1, "rect": [0, 0, 20, 20],
                            "name": "B\r\u0007", "destination": 11}]},
              {"id": 11, "name": "Tab\there"}],
    "resources": [{"type": "Snd ", "id": 7, "name": "s\u001b]0;t\u0007", "bytes": "00"}]})");
  ASSERT_EQ(RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")}).status, 0);
  dir.Write("events.txt", "click 5 5\n");
  auto replay =
      RunCorvida({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out")});
  EXPECT_EQ(replay.status, 0) << replay.err;
  EXPECT_EQ(replay.out,
            "card 1 id 10 \"A\\e[2J\\nalert 1\"\n"
            "button 1 \"B\\r\\x07\"\n"
            "card 2 id 11 \"Tab\\there\"\n");
  auto info = RunCorvida({"info", dir.File("s.stk")});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(info.out.find('\a'), std::string::npos);
  EXPECT_NE(info.out.find("\"A\\e[2J\\nalert 1\""), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"s\\e]0;t\\x07\""), std::string::npos) << info.out;
  EXPECT_EQ(std::count(info.out.begin(), info.out.end(), '\n'), 6);  // 2 + 2 cards + button + 1
}

TEST(ReplayRecord, AnExtensionIsCalledByTheModuleNameItsReferenceHolds) {
  TempDir dir;
  dir.Write("s.json", R"({"stack": {"width": 64, "height": 48},
    "cards": [{"id": 10, "objects": [{"type": "button", "id": 1, "rect": [0, 0, 20, 20],
               "actions": [{"kind": "nba", "id": 30, "text": "xy"}]}]}],
    "resources": [{"type": "NBAs", "id": 30, "displayName": "Tool", "module": "TOOL.DLL",
                   "nbaId": 30}]})");
  ASSERT_EQ(RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")}).status, 0);
  dir.Write("events.txt", "click 5 5\n");
  auto r = RunCorvida({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("o")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("nba \"TOOL.DLL\" 2 bytes"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace corvida

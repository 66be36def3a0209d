// corvida replay end to end through the player's dialogs: Jump To Card, Open Stack with
// the chooser, Preferences, and the history, marked card and closing around them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace corvida::replay_dialogs_test {
namespace {

using testing::RunCorvida;
using testing::TempDir;

const char* kFive = R"({
  "stack": {"width": 64, "height": 48, "depth": 8, "cardNumberInTitle": 1},
  "cards": [
    {"id": 10, "kind": "shared", "name": "One",
     "objects": [{"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Marked",
                  "destination": -5, "transition": 3, "speed": 8}]},
    {"id": 11, "kind": "shared", "name": "Two",
     "objects": [{"type": "button", "id": 2, "rect": [4, 4, 30, 20], "name": "Me",
                  "answer": 3}]},
    {"id": 12, "kind": "shared", "name": "Three", "marked": true},
    {"id": 13, "kind": "shared", "name": "Four"},
    {"id": 14, "kind": "shared", "name": "Five"}
  ]
})";

const char* kOther = R"({
  "stack": {"width": 64, "height": 48, "depth": 8},
  "cards": [{"id": 1, "kind": "shared", "name": "Alpha"}, {"id": 2, "kind": "shared", "name": "Beta"}]
})";

class ReplayDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    Build("five", kFive);
    std::filesystem::create_directories(dir.File("more"));
    Build("more/other", kOther);
  }
  void Build(const std::string& name, const char* description) {
    dir.Write(name + ".json", description);
    auto r = RunCorvida({"build", dir.File(name + ".json"), "-o", dir.File(name + ".stk")});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  std::string Play(const std::string& events) {
    dir.Write("events.txt", events);
    auto r =
        RunCorvida({"replay", dir.File("five.stk"), dir.File("events.txt"), "-o", dir.File("out")});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  }
  static int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }
  TempDir dir;
};

TEST_F(ReplayDialogs, JumpToCardByNumberNameAndBlanks) {
  const std::string out = Play(
      "type 4\ncommand 206\n"
      "type tHREE\nkey Ctrl+J\n"
      "type 9\ncommand 206\n"
      "type Six\ncommand 206\n"
      "type    \ncommand 206\n"
      "type \ncommand 206\n"
      "type 2\nanswer 2\ncommand 206\n");
  EXPECT_EQ(out,
            "card 1 id 10 \"One\"\n"
            "dialog JUMP_TO_CARD \"4\"\ncard 4 id 13 \"Four\"\n"
            "dialog JUMP_TO_CARD \"tHREE\"\ncard 3 id 12 \"Three\"\n"
            "dialog JUMP_TO_CARD \"9\"\nalert 2223 \"Sorry, I can't find that card.\"\n"
            "dialog JUMP_TO_CARD \"Six\"\nalert 2223 \"Sorry, I can't find that card.\"\n"
            "dialog JUMP_TO_CARD \"   \"\nalert 2223 \"Sorry, I can't find that card.\"\n"
            // An empty text goes nowhere and says nothing; Cancel drops the typed text.
            "dialog JUMP_TO_CARD \"\"\n"
            "dialog JUMP_TO_CARD cancelled\n");
}

TEST_F(ReplayDialogs, BackAfterTwentyMovesStopsOnTheOldestEntry) {
  const char* names[] = {"One", "Two", "Three", "Four", "Five"};
  auto line = [&](int position) {
    return "card " + std::to_string(position) + " id " + std::to_string(9 + position) + " \"" +
           names[position - 1] + "\"\n";
  };
  std::string events, expected = line(1);
  for (int move = 1; move <= 20; ++move) {
    events += "command 204\n";
    expected += line(move % 5 + 1);
  }
  // The history keeps the cards left by the last 16 moves; Back walks them down to the
  // oldest (card 5, left by the fifth move) and then keeps returning to it.
  for (int back = 1; back <= 20; ++back) {
    events += "key Ctrl+~\n";
    const int push = std::max(21 - back, 5);
    expected += line((push - 1) % 5 + 1);
  }
  EXPECT_EQ(Play(events), expected);
}

TEST_F(ReplayDialogs, MarkedCardIsKnownOnceLeft) {
  const std::string out = Play(
      "click 10 10\n"  // the button goes to the marked card: none seen yet
      "type Three\ncommand 206\ncommand 204\ncommand 202\n"
      "click 10 10\n");
  EXPECT_NE(out.find("alert 2242 \"Sorry, I haven't seen any marked cards yet.\"\n"),
            std::string::npos)
      << out;
  EXPECT_TRUE(out.ends_with("card 1 id 10 \"One\"\n" + std::string("button 1 \"Marked\"\n") +
                            "card 3 id 12 \"Three\"\n"))
      << out;
}

TEST_F(ReplayDialogs, OpenStackThroughTheChooserAndBackAcrossStacks) {
  const std::string out = Play(
      "type more/other.stk\ncommand 101\n"  // into a folder, then the stack
      "command 204\n"
      "command 200\ncommand 200\n"
      "type nothing.stk\nkey Ctrl+O\n"  // no such entry: cancelled
      "answer 2\nkey Ctrl+O\n");        // Cancel pressed
  EXPECT_EQ(out,
            "card 1 id 10 \"One\"\n"
            "dialog OPEN_STACK \"other.stk\"\ncard 1 id 1 \"Alpha\"\n"
            "card 2 id 2 \"Beta\"\n"
            "card 1 id 1 \"Alpha\"\ncard 1 id 10 \"One\"\n"
            "dialog OPEN_STACK cancelled\n"
            "dialog OPEN_STACK cancelled\n");
}

TEST_F(ReplayDialogs, PreferencesCancelledOrAcceptedAndSavingIsTheDesktopsOnly) {
  const std::string out = Play(
      "command 651\n"  // no answer: cancelled
      "answer 2\ncommand 651\n"
      "answer 1\ncommand 651\n"
      "command 102\ncommand 103\n");
  EXPECT_EQ(out,
            "card 1 id 10 \"One\"\n"
            "dialog PREFERENCES cancelled\n"
            "dialog PREFERENCES cancelled\n"
            "dialog PREFERENCES ok\n");
}

TEST_F(ReplayDialogs, AButtonThatMarksAnswersAsksForTheUsersName) {
  const std::string out = Play("command 204\ntype Ann\nclick 10 10\nanswer 2\nclick 10 10\n");
  EXPECT_NE(out.find("dialog ASKUSERNAME \"Ann\"\n"), std::string::npos) << out;
  EXPECT_NE(out.find("dialog ASKUSERNAME cancelled\n"), std::string::npos) << out;
}

TEST_F(ReplayDialogs, AnswersGoToAlertsAndDialogsInTurnAndCloseEndsWithThePicture) {
  const std::string out = Play(
      "answer 1\ntype 9\ncommand 206\n"  // the answer presses OK, the alert takes the default
      "command 110\n"
      "command 204\n");  // after closing nothing more happens
  EXPECT_EQ(out,
            "card 1 id 10 \"One\"\n"
            "dialog JUMP_TO_CARD \"9\"\nalert 2223 \"Sorry, I can't find that card.\"\n"
            "closed\nclosing picture\n");
}

}  // namespace
}  // namespace corvida::replay_dialogs_test

// Clicks, drags, rollovers, timers, answer marks and launches end to end: stacks made by
// `corvida build`, played by `corvida replay` on the virtual clock.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvida {
namespace {

using testing::RunCorvida;
using testing::TempDir;

// Card "One": two overlapping buttons (the later one is on top), a rollover button, a drop
// target, a draggable graphic with an action, and two answer buttons. "Two" moves on by
// a timer of its own; "Three" has a repeating timer on its click action; "Four" launches (once with
// a program name that looks like alert buttons).
const char* kStack = R"({
  "stack": {"width": 200, "height": 150, "depth": 8, "clickAction": 40},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [
       {"type": "button", "id": 1, "rect": [10, 10, 60, 40], "name": "Under", "destination": 11},
       {"type": "button", "id": 2, "rect": [40, 20, 90, 50], "name": "Over", "destination": 12,
        "actions": [{"kind": "stackSound", "id": 7}]},
       {"type": "button", "id": 3, "rect": [100, 10, 140, 30], "name": "Roll", "flags": 128,
        "actions": [{"kind": "script", "text": "print \"roll\nprint 2"}]},
       {"type": "button", "id": 4, "rect": [100, 60, 150, 100], "name": "Target", "flags": 256,
        "actions": [{"kind": "script", "text": "print \"dropped"}]},
       {"type": "graphic", "id": 5, "rect": [10, 80, 40, 110], "name": "Cat", "flags": 128,
        "actionId": 41},
       {"type": "button", "id": 6, "rect": [160, 10, 190, 30], "name": "Right", "answer": 1},
       {"type": "button", "id": 7, "rect": [160, 40, 190, 60], "name": "Wrong", "answer": 2}
     ]},
    {"id": 11, "name": "Two",
     "objects": [{"type": "button", "id": 8, "rect": [0, 0, 10, 10], "name": "Soon",
                  "timerMode": 1, "destination": 12}]},
    {"id": 12, "name": "Three", "actions": {"click": 42}},
    {"id": 13, "name": "Four",
     "objects": [{"type": "button", "id": 9, "rect": [10, 10, 60, 40], "name": "Open",
                  "actions": [{"kind": "launch", "document": "Disk:notes.txt",
                               "program": "Disk:Tools:edit.exe", "flags": 16384}]},
                 {"type": "button", "id": 10, "rect": [70, 10, 120, 40], "name": "Forged",
                  "actions": [{"kind": "launch", "document": "Disk:notes.txt",
                               "program": "Disk:Notepad~^Open~Cancel"}]}]}
  ],
  "resources": [
    {"type": "Snd ", "id": 7, "name": "boing", "bytes": "0000"},
    {"type": "Actn", "id": 40, "button": {"actions": [{"kind": "script", "text": "print \"stack"}]}},
    {"type": "Actn", "id": 41, "button": {"actions": [{"kind": "script", "text": "print \"cat"}]}},
    {"type": "Actn", "id": 42, "button": {"timerMode": 2, "timerCount": 2,
                                          "actions": [{"kind": "script", "text": "print \"tick"}]}}
  ]
})";

class Actions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("s.json", kStack);
    dir.Write("notes.txt", "the document");
    auto r = RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  // The replay's output without the first card's line.
  std::string Play(const std::string& events) {
    dir.Write("events.txt", events);
    auto r =
        RunCorvida({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out")});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string first = "card 1 id 10 \"One\"\n";
    EXPECT_EQ(r.out.rfind(first, 0), 0u) << r.out;
    return r.out.substr(std::min(first.size(), r.out.size()));
  }
  TempDir dir;
};

TEST_F(Actions, TheTopmostButtonTakesTheClickAndItsSoundComesBeforeTheMove) {
  // Its sound is unreadable: the alert says so and the move goes on.
  EXPECT_EQ(
      Play("click 50 30\n"),
      "button 2 \"Over\"\nsound \"boing\"\nalert 2390 \"Sorry, Corvida cannot read this sound "
      "file or this sound file has an invalid format.\"\ncard 3 id 12 \"Three\"\n");
  EXPECT_EQ(Play("click 15 15\n"), "button 1 \"Under\"\ncard 2 id 11 \"Two\"\n");
}

TEST_F(Actions, AButtonRunsOnlyWhenReleasedInsideIt) {
  EXPECT_EQ(Play("down 15 15\nmove 180 140\nup 180 140\n"), "");
  // Leaving and coming back before the release still runs it.
  EXPECT_EQ(Play("down 15 15\nmove 180 140\nmove 15 15\nup 15 15\n"),
            "button 1 \"Under\"\ncard 2 id 11 \"Two\"\n");
}

TEST_F(Actions, ARolloverButtonRunsOnEntryAndAgainOnlyAfterLeaving) {
  const std::string roll = "button 3 \"Roll\"\nscript \"print \"roll...\"\n";
  EXPECT_EQ(Play("move 110 20\nmove 115 22\nmove 5 140\nmove 110 20\n"), roll + roll);
}

TEST_F(Actions, DraggedGraphicsRunADropTargetOrTheirOwnAction) {
  const std::string target = "button 4 \"Target\"\nscript \"print \"dropped\"\n";
  const std::string cat = "action 41 \"Cat\"\nscript \"print \"cat\"\n";
  // Dropped on the target: the target runs. A click on the target itself does not run
  // it; the stack's click action runs instead.
  EXPECT_EQ(Play("down 20 90\nmove 60 80\nmove 110 70\nup 110 70\nclick 145 95\n"),
            target + "action 40 \"Click on stack action\"\nscript \"print \"stack\"\n");
  // Dropped on empty card, or clicked in place: its own action.
  EXPECT_EQ(Play("down 20 90\nmove 30 130\nup 30 130\nclick 30 130\n"), cat + cat);
  // Dropped on another object: nothing.
  EXPECT_EQ(Play("down 20 90\nmove 170 20\nup 170 20\n"), "");
}

TEST_F(Actions, TimersFireOnceOrRepeatOnTheClock) {
  // "Two" leaves after one timer tick (about a second); "Three" ticks every two.
  std::string out = Play("command 204\nwait 800\nwait 400\nwait 5000\n");
  EXPECT_EQ(out,
            "card 2 id 11 \"Two\"\nbutton 8 \"Soon\"\ncard 3 id 12 \"Three\"\n"
            "action 42\nscript \"print \"tick\"\naction 42\nscript \"print \"tick\"\n");
  // Nothing fires before the first second.
  EXPECT_EQ(Play("command 204\nwait 900\n"), "card 2 id 11 \"Two\"\n");
}

TEST_F(Actions, AnswerMarksAreCountedOncePerCard) {
  EXPECT_EQ(Play("click 170 20\nclick 170 50\nclick 170 20\n"),
            "button 6 \"Right\"\nscore 1 of 1\nbutton 7 \"Wrong\"\nscore 0 of 1\n"
            "button 6 \"Right\"\nscore 1 of 1\n");
}

TEST_F(Actions, ALaunchNeedsTheUsersConsentEveryTime) {
  const std::string question =
      "alert 5100 \"This stack asks to open \"notes.txt\" with \"edit.exe\". Open it only when you "
      "trust the stack.\"\n";
  // Declined (the default answer): nothing is launched and the player stays.
  EXPECT_EQ(Play("command 205\nclick 20 20\n"),
            "card 4 id 13 \"Four\"\nbutton 9 \"Open\"\n" + question);
  // Accepted: the launch is recorded, and the entry's flag closes the player.
  std::string accepted = Play("command 205\nanswer 1\nclick 20 20\nclick 20 20\n");
  std::string expected = "card 4 id 13 \"Four\"\nbutton 9 \"Open\"\n" + question +
                         "launch \"edit.exe\" \"notes.txt\"\nclosed\n";
  EXPECT_EQ(accepted.substr(0, expected.size()), expected);
  EXPECT_EQ(accepted.find("button 9", expected.size()), std::string::npos);
}

TEST_F(Actions, ALaunchQuestionCannotBeRewrittenByTheNamesItShows) {
  // Unanswered both times (the replay's answer is then the question's own): nothing starts.
  const std::string out = Play("command 205\nclick 80 20\nclick 80 20\n");
  const std::string question =
      "alert 5100 \"This stack asks to open \"notes.txt\" with \"Notepad??Open?Cancel\". Open "
      "it only when you trust the stack.\"\n";
  EXPECT_EQ(out, "card 4 id 13 \"Four\"\n" + std::string("button 10 \"Forged\"\n") + question +
                     "button 10 \"Forged\"\n" + question);
  EXPECT_EQ(out.find("launch"), std::string::npos);
}

}  // namespace
}  // namespace corvida

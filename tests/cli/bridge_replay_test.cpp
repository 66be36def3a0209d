// Button scripts that drive the card through the callback commands, end to end: `corvida
// replay` clicks them and prints the moves, prints and alerts they cause, and with
// --trace-callbacks the commands they issue.
#include <gtest/gtest.h>

#include "replay_stack.h"

namespace corvida::bridge_replay_test {
namespace {

using testing::ReplayedStack;

// Card "One" (200 x 120) has a button per script, the graphic "Cat" (a thick black frame
// at 150..190, 70..110) and the field "Notes"; cards "Two" and "Three" follow.
const char* kStack = R"({
  "stack": {"width": 200, "height": 120, "depth": 8},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [
       {"type": "button", "id": 1, "rect": [0, 0, 30, 20], "name": "Next",
        "actions": [{"kind": "script", "text": "settransition \"dissolve \"slow movenext"}]},
       {"type": "button", "id": 2, "rect": [40, 0, 70, 20], "name": "Three",
        "actions": [{"kind": "script", "text": "movetocard \"Three"}]},
       {"type": "button", "id": 3, "rect": [80, 0, 110, 20], "name": "Hide",
        "actions": [{"kind": "script", "text": "hideitem [] \"Cat \"graphic"}]},
       {"type": "button", "id": 4, "rect": [120, 0, 150, 20], "name": "Show",
        "actions": [{"kind": "script",
                     "text": "showitem [] \"Cat \"graphic\rtextio print visiblep [] \"Cat 2"}]},
       {"type": "button", "id": 5, "rect": [0, 30, 30, 50], "name": "Write",
        "actions": [{"kind": "script",
                     "text": "setfieldtext [] \"Notes [hello there]\rtextio print getfieldtext [] \"Notes"}]},
       {"type": "button", "id": 6, "rect": [40, 30, 70, 50], "name": "Ask",
        "actions": [{"kind": "script",
                     "text": "textio print doalert 1 \"note [Go on?] [Yes No]"}]},
       {"type": "button", "id": 7, "rect": [80, 30, 110, 50], "name": "Press",
        "actions": [{"kind": "script", "text": "dobutton [] \"say"}]},
       {"type": "button", "id": 8, "rect": [120, 30, 150, 50], "name": "Say",
        "actions": [{"kind": "script", "text": "textio print [said]"}]},
       {"type": "button", "id": 9, "rect": [160, 30, 190, 50], "name": "Me",
        "actions": [{"kind": "script", "text": "hideitem [] \"me \"button"}]},
       {"type": "button", "id": 10, "rect": [0, 60, 30, 80], "name": "Lock",
        "actions": [{"kind": "script",
                     "text": "lockscreen hideitem [] \"Cat \"graphic unlockscreen"}]},
       {"type": "button", "id": 13, "rect": [160, 0, 190, 20], "name": "Move",
        "actions": [{"kind": "script", "text": "setitempos [] \"Cat \"graphic [-80 -40]"}]},
       {"type": "button", "id": 14, "rect": [150, 52, 190, 68], "name": "Read",
        "actions": [{"kind": "script",
                     "text": "setrwprompt [Your name?] make \"n readlist\rtextio show :n show mouse"}]},
       {"type": "button", "id": 15, "rect": [0, 90, 30, 110], "name": "Long",
        "actions": [{"kind": "script",
                     "text": "textio print doalert 1 \"note [A question longer than thirty two characters?] [Yes No]"}]},
       {"type": "graphic", "id": 11, "rect": [150, 70, 190, 110], "name": "Cat",
        "frameWidth": 3, "frameColor": 256},
       {"type": "field", "id": 12, "rect": [40, 60, 140, 110], "name": "Notes", "text": "old"}
     ]},
    {"id": 11, "name": "Two"},
    {"id": 12, "name": "Three"}
  ]
})";

bool Has(const std::string& out, const std::string& part) {
  return out.find(part) != std::string::npos;
}

gfx::Rgb Pixel(const DecodedPicture& p, int x, int y) {
  if (p.indexed()) return p.palette.at(p.pixels[size_t(y) * p.stride() + size_t(x)]);
  const uint8_t* px = p.pixels.data() + size_t(y) * p.stride() + size_t(x) * 4;
  return {px[0], px[1], px[2]};
}

// The pixels of `area` that are not white.
int Ink(const DecodedPicture& p, const Rect& area) {
  int ink = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      ink += Pixel(p, x, y) == gfx::Rgb{255, 255, 255} ? 0 : 1;
  return ink;
}

const Rect kCat{150, 70, 190, 110};

class BridgeReplay : public ::testing::Test {
 protected:
  ReplayedStack stack{kStack};
};

TEST_F(BridgeReplay, CardMovesTakeTheNamedTransitionOnce) {
  auto r = stack.Play("click 15 10\nwait 3000\n", {"--trace-callbacks"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Dissolve is transition 148's answer; slow is speed 16, passed once with the move.
  EXPECT_TRUE(Has(r.out, "callback 148 p1=")) << r.out;
  const size_t move = r.out.find("callback 4 p1=");
  ASSERT_NE(move, std::string::npos) << r.out;
  EXPECT_TRUE(Has(r.out.substr(move, r.out.find('\n', move) - move), " p2=16")) << r.out;
  EXPECT_TRUE(Has(r.out, "card 2 id 11 \"Two\"")) << r.out;

  r = stack.Play("click 55 10\nwait 2000\n");
  EXPECT_TRUE(Has(r.out,
                  "button 2 \"Three\"\nscript \"movetocard \"Three\"\ncard 3 id 12 "
                  "\"Three\""))
      << r.out;
}

TEST_F(BridgeReplay, HidingAndShowingAnItemRepaintsItsArea) {
  auto r =
      stack.Play("shot shown.png\nclick 95 10\nshot hidden.png\nclick 135 10\nshot again.png\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const DecodedPicture shown = stack.Shot("shown.png"), hidden = stack.Shot("hidden.png"),
                       again = stack.Shot("again.png");
  EXPECT_GT(Ink(shown, kCat), 0) << "the frame shows";
  EXPECT_EQ(Ink(hidden, kCat), 0) << "hidden";
  EXPECT_EQ(Ink(again, kCat), Ink(shown, kCat)) << "shown again";
  EXPECT_TRUE(Has(r.out, "print \"TRUE\"")) << r.out;
}

TEST_F(BridgeReplay, AMovedItemIsDrawnWhereItWasPut) {
  auto r = stack.Play("click 175 10\nshot moved.png\n");
  ASSERT_EQ(r.status, 0) << r.err;
  // [-80 -40] from the card's centre (100, 60) is (20, 100): the frame's new middle.
  const DecodedPicture moved = stack.Shot("moved.png");
  EXPECT_EQ(Ink(moved, kCat), 0);
  EXPECT_GT(Ink(moved, {0, 80, 40, 120}), 0);
}

TEST_F(BridgeReplay, ALineIsReadFromTheReadDialogAndTheMouseIsInTurtleCoordinates) {
  auto r = stack.Play("type Ann Lee\nclick 170 60\nclick 170 60\n");
  ASSERT_EQ(r.status, 0) << r.err;
  // (170, 60) is 70 right of the card's centre (100, 60).
  EXPECT_TRUE(Has(r.out, "dialog READ_LINE \"Ann Lee\"\nprint \"[Ann Lee]\"\nprint \"[70 0]\""))
      << r.out;
  // Nothing typed the second time: the dialog is cancelled and the line is empty.
  EXPECT_TRUE(Has(r.out, "dialog READ_LINE cancelled\nprint \"[]\"")) << r.out;
}

TEST_F(BridgeReplay, FieldTextIsWrittenAndReadBack) {
  auto r = stack.Play("click 15 40\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "print \"hello there\"")) << r.out;
}

TEST_F(BridgeReplay, AlertsAnswerTheButtonInTheScriptsOrder) {
  // The engine shows the labels last first: its button 2 is the script's first, "Yes".
  auto r = stack.Play("answer 2\nclick 55 40\nanswer 1\nclick 55 40\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const size_t first = r.out.find("print \"1\"");
  const size_t second = r.out.find("print \"2\"");
  ASSERT_NE(first, std::string::npos) << r.out;
  ASSERT_NE(second, std::string::npos) << r.out;
  EXPECT_LT(first, second);
  EXPECT_TRUE(Has(r.out, "Go on?")) << r.out;
}

// The alert's text is a counted string; one of 32 characters or more is still read by
// its length, not as text beginning with the length byte.
TEST_F(BridgeReplay, LongAlertTextsKeepTheirSizeIconAndButtons) {
  auto r = stack.Play("answer 2\nclick 15 100\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "alert 0 \"A question longer than thirty two characters?\"")) << r.out;
  EXPECT_TRUE(Has(r.out, "print \"1\"")) << r.out;
}

TEST_F(BridgeReplay, PressingAButtonByNameAndMe) {
  auto r = stack.Play("click 95 40\nshot before.png\nclick 175 40\nshot after.png\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out,
                  "button 7 \"Press\"\nscript \"dobutton [] \"say\"\nbutton 8 \"Say\"\n"
                  "script \"textio print [said]\"\nprint \"said\""))
      << r.out;
  // ME hid the button whose script ran: its area turned white.
  const DecodedPicture before = stack.Shot("before.png"), after = stack.Shot("after.png");
  const Rect me{160, 30, 190, 50};
  EXPECT_GT(Ink(before, me), 0);
  EXPECT_EQ(Ink(after, me), 0);
}

TEST_F(BridgeReplay, ALockedScreenShowsTheChangesWhenUnlocked) {
  auto r = stack.Play("click 15 70\nshot unlocked.png\n", {"--trace-callbacks"});
  ASSERT_EQ(r.status, 0) << r.err;
  const size_t lock = r.out.find("callback 170"), hide = r.out.find("callback 26"),
               unlock = r.out.find("callback 171");
  ASSERT_NE(unlock, std::string::npos) << r.out;
  EXPECT_LT(lock, hide);
  EXPECT_LT(hide, unlock);
  EXPECT_EQ(Ink(stack.Shot("unlocked.png"), kCat), 0);
}

}  // namespace
}  // namespace corvida::bridge_replay_test

// DONEP end to end: a button's script waits, a tenth of a second at a time, until the
// sound or the animation its own action started is done, on the replay's virtual clock;
// the count of waits follows the media's length. A script also runs Tarrow text through
// callback command 172.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "replay_stack.h"
#include "support/animation_bytes.h"

namespace corvida {
namespace {

// A stored sound of `frames` samples at 11,025 Hz (8-bit mono, a steady level).
std::string StoredSoundHex(int frames) {
  std::string hex = "0001 0001 0005 00000080 0001 8051 0000 00000014";
  char header[80];
  std::snprintf(header, sizeof header, " 00000000 %08X %08X 00000000 00000000 00 3C ", frames,
                11025u << 16);
  hex += header;
  for (int i = 0; i < frames; ++i) hex += "C0";
  return hex;
}

// Three 20 x 10 frames, 6 ticks apart (a tenth of a second), played `repetitions` times.
std::string AnimationHex(uint16_t repetitions) {
  testing::PathSpec spec;
  spec.width = 20, spec.height = 10, spec.depth = 24, spec.ticks = 6;
  spec.repetitions = repetitions, spec.flags = 0x0001;
  for (uint32_t colour : {0xFF0000u, 0x00FF00u, 0x0000FFu})
    spec.frames.push_back(testing::SolidFrame(20, 10, 24, colour));
  return testing::Hex(testing::PathAnimationBytes(spec));
}

// Counts the tenths of a second until DONEP says the kind is done (as JSON text).
std::string Waiter(const char* kind) {
  return std::string("make \\\"n 0 while not donep \\\"") + kind +
         " [make \\\"n :n + 1 wait 6] textio print :n textio print donep \\\"everything";
}

std::string Stack() {
  return R"({
  "stack": {"width": 200, "height": 100, "depth": 32},
  "cards": [{"id": 10, "name": "One", "objects": [
    {"type": "button", "id": 1, "rect": [0, 0, 30, 20], "name": "Half",
     "actions": [{"kind": "stackSound", "id": 1}, {"kind": "script", "text": ")" +
         Waiter("sound") + R"("}]},
    {"type": "button", "id": 2, "rect": [40, 0, 70, 20], "name": "Whole",
     "actions": [{"kind": "stackSound", "id": 2}, {"kind": "script", "text": ")" +
         Waiter("sound") + R"("}]},
    {"type": "button", "id": 3, "rect": [80, 0, 110, 20], "name": "Once",
     "actions": [{"kind": "animation", "rect": [20, 50, 40, 60], "bytes": ")" +
         AnimationHex(1) + R"("}, {"kind": "script", "text": ")" + Waiter("animation") + R"("}]},
    {"type": "button", "id": 4, "rect": [120, 0, 150, 20], "name": "Twice",
     "actions": [{"kind": "animation", "rect": [20, 50, 40, 60], "bytes": ")" +
         AnimationHex(2) + R"("}, {"kind": "script", "text": ")" + Waiter("animation") + R"("}]},
    {"type": "button", "id": 5, "rect": [160, 0, 190, 20], "name": "Nested",
     "actions": [{"kind": "script", "text":
       "cbsetcmd 172 cbsetparamstrh 1 \"textio\\ print\\ 7 cbsetparamint 2 14 callback textio print \"after"}]}]}],
  "resources": [
    {"type": "Snd ", "id": 1, "name": "half", "bytes": ")" +
         StoredSoundHex(11025 / 2) + R"("},
    {"type": "Snd ", "id": 2, "name": "whole", "bytes": ")" +
         StoredSoundHex(11025) + R"("}]
})";
}

// The count the button's script printed, -1 when it printed none.
int Waits(const std::string& out) {
  const size_t at = out.find("print \"");
  if (at == std::string::npos) return -1;
  return std::atoi(out.c_str() + at + 7);
}

TEST(DonepReplay, ScriptsWaitForTheirOwnSoundAndAnimation) {
  testing::ReplayedStack stack(Stack());
  struct Run {
    const char* click;
    int at_least, at_most;  // tenths of a second
  };
  const Run runs[] = {
      {"click 15 10\n", 4, 6},   // half a second of sound
      {"click 55 10\n", 9, 11},  // a second
      {"click 95 10\n", 2, 4},   // three frames a tenth apart
      {"click 135 10\n", 5, 7},  // twice over
  };
  for (const Run& run : runs) {
    auto r = stack.Play(run.click);
    ASSERT_EQ(r.status, 0) << r.err;
    const int waits = Waits(r.out);
    EXPECT_GE(waits, run.at_least) << run.click << r.out;
    EXPECT_LE(waits, run.at_most) << run.click << r.out;
    // When the script's wait ends, nothing of what it waited for plays any more.
    EXPECT_NE(r.out.find("print \"TRUE\""), std::string::npos) << run.click << r.out;
  }
}

TEST(DonepReplay, AScriptRunsTextThroughCallback172) {
  testing::ReplayedStack stack(Stack());
  auto r = stack.Play("click 175 10\n", {"--trace-callbacks"});
  ASSERT_EQ(r.status, 0) << r.err;
  const size_t command = r.out.find("callback 172");
  const size_t inner = r.out.find("print \"7\"");
  const size_t after = r.out.find("print \"after\"");
  ASSERT_NE(command, std::string::npos) << r.out;
  ASSERT_NE(inner, std::string::npos) << r.out;
  ASSERT_NE(after, std::string::npos) << r.out;
  EXPECT_LT(command, inner);
  EXPECT_LT(inner, after);
}

}  // namespace
}  // namespace corvida

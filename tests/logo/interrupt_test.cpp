// Stopping scripts: Escape wherever it waits among the queued keys and whatever the
// script is running, limits that CATCH cannot turn into endless retries, and the work
// budget that stops a script nobody interrupts.
#include <gtest/gtest.h>

#include "logo_harness.h"

namespace corvida::logo {
namespace {

void PostKey(testing::Harness& h, uint32_t message, uint32_t key) {
  Message m;
  m.message = message;
  m.wParam = key;
  h.platform().windows().PostMessage(m);
}

void PostTypedKey(testing::Harness& h, uint32_t key, uint32_t ch) {
  PostKey(h, msg::kKeyDown, key);
  if (ch) PostKey(h, msg::kChar, ch);
}

InterpreterConfig Budget(uint64_t steps) {
  InterpreterConfig config;
  config.max_steps = steps;
  return config;
}

// Runs that never reach a loop pass or a procedure line: lists run through RUN, IF and
// CATCH, and one top-level line after another.
struct Runaway {
  const char* name;
  const char* lines;
};
const Runaway kRunaways[] = {
    {"RUN and IF recursion",
     "make \"d 0 make \"l [if :d < 40 [make \"d :d + 1 run :l run :l make \"d :d - 1]] run :l"},
    {"CATCH recursion",
     "make \"d 0 make \"l [if :d < 40 [make \"d :d + 1 catch \"x [run :l] catch \"x [run :l] "
     "make \"d :d - 1]] run :l"},
    {"top-level lines", nullptr},  // filled below: many short lines
};

std::string ManyLines() {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "make \"n :n + 1\n";
  return text;
}

TEST(LogoInterrupt, EscapeBehindOtherKeysStopsEveryKindOfRun) {
  for (const Runaway& r : kRunaways) {
    testing::Harness h(Budget(5'000'000));
    h.Lines("make \"n 0");
    // Keys typed ahead of Escape, and a key typed after it that must survive.
    PostTypedKey(h, vk::kShift, 0);
    PostTypedKey(h, 'A', 'a');
    PostTypedKey(h, vk::kEscape, 27);
    PostTypedKey(h, 'B', 'b');
    std::string lines = r.lines ? r.lines : ManyLines();
    EXPECT_EQ(h.Script(lines), "") << r.name;
    EXPECT_LT(h.interp().steps, 2000u) << r.name;
    EXPECT_EQ(h.errors(), 0) << r.name;  // Escape stops silently
    Message left;
    ASSERT_TRUE(h.platform().windows().PeekMessage(left, 0, 0, 0, true)) << r.name;
    EXPECT_EQ(left.message, msg::kKeyDown);
    EXPECT_EQ(left.wParam, uint32_t{'B'});
  }
}

TEST(LogoInterrupt, AWindowClosingStopsARunawayAndStaysQueued) {
  testing::Harness h(Budget(5'000'000));
  PostKey(h, msg::kClose, 0);
  EXPECT_EQ(h.Script("repeat 1000000 [make \"x 1]\nprint \"after"), "");
  EXPECT_LT(h.interp().steps, 2000u);
  Message left;
  ASSERT_TRUE(h.platform().windows().PeekMessage(left, 0, 0, 0, true));
  EXPECT_EQ(left.message, msg::kClose);
}

TEST(LogoInterrupt, CatchErrorDoesNotCatchEscape) {
  testing::Harness h;
  PostTypedKey(h, vk::kEscape, 27);
  EXPECT_EQ(h.Lines("catch \"error [repeat 1000000 [make \"x 1]] print \"caught\n"
                    "print \"next"),
            "next\n");
}

TEST(LogoInterrupt, LimitsAreNotCaughtIntoEndlessRetries) {
  // Each depth error caught would start the recursion again: 2^depth runs.
  testing::Harness h(Budget(50'000'000));
  std::string out = h.Lines("make \"l [catch \"error [run :l] catch \"error [run :l]] run :l");
  EXPECT_EQ(out.substr(0, 31), "Logo Error: Out of stack space\n");
  EXPECT_LT(h.interp().steps, 100'000u);
  // Ordinary errors are still caught.
  EXPECT_EQ(h.Lines("catch \"error [print 1 / 0] print error"), "13\n");
}

TEST(LogoInterrupt, WorkBudgetStopsAScriptWithAnError) {
  testing::Harness h(Budget(10'000));
  EXPECT_EQ(
      h.Script("catch \"error [repeat 1000000 [make \"x 1]]\nprint \"after"),
      "Logo Error: The script ran too long and was stopped\n\nAt: REPEAT 1000000 [MAKE \"x 1]\n");
  // The next script, and each typed line, start with the whole budget again.
  EXPECT_EQ(h.Script("repeat 100 [make \"x 1]\nprint \"fine"), "fine\n");
  EXPECT_EQ(h.Lines("repeat 1000 [make \"x 1]\nrepeat 1000 [make \"x 1] print \"fine"), "fine\n");
}

}  // namespace
}  // namespace corvida::logo

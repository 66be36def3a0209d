// Transition ids and names, completion of every effect, and pacing on the virtual clock.
#include <gtest/gtest.h>

#include "engine/transition.h"
#include "transition_rig.h"

namespace corvida {
namespace {

using testing::TransitionRig;

constexpr int kTicks = 17;  // milliseconds per tick

TEST(TransitionNames, NamesAndIdsRoundTripWithoutCase) {
  EXPECT_EQ(TransitionName(1), "Left to right");
  EXPECT_EQ(TransitionName(11), "Top to bottom");
  EXPECT_EQ(TransitionName(19), "Iris open");
  EXPECT_EQ(TransitionName(27), "Fade to button color");
  EXPECT_FALSE(TransitionName(28));
  EXPECT_FALSE(TransitionName(0));
  EXPECT_FALSE(TransitionName(-1));
  for (int id = 1; id <= 27; ++id) {
    ASSERT_TRUE(TransitionName(id)) << id;
    EXPECT_EQ(TransitionIdFromName(*TransitionName(id)), id);
  }
  EXPECT_EQ(TransitionIdFromName("iRIS CLOSE"), 20);
  EXPECT_EQ(TransitionIdFromName("mouth open"), 17);
  EXPECT_EQ(TransitionIdFromName("Iris"), -1);
  EXPECT_EQ(TransitionIdFromName("Fastest "), -1);
  EXPECT_EQ(TransitionIdFromName(""), -1);
}

TEST(TransitionNames, UnknownIdsAndSpeedsNormalise) {
  EXPECT_EQ(NormaliseTransitionId(0), 3);
  EXPECT_EQ(NormaliseTransitionId(29), 3);
  EXPECT_EQ(NormaliseTransitionId(-5), 3);
  EXPECT_EQ(NormaliseTransitionId(28), 28);
  EXPECT_EQ(NormaliseTransitionSpeed(0), 8);
  EXPECT_EQ(NormaliseTransitionSpeed(12), 8);
  EXPECT_EQ(NormaliseTransitionSpeed(16), 16);
  EXPECT_EQ(NormaliseTransitionSpeed(32), 32);
}

// Every effect, on odd sizes and offset targets, at both kinds of depth, ends with the
// target showing the new image and everything else untouched.
TEST(Transitions, EveryEffectEndsWithTheNewImage) {
  struct Case {
    int width, height;
    std::optional<Rect> target;
  };
  const Case cases[] = {{1, 1, {}},
                        {7, 5, {}},
                        {15, 31, {}},
                        {13, 59, {}},
                        {3, 40, {}},
                        {101, 67, {}},
                        {80, 60, Rect{5, 3, 44, 59}},
                        {40, 30, Rect{30, 20, 90, 90}},
                        {64, 48, Rect{10, 10, 11, 11}}};
  for (int depth : {8, 32}) {
    for (const Case& c : cases) {
      for (int id = 0; id <= 29; ++id) {
        TransitionRig rig(c.width, c.height, depth);
        rig.state().action_origin = Point{c.width - 1, 0};
        rig.Run(id, 8, c.target);
        const Rect t = c.target ? c.target->Intersect(rig.image().Bounds()) : rig.image().Bounds();
        for (int y = 0; y < c.height; ++y)
          for (int x = 0; x < c.width; ++x) {
            if (t.Contains({x, y}))
              ASSERT_TRUE(rig.ShowsNew(x, y))
                  << "id " << id << " depth " << depth << " size " << c.width << "x" << c.height
                  << " at " << x << "," << y;
            else
              ASSERT_TRUE(rig.ShowsOld(x, y)) << "id " << id << " touched " << x << "," << y;
          }
        EXPECT_EQ(rig.screen().finished_count(), 1);
      }
    }
  }
}

TEST(Transitions, ATargetOutsideTheCardDoesNothingButClearsTheButtonColour) {
  TransitionRig rig(40, 30, 8);
  rig.state().button_colour = {1, 2, 3};
  rig.Run(transition::kBlocks, 32, Rect{50, 50, 90, 90});
  EXPECT_EQ(rig.ElapsedMs(), 0u);
  EXPECT_TRUE(rig.screen().steps().empty());
  EXPECT_TRUE(rig.ShowsOld(0, 0));
  EXPECT_EQ(rig.state().button_colour, gfx::kBlack);
  EXPECT_EQ(rig.screen().finished_count(), 1);
}

// Effects cut into steps last speed x 8 ticks whatever their step count, including
// "Blinds" with hundreds of steps, and each step is due at its share of that time.
TEST(TransitionPacing, StepEffectsLastSpeedTimesEightTicks) {
  const int step_effects[] = {1,  2,  4,  7,  8,  9,  10, 11, 12, 13, 14,
                              15, 16, 17, 18, 19, 20, 23, 24, 25, 26, 28};
  for (int speed : {8, 16, 32}) {
    for (int id : step_effects) {
      TransitionRig rig(160, 480, 8);
      rig.clock().Set(1000);  // mid-tick: the run ends on a tick boundary
      rig.Run(id, speed);
      const uint32_t start_tick = 1000 / kTicks;
      EXPECT_EQ(rig.clock().Milliseconds(), uint32_t(start_tick + speed * 8) * kTicks)
          << "id " << id << " speed " << speed;
      const auto& steps = rig.screen().steps();
      ASSERT_FALSE(steps.empty());
      const int n = steps.back().total;
      for (size_t k = 1; k < steps.size(); ++k) {
        const uint32_t due_ticks = uint32_t((speed * 8 * int(k) + n - 1) / n);
        ASSERT_EQ(steps[k].ms, (start_tick + due_ticks) * kTicks) << "id " << id << " step " << k;
      }
    }
  }
}

TEST(TransitionPacing, FastestHalvesTheSpeedAndDoesNotWaitAtEight) {
  for (auto [speed, ticks] : {std::pair{8, 0}, {16, 64}, {32, 128}, {0, 0}, {99, 0}}) {
    TransitionRig rig(64, 48, 32);
    rig.Run(transition::kFastest, speed);
    EXPECT_EQ(rig.ElapsedMs(), uint32_t(ticks * kTicks)) << speed;
    EXPECT_EQ(rig.screen().steps().size(), 4u);
  }
  TransitionRig low(64, 3, 32);
  low.Run(0, 8);
  EXPECT_EQ(low.screen().steps().size(), 3u);  // fewer bands than four rows
}

TEST(TransitionPacing, FadesStepThePaletteEveryQuarterSpeedTicks) {
  for (auto [speed, per_step] : {std::pair{8, 2}, {16, 4}, {32, 8}}) {
    TransitionRig rig(32, 24, 8);
    rig.Run(transition::kFadeToBlack, speed);
    EXPECT_EQ(rig.ElapsedMs(), uint32_t(63 * per_step * kTicks)) << speed;
    EXPECT_EQ(rig.screen().steps().size(), 63u);
  }
}

TEST(TransitionPacing, ZoomFramesWaitSpeedPlusOneTicksThenShowFastest) {
  TransitionRig rig(100, 80, 32);
  rig.Run(transition::kZoomOut, 16);
  EXPECT_EQ(rig.ElapsedMs(), uint32_t(18 * 17 * kTicks));
  EXPECT_EQ(rig.screen().steps().size(), 18u + 4u);
}

// Messages that arrive during a transition are kept and posted again afterwards (timer
// messages only once), or handed to the handler the player gives.
TEST(TransitionPacing, MessagesDuringTheWaitsAreKeptOrHandled) {
  TransitionRig rig(64, 48, 8);
  HeadlessWindowSystem& windows = rig.windows();
  const WindowId window = windows.CreateWindow("card", {64, 48});
  windows.SetTimer(window, 1, 55);
  windows.PostMessage({window, msg::kKeyDown, vk::kSpace, 0, 0});
  rig.Run(transition::kLeftToRight, 8);
  EXPECT_EQ(rig.ElapsedMs(), uint32_t(64 * kTicks));
  int keys = 0, timers = 0;
  Message m;
  while (windows.PeekMessage(m, 0, 0, 0, true)) {
    keys += m.message == msg::kKeyDown;
    timers += m.message == msg::kTimer;
  }
  EXPECT_EQ(keys, 1);
  EXPECT_EQ(timers, 1);

  int handled = 0;
  rig.screen().SetMessageHandler(
      [&](const Message& got) { handled += got.message == msg::kTimer; });
  rig.Run(transition::kLeftToRight, 8);
  EXPECT_EQ(rig.ElapsedMs(), uint32_t(64 * kTicks));
  EXPECT_GE(handled, 19);  // about 1.1 s of a 55 ms timer
  EXPECT_FALSE(windows.PeekMessage(m, 0, 0, 0, false));
}

}  // namespace
}  // namespace corvida

// What the individual effects draw, step by step.
#include <gtest/gtest.h>

#include "engine/transition.h"
#include "engine/transition_internal.h"
#include "transition_rig.h"

namespace corvida {
namespace {

using testing::TransitionRig;

long Area(const std::vector<Rect>& rects) {
  long a = 0;
  for (const Rect& r : rects) a += long(r.Width()) * r.Height();
  return a;
}

TEST(TransitionEffects, WipesCopyOneStripPerStepFromTheirSide) {
  TransitionRig rig(640, 480, 8);
  rig.Run(transition::kLeftToRight);
  ASSERT_EQ(rig.screen().steps().size(), 64u);
  for (int i = 0; i < 64; ++i)
    ASSERT_EQ(rig.screen().steps()[size_t(i)].copies,
              (std::vector<Rect>{{i * 10, 0, i * 10 + 10, 480}}));

  // A target narrower than 64 pixels wipes in as many steps as it has columns.
  TransitionRig narrow(100, 50, 8);
  narrow.Run(transition::kRightToLeft, 8, Rect{10, 0, 30, 50});
  ASSERT_EQ(narrow.screen().steps().size(), 20u);
  EXPECT_EQ(narrow.screen().steps()[0].copies, (std::vector<Rect>{{29, 0, 30, 50}}));
  EXPECT_EQ(narrow.screen().steps()[19].copies, (std::vector<Rect>{{10, 0, 11, 50}}));

  TransitionRig tall(30, 200, 8);
  tall.Run(transition::kBottomToTop);
  ASSERT_EQ(tall.screen().steps().size(), 64u);
  EXPECT_EQ(tall.screen().steps()[0].copies, (std::vector<Rect>{{0, 197, 30, 200}}));
}

TEST(TransitionEffects, BlocksFollowTheirOrderInFortyOneSteps) {
  TransitionRig rig(640, 480, 8);
  rig.Run(transition::kBlocks);
  const auto& steps = rig.screen().steps();
  ASSERT_EQ(steps.size(), 41u);
  // Blocks are 41 x 48 pixels (one more each way when copied); the first is column 15,
  // row 3, cut at the right edge; then four per step: (0,8), (4,8), (3,3), (5,8).
  EXPECT_EQ(steps[0].copies, (std::vector<Rect>{{615, 144, 640, 193}}));
  // Row 8 ends one pixel short of a block above the bottom, so it reaches down to it.
  EXPECT_EQ(
      steps[1].copies,
      (std::vector<Rect>{
          {0, 384, 42, 480}, {164, 384, 206, 480}, {123, 144, 165, 193}, {205, 384, 247, 480}}));
  size_t copies = rig.screen().final_copies().size();
  for (const auto& s : steps) copies += s.copies.size();
  EXPECT_EQ(copies, 163u);
  EXPECT_EQ(steps[3].copies[3], (Rect{0, 432, 42, 480}));  // piece 12 is (0,9)

  // Heights that are not a multiple of ten: the last row still reaches the bottom.
  TransitionRig odd(160, 59, 8);
  odd.Run(transition::kBlocks);
  EXPECT_EQ(odd.screen().steps()[3].copies[3], (Rect{0, 45, 12, 59}));
}

TEST(TransitionEffects, BlindsBarsBarnsAndIrisesCountTheirSteps) {
  TransitionRig blinds(50, 100, 8);
  blinds.Run(transition::kBlinds);
  ASSERT_EQ(blinds.screen().steps().size(), 9u * 12u);  // 12 slats of 9 rows
  EXPECT_EQ(blinds.screen().steps()[1].copies, (std::vector<Rect>{{0, 9, 50, 10}}));
  EXPECT_EQ(blinds.screen().steps()[11].copies, (std::vector<Rect>{{0, 99, 50, 100}}));
  EXPECT_TRUE(blinds.screen().steps()[23].copies.empty());  // row 100 lies outside
  EXPECT_EQ(blinds.screen().steps()[12].copies, (std::vector<Rect>{{0, 1, 50, 2}}));

  TransitionRig bars(640, 480, 8);
  bars.Run(transition::kBars);
  ASSERT_EQ(bars.screen().steps().size(), 32u);
  const auto& first = bars.screen().steps()[0].copies;
  ASSERT_EQ(first.size(), 16u);
  EXPECT_EQ(first[0], (Rect{0, 0, 40, 15}));      // first bar grows from the top
  EXPECT_EQ(first[1], (Rect{40, 465, 80, 480}));  // its neighbour from the bottom

  TransitionRig barn(640, 480, 8);
  barn.Run(transition::kBarnOpen);
  ASSERT_EQ(barn.screen().steps().size(), 64u);
  EXPECT_EQ(barn.screen().steps()[0].copies,
            (std::vector<Rect>{{315, 0, 320, 480}, {320, 0, 325, 480}}));
  TransitionRig mouth(640, 480, 8);
  mouth.Run(transition::kMouthClose);
  EXPECT_EQ(mouth.screen().steps()[0].copies,
            (std::vector<Rect>{{0, 0, 640, 3}, {0, 476, 640, 480}}));

  TransitionRig iris(640, 480, 8);
  iris.Run(transition::kIrisOpen);
  ASSERT_EQ(iris.screen().steps().size(), 32u);
  EXPECT_EQ(Area(iris.screen().steps()[0].copies), 20L * 15);  // the innermost rectangle
  TransitionRig close(640, 480, 8);
  close.Run(transition::kIrisClose);
  EXPECT_EQ(Area(close.screen().steps()[0].copies), 640L * 480 - 620L * 465);
}

// The merging effects only ever add new pixels to what the screen shows, and end with
// their last step complete.
TEST(TransitionEffects, MaskEffectsAccumulateAndComplete) {
  for (int id : {13, 14, 23, 24, 25, 26, 28}) {
    for (int depth : {8, 32}) {
      TransitionRig rig(90, 70, depth);
      rig.screen().KeepFrames(true);
      rig.Run(id, 8, Rect{3, 5, 83, 65});
      const auto& frames = rig.screen().frames();
      ASSERT_GE(frames.size(), 8u);
      const Rect t{3, 5, 83, 65};
      long before = 0;
      for (size_t k = 0; k < frames.size(); ++k) {
        const long now = rig.CountNew(frames[k], t);
        ASSERT_GE(now, before) << "id " << id << " step " << k;
        for (int y = t.top; k > 0 && y < t.bottom; ++y) {
          for (int x = t.left; x < t.right; ++x) {
            if (frames[k - 1].Get(x, y) == rig.image().Get(x, y)) {
              ASSERT_EQ(frames[k].Get(x, y), rig.image().Get(x, y)) << id << " reverted";
            }
          }
        }
        before = now;
      }
      if (id != transition::kDissolve) {  // its first row comes after the last step
        EXPECT_EQ(before, long(t.Width()) * t.Height()) << id;
      }
    }
  }
}

TEST(TransitionEffects, PatternsRevealTheirBitsAlignedToTheTarget) {
  TransitionRig rig(40, 30, 8);
  rig.screen().KeepFrames(true);
  rig.Run(transition::kRazorLeft, 8, Rect{3, 5, 35, 29});
  const gfx::Bitmap& first = rig.screen().frames()[0];
  // Step 1, row 0 is 0x01: only the eighth pixel of each eight from the target's left.
  EXPECT_EQ(first.Get(3 + 7, 5), rig.image().Get(10, 5));
  EXPECT_EQ(first.Get(3, 5), testing::kOldPixel);
  EXPECT_EQ(first.Get(3 + 6, 6), rig.image().Get(9, 6));  // row 1 is 0x02
  EXPECT_EQ(rig.CountNew(first, {3, 5, 35, 29}), 32L * 24 / 8);
}

TEST(TransitionEffects, DissolveRegisterVisitsEveryCellOnce) {
  // A maximal-length register returns to 1 after 2^n - 1 values, so it produced every
  // non-zero cell exactly once.
  for (int n = 4; n <= 26; ++n) {
    const uint32_t taps = transition_detail::DissolveTaps(n);
    ASSERT_NE(taps, 0u);
    uint64_t count = 0;
    uint32_t v = 1;
    do {
      v = (v >> 1) ^ ((v & 1) ? taps : 0);
      ++count;
    } while (v != 1 && count <= (uint64_t(1) << n));
    EXPECT_EQ(count, (uint64_t(1) << n) - 1) << n;
  }
  EXPECT_EQ(transition_detail::DissolveTaps(27), 0u);
}

TEST(TransitionEffects, DissolveLeavesOnlyTheCornerForTheFirstRowCopy) {
  TransitionRig rig(64, 32, 8);  // a power-of-two target: the mask fits exactly
  rig.screen().KeepFrames(true);
  rig.Run(transition::kDissolve);
  const auto& frames = rig.screen().frames();
  ASSERT_EQ(frames.size(), 16u);
  EXPECT_EQ(rig.CountNew(frames[15], {0, 0, 64, 32}), 64L * 32 - 1);
  EXPECT_EQ(frames[15].Get(0, 0), testing::kOldPixel);
  EXPECT_EQ(rig.CountNew(frames[0], {0, 0, 64, 32}), (64L * 32 - 1) / 16 + 1);
  EXPECT_EQ(rig.screen().final_copies(), (std::vector<Rect>{{0, 0, 64, 1}}));
}

TEST(TransitionEffects, DissolveBeyondTheRegisterTableRunsAsFastest) {
  TransitionRig rig(16384, 8193, 1, 0, false);  // a 2^28-cell mask
  rig.Run(transition::kDissolve, 16);
  EXPECT_EQ(rig.screen().steps().size(), 4u);
  EXPECT_EQ(rig.ElapsedMs(), uint32_t(64 * 17));
}

TEST(TransitionEffects, FadesAnimateTheIndexedPaletteThroughTheColour) {
  TransitionRig rig(32, 24, 8);
  rig.state().button_colour = {200, 100, 50};
  rig.screen().KeepFrames(true);
  PrepareTransition(rig.state(), transition::kFadeToButtonColor, rig.screen());
  rig.Run(transition::kFadeToButtonColor);
  const auto& frames = rig.screen().frames();
  ASSERT_EQ(frames.size(), 63u);
  // Step 32: every entry shows the colour, the old picture still in place.
  EXPECT_EQ(frames[31].palette.At(7), (gfx::Rgb{200, 100, 50}));
  EXPECT_EQ(frames[31].Get(5, 5), testing::kOldPixel);
  // Halfway down: entry 1 of the grey ramp (1,1,1) mixed 16/32 with the colour.
  EXPECT_EQ(frames[15].palette.At(1), (gfx::Rgb{100, 50, 25}));
  // The way back shows the new image, ending on the new palette.
  EXPECT_TRUE(frames[32].Get(5, 5) == rig.image().Get(5, 5));
  EXPECT_TRUE(rig.shown().palette.SameColors(rig.image().palette));
  EXPECT_EQ(rig.state().button_colour, gfx::kBlack);

  // No action since: the button colour is black, so the next fade goes through black.
  rig.screen().Reset();
  rig.Run(transition::kFadeToButtonColor);
  EXPECT_EQ(rig.screen().frames()[31].palette.At(7), gfx::kBlack);
}

TEST(TransitionEffects, FadesOnTrueColourShowTheImageAtOnce) {
  TransitionRig rig(32, 24, 32);
  rig.Run(transition::kFadeToWhite, 32);
  EXPECT_EQ(rig.ElapsedMs(), 0u);
  EXPECT_EQ(rig.screen().steps().size(), 4u);
  EXPECT_TRUE(rig.ShowsNew(31, 23));
}

TEST(TransitionEffects, CardChangesMoveTheIndexedPaletteObjectRedrawsDoNot) {
  TransitionRig rig(64, 48, 8);
  const gfx::Palette old = rig.shown().palette;
  rig.screen().KeepFrames(true);
  rig.Run(transition::kLeftToRight);
  const gfx::Palette& half = rig.screen().frames()[31].palette;  // 32/64 of the way
  EXPECT_EQ(half.At(10).r, (old.At(10).r + rig.image().palette.At(10).r) / 2);
  EXPECT_TRUE(rig.shown().palette.SameColors(rig.image().palette));

  TransitionRig redraw(64, 48, 8);
  const gfx::Palette before = redraw.shown().palette;
  redraw.Run(transition::kLeftToRight, 8, Rect{0, 0, 10, 10}, false);
  EXPECT_TRUE(redraw.shown().palette.SameColors(before));
  for (const auto& s : redraw.screen().steps()) EXPECT_FALSE(s.palette_changed);
}

TEST(TransitionEffects, ZoomDrawsAndErasesInvertedRectangles) {
  for (bool zoom_in : {true, false}) {
    TransitionRig rig(100, 80, 32);
    rig.state().action_origin = Point{50, 40};
    rig.screen().KeepFrames(true);
    rig.Run(zoom_in ? transition::kZoomIn : transition::kZoomOut);
    const auto& frames = rig.screen().frames();
    ASSERT_EQ(frames.size(), 22u);
    const uint32_t inverted = ~testing::kOldPixel & 0xFFFFFF;
    // Zoom in starts at the target's edge; zoom out at the 4-pixel origin rectangle.
    const Point corner = zoom_in ? Point{0, 0} : Point{48, 38};
    EXPECT_EQ(frames[0].Get(corner.x, corner.y), inverted) << zoom_in;
    EXPECT_EQ(frames[0].Get(50, 40), testing::kOldPixel);
    // After the eighteenth frame every rectangle has been erased again.
    EXPECT_EQ(rig.CountNew(frames[17], {0, 0, 100, 80}), 0);
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 100; ++x) ASSERT_EQ(frames[17].Get(x, y), testing::kOldPixel);
  }
}

TEST(TransitionEffects, IndexedImagesOnATrueColourScreenKeepTheirColours) {
  TransitionRig rig(40, 30, 8, 32);
  rig.Run(transition::kRain);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const gfx::Rgb want = rig.image().palette.At(int(rig.image().Get(x, y)));
      ASSERT_EQ(rig.shown().ColorAt(x, y), want);
    }
}

// The merging effects keep their memory between runs; a run on another target size or
// another effect must not show anything left from the one before.
TEST(TransitionEffects, MemoryKeptBetweenRunsLeavesNothingBehind) {
  TransitionRig rig(60, 40, 32);
  rig.Run(transition::kCrossFade);
  const Rect small{7, 3, 30, 33};
  for (int id : {transition::kRain, transition::kBowTies, transition::kCrossFade}) {
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x) rig.shown().Set(x, y, testing::kOldPixel);
    rig.Run(id, 8, small);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x)
        ASSERT_EQ(rig.ShowsNew(x, y), small.Contains({x, y})) << id << " at " << x << "," << y;
  }
}

TEST(TransitionEffects, ObserversSeeEveryStepAsShown) {
  TransitionRig rig(64, 48, 8);
  std::vector<long> revealed;
  rig.screen().SetStepObserver(
      [&](const RecordingTransitionScreen::StepRecord& step, const gfx::Bitmap& frame) {
        EXPECT_EQ(step.number, int(revealed.size()) + 1);
        revealed.push_back(rig.CountNew(frame, {0, 0, 64, 48}));
      });
  rig.Run(transition::kTopToBottom);
  ASSERT_EQ(revealed.size(), 48u);
  EXPECT_EQ(revealed[0], 64);
  EXPECT_EQ(revealed[23], 64L * 24);
}

}  // namespace
}  // namespace corvida

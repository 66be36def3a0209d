// The hand pointers the player draws itself: well-formed art whose hot spot lies on the
// drawn hand, and no art for the shapes the system supplies.
#if CORVIDA_HAVE_SDL
#include <gtest/gtest.h>

#include <cstring>

#include "platform/sdl/sdl_window_system.h"

namespace corvida::sdl {
namespace {

TEST(SdlCursors, HandsAreDrawnWithTheirHotSpotOnTheHand) {
  for (CursorShape shape : {CursorShape::kFlatHand, CursorShape::kGrabHand, CursorShape::kHand}) {
    const CursorArt art = HandCursorArt(shape);
    ASSERT_NE(art.rows, nullptr);
    int outline = 0, fill = 0;
    for (int y = 0; y < kCursorSide; ++y) {
      ASSERT_EQ(std::strlen(art.rows[y]), size_t(kCursorSide)) << "row " << y;
      for (int x = 0; x < kCursorSide; ++x) {
        const char c = art.rows[y][x];
        ASSERT_TRUE(c == 'X' || c == '.' || c == ' ') << x << "," << y;
        outline += c == 'X';
        fill += c == '.';
      }
    }
    EXPECT_GT(outline, 20);
    EXPECT_GT(fill, 20);
    ASSERT_TRUE(art.hotspot.x >= 0 && art.hotspot.x < kCursorSide && art.hotspot.y >= 0 &&
                art.hotspot.y < kCursorSide);
    EXPECT_NE(art.rows[art.hotspot.y][art.hotspot.x], ' ');
  }
  // The pointing hand points with the tip of its finger.
  EXPECT_EQ(HandCursorArt(CursorShape::kHand).hotspot.y, 0);
  EXPECT_EQ(HandCursorArt(CursorShape::kIBeam).rows, nullptr);
  EXPECT_EQ(HandCursorArt(CursorShape::kArrow).rows, nullptr);
}

}  // namespace
}  // namespace corvida::sdl
#endif

// The pointer shapes the player draws itself: every one well formed (16 x 16, fill
// enclosed by outline so it shows on light and dark cards, hot spot on the drawing), the
// 23 stack cursors all different, and the same pixels for every backend.
#include "platform/cursor_art.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace corvida {
namespace {

std::vector<CursorArt> AllArt() {
  std::vector<CursorArt> all;
  for (CursorShape hand : {CursorShape::kHand, CursorShape::kFlatHand, CursorShape::kGrabHand})
    all.push_back(HandCursorArt(hand));
  for (int slot = 0; slot < kStackCursorCount; ++slot) all.push_back(StackCursorArt(slot));
  return all;
}

TEST(CursorArt, EveryShapeIsWellFormedWithItsHotSpotOnTheDrawing) {
  for (const CursorArt& art : AllArt()) {
    SCOPED_TRACE(art.name);
    ASSERT_NE(art.rows, nullptr);
    int outline = 0;
    for (int y = 0; y < kCursorSide; ++y) {
      ASSERT_EQ(std::strlen(art.rows[y]), size_t(kCursorSide)) << "row " << y;
      for (int x = 0; x < kCursorSide; ++x) {
        const char c = art.rows[y][x];
        ASSERT_TRUE(c == 'X' || c == '.' || c == ' ') << x << "," << y;
        outline += c == 'X';
        if (c != '.') continue;
        // White fill never borders the transparent outside: it would vanish on white.
        const int nx[] = {x - 1, x + 1, x, x}, ny[] = {y, y, y - 1, y + 1};
        for (int i = 0; i < 4; ++i) {
          if (nx[i] < 0 || ny[i] < 0 || nx[i] >= kCursorSide || ny[i] >= kCursorSide) continue;
          EXPECT_NE(art.rows[ny[i]][nx[i]], ' ') << "open fill at " << x << "," << y;
        }
      }
    }
    EXPECT_GE(outline, 16);
    ASSERT_TRUE(art.hotspot.x >= 0 && art.hotspot.x < kCursorSide && art.hotspot.y >= 0 &&
                art.hotspot.y < kCursorSide);
    EXPECT_NE(art.rows[art.hotspot.y][art.hotspot.x], ' ');
  }
}

TEST(CursorArt, TheTwentyThreeStackCursorsDifferAndNothingLiesBeyondThem) {
  std::set<std::string> drawings;
  for (int slot = 0; slot < kStackCursorCount; ++slot) {
    std::string rows;
    for (int y = 0; y < kCursorSide; ++y) rows += StackCursorArt(slot).rows[y];
    drawings.insert(rows);
  }
  EXPECT_EQ(drawings.size(), size_t(kStackCursorCount));
  for (int slot : {-1, kStackCursorCount, 1000}) EXPECT_EQ(StackCursorArt(slot).rows, nullptr);
  EXPECT_EQ(HandCursorArt(CursorShape::kIBeam).rows, nullptr);  // the system's own
  // The player's pointing hand is the stack's first cursor, pointing with its finger tip.
  EXPECT_EQ(HandCursorArt(CursorShape::kHand).rows, StackCursorArt(0).rows);
  EXPECT_EQ(StackCursorArt(0).hotspot.y, 0);
}

TEST(CursorArt, PixelsAndCssShowTheArtWithItsHotSpot) {
  const CursorArt art = StackCursorArt(3);  // the arrow to the right, pointing at 14, 7
  const std::vector<uint8_t> rgba = CursorPixels(art);
  ASSERT_EQ(rgba.size(), size_t(kCursorSide * kCursorSide * 4));
  const struct {
    int x, y;
    uint8_t grey, alpha;
  } kPixels[] = {{0, 0, 255, 0}, {14, 7, 0, 255}, {5, 7, 255, 255}};
  for (const auto& p : kPixels) {
    const uint8_t* px = &rgba[(p.y * kCursorSide + p.x) * 4];
    EXPECT_EQ(px[0], p.grey) << p.x << "," << p.y;
    EXPECT_EQ(px[3], p.alpha) << p.x << "," << p.y;
  }
  const std::string css = CursorCss(art);
  EXPECT_EQ(css.rfind("url(\"data:image/svg+xml;utf8,<svg", 0), 0u) << css;
  EXPECT_NE(css.find("\") 14 7, default"), std::string::npos);
  EXPECT_EQ(css.find('#'), std::string::npos);  // would end the data URL
  EXPECT_EQ(CursorPixels({}).size(), 0u);
  EXPECT_EQ(CursorCss({}), "default");
}

}  // namespace
}  // namespace corvida

// The text field scroll bar: its geometry, what a point in it is, the thumb's place for a
// scroll position and back, and its drawing.
#include "engine/scrollbar.h"

#include <gtest/gtest.h>

namespace corvida {
namespace {

TEST(ScrollBar, GeometryOfTallShortAndLowFields) {
  // 100 high: arrows of 16, a thumb in a track of 100 - 48 = 52 pixels.
  ScrollBarGeometry g = ScrollBarLayout({10, 20, 110, 120}, 0);
  EXPECT_EQ(g.bar, (Rect{94, 20, 110, 120}));
  EXPECT_EQ(g.arrow, 16);
  EXPECT_TRUE(g.thumb_shown);
  EXPECT_EQ(g.track_length, 52);
  EXPECT_EQ(g.up, (Rect{94, 20, 110, 36}));
  EXPECT_EQ(g.down, (Rect{94, 104, 110, 120}));
  EXPECT_EQ(g.thumb, (Rect{94, 36, 110, 52}));
  // The thumb stays in its track.
  EXPECT_EQ(ScrollBarLayout({10, 20, 110, 120}, 500).thumb.top, 36 + 52);

  // 40 high is not above 8 + 48: no thumb, and its middle takes no press.
  g = ScrollBarLayout({0, 0, 100, 40}, 0);
  EXPECT_FALSE(g.thumb_shown);
  EXPECT_EQ(BarPartAt(g, {90, 20}), BarPart::kNone);
  EXPECT_EQ(BarPartAt(g, {90, 5}), BarPart::kUpArrow);
  EXPECT_EQ(BarPartAt(g, {90, 39}), BarPart::kDownArrow);

  // 20 high: two arrows of 10.
  g = ScrollBarLayout({0, 0, 100, 20}, 0);
  EXPECT_EQ(g.arrow, 10);
  EXPECT_EQ(g.up, (Rect{84, 0, 100, 10}));
  EXPECT_EQ(g.down, (Rect{84, 10, 100, 20}));
}

TEST(ScrollBar, PartsUnderThePointer) {
  const ScrollBarGeometry g = ScrollBarLayout({0, 0, 100, 120}, 30);  // thumb 46..62
  EXPECT_EQ(BarPartAt(g, {84, 50}), BarPart::kNone);  // x must lie right of right - w
  EXPECT_EQ(BarPartAt(g, {85, 10}), BarPart::kUpArrow);
  EXPECT_EQ(BarPartAt(g, {85, 30}), BarPart::kPageUp);
  EXPECT_EQ(BarPartAt(g, {85, 50}), BarPart::kThumb);
  EXPECT_EQ(BarPartAt(g, {85, 80}), BarPart::kPageDown);
  EXPECT_EQ(BarPartAt(g, {85, 110}), BarPart::kDownArrow);
  EXPECT_EQ(BarPartAt(g, {100, 50}), BarPart::kNone);  // past the field
}

TEST(ScrollBar, ThumbOffsetAndScrollValueAreInverse) {
  const Rect field{0, 0, 100, 148};  // track of 100
  EXPECT_EQ(ThumbOffsetFor(field, {0, 400}), 0);
  EXPECT_EQ(ThumbOffsetFor(field, {200, 400}), 50);
  EXPECT_EQ(ThumbOffsetFor(field, {400, 400}), 100);
  EXPECT_EQ(ThumbOffsetFor(field, {5, 0}), 0);  // nothing to scroll
  EXPECT_EQ(ScrollValueForThumb(field, 50, 400), 200);
  EXPECT_EQ(ScrollValueForThumb(field, 100, 400), 400);  // the bottom is the end
  EXPECT_EQ(ScrollValueForThumb(field, 900, 400), 400);
  EXPECT_EQ(ScrollValueForThumb(field, -5, 400), 0);
  // Huge texts do not overflow the arithmetic.
  EXPECT_EQ(ThumbOffsetFor(field, {50'000'000, 100'000'000}), 50);
  EXPECT_EQ(ScrollValueForThumb(field, 50, 100'000'000), 50'000'000);
  // A track without length stands for the whole range.
  EXPECT_EQ(ScrollValueForThumb({0, 0, 100, 40}, 0, 300), 300);
}

TEST(ScrollBar, DrawsArrowsTrackAndThumbInsideTheClip) {
  gfx::Bitmap b;
  ASSERT_TRUE(b.Create(120, 130, 32));
  gfx::DrawTarget t(b);
  t.FillRect(b.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
  const ScrollBarGeometry g = ScrollBarLayout({0, 0, 100, 120}, 30);
  DrawScrollBar(t, g, BarPart::kNone, {0, 0, 120, 100});
  const gfx::Rgb light{0xC0, 0xC0, 0xC0};
  EXPECT_EQ(t.PixelRgb({92, 35}), light);                         // the track
  EXPECT_EQ(t.PixelRgb({84, 35}), gfx::kBlack);                   // the track's left edge
  EXPECT_EQ(t.PixelRgb({86, 47}), gfx::kWhite);                   // the thumb's highlight
  EXPECT_EQ(t.PixelRgb({98, 55}), (gfx::Rgb{0x80, 0x80, 0x80}));  // its shadow
  EXPECT_EQ(t.PixelRgb({92, 105}), gfx::kWhite);                  // below the clip: untouched
  EXPECT_EQ(t.PixelRgb({50, 50}), gfx::kWhite);                   // left of the bar: untouched

  // A held arrow looks different from a released one.
  gfx::Bitmap up;
  ASSERT_TRUE(up.Create(120, 130, 32));
  gfx::DrawTarget u(up);
  DrawScrollBar(u, g, BarPart::kUpArrow, up.Bounds());
  bool differs = false;
  for (int y = g.up.top; y < g.up.bottom; ++y)
    for (int x = g.up.left; x < g.up.right; ++x)
      differs |= !(u.PixelRgb({x, y}) == t.PixelRgb({x, y}));
  EXPECT_TRUE(differs);
}

}  // namespace
}  // namespace corvida

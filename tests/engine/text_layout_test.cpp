// The text component's layout, hit testing, scrolling and drawing. Most tests use the
// built-in metrics (no font service): every character of a size-10 font is equally wide,
// so expected positions can be counted.
#include <gtest/gtest.h>

#include "engine/text.h"
#include "tests/support/test_support.h"

namespace corvida {
namespace {

TextStyle Sized(int size, uint8_t style = 0) {
  TextStyle s;
  s.font = "Geneva";
  s.size = size;
  s.style = style;
  return s;
}

class TextLayout : public ::testing::Test {
 protected:
  TextLayout() : text(nullptr, {100, 50, 100 + 10 * Cell(), 50 + 4 * LineHeight()}) {}
  static int Cell() { return MakeBuiltinFont(10, 0)->Advance('a'); }
  static int LineHeight() { return MakeBuiltinFont(10, 0)->metrics().line_height; }
  void Set(const std::string& s) { text.SetText(s, {{0, Sized(10)}}); }
  std::vector<std::string> LineTexts() {
    std::vector<std::string> out;
    for (const TextLine& l : text.Lines())
      out.push_back(text.text().substr(l.start, l.end - l.start));
    return out;
  }
  TextObject text;  // a view 10 characters wide and 4 lines high
};

TEST_F(TextLayout, WrapsAtSpacesBreaksLongWordsAndEndsParagraphsAtReturn) {
  Set("one two three four\rfive abcdefghijklmnop");
  EXPECT_EQ(LineTexts(), (std::vector<std::string>{"one two ", "three four\r", "five ",
                                                   "abcdefghij", "klmnop"}));
  // Trailing spaces hang past the edge and are not part of the shown width.
  EXPECT_EQ(text.Lines()[0].width, 7 * Cell());
  EXPECT_EQ(text.Lines()[1].top, LineHeight());

  // A final return gives the insertion point an empty line of its own.
  Set("ab\r");
  ASSERT_EQ(text.NumLines(), 2);
  EXPECT_EQ(text.LineOfOffset(3), 1);
  Set("");
  EXPECT_EQ(text.NumLines(), 1);
  EXPECT_GT(text.TextHeight(), 0);
}

TEST_F(TextLayout, LineIsAsTallAsItsTallestRunAndTabsStopOnAGrid) {
  text.SetText("ab Bc defg", {{0, Sized(10)}, {3, Sized(30)}, {4, Sized(10)}});
  auto big = MakeBuiltinFont(30, 0);
  ASSERT_EQ(text.NumLines(), 2);  // "defg" no longer fits beside the big "B"
  EXPECT_EQ(text.Lines()[0].ascent, big->metrics().ascent);
  EXPECT_EQ(text.Lines()[0].height, big->metrics().line_height);
  EXPECT_EQ(text.Lines()[1].top, big->metrics().line_height);
  EXPECT_EQ(text.Lines()[1].height, LineHeight());

  Set("a\tb");
  EXPECT_EQ(text.OffsetToPoint(2).x, 100 + kTabWidth);
}

TEST_F(TextLayout, PointsAndOffsetsMapBothWays) {
  Set("one two three four");
  const int c = Cell(), h = LineHeight();
  // Round trip for every offset.
  for (size_t i = 0; i <= text.size(); ++i) {
    Point p = text.OffsetToPoint(i);
    EXPECT_EQ(text.PointToOffset({p.x, p.y + 1}), i) << i;
  }
  EXPECT_EQ(text.OffsetToPoint(9), (Point{100 + c, 50 + h}));
  // Nearest boundary: the left half of a character is before it, the right half after.
  EXPECT_EQ(text.PointToOffset({100 + c + 1, 51}), 1u);
  EXPECT_EQ(text.PointToOffset({100 + c + c - 1, 51}), 2u);
  // The character under the point is the cell holding it.
  EXPECT_EQ(text.CharAt({100 + c + c - 1, 51}), 1u);
  EXPECT_EQ(text.CharAt({100 + 9 * c, 51}), text.size());  // right of the line's text
  EXPECT_EQ(text.CharAt({99, 51}), text.size());           // outside the view
  // Below the last line: the last line; above the first: the first.
  EXPECT_EQ(text.PointToOffset({100 + 2 * c, 50 + 40 * h}), 10u);
  EXPECT_EQ(text.PointToOffset({100, 0}), 0u);
}

TEST_F(TextLayout, ScrollsByLinesPagesAndPixelsWithinItsRange) {
  std::string s;
  for (int i = 0; i < 10; ++i) s += "line\r";
  Set(s);  // 11 lines in a view of 4
  const int h = LineHeight();
  ScrollValues v = text.GetScrollValues();
  EXPECT_EQ(v.value, 0);
  EXPECT_EQ(v.maximum, 7 * h);

  EXPECT_FALSE(text.Scroll(+1));  // already at the start
  EXPECT_TRUE(text.Scroll(-1));
  EXPECT_EQ(text.scroll(), h);
  EXPECT_TRUE(text.Scroll(-2));
  EXPECT_EQ(text.scroll(), h + 3 * h);  // a page keeps one line of the last view
  EXPECT_TRUE(text.ScrollPixels(3));
  EXPECT_EQ(text.scroll(), 4 * h + 3);
  EXPECT_TRUE(text.Scroll(+1));  // back to the top of the partly hidden line
  EXPECT_EQ(text.scroll(), 4 * h);
  EXPECT_TRUE(text.ScrollPixels(1000));
  EXPECT_EQ(text.scroll(), 7 * h);
  EXPECT_FALSE(text.Scroll(-1));

  // The hit testing follows the scroll.
  EXPECT_EQ(text.PointToOffset({100, 51}), 7u * 5u);
  // Scrolling an offset into view, with a margin where the view allows one.
  EXPECT_TRUE(text.ScrollToView(0, 0));
  EXPECT_EQ(text.scroll(), 0);
  EXPECT_TRUE(text.ScrollToView(35, h));  // line 7 ends one line above the view's bottom
  EXPECT_EQ(text.scroll(), 8 * h - 3 * h);
  EXPECT_FALSE(text.ScrollToView(35, h));
}

TEST(TextDraw, DrawsRunsInTheirColoursInsideTheViewOnly) {
  testing::TestPlatform tp;
  FontService* fonts = tp.platform->fonts();
  if (!fonts->has_faces()) GTEST_SKIP() << "no font files";
  gfx::Bitmap bitmap;
  ASSERT_TRUE(bitmap.Create(200, 60, 32));
  gfx::DrawTarget target(bitmap);
  target.FillRect(bitmap.Bounds(), gfx::Color::FromRgb(gfx::kWhite));

  TextObject text(fonts, {10, 10, 110, 30});
  TextStyle red = Sized(14, font_style::kBold);
  red.own_colour = true;
  red.colour = {255, 0, 0};
  text.SetText("MMMM MMMM MMMM MMMM MMMM", {{0, Sized(14)}, {5, red}});
  text.SetFieldColour(gfx::Color::FromRgb(0, 0, 255));
  text.Draw(target, bitmap.Bounds());

  int blue = 0, reds = 0, outside = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 200; ++x) {
      gfx::Rgb c = bitmap.ColorAt(x, y);
      if (c == gfx::kWhite) continue;
      if (!Rect{10, 10, 110, 30}.Contains({x, y})) ++outside;
      if (c.b > c.r + 100 && c.b > c.g + 100) ++blue;  // antialiased: mostly blue
      if (c.r > c.g + 100 && c.r > c.b + 100) ++reds;
    }
  }
  EXPECT_GT(blue, 10);
  EXPECT_GT(reds, 10);
  EXPECT_EQ(outside, 0);  // the second line and beyond are clipped to the view

  // A selection is shown behind the text only while the object is active.
  text.SetSelection(0, 4);
  text.Draw(target, bitmap.Bounds());
  EXPECT_NE(bitmap.ColorAt(11, 11), TextObject::kHighlight);
  text.SetActive(true);
  text.Draw(target, bitmap.Bounds());
  EXPECT_EQ(bitmap.ColorAt(11, 11), TextObject::kHighlight);
}

}  // namespace
}  // namespace corvida

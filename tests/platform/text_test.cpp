#include <gtest/gtest.h>

#include <set>

#include "platform/font_names.h"
#include "platform/gfx/text.h"

namespace corvida::gfx {
namespace {

constexpr Rgb kWhiteRgb{255, 255, 255};

struct Canvas {
  explicit Canvas(int width, int height, int depth = 32) {
    EXPECT_TRUE(bitmap.Create(width, height, depth));
    if (depth == 8) {
      bitmap.palette.count = 4;
      bitmap.palette.Set(0, kWhiteRgb);
      bitmap.palette.Set(1, {0, 0, 0});
      bitmap.palette.Set(2, {200, 0, 0});
      bitmap.palette.Set(3, {0, 0, 200});
    }
    target.FillRect(bitmap.Bounds(), Color::FromRgb(kWhiteRgb));
    target.state().bk_mode = BkMode::kTransparent;
  }
  // Pixels that are no longer white, as a bounding box (empty when none).
  Rect Inked() const {
    Rect box;
    for (int y = 0; y < bitmap.height(); ++y)
      for (int x = 0; x < bitmap.width(); ++x)
        if (!(bitmap.ColorAt(x, y) == kWhiteRgb)) box = box.Union(Rect{x, y, x + 1, y + 1});
    return box;
  }
  Bitmap bitmap;
  DrawTarget target{bitmap};
};

class Text : public ::testing::Test {
 protected:
  std::unique_ptr<FontService> fonts = CreateFontService(DefaultFontFolders("", ""));
};

TEST_F(Text, InkLiesInTheCharacterCells) {
  Canvas canvas(200, 60);
  auto font = fonts->GetFont("Geneva", 14, 0);
  const int width = DrawText(canvas.target, *font, 10, 30, "Hello, gjq!", Color::FromRgb(0, 0, 0));
  EXPECT_EQ(width, MeasureText(*font, "Hello, gjq!"));
  const Rect cells = TextCells(*font, 10, 30, "Hello, gjq!");
  const Rect inked = canvas.Inked();
  ASSERT_FALSE(inked.Empty());
  EXPECT_EQ(inked.Union(cells.Inset(-1, -1)), cells.Inset(-1, -1));
  EXPECT_LT(inked.top, 30 - font->metrics().m_height + 1);  // capitals reach up
  EXPECT_GT(inked.bottom, 31);                              // descenders reach down
  // Antialiased: fully inked pixels in the colour, and blended ones between.
  std::set<uint8_t> greys;
  for (int y = inked.top; y < inked.bottom; ++y)
    for (int x = inked.left; x < inked.right; ++x) greys.insert(canvas.bitmap.ColorAt(x, y).g);
  EXPECT_TRUE(greys.count(0));
  EXPECT_GT(greys.size(), 8u);
}

TEST_F(Text, OriginAndClipAreHonoured) {
  Canvas canvas(200, 40);
  canvas.target.state().origin = {50, 0};
  canvas.target.SetClip(Region(Rect{0, 0, 90, 40}));
  auto font = fonts->GetFont("Times", 18, font_style::kUnderline);
  DrawText(canvas.target, *font, 0, 25, "Clipped words", Color::FromRgb(0, 0, 0));
  const Rect inked = canvas.Inked();
  ASSERT_FALSE(inked.Empty());
  EXPECT_GE(inked.left, 49);
  EXPECT_LE(inked.right, 90);
}

TEST_F(Text, IndexedTargetsTakeTheNearestPaletteColour) {
  Canvas canvas(160, 40, 8);
  auto font = fonts->GetFont("Helvetica", 16, font_style::kBold);
  DrawText(canvas.target, *font, 4, 24, "Indexed", Color::FromRgb(220, 10, 10));
  std::set<uint32_t> values;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 160; ++x) values.insert(canvas.bitmap.Get(x, y));
  EXPECT_EQ(values, (std::set<uint32_t>{0, 2}));
}

TEST_F(Text, OpaqueBackgroundFillsTheCells) {
  Canvas canvas(120, 40);
  canvas.target.state().bk_mode = BkMode::kOpaque;
  canvas.target.state().bk_color = Color::FromRgb(0, 0, 255);
  auto font = fonts->GetFont("Courier", 12, 0);
  DrawText(canvas.target, *font, 5, 20, "a b", Color::FromRgb(0, 0, 0));
  const Rect cells = TextCells(*font, 5, 20, "a b");
  EXPECT_EQ(canvas.Inked(), cells);
  // Inside the space's cell the background colour shows.
  const int space_x = 5 + font->Advance('a') + font->Advance(' ') / 2;
  EXPECT_EQ(canvas.bitmap.ColorAt(space_x, 20 - 2), (Rgb{0, 0, 255}));
}

TEST_F(Text, LongRunsDrawOnlyWhatShows) {
  Canvas canvas(300, 700);
  auto font = fonts->GetFont("Times", kMaxFontSize, font_style::kUnderline);
  const std::string run(200000, 'W');
  const int width = DrawText(canvas.target, *font, -1000, 600, run, Color::FromRgb(0, 0, 0));
  EXPECT_EQ(width, font->MeasureText(run));
  const int row = 600 + font->underline_offset();
  for (int x = 0; x < 300; x += 37) EXPECT_EQ(canvas.bitmap.ColorAt(x, row), kBlack) << x;
  // Text entirely outside the target draws nothing and still reports its width.
  Canvas other(50, 50);
  EXPECT_EQ(DrawText(other.target, *font, 0, 5000, "far below", Color::FromRgb(0, 0, 0)),
            font->MeasureText("far below"));
  EXPECT_TRUE(other.Inked().Empty());
}

TEST_F(Text, RunTooWideForOneMaskIsDrawnGlyphByGlyph) {
  // A one-bit target wide enough that the visible run needs a mask of more than 64 MB;
  // its zero-filled pixels are white.
  Bitmap wide;
  ASSERT_TRUE(wide.Create(220000, 560, 1));
  wide.palette.count = 2;
  wide.palette.Set(0, kWhiteRgb);
  wide.palette.Set(1, kBlack);
  DrawTarget target(wide);
  target.state().bk_mode = BkMode::kTransparent;
  const uint32_t white = 0, black = 1;
  auto font = fonts->GetFont("Helvetica", kMaxFontSize, font_style::kUnderline);
  const std::string run(1500, 'I');
  CoverageMask refused;
  ASSERT_FALSE(font->RenderText(run, refused));
  DrawText(target, *font, 0, 480, run, Color::FromRgb(0, 0, 0));
  // The stem of the hundredth I is inked at its place, and the underline runs through.
  const CoverageMask& stem = font->Glyph('I');
  const int pen = 99 * font->Advance('I');
  EXPECT_EQ(wide.Get(pen + stem.left + stem.width / 2, 480 + stem.top + stem.height / 2), black);
  EXPECT_EQ(wide.Get(pen - 1 + stem.left, 480 - 2), white);
  EXPECT_EQ(wide.Get(pen + 3, 480 + font->underline_offset()), black);
}

}  // namespace
}  // namespace corvida::gfx

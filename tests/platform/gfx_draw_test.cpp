#include <gtest/gtest.h>

#include "platform/gfx/draw.h"

namespace corvida::gfx {
namespace {

Bitmap Make(int w, int h, int depth) {
  Bitmap b;
  EXPECT_TRUE(b.Create(w, h, depth));
  if (depth <= 8) b.palette = Palette::Grey(depth);
  return b;
}

// Pixels that differ between two bitmaps of equal size.
int Differences(const Bitmap& a, const Bitmap& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.Get(x, y) != b.Get(x, y);
  return n;
}

TEST(GfxBitmap, LayoutAndPixelAccessAtEveryDepth) {
  for (int depth : {1, 2, 4, 8, 16, 32}) {
    Bitmap b = Make(10, 3, depth);
    EXPECT_EQ(b.stride(), int(RowBytes(10, uint64_t(depth)))) << depth;
    EXPECT_EQ(b.stride() % 4, 0);
    uint32_t top = depth == 32 ? 0xABCDEF : depth == 16 ? 0x7C1F : (1u << depth) - 1;
    b.Set(9, 0, top);
    b.Set(0, 2, 1);
    EXPECT_EQ(b.Get(9, 0), top);
    EXPECT_EQ(b.Get(8, 0), 0u);
    EXPECT_EQ(b.Get(0, 2), 1u);
    b.FlipRows();
    EXPECT_EQ(b.Get(9, 2), top);
    EXPECT_EQ(b.Get(0, 0), 1u);
  }
  Bitmap one = Make(16, 1, 1);
  one.Set(0, 0, 1);
  EXPECT_EQ(one.Row(0)[0], 0x80);  // leftmost pixel in the most significant bit
  Bitmap bad;
  EXPECT_FALSE(bad.Create(0, 5, 8));
  EXPECT_FALSE(bad.Create(5, 5, 3));
  EXPECT_FALSE(bad.Create(65535, 65535, 32));  // beyond the size cap: fails, no throw
  EXPECT_TRUE(bad.empty());
}

TEST(GfxBitmap, PixelColoursAndPresentation) {
  // 5-5-5 words widen by bit replication; 32-bit pixels are B, G, R, x in memory.
  EXPECT_EQ(Unpack555(0x7C00), (Rgb{255, 0, 0}));
  EXPECT_EQ(Unpack555(0x0010), (Rgb{0, 0, 132}));
  Bitmap tc = Make(2, 1, 32);
  tc.Row(0)[0] = 3, tc.Row(0)[1] = 2, tc.Row(0)[2] = 1;
  EXPECT_EQ(tc.ColorAt(0, 0), (Rgb{1, 2, 3}));
  // Indexed pixels are shown through the presenting palette when one is given (fades).
  Bitmap ix = Make(2, 1, 8);
  ix.palette.count = 2;
  ix.palette.Set(1, {10, 20, 30});
  ix.Set(1, 0, 1);
  Palette faded = ix.palette;
  faded.Set(1, {0, 0, 0});
  EXPECT_EQ(ToRgba(ix).pixels, (std::vector<uint8_t>{0, 0, 0, 255, 10, 20, 30, 255}));
  EXPECT_EQ(ToRgba(ix, &faded).pixels[4], 0);
  EXPECT_EQ(ToRgba(tc).pixels, (std::vector<uint8_t>{1, 2, 3, 255, 0, 0, 0, 255}));
  // Indices beyond the palette show black.
  ix.Set(0, 0, 200);
  EXPECT_EQ(ix.ColorAt(0, 0), kBlack);
}

TEST(GfxRop, TruthTablesOfTheNamedOperations) {
  struct Case {
    uint32_t code;
    uint32_t (*f)(uint32_t p, uint32_t s, uint32_t d);
  };
  const Case cases[] = {
      {rop::kSrcCopy, [](uint32_t, uint32_t s, uint32_t) { return s; }},
      {rop::kSrcAnd, [](uint32_t, uint32_t s, uint32_t d) { return s & d; }},
      {rop::kSrcInvert, [](uint32_t, uint32_t s, uint32_t d) { return s ^ d; }},
      {rop::kSrcPaint, [](uint32_t, uint32_t s, uint32_t d) { return s | d; }},
      {rop::kDstInvert, [](uint32_t, uint32_t, uint32_t d) { return ~d; }},
      {rop::kPatInvert, [](uint32_t p, uint32_t, uint32_t d) { return p ^ d; }},
      {rop::kPatCopy, [](uint32_t p, uint32_t, uint32_t) { return p; }},
      {rop::kAndNotSrc, [](uint32_t, uint32_t s, uint32_t d) { return d & ~s; }},
      {rop::kBlackness, [](uint32_t, uint32_t, uint32_t) { return 0u; }},
      {rop::kWhiteness, [](uint32_t, uint32_t, uint32_t) { return ~0u; }},
      {rop::kMergePaint, [](uint32_t, uint32_t s, uint32_t d) { return ~s | d; }},
      {rop::kSrcErase, [](uint32_t, uint32_t s, uint32_t d) { return s & ~d; }},
      {rop::kPatPaint, [](uint32_t p, uint32_t s, uint32_t d) { return p | ~s | d; }},
  };
  const uint32_t p = 0xF0F0F0F0, s = 0xCCCCCCCC, d = 0xAAAAAAAA;  // every combination
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyRop3(rop::Table(c.code), p, s, d), c.f(p, s, d)) << std::hex << c.code;
  }
  EXPECT_FALSE(rop::UsesSource(rop::kPatInvert));
  EXPECT_TRUE(rop::UsesSource(rop::kAndNotSrc));
  EXPECT_TRUE(rop::UsesPattern(rop::kPatCopy));
  EXPECT_FALSE(rop::UsesPattern(rop::kSrcInvert));
  EXPECT_EQ(ApplyPenMode(PenMode::kXorPen, 0b1100, 0b1010) & 15, 0b0110u);
  EXPECT_EQ(ApplyPenMode(PenMode::kMaskPen, 0b1100, 0b1010) & 15, 0b1000u);
  EXPECT_EQ(ApplyPenMode(PenMode::kNotCopyPen, 0b1100, 0b1010) & 15, 0b0011u);
}

TEST(GfxBlit, RasterOperationsActOnPixelValuesAtEachDepth) {
  for (int depth : {1, 4, 8, 16, 32}) {
    Bitmap dst = Make(4, 1, depth), src = Make(4, 1, depth);
    if (depth <= 8) src.palette = dst.palette;
    uint32_t mask = depth == 32 ? 0xFFFFFF : depth == 16 ? 0x7FFF : (1u << depth) - 1;
    uint32_t a = 0x5A5A5A & mask, b = 0x3C3C3C & mask;
    for (int x = 0; x < 4; ++x) dst.Set(x, 0, a), src.Set(x, 0, b);
    DrawTarget t(dst);
    t.BitBlt({0, 0, 1, 1}, src, {0, 0}, rop::kSrcAnd);
    t.BitBlt({1, 0, 2, 1}, src, {1, 0}, rop::kSrcInvert);
    t.BitBlt({2, 0, 3, 1}, src, {2, 0}, rop::kAndNotSrc);
    t.PatBlt({3, 0, 4, 1}, rop::kDstInvert);
    EXPECT_EQ(dst.Get(0, 0), a & b) << depth;
    EXPECT_EQ(dst.Get(1, 0), a ^ b) << depth;
    EXPECT_EQ(dst.Get(2, 0), a & ~b & mask) << depth;
    EXPECT_EQ(dst.Get(3, 0), ~a & mask) << depth;
  }
}

TEST(GfxBlit, SourcesAreConvertedToTheTargetsPixels) {
  Bitmap card = Make(4, 1, 8);
  card.palette.count = 3;
  card.palette.Set(0, kWhite), card.palette.Set(1, {200, 0, 0}), card.palette.Set(2, kBlack);
  DrawTarget t(card);
  // A one-bit mask takes the text colour for 0 and the background colour for 1.
  Bitmap mask = Make(2, 1, 1);
  mask.palette.count = 0;
  mask.Set(1, 0, 1);
  t.state().text_color = Color::Index(1);
  t.state().bk_color = Color::FromRgb(kBlack);
  t.BitBlt({0, 0, 2, 1}, mask, {0, 0}, rop::kSrcCopy);
  EXPECT_EQ(card.Get(0, 0), 1u);
  EXPECT_EQ(card.Get(1, 0), 2u);
  // A palette-relative picture keeps its indices; a picture with its own colours takes
  // the nearest card colours; true colour too.
  Bitmap rel = Make(1, 1, 4);
  rel.palette_relative = true;
  rel.Set(0, 0, 2);
  t.BitBlt({2, 0, 3, 1}, rel, {0, 0}, rop::kSrcCopy);
  EXPECT_EQ(card.Get(2, 0), 2u);
  Bitmap own = Make(1, 1, 8);
  own.palette.count = 1;
  own.palette.Set(0, {250, 10, 10});
  t.BitBlt({3, 0, 4, 1}, own, {0, 0}, rop::kSrcCopy);
  EXPECT_EQ(card.Get(3, 0), 1u);
  Bitmap photo = Make(1, 1, 32);
  photo.Set(0, 0, 0xF0F0F0);
  t.BitBlt({3, 0, 4, 1}, photo, {0, 0}, rop::kSrcCopy);
  EXPECT_EQ(card.Get(3, 0), 0u);
  // Onto true colour, 16-bit pixels widen and indices take their palette colour.
  Bitmap tc = Make(2, 1, 32);
  DrawTarget tt(tc);
  Bitmap hi = Make(1, 1, 16);
  hi.Set(0, 0, 0x7C00);
  tt.BitBlt({0, 0, 1, 1}, hi, {0, 0}, rop::kSrcCopy);
  tt.BitBlt({1, 0, 2, 1}, card, {1, 0}, rop::kSrcCopy);
  EXPECT_EQ(tc.Get(0, 0), 0xFF0000u);
  EXPECT_EQ(tc.Get(1, 0), 0x000000u);
}

TEST(GfxBlit, ClippingOriginAndSourceEdges) {
  Bitmap dst = Make(10, 10, 8), src = Make(4, 4, 8);
  src.palette = dst.palette;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.Set(x, y, 9);
  DrawTarget t(dst);
  t.state().origin = {2, 2};
  t.SetClip(Region(Rect{0, 0, 10, 10}).Subtract(Region(Rect{3, 3, 4, 4})));
  t.BitBlt({0, 0, 8, 8}, src, {0, 0}, rop::kSrcCopy);  // only the 4x4 the source has
  int painted = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) painted += dst.Get(x, y) == 9;
  EXPECT_EQ(painted, 15);
  EXPECT_EQ(dst.Get(2, 2), 9u);
  EXPECT_EQ(dst.Get(3, 3), 0u);  // clipped out
  EXPECT_EQ(dst.Get(6, 6), 0u);  // beyond the source
  // Blits starting off the bitmap or the source do not touch memory outside.
  t.ClearClip();
  t.BitBlt({-20, -20, 30, 30}, src, {-5, 3}, rop::kSrcInvert);
  t.StretchBlt({-3, -3, 40, 40}, src, {0, 0, 4, 4}, rop::kSrcCopy);
  EXPECT_EQ(dst.Get(9, 9), 9u);
  // Scrolling within one bitmap reads the pixels as they were.
  Bitmap strip = Make(6, 1, 8);
  for (int x = 0; x < 6; ++x) strip.Set(x, 0, uint32_t(x));
  DrawTarget s(strip);
  s.BitBlt({1, 0, 6, 1}, strip, {0, 0}, rop::kSrcCopy);
  EXPECT_EQ(strip.Get(5, 0), 4u);
  EXPECT_EQ(strip.Get(1, 0), 0u);
}

TEST(GfxBlit, StretchAndMaskedCopy) {
  Bitmap src = Make(2, 2, 8), dst = Make(4, 4, 8);
  src.palette = dst.palette;
  src.Set(1, 0, 7), src.Set(0, 1, 5);
  DrawTarget t(dst);
  t.StretchBlt({0, 0, 4, 4}, src, {0, 0, 2, 2}, rop::kSrcCopy);
  EXPECT_EQ(dst.Get(3, 1), 7u);
  EXPECT_EQ(dst.Get(2, 0), 7u);
  EXPECT_EQ(dst.Get(1, 3), 5u);
  EXPECT_EQ(dst.Get(0, 0), 0u);
  Bitmap mask = Make(2, 2, 1);
  mask.palette.count = 0;
  mask.Set(0, 1, 1);
  Bitmap fresh = Make(2, 2, 8);
  fresh.palette = dst.palette;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) fresh.Set(x, y, 1);
  DrawTarget f(fresh);
  f.CopyMasked({0, 0, 2, 2}, src, {0, 0}, mask, {0, 0});
  EXPECT_EQ(fresh.Get(0, 1), 5u);
  EXPECT_EQ(fresh.Get(1, 0), 1u);  // masked out: the target shows through
}

TEST(GfxDraw, InvertingPensAndShapesUndoThemselves) {
  for (int depth : {8, 32}) {
    Bitmap b = Make(40, 30, depth);
    DrawTarget t(b);
    t.FillRect({0, 0, 40, 30}, Color::FromRgb(100, 150, 200));
    t.FillRect({5, 5, 20, 20}, Color::FromRgb(kWhite));
    const Bitmap before = b;
    t.state().pen_mode = PenMode::kNot;
    t.state().pen.width = 3;
    t.state().brush = Brush::Null();
    for (int pass = 0; pass < 2; ++pass) {
      t.Line({1, 1}, {37, 22});
      t.Rectangle({2, 2, 30, 25});
      t.Ellipse({4, 3, 33, 28});
      t.Arc({0, 0, 40, 30}, 45, 200);
      t.InvertRect({10, 10, 15, 15});
      if (pass == 0) {
        EXPECT_GT(Differences(before, b), 100);
      }
    }
    EXPECT_EQ(Differences(before, b), 0) << depth;
  }
}

TEST(GfxDraw, FramesLieInsideTheRectangleAndClipHolds) {
  Bitmap b = Make(20, 20, 8);
  b.palette = Palette::Grey(8);
  DrawTarget t(b);
  t.state().pen.color = Color::Index(9);
  t.state().pen.width = 2;
  t.state().brush = Brush::Solid(Color::Index(4));
  t.Rectangle({2, 2, 12, 10});
  EXPECT_EQ(b.Get(2, 2), 9u);
  EXPECT_EQ(b.Get(3, 3), 9u);
  EXPECT_EQ(b.Get(4, 4), 4u);
  EXPECT_EQ(b.Get(11, 9), 9u);
  EXPECT_EQ(b.Get(12, 10), 0u);  // right and bottom edges excluded
  // A horizontal line excludes its end point; a clip region limits every primitive.
  t.state().pen.width = 1;
  t.Line({0, 15}, {5, 15});
  EXPECT_EQ(b.Get(4, 15), 9u);
  EXPECT_EQ(b.Get(5, 15), 0u);
  t.SetClip(Region(Rect{0, 16, 3, 20}));
  t.FillRect({0, 0, 20, 20}, Color::Index(7));
  t.Ellipse({0, 0, 20, 20});
  EXPECT_EQ(b.Get(0, 17), 7u);
  EXPECT_EQ(b.Get(3, 17), 0u);
  EXPECT_EQ(b.Get(9, 7), 4u);  // outside the clip: untouched
}

TEST(GfxDraw, OvalsPiesAndWideLines) {
  Bitmap b = Make(21, 21, 8);
  DrawTarget t(b);
  t.state().pen.style = Pen::Style::kNull;
  t.state().brush = Brush::Solid(Color::Index(1));
  t.Ellipse({0, 0, 21, 21});
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x) {
      ASSERT_EQ(b.Get(x, y), b.Get(20 - x, y));
      ASSERT_EQ(b.Get(x, y), b.Get(y, x));
    }
  // A quarter pie from twelve o'clock clockwise covers the upper right quadrant.
  Bitmap p = Make(20, 20, 8);
  DrawTarget pt(p);
  pt.state().pen.style = Pen::Style::kNull;
  pt.state().brush = Brush::Solid(Color::Index(3));
  pt.Pie({0, 0, 20, 20}, 0, 90);
  EXPECT_EQ(p.Get(14, 5), 3u);
  EXPECT_EQ(p.Get(5, 5), 0u);
  EXPECT_EQ(p.Get(14, 14), 0u);
  pt.Pie({0, 0, 20, 20}, 0, -90);  // anticlockwise: the upper left
  EXPECT_EQ(p.Get(5, 5), 3u);
  // A 3-pixel pen covers three rows around a horizontal line.
  Bitmap l = Make(10, 10, 8);
  DrawTarget lt(l);
  lt.state().pen = {Pen::Style::kSolid, Color::Index(2), 3, 0};
  lt.Line({2, 5}, {8, 5});
  EXPECT_EQ(l.Get(4, 4), 2u);
  EXPECT_EQ(l.Get(4, 6), 2u);
  EXPECT_EQ(l.Get(4, 7), 0u);
}

TEST(GfxDraw, FloodFillAndCoverage) {
  Bitmap b = Make(10, 10, 8);
  DrawTarget t(b);
  t.state().brush = Brush::Null();
  t.state().pen.color = Color::Index(1);
  t.Rectangle({2, 2, 8, 8});
  t.FloodFill({4, 4}, Color::Index(5));
  EXPECT_EQ(b.Get(4, 4), 5u);
  EXPECT_EQ(b.Get(6, 6), 5u);
  EXPECT_EQ(b.Get(2, 2), 1u);
  EXPECT_EQ(b.Get(0, 0), 0u);
  // Glyph coverage: blended on true colour, thresholded on indexed targets.
  const uint8_t cov[] = {255, 128, 64, 0};
  Bitmap tc = Make(4, 1, 32);
  DrawTarget tt(tc);
  tt.FillRect({0, 0, 4, 1}, Color::FromRgb(kWhite));
  tt.BlendCoverage({0, 0}, cov, 4, 1, 4, Color::FromRgb(kBlack));
  EXPECT_EQ(tc.ColorAt(0, 0), kBlack);
  EXPECT_EQ(tc.ColorAt(1, 0).r, 127);
  EXPECT_EQ(tc.ColorAt(2, 0).r, 191);
  EXPECT_EQ(tc.ColorAt(3, 0), kWhite);
  Bitmap ix = Make(4, 1, 8);
  DrawTarget it(ix);
  it.BlendCoverage({0, 0}, cov, 4, 1, 4, Color::FromRgb(kWhite));
  EXPECT_EQ(ix.Get(0, 0), 255u);
  EXPECT_EQ(ix.Get(1, 0), 255u);
  EXPECT_EQ(ix.Get(2, 0), 0u);
}

}  // namespace
}  // namespace corvida::gfx

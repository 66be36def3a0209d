// Copies of indexed pictures (BitBlt, StretchBlt, CopyMasked) onto 8- and 32-bit targets
// against the colour rules worked out pixel by pixel: a picture relative to the target's
// palette keeps its indices, one with colours of its own takes the nearest target colour
// (or its exact colour on true colour), the same palette copies as it is. Clipping and
// origins hold on every path; repeated copies (whose colour tables are reused) agree with
// the first.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/gfx/draw.h"

namespace corvida::gfx {
namespace {

enum class Colours { kRelative, kOwn, kSameAsTarget };
enum class Copy { kBlit, kStretchUp, kStretchDown, kMasked };

struct Case {
  Copy copy;
  int source_depth;
  Colours colours;
  int target_depth;
  bool clipped;
};

Palette Scrambled(uint32_t seed, int count) {
  Palette p;
  p.count = count;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1103515245 + 12345;
    p.Set(i, {uint8_t(seed >> 24), uint8_t(seed >> 16), uint8_t(seed >> 8)});
  }
  return p;
}

// The value the target pixel gets from source value v, by the colour rules.
uint32_t Expected(uint32_t v, const Bitmap& source, const Palette& target_palette, int depth) {
  Rgb colour = source.palette_relative ? target_palette.At(int(v)) : source.palette.At(int(v));
  if (depth == 32) return PixelFromRgb(colour, 32, target_palette);
  if (source.palette_relative || (source.depth() == 8 && source.palette.SameColors(target_palette)))
    return v;
  return PixelFromRgb(colour, depth, target_palette);
}

TEST(GfxCopyPaths, IndexedPicturesReachEveryTargetByTheColourRules) {
  std::vector<Case> cases;
  for (Copy copy : {Copy::kBlit, Copy::kStretchUp, Copy::kStretchDown, Copy::kMasked})
    for (int source_depth : {1, 4, 8})
      for (Colours colours : {Colours::kRelative, Colours::kOwn, Colours::kSameAsTarget})
        for (int target_depth : {8, 32})
          for (bool clipped : {false, true}) {
            if (colours == Colours::kSameAsTarget && source_depth != 8) continue;
            // (a one-bit picture without colours is a mask: text and background colours)
            if (colours == Colours::kRelative && source_depth == 1) continue;
            cases.push_back({copy, source_depth, colours, target_depth, clipped});
          }

  const Palette card_palette = Scrambled(5, 256);
  std::mt19937 rng(3);
  for (const Case& c : cases) {
    SCOPED_TRACE("copy " + std::to_string(int(c.copy)) + " from " + std::to_string(c.source_depth) +
                 " bits, colours " + std::to_string(int(c.colours)) + ", onto " +
                 std::to_string(c.target_depth) + (c.clipped ? ", clipped" : ""));
    Bitmap source;
    ASSERT_TRUE(source.Create(23, 17, c.source_depth));
    const int values = 1 << c.source_depth;
    if (c.colours == Colours::kRelative) source.palette_relative = true;
    if (c.colours == Colours::kOwn) source.palette = Scrambled(uint32_t(values), values);
    if (c.colours == Colours::kSameAsTarget) source.palette = card_palette;
    for (int y = 0; y < source.height(); ++y)
      for (int x = 0; x < source.width(); ++x) source.Set(x, y, rng() % uint32_t(values));
    Bitmap mask;
    ASSERT_TRUE(mask.Create(source.width(), source.height(), 1));
    for (int y = 0; y < mask.height(); ++y)
      for (int x = 0; x < mask.width(); ++x) mask.Set(x, y, (x * 3 + y) % 4 != 0);

    Bitmap target;
    ASSERT_TRUE(target.Create(40, 30, c.target_depth));
    if (c.target_depth == 8) target.palette = card_palette;
    const uint32_t ground = c.target_depth == 8 ? 77u : 0x123456u;
    for (int y = 0; y < target.height(); ++y)
      for (int x = 0; x < target.width(); ++x) target.Set(x, y, ground);
    DrawTarget t(target);
    t.state().palette = &card_palette;
    t.state().origin = {1, 2};
    const Region clip = Region(Rect{0, 0, 40, 30}).Subtract(Region::Oval(Rect{8, 6, 20, 18}));
    if (c.clipped) t.SetClip(clip);

    // Where each copy puts the source: target rectangle (logical) and source rectangle.
    Rect to{2, 1, 2 + 23, 1 + 17}, from = source.Bounds();
    if (c.copy == Copy::kStretchUp) to = {0, 0, 37, 26};
    if (c.copy == Copy::kStretchDown) to = {3, 3, 3 + 11, 3 + 9}, from = {2, 1, 21, 16};
    for (int pass = 0; pass < 2; ++pass) {
      switch (c.copy) {
        case Copy::kBlit:
          t.BitBlt(to, source, {0, 0}, rop::kSrcCopy);
          break;
        case Copy::kMasked:
          t.CopyMasked(to, source, {0, 0}, mask, {0, 0});
          break;
        default:
          t.StretchBlt(to, source, from, rop::kSrcCopy);
          break;
      }
    }

    const Rect device = to.Offset(1, 2);
    int wrong = 0;
    for (int y = 0; y < target.height(); ++y)
      for (int x = 0; x < target.width(); ++x) {
        uint32_t want = ground;
        const bool drawable = !c.clipped || clip.Contains({x, y});
        if (drawable && device.Contains({x, y})) {
          int sx = x - device.left, sy = y - device.top;
          if (c.copy == Copy::kStretchUp || c.copy == Copy::kStretchDown) {
            sx = from.left + int(int64_t(sx) * from.Width() / device.Width());
            sy = from.top + int(int64_t(sy) * from.Height() / device.Height());
          }
          if (c.copy != Copy::kMasked || mask.Get(sx, sy))
            want = Expected(source.Get(sx, sy), source, card_palette, c.target_depth);
        }
        wrong += target.Get(x, y) != want;
      }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
}  // namespace corvida::gfx

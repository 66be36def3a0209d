#include <gtest/gtest.h>

#include <random>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/region.h"

namespace corvida::gfx {
namespace {

// Reference: the region as a set of pixels in a small window.
std::vector<bool> Pixels(const Region& r, int size = 24) {
  std::vector<bool> out(size_t(size * size));
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) out[size_t(y * size + x)] = r.Contains({x, y});
  return out;
}

TEST(GfxRegion, SetOperationsMatchPixelSets) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(0, 20);
  for (int round = 0; round < 200; ++round) {
    Region a, b;
    for (int i = 0; i < 3; ++i) {
      int x = coord(rng), y = coord(rng);
      a = a.Union(Region(Rect{x, y, x + coord(rng) / 3 + 1, y + coord(rng) / 3 + 1}));
      x = coord(rng), y = coord(rng);
      b = b.Union(Region::Oval(Rect{x, y, x + coord(rng) / 2 + 1, y + coord(rng) / 2 + 1}));
    }
    auto pa = Pixels(a), pb = Pixels(b);
    auto pu = Pixels(a.Union(b)), pi = Pixels(a.Intersect(b));
    auto ps = Pixels(a.Subtract(b)), px = Pixels(a.Xor(b));
    for (size_t i = 0; i < pa.size(); ++i) {
      ASSERT_EQ(pu[i], pa[i] || pb[i]);
      ASSERT_EQ(pi[i], pa[i] && pb[i]);
      ASSERT_EQ(ps[i], pa[i] && !pb[i]);
      ASSERT_EQ(px[i], pa[i] != pb[i]);
    }
    // Equal pixel sets have equal representations (bands are merged canonically).
    EXPECT_EQ(a.Union(b), b.Union(a));
    EXPECT_EQ(a.Subtract(b).Union(a.Intersect(b)), a);
  }
}

TEST(GfxRegion, RectanglesStayOneBandAndDifferencesLeaveHoles) {
  Region r(Rect{0, 0, 10, 10});
  EXPECT_EQ(r.bands().size(), 1u);
  Region holed = r.Subtract(Region(Rect{3, 3, 6, 6}));
  EXPECT_EQ(holed.Area(), 91);
  EXPECT_FALSE(holed.Contains({4, 4}));
  EXPECT_TRUE(holed.Contains({2, 4}));
  EXPECT_EQ(holed.Bounds(), (Rect{0, 0, 10, 10}));
  EXPECT_EQ(holed.Rects().size(), 4u);  // top, left and right of the hole, bottom
  holed.Offset(5, -2);
  EXPECT_TRUE(holed.Contains({5, -2}));
  EXPECT_FALSE(holed.Contains({9, 2}));
  EXPECT_TRUE(Region(Rect{4, 4, 4, 9}).Empty());
}

TEST(GfxRegion, OvalsAreSymmetricAndInscribed) {
  for (Rect r : {Rect{0, 0, 17, 9}, Rect{3, 2, 23, 22}, Rect{0, 0, 1, 1}, Rect{0, 0, 2, 7}}) {
    Region oval = Region::Oval(r);
    EXPECT_EQ(oval.Bounds(), r) << r.Width() << "x" << r.Height();
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        bool in = oval.Contains({x, y});
        ASSERT_EQ(in, oval.Contains({r.left + r.right - 1 - x, y}));
        ASSERT_EQ(in, oval.Contains({x, r.top + r.bottom - 1 - y}));
      }
    }
  }
  // A circle's corners are outside, its middle row is full.
  Region circle = Region::Oval({0, 0, 20, 20});
  EXPECT_FALSE(circle.Contains({0, 0}));
  EXPECT_TRUE(circle.Contains({0, 10}));
  EXPECT_TRUE(circle.Contains({10, 0}));
  Region rr = Region::RoundRect({0, 0, 20, 10}, 6, 6);
  EXPECT_FALSE(rr.Contains({0, 0}));
  EXPECT_TRUE(rr.Contains({3, 0}));
  EXPECT_TRUE(rr.Contains({0, 5}));
  EXPECT_EQ(Region::RoundRect({0, 0, 20, 10}, 0, 0), Region(Rect{0, 0, 20, 10}));
}

TEST(GfxRegion, MasksAndPolygons) {
  Bitmap mask;
  ASSERT_TRUE(mask.Create(9, 2, 1));
  mask.Set(0, 0, 1), mask.Set(1, 0, 1), mask.Set(8, 0, 1), mask.Set(4, 1, 1);
  Region r = Region::FromMask(mask, {10, 20});
  EXPECT_EQ(r.Area(), 4);
  EXPECT_TRUE(r.Contains({11, 20}));
  EXPECT_TRUE(r.Contains({18, 20}));
  EXPECT_TRUE(r.Contains({14, 21}));
  EXPECT_EQ(Region::FromMask(mask, {}, false).Area(), 14);

  Point square[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  EXPECT_EQ(Region::Polygon(square), Region(Rect{0, 0, 4, 4}));
  Point triangle[] = {{0, 0}, {10, 0}, {0, 10}};
  Region t = Region::Polygon(triangle);
  EXPECT_TRUE(t.Contains({1, 1}));
  EXPECT_FALSE(t.Contains({8, 8}));
}

}  // namespace
}  // namespace corvida::gfx

namespace corvida::gfx {
namespace {

// The region holding exactly the pixels of a set, built row by row: the one canonical
// form every operation must give.
Region FromPixels(const std::vector<bool>& pixels, int size = 24) {
  Region::Builder builder;
  for (int y = 0; y < size; ++y) {
    std::vector<Region::Span> spans;
    for (int x = 0; x < size; ++x)
      if (pixels[size_t(y * size + x)]) spans.push_back({x, x + 1});
    if (!spans.empty()) builder.AddRow(y, std::move(spans));
  }
  return builder.Finish();
}

TEST(GfxRegion, EmptyApartCoveringAndOverlappingSidesGiveCanonicalResults) {
  const Region empty;
  const Region big(Rect{2, 2, 20, 20});
  const Region small(Rect{5, 6, 9, 12});
  const Region oval = Region::Oval(Rect{4, 4, 16, 14});
  const Region apart(Rect{21, 0, 24, 3});
  const Region rounded = Region::RoundRect(Rect{0, 10, 23, 23}, 8, 8);
  const Region* sides[] = {&empty, &big, &small, &oval, &apart, &rounded};
  for (const Region* a : sides)
    for (const Region* b : sides) {
      auto pa = Pixels(*a), pb = Pixels(*b);
      std::vector<bool> pu(pa.size()), pi(pa.size()), ps(pa.size()), px(pa.size());
      for (size_t i = 0; i < pa.size(); ++i) {
        pu[i] = pa[i] || pb[i], pi[i] = pa[i] && pb[i];
        ps[i] = pa[i] && !pb[i], px[i] = pa[i] != pb[i];
      }
      EXPECT_EQ(a->Union(*b), FromPixels(pu));
      EXPECT_EQ(a->Intersect(*b), FromPixels(pi));
      EXPECT_EQ(a->Subtract(*b), FromPixels(ps));
      EXPECT_EQ(a->Xor(*b), FromPixels(px));
    }
}

}  // namespace
}  // namespace corvida::gfx

#include "engine/hittest.h"

#include <gtest/gtest.h>

#include "stackfile/records.h"

namespace corvida {
namespace {

DisplayItem& AddButton(DisplayList& list, uint16_t id, Rect r, int style = 0, uint16_t flags = 0) {
  auto item = std::make_unique<DisplayItem>();
  item->type = object::kButton;
  item->id = id;
  item->rect = r;
  item->region = gfx::Region(r);
  item->button.style = style;
  item->object_flags = flags;
  return list.Append(std::move(item));
}

// A one-bit mask of `size` with only the left half set.
gfx::Bitmap LeftHalfMask(int w, int h) {
  gfx::Bitmap m;
  m.Create(w, h, 1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w / 2; ++x) m.Set(x, y, 1);
  return m;
}

TEST(HitTest, TopmostOfOverlappingItemsWinsAndNothingOutsideBrowse) {
  DisplayList list;
  AddButton(list, 1, {0, 0, 50, 50});
  AddButton(list, 2, {25, 25, 75, 75});
  EXPECT_EQ(HitTest(list, {30, 30}, true)->id, 2);
  EXPECT_EQ(HitTest(list, {10, 10}, true)->id, 1);
  EXPECT_EQ(HitTest(list, {80, 80}, true), nullptr);
  EXPECT_EQ(HitTest(list, {30, 30}, false), nullptr);
  // Excluding the top item lets the one beneath be found (a graphic's drop point).
  EXPECT_EQ(HitTest(list, {30, 30}, true, false, &list[1])->id, 1);
}

TEST(HitTest, ButtonStylesUseTheirOwnShapes) {
  DisplayList list;
  // Style 4 is hit by its rectangle even where its region has a hole.
  DisplayItem& framed = AddButton(list, 4, {0, 0, 20, 20}, 4);
  framed.region = gfx::Region::Oval(framed.rect);
  EXPECT_EQ(HitTest(list, {0, 0}, true), &framed);
  // Style 0 with the same oval region misses the corner.
  framed.button.style = 0;
  EXPECT_EQ(HitTest(list, {0, 0}, true), nullptr);
  EXPECT_EQ(HitTest(list, {10, 10}, true), &framed);

  // Shaped styles test the mask relative to the rectangle; without one, never a hit.
  DisplayItem& shaped = AddButton(list, 5, {100, 100, 120, 110}, 5);
  EXPECT_EQ(HitTest(list, {105, 105}, true), nullptr);
  shaped.button.shape_mask = LeftHalfMask(20, 10);
  EXPECT_EQ(HitTest(list, {105, 105}, true), &shaped);
  EXPECT_EQ(HitTest(list, {115, 105}, true), nullptr);
  EXPECT_TRUE(InsideItem(shaped, {109, 109}));
  EXPECT_FALSE(InsideItem(shaped, {110, 109}));
  EXPECT_FALSE(InsideItem(shaped, {99, 100}));  // left of the mask
}

TEST(HitTest, GraphicMaskDecidesOverItsRegionAndFieldsUseTheRegion) {
  DisplayList list;
  auto g = std::make_unique<DisplayItem>();
  g->type = object::kGraphic;
  g->rect = {10, 10, 30, 20};
  g->region = gfx::Region(g->rect);
  DisplayItem& graphic = list.Append(std::move(g));
  EXPECT_EQ(HitTest(list, {25, 15}, true), &graphic);
  graphic.graphic.mask = LeftHalfMask(20, 10);
  EXPECT_EQ(HitTest(list, {25, 15}, true), nullptr);
  EXPECT_EQ(HitTest(list, {12, 15}, true), &graphic);

  auto f = std::make_unique<DisplayItem>();
  f->type = object::kTextField;
  f->rect = {0, 40, 10, 50};
  f->region = gfx::Region(f->rect);
  DisplayItem& field = list.Append(std::move(f));
  EXPECT_EQ(HitTest(list, {5, 45}, true), &field);
  EXPECT_EQ(HitTest(list, {10, 45}, true), nullptr);  // right edge is outside
}

TEST(HitTest, RolloverOnlyCountsRolloverButtons) {
  DisplayList list;
  AddButton(list, 1, {0, 0, 50, 50}, 0, object::kFlagRollover);
  AddButton(list, 2, {0, 0, 50, 50});  // covers the rollover button
  EXPECT_EQ(HitTest(list, {10, 10}, true)->id, 2);
  EXPECT_EQ(HitTest(list, {10, 10}, true, true)->id, 1);
  auto g = std::make_unique<DisplayItem>();
  g->type = object::kGraphic;  // a draggable graphic shares the flag but is no rollover
  g->object_flags = object::kFlagRollover;
  g->rect = {0, 0, 50, 50};
  g->region = gfx::Region(g->rect);
  list.Append(std::move(g));
  EXPECT_EQ(HitTest(list, {10, 10}, true, true)->id, 1);
}

}  // namespace
}  // namespace corvida

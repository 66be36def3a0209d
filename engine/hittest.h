// Which displayed object of the shown card lies under a point. The display list is in
// layer order (first = bottom), so the last item hit is the topmost object and wins.
#pragma once

#include "engine/cards_display.h"
#include "platform/types.h"

namespace corvida {

// Whether the point (card coordinates) lies in the item's clickable shape:
// - graphic: its mask when it has one (a set mask pixel is a hit), else its region;
// - button: styles 0-3 the region, style 4 the rectangle, styles 5-7 the shape mask
//   (a shaped button without a mask is never hit);
// - text field: the region.
bool ItemHit(const DisplayItem& item, Point p);

// Whether the point lies in a tracked item: the shape mask when there is one, else the
// rectangle for style 4, else the region.
bool InsideItem(const DisplayItem& item, Point p);

// The topmost item under the point, or nullptr. Nothing is hit outside browse mode.
// With `rollover_only`, only items whose object flag 0x0080 (rollover) is set and that
// are buttons count. `excluded` is skipped (the graphic being dropped).
const DisplayItem* HitTest(const DisplayList& list, Point p, bool browse_mode,
                           bool rollover_only = false, const DisplayItem* excluded = nullptr);

}  // namespace corvida

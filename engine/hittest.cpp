#include "engine/hittest.h"

#include "stackfile/records.h"

namespace corvida {
namespace {

bool InRect(const Rect& r, Point p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// A set pixel of `mask` at the point taken relative to `origin`; outside the mask is
// never a hit.
bool MaskHit(const gfx::Bitmap& mask, const Rect& origin, Point p) {
  if (mask.empty()) return false;
  int x = p.x - origin.left;
  int y = p.y - origin.top;
  if (x < 0 || y < 0 || x >= mask.width() || y >= mask.height()) return false;
  return mask.Get(x, y) != 0;
}

bool IsShapedStyle(int style) {
  return style >= 5 && style <= 7;
}

}  // namespace

bool ItemHit(const DisplayItem& item, Point p) {
  switch (item.type) {
    case object::kGraphic:
      if (!item.graphic.mask.empty()) return MaskHit(item.graphic.mask, item.rect, p);
      return item.region.Contains(p);
    case object::kButton:
      if (item.button.style == 4) return InRect(item.rect, p);
      if (IsShapedStyle(item.button.style)) return MaskHit(item.button.shape_mask, item.rect, p);
      return item.region.Contains(p);
    case object::kTextField:
      return item.region.Contains(p);
    default:
      return false;
  }
}

bool InsideItem(const DisplayItem& item, Point p) {
  if (item.type == object::kButton && !item.button.shape_mask.empty())
    return MaskHit(item.button.shape_mask, item.rect, p);
  if (item.type == object::kGraphic && !item.graphic.mask.empty())
    return MaskHit(item.graphic.mask, item.rect, p);
  if (item.type == object::kButton && item.button.style == 4) return InRect(item.rect, p);
  return item.region.Contains(p);
}

const DisplayItem* HitTest(const DisplayList& list, Point p, bool browse_mode, bool rollover_only,
                           const DisplayItem* excluded) {
  if (!browse_mode) return nullptr;
  const DisplayItem* hit = nullptr;
  for (const auto& item : list) {
    if (item.get() == excluded) continue;
    if (rollover_only &&
        (item->type != object::kButton || !(item->object_flags & object::kFlagRollover)))
      continue;
    if (ItemHit(*item, p)) hit = item.get();
  }
  return hit;
}

}  // namespace corvida

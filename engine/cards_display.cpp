#include "engine/cards_display.h"

#include <algorithm>

namespace corvida {

DisplayItem& DisplayList::Insert(std::unique_ptr<DisplayItem> item, int position) {
  size_t index = position <= 1 ? 0 : std::min(size_t(position - 1), items_.size());
  auto it = items_.insert(items_.begin() + static_cast<ptrdiff_t>(index), std::move(item));
  return **it;
}

bool DisplayList::Remove(const DisplayItem* item) {
  auto it =
      std::find_if(items_.begin(), items_.end(), [item](const auto& p) { return p.get() == item; });
  if (it == items_.end()) return false;
  items_.erase(it);
  return true;
}

DisplayItem* DisplayList::Find(uint16_t type, uint16_t id) {
  for (auto& item : items_) {
    if (item->type == type && item->id == id) return item.get();
  }
  return nullptr;
}

int DisplayList::IndexOf(const DisplayItem* item) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == item) return static_cast<int>(i);
  }
  return -1;
}

gfx::Region CardAreaRegion(const DisplayList& list, Size card) {
  gfx::Region covered;
  for (const auto& item : list) covered = covered.Union(item->region);
  return gfx::Region(Rect{0, 0, card.width, card.height}).Subtract(covered);
}

}  // namespace corvida

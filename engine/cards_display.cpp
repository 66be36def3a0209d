#include "engine/cards_display.h"

#include <algorithm>
#include <vector>

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
  // The items' regions are joined in pairs, then pairs of pairs: each join then works on
  // regions of like size instead of adding small ones to an ever larger one.
  std::vector<gfx::Region> parts;
  parts.reserve(list.size());
  for (const auto& item : list) parts.push_back(item->region);
  while (parts.size() > 1) {
    size_t kept = 0;
    for (size_t i = 0; i < parts.size(); i += 2)
      parts[kept++] = i + 1 < parts.size() ? parts[i].Union(parts[i + 1]) : std::move(parts[i]);
    parts.resize(kept);
  }
  gfx::Region card_area(Rect{0, 0, card.width, card.height});
  return parts.empty() ? card_area : card_area.Subtract(parts[0]);
}

}  // namespace corvida

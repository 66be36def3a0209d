// The display list of the shown card: one DisplayItem per displayed object, in layer
// order (first = bottom). Drawing goes from first to last, so later items cover earlier
// ones; hit testing takes the last item hit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/region.h"
#include "platform/types.h"

namespace corvida {

struct Icon;  // engine/icons.h

// What a component attaches to an item and frees with it (the text of a text field).
class ItemAttachment {
 public:
  virtual ~ItemAttachment() = default;
};

struct DisplayItem {
  uint16_t type = 0;
  uint16_t id = 0;
  gfx::Region region;  // for hit testing and invalidation
  Rect rect;
  uint16_t object_flags = 0;
  uint16_t cursor_id = 0;

  struct Button {
    int style = 0;
    int text_colour = -1;  // 0-based palette indices; -1 = none
    int button_colour = -1;
    bool show_name = false;
    bool highlight = true;  // inverts while pressed
    bool show_icon = false;
    std::shared_ptr<const Icon> icon;
    gfx::Bitmap shape_mask;  // styles 5 to 7: set bits are the button
    gfx::Region mask_region;
    std::string name;  // Windows characters
  } button;

  struct Field {
    int colour = -1;
    uint16_t field_flags = 0;
    uint16_t action_id = 0;
    std::unique_ptr<ItemAttachment> text;  // the text component's object
  } field;

  struct Graphic {
    std::shared_ptr<const gfx::Bitmap> picture;  // shared by graphics naming one file
    Rect source;       // the part of the picture shown, stretched into the rectangle
    gfx::Bitmap mask;  // set bits show the picture; sized like the rectangle
    gfx::Region mask_region;
    int frame_colour = -1;
    int frame_width = 0;
    uint16_t action_id = 0;
  } graphic;
};

class DisplayList {
 public:
  // Links the item at a 1-based layer position: 0 and 1 put it first (bottom), p puts it
  // after the (p - 1)-th item, or last when the list is shorter; 0xFFFF is on top.
  DisplayItem& Insert(std::unique_ptr<DisplayItem> item, int position);
  DisplayItem& Append(std::unique_ptr<DisplayItem> item) { return Insert(std::move(item), kOnTop); }
  // Unlinks and destroys the item; false when it is not in the list.
  bool Remove(const DisplayItem* item);
  void Clear() { items_.clear(); }

  DisplayItem* Find(uint16_t type, uint16_t id);
  int IndexOf(const DisplayItem* item) const;  // 0-based; -1 when absent
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }

  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  DisplayItem& operator[](size_t i) { return *items_[i]; }

  static constexpr int kOnTop = 0xFFFF;

 private:
  std::vector<std::unique_ptr<DisplayItem>> items_;
};

// The card area minus every item's region.
gfx::Region CardAreaRegion(const DisplayList& list, Size card);

}  // namespace corvida

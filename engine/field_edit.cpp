#include "engine/field_edit.h"

#include <algorithm>

#include "platform/messages.h"
#include "stackfile/records.h"

namespace corvida {

namespace {

// A press in the bar scrolls by this verb of the text component.
int VerbOf(FieldPress press) {
  switch (press) {
    case FieldPress::kUpArrow:
      return +1;
    case FieldPress::kDownArrow:
      return -1;
    case FieldPress::kPageUp:
      return +2;
    case FieldPress::kPageDown:
      return -2;
    default:
      return 0;
  }
}

FieldPress PressOf(BarPart part) {
  switch (part) {
    case BarPart::kUpArrow:
      return FieldPress::kUpArrow;
    case BarPart::kDownArrow:
      return FieldPress::kDownArrow;
    case BarPart::kPageUp:
      return FieldPress::kPageUp;
    case BarPart::kPageDown:
      return FieldPress::kPageDown;
    case BarPart::kThumb:
      return FieldPress::kThumb;
    default:
      return FieldPress::kNone;
  }
}

}  // namespace

DisplayItem* FieldTracker::Active(DisplayList& list) const {
  // The item may have been redrawn (replaced) or the card left since it was pressed.
  if (!active_ || list.IndexOf(active_) < 0 || !FieldTextOf(*active_)) return nullptr;
  return active_;
}

void FieldTracker::Activate(DisplayList& list, DisplayItem* item) {
  if (DisplayItem* old = Active(list); old && old != item) {
    FieldTextOf(*old)->text.SetActive(false);
  }
  active_ = item && FieldTextOf(*item) ? item : nullptr;
  press_ = FieldPress::kNone;
  if (active_) FieldTextOf(*active_)->text.SetActive(true);
}

void FieldTracker::Forget() {
  active_ = nullptr;
  press_ = FieldPress::kNone;
  undo_.reset();
  typing_ = false;
}

ScrollBarGeometry FieldTracker::Geometry(DisplayItem& item) const {
  return FieldScrollBar(item, metrics_);
}

bool FieldTracker::Press(DisplayList& list, DisplayItem& item, Point p, bool shift,
                         bool double_click, Point hotspot) {
  FieldText* field = FieldTextOf(item);
  if (!field) return false;  // a field without text takes no clicks in its text
  // Pressing another field first ends the text entry of the previous one.
  if (Active(list) != &item) Activate(list, &item);
  press_ = FieldPress::kNone;
  typing_ = false;  // typing after a click is a change of its own
  if (field->has_scroll_bar() && p.x > item.rect.right - metrics_.width) {
    const ScrollBarGeometry g = Geometry(item);
    press_ = PressOf(BarPartAt(g, p));
    if (press_ == FieldPress::kThumb) {
      drag_start_y_ = p.y;
      drag_start_offset_ = g.thumb.top - item.rect.top - g.arrow;
      field->dragged_thumb = drag_start_offset_;
      return false;
    }
    if (press_ == FieldPress::kNone) return false;  // the middle of a bar without a thumb
    if (press_ == FieldPress::kUpArrow) field->pressed = BarPart::kUpArrow;
    if (press_ == FieldPress::kDownArrow) field->pressed = BarPart::kDownArrow;
    field->text.Scroll(VerbOf(press_));
    return true;
  }
  // Locked text and text kept in a file of its own take no selection.
  if (field->locked() || (item.object_flags & object::kFlagExternalFile)) return false;
  press_ = FieldPress::kSelection;
  field->text.DragStart({p.x + hotspot.x, p.y + hotspot.y}, shift, double_click);
  return true;
}

bool FieldTracker::ScrollStep(DisplayItem& item, Point pointer) {
  FieldText* field = FieldTextOf(item);
  const ScrollBarGeometry g = Geometry(item);
  switch (press_) {
    case FieldPress::kUpArrow:
    case FieldPress::kDownArrow:
      return field->text.Scroll(VerbOf(press_));
    case FieldPress::kPageUp:
      // Paging stops once the thumb has come to the pointer.
      if (!g.thumb_shown || pointer.y <= g.up.bottom || pointer.y >= g.thumb.top) return false;
      return field->text.Scroll(+2);
    case FieldPress::kPageDown:
      if (!g.thumb_shown || pointer.y <= g.thumb.bottom || pointer.y >= g.down.top) return false;
      return field->text.Scroll(-2);
    default:
      return false;
  }
}

bool FieldTracker::Continue(DisplayList& list, Point pointer) {
  DisplayItem* item = Active(list);
  if (!item) return false;
  if (press_ == FieldPress::kSelection) {
    // Outside the field the selection goes on by itself, scrolling the text.
    if (item->rect.Contains(pointer)) return false;
    FieldTextOf(*item)->text.DragTo(pointer);
    return true;
  }
  return ScrollStep(*item, pointer);
}

bool FieldTracker::Move(DisplayList& list, Point pointer) {
  DisplayItem* item = Active(list);
  if (!item) return false;
  FieldText* field = FieldTextOf(*item);
  if (press_ == FieldPress::kSelection) {
    field->text.DragTo(pointer);
    return true;
  }
  if (press_ == FieldPress::kThumb) {
    const ScrollBarGeometry g = Geometry(*item);
    const int offset =
        std::clamp(drag_start_offset_ + pointer.y - drag_start_y_, 0, g.track_length);
    if (offset == field->dragged_thumb) return false;
    field->dragged_thumb = offset;
    return true;
  }
  return false;
}

bool FieldTracker::Release(DisplayList& list, Point p) {
  const FieldPress press = press_;
  press_ = FieldPress::kNone;
  DisplayItem* item = Active(list);
  if (!item) return false;
  FieldText* field = FieldTextOf(*item);
  switch (press) {
    case FieldPress::kUpArrow:
    case FieldPress::kDownArrow:
      field->pressed = BarPart::kNone;
      return true;
    case FieldPress::kThumb: {
      press_ = FieldPress::kThumb;
      Move(list, p);  // the thumb ends where the pointer let go of it
      press_ = FieldPress::kNone;
      const ScrollValues values = field->text.GetScrollValues();
      const int offset = values.maximum > 0 ? std::max(0, field->dragged_thumb) : 0;
      field->dragged_thumb = -1;
      field->text.SetScroll(ScrollValueForThumb(item->rect, offset, values.maximum, metrics_));
      return true;
    }
    case FieldPress::kSelection:
      field->text.DragEnd({std::min(p.x, item->rect.right), p.y});
      return true;
    default:
      return false;
  }
}

bool FieldTracker::Key(DisplayList& list, uint8_t c) {
  DisplayItem* item = Active(list);
  if (!item || c == 6) return false;
  FieldText* field = FieldTextOf(*item);
  // A locked field is read-only: keys neither move in it nor change it.
  if (field->locked()) return false;
  TextObject& text = field->text;
  // The text before the first of a series of typed characters is what Undo goes back to.
  std::optional<UndoState> before;
  if (!typing_) before = Snapshot(*item);
  if (text.Key(c)) {
    modified_ = true;
    if (before) undo_ = std::move(before);
    typing_ = true;
  } else {
    typing_ = false;  // moving the insertion point ends the series
  }
  if (text.active() && !text.HasSelection()) {
    text.ScrollToView(text.selection_start(), kTypingMargin);
  }
  return true;
}

uint8_t FieldTracker::KeyCharacter(DisplayList& list, uint32_t virtual_key) {
  if (!Active(list)) return 0;
  switch (virtual_key) {
    case vk::kLeft:
      return textchar::kArrowLeft;
    case vk::kRight:
      return textchar::kArrowRight;
    case vk::kUp:
      return textchar::kArrowUp;
    case vk::kDown:
      return textchar::kArrowDown;
    case vk::kDelete:
      return textchar::kForwardDelete;
    default:
      return 0;
  }
}

bool FieldTracker::Idle(DisplayList& list, uint32_t ticks) {
  DisplayItem* item = Active(list);
  return item && FieldTextOf(*item)->text.Idle(ticks);
}

}  // namespace corvida

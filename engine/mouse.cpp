#include "engine/mouse.h"

#include "base/strings.h"
#include "engine/cursors.h"
#include "engine/fieldtext.h"
#include "engine/hittest.h"
#include "engine/hyperlink.h"
#include "stackfile/actions.h"
#include "stackfile/records.h"
#include "stackfile/resources.h"

namespace corvida {

namespace {

// Action flags that make a field's action block do something when clicked.
constexpr uint16_t kFieldActionFlags = action::kMovie | action::kAnimation | action::kStackSound |
                                       action::kSoundFile | action::kVideodisc | action::kNba |
                                       action::kScript | action::kGo;

}  // namespace

MouseHandler::MouseHandler(Stack& stack, Handles& handles, WindowSystem& windows,
                           FontService* fonts, gfx::Bitmap& screen, ActionExecutor& executor,
                           MouseHost& host)
    : stack_(stack),
      handles_(handles),
      windows_(windows),
      fonts_(fonts),
      screen_(screen),
      executor_(executor),
      host_(host) {}

bool MouseHandler::Browsing() {
  CardView* view = View();
  return view && view->options().browse_mode;
}

DisplayItem* MouseHandler::Tracked() {
  CardView* view = View();
  return tracked_ && view ? view->display_list().Find(object::kButton, tracked_) : nullptr;
}

std::string MouseHandler::NameOf(uint16_t type, uint16_t id) {
  return ObjectName(handles_, FindObjectById(stack_, handles_, Card(), type, id));
}

bool MouseHandler::BlockDoesNothing(uint16_t action_id) {
  Handle block = action_id ? stack_.resources().Get(restype::kActn, action_id) : 0;
  if (!block) return true;
  LockedHandle bytes(handles_, block);
  Bytes b{bytes.data(), bytes.size()};
  return !(Field16(b, button::kActionFlags) & kFieldActionFlags) &&
         Field16(b, button::kAnswer) == 0;
}

void MouseHandler::Press(Point p, const Message& m) {
  card_click_taken_ = false;
  CardView* view = View();
  if (!view || !Browsing()) return;
  const DisplayItem* hit = HitTest(view->display_list(), p, true);
  bool taken = false;
  if (!hit) {
    Handle card = Card();
    uint16_t action = card ? CardField16(handles_, card, card::kClickAction) : 0;
    if (executor_.RunEventAction(action, strid::kClickOnCardAction, MediaWait::kNone)) {
      card_click_taken_ = true;
      return;
    }
  } else if (view->options().objects_active) {
    DisplayItem& item = *const_cast<DisplayItem*>(hit);
    const uint16_t type = item.type, id = item.id;
    uint16_t action = 0;
    std::string name;
    switch (type) {
      case object::kButton:
        if (!(item.object_flags & object::kFlagDropTarget)) {
          // Tracked until the release, which runs it.
          EndTracking();
          tracked_ = id;
          inside_ = true;
          windows_.SetCapture(window_);
          if (item.button.highlight) ToggleHighlight(id), highlighted_ = true;
          taken = true;
        }
        break;
      case object::kTextField:
        action = item.field.action_id;
        if ((m.wParam & mk::kControl) || BlockDoesNothing(action)) {
          host_.PressField(item, p, m);
          taken = true;
        } else {
          name = NameOf(type, id);
        }
        break;
      case object::kGraphic:
        action = item.graphic.action_id;
        taken = DragStart(item, p);
        if (!taken) name = NameOf(type, id);
        break;
      default:
        break;
    }
    if (!taken) {
      last_clicked_ = {type == object::kButton ? 1 : 2, id, name};
      if (type == object::kTextField) host_.PressField(item, p, m);
      // The action may change the card: `item` is not used after this.
      taken = executor_.RunActionRecord(action, name, MediaWait::kNone);
    }
  }
  if (!taken)
    executor_.RunEventAction(stack_.is_open() ? stack_.Header16(header::kClickAction) : 0,
                             strid::kClickOnStackAction, MediaWait::kNone);
}

void MouseHandler::Release(Point p) {
  if (drag_.on) return DragDrop(p);
  if (card_click_taken_) {
    card_click_taken_ = false;
    return;
  }
  if (!tracked_) return;
  uint16_t id = tracked_;
  // The release point decides, even when no move came before it; a button removed while
  // it was held is not found and does not run.
  DisplayItem* item = Tracked();
  bool inside = item && InsideItem(*item, p);
  EndTracking();
  if (inside && Browsing()) executor_.RunButton(id);
}

void MouseHandler::EndTracking() {
  if (!tracked_) return;
  windows_.ReleaseCapture();
  if (highlighted_ && Tracked()) ToggleHighlight(tracked_);
  highlighted_ = false;
  tracked_ = 0;
  inside_ = false;
}

bool MouseHandler::Move(Point p) {
  if (drag_.on) {
    DragMove(p);
    return true;
  }
  CardView* view = View();
  if (!view) return false;
  if (const DisplayItem* roll = HitTest(view->display_list(), p, Browsing(), true)) {
    if (roll->id != last_rollover_) {
      last_rollover_ = roll->id;
      uint16_t id = roll->id;
      EndTracking();
      executor_.RunButton(id);
      return true;
    }
  } else {
    last_rollover_ = kNoRollover;
  }
  if (DisplayItem* item = Tracked()) {
    bool now = InsideItem(*item, p);
    if (now != inside_ && item->button.highlight) {
      ToggleHighlight(tracked_);
      highlighted_ = now;
    }
    inside_ = now;
    return true;
  }
  return false;
}

void MouseHandler::Forget() {
  if (tracked_) windows_.ReleaseCapture();
  if (drag_.on) windows_.ReleaseCapture();
  tracked_ = 0;
  inside_ = highlighted_ = false;
  drag_ = {};
  card_click_taken_ = false;
  last_rollover_ = kNoRollover;
}

Pointer MouseHandler::CursorFor(Point p) {
  CardView* view = View();
  if (!view || !Browsing()) return {};
  auto own = [](uint16_t id) {
    const int slot = CursorSlot(id);
    return slot >= 0 ? std::optional(StackPointer(slot)) : std::nullopt;
  };
  for (const auto& item : view->display_list()) {
    if (item->type != object::kTextField) continue;
    Rect r = item->rect;
    if (item->field.field_flags & fieldflag::kScrollBar) r.right -= kScrollBarWidth;
    if (p.x <= r.left || p.x >= r.right - 1 || p.y <= r.top || p.y >= r.bottom - 1) continue;
    if (auto pointer = own(item->cursor_id)) return *pointer;
    if (!(item->field.field_flags & fieldflag::kLocked)) return {CursorShape::kIBeam};
    // Hot text of a locked field is clicked, not selected: it shows the pointing hand.
    if (FindHyperlink(stack_.resources(), handles_, *item, p)) return {CursorShape::kHand};
    break;
  }
  const DisplayItem* hit = HitTest(view->display_list(), p, true);
  if (hit && hit->type != object::kTextField)
    if (auto pointer = own(hit->cursor_id)) return *pointer;
  if (Handle card = Card())
    if (auto pointer = own(CardField16(handles_, card, card::kCursorId))) return *pointer;
  if (stack_.is_open())
    if (auto pointer = own(stack_.Header16(header::kCursorId))) return *pointer;
  return {};
}

}  // namespace corvida

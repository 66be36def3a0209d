// Callback commands on objects: locating them, hiding, showing, deleting, marking, moving
// and resizing them, their icons, pressing buttons and running objects' actions, and the
// redraws that follow (suspended while the screen is locked).
#include <algorithm>

#include "engine/callback.h"

namespace corvida {
namespace {

constexpr uint16_t kShowsIconAndName = 0x02;

// A rectangle as four little-endian 32-bit values: left, top, right, bottom.
std::vector<uint8_t> RectBytes(const Rect& r) {
  std::vector<uint8_t> out(16);
  const int sides[] = {r.left, r.top, r.right, r.bottom};
  for (int i = 0; i < 4; ++i) WriteLE32(out, size_t(i) * 4, static_cast<uint32_t>(sides[i]));
  return out;
}

int16_t Side(std::span<const uint8_t> bytes, size_t index) {
  const auto v = static_cast<int32_t>(ReadLE32(bytes, index * 4));
  return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

}  // namespace

void CallbackDispatch::Locate() {
  AnswerResolved(Resolve());
}

void CallbackDispatch::LocateOnCurrent() {
  Answer(1, P(1) & 0xFFFF);
  Locate();
}

void CallbackDispatch::StoreShownFields() {
  CardView& view = nav_.view();
  if (nav_.fields() && view.current_card())
    SaveFieldTexts(stack_, handles_, view.display_list(), view.current_card(),
                   nav_.fields()->services());
}

void CallbackDispatch::Redraw(ObjectRef obj, Handle asked, int transition, int speed) {
  const Handle shown = nav_.current_card();
  if (!obj || !shown || asked != shown || nav_.view().screen_locked) return;
  const uint16_t type = ObjectType(handles_, obj);
  if (type == object::kTextField) StoreShownFields();
  nav_.view().RedrawObject(type, ObjectId(handles_, obj), transition, speed, false, host_.Screen());
}

void CallbackDispatch::ChangeFlags(uint16_t set, uint16_t clear) {
  // The caller's parameters survive: the resolver's answers are not written back.
  const CallbackBlock saved = block_;
  const ResolvedObject r = Resolve();
  if (!r.obj) return ClearObjectAnswer();
  {
    LockedHandle bytes(handles_, r.obj.card);
    Bytes view{bytes.data(), bytes.size()};
    const size_t at = r.obj.offset + object::kFlags;
    if (!view.Holds(at, 2)) return ClearObjectAnswer();
    Put16(view.data + at, static_cast<uint16_t>((Get16(view.data + at) | set) & ~clear));
  }
  stack_.MarkChanged();
  block_ = saved;
  Redraw(r.obj, r.asked, Navigation::kCommandTransition, Navigation::kCommandSpeed);
}

void CallbackDispatch::Hide() {
  ChangeFlags(object::kFlagHidden, 0);
}
void CallbackDispatch::Show() {
  ChangeFlags(0, object::kFlagHidden);
}
void CallbackDispatch::Delete() {
  ChangeFlags(object::kFlagDeleted, 0);
}

// Markers change no picture, so unlike the other flags they are set without a redraw and
// with the resolver's answers left in the block.
void CallbackDispatch::ChangeMarker(bool marked) {
  const ResolvedObject r = Resolve();
  AnswerResolved(r);
  if (!r.obj) return;
  LockedHandle bytes(handles_, r.obj.card);
  Bytes view{bytes.data(), bytes.size()};
  const size_t at = r.obj.offset + object::kFlags;
  if (!view.Holds(at, 2)) return;
  const uint16_t flags = Get16(view.data + at);
  Put16(view.data + at,
        static_cast<uint16_t>(marked ? flags | object::kFlagMarker : flags & ~object::kFlagMarker));
  stack_.MarkChanged();
}

void CallbackDispatch::SetMarker() {
  ChangeMarker(true);
}

void CallbackDispatch::ClearMarker() {
  ChangeMarker(false);
}

void CallbackDispatch::GetRect() {
  const ResolvedObject r = Resolve();
  AnswerResolved(r);
  if (r.obj) Answer(1, AnswerBlock(31, RectBytes(ObjectRect(handles_, r.obj))));
}

void CallbackDispatch::SetRect() {
  const std::vector<uint8_t> rect = ReadBlock(P(5), 16);
  const CallbackBlock saved = block_;
  const ResolvedObject r = Resolve();
  if (!r.obj || rect.size() < 16) return ClearObjectAnswer();
  {
    LockedHandle bytes(handles_, r.obj.card);
    Bytes view{bytes.data(), bytes.size()};
    const size_t at = r.obj.offset + object::kRect;
    if (!view.Holds(at, 8)) return ClearObjectAnswer();
    for (size_t i = 0; i < 4; ++i)
      Put16(view.data + at + 2 * i, static_cast<uint16_t>(Side(rect, i)));
  }
  stack_.MarkChanged();
  block_ = saved;
  Redraw(r.obj, r.asked, Navigation::kCommandTransition, Navigation::kCommandSpeed);
}

void CallbackDispatch::IconId() {
  const ResolvedObject r = Resolve();
  AnswerResolved(r);
  if (r.obj) Answer(1, ObjectField16(handles_, r.obj, button::kIconId));
}

void CallbackDispatch::SetIcon() {
  const uint32_t options = P(2) & 0xFF;
  const CallbackBlock saved = block_;
  Answer(2, kButton);
  const ResolvedObject r = Resolve();
  if (!r.obj) return ClearObjectAnswer();
  {
    LockedHandle bytes(handles_, r.obj.card);
    Bytes view{bytes.data(), bytes.size()};
    const size_t flags = r.obj.offset + button::kDisplayFlags;
    const size_t icon = r.obj.offset + button::kIconId;
    // A short record's next object is not its own to write.
    if (ObjectLengthAt(view, r.obj.offset) < button::kIconId + 2) return ClearObjectAnswer();
    uint16_t display = Get16(view.data + flags) | button::kShowsIcon;
    if (options & kShowsIconAndName) display |= kShowsIconAndName;
    Put16(view.data + flags, display);
    Put16(view.data + icon, static_cast<uint16_t>(saved.param(5)));
  }
  stack_.MarkChanged();
  block_ = saved;
  Redraw(r.obj, r.asked, Navigation::kCommandTransition, Navigation::kCommandSpeed);
}

void CallbackDispatch::ObjectInfo() {
  const Handle card = CardOfToken(P(1));
  const uint32_t offset = P(2);
  const ObjectRef obj{card, offset};
  const uint16_t type = card && IsObjectStart(card, offset) ? ObjectType(handles_, obj) : 0;
  if (type != object::kButton && type != object::kTextField && type != object::kGraphic)
    return Answer(1, 0);
  const uint16_t id = ObjectId(handles_, obj);
  Answer(1, id);
  Answer(2, static_cast<uint32_t>(OrdinalOfObject(handles_, card, type, id)));
  const size_t name = type == object::kButton      ? button::kName
                      : type == object::kTextField ? field::kName
                                                   : graphic::kName;
  Answer(3, static_cast<uint32_t>(offset + name));
  LockedHandle bytes(handles_, card);
  Answer(4, static_cast<uint32_t>(ObjectLengthAt({bytes.data(), bytes.size()}, offset)));
  Answer(5, ObjectFlags(handles_, obj));
}

void CallbackDispatch::Centre() {
  const ResolvedObject r = Resolve();
  AnswerResolved(r);
  if (!r.obj) return;
  const Rect rect = ObjectRect(handles_, r.obj);
  Answer(1, static_cast<uint32_t>((rect.left + rect.right) / 2));
  Answer(2, static_cast<uint32_t>((rect.top + rect.bottom) / 2));
}

void CallbackDispatch::RedrawAt() {
  const Handle card = CardOfToken(P(2));
  const Handle asked = CardOfToken(P(3));
  int transition = Navigation::kCommandTransition, speed = Navigation::kCommandSpeed;
  if (redraw_mode_ == 2) {
    transition = block_.signed_param(4);
    speed = block_.signed_param(5);
  }
  redraw_mode_ = 1;
  if (card && IsObjectStart(card, P(1))) Redraw({card, P(1)}, asked, transition, speed);
}

void CallbackDispatch::SetRedrawMode() {
  redraw_mode_ = P(1) == 2 ? 2 : 1;
}

void CallbackDispatch::LockScreen() {
  nav_.view().screen_locked = true;
}

void CallbackDispatch::UnlockScreen() {
  nav_.view().screen_locked = false;
  nav_.RedisplayCard();
}

bool CallbackDispatch::screen_locked() const {
  return nav_.view().screen_locked;
}

void CallbackDispatch::PressButton() {
  const ResolvedObject r = Resolve();
  AnswerResolved(r);
  if (r.obj && ObjectType(handles_, r.obj) == object::kButton)
    executor_.RunButton(ObjectId(handles_, r.obj));
}

void CallbackDispatch::RunObjectAction() {
  const uint32_t selector = P(2);
  const ResolvedObject r = Resolve();
  AnswerResolved(r);
  if (r.action) {
    // The stack's arrive, leave, click, then the card's; leaving waits for its media.
    static constexpr int kRoles[] = {2033, 2034, 2035, 2030, 2031, 2032};
    const bool leave = selector == kStackArrive + 1 || selector == kStackArrive + 4;
    executor_.RunEventAction(r.action, kRoles[selector - kStackArrive],
                             leave ? MediaWait::kUntilFinished : MediaWait::kNone);
    return;
  }
  if (!r.obj) return;
  const uint16_t type = ObjectType(handles_, r.obj);
  if (type == object::kButton) return executor_.RunButton(ObjectId(handles_, r.obj));
  const bool is_field = type == object::kTextField;
  const std::string name = ObjectName(handles_, r.obj);
  (is_field ? last_field_name_ : last_graphic_name_) = name;
  const size_t action = is_field ? field::kActionId : graphic::kActionId;
  if (uint16_t id = ObjectField16(handles_, r.obj, action))
    executor_.RunActionRecord(id, name, MediaWait::kNone);
}

}  // namespace corvida

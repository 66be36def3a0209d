#include "engine/field_input.h"

#include "base/strings.h"
#include "engine/hittest.h"
#include "platform/text.h"
#include "stackfile/records.h"

namespace corvida {

bool FieldInput::Press(DisplayItem& item, Point p, const Message& m) {
  press_point_ = p;
  const bool shift = m.wParam & mk::kShift;
  const bool double_click = m.message == msg::kLButtonDblClk;
  const bool changed = tracker_.Press(List(), item, p, shift, double_click);
  if (tracker_.tracking()) windows_.SetCapture(window_);
  if (changed) host_.RepaintField(item.rect);
  return FieldTextOf(item) != nullptr;
}

bool FieldInput::Move(Point p) {
  if (!tracker_.tracking()) return false;
  DisplayList& list = List();
  if (tracker_.Move(list, p)) {
    if (DisplayItem* item = tracker_.Active(list)) host_.RepaintField(item->rect);
  }
  return true;
}

bool FieldInput::Release(Point p, bool control) {
  DisplayList& list = List();
  if (tracker_.tracking()) {
    const bool selecting = tracker_.selecting();
    DisplayItem* item = tracker_.Active(list);
    if (tracker_.Release(list, p) && item) host_.RepaintField(item->rect);
    windows_.ReleaseCapture();
    // A selection dragged across the text ends here; a plain click may still be a link.
    if (!selecting || p != press_point_) return true;
  }
  // Links work only in stacks that run their timers by themselves.
  if (control || !stack_.is_open() || stack_.Header16(header::kAutoTimers) == 0) return false;
  const DisplayItem* hit = HitTest(list, p, true);
  if (!hit || hit->type != object::kTextField) return false;
  DisplayItem& item = list[size_t(list.IndexOf(hit))];
  auto link = FindHyperlink(stack_.resources(), handles_, item, p);
  if (!link) return false;
  FlashLink(item, link->start, link->end);
  host_.Log("hyperlink " + std::to_string(link->id) + " " +
            Quoted(FieldTextOf(item)->text.text().substr(link->start, link->end - link->start)));
  if (link_actions_)
    RunHyperlink(stack_.resources(), handles_, link->id, MediaWait::kUntilFinished, true,
                 link_state_, *link_actions_);
  return true;
}

void FieldInput::FlashLink(DisplayItem& item, size_t start, size_t end) {
  TextObject& text = FieldTextOf(item)->text;
  const size_t old_start = text.selection_start(), old_end = text.selection_end();
  const bool was_active = text.active();
  // Selected, plain, selected, plain; a locked field shows the selection only meanwhile.
  for (int step = 0; step < 4 && !host_.Closing(); ++step) {
    const bool on = step % 2 == 0;
    text.SetActive(on);
    if (on) text.SetSelection(start, end);
    host_.RepaintField(item.rect);
    if (step < 3) host_.PauseForFlash(kLinkFlashMs);  // the link runs once it is plain
  }
  text.SetSelection(old_start, old_end);
  text.SetActive(was_active);
  host_.RepaintField(item.rect);
  host_.ResumeHeldInput();
}

void FieldInput::Focus(bool focused) {
  focused_ = focused;
  DisplayItem* item = tracker_.Active(List());
  if (!item) return;
  FieldTextOf(*item)->text.SetCaretShown(focused);
  host_.RepaintField(item->rect);
}

void FieldInput::Tick(Point pointer) {
  DisplayList& list = List();
  DisplayItem* item = tracker_.Active(list);
  if (!item) return;
  // A field made active meanwhile (a new card) follows the window's focus too.
  FieldTextOf(*item)->text.SetCaretShown(focused_);
  bool changed = false;
  if (tracker_.tracking()) changed = tracker_.Continue(list, pointer);
  changed |= tracker_.Idle(list, clock_.Milliseconds() / 17);
  if (changed) host_.RepaintField(item->rect);
}

bool FieldInput::Key(uint32_t virtual_key) {
  // The arrow keys come back as the field's own cursor-movement characters.
  const uint8_t c = tracker_.KeyCharacter(List(), virtual_key);
  if (c == 0) return false;
  windows_.PostMessage({window_, msg::kChar, c, 0, clock_.Milliseconds()});
  return true;
}

void FieldInput::Char(uint8_t c) {
  DisplayList& list = List();
  if (tracker_.Key(list, c)) {
    if (DisplayItem* item = tracker_.Active(list)) host_.RepaintField(item->rect);
  }
}

void FieldInput::ActivateAfterShow() {
  CardView& view = nav_.view();
  const DisplayItem* focus = view.focus_field();
  DisplayList& list = view.display_list();
  const int index = focus ? list.IndexOf(focus) : -1;
  tracker_.Activate(list, index >= 0 ? &list[size_t(index)] : nullptr);
}

void FieldInput::StoreTyped() {
  CardView& view = nav_.view();
  if (nav_.fields() && view.current_card())
    SaveFieldTexts(stack_, handles_, view.display_list(), view.current_card(),
                   nav_.fields()->services());
}

bool FieldInput::CanEdit(EditCommand command) {
  return tracker_.CanEdit(List(), command, windows_);
}

void FieldInput::Edit(EditCommand command) {
  DisplayList& list = List();
  if (!tracker_.Edit(list, command, windows_)) return;
  if (DisplayItem* item = tracker_.Active(list)) host_.RepaintField(item->rect);
}

void FieldInput::Leave() {
  // The typed text goes back into the records, so it is there when the card is shown again.
  StoreTyped();
  if (tracker_.tracking()) windows_.ReleaseCapture();
  tracker_.Forget();
}

// ---- Find Text ----

void FieldInput::Find(bool again) {
  FindState& state = find_state_;
  if (again && !state.text.empty()) state.flags |= findflag::kFindAgain;
  if (!(state.flags & findflag::kFindAgain)) {
    if (!host_.AskFind(state)) {
      host_.Log("dialog FIND_TEXT cancelled");
      return;
    }
    host_.Log("dialog FIND_TEXT " + Quoted(state.text));
  }
  const Handle current = nav_.current_card();
  if (state.text.empty() || !current || !nav_.fields()) return;
  DisplayList& list = List();
  SaveFieldTexts(stack_, handles_, list, current, nav_.fields()->services());
  // The shown card's fields are searched in their live text, the others in their records.
  auto shown = FieldItemsOfCard(stack_, handles_, list, current);
  auto text_of = [&](ObjectRef obj) {
    for (auto& [ref, item] : shown)
      if (ref == obj) return FieldTextOf(*item)->text.text();
    return StoredFieldText(handles_, obj);
  };
  auto match = SearchStack(stack_, handles_, current, state, text_of);
  if (!match) {
    host_.Alert(strid::kNoMatchFound);
    return;
  }
  if (match->card != current) {
    nav_.GoToCard(match->card_id, Navigation::kCommandTransition, Navigation::kCommandSpeed, true);
  } else if (tracker_.tracking()) {
    DisplayItem* item = tracker_.Active(list);
    tracker_.Release(list, item ? Point{item->rect.left, item->rect.top} : Point{});
    windows_.ReleaseCapture();
  }
  host_.Log("found field " + std::to_string(match->field_id) + " at " +
            std::to_string(match->position));
  ShowMatch(*match);
}

void FieldInput::ShowMatch(const FindMatch& match) {
  // The field on the card now shown: the same record (the card's or its background's).
  if (nav_.current_card() != match.card) return;  // the arrival moved on elsewhere
  DisplayList& list = List();
  for (auto& [ref, item] : FieldItemsOfCard(stack_, handles_, list, match.card)) {
    if (ref.card != match.field.card || item->id != match.field_id) continue;
    tracker_.Activate(list, item);
    TextObject& text = FieldTextOf(*item)->text;
    text.SetSelection(match.position, match.position + match.length);
    text.ScrollToView(match.position, 0);
    host_.RepaintField(item->rect);
    break;
  }
}

}  // namespace corvida

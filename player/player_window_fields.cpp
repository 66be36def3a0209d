// The player window's side of text fields: presses, drags and typing go to the field
// tracker, hyperlinks are flashed and run on release, the typed text is stored when the
// card is left, and Find Text searches the stack.
#include <algorithm>

#include "base/strings.h"
#include "engine/hittest.h"
#include "player/player_window.h"
#include "stackfile/records.h"

namespace corvida {

namespace {

constexpr uint32_t kLinkFlashMs = 300;
constexpr int kNoMatchAlert = 2201;
constexpr int kFindCommand = 207;

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace

void PlayerWindow::RepaintField(const Rect& rect) {
  if (shown_.empty() || !nav_->view().current_card()) return;
  gfx::DrawTarget target(shown_);
  nav_->view().Repaint(target, rect);  // the items above the field stay on top
  Present();
}

void PlayerWindow::WaitFieldMs(uint32_t ms) {
  WindowSystem& windows = player_.platform.windows();
  Clock& clock = player_.platform.clock();
  const uint32_t end = clock.Milliseconds() + ms;
  Message m;
  while (!close_requested_) {
    const int32_t left = int32_t(end - clock.Milliseconds());
    if (left <= 0) break;
    if (windows.WaitMessage(m, uint32_t(left))) NestedMessage(m);
  }
}

bool PlayerWindow::OnFieldPress(DisplayItem& item, Point p, const Message& m) {
  DisplayList& list = nav_->view().display_list();
  field_press_point_ = p;
  const bool shift = m.wParam & mk::kShift;
  const bool double_click = m.message == msg::kLButtonDblClk;
  const bool changed = field_tracker_.Press(list, item, p, shift, double_click);
  if (field_tracker_.tracking()) player_.platform.windows().SetCapture(window_);
  if (changed) RepaintField(item.rect);
  return FieldTextOf(item) != nullptr;
}

bool PlayerWindow::OnFieldMove(Point p) {
  if (!field_tracker_.tracking()) return false;
  DisplayList& list = nav_->view().display_list();
  if (field_tracker_.Move(list, p)) {
    if (DisplayItem* item = field_tracker_.Active(list)) RepaintField(item->rect);
  }
  return true;
}

bool PlayerWindow::OnFieldRelease(const Message& m) {
  const Point p = ToCard({ParamX(m.lParam), ParamY(m.lParam)});
  DisplayList& list = nav_->view().display_list();
  if (field_tracker_.tracking()) {
    const bool selecting = field_tracker_.selecting();
    DisplayItem* item = field_tracker_.Active(list);
    if (field_tracker_.Release(list, p) && item) RepaintField(item->rect);
    player_.platform.windows().ReleaseCapture();
    // A selection dragged across the text ends here; a plain click may still be a link.
    if (!selecting || p != field_press_point_) return true;
  }
  if ((m.wParam & mk::kControl) || tool_ != kBrowseTool || !player_.stack.is_open() ||
      player_.stack.Header16(header::kAutoTimers) == 0)
    return false;
  const DisplayItem* hit = HitTest(list, p, true);
  if (!hit || hit->type != object::kTextField) return false;
  DisplayItem& item = list[size_t(list.IndexOf(hit))];
  auto link = FindHyperlink(player_.stack.resources(), player_.handles, item, p);
  if (!link) return false;
  FlashLink(item, link->start, link->end);
  Log("hyperlink " + std::to_string(link->id) + " " +
      Quoted(FieldTextOf(item)->text.text().substr(link->start, link->end - link->start)));
  if (link_actions_)
    RunHyperlink(player_.stack.resources(), player_.handles, link->id, true, true, link_state_,
                 *link_actions_);
  return true;
}

void PlayerWindow::FlashLink(DisplayItem& item, size_t start, size_t end) {
  TextObject& text = FieldTextOf(item)->text;
  const size_t old_start = text.selection_start(), old_end = text.selection_end();
  const bool was_active = text.active();
  // Selected, plain, selected, plain; a locked field shows the selection only meanwhile.
  for (int step = 0; step < 4 && !close_requested_; ++step) {
    const bool on = step % 2 == 0;
    text.SetActive(on);
    if (on) text.SetSelection(start, end);
    RepaintField(item.rect);
    WaitFieldMs(kLinkFlashMs);
  }
  text.SetSelection(old_start, old_end);
  text.SetActive(was_active);
  RepaintField(item.rect);
  // Input that came while the link flashed is handled next, in its order.
  auto held = std::move(held_);
  held_.clear();
  for (const Message& m : held) player_.platform.windows().PostMessage(m);
}

void PlayerWindow::OnFieldTimer() {
  DisplayList& list = nav_->view().display_list();
  DisplayItem* item = field_tracker_.Active(list);
  if (!item) return;
  bool changed = false;
  if (field_tracker_.tracking()) {
    changed =
        field_tracker_.Continue(list, ToCard(player_.platform.windows().CursorPosition(window_)));
  }
  changed |= field_tracker_.Idle(list, player_.platform.clock().Milliseconds() / 17);
  if (changed) RepaintField(item->rect);
}

bool PlayerWindow::OnFieldKey(uint32_t key) {
  if (ctrl_ && shift_ && key == 'F') {
    DoCommand(kFindCommand);  // Shift: find again
    return true;
  }
  if (ctrl_ || zoom_ > 1 || tool_ != kBrowseTool) return false;
  // The arrow keys come back as the field's own cursor-movement characters.
  const uint8_t c = field_tracker_.KeyCharacter(nav_->view().display_list(), key);
  if (c == 0) return false;
  player_.platform.windows().PostMessage(
      {window_, msg::kChar, c, 0, player_.platform.clock().Milliseconds()});
  return true;
}

void PlayerWindow::OnFieldChar(uint8_t c) {
  if (tool_ != kBrowseTool) return;
  DisplayList& list = nav_->view().display_list();
  if (field_tracker_.Key(list, c)) {
    if (DisplayItem* item = field_tracker_.Active(list)) RepaintField(item->rect);
  }
}

void PlayerWindow::ActivateFieldAfterShow() {
  const DisplayItem* focus = nav_->view().focus_field();
  DisplayList& list = nav_->view().display_list();
  const int index = focus ? list.IndexOf(focus) : -1;
  field_tracker_.Activate(list, index >= 0 ? &list[size_t(index)] : nullptr);
}

void PlayerWindow::LeaveFields() {
  // The typed text goes back into the records, so it is there when the card is shown again.
  if (nav_->fields() && nav_->view().current_card())
    SaveFieldTexts(player_.stack, player_.handles, nav_->view().display_list(),
                   nav_->view().current_card(), nav_->fields()->services());
  if (field_tracker_.tracking()) player_.platform.windows().ReleaseCapture();
  field_tracker_.Forget();
}

// ---- Find Text ----

void PlayerWindow::FindText(bool from_menu) {
  FindState& state = find_state_;
  WindowSystem& windows = player_.platform.windows();
  // Shift as the window saw it with the key that asked, or as it is held now.
  const bool shift = shift_ || windows.KeyDown(vk::kShift);
  if (from_menu && shift && !windows.KeyDown(vk::kMenu) && !state.text.empty())
    state.flags |= findflag::kFindAgain;
  if (!(state.flags & findflag::kFindAgain)) {
    if (!questions_->AskFind(state)) {
      Log("dialog FIND_TEXT cancelled");
      return;
    }
    Log("dialog FIND_TEXT " + Quoted(state.text));
  }
  const Handle current = nav_->current_card();
  if (state.text.empty() || !current || !nav_->fields()) return;
  DisplayList& list = nav_->view().display_list();
  SaveFieldTexts(player_.stack, player_.handles, list, current, nav_->fields()->services());
  // The shown card's fields are searched in their live text, the others in their records.
  auto shown = FieldItemsOfCard(player_.stack, player_.handles, list, current);
  auto text_of = [&](ObjectRef obj) {
    for (auto& [ref, item] : shown)
      if (ref == obj) return FieldTextOf(*item)->text.text();
    return StoredFieldText(player_.handles, obj);
  };
  auto match = SearchStack(player_.stack, player_.handles, current, state, text_of);
  if (!match) {
    player_.alerts.Alert(kNoMatchAlert);
    return;
  }
  if (match->card != current) {
    nav_->GoToCard(match->card_id, Navigation::kCommandTransition, Navigation::kCommandSpeed, true);
  } else if (field_tracker_.tracking()) {
    DisplayItem* item = field_tracker_.Active(list);
    field_tracker_.Release(list, item ? Point{item->rect.left, item->rect.top} : Point{});
    windows.ReleaseCapture();
  }
  Log("found field " + std::to_string(match->field_id) + " at " + std::to_string(match->position));
  // The field on the card now shown: the same record (the card's or its background's).
  if (nav_->current_card() != match->card) return;  // the arrival moved on elsewhere
  for (auto& [ref, item] : FieldItemsOfCard(player_.stack, player_.handles, list, match->card)) {
    if (ref.card != match->field.card || item->id != match->field_id) continue;
    field_tracker_.Activate(list, item);
    TextObject& text = FieldTextOf(*item)->text;
    text.SetSelection(match->position, match->position + match->length);
    text.ScrollToView(match->position, 0);
    RepaintField(item->rect);
    break;
  }
}

}  // namespace corvida

// The player window's side of text input: fields drawn on the window, the pause while a
// hyperlink flashes, the field keys and Find Text from the menu. What the input does is
// the field input controller's.
#include "player/player_window.h"

namespace corvida {

void PlayerWindow::RepaintField(const Rect& rect) {
  CardView& view = nav_->view();
  if (shown_.empty() || !view.current_card()) return;
  gfx::DrawTarget target(shown_);
  view.Repaint(target, rect);  // the items above the field stay on top
  Present();
}

void PlayerWindow::PauseForFlash(uint32_t ms) {
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

void PlayerWindow::ResumeHeldInput() {
  auto held = std::move(held_);
  held_.clear();
  for (const Message& m : held) player_.platform.windows().PostMessage(m);
}

bool PlayerWindow::OnFieldKey(uint32_t key) {
  if (ctrl_ && shift_ && key == 'F') {
    DoCommand(MenuCommand::kFindText);  // Shift: find again
    return true;
  }
  if (ctrl_ || zoom_ > 1) return false;
  return field_input_->Key(key);
}

void PlayerWindow::FindText(bool from_menu) {
  WindowSystem& windows = player_.platform.windows();
  // Shift as the window saw it with the key that asked, or as it is held now.
  const bool shift = shift_ || windows.KeyDown(vk::kShift);
  field_input_->Find(from_menu && shift && !windows.KeyDown(vk::kMenu));
}

}  // namespace corvida

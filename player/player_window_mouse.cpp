// The player window's mouse messages: panning in a zoomed view, then the card's objects
// through the mouse handler, and the pointer shape.
#include "player/player_window.h"

namespace corvida {

void PlayerWindow::OnButtonDown(const Message& m) {
  WindowSystem& windows = player_.platform.windows();
  windows.SetFocus(window_);
  if (zoom_ > 1 && hand_mode_) {
    panning_ = true;
    pan_start_ = {ParamX(m.lParam), ParamY(m.lParam)};
    ShowPointer({CursorShape::kGrabHand});
    return;
  }
  const Point p = ToCard({ParamX(m.lParam), ParamY(m.lParam)});
  // Movie controller bars lie over the card: they take their clicks first.
  if (media_->movies().PressController(p)) return;
  mouse_->Press(p, m);
}

void PlayerWindow::OnButtonUp(const Message& m) {
  if (panning_) {
    panning_ = false;
    if (!ctrl_) hand_mode_ = false;
    if (hand_mode_) {
      ShowPointer({CursorShape::kFlatHand});
    } else {
      UpdatePointer();
    }
    return;
  }
  const Point p = ToCard({ParamX(m.lParam), ParamY(m.lParam)});
  if (media_->movies().dragging_controller()) return media_->movies().ReleaseController();
  // A button press or a graphic drag ends where it began: coming up over hot text is no
  // click on the link.
  if (!mouse_->tracking() && !mouse_->dragging() &&
      field_input_->Release(p, m.wParam & mk::kControl))
    return;
  mouse_->Release(p);
}

void PlayerWindow::OnMouseMove(const Message& m) {
  Point window_point{ParamX(m.lParam), ParamY(m.lParam)};
  if (panning_) {
    PanBy((pan_start_.x - window_point.x) / zoom_, (pan_start_.y - window_point.y) / zoom_);
    pan_start_ = window_point;
    return;
  }
  if (hand_mode_) return;
  Point p = ToCard(window_point);
  if (media_->movies().dragging_controller()) return media_->movies().DragController(p);
  if (field_input_->Move(p)) return;
  if (mouse_->Move(p)) return;
  ShowPointer(mouse_->CursorFor(p));
}

void PlayerWindow::ShowPointer(Pointer pointer) {
  if (pointer == pointer_) return;
  pointer_ = pointer;
  corvida::ShowPointer(player_.platform.windows(), pointer);
}

void PlayerWindow::UpdatePointer() {
  if (!window_ || hand_mode_ || panning_) return;
  if (menu_bar_.active()) return ShowPointer({CursorShape::kArrow});
  WindowSystem& windows = player_.platform.windows();
  const Point at = windows.CursorPosition(window_);
  // Over the menu bar, or with a press being tracked, the pointer stays as it is.
  if (at.y < bar_top_ || mouse_->tracking() || field_input_->tracker().tracking()) return;
  ShowPointer(mouse_->CursorFor(ToCard(at)));
}

}  // namespace corvida

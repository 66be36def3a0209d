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
    windows.SetCursor(CursorShape::kGrabHand);
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
    player_.platform.windows().SetCursor(hand_mode_ ? CursorShape::kFlatHand : CursorShape::kArrow);
    return;
  }
  const Point p = ToCard({ParamX(m.lParam), ParamY(m.lParam)});
  if (media_->movies().dragging_controller()) return media_->movies().ReleaseController();
  if (field_input_->Release(p, m.wParam & mk::kControl)) return;
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
  CursorShape shape = mouse_->CursorFor(p);
  if (shape != cursor_) {
    cursor_ = shape;
    player_.platform.windows().SetCursor(shape);
  }
}

}  // namespace corvida

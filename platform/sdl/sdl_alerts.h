// Alerts on the desktop: while the player has a window it draws them inside it (the
// presenter set with SetInWindow); before and after that they are the system's message
// boxes. The box is built by a pure function, tested without a display.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace corvida::sdl {

class SdlWindowSystem;

// An SDL message box and the strings it points into.
struct MessageBox {
  std::string title;  // UTF-8
  std::string text;   // UTF-8, line breaks as '\n'
  std::vector<std::string> labels;
  std::vector<SDL_MessageBoxButtonData> buttons;
  SDL_MessageBoxData data{};
  MessageBox() = default;
  MessageBox(const MessageBox&) = delete;  // data points into the members
  MessageBox& operator=(const MessageBox&) = delete;
};

// Fills the box for an alert: buttons left to right with their ids the alert's indices,
// Return on the default button, Escape on the request's cancel button, else on a "Cancel"
// or "No" button (or the only one).
void BuildMessageBox(const AlertRequest& request, const std::string& title, MessageBox& box);

class SdlAlertPresenter : public AlertPresenter {
 public:
  explicit SdlAlertPresenter(SdlWindowSystem& windows) : windows_(windows) {}
  int ShowAlert(const AlertRequest& request) override;
  void ShowMessageBox(const std::string& title, const std::string& text, AlertIcon icon) override;
  // Alerts go to `presenter` while it is set (null: system message boxes again).
  void SetInWindow(AlertPresenter* presenter) { in_window_ = presenter; }

 private:
  SdlWindowSystem& windows_;
  AlertPresenter* in_window_ = nullptr;
};

}  // namespace corvida::sdl

// The modal-dialog service as the alert layer sees it. The alert layer parses and lays
// out an alert; a presenter shows it and returns the chosen button. The desktop player
// draws alerts inside its window; the headless backend answers through a responder.
#pragma once

#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/types.h"

namespace corvida {

enum class AlertIcon { kNone, kStop, kExclamation, kMascot };

struct AlertRequest {
  int id = 0;                        // string id; 0 for the current-message buffer
  std::string text;                  // message, Windows character set
  std::vector<std::string> buttons;  // 1 to 3 labels, without '^'
  int default_button = 0;            // index into buttons
  // The answer of a question when nobody chooses one (the alert is closed, cannot be
  // shown or goes unanswered); Escape chooses it too. -1: the default button.
  int cancel_button = -1;
  AlertIcon icon = AlertIcon::kNone;
  Size size;  // dialog size from the layout
  WindowId owner = 0;
};

// The answer an alert takes when nobody chooses one.
inline int UnansweredChoice(const AlertRequest& request) {
  return request.cancel_button >= 0 ? request.cancel_button : request.default_button;
}

class AlertPresenter {
 public:
  virtual ~AlertPresenter() = default;
  // Shows the alert modally and returns the index of the button chosen (0..2), or
  // UnansweredChoice when none was.
  virtual int ShowAlert(const AlertRequest& request) = 0;
  // A plain message box with one OK button (used before the alert layer can work, e.g.
  // when the handle table cannot grow).
  virtual void ShowMessageBox(const std::string& title, const std::string& text,
                              AlertIcon icon) = 0;
};

}  // namespace corvida

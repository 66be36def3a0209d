// Runs a dialog modally inside the player window: the dialog is drawn over a copy of
// what the window shows (the window's own image is never touched, so ending the dialog
// restores it exactly), and a nested loop waits for input through
// WindowSystem::WaitMessage until the dialog ends.
//
// A close or destroy request for the window only sets the shared `close_requested` flag
// and cancels the dialog; the owner tears down once its outermost handler returns. Other
// messages for the window (timers, posted player messages) go to `pass_on` when given.
//
// Scripted answers: when `script` is set (the headless player and the replay driver), the
// dialog is not run interactively; the script may type into fields and returns the id of
// the control to press, or 0 for no answer, which cancels.
#pragma once

#include <functional>

#include "platform/window.h"
#include "ui/dialog.h"

namespace corvida {

struct DialogHost {
  WindowSystem* windows = nullptr;
  WindowId window = 0;
  FontService* fonts = nullptr;
  // What the window shows now, at client (0, 0); looked up when a dialog starts.
  std::function<const gfx::Bitmap*()> backdrop;
  // Shows the window's own image again after a dialog; by default the backdrop is
  // presented as it is.
  std::function<void()> restore;
  std::function<void(const Message&)> pass_on;
  std::function<int(Dialog&)> script;
  bool* close_requested = nullptr;
};

// Runs the dialog and returns its result (its dismiss id when closed or unanswered).
int RunDialog(DialogHost& host, Dialog& dialog);

// Where the dialog's outer top-left lies in the window before any scrolling: centred on
// the backdrop on each axis where it fits, else at the edge (ui/dialog_scroll.h).
Point DialogPlacement(Size backdrop, Size dialog);

// Applies one scripted answer: types `text` into the focused edit field (when given)
// and presses control `answer`, as a replay script's "type TEXT" and "answer N" do.
int AnswerDialog(Dialog& dialog, const std::string* text, int answer);

}  // namespace corvida

// Changes are not lost: before the window closes or another stack replaces this one, a
// changed stack on the local disk asks whether to save it.
#include "base/strings.h"
#include "platform/files.h"
#include "platform/text.h"
#include "player/player_window.h"
#include "player/stack_open.h"

namespace corvida {

bool PlayerWindow::ConfirmLeavingStack() {
  Stack& stack = player_.stack;
  // Downloaded copies are never written back, so there is nothing to ask about.
  if (!saving_allowed_ || stacks_downloaded_ || !stack.is_open() || stack.path().empty())
    return true;
  field_input_->StoreTyped();  // typed text counts, and goes into what is saved
  if (!stack.changed()) return true;
  const int answer =
      player_.alerts.AskWithNames(strid::kSaveChanges, {PathFileName(stack.path())}, 2);
  if (answer == 2) {
    Log("changes not saved");
    return true;
  }
  if (answer != 1) return false;
  // A save that failed (its alert shown) keeps the stack, so the changes are not lost.
  if (!SaveStackWithAlerts(stack, player_.alerts, stack.path()).saved()) return false;
  Log("saved");
  return true;
}

}  // namespace corvida

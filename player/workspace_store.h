// The player's Tarrow interpreter and the open stack's saved workspace: the workspace
// text runs (output off, definitions only) when a stack opens, and is printed back into
// the stack when it is saved after the workspace changed.
#pragma once

#include <string>

#include "platform/platform.h"
#include "stackfile/stack.h"

namespace corvida {

struct Player;

namespace logo {
class Interpreter;
}

// The player's interpreter, made on first use: the platform's clock and windows, errors
// in the "Tarrow" message box.
logo::Interpreter& PlayerInterpreter(Player& player);

class WorkspaceStore {
 public:
  // The open stack's workspace text runs; instructions a workspace may not hold are
  // skipped and reported. A text too large to run is not run at all, an alert says so,
  // and the stack keeps it. Returns how many were skipped or failed. The stack's scripts
  // get the files folder this stack owns (see OwnedStackFilesFolder); a downloaded
  // stack's scripts (`origin` not empty) share the folder of the site it came from.
  int StackOpened(const Stack& stack, Handles& handles, logo::Interpreter& in,
                  const Folders& folders, const std::string& origin = "");
  // Before a save: when the workspace differs from what the stack opened with, its text
  // becomes the stack's workspace, to be stored as 'WKSp' 128. `closing`: the stack is
  // being closed, and the workspace is erased afterwards. Without an interpreter (none
  // made yet) there is nothing to store.
  void StackSaving(Stack& stack, logo::Interpreter* in, bool closing = false);
  // True when the interpreter's workspace is not what the open stack last stored.
  bool Changed(logo::Interpreter* in) const;

 private:
  std::string listed_;  // the workspace as listed after opening or the last save
  // The stack's workspace was too large to load: a save leaves the stored text alone.
  bool kept_whole_ = false;
};

}  // namespace corvida

// A stack on the command line: a handle table, the alert layer and one Stack, with every
// alert answered by its default button and its text printed on stderr.
#pragma once

#include <string>

#include "base/handles.h"
#include "platform/headless/headless.h"
#include "player/memory_alerts.h"
#include "stackfile/stack.h"
#include "ui/alerts.h"

namespace corvida::app {

class StackSession {
 public:
  StackSession();
  // Opens a stack: 0, or the open result (the alert texts are already on stderr).
  int Open(const std::string& path);
  Stack& stack() { return stack_; }
  // Saves the stack, telling the user on stderr why a save failed.
  bool Save(const std::string& path, bool purge_unused);
  Handles& handles() { return handles_; }

 private:
  RecordingAlertResponder presenter_;
  MemoryAlerts memory_alerts_{presenter_};
  Handles handles_{&memory_alerts_};
  Alerts alerts_;
  Stack stack_;
};

// Text of a stored Windows-character string as UTF-8.
std::string ShownText(const std::string& windows_text);

}  // namespace corvida::app

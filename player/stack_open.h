// Opening and saving a stack for the user. The stack code answers with its questions
// and messages as data; here the questions become alerts whose answers reopen the stack,
// and the messages are shown in the order the stack code gave them.
#pragma once

#include <string>

#include "stackfile/stack.h"
#include "ui/alerts.h"

namespace corvida {

// Who answers the questions: the user through the alert, or (with no one to ask) the
// headless player's fixed answers. Headless players still show the alert, so that the
// question appears on the command line and in replay logs.
enum class StackAsking { kUser, kHeadless };

// The headless answers: Yes to converting a small card, so that every headless command
// shows and renders such a stack alike, and OK to keeping what was read of damaged
// resources. Both are the alerts' default buttons.
bool HeadlessAnswer(StackQuestion question);

// Opens `path` into `stack`, asking through `alerts`.
StackOpenResult OpenStackWithAlerts(Stack& stack, Alerts& alerts, const std::string& path,
                                    StackOpenOptions options, StackAsking asking);

// Saves `stack` to `path`, telling the user through `alerts` why a save failed.
StackSaveResult SaveStackWithAlerts(Stack& stack, Alerts& alerts, const std::string& path,
                                    bool purge_unused = true);

}  // namespace corvida

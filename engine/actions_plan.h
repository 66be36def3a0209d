// Template body of PlanActions (engine/actions.h).
#pragma once

#include "stackfile/actions.h"

namespace corvida {

template <typename HasEntry>
std::vector<ActionStep> PlanActions(uint16_t flags, uint16_t answer_mark, HasEntry has_entry) {
  std::vector<ActionStep> steps;
  auto step = [&](uint16_t flag, uint16_t kind, ActionStep s) {
    if ((flags & flag) && has_entry(kind)) steps.push_back(s);
  };
  if (answer_mark >= 1 && answer_mark <= 3) steps.push_back(ActionStep::kAnswerMark);
  step(action::kStackSound, action::kEntryStackSound, ActionStep::kStackSound);
  step(action::kSoundFile, action::kEntrySoundFile, ActionStep::kSoundFile);
  step(action::kMovie, action::kEntryMovie, ActionStep::kMovie);
  step(action::kAnimation, action::kEntryAnimation, ActionStep::kAnimation);
  step(action::kVideodisc, action::kEntryVideodisc, ActionStep::kVideodisc);
  step(action::kNba, action::kEntryNba, ActionStep::kNba);
  step(action::kScript, action::kEntryScript, ActionStep::kScript);
  if (flags & action::kGo)
    steps.push_back(has_entry(action::kEntryOtherStack) ? ActionStep::kOtherStack
                                                        : ActionStep::kGoToCard);
  else
    step(action::kLaunch, action::kEntryLaunch, ActionStep::kLaunch);
  return steps;
}

}  // namespace corvida

// The action executor's lookups and its fixed step order. An ActionRecord lives in a
// button record, in an 'Actn' block or at the end of an 'Hlnk' block; its entries carry
// the data of the steps its action flags ask for.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/cards.h"
#include "base/handles.h"
#include "stackfile/stack.h"

namespace corvida {

// An ActionEntry: the handle holding it and the entry's byte offset in that handle.
struct EntryRef {
  Handle handle = 0;
  uint32_t offset = 0;
  explicit operator bool() const { return handle != 0; }
  friend bool operator==(const EntryRef&, const EntryRef&) = default;
};

// The first entry of `kind` for `id`: in the button with that id (current card first),
// else in the 'Actn' block with that id, else in the ActionRecord of the 'Hlnk' block
// with that id. Empty when none has one.
EntryRef FindActionEntry(Stack& stack, Handles& handles, Handle current, uint16_t id,
                         uint16_t kind);

// The steps the executor runs, in their fixed order.
enum class ActionStep {
  kAnswerMark,
  kStackSound,
  kSoundFile,
  kMovie,
  kAnimation,
  kVideodisc,
  kNba,
  kScript,
  kOtherStack,
  kGoToCard,
  kLaunch,
};

// The steps a record asks for, in execution order, given its action flags, its answer
// mark and which entry kinds it holds (`has_entry(kind)`). A step that needs an entry
// is left out when the entry is missing; going somewhere always wins over a launch.
template <typename HasEntry>
std::vector<ActionStep> PlanActions(uint16_t flags, uint16_t answer_mark, HasEntry has_entry);

}  // namespace corvida

#include "engine/actions_plan.h"

#include "engine/timers.h"

#include "engine/cards.h"
#include "stackfile/records.h"
#include "stackfile/stack.h"

namespace corvida {

void TimerTable::Clear(uint32_t now) {
  slots_.fill({});
  last_tick_ = now;
  ++generation_;
}

bool TimerTable::Add(uint16_t id, uint32_t source, uint16_t count, uint16_t mode) {
  if (mode == kTimerModeNone || id == 0) return false;
  for (TimerSlot& slot : slots_) {
    if (slot.id != 0) continue;
    slot = {id, source, count, count, mode == kTimerModeRepeat ? 1u : 0u};
    return true;
  }
  return false;
}

int TimerTable::active() const {
  int n = 0;
  for (const TimerSlot& slot : slots_) n += slot.id != 0;
  return n;
}

void TimerTable::Tick(uint32_t now, bool enabled, bool browse_mode, const Fire& fire) {
  if (!enabled || !browse_mode) return;
  // Unsigned difference: the spacing survives the clock wrapping.
  if (now - last_tick_ < kTimerMinTicks) return;
  last_tick_ = now;
  if (active() == 0) return;
  for (TimerSlot& slot : slots_)
    if (slot.id != 0 && slot.counter > 0) --slot.counter;
  const uint32_t generation = generation_;
  for (TimerSlot& slot : slots_) {
    if (slot.id == 0 || slot.counter != 0) continue;
    TimerSlot fired = slot;
    if (slot.repeat)
      slot.counter = slot.reload;
    else
      slot = {};
    if (fire) fire(fired.source, static_cast<uint16_t>(fired.id));
    // The run moved to another card: its table is armed anew and the rest is gone.
    if (generation_ != generation) return;
  }
}

namespace {

// Adds the 'Actn' block `id` when it carries a timer.
void AddBlock(TimerTable& table, Stack& stack, Handles& handles, uint16_t id) {
  if (id == 0) return;
  Handle block = stack.resources().Get(restype::kActn, id);
  if (!block) return;
  Bytes view{handles.Lock(block), handles.GetSize(block)};
  uint16_t count = Field16(view, button::kTimerCount);
  uint16_t mode = Field16(view, button::kTimerMode);
  handles.Unlock(block);
  table.Add(id, kTimerFromBlock, count, mode);
}

}  // namespace

void ArmTimers(TimerTable& table, Stack& stack, Handles& handles, Handle card, uint32_t now) {
  table.Clear(now);
  if (!card) return;
  AddBlock(table, stack, handles, CardField16(handles, card, card::kClickAction));
  if (stack.is_open()) AddBlock(table, stack, handles, stack.Header16(header::kClickAction));
  ObjectIterator walk(stack, handles, card, false);
  while (ObjectRef obj = walk.Next()) {
    switch (ObjectType(handles, obj)) {
      case object::kGraphic:
        AddBlock(table, stack, handles, ObjectField16(handles, obj, graphic::kActionId));
        break;
      case object::kButton:
        table.Add(ObjectId(handles, obj), kTimerFromButton,
                  ObjectField16(handles, obj, button::kTimerCount),
                  ObjectField16(handles, obj, button::kTimerMode));
        break;
      case object::kTextField:
        AddBlock(table, stack, handles, ObjectField16(handles, obj, field::kActionId));
        break;
    }
  }
}

}  // namespace corvida

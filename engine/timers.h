// Automatic timers of the shown card: up to 20 ActionRecords whose timer mode is set run
// by themselves after a number of timer ticks, once or repeatedly. A timer tick happens
// at most once per 61 clock ticks (about a second).
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "base/handles.h"

namespace corvida {

class Stack;

struct TimerSlot {
  uint32_t id = 0;      // 0 = free
  uint32_t source = 0;  // kTimerFromBlock or kTimerFromButton
  uint32_t reload = 0;
  uint32_t counter = 0;
  uint32_t repeat = 0;  // 1 for mode 2
};

inline constexpr uint32_t kTimerFromButton = 0;
inline constexpr uint32_t kTimerFromBlock = 1;
inline constexpr int kTimerSlots = 20;
inline constexpr uint32_t kTimerMinTicks = 61;
inline constexpr uint16_t kTimerModeNone = 0;
inline constexpr uint16_t kTimerModeOnce = 1;
inline constexpr uint16_t kTimerModeRepeat = 2;

class TimerTable {
 public:
  // Runs one fired slot: an 'Actn' block by id, or a button by id.
  using Fire = std::function<void(uint32_t source, uint16_t id)>;

  // Frees every slot and starts the 61-tick spacing again from `now`.
  void Clear(uint32_t now);
  // Takes a slot for a record with the given timer count and mode; false when the mode
  // is 0 or all 20 slots are taken.
  bool Add(uint16_t id, uint32_t source, uint16_t count, uint16_t mode);

  // One call from the idle loop at clock tick `now`. Does nothing unless timers are
  // enabled in the stack, the player is in browse mode and 61 ticks have passed since the
  // last timer tick. Fired slots are reloaded (repeating) or freed before they run; when
  // a run re-arms the table (a card change), the old table's remaining slots are dropped.
  void Tick(uint32_t now, bool enabled, bool browse_mode, const Fire& fire);

  const std::array<TimerSlot, kTimerSlots>& slots() const { return slots_; }
  int active() const;

 private:
  std::array<TimerSlot, kTimerSlots> slots_{};
  uint32_t last_tick_ = 0;
  uint32_t generation_ = 0;  // bumped by Clear, so a tick sees a re-arm done by a run
};

// Arms the table for `card`: the card's click action block, the stack's click action
// block, then each of the card's own objects in walk order (a graphic's action block, a
// button's own record, a text field's action block), up to 20 with a timer mode.
void ArmTimers(TimerTable& table, Stack& stack, Handles& handles, Handle card, uint32_t now);

}  // namespace corvida

// What every window system keeps the same way: posted messages in their order and the
// windows' timers. As on the classic system, a timer message comes only when nothing else
// is queued, and a late timer fires once rather than catching up.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/types.h"

namespace corvida {

class MessageQueue {
 public:
  static constexpr uint32_t kForever = 0xFFFFFFFFu;
  // How a fired timer's next deadline is set: a period from now (a virtual clock that
  // jumps to deadlines), or keeping its own rhythm so that waking a little late does not
  // slow it down (a real clock; a timer more than a period behind starts again from now).
  enum class Rhythm { kFromNow, kKeepRhythm };

  MessageQueue(Clock& clock, Rhythm rhythm) : clock_(clock), rhythm_(rhythm) {}

  void SetTimer(WindowId window, uint32_t id, uint32_t ms);
  void KillTimer(WindowId window, uint32_t id);
  // Drops the timers and waiting messages of a destroyed window.
  void Forget(WindowId window);
  // Queues a message, stamped with the clock when it carries no time.
  void Post(const Message& message);

  // The oldest queued message.
  bool TakeQueued(Message& out);
  // The most overdue timer's message, its deadline moved on.
  bool TakeDueTimer(Message& out);
  // Milliseconds until the next timer is due (0 when one is), kForever without timers.
  uint32_t UntilNextTimer() const;
  // The first message for `window` (0: any) within [first, last] (both 0: any), queued
  // messages before due timers; removed when `remove` is set.
  bool Peek(Message& out, WindowId window, uint32_t first, uint32_t last, bool remove);

  // Takes the first key-down of `virtual_key` (or its character) and the key messages
  // before it, and the character right after it; false when it is not queued.
  bool TakeThroughKey(uint32_t virtual_key);

  size_t size() const { return queue_.size(); }

 private:
  struct Timer {
    WindowId window;
    uint32_t id;
    uint32_t period;
    uint32_t due;
  };
  void Reschedule(Timer& t, uint32_t now);

  Clock& clock_;
  Rhythm rhythm_;
  std::vector<Timer> timers_;
  std::deque<Message> queue_;
};

}  // namespace corvida

#include "platform/message_queue.h"

#include <algorithm>

namespace corvida {

void MessageQueue::SetTimer(WindowId window, uint32_t id, uint32_t ms) {
  KillTimer(window, id);
  uint32_t period = std::max<uint32_t>(ms, 1);
  timers_.push_back(Timer{window, id, period, clock_.Milliseconds() + period});
}

void MessageQueue::KillTimer(WindowId window, uint32_t id) {
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == id; });
}

void MessageQueue::Forget(WindowId window) {
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
  std::erase_if(queue_, [&](const Message& m) { return m.window == window; });
}

void MessageQueue::Post(const Message& message) {
  Message m = message;
  if (m.time == 0) m.time = clock_.Milliseconds();
  queue_.push_back(m);
}

bool MessageQueue::TakeQueued(Message& out) {
  if (queue_.empty()) return false;
  out = queue_.front();
  queue_.pop_front();
  return true;
}

void MessageQueue::Reschedule(Timer& t, uint32_t now) {
  if (rhythm_ == Rhythm::kFromNow) {
    t.due = now + t.period;
    return;
  }
  t.due += t.period;
  if (static_cast<int32_t>(now - t.due) >= 0) t.due = now + t.period;
}

bool MessageQueue::TakeDueTimer(Message& out) {
  uint32_t now = clock_.Milliseconds();
  Timer* best = nullptr;
  for (Timer& t : timers_) {
    if (static_cast<int32_t>(now - t.due) >= 0 &&
        (best == nullptr || static_cast<int32_t>(t.due - best->due) < 0)) {
      best = &t;
    }
  }
  if (best == nullptr) return false;
  out = Message{best->window, msg::kTimer, best->id, 0, now};
  Reschedule(*best, now);
  return true;
}

uint32_t MessageQueue::UntilNextTimer() const {
  uint32_t now = clock_.Milliseconds();
  uint32_t wait = kForever;
  for (const Timer& t : timers_) {
    uint32_t until = static_cast<int32_t>(t.due - now) > 0 ? t.due - now : 0;
    wait = std::min(wait, until);
  }
  return wait;
}

bool MessageQueue::Peek(Message& out, WindowId window, uint32_t first, uint32_t last, bool remove) {
  for (auto it = queue_.begin(); it != queue_.end(); ++it) {
    if (window != 0 && it->window != window) continue;
    if ((first != 0 || last != 0) && (it->message < first || it->message > last)) continue;
    out = *it;
    if (remove) queue_.erase(it);
    return true;
  }
  if ((first == 0 && last == 0) || (msg::kTimer >= first && msg::kTimer <= last)) {
    uint32_t now = clock_.Milliseconds();
    for (Timer& t : timers_) {
      if ((window == 0 || t.window == window) && static_cast<int32_t>(now - t.due) >= 0) {
        out = Message{t.window, msg::kTimer, t.id, 0, now};
        if (remove) Reschedule(t, now);
        return true;
      }
    }
  }
  return false;
}

namespace {
bool IsKeyMessage(const Message& m) {
  return m.message >= msg::kKeyDown && m.message <= msg::kSysKeyUp;
}
bool IsKey(const Message& m, uint32_t virtual_key) {
  return (m.message == msg::kKeyDown || m.message == msg::kChar) && m.wParam == virtual_key;
}
}  // namespace

bool MessageQueue::TakeThroughKey(uint32_t virtual_key) {
  auto key = std::find_if(queue_.begin(), queue_.end(),
                          [&](const Message& m) { return IsKey(m, virtual_key); });
  if (key == queue_.end()) return false;
  // The character the key typed follows its key-down, perhaps after other key messages.
  auto end = std::next(key);
  if (key->message == msg::kKeyDown) {
    auto typed = std::find_if(end, queue_.end(), [&](const Message& m) {
      return m.message == msg::kChar || m.message == msg::kKeyDown;
    });
    if (typed != queue_.end() && typed->message == msg::kChar && typed->wParam == virtual_key)
      end = std::next(typed);
  }
  auto first_kept = std::remove_if(queue_.begin(), end, IsKeyMessage);
  queue_.erase(first_kept, end);
  return true;
}

}  // namespace corvida

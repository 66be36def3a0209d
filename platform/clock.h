// The clock service: system milliseconds, and the tick (milliseconds / 17, about 1/60 s)
// that timers, transitions and waits count in.
#pragma once

#include <cstdint>

namespace corvida {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps like a 32-bit counter.
  virtual uint32_t Milliseconds() = 0;
  uint32_t Ticks() { return Milliseconds() / 17; }
};

// A clock that only moves when told to: the headless backend's, so that transitions,
// timers and waits are tested deterministically and without sleeping.
class VirtualClock : public Clock {
 public:
  uint32_t Milliseconds() override { return now_; }
  void Set(uint32_t ms) { now_ = ms; }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  uint32_t now_ = 0;
};

}  // namespace corvida

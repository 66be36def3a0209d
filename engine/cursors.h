// Stack cursors: pointer shapes by resource id. Only the ids 28016 to 28368 in steps of
// 16 name one of the player's 23 cursor shapes; any other id counts as "no cursor of its
// own", so the object's card or stack cursor (or the arrow) applies.
#pragma once

#include <cstdint>

namespace corvida {

inline constexpr int kCursorSlots = 23;
inline constexpr uint16_t kFirstCursorId = 28016;
inline constexpr uint16_t kCursorIdStep = 16;

// The cache slot (0 to 22) of a cursor id, or -1 when the id names no cursor.
constexpr int CursorSlot(uint16_t id) {
  if (id < kFirstCursorId || (id - kFirstCursorId) % kCursorIdStep != 0) return -1;
  int slot = (id - kFirstCursorId) / kCursorIdStep;
  return slot < kCursorSlots ? slot : -1;
}

}  // namespace corvida

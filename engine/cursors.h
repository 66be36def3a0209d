// Stack cursors: pointer shapes by resource id. Only the ids 28016 to 28368 in steps of
// 16 name one of the player's 23 cursor shapes (drawn in platform/cursor_art.h); any other
// id counts as "no cursor of its own", so the object's card or stack cursor (or the
// arrow) applies.
#pragma once

#include <cstdint>

#include "platform/cursor_art.h"
#include "platform/window.h"

namespace corvida {

inline constexpr int kCursorSlots = kStackCursorCount;
inline constexpr uint16_t kFirstCursorId = 28016;
inline constexpr uint16_t kCursorIdStep = 16;

// The cache slot (0 to 22) of a cursor id, or -1 when the id names no cursor.
constexpr int CursorSlot(uint16_t id) {
  if (id < kFirstCursorId || (id - kFirstCursorId) % kCursorIdStep != 0) return -1;
  int slot = (id - kFirstCursorId) / kCursorIdStep;
  return slot < kCursorSlots ? slot : -1;
}

// A pointer to show: one of the window system's shapes, or stack cursor `slot` with
// shape kCustom.
struct Pointer {
  CursorShape shape = CursorShape::kArrow;
  int slot = -1;
  friend bool operator==(const Pointer&, const Pointer&) = default;
};

inline Pointer StackPointer(int slot) {
  return {CursorShape::kCustom, slot};
}

inline void ShowPointer(WindowSystem& windows, const Pointer& pointer) {
  if (pointer.shape == CursorShape::kCustom) {
    if (auto* display = dynamic_cast<StackCursorDisplay*>(&windows))
      return display->SetStackCursor(pointer.slot);
    return windows.SetCursor(CursorShape::kHand);
  }
  windows.SetCursor(pointer.shape);
}

}  // namespace corvida

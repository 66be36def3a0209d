// The pointer shapes the player draws itself, the same on every backend: the hands for
// panning and pointing, and the 23 stack cursors a stack, card or object may name (slots
// 0 to 22, resource ids 28016 to 28368 in steps of 16). Each is 16 x 16 text art, 'X'
// black outline, '.' white fill, ' ' transparent, with its hot spot: the pixel that
// points, which every backend places at the pointer position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/window.h"

namespace corvida {

inline constexpr int kCursorSide = 16;
inline constexpr int kStackCursorCount = 23;

struct CursorArt {
  const char* const* rows = nullptr;  // null for shapes that are the system's
  Point hotspot;
  const char* name = "";  // what the shape shows, for documentation and test output
};

// The open, the closed and the pointing hand; no art for the system's own shapes.
CursorArt HandCursorArt(CursorShape shape);

// Stack cursor `slot` (0 to 22); no art for any other slot.
CursorArt StackCursorArt(int slot);

// The art as 16 x 16 RGBA pixels, top row first (stride 64); empty without art.
std::vector<uint8_t> CursorPixels(const CursorArt& art);

// A window system that shows the stack cursors implements this beside WindowSystem (the
// player finds it by dynamic_cast, so backends without it show the pointing hand). While
// a stack cursor is shown the window system's shape reads CursorShape::kCustom.
class StackCursorDisplay {
 public:
  virtual ~StackCursorDisplay() = default;
  virtual void SetStackCursor(int slot) = 0;
};

// A CSS `cursor` value showing the art (an SVG image with its hot spot, the arrow as
// fallback), for the browser backend; "default" without art.
std::string CursorCss(const CursorArt& art);

}  // namespace corvida

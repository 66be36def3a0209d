// Our controller bar for movies that show one (option 0x0001): a bar 16 pixels high along
// the bottom of the movie's rectangle with a play/pause button, a position bar whose
// thumb can be dragged, and the time. Layout and hit testing live here; the player draws.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace corvida {

inline constexpr int kControllerHeight = 16;

struct ControllerLayout {
  Rect bar;     // the whole bar
  Rect button;  // play/pause at its left end
  Rect track;   // the position bar
  Rect thumb;   // where the position is on it
  Rect time;    // the time at its right end
};

// What the player draws for one bar.
struct ControllerView {
  ControllerLayout layout;
  bool playing = false;
  std::string time;  // "m:ss"
};

// The bar of a movie shown in `movie_rect` at `position_ms` of `duration_ms`.
ControllerLayout LayoutController(const Rect& movie_rect, uint32_t position_ms,
                                  uint32_t duration_ms);
// The part of the movie's rectangle its pictures take when the bar is shown.
Rect PictureArea(const Rect& movie_rect);

enum class ControllerPart { kNone, kButton, kTrack };
ControllerPart HitController(const ControllerLayout& layout, Point p);
// The time a point on the position bar stands for (clamped to the bar's ends).
uint32_t TrackTime(const ControllerLayout& layout, int x, uint32_t duration_ms);
// "m:ss" (hours roll into the minutes).
std::string ControllerTime(uint32_t ms);

}  // namespace corvida

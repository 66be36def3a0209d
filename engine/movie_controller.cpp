#include "engine/movie_controller.h"

#include <algorithm>
#include <cstdio>

namespace corvida {

namespace {

constexpr int kButtonWidth = 16;
constexpr int kTimeWidth = 36;
constexpr int kThumbWidth = 6;
constexpr int kTrackInset = 4;  // between the track and the button and the time

}  // namespace

Rect PictureArea(const Rect& movie_rect) {
  Rect area = movie_rect;
  area.bottom = std::max(area.top, area.bottom - kControllerHeight);
  return area;
}

ControllerLayout LayoutController(const Rect& movie_rect, uint32_t position_ms,
                                  uint32_t duration_ms) {
  ControllerLayout l;
  l.bar = {movie_rect.left, std::max(movie_rect.top, movie_rect.bottom - kControllerHeight),
           movie_rect.right, movie_rect.bottom};
  l.button = {l.bar.left, l.bar.top, std::min(l.bar.right, l.bar.left + kButtonWidth),
              l.bar.bottom};
  // A narrow bar drops the time before the track.
  const bool room_for_time = l.bar.Width() >= kButtonWidth + kTimeWidth + 4 * kThumbWidth;
  l.time = room_for_time ? Rect{l.bar.right - kTimeWidth, l.bar.top, l.bar.right, l.bar.bottom}
                         : Rect{l.bar.right, l.bar.top, l.bar.right, l.bar.bottom};
  l.track = {l.button.right + kTrackInset, l.bar.top + 5, l.time.left - kTrackInset,
             l.bar.bottom - 5};
  if (l.track.right <= l.track.left) l.track.right = l.track.left;
  const int travel = std::max(0, l.track.Width() - kThumbWidth);
  const int at =
      duration_ms == 0
          ? 0
          : int(int64_t(travel) * std::min(position_ms, duration_ms) / int64_t(duration_ms));
  l.thumb = {l.track.left + at, l.bar.top + 2, l.track.left + at + kThumbWidth, l.bar.bottom - 2};
  return l;
}

ControllerPart HitController(const ControllerLayout& l, Point p) {
  if (!l.bar.Contains(p)) return ControllerPart::kNone;
  if (l.button.Contains(p)) return ControllerPart::kButton;
  // The whole height of the bar over the track counts: the track itself is thin.
  Rect track_column{l.track.left, l.bar.top, l.track.right, l.bar.bottom};
  return track_column.Contains(p) ? ControllerPart::kTrack : ControllerPart::kNone;
}

uint32_t TrackTime(const ControllerLayout& l, int x, uint32_t duration_ms) {
  const int travel = l.track.Width() - kThumbWidth;
  if (travel <= 0) return 0;
  const int along = std::clamp(x - l.track.left - kThumbWidth / 2, 0, travel);
  return uint32_t(int64_t(duration_ms) * along / travel);
}

std::string ControllerTime(uint32_t ms) {
  const uint32_t seconds = ms / 1000;
  char text[16];
  std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
  return text;
}

}  // namespace corvida

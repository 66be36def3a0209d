#include <algorithm>

#include "platform/sdl/sdl_input.h"

namespace corvida::sdl {
namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

Layout ComputeLayout(Size client, Size window) {
  Layout layout{client, {}};
  if (client.width <= 0 || client.height <= 0 || window.width <= 0 || window.height <= 0) {
    return layout;
  }
  int width, height;
  int factor = std::min(window.width / client.width, window.height / client.height);
  if (factor >= 1) {
    width = client.width * factor;
    height = client.height * factor;
  } else {
    // Smaller than the client: shrink, keeping the proportions.
    if (static_cast<int64_t>(window.width) * client.height <=
        static_cast<int64_t>(window.height) * client.width) {
      width = window.width;
      height = std::max<int>(1, static_cast<int64_t>(client.height) * window.width / client.width);
    } else {
      height = window.height;
      width = std::max<int>(1, static_cast<int64_t>(client.width) * window.height / client.height);
    }
  }
  int left = (window.width - width) / 2;
  int top = (window.height - height) / 2;
  layout.dest = {left, top, left + width, top + height};
  return layout;
}

bool WindowToClient(const Layout& layout, Point window_point, Point& client_point) {
  const Rect& d = layout.dest;
  if (d.Empty()) {
    client_point = window_point;
    return false;
  }
  client_point.x = static_cast<int>(
      FloorDiv(static_cast<int64_t>(window_point.x - d.left) * layout.client.width, d.Width()));
  client_point.y = static_cast<int>(
      FloorDiv(static_cast<int64_t>(window_point.y - d.top) * layout.client.height, d.Height()));
  return client_point.x >= 0 && client_point.y >= 0 && client_point.x < layout.client.width &&
         client_point.y < layout.client.height;
}

Size InitialWindowSize(Size client, Size usable_display) {
  if (client.width <= 0 || client.height <= 0) return client;
  // Leave about a tenth of the display for the window's frame and the desktop.
  int room_w = usable_display.width * 9 / 10;
  int room_h = usable_display.height * 9 / 10;
  int factor = std::max(1, std::min(room_w / client.width, room_h / client.height));
  return {client.width * factor, client.height * factor};
}

}  // namespace corvida::sdl

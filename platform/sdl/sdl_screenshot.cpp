// Reading back what a window shows, for screenshots taken from inside the player: the
// client picture is drawn again as Render draws it, read from the renderer and sampled
// back to the client's size at the centre of each magnified pixel.
#include "platform/sdl/sdl_window_system.h"

namespace corvida::sdl {

bool SdlWindowSystem::ReadShown(WindowId window, std::vector<uint8_t>& rgba, Size& size) {
  Window* w = Find(window);
  if (w == nullptr) return false;
  int width = 0, height = 0;
  if (SDL_GetRendererOutputSize(w->renderer, &width, &height) != 0) return false;
  const Layout out = ComputeLayout(w->client, {width, height});
  const int dw = out.dest.Width(), dh = out.dest.Height();
  if (dw <= 0 || dh <= 0 || w->client.width <= 0 || w->client.height <= 0) return false;
  SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
  SDL_RenderClear(w->renderer);
  SDL_Rect dest{out.dest.left, out.dest.top, dw, dh};
  SDL_RenderCopy(w->renderer, w->texture, nullptr, &dest);
  std::vector<uint8_t> shown(static_cast<size_t>(dw) * static_cast<size_t>(dh) * 4);
  const int status =
      SDL_RenderReadPixels(w->renderer, &dest, SDL_PIXELFORMAT_RGBA32, shown.data(), dw * 4);
  SDL_RenderPresent(w->renderer);
  if (status != 0) return false;
  size = w->client;
  rgba.resize(static_cast<size_t>(size.width) * static_cast<size_t>(size.height) * 4);
  for (int y = 0; y < size.height; ++y) {
    const int sy = static_cast<int>((static_cast<int64_t>(y) * 2 + 1) * dh / (2 * size.height));
    for (int x = 0; x < size.width; ++x) {
      const int sx = static_cast<int>((static_cast<int64_t>(x) * 2 + 1) * dw / (2 * size.width));
      const uint8_t* p = shown.data() + (static_cast<size_t>(sy) * dw + sx) * 4;
      uint8_t* q = rgba.data() + (static_cast<size_t>(y) * size.width + x) * 4;
      q[0] = p[0], q[1] = p[1], q[2] = p[2], q[3] = 255;
    }
  }
  return true;
}

}  // namespace corvida::sdl

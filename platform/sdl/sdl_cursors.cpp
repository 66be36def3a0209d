// SDL cursors from the player's own pointer art (platform/cursor_art.h).
#include <algorithm>

#include "platform/sdl/sdl_window_system.h"

namespace corvida::sdl {

SDL_Cursor* MakeArtCursor(const CursorArt& art) {
  const std::vector<uint8_t> rgba = CursorPixels(art);
  if (rgba.empty()) return nullptr;
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, kCursorSide, kCursorSide, 32, SDL_PIXELFORMAT_RGBA32);
  if (surface == nullptr) return nullptr;
  for (int y = 0; y < kCursorSide; ++y) {
    auto* row = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
    std::copy_n(&rgba[static_cast<size_t>(y) * kCursorSide * 4], kCursorSide * 4, row);
  }
  SDL_Cursor* cursor = SDL_CreateColorCursor(surface, art.hotspot.x, art.hotspot.y);
  SDL_FreeSurface(surface);
  return cursor;
}

}  // namespace corvida::sdl

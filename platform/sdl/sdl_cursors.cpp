// The open and closed hand shown while a zoomed card is panned. The system has no such
// pointers, so they are drawn here: 'X' outline, '.' fill, ' ' transparent.
#include "platform/sdl/sdl_window_system.h"

namespace corvida::sdl {
namespace {

constexpr int kSide = 16;

constexpr const char* kFlatHand[kSide] = {
    "       XX       ", "   XX X..XXX    ", "  X..XX..X..X   ", "  X..XX..X..X X ",
    "   X..X..X..XX.X", "   X..X..X..X..X", " XX X.......X..X", "X..XX..........X",
    "X...X.........X ", " X............X ", "  X...........X ", "  X..........X  ",
    "   X.........X  ", "    X.......X   ", "     X......X   ", "     X......X   ",
};

constexpr const char* kGrabHand[kSide] = {
    "                ", "                ", "                ", "    XX XX XX    ",
    "   X..X..X..XX  ", "   X.........X.X", "    X..........X", "   XX..........X",
    "  X............X", "  X............X", "   X..........X ", "   X..........X ",
    "    X........X  ", "     X.......X  ", "     X.......X  ", "     X.......X  ",
};

}  // namespace

SDL_Cursor* MakeHandCursor(bool closed) {
  const char* const* art = closed ? kGrabHand : kFlatHand;
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, kSide, kSide, 32, SDL_PIXELFORMAT_RGBA32);
  if (surface == nullptr) return nullptr;
  for (int y = 0; y < kSide; ++y) {
    auto* row = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
    for (int x = 0; x < kSide; ++x) {
      uint8_t grey = art[y][x] == 'X' ? 0 : 255;
      uint8_t alpha = art[y][x] == ' ' ? 0 : 255;
      uint8_t* px = row + x * 4;
      px[0] = px[1] = px[2] = grey;
      px[3] = alpha;
    }
  }
  SDL_Cursor* cursor = SDL_CreateColorCursor(surface, 8, 8);
  SDL_FreeSurface(surface);
  return cursor;
}

}  // namespace corvida::sdl

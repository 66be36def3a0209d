// The player's own hand pointers, which the system lacks: the open and closed hand shown
// while a zoomed card is panned, and the pointing hand over objects that carry a cursor
// of their own. Drawn from text art: 'X' outline, '.' fill, ' ' transparent.
#include "platform/sdl/sdl_window_system.h"

namespace corvida::sdl {
namespace {

constexpr const char* kFlatHand[kCursorSide] = {
    "       XX       ", "   XX X..XXX    ", "  X..XX..X..X   ", "  X..XX..X..X X ",
    "   X..X..X..XX.X", "   X..X..X..X..X", " XX X.......X..X", "X..XX..........X",
    "X...X.........X ", " X............X ", "  X...........X ", "  X..........X  ",
    "   X.........X  ", "    X.......X   ", "     X......X   ", "     X......X   ",
};

constexpr const char* kGrabHand[kCursorSide] = {
    "                ", "                ", "                ", "    XX XX XX    ",
    "   X..X..X..XX  ", "   X.........X.X", "    X..........X", "   XX..........X",
    "  X............X", "  X............X", "   X..........X ", "   X..........X ",
    "    X........X  ", "     X.......X  ", "     X.......X  ", "     X.......X  ",
};

// The index finger points up; its tip is the hot spot.
constexpr const char* kPointingHand[kCursorSide] = {
    "     XX         ", "    X..X        ", "    X..X        ", "    X..X        ",
    "    X..XXX      ", "    X..X..XXX   ", "    X..X..X..XX ", " XX X..X..X..X.X",
    "X..XX........X.X", "X...X..........X", " X.............X", "  X............X",
    "  X...........X ", "   X..........X ", "    X........X  ", "    X........X  ",
};

}  // namespace

CursorArt HandCursorArt(CursorShape shape) {
  switch (shape) {
    case CursorShape::kFlatHand:
      return {kFlatHand, {8, 8}};
    case CursorShape::kGrabHand:
      return {kGrabHand, {8, 8}};
    case CursorShape::kHand:
      return {kPointingHand, {5, 0}};
    default:
      return {};
  }
}

SDL_Cursor* MakeHandCursor(CursorShape shape) {
  const CursorArt art = HandCursorArt(shape);
  if (art.rows == nullptr) return nullptr;
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, kCursorSide, kCursorSide, 32, SDL_PIXELFORMAT_RGBA32);
  if (surface == nullptr) return nullptr;
  for (int y = 0; y < kCursorSide; ++y) {
    auto* row = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
    for (int x = 0; x < kCursorSide; ++x) {
      uint8_t grey = art.rows[y][x] == 'X' ? 0 : 255;
      uint8_t alpha = art.rows[y][x] == ' ' ? 0 : 255;
      uint8_t* px = row + x * 4;
      px[0] = px[1] = px[2] = grey;
      px[3] = alpha;
    }
  }
  SDL_Cursor* cursor = SDL_CreateColorCursor(surface, art.hotspot.x, art.hotspot.y);
  SDL_FreeSurface(surface);
  return cursor;
}

}  // namespace corvida::sdl

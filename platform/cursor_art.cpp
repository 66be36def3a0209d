// The player's own pointer shapes as text art; see cursor_art.h.
#include "platform/cursor_art.h"

#include <cstdio>

namespace corvida {
namespace {

constexpr const char* kPointingHand[kCursorSide] = {
    "     XX         ", "    X..X        ", "    X..X        ", "    X..X        ",
    "    X..XXX      ", "    X..X..XXX   ", "    X..X..X..XX ", " XX X..X..X..X.X",
    "X..XX........X.X", "X...X..........X", " X.............X", "  X............X",
    "  X...........X ", "   X..........X ", "    X........X  ", "    X........X  ",
};

constexpr const char* kOpenHand[kCursorSide] = {
    "       XX       ", "   XX X..XXX    ", "  X..XX..X..X   ", "  X..XX..X..X X ",
    "   X..X..X..XX.X", "   X..X..X..X..X", " XX X.......X..X", "X..XX..........X",
    "X...X.........X ", " X............X ", "  X...........X ", "  X..........X  ",
    "   X.........X  ", "    X.......X   ", "     X......X   ", "     X......X   ",
};

constexpr const char* kClosedHand[kCursorSide] = {
    "                ", "                ", "                ", "    XX XX XX    ",
    "   X..X..X..XXX ", "   X.........X.X", "    X..........X", "   XX..........X",
    "  X............X", "  X............X", "   X..........X ", "   X..........X ",
    "    X........X  ", "     X.......X  ", "     X.......X  ", "     X.......X  ",
};

constexpr const char* kArrowRight[kCursorSide] = {
    "                ", "        X       ", "        XX      ", "        X.X     ",
    "        X..X    ", "XXXXXXXXX...X   ", "X............X  ", "X.............X ",
    "X............X  ", "XXXXXXXXX...X   ", "        X..X    ", "        X.X     ",
    "        XX      ", "        X       ", "                ", "                ",
};

constexpr const char* kArrowLeft[kCursorSide] = {
    "                ", "       X        ", "      XX        ", "     X.X        ",
    "    X..X        ", "   X...XXXXXXXXX", "  X............X", " X.............X",
    "  X............X", "   X...XXXXXXXXX", "    X..X        ", "     X.X        ",
    "      XX        ", "       X        ", "                ", "                ",
};

constexpr const char* kArrowUp[kCursorSide] = {
    "       X        ", "      X.X       ", "     X...X      ", "    X.....X     ",
    "   X.......X    ", "  X.........X   ", " XXXXX...XXXXX  ", "     X...X      ",
    "     X...X      ", "     X...X      ", "     X...X      ", "     X...X      ",
    "     X...X      ", "     X...X      ", "     XXXXX      ", "                ",
};

constexpr const char* kArrowDown[kCursorSide] = {
    "                ", "     XXXXX      ", "     X...X      ", "     X...X      ",
    "     X...X      ", "     X...X      ", "     X...X      ", "     X...X      ",
    "     X...X      ", " XXXXX...XXXXX  ", "  X.........X   ", "   X.......X    ",
    "    X.....X     ", "     X...X      ", "      X.X       ", "       X        ",
};

constexpr const char* kTurnBack[kCursorSide] = {
    "                ", "    X           ", "   XX           ", "  X.XXXXXXXXX   ",
    " X...........X  ", "X.............X ", " X............X ", "  X.XXXXXXX...X ",
    "   XX     X...X ", "    X     X...X ", "    XXXXXXX...X ", "    X.........X ",
    "    X.........X ", "    XXXXXXXXXXX ", "                ", "                ",
};

constexpr const char* kHouse[kCursorSide] = {
    "       X        ", "      X.X  XXX  ", "     X...X X.X  ", "    X.....XX.X  ",
    "   X.........X  ", "  X...........X ", " X.............X", "XXXX.........XXX",
    "   X.........X  ", "   X..XXX....X  ", "   X..X X.XX.X  ", "   X..X X.XX.X  ",
    "   X..X X....X  ", "   X..X X....X  ", "   XXXX XXXXXX  ", "                ",
};

constexpr const char* kMagnifier[kCursorSide] = {
    "    XXXX        ", "  XX....XX      ", " X........X     ", " X........X     ",
    "X..........X    ", "X..........X    ", "X..........X    ", "X..........X    ",
    " X........X     ", " X........XX    ", "  XX....XX..X   ", "    XXXX X...X  ",
    "          X...X ", "           X...X", "            X..X", "             XX ",
};

constexpr const char* kQuestion[kCursorSide] = {
    "     XXXXX      ", "    X.....X     ", "   X..XXX..X    ", "   X.X   X..X   ",
    "   XX    X..X   ", "        X..X    ", "       X..X     ", "      X..X      ",
    "      X..X      ", "      X..X      ", "      XXXX      ", "                ",
    "      XXXX      ", "      X..X      ", "      X..X      ", "      XXXX      ",
};

constexpr const char* kEye[kCursorSide] = {
    "                ", "                ", "                ", "     XXXXXX     ",
    "   XX......XX   ", "  X....XX....X  ", " X....XXXX....X ", "X....XXXXXX....X",
    "X....XXXXXX....X", " X....XXXX....X ", "  X....XX....X  ", "   XX......XX   ",
    "     XXXXXX     ", "                ", "                ", "                ",
};

constexpr const char* kEar[kCursorSide] = {
    "     XXXXX      ", "   XX.....XX    ", "  X.........X   ", " X...XXXX...X   ",
    " X..X    X...X  ", " X..X    X...X  ", "  XX   XX....X  ", "      X.....X   ",
    "      X....X    ", "      X...X     ", "     X...X      ", "     X...X      ",
    "  XX X..X       ", "  X.X...X       ", "   X...X        ", "    XXX         ",
};

constexpr const char* kSpeaker[kCursorSide] = {
    "                ", "       X    X   ", "      XX     X  ", "     X.X  X   X ",
    "XXXXX..X   X  X ", "X......X   X   X", "X......X X  X  X", "X......X  X X  X",
    "X......X  X X  X", "X......X X  X  X", "X......X   X   X", "XXXXX..X   X  X ",
    "     X.X  X   X ", "      XX     X  ", "       X    X   ", "                ",
};

constexpr const char* kFilm[kCursorSide] = {
    "                ", "                ", "XXXXXXXXXXXXXXXX", "X..X..X..X..X..X",
    "XXXXXXXXXXXXXXXX", "X..X......X....X", "X..X......X....X", "X..X......X....X",
    "X..X......X....X", "X..X......X....X", "XXXXXXXXXXXXXXXX", "X..X..X..X..X..X",
    "XXXXXXXXXXXXXXXX", "                ", "                ", "                ",
};

constexpr const char* kPencil[kCursorSide] = {
    "            XX  ", "           X..X ", "          X...X ", "         X.X.X  ",
    "        X...X   ", "       X...X    ", "      X...X     ", "     X...X      ",
    "    X...X       ", "   X...X        ", "  X...X         ", "  X..X          ",
    " X.XX           ", " XX             ", "XX              ", "X               ",
};

constexpr const char* kCrossHair[kCursorSide] = {
    "       X        ", "       X        ", "       X        ", "       X        ",
    "       X        ", "                ", "                ", "XXXXX  X  XXXXX ",
    "                ", "                ", "       X        ", "       X        ",
    "       X        ", "       X        ", "       X        ", "                ",
};

constexpr const char* kWatch[kCursorSide] = {
    "     XXXXXX     ", "     X....X     ", "    XXXXXXXX    ", "  XX........XX  ",
    " X.....X......X ", " X.....X......X ", "X......X.......X", "X......X.......X",
    "X......XXXX....X", "X..............X", " X............X ", " X............X ",
    "  XX........XX  ", "    XXXXXXXX    ", "     X....X     ", "     XXXXXX     ",
};

constexpr const char* kNoEntry[kCursorSide] = {
    "     XXXXXX     ", "   XX......XX   ", "  X..........X  ", " X............X ",
    " X............X ", "X..............X", "X.XXXXXXXXXXXX.X", "X.X..........X.X",
    "X.XXXXXXXXXXXX.X", "X..............X", " X............X ", " X............X ",
    "  X..........X  ", "   XX......XX   ", "     XXXXXX     ", "                ",
};

constexpr const char* kHandLeft[kCursorSide] = {
    "                ", "                ", "    XXX         ", "   X...X        ",
    "  X....X        ", " X.....XXXXXXXXX", "X..............X", " XXXXXX........X",
    "      X........X", "    XX.........X", "   X..........X ", "    XX........X ",
    "   X.........X  ", "    XXXX....X   ", "        XXXX    ", "                ",
};

constexpr const char* kHandRight[kCursorSide] = {
    "                ", "                ", "         XXX    ", "        X...X   ",
    "        X....X  ", "XXXXXXXXX.....X ", "X..............X", "X........XXXXXX ",
    "X........X      ", "X.........XX    ", " X..........X   ", " X........XX    ",
    "  X.........X   ", "   X....XXXX    ", "    XXXX        ", "                ",
};

constexpr const char* kKey[kCursorSide] = {
    "                ", "                ", "          XXXX  ", "         X....X ",
    "        X......X", "XXXXXXXX...XX..X", "X..........XX..X", "X.XX.X.........X",
    "XX XX XXX......X", "         X....X ", "          XXXX  ", "                ",
    "                ", "                ", "                ", "                ",
};

constexpr const char* kTarget[kCursorSide] = {
    "     XXXXXX     ", "   XX......XX   ", "  X..XXXXXX..X  ", " X..X......X..X ",
    " X.X..XXXX..X.X ", "X..X.X....X.X..X", "X.X.X..XX..X.X.X", "X.X.X.XXXX.X.X.X",
    "X.X.X.XXXX.X.X.X", "X.X.X..XX..X.X.X", "X..X.X....X.X..X", " X.X..XXXX..X.X ",
    " X..X......X..X ", "  X..XXXXXX..X  ", "   XX......XX   ", "     XXXXXX     ",
};
// Slot i is resource id 28016 + 16 i. The slots 0 to 2 are the hands the player uses
// itself, so a stack that names them looks like the player's own pointing and panning.
constexpr CursorArt kStackCursors[kStackCursorCount] = {
    {kPointingHand, {5, 0}, "pointing hand (up)"},  // 28016
    {kOpenHand, {8, 8}, "open hand"},               // 28032
    {kClosedHand, {8, 8}, "closed hand"},           // 28048
    {kArrowRight, {14, 7}, "arrow right (next)"},   // 28064
    {kArrowLeft, {1, 7}, "arrow left (previous)"},  // 28080
    {kArrowUp, {7, 0}, "arrow up"},                 // 28096
    {kArrowDown, {7, 15}, "arrow down"},            // 28112
    {kTurnBack, {0, 5}, "back (turning arrow)"},    // 28128
    {kHouse, {7, 0}, "house (home)"},               // 28144
    {kMagnifier, {6, 6}, "magnifier"},              // 28160
    {kQuestion, {7, 7}, "question mark"},           // 28176
    {kEye, {7, 7}, "eye"},                          // 28192
    {kEar, {7, 7}, "ear"},                          // 28208
    {kSpeaker, {0, 7}, "speaker (sound)"},          // 28224
    {kFilm, {7, 7}, "film (movie)"},                // 28240
    {kPencil, {0, 15}, "pencil"},                   // 28256
    {kCrossHair, {7, 7}, "crosshair"},              // 28272
    {kWatch, {7, 7}, "watch (wait)"},               // 28288
    {kNoEntry, {7, 7}, "no entry"},                 // 28304
    {kHandLeft, {0, 6}, "hand pointing left"},      // 28320
    {kHandRight, {15, 6}, "hand pointing right"},   // 28336
    {kKey, {0, 6}, "key"},                          // 28352
    {kTarget, {7, 7}, "target"},                    // 28368
};

}  // namespace

CursorArt HandCursorArt(CursorShape shape) {
  switch (shape) {
    case CursorShape::kHand:
      return kStackCursors[0];
    case CursorShape::kFlatHand:
      return kStackCursors[1];
    case CursorShape::kGrabHand:
      return kStackCursors[2];
    default:
      return {};
  }
}

CursorArt StackCursorArt(int slot) {
  if (slot < 0 || slot >= kStackCursorCount) return {};
  return kStackCursors[slot];
}

std::vector<uint8_t> CursorPixels(const CursorArt& art) {
  if (art.rows == nullptr) return {};
  std::vector<uint8_t> rgba(kCursorSide * kCursorSide * 4);
  for (int y = 0; y < kCursorSide; ++y) {
    for (int x = 0; x < kCursorSide; ++x) {
      const char c = art.rows[y][x];
      uint8_t* px = &rgba[(static_cast<size_t>(y) * kCursorSide + x) * 4];
      px[0] = px[1] = px[2] = c == 'X' ? 0 : 255;
      px[3] = c == ' ' ? 0 : 255;
    }
  }
  return rgba;
}

std::string CursorCss(const CursorArt& art) {
  if (art.rows == nullptr) return "default";
  // One 1 x 1 rectangle per drawn pixel, in a data URL: '#' and '"' never occur in it.
  std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'>";
  char rect[96];
  for (int y = 0; y < kCursorSide; ++y) {
    for (int x = 0; x < kCursorSide; ++x) {
      const char c = art.rows[y][x];
      if (c == ' ') continue;
      std::snprintf(rect, sizeof rect, "<rect x='%d' y='%d' width='1' height='1' fill='%s'/>", x, y,
                    c == 'X' ? "black" : "white");
      svg += rect;
    }
  }
  svg += "</svg>";
  char hotspot[32];
  std::snprintf(hotspot, sizeof hotspot, "\") %d %d, default", art.hotspot.x, art.hotspot.y);
  return "url(\"data:image/svg+xml;utf8," + svg + hotspot;
}

}  // namespace corvida

// The desktop window's presentation and input translation, as pure functions: where the
// client picture lies in a window of any size, and SDL events turned into the window
// messages the player handles. Tested without a display.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/messages.h"
#include "platform/types.h"

namespace corvida::sdl {

// Where the client area (the card's pixels) is shown inside the window: centred, scaled
// by the largest whole factor that fits so old 512 x 342 cards stay crisp, or scaled down
// (nearest pixel) when the window is smaller than the client. The rest is letterbox.
struct Layout {
  Size client;
  Rect dest;  // in window pixels
};
Layout ComputeLayout(Size client, Size window);

// The client point under a window point; false when it lies outside the client area (the
// point is still computed, e.g. for a captured mouse).
bool WindowToClient(const Layout& layout, Point window_point, Point& client_point);

// A window size for a new client: the client times the largest whole factor that leaves
// a margin on the usable display area (at least 1).
Size InitialWindowSize(Size client, Size usable_display);

// Virtual-key code of an SDL key, 0 when the player has no use for the key.
uint32_t VirtualKeyFromSdl(SDL_Keycode key);
// The SDL key of a virtual-key code, SDLK_UNKNOWN when there is none.
SDL_Keycode SdlKeyFromVirtualKey(uint32_t virtual_key);

// What the translation needs to know besides the event.
struct InputContext {
  WindowId window = 0;
  Layout layout;
  uint32_t mouse_buttons = 0;  // SDL_BUTTON masks held before the event
  uint16_t modifiers = 0;      // SDL_Keymod at the event
  bool captured = false;       // the player holds the mouse: report it outside the client
  uint32_t time = 0;           // clock milliseconds
};

// Appends the messages an event means for the window (none, one, or several characters of
// typed text). Window-level events: close -> kClose, focus -> kSetFocus / kKillFocus,
// exposure -> kPaint, size -> kSize with the client size.
void TranslateEvent(const SDL_Event& event, const InputContext& context, std::vector<Message>& out);

}  // namespace corvida::sdl

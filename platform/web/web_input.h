// The browser's input turned into the window messages the player handles, as pure
// functions tested without a browser: keys by their KeyboardEvent.code get the same
// virtual-key codes the desktop gives them, typed text becomes characters in the Windows
// character set, and mouse, wheel and touch input arrive in client coordinates (the page
// script has already undone the canvas's scaling).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/messages.h"
#include "platform/types.h"

namespace corvida::web {

// Modifier bits as the page script sends them.
namespace mods {
inline constexpr uint32_t kShift = 1;
inline constexpr uint32_t kControl = 2;
inline constexpr uint32_t kAlt = 4;
inline constexpr uint32_t kMeta = 8;
}  // namespace mods

// Virtual-key code of a KeyboardEvent.code ("KeyA", "Digit1", "Enter", "ArrowLeft", ...);
// 0 when the player has no use for the key.
uint32_t VirtualKeyFromCode(std::string_view code);

struct KeyInput {
  bool down = true;
  bool repeat = false;
  std::string_view code;  // KeyboardEvent.code: the key's place on the keyboard
  std::string_view key;   // KeyboardEvent.key: the text it types (UTF-8) or its name
  uint32_t modifiers = 0;
};

// The key message (kKeyDown / kKeyUp, or the kSys forms with Alt) and, for a key going
// down, the character it types: a control character for Return, Backspace, Escape, Tab
// and Ctrl with a letter, else the typed text unless Ctrl, Alt or Meta is held.
void TranslateKey(const KeyInput& input, WindowId window, uint32_t time, std::vector<Message>& out);

enum class MouseKind { kMove, kDown, kUp, kWheel };

struct MouseInput {
  MouseKind kind = MouseKind::kMove;
  Point at;                // client coordinates
  int button = 0;          // MouseEvent.button of a press or release: 0 left, 2 right
  uint32_t buttons = 0;    // MouseEvent.buttons held after the event: 1 left, 2 right
  uint32_t modifiers = 0;  // mods:: bits
  int clicks = 1;          // MouseEvent.detail of a press: 2 for a double click
  int wheel_steps = 0;     // notches, positive away from the user
  bool inside = true;      // the point lies on the card
  bool captured = false;   // the player holds the mouse: report it outside too
};

// The mouse message for the input, none when it lies outside the card and the mouse is
// not captured, or when the button is one the player does not use.
void TranslateMouse(const MouseInput& input, WindowId window, uint32_t time,
                    std::vector<Message>& out);

}  // namespace corvida::web

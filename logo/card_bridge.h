// The card bridge's state and helpers shared by its primitive groups (prim_cards.cpp:
// card movement and the screen; prim_items.cpp: objects and fields; prim_callback.cpp:
// alerts, media and raw callback access). Every primitive fills slots of the callback
// block, issues a command through the CardPort and reads the results from the same
// slots; none touches the card engine's data.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "logo/card_port.h"
#include "logo/interp.h"

namespace corvida::logo {

class CardBridge {
 public:
  static constexpr int kStringSlots = 6;
  static constexpr size_t kStringLimit = 255;

  CardPort* port = nullptr;
  // The transition the next card move uses once: an id (0 none) and a speed code.
  int16_t pending_transition = 0;
  int32_t pending_speed = 0;
  bool screen_locked = false;
  bool offscreen_drawing = false;

  // Issues a command: the block's slots are as the caller left them.
  void Issue(int16_t command);
  uint32_t Param(int slot) { return port ? port->block().param(slot) : 0; }
  void SetParam(int slot, uint32_t value) {
    if (port) port->block().set_param(slot, value);
  }
  // The slot's string: a new length-prefixed, NUL-terminated block of `text` (Mac Roman,
  // handed over in the player's character set); the slot's previous one is freed.
  uint32_t ParamString(int slot, std::string_view mac_text);
  // The card name's string, kept in an entry of its own.
  uint32_t CardNameString(std::string_view mac_text);
  // A string a slot names (either form), in Mac Roman; nothing for an unknown token.
  std::optional<std::string> ReadString(uint32_t token);
  // The characters of a text block (player characters), in Mac Roman.
  std::string ReadText(uint32_t token);
  // The blocks for the static point (8 bytes) and rectangle (16 bytes), made once and
  // rewritten: their tokens.
  enum class Static { kPoint, kRect };
  uint32_t StaticBlock(Static which, std::span<const uint8_t> bytes);
  // Screen lock and offscreen drawing end (an error, the end of a script); the turtle
  // draws on screen again.
  void EndScreenStates(Turtle& turtle);
  // Frees every block the bridge made (the player is going away).
  void Forget();

 private:
  uint32_t Replace(uint32_t& entry, std::string_view mac_text);
  std::array<uint32_t, kStringSlots> strings_{};
  uint32_t card_name_ = 0;
  std::array<uint32_t, 2> static_blocks_{};
};

// Coordinates: the card's pixels (y downward) and the turtle's (origin at the centre of
// the card, y upward). A turtle x is scrunched about the centre as the turtle draws it, so
// an object placed at a turtle point sits where the turtle would draw that point.
struct TurtleFrame {
  int cx = 0, cy = 0;
  int32_t scrunch_num = 1, scrunch_den = 1;

  int32_t CardX(int32_t x) const;
  int32_t CardY(int32_t y) const { return cy - y; }
  // Back from the card: the scrunch undone, rounded to the nearest turtle unit.
  int32_t TurtleX(int32_t px) const;
  int32_t TurtleY(int32_t py) const { return cy - py; }
};
TurtleFrame FrameOf(Interpreter& in);

}  // namespace corvida::logo

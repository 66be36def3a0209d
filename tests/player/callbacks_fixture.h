// A player over a small stack of three cards, with the callback dispatcher at hand: commands
// run with a cleared block, strings in either form, and the objects answers name.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "engine/callback.h"
#include "engine/cards.h"
#include "engine/find.h"
#include "player/player_callbacks.h"
#include "player_fixture.h"

namespace corvida::testing {

// Three cards on one background: the background shares button "Shared" (id 5); card
// "One" has buttons "Start" (1) and "Other" (2), field "Notes" (3), graphic "Cat" (4);
// card "Two" has button 7 "Far"; card "Three" (marked) has field "Memo" (8). The stack has
// one stored sound, "boing" (7).
inline const char* kCallbackStack = R"({
  "stack": {"width": 200, "height": 100, "depth": 8},
  "cards": [
    {"id": 9, "kind": "background", "name": "Bg",
     "objects": [{"type": "button", "id": 5, "rect": [150, 60, 190, 90], "name": "Shared",
                  "flags": 16}]},
    {"id": 10, "kind": "shared", "backgroundId": 9, "name": "One",
     "objects": [
       {"type": "button", "id": 1, "rect": [4, 4, 40, 20], "name": "Start"},
       {"type": "button", "id": 2, "rect": [50, 4, 90, 20], "name": "Other"},
       {"type": "field", "id": 3, "rect": [4, 30, 100, 60], "name": "Notes",
        "text": "old text"},
       {"type": "graphic", "id": 4, "rect": [110, 30, 150, 50], "name": "Cat"}]},
    {"id": 11, "kind": "shared", "backgroundId": 9, "name": "Two",
     "objects": [{"type": "button", "id": 7, "rect": [4, 4, 40, 20], "name": "Far"}]},
    {"id": 12, "kind": "shared", "backgroundId": 9, "name": "Three", "marked": true,
     "objects": [{"type": "field", "id": 8, "rect": [4, 30, 100, 60], "name": "Memo"}]}
  ],
  "resources": [{"type": "Snd ", "id": 7, "name": "boing", "bytes": "0001"}]
})";

class Callbacks : public PlayerFixture {
 protected:
  void SetUp() override {
    Start(kCallbackStack);
    Settle();
    window->navigation().GoToCard(10, 0, 0, false);  // the background is the first card
    Settle(1000);
    ASSERT_EQ(CardId(), 10);
  }
  CallbackDispatch& D() { return window->callbacks().dispatch(); }
  CallbackBlock& B() { return D().block(); }
  // Runs command n with parameters p1...; the block is cleared first.
  void Run(int16_t n, std::initializer_list<uint32_t> params = {}) {
    B().Clear();
    int slot = 1;
    for (uint32_t p : params) B().set_param(slot++, p);
    D().Issue(n);
  }
  uint32_t P(int slot) { return B().param(slot); }
  uint32_t Str(std::string_view s) { return D().NewString(s); }
  uint32_t NulStr(std::string_view s) {
    std::string z(s);
    z += '\0';
    return D().NewBlock({reinterpret_cast<const uint8_t*>(z.data()), z.size()});
  }
  uint16_t FlagsOf(uint16_t type, uint16_t id) {
    Stack& s = player.stack;
    return ObjectFlags(
        player.handles,
        FindObjectById(s, player.handles, window->navigation().current_card(), type, id));
  }
  // The id of the object the resolver's answer names.
  uint16_t AnsweredId() {
    auto card = D().tokens().Resolve(P(2), TokenKind::kCard);
    if (!card) return 0;
    return ObjectId(player.handles, {Handle(*card), P(1)});
  }
};

}  // namespace corvida::testing

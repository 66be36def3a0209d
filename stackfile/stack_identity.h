// What makes a stack the same stack across the player's own saves, so that files kept for
// it (its scripts' folder) are not handed to a different stack later saved at its path.
#pragma once

#include <string>

#include "stackfile/stack.h"

namespace corvida {

// 16 hex digits over the cards in order, each with its id, background and name, and
// each object's type and id. What a player changes while the stack is in use (field
// text, the workspace, header preferences, resources a save drops, a card size that is
// converted) is left out, so the identity survives saving.
std::string StackIdentity(const Stack& stack, Handles& handles);

}  // namespace corvida

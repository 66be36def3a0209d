// The "Jump to card" dialog: the user types a card number or a card name.
#pragma once

#include "ui/dialog_runner.h"

namespace corvida {

inline constexpr int kJumpField = 300;
inline constexpr size_t kJumpTextLimit = 15;

// The dialog with its field focused; what the text names is the navigation's to decide.
Dialog MakeJumpToCardDialog();

}  // namespace corvida

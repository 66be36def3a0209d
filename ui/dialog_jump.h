// The "Jump to card" dialog: the user types a card number or a card name.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ui/dialog_runner.h"

namespace corvida {

inline constexpr int kJumpField = 300;
inline constexpr size_t kJumpTextLimit = 15;

// What the dialog needs of the open stack, looked up afresh when OK is pressed.
struct JumpTargets {
  int card_count = 0;
  std::function<int(int position)> card_id_at;           // position 1..count -> id
  std::function<int(std::string_view name)> card_named;  // first match, 0 for none
  std::function<void()> not_found;                       // shows "can't find that card"
};

// Card names match when they have the same length and equal letters, A-Z without regard
// to case (other bytes must be equal).
bool CardNameMatches(std::string_view stored, std::string_view typed);

Dialog MakeJumpToCardDialog();
// Decides what the text of the field names: a card id, or 0 (with not_found called when
// the text named nothing).
int ResolveJumpText(const std::string& text, const JumpTargets& targets);
// Runs the dialog; the card id chosen, or 0 for none.
int RunJumpToCardDialog(DialogHost& host, const JumpTargets& targets);

}  // namespace corvida

#include "ui/dialog_jump.h"

#include <algorithm>

namespace corvida {
namespace {

bool IsBlank(char c) {
  return c == ' ' || (c >= 9 && c <= 13);
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

}  // namespace

bool CardNameMatches(std::string_view stored, std::string_view typed) {
  if (stored.size() != typed.size()) return false;
  for (size_t i = 0; i < stored.size(); ++i)
    if (Upper(stored[i]) != Upper(typed[i])) return false;
  return true;
}

Dialog MakeJumpToCardDialog() {
  Dialog dialog("Jump to card", {220, 70});
  dialog.Add(StaticText(-1, {8, 12, 96, 28}, "&Jump to card:"));
  dialog.Add(EditField(kJumpField, {98, 8, 212, 30}, kJumpTextLimit));
  dialog.Add(Button(kIdOk, {52, 40, 127, 63}, "OK"));
  dialog.Add(Button(kIdCancel, {137, 40, 212, 63}, "Cancel"));
  dialog.SetFocus(kJumpField);
  return dialog;
}

int ResolveJumpText(const std::string& typed, const JumpTargets& targets) {
  const std::string text = typed.substr(0, kJumpTextLimit);
  const bool digits =
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits) {
    // An empty field counts as a number too, and names no card.
    long number = 0;
    for (char c : text) number = std::min(number * 10 + (c - '0'), 1000000L);
    if (number >= 1 && number <= targets.card_count && targets.card_id_at) {
      if (int id = targets.card_id_at(int(number)); id > 0) return id;
    }
  } else if (!std::all_of(text.begin(), text.end(), IsBlank) && targets.card_named) {
    if (int id = targets.card_named(text); id > 0) return id;
  }
  if (!text.empty() && targets.not_found) targets.not_found();
  return 0;
}

int RunJumpToCardDialog(DialogHost& host, const JumpTargets& targets) {
  Dialog dialog = MakeJumpToCardDialog();
  int chosen = 0;
  dialog.OnCommand([&](Dialog& d, int id) {
    if (id != kIdOk) return false;
    chosen = ResolveJumpText(d.Text(kJumpField), targets);
    d.End(kIdOk);
    return true;
  });
  return RunDialog(host, dialog) == kIdOk ? chosen : 0;
}

}  // namespace corvida

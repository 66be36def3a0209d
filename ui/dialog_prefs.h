// The Preferences dialog: the stack's own settings, edited on a copy that is applied only
// when the user presses OK. A locked stack with a password keeps its settings greyed out
// until the exact password (letter case included) is typed into the password field.
#pragma once

#include <cstdint>
#include <string>

#include "ui/dialog_runner.h"
#include "base/prefs.h"
#include "stackfile/stack.h"

namespace corvida {

namespace prefid {
inline constexpr int kPassword = 50;
inline constexpr int kAdvancedUser = 51;
inline constexpr int kIgnoreClicks = 52;
inline constexpr int kLocked = 53;
inline constexpr int kCardNumber = 54;
inline constexpr int kAutoTimers = 55;
inline constexpr int kAutoSave = 56;
inline constexpr int kPresentation = 57;
inline constexpr int kHighCompression = 58;
}  // namespace prefid

inline constexpr size_t kPasswordLimit = 15;

// The copy of the stack settings the dialog edits.
struct StackSettings {
  uint16_t auto_save = 0;
  uint16_t advanced_user = 0;
  uint16_t flags = 0;  // the flag byte with the byte after it
  uint16_t auto_timers = 0;
  uint16_t locked = 0;
  uint16_t card_number_in_title = 0;
  std::string password;  // at most 15 characters
  uint32_t presentation_mode = 0;
  uint16_t presentation_window = 0;
  uint16_t presentation_switched_off = 0;
};

StackSettings ReadStackSettings(Handles& handles, const Stack& stack);

// The dialog over `copy`; `advanced_user` is the player's current flag.
Dialog MakePreferencesDialog(const StackSettings& copy, bool advanced_user);
// Runs the dialog; on OK the copy takes the dialog's settings and true is returned.
bool RunPreferencesDialog(DialogHost& host, StackSettings& copy, bool advanced_user);

// Applies an accepted copy: the advanced-user preference and the stack header fields.
// The caller then sets the player's own flags from the copy, marks the stack modified,
// places the presentation window and updates the title.
void ApplyStackSettings(const StackSettings& copy, Handles& handles, Stack& stack, Prefs& prefs);

}  // namespace corvida

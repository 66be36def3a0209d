#include "ui/dialog_prefs.h"

#include <algorithm>
#include <cstring>

namespace corvida {
namespace {

constexpr uint16_t kIgnoreClicksBit = header::kFlagDiscardClicks;
constexpr uint16_t kHighCompressionBit = header::kFlagHighCompression;
constexpr int kGuardedControls[] = {prefid::kIgnoreClicks, prefid::kLocked,
                                    prefid::kCardNumber,   prefid::kAutoTimers,
                                    prefid::kAutoSave,     prefid::kPresentation};

void EnableGuarded(Dialog& d, bool on, bool with_presentation) {
  for (int id : kGuardedControls)
    if (Control* c = d.Find(id))
      c->enabled = on && (id != prefid::kPresentation || with_presentation);
}

// Fills the copy from the dialog when OK is pressed.
void TakeSettings(const Dialog& d, StackSettings& copy) {
  copy.advanced_user = d.Checked(prefid::kAdvancedUser);
  copy.locked = d.Checked(prefid::kLocked);
  copy.card_number_in_title = d.Checked(prefid::kCardNumber);
  copy.auto_timers = d.Checked(prefid::kAutoTimers);
  copy.auto_save = d.Checked(prefid::kAutoSave);
  copy.flags = uint16_t((copy.flags & ~(kIgnoreClicksBit | kHighCompressionBit)) |
                        (d.Checked(prefid::kIgnoreClicks) ? kIgnoreClicksBit : 0) |
                        (d.Checked(prefid::kHighCompression) ? kHighCompressionBit : 0));
  if (!d.Checked(prefid::kPresentation)) {
    copy.presentation_switched_off |= 1;
    copy.presentation_mode = 0;
  }
  // The password changes only when the user could see and change the settings.
  if (d.Find(prefid::kLocked)->enabled)
    copy.password = d.Text(prefid::kPassword).substr(0, kPasswordLimit);
}

}  // namespace

StackSettings ReadStackSettings(Handles& handles, const Stack& stack) {
  StackSettings s;
  if (!stack.is_open()) return s;
  s.auto_save = stack.Header16(header::kAutoSave);
  s.advanced_user = stack.Header16(header::kAdvancedUser);
  s.flags = stack.Header16(header::kFlags);
  s.auto_timers = stack.Header16(header::kAutoTimers);
  s.locked = stack.Header16(header::kLocked);
  s.card_number_in_title = stack.Header16(header::kCardNumberInTitle);
  s.presentation_mode = stack.Header32(header::kPresentationMode);
  s.presentation_window = stack.Header16(header::kPresentationWindow);
  s.presentation_switched_off = stack.Header16(header::kPresentationSwitchedOff);
  LockedHandle h(handles, stack.header());
  if (h.size() >= header::kPassword + 16) {
    const char* p = reinterpret_cast<const char*>(h.data()) + header::kPassword;
    s.password.assign(p, strnlen(p, kPasswordLimit));  // a stored password may lack its NUL
  }
  return s;
}

Dialog MakePreferencesDialog(const StackSettings& copy, bool advanced_user) {
  Dialog d("Preferences", {330, 250});
  d.Add(StaticText(-1, {10, 12, 110, 28}, "Stack &password:"));
  d.Add(EditField(prefid::kPassword, {112, 8, 250, 30}, kPasswordLimit));
  const int x = 10, w = 310, h = 18;
  int y = 38;
  auto box = [&](int id, const char* label, bool checked) {
    d.Add(CheckBox(id, {x, y, x + w, y + h}, label, checked));
    y += h + 2;
  };
  box(prefid::kAdvancedUser, "I'm an experienced Corvida &user", advanced_user);
  box(prefid::kIgnoreClicks, "&Ignore extra mouse clicks", copy.flags & kIgnoreClicksBit);
  box(prefid::kLocked, "&Lock stack", copy.locked);
  box(prefid::kCardNumber, "Show card &number with stack name", copy.card_number_in_title);
  box(prefid::kAutoTimers, "Turn on Automatic &Timers && HyperLinks", copy.auto_timers);
  box(prefid::kAutoSave, "Automatically &save stack", copy.auto_save);
  box(prefid::kPresentation, "Presentation &mode...", copy.presentation_mode != 0);
  box(prefid::kHighCompression, "Highest compression for backgrounds",
      copy.flags & kHighCompressionBit);
  d.Add(Button(kIdOk, {160, 218, 235, 241}, "OK"));
  d.Add(Button(kIdCancel, {245, 218, 320, 241}, "Cancel"));

  const bool guarded = copy.locked && !copy.password.empty();
  if (!guarded) d.SetText(prefid::kPassword, copy.password);
  EnableGuarded(d, !guarded, false);
  d.SetFocus(prefid::kPassword);
  return d;
}

bool RunPreferencesDialog(DialogHost& host, StackSettings& copy, bool advanced_user) {
  Dialog d = MakePreferencesDialog(copy, advanced_user);
  const std::string password = copy.password;
  d.OnCommand([&](Dialog& dialog, int id) {
    const Control* c = dialog.Find(id);
    if (id == prefid::kPassword) {
      // While the settings are guarded, the exact password opens them.
      if (!dialog.Find(prefid::kLocked)->enabled && dialog.Text(id) == password)
        EnableGuarded(dialog, true, true);
      return true;
    }
    if (c && c->kind == ControlKind::kCheckBox) {
      dialog.SetFocus(prefid::kPassword);
      return true;
    }
    if (id == kIdOk) {
      TakeSettings(dialog, copy);
      dialog.End(kIdOk);
      return true;
    }
    return false;
  });
  return RunDialog(host, d) == kIdOk;
}

void ApplyStackSettings(const StackSettings& copy, Handles& handles, Stack& stack, Prefs& prefs) {
  prefs.WritePref("user", "AdvancedUser", copy.advanced_user ? "Yes" : "No");
  if (!stack.is_open()) return;
  stack.SetHeader16(header::kAutoSave, copy.auto_save);
  stack.SetHeader16(header::kAdvancedUser, copy.advanced_user);
  stack.SetHeader16(header::kFlags, copy.flags);
  stack.SetHeader16(header::kAutoTimers, copy.auto_timers);
  stack.SetHeader16(header::kLocked, copy.locked);
  stack.SetHeader16(header::kCardNumberInTitle, copy.card_number_in_title);
  stack.SetHeader16(header::kPresentationWindow, copy.presentation_window);
  stack.SetHeader16(header::kPresentationSwitchedOff, copy.presentation_switched_off);
  LockedHandle h(handles, stack.header());
  if (h.size() < header::kPassword + 16) return;
  uint8_t* bytes = h.data();
  uint8_t mode[4], password[16] = {};
  // The whole mode value, so that switching it off cannot leave high bits set.
  std::memcpy(mode, &copy.presentation_mode, 4);
  std::memcpy(password, copy.password.data(),
              std::min<size_t>(copy.password.size(), kPasswordLimit));
  // A new password or mode is a change to save, as the fields above are.
  if (std::memcmp(bytes + header::kPresentationMode, mode, 4) != 0 ||
      std::memcmp(bytes + header::kPassword, password, 16) != 0)
    stack.MarkChanged();
  std::memcpy(bytes + header::kPresentationMode, mode, 4);
  std::memcpy(bytes + header::kPassword, password, 16);
}

}  // namespace corvida

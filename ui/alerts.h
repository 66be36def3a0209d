// Alerts: every message the player shows is a numbered alert string giving its size
// class, icon, message and up to three buttons, e.g. "24No match found.~^OK" (size class
// 2, mascot icon, one default button "OK"). This layer parses the string, lays the dialog
// out, applies the once-only and advanced-user filters and hands the finished request to
// the platform's AlertPresenter.
//
// Buttons are numbered as the dialog's controls: 52 for the first, 53, 54.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs.h"
#include "platform/types.h"

namespace corvida {

inline constexpr int kFirstButton = 52;

struct AlertSpec {
  int size_class = 0;  // 0..9; a non-digit counts as 0
  int icon_digit = 0;  // 2 is taken as 4 (both the mascot)
  std::string message;
  std::vector<std::string> buttons;  // at most three, without the '^'
  int default_button = 0;            // index of the '^' label, else 0
  int cancel_button = -1;            // the answer when nobody chooses; -1: the default
};

// Parses an alert string. False when it is too short or has no button: such an alert is
// not shown and answers with the first button.
bool ParseAlertString(std::string_view text, AlertSpec& out);
AlertIcon IconForDigit(int icon_digit);
Size SizeClassDimensions(int size_class);

// System measures the layout depends on. Defaults match the desktop player's alerts.
struct AlertMetrics {
  int base_unit_width = 7;        // dialog base unit width (an average character)
  int default_button_width = 75;  // width of button 52 in the dialog template
  int button_height = 23;
  int frame_width = 3;
  int border_width = 1;
  int caption_height = 19;
  int system_icon_size = 32;
  Size mascot_bitmap{96, 48};  // picture and mask side by side
};

struct AlertLayout {
  Size dialog;  // outer size
  Size client;  // inside frame and caption; the rectangles below are in it
  Rect icon;    // empty without icon
  Rect message;
  std::vector<Rect> buttons;  // in label order: [0] is button 52, the rightmost
};

AlertLayout LayoutAlert(const AlertSpec& spec, bool with_icon, const AlertMetrics& metrics = {});

// Fills the two "%d" of a size message with width and height; other text is kept as it is
// (the message is never used as a format).
std::string FormatSizeMessage(std::string_view message, int width, int height);

// Names from stacks and files longer than this are cut (with "...") where alerts show them.
inline constexpr size_t kMaxShownName = 80;
// Fills the markers %1 to %9 of a parsed alert message with `names`, in one pass: a name is
// never searched for markers itself, and a marker without a name stays as it is. Each name
// is shown as plain text: control characters, '~' and '^' become '?'.
std::string FillNames(std::string_view message, const std::vector<std::string>& names);

class Alerts {
 public:
  static constexpr int kOnceOnlyCapacity = 500;

  explicit Alerts(AlertPresenter& presenter) : presenter_(presenter) {}
  Alerts(const Alerts&) = delete;
  Alerts& operator=(const Alerts&) = delete;

  // Shows alert id over the player window with its icon, whatever the filters say, and
  // returns 1, 2 or 3 for the button chosen.
  int Alert(int id);
  int AlertOver(WindowId window, int id);
  // The general form; returns the button control id 52, 53 or 54. Unless forced, nothing
  // is shown (answer 52) for an advanced user, or for a once-only alert already shown.
  int ShowAlertEx(WindowId window, int id, bool once_only, bool force, bool with_icon);
  // Shows the message belonging to a file or resource error code (0 and -12 show nothing).
  void ReportFileError(int code);
  // A question naming things that come from stacks or files (a program, a document, a file
  // name): alert `id` is parsed first and the names fill its message's markers only
  // (FillNames), so no name can add buttons, move the default or cut the message short.
  // Button `cancel_button` (0-based) answers when the alert is closed, cannot be shown or
  // goes unanswered. Always shown; returns 1, 2 or 3 as Alert does.
  int AskWithNames(int id, const std::vector<std::string>& names, int cancel_button);

  // Alert 0 shows this alert string (digits, message, labels) instead of a numbered one.
  void SetCurrentMessage(std::string text) { current_message_ = std::move(text); }
  const std::string& current_message() const { return current_message_; }

  void set_advanced_user(bool on) { advanced_user_ = on; }
  bool advanced_user() const { return advanced_user_; }
  void set_player_window(WindowId window) { player_window_ = window; }
  void set_metrics(const AlertMetrics& metrics) { metrics_ = metrics; }
  // The smallest window the system allows, for the size messages (each raised to 40).
  void set_minimum_window(Size size) { minimum_window_ = size; }
  bool ShownOnce(int id) const;

 private:
  bool RememberOnce(int id);  // false when already remembered
  // Lays out and shows a parsed alert; the button control id chosen.
  int Present(WindowId window, int id, const AlertSpec& spec, bool with_icon);

  AlertPresenter& presenter_;
  std::vector<int> once_only_shown_;  // at most kOnceOnlyCapacity ids; never stored
  std::string current_message_;
  bool advanced_user_ = false;
  WindowId player_window_ = 0;
  AlertMetrics metrics_;
  Size minimum_window_{136, 40};
};

}  // namespace corvida

// A small dialog toolkit drawn by the player itself inside its window, the same on every
// backend: a dialog is a rectangle with a caption and controls (static text, icon, push
// buttons with one default, check boxes, one-line edit fields with a character limit, a
// list box). Keyboard: Tab / Shift+Tab move the focus, Enter presses the default button,
// Escape cancels, Space presses or toggles the focused control, typing edits the focused
// field, the arrow keys move in a list. Mouse: press and release inside a button, click a
// check box or a list row, double-click a row for the default button.
//
// A dialog only models and draws itself; ui/dialog_runner.h runs it modally.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"
#include "platform/types.h"

namespace corvida {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

enum class ControlKind { kStatic, kIcon, kButton, kCheckBox, kEdit, kList };

struct Control {
  int id = 0;
  ControlKind kind = ControlKind::kStatic;
  Rect rect;  // in the dialog's client area (below the caption)
  std::string text;
  bool enabled = true;
  bool visible = true;
  bool checked = false;               // check boxes
  size_t limit = 255;                 // edit fields: most characters kept
  bool password = false;              // edit fields: shown as asterisks
  bool all_selected = false;          // edit fields: the whole text, which typing replaces
  std::vector<std::string> items;     // list boxes
  int selected = -1;                  // list boxes: selected row, -1 for none
  int top = 0;                        // list boxes: first visible row
  AlertIcon icon = AlertIcon::kNone;  // icons
  // Labels mark their keyboard letter with '&' ("&&" for an ampersand); plain text is
  // shown exactly as it stands (alert messages).
  bool plain = false;

  bool Focusable() const {
    return visible && enabled && kind != ControlKind::kStatic && kind != ControlKind::kIcon;
  }
};

// Makers of the controls a dialog is built from.
Control StaticText(int id, Rect rect, std::string text);
Control IconArea(int id, Rect rect, AlertIcon icon);
Control Button(int id, Rect rect, std::string label);
Control CheckBox(int id, Rect rect, std::string label, bool checked = false);
Control EditField(int id, Rect rect, size_t limit, std::string text = {});
Control ListBox(int id, Rect rect, std::vector<std::string> items);

class Dialog {
 public:
  static constexpr int kCaptionHeight = 19;
  static constexpr int kFrame = 3;
  static constexpr int kListRowHeight = 16;

  Dialog(std::string title, Size client) : title_(std::move(title)), client_(client) {}

  Control& Add(Control control);
  Control* Find(int id);
  const Control* Find(int id) const;
  const std::vector<Control>& controls() const { return controls_; }

  // The button Enter presses, and the result Escape or a close request gives.
  void SetDefault(int id) { default_id_ = id; }
  int default_id() const { return default_id_; }
  // 0: Escape does nothing (e.g. an alert asking yes or no).
  void SetCancel(int id) { cancel_id_ = id; }
  int cancel_id() const { return cancel_id_; }
  // The result when the dialog must end unanswered: the cancel id, else the default.
  int dismiss_id() const { return cancel_id_ ? cancel_id_ : default_id_; }

  // Called when a button is pressed, a check box toggled, a list selection or an edit
  // field changed. Return true when handled; an unhandled button press ends the dialog
  // with the button's id. Handlers may change controls or call End.
  using CommandHandler = std::function<bool(Dialog&, int id)>;
  void OnCommand(CommandHandler handler) { on_command_ = std::move(handler); }

  void End(int result) { ended_ = true, result_ = result; }
  bool ended() const { return ended_; }
  int result() const { return result_; }

  // Gives a control the focus; an edit field given it by the keyboard or the program
  // has its whole text selected, so that typing replaces it.
  void SetFocus(int id);
  int focus_id() const;  // 0 when nothing has the focus
  // Moves the focus to the next (or previous) focusable control, wrapping around.
  void MoveFocus(bool backwards);

  // Input, with points in the dialog's own coordinates (outer top-left at 0, 0).
  void KeyDown(uint32_t virtual_key, bool shift);
  void Char(uint8_t ch);
  void MouseDown(Point p, bool double_click);
  void MouseUp(Point p);

  // Sets a field's text, cut to its limit.
  void SetText(int id, std::string text);
  std::string Text(int id) const;
  bool Checked(int id) const;

  Size outer_size() const {
    return {client_.width + 2 * kFrame, client_.height + kCaptionHeight + 2 * kFrame};
  }
  Point client_origin() const { return {kFrame, kFrame + kCaptionHeight}; }
  const std::string& title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  // A label as shown: '&' markers removed, "&&" shown as one '&'.
  static std::string ShownLabel(std::string_view label);

  // Draws the whole dialog with its outer top-left at `at` on the target.
  void Draw(gfx::DrawTarget& target, FontService* fonts, Point at) const;

 private:
  void Press(Control& control);
  void FocusOn(int index);
  void Command(int id);
  int IndexAt(Point client_point) const;

  std::string title_;
  Size client_;
  std::vector<Control> controls_;
  int focus_ = -1;    // index into controls_
  int pressed_ = -1;  // button held down by the mouse
  int default_id_ = kIdOk;
  int cancel_id_ = kIdCancel;
  CommandHandler on_command_;
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace corvida

// The Tarrow run box as a panel drawn by us inside the player window, the same on every
// backend: a caption with the title and a close box, a multi-line entry and a strip of
// command buttons (Run, Undo, Cut, Copy, Paste, Clear, Select All, Help). The caption
// moves the panel, the grip at its lower right corner resizes it; both stay inside the
// window.
//
// Keys while it has the focus: Enter runs the text (Shift+Enter or Ctrl+Enter starts a
// new line), Ctrl+Z undo, Ctrl+X / Shift+Delete cut, Ctrl+C / Ctrl+Insert copy, Ctrl+V /
// Shift+Insert paste, Ctrl+A select all, F1 help, Ctrl+W or Ctrl+F4 close; the other
// editing keys go to the entry. Escape and the function keys stay the player's.
//
// Long lines wrap at the entry's width (Up and Down move by the rows shown). A press of
// the right button opens a menu of the commands (runbox_menu.cpp); while it is open it
// takes the mouse and the keys.
//
// The panel only edits, models and draws itself; commands that reach outside it (running,
// the clipboard, help, closing) are returned for the player to carry out.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/fonts.h"
#include "platform/gfx/draw.h"
#include "platform/types.h"
#include "ui/text_entry.h"
#include "ui/wrap_rows.h"

namespace corvida {

enum class RunBoxCommand {
  kNone,
  kRun,
  kClose,
  kUndo,
  kCut,
  kCopy,
  kPaste,
  kClear,
  kSelectAll,
  kHelp
};

struct RunBoxButton {
  const char* label;
  RunBoxCommand command;
};

class RunBoxPanel {
 public:
  static constexpr int kCaptionHeight = 16;
  static constexpr int kStripHeight = 20;
  static constexpr int kGrip = 10;
  static constexpr Size kMinimum{120, kCaptionHeight + kStripHeight + 16};
  // The first rectangle's height, as the box has always had.
  static constexpr int kFirstHeight = 80;

  // The strip's buttons, left to right.
  static std::span<const RunBoxButton> Buttons();

  // The fonts the panel is measured and drawn with; null: the built-in font.
  void SetFonts(FontService* fonts) { fonts_ = fonts; }

  const Rect& rect() const { return rect_; }
  // Places the panel (window coordinates), kept within `window`: moved into it, then
  // shrunk to it, and never smaller than the minimum.
  void Place(const Rect& wanted, Size window);
  bool Contains(Point p) const { return rect_.Contains(p); }
  Rect CaptionRect() const;
  Rect CloseBoxRect() const;
  Rect EntryRect() const;
  Rect StripRect() const;
  // The strip's button `index`; empty when the panel is too narrow to show it.
  Rect ButtonRect(size_t index) const;

  TextEntry& entry() { return entry_; }
  const TextEntry& entry() const { return entry_; }

  // A key pressed while the panel has the focus: nothing when the panel leaves it to the
  // player, else the command to carry out (kNone when the panel did all there was).
  std::optional<RunBoxCommand> KeyDown(uint32_t virtual_key, bool shift, bool ctrl);
  void Char(uint8_t ch);
  // The mouse, in window coordinates. A press on a button or the close box answers its
  // command; on the caption or the grip it starts a move or a resize, followed by
  // MouseMove until MouseUp; in the entry it places the caret (Shift extends).
  RunBoxCommand MouseDown(Point p, bool shift);
  void MouseMove(Point p, Size window);
  void MouseUp();
  bool dragging() const { return drag_ != Drag::kNone; }

  // `caret_on`: the blinking caret's phase (it shows only with the focus and no
  // selection).
  void Draw(gfx::DrawTarget& target, bool focused, bool caret_on = true) const;

  // ---- the right-click menu (runbox_menu.cpp) ----
  struct MenuItem {
    const char* label;  // null: a separator
    const char* shortcut;
    RunBoxCommand command;
  };
  static std::span<const MenuItem> MenuItems();
  // Whether a command can be chosen now (Undo needs something to undo, Cut, Copy and
  // Clear a selection, Select All some text).
  bool Enabled(RunBoxCommand command) const;
  // Opens the menu with its corner at `at`, kept inside the window.
  void OpenMenu(Point at, Size window);
  void CloseMenu() { menu_open_ = false; }
  bool menu_open() const { return menu_open_; }
  Rect MenuRect() const { return menu_rect_; }
  Rect MenuItemRect(size_t index) const;
  int hot_item() const { return hot_; }
  // The enabled item under a point; -1 for none.
  int MenuItemAt(Point p) const;
  // The mouse over the menu: the item under it lights up; false when nothing changed.
  bool MenuHover(Point p);
  // A press (or a release of the right button after a move): closes the menu and answers
  // the command of the enabled item under the point, else kNone.
  RunBoxCommand MenuChoose(Point p);
  // A key while the menu is open: Up and Down move the light, Enter chooses, Escape
  // closes; every key is the menu's.
  RunBoxCommand MenuKey(uint32_t virtual_key);

 private:
  enum class Drag { kNone, kMove, kResize, kSelect };
  std::shared_ptr<Font> TextFont() const;
  // The rows the entry shows, wrapped at its width, and the first one shown so that the
  // caret's row is in view.
  std::vector<WrappedRow> Rows(Font& font) const;
  size_t TopRow(const std::vector<WrappedRow>& rows, int line_height) const;
  size_t PositionAt(Point p) const;
  // The position nearest to `x` pixels into a row.
  size_t PositionInRow(Font& font, const WrappedRow& row, int x) const;
  // Up and Down by the rows shown.
  void MoveByRows(int rows, bool shift);
  void DrawMenu(gfx::DrawTarget& target, Font& font) const;

  FontService* fonts_ = nullptr;
  Rect rect_;
  TextEntry entry_;
  Drag drag_ = Drag::kNone;
  Point drag_from_;
  Rect drag_rect_;
  bool menu_open_ = false;
  Rect menu_rect_;
  int hot_ = -1;
};

}  // namespace corvida

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

  void Draw(gfx::DrawTarget& target, bool focused) const;

 private:
  enum class Drag { kNone, kMove, kResize, kSelect };
  std::shared_ptr<Font> TextFont() const;
  // The first line shown and the horizontal scroll that keep the caret in view.
  size_t TopLine(int line_height) const;
  int ScrollX(Font& font) const;
  size_t PositionAt(Point p) const;

  FontService* fonts_ = nullptr;
  Rect rect_;
  TextEntry entry_;
  Drag drag_ = Drag::kNone;
  Point drag_from_;
  Rect drag_rect_;
};

}  // namespace corvida

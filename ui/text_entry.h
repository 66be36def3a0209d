// A multi-line text entry's editing, without drawing: the text (Windows characters, lines
// ended by '\n'), the selection between an anchor and the caret, one level of undo and
// the editing keys. Typing replaces the selection; the text never grows past its limit.
//
// Keys: the arrows, Home and End move the caret (with Shift they extend the selection;
// Ctrl+Home and Ctrl+End go to the whole text's ends), Backspace and Delete remove the
// selection or one character, Ctrl+A selects all, Ctrl+Z undoes (twice: redoes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvida {

class TextEntry {
 public:
  static constexpr size_t kDefaultLimit = 32000;

  explicit TextEntry(size_t limit = kDefaultLimit) : limit_(limit) {}

  const std::string& text() const { return text_; }
  size_t caret() const { return caret_; }
  size_t anchor() const { return anchor_; }
  size_t selection_start() const { return caret_ < anchor_ ? caret_ : anchor_; }
  size_t selection_end() const { return caret_ < anchor_ ? anchor_ : caret_; }
  bool has_selection() const { return caret_ != anchor_; }
  std::string SelectedText() const;
  bool can_undo() const { return can_undo_; }

  // Replaces the whole text (cut to the limit) with the caret at its end; not undoable.
  void SetText(std::string_view text);
  // Positions past the end are taken as the end.
  void Select(size_t anchor, size_t caret);
  void SelectAll() { Select(0, text_.size()); }

  // Replaces the selection with `typed` (control characters other than line ends left
  // out, "\r\n" and '\r' taken as '\n'), as much of it as the limit lets in.
  void Insert(std::string_view typed);
  // Removes the selection ("Clear"); nothing without one.
  void ClearSelection();
  void Undo();

  // An editing key; false when the entry does not use it.
  bool KeyDown(uint32_t virtual_key, bool shift, bool ctrl);

  // Line and column of a position, and the position of a line and column (both clamped).
  size_t LineOf(size_t pos) const;
  size_t LineStart(size_t line) const;
  size_t LineEnd(size_t line) const;  // before its '\n'
  size_t LineCount() const;

 private:
  void Replace(size_t from, size_t to, std::string_view with);
  void MoveTo(size_t pos, bool extend);
  size_t Vertical(int lines) const;

  size_t limit_;
  std::string text_;
  size_t anchor_ = 0, caret_ = 0;
  // The state before the last change: undo swaps it with the current one.
  std::string undo_text_;
  size_t undo_anchor_ = 0, undo_caret_ = 0;
  bool can_undo_ = false;
};

}  // namespace corvida

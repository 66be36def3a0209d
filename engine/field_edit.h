// Presses, drags and typing in the text fields of the shown card. One tracker serves the
// player: it knows the active field (the last one pressed, or the focus field the card
// arrived with), what the mouse button is doing in it (an arrow or a page area held, the
// thumb or a selection dragged), and feeds typed characters to the active field.
//
// Every call that changes how a field looks returns true; the caller then draws the
// field's rectangle again, with the items above it, and shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/cards_display.h"
#include "engine/fieldtext.h"
#include "engine/scrollbar.h"

namespace corvida {

// What a press in a field started.
enum class FieldPress { kNone, kUpArrow, kDownArrow, kThumb, kSelection, kPageUp, kPageDown };

// The Edit menu's commands on the active field's text.
enum class EditCommand { kUndo, kCut, kCopy, kPaste, kClear };

class FieldTracker {
 public:
  explicit FieldTracker(ScrollBarMetrics metrics = {}) : metrics_(metrics) {}

  // A press at `p` (card coordinates) in a field's item. `hotspot` moves the press point
  // by the field's own cursor's hot spot. Returns whether the field must be drawn again;
  // tracking() tells whether the mouse is now to be captured until the release.
  bool Press(DisplayList& list, DisplayItem& item, Point p, bool shift, bool double_click,
             Point hotspot = {});
  // Called from the player's idle tick while the button stays down: an arrow or page
  // area scrolls once more, a selection dragged outside the field goes on.
  bool Continue(DisplayList& list, Point pointer);
  // The pointer moved with the button down: the selection or the thumb follows it.
  bool Move(DisplayList& list, Point pointer);
  // The button came up: arrows pop up, a dragged thumb scrolls the text, a selection
  // ends. Tracking ends in every case.
  bool Release(DisplayList& list, Point p);

  // A typed character for the active field. Returns whether the field changed its look.
  bool Key(DisplayList& list, uint8_t c);
  // The character a virtual key stands for in the active field (the arrow characters and
  // forward delete); 0 when the key is not the field's.
  uint8_t KeyCharacter(DisplayList& list, uint32_t virtual_key);
  // The insertion point's blinking, by the tick clock.
  bool Idle(DisplayList& list, uint32_t ticks);

  // Whether an Edit command would do anything in the active field now: Copy needs a
  // selection, Cut and Clear a selection in a field that is not locked, Paste an unlocked
  // field and text on the clipboard, Undo a change of this field to take back.
  bool CanEdit(DisplayList& list, EditCommand command, WindowSystem& clipboard) const;
  // Runs it (when it can run); true when the field changed its look. Undo takes back the
  // last typing (all characters typed one after the other count as one change), cut,
  // paste or clear; a second Undo puts the change back.
  bool Edit(DisplayList& list, EditCommand command, WindowSystem& clipboard);

  // Makes `item` the active field (the focus field after a card is shown); null ends
  // the text entry of the active one.
  void Activate(DisplayList& list, DisplayItem* item);
  // The active field's item, when it is still on the card.
  DisplayItem* Active(DisplayList& list) const;
  // Leaving the card: nothing is active or tracked any more.
  void Forget();

  bool tracking() const { return press_ != FieldPress::kNone; }
  bool selecting() const { return press_ == FieldPress::kSelection; }
  FieldPress press() const { return press_; }
  // Typing changed a field since the flag was last cleared.
  bool modified() const { return modified_; }
  void clear_modified() { modified_ = false; }
  const ScrollBarMetrics& metrics() const { return metrics_; }

  // The margin kept around the insertion point when typing scrolls it into view.
  static constexpr int kTypingMargin = 32;

 private:
  bool ScrollStep(DisplayItem& item, Point pointer);
  ScrollBarGeometry Geometry(DisplayItem& item) const;

  // A field's text as it was before a change, to go back to.
  struct UndoState {
    DisplayItem* item = nullptr;
    std::string text;
    std::vector<StyleRun> runs;
    size_t start = 0, end = 0;
    int scroll = 0;
  };
  static UndoState Snapshot(DisplayItem& item);
  // Puts the snapshot back and keeps the text it replaced as the next undo.
  void SwapWithUndo(DisplayItem& item);

  ScrollBarMetrics metrics_;
  DisplayItem* active_ = nullptr;
  FieldPress press_ = FieldPress::kNone;
  int drag_start_y_ = 0;       // thumb drag: where the pointer started
  int drag_start_offset_ = 0;  // and where the thumb was then
  bool modified_ = false;
  std::optional<UndoState> undo_;
  bool typing_ = false;  // the last change was typing: more typing joins it
};

}  // namespace corvida

// The Edit menu on the active field: Undo, Cut, Copy, Paste and Clear through the window
// system's clipboard, and the one change Undo can take back.
#include <utility>

#include "engine/field_edit.h"

namespace corvida {

FieldTracker::UndoState FieldTracker::Snapshot(DisplayItem& item) {
  const TextObject& text = FieldTextOf(item)->text;
  return {&item,        text.text(), text.runs(), text.selection_start(), text.selection_end(),
          text.scroll()};
}

void FieldTracker::SwapWithUndo(DisplayItem& item) {
  UndoState now = Snapshot(item);
  UndoState& was = *undo_;
  TextObject& text = FieldTextOf(item)->text;
  text.SetText(std::move(was.text), std::move(was.runs));
  text.SetSelection(was.start, was.end);
  text.SetScroll(was.scroll);
  text.dirty = true;
  undo_ = std::move(now);
  typing_ = false;
  modified_ = true;
}

bool FieldTracker::CanEdit(DisplayList& list, EditCommand command, WindowSystem& clipboard) const {
  DisplayItem* item = Active(list);
  if (!item) return false;
  const FieldText& field = *FieldTextOf(*item);
  const bool selection = field.text.HasSelection();
  switch (command) {
    case EditCommand::kCopy:
      return selection;
    case EditCommand::kCut:
    case EditCommand::kClear:
      return selection && !field.locked();
    case EditCommand::kPaste:
      return !field.locked() && !clipboard.ClipboardText().empty();
    case EditCommand::kUndo:
      return !field.locked() && undo_ && undo_->item == item;
  }
  return false;
}

bool FieldTracker::Edit(DisplayList& list, EditCommand command, WindowSystem& clipboard) {
  if (!CanEdit(list, command, clipboard)) return false;
  DisplayItem& item = *Active(list);
  TextObject& text = FieldTextOf(item)->text;
  if (command == EditCommand::kCopy) {
    text.Copy(clipboard);
    return false;
  }
  if (command == EditCommand::kUndo) {
    SwapWithUndo(item);
  } else {
    UndoState before = Snapshot(item);
    if (command == EditCommand::kCut) text.Cut(clipboard);
    if (command == EditCommand::kPaste) text.Paste(clipboard);
    if (command == EditCommand::kClear) text.Delete();
    if (text.text() == before.text && text.runs() == before.runs) return true;
    undo_ = std::move(before);
    typing_ = false;
    modified_ = true;
  }
  text.ScrollToView(text.selection_end(), kTypingMargin);
  return true;
}

}  // namespace corvida

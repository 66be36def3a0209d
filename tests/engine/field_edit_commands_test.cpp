// The Edit menu on field text: what each command needs to be offered, what it does to the
// text and the clipboard, and what Undo takes back.
#include <gtest/gtest.h>

#include "engine/field_edit.h"
#include "platform/headless/headless.h"
#include "stackfile/records.h"

namespace corvida {
namespace {

using enum EditCommand;

class FieldEditCommands : public ::testing::Test {
 protected:
  DisplayItem& AddField(uint16_t id, uint16_t field_flags, const std::string& text) {
    auto item = std::make_unique<DisplayItem>();
    item->type = object::kTextField;
    item->id = id;
    item->rect = {0, 50 * id, 300, 50 * id + 40};
    auto field = std::make_unique<FieldText>(nullptr, FieldViewRect(item->rect, field_flags));
    field->field_flags = field_flags;
    field->text.SetText(text);
    item->field.text = std::move(field);
    return list.Append(std::move(item));
  }
  static TextObject& Text(DisplayItem& item) { return FieldTextOf(item)->text; }
  bool Can(EditCommand c) { return tracker.CanEdit(list, c, windows); }
  void Type(const std::string& s) {
    for (char c : s) tracker.Key(list, uint8_t(c));
  }

  VirtualClock clock;
  HeadlessWindowSystem windows{clock};
  DisplayList list;
  FieldTracker tracker;
};

// Which commands are offered: by selection, lock, clipboard and a change to take back.
TEST_F(FieldEditCommands, CommandsAreOfferedOnlyWhenTheyWouldDoSomething) {
  DisplayItem& open = AddField(1, 0, "hello world");
  DisplayItem& locked = AddField(2, fieldflag::kLocked, "fixed text");
  struct Case {
    const char* what;
    DisplayItem* active;
    size_t start, end;
    const char* clipboard;
    bool undo, cut, copy, paste, clear;
  } cases[] = {
      {"no active field", nullptr, 0, 0, "x", false, false, false, false, false},
      {"insertion point only", &open, 2, 2, "", false, false, false, false, false},
      {"insertion point, clipboard", &open, 2, 2, "x", false, false, false, true, false},
      {"selection", &open, 0, 5, "", false, true, true, false, true},
      {"locked, selection", &locked, 0, 5, "x", false, false, true, false, false},
  };
  for (const Case& c : cases) {
    tracker.Activate(list, c.active);
    if (c.active) Text(*c.active).SetSelection(c.start, c.end);
    windows.SetClipboardText(c.clipboard);
    EXPECT_EQ(Can(kUndo), c.undo) << c.what;
    EXPECT_EQ(Can(kCut), c.cut) << c.what;
    EXPECT_EQ(Can(kCopy), c.copy) << c.what;
    EXPECT_EQ(Can(kPaste), c.paste) << c.what;
    EXPECT_EQ(Can(kClear), c.clear) << c.what;
    // What cannot run changes nothing.
    if (c.active && !c.cut) {
      const std::string before = Text(*c.active).text();
      tracker.Edit(list, kCut, windows);
      tracker.Edit(list, kClear, windows);
      EXPECT_EQ(Text(*c.active).text(), before) << c.what;
    }
  }
}

// Each command's effect on the text, the selection and the clipboard.
TEST_F(FieldEditCommands, CutCopyPasteAndClear) {
  struct Case {
    EditCommand command;
    size_t start, end;
    const char* clipboard_before;
    const char* text_after;
    const char* clipboard_after;
    size_t caret_after;
  } cases[] = {
      {kCopy, 0, 5, "", "hello world", "hello", 0},
      {kCut, 5, 11, "", "hello", " world", 5},
      {kClear, 0, 6, "keep", "world", "keep", 0},
      {kPaste, 5, 5, ",", "hello, world", ",", 6},
      {kPaste, 0, 5, "bye", "bye world", "bye", 3},
      // Lines come in with any break and go out with CR LF.
      {kPaste, 11, 11, "\r\na\nb", "hello world\ra\rb", "\r\na\nb", 15},
  };
  for (const Case& c : cases) {
    list.Clear();
    DisplayItem& f = AddField(1, 0, "hello world");
    tracker.Forget();
    tracker.Activate(list, &f);
    Text(f).SetSelection(c.start, c.end);
    windows.SetClipboardText(c.clipboard_before);
    tracker.Edit(list, c.command, windows);
    EXPECT_EQ(Text(f).text(), c.text_after) << int(c.command);
    EXPECT_EQ(windows.ClipboardText(), c.clipboard_after) << int(c.command);
    if (c.command != kCopy) {
      EXPECT_EQ(Text(f).selection_start(), c.caret_after) << int(c.command);
    }
    EXPECT_EQ(Text(f).dirty, c.command != kCopy) << int(c.command);
  }
  list.Clear();
  DisplayItem& f = AddField(1, 0, "ab");
  tracker.Activate(list, &f);
  Text(f).SetSelection(0, 2);
  windows.SetClipboardText("line\r\nnext");
  tracker.Edit(list, kCopy, windows);
  EXPECT_EQ(windows.ClipboardText(), "ab");
}

// Undo takes back a run of typing as one change, or one cut, paste or clear; a second
// Undo puts it back; it belongs to the field that changed.
TEST_F(FieldEditCommands, UndoTakesBackTheLastChangeAndRedoesIt) {
  DisplayItem& f = AddField(1, 0, "abc");
  DisplayItem& other = AddField(2, 0, "other");
  tracker.Activate(list, &f);
  Text(f).SetSelection(3, 3);
  Type("def");
  EXPECT_TRUE(Can(kUndo));
  tracker.Edit(list, kUndo, windows);
  EXPECT_EQ(Text(f).text(), "abc") << "the typing is one change";
  EXPECT_EQ(Text(f).selection_start(), 3u);
  tracker.Edit(list, kUndo, windows);
  EXPECT_EQ(Text(f).text(), "abcdef") << "undone again: back";

  tracker.Key(list, textchar::kArrowLeft);  // moving ends the series
  Type("X");
  tracker.Edit(list, kUndo, windows);
  EXPECT_EQ(Text(f).text(), "abcdef");

  Text(f).SetSelection(0, 3);
  tracker.Edit(list, kCut, windows);
  EXPECT_EQ(Text(f).text(), "def");
  tracker.Edit(list, kPaste, windows);
  tracker.Edit(list, kPaste, windows);
  EXPECT_EQ(Text(f).text(), "abcabcdef");
  tracker.Edit(list, kUndo, windows);
  EXPECT_EQ(Text(f).text(), "abcdef") << "only the last paste";

  tracker.Activate(list, &other);
  EXPECT_FALSE(Can(kUndo)) << "another field's change";
  tracker.Activate(list, &f);
  EXPECT_TRUE(Can(kUndo));
  tracker.Forget();
  tracker.Activate(list, &f);
  EXPECT_FALSE(Can(kUndo)) << "the card was left";
}

}  // namespace
}  // namespace corvida

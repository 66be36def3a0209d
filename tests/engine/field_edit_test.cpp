// Presses, drags and typing in text fields: the scroll bar's arrows, pages and thumb, the
// selection by characters and words, the insertion point's moves and typing.
#include "engine/field_edit.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "stackfile/records.h"

namespace corvida {
namespace {

class FieldEdit : public ::testing::Test {
 protected:
  DisplayItem& AddField(uint16_t id, Rect rect, uint16_t field_flags, const std::string& text) {
    auto item = std::make_unique<DisplayItem>();
    item->type = object::kTextField;
    item->id = id;
    item->rect = rect;
    auto field = std::make_unique<FieldText>(nullptr, FieldViewRect(rect, field_flags));
    field->field_flags = field_flags;
    field->text.SetText(text);
    item->field.text = std::move(field);
    return list.Append(std::move(item));
  }
  static TextObject& Text(DisplayItem& item) { return FieldTextOf(item)->text; }
  // Twenty numbered lines.
  static std::string Lines() {
    std::string s;
    for (int i = 0; i < 20; ++i) s += "line " + std::to_string(i) + "\r";
    return s;
  }
  int LineHeight(DisplayItem& item) { return Text(item).Lines()[0].height; }

  DisplayList list;
  FieldTracker tracker;
};

TEST_F(FieldEdit, ArrowsScrollALineAndRepeatWhileHeld) {
  DisplayItem& f = AddField(1, {0, 0, 120, 100}, fieldflag::kScrollBar, Lines());
  const int line = LineHeight(f);
  EXPECT_TRUE(tracker.Press(list, f, {110, 90}, false, false));  // the down arrow
  EXPECT_EQ(tracker.press(), FieldPress::kDownArrow);
  EXPECT_EQ(FieldTextOf(f)->pressed, BarPart::kDownArrow);
  EXPECT_EQ(Text(f).scroll(), line);
  EXPECT_TRUE(tracker.Continue(list, {110, 90}));
  EXPECT_TRUE(tracker.Continue(list, {110, 90}));
  EXPECT_EQ(Text(f).scroll(), 3 * line);
  EXPECT_TRUE(tracker.Release(list, {110, 90}));
  EXPECT_FALSE(tracker.tracking());
  EXPECT_EQ(FieldTextOf(f)->pressed, BarPart::kNone);
  EXPECT_FALSE(tracker.Continue(list, {110, 90}));  // released: nothing repeats

  tracker.Press(list, f, {110, 5}, false, false);  // the up arrow
  EXPECT_EQ(Text(f).scroll(), 2 * line);
  tracker.Release(list, {110, 5});
}

TEST_F(FieldEdit, PagingStopsWhenTheThumbReachesThePointer) {
  DisplayItem& f = AddField(1, {0, 0, 120, 100}, fieldflag::kScrollBar, Lines() + Lines());
  const Point pointer{110, 60};  // page-down area while the thumb is above 60
  ASSERT_TRUE(tracker.Press(list, f, pointer, false, false));
  ASSERT_EQ(tracker.press(), FieldPress::kPageDown);
  int steps = 0;
  while (tracker.Continue(list, pointer) && steps < 100) ++steps;
  ScrollBarGeometry g = FieldScrollBar(f);
  EXPECT_GT(steps, 0);
  EXPECT_GE(g.thumb.bottom, pointer.y);  // the thumb came to the pointer ...
  EXPECT_LT(Text(f).scroll(), Text(f).GetScrollValues().maximum);  // ... before the end
  tracker.Release(list, pointer);
}

TEST_F(FieldEdit, DraggingTheThumbToTheBottomScrollsToTheEnd) {
  DisplayItem& f = AddField(1, {0, 0, 120, 100}, fieldflag::kScrollBar, Lines());
  tracker.Press(list, f, {110, 20}, false, false);  // the thumb at the top of its track
  ASSERT_EQ(tracker.press(), FieldPress::kThumb);
  EXPECT_EQ(Text(f).scroll(), 0);
  EXPECT_TRUE(tracker.Move(list, {110, 50}));
  EXPECT_EQ(FieldScrollBar(f).thumb.top, 16 + 30);  // the thumb follows the pointer
  EXPECT_EQ(Text(f).scroll(), 0);                   // the text waits for the release
  tracker.Release(list, {110, 400});
  EXPECT_EQ(Text(f).scroll(), Text(f).GetScrollValues().maximum);
  EXPECT_EQ(FieldTextOf(f)->dragged_thumb, -1);
  EXPECT_EQ(FieldScrollBar(f).thumb.top, 16 + 52);
}

TEST_F(FieldEdit, SelectionByDragWordsAndShift) {
  DisplayItem& f = AddField(1, {0, 0, 300, 60}, 0, "alpha beta gamma");
  TextObject& t = Text(f);
  const Point a = t.OffsetToPoint(2), b = t.OffsetToPoint(8);
  EXPECT_TRUE(tracker.Press(list, f, {a.x, a.y + 2}, false, false));
  EXPECT_TRUE(tracker.selecting());
  tracker.Move(list, {b.x, b.y + 2});
  tracker.Release(list, {b.x, b.y + 2});
  EXPECT_EQ(t.SelectedText(), "pha be");

  const Point c = t.OffsetToPoint(13);
  tracker.Press(list, f, {c.x, c.y + 2}, false, true);  // a double click: by words
  tracker.Release(list, {c.x, c.y + 2});
  EXPECT_EQ(t.SelectedText(), "gamma");

  const Point d = t.OffsetToPoint(1);
  tracker.Press(list, f, {d.x, d.y + 2}, false, false);
  tracker.Release(list, {d.x, d.y + 2});
  const Point e = t.OffsetToPoint(4);
  tracker.Press(list, f, {e.x, e.y + 2}, true, false);  // Shift extends from the anchor
  tracker.Release(list, {e.x, e.y + 2});
  EXPECT_EQ(t.selection_start(), 1u);
  EXPECT_EQ(t.selection_end(), 4u);
}

TEST_F(FieldEdit, TypingArrowsAndTheActiveField) {
  DisplayItem& one = AddField(1, {0, 0, 300, 40}, 0, "abc");
  DisplayItem& two = AddField(2, {0, 50, 300, 90}, 0, "xyz");
  EXPECT_FALSE(tracker.Key(list, 'q'));  // no active field yet
  tracker.Activate(list, &one);
  EXPECT_TRUE(Text(one).active());
  Text(one).SetSelection(3, 3);
  ASSERT_TRUE(tracker.Key(list, textchar::kArrowLeft));
  EXPECT_FALSE(tracker.modified());
  EXPECT_FALSE(Text(one).dirty);
  tracker.Key(list, '!');
  EXPECT_EQ(Text(one).text(), "ab!c");
  EXPECT_TRUE(tracker.modified());
  EXPECT_TRUE(Text(one).dirty);
  EXPECT_FALSE(tracker.Key(list, 6));  // never typed
  EXPECT_EQ(tracker.KeyCharacter(list, vk::kLeft), textchar::kArrowLeft);
  EXPECT_EQ(tracker.KeyCharacter(list, vk::kDown), textchar::kArrowDown);
  EXPECT_EQ(tracker.KeyCharacter(list, 'A'), 0);

  // Pressing another field ends the text entry of the first.
  const Point p = Text(two).OffsetToPoint(1);
  tracker.Press(list, two, {p.x, p.y + 2}, false, false);
  tracker.Release(list, {p.x, p.y + 2});
  EXPECT_FALSE(Text(one).active());
  EXPECT_EQ(tracker.Active(list), &two);
  tracker.Key(list, '-');
  EXPECT_EQ(Text(two).text(), "x-yz");

  // A field that left the card is no longer active.
  list.Remove(&two);
  EXPECT_EQ(tracker.Active(list), nullptr);
  EXPECT_EQ(tracker.KeyCharacter(list, vk::kLeft), 0);
}

TEST_F(FieldEdit, LockedFieldsTakeNoSelectionAndNoTyping) {
  DisplayItem& f = AddField(1, {0, 0, 300, 40}, fieldflag::kLocked, "read me");
  const Point p = Text(f).OffsetToPoint(2);
  EXPECT_FALSE(tracker.Press(list, f, {p.x, p.y + 2}, false, false));
  EXPECT_FALSE(tracker.tracking());
  EXPECT_EQ(tracker.Active(list), &f);
  EXPECT_FALSE(tracker.Key(list, 'x'));
  EXPECT_EQ(Text(f).text(), "read me");
  EXPECT_FALSE(tracker.modified());
}

TEST_F(FieldEdit, TypingScrollsTheInsertionPointIntoView) {
  DisplayItem& f = AddField(1, {0, 0, 200, 60}, fieldflag::kScrollBar, "");
  tracker.Activate(list, &f);
  for (int i = 0; i < 12; ++i) tracker.Key(list, textchar::kReturn);
  tracker.Key(list, 'z');
  TextObject& t = Text(f);
  const Point caret = t.OffsetToPoint(t.selection_start());
  EXPECT_GT(t.scroll(), 0);
  EXPECT_GE(caret.y, t.view().top);
  EXPECT_LE(caret.y + t.CaretHeight(t.selection_start()), t.view().bottom);
}

}  // namespace
}  // namespace corvida

// Editing the text component: insertion and deletion keeping style runs, typing, arrows,
// the clipboard, drag selection and the blinking insertion point.
#include <gtest/gtest.h>

#include "engine/text.h"
#include "platform/headless/headless.h"

namespace corvida {
namespace {

TextStyle Font(const std::string& name, int size = 10) {
  TextStyle s;
  s.font = name;
  s.size = size;
  return s;
}

class TextEdit : public ::testing::Test {
 protected:
  TextEdit() : text(nullptr, {0, 0, 600, 100}) {
    // "aaa" in A, "bbb" in B, "ccc" in C.
    text.SetText("aaabbbccc", {{0, Font("A")}, {3, Font("B")}, {6, Font("C")}});
  }
  std::vector<std::pair<uint32_t, std::string>> Runs() {
    std::vector<std::pair<uint32_t, std::string>> out;
    for (const StyleRun& r : text.runs()) out.push_back({r.start, r.style.font});
    return out;
  }
  using RunList = std::vector<std::pair<uint32_t, std::string>>;
  TextObject text;
};

TEST_F(TextEdit, InsertionTakesTheStyleBeforeItAndShiftsLaterRuns) {
  text.SetSelection(3, 3);  // between "aaa" and "bbb": typed text continues "aaa"
  text.Insert("XY");
  EXPECT_EQ(text.text(), "aaaXYbbbccc");
  EXPECT_EQ(Runs(), (RunList{{0, "A"}, {5, "B"}, {8, "C"}}));
  EXPECT_EQ(text.selection_start(), 5u);
  EXPECT_TRUE(text.dirty);

  text.SetSelection(0, 0);  // at the very start: the first character's style
  text.Insert("s");
  EXPECT_EQ(Runs(), (RunList{{0, "A"}, {6, "B"}, {9, "C"}}));

  // An explicit style splits the run it lands in.
  text.SetSelection(7, 7);
  text.InsertStyled("Z", Font("Z"));
  EXPECT_EQ(text.text(), "saaaXYbZbbccc");
  EXPECT_EQ(Runs(), (RunList{{0, "A"}, {6, "B"}, {7, "Z"}, {8, "B"}, {10, "C"}}));
}

TEST_F(TextEdit, DeletionAcrossRunsKeepsTheRunsAroundIt) {
  text.SetSelection(2, 7);  // "a" of A, all of B, "c" of C
  text.Delete();
  EXPECT_EQ(text.text(), "aacc");
  EXPECT_EQ(Runs(), (RunList{{0, "A"}, {2, "C"}}));

  // Replacing a selection types in the style of its first character.
  text.SetSelection(2, 4);
  text.Insert("q");
  EXPECT_EQ(text.text(), "aaq");
  EXPECT_EQ(Runs(), (RunList{{0, "A"}, {2, "C"}}));

  // Emptying the text keeps the first style for what is typed next.
  text.SetSelection(0, 3);
  text.Delete();
  EXPECT_EQ(text.size(), 0u);
  ASSERT_EQ(text.runs().size(), 1u);
  EXPECT_EQ(text.runs()[0].style.font, "A");
  text.Insert("new");
  EXPECT_EQ(Runs(), (RunList{{0, "A"}}));
}

TEST_F(TextEdit, StyleChangesMergeEqualNeighbours) {
  text.SetStyle(3, 6, Font("A"));
  EXPECT_EQ(Runs(), (RunList{{0, "A"}, {6, "C"}}));
  text.SetStyle(1, 2, Font("Q"));
  EXPECT_EQ(Runs(), (RunList{{0, "A"}, {1, "Q"}, {2, "A"}, {6, "C"}}));
}

TEST_F(TextEdit, TypingArrowsBackspaceAndDelete) {
  text.SetSelection(9, 9);
  EXPECT_TRUE(text.Key('!'));
  EXPECT_TRUE(text.Key(textchar::kReturn));
  EXPECT_EQ(text.text(), "aaabbbccc!\r");
  EXPECT_FALSE(text.Key(textchar::kArrowLeft));
  EXPECT_FALSE(text.Key(textchar::kArrowLeft));
  EXPECT_EQ(text.selection_start(), 9u);
  EXPECT_TRUE(text.Key(textchar::kBackspace));
  EXPECT_EQ(text.text(), "aaabbbcc!\r");
  EXPECT_TRUE(text.Key(textchar::kForwardDelete));
  EXPECT_EQ(text.text(), "aaabbbcc\r");
  EXPECT_FALSE(text.Key(0x06));  // other controls are ignored
  EXPECT_FALSE(text.Key(textchar::kArrowDown));
  EXPECT_EQ(text.selection_start(), text.size());  // down from the last line: the end
  EXPECT_FALSE(text.Key(textchar::kArrowUp));
  EXPECT_EQ(text.selection_start(), 0u);  // the first line, at the nearest x
  text.SetSelection(0, 0);
  EXPECT_FALSE(text.Key(textchar::kBackspace));  // nothing before the start
  text.SetSelection(2, 5);
  EXPECT_FALSE(text.Key(textchar::kArrowRight));  // a selection collapses to its end
  EXPECT_EQ(text.selection_start(), 5u);
  EXPECT_FALSE(text.HasSelection());
}

TEST_F(TextEdit, CutCopyAndPasteThroughTheClipboard) {
  VirtualClock clock;
  HeadlessWindowSystem windows(clock);
  text.SetText("one\rtwo", {{0, Font("A")}});
  text.SetSelection(2, 5);
  text.Copy(windows);
  EXPECT_EQ(windows.ClipboardText(), "e\r\nt");
  text.Cut(windows);
  EXPECT_EQ(text.text(), "onwo");
  text.SetSelection(4, 4);
  windows.SetClipboardText("x\r\ny\nz\x01");
  text.Paste(windows);
  EXPECT_EQ(text.text(), "onwox\ry\rz");
  EXPECT_EQ(text.selection_start(), text.size());
}

TEST_F(TextEdit, DragSelectsByCharactersAndWordsAndExtends) {
  text.SetText("alpha beta gamma", {{0, Font("A")}});
  const int c = MakeBuiltinFont(10, 0)->Advance('a');
  text.DragStart({7 * c + 1, 2}, false, false);
  text.DragEnd({9 * c + 1, 2});
  EXPECT_EQ(text.SelectedText(), "et");
  text.DragStart({12 * c, 2}, true, false);  // Shift: from the anchor on
  text.DragEnd({12 * c, 2});
  EXPECT_EQ(text.SelectedText(), "eta g");
  text.DragStart({7 * c, 2}, false, true);  // after a double click: whole words
  text.DragEnd({12 * c, 2});
  EXPECT_EQ(text.SelectedText(), "beta gamma");
  EXPECT_FALSE(text.dragging());
}

TEST_F(TextEdit, InsertionPointBlinksByTheTickClock) {
  text.SetActive(true);
  text.SetSelection(1, 1);
  EXPECT_FALSE(text.Idle(100));  // the first call starts the period
  EXPECT_FALSE(text.Idle(100 + kCaretBlinkTicks - 1));
  EXPECT_TRUE(text.Idle(100 + kCaretBlinkTicks));
  EXPECT_FALSE(text.caret_visible());
  EXPECT_TRUE(text.Idle(100 + 2 * kCaretBlinkTicks));
  EXPECT_TRUE(text.caret_visible());
  // Typing shows it again at once.
  text.Idle(100 + 3 * kCaretBlinkTicks);
  text.Key('x');
  EXPECT_TRUE(text.caret_visible());
  // Inactive objects never ask for a redraw.
  text.SetActive(false);
  text.Idle(0);
  EXPECT_FALSE(text.Idle(kCaretBlinkTicks));
}

}  // namespace
}  // namespace corvida
